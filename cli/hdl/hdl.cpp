// SPDX-License-Identifier: GPL-3.0-or-later
#include "hdl.h"

#include <bit>
#include <charconv>

#include "provenance.h"
#include "template.h"

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
std::string Header(const Request& request, const UnitPlan& plan, const char* comment)
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
    text += c + " Latency: " + Number(plan.latency) + " rising edges of clk from phase to sine and cosine, a new\n" +
            c + " phase on every edge" +
            (plan.clockEnable ? " with ce high; while ce is low, no register changes" : "") + ".\n";
    if (plan.divisions < (std::int64_t{1} << plan.phaseBits))
        text += c + " Phases from N up to 2^" + Number(plan.phaseBits) + " - 1 give no defined word.\n";
    text += c + " The quarter table is one memory read at two addresses: one dual-port block RAM\n" + c +
            " (two on iCE40, whose block RAM reads through one port).\n";
    return text + NcoHeader(plan, comment);
}

// The parts of the unit that do not depend on the language's grammar.
struct Geometry {
    std::string phaseTop, wordTop, addressTop, quarterTop;
};

Geometry GeometryOf(const UnitPlan& plan)
{
    return {Number(plan.phaseBits - 1), Number(plan.width - 1), Number(plan.addressBits - 1),
            Number(plan.quarter - 1)};
}

// --- Verilog ---------------------------------------------------------------

// Every name inside ends in '_', which no --name may: none can hide another.
constexpr std::string_view kVerilogUnit = R"(${header}${module}

    localparam [${word_top}:0] PEAK_ = ${peak};  // the word for 1

    // The quarter table: one memory read at two addresses, one dual-port block RAM
    // (rom_style for Vivado and Yosys, syn_ramstyle for Synplify).
    (* rom_style = "block", syn_ramstyle = "block_ram" *) reg [${word_top}:0] quarter_ [0:${quarter_top}];
    initial begin
${contents}    end

${nco}${phase_in}${place_and_read}${read_register}
    // The words registered, ${kept_what}.
    reg [${word_top}:0] sine_kept_;
    reg [${word_top}:0] cosine_kept_;
    reg sine_negate_ = 1'b0;
    reg cosine_negate_ = 1'b0;
    always @(posedge clk) ${if_ce}begin
        sine_kept_ <= ${sine_kept};
        cosine_kept_ <= ${cosine_kept};
        sine_negate_ <= ${sine_turn}[1];
        cosine_negate_ <= ${cosine_turn}[1];
    end

    // The turn: ${turn_what}.
    always @(posedge clk) ${if_ce}begin
        sine <= ${sine_turned};
        cosine <= ${cosine_turned};
    end

endmodule
)";

// N a power of two: no comparison, only the phase's bits, and no logic between
// the phase and one of the two read ports.
constexpr std::string_view kVerilogQuadrants = R"(
    // Where a phase falls: the quadrant is its top two bits, the offset in it
    // the others; odd quadrants read the quarter mirrored, at Q - offset
    // (0 there is the peak) or, half a step on, at Q - 1 - offset.
    wire [1:0] quadrant_ = at_[${phase_top}:${quadrant_low}];
    wire [${address_top}:0] offset_ = at_[${address_top}:0];
    wire [${address_top}:0] mirrored_ = ${mirrored};
${hold}
    // The read: one port at the offset, the other at its mirror. The sine takes
    // the mirror's word in odd quadrants, the cosine, a quadrant on, in even
    // ones; the second half turn is negated. Turns are {negated, peak}.
    reg [${word_top}:0] direct_word_;
    reg [${word_top}:0] mirror_word_;
    reg odd_ = 1'b0;
    reg [1:0] sine_turn_ = 2'd0;
    reg [1:0] cosine_turn_ = 2'd0;
    always @(posedge clk) ${if_ce}begin
        direct_word_ <= quarter_[${offset}];
        mirror_word_ <= quarter_[${mirror}];
        odd_ <= ${quadrant}[0];
        sine_turn_ <= {${quadrant}[1], ${sine_peak}};
        cosine_turn_ <= {${quadrant}[1] ^ ${quadrant}[0], ${cosine_peak}};
    end
    wire [${word_top}:0] sine_word_ = odd_ ? mirror_word_ : direct_word_;
    wire [${word_top}:0] cosine_word_ = odd_ ? direct_word_ : mirror_word_;
)";

constexpr std::string_view kVerilogHold = R"(
    // Registered: the read starts from a register.
    reg [1:0] quadrant_held_ = 2'd0;
    reg [${address_top}:0] offset_held_ = ${address_bits}'d0;
    reg [${address_top}:0] mirrored_held_ = ${address_bits}'d0;
    always @(posedge clk) ${if_ce}begin
        quadrant_held_ <= quadrant_;
        offset_held_ <= offset_;
        mirrored_held_ <= mirrored_;
    end
)";

