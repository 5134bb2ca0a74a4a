// SPDX-License-Identifier: GPL-3.0-or-later
// The interpolating sine/cosine unit in Verilog and VHDL, written from its
// plan: a small quarter table read at a point and at its complement, the fine
// angle scaled by pi/2 through shifts and adds, one product for each output,
// their sums rounded, and the quadrant's turn. Every width and constant comes
// from the plan's Interpolation, which the model computes with too.
#include <charconv>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "hdl.h"
#include "template.h"
#include "version.h"

namespace lumiro::coe {
namespace {

std::string Number(std::int64_t value)
{
    return std::to_string(value);
}

// Every width of the datapath, in bits.
struct Widths {
    int table;     // an unsigned table word
    int points;    // log2 M
    int fraction;  // S
    int scaled;    // the fine angle times pi (signed)
    int slope;     // d (signed)
    int product;   // d times a table word (signed)
    int term;      // a first-order term, rounded (signed)
    int second;    // d times a first-order term (signed), second order
    int wide;      // the sums (signed)
};

Widths WidthsOf(const Interpolation& in)
{
    Widths w{};
    w.table = in.tableWidth;
    w.points = in.tableBits;
    w.fraction = in.fractionBits;
    w.scaled = in.fractionBits + in.piBits + 1;
    w.slope = in.slopeWidth();
    w.product = w.slope + w.table + 1;
    w.term = std::max(w.product, w.table + 1 + in.extraBits) + 2;
    w.second = w.slope + w.term;
    w.wide = in.order == 2 ? w.second + 2 : w.term;
    return w;
}

// pi/2 * 2^c in non-adjacent form, the highest digit first: (shift, +1 or -1).
std::vector<std::pair<int, int>> Digits(std::int64_t constant)
{
    std::vector<std::pair<int, int>> digits;
    for (int shift = 0; constant != 0; ++shift, constant >>= 1)
        if ((constant & 1) != 0) {
            const int digit = 2 - static_cast<int>(constant & 3);  // +1 or -1
            digits.emplace_back(shift, digit);
            constant -= digit;
        }
    return {digits.rbegin(), digits.rend()};
}

// The fine angle times pi as the sum of its shifted copies, in each language.
std::string ShiftsAndAdds(const Interpolation& in, bool vhdl, int width)
{
    std::string sum;
    for (const auto& [shift, digit] : Digits(in.pi)) {
        const std::string term = vhdl ? "shift_left(resize(fine, " + Number(width) + "), " + Number(shift) + ")"
                                      : "(fine_wide_ <<< " + Number(shift) + ")";
        sum += (sum.empty() ? (digit < 0 ? "-" : "") : (digit < 0 ? " - " : " + ")) + term;
    }
    return sum;
}

std::string Header(const Request& request, const UnitPlan& plan, const char* comment)
{
    const Interpolation& in = *plan.interpolation;
    const std::string c(comment);
    char largest[32];
    char bound[32];
    std::snprintf(largest, sizeof largest, "%.3f", in.largestError);
    std::snprintf(bound, sizeof bound, "%.2f", in.bound);
    const std::string word = request.table.shape().word.Name();
    return c + " Lumiro " + std::string(kVersion) + ": interpolating sine/cosine unit, N = " + Number(plan.divisions) +
           ", " + word + " words, angle 2*pi*i/N, M = " + Number(std::int64_t{1} << in.tableBits) +
           " table words\n" + c + " Sine and cosine of phase x 2*pi/N, interpolated (" +
           (in.order == 2 ? "second" : "first") + " order) between the M\n" + c +
           " points of a quarter table at (i + 1/2) * 90/M degrees, " + Number(in.tableWidth) +
           "-bit words with " + Number(in.guardBits) + " guard bit" + (in.guardBits == 1 ? "" : "s") + ":\n" + c +
           (in.order == 2 ? " sin(a + d) = sin a + d cos a - (d/2) d sin a, cos(a + d) = cos a - d sin a\n" + c +
                                " - (d/2) d cos a, d the angle of"
                          : " sin(a + d) = sin a + d cos a and cos(a + d) = cos a - d sin a, d the angle of") +
           "\n" + c + " the phase's low " + Number(in.fractionBits) + " bits from the point. Every output is within 1 LSB of the\n" +
           c + " true value: at most " + largest + " LSB, proven on every phase when this file was\n" + c +
           " written (the design's bound: " + bound + " LSB).\n" + c + " Latency: " + Number(plan.latency) +
           " rising edges of clk from phase to sine and cosine, a new\n" + c + " phase on every edge" +
           (plan.clockEnable ? " with ce high; while ce is low, no register changes" : "") + ".\n" + c +
           " The table is one memory read at two addresses, one dual-port block RAM;\n" + c +
           " each product takes one multiplier" + (in.order == 2 ? ", four of them" : "") + ".\n" +
           NcoHeader(plan, comment);
}

// The table's words, put straight into the file.
Slot Contents(const Interpolation& in, Radix radix, bool vhdl)
{
    return {"contents", {}, [&in, radix, vhdl](std::FILE* out) {
                const Radix shown = vhdl ? VhdlRadix(in.tableWidth, radix) : radix;
                const std::string open = vhdl ? (shown == Radix::Hex ? " => X\"" : " => \"")
                                              : "] = " + Number(in.tableWidth) + (shown == Radix::Hex ? "'h" : "'b");
                char number[16];
                char digits[32];
                for (std::size_t i = 0; i < in.table.size(); ++i) {
                    Put(out, vhdl ? "        " : "        table_[");
                    Put(out, {number, static_cast<std::size_t>(
                                          std::to_chars(number, number + sizeof number, i).ptr - number)});
                    Put(out, open);
                    Put(out, WordDigits(static_cast<std::uint32_t>(in.table[i]), in.tableWidth, shown, digits));
                    Put(out, vhdl ? (i + 1 < in.table.size() ? "\",\n" : "\"") : ";\n");
                }
            }};
}

// A signed Verilog vector of `from` bits as one of `to` bits.
std::string Extended(const std::string& name, int from, int to)
{
    if (to == from)
        return name;
    return "$signed({{" + Number(to - from) + "{" + name + "[" + Number(from - 1) + "]}}, " + name + "})";
}

// Every name inside ends in '_', which no --name may: none can hide another.
constexpr std::string_view kVerilogUnit = R"(${header}${module}

