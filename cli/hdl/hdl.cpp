// SPDX-License-Identifier: GPL-3.0-or-later
#include "hdl.h"

#include <charconv>

#include "provenance.h"

namespace lumiro::coe {
namespace {

std::string Number(std::int64_t value)
{
    return std::to_string(value);
}

// A word as a Verilog literal: 16'h3FFF.
std::string VerilogWord(std::uint32_t word, int width, Radix radix)
{
    char buffer[32];
    return Number(width) + (radix == Radix::Hex ? "'h" : "'b") +
           std::string(WordDigits(word, width, radix, buffer));
}

// The unit's comment: what it computes, and when.
std::string Header(const Request& request, const char* comment)
{
    const SineTable& table = request.table;
    const TableShape& shape = table.shape();
    const std::string c(comment);
    std::string text = c + " " + Description(table) + "\n";
    text += c + " Sine and cosine of phase x 2*pi/N, N = " + Number(shape.divisions) + ", " +
            (shape.halfStep ? "each moved by half a step, " : "") + "from one quarter-wave table of " +
            Number(table.Count()) + " words:\n";
    // Only the exact angle is symmetric; the window's float32 step is not.
    if (shape.angle == AngleMode::Exact)
        text += c + " sine at phase p is word p of the full period, cosine word (p + N/4) mod N.\n";
    else
        text += c + " The quarter unfolds by the sine's symmetry: 90 degrees is the word for 1,\n" + c +
                " 180 degrees the word for +0, the other quarters the quarter's words mirrored\n" + c +
                " and negated; these differ from the words of a full period at the window's angle.\n";
    const UnitPlan plan = PlanUnit(table);
    text += c + " Latency: " + Number(plan.latency) +
            " rising edges of clk from phase to sine and cosine, a new phase\n" + c +
            " on every edge. Phases from N up to 2^" + Number(plan.phaseBits) +
            " - 1 give no defined word.\n";
    return text;
}

}  // namespace

UnitPlan PlanUnit(const SineTable& table)
{
    const TableShape& shape = table.shape();
    return UnitPlan{
        .divisions = shape.divisions,
        .quarter = table.Count(),
        .phaseBits = AddressBits(shape.divisions),
        .addressBits = AddressBits(table.Count()),
        .width = table.Width(),
        .halfStep = shape.halfStep,
        .peak = shape.word.Round(1.0),  // not a table word without its end sample
        .signBitNegation = shape.word.isFloat(),
        .latency = kSincosLatency,
    };
}

Radix VhdlRadix(int width, Radix asked)
{
    return width % 4 == 0 ? asked : Radix::Binary;
}

std::string VhdlWord(std::uint32_t word, int width, Radix radix)
{
    char buffer[32];
    const Radix shown = VhdlRadix(width, radix);
    return std::string(shown == Radix::Hex ? "X\"" : "\"") + std::string(WordDigits(word, width, shown, buffer)) +
           "\"";
}

int AddressBits(std::int64_t count)
{
    int bits = 1;  // a one-word memory still has an address
    while ((std::int64_t{1} << bits) < count)
        ++bits;
    return bits;
}

void PutCaseRom(std::FILE* out, const SineTable& table, const std::string& address,
                const std::string& data, Radix radix, int addressBits, const std::string& indent)
{
    Put(out, indent + "case (" + address + ")\n");
    // One line a word, put together without allocating: a table has up to 4M of them.
    const std::string between = ": " + data + " <= " + Number(table.Width()) + (radix == Radix::Hex ? "'h" : "'b");
    const std::string start = indent + "    ";
    char number[16];
    char digits[32];
    for (std::int32_t i = 0; i < table.Count(); ++i) {
        Put(out, start);
        Put(out, {number, static_cast<std::size_t>(std::to_chars(number, number + sizeof number, i).ptr - number)});
        Put(out, between);
        Put(out, WordDigits(table.Word(i), table.Width(), radix, digits));
        Put(out, ";\n");
    }
    if (table.Count() < (std::int64_t{1} << addressBits))
        Put(out, indent + "    default: " + data + " <= " + Number(table.Width()) + "'d0;\n");
    Put(out, indent + "endcase\n");
}

void WriteSincosVerilog(std::FILE* out, const Request& request)
{
    const SineTable& table = request.table;
    const UnitPlan plan = PlanUnit(table);
    const int phaseBits = plan.phaseBits;
    const int addressBits = plan.addressBits;
    const int width = plan.width;
    const std::string q = Number(plan.quarter);
    const std::string w = Number(width);
    const std::string a = Number(addressBits);
    const bool half = plan.halfStep;
    // The quarter turn mirrored: 2Q - k, or 2Q - 1 - k when the samples sit half a step on.
    const std::string mirror = half ? " - 32'd1" : "";

    Put(out, Header(request, "//"));
    Put(out, "module " + request.name + " (\n");
    Put(out, "    input  wire clk,\n");
    Put(out, "    input  wire [" + Number(phaseBits - 1) + ":0] phase,\n");
    Put(out, "    output reg  [" + Number(width - 1) + ":0] sine,\n");
    Put(out, "    output reg  [" + Number(width - 1) + ":0] cosine\n);\n\n");
    Put(out, "    localparam [31:0] N_ = 32'd" + Number(plan.divisions) + ";\n");
    Put(out, "    localparam [31:0] Q_ = 32'd" + q + ";\n");
    Put(out, "    localparam [" + Number(width - 1) + ":0] PEAK_ = " + VerilogWord(plan.peak, width, request.radix) +
                 ";  // the word for 1\n\n");
    // Every name inside ends in '_', which no --name may: none can hide another.
    Put(out, "    // Where a phase falls: {negated, peak, address in the quarter table}.\n");
    Put(out, "    function [" + Number(addressBits + 1) + ":0] place_;\n");
    Put(out, "        input [31:0] k_;\n");
    Put(out, "        /* verilator lint_off UNUSEDSIGNAL */  // the address is its low bits\n");
    Put(out, "        reg [31:0] at_;\n");
    Put(out, "        /* verilator lint_on UNUSEDSIGNAL */\n");
    Put(out, "        begin\n");
    Put(out, "            if (k_ < Q_)\n                at_ = k_;\n");
    Put(out, "            else if (k_ < 2 * Q_)\n                at_ = 2 * Q_ - k_" + mirror + ";\n");
    Put(out, "            else if (k_ < 3 * Q_)\n                at_ = k_ - 2 * Q_;\n");
    Put(out, "            else if (k_ < N_)\n                at_ = 4 * Q_ - k_" + mirror + ";\n");
    Put(out, "            else\n                at_ = 32'd0;\n");
    Put(out, "            place_ = {k_ >= 2 * Q_ && k_ < N_, " +
                 std::string(half ? "1'b0" : "(k_ == Q_ || k_ == 3 * Q_)") + ", at_[" + Number(addressBits - 1) +
                 ":0]};\n");
    Put(out, "        end\n    endfunction\n\n");
    Put(out, "    // Negated: the sign bit of a float, +0 staying +0; two's complement for fixed point.\n");
    Put(out, "    function [" + Number(width - 1) + ":0] negated_;\n");
    Put(out, "        input [" + Number(width - 1) + ":0] word_;\n");
    if (plan.signBitNegation)
        Put(out, "        negated_ = word_ == " + w + "'d0 ? word_ : {~word_[" + Number(width - 1) + "], word_[" +
                     Number(width - 2) + ":0]};\n");
    else
        Put(out, "        negated_ = -word_;\n");
    Put(out, "    endfunction\n\n");
    Put(out, "    // Stage 1: the phase, and that of the cosine a quarter turn on.\n");
    Put(out, "    reg [31:0] at_sine_ = 32'd0;\n    reg [31:0] at_cosine_ = 32'd0;\n");
    Put(out, "    always @(posedge clk) begin\n");
    Put(out, "        at_sine_ <= {" + Number(32 - phaseBits) + "'d0, phase};\n");
    Put(out, "        at_cosine_ <= {" + Number(32 - phaseBits) + "'d0, phase} + Q_ >= N_ ? {" +
                 Number(32 - phaseBits) + "'d0, phase} + Q_ - N_ : {" + Number(32 - phaseBits) +
                 "'d0, phase} + Q_;\n");
    Put(out, "    end\n");
    Put(out, "    wire [" + Number(addressBits + 1) + ":0] sine_place_ = place_(at_sine_);\n");
    Put(out, "    wire [" + Number(addressBits + 1) + ":0] cosine_place_ = place_(at_cosine_);\n\n");
    Put(out, "    // Stage 2: the table's words, and how each is to be turned.\n");
    Put(out, "    reg [" + Number(width - 1) + ":0] sine_word_ = " + w + "'d0;\n");
    Put(out, "    reg [" + Number(width - 1) + ":0] cosine_word_ = " + w + "'d0;\n");
    Put(out, "    reg [1:0] sine_how_ = 2'd0;\n    reg [1:0] cosine_how_ = 2'd0;\n");
    Put(out, "    always @(posedge clk) begin\n");
    Put(out, "        sine_how_ <= sine_place_[" + Number(addressBits + 1) + ":" + a + "];\n");
    Put(out, "        cosine_how_ <= cosine_place_[" + Number(addressBits + 1) + ":" + a + "];\n");
    Put(out, "    end\n");
    Put(out, "    always @(posedge clk)\n");
    PutCaseRom(out, table, "sine_place_[" + Number(addressBits - 1) + ":0]", "sine_word_", request.radix, addressBits,
               "        ");
    Put(out, "    always @(posedge clk)\n");
    PutCaseRom(out, table, "cosine_place_[" + Number(addressBits - 1) + ":0]", "cosine_word_", request.radix,
               addressBits, "        ");
    Put(out, "\n    // Stage 3: the peak put in, the second half turn negated.\n");
    Put(out, "    wire [" + Number(width - 1) + ":0] sine_value_ = sine_how_[0] ? PEAK_ : sine_word_;\n");
    Put(out, "    wire [" + Number(width - 1) + ":0] cosine_value_ = cosine_how_[0] ? PEAK_ : cosine_word_;\n");
    Put(out, "    always @(posedge clk) begin\n");
    Put(out, "        sine <= sine_how_[1] ? negated_(sine_value_) : sine_value_;\n");
    Put(out, "        cosine <= cosine_how_[1] ? negated_(cosine_value_) : cosine_value_;\n");
    Put(out, "    end\n\nendmodule\n");
}

void WriteSincosVhdl(std::FILE* out, const Request& request)
{
    const SineTable& table = request.table;
    const UnitPlan plan = PlanUnit(table);
    const int phaseBits = plan.phaseBits;
    const int width = plan.width;
    const std::string name = request.name;
    const bool half = plan.halfStep;

    Put(out, Header(request, "--"));
    Put(out, "library ieee;\nuse ieee.std_logic_1164.all;\nuse ieee.numeric_std.all;\n\n");
    Put(out, "entity " + name + " is\n    port (\n");
    Put(out, "        clk    : in  std_logic;\n");
    Put(out, "        phase  : in  std_logic_vector(" + Number(phaseBits - 1) + " downto 0);\n");
    Put(out, "        sine   : out std_logic_vector(" + Number(width - 1) + " downto 0);\n");
    Put(out, "        cosine : out std_logic_vector(" + Number(width - 1) + " downto 0));\n");
    Put(out, "end entity " + name + ";\n\n");
    Put(out, "architecture rtl of " + name + " is\n");
    Put(out, "    constant N : natural := " + Number(plan.divisions) + ";\n");
    Put(out, "    constant Q : natural := " + Number(plan.quarter) + ";\n");
    Put(out, "    subtype word_t is std_logic_vector(" + Number(width - 1) + " downto 0);\n");
    Put(out, "    type table_t is array (0 to Q - 1) of word_t;\n");
    Put(out, "    constant QUARTER : table_t := (\n");
    for (std::int32_t i = 0; i < table.Count(); ++i)
        Put(out, "        " + Number(i) + " => " + VhdlWord(table.Word(i), width, request.radix) +
                     (i + 1 < table.Count() ? ",\n" : ");\n"));
    Put(out, "    constant PEAK : word_t := " + VhdlWord(plan.peak, width, request.radix) + ";  -- the word for 1\n\n");
    Put(out, "    -- Where a phase falls in the quarter table, and how its word is turned.\n");
    Put(out, "    type place_t is record\n        address : natural range 0 to Q - 1;\n");
    Put(out, "        negated : boolean;\n        peak    : boolean;\n    end record;\n\n");
    Put(out, "    function place (k : natural) return place_t is\n        variable p : place_t;\n    begin\n");
    Put(out, "        p := (address => 0, negated => k >= 2 * Q and k < N, peak => " +
                 std::string(half ? "false" : "k = Q or k = 3 * Q") + ");\n");
    const std::string mirror = half ? " - 1" : "";
    // Without half a step, 90 and 270 degrees are the peak: no table word.
    const std::string beyond = half ? "" : "if k > Q then\n                ";
    const std::string beyond3 = half ? "" : "if k > 3 * Q then\n                ";
    const std::string close = half ? "" : "\n            end if;";
    Put(out, "        if k < Q then\n            p.address := k;\n");
    Put(out, "        elsif k < 2 * Q then\n            " + beyond + "p.address := 2 * Q - k" + mirror + ";" + close +
                 "\n");
    Put(out, "        elsif k < 3 * Q then\n            p.address := k - 2 * Q;\n");
    Put(out, "        elsif k < N then\n            " + beyond3 + "p.address := 4 * Q - k" + mirror + ";" + close +
                 "\n");
    Put(out, "        end if;\n        return p;\n    end function;\n\n");
    Put(out, "    -- Negated: the sign bit of a float, +0 staying +0; two's complement for fixed point.\n");
    Put(out, "    function negated (word : word_t) return word_t is\n    begin\n");
    if (plan.signBitNegation)
        Put(out, "        if word = (word'range => '0') then\n            return word;\n        end if;\n"
                 "        return (not word(word'high)) & word(word'high - 1 downto 0);\n");
    else
        Put(out, "        return std_logic_vector(-signed(word));\n");
    Put(out, "    end function;\n\n");
    Put(out, "    signal at_sine, at_cosine : natural range 0 to 2 ** " + Number(phaseBits) + " - 1 := 0;\n");
    Put(out, "    signal sine_word, cosine_word : word_t := (others => '0');\n");
    Put(out, "    signal sine_how, cosine_how : place_t := (address => 0, negated => false, peak => false);\n");
    Put(out, "begin\n    process (clk)\n        variable turned : word_t;\n        variable ahead : natural;\n");
    Put(out, "    begin\n        if rising_edge(clk) then\n");
    Put(out, "            -- Stage 1: the phase, and that of the cosine a quarter turn on.\n");
    Put(out, "            at_sine <= to_integer(unsigned(phase));\n");
    Put(out, "            ahead := to_integer(unsigned(phase)) + Q;\n");
    Put(out, "            if ahead >= N then\n                ahead := ahead - N;\n            end if;\n");
    Put(out, "            at_cosine <= ahead mod 2 ** " + Number(phaseBits) + ";\n");
    Put(out, "            -- Stage 2: the table's words, and how each is to be turned.\n");
    Put(out, "            sine_how <= place(at_sine);\n            cosine_how <= place(at_cosine);\n");
    Put(out, "            sine_word <= QUARTER(place(at_sine).address);\n");
    Put(out, "            cosine_word <= QUARTER(place(at_cosine).address);\n");
    Put(out, "            -- Stage 3: the peak put in, the second half turn negated.\n");
    Put(out, "            turned := sine_word;\n");
    Put(out, "            if sine_how.peak then\n                turned := PEAK;\n            end if;\n");
    Put(out, "            if sine_how.negated then\n                turned := negated(turned);\n            end if;\n");
    Put(out, "            sine <= turned;\n");
    Put(out, "            turned := cosine_word;\n");
    Put(out, "            if cosine_how.peak then\n                turned := PEAK;\n            end if;\n");
    Put(out, "            if cosine_how.negated then\n                turned := negated(turned);\n            end if;\n");
    Put(out, "            cosine <= turned;\n");
    Put(out, "        end if;\n    end process;\nend architecture rtl;\n");
}

}  // namespace lumiro::coe
