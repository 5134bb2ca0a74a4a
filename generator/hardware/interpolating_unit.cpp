// SPDX-License-Identifier: GPL-3.0-or-later
// The interpolating unit: a small quarter table read at a point and at its
// complement, the fine angle scaled by pi/2 through shifts and adds, one
// product for each output, their sums rounded, and the quadrant's turn.
// Every constant comes from the plan's Interpolation; every width from what
// the values can be.
#include <string>
#include <utility>

#include "builders.h"

namespace lumiro::hardware {
namespace {

constexpr RegisterOptions kUndefinedAtFirst = RegisterOptions::Undefined();

// pi/2 * 2^c in non-adjacent form: (shift, subtracted) for each digit.
std::vector<std::pair<int, bool>> Digits(std::int64_t constant)
{
    std::vector<std::pair<int, bool>> digits;
    for (int shift = 0; constant != 0; ++shift, constant >>= 1)
        if ((constant & 1) != 0) {
            const int digit = 2 - static_cast<int>(constant & 3);  // +1 or -1
            digits.emplace_back(shift, digit < 0);
            constant -= digit;
        }
    return {digits.rbegin(), digits.rend()};
}

// A signed value rounded to `shift` bits fewer: half added, then shifted down.
Signal Rounded(Circuit& c, Signal value, int shift, const std::string& name)
{
    if (shift == 0)
        return value;
    const Signal half = Number(c, std::int64_t{1} << (shift - 1), Signed(shift + 1));
    return c.ShiftedDown(c.Add(value, half, name + "_half_added"), shift, name);
}

struct Pair {
    Signal sine;
    Signal cosine;
};

// From the phase to the table's two words and d, registered as read.
struct Read {
    Pair words;
    Signal slope;
    Signal quadrant;
};

Read ReadPoints(Circuit& c, const UnitPlan& plan, Signal at)
{
    const Interpolation& in = *plan.interpolation;
    const int s = in.fractionBits;
    std::vector<std::uint32_t> words;
    for (const std::int64_t word : in.table)
        words.push_back(static_cast<std::uint32_t>(word));
    c.Section("The quarter table at the middle of its M steps: sin((i + 1/2) * 90/M degrees)\n"
              "times (2^(W-1) - 1) * 2^g, one memory read at two addresses.");
    const int table = c.AddTable("table", Unsigned(in.tableWidth), std::move(words));
    c.Section("The read: the sine at point i and, at the complement of i, its cosine.\n"
              "Beside it the fine angle d from the point (the low bits, their top bit\n"
              "flipped) times pi/2, scaled by 2^" + std::to_string(in.piBits) + " through shifts and adds, rounded.");
    const Signal quadrant = c.Slice(at, plan.phaseBits - 2, Unsigned(2), "quadrant");
    const Signal point = c.Slice(at, s, Unsigned(in.tableBits), "point");
    const Signal flipped = c.Xor(c.Slice(at, 0, Unsigned(s)), Number(c, std::int64_t{1} << (s - 1), Unsigned(s)),
                                 "fine_bits");
    const Signal fine = c.Slice(flipped, 0, Signed(s), "fine");
    const int slopeShift = in.piBits - in.slopeBits;
    std::vector<Term> terms;
    for (const auto& [shift, subtracted] : Digits(in.pi))
        terms.push_back({fine, shift, subtracted});
    const Signal half = Number(c, std::int64_t{1} << (slopeShift - 1), Signed(2 + slopeShift));
    terms.push_back({half});
    const Signal wide = c.Extension(fine, c.SumType(terms), "fine_wide");
    for (Term& term : terms)
        if (term.value == fine)
            term.value = wide;
    const Signal scaled = c.Sum(terms, "scaled");
    Read read;
    read.words.sine = c.Delayed(c.Read(table, point), "sine_point", kUndefinedAtFirst);
    read.words.cosine = c.Delayed(c.Read(table, c.Not(point)), "cosine_point", kUndefinedAtFirst);
    read.slope = c.Delayed(c.ShiftedDown(scaled, slopeShift), "slope", kUndefinedAtFirst);
    read.quadrant = c.Delayed(quadrant, "quadrant_1");
    return read;
}

// The products' stages: d cos a for the sine, d sin a for the cosine, and
// the bases beside them.
struct Products {
    Pair products;
    Pair bases;
    Signal slope;  // d beside the products
    Signal quadrant;
};

Products Multiply(Circuit& c, const Read& read)
{
    c.Section("The words registered as read: the block RAM's read has a clock of its own.");
    const Type word = Signed(c.At(read.words.sine).type.width + 1);
    const Signal sine = c.Delayed(c.Extension(read.words.sine, word), "sine_kept", kUndefinedAtFirst);
    const Signal cosine = c.Delayed(c.Extension(read.words.cosine, word), "cosine_kept", kUndefinedAtFirst);
    const Signal slope = c.Delayed(read.slope, "slope_kept", kUndefinedAtFirst);
    const Signal quadrant = c.Delayed(read.quadrant, "quadrant_2");
    c.Section("The products, one multiplier each: d cos a for the sine, d sin a for the cosine.");
    Products p;
    p.products.sine = c.Delayed(c.Product(slope, cosine), "sine_product", kUndefinedAtFirst);
    p.products.cosine = c.Delayed(c.Product(slope, sine), "cosine_product", kUndefinedAtFirst);
    p.bases.sine = c.Delayed(sine, "sine_base", kUndefinedAtFirst);
    p.bases.cosine = c.Delayed(cosine, "cosine_base", kUndefinedAtFirst);
    p.slope = slope;
    p.quadrant = c.Delayed(quadrant, "quadrant_3");
    return p;
}

// The sums to be rounded: the base, the first-order term added (sine) or
// taken off (cosine), and at second order the other output's term times d/2
// taken off.
struct Sums {
    Pair sums;
    Signal quadrant;
};

Sums FirstOrder(Circuit& c, const Interpolation& in, const Products& p)
{
    c.Section("The sums, each product rounded to " + std::to_string(in.extraBits) +
              " bits below the table's last place, then rounded to the output's last place.");
    const Signal sineTerm = Rounded(c, p.products.sine, in.productShift, "sine_term");
    const Signal cosineTerm = Rounded(c, p.products.cosine, in.productShift, "cosine_term");
    return {{c.Sum({{p.bases.sine, in.extraBits}, {sineTerm}}, "sine_sum"),
             c.Sum({{p.bases.cosine, in.extraBits}, {cosineTerm, 0, true}}, "cosine_sum")},
            p.quadrant};
}

Sums SecondOrder(Circuit& c, const Interpolation& in, const Products& p)
{
    c.Section("Second order: the first-order terms rounded to " + std::to_string(in.extraBits) +
              " bits below the table's last place,\nd cos a and d sin a; then each times d/2, to be taken off the "
              "other output.");
    const Signal slope3 = c.Delayed(p.slope, "slope_3", kUndefinedAtFirst);
    const Signal sineTerm = c.Delayed(Rounded(c, p.products.sine, in.productShift, "sine_term_next"), "sine_term",
                                      kUndefinedAtFirst);
    const Signal cosineTerm = c.Delayed(Rounded(c, p.products.cosine, in.productShift, "cosine_term_next"),
                                        "cosine_term", kUndefinedAtFirst);
    const Signal slope4 = c.Delayed(slope3, "slope_4", kUndefinedAtFirst);
    const Signal sineBase = c.Delayed(p.bases.sine, "sine_base_4", kUndefinedAtFirst);
    const Signal cosineBase = c.Delayed(p.bases.cosine, "cosine_base_4", kUndefinedAtFirst);
    const Signal quadrant = c.Delayed(p.quadrant, "quadrant_terms");
    const Signal sineSecond = c.Delayed(c.Product(slope4, cosineTerm), "sine_second", kUndefinedAtFirst);
    const Signal cosineSecond = c.Delayed(c.Product(slope4, sineTerm), "cosine_second", kUndefinedAtFirst);
    const Signal sineTerm5 = c.Delayed(sineTerm, "sine_term_5", kUndefinedAtFirst);
    const Signal cosineTerm5 = c.Delayed(cosineTerm, "cosine_term_5", kUndefinedAtFirst);
    const Signal sineBase5 = c.Delayed(sineBase, "sine_base_5", kUndefinedAtFirst);
    const Signal cosineBase5 = c.Delayed(cosineBase, "cosine_base_5", kUndefinedAtFirst);
    const Signal quadrant5 = c.Delayed(quadrant, "quadrant_seconds");
    c.Section("The sums: the base, the first-order term and the second-order one.");
    // (d/2) d sin a and (d/2) d cos a: d is d * (N/4) * 2^F, so a further F + log2(N/4) + 1 bits.
    const int shift = in.productShift + in.extraBits + 1;
    const Signal sineLess = Rounded(c, sineSecond, shift, "sine_second_term");
    const Signal cosineLess = Rounded(c, cosineSecond, shift, "cosine_second_term");
    return {{c.Sum({{sineBase5, in.extraBits}, {sineTerm5}, {sineLess, 0, true}}, "sine_sum"),
             c.Sum({{cosineBase5, in.extraBits}, {cosineTerm5, 0, true}, {cosineLess, 0, true}}, "cosine_sum")},
            quadrant5};
}

// The sums rounded to the output's last place, then the quadrant's turn: odd
// quadrants swap sine and cosine, the second half turn negates.
SineCosineSignals Turn(Circuit& c, const UnitPlan& plan, const Sums& sums)
{
    const Interpolation& in = *plan.interpolation;
    const Type word = Unsigned(plan.width);
    const int drop = in.guardBits + in.extraBits;
    const Signal sine = Rounded(c, sums.sums.sine, drop, "sine_rounded");
    const Signal cosine = Rounded(c, sums.sums.cosine, drop, "cosine_rounded");
    const Signal sineMagnitude = c.Delayed(c.Slice(sine, 0, word), "sine_magnitude");
    const Signal cosineMagnitude = c.Delayed(c.Slice(cosine, 0, word), "cosine_magnitude");
    const Signal quadrant = c.Delayed(sums.quadrant, "quadrant_4");
    c.Section("The turn: odd quadrants swap sine and cosine, the second half turn negates.");
    const Signal odd = c.Bit(quadrant, 0);
    const Signal sinePick = c.Choice(odd, cosineMagnitude, sineMagnitude, "sine_pick");
    const Signal cosinePick = c.Choice(odd, sineMagnitude, cosineMagnitude, "cosine_pick");
    const Signal negated = c.Bit(quadrant, 1);
    const Signal cosineNegated = c.Xor(c.Bit(quadrant, 1), odd);
    return {c.Delayed(c.Choice(negated, c.Negation(sinePick, {}, word), sinePick), "sine", kUndefinedAtFirst),
            c.Delayed(c.Choice(cosineNegated, c.Negation(cosinePick, {}, word), cosinePick), "cosine",
                      kUndefinedAtFirst)};
}

}  // namespace

SineCosineSignals InterpolatingUnit(Circuit& c, const UnitPlan& plan, Signal at)
{
    const Interpolation& in = *plan.interpolation;
    const Products products = Multiply(c, ReadPoints(c, plan, at));
    return Turn(c, plan, in.order == 2 ? SecondOrder(c, in, products) : FirstOrder(c, in, products));
}

}  // namespace lumiro::hardware
