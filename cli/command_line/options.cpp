// SPDX-License-Identifier: GPL-3.0-or-later
#include "options.h"

#include <getopt.h>
#include <unistd.h>

#include <cerrno>
#include <bit>
#include <charconv>

#include <algorithm>
#include <vector>

#include "conversions.h"
#include "form_logic.h"
#include "i18n.h"
#include "names.h"
#include "option_table.h"
#include "output_file.h"
#include "plot.h"
#include "table.h"
#include "text.h"

namespace lumiro::coe {
namespace {

// getopt_long's value for an option without a short name: past every char.
constexpr int kLongOnly = 256;

std::string Shown(std::string_view text)
{
    return Quoted(text);
}

// "a, b or c", in the user's language.
std::string Listed(const std::vector<std::string_view>& names)
{
    std::string head;
    for (std::size_t i = 0; i + 1 < names.size(); ++i)
        head += (i == 0 ? "" : ", ") + std::string(names[i]);
    if (names.size() < 2)
        return names.empty() ? std::string() : std::string(names.front());
    return Printf(_("%s or %s"), head.c_str(), std::string(names.back()).c_str());
}

template <class Value>
std::vector<std::string_view> NamesOf(std::span<const Choice<Value>> choices)
{
    std::vector<std::string_view> names;
    for (const auto& choice : choices)
        names.push_back(choice.name);
    return names;
}

bool Reads(const Format& format)
{
    return format.read != nullptr;
}

[[noreturn]] void ThrowBadValue(const OptionSpec& option, const std::vector<std::string_view>& names,
                                std::string_view given)
{
    throw UsageError(Printf(_("option --%s takes %s (got %s)."), std::string(option.longName).c_str(),
                            Listed(names).c_str(), Shown(given).c_str()));
}

template <class Value>
Value Chosen(std::span<const Choice<Value>> choices, OptionId id, std::string_view given)
{
    for (const auto& choice : choices)
        if (choice.name == given)
            return choice.value;
    ThrowBadValue(Option(id), NamesOf(choices), given);
}

// The options whose long name starts with `prefix`: more than one makes it ambiguous.
std::vector<std::string_view> Completions(std::string_view prefix)
{
    std::vector<std::string_view> names;
    for (const OptionSpec& option : OptionTable())
        if (option.longName.starts_with(prefix))
            names.push_back(option.longName);
    return names;
}

// An option as the user wrote it, without a value after '='.
std::string AsWritten(const char* argument)
{
    const std::string_view text(argument);
    return std::string(text.substr(0, text.find('=')));
}

bool LooksLikeNumber(std::string_view argument)
{
    // "-5" is a count out of range, not an unknown option.
    return argument.size() > 1 && argument[0] == '-' && argument[1] >= '0' && argument[1] <= '9';
}

std::int32_t Divisions(std::string_view text, std::int32_t most = kMaxDivisions)
{
    // As the window reads N: blanks around, an optional sign, digits.
    if (const auto divisions = DivisionsIn(text, most))
        return *divisions;
    std::string_view shown = text;
    while (!shown.empty() && (shown.front() == ' ' || shown.front() == '\t'))
        shown.remove_prefix(1);
    while (!shown.empty() && (shown.back() == ' ' || shown.back() == '\t'))
        shown.remove_suffix(1);
    if (!IntegerText(text))
        throw UsageError(Printf(_("%s is not a whole number."), Shown(text).c_str()));
    throw UsageError(Printf(_("N takes whole numbers from %d to %d (got %s)."), kMinDivisions, most,
                            Shown(shown).c_str()));
}

std::vector<std::string_view> NamesOf(const std::vector<const Format*>& formats)
{
    std::vector<std::string_view> names;
    for (const Format* format : formats)
        names.push_back(format->name);
    return names;
}

// The kind of a file to check: --format, or else its extension; `marked` gets
// the kinds that the file's first bytes may name instead.
const Format& CheckedKind(const Options& options, std::vector<const Format*>& marked)
{
    const Format* kind = options.format;
    if (kind == nullptr) {
        const FormatsByName byName = FormatsForFile(*options.checkPath);
        kind = byName.chosen;
        for (const Format* format : byName.sharing)
            if (format->recognises != nullptr && format->read != nullptr)
                marked.push_back(format);
        if (kind == nullptr)
            throw UsageError(Printf(_("cannot tell what kind of file %s is: give --format %s."),
                                    Quoted(*options.checkPath, 200).c_str(),
                                    Listed(byName.sharing.empty() ? FormatNames(Reads) : NamesOf(byName.sharing))
                                        .c_str()));
    }
    if (kind->read == nullptr)
        throw UsageError(Printf(_("files of format %s cannot be checked; --check reads %s files."),
                                std::string(kind->name).c_str(), Listed(FormatNames(Reads)).c_str()));
    return *kind;
}

// The format of a file written with -o and without --format: its extension's,
// or the default for a name without one of ours.
const Format& WrittenKind(const std::string& path)
{
    const FormatsByName byName = FormatsForFile(path);
    if (byName.sharing.empty())
        return DefaultFormat();
    if (byName.chosen == nullptr)
        throw UsageError(Printf(_("cannot tell which format to write %s in: give --format %s."),
                                Quoted(path, 200).c_str(), Listed(NamesOf(byName.sharing)).c_str()));
    return *byName.chosen;
}

// Combinations that would make no sense are refused before anything is written.
void CheckShape(const Options& options, bool defaults)
{
    const TableShape& shape = options.shape;
    if (options.format != nullptr && !options.format->takesShape && !defaults) {
        std::vector<std::string> names;
        for (const OptionSpec& option : OptionTable())
            if (option.shapesTable)
                names.push_back(Joined({"--", option.longName}));
        throw UsageError(Printf(_("format %s is the window's text: it takes no %s."),
                                std::string(options.format->name).c_str(),
                                Listed({names.begin(), names.end()}).c_str()));
    }
    const int share = static_cast<int>(shape.span);
    const int end = shape.span == Span::Quarter ? 90 : 180;
    const std::string word = shape.word.Name();
    switch (lumiro::CheckShape(shape)) {
    case ShapeFault::None:
        break;
    case ShapeFault::EndWithHalfStep:
        throw UsageError(_("--with-end and --half-step exclude each other: with half a step on, "
                           "no sample falls on the end of the span."));
    case ShapeFault::EndOffTheGrid:
        throw UsageError(Printf(_("--with-end needs N divisible by %d, so that the span ends at %d "
                                  "degrees."),
                                share, end));
    case ShapeFault::NegativeUnsigned:
        if (shape.span == Span::Full)
            throw UsageError(Printf(_("%s words have no sign, and a full period has negative "
                                      "samples: use --span quarter or half, or fixed:W words."),
                                    word.c_str()));
        if (shape.function == Function::Cosine && shape.span != Span::Quarter)
            throw UsageError(Printf(_("%s words have no sign, and the cosine is negative beyond 90 "
                                      "degrees: use --span quarter or fixed:W words."),
                                    word.c_str()));
        if (shape.function == Function::Cosine)
            throw UsageError(Printf(_("%s words have no sign, and the cosine is negative beyond 90 "
                                      "degrees, where the window's end sample Q × rad_step may lie: "
                                      "use a quarter span without --with-end, --angle exact, or "
                                      "fixed:W words."),
                                    word.c_str()));
        throw UsageError(Printf(_("%s words have no sign, and the window's end sample of a half "
                                  "period (N/2 × rad_step) may lie beyond 180 degrees and be "
                                  "negative: use --angle exact or fixed:W words."),
                                word.c_str()));
    }
    if ((options.report || options.plotPath) && !UnfoldsToPeriod(shape))
        throw UsageError(Printf(_("the report (--report) needs N divisible by %d, so that the span "
                                  "ends at %d degrees."),
                                share, end));
    if (options.plotPath && options.checkPath)
        throw UsageError(_("the picture (--plot) shows the table written, so it does not combine with --check."));
    if (options.report && options.checkPath)
        throw UsageError(_("the report (--report) describes the table written, so it does not "
                           "combine with --check."));
}

// "float32, ..., fixed:W with W from 2 to 32, ...", from the kinds' own entries.
std::string WordsTaken()
{
    std::vector<std::string> words;
    for (const auto& word : WordChoices())
        words.push_back(word.value.scaled() ? Printf(_("%s with W from %d to %d"), std::string(word.name).c_str(),
                                                     word.value.narrowest, word.value.widest)
                                            : std::string(word.name));
    return Listed({words.begin(), words.end()});
}

// What getopt_long could not take, said in our words.
[[noreturn]] void ThrowUnreadable(int result, char* const* argv, std::optional<std::string_view> number)
{
    const char* element = argv[optind - 1];
    if (result == ':') {
        const std::string option = optopt != 0 && optopt < kLongOnly
                                       ? Joined({"-", std::string(1, static_cast<char>(optopt))})
                                       : AsWritten(element);
        throw UsageError(Printf(_("option %s needs a value."), option.c_str()));
    }
    if (optopt >= kLongOnly)
        throw UsageError(Printf(_("option %s takes no value."), AsWritten(element).c_str()));
    if (optopt >= '0' && optopt <= '9' && number)
        Divisions(*number);  // throws: N out of range
    if (optopt != 0)
        throw UsageError(Printf(_("unknown option %s."), Shown(Joined({"-", std::string(1, static_cast<char>(optopt))})).c_str()));
    const std::string written = AsWritten(element);
    const auto candidates = Completions(std::string_view(written).substr(2));
    if (candidates.size() > 1) {
        std::vector<std::string> names;
        for (std::string_view name : candidates)
            names.push_back(Joined({"--", name}));
        throw UsageError(Printf(_("option %s is ambiguous: it may be %s."), Shown(written).c_str(),
                                Listed({names.begin(), names.end()}).c_str()));
    }
    throw UsageError(Printf(_("unknown option %s."), Shown(written).c_str()));
}

// The values of the options, as getopt_long hands them on.
struct Parse {
    Options options;
    std::vector<std::string> operands;
    std::optional<std::string> name;
    bool defaults = true;  // no word, angle, span or report asked for