// Any other N: comparisons, at the phase's width and one bit more.
constexpr std::string_view kVerilogPlaces = R"(
    // Where the phase, and the phase a quarter turn on, fall in the quarter
    // table: {negated, peak, address}.
    localparam [${phase_bits}:0] Q_ = ${wide}'d${quarter};
    localparam [${phase_bits}:0] HALF_ = ${wide}'d${half};
    localparam [${phase_bits}:0] N_ = ${wide}'d${divisions};
    wire [${phase_bits}:0] sine_at_ = {1'b0, at_};
    wire [${phase_bits}:0] ahead_ = sine_at_ + Q_;
    wire [${phase_bits}:0] cosine_at_ = ahead_ >= N_ ? ahead_ - N_ : ahead_;
    function [${place_top}:0] place_;
        input [${phase_bits}:0] k_;
        /* verilator lint_off UNUSEDSIGNAL */  // the address is its low bits
        reg [${phase_bits}:0] within_;
        reg [${phase_bits}:0] address_;
        /* verilator lint_on UNUSEDSIGNAL */
        begin
            within_ = k_ >= HALF_ ? k_ - HALF_ : k_;
            address_ = within_ < Q_ ? within_ : HALF_ - within_${mirror};
            place_ = {k_ >= HALF_, ${peak_test}, address_[${address_top}:0]};
        end
    endfunction
${places}
    // The read: both words at once; how each is to be turned goes along.
    reg [${word_top}:0] sine_word_;
    reg [${word_top}:0] cosine_word_;
    reg [1:0] sine_turn_ = 2'd0;
    reg [1:0] cosine_turn_ = 2'd0;
    always @(posedge clk) ${if_ce}begin
        sine_word_ <= quarter_[sine_place_[${address_top}:0]];
        cosine_word_ <= quarter_[cosine_place_[${address_top}:0]];
        sine_turn_ <= sine_place_[${place_top}:${address_bits}];
        cosine_turn_ <= cosine_place_[${place_top}:${address_bits}];
    end
)";

constexpr std::string_view kVerilogPlacesHeld = R"(
    // Registered: the read starts from a register.
    reg [${place_top}:0] sine_place_ = ${place_bits}'d0;
    reg [${place_top}:0] cosine_place_ = ${place_bits}'d0;
    always @(posedge clk) ${if_ce}begin
        sine_place_ <= place_(sine_at_);
        cosine_place_ <= place_(cosine_at_);
    end
)";

constexpr std::string_view kVerilogPlacesWired = R"(    wire [${place_top}:0] sine_place_ = place_(sine_at_);
    wire [${place_top}:0] cosine_place_ = place_(cosine_at_);
)";

constexpr std::string_view kVerilogReadRegister = R"(
    // The words registered as read: the block RAM's read has a clock of its own.
    reg [${word_top}:0] sine_read_;
    reg [${word_top}:0] cosine_read_;
    reg [1:0] sine_read_turn_ = 2'd0;
    reg [1:0] cosine_read_turn_ = 2'd0;
    always @(posedge clk) ${if_ce}begin
        sine_read_ <= sine_word_;
        cosine_read_ <= cosine_word_;
        sine_read_turn_ <= sine_turn_;
        cosine_read_turn_ <= cosine_turn_;
    end
)";


// --- VHDL ------------------------------------------------------------------

constexpr std::string_view kVhdlUnit = R"(${header}${entity}
architecture rtl of ${name} is
    constant N : natural := ${divisions};
    constant Q : natural := ${quarter};
    subtype word_t is std_logic_vector(${word_top} downto 0);
    type table_t is array (0 to Q - 1) of word_t;
    -- The quarter table: one memory read at two addresses, one dual-port block RAM
    -- (rom_style for Vivado, syn_ramstyle for Synplify).
    signal QUARTER : table_t := (
${contents});
${rom_attributes}    constant PEAK : word_t := ${peak};  -- the word for 1

    -- How a word is turned: how(1) negated (the second half turn), how(0) the
    -- peak instead.
    subtype how_t is std_logic_vector(1 downto 0);
${declarations}
    -- The word, or the peak in its place.
    function peaked (word : word_t; at_peak : std_logic) return word_t is
    begin
        if at_peak = '1' then
            return PEAK;
        end if;
        return word;
    end function;
${turn_function}
${nco_signals}    signal at : unsigned(${phase_top} downto 0);
${phase_signals}    signal sine_word, cosine_word, sine_kept, cosine_kept : word_t;
    signal sine_turn, cosine_turn : how_t := "00";
${read_signals}
    signal sine_negate, cosine_negate : std_logic := '0';
begin
${nco}${phase_in}${place_and_read}${read_register}
    -- The words registered, ${kept_what}.
    process (clk)
    begin
        if rising_edge(clk)${and_ce} then
            sine_kept <= ${sine_kept};
            cosine_kept <= ${cosine_kept};
            sine_negate <= ${sine_turn}(1);
            cosine_negate <= ${cosine_turn}(1);
        end if;
    end process;

    -- The turn: ${turn_what}.
    process (clk)
    begin
        if rising_edge(clk)${and_ce} then
            sine <= ${sine_turned};
            cosine <= ${cosine_turned};
        end if;
    end process;
end architecture rtl;
)";

