// SPDX-License-Identifier: GPL-3.0-or-later
// Any circuit as a bit-exact Python 3 model: every signal an exact integer
// wrapped to its type, every operation as the circuit's evaluation does it.
// The unit is a function of its phase, on an int or, where numpy is
// installed, on an array of phases at once; a clocked circuit a class whose
// step() is one rising edge of the clock.
#include <string>
#include <vector>

#include "printers.h"

namespace lumiro::coe {
namespace {

using hardware::Node;
using hardware::Op;
using hardware::Signal;

const char* const kPrelude = R"(try:
    import numpy as _np
except ImportError:  # the functions take plain integers then
    _np = None


_BLOCK = 16384


def _array(value):
    return _np is not None and isinstance(value, _np.ndarray)


def _wrap(value, width, is_signed):
    """The value wrapped to width bits, for a signed type widened by its top bit."""
    if width >= 64 and _array(value):
        return value
    value = value & ((1 << width) - 1)
    if is_signed:
        top = 1 << (width - 1)
        value = (value ^ top) - top
    return value


def _choice(select, when_one, when_zero):
    if _array(select):
        return _np.where(select & 1, when_one, when_zero)
    return when_one if select & 1 else when_zero


def _bit(condition):
    return condition.astype(_np.int64) if _array(condition) else int(condition)


def _read(words, array, address):
    """A table's word, 0 beyond it (a phase beyond N has no defined word)."""
    if _array(address):
        inside = address < len(words)
        return _np.where(inside, array[_np.where(inside, address, 0)], 0)
    return words[address] if address < len(words) else 0


def _lfsr(state, taps, steps):
    """A Fibonacci LFSR stepped `steps` times, shifting left, the new bit in bit 0."""
    for _ in range(steps):
        bit = 0
        for tap in taps:
            bit ^= state >> tap
        state = ((state << 1) | (bit & 1)) & ((1 << 64) - 1)
    return state

)";

class PythonModel {
public:
    PythonModel(std::FILE* out, const Circuit& c) : out_(out), c_(c) {}
    void Tables() const;
    void Function() const;
    void Clocked() const;

private:
    void Put(const std::string& text) const { coe::Put(out_, text); }
    static std::string V(Signal s) { return "v" + std::to_string(s.id); }
    static std::string Wrapped(const std::string& value, const hardware::Type& type)
    {
        return "_wrap(" + value + ", " + std::to_string(type.width) + ", " + (type.isSigned ? "True" : "False") + ")";
    }
    std::string Value(const Node& n, bool wires) const;
    void Body(bool wires, const std::string& indent) const;
    std::string Inputs() const;

