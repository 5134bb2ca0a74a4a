// SPDX-License-Identifier: GPL-3.0-or-later
#include "design.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>
#include <string>

#include "hardware/units.h"
#include "sincos_unit.h"
#include "table.h"

namespace lumiro {
namespace {

TableShape Shape(std::int32_t divisions, int width)
{
    TableShape shape;
    shape.divisions = divisions;
    shape.word = *WordKind::Named("fixed:" + std::to_string(width));
    shape.angle = AngleMode::Exact;
    return shape;
}

// The unit for N = 2^P, fixed:W and M (0: lean), measured; none where it cannot be built.
std::optional<Design> Tried(int accumulator, int phaseBits, int width, std::int32_t tableWords)
{
    const std::int32_t divisions = std::int32_t{1} << phaseBits;
    const TableShape shape = Shape(divisions, width);
    if (tableWords > 0 && CheckInterpolation(shape, tableWords, {}) != InterpolationFault::None)
        return std::nullopt;
    const SineTable quarter(shape);
    UnitChoices choices;
    choices.tableWords = tableWords;
    choices.latency = DefaultLatency(shape, tableWords, true);
    choices.nco = NcoPlan{accumulator, 0, false, false, false};
    const UnitPlan plan = PlanUnit(quarter, choices);
    if (plan.interpolation && plan.interpolation->missedPhase)
        return std::nullopt;
    Design design;
    design.accumulatorBits = accumulator;
    design.divisions = divisions;
    design.width = width;
    design.tableWords = tableWords;
    design.guaranteed = GuaranteedSfdr(*plan.nco, hardware::ComplexErrorOf(plan, quarter));
    design.memoryBits = tableWords > 0 ? std::int64_t{tableWords} * plan.interpolation->tableWidth
                                       : std::int64_t{divisions / 4} * width;
    design.multipliers = tableWords > 0 ? 2 * plan.interpolation->order : 0;
    return design;
}

}  // namespace

int AccumulatorFor(const Requirements& asked)
{
    for (int bits = 1; bits <= kWidestAccumulator; ++bits)
        if (std::ldexp(asked.clockHz, -bits) <= asked.resolutionHz)
            return bits;
    return 0;
}

DesignOutcome DesignUnit(const Requirements& asked)
{
    DesignOutcome outcome;
    const int accumulator = AccumulatorFor(asked);
    // The truncation alone allows 20 log10(2N/pi) dB: the least P that reaches the SFDR.
    const auto allows = [](int phaseBits) { return 20 * std::log10(std::ldexp(2.0, phaseBits) / std::numbers::pi); };
    const int most = std::countr_zero(static_cast<std::uint32_t>(kMostInterpolatedDivisions));
    if (allows(most) < asked.sfdrDb) {
        outcome.truncationAllows = allows(most);
        return outcome;
    }
    int least = 3;
    while (allows(least) < asked.sfdrDb)
        ++least;
    const auto consider = [&](const std::optional<Design>& design) {
        if (!design)
            return false;
        if (design->guaranteed > outcome.best.guaranteed || outcome.best.divisions == 0)
            outcome.best = *design;
        if (design->guaranteed < asked.sfdrDb)
            return false;
        if (!outcome.chosen || design->memoryBits < outcome.chosen->memoryBits)
            outcome.chosen = *design;
        return true;
    };
    for (int phaseBits = least; phaseBits < least + kDesignPhaseBitsTried && phaseBits <= most; ++phaseBits) {
        const std::int32_t divisions = std::int32_t{1} << phaseBits;
        const int bits = std::max(accumulator, phaseBits);  // a finer step than asked is no fault
        const int first = asked.width > 0 ? asked.width : std::max(8, phaseBits - 4);
        const int last = asked.width > 0 ? asked.width : 32;
        if (divisions <= kMaxDivisions)
            for (int width = first; width <= last && !consider(Tried(bits, phaseBits, width, 0));)
                ++width;
        for (int width = std::max(first, kNarrowestInterpolated); width <= std::min(last, kWidestInterpolated);
             ++width) {
            const std::int32_t words = LeastTableWords(Shape(divisions, width), {});
            if (words > 0 && consider(Tried(bits, phaseBits, width, words)))
                break;
        }
    }
    return outcome;
}

std::int64_t PlainRuleBits(double sfdrDb)
{
    const int phaseBits = static_cast<int>(std::ceil(sfdrDb / 6.02));
    return (std::int64_t{1} << (phaseBits - 2)) * (phaseBits + 1);
}

}  // namespace lumiro
