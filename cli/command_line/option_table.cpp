// SPDX-License-Identifier: GPL-3.0-or-later
#include "option_table.h"

#include <algorithm>
#include <array>
#include <bit>
#include <stdexcept>

#include "design.h"
#include "hardware/bench.h"
#include "i18n.h"
#include "names.h"
#include "nco.h"
#include "nco_report.h"
#include "options.h"
#include "plot.h"
#include "table.h"
#include "wording.h"

namespace lumiro::coe {
namespace {

// The rules the options share.
constexpr Rule NeedsUnit{false, {OptionId::Sincos}, 1, N_("option %s shapes the sine/cosine unit: it needs %s.")};
constexpr Rule NeedsOscillator{false, {OptionId::Nco}, 1, N_("option %s belongs to the oscillator: it needs %s.")};

constexpr std::array kOptions{
    // Described by their values' own sections of --help.
    OptionSpec{OptionId::Format, "format", 0, N_("FORMAT"), nullptr, Completion::Formats, Section::General, false,
               nullptr,
               [](Options& o, std::string_view value) {
                   o.format = FindFormat(value);
                   if (o.format == nullptr)
                       ThrowBadValue(Option(OptionId::Format), FormatNames(), value);
               }},
    OptionSpec{OptionId::Word, "word", 0, N_("WORD"), nullptr, Completion::Words, Section::General, true, nullptr,
               [](Options& o, std::string_view value) {
                   const auto word = WordKind::Named(value);
                   if (!word)
                       throw UsageError(Printf(_("option --word takes %s (got %s)."), WordsTaken().c_str(),
                                               Shown(value).c_str()));
                   o.shape.word = *word;
               }},
    OptionSpec{OptionId::Function, "function", 0, N_("FUNCTION"), nullptr, Completion::Functions, Section::General,
               true, nullptr,
               [](Options& o, std::string_view value) {
                   o.shape.function = Chosen(FunctionChoices(), OptionId::Function, value);
               }},
    OptionSpec{OptionId::Angle, "angle", 0, N_("ANGLE"), nullptr, Completion::Angles, Section::General, true, nullptr,
               [](Options& o, std::string_view value) {
                   o.shape.angle = Chosen(AngleChoices(), OptionId::Angle, value);
               }},
    OptionSpec{OptionId::Span, "span", 0, N_("SPAN"), nullptr, Completion::Spans, Section::General, true, nullptr,
               [](Options& o, std::string_view value) { o.shape.span = Chosen(SpanChoices(), OptionId::Span, value); }},
    OptionSpec{OptionId::WithEnd, "with-end", 0, nullptr,
               N_("one sample more, at the end of the span (for a quarter\n"
                  "sin 90° = 1): 2^k + 1 words for interpolation; N must be\n"
                  "divisible by 4 (quarter) or 2 (half)"),
               Completion::None, Section::Span, true, nullptr,
               [](Options& o, std::string_view) { o.shape.withEnd = true; }},
    OptionSpec{OptionId::HalfStep, "half-step", 0, nullptr,
               N_("every angle moved by half a step: (i + ½) × step\n"
                  "  lumiro-coe 1024 --span quarter --with-end -o sine.coe"),
               Completion::None, Section::Span, true, nullptr,
               [](Options& o, std::string_view) { o.shape.halfStep = true; }},
    OptionSpec{OptionId::Report, "report", 0, nullptr,
               N_("after the table, on standard error: the number of words; the\n"
                  "largest and the RMS error against the exact sine of the ideal\n"
                  "angle 2πi/N in units of the word's last place (ulp for floats,\n"
                  "taken at the larger of |ideal| and |word|; LSB for fixed point),\n"
                  "and the largest absolute error; how many words are that sine's\n"
                  "correct rounding; the SFDR in dBc of one full period unfolded\n"
                  "from the table by the sine's symmetry (a quarter without its end\n"
                  "sample holds 1 at 90° and -1 at 270°); not with --check\n"
                  "  lumiro-coe 1024 --word fixed:16 --report -o sine.coe"),
               Completion::None, Section::Report, true, nullptr,
               [](Options& o, std::string_view) { o.report = true; },
               {Rule{true, {OptionId::Check}, 1,
                     N_("the report (%s) describes the table written, so it does not combine with %s.")}}},
    OptionSpec{OptionId::Plot, "plot", 0, N_("FILE"),
               N_("a picture of the table, beside whatever else is written: the error of\n"
                  "every word over the angle in the report's unit, with the band of the\n"
                  "correct rounding (±½), and the spectrum of one full period in dBc with\n"
                  "the SFDR and its spur marked; SVG or PNG after the name's extension\n"
                  "(.svg, .png), drawn by PLplot, replaced safely as -o does\n"
                  "  lumiro-coe 1024 --plot sine.svg -o sine.coe"),
               Completion::Files, Section::Report, true, nullptr,
               [](Options& o, std::string_view value) {
                   if (!PlotKindOf(value))
                       throw UsageError(Printf(_("option --plot draws SVG or PNG: give a name ending in .svg or "
                                                 ".png (got %s)."),
                                               Shown(value).c_str()));
                   o.plotPath = std::string(value);
               },
               {Rule{true, {OptionId::Check}, 1,
                     N_("the picture (%s) shows the table written, so it does not combine with %s.")}}},
    OptionSpec{OptionId::Sincos, "sincos", 0, nullptr,
               N_("with --format verilog or vhdl: instead of the ROM, a unit with ports clk,\n"
                  "phase (P = ceil(log2 N) bits), sine and cosine (a word each) that\n"
                  "unfolds one quarter table into the full turn by the sine's symmetry:\n"
                  "with --angle exact, sine at phase p is word p of --span full, cosine\n"
                  "word (p + N/4) mod N; at the window's angle, 90 degrees is the word for\n"
                  "1, 180 degrees the word for +0 and the other quarters the quarter's words\n"
                  "mirrored and negated, which differ from the window's full-period words.\n"
                  "The quarter table is one dual-port block RAM; a new phase every clock,\n"
                  "sine and cosine --latency rising edges later. N divisible by 4; not\n"
                  "with {sincos-refuses}; the default name is lumiro_sincos; --report\n"
                  "measures both outputs over every phase\n"
                  "  lumiro-coe 4096 --format verilog --sincos -o sincos.v"),
               Completion::None, Section::Unit, false, nullptr,
               [](Options& o, std::string_view) { o.sincos = true; }},
    OptionSpec{OptionId::TableWords, "table-words", 0, N_("M"),
               N_("a quarter table of only M words (a power of two, from\n"
                  "{least-table-words} to below N/4) and first-order interpolation between its points,\n"
                  "sin(a + d) = sin a + d cos a with cos a from the block RAM's second\n"
                  "port, second order where the width needs it; every output within 1\n"
                  "LSB of the true value, proven on every phase before the file is\n"
                  "written. N a power of two up to {most-interpolated-divisions} (above any table's N),\n"
                  "fixed:W words with W from {narrowest-interpolated} to {widest-interpolated}, "
                  "--angle exact; --latency from\n"
                  "{least-interpolating-latency} ({interpolating-latency} the default), or {least-second-order-latency} at second order"),
               Completion::None, Section::Unit, false,
               N_("Instead of the whole quarter table, one of //M// words (a power of two from "
                  "{least-table-words} to below N/4) and first-order interpolation between its points, which sit "
                  "in the middle of their steps at (i + ½) × 90/M degrees: sin(a + d) = sin a + d cos a and "
                  "cos(a + d) = cos a - d sin a, with sin a and cos a read through the two ports of one block "
                  "RAM (cos a is the word at the complement of i), d the angle of the phase's low bits from the "
                  "point, scaled by π/2 through shifts and adds, and one multiplier for each output. Every sine "
                  "and cosine is within 1 LSB of the true value: the generator computes the unit's output at "
                  "every phase, bit for bit as the HDL does, against the exact value (with MPFR where a double "
                  "cannot decide) before it writes the file, and states the largest error in the file's "
                  "comment; a miss would be an internal error and no file. Where first order would miss, second "
                  "order takes off (d/2)(d sin a) from the sine and (d/2)(d cos a) from the cosine, each the "
                  "other output's first-order term times d/2: two more multipliers and two more stages. N must "
                  "be a power of two, up to {most-interpolated-divisions} (above the {most-divisions} of a "
                  "table), the words fixed:W with W from {narrowest-interpolated} to {widest-interpolated}, the "
                  "angle **--angle exact**, and **--latency** from {least-interpolating-latency} (the default "
                  "{interpolating-latency}), or from {least-second-order-latency} (the default) at second order. "
                  "Too few words for the width are "
                  "refused with the fewest that do."),
               [](Options& o, std::string_view value) { o.tableWordsGiven = Counted(value); }, {NeedsUnit}},
    OptionSpec{OptionId::Multiplier, "multiplier", 0, N_("AxB"),
               N_("the widths of the multipliers' signed ports, as 25x18 for a DSP48E1: the\n"
                  "interpolating unit cuts each product's operands to them (d to the narrower, the word or\n"
                  "term to the wider) while every output stays within 1 LSB, proven as ever; without it the\n"
                  "operands keep all their bits"),
               Completion::None, Section::Unit, false,
               N_("The widths //A// and //B// of the signed ports of the target's multipliers, each from "
                  "{narrowest-port} to {widest-port}: 25x18 for Xilinx 7's DSP48E1, 27x18 for UltraScale's "
                  "DSP48E2 and Intel's, 18x18 for ECP5, 16x16 for iCE40 UP5K. The interpolating unit then makes "
                  "each product fit one multiplier: d gets fewer bits below its step, to fit the narrower port, "
                  "and a table word or second-order term wider than the wider port leaves out its low bits "
                  "(rounding down), where the error budget allows; every output is still within 1 LSB, proven "
                  "on every phase, or the unit is refused with the fewest table words that do. Without it, the "
                  "operands keep all their bits, and a wide product takes more than one multiplier."),
               [](Options& o, std::string_view value) { o.multiplierGiven = std::string(value); },
               {NeedsUnit, Rule{false, {OptionId::TableWords}, 1,
                                N_("option %s sets the interpolating unit's multipliers: it needs %s.")}}},
    OptionSpec{OptionId::Latency, "latency", 0, N_("L"),
               N_("the rising edges of clk from a phase to its sine and\n"
                  "cosine, from {least-latency} (the default; {oscillator-latency} with --nco) to {most-latency}, or with "
                  "--table-words from {least-interpolating-latency} ({interpolating-latency} the default), "
                  "{least-second-order-latency} at second order; each edge more buys clock speed: the\n"
                  "lean unit's 4th registers the words once more as the block RAM reads\n"
                  "them (the RAM's own output register), its 5th their address; first "
                  "order's 6th its products, its 7th their operands, its 8th splits its "
                  "sums, its {full-interpolating-latency}th builds d an adder a stage; any\n"
                  "other the phase on its way in\n"
                  "  lumiro-coe 4096 --sincos --latency 4 -o unit.v"),
               Completion::None, Section::Unit, false,
               N_("The rising edges from a phase to its outputs, from {least-latency} (the default, and "
                  "{oscillator-latency} behind **--nco**) to {most-latency} for the lean unit; with "
                  "**--table-words** from {least-interpolating-latency} (the default {interpolating-latency}) at "
                  "first order and from {least-second-order-latency} (the default) at second order. In the lean "
                  "unit the 4th registers the words once more as the block RAM reads them, before anything "
                  "chooses between its two ports, so that the RAM's own output register can take them; the 5th "
                  "registers the read's address. At first order the 6th registers the products (a multiplier's "
                  "own output register), the 7th their operands and the bases apart from the block RAM (its "
                  "input registers), the 8th splits each sum in two with the carry between them registered, and "
                  "the {full-interpolating-latency}th builds d an adder a stage and registers the operands once "
                  "more: what an iCE40 UP5K needs, whose multipliers' registers Yosys does not take. Each "
                  "further edge registers the phase on its way in; each buys clock speed."),
               [](Options& o, std::string_view value) { o.latencyGiven = Counted(value); }, {NeedsUnit}},
    OptionSpec{OptionId::ClockEnable, "clock-enable", 0, nullptr,
               N_("an input ce; while it is low, no register of the\n"
                  "unit changes, but for those --reset clears: reset acts on every edge"),
               Completion::None, Section::Unit, false,
               N_("An input **ce**: while it is low, no register of the unit changes, so that the unit "
                  "follows a slower data rate on a fast clock. The one exception is **reset** (**--reset**), "
                  "which acts on every rising edge, ce high or low: what it clears is cleared at once, and what "
                  "follows moves on with the edges that ce enables."),
               [](Options& o, std::string_view) { o.clockEnable = true; }, {NeedsUnit}},
    OptionSpec{OptionId::Valid, "valid", 0, nullptr,
               N_("an output out_valid, high for exactly the outputs of a\n"
                  "phase given with the input in_valid high, --latency (enabled) edges\n"
                  "later; with --nco no in_valid: out_valid is low from power-up and\n"
                  "reset until the words of the accumulator's first value come out"),
               Completion::None, Section::Unit, false,
               N_("An input **in_valid** beside **phase** and an output **out_valid**, high for exactly the "
                  "outputs computed from a phase given with **in_valid** high, **--latency** rising edges later "
                  "(edges with ce high, with **--clock-enable**); the words come out whatever **in_valid** is. "
                  "Behind **--nco** there is no **in_valid**: **out_valid** is low from power-up, and from each "
                  "edge with **reset** high, until the words of the accumulator's first value leave the unit, "
                  "as many edges later as the file's comment says (D), and high from then on."),
               [](Options& o, std::string_view) { o.valid = true; }, {NeedsUnit}},
    OptionSpec{OptionId::AxiStream, "axi-stream", 0, nullptr,
               N_("AXI4-Stream ports: aclk; s_axis_phase_tvalid, _tready\n"
                  "and _tdata (the phase, in whole bytes); m_axis_data_tvalid, _tready\n"
                  "and _tdata (the cosine in the low half, the sine in the high half,\n"
                  "each in whole bytes, fixed:W widened by its sign); with --nco\n"
                  "s_axis_config_tvalid and _tdata (the frequency word, the offset in\n"
                  "the bytes above it) instead of the phase, --reset as aresetn;\n"
                  "--clock-enable as aclken; back-pressure holds the whole unit\n"
                  "  lumiro-coe 4096 --sincos --nco 32 --axi-stream -o dds.v"),
               Completion::None, Section::Unit, false,
               N_("AXI4-Stream ports, named as vendors' DDS cores name them: **aclk**; the phase channel "
                  "**s_axis_phase_tvalid**, **s_axis_phase_tready** and **s_axis_phase_tdata** (the phase, "
                  "zero-extended to whole bytes); the data channel **m_axis_data_tvalid**, "
                  "**m_axis_data_tready** and **m_axis_data_tdata** (the cosine in the low half, the sine in "
                  "the high half, each widened to whole bytes, by its sign for fixed:W words). An accepted "
                  "phase gives exactly one beat, in order, **--latency** edges later when nothing waits. While "
                  "a beat waits with **m_axis_data_tready** low, every register holds, so that no beat is lost, "
                  "repeated or changed, and **s_axis_phase_tready** is low: it is the pipeline's advance, one "
                  "gate from **m_axis_data_tready** with no register between. With **--nco** there is no phase "
                  "channel: **s_axis_config_tvalid** and **s_axis_config_tdata** load the frequency word (0 at "
                  "power-up) and, with **--phase-offset**, the offset in the bytes above it, on any edge with aclken high where there is one, whether or not a beat waits; the "
                  "oscillator holds while a beat waits, and **m_axis_data_tvalid** rises with the words of its "
                  "first value. **--reset** gives **aresetn**, active low, and **--clock-enable** **aclken**."),
               [](Options& o, std::string_view) { o.axiStream = true; },
               {NeedsUnit, Rule{true, {OptionId::Valid}, 1,
                                N_("option %s has valid signals of its own, so it does not combine with %s.")}}},
    OptionSpec{OptionId::Testbench, "testbench", 0, N_("FILE"),
               N_("beside the unit, a self-checking testbench of it in the same\n"
                  "language, FILE, and the vectors it reads, FILE's name with .vectors for\n"
                  "its extension: every phase (above N = {most-bench-phases}, that many, the quadrants'\n"
                  "edges among them), or {bench-settings} frequency words for {bench-clocks} clocks each,\n"
                  "with ce, in_valid, reset and back-pressure at random where the unit\n"
                  "has them; it ends with PASS: N outputs, or FAIL: K of N outputs and a\n"
                  "failure; runs in Icarus Verilog, Verilator --binary and GHDL\n"
                  "  lumiro-coe 4096 --sincos --testbench tb.v -o sincos.v"),
               Completion::Files, Section::Unit, false,
               N_("Beside the unit, a self-checking testbench of it in the unit's language (Verilog-2005 with "
                  "IEEE 1800's **$fatal**, or VHDL-93), written to //file//, and the vectors it reads, written "
                  "beside it under //file//'s name with **.vectors** for its extension: a line a clock, the "
                  "inputs in hexadecimal, the outputs the unit's circuit gives for them, and whether the "
                  "clock's words are an output of the unit. It gives a phase unit every phase once, in order, "
                  "or above N = {most-bench-phases} that many phases, the {quadrant-edge-phases} around each quadrant's start "
                  "among them; an oscillator {bench-settings} frequency words (and offsets), the one of **--frequency** or "
                  "**--tone** first where given, for {bench-clocks} clocks each. ce, in_valid, the phase channel's tvalid and the data channel's tready are low one "
                  "clock in {bench-idle} at random where the unit has them, and reset is high on each word's first "
                  "clock and one in {bench-reset}. On each clock, before its rising edge, it compares the "
                  "handshakes, and the words where they are an output; it ends with the line **PASS:** //N// "
                  "**outputs**, or **FAIL:** //K// **of** //N// **outputs** and a failure (**$fatal**, "
                  "**severity failure**), so that the simulator's status is not 0. The file's comment gives "
                  "the commands for Icarus Verilog, Verilator (as a binary of its own) and GHDL; the vectors are found "
                  "where the simulator runs, or where the parameter VECTORS (the generic vectors) says."),
               [](Options& o, std::string_view value) { o.testbenchPath = std::string(value); }, {NeedsUnit}},
    OptionSpec{OptionId::Nco, "nco", 0, N_("A"),
               N_("N a power of two: an accumulator of A bits (log2 N to\n"
                  "{widest-accumulator}) in front of the unit, a numerically controlled oscillator with\n"
                  "ports clk, frequency (A bits, added on every clock), sine and cosine;\n"
                  "its top log2 N bits are the unit's phase, the others truncated; its\n"
                  "adders work in carry segments of {segment-bits} bits, a clock apart; without\n"
                  "--dither the file and --report state an SFDR that every word keeps\n"
                  "  lumiro-coe 4096 --sincos --nco 32 -o nco.v"),
               Completion::None, Section::Oscillator, false,
               N_("An oscillator in front of the unit: an accumulator of //A// bits (log2 N to "
                  "{widest-accumulator}; N a power of two), 0 at first, adds the input **frequency** (//A// "
                  "bits) on every clock, and its top log2 N bits are the unit's phase, the others truncated; "
                  "the ports are **clk**, **frequency**, **sine** and **cosine** (and **ce** with "
                  "**--clock-enable**). The sine and cosine of the accumulator's k-th value appear **--latency** "
                  "rising edges after the k-th edge, one more for each of **--dither** and **--phase-offset**, and "
                  "more for the accumulator's carry segments: each of its adders works in segments of "
                  "{segment-bits} bits, every one a clock after the one below with the carry between them "
                  "registered, so that no carry chain grows with //A//; the file's comment says how many edges "
                  "in all. It works with the lean and the interpolating unit. Without **--dither**, the file's "
                  "comment and **--report** state an SFDR that every frequency word keeps, at least, from the worst "
                  "truncation spur and the unit's own error as one complex output (the README derives it)."),
               [](Options& o, std::string_view value) { o.ncoGiven = Counted(value); }, {NeedsUnit}},
    OptionSpec{OptionId::PhaseOffset, "phase-offset", 0, nullptr,
               N_("an input phase_offset of A bits, added after the\n"
                  "accumulator"),
               Completion::None, Section::Oscillator, false,
               N_("An input **phase_offset** (//A// bits), added after the accumulator, before the truncation."),
               [](Options& o, std::string_view) { o.phaseOffset = true; }, {NeedsOscillator}},
    OptionSpec{OptionId::Reset, "reset", 0, nullptr,
               N_("an input reset, synchronous and active high, that clears\n"
                  "the accumulator and restarts the dither (and lowers out_valid), on\n"
                  "every edge it is high, ce high or low"),
               Completion::None, Section::Oscillator, false,
               N_("An input **reset**, synchronous and active high, that clears the accumulator, restarts "
                  "the dither from its seed and lowers **out_valid** (**--valid**). It acts on every rising "
                  "edge it is high, with ce high or low (**--clock-enable**); the values from 0 then move on "
                  "with the enabled edges."),
               [](Options& o, std::string_view) { o.reset = true; }, {NeedsOscillator}},
    OptionSpec{OptionId::Dither, "dither", 0, nullptr,
               N_("pseudo-random dither below the truncated bits, added\n"
                  "before the truncation, so that its spurs become noise; from a 64-bit\n"
                  "LFSR, {dither-polynomial}, whose seed the file states"),
               Completion::None, Section::Oscillator, false,
               N_("Pseudo-random dither below the truncated bits, added before the truncation, so that the "
                  "truncation's spurs become noise: the low bits of a 64-bit Fibonacci LFSR, "
                  "{dither-polynomial}, shifting left with the new bit in bit 0, stepped as many times a clock "
                  "as bits are truncated, from the seed the file states."),
               [](Options& o, std::string_view) { o.dither = true; }, {NeedsOscillator}},
    OptionSpec{OptionId::SamplesPerClock, "samples-per-clock", 0, N_("P"),
               N_("P = 2, 4 or 8 samples a clock, for a DAC faster than the\n"
                  "fabric: sine and cosine become buses of P words, lane j (bits j x W\n"
                  "and up) the sample of clock k x P + j of the oscillator that adds\n"
                  "frequency each sample; the accumulator adds P x frequency, lane j\n"
                  "adds j x frequency to it, and each lane has the unit's table of its\n"
                  "own, both ports of its block RAM; not with --dither or --axi-stream"),
               Completion::None, Section::Oscillator, false,
               N_("//P// = 2, 4 or 8 samples a clock, for a DAC clocked faster than the fabric: **sine** and "
                  "**cosine** become buses of //P// words, lane //j// (bits //j//·W and up) the sample of clock "
                  "//k//·//P// + //j// of the oscillator that adds **frequency** each sample. The accumulator adds "
                  "//P// times the frequency word on every clock; lane //j// is lane //j// - //h// plus //h// times "
                  "it, //h// the top bit of //j//, so that every lane's value passes log2 //P// more carry-segmented "
                  "adders and D is log2 //P// edges more than without lanes; with the frequency word held since "
                  "power-up or reset, every lane is exactly the one-sample oscillator's stream. Each lane has the unit's table of its own, read "
                  "through both ports of its block RAM (sine and cosine). Not with **--dither** or "
                  "**--axi-stream**; the C and Python models give one sample a clock."),
               [](Options& o, std::string_view value) { o.lanesGiven = Counted(value); }, {NeedsOscillator}},
    OptionSpec{OptionId::Modulus, "modulus", 0, N_("D"),
               N_("an input fraction (below D, from 2 to {most-modulus}) and a second\n"
                  "accumulator that counts it modulo D and carries one into the first as\n"
                  "it wraps: after n clocks the accumulator holds floor(n (F D + B) / D)\n"
                  "mod 2^A, a tone of F + B/D steps a clock, exactly"),
               Completion::None, Section::Oscillator, false,
               N_("An input **fraction** (//B//, below //D//; //D// from 2 to {most-modulus}) and a second "
                  "accumulator that counts it modulo //D// and carries one into the first as it wraps, so that "
                  "after //n// clocks the accumulator holds floor(//n// (//F// //D// + //B//) / //D//) mod 2^//A//: "
                  "a tone of //F// + //B/////D// steps a clock, exactly, whose output repeats after 2^//A// //D// / "
                  "gcd(//F// //D// + //B//, 2^//A// //D//) clocks. Reset clears both accumulators. Not with "
                  "**--samples-per-clock** or **--axi-stream**."),
               [](Options& o, std::string_view value) { o.modulusGiven = Counted(value); }, {NeedsOscillator}},
    OptionSpec{OptionId::Frequency, "frequency", 0, N_("F"),
               N_("with --report or --plot: the frequency word whose output\n"
                  "they measure (decimal, or hexadecimal after 0x): the SFDR that phase\n"
                  "truncation predicts and the SFDR an FFT of its quadrature output\n"
                  "measures, over the exact period up to {windowed-clocks} clocks, else over "
                  "{windowed-clocks}\n"
                  "clocks through a Blackman-Harris window; the picture is that spectrum.\n"
                  "A capture shorter than that record shows the same spurs, but dither's\n"
                  "noise higher in each of its fewer bins, so a dithered SFDR measures\n"
                  "lower there"),
               Completion::None, Section::Oscillator, false,
               N_("With **--report**, the oscillator's output for the frequency word //F// (decimal, or "
                  "hexadecimal after 0x) instead of the unit's phases, from the same circuit the HDL is written "
                  "from: the SFDR that phase truncation predicts (for t truncated bits and a word with s "
                  "trailing zeros the error repeats every M = 2^(t-s) clocks and its worst spur is "
                  "(π/2^P)/(M sin(π/M)) of the carrier), and the SFDR an FFT of the quadrature output, cosine + "
                  "j sine, measures over one exact period when that is at most {windowed-clocks} clocks, else "
                  "over {windowed-clocks} clocks through a Blackman-Harris window whose lobes are summed, so "
                  "that a tone's place between two bins does not change its figure. The record is that long "
                  "so that the spurs of many truncated bits stand apart; a capture of fewer clocks, from a "
                  "simulation or a logic analyser, shows the same spurs, but dither's noise higher in each of "
                  "its fewer bins: a dithered oscillator measures 8 to 14 dB less over 100,000 clocks than over "
                  "{windowed-clocks}."),
               [](Options& o, std::string_view value) { o.frequencyGiven = Counted(value, true); },
               {NeedsOscillator, Rule{false, {OptionId::Report, OptionId::Plot}, 2,
                                      N_("option %s chooses the word that %s measure: give either.")}}},
    OptionSpec{OptionId::Fraction, "fraction", 0, N_("B"),
               N_("with --modulus, beside --frequency: the fraction B, below D, whose\n"
                  "oscillator --report and --plot measure"),
               Completion::None, Section::Oscillator, false,
               N_("With **--modulus** and **--frequency**, the fraction //B// (below //D//) of the oscillator "
                  "that **--report** and **--plot** measure: a tone of (//F// + //B/////D//) / 2^//A// of the clock."),
               [](Options& o, std::string_view value) { o.fractionGiven = Counted(value); },
               {Rule{false, {OptionId::Modulus}, 1, N_("option %s is the modulus's fraction: it needs %s.")},
                Rule{false, {OptionId::Frequency}, 1, N_("option %s goes with the word it completes: it needs %s.")}}},
    OptionSpec{OptionId::Clock, "clock", 0, N_("HZ"),
               N_("the clock in Hz (decimal, with an exponent if need be: 122.88e6):\n"
                  "the file's comment and the reports give frequencies in Hz beside\n"
                  "their share of the clock"),
               Completion::None, Section::Oscillator, false,
               N_("The oscillator's clock in Hz, a decimal number with an exponent if need be (122.88e6): the "
                  "file's comment gives the accumulator's step in Hz, and the reports the tone in Hz beside its "
                  "share of the clock."),
               [](Options& o, std::string_view value) { o.clockGiven = std::string(value); },
               {Rule{false, {OptionId::Nco, OptionId::Design}, 2, N_("option %s is the oscillator's clock: it needs %s.")}}},
    OptionSpec{OptionId::Tone, "tone", 0, N_("HZ"),
               N_("with --clock: says the frequency word nearest the tone and its error\n"
                  "in Hz, and makes the tone exact: with the least modulus D up to\n"
                  "{most-modulus} that does (or --modulus's D), the unit gets --modulus, and\n"
                  "F, B and D are said on standard error (and measured by --report)"),
               Completion::None, Section::Oscillator, false,
               N_("With **--clock**, a tone in Hz (a decimal number, with an exponent if need be). Standard error "
                  "says the frequency word nearest it and its error in Hz, and the oscillator that makes it exact: "
                  "the least modulus //D// up to {most-modulus} for which //F// + //B/////D// steps of 2^-//A// a clock "
                  "is the tone (or, with **--modulus**, the //F// and //B// nearest it for that //D//), given to the "
                  "unit as with **--modulus**, and the clocks after which its outputs repeat; where //D// is 1 the word "
                  "alone is exact and the unit has no modulus. **--report** measures that oscillator. The tone must "
                  "lie above 0 and below half the clock."),
               [](Options& o, std::string_view value) { o.toneGiven = std::string(value); },
               {Rule{false, {OptionId::Clock}, 1, N_("option %s is a frequency in Hz: it needs %s.")},
                Rule{true, {OptionId::Frequency}, 1, N_("option %s chooses the frequency word, so it does not combine with %s.")}}},
    OptionSpec{OptionId::Design, "design", 0, nullptr,
               N_("instead of N: from --clock, --resolution and --sfdr, the oscillator\n"
                  "with the fewest block RAM bits whose SFDR guaranteed for every\n"
                  "frequency word meets --sfdr: the accumulator (its step at most the\n"
                  "resolution), the phase bits, the word (unless --word fixed:W), the\n"
                  "lean or the interpolating unit; standard error gets the same unit's\n"
                  "command line and a summary"),
               Completion::None, Section::Oscillator, false,
               N_("Instead of N, the unit from the engineer's requirements: with **--clock**, **--resolution** and "
                  "**--sfdr**, the oscillator whose accumulator steps in at most the resolution (//A// the least "
                  "that does), and, of the lean and the interpolating units of the {design-phase-bits} phase counts from the "
                  "least whose truncation could reach the SFDR, each with the narrowest fixed:W word that does "
                  "(or **--word** fixed://W//), the one with the fewest block RAM bits whose SFDR guaranteed for "
                  "every frequency word (as **--nco** states it) meets **--sfdr**. It writes that unit, and says on "
                  "standard error the command line that writes the same unit and a summary: the resolution in Hz, "
                  "the guaranteed SFDR, the table's words and bits, the multipliers. **--dither** may be added; "
                  "the guarantee holds without it. Requirements no unit tried meets are refused, with the best "
                  "reached."),
               [](Options& o, std::string_view) { o.design = true; },
               {Rule{false, {OptionId::Clock}, 1, N_("option %s designs for a clock: it needs %s.")},
                Rule{true, {OptionId::Nco, OptionId::TableWords}, 2,
                     N_("option %s chooses the unit, so it does not combine with %s.")}}},
    OptionSpec{OptionId::Resolution, "resolution", 0, N_("HZ"),
               N_("with --design: the frequency step asked for, in Hz"),
               Completion::None, Section::Oscillator, false,
               N_("With **--design**, the step in Hz that the oscillator's frequency may take at most."),
               [](Options& o, std::string_view value) { o.resolutionGiven = std::string(value); },
               {Rule{false, {OptionId::Design}, 1, N_("option %s is a requirement: it needs %s.")}}},
    OptionSpec{OptionId::Sfdr, "sfdr", 0, N_("DB"),
               N_("with --design: the SFDR asked for, in dB, for every frequency word"),
               Completion::None, Section::Oscillator, false,
               N_("With **--design**, the SFDR in dB that every frequency word must keep, at least."),
               [](Options& o, std::string_view value) { o.sfdrGiven = std::string(value); },
               {Rule{false, {OptionId::Design}, 1, N_("option %s is a requirement: it needs %s.")}}},
    OptionSpec{OptionId::Radix, "radix", 0, N_("2|10|16"),
               N_("the words as binary digits, as many as a word has bits\n"
                  "(2, the default), as hexadecimal digits (16), or, in coe and\n"
                  "mif files of fixed-point words, as decimal numbers (10), signed\n"
                  "for fixed:W, the codes for ufixed:W and offset:W\n"
                  "  lumiro-coe 1024 --word fixed:16 --angle exact --radix 10"),
               Completion::Radices, Section::General, false,
               N_("Words as binary digits (the default) or hexadecimal digits, or, in coe and mif "
                  "files of fixed-point words, as decimal numbers: signed for fixed:W (a MIF file "
                  "says DATA_RADIX=DEC), the codes for ufixed:W and offset:W (DATA_RADIX=UNS). "
                  "Float words and the other formats have no decimal form. **--check** reads "
                  "negative decimal words in both."),
               [](Options& o, std::string_view value) { o.radix = Chosen(RadixChoices(), OptionId::Radix, value); }},
    OptionSpec{OptionId::Name, "name", 0, N_("NAME"),
               N_("the name of the package, module or array of the vhdl, verilog\n"
                  "and c formats: a letter, then letters, digits and single\n"
                  "underscores; no keyword or reserved name of VHDL, Verilog,\n"
                  "SystemVerilog or C"),
               Completion::None, Section::General, false,
               N_("The identifier the vhdl, verilog and c formats declare: a letter, then letters, "
                  "digits and single underscores, not ending in an underscore; no keyword of VHDL "
                  "(2008 included), Verilog or SystemVerilog, C (C23 included), no name of VHDL's "
                  "libraries (std, work, ieee), no name that the C headers reserve (ending in _t, "
                  "or in capitals ending in _MAX, _MIN or _C), no port name of the generated "
                  "modules and none of what their VHDL takes from ieee and std (rising_edge, "
                  "to_integer, boolean); at most {longest-name} characters."),
               [](Options& o, std::string_view value) { o.nameGiven = std::string(value); }},
    OptionSpec{OptionId::Output, "output", 'o', N_("FILE"),
               N_("write to FILE instead of standard output (- is standard\n"
                  "output); without --format, FILE's extension chooses the format,\n"
                  "as said under Formats; an existing file is replaced by the new one\n"
                  "only once all of it is written, so hard links to it keep the old\n"
                  "content;\n"
                  "a device or a pipe is written directly, and /dev/stdout,\n"
                  "/dev/stderr and /dev/fd/N where the shell opened them (after\n"
                  "'>>' at the end)"),
               Completion::Files, Section::General, false,
               N_("Write to //file// instead of standard output. An existing file is replaced only "
                  "once the new one is written whole, so hard links to it keep the old content; it "
                  "keeps its permission bits, without setuid, setgid or sticky. A symbolic link is "
                  "followed. A device or FIFO is written directly, and so are /dev/stdout, "
                  "/dev/stderr, /dev/fd/N and /proc/self/fd/N, through the descriptor the shell "
                  "opened (appending after **>>**); **-o -** is standard output. A socket is "
                  "refused. Without **--format**, the extension of //file// chooses the format, as "
                  "FORMATS says. The safe replace writes the new file beside the old one, so the "
                  "folder must allow writing."),
               [](Options& o, std::string_view value) {
                   if (value.empty())
                       throw UsageError(_("option --output needs a file name."));
                   // "-" is standard output, as for most tools.
                   o.outputPath = value == "-" ? std::nullopt : std::optional<std::string>(value);
               }},
    OptionSpec{OptionId::Check, "check", 0, N_("FILE"),
               N_("compare an existing file of a format it reads ({check-formats}; the kind\n"
                  "from its extension or from --format; - is standard input) with the table\n"
                  "for N, word by word, and say which words differ\n"
                  "  lumiro-coe 1024 --check sine.coe"),
               Completion::Files, Section::General, false, nullptr,
               [](Options& o, std::string_view value) {
                   if (value.empty())
                       throw UsageError(_("option --check needs a file name."));
                   o.checkPath = std::string(value);
               },
               {Rule{true, {OptionId::Output}, 1, N_("%s writes no file, so it does not combine with %s.")},
                Rule{true, {OptionId::Sincos}, 1,
                     N_("%s compares a memory file with the table, so it does not combine with %s, which writes "
                        "a unit.")}}},
    OptionSpec{OptionId::Quiet, "quiet", 'q', nullptr, N_("with --check: print nothing; the exit status tells"),
               Completion::None, Section::General, false,
               N_("With **--check**: print nothing; the exit status tells: 0 the file holds exactly "
                  "the table, 3 it differs, 1 it could not be read or is no such file (where **cmp "
                  "-s** says 1 for a difference)."),
               [](Options& o, std::string_view) { o.quiet = true; },
               {Rule{false, {OptionId::Check}, 1, N_("option %s goes with %s only.")}}},
    OptionSpec{OptionId::Version, "version", 0, nullptr, N_("the program's version"), Completion::None,
               Section::General, false, N_("Print the version."),
               [](Options& o, std::string_view) { o.version = true; }},
    OptionSpec{OptionId::Help, "help", 'h', nullptr, N_("this help"), Completion::None, Section::General, false,
               N_("Describe the options."), [](Options& o, std::string_view) { o.help = true; }},
};

constexpr std::array kSpans{
    Choice<Span>{"quarter", Span::Quarter, N_("N/4 samples, from 0 to 90 degrees without 90 (default)")},
    Choice<Span>{"half", Span::Half, N_("N/2 samples, from 0 to 180 degrees without 180")},
    Choice<Span>{"full", Span::Full, N_("N samples, from 0 to 360 degrees without 360")},
};

constexpr std::array kFunctions{
    Choice<Function>{"sin", Function::Sine, N_("the sine (default)")},
    Choice<Function>{"cos", Function::Cosine,
                     N_("the cosine of the same angles, each word the correct rounding of\n"
                        "the value it stands for, as for the sine\n"
                        "  lumiro-coe 1024 --function cos -o cosine.coe")},
};

constexpr std::array kAngles{
    Choice<AngleMode>{"window", AngleMode::Window,
                      N_("x(i) = i × rad_step, the step rounded to single precision,\n"
                         "exactly as in the window (default); the value is the correctly\n"
                         "rounded double sine of x(i), then rounded to the word, so\n"
                         "float32 gives the window's words")},
    Choice<AngleMode>{"exact", AngleMode::Exact,
                      N_("the ideal angle 2πi/N with the true π; the word is the correct\n"
                         "rounding of the exact sin(2πi/N), once, from the true value\n"
                         "  lumiro-coe 1024 --angle exact -o sine.coe")},
};

constexpr std::array kRadices{
    Choice<Radix>{"2", Radix::Binary, nullptr},
    Choice<Radix>{"10", Radix::Decimal, nullptr},
    Choice<Radix>{"16", Radix::Hex, nullptr},
};

// What --help says of each kind of word; the names and the widths come from
// the generator's table, each %d of a width-scaled kind's text from its entry.
const char* WordHelp(WordKind::Family family)
{
    switch (family) {
    case WordKind::Family::Float32: return N_("IEEE-754 single precision, as in the window (default)");
    case WordKind::Family::Float16: return N_("IEEE-754 half precision (binary16), 16 bits");
    case WordKind::Family::BFloat16: return N_("bfloat16, 16 bits");
    case WordKind::Family::Fixed:
        return N_("signed fixed point (two's complement), W from %d to %d\n"
                  "bits: sine × (2^(W-1) - 1), so +1 is the largest code;\n"
                  "with --angle exact each word is the correct rounding of\n"
                  "the true sine, where the window's angle misses a few\n"
                  "  lumiro-coe 1024 --word fixed:16 --angle exact -o rom.coe");
    case WordKind::Family::UFixed:
        return N_("unsigned fixed point, W from %d to %d: sine × (2^W - 1);\n"
                  "only for tables without negative samples: not with\n"
                  "--span full, nor with --span half --with-end at the\n"
                  "window's angle");
    case WordKind::Family::Offset:
        return N_("offset binary, W from %d to %d: the fixed:W word with its\n"
                  "top bit flipped, so that 0 is mid-scale, the code most DACs take\n"
                  "  lumiro-coe 1024 --word offset:14 --angle exact -o dac.mem");
    }
    return nullptr;
}

// The formats --check reads, from their own entries: "coe, mem, mif".
std::string Readable()
{
    std::string names;
    for (std::string_view name : FormatNames([](const Format& format) { return format.read != nullptr; }))
        names.append(names.empty() ? "" : ", ").append(name);
    return names;
}

std::string PowerOfTwo(std::uint64_t value)
{
    return "2^" + std::to_string(std::countr_zero(value));
}

// The numbers and texts the code owns, as the option texts name them.
std::string Owned(std::string_view name)
{
    const std::pair<std::string_view, std::int64_t> numbers[] = {
        {"least-latency", kLeastUnitLatency},
        {"most-latency", kMostUnitLatency},
        {"least-interpolating-latency", kLeastInterpolatingLatency},
        {"least-second-order-latency", kLeastSecondOrderLatency},
        {"interpolating-latency", kDefaultInterpolatingLatency},
        {"full-interpolating-latency", kFullInterpolatingLatency},
        {"oscillator-latency", kOscillatorLatency},
        {"segment-bits", NcoPlan::kSegmentBits},
        {"least-table-words", kLeastTableWords},
        {"narrowest-port", kNarrowestPort},
        {"widest-port", kWidestPort},
        {"most-interpolated-divisions", kMostInterpolatedDivisions},
        {"most-divisions", kMaxDivisions},
        {"narrowest-interpolated", kNarrowestInterpolated},
        {"widest-interpolated", kWidestInterpolated},
        {"widest-accumulator", kWidestAccumulator},
        {"longest-name", static_cast<std::int64_t>(kLongestName)},
        {"quadrant-edge-phases", hardware::kQuadrantEdgePhases},
        {"bench-settings", hardware::kBenchSettings},
        {"bench-clocks", hardware::kClocksPerSetting},
        {"bench-idle", hardware::kIdleOneIn},
        {"bench-reset", hardware::kResetOneIn},
        {"design-phase-bits", kDesignPhaseBitsTried},
    };
    for (const auto& [known, value] : numbers)
        if (known == name)
            return std::to_string(value);
    if (name == "windowed-clocks")
        return PowerOfTwo(kWindowedClocks);
    if (name == "most-modulus")
        return PowerOfTwo(kMostModulus);
    if (name == "most-bench-phases")
        return PowerOfTwo(hardware::kMostBenchPhases);
    if (name == "dither-polynomial")
        return DitherPolynomial();
    if (name == "check-formats")
        return Readable();
    if (name == "sincos-refuses")
        return _("--span half or full, --with-end, --function cos or ufixed words");
    throw std::logic_error("option text: no number named {" + std::string(name) + "}");
}

}  // namespace

std::string Expanded(std::string_view text)
{
    std::string expanded;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t open = text.find('{', at);
        if (open == std::string_view::npos) {
            expanded.append(text.substr(at));
            break;
        }
        const std::size_t close = text.find('}', open);
        if (close == std::string_view::npos)
            throw std::logic_error("option text: an unclosed {");
        expanded.append(text.substr(at, open - at)).append(Owned(text.substr(open + 1, close - open - 1)));
        at = close + 1;
    }
    return expanded;
}