    void Take(OptionId id, const char* value)
    {
        const std::string_view given = value != nullptr ? value : "";
        if (Option(id).shapesTable)
            defaults = false;
        switch (id) {
        case OptionId::Format:
            options.format = FindFormat(given);
            if (options.format == nullptr)
                ThrowBadValue(Option(id), FormatNames(), given);
            break;
        case OptionId::Word:
            if (const auto word = WordKind::Named(given))
                options.shape.word = *word;
            else
                throw UsageError(Printf(_("option --word takes %s (got %s)."), WordsTaken().c_str(),
                                        Shown(given).c_str()));
            break;
        case OptionId::Function: options.shape.function = Chosen(FunctionChoices(), id, given); break;
        case OptionId::Angle: options.shape.angle = Chosen(AngleChoices(), id, given); break;
        case OptionId::Span: options.shape.span = Chosen(SpanChoices(), id, given); break;
        case OptionId::WithEnd: options.shape.withEnd = true; break;
        case OptionId::HalfStep: options.shape.halfStep = true; break;
        case OptionId::Report: options.report = true; break;
        case OptionId::Radix: options.radix = Chosen(RadixChoices(), id, given); break;
        case OptionId::Name: name = std::string(given); break;
        case OptionId::Output:
            if (given.empty())
                throw UsageError(_("option --output needs a file name."));
            // "-" is standard output, as for most tools.
            options.outputPath = given == "-" ? std::nullopt : std::optional<std::string>(given);
            break;
        case OptionId::Check:
            if (given.empty())
                throw UsageError(_("option --check needs a file name."));
            options.checkPath = std::string(given);
            break;
        case OptionId::Quiet: options.quiet = true; break;
        case OptionId::Sincos: options.sincos = true; break;
        case OptionId::Latency: {
            int latency = 0;
            const auto [end, error] = std::from_chars(given.data(), given.data() + given.size(), latency);
            if (error != std::errc{} || end != given.data() + given.size() || latency < kLeastUnitLatency ||
                latency > kMostUnitLatency)
                throw UsageError(Printf(_("option --latency takes a number of rising edges from %d to %d "
                                          "(got %s)."),
                                        kLeastUnitLatency, kMostUnitLatency, Shown(given).c_str()));
            options.latency = latency;
            break;
        }
        case OptionId::ClockEnable: options.clockEnable = true; break;
        case OptionId::Nco: {
            int bits = 0;
            const auto [end, error] = std::from_chars(given.data(), given.data() + given.size(), bits);
            if (error != std::errc{} || end != given.data() + given.size() || bits < 1 || bits > kWidestAccumulator)
                throw UsageError(Printf(_("option --nco takes the accumulator's bits, up to %d (got %s)."),
                                        kWidestAccumulator, Shown(given).c_str()));
            options.ncoBits = bits;
            break;
        }
        case OptionId::PhaseOffset: options.phaseOffset = true; break;
        case OptionId::Reset: options.reset = true; break;
        case OptionId::Dither: options.dither = true; break;
        case OptionId::Frequency: {
            const bool hex = given.starts_with("0x") || given.starts_with("0X");
            const std::string_view digits = hex ? given.substr(2) : given;
            std::uint64_t word = 0;
            const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), word, hex ? 16 : 10);
            if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size())
                throw UsageError(Printf(_("option --frequency takes a frequency word, decimal or hexadecimal after "
                                          "0x (got %s)."),
                                        Shown(given).c_str()));
            options.frequency = word;
            break;
        }
        case OptionId::TableWords: {
            std::int32_t words = 0;
            const auto [end, error] = std::from_chars(given.data(), given.data() + given.size(), words);
            if (error != std::errc{} || end != given.data() + given.size() || words < 1)
                throw UsageError(Printf(_("option --table-words takes a number of words, a power of two "
                                          "(got %s)."),
                                        Shown(given).c_str()));
            options.tableWords = words;
            break;
        }
        case OptionId::Plot:
            if (!PlotKindOf(given))
                throw UsageError(Printf(_("option --plot draws SVG or PNG: give a name ending in .svg or .png "
                                          "(got %s)."),
                                        Shown(given).c_str()));
            options.plotPath = std::string(given);
            break;
        case OptionId::Version: options.version = true; break;
        case OptionId::Help: options.help = true; break;
        }
    }

    // The unit unfolds a quarter table of its own into the full turn.
    void CheckSincos() const
    {
        const TableShape& shape = options.shape;
        if (options.format->writeUnit == nullptr)
            throw UsageError(Printf(_("--sincos writes a unit in a hardware language: give --format %s (not %s)."),
                                    Listed(FormatNames([](const Format& format) { return format.writeUnit != nullptr; }))
                                        .c_str(),
                                    std::string(options.format->name).c_str()));
        if (shape.span != Span::Quarter || shape.withEnd || shape.function != Function::Sine)
            throw UsageError(_("--sincos unfolds a quarter table of its own: it takes no --span half or full, "
                               "--with-end or --function cos."));
        if (shape.word.isUnsigned())
            throw UsageError(Printf(_("--sincos needs words with a sign for the second half turn, not %s."),
                                    shape.word.Name().c_str()));
        if (shape.divisions % 4 != 0)
            throw UsageError(Printf(_("--sincos needs N divisible by 4, so that the quarter table ends at 90 "
                                      "degrees (N = %d)."),
                                    shape.divisions));
        if (options.latency && *options.latency < options.LeastLatency())
            throw UsageError(Printf(_("the interpolating unit (--table-words) takes --latency from %d to %d."),
                                    options.LeastLatency(), kMostUnitLatency));
        if (options.tableWords > 0)
            CheckTableWords();
        if (options.ncoBits > 0)
            CheckNco();
    }

    void CheckNco() const
    {
        const int phaseBits = static_cast<int>(std::bit_width(static_cast<std::uint32_t>(options.shape.divisions))) - 1;
        if (!std::has_single_bit(static_cast<std::uint32_t>(options.shape.divisions)))
            throw UsageError(Printf(_("--nco takes the accumulator's top bits as the phase: N must be a power of "
                                      "two (N = %d)."),
                                    options.shape.divisions));
        if (options.ncoBits < phaseBits)
            throw UsageError(Printf(_("--nco %d is narrower than the phase: the accumulator takes %d to %d bits "
                                      "for N = %d."),
                                    options.ncoBits, phaseBits, kWidestAccumulator, options.shape.divisions));
        if (options.dither && options.ncoBits == phaseBits)
            throw UsageError(_("--dither goes below the truncated bits, and an accumulator as wide as the "
                               "phase truncates none."));
        if (options.frequency && options.ncoBits < 64 && *options.frequency >> options.ncoBits != 0)
            throw UsageError(Printf(_("--frequency takes a word of %d bits, the accumulator's."), options.ncoBits));
    }

    // The first option given that only the unit takes, or none.
    const char* UnitOptionGiven() const
    {
        if (options.latency)
            return "--latency";
        if (options.tableWords > 0)
            return "--table-words";
        if (options.clockEnable)
            return "--clock-enable";
        if (options.ncoBits > 0)
            return "--nco";
        return nullptr;
    }

    void CheckTableWords() const
    {
        const TableShape& shape = options.shape;
        const std::int32_t words = options.tableWords;
        switch (CheckInterpolation(shape, words)) {
        case InterpolationFault::None: return;
        case InterpolationFault::NotPowerOfTwo:
            throw UsageError(Printf(_("--table-words interpolates by the phase's bits: N and M must be powers "
                                      "of two (N = %d, M = %d)."),
                                    shape.divisions, words));
        case InterpolationFault::TableSize:
            throw UsageError(Printf(_("--table-words takes M from 4 to below N/4 = %d, the whole quarter "
                                      "table (got %d)."),
                                    shape.divisions / 4, words));
        case InterpolationFault::Angle:
            throw UsageError(_("--table-words needs --angle exact: between the table's points the window's "
                               "single-precision step has no meaning."));
        case InterpolationFault::Word:
            throw UsageError(Printf(_("--table-words interpolates fixed:W words with W from %d to %d, not %s."),
                                    kNarrowestInterpolated, kWidestInterpolated, shape.word.Name().c_str()));
        case InterpolationFault::TooFewWords:
            if (const std::int32_t least = LeastTableWords(shape); least > 0)
                throw UsageError(Printf(_("%d table words are too few for %s words to stay within 1 LSB: give "
                                          "--table-words %d or more."),
                                        words, shape.word.Name().c_str(), least));
            throw UsageError(Printf(_("no quarter table smaller than N/4 keeps %s words within 1 LSB by "
                                      "interpolation: leave out --table-words."),
                                    shape.word.Name().c_str()));
        }
    }

    // What the format makes of the other options.
    void Finish()
    {
        if (options.checkPath) {
            if (options.outputPath)
                throw UsageError(_("--check writes no file, so it does not combine with --output."));
            if (options.sincos)
                throw UsageError(_("--check compares a memory file with the table, so it does not combine "
                                   "with --sincos, which writes a unit."));
            // What cannot be read is said first: no kind matters then.
            if (*options.checkPath != "-" && ::access(options.checkPath->c_str(), F_OK) != 0)
                ThrowReadError(*options.checkPath, errno);
            options.format = &CheckedKind(options, options.kindsByHead);
        } else if (options.format == nullptr) {
            options.format = options.outputPath ? &WrittenKind(*options.outputPath) : &DefaultFormat();
        }
        if (options.outputPath && options.plotPath && SameFile(*options.outputPath, *options.plotPath))
            throw UsageError(Printf(_("-o and --plot name the same file %s: the picture would replace the "
                                      "table."),
                                    ShownPath(*options.plotPath).c_str()));
        if (options.quiet && !options.checkPath)
            throw UsageError(_("option --quiet goes with --check only."));
        const Format& format = *options.format;
        if (options.sincos)
            CheckSincos();
        else if (const char* unitOption = UnitOptionGiven())
            throw UsageError(Printf(_("option %s shapes the sine/cosine unit: it needs --sincos."), unitOption));
        if (options.ncoBits == 0 && (options.phaseOffset || options.reset || options.dither || options.frequency))
            throw UsageError(Printf(_("option %s belongs to the oscillator: it needs --nco."),
                                    options.phaseOffset ? "--phase-offset"
                                    : options.reset     ? "--reset"
                                    : options.dither    ? "--dither"
                                                        : "--frequency"));
        if (options.frequency && !options.report && !options.plotPath)
            throw UsageError(_("--frequency chooses the word that --report and --plot measure: give either."));
        CheckKindTakes(options, format);
        if (name) {
            if (format.defaultName.empty())
                throw UsageError(Printf(_("option --name does not apply to format %s."),
                                        std::string(format.name).c_str()));
            if (name->size() > kLongestName)
                throw UsageError(Printf(_("name %s is too long: --name takes at most %zu characters."),
                                        Shown(*name).c_str(), kLongestName));
            if (!IsPortableIdentifier(*name))
                throw UsageError(Printf(_("name %s is no identifier for VHDL, Verilog and C: it takes a "
                                          "letter, then letters, digits and single underscores (no "
                                          "underscore at the end, and no keyword or reserved name)."),
                                        Shown(*name).c_str()));
            options.name = *name;
        } else {
            options.name = options.sincos ? std::string(format.defaultUnitName) : DefaultName(format, options.shape.function);
        }
    }
};

}  // namespace

