// SPDX-License-Identifier: GPL-3.0-or-later
// The units' circuits: their outputs come the edges after their phase that
// the plan (and so the header) states, and the oscillator's model is the
// oscillator its header describes, written apart from the circuit.
#include <gtest/gtest.h>

#include <deque>
#include <random>

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

// out_valid, edge by edge with ce and in_valid at random: the in_valid given
// `latency` enabled edges before, and where high, the words of that phase.
TEST(Units, OutValidIsInValidAsManyEnabledEdgesLaterAsTheWords)
{
    struct Case {
        TableShape shape;
        std::int32_t tableWords;
        int latency;
    };
    std::mt19937_64 random(38);
    for (const Case& unit : {Case{Exact(1000, "fixed:12"), 0, 5}, Case{Exact(65536, "fixed:16"), 256, 7}}) {
        const SineTable quarter(unit.shape);
        UnitChoices choices{unit.latency, true, unit.tableWords, {}, {}};
        choices.valid = true;
        const UnitPlan plan = PlanUnit(quarter, choices);
        const Circuit c = UnitCircuit(plan, quarter);
        Simulation simulation(c);
        UnitModel model(plan, quarter);
        std::deque<std::pair<std::int64_t, bool>> given(static_cast<std::size_t>(unit.latency), {0, false});
        for (int edge = 0; edge < 4000; ++edge) {
            const bool ce = random() % 3 != 0;
            const auto phase = static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(unit.shape.divisions));
            const bool valid = random() % 2 == 0;
            simulation.Set(c.InputNamed("ce"), ce);
            simulation.Set(c.InputNamed("phase"), phase);
            simulation.Set(c.InputNamed("in_valid"), valid);
            simulation.Clock();
            if (ce) {
                given.emplace_back(phase, valid);
                given.pop_front();
            }
            const auto [from, wanted] = given.front();
            ASSERT_EQ(simulation.Get(c.OutputNamed("out_valid")), wanted) << unit.shape.divisions << ", edge " << edge;
            if (wanted) {
                ASSERT_EQ(simulation.Get(c.OutputNamed("sine")), model.At(from).sine) << "edge " << edge;
            }
        }
    }
}

// Behind an oscillator, with reset pulses on edges with ce high and low:
// out_valid low until D enabled edges after power-up or the last reset, and
// where high, the words of the value that many edges on from 0.
TEST(Units, OscillatorsOutValidRisesWithTheWordsOfItsFirstValue)
{
    const SineTable quarter(Exact(4096, "fixed:16"));
    UnitChoices choices{5, true, 0, NcoPlan{32, 0, true, true, true}, {}};
    choices.valid = true;
    const UnitPlan plan = PlanUnit(quarter, choices);
    const Circuit c = UnitCircuit(plan, quarter);
    const std::uint64_t frequency = 0x01234567;
    const std::uint64_t offset = 0x0F0F0F0F;
    testing::ReferenceOscillator reference(32, plan.phaseBits, true, frequency, offset);
    UnitModel unit(plan, quarter);
    std::vector<std::uint32_t> sines;
    for (int k = 0; k < 3000; ++k)
        sines.push_back(unit.At(static_cast<std::int64_t>(reference.NextPhase())).sine);
    Simulation simulation(c);
    simulation.Set(c.InputNamed("frequency"), static_cast<std::int64_t>(frequency));
    simulation.Set(c.InputNamed("phase_offset"), static_cast<std::int64_t>(offset));
    const int delay = OscillatorDelay(plan);
    std::mt19937_64 random(38);
    int enabled = 0;  // since power-up or the last reset
    int resets = 0;
    for (int edge = 0; edge < 20000; ++edge) {
        const bool ce = random() % 3 != 0;
        const bool reset = random() % 500 == 0;
        resets += reset && !ce;
        simulation.Set(c.InputNamed("ce"), ce);
        simulation.Set(c.InputNamed("reset"), reset);
        simulation.Clock();
        enabled = reset ? 0 : enabled + ce;
        const bool valid = enabled >= delay;
        ASSERT_EQ(simulation.Get(c.OutputNamed("out_valid")), valid) << "edge " << edge;
        if (valid && enabled - delay < static_cast<int>(sines.size())) {
            ASSERT_EQ(simulation.Get(c.OutputNamed("sine")), sines[static_cast<std::size_t>(enabled - delay)])
                << "edge " << edge << ", value " << enabled - delay;
        }
    }
    EXPECT_GT(resets, 3);  // some of them on edges ce left disabled
}