constexpr std::string_view kVhdlQuadrantDeclarations = R"(    signal quadrant${held_quadrant} : unsigned(1 downto 0)${held_zero};
    signal offset, mirrored${held_offsets} : unsigned(${address_top} downto 0)${held_zero};
    signal direct_word, mirror_word : word_t;
    signal odd : std_logic := '0';
)";

// N a power of two: no comparison, only the phase's bits, and no logic between
// the phase and one of the two read ports.
constexpr std::string_view kVhdlQuadrants = R"(
    -- Where a phase falls: the quadrant is its top two bits, the offset in it
    -- the others; odd quadrants read the quarter mirrored, at Q - offset
    -- (0 there is the peak) or, half a step on, at Q - 1 - offset.
    quadrant <= at(${phase_top} downto ${quadrant_low});
    offset <= at(${address_top} downto 0);
    mirrored <= ${mirrored};
${hold}
    -- The read: one port at the offset, the other at its mirror. The sine takes
    -- the mirror's word in odd quadrants, the cosine, a quadrant on, in even
    -- ones; the second half turn is negated.
    process (clk)
    begin
        if rising_edge(clk)${and_ce} then
            direct_word <= QUARTER(to_integer(${offset}));
            mirror_word <= QUARTER(to_integer(${mirror}));
            odd <= ${quadrant}(0);
            sine_turn <= ${quadrant}(1) & '0';
            cosine_turn <= (${quadrant}(1) xor ${quadrant}(0)) & '0';
${peak_test}        end if;
    end process;
    sine_word <= mirror_word when odd = '1' else direct_word;
    cosine_word <= direct_word when odd = '1' else mirror_word;
)";

constexpr std::string_view kVhdlHold = R"(
    -- Registered: the read starts from a register.
    process (clk)
    begin
        if rising_edge(clk)${and_ce} then
            quadrant_held <= quadrant;
            offset_held <= offset;
            mirrored_held <= mirrored;
        end if;
    end process;
)";

constexpr std::string_view kVhdlPositionDeclarations = R"(
    -- Where a phase falls in the quarter table, and how its word is turned.
    type place_t is record
        address : natural range 0 to Q - 1;
        how     : how_t;
    end record;

    function place (k : natural) return place_t is
        variable p : place_t := (address => 0, how => "00");
        variable within : natural := k;
    begin
        if k >= N then
            return p;  -- no phase: no defined word
        end if;
        if k >= 2 * Q then
            p.how(1) := '1';
            within := k - 2 * Q;
        end if;
        if within < Q then
            p.address := within;
${beyond_quarter}        end if;
        return p;
    end function;

    signal sine_next, cosine_next, sine_place, cosine_place : place_t;
)";

// Any other N: comparisons.
constexpr std::string_view kVhdlPlaces = R"(
    -- Where the phase, and the phase a quarter turn on, fall.
    sine_next <= place(to_integer(at));
    cosine_next <= place(to_integer(at) + Q - N) when to_integer(at) + Q >= N else place(to_integer(at) + Q);
${places}
    -- The read: both words at once; how each is to be turned goes along.
    process (clk)
    begin
        if rising_edge(clk)${and_ce} then
            sine_word <= QUARTER(sine_place.address);
            cosine_word <= QUARTER(cosine_place.address);
            sine_turn <= sine_place.how;
            cosine_turn <= cosine_place.how;
        end if;
    end process;
)";

constexpr std::string_view kVhdlReadRegister = R"(
    -- The words registered as read: the block RAM's read has a clock of its own.
    process (clk)
    begin
        if rising_edge(clk)${and_ce} then
            sine_read <= sine_word;
            cosine_read <= cosine_word;
            sine_read_turn <= sine_turn;
            cosine_read_turn <= cosine_turn;
        end if;
    end process;
)";

constexpr std::string_view kVhdlPlacesHeld = R"(
    -- Registered: the read starts from a register.
    process (clk)
    begin
        if rising_edge(clk)${and_ce} then
            sine_place <= sine_next;
            cosine_place <= cosine_next;
        end if;
    end process;
)";

// The turn after the read: a float's sign bit flipped (+0 staying +0) where
// the word is negated; a two's complement word inverted when it is kept and
// its one added in the last stage, so that no stage holds both a block RAM
// read and a carry chain.
std::string KeptWhat(const UnitPlan& plan)
{
    return plan.signBitNegation ? "the peak put in" : "the peak put in and, to be negated, inverted";
}

std::string TurnWhat(const UnitPlan& plan)
{
    return plan.signBitNegation ? "the second half turn negated by the sign bit, +0 staying +0"
                                : "one added to an inverted word, which completes its negation";
}

// The names a stage reads the words and their turns by: as the block RAM
// gives them, or as registered once more.
std::string WordOf(const UnitPlan& plan, const std::string& which, const char* tail)
{
    return which + (plan.registersRead() ? "_read" : "_word") + tail;
}

std::string TurnOf(const UnitPlan& plan, const std::string& which, const char* tail)
{
    return which + (plan.registersRead() ? "_read_turn" : "_turn") + tail;
}

