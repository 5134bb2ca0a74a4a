// SPDX-License-Identifier: GPL-3.0-or-later
// --check: a file read strictly after its format's grammar and compared word
// for word; what differs is reported, and the window's rows are recognised.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <future>
#include <string>

#include "check.h"
#include "i18n.h"
#include "memory_stream.h"
#include "scratch.h"
#include "window_table.h"
#include "table.h"

namespace lumiro::coe::testing {
namespace {

using lumiro::testing::WindowTable;

using lumiro::testing::Outcome;
namespace fs = std::filesystem;

using CheckProgram = lumiro::testing::Scratch;

struct Checked {
    int status = -1;
    std::string report;
};

Checked Check(std::string_view text, std::string_view format, std::int32_t divisions = 64,
              std::optional<Radix> radix = {})
{
    Checked checked;
    checked.report = Capture([&](std::FILE* out) {
        TextScanner scanner(text);
        checked.status = CompareWithTable(scanner, *FindFormat(format), radix, WindowTable(divisions), out);
    });
    return checked;
}

// "Compared 256 words, differing: 0.", in the plural form of the language.
std::string Compared(std::size_t words, std::size_t differing)
{
    return Printf(Plural("Compared %zu word, differing: %zu.\n", "Compared %zu words, differing: %zu.\n", words),
                  words, differing);
}

std::string LinePrefix(std::size_t line)
{
    return Printf(_("line %zu: %s"), line, "");
}

std::string Written(std::string_view format, std::int32_t divisions, Radix radix)
{
    const SineTable table = WindowTable(divisions);
    return Capture([&](std::FILE* out) { FindFormat(format)->write(out, Request{table, radix, ""}); });
}

std::string HexWord(std::int32_t divisions, std::int32_t index)
{
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08X", WordOf(SineSample(index, RadStep(divisions))));
    return digits;
}

TEST(Check, WhatLumiroWritesIsExactlyTheTable)
{
    for (const char* format : {"coe", "mif", "mem"})
        for (const Radix radix : {Radix::Binary, Radix::Hex}) {
            const Checked checked = Check(Written(format, 1024, radix), format, 1024);
            EXPECT_EQ(checked.status, kSucceeded) << format << checked.report;
            EXPECT_EQ(checked.report, Compared(256, 0) +
                                          Printf(_("The file holds exactly the table for N = %d.\n"), 1024));
        }
}

TEST(Check, ReportsTheFirstTenDifferencesAndCountsTheRest)
{
    // Twelve words with their first digit made an 8.
    std::string text = Written("mem", 64, Radix::Hex);
    for (std::size_t line = 0, at = 0; line < 12; ++line, at = text.find('\n', at) + 1)
        text[at] = '8';
    const Checked checked = Check(text, "mem");
    EXPECT_EQ(checked.status, kDiffers);
    EXPECT_EQ(checked.report.rfind(Compared(16, 12), 0), 0U) << checked.report;
    EXPECT_NE(checked.report.find(Printf(_("  word %zu (line %zu): is %s, should be %s\n"), std::size_t{1},
                                         std::size_t{2}, ("8" + HexWord(64, 1).substr(1)).c_str(),
                                         HexWord(64, 1).c_str())),
              std::string::npos)
        << checked.report;
    const std::string tenth =
        Printf(_("  word %zu (line %zu): is %s, should be %s\n"), std::size_t{10}, std::size_t{11}, "", "");
    EXPECT_EQ(checked.report.find(tenth.substr(0, tenth.find(':'))), std::string::npos);  // words 0..9 only
    EXPECT_NE(checked.report.find(ForTerminal(Printf(_("  … and %zu more\n"), std::size_t{2}))), std::string::npos);
}

TEST(Check, AnotherDepthIsADifference)
{
    const Checked checked = Check(Written("coe", 64, Radix::Binary), "coe", 128);
    EXPECT_EQ(checked.status, kDiffers);
    EXPECT_NE(checked.report.find(Printf(Plural("The file has %zu word, the table for N = %d: %zu.\n",
                                                "The file has %zu words, the table for N = %d: %zu.\n", 16),
                                         std::size_t{16}, 128, std::size_t{32})),
              std::string::npos);
}

TEST(Check, TheWindowsRowsAreRecognisedAndExplained)
{
    // The block as a user copies it from the window, from the radix line on.
    const std::string listing = Written("listing", 64, Radix::Binary);
    const Checked checked = Check(listing.substr(listing.find("memory_initialization_radix")), "coe");
    EXPECT_EQ(checked.status, kDiffers);
    EXPECT_EQ(checked.report.rfind(Compared(16, 0), 0), 0U) << checked.report;
    EXPECT_NE(checked.report.find(Printf(_("These are rows of bits copied from the Lumiro window. Xilinx's COE "
                                           "reader splits each of them into 32 one-digit values, so the file "
                                           "does not load as this table. A file that does is written by:\n"
                                           "  lumiro-coe %d -o table.coe\n"),
                                         64)),
              std::string::npos);
}

TEST(Check, VendorStyleFilesAreReadAfterTheirGrammar)
{
    // Words 0 and 1 of N = 8: +0 and sin(π/4) = 0x3F3504F3.
    EXPECT_EQ(Check("; made by hand\nMEMORY_INITIALIZATION_RADIX = 16 ; radix\n"
                    "Memory_Initialization_Vector = 0 3f3504f3 ; two words\n",
                    "coe", 8).status,
              kSucceeded);
    EXPECT_EQ(Check("memory_initialization_radix=10;\nmemory_initialization_vector=0,1060439283;",
                    "coe", 8).status,
              kSucceeded);
    EXPECT_EQ(Check("-- by hand\n% a block\ncomment %\nwidth = 32; depth = 2;\n"
                    "address_radix = hex; data_radix = hex;\ncontent begin\n"
                    "  [0..0] : 0;\n  1 : 3F3504F3;\nend;\n",
                    "mif", 8).status,
              kSucceeded);
    EXPECT_EQ(Check("WIDTH=32; DEPTH=2; ADDRESS_RADIX=UNS; DATA_RADIX=HEX;\n"
                    "CONTENT BEGIN 0 : 0 3F3504F3; END;\n",
                    "mif", 8).status,
              kSucceeded);
    EXPECT_EQ(Check("// by hand\n@0 0000_0000 /* sin 45 */ 3f35_04f3\n", "mem", 8).status,
              kSucceeded);
}

class Refused : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(Refused, WithTheLineThatIsWrong)
{
    const auto [format, text] = GetParam();
    try {
        Check(text, format, 8);
        ADD_FAILURE() << "read: " << text;
    } catch (const ReadError& error) {
        EXPECT_EQ(std::string(error.what()).rfind(LinePrefix(1).substr(0, 4), 0), 0U) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Broken, Refused,
    ::testing::Values(
        std::pair{"coe", "memory_initialization_radix=2;\nmemory_initialization_vector=0,1,\n"},
        std::pair{"coe", "memory_initialization_radix=3;\nmemory_initialization_vector=0;\n"},
        std::pair{"coe", "memory_initialization_vector=0;\n"},
        std::pair{"coe", "memory_initialization_radix=16;\nmemory_initialization_vector=1FFFFFFFF;"},
        std::pair{"coe", "memory_initialization_radix=2;\nmemory_initialization_vector=\n0 1 ,\n"},
        std::pair{"coe", ""},
        std::pair{"mif", "WIDTH=16; DEPTH=2; ADDRESS_RADIX=UNS; DATA_RADIX=HEX; CONTENT BEGIN END;"},
        std::pair{"mif", "WIDTH=32; DEPTH=2; ADDRESS_RADIX=UNS; DATA_RADIX=HEX;\nCONTENT BEGIN\n"
                         "0 : 0;\n0 : 1;\nEND;"},
        std::pair{"mif", "WIDTH=32; DEPTH=2; ADDRESS_RADIX=UNS; DATA_RADIX=HEX;\nCONTENT BEGIN\n"
                         "[1..0] : 0;\nEND;"},
        std::pair{"mif", "WIDTH=32; DEPTH=99999999; ADDRESS_RADIX=UNS; DATA_RADIX=HEX;"},
        std::pair{"mif", "WIDTH=32; DEPTH=2; ADDRESS_RADIX=UNS; DATA_RADIX=HEX;\nCONTENT BEGIN\n"
                         "2 : 0;\nEND;"},
        std::pair{"mem", "/* never closed\n0\n"},
        std::pair{"mem", "0000000z\n"},
        std::pair{"mem", "@5 00000000\n"}));

// N = 8: word 0 is +0, word 1 sin(π/4) = 0x3F3504F3.
TEST(Check, VendorGrammarsAsDocumented)
{
    const std::string lattice = "#Format=Hex\n#Depth=2\n#Width=32\n#AddrRadix=3\n#DataRadix=3\n#Data\n";
    // Fewer digits are filled with zeros at the top, so more are leading zeros.
    EXPECT_EQ(Check(lattice + "0\n0003F3504F3 # sin 45\n", "lattice", 8).status, kSucceeded);
    EXPECT_THROW(Check(lattice + "0 3F3504F3\n", "lattice", 8), ReadError);  // one address a line
    EXPECT_THROW(Check(lattice + "13F3504F3\n", "lattice", 8), ReadError);   // 33 bits

    // Intel HEX may leave gaps: the word in one is a difference, not a broken file.
    for (const auto& [format, text] : {std::pair{"ihex", ":040004003F3504F38D\n:00000001FF\n"},
                                       std::pair{"quartus-hex", ":040001003F3504F390\n:00000001FF\n"}}) {
        const Checked gap = Check(text, format, 8);
        EXPECT_EQ(gap.status, kDiffers) << format;
        EXPECT_NE(gap.report.find(Printf(_("  word %zu: not in the file, should be %s\n"), std::size_t{0}, "00000000")),
                  std::string::npos)
            << gap.report;
    }
}

TEST(Check, WhatTheFileStatesIsHeldAgainstTheCall)
{
    // The radix a file states, against the one --radix asks for.
    for (const auto& [format, text] :
         {std::pair{"coe", "memory_initialization_radix=16;\nmemory_initialization_vector=0,3F3504F3;\n"},
          std::pair{"lattice", "#Format=Hex\n#Depth=2\n#Width=32\n#AddrRadix=3\n#DataRadix=0\n#Data\n0\n3F3504F3\n"}}) {
        EXPECT_EQ(Check(text, format, 8, Radix::Hex).status, kSucceeded) << format;
        const Checked binary = Check(text, format, 8, Radix::Binary);
        EXPECT_EQ(binary.status, kDiffers) << format;
        EXPECT_EQ(binary.report, Printf(_("The file's words are in radix %d; --radix asks for %d.\n"), 16, 2));
    }
}

// A word wider than the table is shown as it was read.
TEST_F(CheckProgram, AWordWiderThanTheTableIsShownAsRead)
{
    const std::string coe = (dir / "wide.coe").string();
    std::ofstream(coe) << "memory_initialization_radix=16;\nmemory_initialization_vector=\n10C9,5A8;\n";
    const Outcome run = Coe({"8", "--word", "fixed:12", "--check", coe});
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.out.find(Printf(_("  word %zu (line %zu): is %s, wider than the table's %d bits; should be %s\n"),
                                  std::size_t{0}, std::size_t{3}, "10C9", 12, "000")),
              std::string::npos)
        << run.out;
}

TEST(Check, MissingMifAddressIsNamed)
{
    EXPECT_THROW(Check("WIDTH=32; DEPTH=2; ADDRESS_RADIX=UNS; DATA_RADIX=HEX; CONTENT BEGIN 0 : 0; END;",
                       "mif", 8),
                 ReadError);
}

TEST_F(CheckProgram, ExitStatusSaysWhatHappened)
{
    const auto path = [this](const char* name) { return (dir / name).string(); };
    ASSERT_EQ(Coe({"1024", "--format", "mif", "-o", path("sine.mif")}).status, 0);
    EXPECT_EQ(Coe({"1024", "--check", path("sine.mif")}).status, 0);
    EXPECT_EQ(Coe({"2048", "--check", path("sine.mif")}).status, 3);
    // A missing file is said first, whatever its name would have told.
    for (const char* none : {"none.coe", "none.hex", "none.txt"}) {
        const Outcome missing = Coe({"1024", "--check", path(none)});
        EXPECT_EQ(missing.status, 1);
        EXPECT_NE(missing.err.find(Printf(_("could not read the file %s (%s)."), ("'" + path(none) + "'").c_str(),
                                          _("no such file"))),
                  std::string::npos)
            << missing.err;
    }
    std::ofstream(path("broken.coe")) << "memory_initialization_radix=2;\n";
    const Outcome broken = Coe({"1024", "--check", path("broken.coe")});
    EXPECT_EQ(broken.status, 1);
    EXPECT_NE(broken.err.find(Printf(_("%s is not a valid %s file: %s"), "", "coe", "").substr(1)), std::string::npos)
        << broken.err;

    // Wrong calls: an unknown kind, a kind it cannot read, and -o beside it.
    std::ofstream(path("sine.txt")) << "0\n";
    EXPECT_EQ(Coe({"1024", "--check", path("sine.txt")}).status, 2);
    EXPECT_EQ(Coe({"1024", "--check", path("sine.mif"), "--format", "vhdl"}).status, 2);
    EXPECT_EQ(Coe({"1024", "--check", path("sine.mif"), "-o", path("x")}).status, 2);
    // --format names the kind whatever the extension says.
    EXPECT_EQ(Coe({"1024", "--check", path("sine.mif"), "--format", "mif"}).status, 0);
}

// Formats that share an extension: a Lattice .mem file is known by its header,
// a .hex file needs --format; a Lattice table deeper than 65536 words does not exist.
TEST_F(CheckProgram, SharedExtensionsAndTheLatticeDepth)
{
    const auto path = [this](const char* name) { return (dir / name).string(); };
    ASSERT_EQ(Coe({"1024", "--format", "lattice", "-o", path("lattice.mem")}).status, 0);
    ASSERT_EQ(Coe({"1024", "--format", "mem", "-o", path("plain.mem")}).status, 0);
    EXPECT_EQ(Coe({"1024", "--check", path("lattice.mem")}).status, 0);
    EXPECT_EQ(Coe({"1024", "--check", path("plain.mem")}).status, 0);
    ASSERT_EQ(Coe({"1024", "--format", "ihex", "-o", path("sine.hex")}).status, 0);
    const Outcome ambiguous = Coe({"1024", "--check", path("sine.hex")});
    EXPECT_EQ(ambiguous.status, 2);
    EXPECT_NE(ambiguous.err.find(Printf(_("%s or %s"), "quartus-hex", "ihex")), std::string::npos) << ambiguous.err;
    EXPECT_EQ(Coe({"1024", "--check", path("sine.hex"), "--format", "ihex"}).status, 0);
    EXPECT_EQ(Coe({"1024", "--check", path("sine.hex"), "--format", "quartus-hex"}).status, 1);

    const Outcome deep = Coe({"1048576", "--format", "lattice", "-o", path("deep.mem")});
    EXPECT_EQ(deep.status, 2);
    EXPECT_FALSE(fs::exists(path("deep.mem")));
    EXPECT_EQ(Coe({"4194304", "--span", "full", "--format", "quartus-hex", "-o", path("deep.hex")}).status, 2);
}

TEST_F(CheckProgram, FileLargerThanAnyTableIsRefusedUnread)
{
    // Sparse: it takes no disk, and reading it would take seconds and a gigabyte.
    const std::string huge = (dir / "huge.coe").string();
    const int descriptor = ::open(huge.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(descriptor, 0);
    ASSERT_EQ(::ftruncate(descriptor, static_cast<off_t>(kLargestCheckedFile) + 1), 0);
    ::close(descriptor);
    const Outcome run = Coe({"1024", "--check", huge});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(Printf(_("the file %s is larger than any table (over 1 GiB); it was not read."),
                                  ("'" + huge + "'").c_str())),
              std::string::npos)
        << run.err;
}

// Each message points at what is wrong, quoted as it stands.
TEST(Check, MessagesNameTheRealFault)
{
    const auto refusal = [](std::string_view text, std::string_view format) {
        try {
            Check(text, format, 8);
        } catch (const ReadError& error) {
            return std::string(error.what());
        }
        return std::string("read");
    };
    EXPECT_EQ(refusal("0\n@ 1\n", "mem"), Printf(_("line %zu: %s"), std::size_t{2}, _("'@' without an address.")));
    for (const char* format : {"coe", "mif", "mem"})
        EXPECT_NE(refusal("\xEF\xBB\xBF" + Written(format, 8, Radix::Hex), format).find("BOM"),
                  std::string::npos)
            << format;
    // UNS is unsigned; DEC, Quartus's signed decimal, takes -1.
    EXPECT_NE(refusal("WIDTH=32; DEPTH=2; ADDRESS_RADIX=UNS; DATA_RADIX=UNS;\nCONTENT BEGIN\n"
                      "0 : -1;\n1 : 0;\nEND;\n", "mif")
                  .find(Printf(_("%s is no valid %s."), "'-1'", _("word"))),
              std::string::npos);
    // A binary file cut in its last word is still binary: that word differs,
    // where the file used to be read as hexadecimal and refused at its first word.
    std::string cut = Written("mem", 8, Radix::Binary);
    cut.resize(cut.size() - 10);
    const Checked checked = Check(cut, "mem", 8);
    EXPECT_EQ(checked.status, kDiffers);
    EXPECT_NE(checked.report.find(Compared(2, 1) + Printf(_("  word %zu (line %zu): is %s, should be %s\n"),
                                                          std::size_t{1}, std::size_t{2}, "", "")
                                                       .substr(0, 10)),
              std::string::npos)
        << checked.report;
}

// A file read through a small window holds no more than the window: words,
// rows and keywords that straddle a refill read as they do whole.
TEST(Check, ReadsTheSameThroughRefillsOfAnySize)
{
    class Trickle : public ByteSource {
    public:
        Trickle(std::string text, std::size_t chunk) : text_(std::move(text)), chunk_(chunk) {}
        std::size_t Read(char* to, std::size_t room) override
        {
            const std::size_t count = std::min({room, chunk_, text_.size() - at_});
            text_.copy(to, count, at_);
            at_ += count;
            return count;
        }

    private:
        std::string text_;
        std::size_t chunk_;
        std::size_t at_ = 0;
    };
    const std::string listing = Written("listing", 64, Radix::Binary);
    const std::string rows = listing.substr(listing.find("memory_initialization_radix"));
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{7}, std::size_t{65536}})
        for (const auto& [format, text] : {std::pair{"coe", Written("coe", 1024, Radix::Binary)},
                                           std::pair{"mif", Written("mif", 1024, Radix::Hex)},
                                           std::pair{"mem", Written("mem", 1024, Radix::Binary)},
                                           std::pair{"coe", rows}}) {
            Trickle source(text, chunk);
            TextScanner scanner(source);
            const bool window = text == rows;
            const std::string report = Capture([&](std::FILE* out) {
                EXPECT_EQ(CompareWithTable(scanner, *FindFormat(format), {},
                                           WindowTable(window ? 64 : 1024), out),
                          window ? kDiffers : kSucceeded);
            });
            EXPECT_NE(report.find(window ? Compared(64 / 4, 0)
                                         : Printf(_("The file holds exactly the table for N = %d.\n"), 1024)),
                      std::string::npos)
                << format << " " << chunk << report;
        }
}