// An AXI4-Stream master and slave around the unit, both at random (tvalid held
// until taken, as the rules bid): the beats taken are the phases accepted, in
// order, each once; a beat waiting stays as it was; with tready high and a phase
// on every edge, a beat on every edge.
class Stream {
public:
    Stream(const UnitPlan& plan, const SineTable& quarter) : c_(UnitCircuit(plan, quarter)), simulation_(c_), plan_(plan)
    {
    }
    Signal In(const char* name) const { return c_.InputNamed(name); }
    Signal Out(const char* name) const { return c_.OutputNamed(name); }
    std::int64_t Get(Signal s) { return simulation_.Get(s); }
    void Set(Signal s, std::int64_t value) { simulation_.Set(s, value); }

    // The slave's tready and aclken until the next edge.
    void Drive(bool ready, bool enabled)
    {
        Set(In("m_axis_data_tready"), ready);
        if (const Signal aclken = In("aclken"))
            Set(aclken, enabled);
    }

    // One edge with the slave's tready and aclken as given; true where a beat
    // was taken, its data in `beat`.
    bool Edge(bool ready, bool enabled, std::int64_t& beat)
    {
        Drive(ready, enabled);
        const bool valid = Get(Out("m_axis_data_tvalid")) != 0;
        beat = Get(Out("m_axis_data_tdata"));
        simulation_.Clock();
        const bool taken = valid && ready && enabled;
        if (valid && !taken) {
            EXPECT_EQ(Get(Out("m_axis_data_tvalid")), 1) << "a waiting beat withdrawn";
            EXPECT_EQ(Get(Out("m_axis_data_tdata")), beat) << "a waiting beat changed";
        }
        return taken;
    }

    // The beat of a sine and cosine: each widened to whole bytes by its sign.
    std::int64_t Beat(SineCosine words) const
    {
        const int w = plan_.width;
        const int half = (w + 7) / 8 * 8;
        const auto widened = [&](std::uint32_t word) {
            std::uint64_t value = word;
            if (((word >> (w - 1)) & 1U) != 0)
                value |= ((std::uint64_t{1} << half) - 1) & ~((std::uint64_t{1} << w) - 1);
            return value;
        };
        return static_cast<std::int64_t>(widened(words.sine) << half | widened(words.cosine));
    }

private:
    Circuit c_;
    Simulation simulation_;
    const UnitPlan& plan_;
};

TEST(Units, StreamTakesEveryAcceptedPhaseOnceInOrderUnderBackPressure)
{
    struct Case {
        TableShape shape;
        std::int32_t tableWords;
        int latency;
        bool aclken;
    };
    std::mt19937_64 random(38);
    for (const Case& unit : {Case{Exact(1000, "fixed:12"), 0, 5, true}, Case{Exact(65536, "fixed:16"), 256, 7, false}}) {
        const SineTable quarter(unit.shape);
        UnitChoices choices{unit.latency, unit.aclken, unit.tableWords, {}, {}};
        choices.axiStream = true;
        const UnitPlan plan = PlanUnit(quarter, choices);
        Stream stream(plan, quarter);
        UnitModel model(plan, quarter);
        std::deque<std::int64_t> accepted;
        bool offering = false;
        std::int64_t phase = 0;
        int taken = 0;
        for (int edge = 0; edge < 6000; ++edge) {
            if (!offering) {  // a new phase, or none
                offering = random() % 4 != 0;
                phase = static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(unit.shape.divisions));
            }
            stream.Set(stream.In("s_axis_phase_tvalid"), offering);
            stream.Set(stream.In("s_axis_phase_tdata"), phase);
            const bool ready = edge > 4000 || random() % 3 != 0;  // then always ready
            const bool enabled = !unit.aclken || random() % 5 != 0;
            stream.Drive(ready, enabled);
            if (offering && enabled && stream.Get(stream.Out("s_axis_phase_tready")) != 0) {
                accepted.push_back(phase);
                offering = false;
            }
            std::int64_t beat = 0;
            if (stream.Edge(ready, enabled, beat)) {
                ASSERT_FALSE(accepted.empty()) << "a beat of no phase, edge " << edge;
                ASSERT_EQ(beat, stream.Beat(model.At(accepted.front()))) << "edge " << edge;
                accepted.pop_front();
                ++taken;
            }
        }
        EXPECT_LE(accepted.size(), static_cast<std::size_t>(unit.latency) + 1);
        EXPECT_GT(taken, 3000);
        // Ready and a phase on every edge: a beat on every edge.
        int streak = 0;
        for (int edge = 0; edge < 200; ++edge) {
            stream.Set(stream.In("s_axis_phase_tvalid"), 1);
            std::int64_t beat = 0;
            streak = stream.Edge(true, true, beat) ? streak + 1 : 0;
        }
        EXPECT_GE(streak, 200 - unit.latency) << unit.shape.divisions;
    }
}