std::string VerilogKept(const UnitPlan& plan, const std::string& which)
{
    const std::string turn = TurnOf(plan, which, "_");
    const std::string peaked = turn + "[0] ? PEAK_ : " + WordOf(plan, which, "_");
    if (plan.signBitNegation)
        return peaked;
    return "(" + peaked + ") ^ {" + Number(plan.width) + "{" + turn + "[1]}}";
}

std::string VerilogTurned(const UnitPlan& plan, const std::string& which)
{
    const std::string kept = which + "_kept_";
    if (!plan.signBitNegation)
        return kept + " + {" + Number(plan.width - 1) + "'d0, " + which + "_negate_}";
    return which + "_negate_ && " + kept + " != " + Number(plan.width) + "'d0 ? {~" + kept + "[" +
           Number(plan.width - 1) + "], " + kept + "[" + Number(plan.width - 2) + ":0]} : " + kept;
}

std::string VhdlKept(const UnitPlan& plan, const std::string& which)
{
    const std::string turn = TurnOf(plan, which, "");
    const std::string peaked = "peaked(" + WordOf(plan, which, "") + ", " + turn + "(0))";
    if (plan.signBitNegation)
        return peaked;
    return peaked + " xor (word_t'range => " + turn + "(1))";
}

constexpr std::string_view kVhdlNegated = R"(
    -- Negated where asked: the sign bit flipped, +0 staying +0.
    function negated (word : word_t; negate : std_logic) return word_t is
    begin
        if negate = '0' or word = (word'range => '0') then
            return word;
        end if;
        return (not word(word'high)) & word(word'high - 1 downto 0);
    end function;
)";

constexpr std::string_view kVhdlPlus = R"(
    -- The word plus the one that completes the negation of an inverted word.
    function plus (word : word_t; one : std_logic) return word_t is
        variable carry : unsigned(0 downto 0);
    begin
        carry(0) := one;
        return std_logic_vector(unsigned(word) + carry);
    end function;
)";

// Each address of the quarter table and its word, put straight into the file:
// a table has up to a million of them.
Slot Contents(const SineTable& table, Radix radix, bool vhdl)
{
    return {"contents", {}, [&table, radix, vhdl](std::FILE* out) {
                const Radix shown = vhdl ? VhdlRadix(table.Width(), radix) : radix;
                const std::string open = vhdl ? (shown == Radix::Hex ? " => X\"" : " => \"")
                                              : "] = " + Number(table.Width()) + (shown == Radix::Hex ? "'h" : "'b");
                char number[16];
                char digits[32];
                for (std::int32_t i = 0; i < table.Count(); ++i) {
                    Put(out, vhdl ? "        " : "        quarter_[");
                    Put(out, {number, static_cast<std::size_t>(
                                          std::to_chars(number, number + sizeof number, i).ptr - number)});
                    Put(out, open);
                    Put(out, WordDigits(table.Word(i), table.Width(), shown, digits));
                    Put(out, vhdl ? (i + 1 < table.Count() ? "\",\n" : "\"") : ";\n");
                }
            }};
}

}  // namespace

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

// The phase, through the registers that latency beyond the least buys.
std::string VerilogPhaseIn(const UnitPlan& plan, const std::string& ifCe)
{
    const std::string vector = "[" + Number(plan.phaseBits - 1) + ":0]";
    const int delay = plan.phaseDelay();
    if (delay == 0)
        return "    wire " + vector + " at_ = phase;\n";
    std::string text = "    // The phase registered on its way in: more edges, a faster unit.\n";
    for (int stage = 1; stage <= delay; ++stage)
        text += "    reg " + vector + " at_" + Number(stage) + "_ = " + Number(plan.phaseBits) + "'d0;\n";
    text += "    always @(posedge clk) " + ifCe + "begin\n        at_1_ <= phase;\n";
    for (int stage = 2; stage <= delay; ++stage)
        text += "        at_" + Number(stage) + "_ <= at_" + Number(stage - 1) + "_;\n";
    text += "    end\n    wire " + vector + " at_ = at_" + Number(delay) + "_;\n";
    return text;
}

// The phase, through the registers that latency beyond the least buys.
VhdlPhase VhdlPhaseIn(const UnitPlan& plan, const std::string& andCe)
{
    const int delay = plan.phaseDelay();
    if (delay == 0)
        return {"", "    at <= unsigned(phase);\n"};
    VhdlPhase phase{"    type phases_t is array (1 to " + Number(delay) + ") of unsigned(" + Number(plan.phaseBits - 1) +
                        " downto 0);\n    signal phases : phases_t := (others => (others => '0'));\n",
                    "\n    -- The phase registered on its way in: more edges, a faster unit.\n"
                    "    process (clk)\n    begin\n        if rising_edge(clk)" +
                        andCe + " then\n            phases(1) <= unsigned(phase);\n"};
    for (int stage = 2; stage <= delay; ++stage)
        phase.process += "            phases(" + Number(stage) + ") <= phases(" + Number(stage - 1) + ");\n";
    phase.process += "        end if;\n    end process;\n    at <= phases(" + Number(delay) + ");\n";
    return phase;
}