std::span<const OptionSpec> OptionTable()
{
    return kOptions;
}

const OptionSpec& Option(OptionId id)
{
    return kOptions[static_cast<std::size_t>(id)];
}

std::string Spelled(OptionId id)
{
    return Joined({"--", Option(id).longName});
}

namespace {

template <class Value>
std::string_view NameOf(std::span<const Choice<Value>> choices, Value value)
{
    for (const auto& choice : choices)
        if (choice.value == value)
            return choice.name;
    return {};
}

// The table is in OptionId's order, so that Option() finds an entry by its place.
constexpr bool InOrder()
{
    for (std::size_t at = 0; at < kOptions.size(); ++at)
        if (static_cast<std::size_t>(kOptions[at].id) != at)
            return false;
    return kOptions.size() == kOptionCount;
}
static_assert(InOrder());

}  // namespace

std::string OptionsFor(const TableShape& shape)
{
    const TableShape defaults;
    std::string text;
    const auto add = [&text](OptionId id, std::string_view value) {
        text.append(text.empty() ? "" : " ").append(Spelled(id));
        if (!value.empty())
            text.append(" ").append(value);
    };
    if (shape.span != defaults.span)
        add(OptionId::Span, NameOf(SpanChoices(), shape.span));
    if (shape.withEnd)
        add(OptionId::WithEnd, {});
    if (shape.halfStep)
        add(OptionId::HalfStep, {});
    if (shape.angle != defaults.angle)
        add(OptionId::Angle, NameOf(AngleChoices(), shape.angle));
    if (shape.function != defaults.function)
        add(OptionId::Function, NameOf(FunctionChoices(), shape.function));
    if (shape.word.Name() != defaults.word.Name())
        add(OptionId::Word, shape.word.Name());
    return text;
}

