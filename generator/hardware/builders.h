// SPDX-License-Identifier: GPL-3.0-or-later
// One builder per kind of unit, each adding its part to a circuit: the
// oscillator in front, the phase through the registers latency buys, the
// lean unit on its quarter table, the interpolating unit on its small one.
#pragma once

#include "circuit.h"
#include "sincos_unit.h"

namespace lumiro::hardware {

// The unit's ports before its phase: ce where the plan asks for it, which
// then enables every register.
void ControlPorts(Circuit& circuit, const UnitPlan& plan);
// The phase: the port phase, or the oscillator's top bits, a phase a lane.
std::vector<Signal> PhaseSource(Circuit& circuit, const UnitPlan& plan);
// What the oscillator takes: its reset (where the plan has one), frequency
// word, offset and fraction (where it has them), ports or registers.
struct OscillatorInputs {
    Signal reset;
    Signal frequency;
    Signal offset;
    Signal fraction;  // with a modulus
};
OscillatorInputs OscillatorPorts(Circuit& circuit, const UnitPlan& plan);
// The phase of each of the plan's lanes (one without --samples-per-clock).
std::vector<Signal> Oscillator(Circuit& circuit, const UnitPlan& plan, const OscillatorInputs& in);
// out_valid: `in` (a one-bit signal) through the unit's stages; behind an
// oscillator, its values' first words marked, from power-up and `reset`.
// Its last register may be given, made before.
Signal Valid(Circuit& circuit, const UnitPlan& plan, Signal in, Signal reset, Signal last = {});
// The unit with AXI4-Stream ports.
Circuit StreamCircuit(const UnitPlan& plan, const SineTable& quarter);
// The phase through the registers that latency beyond the least buys.
Signal PhaseIn(Circuit& circuit, const UnitPlan& plan, Signal phase);

struct SineCosineSignals {
    Signal sine;
    Signal cosine;
};
SineCosineSignals LeanUnit(Circuit& circuit, const UnitPlan& plan, const SineTable& quarter, Signal at);
SineCosineSignals InterpolatingUnit(Circuit& circuit, const UnitPlan& plan, Signal at);

// A constant of `type`, and one of the type of `like`.
Signal Number(Circuit& circuit, std::int64_t value, Type type);

}  // namespace lumiro::hardware
