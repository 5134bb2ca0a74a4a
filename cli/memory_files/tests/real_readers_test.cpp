// SPDX-License-Identifier: GPL-3.0-or-later
// Every format read back by a tool that nobody here wrote: SRecord reads the
// MIF, GHDL the VHDL package, Icarus Verilog, Yosys and Verilator the ROM
// module, gcc the C header. Each word must be the window's sample.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "scratch.h"
#include "table.h"

namespace {

using lumiro::testing::Outcome;
using lumiro::testing::Slurp;
namespace fs = std::filesystem;

std::vector<std::uint32_t> ExpectedWords(int divisions)
{
    std::vector<std::uint32_t> words;
    const float step = lumiro::RadStep(divisions);
    for (int i = 0; i < lumiro::QuarterCount(divisions); ++i)
        words.push_back(lumiro::WordOf(lumiro::SineSample(i, step)));
    return words;
}

// Eight hexadecimal digits a line, as the testbenches print the words.
std::vector<std::uint32_t> HexLines(const std::string& text, const std::string& marker = "")
{
    std::vector<std::uint32_t> words;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t at = marker.empty() ? 0 : line.find(marker);
        if (at == std::string::npos)
            continue;
        const std::string digits = line.substr(at + marker.size());
        words.push_back(static_cast<std::uint32_t>(std::stoul(digits, nullptr, 16)));
    }
    return words;
}

class RealReader : public lumiro::testing::Scratch,
                   public ::testing::WithParamInterface<std::tuple<int, const char*>> {
protected:
    int divisions() const { return std::get<0>(GetParam()); }
    const char* radix() const { return std::get<1>(GetParam()); }

    // Writes the table in `format` to `file`, in this test's radix.
    void Write(const char* format, const fs::path& file, bool withRadix = true)
    {
        std::vector<std::string> call{std::to_string(divisions()), "--format", format, "-o",
                                      file.string()};
        if (withRadix)
            call.insert(call.end(), {"--radix", radix()});
        const Outcome run = Coe(call);
        ASSERT_EQ(run.status, 0) << run.err;
    }

};

TEST_P(RealReader, SrecordReadsTheMif)
{
    Write("mif", dir / "sine.mif");
    const Outcome run = RunIn({SREC_CAT, "sine.mif", "-Memory_Initialization_File", "-o", "sine.bin",
                             "-binary"});
    ASSERT_EQ(run.status, 0) << run.err;

    // SRecord lays a 32-bit word out least significant byte first.
    const std::string bytes = Slurp(dir / "sine.bin");
    std::vector<std::uint32_t> words;
    for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) {
        std::uint32_t word = 0;
        for (int byte = 3; byte >= 0; --byte)
            word = (word << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(byte)]);
        words.push_back(word);
    }
    EXPECT_EQ(bytes.size() % 4, 0U);
    EXPECT_EQ(words, ExpectedWords(divisions()));
}

TEST_P(RealReader, GhdlElaboratesThePackageAndReportsEveryWord)
{
    Write("vhdl", dir / "lumiro_sine_pkg.vhd");
    std::ofstream(dir / "tb.vhd") << R"(library ieee;
use ieee.std_logic_1164.all;
use work.lumiro_sine_pkg.all;

entity tb is
end entity;

architecture sim of tb is
    function hex(word : std_logic_vector) return string is
        constant digits : string(1 to 16) := "0123456789ABCDEF";
        constant nibbles : integer := word'length / 4;
        variable text : string(1 to nibbles);
        variable nibble : integer;
    begin
        for i in 0 to nibbles - 1 loop
            nibble := 0;
            for bit in 0 to 3 loop
                nibble := nibble * 2;
                if word(word'high - 4 * i - bit) = '1' then
                    nibble := nibble + 1;
                end if;
            end loop;
            text(i + 1) := digits(nibble + 1);
        end loop;
        return text;
    end function;
begin
    process
    begin
        assert SINE_WIDTH = 32 severity failure;
        for i in 0 to SINE_DEPTH - 1 loop
            report "word " & hex(SINE_TABLE(i));
        end loop;
        wait;
    end process;
end architecture;
)";
    for (std::vector<std::string> step : {std::vector<std::string>{GHDL, "-a", "--std=93", "lumiro_sine_pkg.vhd"},
                                          {GHDL, "-a", "--std=93", "tb.vhd"},
                                          {GHDL, "-e", "--std=93", "tb"}}) {
        const Outcome run = RunIn(step);
        ASSERT_EQ(run.status, 0) << step[1] << ": " << run.err << run.out;
        EXPECT_EQ(run.err.find("warning"), std::string::npos) << run.err;
    }
    const Outcome sim = RunIn({GHDL, "-r", "--std=93", "tb"});
    ASSERT_EQ(sim.status, 0) << sim.err;
    EXPECT_EQ(HexLines(sim.out + sim.err, "(report note): word "), ExpectedWords(divisions()));
}