void CheckKindTakes(const Options& options, const Format& format)
{
    if (options.radix && !format.takesRadix)
        throw UsageError(Printf(_("option --radix does not apply to format %s."), std::string(format.name).c_str()));
    if (options.radix == Radix::Decimal && !format.takesDecimal)
        throw UsageError(Printf(_("format %s has no decimal words: --radix 10 goes with %s."),
                                std::string(format.name).c_str(),
                                Listed(FormatNames([](const Format& other) { return other.takesDecimal; })).c_str()));
    if (options.radix == Radix::Decimal && options.shape.word.isFloat())
        throw UsageError(Printf(_("%s words have no decimal form: --radix 10 writes fixed-point words, "
                                  "give --radix 2 or 16."),
                                options.shape.word.Name().c_str()));
    const std::int32_t count = SineTable(options.shape).Count();
    if (format.deepest != 0 && count > format.deepest)
        throw UsageError(Printf(_("format %s describes memories of at most %d words; the table for "
                                  "N = %d has %d."),
                                std::string(format.name).c_str(), format.deepest, options.shape.divisions,
                                count));
    if (!format.holdsNoWords && count == 0)
        throw UsageError(Printf(_("format %s cannot describe a memory without words: for N = %d "
                                  "the table has 0 samples; give a larger N."),
                                std::string(format.name).c_str(), options.shape.divisions));
}

