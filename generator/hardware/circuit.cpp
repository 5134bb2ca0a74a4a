// SPDX-License-Identifier: GPL-3.0-or-later
#include "circuit.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace lumiro::hardware {
namespace {

[[noreturn]] void Fault(const std::string& what)
{
    throw std::logic_error("circuit: " + what);
}

Wide Lowest(const Type& type)
{
    return type.isSigned ? -(Wide{1} << (type.width - 1)) : 0;
}

Wide Highest(const Type& type)
{
    return type.isSigned ? (Wide{1} << (type.width - 1)) - 1 : (Wide{1} << type.width) - 1;
}

bool Holds(const Type& type, const Range& range)
{
    return range.low >= Lowest(type) && range.high <= Highest(type);
}

Range Hull(const Range& a, const Range& b)
{
    return {std::min(a.low, b.low), std::max(a.high, b.high)};
}

// What a result of `type` can be: `exact` where the type holds it, else
// anything (it wraps).
Range Wrapped(const Range& exact, const Type& type)
{
    return Holds(type, exact) ? exact : RangeOf(type);
}

Wide FloorShifted(Wide value, int bits)
{
    return value >> bits;  // arithmetic: rounds down
}

// A value as a signal of `type` holds it: an unsigned 64-bit one as its bits.
Wide ValueAs(std::int64_t value, const Type& type)
{
    return !type.isSigned && type.width == 64 ? Wide{static_cast<std::uint64_t>(value)} : Wide{value};
}

Node Made(Op op, Type type, std::string name, std::vector<Signal> operands, Range range)
{
    Node node;
    node.op = op;
    node.type = type;
    node.name = std::move(name);
    node.operands = std::move(operands);
    node.range = range;
    return node;
}

}  // namespace

Type Fitting(const Range& range, bool isSigned)
{
    if (!isSigned && range.low < 0)
        Fault("a negative value in an unsigned signal");
    for (int width = 1; width <= kWidestSignal; ++width)
        if (Holds({width, isSigned}, range))
            return {width, isSigned};
    Fault("a value wider than 64 bits");
}

Range RangeOf(const Type& type)
{
    return {Lowest(type), Highest(type)};
}

Signal Circuit::Append(Node node)
{
    if (!node.name.empty())
        node.name = namePrefix_ + node.name;
    if (node.type.width < 1 || node.type.width > kWidestSignal)
        Fault("a signal of " + std::to_string(node.type.width) + " bits");
    if (!node.name.empty() && std::any_of(nodes_.begin(), nodes_.end(), [&](const Node& n) { return n.name == node.name; }))
        Fault("two signals named " + node.name);
    for (const Signal operand : node.operands)
        if (!operand || operand.id >= static_cast<std::int32_t>(nodes_.size()))
            Fault("an operand that is not there");
    node.section = static_cast<int>(sections_.size()) - 1;
    nodes_.push_back(std::move(node));
    return {static_cast<std::int32_t>(nodes_.size() - 1)};
}

Signal Circuit::Input(std::string name, Type type)
{
    return Append(Made(Op::Input, type, std::move(name), {}, RangeOf(type)));
}

void Circuit::Output(std::string name, Signal value, std::string bus)
{
    outputs_.push_back({std::move(name), value, std::move(bus)});
}

void Circuit::Section(std::string comment)
{
    sections_.push_back(commentPrefix_ + comment);
}

Signal Circuit::Constant(std::int64_t value, Type type, std::string name)
{
    const Range range{ValueAs(value, type), ValueAs(value, type)};
    if (!Holds(type, range))
        Fault("a constant its type cannot hold");
    Node node = Made(Op::Constant, type, std::move(name), {}, range);
    node.value = value;
    return Append(std::move(node));
}