TEST_P(RealReader, IcarusReadsEveryAddressOfTheRom)
{
    Write("verilog", dir / "lumiro_sine.v");
    const std::size_t depth = ExpectedWords(divisions()).size();
    std::ofstream(dir / "tb.v") << "module tb;\n"
                                << "  reg clk = 0;\n"
                                << "  reg [31:0] addr = 0;\n"
                                << "  wire [31:0] data;\n"
                                << "  integer i;\n"
                                << "  lumiro_sine rom (.clk(clk), .addr(addr), .data(data));\n"
                                << "  initial begin\n"
                                << "    for (i = 0; i < " << depth << "; i = i + 1) begin\n"
                                << "      addr = i;\n"
                                << "      #1 clk = 1;\n"
                                << "      #1 clk = 0;\n"
                                << "      $display(\"%h\", data);\n"
                                << "    end\n"
                                << "    $finish;\n"
                                << "  end\n"
                                << "endmodule\n";
    const Outcome compile = RunIn({IVERILOG, "-o", "tb.vvp", "tb.v", "lumiro_sine.v"});
    ASSERT_EQ(compile.status, 0) << compile.err;
    const Outcome sim = RunIn({VVP, "-n", "tb.vvp"});
    ASSERT_EQ(sim.status, 0) << sim.err;
    EXPECT_EQ(HexLines(sim.out), ExpectedWords(divisions()));
}

TEST_P(RealReader, GccCompilesTheHeaderAndPrintsEveryWord)
{
    Write("c", dir / "lumiro_sine.h", false);
    std::ofstream(dir / "print.c") << "#include <stdio.h>\n"
                                   << "#include \"lumiro_sine.h\"\n"
                                   << "int main(void)\n{\n"
                                   << "    for (int i = 0; i < LUMIRO_SINE_LENGTH; ++i)\n"
                                   << "        printf(\"%08X\\n\", (unsigned)lumiro_sine[i]);\n"
                                   << "    return 0;\n}\n";
    const Outcome compile = RunIn({CC, "-std=c99", "-Wall", "-Wextra", "-pedantic", "-Werror",
                                 "-o", "print", "print.c"});
    ASSERT_EQ(compile.status, 0) << compile.err;
    const Outcome run = RunIn({(dir / "print").string()});
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(HexLines(run.out), ExpectedWords(divisions()));
}

INSTANTIATE_TEST_SUITE_P(Tables, RealReader,
                         ::testing::Combine(::testing::Values(8, 1024, 65536),
                                            ::testing::Values("2", "16")));

class Synthesis : public lumiro::testing::Scratch, public ::testing::WithParamInterface<int> {};

