// SPDX-License-Identifier: GPL-3.0-or-later
#include "units.h"

#include <cmath>
#include <numbers>
#include <string>

#include "builders.h"

namespace lumiro::hardware {
namespace {

// The same words through plain ports, a sample a clock, for the models.
UnitPlan Bare(const UnitPlan& plan)
{
    UnitPlan bare = plan;
    bare.axiStream = false;
    if (bare.nco)
        bare.nco->lanes = 1;
    return bare;
}

}  // namespace

void ControlPorts(Circuit& c, const UnitPlan& plan)
{
    if (plan.clockEnable)
        c.EnableBy(c.Input("ce", Unsigned(1)));
}

std::vector<Signal> PhaseSource(Circuit& c, const UnitPlan& plan)
{
    if (plan.nco)
        return Oscillator(c, plan, OscillatorPorts(c, plan));
    return {c.Input("phase", Unsigned(plan.phaseBits))};
}

Signal PhaseIn(Circuit& c, const UnitPlan& plan, Signal phase)
{
    const int delay = plan.phaseDelay();
    if (delay == 0)
        return phase;
    c.Section("The phase registered on its way in: more edges, a faster unit.");
    return c.Delayed(phase, delay, "at");
}

// In as many registers as the unit has stages; behind an oscillator, a one
// through as many as its values take to the outputs, cleared by its reset, so
// that it rises with the first words of its value 0.
Signal Valid(Circuit& c, const UnitPlan& plan, Signal in, Signal reset, Signal last)
{
    const int stages = in ? plan.latency : OscillatorDelay(plan);
    if (in)
        c.Section("in_valid through the unit's " + std::to_string(stages) + " stages: out_valid.");
    else
        c.Section("out_valid: low for the " + std::to_string(stages) + " edges from power-up" +
                  (reset ? " or reset" : "") + " to the words of the\naccumulator's first value.");
    const RegisterOptions options = reset ? RegisterOptions::ResetBy(reset) : RegisterOptions{};
    const Signal first = in ? in : c.Constant(1, Unsigned(1));
    if (!last)
        return c.Delayed(first, stages, "valid", options);
    c.Connect(last, stages == 1 ? first : c.Delayed(first, stages - 1, "valid", options));
    return last;
}

Circuit UnitCircuit(const UnitPlan& plan, const SineTable& quarter)
{
    if (plan.axiStream)
        return StreamCircuit(plan, quarter);
    Circuit c;
    ControlPorts(c, plan);
    const std::vector<Signal> phases = PhaseSource(c, plan);
    const Signal inValid = plan.valid && !plan.nco ? c.Input("in_valid", Unsigned(1)) : Signal{};
    std::vector<SineCosineSignals> lanes;
    for (std::size_t lane = 0; lane < phases.size(); ++lane) {
        if (phases.size() > 1)
            c.Prefix("lane_" + std::to_string(lane) + "_", "Lane " + std::to_string(lane) + ": ");
        const Signal at = PhaseIn(c, plan, phases[lane]);
        lanes.push_back(plan.interpolation ? InterpolatingUnit(c, plan, at) : LeanUnit(c, plan, quarter, at));
    }
    c.Prefix({}, {});
    const Signal outValid = plan.valid ? Valid(c, plan, inValid, c.InputNamed("reset")) : Signal{};
    if (lanes.size() == 1) {
        c.Output("sine", lanes[0].sine);
        c.Output("cosine", lanes[0].cosine);
    } else {
        // Lane j in bits j x W and up: the most significant made first.
        for (const char* bus : {"sine", "cosine"})
            for (std::size_t lane = lanes.size(); lane-- > 0;)
                c.Output(std::string(bus) + "_" + std::to_string(lane),
                         bus[0] == 's' ? lanes[lane].sine : lanes[lane].cosine, bus);
    }
    if (outValid)
        c.Output("out_valid", outValid);
    return c;
}

Circuit CoreCircuit(const UnitPlan& plan, const SineTable& quarter)
{
    UnitPlan core = Bare(plan);
    core.nco.reset();
    return UnitCircuit(core, quarter);
}

UnitModel::UnitModel(const UnitPlan& plan, const SineTable& quarter)
    : circuit_(CoreCircuit(plan, quarter)),
      function_(circuit_),
      phase_(circuit_.InputNamed("phase")),
      sine_(circuit_.OutputNamed("sine")),
      cosine_(circuit_.OutputNamed("cosine"))
{
}

SineCosine UnitModel::At(std::int64_t phase)
{
    std::uint32_t sine = 0;
    std::uint32_t cosine = 0;
    Run(phase, {&sine, 1}, {&cosine, 1});
    return {sine, cosine};
}

void UnitModel::Run(std::int64_t first, std::span<std::uint32_t> sines, std::span<std::uint32_t> cosines)
{
    std::int64_t phases[Function::kLanes];
    std::int64_t sine[Function::kLanes];
    std::int64_t cosine[Function::kLanes];
    const std::pair<Signal, const std::int64_t*> inputs[] = {{phase_, phases}};
    const std::pair<Signal, std::int64_t*> outputs[] = {{sine_, sine}, {cosine_, cosine}};
    for (std::size_t done = 0; done < sines.size();) {
        const auto count = static_cast<int>(std::min<std::size_t>(Function::kLanes, sines.size() - done));
        for (int k = 0; k < count; ++k)
            phases[k] = first + static_cast<std::int64_t>(done) + k;
        function_.Evaluate(inputs, outputs, count);
        for (int k = 0; k < count; ++k) {
            sines[done + static_cast<std::size_t>(k)] = static_cast<std::uint32_t>(sine[k]);
            if (!cosines.empty())
                cosines[done + static_cast<std::size_t>(k)] = static_cast<std::uint32_t>(cosine[k]);
        }
        done += static_cast<std::size_t>(count);
    }
}

ComplexError ComplexErrorOf(const UnitPlan& plan, const SineTable& quarter)
{
    const WordKind& kind = quarter.shape().word;
    const double amplitude = kind.ValueOf(plan.peak);
    const std::size_t count = static_cast<std::size_t>(plan.divisions) / 4;
    std::vector<std::uint32_t> sines(count);
    std::vector<std::uint32_t> cosines(count);
    UnitModel(plan, quarter).Run(0, sines, cosines);
    std::vector<double> squares(count);
    ComplexError error;
    for (std::size_t p = 0; p < count; ++p) {
        const double angle = 2 * std::numbers::pi * (static_cast<double>(p) + (plan.halfStep ? 0.5 : 0.0)) /
                             static_cast<double>(plan.divisions);
        const double c = (kind.ValueOf(cosines[p]) - amplitude * std::cos(angle)) / amplitude;
        const double s = (kind.ValueOf(sines[p]) - amplitude * std::sin(angle)) / amplitude;
        squares[p] = c * c + s * s;
        error.largest = std::max(error.largest, std::sqrt(squares[p]));
    }
    // Every 2^i-th phase from c: the same share of each quadrant.
    const bool everySet = plan.nco && plan.nco->phaseOffset;
    for (std::size_t step = 1; 2 * step <= count; step *= 2) {
        double worst = 0;
        for (std::size_t first = 0; first < (everySet ? step : 1); ++first) {
            double sum = 0;
            for (std::size_t p = first; p < count; p += step)
                sum += squares[p];
            worst = std::max(worst, std::sqrt(sum / static_cast<double>(count / step)));
        }
        error.byLevel.push_back(worst);
    }
    return error;
}

OscillatorModel::OscillatorModel(const UnitPlan& plan, const SineTable& quarter, std::uint64_t frequency,
                                 std::uint64_t offset, std::uint64_t fraction)
    : circuit_(UnitCircuit(Bare(plan), quarter)),
      simulation_(circuit_),
      sine_(circuit_.OutputNamed("sine")),
      cosine_(circuit_.OutputNamed("cosine")),
      delay_(OscillatorDelay(Bare(plan)))
{
    simulation_.Set(circuit_.InputNamed("frequency"), static_cast<std::int64_t>(frequency));
    if (const Signal input = circuit_.InputNamed("phase_offset"))
        simulation_.Set(input, static_cast<std::int64_t>(offset));
    if (const Signal input = circuit_.InputNamed("fraction"))
        simulation_.Set(input, static_cast<std::int64_t>(fraction));
    if (const Signal ce = circuit_.InputNamed("ce"))
        simulation_.Set(ce, 1);
}

SineCosine OscillatorModel::Next()
{
    for (int edge = started_ ? 1 : delay_; edge > 0; --edge)
        simulation_.Clock();
    started_ = true;
    return {static_cast<std::uint32_t>(simulation_.Get(sine_)), static_cast<std::uint32_t>(simulation_.Get(cosine_))};
}

}  // namespace lumiro::hardware