std::span<const Choice<Span>> SpanChoices()
{
    return kSpans;
}

std::span<const Choice<Function>> FunctionChoices()
{
    return kFunctions;
}

std::span<const Choice<AngleMode>> AngleChoices()
{
    return kAngles;
}

std::span<const Choice<Radix>> RadixChoices()
{
    return kRadices;
}

std::span<const Choice<WordKind::Entry>> WordChoices()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const WordKind::Entry& kind : WordKind::Kinds())
            list.push_back(std::string(kind.name) + (kind.scaled() ? "W" : ""));
        return list;
    }();
    static const std::vector<Choice<WordKind::Entry>> choices = [] {
        std::vector<Choice<WordKind::Entry>> list;
        for (std::size_t at = 0; at < names.size(); ++at) {
            const WordKind::Entry& kind = WordKind::Kinds()[at];
            list.push_back({names[at], kind, WordHelp(kind.family)});
        }
        return list;
    }();
    return choices;
}

std::string WidthsSaid(std::string_view text, const WordKind::Entry& kind)
{
    std::string said(text);
    for (const int width : {kind.narrowest, kind.widest})
        if (const std::size_t at = said.find("%d"); at != std::string::npos)
            said.replace(at, 2, std::to_string(width));
    return said;
}

}  // namespace lumiro::coe
