// SPDX-License-Identifier: GPL-3.0-or-later
// The interpolating unit: a small quarter table read at a point and at its
// complement, the fine angle scaled by pi/2 through shifts and adds, one
// product for each output, their sums rounded, and the quadrant's turn.
// Every constant comes from the plan's Interpolation; every width from what
// the values can be.
#include <string>
#include <tuple>
#include <utility>

#include "builders.h"

namespace lumiro::hardware {
namespace {

constexpr RegisterOptions kUndefinedAtFirst = RegisterOptions::Undefined();

// First order's stages come in this order as the latency grows from 5: the
// multipliers' own register (6), their operands and the bases registered
// apart from the block RAM (7, the default), the sums in two parts with a
// registered carry (8), and d an adder a stage with its operands registered
// once more (9); kFullInterpolatingLatency is the last.
constexpr int kProductLatency = 6;
constexpr int kSplitSumLatency = 8;

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

// An operand of a product with its low `cut` bits left out (rounding down),
// so that it fits a multiplier's port.
Signal Cut(Circuit& c, Signal operand, int cut)
{
    return cut == 0 ? operand : c.ShiftedDown(operand, cut, c.At(operand).name + "_cut");
}

// A sum of terms over `stages` registered stages, one carry chain a stage
// where it can: the first sums the terms in 2^(stages - 1) groups, each
// later one adds pairs, and the last shifts down by `shift` (rounding down).
Signal PipelinedSum(Circuit& c, const std::vector<Term>& terms, int stages, int shift, const std::string& name)
{
    const std::size_t groups = std::min(terms.size(), std::size_t{1} << (stages - 1));
    std::vector<Signal> values;
    for (std::size_t g = 0; g < groups; ++g) {
        const auto first = terms.begin() + static_cast<std::ptrdiff_t>(terms.size() * g / groups);
        const auto last = terms.begin() + static_cast<std::ptrdiff_t>(terms.size() * (g + 1) / groups);
        values.push_back(c.Sum({first, last}, name + "_" + std::to_string(g) + "_sum"));
    }
    for (int stage = 1; stage < stages; ++stage) {
        std::vector<Signal> sums;
        for (std::size_t k = 0; k < values.size(); k += 2) {
            const std::string at = name + "_" + std::to_string(stage) + "_" + std::to_string(k);
            const Signal left = c.Delayed(values[k], at, kUndefinedAtFirst);
            if (k + 1 == values.size()) {
                sums.push_back(left);
                continue;
            }
            const Signal right = c.Delayed(values[k + 1], name + "_" + std::to_string(stage) + "_" + std::to_string(k + 1),
                                           kUndefinedAtFirst);
            sums.push_back(c.Add(left, right, at + "_sum"));
        }
        values = sums;
    }
    return c.Delayed(c.ShiftedDown(values.front(), shift), name, kUndefinedAtFirst);
}

// The fine angle d from the point (the phase's low bits, their top bit
// flipped) times pi/2, scaled by 2^c through shifts and adds and rounded:
// d = floor((f pi + half) / 2^shift), and with `negated` -d = floor((-f pi -
// half + 2^shift - 1) / 2^shift), ready `stages` edges after the phase.
Signal Slope(Circuit& c, const UnitPlan& plan, Signal at, int stages, bool negated, const std::string& name)
{
    const Interpolation& in = *plan.interpolation;
    const int s = in.fractionBits;
    const int slopeShift = in.piBits - in.slopeBits;
    const Signal fine = c.Slice(c.Xor(c.Slice(at, 0, Unsigned(s)), Number(c, std::int64_t{1} << (s - 1), Unsigned(s)),
                                      name + "_fine_bits"),
                                0, Signed(s), name + "_fine");
    std::vector<Term> terms;
    for (const auto& [shift, subtracted] : Digits(in.pi))
        terms.push_back({fine, shift, subtracted != negated});
    const std::int64_t half = std::int64_t{1} << (slopeShift - 1);
    terms.push_back({Number(c, negated ? half - 1 : half, Signed(slopeShift + 1))});
    const Signal wide = c.Extension(fine, c.SumType(terms), name + "_fine_wide");
    for (Term& term : terms)
        if (term.value == fine)
            term.value = wide;
    return PipelinedSum(c, terms, stages, slopeShift, name);
}

// From the phase to the table's two words, registered as read.
struct Read {
    Pair words;
    Signal quadrant;
};

Read ReadPoints(Circuit& c, const UnitPlan& plan, Signal at)
{
    const Interpolation& in = *plan.interpolation;
    std::vector<std::uint32_t> words;
    for (const std::int64_t word : in.table)
        words.push_back(static_cast<std::uint32_t>(word));
    c.Section("The quarter table at the middle of its M steps: sin((i + 1/2) * 90/M degrees)\n"
              "times (2^(W-1) - 1) * 2^g, one memory read at two addresses.");
    const int table = c.AddTable("table", Unsigned(in.tableWidth), std::move(words));
    c.Section("The read: the sine at point i and, at the complement of i, its cosine.");
    const Signal point = c.Slice(at, in.fractionBits, Unsigned(in.tableBits), "point");
    Read read;
    read.words.sine = c.Delayed(c.Read(table, point), "sine_point", kUndefinedAtFirst);
    read.words.cosine = c.Delayed(c.Read(table, c.Not(point)), "cosine_point", kUndefinedAtFirst);
    read.quadrant = c.Delayed(c.Slice(at, plan.phaseBits - 2, Unsigned(2), "quadrant"), "quadrant_1");
    return read;
}

// The words registered as read, the block RAM's own output register, and d
// (-d too at first order) beside them.
struct Kept {
    Pair words;     // signed, the table's word with a 0 above it
    Signal slope;   // d
    Signal negated; // -d
    Signal quadrant;
};

Kept KeepRead(Circuit& c, const UnitPlan& plan, const Read& read, Signal at)
{
    const Interpolation& in = *plan.interpolation;
    c.Section("The fine angle d from the point (the low bits, their top bit flipped) times\npi/2, scaled by 2^" +
              std::to_string(in.piBits) + " through shifts and adds, an adder a stage.");
    // From latency 9 on, first order takes d a stage later, an adder a stage.
    const int stages = in.order == 1 && plan.latency >= kFullInterpolatingLatency ? 3 : 2;
    Kept kept;
    kept.slope = Slope(c, plan, at, stages, false, "slope");
    if (in.order == 1)
        kept.negated = Slope(c, plan, at, stages, true, "slope_negated");
    c.Section("The words registered as read: the block RAM's read has a clock of its own.");
    const Type word = Signed(c.At(read.words.sine).type.width + 1);
    kept.words.sine = c.Delayed(c.Extension(read.words.sine, word), "sine_kept", kUndefinedAtFirst);
    kept.words.cosine = c.Delayed(c.Extension(read.words.cosine, word), "cosine_kept", kUndefinedAtFirst);
    kept.quadrant = c.Delayed(read.quadrant, "quadrant_2");
    return kept;
}

// The products' stages: d cos a for the sine, d sin a for the cosine, and
// the bases beside them.
struct Products {
    Pair products;
    Pair bases;
    Signal slope;  // d beside the products
    Signal quadrant;
};

Products Multiply(Circuit& c, const Interpolation& in, const Kept& kept)
{
    c.Section("The products, one multiplier each: d cos a for the sine, d sin a for the cosine.");
    Products p;
    p.products.sine = c.Delayed(c.Product(kept.slope, Cut(c, kept.words.cosine, in.wordCut)), "sine_product",
                                kUndefinedAtFirst);
    p.products.cosine = c.Delayed(c.Product(kept.slope, Cut(c, kept.words.sine, in.wordCut)), "cosine_product",
                                  kUndefinedAtFirst);
    p.bases.sine = c.Delayed(kept.words.sine, "sine_base", kUndefinedAtFirst);
    p.bases.cosine = c.Delayed(kept.words.cosine, "cosine_base", kUndefinedAtFirst);
    p.slope = kept.slope;
    p.quadrant = c.Delayed(kept.quadrant, "quadrant_3");
    return p;
}

// The sums to be rounded: the base, the first-order term added (sine) or
// taken off (cosine), and at second order the other output's term times d/2
// taken off.
struct Sums {
    Pair sums;
    Signal quadrant;
};

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
    // A term wider than the wide port leaves its low bits out of the product.
    const int termCut = in.ports ? std::max(0, c.At(sineTerm).type.width - in.ports->wide) : 0;
    const Signal sineSecond =
        c.Delayed(c.Product(slope4, Cut(c, cosineTerm, termCut)), "sine_second", kUndefinedAtFirst);
    const Signal cosineSecond =
        c.Delayed(c.Product(slope4, Cut(c, sineTerm, termCut)), "cosine_second", kUndefinedAtFirst);
    const Signal sineTerm5 = c.Delayed(sineTerm, "sine_term_5", kUndefinedAtFirst);
    const Signal cosineTerm5 = c.Delayed(cosineTerm, "cosine_term_5", kUndefinedAtFirst);
    const Signal sineBase5 = c.Delayed(sineBase, "sine_base_5", kUndefinedAtFirst);
    const Signal cosineBase5 = c.Delayed(cosineBase, "cosine_base_5", kUndefinedAtFirst);
    const Signal quadrant5 = c.Delayed(quadrant, "quadrant_seconds");
    c.Section("The sums: the base, the first-order term and the second-order one.");
    // (d/2) d sin a and (d/2) d cos a: d is d * (N/4) * 2^F, so a further F + log2(N/4) + 1 bits,
    // fewer the term's bits cut.
    const int shift = in.productShift + in.extraBits + in.wordCut + 1 - termCut;
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

// The multipliers' operands and the bases registered apart from the block
// RAM (latency 7 on), and once more in the multipliers' own input registers
// (latency 9 on, where d has a stage of its own more).
void RegisterOperands(Circuit& c, const UnitPlan& plan, Pair& bases, Kept& kept, Signal& quadrant)
{
    const auto stage = [&](const std::string& suffix, bool slope) {
        bases.sine = c.Delayed(bases.sine, "sine_base_" + suffix, kUndefinedAtFirst);
        bases.cosine = c.Delayed(bases.cosine, "cosine_base_" + suffix, kUndefinedAtFirst);
        kept.words.sine = c.Delayed(kept.words.sine, "sine_word_" + suffix, kUndefinedAtFirst);
        kept.words.cosine = c.Delayed(kept.words.cosine, "cosine_word_" + suffix, kUndefinedAtFirst);
        if (slope) {
            kept.slope = c.Delayed(kept.slope, "slope_" + suffix, kUndefinedAtFirst);
            kept.negated = c.Delayed(kept.negated, "slope_negated_" + suffix, kUndefinedAtFirst);
        }
        quadrant = c.Delayed(quadrant, "quadrant_" + suffix);
    };
    if (plan.latency >= kDefaultInterpolatingLatency) {
        c.Section("The multipliers' operands and the bases registered, apart from the block RAM.");
        stage("3", plan.latency < kFullInterpolatingLatency);
    }
    if (plan.latency >= kFullInterpolatingLatency) {
        c.Section("The multipliers' operands registered once more, in the multipliers' own input registers.");
        stage("4", true);
    }
}

// base + product in two parts, the low part's carry registered, for
// multipliers without an adder of their own, as iCE40's: the bases' low bits
// are constants, so the low part is the product's low bits' carry.
Pair SplitSums(Circuit& c, const UnitPlan& plan, const Pair& bases, const Pair& products, Signal& quadrant)
{
    const Interpolation& in = *plan.interpolation;
    const int k = in.productShift;
    const int low = in.extraBits + k;
    c.Section("The sums in two parts, the low part's carry registered: the bases' low " + std::to_string(low) +
              " bits are\nconstants, so that part is the product's low bits' carry.");
    Pair magnitudes;
    for (auto [out, b, product, name] : {std::tuple{&magnitudes.sine, bases.sine, products.sine, "sine"},
                                         std::tuple{&magnitudes.cosine, bases.cosine, products.cosine, "cosine"}}) {
        const std::string n(name);
        const std::int64_t constant = n == "sine" ? std::int64_t{1} << (k - 1) : (std::int64_t{1} << (k - 1)) - 1;
        const Signal lowSum = c.Sum({{c.Slice(product, 0, Unsigned(low))}, {Number(c, constant, Unsigned(low))}},
                                    n + "_low_sum", Unsigned(low + 1));
        const Signal carry = c.Delayed(c.Bit(lowSum, low), n + "_low_carry", kUndefinedAtFirst);
        const Type productHigh = Signed(c.At(product).type.width - low);
        const Signal high = c.Delayed(c.Slice(product, low, productHigh), n + "_product_high", kUndefinedAtFirst);
        const Signal rounded =
            c.Delayed(c.Slice(b, low, Signed(c.At(b).type.width - low)), n + "_base_high", kUndefinedAtFirst);
        const Signal sum =
            c.Delayed(c.Sum({{rounded}, {high}, {c.Extension(carry, Signed(2))}}), n + "_sum", kUndefinedAtFirst);
        *out = c.Slice(sum, in.guardBits + in.extraBits + k - low, Unsigned(plan.width), n + "_magnitude");
    }
    quadrant = c.Delayed(c.Delayed(quadrant, "quadrant_low"), "quadrant_sum");
    return magnitudes;
}

// First order, where each product's DSP takes its base in its own adder:
//   sine   = floor((C + d cos a) / 2^(k + drop)),  C = (sin a + 2^(g-1)) 2^(X+k) + 2^(k-1)
//   cosine = floor((C' + (-d) sin a) / 2^(k + drop)), C' = (cos a + 2^(g-1)) 2^(X+k) + 2^(k-1) - 1
// which are the product rounded to X bits below the table's last place,
// added to the base and rounded to the output's last place, as one sum: the
// output is the sum's top bits.
Pair FirstOrder(Circuit& c, const UnitPlan& plan, Kept kept, Signal& quadrant)
{
    const Interpolation& in = *plan.interpolation;
    const int k = in.productShift;
    const int low = in.extraBits + k;
    const auto base = [&](Signal word, std::int64_t rounding, const std::string& name) {
        const Signal rounded = c.Add(word, Number(c, std::int64_t{1} << (in.guardBits - 1), Signed(in.guardBits + 1)),
                                     name + "_rounded");
        const Signal joined = c.Concatenation({rounded, Number(c, rounding, Unsigned(low))}, name + "_bits");
        return c.Slice(joined, 0, Signed(c.At(joined).type.width), name);
    };
    c.Section("The bases: each word with the output's rounding in its guard bits and the\nproduct's rounding below it.");
    Pair bases{base(kept.words.sine, std::int64_t{1} << (k - 1), "sine_base"),
               base(kept.words.cosine, (std::int64_t{1} << (k - 1)) - 1, "cosine_base")};
    RegisterOperands(c, plan, bases, kept, quadrant);
    Pair products{c.Product(kept.slope, Cut(c, kept.words.cosine, in.wordCut), "sine_product"),
                  c.Product(kept.negated, Cut(c, kept.words.sine, in.wordCut), "cosine_product")};
    if (plan.latency >= kProductLatency) {
        c.Section("The products, one multiplier each, in its own register.");
        products.sine = c.Delayed(products.sine, "sine_product_q", kUndefinedAtFirst);
        products.cosine = c.Delayed(products.cosine, "cosine_product_q", kUndefinedAtFirst);
        bases.sine = c.Delayed(bases.sine, "sine_base_m", kUndefinedAtFirst);
        bases.cosine = c.Delayed(bases.cosine, "cosine_base_m", kUndefinedAtFirst);
        quadrant = c.Delayed(quadrant, "quadrant_m");
    }
    if (plan.latency >= kSplitSumLatency)
        return SplitSums(c, plan, bases, products, quadrant);
    c.Section("The sums, base and product in each multiplier's own adder.");
    Pair magnitudes;
    for (auto [out, b, product, name] : {std::tuple{&magnitudes.sine, bases.sine, products.sine, "sine"},
                                         std::tuple{&magnitudes.cosine, bases.cosine, products.cosine, "cosine"}}) {
        const Signal sum = c.Delayed(c.Add(b, product), std::string(name) + "_sum", kUndefinedAtFirst);
        *out = c.Slice(sum, k + in.guardBits + in.extraBits, Unsigned(plan.width), std::string(name) + "_magnitude");
    }
    quadrant = c.Delayed(quadrant, "quadrant_sum");
    return magnitudes;
}

// The quadrant's turn in two stages, as the lean unit's: odd quadrants swap
// sine and cosine, and a word of the second half turn is inverted, then its
// one added.
SineCosineSignals SplitTurn(Circuit& c, const UnitPlan& plan, const Pair& magnitudes, Signal quadrant)
{
    const Type word = Unsigned(plan.width);
    c.Section("The turn: odd quadrants swap sine and cosine; a word to be negated is inverted.");
    const Signal odd = c.Bit(quadrant, 0);
    const Signal sinePick = c.Choice(odd, magnitudes.cosine, magnitudes.sine, "sine_pick");
    const Signal cosinePick = c.Choice(odd, magnitudes.sine, magnitudes.cosine, "cosine_pick");
    const Signal sineNegative = c.Bit(quadrant, 1);
    const Signal cosineNegative = c.Xor(c.Bit(quadrant, 1), odd, "cosine_negative");
    const auto kept = [&](Signal pick, Signal negative, const std::string& name) {
        return std::pair{c.Delayed(c.Choice(negative, c.Not(pick), pick), name + "_inverted", kUndefinedAtFirst),
                         c.Delayed(negative, name + "_negate")};
    };
    const auto [sine, sineNegate] = kept(sinePick, sineNegative, "sine");
    const auto [cosine, cosineNegate] = kept(cosinePick, cosineNegative, "cosine");
    c.Section("The one that completes the negation of an inverted word.");
    return {c.Delayed(c.Add(sine, sineNegate, {}, word), "sine", kUndefinedAtFirst),
            c.Delayed(c.Add(cosine, cosineNegate, {}, word), "cosine", kUndefinedAtFirst)};
}

}  // namespace

SineCosineSignals InterpolatingUnit(Circuit& c, const UnitPlan& plan, Signal at)
{
    const Interpolation& in = *plan.interpolation;
    const Kept kept = KeepRead(c, plan, ReadPoints(c, plan, at), at);
    if (in.order == 2)
        return Turn(c, plan, SecondOrder(c, in, Multiply(c, in, kept)));
    Signal quadrant = kept.quadrant;
    const Pair magnitudes = FirstOrder(c, plan, kept, quadrant);
    return SplitTurn(c, plan, magnitudes, quadrant);
}

}  // namespace lumiro::hardware
