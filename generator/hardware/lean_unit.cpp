// SPDX-License-Identifier: GPL-3.0-or-later
// The lean unit: one quarter table read at two addresses unfolds into the
// full turn's sine and cosine. For N a power of two the quadrant is the
// phase's top bits and one port reads at the offset with no logic in front;
// any other N finds its places by comparisons. After the read, the peak is
// put in and a word to be negated inverted; the last stage adds its one.
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "builders.h"

namespace lumiro::hardware {
namespace {

// What the read gives each output: its word, and whether it is negated or
// the peak instead (none where no phase falls on the peak).
struct Words {
    Signal word;
    Signal negative;
    Signal peak;
};

struct Read {
    Words sine;
    Words cosine;
    // N a power of two: the two ports' words and which of them each output
    // takes, chosen only after the stages that register the words as read.
    Signal direct;
    Signal mirror;
    Signal odd;
};

constexpr RegisterOptions kUndefinedAtFirst = RegisterOptions::Undefined();

// The quarter table, as many words as its address reaches: those beyond Q,
// which only a phase at the peak or beyond N reads, are 0.
int QuarterTable(Circuit& c, const UnitPlan& plan, const SineTable& quarter)
{
    std::vector<std::uint32_t> words(std::size_t{1} << plan.addressBits, 0);
    for (std::int32_t i = 0; i < plan.quarter; ++i)
        words[static_cast<std::size_t>(i)] = quarter.Word(i);
    const bool padded = words.size() > static_cast<std::size_t>(plan.quarter);
    c.Section("The quarter table: one memory read at two addresses, one dual-port block RAM." +
              std::string(padded ? "\nThe words from Q on, which no phase's word comes from, are 0." : ""));
    return c.AddTable("quarter", Unsigned(plan.width), std::move(words));
}

// N a power of two: no comparison, only the phase's bits, and no logic
// between the phase and one of the two read ports.
Read ByQuadrant(Circuit& c, const UnitPlan& plan, int table, Signal at)
{
    const int bits = plan.addressBits;
    c.Section("Where a phase falls: the quadrant is its top two bits, the offset in it\n"
              "the others; odd quadrants read the quarter mirrored, at Q - offset\n"
              "(0 there is the peak) or, half a step on, at Q - 1 - offset.");
    Signal quadrant = c.Slice(at, plan.phaseBits - 2, Unsigned(2), "quadrant");
    Signal offset = c.Slice(at, 0, Unsigned(bits), "offset");
    // Q - k as ~(k - 1): a carry chain with no inverter in front of it.
    Signal mirrored = plan.halfStep
                          ? c.Not(offset, "mirrored")
                          : c.Not(c.Subtract(offset, Number(c, 1, Unsigned(bits)), {}, Unsigned(bits)), "mirrored");
    if (plan.registersAddress()) {
        c.Section("Registered: the read starts from a register.");
        quadrant = c.Delayed(quadrant, "quadrant_held");
        offset = c.Delayed(offset, "offset_held");
        mirrored = c.Delayed(mirrored, "mirrored_held");
    }
    c.Section("The read: one port at the offset, the other at its mirror. The sine takes\n"
              "the mirror's word in odd quadrants, the cosine, a quadrant on, in even\n"
              "ones; the second half turn is negated.");
    const Signal direct = c.Delayed(c.Read(table, offset), "direct_word", kUndefinedAtFirst);
    const Signal mirror = c.Delayed(c.Read(table, mirrored), "mirror_word", kUndefinedAtFirst);
    const Signal odd = c.Delayed(c.Bit(quadrant, 0), "odd");
    Read read{{{}, c.Delayed(c.Bit(quadrant, 1), "sine_negative"), {}},
              {{}, c.Delayed(c.Xor(c.Bit(quadrant, 1), c.Bit(quadrant, 0)), "cosine_negative"), {}},
              direct, mirror, odd};
    if (!plan.halfStep) {
        const Signal atZero = c.Equal(offset, Number(c, 0, Unsigned(bits)), "at_zero");
        read.sine.peak = c.Delayed(c.And(c.Bit(quadrant, 0), atZero), "sine_peak");
        read.cosine.peak = c.Delayed(c.And(c.Not(c.Bit(quadrant, 0)), atZero), "cosine_peak");
    }
    return read;
}

// The sine takes the mirror's word in odd quadrants, the cosine the other.
Read Chosen(Circuit& c, Read read)
{
    if (!read.odd)
        return read;
    read.sine.word = c.Choice(read.odd, read.mirror, read.direct, "sine_word");
    read.cosine.word = c.Choice(read.odd, read.direct, read.mirror, "cosine_word");
    return read;
}

struct Place {
    Signal address;
    Signal negative;
    Signal peak;
};

// Where phase position k (P + 1 bits, below N) falls in the quarter table.
Place PlaceOf(Circuit& c, const UnitPlan& plan, Signal k, const std::string& which)
{
    const Type wide = Unsigned(plan.phaseBits + 1);
    const std::int64_t q = plan.quarter;
    const Signal negative = c.Less(Number(c, 2 * q - 1, wide), k, which + "_negative_place");
    const Signal within =
        c.Choice(negative, c.Subtract(k, Number(c, 2 * q, wide), {}, wide), k, which + "_within");
    const Signal mirror = c.Sum({{Number(c, 2 * q - (plan.halfStep ? 1 : 0), wide)}, {within, 0, true}},
                                which + "_mirror", wide);
    const Signal place = c.Choice(c.Less(within, Number(c, q, wide), which + "_below"), within, mirror, which + "_place");
    return {c.Slice(place, 0, Unsigned(plan.addressBits), which + "_address"), negative,
            plan.halfStep ? Signal{} : c.Equal(within, Number(c, q, wide), which + "_at_peak")};
}

// Any other N: comparisons, at the phase's width and one bit more.
Read ByPlace(Circuit& c, const UnitPlan& plan, int table, Signal at)
{
    c.Section("Where the phase, and the phase a quarter turn on, fall in the quarter\n"
              "table: in the second half turn the word is negated; past Q it is\n"
              "mirrored, and at Q itself the peak.");
    const Type wide = Unsigned(plan.phaseBits + 1);
    const Signal k = c.Extension(at, wide, "sine_at");
    const Signal ahead = c.Add(k, Number(c, plan.quarter, wide), "ahead", wide);
    const Signal beyond = c.Less(Number(c, plan.divisions - 1, wide), ahead, "beyond");
    const Signal cosineAt =
        c.Choice(beyond, c.Subtract(ahead, Number(c, plan.divisions, wide), {}, wide), ahead, "cosine_at");
    Place sine = PlaceOf(c, plan, k, "sine");
    Place cosine = PlaceOf(c, plan, cosineAt, "cosine");
    if (plan.registersAddress()) {
        c.Section("Registered: the read starts from a register.");
        for (auto [place, which] : {std::pair{&sine, "sine"}, std::pair{&cosine, "cosine"}}) {
            const std::string name(which);
            place->address = c.Delayed(place->address, name + "_address_held");
            place->negative = c.Delayed(place->negative, name + "_negative_held");
            if (place->peak)
                place->peak = c.Delayed(place->peak, name + "_peak_held");
        }
    }
    c.Section("The read: both words at once; how each is to be turned goes along.");
    Read read;
    for (auto [place, words, which] :
         {std::tuple{&sine, &read.sine, "sine"}, std::tuple{&cosine, &read.cosine, "cosine"}}) {
        const std::string name(which);
        words->word = c.Delayed(c.Read(table, place->address), name + "_word", kUndefinedAtFirst);
        words->negative = c.Delayed(place->negative, name + "_negative");
        if (place->peak)
            words->peak = c.Delayed(place->peak, name + "_peak");
    }
    return read;
}

// The stage that latency 4 adds: the words as the block RAM reads them, and
// how to turn them, once more, so that the RAM's own output register can
// take them.
Read Reread(Circuit& c, const Read& read)
{
    c.Section("The words registered once more as read: the block RAM's output register.");
    Read again;
    if (read.odd) {
        again.direct = c.Delayed(read.direct, "direct_read", kUndefinedAtFirst);
        again.mirror = c.Delayed(read.mirror, "mirror_read", kUndefinedAtFirst);
        again.odd = c.Delayed(read.odd, "odd_read");
    }
    for (auto [from, to, which] :
         {std::tuple{&read.sine, &again.sine, "sine"}, std::tuple{&read.cosine, &again.cosine, "cosine"}}) {
        const std::string name(which);
        if (!read.odd)
            to->word = c.Delayed(from->word, name + "_read", kUndefinedAtFirst);
        to->negative = c.Delayed(from->negative, name + "_read_negative");
        if (from->peak)
            to->peak = c.Delayed(from->peak, name + "_read_peak");
    }
    return again;
}

// The turn after the read: a float's sign bit flipped (+0 staying +0) where
// the word is negated; a two's complement word inverted when it is kept and
// its one added in the last stage, so that no stage holds both a block RAM
// read and a carry chain.
SineCosineSignals Turned(Circuit& c, const UnitPlan& plan, const Read& read)
{
    const Type word = Unsigned(plan.width);
    // No phase falls on the peak half a step on.
    const Signal peak = read.sine.peak ? c.Constant(plan.peak, word, "peak") : Signal{};
    c.Section(plan.signBitNegation ? "The words registered, the peak put in."
                                   : "The words registered, the peak put in and, to be negated, inverted.");
    std::pair<Signal, Signal> kept[2];
    int at = 0;
    for (auto [words, which] : {std::pair{&read.sine, "sine"}, std::pair{&read.cosine, "cosine"}}) {
        const std::string name(which);
        Signal peaked = words->peak ? c.Choice(words->peak, peak, words->word, name + "_peaked") : words->word;
        if (!plan.signBitNegation)
            peaked = c.Choice(words->negative, c.Not(peaked), peaked);
        kept[at++] = {c.Delayed(peaked, name + "_kept", kUndefinedAtFirst), c.Delayed(words->negative, name + "_negate")};
    }
    c.Section(plan.signBitNegation ? "The turn: the second half turn negated by the sign bit, +0 staying +0."
                                   : "The turn: one added to an inverted word, which completes its negation.");
    SineCosineSignals out;
    at = 0;
    for (auto [signal, which] : {std::pair{&out.sine, "sine"}, std::pair{&out.cosine, "cosine"}}) {
        const std::string name(which);
        const auto [value, negate] = kept[at++];
        Signal turned;
        if (plan.signBitNegation) {
            const Signal zero = c.Equal(value, Number(c, 0, word), name + "_zero");
            const Signal flip = c.And(negate, c.Not(zero), name + "_flip");
            turned = c.Choice(flip, c.Xor(value, c.Constant(std::int64_t{1} << (plan.width - 1), word)), value);
        } else {
            turned = c.Add(value, negate, {}, word);
        }
        *signal = c.Delayed(turned, name, kUndefinedAtFirst);
    }
    return out;
}

}  // namespace

Signal Number(Circuit& c, std::int64_t value, Type type)
{
    return c.Constant(value, type);
}

SineCosineSignals LeanUnit(Circuit& c, const UnitPlan& plan, const SineTable& quarter, Signal at)
{
    const int table = QuarterTable(c, plan, quarter);
    Read read = plan.quadrantFromTopBits ? ByQuadrant(c, plan, table, at) : ByPlace(c, plan, table, at);
    if (plan.registersRead())
        read = Reread(c, read);
    return Turned(c, plan, Chosen(c, read));
}

}  // namespace lumiro::hardware
