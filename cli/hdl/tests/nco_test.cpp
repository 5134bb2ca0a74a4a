// SPDX-License-Identifier: GPL-3.0-or-later
// The oscillator in front of the unit, against the oscillator its header
// describes (a reference written apart from its circuit) clock for clock:
// Verilator runs 2^20 clocks of each frequency word (odd, even, near Nyquist,
// near 2^A), with and without dither, phase offset, reset and clock enable;
// Icarus Verilog and GHDL run a small one with every option.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "scratch.h"
#include "hardware/units.h"
#include "reference_oscillator.h"
#include "sincos_unit.h"

namespace {

using lumiro::testing::Outcome;

struct Oscillator {
    int divisions;
    const char* word;
    int accumulator;      // A
    bool dither;
    bool options;         // phase offset, reset, clock enable and out_valid
    int tableWords = 0;   // interpolated between
};

void PrintTo(const Oscillator& o, std::ostream* os)
{
    *os << "N " << o.divisions << " " << o.word << " A " << o.accumulator << (o.dither ? " dither" : "")
        << (o.options ? " offset reset ce valid" : "");
    if (o.tableWords > 0)
        *os << " M " << o.tableWords;
}

class Nco : public lumiro::testing::Scratch, public ::testing::WithParamInterface<Oscillator> {
protected:
    const Oscillator& nco() const { return GetParam(); }

    lumiro::TableShape Shape() const
    {
        lumiro::TableShape shape;
        shape.divisions = nco().divisions;
        shape.word = *lumiro::WordKind::Named(nco().word);
        shape.angle = lumiro::AngleMode::Exact;
        return shape;
    }

    int Latency() const { return nco().tableWords > 0 ? lumiro::kLeastInterpolatingLatency : 4; }

    // Enabled edges from the k-th to the words of the k-th value, as the
    // header of the unit written last says: what a user builds on.
    int Delay() const
    {
        const std::string text = lumiro::testing::Slurp(dir / written);
        const std::size_t at = text.find(": D = ");
        EXPECT_NE(at, std::string::npos);
        return at == std::string::npos ? 0 : std::stoi(text.substr(at + 6));
    }
    std::string written;

    void Write(const char* file)
    {
        written = file;
        std::vector<std::string> call{std::to_string(nco().divisions), "--word", nco().word, "--angle", "exact",
                                      "--sincos", "--latency", std::to_string(Latency()), "--nco",
                                      std::to_string(nco().accumulator), "-o", (dir / file).string()};
        if (nco().dither)
            call.push_back("--dither");
        if (nco().options)
            call.insert(call.end(), {"--phase-offset", "--reset", "--clock-enable", "--valid"});
        if (nco().tableWords > 0)
            call.insert(call.end(), {"--table-words", std::to_string(nco().tableWords)});
        const Outcome run = Coe(call);
        ASSERT_EQ(run.status, 0) << run.err;
    }

    // The model's sine and cosine of the first `clocks` accumulator values.
    std::vector<std::uint32_t> Model(std::uint64_t frequency, std::uint64_t offset, long clocks) const
    {
        const lumiro::SineTable quarter(Shape());
        lumiro::UnitChoices choices{Latency(), nco().options, nco().tableWords,
                                    lumiro::NcoPlan{nco().accumulator, 0, nco().options, nco().options, nco().dither}, {}};
        const lumiro::UnitPlan plan = lumiro::PlanUnit(quarter, choices);
        lumiro::testing::ReferenceOscillator oscillator(nco().accumulator, plan.phaseBits, nco().dither, frequency,
                                                        offset);
        lumiro::hardware::UnitModel unit(plan, quarter);
        std::vector<std::uint32_t> words;
        for (long k = 0; k < clocks; ++k) {
            const lumiro::SineCosine out = unit.At(static_cast<std::int64_t>(oscillator.NextPhase()));
            words.push_back(out.sine);
            words.push_back(out.cosine);
        }
        return words;
    }

    std::uint64_t Offset() const { return nco().options ? 0x0F0F0F0F0F0F0F0FULL & ((2ULL << (nco().accumulator - 1)) - 1) : 0; }
};

std::string Hex(std::uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(value));
    return text;
}

