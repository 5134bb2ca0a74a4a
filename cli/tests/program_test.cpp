// SPDX-License-Identifier: GPL-3.0-or-later
// lumiro-coe as a script runs it: exit status, standard streams, files on disk,
// and a Verilog simulator that nobody here wrote reading the memory files.
#include <gtest/gtest.h>

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

#include "quoted.h"
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

TEST_F(Program, HelpIsPolish)
{
    const Outcome run = Coe({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("Użycie: lumiro-coe [OPCJE] N\n", 0), 0U);
    EXPECT_EQ(run.err, "");
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
    EXPECT_NE(tooBig.err.find("nie udało się zapisać pliku " +
                              lumiro::testing::Quoted(file.string()) + " (plik jest za duży)."),
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
    EXPECT_NE(run.err.find("nie udało się zapisać na standardowe wyjście"), std::string::npos)
        << run.err;
}

// --- Icarus Verilog reads the mem files ---------------------------------------------

class Simulator : public Scratch, public ::testing::WithParamInterface<std::tuple<int, int>> {};

TEST_P(Simulator, ReadmemLoadsEveryWord)
{
    const auto [divisions, radix] = GetParam();
    const int depth = divisions / 4;
    const fs::path mem = dir / "sine.mem";
    ASSERT_EQ(Coe({std::to_string(divisions), "--format", "mem", "--radix", std::to_string(radix),
                   "-o", mem.string()})
                  .status,
              0);

    // Unread words stay x and would print as such; too many draw a warning.
    std::ofstream(dir / "tb.v") << "module tb;\n"
                                << "  reg [31:0] words [0:" << depth - 1 << "];\n"
                                << "  integer i;\n"
                                << "  initial begin\n"
                                << "    $readmem" << (radix == 16 ? 'h' : 'b') << "(\""
                                << mem.string() << "\", words);\n"
                                << "    for (i = 0; i < " << depth << "; i = i + 1)\n"
                                << "      $display(\"%h\", words[i]);\n"
                                << "    $finish;\n"
                                << "  end\n"
                                << "endmodule\n";
    const Outcome compile = Start({IVERILOG, "-o", (dir / "tb.vvp").string(), (dir / "tb.v").string()});
    ASSERT_EQ(compile.status, 0) << compile.err;
    const Outcome sim = Start({VVP, "-n", (dir / "tb.vvp").string()});
    ASSERT_EQ(sim.status, 0) << sim.err;
    EXPECT_EQ(sim.out.find("WARNING"), std::string::npos) << sim.out.substr(0, 400);

    std::istringstream lines(sim.out);
    const float step = lumiro::RadStep(divisions);
    int index = 0;
    for (std::string line; std::getline(lines, line) && index < depth; ++index) {
        ASSERT_EQ(line.size(), 8U) << "word " << index << ": " << line;
        ASSERT_EQ(std::stoul(line, nullptr, 16), lumiro::WordOf(lumiro::SineSample(index, step)))
            << "word " << index;
    }
    EXPECT_EQ(index, depth);
}

INSTANTIATE_TEST_SUITE_P(Tables, Simulator,
                         ::testing::Combine(::testing::Values(8, 1024, 65536),
                                            ::testing::Values(2, 16)));

}  // namespace