std::string NcoHeader(const UnitPlan& plan, const char* comment)
{
    if (!plan.nco)
        return "";
    const NcoPlan& nco = *plan.nco;
    const std::string c(comment);
    char seed[24];
    std::snprintf(seed, sizeof seed, "0x%016llX", static_cast<unsigned long long>(kDitherSeed));
    const int stages = (nco.dither ? 1 : 0) + (nco.phaseOffset ? 1 : 0);
    return c + " Oscillator: an accumulator of " + Number(nco.accumulatorBits) +
           " bits, 0 at first" + (nco.reset ? " and after reset" : "") + ", adds frequency on\n" + c +
           " every clock" + (plan.clockEnable ? " with ce high" : "") + "; its top " + Number(plan.phaseBits) +
           " bits are the phase, the other " + Number(nco.truncatedBits()) + " truncated" +
           (nco.phaseOffset ? "\n" + c + " after phase_offset is added" : "") + ".\n" +
           (nco.dither ? c + " Dither below the truncated bits, added before the truncation: a 64-bit LFSR,\n" + c +
                             " x^64 + x^63 + x^61 + x^60 + 1, seed " + seed + ", shifting left with the new\n" + c +
                             " bit in bit 0, stepped " + Number(nco.truncatedBits()) +
                             " times a clock; its low bits are the dither.\n"
                       : "") +
           c + " The sine and cosine of the accumulator's k-th value appear " + Number(plan.latency + stages) +
           " rising edges\n" + c + " after the accumulator holds it.\n";
}

NcoParts VerilogNco(const UnitPlan& plan, const std::string& ifCe)
{
    const std::string phaseTop = Number(plan.phaseBits - 1);
    if (!plan.nco)
        return {"    input  wire [" + phaseTop + ":0] phase,\n", "", ""};
    const NcoPlan& nco = *plan.nco;
    const std::string a = Number(nco.accumulatorBits);
    const std::string top = Number(nco.accumulatorBits - 1);
    const int truncated = nco.truncatedBits();
    NcoParts parts;
    parts.ports = (nco.reset ? "    input  wire reset,\n" : "") + std::string("    input  wire [") + top +
                  ":0] frequency,\n" + (nco.phaseOffset ? "    input  wire [" + top + ":0] phase_offset,\n" : "");
    const std::string cleared = nco.reset ? "if (reset)\n            accumulator_ <= " + a + "'d0;\n        else " : "";
    parts.logic = "    // The oscillator: an accumulator of " + a + " bits that adds frequency on every clock" +
                  (nco.reset ? ",\n    // cleared by reset" : "") + "; its top " + Number(plan.phaseBits) +
                  " bits are the unit's phase, the\n    // other " + Number(truncated) + " truncated.\n";
    parts.logic += "    reg [" + top + ":0] accumulator_ = " + a + "'d0;\n    always @(posedge clk)\n        " + cleared +
                   ifCe + "accumulator_ <= accumulator_ + frequency;\n";
    std::string last = "accumulator_";
    if (nco.dither) {
        char seed[32];
        std::snprintf(seed, sizeof seed, "64'h%016llX", static_cast<unsigned long long>(kDitherSeed));
        parts.logic += "\n    // The dither: a 64-bit LFSR, x^64 + x^63 + x^61 + x^60 + 1, seed " + std::string(seed) +
                       ",\n    // stepped " + Number(truncated) + " times a clock; its low " + Number(truncated) +
                       " bits go below the phase before the truncation.\n"
                       "    function [63:0] stepped_;\n        input [63:0] state_;\n        integer step_;\n"
                       "        begin\n            stepped_ = state_;\n            for (step_ = 0; step_ < " +
                       Number(truncated) +
                       "; step_ = step_ + 1)\n"
                       "                stepped_ = {stepped_[62:0], stepped_[63] ^ stepped_[62] ^ stepped_[60] ^ "
                       "stepped_[59]};\n        end\n    endfunction\n"
                       "    reg [63:0] lfsr_ = " + seed + ";\n    always @(posedge clk)\n        " +
                       (nco.reset ? "if (reset)\n            lfsr_ <= " + std::string(seed) + ";\n        else " : "") +
                       ifCe + "lfsr_ <= stepped_(lfsr_);\n" + "    reg [" + top + ":0] dithered_ = " + a + "'d0;\n" +
                       "    always @(posedge clk) " + ifCe + "dithered_ <= accumulator_ + {" +
                       Number(plan.phaseBits) + "'d0, lfsr_[" + Number(truncated - 1) + ":0]};\n";
        last = "dithered_";
    }
    if (nco.phaseOffset) {
        parts.logic += "\n    // The phase offset, added after the accumulator.\n    reg [" + top + ":0] offset_sum_ = " + a +
                       "'d0;\n    always @(posedge clk) " + ifCe + "offset_sum_ <= " + last + " + phase_offset;\n";
        last = "offset_sum_";
    }
    if (truncated > 0)
        parts.logic += "    /* verilator lint_off UNUSEDSIGNAL */  // the truncated bits\n    wire [" + top +
                       ":0] truncated_ = " + last + ";\n    /* verilator lint_on UNUSEDSIGNAL */\n";
    parts.logic += "    wire [" + phaseTop + ":0] phase = " + (truncated > 0 ? "truncated_" : last) + "[" + top + ":" +
                   Number(truncated) + "];\n\n";
    return parts;
}

