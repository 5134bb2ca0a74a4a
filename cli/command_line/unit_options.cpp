// SPDX-License-Identifier: GPL-3.0-or-later
// The options of the sine/cosine unit, resolved once N, the table and the
// format are known: each number said against the one range it has here, in
// the same words whichever side of it the value falls on.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <utility>
#include <bit>

#include "i18n.h"
#include "nco.h"
#include "design.h"
#include "hardware/circuit.h"
#include "options.h"
#include "output_file.h"
#include "printers.h"
#include "sincos_unit.h"

namespace lumiro::coe {
namespace {

std::string Count(std::uint64_t value)
{
    return std::to_string(value);
}

// The format must write a unit; where -o's name chose none, that is said first.
void CheckUnitFormat(const Options& options)
{
    if (options.format->writeUnit != nullptr)
        return;
    const std::string formats =
        Listed(FormatNames([](const Format& format) { return format.writeUnit != nullptr; }));
    if (!options.Has(OptionId::Format) && options.outputPath && FormatsForFile(*options.outputPath).sharing.empty()) {
        const std::string& path = *options.outputPath;
        const std::size_t slash = path.rfind('/');
        const std::size_t dot = path.rfind('.');
        const bool extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
        throw UsageError(Printf(extension ? _("%s names no format, so %s was taken; --sincos writes a unit in a "
                                              "hardware language, or its C or Python model: give --format %s.")
                                          : _("the name %s has no extension that names a format, so %s was taken; "
                                              "--sincos writes a unit in a hardware language, or its C or Python model: give "
                                              "--format %s."),
                                Shown(extension ? path.substr(dot) : path).c_str(),
                                std::string(options.format->name).c_str(), formats.c_str()));
    }
    throw UsageError(Printf(_("--sincos writes a unit in a hardware language, or its C or Python model: give --format %s "
                              "(not %s)."),
                            formats.c_str(), std::string(options.format->name).c_str()));
}

// The unit unfolds a quarter table of its own into the full turn.
void CheckUnitShape(const Options& options)
{
    const TableShape& shape = options.shape;
    if (shape.span != Span::Quarter || shape.withEnd || shape.function != Function::Sine)
        throw UsageError(Printf(_("--sincos unfolds a quarter table of its own: it takes no %s."),
                                Expanded("{sincos-refuses}").c_str()));
    if (shape.word.isUnsigned())
        throw UsageError(Printf(_("--sincos needs words with a sign for the second half turn, not %s."),
                                shape.word.Name().c_str()));
    if (shape.divisions % 4 != 0)
        throw UsageError(Printf(_("--sincos needs N divisible by 4, so that the quarter table ends at 90 "
                                  "degrees (N = %d)."),
                                shape.divisions));
}

// "25x18": the two ports in either order, the wider first once read.
void ResolveMultiplier(Options& options)
{
    const std::string& text = *options.multiplierGiven;
    const std::size_t x = text.find('x');
    const std::optional<std::uint64_t> a = x == std::string::npos ? std::nullopt : Counted(text.substr(0, x)).number;
    const std::optional<std::uint64_t> b = x == std::string::npos ? std::nullopt : Counted(text.substr(x + 1)).number;
    const auto fits = [](const std::optional<std::uint64_t>& port) {
        return port && *port >= static_cast<std::uint64_t>(kNarrowestPort) &&
               *port <= static_cast<std::uint64_t>(kWidestPort);
    };
    if (!fits(a) || !fits(b))
        throw UsageError(Printf(_("option --multiplier takes the widths of a multiplier's two ports, each from %d "
                                  "to %d bits, as 25x18 (got %s)."),
                                kNarrowestPort, kWidestPort, Shown(text).c_str()));
    options.ports = MultiplierPorts{static_cast<int>(std::max(*a, *b)), static_cast<int>(std::min(*a, *b))};
}

std::string PortsSaid(const Ports& ports)
{
    return Count(static_cast<std::uint64_t>(ports->wide)) + "x" + Count(static_cast<std::uint64_t>(ports->narrow));
}

void ResolveTableWords(Options& options)
{
    const TableShape& shape = options.shape;
    const Given& given = *options.tableWordsGiven;
    if (!std::has_single_bit(static_cast<std::uint32_t>(shape.divisions)))
        throw UsageError(Printf(_("--table-words interpolates by the phase's bits: N must be a power of two "
                                  "(N = %d)."),
                                shape.divisions));
    const std::uint64_t most = static_cast<std::uint64_t>(shape.divisions) / 4;
    if (!given.number || !std::has_single_bit(*given.number) || *given.number < kLeastTableWords ||
        *given.number >= most)
        throw UsageError(Printf(_("option --table-words takes a power of two from %d to below N/4 = %s "
                                  "(got %s)."),
                                kLeastTableWords, Count(most).c_str(), Shown(given.text).c_str()));
    options.tableWords = static_cast<std::int32_t>(*given.number);
    switch (CheckInterpolation(shape, options.tableWords, options.ports)) {
    case InterpolationFault::None: return;
    case InterpolationFault::NotPowerOfTwo:
    case InterpolationFault::TableSize: break;  // said above
    case InterpolationFault::Angle:
        throw UsageError(_("--table-words needs --angle exact: between the table's points the window's "
                           "single-precision step has no meaning."));
    case InterpolationFault::Word:
        throw UsageError(Printf(_("--table-words interpolates fixed:W words with W from %d to %d, not %s."),
                                kNarrowestInterpolated, kWidestInterpolated, shape.word.Name().c_str()));
    case InterpolationFault::TooFewWords:
        if (options.ports) {
            if (const std::int32_t least = LeastTableWords(shape, options.ports); least > 0)
                throw UsageError(Printf(_("%d table words are too few for %s words to stay within 1 LSB through "
                                          "%s multipliers: give --table-words %d or more."),
                                        options.tableWords, shape.word.Name().c_str(),
                                        PortsSaid(options.ports).c_str(), least));
            throw UsageError(Printf(_("no quarter table smaller than N/4 keeps %s words within 1 LSB through %s "
                                      "multipliers: give wider ports to --multiplier."),
                                    shape.word.Name().c_str(), PortsSaid(options.ports).c_str()));
        }
        if (const std::int32_t least = LeastTableWords(shape); least > 0)
            throw UsageError(Printf(_("%d table words are too few for %s words to stay within 1 LSB: give "
                                      "--table-words %d or more."),
                                    options.tableWords, shape.word.Name().c_str(), least));
        throw UsageError(Printf(_("no quarter table smaller than N/4 keeps %s words within 1 LSB by "
                                  "interpolation: leave out --table-words."),
                                shape.word.Name().c_str()));
    }
}

void ResolveLatency(Options& options)
{
    const Given& given = *options.latencyGiven;
    const int least = options.LeastLatency();
    if (!given.number || *given.number < static_cast<std::uint64_t>(least) ||
        *given.number > static_cast<std::uint64_t>(kMostUnitLatency)) {
        const int order =
            options.tableWords > 0 ? InterpolationOrder(options.shape, options.tableWords, options.ports) : 0;
        throw UsageError(Printf(order == 0   ? _("option --latency takes from %d to %d rising edges (got %s).")
                                : order == 1 ? _("option --latency takes from %d to %d rising edges for the "
                                                 "interpolating unit (got %s).")
                                             : _("option --latency takes from %d to %d rising edges for the "
                                                 "interpolating unit of second order (got %s)."),
                                least, kMostUnitLatency, Shown(given.text).c_str()));
    }
    options.latency = static_cast<int>(*given.number);
}

void ResolveNco(Options& options)
{
    const TableShape& shape = options.shape;
    const Given& given = *options.ncoGiven;
    if (!std::has_single_bit(static_cast<std::uint32_t>(shape.divisions)))
        throw UsageError(Printf(_("--nco takes the accumulator's top bits as the phase: N must be a power of "
                                  "two (N = %d)."),
                                shape.divisions));
    const int phaseBits = std::countr_zero(static_cast<std::uint32_t>(shape.divisions));
    if (!given.number || *given.number < static_cast<std::uint64_t>(phaseBits) ||
        *given.number > static_cast<std::uint64_t>(kWidestAccumulator))
        throw UsageError(Printf(_("option --nco takes from %d to %d bits for N = %d, the phase's bits and "
                                  "more (got %s)."),
                                phaseBits, kWidestAccumulator, shape.divisions, Shown(given.text).c_str()));
    options.ncoBits = static_cast<int>(*given.number);
    if (options.dither && options.ncoBits == phaseBits)
        throw UsageError(_("--dither goes below the truncated bits, and an accumulator as wide as the "
                           "phase truncates none."));
    // Both words in one beat, each in whole bytes, on a port of a signal's width at most.
    const int most = hardware::kWidestSignal / 2;
    if (options.axiStream && options.phaseOffset && options.ncoBits > most)
        throw UsageError(Printf(_("--axi-stream loads the frequency word and the offset in one beat of "
                                  "s_axis_config_tdata, of at most %d bits: with --phase-offset, give --nco %d or "
                                  "less (got %d)."),
                                hardware::kWidestSignal, most, options.ncoBits));
}

// Lanes of the accumulator plus j times the word, in a hardware language.
void ResolveLanes(Options& options)
{
    const Given& given = *options.lanesGiven;
    if (!given.number || (*given.number != 2 && *given.number != 4 && *given.number != 8))
        throw UsageError(Printf(_("option --samples-per-clock takes 2, 4 or 8 (got %s)."), Shown(given.text).c_str()));
    if (options.dither)
        throw UsageError(_("--samples-per-clock gives each lane the accumulator plus a multiple of the frequency word, "
                           "without dither: leave out --dither."));
    if (options.axiStream)
        throw UsageError(_("--samples-per-clock gives buses of words with no stream of their own: leave out "
                           "--axi-stream."));
    if (options.format->writeTestbench == nullptr)
        throw UsageError(Printf(_("--samples-per-clock writes its lanes in a hardware language; the models give one "
                                  "sample a clock: give --format %s (not %s)."),
                                Listed(FormatNames([](const Format& format) {
                                    return format.writeTestbench != nullptr;
                                })).c_str(),
                                std::string(options.format->name).c_str()));
    options.lanes = static_cast<int>(*given.number);
}

__extension__ typedef unsigned __int128 Wide;

// A decimal number, digits[.digits][e[+|-]digits], as digits x 10^exponent.
struct Decimal {
    std::uint64_t digits = 0;
    int exponent = 0;
};

std::optional<Decimal> ReadDecimal(std::string_view text)
{
    Decimal value;
    bool any = false;
    bool point = false;
    std::size_t at = 0;
    for (; at < text.size() && (std::isdigit(static_cast<unsigned char>(text[at])) != 0 || (text[at] == '.' && !point));
         ++at) {
        if (text[at] == '.') {
            point = true;
            continue;
        }
        if (value.digits > (UINT64_MAX - 9) / 10)
            return std::nullopt;
        value.digits = value.digits * 10 + static_cast<std::uint64_t>(text[at] - '0');
        value.exponent -= point ? 1 : 0;
        any = true;
    }
    if (!any)
        return std::nullopt;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        const std::string_view power = text.substr(at + 1);
        const bool negative = power.starts_with('-');
        const Given exponent = Counted(power.substr(power.starts_with('-') || power.starts_with('+') ? 1 : 0));
        if (!exponent.number || *exponent.number > 30)
            return std::nullopt;
        value.exponent += (negative ? -1 : 1) * static_cast<int>(*exponent.number);
        at = text.size();
    }
    if (at != text.size())
        return std::nullopt;
    return value;
}

Decimal ReadHertz(OptionId option, std::string_view text)
{
    const std::optional<Decimal> value = ReadDecimal(text);
    if (!value || value->digits == 0)
        throw UsageError(Printf(_("option %s takes a frequency in Hz above 0, a decimal number with an exponent if "
                                  "need be, as 122.88e6 (got %s)."),
                                Spelled(option).c_str(), Shown(text).c_str()));
    return *value;
}

double HertzOf(const Decimal& value)
{
    return static_cast<double>(value.digits) * std::pow(10.0, value.exponent);
}

std::string Hertz(double value)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.12g", value);
    return text;
}

