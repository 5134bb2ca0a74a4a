// SPDX-License-Identifier: GPL-3.0-or-later
#include "options.h"

#include <getopt.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <vector>

#include "conversions.h"
#include "form_logic.h"
#include "i18n.h"
#include "names.h"
#include "output_file.h"
#include "table.h"
#include "text.h"

namespace lumiro::coe {
namespace {

// getopt_long's value for an option without a short name: past every char.
constexpr int kLongOnly = 256;

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

bool Reads(const Format& format)
{
    return format.read != nullptr;
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
// or the default for a name without one of ours (said where it names a unit's).
const Format& WrittenKind(const Options& options)
{
    const std::string& path = *options.outputPath;
    const FormatsByName byName = FormatsForFile(path);
    if (byName.sharing.empty())
        return DefaultFormat();
    if (byName.chosen == nullptr)
        throw UsageError(Printf(_("cannot tell which format to write %s in: give --format %s."),
                                Quoted(path, 200).c_str(), Listed(NamesOf(byName.sharing)).c_str()));
    return *byName.chosen;
}

// Where an option is given, its rules with the others hold.
void CheckRules(const Options& options)
{
    for (const OptionSpec& option : OptionTable()) {
        if (!options.Has(option.id))
            continue;
        for (const Rule& rule : option.rules) {
            if (rule.why == nullptr)
                continue;
            std::vector<std::string> others;
            std::optional<OptionId> given;
            for (int k = 0; k < rule.count; ++k) {
                others.push_back(Spelled(rule.others[static_cast<std::size_t>(k)]));
                if (!given && options.Has(rule.others[static_cast<std::size_t>(k)]))
                    given = rule.others[static_cast<std::size_t>(k)];
            }
            if (rule.excludes == given.has_value())
                throw UsageError(Said(_(rule.why), {Spelled(option.id), rule.excludes ? Spelled(*given) : Listed(others)}));
        }
    }
}

// Combinations that would make no sense are refused before anything is written.
void CheckShape(const Options& options)
{
    const TableShape& shape = options.shape;
    bool shaped = false;
    std::vector<std::string> names;
    for (const OptionSpec& option : OptionTable())
        if (option.shapesTable) {
            names.push_back(Spelled(option.id));
            shaped = shaped || options.Has(option.id);
        }
    if (options.format != nullptr && !options.format->takesShape && shaped)
        throw UsageError(Printf(_("format %s is the window's text: it takes no %s."),
                                std::string(options.format->name).c_str(), Listed(names).c_str()));
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
                                Listed(names).c_str()));
    }
    throw UsageError(Printf(_("unknown option %s."), Shown(written).c_str()));
}

}  // namespace

int Options::LeastLatency() const
{
    return lumiro::LeastLatency(shape, tableWords, ports);
}

UnitChoices Options::Unit() const
{
    std::optional<NcoPlan> nco;
    if (ncoBits > 0)
        nco = NcoPlan{ncoBits, 0, phaseOffset, reset, dither, lanes, modulus};
    return {latency.value_or(DefaultLatency(shape, tableWords, ncoBits > 0, ports)), clockEnable, tableWords, nco,
            ports, valid, axiStream};
}

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

// The unit's options, resolved now that N and the table are known; and the
// unit --design chooses, as if its options were given. In unit_options.cpp.
void ResolveUnit(Options& options);
void ResolveDesign(Options& options);

namespace {

void ResolveFormat(Options& options)
{
    if (options.checkPath) {
        // What cannot be read is said first: no kind matters then.
        if (*options.checkPath != "-" && ::access(options.checkPath->c_str(), F_OK) != 0)
            ThrowReadError(*options.checkPath, errno);
        options.format = &CheckedKind(options, options.kindsByHead);
    } else if (options.format == nullptr) {
        options.format = options.outputPath ? &WrittenKind(options) : &DefaultFormat();
    }
    if (options.outputPath && options.plotPath && SameFile(*options.outputPath, *options.plotPath))
        throw UsageError(Printf(_("-o and --plot name the same file %s: the picture would replace the "
                                  "table."),
                                ShownPath(*options.plotPath).c_str()));
}

void ResolveName(Options& options)
{
    const Format& format = *options.format;
    if (!options.nameGiven) {
        options.name = options.sincos ? std::string(format.defaultUnitName) : DefaultName(format, options.shape.function);
        return;
    }
    const std::string& name = *options.nameGiven;
    if (format.defaultName.empty())
        throw UsageError(Printf(_("option --name does not apply to format %s."), std::string(format.name).c_str()));
    if (name.size() > kLongestName)
        throw UsageError(Printf(_("name %s is too long: --name takes at most %zu characters."), Shown(name).c_str(),
                                kLongestName));
    if (!IsPortableIdentifier(name))
        throw UsageError(Printf(_("name %s is no identifier for VHDL, Verilog and C: it takes a "
                                  "letter, then letters, digits and single underscores (no "
                                  "underscore at the end, and no keyword or reserved name)."),
                                Shown(name).c_str()));
    options.name = name;
}

// getopt_long over copies of the arguments that live as long as the parse;
// each option's own definition takes its value.
std::vector<std::string> TakeOptions(Options& options, std::span<const std::string_view> arguments)
{
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
        const int value = spec.shortName != 0 ? spec.shortName : kLongOnly + static_cast<int>(spec.id);
        longOptions.push_back({spec.longName.data(), spec.argument != nullptr ? required_argument : no_argument,
                               nullptr, value});
        if (spec.shortName != 0)
            shortOptions += std::string(1, spec.shortName) + (spec.argument != nullptr ? ":" : "");
    }
    longOptions.push_back({nullptr, 0, nullptr, 0});
    opterr = 0;  // every message is ours
    optind = 0;  // glibc: start afresh, as for a new argv
    const int argc = static_cast<int>(copies.size());
    for (int result; (result = getopt_long(argc, argv.data(), shortOptions.c_str(), longOptions.data(), nullptr)) != -1;) {
        if (result == '?' || result == ':')
            ThrowUnreadable(result, argv.data(), number);
        const auto spec = std::find_if(OptionTable().begin(), OptionTable().end(), [&](const OptionSpec& o) {
            return result == (o.shortName != 0 ? o.shortName : kLongOnly + static_cast<int>(o.id));
        });
        options.given.set(static_cast<std::size_t>(spec->id));
        spec->take(options, optarg != nullptr ? optarg : "");
    }
    // getopt_long has moved the operands to the end of argv.
    return {argv.begin() + optind, argv.begin() + argc};
}

}  // namespace

Options ParseOptions(std::span<const std::string_view> arguments)
{
    Options options;
    const std::vector<std::string> operands = TakeOptions(options, arguments);
    if (options.help || options.version)
        return options;
    if (options.design && !operands.empty())
        throw UsageError(_("--design chooses N: give no N."));
    if (operands.empty() && !options.design)
        throw UsageError(_("missing N: into how many parts to divide 360 degrees."));
    if (operands.size() > 1)
        throw UsageError(_("more than one N given."));
    CheckRules(options);
    if (options.design)
        ResolveDesign(options);
    else  // an interpolating unit takes more phases than any table has words
        options.shape.divisions =
            Divisions(operands.front(), options.tableWordsGiven ? kMostInterpolatedDivisions : kMaxDivisions);
    CheckShape(options);
    ResolveFormat(options);
    if (options.sincos)
        ResolveUnit(options);
    CheckKindTakes(options, *options.format);
    ResolveName(options);
    return options;
}

}  // namespace lumiro::coe
