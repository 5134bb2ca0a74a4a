// SPDX-License-Identifier: GPL-3.0-or-later
#include "evaluation.h"

#include <stdexcept>
#include <string>

namespace lumiro::hardware {
namespace {

[[noreturn]] void Fault(const std::string& what)
{
    throw std::logic_error("evaluation: " + what);
}

// One operation, compiled: where its operands and result are, and how its
// result wraps.
struct Step {
    Op op;
    int spare;       // 64 - width
    bool isSigned;   // the result's; a comparison's: its operands'
    std::int32_t result;
    std::int32_t a = -1;
    std::int32_t b = -1;
    std::int32_t c = -1;
    std::int32_t firstPart = 0;  // a sum's terms, a concatenation's parts, an LFSR's taps
    std::int32_t parts = 0;
    std::int64_t value = 0;
    const std::vector<std::uint32_t>* words = nullptr;
};

struct Part {
    std::int32_t value;
    int shift;  // a term's shift; a concatenation part's or a tap's bit count
    bool subtracted;
};

struct Latch {
    std::int32_t reg;
    std::int32_t next;
    std::int32_t enable;
    std::int32_t reset;
    std::uint64_t resetValue;
};

std::uint64_t Wrapped(std::uint64_t value, int spare, bool isSigned)
{
    if (isSigned)
        return static_cast<std::uint64_t>(static_cast<std::int64_t>(value << spare) >> spare);
    return (value << spare) >> spare;
}

std::uint64_t WrappedTo(std::int64_t value, const Type& type)
{
    return Wrapped(static_cast<std::uint64_t>(value), kWidestSignal - type.width, type.isSigned);
}

}  // namespace

// The circuit's operations in an order that computes each after its
// operands, over `lanes` values a signal.
class Program {
public:
    Program(const Circuit& circuit, bool registersAsWires);

    // Over `count` lanes of signals `stride` values apart.
    void Run(std::uint64_t* values, int stride, int count) const
    {
        for (const Step& step : steps_)
            Execute(step, values, static_cast<std::size_t>(stride), static_cast<std::size_t>(count));
    }
    void Prefill(std::vector<std::uint64_t>& values, int lanes) const;
    void Latch(std::vector<std::uint64_t>& values, std::vector<std::uint64_t>& next) const;
    int Depth(Signal signal) const { return depths_[static_cast<std::size_t>(signal.id)]; }
    std::uint64_t Wrap(Signal signal, std::int64_t value) const
    {
        return WrappedTo(value, types_[static_cast<std::size_t>(signal.id)]);
    }

private:
    void Compile(const Circuit& circuit, const Node& node, std::int32_t id);
    void Order(const Circuit& circuit, std::int32_t id, std::vector<char>& state);
    void Execute(const Step& step, std::uint64_t* values, std::size_t stride, std::size_t n) const;
    void Sum(const Step& step, std::uint64_t* values, std::size_t stride, std::size_t n) const;
    void Concatenation(const Step& step, std::uint64_t* values, std::size_t stride, std::size_t n) const;
    void Lfsr(const Step& step, std::uint64_t* values, std::size_t stride, std::size_t n) const;
    void Balance(const Circuit& circuit, const Node& node, std::int32_t id);