// Behind an oscillator: configured, reset, then read under back-pressure, the
// beats taken are the oscillator's values from 0, none skipped or repeated.
TEST(Units, StreamedOscillatorHoldsWhileABeatWaits)
{
    const SineTable quarter(Exact(4096, "fixed:16"));
    UnitChoices choices{5, true, 0, NcoPlan{32, 0, true, true, true}, {}};
    choices.axiStream = true;
    const UnitPlan plan = PlanUnit(quarter, choices);
    const std::uint64_t frequency = 0x01234567;
    const std::uint64_t offset = 0x0F0F0F0F;
    testing::ReferenceOscillator reference(32, plan.phaseBits, true, frequency, offset);
    UnitModel unit(plan, quarter);
    Stream stream(plan, quarter);
    stream.Set(stream.In("aresetn"), 1);
    stream.Set(stream.In("s_axis_config_tvalid"), 1);
    stream.Set(stream.In("s_axis_config_tdata"), static_cast<std::int64_t>(offset << 32 | frequency));
    std::int64_t beat = 0;
    stream.Edge(false, true, beat);
    stream.Set(stream.In("s_axis_config_tvalid"), 0);
    stream.Set(stream.In("aresetn"), 0);
    stream.Edge(false, false, beat);  // reset with aclken low
    stream.Set(stream.In("aresetn"), 1);
    std::mt19937_64 random(38);
    int taken = 0;
    for (int edge = 0; edge < 8000; ++edge) {
        if (stream.Edge(random() % 3 != 0, random() % 5 != 0, beat)) {
            ASSERT_EQ(beat, stream.Beat(unit.At(static_cast<std::int64_t>(reference.NextPhase())))) << "beat " << taken;
            ++taken;
        }
    }
    EXPECT_GT(taken, 4000);
}

}  // namespace
}  // namespace lumiro::hardware

namespace lumiro::hardware {
namespace {

// Lane j of the k-th value is sample kP + j of the one-sample oscillator,
// with ce at random and reset given on edges ce leaves disabled too.
TEST(Units, EachLaneIsItsSampleOfTheOneSampleOscillator)
{
    struct Case {
        TableShape shape;
        std::int32_t tableWords;
        int accumulator;
        int lanes;
    };
    for (const Case& unit : {Case{Exact(4096, "fixed:16"), 0, 32, 2}, Case{Exact(1024, "fixed:12"), 0, 17, 8},
                             Case{Exact(65536, "fixed:16"), 256, 40, 4}}) {
        SCOPED_TRACE(unit.lanes);
        const SineTable quarter(unit.shape);
        const NcoPlan nco{unit.accumulator, 0, true, true, false, unit.lanes};
        const UnitPlan plan = PlanUnit(quarter, {unit.tableWords == 0 ? 5 : kDefaultInterpolatingLatency, true,
                                                 unit.tableWords, nco, {}});
        const Circuit c = UnitCircuit(plan, quarter);
        const std::uint64_t frequency = 0x9E3779B97F4A7C15ULL >> (64 - unit.accumulator);
        const std::uint64_t offset = 0x5851F42D4C957F2DULL >> (64 - unit.accumulator);
        testing::ReferenceOscillator reference(unit.accumulator, plan.phaseBits, false, frequency, offset);
        UnitModel model(plan, quarter);
        std::vector<SineCosine> samples;
        for (int k = 0; k < 3000 * unit.lanes; ++k)
            samples.push_back(model.At(static_cast<std::int64_t>(reference.NextPhase())));
        Simulation simulation(c);
        simulation.Set(c.InputNamed("frequency"), static_cast<std::int64_t>(frequency));
        simulation.Set(c.InputNamed("phase_offset"), static_cast<std::int64_t>(offset));
        const int delay = OscillatorDelay(plan);
        std::mt19937_64 random(39);
        int enabled = 0;  // since power-up or the last reset
        int checked = 0;
        for (int edge = 0; edge < 4000; ++edge) {
            const bool ce = random() % 3 != 0;
            const bool reset = random() % 700 == 0;
            simulation.Set(c.InputNamed("ce"), ce);
            simulation.Set(c.InputNamed("reset"), reset);
            simulation.Clock();
            enabled = reset ? 0 : enabled + ce;
            const int value = enabled - delay;
            if (value < 0 || value >= 3000)
                continue;
            for (int lane = 0; lane < unit.lanes; ++lane) {
                const SineCosine& want = samples[static_cast<std::size_t>(value * unit.lanes + lane)];
                ASSERT_EQ(simulation.Get(c.OutputNamed("sine_" + std::to_string(lane))), want.sine)
                    << "edge " << edge << ", lane " << lane;
                ASSERT_EQ(simulation.Get(c.OutputNamed("cosine_" + std::to_string(lane))), want.cosine)
                    << "edge " << edge << ", lane " << lane;
            }
            ++checked;
        }
        EXPECT_GT(checked, 2000);
        // Lane j at bits j x W: the buses' lanes the most significant first.
        const std::vector<ModulePort> ports = ModuleOutputs(c);
        ASSERT_EQ(ports.size(), 2U);
        EXPECT_EQ(ports[0].name, "sine");
        EXPECT_EQ(ports[0].width, unit.lanes * plan.width);
        EXPECT_EQ(c.Outputs()[ports[0].first].name, "sine_" + std::to_string(unit.lanes - 1));
    }
}

}  // namespace
}  // namespace lumiro::hardware

