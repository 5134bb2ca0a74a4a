// SPDX-License-Identifier: GPL-3.0-or-later
#include "option_table.h"

#include <algorithm>
#include <array>

#include "i18n.h"

namespace lumiro::coe {
namespace {

constexpr std::array kOptions{
    // Described by their values' own sections of --help.
    OptionSpec{OptionId::Format, "format", 0, N_("FORMAT"), nullptr, Completion::Formats},
    OptionSpec{OptionId::Word, "word", 0, N_("WORD"), nullptr, Completion::Words, Section::General, true},
    OptionSpec{OptionId::Function, "function", 0, N_("FUNCTION"), nullptr, Completion::Functions, Section::General,
               true},
    OptionSpec{OptionId::Angle, "angle", 0, N_("ANGLE"), nullptr, Completion::Angles, Section::General, true},
    OptionSpec{OptionId::Span, "span", 0, N_("SPAN"), nullptr, Completion::Spans, Section::General, true},
    OptionSpec{OptionId::WithEnd, "with-end", 0, nullptr,
               N_("one sample more, at the end of the span (for a quarter\n"
                  "sin 90° = 1): 2^k + 1 words for interpolation; N must be\n"
                  "divisible by 4 (quarter) or 2 (half)"),
               Completion::None, Section::Span, true},
    OptionSpec{OptionId::HalfStep, "half-step", 0, nullptr,
               N_("every angle moved by half a step: (i + ½) × step\n"
                  "  lumiro-coe 1024 --span quarter --with-end -o sine.coe"),
               Completion::None, Section::Span, true},
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
               Completion::None, Section::Report, true},
    OptionSpec{OptionId::Plot, "plot", 0, N_("FILE"),
               N_("a picture of the table, beside whatever else is written: the error of\n"
                  "every word over the angle in the report's unit, with the band of the\n"
                  "correct rounding (±½), and the spectrum of one full period in dBc with\n"
                  "the SFDR and its spur marked; SVG or PNG after the name's extension\n"
                  "(.svg, .png), drawn by PLplot, replaced safely as -o does\n"
                  "  lumiro-coe 1024 --plot sine.svg -o sine.coe"),
               Completion::Files, Section::Report, true},
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
                  "with --span half or full, --with-end or ufixed words; the default name\n"
                  "is lumiro_sincos; --report measures both outputs over every phase\n"
                  "  lumiro-coe 4096 --format verilog --sincos -o sincos.v"),
               Completion::None},
    OptionSpec{OptionId::TableWords, "table-words", 0, N_("M"),
               N_("with --sincos: a quarter table of only M words (a power of two, from\n"
                  "4 to below N/4) and first-order interpolation between its points,\n"
                  "sin(a + d) = sin a + d cos a with cos a from the block RAM's second\n"
                  "port, second order where the width needs it; every output within 1\n"
                  "LSB of the true value, proven on every phase before the file is\n"
                  "written. N a power of two up to 16777216 (above any table's N), fixed:W\n"
                  "words with W from 8 to 24, --angle exact; --latency from 5, or 7 at\n"
                  "second order"),
               Completion::None},
    OptionSpec{OptionId::Latency, "latency", 0, N_("L"),
               N_("with --sincos: the rising edges of clk from a phase to its sine and\n"
                  "cosine, from 3 (the default) to 16, or from 5 (7 at second order; the\n"
                  "default) with --table-words; each edge more buys clock speed: the unit's 4th\n"
                  "registers the words as the block RAM reads them, its 5th their\n"
                  "address, any other the phase on its way in\n"
                  "  lumiro-coe 4096 --sincos --latency 4 -o unit.v"),
               Completion::None},
    OptionSpec{OptionId::ClockEnable, "clock-enable", 0, nullptr,
               N_("with --sincos: an input ce; while it is low, no register of the\n"
                  "unit changes"),
               Completion::None},
    OptionSpec{OptionId::Nco, "nco", 0, N_("A"),
               N_("with --sincos, N a power of two: an accumulator of A bits (log2 N to\n"
                  "64) in front of the unit, a numerically controlled oscillator with\n"
                  "ports clk, frequency (A bits, added on every clock), sine and cosine;\n"
                  "its top log2 N bits are the unit's phase, the others truncated\n"
                  "  lumiro-coe 4096 --sincos --nco 32 -o nco.v"),
               Completion::None},
    OptionSpec{OptionId::PhaseOffset, "phase-offset", 0, nullptr,
               N_("with --nco: an input phase_offset of A bits, added after the\n"
                  "accumulator"),
               Completion::None},
    OptionSpec{OptionId::Reset, "reset", 0, nullptr,
               N_("with --nco: an input reset, synchronous and active high, that clears\n"
                  "the accumulator and restarts the dither"),
               Completion::None},
    OptionSpec{OptionId::Dither, "dither", 0, nullptr,
               N_("with --nco: pseudo-random dither below the truncated bits, added\n"
                  "before the truncation, so that its spurs become noise; from a 64-bit\n"
                  "LFSR, x^64 + x^63 + x^61 + x^60 + 1, whose seed the file states"),
               Completion::None},
    OptionSpec{OptionId::Frequency, "frequency", 0, N_("F"),
               N_("with --nco, and --report or --plot: the frequency word whose output\n"
                  "they measure (decimal, or hexadecimal after 0x): the SFDR that phase\n"
                  "truncation predicts and the SFDR an FFT of its quadrature output\n"
                  "measures, over the exact period up to 2^22 clocks, else over 2^22\n"
                  "clocks through a Blackman-Harris window; the picture is that spectrum"),
               Completion::None},
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
                  "negative decimal words in both.")},
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
                  "to_integer, boolean); at most 64 characters.")},
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
                  "folder must allow writing.")},
    OptionSpec{OptionId::Check, "check", 0, N_("FILE"),
               N_("compare an existing file of a format it reads (%s; the kind\n"
                  "from its extension or from --format; - is standard input) with the table\n"
                  "for N, word by word, and say which words differ\n"
                  "  lumiro-coe 1024 --check sine.coe"),
               Completion::Files},
    OptionSpec{OptionId::Quiet, "quiet", 'q', nullptr,
               N_("with --check: print nothing; the exit status tells"), Completion::None, Section::General, false,
               N_("With **--check**: print nothing; the exit status tells: 0 the file holds exactly "
                  "the table, 3 it differs, 1 it could not be read or is no such file (where **cmp "
                  "-s** says 1 for a difference).")},
    OptionSpec{OptionId::Version, "version", 0, nullptr, N_("the program's version"), Completion::None, Section::General, false,
               N_("Print the version.")},
    OptionSpec{OptionId::Help, "help", 'h', nullptr, N_("this help"), Completion::None, Section::General, false,
               N_("Describe the options.")},
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


}  // namespace

std::span<const OptionSpec> OptionTable()
{
    return kOptions;
}

const OptionSpec& Option(OptionId id)
{
    return *std::find_if(kOptions.begin(), kOptions.end(), [id](const OptionSpec& o) { return o.id == id; });
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

}  // namespace

std::string OptionsFor(const TableShape& shape)
{
    const TableShape defaults;
    std::string text;
    const auto add = [&text](OptionId id, std::string_view value) {
        text.append(text.empty() ? "--" : " --").append(Option(id).longName);
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
