// SPDX-License-Identifier: GPL-3.0-or-later
// The sine/cosine unit, proven by simulators and synthesis nobody here wrote:
// Icarus Verilog and GHDL drive every phase and compare both outputs with the
// full-period table lumiro-coe writes (exact angle) or the quarter unfolded by
// the sine's symmetry (window angle); Yosys maps the tables of the unit and of
// the plain ROM to block RAM on three families, and the iCE40 netlist, with
// Yosys's own simulation model of its block RAM, gives the same words.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "reference_oscillator.h"
#include "scratch.h"
#include "hardware/units.h"
#include "sincos_unit.h"
#include "sine_table.h"

namespace {

using lumiro::testing::Outcome;
using lumiro::testing::Slurp;
namespace fs = std::filesystem;

struct Unit {
    int divisions;
    const char* word;
    bool exact;
    bool halfStep;
    int latency = 3;
    bool clockEnable = false;  // and the testbench's ce low on two edges of five
    int tableWords = 0;        // interpolated between
    lumiro::Ports ports = {};  // --multiplier
    bool valid = false;        // in_valid low for one phase in three, high where ce is low
};

// Test names that read as the unit: "N 4096 fixed:16 exact latency 5 ce M 256".
void PrintTo(const Unit& u, std::ostream* os)
{
    *os << "N " << u.divisions << " " << u.word << (u.exact ? " exact" : "") << (u.halfStep ? " half-step" : "")
        << " latency " << u.latency << (u.clockEnable ? " ce" : "");
    if (u.tableWords > 0)
        *os << " M " << u.tableWords;
    if (u.ports)
        *os << " multiplier " << u.ports->wide << "x" << u.ports->narrow;
    if (u.valid)
        *os << " valid";
}

std::string Bits(std::uint32_t word, int width)
{
    std::string bits;
    for (int bit = width - 1; bit >= 0; --bit)
        bits += static_cast<char>('0' + ((word >> bit) & 1U));
    return bits;
}

int PhaseBits(int divisions)
{
    int bits = 1;
    while ((1 << bits) < divisions)
        ++bits;
    return bits;
}

class Sincos : public lumiro::testing::Scratch, public ::testing::WithParamInterface<Unit> {
protected:
    const Unit& unit() const { return GetParam(); }
    int width() const { return lumiro::WordKind::Named(unit().word)->width(); }

    std::vector<std::string> Options() const
    {
        std::vector<std::string> options{std::to_string(unit().divisions), "--word", unit().word};
        if (unit().exact)
            options.insert(options.end(), {"--angle", "exact"});
        if (unit().halfStep)
            options.push_back("--half-step");
        return options;
    }

    // The call that writes the unit in `format` to `file`.
    std::vector<std::string> UnitCall(const char* format, const std::string& file) const
    {
        std::vector<std::string> call = Options();
        call.insert(call.end(), {"--format", format, "--sincos", "--latency", std::to_string(unit().latency), "-o",
                                 (dir / file).string()});
        if (unit().clockEnable)
            call.push_back("--clock-enable");
        if (unit().tableWords > 0)
            call.insert(call.end(), {"--table-words", std::to_string(unit().tableWords)});
        if (unit().ports)
            call.insert(call.end(), {"--multiplier", std::to_string(unit().ports->wide) + "x" +
                                                        std::to_string(unit().ports->narrow)});
        if (unit().valid)
            call.push_back("--valid");
        return call;
    }

    // Word p of the full period: what lumiro-coe writes for --span full at the
    // exact angle, the quarter unfolded (by value, 180° as +0) at the window's.
    std::vector<std::uint32_t> Period()
    {
        std::vector<std::uint32_t> words;
        if (unit().tableWords > 0)
            return Interpolated();
        if (unit().exact) {
            std::vector<std::string> call = Options();
            call.insert(call.end(), {"--span", "full", "--format", "mem", "--radix", "2"});
            const Outcome run = Coe(call);
            EXPECT_EQ(run.status, 0) << run.err;
            std::istringstream lines(run.out);
            for (std::string line; std::getline(lines, line);)
                words.push_back(static_cast<std::uint32_t>(std::stoul(line, nullptr, 2)));
            return words;
        }
        lumiro::TableShape shape;
        shape.divisions = unit().divisions;
        shape.word = *lumiro::WordKind::Named(unit().word);
        shape.halfStep = unit().halfStep;
        for (const double value : lumiro::SineTable(shape).FullPeriod())
            words.push_back(shape.word.Round(value + 0.0));
        return words;
    }

    // The interpolating unit's sine at every phase from its model, which the
    // HDL must equal bit for bit; each word checked here to be within 1 LSB of
    // the true sine, as the unit promises.
    std::vector<std::uint32_t> Interpolated()
    {
        lumiro::TableShape shape;
        shape.divisions = unit().divisions;
        shape.word = *lumiro::WordKind::Named(unit().word);
        shape.angle = lumiro::AngleMode::Exact;
        const lumiro::UnitPlan plan =
            lumiro::PlanUnit(lumiro::SineTable(shape), {unit().latency, unit().clockEnable, unit().tableWords, {}, unit().ports});
        const double scale = std::ldexp(1.0, width() - 1) - 1;
        std::vector<std::uint32_t> sines(static_cast<std::size_t>(unit().divisions));
        lumiro::hardware::UnitModel(plan, lumiro::SineTable(shape)).Run(0, sines, {});
        std::vector<std::uint32_t> words;
        for (int p = 0; p < unit().divisions; ++p) {
            const std::uint32_t word = sines[static_cast<std::size_t>(p)];
            const auto value = static_cast<double>(static_cast<std::int32_t>(word << (32 - width())) >> (32 - width()));
            EXPECT_LT(std::fabs(value - std::sin(2 * std::numbers::pi * p / unit().divisions) * scale), 1.0) << p;
            words.push_back(word);
        }
        return words;
    }