NcoParts VhdlNco(const UnitPlan& plan, const std::string& andCe)
{
    const std::string phaseTop = Number(plan.phaseBits - 1);
    if (!plan.nco)
        return {"        phase  : in  std_logic_vector(" + phaseTop + " downto 0);\n", "", ""};
    const NcoPlan& nco = *plan.nco;
    const std::string a = Number(nco.accumulatorBits);
    const std::string top = Number(nco.accumulatorBits - 1);
    const int truncated = nco.truncatedBits();
    const std::string enabled = andCe.empty() ? "true" : "ce = '1'";
    NcoParts parts;
    parts.ports = (nco.reset ? "        reset  : in  std_logic;\n" : "") + std::string("        frequency : in  std_logic_vector(") +
                  top + " downto 0);\n" +
                  (nco.phaseOffset ? "        phase_offset : in  std_logic_vector(" + top + " downto 0);\n" : "");
    parts.signals = "    signal accumulator : unsigned(" + top + " downto 0) := (others => '0');\n"
                    "    signal phase : std_logic_vector(" + phaseTop + " downto 0);\n";
    parts.logic = "\n    -- The oscillator: an accumulator of " + a + " bits that adds frequency on every clock" +
                  (nco.reset ? ",\n    -- cleared by reset" : "") + "; its top " + Number(plan.phaseBits) +
                  " bits are the unit's phase, the\n    -- other " + Number(truncated) + " truncated.\n"
                  "    process (clk)\n    begin\n        if rising_edge(clk) then\n";
    const std::string resetIf = nco.reset ? "            if reset = '1' then\n                accumulator <= (others => '0');\n"
                                            "            elsif " + enabled + " then\n"
                                          : "            if " + enabled + " then\n";
    parts.logic += resetIf + "                accumulator <= accumulator + unsigned(frequency);\n            end if;\n"
                             "        end if;\n    end process;\n";
    std::string last = "accumulator";
    if (nco.dither) {
        char seed[32];
        std::snprintf(seed, sizeof seed, "X\"%016llX\"", static_cast<unsigned long long>(kDitherSeed));
        parts.signals += "    signal lfsr : std_logic_vector(63 downto 0) := " + std::string(seed) +
                         ";\n    signal dithered : unsigned(" + top + " downto 0) := (others => '0');\n"
                         "    -- The dither: a 64-bit LFSR, x^64 + x^63 + x^61 + x^60 + 1, seed " + seed +
                         ",\n    -- stepped " + Number(truncated) + " times a clock; its low " + Number(truncated) +
                         " bits go below the phase before the truncation.\n"
                         "    function stepped (state : std_logic_vector(63 downto 0)) return std_logic_vector is\n"
                         "        variable s : std_logic_vector(63 downto 0) := state;\n    begin\n"
                         "        for step in 1 to " + Number(truncated) + " loop\n"
                         "            s := s(62 downto 0) & (s(63) xor s(62) xor s(60) xor s(59));\n"
                         "        end loop;\n        return s;\n    end function;\n";
        parts.logic += "    process (clk)\n    begin\n        if rising_edge(clk) then\n" +
                       (nco.reset ? "            if reset = '1' then\n                lfsr <= " + std::string(seed) +
                                        ";\n            elsif " + enabled + " then\n"
                                  : "            if " + enabled + " then\n") +
                       "                lfsr <= stepped(lfsr);\n            end if;\n            if " + enabled +
                       " then\n                dithered <= accumulator + resize(unsigned(lfsr(" +
                       Number(truncated - 1) + " downto 0)), " + a +
                       ");\n            end if;\n        end if;\n    end process;\n";
        last = "dithered";
    }
    if (nco.phaseOffset) {
        parts.signals += "    signal offset_sum : unsigned(" + top + " downto 0) := (others => '0');\n";
        parts.logic += "    -- The phase offset, added after the accumulator.\n    process (clk)\n    begin\n"
                       "        if rising_edge(clk) then\n            if " + enabled + " then\n"
                       "                offset_sum <= " + last + " + unsigned(phase_offset);\n            end if;\n"
                       "        end if;\n    end process;\n";
        last = "offset_sum";
    }
    parts.logic += "    phase <= std_logic_vector(" + last + "(" + top + " downto " + Number(truncated) + "));\n";
    return parts;
}

// The unit's interface, the same for every unit: its clock, ce, the phase or
// the oscillator's inputs, and its two outputs.
static std::string VerilogModule(const Request& request, const UnitPlan& plan)
{
    const std::string word = "[" + Number(plan.width - 1) + ":0]";
    return "module " + request.name + " (\n    input  wire clk,\n" +
           (plan.clockEnable ? "    input  wire ce,\n" : "") + VerilogNco(plan, "").ports + "    output reg  " + word +
           " sine,\n    output reg  " + word + " cosine\n);";
}