// Offset-binary words, like every kind, are read back by each reader as written.
TEST_F(CheckProgram, OffsetWordsReadBackInEveryReadableFormat)
{
    for (const Format& format : Formats()) {
        if (format.read == nullptr)
            continue;
        const std::string file = (dir / "table").string();
        const std::string name(format.name);
        ASSERT_EQ(Coe({"1024", "--word", "offset:12", "--angle", "exact", "--format", name, "-o", file}).status, 0)
            << name;
        const Outcome run =
            Coe({"1024", "--word", "offset:12", "--angle", "exact", "--format", name, "--check", file});
        EXPECT_EQ(run.status, 0) << name << run.out << run.err;
        EXPECT_EQ(Coe({"1024", "--word", "fixed:12", "--angle", "exact", "--format", name, "--check", file}).status, 3)
            << name;
    }
}

// A file of another size or width is not listed word by word: the report says
// which table it holds, or guesses one of its size and width.
TEST_F(CheckProgram, AnotherTableIsNamedByItsOptions)
{
    const std::string mif = (dir / "colleague.mif").string();
    ASSERT_EQ(Coe({"1024", "--span", "full", "--word", "fixed:16", "--angle", "exact", "-o", mif}).status, 0);
    const Outcome named = Coe({"1024", "--check", mif});
    EXPECT_EQ(named.status, 3);
    EXPECT_NE(named.out.find(Printf(_("Its words are exactly the table of: lumiro-coe %d %s\n"), 1024,
                                    "--span full --angle exact --word fixed:16")),
              std::string::npos)
        << named.out;
    EXPECT_EQ(named.out.find(Printf(_("  word %zu (line %zu): is %s, should be %s\n"), std::size_t{1}, std::size_t{1},
                                    "", "").substr(0, 8)),
              std::string::npos);

    const std::string coe = (dir / "ones.coe").string();
    std::ofstream file(coe);
    file << "memory_initialization_radix=16;\nmemory_initialization_vector=\n";
    for (int i = 0; i < 512; ++i)
        file << "1" << (i < 511 ? ",\n" : ";\n");
    file.close();
    const Outcome guessed = Coe({"1024", "--check", coe});
    EXPECT_EQ(guessed.status, 3);
    EXPECT_NE(guessed.out.find(Printf(_("A table of as many words of that width: lumiro-coe %d %s?\n"), 1024,
                                      "--span half")),
              std::string::npos)
        << guessed.out;
}

