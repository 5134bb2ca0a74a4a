// SPDX-License-Identifier: GPL-3.0-or-later
// The units' circuits: their outputs come the edges after their phase that
// the plan (and so the header) states, and the oscillator's model is the
// oscillator its header describes, written apart from the circuit.
#include <gtest/gtest.h>

#include "hardware/units.h"
#include "reference_oscillator.h"

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

TEST(Units, OutputsComeAsManyEdgesLaterAsThePlanSays)
{
    struct Case {
        TableShape shape;
        std::int32_t tableWords;
        int least;
    };
    for (const Case& unit : {Case{Exact(4096, "fixed:16"), 0, kLeastUnitLatency},
                             Case{Exact(1000, "fixed:12"), 0, kLeastUnitLatency},
                             Case{Exact(65536, "fixed:16"), 256, kLeastInterpolatingLatency},
                             Case{Exact(16384, "fixed:24"), 256, kLeastSecondOrderLatency}}) {
        const SineTable quarter(unit.shape);
        for (int latency = unit.least; latency <= kMostUnitLatency; ++latency) {
            const UnitPlan plan = PlanUnit(quarter, {latency, false, unit.tableWords, {}, {}});
            EXPECT_EQ(Function(CoreCircuit(plan, quarter)).Latency(), latency)
                << unit.shape.divisions << " " << unit.tableWords;
        }
    }
}

// From latency 4 on, the words leave the block RAM into a register that
// nothing but another register reads: the RAM's own output register.
TEST(Units, TheLeanUnitsFourthStageRegistersTheWordsAsRead)
{
    for (const std::int32_t divisions : {4096, 1000}) {
        const SineTable quarter(Exact(divisions, "fixed:16"));
        const Circuit c = CoreCircuit(PlanUnit(quarter, {4, false, 0, {}, {}}), quarter);
        int reads = 0;
        for (std::size_t at = 0; at < c.Nodes().size(); ++at) {
            const Node& reg = c.Nodes()[at];
            if (reg.op != Op::Register || c.At(reg.next).op != Op::Read)
                continue;
            ++reads;
            for (const Node& reader : c.Nodes())
                for (const Signal operand : reader.operands)
                    EXPECT_NE(operand.id, static_cast<std::int32_t>(at)) << reg.name << " read by " << reader.name;
        }
        EXPECT_EQ(reads, 2) << divisions;
    }
}

// With --multiplier every product's d fits the narrow port and its other
// operand the wide one, and the unit is still proven within 1 LSB; without,
// the same units have a product wider than the ports, so the cut is what fits.
TEST(Units, ProductsFitTheMultipliersPortsTheyAreGiven)
{
    struct Case {
        TableShape shape;
        std::int32_t tableWords;
        MultiplierPorts ports;
    };
    for (const Case& unit : {Case{Exact(1 << 20, "fixed:24"), 1024, {25, 18}},
                             Case{Exact(1 << 16, "fixed:20"), 512, {18, 18}},
                             Case{Exact(4096, "fixed:16"), 256, {16, 16}}}) {
        const SineTable quarter(unit.shape);
        const auto widest = [&](const Ports& ports) {
            const UnitPlan plan = PlanUnit(quarter, {kLeastSecondOrderLatency, false, unit.tableWords, {}, ports});
            EXPECT_FALSE(plan.interpolation->missedPhase) << unit.shape.divisions;
            EXPECT_LT(plan.interpolation->largestError, 1.0) << unit.shape.divisions;
            const Circuit c = CoreCircuit(plan, quarter);
            MultiplierPorts needed{};
            for (const Node& node : c.Nodes())
                if (node.op == Op::Product) {
                    const int a = c.At(node.operands[0]).type.width;
                    const int b = c.At(node.operands[1]).type.width;
                    needed.wide = std::max(needed.wide, std::max(a, b));
                    needed.narrow = std::max(needed.narrow, std::min(a, b));
                }
            return needed;
        };
        const MultiplierPorts cut = widest(unit.ports);
        EXPECT_LE(cut.wide, unit.ports.wide) << unit.shape.divisions;
        EXPECT_LE(cut.narrow, unit.ports.narrow) << unit.shape.divisions;
        const MultiplierPorts full = widest({});
        EXPECT_TRUE(full.wide > unit.ports.wide || full.narrow > unit.ports.narrow) << unit.shape.divisions;
    }
}

TEST(Units, OscillatorIsItsAccumulatorDitherAndOffsetBeforeTheUnit)
{
    struct Case {
        int accumulator;
        bool dither;
        bool offset;
        std::uint64_t frequency;
    };
    const SineTable quarter(Exact(4096, "fixed:16"));
    for (const Case& nco : {Case{32, false, false, 0x01234567}, Case{32, true, true, 0x7FFFFFF0},
                            Case{64, true, false, 0xFEDCBA9876543210}, Case{12, false, true, 0x135}}) {
        const UnitPlan plan = PlanUnit(quarter, {4, false, 0, NcoPlan{nco.accumulator, 0, nco.offset, true, nco.dither}, {}});
        const std::uint64_t offset = nco.offset ? 0x0F0F0F0F0F0F0F0FULL & plan.nco->mask() : 0;
        OscillatorModel model(plan, quarter, nco.frequency, offset);
        testing::ReferenceOscillator reference(nco.accumulator, plan.phaseBits, nco.dither, nco.frequency, offset);
        UnitModel unit(plan, quarter);
        for (int clock = 0; clock < 5000; ++clock) {
            const SineCosine got = model.Next();
            const SineCosine wanted = unit.At(static_cast<std::int64_t>(reference.NextPhase()));
            ASSERT_EQ(got.sine, wanted.sine) << nco.accumulator << " bits, clock " << clock;
            ASSERT_EQ(got.cosine, wanted.cosine) << nco.accumulator << " bits, clock " << clock;
        }
    }
}

}  // namespace
}  // namespace lumiro::hardware