    // The quarter table at the middle of its M steps: sin((i + 1/2) * 90/M degrees)
    // times (2^(W-1) - 1) * 2^g, one memory read at two addresses
    // (rom_style for Vivado and Yosys, syn_ramstyle for Synplify).
    (* rom_style = "block", syn_ramstyle = "block_ram" *) reg [${table_top}:0] table_ [0:${points_last}];
    initial begin
${contents}    end

${nco}${phase_in}
    // The read: the sine at point i and, at the complement of i, its cosine.
    // Beside it the fine angle d from the point (the low bits, their top bit
    // flipped) times pi/2, scaled by 2^${pi_bits} through shifts and adds, rounded.
    wire [1:0] quadrant_ = at_[${phase_top}:${quadrant_low}];
    wire [${points_top}:0] point_ = at_[${point_high}:${fraction_bits}];
    wire signed [${fraction_top}:0] fine_ = ${fine};
    wire signed [${scaled_top}:0] fine_wide_ = ${fine_wide};
    /* verilator lint_off UNUSEDSIGNAL */  // d is its high bits
    wire signed [${scaled_top}:0] scaled_ = ${shifts_and_adds} + ${scaled_bits}'sd${slope_half};
    /* verilator lint_on UNUSEDSIGNAL */
    reg [${table_top}:0] sine_point_;
    reg [${table_top}:0] cosine_point_;
    reg signed [${slope_top}:0] slope_;
    reg [1:0] quadrant_1_ = 2'd0;
    always @(posedge clk) ${if_ce}begin
        sine_point_ <= table_[point_];
        cosine_point_ <= table_[~point_];
        slope_ <= scaled_[${slope_high}:${slope_shift}];
        quadrant_1_ <= quadrant_;
    end