// Yosys builds the ROM without a warning, and Verilator's strictest lint finds
// nothing: also for a depth that is no power of two (N = 12: three words).
TEST_P(Synthesis, YosysAndVerilatorTakeTheModuleCleanly)
{
    const fs::path module = dir / "lumiro_sine.v";
    ASSERT_EQ(Coe({std::to_string(GetParam()), "--format", "verilog", "-o", module.string()}).status, 0);

    const Outcome synth = Start({YOSYS, "-p", "read_verilog " + module.string() +
                                                  "; synth -top lumiro_sine; stat"});
    ASSERT_EQ(synth.status, 0) << synth.err;
    EXPECT_EQ(synth.out.find("Warning"), std::string::npos);
    EXPECT_NE(synth.out.find("Number of cells"), std::string::npos);

    const Outcome lint = Start({VERILATOR, "--lint-only", "-Wall", module.string()});
    EXPECT_EQ(lint.status, 0) << lint.err;
    EXPECT_EQ(lint.err, "");
}

INSTANTIATE_TEST_SUITE_P(Counts, Synthesis, ::testing::Values(8, 12, 1024));

using DecimalRealReader = lumiro::testing::Scratch;

// Signed decimal words as a numpy script computes and writes them: lumiro-coe
// checks such a COE, and Python reads lumiro-coe's COE and MIF as the same words.
TEST_F(DecimalRealReader, PythonAndLumiroAgreeOnSignedDecimals)
{
    const std::vector<std::string> table{"1024", "--span", "full", "--word", "fixed:16", "--angle", "exact"};
    const auto call = [&](std::vector<std::string> more) {
        more.insert(more.begin(), table.begin(), table.end());
        return Coe(more);
    };
    ASSERT_EQ(RunIn({PYTHON3, DECIMAL_WORDS, "write", "numpy.coe"}).status, 0);
    const Outcome check = call({"--check", (dir / "numpy.coe").string()});
    EXPECT_EQ(check.status, 0) << check.out << check.err;
    for (const char* file : {"sine.coe", "sine.mif"}) {
        ASSERT_EQ(call({"--radix", "10", "-o", (dir / file).string()}).status, 0);
        const std::string read = std::string("read-") + (std::string(file).ends_with("coe") ? "coe" : "mif");
        EXPECT_EQ(RunIn({PYTHON3, DECIMAL_WORDS, read, file}).status, 0) << file;
        EXPECT_EQ(call({"--check", (dir / file).string()}).status, 0) << file;
    }
    // The window's angle misses two of these words: Python sees the difference too.
    ASSERT_EQ(Coe({"1024", "--span", "full", "--word", "fixed:16", "--radix", "10", "-o", (dir / "w.coe").string()})
                  .status,
              0);
    EXPECT_EQ(RunIn({PYTHON3, DECIMAL_WORDS, "read-coe", "w.coe"}).status, 1);
}

using NameCheck = lumiro::testing::Scratch;

// Names close to what the languages reserve, taken by each tool in its newest
// dialect: VHDL-2008, SystemVerilog, C23 with the headers that reserve most.
TEST_F(NameCheck, AcceptedNamesCompileInEveryTool)
{
    for (const std::string name : {"uint8", "Size", "logic_rom", "int8_table", "sine_max", "Std_rom"}) {
        const auto write = [&](const char* format, const std::string& file) {
            const Outcome run = Coe({"8", "--format", format, "--name", name, "-o", (dir / file).string()});
            ASSERT_EQ(run.status, 0) << name << run.err;
        };
        write("vhdl", name + ".vhd");
        write("verilog", name + ".v");
        write("c", name + ".h");
        std::ofstream(dir / "use.c") << "#include <stddef.h>\n#include <stdint.h>\n#include <limits.h>\n"
                                     << "#include \"" << name << ".h\"\n"
                                     << "int main(void) { return (int)" << name << "[0]; }\n";
        const fs::path previous = fs::current_path();
        fs::current_path(dir);
        for (const std::vector<std::string>& step :
             {std::vector<std::string>{GHDL, "-a", "--std=08", name + ".vhd"},
              {IVERILOG, "-g2012", "-o", "rom.vvp", name + ".v"},
              {VERILATOR, "--lint-only", "-Wall", "+1800-2017ext+v", name + ".v"},
              {CC, "-std=c2x", "-Wall", "-Wextra", "-pedantic", "-Werror", "-o", "use", "use.c"}}) {
            const Outcome run = Start(step);
            EXPECT_EQ(run.status, 0) << name << " " << step[0] << "\n" << run.out << run.err;
        }
        fs::current_path(previous);
    }
}