static std::string VhdlEntity(const Request& request, const UnitPlan& plan)
{
    const std::string word = "std_logic_vector(" + Number(plan.width - 1) + " downto 0)";
    return "library ieee;\nuse ieee.std_logic_1164.all;\nuse ieee.numeric_std.all;\n\nentity " + request.name +
           " is\n    port (\n        clk    : in  std_logic;\n" +
           (plan.clockEnable ? "        ce     : in  std_logic;\n" : "") + VhdlNco(plan, "").ports +
           "        sine   : out " + word + ";\n        cosine : out " + word + ");\nend entity " + request.name + ";\n";
}

std::string VhdlBlockRam(const std::string& table)
{
    return "    attribute rom_style : string;\n    attribute rom_style of " + table +
           " : signal is \"block\";\n    attribute syn_ramstyle : string;\n    attribute syn_ramstyle of " + table +
           " : signal is \"block_ram\";\n";
}

std::vector<Slot> UnitSlots(const Request& request, const UnitPlan& plan, std::string header, bool vhdl)
{
    if (vhdl) {
        const std::string andCe = plan.clockEnable ? " and ce = '1'" : "";
        const NcoParts nco = VhdlNco(plan, andCe);
        const VhdlPhase phase = VhdlPhaseIn(plan, andCe);
        return {{"header", std::move(header)}, {"entity", VhdlEntity(request, plan)}, {"name", request.name},
                {"nco_signals", nco.signals},  {"nco", nco.logic},                    {"phase_signals", phase.signals},
                {"phase_in", phase.process},   {"and_ce", andCe}};
    }
    const std::string ifCe = plan.clockEnable ? "if (ce) " : "";
    return {{"header", std::move(header)}, {"module", VerilogModule(request, plan)},
            {"nco", VerilogNco(plan, ifCe).logic}, {"phase_in", VerilogPhaseIn(plan, ifCe)}, {"if_ce", ifCe}};
}

void WriteSincosVerilog(std::FILE* out, const Request& request, const UnitPlan& plan)
{
    if (plan.interpolation) {
        WriteInterpolatingVerilog(out, request, plan);
        return;
    }
    const Geometry g = GeometryOf(plan);
    const std::string ifCe = plan.clockEnable ? "if (ce) " : "";
    const std::string placeTop = Number(plan.addressBits + 1);
    const bool held = plan.registersAddress();
    std::string placeAndRead;
    if (plan.quadrantFromTopBits) {
        const std::string quadrant = held ? "quadrant_held_" : "quadrant_";
        const std::string offset = held ? "offset_held_" : "offset_";
        const std::string atZero = offset + " == " + Number(plan.addressBits) + "'d0";
        placeAndRead = Filled(
            kVerilogQuadrants,
            {{"phase_top", g.phaseTop},
             {"quadrant_low", Number(plan.phaseBits - 2)},
             {"address_top", g.addressTop},
             {"word_top", g.wordTop},
             // Q - k as ~(k - 1): a carry chain with no inverter in front of it.
             {"mirrored", plan.halfStep ? "~offset_" : "~(offset_ - " + Number(plan.addressBits) + "'d1)"},
             {"hold", held ? Filled(kVerilogHold, {{"address_top", g.addressTop},
                                                   {"address_bits", Number(plan.addressBits)},
                                                   {"if_ce", ifCe}})
                           : ""},
             {"quadrant", quadrant},
             {"offset", offset},
             {"mirror", held ? "mirrored_held_" : "mirrored_"},
             {"sine_peak", plan.halfStep ? "1'b0" : quadrant + "[0] && " + atZero},
             {"cosine_peak", plan.halfStep ? "1'b0" : "!" + quadrant + "[0] && " + atZero},
             {"if_ce", ifCe}});
    } else {
        const std::string places =
            held ? Filled(kVerilogPlacesHeld,
                          {{"place_top", placeTop}, {"place_bits", Number(plan.addressBits + 2)}, {"if_ce", ifCe}})
                 : Filled(kVerilogPlacesWired, {{"place_top", placeTop}});
        placeAndRead = Filled(kVerilogPlaces,
                              {{"phase_bits", Number(plan.phaseBits)},
                               {"wide", Number(plan.phaseBits + 1)},
                               {"quarter", Number(plan.quarter)},
                               {"half", Number(2 * std::int64_t{plan.quarter})},
                               {"divisions", Number(plan.divisions)},
                               {"place_top", placeTop},
                               {"mirror", plan.halfStep ? " - " + Number(plan.phaseBits + 1) + "'d1" : ""},
                               {"peak_test", plan.halfStep ? "1'b0" : "within_ == Q_"},
                               {"address_top", g.addressTop},
                               {"address_bits", Number(plan.addressBits)},
                               {"word_top", g.wordTop},
                               {"places", places},
                               {"if_ce", ifCe}});
    }
    std::vector<Slot> slots = UnitSlots(request, plan, Header(request, plan, "//"), false);
    slots.insert(slots.end(),
                {{"word_top", g.wordTop},
                 {"quarter_top", g.quarterTop},
                 {"peak", VerilogWord(plan.peak, plan.width, request.radix)},
                 Contents(request.table, request.radix, false),
                 {"place_and_read", placeAndRead},
                 {"read_register", plan.registersRead()
                                       ? Filled(kVerilogReadRegister, {{"word_top", g.wordTop}, {"if_ce", ifCe}})
                                       : ""},
                 {"sine_turn", TurnOf(plan, "sine", "_")},
                 {"cosine_turn", TurnOf(plan, "cosine", "_")},
                 {"kept_what", KeptWhat(plan)},
                 {"sine_kept", VerilogKept(plan, "sine")},
                 {"cosine_kept", VerilogKept(plan, "cosine")},
                 {"turn_what", TurnWhat(plan)},
                 {"sine_turned", VerilogTurned(plan, "sine")},
                 {"cosine_turned", VerilogTurned(plan, "cosine")}});
    PutTemplate(out, kVerilogUnit, slots);
}