    // The words registered as read: the block RAM's read has a clock of its own.
    reg signed [${table_bits}:0] sine_kept_;
    reg signed [${table_bits}:0] cosine_kept_;
    reg signed [${slope_top}:0] slope_kept_;
    reg [1:0] quadrant_2_ = 2'd0;
    always @(posedge clk) ${if_ce}begin
        sine_kept_ <= $signed({1'b0, sine_point_});
        cosine_kept_ <= $signed({1'b0, cosine_point_});
        slope_kept_ <= slope_;
        quadrant_2_ <= quadrant_1_;
    end

    // The products, one multiplier each: d cos a for the sine, d sin a for the cosine.
    reg signed [${product_top}:0] sine_product_;
    reg signed [${product_top}:0] cosine_product_;
    reg signed [${table_bits}:0] sine_base_;
    reg signed [${table_bits}:0] cosine_base_;
    reg [1:0] quadrant_3_ = 2'd0;
    always @(posedge clk) ${if_ce}begin
        sine_product_ <= slope_kept_ * cosine_kept_;
        cosine_product_ <= slope_kept_ * sine_kept_;
        sine_base_ <= sine_kept_;
        cosine_base_ <= cosine_kept_;
        quadrant_3_ <= quadrant_2_;
    end

${second_order}
    // The sums, ${sums_what}, then rounded to the output's last place.
    /* verilator lint_off UNUSEDSIGNAL */  // the magnitudes are the sums' low bits
${sums}    wire signed [${wide_top}:0] sine_rounded_ = (sine_sum_ + ${wide_bits}'sd${drop_half}) >>> ${drop};
    wire signed [${wide_top}:0] cosine_rounded_ = (cosine_sum_ + ${wide_bits}'sd${drop_half}) >>> ${drop};
    /* verilator lint_on UNUSEDSIGNAL */
    reg [${word_top}:0] sine_magnitude_ = ${word_bits}'d0;
    reg [${word_top}:0] cosine_magnitude_ = ${word_bits}'d0;
    reg [1:0] quadrant_4_ = 2'd0;
    always @(posedge clk) ${if_ce}begin
        sine_magnitude_ <= sine_rounded_[${word_top}:0];
        cosine_magnitude_ <= cosine_rounded_[${word_top}:0];
        quadrant_4_ <= ${quadrant_before_sums};
    end

    // The turn: odd quadrants swap sine and cosine, the second half turn negates.
    wire [${word_top}:0] sine_pick_ = quadrant_4_[0] ? cosine_magnitude_ : sine_magnitude_;
    wire [${word_top}:0] cosine_pick_ = quadrant_4_[0] ? sine_magnitude_ : cosine_magnitude_;
    always @(posedge clk) ${if_ce}begin
        sine <= quadrant_4_[1] ? -sine_pick_ : sine_pick_;
        cosine <= quadrant_4_[1] ^ quadrant_4_[0] ? -cosine_pick_ : cosine_pick_;
    end

endmodule
)";

constexpr std::string_view kVhdlUnit = R"(${header}${entity}
architecture rtl of ${name} is
    subtype point_t is std_logic_vector(${table_top} downto 0);
    type table_t is array (0 to ${points_last}) of point_t;
    -- The quarter table at the middle of its M steps: sin((i + 1/2) * 90/M degrees)
    -- times (2^(W-1) - 1) * 2^g, one memory read at two addresses
    -- (rom_style for Vivado, syn_ramstyle for Synplify).
    signal TABLE : table_t := (
${contents});
${rom_attributes}
${nco_signals}    signal at : unsigned(${phase_top} downto 0);
${phase_signals}    signal point : unsigned(${points_top} downto 0);
    signal fine : signed(${fraction_top} downto 0);
    signal scaled : signed(${scaled_top} downto 0);
    signal sine_point, cosine_point : point_t;
    signal slope, slope_kept : signed(${slope_top} downto 0);
    signal sine_kept, cosine_kept, sine_base, cosine_base : signed(${table_bits} downto 0);
    signal sine_product, cosine_product : signed(${product_top} downto 0);
    signal sine_magnitude, cosine_magnitude : unsigned(${word_top} downto 0) := (others => '0');
${second_signals}    type quadrants_t is array (1 to ${quadrant_stages}) of unsigned(1 downto 0);
    signal quadrants : quadrants_t := (others => "00");

    -- A product rounded to `shift` bits fewer, in the sums' width.
    function scaled_down (product : signed; shift : natural) return signed is
        variable half : signed(product'length - 1 downto 0) := shift_left(to_signed(1, product'length), shift - 1);
    begin
        return resize(shift_right(product + half, shift), ${wide_bits});
    end function;

    -- The rounded sum: the base, the first-order term added or taken off, the
    -- second-order term taken off, to the output's last place.
    function rounded (base, first, second : signed; negated : boolean) return unsigned is
        variable sum : signed(${wide_top} downto 0);
    begin
        sum := shift_left(resize(base, ${wide_bits}), ${extra_bits});
        if negated then
            sum := sum - first;
        else
            sum := sum + first;
        end if;
        sum := sum - second;
        sum := shift_right(sum + shift_left(to_signed(1, ${wide_bits}), ${drop_less}), ${drop});
        return unsigned(sum(${word_top} downto 0));
    end function;
begin
${nco}${phase_in}
    -- The read: the sine at point i and, at the complement of i, its cosine.
    -- Beside it the fine angle d from the point (the low bits, their top bit
    -- flipped) times pi/2, scaled by 2^${pi_bits} through shifts and adds, rounded.
    point <= at(${point_high} downto ${fraction_bits});
    fine <= signed(at(${fraction_top} downto 0) xor to_unsigned(2 ** ${fraction_top}, ${fraction_bits}));
    scaled <= ${shifts_and_adds} + shift_left(to_signed(1, ${scaled_bits}), ${slope_shift_less});
    process (clk)
    begin
        if rising_edge(clk)${and_ce} then
            sine_point <= TABLE(to_integer(point));
            cosine_point <= TABLE(to_integer(not point));
            slope <= scaled(${slope_high} downto ${slope_shift});
            quadrants(1) <= at(${phase_top} downto ${quadrant_low});
            -- The words registered as read: the block RAM's read has a clock of its own.
            sine_kept <= signed('0' & sine_point);
            cosine_kept <= signed('0' & cosine_point);
            slope_kept <= slope;
            quadrants(2) <= quadrants(1);
            -- The products, one multiplier each: d cos a for the sine, d sin a for the cosine.
            sine_product <= slope_kept * cosine_kept;
            cosine_product <= slope_kept * sine_kept;
            sine_base <= sine_kept;
            cosine_base <= cosine_kept;
            quadrants(3) <= quadrants(2);
${vhdl_sums}
            -- The turn: odd quadrants swap sine and cosine, the second half turn negates.
            if quadrants(${quadrant_stages})(0) = '1' then
                sine <= std_logic_vector(cosine_magnitude);
                cosine <= std_logic_vector(sine_magnitude);
            else
                sine <= std_logic_vector(sine_magnitude);
                cosine <= std_logic_vector(cosine_magnitude);
            end if;
            if quadrants(${quadrant_stages})(1) = '1' then
                if quadrants(${quadrant_stages})(0) = '1' then
                    sine <= std_logic_vector(-signed(cosine_magnitude));
                else
                    sine <= std_logic_vector(-signed(sine_magnitude));
                end if;
            end if;
            if (quadrants(${quadrant_stages})(1) xor quadrants(${quadrant_stages})(0)) = '1' then
                if quadrants(${quadrant_stages})(0) = '1' then
                    cosine <= std_logic_vector(-signed(sine_magnitude));
                else
                    cosine <= std_logic_vector(-signed(cosine_magnitude));
                end if;
            end if;
        end if;
    end process;
end architecture rtl;
)";

// The widths and shifts both languages' templates name.
std::vector<Slot> DatapathSlots(const UnitPlan& plan, const Widths& w)
{
    const Interpolation& in = *plan.interpolation;
    const int slopeShift = in.piBits - in.slopeBits;
    return {{"phase_top", Number(plan.phaseBits - 1)},
            {"word_top", Number(plan.width - 1)},
            {"table_top", Number(w.table - 1)},
            {"table_bits", Number(w.table)},
            {"points_last", Number((std::int64_t{1} << w.points) - 1)},
            {"points_top", Number(w.points - 1)},
            {"pi_bits", Number(in.piBits)},
            {"quadrant_low", Number(plan.phaseBits - 2)},
            {"point_high", Number(plan.phaseBits - 3)},
            {"fraction_bits", Number(w.fraction)},
            {"fraction_top", Number(w.fraction - 1)},
            {"scaled_top", Number(w.scaled - 1)},
            {"scaled_bits", Number(w.scaled)},
            {"slope_top", Number(w.slope - 1)},
            {"slope_high", Number(slopeShift + w.slope - 1)},
            {"slope_shift", Number(slopeShift)},
            {"product_top", Number(w.product - 1)},
            {"wide_top", Number(w.wide - 1)},
            {"wide_bits", Number(w.wide)},
            {"drop", Number(in.guardBits + in.extraBits)}};
}

// What differs between first and second order: the stages between the
// products and the sums, and the sums themselves.
std::vector<Slot> OrderSlots(const UnitPlan& plan, const Widths& w, bool vhdl)
{
    const std::string ifCe = plan.clockEnable ? "if (ce) " : "";
    const Interpolation& in = *plan.interpolation;
    const std::string wide = Number(w.wide);
    const std::string productHalf = wide + "'sd" + Number(std::int64_t{1} << (in.productShift - 1));
    const int secondShift = in.productShift + in.extraBits + 1;
    const std::string sineTerm =
        "((" + Extended("sine_product_", w.product, w.wide) + " + " + productHalf + ") >>> " + Number(in.productShift) + ")";
    const std::string cosineTerm =
        "((" + Extended("cosine_product_", w.product, w.wide) + " + " + productHalf + ") >>> " + Number(in.productShift) + ")";
    const std::string drop = Number(in.guardBits + in.extraBits);
    const std::string vhdlShift = Number(in.productShift);
    if (in.order == 1 && vhdl)
        return {{"second_signals", ""},
                {"quadrant_stages", "4"},
                {"vhdl_sums", "            -- The sums, rounded to the output's last place.\n"
                              "            sine_magnitude <= rounded(sine_base, scaled_down(sine_product, " + vhdlShift +
                                  "), to_signed(0, " + wide + "), false);\n"
                              "            cosine_magnitude <= rounded(cosine_base, scaled_down(cosine_product, " +
                                  vhdlShift + "), to_signed(0, " + wide + "), true);\n"
                              "            quadrants(4) <= quadrants(3);\n"}};
    if (in.order == 1)
        return {{"second_order", ""},
                {"sums_what", "each product rounded to " + Number(in.extraBits) + " bits below the table's last place"},
                {"sums", "    wire signed [" + Number(w.wide - 1) + ":0] sine_sum_ = (" +
                             Extended("sine_base_", w.table + 1, w.wide) + " <<< " + Number(in.extraBits) + ") +\n        " +
                             sineTerm + ";\n    wire signed [" + Number(w.wide - 1) + ":0] cosine_sum_ = (" +
                             Extended("cosine_base_", w.table + 1, w.wide) + " <<< " + Number(in.extraBits) +
                             ") -\n        " + cosineTerm + ";\n"},
                {"quadrant_before_sums", "quadrant_3_"}};
    const std::string term = "[" + Number(w.term - 1) + ":0]";
    const std::string slope = "[" + Number(w.slope - 1) + ":0]";
    const std::string base = "[" + Number(w.table) + ":0]";
    const std::string secondHalf = wide + "'sd" + Number(std::int64_t{1} << (secondShift - 1));
    const std::string verilog =
        "\n    // Second order: the first-order terms rounded to " + Number(in.extraBits) +
        " bits below the table's last place,\n"
        "    // d cos a and d sin a; then each times d/2, to be taken off the other output.\n"
        "    /* verilator lint_off UNUSEDSIGNAL */  // the terms are the low bits\n"
        "    wire signed [" + Number(w.wide - 1) + ":0] sine_term_next_ = " + sineTerm + ";\n"
        "    wire signed [" + Number(w.wide - 1) + ":0] cosine_term_next_ = " + cosineTerm + ";\n"
        "    /* verilator lint_on UNUSEDSIGNAL */\n"
        "    reg signed " + slope + " slope_3_;\n    reg signed " + slope + " slope_4_;\n"
        "    reg signed " + term + " sine_term_;\n    reg signed " + term + " cosine_term_;\n"
        "    reg signed " + base + " sine_base_4_;\n    reg signed " + base + " cosine_base_4_;\n"
        "    reg [1:0] quadrant_terms_ = 2'd0;\n"
        "    always @(posedge clk) " + ifCe + "begin\n"
        "        slope_3_ <= slope_kept_;\n"
        "        sine_term_ <= sine_term_next_[" + Number(w.term - 1) + ":0];\n"
        "        cosine_term_ <= cosine_term_next_[" + Number(w.term - 1) + ":0];\n"
        "        slope_4_ <= slope_3_;\n        sine_base_4_ <= sine_base_;\n        cosine_base_4_ <= cosine_base_;\n"
        "        quadrant_terms_ <= quadrant_3_;\n    end\n"
        "    reg signed [" + Number(w.second - 1) + ":0] sine_second_;\n"
        "    reg signed [" + Number(w.second - 1) + ":0] cosine_second_;\n"
        "    reg signed " + term + " sine_term_5_;\n    reg signed " + term + " cosine_term_5_;\n"
        "    reg signed " + base + " sine_base_5_;\n    reg signed " + base + " cosine_base_5_;\n"
        "    reg [1:0] quadrant_seconds_ = 2'd0;\n"
        "    always @(posedge clk) " + ifCe + "begin\n"
        "        sine_second_ <= slope_4_ * cosine_term_;\n        cosine_second_ <= slope_4_ * sine_term_;\n"
        "        sine_term_5_ <= sine_term_;\n        cosine_term_5_ <= cosine_term_;\n"
        "        sine_base_5_ <= sine_base_4_;\n        cosine_base_5_ <= cosine_base_4_;\n"
        "        quadrant_seconds_ <= quadrant_terms_;\n    end\n";
    const auto sum = [&](const std::string& which, const char* sign) {
        return "    wire signed [" + Number(w.wide - 1) + ":0] " + which + "_sum_ = (" +
               Extended(which + "_base_5_", w.table + 1, w.wide) + " <<< " + Number(in.extraBits) + ") " + sign +
               " " + Extended(which + "_term_5_", w.term, w.wide) + " -\n        ((" +
               Extended(which + "_second_", w.second, w.wide) + " + " + secondHalf + ") >>> " +
               Number(secondShift) + ");\n";
    };
    const std::string vhdlTerm = "signed(" + Number(w.wide - 1) + " downto 0)";
    if (!vhdl)
        return {{"second_order", verilog},
                {"sums_what", "the base, the first-order term and the second-order one"},
                {"sums", sum("sine", "+") + sum("cosine", "-")},
                {"quadrant_before_sums", "quadrant_seconds_"}};
    return {{"second_signals", "    signal slope_3, slope_4 : signed(" + Number(w.slope - 1) + " downto 0);\n"
                               "    signal sine_term, cosine_term, sine_term_5, cosine_term_5 : " + vhdlTerm + ";\n"
                               "    signal sine_second, cosine_second : signed(" + Number(w.slope + w.wide - 1) +
                                   " downto 0);\n"
                               "    signal sine_base_4, cosine_base_4, sine_base_5, cosine_base_5 : signed(" +
                                   Number(w.table) + " downto 0);\n"},
            {"quadrant_stages", "6"},
            {"vhdl_sums",
             "            -- Second order: the first-order terms rounded, then each times d/2, to be\n"
             "            -- taken off the other output.\n"
             "            slope_3 <= slope_kept;\n"
             "            sine_term <= scaled_down(sine_product, " + vhdlShift + ");\n"
             "            cosine_term <= scaled_down(cosine_product, " + vhdlShift + ");\n"
             "            slope_4 <= slope_3;\n            sine_base_4 <= sine_base;\n            cosine_base_4 <= cosine_base;\n"
             "            quadrants(4) <= quadrants(3);\n"
             "            sine_second <= slope_4 * cosine_term;\n            cosine_second <= slope_4 * sine_term;\n"
             "            sine_term_5 <= sine_term;\n            cosine_term_5 <= cosine_term;\n"
             "            sine_base_5 <= sine_base_4;\n            cosine_base_5 <= cosine_base_4;\n"
             "            quadrants(5) <= quadrants(4);\n"
             "            -- The sums, rounded to the output's last place.\n"
             "            sine_magnitude <= rounded(sine_base_5, sine_term_5, scaled_down(sine_second, " +
                 Number(secondShift) + "), false);\n"
             "            cosine_magnitude <= rounded(cosine_base_5, cosine_term_5, scaled_down(cosine_second, " +
                 Number(secondShift) + "), true);\n"
             "            quadrants(6) <= quadrants(5);\n"}};
}

// Slots in one list after another.
std::vector<Slot> Concatenated(std::vector<Slot> first, const std::vector<Slot>& second, std::vector<Slot> third)
{
    first.insert(first.end(), second.begin(), second.end());
    first.insert(first.end(), std::make_move_iterator(third.begin()), std::make_move_iterator(third.end()));
    return first;
}

}  // namespace

void WriteInterpolatingVerilog(std::FILE* out, const Request& request, const UnitPlan& plan)
{
    const Interpolation& in = *plan.interpolation;
    const Widths w = WidthsOf(in);
    const int slopeShift = in.piBits - in.slopeBits;
    const std::string fine = w.fraction == 1 ? "~at_[0]" : "{~at_[" + Number(w.fraction - 1) + "], at_[" +
                                                               Number(w.fraction - 2) + ":0]}";
    std::vector<Slot> slots = Concatenated(UnitSlots(request, plan, Header(request, plan, "//"), false),
                                     DatapathSlots(plan, w), OrderSlots(plan, w, false));
    slots.insert(slots.end(), {{"word_bits", Number(plan.width)},
                               Contents(in, request.radix, false),
                               {"fine", "$signed(" + fine + ")"},
                               {"fine_wide", Extended("fine_", w.fraction, w.scaled)},
                               {"shifts_and_adds", ShiftsAndAdds(in, false, w.scaled)},
                               {"slope_half", Number(std::int64_t{1} << (slopeShift - 1))},
                               {"drop_half", Number(std::int64_t{1} << (in.guardBits + in.extraBits - 1))}});
    PutTemplate(out, kVerilogUnit, slots);
}

void WriteInterpolatingVhdl(std::FILE* out, const Request& request, const UnitPlan& plan)
{
    const Interpolation& in = *plan.interpolation;
    const Widths w = WidthsOf(in);
    std::vector<Slot> slots = Concatenated(UnitSlots(request, plan, Header(request, plan, "--"), true),
                                     DatapathSlots(plan, w), OrderSlots(plan, w, true));
    slots.insert(slots.end(), {Contents(in, request.radix, true),
                               {"rom_attributes", VhdlBlockRam("TABLE")},
                               {"shifts_and_adds", ShiftsAndAdds(in, true, w.scaled)},
                               {"slope_shift_less", Number(in.piBits - in.slopeBits - 1)},
                               {"extra_bits", Number(in.extraBits)},
                               {"drop_less", Number(in.guardBits + in.extraBits - 1)}});
    PutTemplate(out, kVhdlUnit, slots);
}

}  // namespace lumiro::coe
