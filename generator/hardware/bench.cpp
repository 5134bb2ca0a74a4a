// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench.h"

#include <stdexcept>
#include <string>

#include "evaluation.h"

namespace lumiro::hardware {
namespace {

// xorshift64*: the same patterns on every machine.
class Pattern {
public:
    std::uint64_t Next()
    {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return state_ * 0x2545F4914F6CDD1DULL;
    }
    // Low one call in kIdleOneIn.
    bool Busy() { return Next() % kIdleOneIn != 0; }

private:
    std::uint64_t state_ = 0x4C756D69726F2142ULL;
};

std::uint64_t Bits(std::int64_t value, int width)
{
    const auto bits = static_cast<std::uint64_t>(value);
    return width >= 64 ? bits : bits & ((std::uint64_t{1} << width) - 1);
}

// The circuit, its inputs set by name and its clocks handed on.
class Bench {
public:
    Bench(const Circuit& circuit, const std::function<void(const BenchClock&)>& each)
        : c_(circuit), simulation_(circuit), each_(each), inputs_(circuit.Inputs())
    {
        inputValues_.resize(inputs_.size());
        outputValues_.resize(c_.Outputs().size());
    }
    bool Has(std::string_view input) const { return static_cast<bool>(c_.InputNamed(input)); }
    void Set(std::string_view input, std::uint64_t value)
    {
        if (const Signal s = c_.InputNamed(input))
            simulation_.Set(s, static_cast<std::int64_t>(value));
    }
    bool Get(std::string_view output) { return simulation_.Get(c_.OutputNamed(output)) != 0; }