    std::FILE* out_;
    const Circuit& c_;
};

void PythonModel::Tables() const
{
    for (const hardware::Table& table : c_.Tables()) {
        const std::string name = "_" + table.name;
        Put(name + " = (");
        char word[16];
        for (std::size_t k = 0; k < table.words.size(); ++k) {
            std::snprintf(word, sizeof word, "0x%X,", table.words[k]);
            Put(std::string(k % 8 == 0 ? "\n    " : " ") + word);
        }
        Put("\n)\n" + name + "_array = _np.array(" + name + ", dtype=_np.int64) if _np is not None else None\n\n");
    }
}

std::string PythonModel::Value(const Node& n, bool wires) const
{
    const auto a = [&](std::size_t k) { return V(n.operands[k]); };
    switch (n.op) {
    case Op::Input: return Wrapped(n.name, n.type);
    case Op::Constant: return Wrapped(std::to_string(n.value), n.type);
    case Op::Register: return wires ? V(n.next) : "self._" + n.name;  // of its next's type
    case Op::Sum: {
        std::string sum = "0";
        for (const hardware::Term& term : n.terms)
            sum += (term.subtracted ? " - (" : " + (") + V(term.value) + " << " + std::to_string(term.shift) + ")";
        return Wrapped(sum, n.type);
    }
    case Op::Product: return Wrapped(a(0) + " * " + a(1), n.type);
    case Op::Negation: return Wrapped("-" + a(0), n.type);
    case Op::Not: return Wrapped("~" + a(0), n.type);
    case Op::And: return a(0) + " & " + a(1);
    case Op::Or: return a(0) + " | " + a(1);
    case Op::Xor: return a(0) + " ^ " + a(1);
    case Op::Slice: return Wrapped(a(0) + " >> " + std::to_string(n.value), n.type);
    case Op::Extension: return Wrapped(a(0), n.type);
    case Op::Concatenation: {
        std::string joined = "0";
        for (const Signal part : n.operands) {
            const int width = c_.At(part).type.width;
            joined = "(" + joined + " << " + std::to_string(width) + " | " + Wrapped(V(part), {width, false}) + ")";
        }
        return joined;
    }
    case Op::Choice: return "_choice(" + a(0) + ", " + a(1) + ", " + a(2) + ")";
    case Op::Equal: return "_bit(" + a(0) + " == " + a(1) + ")";
    case Op::Less: return "_bit(" + a(0) + " < " + a(1) + ")";
    case Op::Read: {
        const std::string name = "_" + c_.Tables()[static_cast<std::size_t>(n.index)].name;
        return "_read(" + name + ", " + name + "_array, " + a(0) + ")";
    }
    case Op::Lfsr: {
        std::string taps;
        for (const int tap : c_.Taps()[static_cast<std::size_t>(n.index)].bits)
            taps += std::to_string(tap) + ", ";
        return Wrapped("_lfsr(" + a(0) + ", (" + taps + "), " + std::to_string(n.value) + ")", n.type);
    }
    }
    return "0";
}

void PythonModel::Body(bool wires, const std::string& indent) const
{
    for (const Signal signal : hardware::Ordered(c_, wires)) {
        const std::int32_t id = signal.id;
        const Node& node = c_.At(signal);
        const bool named = !node.name.empty() && node.op != Op::Input && (wires || node.op != Op::Register);
        Put(indent + "v" + std::to_string(id) + " = " + Value(node, wires) + (named ? "  # " + node.name : "") + "\n");
    }
}

std::string PythonModel::Inputs() const
{
    std::string list;
    for (const Signal input : c_.Inputs())
        list += (list.empty() ? "" : ", ") + c_.At(input).name;
    return list;
}

std::string Outputs(const Circuit& c, const std::string& prefix)
{
    std::string list;
    for (const hardware::OutputPort& output : c.Outputs())
        list += (list.empty() ? "" : ", ") + prefix + "v" + std::to_string(output.value.id);
    return list;
}

void PythonModel::Function() const
{
    std::string names;
    for (const hardware::OutputPort& output : c_.Outputs())
        names += (names.empty() ? "" : ", ") + output.name;
    const std::string inputs = Inputs();
    Put("\ndef _at(" + inputs + "):\n");
    Body(true, "    ");
    Put("    return " + Outputs(c_, "") + "\n\n\n"
        "def at(" + inputs + "):\n    \"\"\"(" + names +
        ") for the inputs, as the unit gives them LATENCY edges later; an int or a\n"
        "    numpy array of them, taken in blocks that stay in the cache.\"\"\"\n"
        "    first = " + c_.At(c_.Inputs().front()).name + "\n"
        "    if not _array(first) or len(first) <= _BLOCK:\n        return _at(" + inputs + ")\n"
        "    blocks = [_at(first[k:k + _BLOCK]) for k in range(0, len(first), _BLOCK)]\n"
        "    return tuple(_np.concatenate(outputs) for outputs in zip(*blocks))\n\n");
}

void PythonModel::Clocked() const
{
    Put("\nclass Oscillator:\n    \"\"\"The unit, oscillator and all, edge by edge: step() is one rising edge with\n"
        "    its inputs (" + Inputs() + "), and gives its outputs after it.\"\"\"\n\n"
        "    def __init__(self):\n        # As at power-up: registers with no value there hold 0.\n");
    for (const Node& node : c_.Nodes())
        if (node.op == Op::Register)
            Put("        self._" + node.name + " = " + std::to_string(node.initial.value_or(0)) + "\n");
    Put("\n    def _settle(self, " + Inputs() + "):\n");
    Body(false, "        ");
    Put("        return locals()\n\n    def step(self, " + Inputs() + "):\n        v = self._settle(" + Inputs() + ")\n");
    for (const Node& node : c_.Nodes()) {
        if (node.op != Op::Register)
            continue;
        std::string next = "v['" + V(node.next) + "']";
        if (node.enable)
            next = next + " if v['" + V(node.enable) + "'] & 1 else self._" + node.name;
        if (node.reset)
            next = std::to_string(node.resetValue) + " if v['" + V(node.reset) + "'] & 1 else (" + next + ")";
        Put("        " + node.name + " = " + next + "\n");
    }
    for (const Node& node : c_.Nodes())
        if (node.op == Op::Register)
            Put("        self._" + node.name + " = " + node.name + "\n");
    std::string outputs;
    for (const hardware::OutputPort& output : c_.Outputs())
        outputs += (outputs.empty() ? "" : ", ") + std::string("v['") + V(output.value) + "']";
    Put("        v = self._settle(" + Inputs() + ")\n        return " + outputs + "\n");
}

}  // namespace

void PrintPython(std::FILE* out, const CUnit& unit)
{
    for (const std::string& line : unit.text.header)
        Put(out, line.empty() ? "#\n" : "# " + line + "\n");
    Put(out, "\"\"\"A bit-exact model of the unit's words: at(), and with an oscillator the class\n"
             "Oscillator, one rising edge of clk a step.\"\"\"\n\nLATENCY = " + std::to_string(unit.latency) + "\n");
    if (unit.clocked)
        Put(out, "DELAY = " + std::to_string(unit.delay) + "\n");
    Put(out, "\n");
    Put(out, kPrelude);
    const PythonModel function(out, unit.core);
    function.Tables();
    function.Function();
    if (unit.clocked)
        PythonModel(out, *unit.clocked).Clocked();
}

}  // namespace lumiro::coe