Range Circuit::SumRange(const std::vector<Term>& terms, int& widest) const
{
    if (terms.empty())
        Fault("an empty sum");
    for (const Term& term : terms)
        if (!term.value || term.value.id >= static_cast<std::int32_t>(nodes_.size()))
            Fault("a term that is not there");
    const bool isSigned = At(terms.front().value).type.isSigned;
    // Each operand once with its coefficient, so that x * 3 - x spans what 2x does.
    std::vector<std::pair<Signal, Wide>> coefficients;
    for (const Term& term : terms) {
        const Node& operand = At(term.value);
        if (operand.type.isSigned != isSigned)
            Fault("a sum of signed and unsigned terms");
        widest = std::max(widest, operand.type.width);
        const Wide coefficient = (Wide{1} << term.shift) * (term.subtracted ? -1 : 1);
        const auto at = std::find_if(coefficients.begin(), coefficients.end(),
                                     [&](const auto& c) { return c.first == term.value; });
        if (at == coefficients.end())
            coefficients.emplace_back(term.value, coefficient);
        else
            at->second += coefficient;
    }
    Range exact;
    for (const auto& [operand, coefficient] : coefficients) {
        const Range& r = At(operand).range;
        const Wide a = r.low * coefficient;
        const Wide b = r.high * coefficient;
        exact.low += std::min(a, b);
        exact.high += std::max(a, b);
    }
    return exact;
}

Type Circuit::SumType(const std::vector<Term>& terms) const
{
    int widest = 1;
    const Range exact = SumRange(terms, widest);
    Type type = Fitting(exact, At(terms.front().value).type.isSigned);
    type.width = std::max(type.width, widest);
    return type;
}

Signal Circuit::Sum(std::vector<Term> terms, std::string name, std::optional<Type> type)
{
    int widest = 1;
    const Range exact = SumRange(terms, widest);
    const bool isSigned = At(terms.front().value).type.isSigned;
    Type result = type ? *type : Fitting(exact, isSigned);
    if (!type)
        result.width = std::max(result.width, widest);
    if (result.isSigned != isSigned || result.width < widest)
        Fault("a sum narrower than its terms, or of another sign");
    Node node = Made(Op::Sum, result, std::move(name), {}, Wrapped(exact, result));
    node.terms = std::move(terms);
    return Append(std::move(node));
}

Signal Circuit::Add(Signal a, Signal b, std::string name, std::optional<Type> type)
{
    return Sum({{a}, {b}}, std::move(name), type);
}

Signal Circuit::Subtract(Signal a, Signal b, std::string name, std::optional<Type> type)
{
    return Sum({{a}, {b, 0, true}}, std::move(name), type);
}

Signal Circuit::Product(Signal a, Signal b, std::string name)
{
    const Node& x = At(a);
    const Node& y = At(b);
    if (x.type.isSigned != y.type.isSigned)
        Fault("a product of signed and unsigned operands");
    const Wide corners[] = {x.range.low * y.range.low, x.range.low * y.range.high, x.range.high * y.range.low,
                            x.range.high * y.range.high};
    const Range range{*std::min_element(std::begin(corners), std::end(corners)),
                      *std::max_element(std::begin(corners), std::end(corners))};
    return Append(Made(Op::Product, {x.type.width + y.type.width, x.type.isSigned}, std::move(name), {a, b}, range));
}

Signal Circuit::Negation(Signal a, std::string name, std::optional<Type> type)
{
    const Node& x = At(a);
    const Range exact{-x.range.high, -x.range.low};
    Type result = type ? *type : Fitting(exact, x.type.isSigned);
    if (!type)
        result.width = std::max(result.width, x.type.width);
    if (result.isSigned != x.type.isSigned || result.width < x.type.width)
        Fault("a negation narrower than its operand, or of another sign");
    return Append(Made(Op::Negation, result, std::move(name), {a}, Wrapped(exact, result)));
}

Signal Circuit::Bitwise(Op op, Signal a, Signal b, std::string name)
{
    const Type type = At(a).type;
    if (b && At(b).type != type)
        Fault("a bitwise operation on two types");
    std::vector<Signal> operands{a};
    if (b)
        operands.push_back(b);
    return Append(Made(op, type, std::move(name), std::move(operands), RangeOf(type)));
}

Signal Circuit::Not(Signal a, std::string name)
{
    return Bitwise(Op::Not, a, {}, std::move(name));
}

Signal Circuit::And(Signal a, Signal b, std::string name)
{
    return Bitwise(Op::And, a, b, std::move(name));
}

Signal Circuit::Or(Signal a, Signal b, std::string name)
{
    return Bitwise(Op::Or, a, b, std::move(name));
}

Signal Circuit::Xor(Signal a, Signal b, std::string name)
{
    return Bitwise(Op::Xor, a, b, std::move(name));
}

