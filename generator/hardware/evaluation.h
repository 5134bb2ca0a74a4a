// SPDX-License-Identifier: GPL-3.0-or-later
// A circuit run bit for bit, as its HDL runs: clock by clock (Simulation),
// or, where every path from an input to an output passes as many registers,
// as the function of its inputs that it is after that many edges (Function),
// with every register a wire and many sets of inputs at once. Values are
// held as 64-bit patterns: a signed signal's sign copied above its width, an
// unsigned one's zeros.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "circuit.h"

namespace lumiro::hardware {

class Program;

class Simulation {
public:
    explicit Simulation(const Circuit& circuit);
    ~Simulation();
    Simulation(const Simulation&) = delete;
    Simulation& operator=(const Simulation&) = delete;

    // An input's value from now on, wrapped to its type.
    void Set(Signal input, std::int64_t value);
    // Any signal's value now, from the inputs and the registers.
    std::int64_t Get(Signal signal);
    // A rising edge of the clock.
    void Clock();

private:
    void Settle();

    std::unique_ptr<Program> program_;
    std::vector<std::uint64_t> values_;
    std::vector<std::uint64_t> nextValues_;
    bool settled_ = false;
};

class Function {
public:
    // Throws std::logic_error where the circuit has a loop or paths of
    // different numbers of registers.
    explicit Function(const Circuit& circuit);
    ~Function();
    Function(const Function&) = delete;
    Function& operator=(const Function&) = delete;
    Function(Function&&) noexcept;

    // The rising edges from the inputs to the outputs.
    int Latency() const { return latency_; }

    static constexpr int kLanes = 512;
    // outputs[o][k] for the k-th set of inputs (inputs[i].second[k]), k <
    // count <= kLanes; inputs not given are 0. Not for two threads at once.
    void Evaluate(std::span<const std::pair<Signal, const std::int64_t*>> inputs,
                  std::span<const std::pair<Signal, std::int64_t*>> outputs, int count);

private:
    std::unique_ptr<Program> program_;
    std::vector<std::uint64_t> values_;
    int latency_ = 0;
};

}  // namespace lumiro::hardware