void ResolveModulus(Options& options)
{
    const Given& given = *options.modulusGiven;
    if (!given.number || *given.number < 2 || *given.number > kMostModulus)
        throw UsageError(Printf(_("option --modulus takes a D from 2 to 2^32 (got %s)."), Shown(given.text).c_str()));
    if (options.lanes > 1 || options.axiStream)
        throw UsageError(Printf(_("--modulus counts its fraction a sample a clock, through plain ports: leave out %s."),
                                options.axiStream ? "--axi-stream" : "--samples-per-clock"));
    options.modulus = *given.number;
}

// The tone over the clock, in lowest terms, with both below 2^63.
std::pair<std::uint64_t, std::uint64_t> Share(const Decimal& tone, const Decimal& clock, std::string_view said)
{
    Wide numerator = tone.digits;
    Wide denominator = clock.digits;
    for (int k = tone.exponent; k > clock.exponent; --k)
        numerator *= 10;
    for (int k = clock.exponent; k > tone.exponent; --k)
        denominator *= 10;
    Wide a = numerator;
    Wide b = denominator;
    while (b != 0)
        a = std::exchange(b, a % b);
    numerator /= a;
    denominator /= a;
    if (numerator >> 63 != 0 || denominator >> 63 != 0)
        throw UsageError(Printf(_("--tone %s Hz is a share of the clock with too many digits: give the tone and "
                                  "the clock with fewer."),
                                std::string(said).c_str()));
    if (2 * numerator >= denominator)
        throw UsageError(Printf(_("--tone %s Hz is not below half the clock, %s Hz: give a tone below %s Hz."),
                                std::string(said).c_str(), Hertz(HertzOf(clock)).c_str(),
                                Hertz(HertzOf(clock) / 2).c_str()));
    return {static_cast<std::uint64_t>(numerator), static_cast<std::uint64_t>(denominator)};
}

