// SPDX-License-Identifier: GPL-3.0-or-later
// lumiro-coe as a script runs it: exit status, standard streams, files on disk.
#include <gtest/gtest.h>

#include <algorithm>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "format.h"
#include "i18n.h"
#include "scratch.h"
#include "table.h"

namespace {

using lumiro::testing::Outcome;
using lumiro::testing::Scratch;
using lumiro::testing::Slurp;
namespace fs = std::filesystem;

using Program = Scratch;

TEST_F(Program, WritesTheTableToStandardOutput)
{
    const Outcome run = Coe({"8"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.rfind("; Lumiro ", 0), 0U);
    EXPECT_NE(run.out.find("\nmemory_initialization_radix=2;\nmemory_initialization_vector=\n"),
              std::string::npos);
    EXPECT_EQ(run.out.substr(run.out.size() - 34), "00111111001101010000010011110011;\n");
}

TEST_F(Program, WrongCallsSayWhyAndWriteNothing)
{
    for (const std::vector<std::string>& call :
         std::vector<std::vector<std::string>>{{}, {"--bogus", "8"}, {"abc"}, {"0"}, {"4194305"},
                                               {"8", "--radix", "3"}}) {
        const Outcome run = Coe(call);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("lumiro-coe: ", 0), 0U) << run.err;
        EXPECT_NE(run.err.find("lumiro-coe --help"), std::string::npos) << run.err;
    }
}

// The wording of the most common messages, pinned in both languages: the
// other tests compare with the catalog, which could be wrong in both.
TEST_F(Program, SpeaksTheLanguageOfTheLocale)
{
    struct Said {
        const char* locale;
        const char* help;
        const char* notANumber;
        const char* unknown;
        const char* noFile;
    };
    for (const Said& said :
         {Said{"C", "Usage: lumiro-coe [OPTION]... N\n",
               "lumiro-coe: 'abc' is not a whole number.\nTry 'lumiro-coe --help' for more information.\n",
               "lumiro-coe: unknown option '--bogus'.\n",
               "(no such file)."},
          Said{"pl_PL.UTF-8", "Użycie: lumiro-coe [OPCJA]... N\n",
               "lumiro-coe: 'abc' nie jest poprawną liczbą całkowitą.\nOpis opcji: lumiro-coe --help\n",
               "lumiro-coe: nieznana opcja '--bogus'.\n",
               "(nie ma takiego pliku)."}}) {
        environment = {std::string("LC_ALL=") + said.locale, "LANGUAGE="};
        const Outcome help = Coe({"--help"});
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.out.rfind(said.help, 0), 0U) << help.out.substr(0, 100);
        EXPECT_EQ(help.err, "");
        EXPECT_EQ(Coe({"abc"}).err, said.notANumber);
        EXPECT_EQ(Coe({"8", "--bogus"}).err.rfind(said.unknown, 0), 0U);
        EXPECT_NE(Coe({"8", "--check", (dir / "none.coe").string()}).err.find(said.noFile), std::string::npos);
    }
    // LANGUAGE picks among languages once the locale is not C.
    environment = {"LC_ALL=pl_PL.UTF-8", "LANGUAGE=en"};
    EXPECT_EQ(Coe({"abc"}).err.rfind("lumiro-coe: 'abc' is not a whole number.", 0), 0U);
}

// A terminal in the C locale, or any charset but UTF-8, shows ASCII: a newline,
// 0x01 and 0xFF typed by the user stay apart, and π, × and ±½ become words.
TEST_F(Program, LocalesWithoutUtf8GetAscii)
{
    const auto ascii = [](const std::string& text) {
        return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    };
    const std::string typed = "a\nb\x01\xFF";
    environment = {"LC_ALL=C", "LANGUAGE="};
    const Outcome wrong = Coe({"8", "--format", typed});
    EXPECT_NE(wrong.err.find("(got 'a\\nb\\001\\377')"), std::string::npos) << wrong.err;
    const Outcome help = Coe({"--help"});
    const Outcome report = Coe({"64", "--word", "fixed:12", "--report", "-o", "/dev/null"});
    EXPECT_NE(help.out.find("(i + 1/2) x step"), std::string::npos);
    EXPECT_NE(report.err.find("sin(2*pi*i/N)"), std::string::npos) << report.err;
    for (const std::string& text : {wrong.err, help.out, report.err})
        EXPECT_TRUE(ascii(text)) << text.substr(0, 300);

    environment = {"LC_ALL=C.UTF-8", "LANGUAGE="};
    EXPECT_NE(Coe({"8", "--format", typed}).err.find("\u2068a\uFFFDb\uFFFD\uFFFD\u2069"), std::string::npos);
}

