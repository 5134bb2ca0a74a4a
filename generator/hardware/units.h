// SPDX-License-Identifier: GPL-3.0-or-later
// The sine/cosine units as circuits, and their models: the circuit's own
// evaluation, so that the HDL, the proof and the reports are one description.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "circuit.h"
#include "evaluation.h"
#include "nco.h"
#include "sincos_unit.h"

namespace lumiro::hardware {

// The unit as `plan` lays it out on the quarter table `quarter`: ports clk,
// ce (with plan.clockEnable), the phase or the oscillator's inputs, sine and
// cosine.
Circuit UnitCircuit(const UnitPlan& plan, const SineTable& quarter);
// The unit without its oscillator: the phase an input.
Circuit CoreCircuit(const UnitPlan& plan, const SineTable& quarter);

// The unit's sine and cosine as functions of the phase, from its circuit
// (without the oscillator). Not for two threads at once.
class UnitModel {
public:
    UnitModel(const UnitPlan& plan, const SineTable& quarter);
    SineCosine At(std::int64_t phase);
    // The words of phases first, first + 1, ... for as many as `sines` holds.
    void Run(std::int64_t first, std::span<std::uint32_t> sines, std::span<std::uint32_t> cosines);
    int Latency() const { return function_.Latency(); }

private:
    Circuit circuit_;
    Function function_;
    Signal phase_;
    Signal sine_;
    Signal cosine_;
};

// The unit's error as one complex output (nco.h), from its first quadrant,
// which the others repeat turned: of the sets a frequency word visits, only
// those through phase 0, unless the plan's oscillator adds an offset.
ComplexError ComplexErrorOf(const UnitPlan& plan, const SineTable& quarter);

// The whole unit, oscillator in front, clock by clock from power-up, with ce
// high and reset low: the words of the accumulator's values 0, F, 2F, ...
// (plus the offset and the dither), as they leave the unit.
class OscillatorModel {
public:
    OscillatorModel(const UnitPlan& plan, const SineTable& quarter, std::uint64_t frequency,
                    std::uint64_t offset = 0, std::uint64_t fraction = 0);
    SineCosine Next();
    // Edges from the accumulator holding a value to its words at the outputs.
    int Delay() const { return delay_; }

private:
    Circuit circuit_;
    Simulation simulation_;
    Signal sine_;
    Signal cosine_;
    int delay_;
    bool started_ = false;
};

}  // namespace lumiro::hardware