    // Both wanted words of every phase: for GHDL's textio a line each, sine
    // bits and cosine bits; for $readmemb one binary word, a 0 between them.
    void WriteWanted()
    {
        const std::vector<std::uint32_t> period = Period();
        const auto n = static_cast<std::size_t>(unit().divisions);
        ASSERT_EQ(period.size(), n);
        std::ofstream wanted(dir / "want.txt");
        std::ofstream bin(dir / "want.bin");
        std::ofstream hex(dir / "want.hex");
        hex << std::hex;
        for (std::size_t p = 0; p < n; ++p) {
            const std::string sine = Bits(period[p], width());
            const std::string cosine = Bits(period[(p + n / 4) % n], width());
            wanted << sine << " " << cosine << "\n";
            bin << sine << "0" << cosine << "\n";
            hex << period[p] << " " << period[(p + n / 4) % n] << "\n";
        }
    }

};

// A Verilog testbench: a phase on every enabled edge (ce, where the unit has
// it, low on two edges of five, a wrong phase on the port then), both outputs
// `latency` enabled edges later and unchanged over the disabled ones; with
// --valid, out_valid the in_valid of the phase they are of.
std::string VerilogBench(const Unit& unit, int width)
{
    const int n = unit.divisions;
    const std::string l = std::to_string(unit.latency);
    std::ostringstream tb;
    tb << "`timescale 1ns/1ns\nmodule tb;\n"
       << "  reg clk = 0;\n  reg ce = 1;\n  reg [" << PhaseBits(n) - 1 << ":0] phase = 0;\n"
       << "  reg in_valid = 0;\n  wire out_valid;\n"
       << "  wire [" << width - 1 << ":0] sine, cosine;\n"
       << "  reg [" << 2 * width << ":0] want [0:" << n - 1 << "];\n"
       << "  integer i, enabled = 0, errors = 0;\n"
       << "  lumiro_sincos dut (.clk(clk), " << (unit.clockEnable ? ".ce(ce), " : "")
       << ".phase(phase), " << (unit.valid ? ".in_valid(in_valid), .out_valid(out_valid), " : "")
       << ".sine(sine), .cosine(cosine));\n"
       << "  initial begin\n    $readmemb(\"want.bin\", want);\n"
       << "    for (i = 0; enabled < " << n + unit.latency << "; i = i + 1) begin\n"
       << "      ce = " << (unit.clockEnable ? "i % 5 != 1 && i % 5 != 2" : "1") << ";\n"
       << "      phase = ce ? enabled % " << n << " : (enabled * 7 + 3) % " << n << ";\n"
       << "      in_valid = ce ? enabled % 3 != 2 : 1;\n"
       << "      #5 clk = 1;\n      #1;\n      if (ce) enabled = enabled + 1;\n";
    if (unit.valid)
        tb << "      if (enabled >= " << l << " && out_valid !== ((enabled - " << l << ") % 3 != 2)) begin\n"
           << "        errors = errors + 1;\n        $display(\"out_valid %b at phase %0d\", out_valid, enabled - " << l
           << ");\n      end\n";
    tb
       << "      if (enabled >= " << unit.latency << " && enabled < " << n + unit.latency
       << " && {sine, 1'b0, cosine} !== want[enabled - " << unit.latency << "]) begin\n"
       << "        errors = errors + 1;\n"
       << "        if (errors <= 5) $display(\"phase %0d: sine %b cosine %b\", enabled - " << unit.latency
       << ", sine, cosine);\n"
       << "      end\n      #4 clk = 0;\n    end\n"
       << "    $display(\"errors=%0d\", errors);\n    $finish;\n  end\nendmodule\n";
    return tb.str();
}

// The same in VHDL, for GHDL.
std::string VhdlBench(const Unit& unit, int width)
{
    const int n = unit.divisions;
    const int phaseBits = PhaseBits(n);
    std::ostringstream tb;
    tb << "library ieee;\nuse ieee.std_logic_1164.all;\nuse ieee.numeric_std.all;\nuse std.textio.all;\n"
       << "entity tb is\nend entity;\narchitecture sim of tb is\n"
       << "  signal clk, ce, in_valid, out_valid : std_logic := '0';\n"
       << "  signal phase : std_logic_vector(" << phaseBits - 1 << " downto 0) := (others => '0');\n"
       << "  signal sine, cosine : std_logic_vector(" << width - 1 << " downto 0);\n"
       << "begin\n"
       << "  dut : entity work.lumiro_sincos port map (clk => clk, " << (unit.clockEnable ? "ce => ce, " : "")
       << "phase => phase, " << (unit.valid ? "in_valid => in_valid, out_valid => out_valid, " : "")
       << "sine => sine, cosine => cosine);\n"
       << "  process\n    file wanted : text open read_mode is \"want.txt\";\n"
       << "    variable l : line;\n    variable s, c : bit_vector(" << width - 1 << " downto 0);\n"
       << "    type words_t is array (0 to " << n - 1 << ") of bit_vector(" << width - 1 << " downto 0);\n"
       << "    variable ws, wc : words_t;\n    variable errors, enabled, i : natural := 0;\n"
       << "    variable enable : boolean;\n  begin\n"
       << "    for k in 0 to " << n - 1 << " loop\n"
       << "      readline(wanted, l); read(l, s); read(l, c); ws(k) := s; wc(k) := c;\n    end loop;\n"
       << "    while enabled < " << n + unit.latency << " loop\n"
       << "      enable := " << (unit.clockEnable ? "i mod 5 /= 1 and i mod 5 /= 2" : "true") << ";\n"
       << "      if enable then\n        ce <= '1';\n"
       << "        phase <= std_logic_vector(to_unsigned(enabled mod " << n << ", " << phaseBits << "));\n"
       << "        if enabled mod 3 /= 2 then in_valid <= '1'; else in_valid <= '0'; end if;\n"
       << "      else\n        ce <= '0';\n        in_valid <= '1';\n"
       << "        phase <= std_logic_vector(to_unsigned((enabled * 7 + 3) mod " << n << ", " << phaseBits
       << "));\n      end if;\n"
       << "      wait for 5 ns; clk <= '1'; wait for 1 ns;\n"
       << "      if enable then\n        enabled := enabled + 1;\n      end if;\n";
    if (unit.valid)
        tb << "      if enabled >= " << unit.latency << " and (out_valid = '1') /= ((enabled - " << unit.latency
           << ") mod 3 /= 2) then\n        errors := errors + 1;\n      end if;\n";
    tb << "      if enabled >= " << unit.latency << " and enabled < " << n + unit.latency << " then\n"
       << "        if to_bitvector(sine) /= ws(enabled - " << unit.latency << ") or to_bitvector(cosine) /= wc(enabled - "
       << unit.latency << ") then\n          errors := errors + 1;\n        end if;\n      end if;\n"
       << "      wait for 4 ns; clk <= '0'; i := i + 1;\n    end loop;\n"
       << "    report \"errors=\" & integer'image(errors);\n    wait;\n  end process;\nend architecture;\n";
    return tb.str();
}

TEST_P(Sincos, IcarusAndGhdlGiveEveryPhasesWords)
{
    WriteWanted();

    ASSERT_EQ(Coe(UnitCall("verilog", "lumiro_sincos.v")).status, 0);
    std::ofstream(dir / "tb.v") << VerilogBench(unit(), width());
    ASSERT_EQ(RunIn({IVERILOG, "-o", "tb.vvp", "tb.v", "lumiro_sincos.v"}).status, 0);
    const Outcome icarus = RunIn({VVP, "-n", "tb.vvp"});
    EXPECT_NE(icarus.out.find("errors=0\n"), std::string::npos) << icarus.out;
    const Outcome lint = Start({VERILATOR, "--lint-only", "-Wall", (dir / "lumiro_sincos.v").string()});
    EXPECT_EQ(lint.status, 0) << lint.err;

    ASSERT_EQ(Coe(UnitCall("vhdl", "lumiro_sincos.vhd")).status, 0);
    std::ofstream(dir / "tb.vhd") << VhdlBench(unit(), width());
    const Outcome ghdl = Ghdl({"lumiro_sincos.vhd", "tb.vhd"}, "tb");
    EXPECT_NE((ghdl.out + ghdl.err).find("errors=0"), std::string::npos) << ghdl.out << ghdl.err;
}

INSTANTIATE_TEST_SUITE_P(
    Units, Sincos,
    ::testing::Values(Unit{8, "float32", false, false}, Unit{64, "float32", false, false},
                      Unit{1000, "float32", false, false}, Unit{4096, "float32", false, false},
                      Unit{8, "fixed:16", true, false}, Unit{64, "fixed:16", true, false},
                      Unit{1000, "fixed:16", true, false}, Unit{4096, "fixed:16", true, false},
                      Unit{8, "fixed:16", true, true}, Unit{64, "fixed:16", true, true},
                      Unit{1000, "fixed:16", true, true}, Unit{4096, "fixed:16", true, true},
                      Unit{8, "float16", false, false}, Unit{64, "float16", false, false},
                      Unit{1000, "float16", false, false}, Unit{4096, "float16", false, false},
                      Unit{64, "offset:12", true, false}, Unit{1000, "offset:12", true, true},
                      // Each stage that latency adds, with the clock enable toggling.
                      Unit{64, "fixed:16", true, false, 4, true}, Unit{1000, "float16", false, false, 5, true},
                      Unit{4096, "fixed:12", true, true, 5, true}, Unit{8, "float32", false, false, 7, true},
                      Unit{1000, "fixed:10", true, true, 3, true},
                      // Interpolating: M from 4 to N/8, the narrowest and widest words, latency and ce.
                      Unit{1024, "fixed:8", true, false, 5, false, 32}, Unit{4096, "fixed:16", true, false, 6, true, 256},
                      Unit{8192, "fixed:12", true, false, 5, true, 128}, Unit{16384, "fixed:18", true, false, 7, false, 2048},
                      Unit{4096, "fixed:14", true, false, 8, true, 64}, Unit{8192, "fixed:16", true, false, 10, false, 256},
                      // Second order, where first would miss.
                      Unit{16384, "fixed:20", true, false, 7, true, 256}, Unit{16384, "fixed:24", true, false, 8, false, 256},
                      // Operands cut to the multipliers' ports, at both orders.
                      Unit{4096, "fixed:16", true, false, 7, true, 256, lumiro::MultiplierPorts{16, 16}},
                      Unit{16384, "fixed:20", true, false, 7, false, 256, lumiro::MultiplierPorts{18, 18}},
                      // out_valid: the lean unit's and the interpolating unit's, ce toggling.
                      Unit{1000, "fixed:10", true, true, 5, true, 0, {}, true},
                      Unit{4096, "fixed:14", true, false, 8, true, 64, {}, true}));

// Yosys maps the tables to block RAM, not to logic, on three families, the
// unit's quarter table to one dual-port block where the family has one, in no
// more logic than an expert's unit; the iCE40 netlist, simulated with Yosys's
// model of SB_RAM40_4K, gives every word.
class BlockRam : public Sincos {};

// A cell's count in the last statistics Yosys printed; 0 where it has none.
int CellCount(const std::string& stat, const std::string& cell)
{
    const std::size_t at = stat.find(" " + cell + " ");
    return at == std::string::npos ? 0 : std::stoi(stat.substr(at + cell.size() + 2));
}

TEST_P(BlockRam, YosysMapsTheTablesAndTheIce40NetlistHoldsThem)
{
    struct Family {
        const char* synth;
        const char* cell;
        int unitBlocks;  // the unit's, for N = 4096 fixed:16: one dual-port block, two on iCE40's one read port
    };
    for (const char* top : {"lumiro_sincos", "lumiro_sine"}) {
        const std::string file = std::string(top) + ".v";
        std::vector<std::string> call = UnitCall("verilog", file);
        if (std::string(top) == "lumiro_sine") {
            call = Options();
            call.insert(call.end(), {"--format", "verilog", "--name", top, "-o", (dir / file).string()});
        }
        ASSERT_EQ(Coe(call).status, 0);
        for (const Family& family : {Family{"synth_xilinx", "RAMB18E1", 1}, Family{"synth_ecp5", "DP16KD", 1},
                                     Family{"synth_ice40", "SB_RAM40_4K", 8}}) {
            const Outcome synth =
                RunIn({YOSYS, "-p", "read_verilog " + file + "; " + family.synth + " -top " + top + "; stat"});
            ASSERT_EQ(synth.status, 0) << synth.err;
            const std::string stat = synth.out.substr(synth.out.rfind("Printing statistics"));
            EXPECT_GT(CellCount(stat, family.cell), 0) << top << " " << family.synth << stat;
            EXPECT_NE(stat.find("Number of memories:               0"), std::string::npos) << top;
            if (std::string(top) != "lumiro_sincos")
                continue;
            EXPECT_EQ(CellCount(stat, family.cell), family.unitBlocks) << family.synth << stat;
            if (std::string(family.cell) == "SB_RAM40_4K") {
                EXPECT_LE(CellCount(stat, "SB_LUT4"), 110) << stat;
                EXPECT_LE(CellCount(stat, "SB_CARRY"), 60) << stat;
            }
        }
    }
    WriteWanted();
    ASSERT_EQ(RunIn({YOSYS, "-q", "-p", "read_verilog lumiro_sincos.v; synth_ice40 -top lumiro_sincos; "
                                      "write_verilog -noattr netlist.v"})
                  .status,
              0);
    std::ofstream(dir / "tb.v") << VerilogBench(unit(), width());
    // Icarus takes no default values of ports, which the model gives unless told.
    const Outcome compile =
        RunIn({IVERILOG, "-DNO_ICE40_DEFAULT_ASSIGNMENTS", "-o", "net.vvp", "tb.v", "netlist.v", ICE40_CELLS_SIM});
    ASSERT_EQ(compile.status, 0) << compile.err;
    const Outcome sim = RunIn({VVP, "-n", "net.vvp"});
    EXPECT_NE(sim.out.find("errors=0\n"), std::string::npos) << sim.out;
}

INSTANTIATE_TEST_SUITE_P(Unit4096, BlockRam,
                         ::testing::Values(Unit{4096, "fixed:16", true, false},
                                           Unit{4096, "fixed:16", true, false, 5, true}));

// Verilator drives every phase of a unit too large for an event-driven
// simulator to go through in a test.
class LargeSincos : public Sincos {};

TEST_P(LargeSincos, VerilatorGivesEveryPhasesWords)
{
    WriteWanted();
    ASSERT_EQ(Coe(UnitCall("verilog", "lumiro_sincos.v")).status, 0);
    std::vector<std::string> build{VERILATOR, "--cc", "--exe", "--build", "-O1", "-j", "2", "lumiro_sincos.v",
                                   SINCOS_VERILATOR_BENCH, "-o", "bench"};
    if (unit().clockEnable)
        build.insert(build.end(), {"-CFLAGS", "-DCLOCK_ENABLE"});
    // The C model beside it, at every phase.
    ASSERT_EQ(Coe(UnitCall("c", "lumiro_sincos.h")).status, 0);
    build.insert(build.end(), {"-CFLAGS", "-DC_MODEL -I.."});
    const Outcome built = RunIn(build);
    ASSERT_EQ(built.status, 0) << built.err;
    const Outcome run = RunIn({"obj_dir/bench", "want.hex", std::to_string(unit().latency)});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("model errors=0\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("phases=" + std::to_string(unit().divisions) + " errors=0"), std::string::npos) << run.out;
}

INSTANTIATE_TEST_SUITE_P(Units, LargeSincos,
                         ::testing::Values(Unit{1 << 18, "fixed:16", true, false, 4, true},
                                           Unit{3 << 16, "float32", false, true, 3, false},
                                           Unit{1 << 20, "fixed:16", true, false, 5, true, 1024},
                                           Unit{1 << 20, "fixed:24", true, false, 7, false, 1024,
                                                lumiro::MultiplierPorts{25, 18}}));

using SincosCall = lumiro::testing::Scratch;

// The interpolating unit of 2^20 phases: its table in one dual-port block,
// its two products in two multipliers, on Xilinx 7 and ECP5; iCE40 UP5K's
// SB_MAC16 take the products too.
TEST_F(SincosCall, InterpolatingUnitMapsToOneBlockRamAndTwoMultipliers)
{
    ASSERT_EQ(Coe({"1048576", "--word", "fixed:16", "--angle", "exact", "--format", "verilog", "--sincos",
                   "--table-words", "1024", "-o", (dir / "unit.v").string()})
                  .status,
              0);
    struct Family {
        const char* synth;
        const char* block;
        const char* multiplier;
        int multipliers;  // at most
    };
    for (const Family& family : {Family{"synth_xilinx", "RAMB18E1", "DSP48E1", 2},
                                 Family{"synth_ecp5", "DP16KD", "MULT18X18D", 2},
                                 Family{"synth_ice40 -dsp", "SB_RAM40_4K", "SB_MAC16", 4}}) {
        const Outcome synth =
            RunIn({YOSYS, "-p", std::string("read_verilog unit.v; ") + family.synth + " -top lumiro_sincos; stat"});
        ASSERT_EQ(synth.status, 0) << synth.err;
        const std::string stat = synth.out.substr(synth.out.rfind("Printing statistics"));
        const int blocks = CellCount(stat, family.block);
        EXPECT_TRUE(blocks == 1 || (std::string(family.block) == "SB_RAM40_4K" && blocks > 0)) << family.synth << stat;
        EXPECT_GT(CellCount(stat, family.multiplier), 0) << family.synth << stat;
        EXPECT_LE(CellCount(stat, family.multiplier), family.multipliers) << family.synth << stat;
        EXPECT_NE(stat.find("Number of memories:               0"), std::string::npos) << family.synth;
    }
    // At the default latency each DSP48E1 takes the product's register and
    // the sum's, so that no register of the arithmetic is left in the fabric.
    const Outcome registers =
        RunIn({YOSYS, "-p",
               "read_verilog unit.v; synth_xilinx -top lumiro_sincos; "
               "select -assert-count 2 t:DSP48E1 r:MREG=1'1 %i r:PREG=1'1 %i r:AREG=2 %i r:BREG=2 %i"});
    EXPECT_EQ(registers.status, 0) << registers.err;
}

// 24-bit words of 2^26 phases from one block RAM and a multiplier a product,
// their operands cut to the ports: four DSP48E1 (four MULT18X18D on ECP5).
TEST_F(SincosCall, WideWordsFitOneMultiplierAProductThroughItsPorts)
{
    struct Family {
        const char* synth;
        const char* ports;
        const char* block;
        int blocks;
        const char* multiplier;
    };
    for (const Family& family : {Family{"synth_xilinx", "25x18", "RAMB36E1", 1, "DSP48E1"},
                                 Family{"synth_ecp5", "18x18", "DP16KD", 2, "MULT18X18D"}}) {
        const Outcome unit = Coe({"67108864", "--word", "fixed:24", "--angle", "exact", "--format", "verilog",
                                  "--sincos", "--table-words", "1024", "--multiplier", family.ports, "-o",
                                  (dir / "unit.v").string()});
        ASSERT_EQ(unit.status, 0) << unit.err;
        const Outcome synth =
            RunIn({YOSYS, "-p", std::string("read_verilog unit.v; ") + family.synth + " -top lumiro_sincos; stat"});
        ASSERT_EQ(synth.status, 0) << synth.err;
        const std::string stat = synth.out.substr(synth.out.rfind("Printing statistics"));
        EXPECT_EQ(CellCount(stat, family.block), family.blocks) << family.synth << stat;
        EXPECT_EQ(CellCount(stat, family.multiplier), 4) << family.synth << stat;
    }
}

// The full period's words are the unit's only at the exact angle: at the
// window's, 2,483 of N = 4096's float32 words differ from --span full.
TEST_F(SincosCall, HeaderClaimsTheFullPeriodOnlyAtTheExactAngle)
{
    const std::string claim = "sine at phase p is word p of the full period";
    const Outcome exact = Coe({"4096", "--format", "verilog", "--sincos", "--angle", "exact"});
    const Outcome window = Coe({"4096", "--format", "vhdl", "--sincos"});
    ASSERT_EQ(exact.status, 0);
    ASSERT_EQ(window.status, 0);
    EXPECT_NE(exact.out.substr(0, 600).find(claim), std::string::npos);
    EXPECT_EQ(window.out.substr(0, 600).find(claim), std::string::npos);
    EXPECT_NE(window.out.substr(0, 600).find("differ from the words of a full period"), std::string::npos);
}

// At the exact angle the unit's outputs are the full period's words, so the
// report over its phases is that table's, figure for figure.
TEST_F(SincosCall, ReportMeasuresTheUnitsOutputsAtEveryPhase)
{
    const Outcome unit = Coe({"4096", "--word", "fixed:16", "--angle", "exact", "--format", "verilog", "--sincos",
                              "--latency", "4", "--report", "-o", (dir / "unit.v").string()});
    const Outcome period = Coe({"4096", "--word", "fixed:16", "--angle", "exact", "--span", "full", "--report", "-o",
                                (dir / "period.coe").string()});
    ASSERT_EQ(unit.status, 0) << unit.err;
    ASSERT_EQ(period.status, 0) << period.err;
    const std::vector<std::string> measured = lumiro::testing::Lines(unit.err);
    const std::vector<std::string> wanted = lumiro::testing::Lines(period.err);
    ASSERT_EQ(measured.size(), wanted.size() + 2);  // and the two lines that say what was measured
    EXPECT_EQ(measured[0], wanted[0]);
    for (std::size_t line = 1; line < wanted.size(); ++line)
        EXPECT_EQ(measured[line + 2], wanted[line]);
}

// 2^24 phases, four times a table's most, proven and written in about a second.
TEST_F(SincosCall, InterpolatingUnitTakesTwoToTheTwentyFourPhases)
{
    const Outcome run = Coe({"16777216", "--word", "fixed:16", "--angle", "exact", "--format", "verilog", "--sincos",
                             "--table-words", "4096", "-o", (dir / "unit.v").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string head = lumiro::testing::Slurp(dir / "unit.v").substr(0, 2000);
    EXPECT_NE(head.find("N = 16777216"), std::string::npos) << head;
    EXPECT_NE(head.find("input  wire [23:0] phase"), std::string::npos) << head;
}

// The oscillator's picture is the report's spectrum: its figures are the report's.
TEST_F(SincosCall, OscillatorPictureCarriesTheReportsFigures)
{
    const std::string svg = (dir / "nco.svg").string();
    const Outcome run = Coe({"4096", "--word", "fixed:16", "--angle", "exact", "--sincos", "--nco", "20", "--report",
                             "--frequency", "0x345", "--plot", svg, "-o", (dir / "nco.v").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Start({XMLLINT, "--noout", svg}).status, 0);
    const std::string picture = lumiro::testing::Slurp(svg);
    for (const std::string attribute : {"data-sfdr-db=\"", "data-predicted-db=\""}) {
        const std::size_t at = picture.find(attribute);
        ASSERT_NE(at, std::string::npos) << attribute;
        const std::string figure = picture.substr(at + attribute.size(), picture.find('"', at + attribute.size()) -
                                                                            at - attribute.size());
        EXPECT_NE(run.err.find(" " + figure + " dB"), std::string::npos) << figure << "\n" << run.err;
    }
}

TEST_F(SincosCall, WrongCallsWriteNothing)
{
    const std::string file = (dir / "unit.txt").string();  // a name that chooses no HDL format
    for (const std::vector<std::string>& call :
         {std::vector<std::string>{"1024", "--sincos", "-o", file},
          {"1024", "--sincos", "--format", "mem", "-o", file},
          {"1024", "--sincos", "--format", "verilog", "--span", "half", "-o", file},
          {"1024", "--sincos", "--format", "vhdl", "--with-end", "-o", file},
          {"1024", "--sincos", "--format", "verilog", "--word", "ufixed:8", "-o", file},
          {"1026", "--sincos", "--format", "verilog", "-o", file},
          {"1024", "--format", "verilog", "--latency", "4", "-o", file},
          {"1024", "--format", "verilog", "--clock-enable", "-o", file},
          {"1024", "--sincos", "--format", "verilog", "--latency", "2", "-o", file},
          {"1024", "--sincos", "--format", "verilog", "--latency", "17", "-o", file},
          // Interpolation: M no power of two, the whole quarter, N no power of two, the
          // window's angle, a float word, too few words, a latency below its least.
          {"4096", "--sincos", "--format", "verilog", "--angle", "exact", "--word", "fixed:16", "--table-words", "100",
           "-o", file},
          {"4096", "--sincos", "--format", "verilog", "--angle", "exact", "--word", "fixed:16", "--table-words", "1024",
           "-o", file},
          {"4000", "--sincos", "--format", "verilog", "--angle", "exact", "--word", "fixed:16", "--table-words", "256",
           "-o", file},
          {"4096", "--sincos", "--format", "verilog", "--word", "fixed:16", "--table-words", "256", "-o", file},
          {"4096", "--sincos", "--format", "verilog", "--angle", "exact", "--table-words", "256", "-o", file},
          {"4096", "--sincos", "--format", "verilog", "--angle", "exact", "--word", "fixed:16", "--table-words", "8",
           "-o", file},
          {"4096", "--sincos", "--format", "verilog", "--angle", "exact", "--word", "fixed:16", "--table-words", "256",
           "--latency", "4", "-o", file},
          {"4096", "--format", "verilog", "--angle", "exact", "--word", "fixed:16", "--table-words", "256", "-o",
           file},
          // The oscillator: no --sincos, narrower than the phase, wider than 64 bits, N no power of
          // two, dither without truncated bits or without --nco, --frequency without --report, too wide.
          {"4096", "--format", "verilog", "--nco", "32", "-o", file},
          {"4096", "--sincos", "--format", "verilog", "--nco", "11", "-o", file},
          {"4096", "--sincos", "--format", "verilog", "--nco", "65", "-o", file},
          {"4000", "--sincos", "--format", "verilog", "--nco", "32", "-o", file},
          {"4096", "--sincos", "--format", "verilog", "--nco", "12", "--dither", "-o", file},
          {"4096", "--sincos", "--format", "verilog", "--dither", "-o", file},
          {"4096", "--sincos", "--format", "verilog", "--nco", "32", "--frequency", "5", "-o", file},
          // Above 2^22 phases only the interpolating unit, and it up to 2^26.
          {"16777216", "--sincos", "--format", "verilog", "--word", "fixed:16", "--angle", "exact", "-o", file},
          {"134217728", "--sincos", "--format", "verilog", "--word", "fixed:16", "--angle", "exact", "--table-words",
           "4096", "-o", file},
          // Ports that no table keeps within 1 LSB, and ports without --table-words.
          {"4096", "--sincos", "--format", "verilog", "--angle", "exact", "--word", "fixed:16", "--table-words", "256",
           "--multiplier", "8x8", "-o", file},
          {"4096", "--sincos", "--format", "verilog", "--multiplier", "25x18", "-o", file},
          {"4096", "--sincos", "--format", "verilog", "--nco", "16", "--report", "--frequency", "0x10000", "-o",
           file}}) {
        const Outcome run = Coe(call);
        EXPECT_EQ(run.status, 2) << call[1] << " " << run.err;
        EXPECT_FALSE(fs::exists(file));
    }
}

// The C model compiles as C99 under gcc and clang with every warning an
// error, and as C++; run, it gives the unit's words at every phase (the
// circuit's evaluation, which the HDL equals), here for N of no power of two
// and for second order; behind an oscillator it steps as the unit does.
TEST_F(SincosCall, CModelCompilesStrictlyAndGivesTheUnitsWords)
{
    struct Case {
        int divisions;
        const char* word;
        std::int32_t tableWords;
    };
    for (const Case& unit : {Case{1000, "fixed:12", 0}, Case{16384, "fixed:20", 256}}) {
        const std::vector<std::string> shape{std::to_string(unit.divisions), "--word", unit.word, "--angle", "exact",
                                             "--sincos"};
        std::vector<std::string> call = shape;
        call.insert(call.end(), {"-o", (dir / "lumiro_sincos.h").string()});
        if (unit.tableWords > 0)
            call.insert(call.end(), {"--table-words", std::to_string(unit.tableWords)});
        ASSERT_EQ(Coe(call).status, 0);
        std::ofstream(dir / "run.c") << "#include <stdio.h>\n#include \"lumiro_sincos.h\"\n"
                                        "int main(void)\n{\n    uint64_t p;\n    for (p = 0; p < "
                                     << unit.divisions
                                     << "u; ++p) {\n        uint32_t s, c;\n        lumiro_sincos_at(p, &s, &c);\n"
                                        "        printf(\"%x %x\\n\", (unsigned)s, (unsigned)c);\n    }\n"
                                        "    return 0;\n}\n";
        for (const char* compiler : {CC, CLANG}) {
            const Outcome built =
                RunIn({compiler, "-std=c99", "-Wall", "-Wextra", "-pedantic", "-Werror", "-O1", "run.c", "-o", "run"});
            ASSERT_EQ(built.status, 0) << compiler << built.err;
            const Outcome run = RunIn({"./run"});
            ASSERT_EQ(run.status, 0);
            lumiro::TableShape table;
            table.divisions = unit.divisions;
            table.word = *lumiro::WordKind::Named(unit.word);
            table.angle = lumiro::AngleMode::Exact;
            const lumiro::SineTable quarter(table);
            lumiro::hardware::UnitModel model(
                lumiro::PlanUnit(quarter, {lumiro::DefaultLatency(table, unit.tableWords, false), false, unit.tableWords, {}, {}}),
                quarter);
            std::istringstream lines(run.out);
            long phase = 0;
            for (unsigned sine = 0, cosine = 0; lines >> std::hex >> sine >> cosine; ++phase) {
                const lumiro::SineCosine wanted = model.At(phase);
                ASSERT_EQ(sine, wanted.sine) << compiler << ", phase " << phase;
                ASSERT_EQ(cosine, wanted.cosine) << compiler << ", phase " << phase;
            }
            EXPECT_EQ(phase, unit.divisions) << compiler;
        }
        const Outcome cxx = RunIn({CC, "-x", "c++", "-std=c++17", "-Wall", "-Wextra", "-pedantic", "-Werror",
                                   "-fsyntax-only", "run.c"});
        EXPECT_EQ(cxx.status, 0) << cxx.err;
    }
    // The oscillator's state and step, every option, under both compilers.
    ASSERT_EQ(Coe({"4096", "--word", "fixed:16", "--angle", "exact", "--sincos", "--nco", "32", "--dither", "--reset",
                   "--phase-offset", "--clock-enable", "--valid", "-o", (dir / "lumiro_sincos.h").string()})
                  .status,
              0);
    std::ofstream(dir / "step.c") << "#include \"lumiro_sincos.h\"\nint main(void)\n{\n    lumiro_sincos_state s;\n"
                                     "    uint32_t sine, cosine, valid;\n    lumiro_sincos_init(&s);\n"
                                     "    lumiro_sincos_step(&s, 1, 0, 0x01234567u, 0, &sine, &cosine, &valid);\n"
                                     "    return (int)valid;\n}\n";
    for (const char* compiler : {CC, CLANG}) {
        const Outcome built =
            RunIn({compiler, "-std=c99", "-Wall", "-Wextra", "-pedantic", "-Werror", "step.c", "-o", "step"});
        EXPECT_EQ(built.status, 0) << compiler << built.err;
        EXPECT_EQ(RunIn({"./step"}).status, 0) << "out_valid high on the first edge";
    }
}

// The Python model, run by Debian's Python: at every phase on ints and on a
// numpy array at once, the unit's words (the circuit's evaluation, which the
// HDL equals); behind an oscillator, Oscillator.step() the stream the header
// promises, D edges on; a table, its words.
TEST_F(SincosCall, PythonModelGivesTheUnitsWords)
{
    const auto shape = [](std::int32_t divisions, const char* word) {
        lumiro::TableShape table;
        table.divisions = divisions;
        table.word = *lumiro::WordKind::Named(word);
        table.angle = lumiro::AngleMode::Exact;
        return table;
    };
    const auto run = [&](const std::string& script) {
        std::ofstream(dir / "run.py") << script;
        const Outcome ran = RunIn({PYTHON3, "run.py"});
        EXPECT_EQ(ran.status, 0) << ran.err;
        return ran.out;
    };
    for (const std::int32_t tableWords : {0, 256}) {
        const lumiro::TableShape table = tableWords == 0 ? shape(1000, "fixed:12") : shape(16384, "fixed:20");
        std::vector<std::string> call{std::to_string(table.divisions), "--word", table.word.Name(), "--angle", "exact",
                                      "--sincos", "-o", (dir / "unit.py").string()};
        if (tableWords > 0)
            call.insert(call.end(), {"--table-words", std::to_string(tableWords)});
        ASSERT_EQ(Coe(call).status, 0);
        std::istringstream lines(run("import numpy, unit\nsines, cosines = unit.at(numpy.arange(" +
                                     std::to_string(table.divisions) +
                                     "))\nfor p in range(len(sines)):\n    s, c = unit.at(p)\n"
                                     "    print(s, c, sines[p], cosines[p])\n"));
        const lumiro::SineTable quarter(table);
        lumiro::hardware::UnitModel model(
            lumiro::PlanUnit(quarter, {lumiro::DefaultLatency(table, tableWords, false), false, tableWords, {}, {}}),
            quarter);
        long phase = 0;
        for (std::uint32_t sine = 0, cosine = 0, sines = 0, cosines = 0; lines >> sine >> cosine >> sines >> cosines;
             ++phase) {
            const lumiro::SineCosine wanted = model.At(phase);
            ASSERT_EQ(sine, wanted.sine) << "phase " << phase;
            ASSERT_EQ(cosine, wanted.cosine) << "phase " << phase;
            ASSERT_EQ(sines, wanted.sine) << "numpy, phase " << phase;
            ASSERT_EQ(cosines, wanted.cosine) << "numpy, phase " << phase;
        }
        EXPECT_EQ(phase, table.divisions);
    }

    const lumiro::TableShape table = shape(4096, "fixed:16");
    ASSERT_EQ(Coe({"4096", "--word", "fixed:16", "--angle", "exact", "--sincos", "--nco", "32", "--dither", "--reset",
                   "--phase-offset", "--clock-enable", "-o", (dir / "unit.py").string()})
                  .status,
              0);
    const std::uint64_t frequency = 0x01234567;
    const std::uint64_t offset = 0x0F0F0F0F;
    std::istringstream lines(run("import unit\no = unit.Oscillator()\nprint(unit.DELAY)\nfor e in range(3000):\n"
                                 "    print(*o.step(1, 0, " + std::to_string(frequency) + ", " + std::to_string(offset) +
                                 "))\n"));
    const lumiro::SineTable quarter(table);
    const lumiro::UnitPlan plan =
        lumiro::PlanUnit(quarter, {lumiro::kOscillatorLatency, true, 0, lumiro::NcoPlan{32, 0, true, true, true}, {}});
    lumiro::testing::ReferenceOscillator reference(32, plan.phaseBits, true, frequency, offset);
    lumiro::hardware::UnitModel model(plan, quarter);
    int delay = 0;
    lines >> delay;
    EXPECT_EQ(delay, lumiro::OscillatorDelay(plan));
    int edge = 1;
    for (std::uint32_t sine = 0, cosine = 0; lines >> sine >> cosine; ++edge) {
        if (edge < delay)
            continue;
        const lumiro::SineCosine wanted = model.At(static_cast<std::int64_t>(reference.NextPhase()));
        ASSERT_EQ(sine, wanted.sine) << "edge " << edge;
        ASSERT_EQ(cosine, wanted.cosine) << "edge " << edge;
    }
    EXPECT_EQ(edge, 3001);

    ASSERT_EQ(Coe({"64", "--format", "python", "-o", (dir / "words.py").string()}).status, 0);
    std::istringstream words(run("import words\nprint(*words.lumiro_sine)\n"));
    lumiro::TableShape sines;
    sines.divisions = 64;
    const lumiro::SineTable table64(sines);
    for (std::int32_t i = 0; i < table64.Count(); ++i) {
        std::uint32_t word = 0;
        ASSERT_TRUE(words >> word);
        EXPECT_EQ(word, table64.Word(i)) << i;
    }
}

// The Python oscillator is the C model (which Verilator proves clock by clock
// against the HDL) over 2^20 clocks with dither, offset, reset and ce at
// random and a new word every 2^16: the same stimulus in both, the outputs'
// running hash compared every 2^16 clocks.
TEST_F(SincosCall, PythonOscillatorIsTheCModelOver2To20Clocks)
{
    const std::vector<std::string> unit{"4096", "--word", "fixed:16", "--angle", "exact", "--sincos", "--nco", "32",
                                        "--dither", "--reset", "--phase-offset", "--clock-enable", "-o"};
    for (const char* file : {"unit.py", "unit.h"}) {
        std::vector<std::string> call = unit;
        call.push_back((dir / file).string());
        ASSERT_EQ(Coe(call).status, 0);
    }
    std::ofstream(dir / "run.py")
        << "import unit\nM = (1 << 64) - 1\no = unit.Oscillator()\nx = h = f = d = 0\n"
           "for clock in range(1 << 20):\n"
           "    x = (x * 6364136223846793005 + 1442695040888963407) & M\n"
           "    if clock % 65536 == 0:\n        f, d = x >> 32, x & 0xFFFFFFFF\n"
           "    s, c = o.step(int((x >> 33) % 4 != 0), int((x >> 41) % 1024 == 0), f, d)\n"
           "    h = ((h * 1000003) ^ (s << 32 | c)) & M\n"
           "    if clock % 65536 == 65535:\n        print(h)\n";
    std::ofstream(dir / "run.c")
        << "#include <stdio.h>\n#include \"unit.h\"\nint main(void) {\n"
           "    lumiro_sincos_state o;\n    uint64_t x = 0, h = 0, f = 0, d = 0;\n    uint32_t s, c;\n"
           "    lumiro_sincos_init(&o);\n    for (long clock = 0; clock < (1L << 20); ++clock) {\n"
           "        x = x * 6364136223846793005u + 1442695040888963407u;\n"
           "        if (clock % 65536 == 0) { f = x >> 32; d = x & 0xFFFFFFFFu; }\n"
           "        lumiro_sincos_step(&o, (x >> 33) % 4 != 0, (x >> 41) % 1024 == 0, f, d, &s, &c);\n"
           "        h = (h * 1000003u) ^ ((uint64_t)s << 32 | c);\n"
           "        if (clock % 65536 == 65535) printf(\"%llu\\n\", (unsigned long long)h);\n"
           "    }\n    return 0;\n}\n";
    const Outcome built = RunIn({CC, "-std=c99", "-O2", "run.c", "-o", "run"});
    ASSERT_EQ(built.status, 0) << built.err;
    const Outcome c = RunIn({"./run"});
    const Outcome python = RunIn({PYTHON3, "run.py"});
    ASSERT_EQ(python.status, 0) << python.err;
    EXPECT_EQ(lumiro::testing::Lines(c.out).size(), 16U);
    EXPECT_EQ(python.out, c.out);
}

}  // namespace
