// SPDX-License-Identifier: GPL-3.0-or-later
#include "options.h"
#include "names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "quoted.h"

namespace lumiro::coe {
namespace {

using lumiro::testing::Quoted;

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
    EXPECT_EQ(options.divisions, 1024);
    EXPECT_EQ(options.format->name, "coe");
    EXPECT_EQ(options.radix, Radix::Binary);
    EXPECT_FALSE(options.outputPath);
}

TEST(Options, EveryOptionInEitherSpelling)
{
    Options options = Parse({"--format", "mem", "--radix", "16", "-o", "sine.mem", "64"});
    EXPECT_EQ(options.format->name, "mem");
    EXPECT_EQ(options.radix, Radix::Hex);
    EXPECT_EQ(options.outputPath, "sine.mem");
    EXPECT_EQ(options.divisions, 64);

    options = Parse({" 8 ", "--format=listing"});
    EXPECT_EQ(options.format->name, "listing");
    EXPECT_EQ(options.divisions, 8);

    options = Parse({"--radix=2", "--format=coe", "--", "4194304"});
    EXPECT_EQ(options.divisions, 4194304);
}

TEST(Options, HelpNeedsNoCount)
{
    EXPECT_TRUE(Parse({"-h"}).help);
    EXPECT_TRUE(Parse({"--format", "mem", "--help"}).help);
    // ...but a misspelt option is still refused.
    EXPECT_EQ(Refusal({"--help", "--bogus"}), "nieznana opcja " + Quoted("--bogus") + ".");
}

struct Refused {
    std::vector<std::string_view> arguments;
    std::string message;
};

class OptionsRefuse : public ::testing::TestWithParam<Refused> {};

TEST_P(OptionsRefuse, WithAPolishMessage)
{
    EXPECT_EQ(Refusal(GetParam().arguments), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, OptionsRefuse,
    ::testing::Values(
        Refused{{}, "brak liczby N: na ile części podzielić 360 stopni."},
        Refused{{"--format", "mem"}, "brak liczby N: na ile części podzielić 360 stopni."},
        Refused{{"--verbose", "8"}, "nieznana opcja " + Quoted("--verbose") + "."},
        Refused{{"-x", "8"}, "nieznana opcja " + Quoted("-x") + "."},
        Refused{{"8", "16"}, "podano więcej niż jedną liczbę N."},
        Refused{{"--format", "xml", "8"},
                "opcja --format przyjmuje wartość coe, mem, mif, vhdl, verilog, c albo listing (podano " + Quoted("xml") + ")."},
        Refused{{"8", "--format"}, "opcja --format wymaga wartości."},
        Refused{{"--radix=8", "8"}, "opcja --radix przyjmuje wartość 2 albo 16 (podano " + Quoted("8") + ")."},
        Refused{{"8", "-o"}, "opcja -o wymaga nazwy pliku."},
        Refused{{"--format", "listing", "--radix", "16", "8"},
                "opcja --radix nie dotyczy formatu listing."},
        Refused{{"abc"}, Quoted("abc") + " nie jest poprawną liczbą całkowitą."},
        Refused{{"0"}, "Na ile części podzielić 360 stopni: dozwolone są liczby od 1 do 4194304 "
                       "(podano 0)."},
        Refused{{"-5"}, "Na ile części podzielić 360 stopni: dozwolone są liczby od 1 do 4194304 "
                        "(podano -5)."},
        Refused{{"4194305"}, "Na ile części podzielić 360 stopni: dozwolone są liczby od 1 do "
                             "4194304 (podano 4194305)."}));

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
        EXPECT_NE(Refusal({"8", "--format", "verilog", "--name", bad}).find("nie nadaje się"),
                  std::string::npos)
            << bad;
    }
    EXPECT_FALSE(IsPortableIdentifier(std::string(65, 'r')));
    EXPECT_EQ(Parse({"8", "--format", "verilog"}).name, "lumiro_sine");
    EXPECT_EQ(Parse({"8", "--format", "vhdl"}).name, "lumiro_sine_pkg");
    EXPECT_EQ(Parse({"8", "--format", "c"}).name, "lumiro_sine");
}

