// SPDX-License-Identifier: GPL-3.0-or-later
// What a unit's file says of it first, in prose each printer comments out:
// what it computes, from which table, after how many edges, and what its
// oscillator does.
#include <cstdio>
#include <string>

#include "hardware/units.h"
#include "nco.h"
#include "printers.h"
#include "provenance.h"
#include "version.h"

namespace lumiro::coe {
namespace {

std::string Number(std::int64_t value)
{
    return std::to_string(value);
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

std::string EnableName(const UnitPlan& plan)
{
    return plan.axiStream ? "aclken" : "ce";
}

std::string Latency(const UnitPlan& plan)
{
    const bool reset = plan.nco && plan.nco->reset;
    const std::string clock = plan.axiStream ? "aclk" : "clk";
    const std::string ce = EnableName(plan);
    std::string text = "Latency: " + Number(plan.latency) + " rising edges of " + clock +
                       " from phase to sine and cosine, a new\nphase on every edge" +
                       (plan.clockEnable ? " with " + ce + " high; while " + ce + " is low, no register changes" : "") +
                       (plan.clockEnable && reset ? "\nbut for those reset clears, on every edge it is high" : "") + ".\n";
    if (plan.valid && !plan.nco)
        text += "out_valid is in_valid as many edges later: high for the outputs of a valid phase.\n";
    return text;
}

// The AXI4-Stream ports' bits and their back-pressure.
std::string Stream(const UnitPlan& plan)
{
    if (!plan.axiStream)
        return "";
    const auto bytes = WholeBytes;
    const int half = bytes(plan.width);
    std::string text = "AXI4-Stream: ";
    if (plan.nco) {
        const int a = plan.nco->accumulatorBits;
        text += "s_axis_config_tdata bits " + Number(a - 1) + "..0 load frequency" +
                (plan.nco->phaseOffset
                     ? ", bits " + Number(bytes(a) + a - 1) + ".." + Number(bytes(a)) + " phase_offset"
                     : std::string()) +
                ",\non an edge with s_axis_config_tvalid high; ";
    } else {
        text += "s_axis_phase_tdata bits " + Number(plan.phaseBits - 1) + "..0 are the phase; ";
    }
    text += "m_axis_data_tdata\nbits " + Number(half - 1) + "..0 the cosine, " + Number(2 * half - 1) + ".." +
            Number(half) + " the sine" + (half > plan.width ? (plan.twosComplement ? ", sign-extended" : ", zero-extended") : "") +
            ". A beat waiting with\nm_axis_data_tready low holds every register" +
            (plan.nco ? " (the oscillator too)" : ", and s_axis_phase_tready is low") +
            (plan.nco && plan.nco->reset ? ";\nreset is aresetn low" : "") + ".\n";
    return text;
}

std::string LeanHeader(const Request& request, const UnitPlan& plan)
{
    const SineTable& table = request.table;
    const TableShape& shape = table.shape();
    std::string text = Description(table) + "\nSine and cosine of phase x 2*pi/N, N = " + Number(shape.divisions) + ", " +
                       (shape.halfStep ? "each moved by half a step, " : "") + "from one quarter-wave table of " +
                       Number(table.Count()) + " words:\n";
    // Only the exact angle is symmetric; the window's float32 step is not.
    if (shape.angle == AngleMode::Exact)
        text += "sine at phase p is word p of the full period, cosine word (p + N/4) mod N.\n";
    else
        text += "The quarter unfolds by the sine's symmetry: 90 degrees is the word for 1,\n"
                "180 degrees the word for +0, the other quarters the quarter's words mirrored\n"
                "and negated; these differ from the words of a full period at the window's angle.\n";
    text += Latency(plan);
    if (plan.divisions < (std::int64_t{1} << plan.phaseBits))
        text += "Phases from N up to 2^" + Number(plan.phaseBits) + " - 1 give no defined word.\n";
    return text + "The quarter table is one memory read at two addresses: one dual-port block RAM\n"
                  "(two on iCE40, whose block RAM reads through one port).\n";
}

std::string InterpolatingHeader(const Request& request, const UnitPlan& plan)
{
    const Interpolation& in = *plan.interpolation;
    char largest[32];
    char bound[32];
    std::snprintf(largest, sizeof largest, "%.3f", in.largestError);
    std::snprintf(bound, sizeof bound, "%.2f", in.bound);
    const std::string second = in.order == 2 ? "second" : "first";
    return "Lumiro " + std::string(kVersion) + ": interpolating sine/cosine unit, N = " + Number(plan.divisions) +
           ", " + request.table.shape().word.Name() + " words, angle 2*pi*i/N, M = " +
           Number(std::int64_t{1} << in.tableBits) + " table words\nSine and cosine of phase x 2*pi/N, interpolated (" +
           second + " order) between the M\npoints of a quarter table at (i + 1/2) * 90/M degrees, " +
           Number(in.tableWidth) + "-bit words with " + Number(in.guardBits) + " guard bit" +
           (in.guardBits == 1 ? "" : "s") + ":\n" +
           (in.order == 2 ? "sin(a + d) = sin a + d cos a - (d/2) d sin a, cos(a + d) = cos a - d sin a\n"
                            "- (d/2) d cos a, d the angle of"
                          : "sin(a + d) = sin a + d cos a and cos(a + d) = cos a - d sin a, d the angle of") +
           "\nthe phase's low " + Number(in.fractionBits) + " bits from the point. Every output is within 1 LSB of the\n"
           "true value: at most " + largest + " LSB, proven on every phase when this file was\nwritten (the design's bound: " +
           bound + " LSB).\n" + Latency(plan) +
           "The table is one memory read at two addresses, one dual-port block RAM;\neach product takes one multiplier" +
           (in.order == 2 ? ", four of them" : "") +
           (in.ports ? ",\nits operands cut to fit " + Number(in.ports->wide) + "x" + Number(in.ports->narrow) +
                           " ports (d to the narrow one)"
                     : "") +
           ".\n";
}

// Several samples a clock: which bits are which sample.
std::string Lanes(const UnitPlan& plan)
{
    const int lanes = plan.nco->lanes;
    if (lanes == 1)
        return "";
    const std::string p = Number(lanes);
    return p + " samples a clock: sine and cosine are buses of " + p + " words, lane j in bits\nj x " +
           Number(plan.width) + " and up. The accumulator adds " + p + " x frequency and lane j adds j x\n" +
           "frequency to it: with the frequency held since power-up" + (plan.nco->reset ? " or reset" : "") +
           ", lane j of the\nk-th value is sample k x " + p +
           " + j of the oscillator that adds frequency each sample.\nEach lane reads a table of its own.\n";
}

std::string Modulus(const NcoPlan& nco)
{
    if (nco.modulus == 1)
        return "";
    const std::string d = std::to_string(nco.modulus);
    return "A second accumulator counts fraction (below " + d + ") modulo D = " + d +
           " and carries one into\nthe first as it wraps: after n clocks the accumulator holds floor(n (frequency x\n" + d +
           " + fraction) / " + d + ") mod 2^" + Number(nco.accumulatorBits) + ", a tone of frequency + fraction/" + d +
           " steps a clock.\n";
}

// What no frequency word can spoil, without dither.
std::string Guarantee(const UnitPlan& plan, const SineTable& quarter)
{
    if (plan.nco->dither)
        return "";
    char figure[32];
    std::snprintf(figure, sizeof figure, "%.2f", GuaranteedSfdr(*plan.nco, hardware::ComplexErrorOf(plan, quarter)));
    return "SFDR guaranteed for every frequency word: " + std::string(figure) +
           " dB (from the worst truncation spur and\nthe unit's error as one complex output, cosine + j sine).\n";
}

std::string OscillatorHeader(const UnitPlan& plan, const SineTable& quarter)
{
    if (!plan.nco)
        return "";
    const NcoPlan& nco = *plan.nco;
    return "Oscillator: an accumulator of " + Number(nco.accumulatorBits) + " bits, 0 at first" +
           (nco.reset ? " and after reset" : "") + ", adds frequency on\nevery clock" +
           (plan.clockEnable ? " with " + EnableName(plan) + " high" : "") + "; its top " + Number(plan.phaseBits) + " bits are the phase, the other " +
           Number(nco.truncatedBits()) + " truncated" + (nco.phaseOffset ? "\nafter phase_offset is added" : "") + ".\n" +
           (nco.dither ? "Dither below the truncated bits, added before the truncation: a 64-bit LFSR,\n" +
                             DitherPolynomial() + ", seed " + DitherSeedText() +
                             ", shifting left with the new\nbit in bit 0, stepped " + Number(nco.truncatedBits()) +
                             " times a clock; its low bits are the dither.\n"
                       : "") +
           "Its adders work in " + Number(nco.Segments()) + " carry segments of " + Number(NcoPlan::kSegmentBits) +
           " bits, each a clock after the one below.\n"
           "The sine and cosine of its k-th value, k x frequency, come D edges after the\n"
           "k-th edge from power-up" + (nco.reset ? " or reset" : "") + (plan.clockEnable ? " (edges with " + EnableName(plan) + " high)" : "") +
           ": D = " + Number(OscillatorDelay(plan)) + ".\n" +
           (plan.valid ? "out_valid rises with the words of the first value, D edges after power-up" +
                             std::string(nco.reset ? " or reset" : "") + ".\n"
                       : "") +
           Modulus(nco) + Guarantee(plan, quarter) + Lanes(plan);
}

}  // namespace

std::vector<std::string> UnitHeader(const Request& request, const UnitPlan& plan)
{
    std::vector<std::string> lines =
        Lines((plan.interpolation ? InterpolatingHeader(request, plan) : LeanHeader(request, plan)) +
              OscillatorHeader(plan, request.table) + Stream(plan));
    for (const std::string& note : request.notes)
        for (const std::string& line : Lines(note))
            lines.push_back(line);
    return lines;
}

UnitText UnitTextOf(const Request& request, const UnitPlan& plan)
{
    return {request.name, UnitHeader(request, plan), request.radix == Radix::Hex};
}

}  // namespace lumiro::coe
