// SPDX-License-Identifier: GPL-3.0-or-later
// A testbench's vectors: the phases it gives, and the clocks it counts as the
// unit's outputs, which must be the words of those phases in order, once each.
#include <gtest/gtest.h>

#include <set>

#include "hardware/bench.h"
#include "hardware/units.h"

namespace lumiro::hardware {
namespace {

TableShape Exact(std::int32_t divisions, const char* word)
{
    TableShape shape;
    shape.divisions = divisions;
    shape.word = *WordKind::Named(word);
    shape.angle = AngleMode::Exact;
    return shape;
}

TEST(Bench, EveryPhaseOrASampleWithTheQuadrantsEdges)
{
    const std::vector<std::int64_t> every = BenchPhases(1000);
    ASSERT_EQ(every.size(), 1000U);
    for (std::size_t p = 0; p < every.size(); ++p)
        ASSERT_EQ(every[p], static_cast<std::int64_t>(p));

    const std::int64_t n = std::int64_t{1} << 24;
    const std::vector<std::int64_t> sample = BenchPhases(static_cast<std::int32_t>(n));
    ASSERT_EQ(sample.size(), std::size_t{1} << 20);
    const std::set<std::int64_t> distinct(sample.begin(), sample.end());
    EXPECT_EQ(distinct.size(), sample.size());
    EXPECT_GE(*distinct.begin(), 0);
    EXPECT_LT(*distinct.rbegin(), n);
    for (std::int64_t edge : {std::int64_t{0}, n / 4, n / 2, 3 * n / 4})
        for (std::int64_t phase : {edge - 1, edge, edge + 1})
            EXPECT_TRUE(distinct.contains((phase + n) % n)) << phase;
    // The rest spread: no gap much wider than N / 2^20.
    std::int64_t previous = 0;
    for (std::int64_t phase : distinct) {
        EXPECT_LE(phase - previous, 2 * n / (std::int64_t{1} << 20)) << phase;
        previous = phase;
    }
}

// The counted clocks' words, in order, against the unit's model at each phase.
void ExpectCountedWordsArePhasesInOrder(const UnitPlan& plan, const SineTable& quarter, const char* label)
{
    SCOPED_TRACE(label);
    const Circuit circuit = UnitCircuit(plan, quarter);
    UnitModel model(plan, quarter);
    const std::vector<std::int64_t> phases = BenchPhases(plan.divisions);
    std::size_t next = 0;
    std::int64_t idle = 0;
    const std::int64_t counted = RunBench(circuit, plan, [&](const BenchClock& clock) {
        idle += !clock.counted;
        if (!clock.counted)
            return;
        ASSERT_LT(next, phases.size());
        const SineCosine words = model.At(phases[next]);
        if (plan.axiStream) {
            const int half = WholeBytes(plan.width);
            const std::uint64_t mask = (std::uint64_t{1} << plan.width) - 1;
            EXPECT_EQ(clock.outputs.back() & mask, words.cosine) << "phase " << phases[next];
            EXPECT_EQ((clock.outputs.back() >> half) & mask, words.sine) << "phase " << phases[next];
        } else {
            EXPECT_EQ(clock.outputs[0], words.sine) << "phase " << phases[next];
            EXPECT_EQ(clock.outputs[1], words.cosine) << "phase " << phases[next];
        }
        ++next;
    });
    EXPECT_EQ(counted, static_cast<std::int64_t>(phases.size()));
    EXPECT_EQ(next, phases.size());
    // ce, in_valid and tready low at random leave about one clock in four uncounted, or more.
    if (plan.clockEnable || plan.valid || plan.axiStream) {
        EXPECT_GT(idle, counted / 8);
    }
}

TEST(Bench, CountsEachPhasesWordsOnceInOrderWhateverTheHandshakes)
{
    const SineTable lean(Exact(1000, "fixed:12"));
    UnitChoices choices{5, true, 0, {}, {}};
    ExpectCountedWordsArePhasesInOrder(PlanUnit(lean, choices), lean, "ce");
    choices.valid = true;
    ExpectCountedWordsArePhasesInOrder(PlanUnit(lean, choices), lean, "ce and valid");
    choices.valid = false;
    choices.axiStream = true;
    ExpectCountedWordsArePhasesInOrder(PlanUnit(lean, choices), lean, "AXI with aclken");
    const SineTable interpolated(Exact(65536, "fixed:16"));
    UnitChoices plain{kDefaultInterpolatingLatency, false, 256, {}, {}};
    ExpectCountedWordsArePhasesInOrder(PlanUnit(interpolated, plain), interpolated, "interpolating");
}

}  // namespace
}  // namespace lumiro::hardware