TEST(Options, EachFormatTakesOnlyWhatItUses)
{
    EXPECT_EQ(Refusal({"8", "--name", "rom"}), "opcja --name nie dotyczy formatu coe.");
    EXPECT_EQ(Refusal({"8", "--format", "c", "--radix", "2"}), "opcja --radix nie dotyczy formatu c.");
    // No memory has depth 0: the formats that declare one refuse N below 4.
    for (const char* format : {"mif", "vhdl", "verilog", "c"})
        EXPECT_EQ(Refusal({"3", "--format", format}),
                  "format " + std::string(format) +
                      " nie opisze pamięci bez słów: dla N = 3 tablica ma 0 próbek; podaj większe N.");
    EXPECT_EQ(Parse({"3", "--format", "mem"}).divisions, 3);  // an empty file is a file
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
    const auto refused = [](std::vector<std::string_view> call, std::string_view part) {
        const std::string message = Refusal(std::move(call));
        EXPECT_NE(message.find(part), std::string::npos) << message;
    };
    refused({"8", "--with-end", "--half-step"}, "wykluczają się");
    refused({"8", "--word", "ufixed:8", "--span", "full"}, "nie mają znaku");
    refused({"8", "--format", "listing", "--word", "float16"}, "format listing to tekst okna");
    refused({"8", "--format", "listing", "--report"}, "format listing to tekst okna");
    refused({"1026", "--with-end"}, "podzielnego przez 4");
    refused({"1027", "--span", "half", "--report", "--word", "fixed:8"}, "podzielnego przez 2");
    refused({"8", "--word", "fixed:1"}, "opcja --word przyjmuje");
    refused({"8", "--angle", "ideal"}, "opcja --angle przyjmuje");
    refused({"8", "--span", "eighth"}, "opcja --span przyjmuje");
    // The window's end of a half span, N/2 × rad_step, lies beyond 180° where
    // rad_step rounded up (N = 12): sin is -8.7e-8 there, which ufixed cannot hold.
    refused({"12", "--word", "ufixed:8", "--span", "half", "--with-end"}, "nie mają znaku");
    refused({"8", "--check", "x.coe", "--report"}, "nie łączy się z --check");
    // The exact angle's end is 180° itself, where the sine is 0.
    EXPECT_TRUE(Parse({"12", "--word", "ufixed:8", "--span", "half", "--with-end", "--angle", "exact"})
                    .shape.withEnd);
}

TEST(Options, HostileValuesAreQuotedSafelyAndShort)
{
    // An ESC sequence and 100 kB in one value: masked, and cut to 40 characters.
    const std::string value = "\x1B]0;pwned\x07" + std::string(100000, 'x');
    for (const std::string& call : {"--format=" + value, "--radix=" + value, "--" + value}) {
        const std::string message = Refusal({call, "8"});
        EXPECT_LT(message.size(), 200U) << message.substr(0, 200);
        EXPECT_EQ(message.find('\x1B'), std::string::npos);
        EXPECT_NE(message.find("\u2068"), std::string::npos);
    }
}

TEST(Options, DashIsStandardOutput)
{
    EXPECT_FALSE(Parse({"8", "-o", "-"}).outputPath.has_value());
    EXPECT_EQ(Parse({"8", "-o", "./-"}).outputPath, "./-");
}

TEST(Options, HelpExplainsEveryOptionInPolish)
{
    const std::string help = HelpText();
    for (const char* option : {"--format coe", "--format mem", "--format listing", "--format mif",
                               "--format vhdl", "--format verilog", "--format c", "--radix 2",
                               "--radix 16", "--name NAZWA", "-o PLIK", "--check PLIK",
                               "--version", "--help", "Użycie: lumiro-coe"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
    // One example call for every format.
    for (const Format& format : Formats())
        EXPECT_NE(format.help.find("lumiro-coe 1024"), std::string_view::npos) << format.name;
}

}  // namespace
}  // namespace lumiro::coe