void WriteSincosVhdl(std::FILE* out, const Request& request, const UnitPlan& plan)
{
    if (plan.interpolation) {
        WriteInterpolatingVhdl(out, request, plan);
        return;
    }
    const Geometry g = GeometryOf(plan);
    const std::string andCe = plan.clockEnable ? " and ce = '1'" : "";
    const bool held = plan.registersAddress();
    std::string declarations;
    std::string placeAndRead;
    if (plan.quadrantFromTopBits) {
        const std::string quadrant = held ? "quadrant_held" : "quadrant";
        const std::string offset = held ? "offset_held" : "offset";
        declarations = Filled(kVhdlQuadrantDeclarations, {{"held_quadrant", held ? ", quadrant_held" : ""},
                                                          {"held_offsets", held ? ", offset_held, mirrored_held" : ""},
                                                          {"held_zero", held ? " := (others => '0')" : ""},
                                                          {"address_top", g.addressTop}});
        placeAndRead = Filled(
            kVhdlQuadrants,
            {{"phase_top", g.phaseTop},
             {"quadrant_low", Number(plan.phaseBits - 2)},
             {"address_top", g.addressTop},
             {"mirrored", plan.halfStep ? "not offset" : "not (offset - 1)"},
             {"hold", held ? Filled(kVhdlHold, {{"and_ce", andCe}}) : ""},
             {"and_ce", andCe},
             {"quadrant", quadrant},
             {"offset", offset},
             {"mirror", held ? "mirrored_held" : "mirrored"},
             {"peak_test", plan.halfStep ? "" : "            if " + offset + " = 0 then\n"
                                                "                sine_turn(0) <= " + quadrant + "(0);\n"
                                                "                cosine_turn(0) <= not " + quadrant + "(0);\n"
                                                "            end if;\n"}});
    } else {
        declarations = Filled(kVhdlPositionDeclarations,
                              {{"beyond_quarter", plan.halfStep ? "        else\n"
                                                                  "            p.address := 2 * Q - 1 - within;\n"
                                                                : "        elsif within = Q then\n"
                                                                  "            p.how(0) := '1';\n"
                                                                  "        else\n"
                                                                  "            p.address := 2 * Q - within;\n"}});
        placeAndRead = Filled(kVhdlPlaces, {{"places", held ? Filled(kVhdlPlacesHeld, {{"and_ce", andCe}})
                                                            : "    sine_place <= sine_next;\n"
                                                              "    cosine_place <= cosine_next;\n"},
                                            {"and_ce", andCe}});
    }
    const std::string turn = plan.signBitNegation ? "negated(" : "plus(";
    std::vector<Slot> slots = UnitSlots(request, plan, Header(request, plan, "--"), true);
    slots.insert(slots.end(),
                {{"rom_attributes", VhdlBlockRam("QUARTER")},
                 {"phase_top", g.phaseTop},
                 {"word_top", g.wordTop},
                 {"divisions", Number(plan.divisions)},
                 {"quarter", Number(plan.quarter)},
                 Contents(request.table, request.radix, true),
                 {"peak", VhdlWord(plan.peak, plan.width, request.radix)},
                 {"declarations", declarations},
                 {"turn_function", plan.signBitNegation ? std::string(kVhdlNegated) : std::string(kVhdlPlus)},
                 {"place_and_read", placeAndRead},
                 {"read_signals", plan.registersRead()
                                      ? "    signal sine_read, cosine_read : word_t;\n"
                                        "    signal sine_read_turn, cosine_read_turn : how_t := \"00\";\n"
                                      : ""},
                 {"read_register", plan.registersRead() ? Filled(kVhdlReadRegister, {{"and_ce", andCe}}) : ""},
                 {"sine_turn", TurnOf(plan, "sine", "")},
                 {"cosine_turn", TurnOf(plan, "cosine", "")},
                 {"kept_what", KeptWhat(plan)},
                 {"sine_kept", VhdlKept(plan, "sine")},
                 {"cosine_kept", VhdlKept(plan, "cosine")},
                 {"turn_what", TurnWhat(plan)},
                 {"sine_turned", turn + "sine_kept, sine_negate)"},
                 {"cosine_turned", turn + "cosine_kept, cosine_negate)"}});
    PutTemplate(out, kVhdlUnit, slots);
}

}  // namespace lumiro::coe