    std::vector<Step> steps_;
    std::vector<Part> parts_;
    std::vector<struct Latch> latches_;
    std::vector<std::pair<std::int32_t, std::uint64_t>> constants_;
    std::vector<int> depths_;  // registers from the inputs; -1 for a constant
    std::vector<Type> types_;
    bool registersAsWires_;
};

Program::Program(const Circuit& circuit, bool registersAsWires) : registersAsWires_(registersAsWires)
{
    const std::vector<Node>& nodes = circuit.Nodes();
    for (const Node& node : nodes)
        types_.push_back(node.type);
    depths_.assign(nodes.size(), -1);
    std::vector<char> state(nodes.size(), 0);  // 0 unseen, 1 being ordered, 2 done
    for (std::int32_t id = 0; id < static_cast<std::int32_t>(nodes.size()); ++id) {
        if (registersAsWires)
            Order(circuit, id, state);
        else
            Compile(circuit, nodes[static_cast<std::size_t>(id)], id);
    }
    if (registersAsWires)
        return;
    for (std::int32_t id = 0; id < static_cast<std::int32_t>(nodes.size()); ++id) {
        const Node& node = nodes[static_cast<std::size_t>(id)];
        if (node.op != Op::Register)
            continue;
        if (!node.next)
            Fault("register " + node.name + " has no next value");
        latches_.push_back({id, node.next.id, node.enable ? node.enable.id : -1, node.reset ? node.reset.id : -1,
                            WrappedTo(node.resetValue, node.type)});
    }
}

// Depth-first, so that every signal comes after what it reads; a register
// after its next value, as a wire.
void Program::Order(const Circuit& circuit, std::int32_t id, std::vector<char>& state)
{
    const auto at = static_cast<std::size_t>(id);
    if (state[at] == 2)
        return;
    const Node& node = circuit.Nodes()[at];
    if (state[at] == 1)
        Fault("a loop through " + node.name);
    state[at] = 1;
    for (const Signal operand : node.operands)
        Order(circuit, operand.id, state);
    for (const Term& term : node.terms)
        Order(circuit, term.value.id, state);
    if (node.op == Op::Register) {
        if (!node.next)
            Fault("register " + node.name + " has no next value");
        Order(circuit, node.next.id, state);
    }
    state[at] = 2;
    Balance(circuit, node, id);
    Compile(circuit, node, id);
}

// How many registers lie between the inputs and a signal, the same on every path.
void Program::Balance(const Circuit& circuit, const Node& node, std::int32_t id)
{
    int depth = -1;
    const auto take = [&](Signal operand) {
        const int d = depths_[static_cast<std::size_t>(operand.id)];
        if (d >= 0 && depth >= 0 && d != depth)
            Fault("paths of " + std::to_string(d) + " and " + std::to_string(depth) + " registers meet at " +
                  (node.name.empty() ? std::string("a nameless signal") : node.name));
        depth = d >= 0 ? d : depth;
    };
    for (const Signal operand : node.operands)
        take(operand);
    for (const Term& term : node.terms)
        take(term.value);
    if (node.op == Op::Input)
        depth = 0;
    if (node.op == Op::Register) {
        take(node.next);
        depth = depth >= 0 ? depth + 1 : -1;
    }
    depths_[static_cast<std::size_t>(id)] = depth;
    (void)circuit;
}

void Program::Compile(const Circuit& circuit, const Node& node, std::int32_t id)
{
    // A clocked program latches its registers after the steps.
    if (node.op == Op::Input || (node.op == Op::Register && !registersAsWires_))
        return;
    if (node.op == Op::Constant) {
        constants_.emplace_back(id, WrappedTo(node.value, node.type));
        return;
    }
    Step step{node.op, kWidestSignal - node.type.width, node.type.isSigned, id};
    const auto operand = [&](std::size_t k) { return k < node.operands.size() ? node.operands[k].id : -1; };
    step.a = operand(0);
    step.b = operand(1);
    step.c = operand(2);
    step.value = node.value;
    step.firstPart = static_cast<std::int32_t>(parts_.size());
    switch (node.op) {
    case Op::Register:
        step.a = node.next.id;  // as a wire; a clocked program skips it
        break;
    case Op::Sum:
        for (const Term& term : node.terms)
            parts_.push_back({term.value.id, term.shift, term.subtracted});
        break;
    case Op::Concatenation:
        for (const Signal part : node.operands)
            parts_.push_back({part.id, circuit.At(part).type.width, false});
        break;
    case Op::Lfsr:
        for (const int tap : circuit.Taps()[static_cast<std::size_t>(node.index)].bits)
            parts_.push_back({0, tap, false});
        break;
    case Op::Equal:
    case Op::Less:
        step.isSigned = circuit.At(node.operands[0]).type.isSigned;
        break;
    case Op::Read:
        step.words = &circuit.Tables()[static_cast<std::size_t>(node.index)].words;
        break;
    case Op::Input:
    case Op::Constant:
    case Op::Product:
    case Op::Negation:
    case Op::Not:
    case Op::And:
    case Op::Or:
    case Op::Xor:
    case Op::Slice:
    case Op::Extension:
    case Op::Choice:
        break;
    }
    step.parts = static_cast<std::int32_t>(parts_.size()) - step.firstPart;
    steps_.push_back(step);
}

void Program::Prefill(std::vector<std::uint64_t>& values, int lanes) const
{
    for (const auto& [id, value] : constants_)
        for (int k = 0; k < lanes; ++k)
            values[static_cast<std::size_t>(id) * static_cast<std::size_t>(lanes) + static_cast<std::size_t>(k)] = value;
}

void Program::Latch(std::vector<std::uint64_t>& values, std::vector<std::uint64_t>& next) const
{
    for (std::size_t at = 0; at < latches_.size(); ++at) {
        const struct Latch& latch = latches_[at];
        const auto of = [&values](std::int32_t id) { return values[static_cast<std::size_t>(id)]; };
        std::uint64_t value = of(latch.reg);
        if (latch.reset >= 0 && (of(latch.reset) & 1U) != 0)
            value = latch.resetValue;
        else if (latch.enable < 0 || (of(latch.enable) & 1U) != 0)
            value = of(latch.next);
        next[at] = value;
    }
    for (std::size_t at = 0; at < latches_.size(); ++at)
        values[static_cast<std::size_t>(latches_[at].reg)] = next[at];
}

// Each lane's result from its operands.
template <class Each>
void Lanes(std::size_t n, const Each& each)
{
    for (std::size_t k = 0; k < n; ++k)
        each(k);
}

void Program::Sum(const Step& s, std::uint64_t* values, std::size_t stride, std::size_t n) const
{
    std::uint64_t* r = values + static_cast<std::size_t>(s.result) * stride;
    const Part* parts = parts_.data() + s.firstPart;
    Lanes(n, [&](std::size_t k) { r[k] = 0; });
    for (int t = 0; t < s.parts; ++t) {
        const std::uint64_t* v = values + static_cast<std::size_t>(parts[t].value) * stride;
        const int shift = parts[t].shift;
        if (parts[t].subtracted)
            Lanes(n, [&](std::size_t k) { r[k] -= v[k] << shift; });
        else
            Lanes(n, [&](std::size_t k) { r[k] += v[k] << shift; });
    }
    Lanes(n, [&](std::size_t k) { r[k] = Wrapped(r[k], s.spare, s.isSigned); });
}

void Program::Concatenation(const Step& s, std::uint64_t* values, std::size_t stride, std::size_t n) const
{
    std::uint64_t* r = values + static_cast<std::size_t>(s.result) * stride;
    const Part* parts = parts_.data() + s.firstPart;
    Lanes(n, [&](std::size_t k) { r[k] = 0; });
    for (int t = 0; t < s.parts; ++t) {
        const std::uint64_t* v = values + static_cast<std::size_t>(parts[t].value) * stride;
        const int width = parts[t].shift;
        const std::uint64_t mask = width >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << width) - 1;
        Lanes(n, [&](std::size_t k) { r[k] = (width >= 64 ? 0 : r[k] << width) | (v[k] & mask); });
    }
}