// What the tone's oscillator is, for standard error and the file's comment.
void SayTone(Options& options, const Tone& tone, double hertz)
{
    const int bits = options.ncoBits;
    const double clock = *options.clockHz;
    const auto hertzOf = [&](std::uint64_t word, std::uint64_t fraction, std::uint64_t modulus) {
        return (static_cast<double>(word) + static_cast<double>(fraction) / static_cast<double>(modulus)) *
               std::ldexp(clock, -bits);
    };
    const NcoPlan plan{bits, 0, false, false, false, 1, tone.modulus};
    const std::uint64_t period = NcoPeriod(plan, tone.frequency, tone.fraction);
    std::string said = Printf(_("--tone %s Hz is %llu/%llu of the clock; the nearest frequency word, 0x%llX, gives "
                                "%s Hz, %.3g Hz off.\n"),
                              Hertz(hertz).c_str(), static_cast<unsigned long long>(tone.numerator),
                              static_cast<unsigned long long>(tone.denominator),
                              static_cast<unsigned long long>(tone.nearest),
                              Hertz(hertzOf(tone.nearest, 0, 1)).c_str(), hertzOf(tone.nearest, 0, 1) - hertz);
    const std::string repeats = period == 0 ? std::string("2^64") : std::to_string(period);
    if (tone.modulus == 1)
        said += Printf(_("The word alone is exact: frequency 0x%llX; the outputs repeat every %s clocks.\n"),
                       static_cast<unsigned long long>(tone.frequency), repeats.c_str());
    else if (tone.exact)
        said += Printf(_("Exact with --modulus %llu: frequency 0x%llX, fraction %llu; the outputs repeat every %s "
                         "clocks.\n"),
                       static_cast<unsigned long long>(tone.modulus), static_cast<unsigned long long>(tone.frequency),
                       static_cast<unsigned long long>(tone.fraction), repeats.c_str());
    else
        said += Printf(_("With --modulus %llu: frequency 0x%llX, fraction %llu give %s Hz, %.3g Hz off.\n"),
                       static_cast<unsigned long long>(tone.modulus), static_cast<unsigned long long>(tone.frequency),
                       static_cast<unsigned long long>(tone.fraction),
                       Hertz(hertzOf(tone.frequency, tone.fraction, tone.modulus)).c_str(),
                       hertzOf(tone.frequency, tone.fraction, tone.modulus) - hertz);
    options.toneSaid = said;
    // The file says the same, in its own words and in English whatever the locale.
    char note[256];
    std::snprintf(note, sizeof note, "Tone %s Hz, %llu/%llu of the clock: frequency 0x%llX%s,\n%s%s.", Hertz(hertz).c_str(),
                  static_cast<unsigned long long>(tone.numerator), static_cast<unsigned long long>(tone.denominator),
                  static_cast<unsigned long long>(tone.frequency),
                  tone.modulus > 1 ? (", fraction " + std::to_string(tone.fraction)).c_str() : "",
                  tone.exact ? "exact; the outputs repeat every " : "not exact",
                  tone.exact ? (repeats + " clocks").c_str() : "");
    options.notes.emplace_back(note);
}