// A file is the same bytes whatever the language of the one who wrote it.
TEST_F(Program, FilesAreTheSameInEveryLocale)
{
    for (const lumiro::coe::Format& format : lumiro::coe::Formats()) {
        std::vector<std::string> call{"64", "--format", std::string(format.name)};
        if (format.name != "listing")
            call.insert(call.end(), {"--word", "fixed:12", "--angle", "exact"});
        environment = {"LC_ALL=C", "LANGUAGE="};
        const Outcome english = Coe(call);
        environment = {"LC_ALL=pl_PL.UTF-8", "LANGUAGE="};
        const Outcome polish = Coe(call);
        ASSERT_EQ(english.status, 0) << format.name << english.err;
        EXPECT_EQ(english.out, polish.out) << format.name;
        if (format.name == "listing")
            continue;  // the window's own text is Polish, as the window is
        for (char c : english.out)
            ASSERT_TRUE(c == '\n' || c == '\t' || (c >= ' ' && c < 0x7F)) << format.name;
    }
}

// --check reads standard input for "-", and -q says only by its status.
TEST_F(Program, CheckReadsStandardInputAndQuietSaysNothing)
{
    const fs::path file = dir / "sine.mem";
    ASSERT_EQ(Coe({"1024", "--format", "mem", "-o", file.string()}).status, 0);
    const std::string program = LUMIRO_COE;
    const auto shell = [](const std::string& script) {
        const int status = std::system(script.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(shell(program + " 1024 --check - --format mem < " + file.string() + " > /dev/null"), 0);
    EXPECT_EQ(shell(program + " 2048 --check - --format=mem -q < " + file.string() + " > " +
                    (dir / "said").string()),
              3);
    EXPECT_EQ(Slurp(dir / "said"), "");
    EXPECT_EQ(shell("cat " + file.string() + " | " + program + " 1024 --check=- --format mem --quiet"), 0);
    // Without a kind to read it as, standard input is a wrong call.
    EXPECT_EQ(shell(program + " 1024 --check - < /dev/null 2> /dev/null"), 2);
}

TEST_F(Program, OutputFileHoldsExactlyWhatStandardOutputGets)
{
    const fs::path file = dir / "sine.coe";
    for (const char* format : {"coe", "mem", "listing"}) {
        const Outcome toFile = Coe({"1024", "--format", format, "-o", file.string()});
        const Outcome toStdout = Coe({"1024", "--format", format});
        EXPECT_EQ(toFile.status, 0) << toFile.err;
        EXPECT_EQ(toFile.out, "");
        EXPECT_EQ(Slurp(file), toStdout.out) << format;
    }
    // Only the file itself is left behind, no temporary beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3);
}

TEST_F(Program, FailedWriteLeavesTheOldFileAsItWas)
{
    const fs::path file = dir / "sine.coe";
    std::ofstream(file) << "old contents\n";

    const Outcome tooBig = Coe({"4194304", "-o", file.string()}, {}, 1 << 20);
    EXPECT_EQ(tooBig.status, 1);
    EXPECT_NE(tooBig.err.find(lumiro::coe::Printf(_("could not write the file %s (%s)."),
                                                  ("'" + file.string() + "'").c_str(), _("file too large"))),
              std::string::npos)
        << tooBig.err;
    EXPECT_EQ(Slurp(file), "old contents\n");

    const Outcome wrong = Coe({"0", "-o", file.string()});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(Slurp(file), "old contents\n");

    const Outcome noFolder = Coe({"8", "-o", (dir / "missing" / "sine.coe").string()});
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_FALSE(fs::exists(dir / "missing"));

    // stdout, stderr and the old file: no temporary is left.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3);
}

TEST_F(Program, FullDiskOnStandardOutputIsAWriteError)
{
    const Outcome run = Coe({"65536"}, "/dev/full");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(lumiro::coe::Printf(_("could not write to standard output (%s)."),
                                               _("no space left on the disk"))),
              std::string::npos)
        << run.err;
}

}  // namespace
