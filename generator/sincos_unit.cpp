// SPDX-License-Identifier: GPL-3.0-or-later
#include "sincos_unit.h"

#include <bit>

namespace lumiro {
namespace {

int BitsFor(std::int64_t count)
{
    int bits = 1;  // a one-word memory still has an address
    while ((std::int64_t{1} << bits) < count)
        ++bits;
    return bits;
}

std::uint32_t Negated(const UnitPlan& plan, std::uint32_t word)
{
    const std::uint32_t mask = plan.width == 32 ? ~0U : (1U << plan.width) - 1;
    if (plan.signBitNegation)
        return word == 0 ? word : word ^ (1U << (plan.width - 1));
    return (0U - word) & mask;
}

}  // namespace

UnitPlan PlanUnit(const SineTable& quarter, const UnitChoices& choices)
{
    const TableShape& shape = quarter.shape();
    const auto n = static_cast<std::uint32_t>(shape.divisions);
    return UnitPlan{
        .divisions = shape.divisions,
        .quarter = quarter.Count(),
        .phaseBits = BitsFor(shape.divisions),
        .addressBits = BitsFor(quarter.Count()),
        .width = quarter.Width(),
        .quadrantFromTopBits = std::has_single_bit(n) && n >= 8,
        .halfStep = shape.halfStep,
        .peak = shape.word.Round(1.0),  // not a table word without its end sample
        .signBitNegation = shape.word.isFloat(),
        .latency = choices.latency,
        .clockEnable = choices.clockEnable,
    };
}

UnitPlace PlaceOf(const UnitPlan& plan, std::int64_t k)
{
    const std::int64_t q = plan.quarter;
    const std::int64_t mirror = plan.halfStep ? 1 : 0;
    const bool negated = k >= 2 * q;
    const std::int64_t within = negated ? k - 2 * q : k;  // in the first half turn
    if (within < q)
        return {static_cast<std::int32_t>(within), false, negated};
    if (!plan.halfStep && within == q)
        return {0, true, negated};
    return {static_cast<std::int32_t>(2 * q - within - mirror), false, negated};
}

std::uint32_t UnitSine(const UnitPlan& plan, const SineTable& quarter, std::int64_t phase)
{
    const UnitPlace place = PlaceOf(plan, phase);
    const std::uint32_t word = place.peak ? plan.peak : quarter.Word(place.address);
    return place.negated ? Negated(plan, word) : word;
}

std::uint32_t UnitCosine(const UnitPlan& plan, const SineTable& quarter, std::int64_t phase)
{
    return UnitSine(plan, quarter, (phase + plan.quarter) % plan.divisions);
}

std::vector<std::uint32_t> UnitSineSweep(const UnitPlan& plan, const SineTable& quarter)
{
    std::vector<std::uint32_t> words(static_cast<std::size_t>(plan.divisions));
    for (std::int32_t phase = 0; phase < plan.divisions; ++phase)
        words[static_cast<std::size_t>(phase)] = UnitSine(plan, quarter, phase);
    return words;
}

TableShape UnitPeriod(const TableShape& quarter)
{
    TableShape period = quarter;
    period.span = Span::Full;
    return period;
}

}  // namespace lumiro