TEST_P(Nco, VerilatorGivesTheModelsWordsForAMillionClocks)
{
    Write("lumiro_sincos.v");
    Write("lumiro_sincos.h");  // the C model, stepped beside the unit
    std::vector<std::string> build{VERILATOR, "--cc", "--exe", "--build", "-O1", "-j", "2", "lumiro_sincos.v",
                                   NCO_VERILATOR_BENCH, "-o", "bench", "-CFLAGS", "-DC_MODEL -I.."};
    if (nco().options)
        build.insert(build.end(), {"-CFLAGS", "-DCLOCK_ENABLE -DRESET -DPHASE_OFFSET -DVALID"});
    const Outcome built = RunIn(build);
    ASSERT_EQ(built.status, 0) << built.err;
    const long clocks = 1L << 20;
    const std::uint64_t top = nco().accumulator == 64 ? ~0ULL : (1ULL << nco().accumulator) - 1;
    // Odd, even, near Nyquist, near 2^A.
    for (const std::uint64_t frequency : std::vector<std::uint64_t>{0x01234567 & top, 0x12345600 & top, (top >> 1) - 2,
                                                                   top - 16}) {
        const Outcome run = RunIn({"obj_dir/bench", std::to_string(clocks), std::to_string(Delay()), "out.bin",
                                   Hex(frequency), Hex(Offset())});
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        EXPECT_NE(run.out.find("model errors=0\n"), std::string::npos) << run.out;
        const std::string got = lumiro::testing::Slurp(dir / "out.bin");
        const std::vector<std::uint32_t> wanted = Model(frequency, Offset(), clocks);
        ASSERT_EQ(got.size(), wanted.size() * 4) << Hex(frequency);
        std::vector<std::uint32_t> words(wanted.size());
        std::memcpy(words.data(), got.data(), got.size());
        for (std::size_t at = 0; at < wanted.size(); ++at)
            ASSERT_EQ(words[at], wanted[at]) << "frequency " << Hex(frequency) << ", value " << at / 2
                                             << (at % 2 == 0 ? " sine" : " cosine");
    }
}

INSTANTIATE_TEST_SUITE_P(Oscillators, Nco,
                         ::testing::Values(Oscillator{4096, "fixed:16", 32, false, false},
                                           Oscillator{4096, "fixed:16", 32, true, true},
                                           Oscillator{65536, "fixed:16", 48, true, false, 256},
                                           Oscillator{1024, "float32", 64, false, true}));

// Every option in Icarus Verilog and GHDL: ce low on two edges of five, the
// accumulator run on with ce high, then cleared by reset with ce low, out_valid
// low until the words of its value 0 come.
class SmallNco : public Nco {
protected:
    static constexpr long kClocks = 3000;
    static constexpr std::uint64_t kFrequency = 0x135;

    void WriteWanted()
    {
        const std::vector<std::uint32_t> words = Model(kFrequency, Offset(), kClocks);
        const int width = lumiro::WordKind::Named(nco().word)->width();
        const auto bits = [width](std::uint32_t word) {
            std::string text;
            for (int bit = width - 1; bit >= 0; --bit)
                text += static_cast<char>('0' + ((word >> bit) & 1U));
            return text;
        };
        std::ofstream text(dir / "want.txt");
        std::ofstream bin(dir / "want.bin");
        for (std::size_t at = 0; at < words.size(); at += 2) {
            text << bits(words[at]) << " " << bits(words[at + 1]) << "\n";
            bin << bits(words[at]) << "0" << bits(words[at + 1]) << "\n";
        }
    }
};