void ResolveTone(Options& options)
{
    const Decimal clock = ReadHertz(OptionId::Clock, *options.clockGiven);
    const Decimal tone = ReadHertz(OptionId::Tone, *options.toneGiven);
    const auto [numerator, denominator] = Share(tone, clock, *options.toneGiven);
    const NcoPlan plan{options.ncoBits, 0, false, false, false, 1, 1};
    const std::optional<Tone> found = ToneFor(plan, numerator, denominator, options.modulusGiven ? options.modulus : 0);
    if (!found)
        throw UsageError(Printf(_("--tone %s Hz is %llu/%llu of the clock: no modulus up to 2^32 makes it exact; give "
                                  "--modulus D for the nearest tone with that D."),
                                options.toneGiven->c_str(), static_cast<unsigned long long>(numerator),
                                static_cast<unsigned long long>(denominator)));
    if (found->modulus > 1 && (options.lanes > 1 || options.axiStream))
        throw UsageError(Printf(_("--tone %s Hz needs --modulus %llu to be exact, which counts its fraction a sample a "
                                  "clock, through plain ports: leave out %s."),
                                options.toneGiven->c_str(), static_cast<unsigned long long>(found->modulus),
                                options.axiStream ? "--axi-stream" : "--samples-per-clock"));
    if (found->modulus > 1)
        options.modulus = found->modulus;
    options.frequency = found->frequency;
    options.fraction = found->fraction;
    SayTone(options, *found, HertzOf(tone));
}