Signal Circuit::Slice(Signal a, int low, Type type, std::string name)
{
    const Node& x = At(a);
    if (low < 0 || low + type.width > x.type.width)
        Fault("a slice beyond its signal");
    // Where the bits above are the value's sign, the slice is the value shifted down.
    const Range floor{FloorShifted(x.range.low, low), FloorShifted(x.range.high, low)};
    Node node = Made(Op::Slice, type, std::move(name), {a}, Wrapped(floor, type));
    node.value = low;
    return Append(std::move(node));
}

Signal Circuit::Bit(Signal a, int bit, std::string name)
{
    return Slice(a, bit, Unsigned(1), std::move(name));
}

Signal Circuit::ShiftedDown(Signal a, int bits, std::string name)
{
    const Node& x = At(a);
    const Range floor{FloorShifted(x.range.low, bits), FloorShifted(x.range.high, bits)};
    return Slice(a, bits, Fitting(floor, x.type.isSigned), std::move(name));
}

Signal Circuit::Extension(Signal a, Type type, std::string name)
{
    const Node& x = At(a);
    if (type.width < x.type.width)
        Fault("an extension narrower than its operand");
    return Append(Made(Op::Extension, type, std::move(name), {a}, Wrapped(x.range, type)));
}

Signal Circuit::Concatenation(std::vector<Signal> parts, std::string name)
{
    int width = 0;
    for (const Signal part : parts)
        width += At(part).type.width;
    const Type type = Unsigned(width);
    return Append(Made(Op::Concatenation, type, std::move(name), std::move(parts), RangeOf(type)));
}

Signal Circuit::Choice(Signal select, Signal whenOne, Signal whenZero, std::string name)
{
    if (At(select).type != Unsigned(1) || At(whenOne).type != At(whenZero).type)
        Fault("a choice of two types, or by more than one bit");
    return Append(Made(Op::Choice, At(whenOne).type, std::move(name), {select, whenOne, whenZero}, Hull(At(whenOne).range, At(whenZero).range)));
}

Signal Circuit::Equal(Signal a, Signal b, std::string name)
{
    if (At(a).type.isSigned != At(b).type.isSigned)
        Fault("a comparison of signed and unsigned operands");
    return Append(Made(Op::Equal, Unsigned(1), std::move(name), {a, b}, {0, 1}));
}

Signal Circuit::Less(Signal a, Signal b, std::string name)
{
    if (At(a).type.isSigned != At(b).type.isSigned)
        Fault("a comparison of signed and unsigned operands");
    return Append(Made(Op::Less, Unsigned(1), std::move(name), {a, b}, {0, 1}));
}

int Circuit::AddTable(std::string name, Type word, std::vector<std::uint32_t> words)
{
    tables_.push_back({namePrefix_ + name, word, std::move(words), static_cast<int>(sections_.size()) - 1});
    return static_cast<int>(tables_.size()) - 1;
}

Signal Circuit::Read(int table, Signal address, std::string name)
{
    const Table& memory = tables_.at(static_cast<std::size_t>(table));
    const Type& type = At(address).type;
    if (type.isSigned || type.width > 30 || memory.words.size() != std::size_t{1} << type.width)
        Fault("a read of table " + memory.name + " at an address of another width");
    const auto [low, high] = std::minmax_element(memory.words.begin(), memory.words.end());
    Node node = Made(Op::Read, memory.word, std::move(name), {address}, {*low, *high});
    node.index = table;
    return Append(std::move(node));
}

Signal Circuit::Lfsr(Signal state, const LfsrTaps& taps, int steps, std::string name)
{
    const Type type = At(state).type;
    auto known = std::find_if(taps_.begin(), taps_.end(), [&](const LfsrTaps& t) { return t.bits == taps.bits; });
    if (known == taps_.end())
        known = taps_.insert(taps_.end(), taps);
    Node node = Made(Op::Lfsr, type, std::move(name), {state}, RangeOf(type));
    node.value = steps;
    node.index = static_cast<int>(known - taps_.begin());
    return Append(std::move(node));
}

Signal Circuit::Register(std::string name, Type type, const RegisterOptions& options)
{
    if (name.empty())
        Fault("a register without a name");
    Node node = Made(Op::Register, type, std::move(name), {}, RangeOf(type));
    node.enable = options.enabled ? enable_ : Signal{};
    node.reset = options.reset;
    node.initial = options.initial;
    node.resetValue = options.resetValue;
    return Append(std::move(node));
}