TEST_P(SmallNco, IcarusAndGhdlGiveTheModelsWords)
{
    ASSERT_TRUE(nco().options && nco().dither);
    WriteWanted();
    const int width = lumiro::WordKind::Named(nco().word)->width();
    const int a = nco().accumulator;
    Write("lumiro_sincos.v");
    const std::string delay = std::to_string(Delay());
    const std::string clocks = std::to_string(kClocks);
    std::ostringstream v;
    v << "`timescale 1ns/1ns\nmodule tb;\n  reg clk = 0, ce = 1, reset = 0;\n"
      << "  reg [" << a - 1 << ":0] frequency = " << a << "'d" << kFrequency << ", phase_offset = " << a << "'d"
      << Offset() << ";\n  wire [" << width - 1 << ":0] sine, cosine;\n"
      << "  wire out_valid;\n"
      << "  reg [" << 2 * width << ":0] want [0:" << kClocks - 1 << "];\n  integer i, enabled = 0, errors = 0;\n"
      << "  lumiro_sincos dut (.clk(clk), .ce(ce), .reset(reset), .frequency(frequency), "
         ".phase_offset(phase_offset), .sine(sine), .cosine(cosine), .out_valid(out_valid));\n"
      << "  initial begin\n    $readmemb(\"want.bin\", want);\n"
      << "    for (i = 0; i < 7; i = i + 1) begin #5 clk = 1; #5 clk = 0; end\n"
      << "    reset = 1; ce = 0;\n    for (i = 0; i < 2; i = i + 1) begin #5 clk = 1; #5 clk = 0; end\n    reset = 0;\n"
      << "    for (i = 0; enabled < " << clocks << " + " << delay << "; i = i + 1) begin\n"
      << "      ce = i % 5 != 1 && i % 5 != 2;\n      #5 clk = 1;\n      #1;\n"
      << "      if (ce) enabled = enabled + 1;\n"
      << "      if (out_valid !== (enabled >= " << delay << ")) errors = errors + 1;\n"
      << "      if (ce && enabled >= " << delay << " && enabled - " << delay << " < " << clocks
      << " && {sine, 1'b0, cosine} !== want[enabled - " << delay << "]) errors = errors + 1;\n"
      << "      #4 clk = 0;\n    end\n"
      << "    $display(\"errors=%0d\", errors);\n    $finish;\n  end\nendmodule\n";
    std::ofstream(dir / "tb.v") << v.str();
    ASSERT_EQ(RunIn({IVERILOG, "-o", "tb.vvp", "tb.v", "lumiro_sincos.v"}).status, 0);
    const Outcome icarus = RunIn({VVP, "-n", "tb.vvp"});
    EXPECT_NE(icarus.out.find("errors=0\n"), std::string::npos) << icarus.out;

    Write("lumiro_sincos.vhd");
    std::ostringstream h;
    h << "library ieee;\nuse ieee.std_logic_1164.all;\nuse ieee.numeric_std.all;\nuse std.textio.all;\n"
      << "entity tb is\nend entity;\narchitecture sim of tb is\n"
      << "  signal clk, reset, out_valid : std_logic := '0';\n  signal ce : std_logic := '1';\n"
      << "  signal frequency : std_logic_vector(" << a - 1 << " downto 0) := std_logic_vector(to_unsigned("
      << kFrequency << ", " << a << "));\n"
      << "  signal phase_offset : std_logic_vector(" << a - 1 << " downto 0) := std_logic_vector(to_unsigned("
      << Offset() << ", " << a << "));\n"
      << "  signal sine, cosine : std_logic_vector(" << width - 1 << " downto 0);\nbegin\n"
      << "  dut : entity work.lumiro_sincos port map (clk => clk, ce => ce, reset => reset, frequency => frequency, "
         "phase_offset => phase_offset, sine => sine, cosine => cosine, out_valid => out_valid);\n"
      << "  process\n    file wanted : text open read_mode is \"want.txt\";\n"
      << "    variable l : line;\n    variable s, c : bit_vector(" << width - 1 << " downto 0);\n"
      << "    type words_t is array (0 to " << kClocks - 1 << ") of bit_vector(" << width - 1 << " downto 0);\n"
      << "    variable ws, wc : words_t;\n    variable errors, enabled, i : natural := 0;\n"
      << "    variable enable : boolean;\n  begin\n"
      << "    for k in 0 to " << kClocks - 1 << " loop\n"
      << "      readline(wanted, l); read(l, s); read(l, c); ws(k) := s; wc(k) := c;\n    end loop;\n"
      << "    for k in 1 to 7 loop\n      wait for 5 ns; clk <= '1'; wait for 5 ns; clk <= '0';\n    end loop;\n"
      << "    reset <= '1'; ce <= '0';\n"
      << "    for k in 1 to 2 loop\n      wait for 5 ns; clk <= '1'; wait for 5 ns; clk <= '0';\n    end loop;\n"
      << "    reset <= '0';\n"
      << "    while enabled < " << clocks << " + " << delay << " loop\n"
      << "      enable := i mod 5 /= 1 and i mod 5 /= 2;\n"
      << "      if enable then ce <= '1'; else ce <= '0'; end if;\n"
      << "      wait for 5 ns; clk <= '1'; wait for 1 ns;\n"
      << "      if enable then\n        enabled := enabled + 1;\n      end if;\n"
      << "      if (out_valid = '1') /= (enabled >= " << delay << ") then\n        errors := errors + 1;\n"
      << "      end if;\n      if enable then\n"
      << "        if enabled >= " << delay << " and enabled - " << delay << " < " << clocks
      << " and (to_bitvector(sine) /= ws(enabled - " << delay
      << ") or to_bitvector(cosine) /= wc(enabled - " << delay << ")) then\n"
      << "          errors := errors + 1;\n        end if;\n      end if;\n"
      << "      wait for 4 ns; clk <= '0'; i := i + 1;\n    end loop;\n"
      << "    report \"errors=\" & integer'image(errors);\n    wait;\n  end process;\nend architecture;\n";
    std::ofstream(dir / "tb.vhd") << h.str();
    const Outcome ghdl = Ghdl({"lumiro_sincos.vhd", "tb.vhd"}, "tb");
    EXPECT_NE((ghdl.out + ghdl.err).find("errors=0"), std::string::npos) << ghdl.out << ghdl.err;
}

INSTANTIATE_TEST_SUITE_P(Oscillators, SmallNco,
                         ::testing::Values(Oscillator{64, "fixed:8", 10, true, true},
                                           Oscillator{1024, "fixed:10", 14, true, true, 32}));

}  // namespace