Options ParseOptions(std::span<const std::string_view> arguments)
{
    // getopt_long reads an argv: copies that live as long as the parse.
    std::vector<std::string> copies{"lumiro-coe"};
    std::optional<std::string_view> number;  // the first argument that looks like a negative N
    for (std::string_view argument : arguments) {
        copies.emplace_back(argument.substr(0, argument.find('\0')));
        if (!number && LooksLikeNumber(argument))
            number = argument;
    }
    std::vector<char*> argv;
    for (std::string& copy : copies)
        argv.push_back(copy.data());
    argv.push_back(nullptr);

    std::vector<option> longOptions;
    std::string shortOptions = ":";  // ':' for a missing value, apart from an unknown option
    for (const OptionSpec& spec : OptionTable()) {
        const int value = spec.shortName != 0 ? spec.shortName
                                              : kLongOnly + static_cast<int>(spec.id);
        longOptions.push_back({spec.longName.data(), spec.argument != nullptr ? required_argument : no_argument,
                               nullptr, value});
        if (spec.shortName != 0)
            shortOptions += std::string(1, spec.shortName) + (spec.argument != nullptr ? ":" : "");
    }
    longOptions.push_back({nullptr, 0, nullptr, 0});

    Parse parse;
    opterr = 0;  // every message is ours
    optind = 0;  // glibc: start afresh, as for a new argv
    const int argc = static_cast<int>(copies.size());
    for (int result; (result = getopt_long(argc, argv.data(), shortOptions.c_str(), longOptions.data(),
                                           nullptr)) != -1;) {
        if (result == '?' || result == ':')
            ThrowUnreadable(result, argv.data(), number);
        const auto spec = std::find_if(OptionTable().begin(), OptionTable().end(), [&](const OptionSpec& o) {
            return result == (o.shortName != 0 ? o.shortName : kLongOnly + static_cast<int>(o.id));
        });
        parse.Take(spec->id, optarg);
    }
    for (int at = optind; at < argc; ++at)
        parse.operands.emplace_back(argv[static_cast<std::size_t>(at)]);

    Options& options = parse.options;
    if (options.help || options.version)
        return options;
    if (parse.operands.empty())
        throw UsageError(_("missing N: into how many parts to divide 360 degrees."));
    if (parse.operands.size() > 1)
        throw UsageError(_("more than one N given."));
    // An interpolating unit takes more phases than any table has words.
    options.shape.divisions =
        Divisions(parse.operands.front(), options.tableWords > 0 ? kMostInterpolatedDivisions : kMaxDivisions);
    CheckShape(options, parse.defaults);
    parse.Finish();
    return options;
}

}  // namespace lumiro::coe