    // The clock's vectors, then its rising edge.
    void Clock(bool counted)
    {
        for (std::size_t i = 0; i < inputs_.size(); ++i)
            inputValues_[i] = Bits(simulation_.Get(inputs_[i]), c_.At(inputs_[i]).type.width);
        for (std::size_t o = 0; o < outputValues_.size(); ++o) {
            const Signal value = c_.Outputs()[o].value;
            outputValues_[o] = Bits(simulation_.Get(value), c_.At(value).type.width);
        }
        each_({inputValues_, outputValues_, counted});
        simulation_.Clock();
        outputs_ += counted;
    }
    std::int64_t Outputs() const { return outputs_; }

private:
    const Circuit& c_;
    Simulation simulation_;
    const std::function<void(const BenchClock&)>& each_;
    std::vector<Signal> inputs_;
    std::vector<std::uint64_t> inputValues_;
    std::vector<std::uint64_t> outputValues_;
    std::int64_t outputs_ = 0;
};

// Sets ce (or aclken) at random, where there is one; whether this edge is enabled.
bool Enable(Bench& bench, Pattern& pattern)
{
    const char* name = bench.Has("aclken") ? "aclken" : "ce";
    if (!bench.Has(name))
        return true;
    const bool enabled = pattern.Busy();
    bench.Set(name, enabled);
    return enabled;
}

// The slave's tready at random; whether the beat on the port, if any, is taken.
bool Taken(Bench& bench, Pattern& pattern, bool enabled)
{
    const bool ready = pattern.Busy();
    bench.Set("m_axis_data_tready", ready);
    return ready && enabled && bench.Get("m_axis_data_tvalid");
}

std::int64_t RunPhases(Bench& bench, const UnitPlan& plan)
{
    const std::vector<std::int64_t> phases = BenchPhases(plan.divisions);
    const auto given = static_cast<std::int64_t>(phases.size());
    Pattern pattern;
    std::int64_t next = 0;     // the phase to give
    std::int64_t enabled = 0;  // edges so far
    bool lastEnabled = false;
    bool offered = false;      // a phase beat waiting to be taken
    while (bench.Outputs() < given) {
        const bool enable = Enable(bench, pattern);
        const std::int64_t phase = next < given ? phases[static_cast<std::size_t>(next)] : 0;
        if (plan.axiStream) {
            // A beat offered stays offered, its data unchanged, until taken.
            offered = offered || (next < given && pattern.Busy());
            bench.Set("s_axis_phase_tvalid", offered);
            bench.Set("s_axis_phase_tdata", offered ? static_cast<std::uint64_t>(phase) : pattern.Next());
            const bool taken = Taken(bench, pattern, enable);
            const bool accepted = offered && bench.Get("s_axis_phase_tready");
            next += accepted;
            offered = offered && !accepted;
            bench.Clock(taken);
        } else if (plan.valid) {
            const bool valid = next < given && pattern.Busy();
            bench.Set("in_valid", valid);
            bench.Set("phase", valid ? static_cast<std::uint64_t>(phase) : pattern.Next());
            next += valid && enable;
            bench.Clock(lastEnabled && bench.Get("out_valid"));
        } else {
            bench.Set("phase", static_cast<std::uint64_t>(phase));
            next += enable && next < given;
            bench.Clock(lastEnabled && enabled >= plan.latency && enabled - plan.latency < given);
        }
        enabled += enable;
        lastEnabled = enable;
    }
    return bench.Outputs();
}

std::int64_t RunOscillator(Bench& bench, const UnitPlan& plan, const std::optional<BenchSetting>& asked)
{
    const int bytes = WholeBytes(plan.nco->accumulatorBits);
    const int delay = OscillatorDelay(plan);
    Pattern pattern;
    std::int64_t sinceReset = 0;  // enabled edges since power-up or the last reset
    bool lastEnabled = false;
    for (const BenchSetting& setting : BenchSettings(plan, asked)) {
        for (std::int64_t clock = 0; clock < kClocksPerSetting; ++clock) {
            const bool enable = Enable(bench, pattern);
            const bool reset = plan.nco->reset && (clock == 0 || pattern.Next() % kResetOneIn == 0);
            bench.Set("reset", reset);
            bench.Set("aresetn", !reset);
            bool counted = false;
            if (plan.axiStream) {
                const std::uint64_t offset = bytes < 64 ? setting.offset << bytes : 0;
                bench.Set("s_axis_config_tvalid", clock == 0);
                bench.Set("s_axis_config_tdata", clock == 0 ? setting.frequency | offset : pattern.Next());
                counted = Taken(bench, pattern, enable);
            } else {
                bench.Set("frequency", setting.frequency);
                bench.Set("phase_offset", setting.offset);
                bench.Set("fraction", setting.fraction);
                counted = plan.valid ? lastEnabled && bench.Get("out_valid") : lastEnabled && sinceReset >= delay;
            }
            bench.Clock(counted);
            sinceReset = reset ? 0 : sinceReset + enable;
            lastEnabled = enable;
        }
    }
    return bench.Outputs();
}

}  // namespace

std::vector<std::int64_t> BenchPhases(std::int32_t divisions)
{
    const std::int64_t n = divisions;
    std::vector<std::int64_t> phases;
    if (n <= kMostBenchPhases) {
        for (std::int64_t p = 0; p < n; ++p)
            phases.push_back(p);
        return phases;
    }
    const std::int64_t half = kQuadrantEdgePhases / 2;
    for (int quadrant = 0; quadrant < 4; ++quadrant)
        for (std::int64_t k = -half; k < half; ++k)
            phases.push_back((quadrant * (n / 4) + k + n) % n);
    // Each quadrant's share between its edges, which hold more phases than it gets.
    const std::int64_t share = (kMostBenchPhases - 4 * kQuadrantEdgePhases) / 4;
    const std::int64_t between = n / 4 - kQuadrantEdgePhases;
    for (int quadrant = 0; quadrant < 4; ++quadrant)
        for (std::int64_t j = 0; j < share; ++j)
            phases.push_back(quadrant * (n / 4) + half + j * between / share);
    return phases;
}

std::vector<BenchSetting> BenchSettings(const UnitPlan& plan, const std::optional<BenchSetting>& asked)
{
    const int a = plan.nco->accumulatorBits;
    const auto top = [a](std::uint64_t bits) { return a >= 64 ? bits : bits >> (64 - a); };
    const std::uint64_t step = std::uint64_t{1} << (a - plan.phaseBits);  // one phase a clock
    const std::uint64_t half = std::uint64_t{1} << (a - 1);
    const std::uint64_t golden = top(0x9E3779B97F4A7C15ULL);
    const std::uint64_t offset = plan.nco->phaseOffset ? top(0x5851F42D4C957F2DULL) : 0;
    // The slowest word, a word of whole phases, one near a quarter of the
    // clock off the phase grid, one just below half the clock, two of every bit.
    const std::vector<BenchSetting> settings{{1, 0},           {3 * step, offset}, {half / 2 + step / 2 + 1, 0},
                                             {half - 1, offset}, {golden, offset}, {top(0xD1B54A32D192ED03ULL), half}};
    static_assert(kBenchSettings == 6);
    std::vector<BenchSetting> given = settings;
    const std::uint64_t d = plan.nco->modulus;
    const std::uint64_t fractions[kBenchSettings] = {0, 1, d - 1, d / 2, golden % d, (golden >> 7) % d};
    for (std::size_t k = 0; k < given.size(); ++k)
        given[k].fraction = fractions[k];
    if (asked)
        given.front() = *asked;
    return given;
}

bool IsHandshake(std::string_view output)
{
    return output == "out_valid" || output == "s_axis_phase_tready" || output == "m_axis_data_tvalid";
}

std::int64_t RunBench(const Circuit& circuit, const UnitPlan& plan, const std::function<void(const BenchClock&)>& each,
                      const std::optional<BenchSetting>& asked)
{
    for (const OutputPort& output : circuit.Outputs()) {
        const std::string& name = output.bus.empty() ? output.name : output.bus;
        if (!IsHandshake(name) && name != "sine" && name != "cosine" && name != "m_axis_data_tdata")
            throw std::logic_error("bench: no rule for the output " + name);
    }
    Bench bench(circuit, each);
    return plan.nco ? RunOscillator(bench, plan, asked) : RunPhases(bench, plan);
}

}  // namespace lumiro::hardware