void Program::Lfsr(const Step& s, std::uint64_t* values, std::size_t stride, std::size_t n) const
{
    std::uint64_t* r = values + static_cast<std::size_t>(s.result) * stride;
    const std::uint64_t* a = values + static_cast<std::size_t>(s.a) * stride;
    const Part* taps = parts_.data() + s.firstPart;
    Lanes(n, [&](std::size_t k) {
        std::uint64_t state = a[k];
        for (std::int64_t step = 0; step < s.value; ++step) {
            std::uint64_t bit = 0;
            for (int t = 0; t < s.parts; ++t)
                bit ^= state >> taps[t].shift;
            state = (state << 1) | (bit & 1U);
        }
        r[k] = Wrapped(state, s.spare, false);
    });
}

void Program::Execute(const Step& s, std::uint64_t* values, std::size_t stride, std::size_t n) const
{
    std::uint64_t* r = values + static_cast<std::size_t>(s.result) * stride;
    const std::uint64_t* a = s.a >= 0 ? values + static_cast<std::size_t>(s.a) * stride : nullptr;
    const std::uint64_t* b = s.b >= 0 ? values + static_cast<std::size_t>(s.b) * stride : nullptr;
    const std::uint64_t* c = s.c >= 0 ? values + static_cast<std::size_t>(s.c) * stride : nullptr;
    const int spare = s.spare;
    const bool sign = s.isSigned;
    switch (s.op) {
    case Op::Register:
    case Op::Extension: return Lanes(n, [&](std::size_t k) { r[k] = Wrapped(a[k], spare, sign); });
    case Op::Sum: return Sum(s, values, stride, n);
    case Op::Product: return Lanes(n, [&](std::size_t k) { r[k] = Wrapped(a[k] * b[k], spare, sign); });
    case Op::Negation: return Lanes(n, [&](std::size_t k) { r[k] = Wrapped(0 - a[k], spare, sign); });
    case Op::Not: return Lanes(n, [&](std::size_t k) { r[k] = Wrapped(~a[k], spare, sign); });
    case Op::And: return Lanes(n, [&](std::size_t k) { r[k] = a[k] & b[k]; });
    case Op::Or: return Lanes(n, [&](std::size_t k) { r[k] = a[k] | b[k]; });
    case Op::Xor: return Lanes(n, [&](std::size_t k) { r[k] = a[k] ^ b[k]; });
    case Op::Slice: return Lanes(n, [&](std::size_t k) { r[k] = Wrapped(a[k] >> s.value, spare, sign); });
    case Op::Concatenation: return Concatenation(s, values, stride, n);
    case Op::Choice: return Lanes(n, [&](std::size_t k) { r[k] = (a[k] & 1U) != 0 ? b[k] : c[k]; });
    case Op::Equal: return Lanes(n, [&](std::size_t k) { r[k] = a[k] == b[k] ? 1 : 0; });
    case Op::Less:
        if (sign)
            return Lanes(n, [&](std::size_t k) {
                r[k] = static_cast<std::int64_t>(a[k]) < static_cast<std::int64_t>(b[k]) ? 1 : 0;
            });
        return Lanes(n, [&](std::size_t k) { r[k] = a[k] < b[k] ? 1 : 0; });
    case Op::Read:
        // A read beyond the table (a phase beyond N) has no defined word.
        return Lanes(n, [&](std::size_t k) { r[k] = a[k] < s.words->size() ? (*s.words)[a[k]] : 0; });
    case Op::Lfsr: return Lfsr(s, values, stride, n);
    case Op::Input:
    case Op::Constant: return;
    }
}

