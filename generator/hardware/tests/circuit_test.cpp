// SPDX-License-Identifier: GPL-3.0-or-later
// The circuit's widths come from what its values can be, and its evaluation
// is each operation's arithmetic, wrapped to its width: checked against the
// arithmetic written out here, on random operands.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <stdexcept>

#include "hardware/circuit.h"
#include "hardware/evaluation.h"

namespace lumiro::hardware {
namespace {

// `value` as a `width`-bit two's complement or unsigned number.
std::int64_t AsSigned(std::int64_t value, int width)
{
    const std::uint64_t mask = (std::uint64_t{1} << width) - 1;
    const std::uint64_t bits = static_cast<std::uint64_t>(value) & mask;
    return (bits >> (width - 1)) != 0 ? static_cast<std::int64_t>(bits) - static_cast<std::int64_t>(mask) - 1
                                      : static_cast<std::int64_t>(bits);
}

std::int64_t AsUnsigned(std::int64_t value, int width)
{
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(value) & ((std::uint64_t{1} << width) - 1));
}

TEST(Circuit, WidthsHoldEveryValueTheOperandsCanGive)
{
    Circuit c;
    const Signal a = c.Input("a", Unsigned(8));    // 0 .. 255
    const Signal b = c.Input("b", Signed(6));      // -32 .. 31
    EXPECT_EQ(c.At(c.Add(a, a)).type, Unsigned(9));                                         // 0 .. 510
    EXPECT_EQ(c.At(c.Sum({{a, 2}, {a, 0, true}})).type, Unsigned(10));                      // 3a: 0 .. 765
    EXPECT_EQ(c.At(c.Sum({{b, 1}, {b, 0, true}})).type, Signed(6));                          // b itself
    EXPECT_EQ(c.At(c.Negation(b)).type, Signed(7));                                          // -31 .. 32
    EXPECT_EQ(c.At(c.Product(b, b)).type, Signed(12));                                       // both widths
    EXPECT_EQ(c.At(c.ShiftedDown(c.Add(b, c.Constant(16, Signed(6))), 3)).type, Signed(4));  // -2 .. 5
    EXPECT_EQ(c.At(c.Read(c.AddTable("t", Unsigned(10), {3, 700}), c.Bit(a, 0))).range.high, 700);
    // A type given wraps: 0 - 1 in 8 bits.
    const Signal less = c.Subtract(a, c.Constant(1, Unsigned(8)), {}, Unsigned(8));
    EXPECT_EQ(c.At(less).range.low, 0);
    EXPECT_EQ(c.At(less).range.high, 255);
}

TEST(Circuit, RefusesWhatNoPrinterCouldWrite)
{
    Circuit c;
    const Signal a = c.Input("a", Unsigned(8));
    const Signal b = c.Input("b", Signed(8));
    EXPECT_THROW(c.Add(a, b), std::logic_error);                     // a sum of both signs
    EXPECT_THROW(c.Constant(256, Unsigned(8)), std::logic_error);    // beyond its type
    EXPECT_THROW(c.Input("a", Unsigned(1)), std::logic_error);       // a name twice
    EXPECT_THROW(c.Slice(a, 4, Unsigned(5)), std::logic_error);      // beyond its signal
    EXPECT_THROW(c.Subtract(a, c.Constant(1, Unsigned(1))), std::logic_error);  // negative, unsigned, no type
    const Signal wide = c.Input("wide", Unsigned(40));
    EXPECT_THROW(c.Product(wide, wide), std::logic_error);           // 80 bits
}

// Every operation on random operands, evaluated as a function and clock by
// clock, against the arithmetic done here.
TEST(Evaluation, EachOperationIsItsArithmeticWrapped)
{
    Circuit c;
    const Signal a = c.Input("a", Signed(12));
    const Signal b = c.Input("b", Unsigned(9));
    const Signal bs = c.Extension(b, Signed(10));
    const Signal sum = c.Sum({{a, 3}, {bs, 1, true}, {c.Constant(-7, Signed(4))}});
    const Signal wrapped = c.Sum({{a, 5}, {bs}}, {}, Signed(13));
    const Signal product = c.Product(a, bs);
    const Signal negated = c.Negation(b, {}, Unsigned(9));
    const Signal bits = c.Xor(c.Slice(a, 3, Unsigned(9)), c.Not(b));
    const Signal top = c.Slice(a, 4, Signed(8));
    const Signal middle = c.Slice(a, 2, Signed(5));
    const Signal joined = c.Concatenation({c.Bit(a, 11), b, c.Constant(5, Unsigned(3))});
    const Signal less = c.Less(a, bs);
    const Signal equal = c.Equal(c.Slice(a, 0, Unsigned(9)), b);
    const Signal chosen = c.Choice(less, c.Slice(a, 0, Unsigned(9)), b);
    const Signal outputs[] = {sum, wrapped, product, negated, bits, top, middle, joined, less, equal, chosen};
    for (const Signal out : outputs)
        c.Output("o" + std::to_string(out.id), c.Delayed(out, "r" + std::to_string(out.id)));
    Function function(c);
    Simulation simulation(c);
    EXPECT_EQ(function.Latency(), 1);
    std::mt19937_64 random(12345);
    for (int trial = 0; trial < 2000; ++trial) {
        const std::int64_t x = AsSigned(static_cast<std::int64_t>(random()), 12);
        const std::int64_t y = AsUnsigned(static_cast<std::int64_t>(random()), 9);
        const std::int64_t expected[] = {
            8 * x - 2 * y - 7,
            AsSigned(32 * x + y, 13),
            x * y,
            AsUnsigned(-y, 9),
            (AsUnsigned(x >> 3, 9) ^ (~y & 511)),
            x >> 4,
            AsSigned(x >> 2, 5),
            (AsUnsigned(x >> 11, 1) << 12) | (y << 3) | 5,
            x < y ? 1 : 0,
            AsUnsigned(x, 9) == y ? 1 : 0,
            x < y ? AsUnsigned(x, 9) : y,
        };
        std::int64_t got[std::size(outputs)];
        std::vector<std::pair<Signal, std::int64_t*>> taken;
        for (std::size_t k = 0; k < std::size(outputs); ++k)
            taken.emplace_back(c.Outputs()[k].value, &got[k]);
        const std::pair<Signal, const std::int64_t*> given[] = {{a, &x}, {b, &y}};
        function.Evaluate(given, taken, 1);
        simulation.Set(a, x);
        simulation.Set(b, y);
        simulation.Clock();
        for (std::size_t k = 0; k < std::size(outputs); ++k) {
            ASSERT_EQ(got[k], expected[k]) << "operation " << k << " of " << x << ", " << y;
            ASSERT_EQ(simulation.Get(c.Outputs()[k].value), expected[k]) << "clocked, operation " << k;
        }
    }
}

TEST(Evaluation, RegistersHoldWhileDisabledAndResetFirst)
{
    Circuit c;
    const Signal enable = c.Input("ce", Unsigned(1));
    const Signal reset = c.Input("reset", Unsigned(1));
    c.EnableBy(enable);
    const Signal count = c.Register("count", Unsigned(4), RegisterOptions::ResetBy(reset, 9));
    c.Connect(count, c.Add(count, c.Constant(1, Unsigned(4)), {}, Unsigned(4)));
    c.Output("count", count);
    Simulation s(c);
    EXPECT_EQ(s.Get(count), 9);  // its reset value at power-up
    s.Set(enable, 1);
    for (int edge = 0; edge < 8; ++edge)
        s.Clock();
    EXPECT_EQ(s.Get(count), 1);  // 9 + 8, in 4 bits
    s.Set(enable, 0);
    s.Clock();
    EXPECT_EQ(s.Get(count), 1);
    s.Set(reset, 1);
    s.Clock();
    EXPECT_EQ(s.Get(count), 9);  // reset acts while disabled too
}

TEST(Evaluation, AFunctionNeedsPathsOfEqualLengthAndNoLoop)
{
    Circuit uneven;
    const Signal a = uneven.Input("a", Unsigned(4));
    uneven.Output("o", uneven.Delayed(uneven.Add(a, uneven.Delayed(a, "late")), "sum"));
    EXPECT_THROW(Function{uneven}, std::logic_error);

    Circuit loop;
    const Signal reg = loop.Register("accumulator", Unsigned(4));
    loop.Connect(reg, loop.Add(reg, loop.Constant(1, Unsigned(4)), {}, Unsigned(4)));
    loop.Output("o", reg);
    EXPECT_THROW(Function{loop}, std::logic_error);
}

}  // namespace
}  // namespace lumiro::hardware
