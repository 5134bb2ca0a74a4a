// SPDX-License-Identifier: GPL-3.0-or-later
// --testbench as a user runs it: the testbench and its vectors beside the
// unit, run as written in Icarus Verilog, GHDL and Verilator, pass on the
// unit and fail on one whose table has one bit flipped.
#include <regex>

#include "scratch.h"

namespace lumiro::testing {
namespace {

class Testbench : public Scratch {
public:
    // The unit as u.v or u.vhd and its testbench as tb.v or tb.vhd.
    void Write(std::vector<std::string> call, const std::string& extension)
    {
        call.insert(call.end(), {"--sincos", "--testbench", (dir / ("tb" + extension)).string(), "-o",
                                 (dir / ("u" + extension)).string()});
        const Outcome written = Coe(call);
        ASSERT_EQ(written.status, 0) << written.err;
        ASSERT_TRUE(fs::exists(dir / "tb.vectors"));
    }

    // The last bit of the table's word `index` flipped, in either language.
    void FlipTableBit(const std::string& file, int index)
    {
        std::string text = Slurp(dir / file);
        const std::string number = std::to_string(index);
        const std::regex word(file.ends_with(".v") ? "\\[" + number + "\\] = [0-9]+'b[01]*([01]);"
                                                   : "\n +" + number + " => \"[01]*([01])\"");
        std::smatch found;
        ASSERT_TRUE(std::regex_search(text, found, word)) << file;
        const auto bit = static_cast<std::size_t>(found.position(1));
        text[bit] = text[bit] == '0' ? '1' : '0';
        std::ofstream(dir / file) << text;
    }

    Outcome Icarus()
    {
        const Outcome compiled = RunIn({IVERILOG, "-o", "tb.vvp", "u.v", "tb.v"});
        return compiled.status != 0 ? compiled : RunIn({VVP, "-n", "tb.vvp"});
    }
    Outcome Vhdl() { return Ghdl({"u.vhd", "tb.vhd"}, "lumiro_sincos_tb"); }
    Outcome Verilator()
    {
        const Outcome built = RunIn({VERILATOR, "--binary", "-j", "2", "--top-module", "lumiro_sincos_tb", "u.v", "tb.v"});
        return built.status != 0 ? built : RunIn({"obj_dir/Vlumiro_sincos_tb"});
    }

    // Passes with `outputs` (where not 0) on the unit, fails on the flipped one.
    void Prove(const std::vector<std::string>& call, std::int64_t outputs, Outcome (Testbench::*run)(),
               const std::string& extension)
    {
        SCOPED_TRACE(call[0] + " " + call.back() + " " + extension);
        Write(call, extension);
        const Outcome passed = (this->*run)();
        EXPECT_EQ(passed.status, 0) << passed.out << passed.err;
        const std::regex pass("(^|\n)PASS: ([0-9]+) outputs\n");
        std::smatch said;
        ASSERT_TRUE(std::regex_search(passed.out, said, pass)) << passed.out << passed.err;
        if (outputs != 0) {
            EXPECT_EQ(std::stoll(said[2]), outputs);
        }
        FlipTableBit("u" + extension, 123);
        const Outcome failed = (this->*run)();
        EXPECT_NE(failed.status, 0);
        const std::regex fail("(^|\n)FAIL: ([0-9]+) of " + std::string(said[2]) + " outputs\n");
        std::smatch failures;
        ASSERT_TRUE(std::regex_search(failed.out, failures, fail)) << failed.out;
        EXPECT_GT(std::stoll(failures[2]), 0);
    }
};

const std::vector<std::string> kWords{"--word", "fixed:16", "--angle", "exact"};

std::vector<std::string> Call(std::vector<std::string> first, const std::vector<std::string>& more)
{
    first.insert(first.begin() + 1, kWords.begin(), kWords.end());
    first.insert(first.end(), more.begin(), more.end());
    return first;
}

// Every kind of unit, with every handshake it can have, in both languages
// (lanes too: the printed buses are the circuit's lanes):
// a phase unit counts each phase's output once, whatever its ce, in_valid or
// tready did.
TEST_F(Testbench, PassesOnTheUnitAndFailsOnOneWithATableBitFlipped)
{
    struct Case {
        std::vector<std::string> call;
        std::int64_t outputs;
    };
    const std::vector<Case> cases{
        {Call({"1000"}, {"--clock-enable", "--valid"}), 1000},
        {Call({"4096"}, {"--axi-stream", "--clock-enable"}), 4096},
        {Call({"65536"}, {"--table-words", "256", "--axi-stream"}), 65536},
        {Call({"4096"}, {"--nco", "32", "--clock-enable", "--reset", "--phase-offset", "--dither", "--valid"}), 0},
        {Call({"4096"}, {"--nco", "24", "--axi-stream", "--clock-enable", "--reset", "--phase-offset"}), 0},
        {Call({"4096"}, {"--nco", "32", "--samples-per-clock", "4", "--clock-enable", "--reset", "--phase-offset"}), 0},
        {Call({"4096"}, {"--nco", "24", "--modulus", "1000003", "--clock-enable", "--reset"}), 0},
    };
    for (const Case& unit : cases) {
        Prove(unit.call, unit.outputs, &Testbench::Icarus, ".v");
        Prove(unit.call, unit.outputs, &Testbench::Vhdl, ".vhd");
    }
}

// Above 2^20 phases, a stated 2^20 of them, as Verilator runs them: a unit of
// fixed:24 words on N = 2^22; and an oscillator with a modulus.
TEST_F(Testbench, VerilatorRunsItAsWrittenOnALargeUnit)
{
    Prove({"4194304", "--word", "fixed:24", "--angle", "exact", "--table-words", "1024"}, std::int64_t{1} << 20,
          &Testbench::Verilator, ".v");
    // The exact 10 MHz of a 122.88 MHz clock: an oscillator with a modulus.
    Prove(Call({"4096"}, {"--nco", "32", "--clock", "122.88e6", "--tone", "10e6", "--reset"}), 0, &Testbench::Verilator,
          ".v");
}

}  // namespace
}  // namespace lumiro::testing
