// SPDX-License-Identifier: GPL-3.0-or-later
// What a self-checking testbench drives a unit with, clock by clock, and what
// the unit's circuit gives for it: the vectors its testbench compares with.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "circuit.h"
#include "sincos_unit.h"

namespace lumiro::hardware {

// The phases a testbench gives a phase unit, each once: every one in order,
// or above kMostBenchPhases that many, those around each quadrant's start
// first, then the rest spread evenly between them.
inline constexpr std::int64_t kMostBenchPhases = std::int64_t{1} << 20;
inline constexpr std::int64_t kQuadrantEdgePhases = 256;  // around each quadrant's start
std::vector<std::int64_t> BenchPhases(std::int32_t divisions);

// An oscillator's testbench: frequency words (and offsets), each held for
// kClocksPerSetting clocks, loaded at the first.
struct BenchSetting {
    std::uint64_t frequency;
    std::uint64_t offset;
    std::uint64_t fraction = 0;  // below the modulus, where there is one
};
inline constexpr std::int64_t kClocksPerSetting = 4096;
inline constexpr int kBenchSettings = 6;
// `asked`, where given (the word of --frequency or --tone), comes first.
std::vector<BenchSetting> BenchSettings(const UnitPlan& plan, const std::optional<BenchSetting>& asked = {});

// Each handshake the unit has is driven at random, low one clock in
// kIdleOneIn (ce, in_valid, the master's tvalid, the slave's tready); reset
// is high on a setting's first clock and one clock in kResetOneIn.
inline constexpr int kIdleOneIn = 4;
inline constexpr int kResetOneIn = 1024;

// One clock: the inputs in the order of the circuit's Inputs(), the outputs
// in that of its Outputs(), each as its bits; whether the clock's words are
// an output of the unit (else only the handshakes are compared).
struct BenchClock {
    std::span<const std::uint64_t> inputs;
    std::span<const std::uint64_t> outputs;
    bool counted;
};

// Whether an output is a handshake, compared on every clock, not a word.
bool IsHandshake(std::string_view output);

// Runs `circuit`, the unit `plan` lays out, through its testbench's stimulus
// from power-up, calling `each` for every clock with the inputs given before
// its rising edge and the outputs they show; returns the outputs counted.
std::int64_t RunBench(const Circuit& circuit, const UnitPlan& plan, const std::function<void(const BenchClock&)>& each,
                      const std::optional<BenchSetting>& asked = {});

}  // namespace lumiro::hardware
