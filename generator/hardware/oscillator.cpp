// SPDX-License-Identifier: GPL-3.0-or-later
// The oscillator in front of the unit: an accumulator of A bits adding the
// frequency word on every clock, the dither and the phase offset added after
// it, its top log2 N bits the phase. Every one of those adders works in carry
// segments: segment i adds its bits a clock after segment i - 1, with the
// carry between them registered, so that no carry chain is longer than a
// segment whatever A. Between the adders a value stays skewed, segment i
// i clocks late, and the inputs are skewed to match; only the phase's bits
// are brought back in step at the end. The stream is the one an unsegmented
// accumulator gives, Segments() - 1 clocks later.
#include <bit>
#include <string>

#include "builders.h"
#include "nco.h"

namespace lumiro::hardware {
namespace {

constexpr int kBits = NcoPlan::kSegmentBits;

// A value in carry segments, segment i holding its bits i clocks late.
struct Skewed {
    std::vector<Signal> segments;
};

int SegmentWidth(int width, std::size_t segment)
{
    return std::min(kBits, width - static_cast<int>(segment) * kBits);
}

std::string Numbered(const std::string& name, std::size_t segment)
{
    return name + "_" + std::to_string(segment);
}

// A value that arrives in step, skewed: segment i through i registers.
Skewed Skew(Circuit& c, Signal value, int width, const std::string& name)
{
    Skewed skewed;
    for (std::size_t i = 0; static_cast<int>(i) * kBits < width; ++i) {
        const Signal bits = c.Slice(value, static_cast<int>(i) * kBits, Unsigned(SegmentWidth(width, i)));
        skewed.segments.push_back(i == 0 ? bits : c.Delayed(bits, static_cast<int>(i), Numbered(name, i)));
    }
    return skewed;
}

// Segment i's sum of its operands' segments and the carry that segment i - 1
// registered a clock before: one bit wider for its carry, but the top one.
Signal SegmentSum(Circuit& c, const std::vector<Signal>& operands, Signal carry, int width, bool top,
                  const std::string& name)
{
    std::vector<Term> terms;
    for (const Signal operand : operands)
        terms.push_back({operand});
    if (carry)
        terms.push_back({carry});
    return c.Sum(terms, name, Unsigned(top ? width : width + 1));
}

// a + b a clock later, segment by segment; b may have fewer segments.
Skewed Added(Circuit& c, const Skewed& a, const Skewed& b, int width, const std::string& name)
{
    Skewed sum;
    Signal carry;
    for (std::size_t i = 0; i < a.segments.size(); ++i) {
        const int w = SegmentWidth(width, i);
        const bool top = i + 1 == a.segments.size();
        std::vector<Signal> operands{a.segments[i]};
        if (i < b.segments.size())
            operands.push_back(b.segments[i]);
        const Signal total = SegmentSum(c, operands, carry, w, top, Numbered(name + "_sum", i));
        sum.segments.push_back(c.Delayed(c.Slice(total, 0, Unsigned(w)), Numbered(name, i)));
        if (!top)
            carry = c.Delayed(c.Bit(total, w), Numbered(name + "_carry", i));
    }
    return sum;
}

// The reset reaches segment i at the i-th enabled edge after it, when that
// segment does the step the reset replaced; it is caught on any edge.
std::vector<Signal> ResetPending(Circuit& c, Signal reset, std::size_t segments)
{
    std::vector<Signal> pending(segments);
    if (!reset)
        return pending;
    for (std::size_t i = 1; i < segments; ++i) {
        if (i == 1) {
            RegisterOptions caught;
            caught.reset = reset;
            caught.resetValue = 1;
            pending[i] = c.Register("reset_pending_1", Unsigned(1), caught);
            c.Connect(pending[i], c.Constant(0, Unsigned(1)));
        } else {
            pending[i] = c.Delayed(pending[i - 1], Numbered("reset_pending", i));
        }
    }
    return pending;
}

// The second accumulator: the fraction counted modulo D, cleared by reset;
// the one it carries on the clock it wraps.
Signal Wraps(Circuit& c, const NcoPlan& nco, Signal fraction, Signal reset)
{
    const Type type = Unsigned(nco.fractionBits());
    const Signal counted = c.Register("fraction_count", type, RegisterOptions::ResetBy(reset));
    const Signal sum = c.Add(counted, fraction, "fraction_sum");
    const Signal modulus = c.Constant(static_cast<std::int64_t>(nco.modulus), c.At(sum).type, "modulus");
    const Signal wraps = c.Not(c.Less(sum, modulus, "fraction_below"), "fraction_wraps");
    c.Connect(counted, c.Slice(c.Choice(wraps, c.Subtract(sum, modulus, "fraction_wrapped", c.At(sum).type), sum,
                                        "fraction_next"),
                               0, type));
    return wraps;
}

// The accumulator adds the skewed frequency word to itself, a segment a clock,
// and the fraction's carry into its lowest segment where it has a modulus.
Skewed Accumulated(Circuit& c, const Skewed& frequency, Signal reset, int width, Signal wraps = {})
{
    const std::vector<Signal> pending = ResetPending(c, reset, frequency.segments.size());
    Skewed accumulator;
    Signal carry;
    for (std::size_t i = 0; i < frequency.segments.size(); ++i) {
        const int w = SegmentWidth(width, i);
        const bool top = i + 1 == frequency.segments.size();
        const RegisterOptions options = i == 0 ? RegisterOptions::ResetBy(reset) : RegisterOptions{};
        const Signal reg = c.Register(Numbered("accumulator", i), Unsigned(w), options);
        std::vector<Signal> operands{reg, frequency.segments[i]};
        if (i == 0 && wraps)
            operands.push_back(wraps);
        const Signal total = SegmentSum(c, operands, carry, w, top, Numbered("accumulator_sum", i));
        const auto cleared = [&](Signal value, int bits) {
            return pending[i] ? c.Choice(pending[i], c.Constant(0, Unsigned(bits)), value) : value;
        };
        c.Connect(reg, cleared(c.Slice(total, 0, Unsigned(w)), w));
        if (!top) {
            carry = c.Register(Numbered("accumulator_carry", i), Unsigned(1), options);
            c.Connect(carry, cleared(c.Bit(total, w), 1));
        }
        accumulator.segments.push_back(reg);
    }
    return accumulator;
}

// The phase's bits of a skewed value, brought back in step.
Signal PhaseOf(Circuit& c, const Skewed& value, const UnitPlan& plan, const std::string& prefix = {})
{
    const NcoPlan& nco = *plan.nco;
    const std::size_t first = static_cast<std::size_t>(nco.truncatedBits() / kBits);
    const std::size_t last = value.segments.size() - 1;
    std::vector<Signal> parts;  // the most significant first
    for (std::size_t i = last + 1; i-- > first;)
        parts.push_back(i == last ? value.segments[i]
                                  : c.Delayed(value.segments[i], static_cast<int>(last - i), Numbered(prefix + "aligned", i)));
    const Signal joined = parts.size() == 1 ? parts.front() : c.Concatenation(parts, prefix + "aligned");
    return c.Slice(joined, nco.truncatedBits() - static_cast<int>(first) * kBits, Unsigned(plan.phaseBits),
                   prefix + "phase");
}

std::string Segments(const NcoPlan& nco)
{
    return std::to_string(nco.Segments()) + " carry segment" + (nco.Segments() == 1 ? "" : "s") + " of " +
           std::to_string(kBits) + " bits";
}

// The lanes' phases from the accumulator's values (plus the offset): lane j is
// lane j - h plus h times the frequency word, h the top bit of j, a clock
// later; each then waits for the deepest, so that every lane's value comes
// through as many adders. Each adder works on the values as they stream, and
// the word's skew is the accumulator's, so no lane is off from power-up on.
std::vector<Signal> LanePhases(Circuit& c, const UnitPlan& plan, const Skewed& first, Signal frequency, int depth)
{
    const int a = plan.nco->accumulatorBits;
    const int lanes = plan.nco->lanes;
    std::vector<Skewed> values{first};
    std::vector<int> depths{0};
    std::vector<Skewed> steps;  // 2^b x frequency, skewed
    for (int lane = 1; lane < lanes; ++lane) {
        const int bit = static_cast<int>(std::bit_width(static_cast<unsigned>(lane))) - 1;
        const std::string name = "lane_" + std::to_string(lane);
        if (static_cast<int>(steps.size()) == bit) {
            const std::string times = "frequency_x" + std::to_string(1 << bit);
            steps.push_back(Skew(c, c.Sum({{frequency, bit}}, times, Unsigned(a)), a, times));
        }
        const auto from = static_cast<std::size_t>(lane - (1 << bit));
        values.push_back(Added(c, values[from], steps[static_cast<std::size_t>(bit)], a, name));
        depths.push_back(depths[from] + 1);
    }
    std::vector<Signal> phases;
    for (int lane = 0; lane < lanes; ++lane) {
        const std::string name = "lane_" + std::to_string(lane) + "_";
        const Signal phase = PhaseOf(c, values[static_cast<std::size_t>(lane)], plan, name);
        const int wait = depth - depths[static_cast<std::size_t>(lane)];
        phases.push_back(wait == 0 ? phase : c.Delayed(phase, wait, name + "phase_waits"));
    }
    return phases;
}

}  // namespace

OscillatorInputs OscillatorPorts(Circuit& c, const UnitPlan& plan)
{
    const NcoPlan& nco = *plan.nco;
    OscillatorInputs in;
    in.reset = nco.reset ? c.Input("reset", Unsigned(1)) : Signal{};
    in.frequency = c.Input("frequency", Unsigned(nco.accumulatorBits));
    in.offset = nco.phaseOffset ? c.Input("phase_offset", Unsigned(nco.accumulatorBits)) : Signal{};
    in.fraction = nco.modulus > 1 ? c.Input("fraction", Unsigned(nco.fractionBits())) : Signal{};
    return in;
}

std::vector<Signal> Oscillator(Circuit& c, const UnitPlan& plan, const OscillatorInputs& in)
{
    const NcoPlan& nco = *plan.nco;
    const int a = nco.accumulatorBits;
    const int truncated = nco.truncatedBits();
    const Signal reset = in.reset;
    const Signal frequency = in.frequency;
    const Signal offset = in.offset;
    c.Section("The oscillator: an accumulator of " + std::to_string(a) + " bits in " + Segments(nco) +
              ", each a clock\nafter the one below with the carry between them registered, the frequency "
              "word\nskewed to match" + (nco.reset ? "; reset clears each segment as it comes to it" : "") + ".");
    const int lanes = nco.lanes;
    const Signal step =
        lanes == 1 ? frequency : c.Sum({{frequency, std::countr_zero(static_cast<unsigned>(lanes))}}, "lanes_step", Unsigned(a));
    Signal wraps;
    if (in.fraction) {
        c.Section("The fraction, counted modulo " + std::to_string(nco.modulus) +
                  ", carries one into the accumulator as it wraps:\nafter n clocks it holds floor(n (frequency x " +
                  std::to_string(nco.modulus) + " + fraction) / " + std::to_string(nco.modulus) + ") mod 2^" +
                  std::to_string(a) + ".");
        wraps = Wraps(c, nco, in.fraction, reset);
    }
    Skewed last = Accumulated(c, Skew(c, step, a, "frequency"), reset, a, wraps);
    const bool lanesAfter = lanes > 1;
    if (nco.dither) {
        c.Section("The dither: a 64-bit LFSR, " + DitherPolynomial() + ", seed " + DitherSeedText() + ",\nstepped " +
                  std::to_string(truncated) + " times a clock; its low " + std::to_string(truncated) +
                  " bits go below the phase before the truncation.");
        const auto seed = static_cast<std::int64_t>(kDitherSeed);
        const Signal lfsr = c.Register("lfsr", Unsigned(64), RegisterOptions::ResetBy(reset, seed));
        c.Connect(lfsr, c.Lfsr(lfsr, {{kDitherTaps.begin(), kDitherTaps.end()}}, truncated));
        last = Added(c, last, Skew(c, c.Slice(lfsr, 0, Unsigned(truncated), "dither_bits"), truncated, "dither"), a,
                     "dithered");
    }
    if (nco.phaseOffset) {
        c.Section("The phase offset, added after the accumulator, in the same segments.");
        last = Added(c, last, Skew(c, offset, a, "offset"), a, "offset_sum");
    }
    if (lanesAfter) {
        c.Section("The lanes: lane j the accumulator, which adds " + std::to_string(lanes) +
                  " times the frequency word,\nplus j times it, in the same segments; each lane's phase, its top " +
                  std::to_string(plan.phaseBits) + " bits, brought\nback in step and waiting for the last lane's.");
        return LanePhases(c, plan, last, frequency, LaneDepth(nco));
    }
    c.Section("The phase: the top " + std::to_string(plan.phaseBits) + " bits, brought back in step; the other " +
              std::to_string(truncated) + " truncated.");
    return {PhaseOf(c, last, plan)};
}

}  // namespace lumiro::hardware
