// SPDX-License-Identifier: GPL-3.0-or-later
// The command line: every GNU option form, the refusals in the user's
// language (compared with the catalog, as the test runs under C and Polish),
// and --help from the tables.
#include "options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conversions.h"
#include "i18n.h"
#include "names.h"
#include "option_table.h"

namespace lumiro::coe {
namespace {

// A value as the messages quote it: plainly, where it is plain.
std::string Plain(std::string_view value)
{
    return "'" + std::string(value) + "'";
}

Options Parse(std::vector<std::string_view> arguments)
{
    return ParseOptions(arguments);
}

std::string Refusal(std::vector<std::string_view> arguments)
{
    try {
        ParseOptions(arguments);
    } catch (const UsageError& error) {
        return error.what();
    }
    return "(accepted)";
}

TEST(Options, Defaults)
{
    const Options options = Parse({"1024"});
    EXPECT_FALSE(options.help);
    EXPECT_EQ(options.shape.divisions, 1024);
    EXPECT_EQ(options.format->name, "coe");
    EXPECT_EQ(options.Digits(), Radix::Binary);
    EXPECT_FALSE(options.outputPath);
}

TEST(Options, EveryGnuSpelling)
{
    Options options = Parse({"--format", "mem", "--radix", "16", "-o", "sine.mem", "64"});
    EXPECT_EQ(options.format->name, "mem");
    EXPECT_EQ(options.Digits(), Radix::Hex);
    EXPECT_EQ(options.outputPath, "sine.mem");
    EXPECT_EQ(options.shape.divisions, 64);

    options = Parse({" 8 ", "--format=listing"});
    EXPECT_EQ(options.format->name, "listing");
    EXPECT_EQ(options.shape.divisions, 8);

    options = Parse({"--radix=2", "--format=coe", "--", "4194304"});
    EXPECT_EQ(options.shape.divisions, 4194304);

    // -oFILE, --output FILE, --output=FILE, and unambiguous prefixes.
    for (const std::vector<std::string_view>& call :
         {std::vector<std::string_view>{"8", "-omem.out"}, {"8", "--output", "mem.out"},
          {"8", "--output=mem.out"}, {"--out=mem.out", "8"}, {"--form", "mem", "8", "-o", "mem.out"}})
        EXPECT_EQ(Parse(call).outputPath, "mem.out");
    EXPECT_EQ(Parse({"--sp", "full", "--wo=fixed:8", "8"}).shape.span, Span::Full);
    // Options after the operand, and "--" before an operand that starts with '-'.
    EXPECT_TRUE(Parse({"8", "--check", "-", "--format", "mem", "--quiet"}).quiet);
    EXPECT_EQ(Parse({"8", "--check", "-", "--format", "mem"}).checkPath, "-");
}

TEST(Options, HelpNeedsNoCount)
{
    EXPECT_TRUE(Parse({"-h"}).help);
    EXPECT_TRUE(Parse({"--format", "mem", "--help"}).help);
    // ...but a misspelt option is still refused.
    EXPECT_EQ(Refusal({"--help", "--bogus"}), Printf(_("unknown option %s."), "'--bogus'"));
}

struct Refused {
    std::vector<std::string_view> arguments;
    std::string message;  // the English text: the catalog's key
    std::string value{};  // what the message quotes, if anything
};

// Test names that read as the call.
void PrintTo(const Refused& refused, std::ostream* os)
{
    *os << "lumiro-coe";
    for (std::string_view argument : refused.arguments)
        *os << " " << ::testing::PrintToString(std::string(argument));
}

class OptionsRefuse : public ::testing::TestWithParam<Refused> {};

TEST_P(OptionsRefuse, InTheUsersLanguage)
{
    const Refused& refused = GetParam();
    std::string expected = _(refused.message.c_str());
    if (const std::size_t at = expected.find("%s"); at != std::string::npos)
        expected.replace(at, 2, refused.value);
    EXPECT_EQ(Refusal(refused.arguments), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, OptionsRefuse,
    ::testing::Values(
        Refused{{}, "missing N: into how many parts to divide 360 degrees."},
        Refused{{"--format", "mem"}, "missing N: into how many parts to divide 360 degrees."},
        Refused{{"--verbose", "8"}, "unknown option %s.", Plain("--verbose")},
        Refused{{"-x", "8"}, "unknown option %s.", Plain("-x")},
        Refused{{"8", "16"}, "more than one N given."},
        Refused{{"8", "--format"}, "option %s needs a value.", "--format"},
        Refused{{"8", "-o"}, "option %s needs a value.", "-o"},
        Refused{{"8", "--report=yes"}, "option %s takes no value.", "--report"},
        Refused{{"8", "-o", ""}, "option --output needs a file name."},
        Refused{{"--format", "listing", "--radix", "16", "8"}, "option --radix does not apply to format %s.",
                "listing"},
        Refused{{"abc"}, "%s is not a whole number.", Plain("abc")}));

// Messages with more than one value, and the N out of range.
TEST(Options, RefusalsThatNameTheAllowedValues)
{
    EXPECT_EQ(Refusal({"--format", "xml", "8"}),
              Printf(_("option --%s takes %s (got %s)."), "format",
                     Printf(_("%s or %s"), "coe, mem, mif, lattice, gowin, quartus-hex, ihex, vhdl, verilog, c, python",
                            "listing").c_str(), "'xml'"));
    EXPECT_EQ(Refusal({"--radix=8", "8"}),
              Printf(_("option --%s takes %s (got %s)."), "radix", Printf(_("%s or %s"), "2, 10", "16").c_str(),
                     "'8'"));
    for (const char* count : {"0", "-5", "4194305", "99999999999999999999"})
        EXPECT_EQ(Refusal({count}), Printf(_("N takes whole numbers from %d to %d (got %s)."), 1, 4194304,
                                           Plain(count).c_str()));
    // "--h" may be --help or --half-step.
    EXPECT_EQ(Refusal({"--h", "8"}), Printf(_("option %s is ambiguous: it may be %s."), "'--h'",
                                            Printf(_("%s or %s"), "--half-step", "--help").c_str()));
}

TEST(Options, NamesMustBeIdentifiersInVhdlVerilogAndC)
{
    for (const char* good : {"rom", "Sine_ROM2", "a", "lumiro_sine_pkg"}) {
        EXPECT_TRUE(IsPortableIdentifier(good)) << good;
        EXPECT_EQ(Parse({"8", "--format", "vhdl", "--name", good}).name, good);
    }
    // Digits first, double or final underscores (VHDL), keywords of any of the
    // three (VHDL ignores case), non-ASCII letters, a name the package itself
    // declares, and the overlong.
    for (const char* bad : {"", "2rom", "_rom", "a__b", "rom_", "my-rom", "entity", "Module",
                            "END", "static", "wire", "żółw", "rom\u202E", "SINE_TABLE",
                            // what C headers reserve, SystemVerilog and VHDL-2008 keywords,
                            // VHDL's libraries, and the generated modules' own ports
                            "uint8_t", "int8_t", "intptr_t", "size_t", "SIZE_MAX", "INT8_MAX",
                            "UINT32_MAX", "WCHAR_MAX", "INT64_C", "bool", "nullptr", "logic",
                            "bit", "Byte", "string", "class", "interface", "program", "std",
                            "work", "IEEE", "vunit", "context", "clk", "addr", "data", "phase",
                            "cosine"}) {
        EXPECT_FALSE(IsPortableIdentifier(bad)) << bad;
        EXPECT_NE(Refusal({"8", "--format", "verilog", "--name", bad}).find(coe::Quoted(bad)), std::string::npos)
            << bad;
    }
    EXPECT_FALSE(IsPortableIdentifier(std::string(65, 'r')));
    EXPECT_EQ(Parse({"8", "--format", "verilog"}).name, "lumiro_sine");
    EXPECT_EQ(Parse({"8", "--format", "vhdl"}).name, "lumiro_sine_pkg");
    EXPECT_EQ(Parse({"8", "--format", "c"}).name, "lumiro_sine");
}

TEST(Options, EachFormatTakesOnlyWhatItUses)
{
    EXPECT_EQ(Refusal({"8", "--name", "rom"}), Printf(_("option --name does not apply to format %s."), "coe"));
    EXPECT_EQ(Refusal({"8", "--format", "c", "--radix", "2"}),
              Printf(_("option --radix does not apply to format %s."), "c"));
    // No memory has depth 0: the formats that declare one refuse N below 4.
    for (const char* format : {"mif", "vhdl", "verilog", "c"})
        EXPECT_EQ(Refusal({"3", "--format", format}),
                  Printf(_("format %s cannot describe a memory without words: for N = %d the table has 0 "
                           "samples; give a larger N."),
                         format, 3));
    EXPECT_EQ(Parse({"3", "--format", "mem"}).shape.divisions, 3);  // an empty file is a file
    // Decimal words: signed values of fixed-point words, in the formats that have them.
    EXPECT_EQ(Parse({"8", "--word", "fixed:16", "--radix", "10", "--format", "mif"}).radix, Radix::Decimal);
    EXPECT_EQ(Refusal({"8", "--radix", "10"}),
              Printf(_("%s words have no decimal form: --radix 10 writes fixed-point words, give --radix 2 or 16."),
                     "float32"));
    EXPECT_EQ(Refusal({"8", "--word", "fixed:16", "--radix", "10", "--format", "mem"}),
              Printf(_("format %s has no decimal words: --radix 10 goes with %s."), "mem",
                     Printf(_("%s or %s"), "coe", "mif").c_str()));
    EXPECT_TRUE(Parse({"--version"}).version);
}

TEST(Options, TableShapes)
{
    const Options options = Parse({"1024", "--word", "fixed:16", "--angle=exact", "--span", "half",
                                   "--with-end", "--report"});
    EXPECT_EQ(options.shape.divisions, 1024);
    EXPECT_EQ(options.shape.word.Name(), "fixed:16");
    EXPECT_EQ(options.shape.angle, AngleMode::Exact);
    EXPECT_EQ(options.shape.span, Span::Half);
    EXPECT_TRUE(options.shape.withEnd);
    EXPECT_TRUE(options.report);
    EXPECT_TRUE(Parse({"8", "--half-step", "--word", "ufixed:8"}).shape.halfStep);
}

TEST(Options, ShapesThatMakeNoSenseAreRefused)
{
    const auto refused = [](std::vector<std::string_view> call, const std::string& expected) {
        EXPECT_EQ(Refusal(std::move(call)), expected);
    };
    refused({"8", "--with-end", "--half-step"},
            _("--with-end and --half-step exclude each other: with half a step on, no sample falls on "
              "the end of the span."));
    refused({"8", "--word", "ufixed:8", "--span", "full"},
            Printf(_("%s words have no sign, and a full period has negative samples: use --span quarter or "
                     "half, or fixed:W words."),
                   "ufixed:8"));
    const std::string listing =
        Printf(_("format %s is the window's text: it takes no %s."), "listing",
               Printf(_("%s or %s"), "--word, --function, --angle, --span, --with-end, --half-step, --report", "--plot").c_str());
    refused({"8", "--format", "listing", "--word", "float16"}, listing);
    refused({"8", "--format", "listing", "--report"}, listing);
    refused({"1026", "--with-end"},
            Printf(_("--with-end needs N divisible by %d, so that the span ends at %d degrees."), 4, 90));
    refused({"1027", "--span", "half", "--report", "--word", "fixed:8"},
            Printf(_("the report (--report) needs N divisible by %d, so that the span ends at %d degrees."),
                   2, 180));
    EXPECT_NE(Refusal({"8", "--word", "fixed:1"}).find(Plain("fixed:1")), std::string::npos);
    // The window's end of a half span, N/2 × rad_step, lies beyond 180° where
    // rad_step rounded up (N = 12): sin is -8.7e-8 there, which ufixed cannot hold.
    refused({"12", "--word", "ufixed:8", "--span", "half", "--with-end"},
            Printf(_("%s words have no sign, and the window's end sample of a half period (N/2 × "
                     "rad_step) may lie beyond 180 degrees and be negative: use --angle exact or "
                     "fixed:W words."),
                   "ufixed:8"));
    refused({"8", "--check", "x.coe", "--report"},
            Printf(_("the report (%s) describes the table written, so it does not combine with %s."), "--report",
                   "--check"));
    // The exact angle's end is 180° itself, where the sine is 0.
    EXPECT_TRUE(Parse({"12", "--word", "ufixed:8", "--span", "half", "--with-end", "--angle", "exact"})
                    .shape.withEnd);
}

TEST(Options, CallsThatWouldMisleadAreRefusedWithTheRemedy)
{
    EXPECT_EQ(Refusal({"64", "--plot", "same.svg", "-o", "./same.svg"}),
              Printf(_("-o and --plot name the same file %s: the picture would replace the table."), "'same.svg'"));
    // Beyond 90 degrees the cosine is negative at any angle: --angle exact is no remedy.
    EXPECT_EQ(Refusal({"8", "--word", "ufixed:8", "--function", "cos", "--span", "half", "--angle", "exact"}),
              Printf(_("%s words have no sign, and the cosine is negative beyond 90 degrees: use --span quarter "
                       "or fixed:W words."),
                     "ufixed:8"));
    const std::string longName(kLongestName + 1, 'r');
    EXPECT_EQ(Refusal({"8", "--format", "c", "--name", longName}),
              Printf(_("name %s is too long: --name takes at most %zu characters."), coe::Quoted(longName).c_str(),
                     kLongestName));
    EXPECT_EQ(Refusal({"8", "--sincos", "--check", "x.mem"}),
              Printf(_("%s compares a memory file with the table, so it does not combine with %s, which writes a "
                       "unit."),
                     "--check", "--sincos"));
    EXPECT_EQ(Refusal({"8", "-q"}), Printf(_("option %s goes with %s only."), "--quiet", "--check"));
    // The unit's own span, given: the same unit.
    EXPECT_EQ(Parse({"8", "--sincos", "--format", "verilog", "--span", "quarter"}).shape.span, Span::Quarter);
}

// The testbench is two files in the unit's language, of names of their own.
TEST(Options, TheTestbenchIsRefusedWhereItCouldNotBeWrittenAsAsked)
{
    const std::vector<std::string_view> unit{"64", "--sincos", "--format", "verilog"};
    const auto with = [&unit](std::vector<std::string_view> more) {
        more.insert(more.begin(), unit.begin(), unit.end());
        return Refusal(more);
    };
    EXPECT_EQ(Refusal({"64", "--sincos", "--format", "c", "--testbench", "tb.v"}),
              Printf(_("--testbench writes a testbench in the unit's hardware language: give --format %s (not %s)."),
                     Printf(_("%s or %s"), "vhdl", "verilog").c_str(), "c"));
    EXPECT_EQ(with({"--testbench", "-"}), _("--testbench writes two files, the testbench and its vectors beside it: "
                                            "give it a file's name, not -."));
    for (const char* output : {"tb.v", "tb.vectors"})
        EXPECT_EQ(with({"--testbench", "tb.v", "-o", output}),
                  Printf(_("%s is a name --testbench writes (the testbench %s, its vectors %s): give the files names "
                           "of their own."),
                         Plain(output).c_str(), "'tb.v'", "'tb.vectors'"));
    EXPECT_EQ(with({"--testbench", "tb.vectors"}),
              Printf(_("the testbench %s would be its own vectors: give it a name with another extension than "
                       ".vectors."),
                     "'tb.vectors'"));
    EXPECT_EQ(Refusal({"64", "--format", "verilog", "--testbench", "tb.v"}),
              Printf(_("option %s shapes the sine/cosine unit: it needs %s."), "--testbench", "--sincos"));
    EXPECT_EQ(Parse({"64", "--sincos", "--testbench", "dir.x/tb", "-o", "u.v"}).testbenchPath, "dir.x/tb");
    // Both of the oscillator's words in one beat of at most 64 bits.
    EXPECT_EQ(Refusal({"4096", "--sincos", "--format", "verilog", "--nco", "33", "--axi-stream", "--phase-offset"}),
              Printf(_("--axi-stream loads the frequency word and the offset in one beat of s_axis_config_tdata, of "
                       "at most %d bits: with --phase-offset, give --nco %d or less (got %d)."),
                     64, 32, 33));
}

// Lanes of words in a hardware language, of an oscillator without dither or stream.
TEST(Options, SamplesPerClockAreRefusedWhereTheyCannotBe)
{
    const auto lanes = [](std::vector<std::string_view> more) {
        std::vector<std::string_view> call{"4096", "--sincos", "--nco", "32", "--samples-per-clock"};
        call.insert(call.end(), more.begin(), more.end());
        return Refusal(call);
    };
    for (const char* count : {"1", "3", "16", "x"})
        EXPECT_EQ(lanes({count, "--format", "verilog"}),
                  Printf(_("option --samples-per-clock takes 2, 4 or 8 (got %s)."), Plain(count).c_str()));
    EXPECT_EQ(lanes({"4", "--format", "vhdl", "--dither"}),
              _("--samples-per-clock gives each lane the accumulator plus a multiple of the frequency word, without "
                "dither: leave out --dither."));
    EXPECT_EQ(lanes({"4", "--format", "vhdl", "--axi-stream"}),
              _("--samples-per-clock gives buses of words with no stream of their own: leave out --axi-stream."));
    EXPECT_EQ(lanes({"2", "--format", "python"}),
              Printf(_("--samples-per-clock writes its lanes in a hardware language; the models give one sample a "
                       "clock: give --format %s (not %s)."),
                     Printf(_("%s or %s"), "vhdl", "verilog").c_str(), "python"));
    EXPECT_EQ(Refusal({"4096", "--sincos", "--format", "verilog", "--samples-per-clock", "2"}),
              Printf(_("option %s belongs to the oscillator: it needs %s."), "--samples-per-clock", "--nco"));
    EXPECT_EQ(Parse({"4096", "--sincos", "--format", "verilog", "--nco", "32", "--samples-per-clock", "8"}).Unit().nco->lanes,
              8);
}

// A clock and a tone in Hz, read exactly; the tone's oscillator made exact.
TEST(Options, TonesAreMadeExactAndBadFrequenciesRefused)
{
    const auto unit = [](std::vector<std::string_view> more) {
        std::vector<std::string_view> call{"4096", "--sincos", "--format", "verilog", "--nco", "32"};
        call.insert(call.end(), more.begin(), more.end());
        return call;
    };
    // 10 MHz of 122.88 MHz is 125/1536: 2^32 x 125/1536 = 2^23 x 125/3 = 0x14D55555 + 1/3.
    const Options tone = Parse(unit({"--clock", "122.88e6", "--tone", "10000000"}));
    EXPECT_EQ(tone.modulus, 3U);
    EXPECT_EQ(tone.frequency, 0x14D55555U);
    EXPECT_EQ(tone.fraction, 1U);
    EXPECT_EQ(tone.Unit().nco->modulus, 3U);
    // 25 MHz of 100 MHz is a quarter: the word alone, no modulus.
    const Options quarter = Parse(unit({"--clock", "1e8", "--tone", "25e6"}));
    EXPECT_EQ(quarter.modulus, 1U);
    EXPECT_EQ(quarter.frequency, 0x40000000U);
    // With a modulus given, the nearest for it: 1 MHz of 100 MHz with D = 4 is 2^32/100 = 0x28F5C28 + 0.96.
    const Options nearest = Parse(unit({"--clock", "100e6", "--tone", "1e6", "--modulus", "4"}));
    EXPECT_EQ(nearest.frequency, 0x28F5C29U);
    EXPECT_EQ(nearest.fraction, 0U);
    for (const char* clock : {"0", "-5", "1e", "1.2.3", "x"})
        EXPECT_EQ(Refusal(unit({"--clock", clock})),
                  Printf(_("option %s takes a frequency in Hz above 0, a decimal number with an exponent if need be, "
                           "as 122.88e6 (got %s)."),
                         "--clock", Plain(clock).c_str()));
    EXPECT_EQ(Refusal(unit({"--clock", "100e6", "--tone", "50e6"})),
              Printf(_("--tone %s Hz is not below half the clock, %s Hz: give a tone below %s Hz."), "50e6", "100000000",
                     "50000000"));
    EXPECT_EQ(Refusal(unit({"--tone", "1e6"})), Printf(_("option %s is a frequency in Hz: it needs %s."), "--tone",
                                                       "--clock"));
    // 1/(2^32 + 1) of the clock: its odd part is above 2^32.
    EXPECT_EQ(Refusal(unit({"--clock", "4294967297", "--tone", "1"})),
              Printf(_("--tone %s Hz is %llu/%llu of the clock: no modulus up to 2^32 makes it exact; give --modulus D "
                       "for the nearest tone with that D."),
                     "1", 1ULL, 4294967297ULL));
    for (const char* modulus : {"0", "1", "4294967297"})
        EXPECT_EQ(Refusal(unit({"--modulus", modulus})),
                  Printf(_("option --modulus takes a D from 2 to 2^32 (got %s)."), Plain(modulus).c_str()));
    EXPECT_EQ(Refusal(unit({"--modulus", "3", "--frequency", "1", "--fraction", "3", "--report"})),
              Printf(_("option --fraction takes a B below D = %llu, the modulus (got %s)."), 3ULL, "'3'"));
    EXPECT_EQ(Refusal(unit({"--clock", "122.88e6", "--tone", "10e6", "--axi-stream"})),
              Printf(_("--tone %s Hz needs --modulus %llu to be exact, which counts its fraction a sample a clock, "
                       "through plain ports: leave out %s."),
                     "10e6", 3ULL, "--axi-stream"));
}

// A number of the unit is refused with the one range it has there, in the same
// words below it, above it (however far) and for what is no number at all.
TEST(Options, UnitNumbersAreRefusedWithTheirRange)
{
    const std::vector<std::string_view> unit{"4096", "--sincos", "--format", "verilog", "--angle", "exact",
                                             "--word", "fixed:16"};
    const auto refusal = [&](std::vector<std::string_view> more) {
        std::vector<std::string_view> call = unit;
        call.insert(call.end(), more.begin(), more.end());
        return Refusal(call);
    };
    for (const char* words : {"8589934592", "4294967296", "1024", "100", "2", "-4", "abc"})
        EXPECT_EQ(refusal({"--table-words", words}),
                  Printf(_("option --table-words takes a power of two from %d to below N/4 = %s (got %s)."), 4,
                         "1024", Plain(words).c_str()))
            << words;
    for (const char* latency : {"2", "17", "99999999999999999999", "x"})
        EXPECT_EQ(refusal({"--latency", latency}),
                  Printf(_("option --latency takes from %d to %d rising edges (got %s)."), 3, 16,
                         Plain(latency).c_str()));
    // Second order from 256 words of fixed:20, whose least is 7 on both sides.
    for (const char* latency : {"2", "4", "17"})
        EXPECT_EQ(Refusal({"16384", "--sincos", "--format", "vhdl", "--angle", "exact", "--word", "fixed:20",
                           "--table-words", "256", "--latency", latency}),
                  Printf(_("option --latency takes from %d to %d rising edges for the interpolating unit of "
                           "second order (got %s)."),
                         7, 16, Plain(latency).c_str()));
    for (const char* bits : {"11", "65", "0", "thirty"})
        EXPECT_EQ(refusal({"--nco", bits}),
                  Printf(_("option --nco takes from %d to %d bits for N = %d, the phase's bits and more (got %s)."),
                         12, 64, 4096, Plain(bits).c_str()));
    for (const char* word : {"16384", "0x4000", "99999999999999999999999", "0x", "12a"})
        EXPECT_EQ(refusal({"--nco", "14", "--report", "--frequency", word}),
                  Printf(_("option --frequency takes a word of %d bits, the accumulator's, decimal or hexadecimal "
                           "after 0x (got %s)."),
                         14, Plain(word).c_str()))
            << word;
    EXPECT_EQ(Parse({"4096", "--sincos", "--format", "verilog", "--nco", "14", "--report", "--frequency", "0x3FFF"})
                  .frequency,
              0x3FFFU);
    for (const char* ports : {"25", "7x18", "25x65", "x", "25x18x3", "25X18"})
        EXPECT_EQ(refusal({"--table-words", "256", "--multiplier", ports}),
                  Printf(_("option --multiplier takes the widths of a multiplier's two ports, each from %d to %d "
                           "bits, as 25x18 (got %s)."),
                         8, 64, Plain(ports).c_str()))
            << ports;
    const Options narrowFirst = Parse({"4096", "--sincos", "--format", "verilog", "--angle", "exact", "--word",
                                       "fixed:16", "--table-words", "256", "--multiplier", "18x25"});
    ASSERT_TRUE(narrowFirst.ports);
    EXPECT_EQ(narrowFirst.ports->wide, 25);
    EXPECT_EQ(narrowFirst.ports->narrow, 18);
    EXPECT_EQ(refusal({"--multiplier", "25x18"}),
              Printf(_("option %s sets the interpolating unit's multipliers: it needs %s."), "--multiplier",
                     "--table-words"));
    // 8-bit ports leave 10 of a fixed:16 table word's 18 bits out of its
    // product: at M = 512 that alone is pi/2/1024 * 2^8 = 0.39 LSB, which with
    // the final rounding and the table's passes 1.
    EXPECT_EQ(refusal({"--table-words", "256", "--multiplier", "8x8"}),
              Printf(_("no quarter table smaller than N/4 keeps %s words within 1 LSB through %s multipliers: give "
                       "wider ports to --multiplier."),
                     "fixed:16", "8x8"));
    EXPECT_EQ(refusal({"--axi-stream", "--valid"}),
              Printf(_("option %s has valid signals of its own, so it does not combine with %s."), "--axi-stream",
                     "--valid"));
    EXPECT_TRUE(Parse({"4096", "--sincos", "--format", "verilog", "--nco", "32", "--axi-stream"}).Unit().axiStream);
}

// Where -o's name chose no format and the unit needs one, that is said.
TEST(Options, TheUnitSaysWhenTheOutputsNameChoseNoFormat)
{
    EXPECT_EQ(Refusal({"64", "--sincos", "-o", "u.sv"}),
              Printf(_("%s names no format, so %s was taken; --sincos writes a unit in a hardware language, or its C "
                       "or Python model: give --format %s."),
                     Plain(".sv").c_str(), "coe", Printf(_("%s or %s"), "vhdl, verilog, c", "python").c_str()));
    EXPECT_EQ(Refusal({"64", "--sincos", "-o", "dir.v/unit"}),
              Printf(_("the name %s has no extension that names a format, so %s was taken; --sincos writes a unit "
                       "in a hardware language, or its C or Python model: give --format %s."),
                     Plain("dir.v/unit").c_str(), "coe", Printf(_("%s or %s"), "vhdl, verilog, c", "python").c_str()));
    EXPECT_EQ(Refusal({"64", "--sincos", "--format", "coe"}),
              Printf(_("--sincos writes a unit in a hardware language, or its C or Python model: give --format %s (not %s)."),
                     Printf(_("%s or %s"), "vhdl, verilog, c", "python").c_str(), "coe"));
}

// -o sine.mif writes MIF: a file is what its name says, unless --format says otherwise.
TEST(Options, TheOutputsExtensionChoosesTheFormat)
{
    for (const auto& [file, format] : {std::pair{"sine.coe", "coe"}, std::pair{"sine.mif", "mif"},
                                       std::pair{"SINE.MIF", "mif"}, std::pair{"sine.mem", "mem"},
                                       std::pair{"sine.mi", "gowin"}, std::pair{"sine.vhd", "vhdl"},
                                       std::pair{"sine.vhdl", "vhdl"}, std::pair{"sine.v", "verilog"},
                                       std::pair{"sine.h", "c"}, std::pair{"sine.txt", "coe"},
                                       std::pair{"dir.v/sine", "coe"}})
        EXPECT_EQ(Parse({"1024", "-o", file}).format->name, format) << file;
    EXPECT_EQ(Parse({"1024", "--format", "mem", "-o", "sine.hex"}).format->name, "mem");
    EXPECT_EQ(Parse({"1024", "--format", "lattice", "-o", "sine.mem"}).format->name, "lattice");
    EXPECT_EQ(Refusal({"1024", "-o", "sine.hex"}),
              Printf(_("cannot tell which format to write %s in: give --format %s."), "'sine.hex'",
                     Printf(_("%s or %s"), "quartus-hex", "ihex").c_str()));
}

// A sine and a cosine header or package in one design must not collide.
TEST(Options, CosineTablesAreNamedAfterTheCosine)
{
    EXPECT_EQ(Parse({"8", "--format", "c", "--function", "cos"}).name, "lumiro_cosine");
    EXPECT_EQ(Parse({"8", "--format", "verilog", "--function", "cos"}).name, "lumiro_cosine");
    EXPECT_EQ(Parse({"8", "--format", "vhdl", "--function", "cos"}).name, "lumiro_cosine_pkg");
    EXPECT_EQ(Parse({"8", "--format", "vhdl", "--function", "cos", "--name", "rom"}).name, "rom");
}

TEST(Options, HostileValuesAreQuotedSafelyAndShort)
{
    // An ESC sequence and 100 kB in one value: masked, and cut to 40 characters;
    // isolated from the message under UTF-8, in ASCII escapes elsewhere.
    const std::string value = "\x1B]0;pwned\x07" + std::string(100000, 'x');
    for (const std::string& call : {"--format=" + value, "--radix=" + value, "--" + value}) {
        const std::string message = Refusal({call, "8"});
        EXPECT_LT(message.size(), 200U) << message.substr(0, 200);
        EXPECT_EQ(message.find('\x1B'), std::string::npos);
        EXPECT_NE(message.find(Utf8Locale() ? "\u2068" : "\\033]0;pwned\\007x"), std::string::npos) << message;
    }
}

TEST(Options, DashIsStandardOutput)
{
    EXPECT_FALSE(Parse({"8", "-o", "-"}).outputPath.has_value());
    EXPECT_EQ(Parse({"8", "-o", "./-"}).outputPath, "./-");
}

TEST(Options, HelpExplainsEveryOptionAndValueOfTheTables)
{
    const std::string help = HelpText();
    for (const OptionSpec& option : OptionTable())
        EXPECT_NE(help.find("--" + std::string(option.longName)), std::string::npos) << option.longName;
    for (const Format& format : Formats()) {
        EXPECT_NE(help.find("--format " + std::string(format.name)), std::string::npos) << format.name;
        // One example call for every format.
        EXPECT_NE(std::string_view(_(format.help)).find("lumiro-coe 1024"), std::string_view::npos);
    }
    for (const auto& word : WordChoices())
        EXPECT_NE(help.find("--word " + std::string(word.name)), std::string::npos) << word.name;
    // It starts by saying that N is not the depth: its range, and the words
    // of each span, in any language.
    const std::string first = help.substr(0, help.find("\n\n", help.find("\n\n") + 2));
    for (const char* said : {"4194304", "N/4", "N/2", "--span full N"})
        EXPECT_NE(first.find(said), std::string::npos) << said << "\n" << first;
    // Every line fits a terminal of 80 columns, in any language.
    std::size_t start = 0;
    for (std::size_t end; (end = help.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string_view line(help.data() + start, end - start);
        std::size_t columns = 0;
        for (char c : line)
            columns += (static_cast<unsigned char>(c) & 0xC0U) != 0x80U ? 1 : 0;
        EXPECT_LE(columns, 80U) << line;
    }
}

}  // namespace
}  // namespace lumiro::coe