void ResolveClock(Options& options)
{
    const double clock = HertzOf(ReadHertz(OptionId::Clock, *options.clockGiven));
    options.clockHz = clock;
    char note[160];
    std::snprintf(note, sizeof note, "Clock %s Hz: a step of the accumulator, clock / 2^%d, is %s Hz.",
                  Hertz(clock).c_str(), options.ncoBits, Hertz(std::ldexp(clock, -options.ncoBits)).c_str());
    options.notes.emplace_back(note);
}

double ReadDecibels(std::string_view text)
{
    const std::optional<Decimal> value = ReadDecimal(text);
    const double decibels = value ? HertzOf(*value) : 0;
    if (!value || decibels <= 0 || decibels > 400)
        throw UsageError(Printf(_("option --sfdr takes an SFDR in dB above 0, as 90 (got %s)."), Shown(text).c_str()));
    return decibels;
}

std::string Requirement(OptionId id, const std::optional<std::string>& given)
{
    if (!given)
        throw UsageError(Printf(_("--design designs from --clock, --resolution and --sfdr: give %s too."),
                                Spelled(id).c_str()));
    return *given;
}

// What --design chose, as the command line that makes the same unit and in figures.
std::string DesignSaid(const Options& options, const Design& design, const Requirements& asked)
{
    const std::string format =
        options.Has(OptionId::Format) ? " --format " + std::string(options.format->name) : std::string();
    const std::string table =
        design.tableWords > 0 ? " --table-words " + std::to_string(design.tableWords) : std::string();
    // A command line, the same in every language.
    const std::string line = "lumiro-coe " + std::to_string(design.divisions) + " --sincos --word fixed:" +
                             std::to_string(design.width) + " --angle exact" + table + " --nco " +
                             std::to_string(design.accumulatorBits) + (options.dither ? " --dither" : "") + format +
                             " --clock " + *options.clockGiven + " -o " +
                             (options.outputPath ? Shown(*options.outputPath) : std::string("-"));
    const std::string unit =
        design.tableWords > 0
            ? Printf(_("interpolating from %d table words, %lld bits of block RAM, %d multipliers"), design.tableWords,
                     static_cast<long long>(design.memoryBits), design.multipliers)
            : Printf(_("a quarter table of %d words, %lld bits of block RAM, no multiplier"), design.divisions / 4,
                     static_cast<long long>(design.memoryBits));
    return Printf(_("--design: N = %d, A = %d bits, fixed:%d words, %s;\nresolution %s Hz (asked: %s Hz), SFDR "
                    "guaranteed for every frequency word %.2f dB (asked: %s dB).\nThe same unit: %s\n"),
                  design.divisions, design.accumulatorBits, design.width, unit.c_str(),
                  Hertz(std::ldexp(asked.clockHz, -design.accumulatorBits)).c_str(), Hertz(asked.resolutionHz).c_str(),
                  design.guaranteed, Hertz(asked.sfdrDb).c_str(), line.c_str());
}