// A pipe can be read once: its head tells a Lattice .mem from a $readmem one,
// and is then read as the rest of it.
TEST_F(CheckProgram, PipesAreReadOnceWhateverTheirHeadSays)
{
    const auto path = [this](const char* name) { return (dir / name).string(); };
    ASSERT_EQ(Coe({"64", "--format", "lattice", "-o", path("lattice.mem")}).status, 0);
    ASSERT_EQ(Coe({"64", "--format", "mem", "-o", path("plain.mem")}).status, 0);
    ASSERT_EQ(::mkfifo(path("pipe.mem").c_str(), 0600), 0);
    for (const char* file : {"lattice.mem", "plain.mem"}) {
        auto writer = std::async(std::launch::async, [&] {
            std::ofstream(path("pipe.mem")) << lumiro::testing::Slurp(path(file));
        });
        const Outcome run = Coe({"64", "--check", path("pipe.mem")});
        writer.get();
        EXPECT_EQ(run.status, 0) << file << run.out << run.err;
    }
    fs::create_symlink("/dev/stdin", path("stdin.mem"));
    const std::string command = std::string(LUMIRO_COE) + " 64 --check '" + path("stdin.mem") + "' < '" +
                                path("lattice.mem") + "' > /dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

TEST_F(CheckProgram, StandardInputThatCannotBeReadIsNamed)
{
    const std::string program = LUMIRO_COE;
    const auto shell = [&](const std::string& script) {
        return Start({"/bin/sh", "-c", program + " 8 --format coe --check - " + script});
    };
    for (const char* closed : {"<&-", "0>/dev/null"}) {
        const Outcome run = shell(closed);
        EXPECT_EQ(run.status, 1) << closed;
        EXPECT_NE(run.err.find(Printf(_("could not read standard input (%s)."), _("not open for reading"))),
                  std::string::npos)
            << closed << run.err;
    }
    // A gigabyte of comments, then no more is read.
    const Outcome endless =
        Start({"/bin/sh", "-c",
               "{ printf '#Format=Hex\\n#Depth=2\\n#Width=32\\n#AddrRadix=3\\n#DataRadix=3\\n#Data\\n'; "
               "yes '#" + std::string(4000, 'x') + "'; } | " + program + " 8 --format lattice --check -"});
    EXPECT_EQ(endless.status, 1);
    EXPECT_NE(endless.err.find(_("standard input holds more than any table (over 1 GiB); reading stopped there.")),
              std::string::npos)
        << endless.err;
}

TEST_F(CheckProgram, AnotherWordWidthIsADifferenceThatSaysTheWidths)
{
    const std::string mif = (dir / "SINE.MIF").string();  // the extension in capitals too
    ASSERT_EQ(Coe({"1024", "--word", "fixed:16", "--format", "mif", "-o", mif}).status, 0);
    const Outcome run = Coe({"1024", "--check", mif});
    EXPECT_EQ(run.status, 3) << run.err;
    EXPECT_NE(run.out.find(Printf(_("The file has words of %d bits, the table for N = %d words of %d bits; words "
                                    "in the file: %zu, in the table: %zu.\n"),
                                  16, 1024, 32, std::size_t{256}, std::size_t{256})),
              std::string::npos)
        << run.out;
}

TEST_F(CheckProgram, EndlessDeviceIsCutAtTheLimitNotHeld)
{
    // /dev/zero would fill memory if it were read whole; streamed, its first NUL is refused.
    const Outcome run = Coe({"1024", "--check", "/dev/zero", "--format", "mem"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(Printf(_("%s is not a valid %s file: %s"), "'/dev/zero'", "mem", "")), std::string::npos)
        << run.err;
}

}  // namespace
}  // namespace lumiro::coe::testing