namespace lumiro::hardware {
namespace {

// After n enabled edges from reset the accumulator holds floor(n (F D + B) / D)
// mod 2^A, reckoned here in 128 bits; the 10 MHz tone of a 122.88 MHz clock
// (F + 1/3 steps of 2^-32) repeats every 1536 clocks.
TEST(Units, TheModulusOscillatorIsFloorOfNTimesItsTone)
{
    struct Case {
        int accumulator;
        std::uint64_t modulus;
        std::uint64_t frequency;
        std::uint64_t fraction;
    };
    const SineTable quarter(Exact(4096, "fixed:16"));
    for (const Case& unit : {Case{32, 3, 0x14D55555, 1}, Case{24, 1000003, 0x123457, 999999}, Case{20, 2, 0x80001, 1}}) {
        SCOPED_TRACE(unit.modulus);
        NcoPlan nco{unit.accumulator, 0, false, true, false};
        nco.modulus = unit.modulus;
        const UnitPlan plan = PlanUnit(quarter, {kOscillatorLatency, true, 0, nco, {}});
        const Circuit c = UnitCircuit(plan, quarter);
        UnitModel model(plan, quarter);
        Simulation simulation(c);
        simulation.Set(c.InputNamed("frequency"), static_cast<std::int64_t>(unit.frequency));
        simulation.Set(c.InputNamed("fraction"), static_cast<std::int64_t>(unit.fraction));
        const int delay = OscillatorDelay(plan);
        __extension__ typedef unsigned __int128 Wide;
        const Wide step = static_cast<Wide>(unit.frequency) * unit.modulus + unit.fraction;
        const int truncated = unit.accumulator - plan.phaseBits;
        std::mt19937_64 random(40);
        std::int64_t enabled = 0;
        std::vector<std::uint32_t> sines;
        for (int edge = 0; edge < 6000; ++edge) {
            const bool ce = random() % 4 != 0;
            const bool reset = random() % 900 == 0;
            simulation.Set(c.InputNamed("ce"), ce);
            simulation.Set(c.InputNamed("reset"), reset);
            simulation.Clock();
            enabled = reset ? 0 : enabled + ce;
            if (enabled < delay)
                continue;
            const Wide value = (static_cast<Wide>(enabled - delay) * step / unit.modulus) &
                               ((Wide{1} << unit.accumulator) - 1);
            const auto phase = static_cast<std::int64_t>(value >> truncated);
            ASSERT_EQ(simulation.Get(c.OutputNamed("sine")), model.At(phase).sine) << "edge " << edge;
            ASSERT_EQ(simulation.Get(c.OutputNamed("cosine")), model.At(phase).cosine) << "edge " << edge;
        }
    }
    NcoPlan nco{32, 0, false, false, false};
    nco.modulus = 3;
    const UnitPlan plan = PlanUnit(quarter, {kOscillatorLatency, false, 0, nco, {}});
    OscillatorModel tone(plan, quarter, 0x14D55555, 0, 1);
    std::vector<std::uint32_t> words;
    for (int k = 0; k < 3 * 1536; ++k)
        words.push_back(tone.Next().sine);
    for (std::size_t k = 0; k < 2 * 1536; ++k)
        ASSERT_EQ(words[k], words[k + 1536]) << k;
    // ...and no sooner: half that, the tone is 62.5 turns on.
    bool differs = false;
    for (std::size_t k = 0; k < 768; ++k)
        differs = differs || words[k] != words[k + 768];
    EXPECT_TRUE(differs);
}

}  // namespace
}  // namespace lumiro::hardware