void Circuit::EnableToo(Signal reg)
{
    Node& node = nodes_.at(static_cast<std::size_t>(reg.id));
    if (node.op != Op::Register)
        Fault(node.name + " is no register");
    node.enable = enable_;
}

void Circuit::Connect(Signal reg, Signal next)
{
    Node& node = nodes_.at(static_cast<std::size_t>(reg.id));
    if (node.op != Op::Register || node.next || At(next).type != node.type)
        Fault("register " + node.name + " connected twice, or to another type");
    node.next = next;
}

Signal Circuit::Delayed(Signal value, std::string name, const RegisterOptions& options)
{
    const Signal reg = Register(std::move(name), At(value).type, options);
    Connect(reg, value);
    Node& node = nodes_[static_cast<std::size_t>(reg.id)];
    node.range = At(value).range;
    const Type type = node.type;
    if (options.initial)
        node.range = Hull(node.range, {ValueAs(*options.initial, type), ValueAs(*options.initial, type)});
    if (options.reset)
        node.range = Hull(node.range, {ValueAs(options.resetValue, type), ValueAs(options.resetValue, type)});
    return reg;
}

Signal Circuit::Delayed(Signal value, int stages, const std::string& name, const RegisterOptions& options)
{
    for (int stage = 1; stage <= stages; ++stage)
        value = Delayed(value, name + "_" + std::to_string(stage), options);
    return value;
}

std::vector<Signal> Circuit::Inputs() const
{
    std::vector<Signal> inputs;
    for (std::size_t at = 0; at < nodes_.size(); ++at)
        if (nodes_[at].op == Op::Input)
            inputs.push_back({static_cast<std::int32_t>(at)});
    return inputs;
}

Signal Circuit::InputNamed(std::string_view name) const
{
    for (const Signal input : Inputs())
        if (At(input).name == name)
            return input;
    return {};
}

Signal Circuit::OutputNamed(std::string_view name) const
{
    for (const OutputPort& output : outputs_)
        if (output.name == name)
            return output.value;
    return {};
}

std::vector<ModulePort> ModuleOutputs(const Circuit& circuit)
{
    std::vector<ModulePort> ports;
    const std::vector<OutputPort>& outputs = circuit.Outputs();
    for (std::size_t o = 0; o < outputs.size(); ++o) {
        const int width = circuit.At(outputs[o].value).type.width;
        if (!outputs[o].bus.empty() && o > 0 && outputs[o - 1].bus == outputs[o].bus) {
            ports.back().width += width;
            ++ports.back().count;
        } else {
            ports.push_back({outputs[o].bus.empty() ? outputs[o].name : outputs[o].bus, width, o, 1});
        }
    }
    return ports;
}

std::vector<int> Circuit::Uses() const
{
    std::vector<int> uses(nodes_.size());
    const auto use = [&uses](Signal signal) {
        if (signal)
            ++uses[static_cast<std::size_t>(signal.id)];
    };
    for (const Node& node : nodes_) {
        for (const Signal operand : node.operands)
            use(operand);
        for (const Term& term : node.terms)
            use(term.value);
        use(node.next);
        use(node.enable);
        use(node.reset);
    }
    for (const OutputPort& output : outputs_)
        use(output.value);
    return uses;
}

namespace {

void Order(const Circuit& c, Signal s, bool wires, std::vector<char>& state, std::vector<Signal>& order)
{
    if (state[static_cast<std::size_t>(s.id)] != 0)
        return;
    state[static_cast<std::size_t>(s.id)] = 1;
    const Node& node = c.At(s);
    if (node.op == Op::Register) {
        if (wires)
            Order(c, node.next, wires, state, order);
    } else {
        for (const Signal operand : node.operands)
            Order(c, operand, wires, state, order);
        for (const Term& term : node.terms)
            Order(c, term.value, wires, state, order);
    }
    order.push_back(s);
}

}  // namespace

std::vector<Signal> Ordered(const Circuit& circuit, bool registersAsWires)
{
    std::vector<char> state(circuit.Nodes().size());
    std::vector<Signal> order;
    for (std::size_t id = 0; id < circuit.Nodes().size(); ++id)
        Order(circuit, {static_cast<std::int32_t>(id)}, registersAsWires, state, order);
    return order;
}

}  // namespace lumiro::hardware