void ResolveFraction(Options& options)
{
    const Given& given = *options.fractionGiven;
    if (!given.number || *given.number >= options.modulus)
        throw UsageError(Printf(_("option --fraction takes a B below D = %llu, the modulus (got %s)."),
                                static_cast<unsigned long long>(options.modulus), Shown(given.text).c_str()));
    options.fraction = *given.number;
}

void ResolveFrequency(Options& options)
{
    const Given& given = *options.frequencyGiven;
    const int bits = options.ncoBits;
    if (!given.number || (bits < 64 && *given.number >> bits != 0))
        throw UsageError(Printf(_("option --frequency takes a word of %d bits, the accumulator's, decimal or "
                                  "hexadecimal after 0x (got %s)."),
                                bits, Shown(given.text).c_str()));
    options.frequency = *given.number;
}

}  // namespace

// The testbench and its vectors are two files of their own, in the unit's language.
void CheckTestbench(const Options& options)
{
    const std::string& bench = *options.testbenchPath;
    if (options.format->writeTestbench == nullptr)
        throw UsageError(Printf(_("--testbench writes a testbench in the unit's hardware language: give --format %s "
                                  "(not %s)."),
                                Listed(FormatNames([](const Format& format) {
                                    return format.writeTestbench != nullptr;
                                })).c_str(),
                                std::string(options.format->name).c_str()));
    if (bench == "-")
        throw UsageError(_("--testbench writes two files, the testbench and its vectors beside it: give it a "
                           "file's name, not -."));
    const std::string vectors = VectorsBeside(bench);
    for (const std::optional<std::string>& other : {options.outputPath, options.plotPath})
        if (other && (SameFile(*other, bench) || SameFile(*other, vectors)))
            throw UsageError(Printf(_("%s is a name --testbench writes (the testbench %s, its vectors %s): give "
                                      "the files names of their own."),
                                    ShownPath(*other).c_str(), ShownPath(bench).c_str(), ShownPath(vectors).c_str()));
    if (SameFile(bench, vectors))
        throw UsageError(Printf(_("the testbench %s would be its own vectors: give it a name with another "
                                  "extension than .vectors."),
                                ShownPath(bench).c_str()));
}