// The default sine and cosine files used side by side: no include guard, array
// or constant of one hides the other.
TEST_F(NameCheck, SineAndCosineDefaultsCompileTogether)
{
    for (const char* function : {"sin", "cos"}) {
        const std::string stem = std::string(function) == "sin" ? "sine" : "cosine";
        for (const auto& [format, file] : {std::pair{"c", stem + ".h"}, std::pair{"vhdl", stem + ".vhd"}}) {
            const Outcome run = Coe({"8", "--format", format, "--function", function, "-o", (dir / file).string()});
            ASSERT_EQ(run.status, 0) << run.err;
        }
    }
    std::ofstream(dir / "use.c") << "#include \"sine.h\"\n#include \"cosine.h\"\n"
                                 << "int main(void) { return (int)(lumiro_sine[1] + lumiro_cosine[1] + "
                                 << "LUMIRO_SINE_LENGTH + LUMIRO_COSINE_LENGTH); }\n";
    std::ofstream(dir / "use.vhd") << "library ieee;\nuse ieee.std_logic_1164.all;\n"
                                   << "use work.lumiro_sine_pkg.all;\nuse work.lumiro_cosine_pkg.all;\n"
                                   << "entity use_both is\n  port (s, c : out std_logic_vector(31 downto 0));\n"
                                   << "end entity;\narchitecture a of use_both is\nbegin\n"
                                   << "  s <= SINE_TABLE(1);\n  c <= COSINE_TABLE(1);\nend architecture;\n";
    for (const std::vector<std::string>& step :
         {std::vector<std::string>{CC, "-std=c99", "-Wall", "-Werror", "-o", "use", "use.c"},
          {GHDL, "-a", "--std=93", "sine.vhd", "cosine.vhd", "use.vhd"}}) {
        const Outcome run = RunIn(step);
        EXPECT_EQ(run.status, 0) << step[0] << "\n" << run.out << run.err;
    }
}

// The unit's names: those of its own insides, and what its VHDL takes from
// ieee and std, named by the user; both languages in both VHDL dialects.
TEST_F(NameCheck, TheUnitTakesItsOwnNamesOrRefusesThem)
{
    for (const std::string name : {"place", "negated", "PEAK", "N", "Q", "k", "at", "word", "sine_word",
                                   "cosine_how", "at_sine", "sine_place", "sine_value", "quarter", "address",
                                   "turned", "ahead", "p", "rtl", "numeric_std"}) {
        const auto write = [&](const char* format, const std::string& file) {
            const Outcome run = Coe({"16", "--format", format, "--sincos", "--word", "fixed:8", "--name", name,
                                     "-o", (dir / file).string()});
            ASSERT_EQ(run.status, 0) << name << run.err;
        };
        write("vhdl", name + ".vhd");
        write("verilog", name + ".v");
        for (const std::vector<std::string>& step :
             {std::vector<std::string>{GHDL, "-a", "--std=93", "--work=u93", name + ".vhd"},
              {GHDL, "-a", "--std=08", "--work=u08", name + ".vhd"},
              {VERILATOR, "--lint-only", "-Wall", name + ".v"}}) {
            const Outcome run = RunIn(step);
            EXPECT_EQ(run.status, 0) << name << " " << step[0] << "\n" << run.out << run.err;
        }
    }
    for (const std::string name : {"rising_edge", "to_integer", "boolean", "Rising_Edge"}) {
        const Outcome run = Coe({"16", "--format", "vhdl", "--sincos", "--word", "fixed:8", "--name", name});
        EXPECT_EQ(run.status, 2) << name;
    }
}

// --- Icarus Verilog reads the mem files ---------------------------------------------

class Simulator : public lumiro::testing::Scratch, public ::testing::WithParamInterface<std::tuple<int, int>> {};

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