Simulation::Simulation(const Circuit& circuit)
    : program_(std::make_unique<Program>(circuit, false)), values_(circuit.Nodes().size())
{
    program_->Prefill(values_, 1);
    for (std::size_t at = 0; at < circuit.Nodes().size(); ++at) {
        const Node& node = circuit.Nodes()[at];
        if (node.op == Op::Register) {
            values_[at] = node.initial ? WrappedTo(*node.initial, node.type) : 0;
            nextValues_.push_back(0);
        }
    }
}

Simulation::~Simulation() = default;

void Simulation::Set(Signal input, std::int64_t value)
{
    values_[static_cast<std::size_t>(input.id)] = program_->Wrap(input, value);
    settled_ = false;
}

std::int64_t Simulation::Get(Signal signal)
{
    Settle();
    return static_cast<std::int64_t>(values_[static_cast<std::size_t>(signal.id)]);
}

void Simulation::Clock()
{
    Settle();
    program_->Latch(values_, nextValues_);
    settled_ = false;
}

void Simulation::Settle()
{
    if (!settled_)
        program_->Run(values_.data(), 1, 1);
    settled_ = true;
}

Function::Function(const Circuit& circuit)
    : program_(std::make_unique<Program>(circuit, true)),
      values_(circuit.Nodes().size() * static_cast<std::size_t>(kLanes))
{
    program_->Prefill(values_, kLanes);
    latency_ = -1;
    for (const OutputPort& output : circuit.Outputs()) {
        const int depth = program_->Depth(output.value);
        if (depth >= 0 && latency_ >= 0 && depth != latency_)
            Fault("outputs " + std::to_string(depth) + " and " + std::to_string(latency_) + " edges from the inputs");
        latency_ = depth >= 0 ? depth : latency_;
    }
    latency_ = std::max(latency_, 0);
}

Function::~Function() = default;
Function::Function(Function&&) noexcept = default;

void Function::Evaluate(std::span<const std::pair<Signal, const std::int64_t*>> inputs,
                        std::span<const std::pair<Signal, std::int64_t*>> outputs, int count)
{
    if (count < 0 || count > kLanes)
        Fault("more sets of inputs than lanes");
    const auto lanes = static_cast<std::size_t>(kLanes);
    for (const auto& [input, given] : inputs) {
        std::uint64_t* slot = values_.data() + static_cast<std::size_t>(input.id) * lanes;
        for (std::size_t k = 0; k < static_cast<std::size_t>(count); ++k)
            slot[k] = program_->Wrap(input, given[k]);
    }
    program_->Run(values_.data(), kLanes, count);
    for (const auto& [output, taken] : outputs) {
        const std::uint64_t* slot = values_.data() + static_cast<std::size_t>(output.id) * lanes;
        for (std::size_t k = 0; k < static_cast<std::size_t>(count); ++k)
            taken[k] = static_cast<std::int64_t>(slot[k]);
    }
}

}  // namespace lumiro::hardware