void ResolveDesign(Options& options)
{
    Requirements asked{};
    asked.clockHz = HertzOf(ReadHertz(OptionId::Clock, Requirement(OptionId::Clock, options.clockGiven)));
    asked.resolutionHz =
        HertzOf(ReadHertz(OptionId::Resolution, Requirement(OptionId::Resolution, options.resolutionGiven)));
    asked.sfdrDb = ReadDecibels(Requirement(OptionId::Sfdr, options.sfdrGiven));
    if (options.Has(OptionId::Word)) {
        if (options.shape.word.family() != WordKind::Family::Fixed)
            throw UsageError(Printf(_("--design makes units of fixed:W words, not %s."),
                                    options.shape.word.Name().c_str()));
        asked.width = options.shape.word.width();
    }
    const int accumulator = AccumulatorFor(asked);
    if (accumulator == 0)
        throw UsageError(Printf(_("a resolution of %s Hz at a clock of %s Hz needs more than 64 accumulator bits: the "
                                  "finest is %s Hz."),
                                Hertz(asked.resolutionHz).c_str(), Hertz(asked.clockHz).c_str(),
                                Hertz(std::ldexp(asked.clockHz, -kWidestAccumulator)).c_str()));
    const DesignOutcome outcome = DesignUnit(asked);
    if (outcome.truncationAllows)
        throw UsageError(Printf(_("no unit reaches an SFDR of %s dB for every frequency word: the truncation of the "
                                  "most phases there are, 2^26, allows %.2f dB at best; ask for less."),
                                Hertz(asked.sfdrDb).c_str(), *outcome.truncationAllows));
    if (!outcome.chosen)
        throw UsageError(Printf(_("no unit reaches an SFDR of %s dB for every frequency word: the best found is %.2f dB, "
                                  "N = %d with fixed:%d words; ask for less, or a wider --word."),
                                Hertz(asked.sfdrDb).c_str(), outcome.best.guaranteed, outcome.best.divisions,
                                outcome.best.width));
    const Design& design = *outcome.chosen;
    options.shape.divisions = design.divisions;
    options.shape.word = *WordKind::Named("fixed:" + std::to_string(design.width));
    options.shape.angle = AngleMode::Exact;
    options.sincos = true;
    options.ncoGiven = Given{std::to_string(design.accumulatorBits), static_cast<std::uint64_t>(design.accumulatorBits)};
    if (design.tableWords > 0)
        options.tableWordsGiven = Given{std::to_string(design.tableWords), static_cast<std::uint64_t>(design.tableWords)};
    options.designSaid = DesignSaid(options, design, asked);
}

void ResolveUnit(Options& options)
{
    CheckUnitFormat(options);
    if (options.testbenchPath)
        CheckTestbench(options);
    CheckUnitShape(options);
    if (options.multiplierGiven)
        ResolveMultiplier(options);
    if (options.tableWordsGiven)
        ResolveTableWords(options);
    if (options.latencyGiven)
        ResolveLatency(options);
    if (options.ncoGiven)
        ResolveNco(options);
    if (options.lanesGiven)
        ResolveLanes(options);
    if (options.modulusGiven)
        ResolveModulus(options);
    if (options.clockGiven)
        ResolveClock(options);
    if (options.toneGiven)
        ResolveTone(options);
    if (options.frequencyGiven)
        ResolveFrequency(options);
    if (options.fractionGiven)
        ResolveFraction(options);
}

}  // namespace lumiro::coe
