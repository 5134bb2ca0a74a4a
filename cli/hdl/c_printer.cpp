// SPDX-License-Identifier: GPL-3.0-or-later
// Any circuit as a bit-exact C99 model, which compiles as C++ too: every
// signal a uint64_t holding its value wrapped to its type (a signed one
// widened by its top bit), every operation as the circuit's evaluation does
// it, so that the model, the HDL and the proof are one description. A unit
// is a function of its phase (its registers as wires); a clocked circuit a
// state and a step, one rising edge of the clock.
#include <string>
#include <vector>

#include "hardware/units.h"
#include "printers.h"

namespace lumiro::coe {
namespace {

using hardware::Node;
using hardware::Op;
using hardware::Signal;

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string Hex(std::uint64_t value)
{
    char text[32];
    std::snprintf(text, sizeof text, "UINT64_C(0x%llX)", static_cast<unsigned long long>(value));
    return text;
}

class CModel {
public:
    CModel(std::FILE* out, const Circuit& c, std::string name) : out_(out), c_(c), name_(std::move(name)) {}

    void Helpers(bool wrap) const;
    void Tables() const;
    void Function() const;
    void Clocked() const;

private:
    void Put(const std::string& text) const { coe::Put(out_, text); }
    std::string V(Signal s) const { return "v[" + std::to_string(s.id) + "]"; }
    std::string Wrapped(const std::string& value, const hardware::Type& type) const
    {
        return name_ + "_wrap_(" + value + ", " + std::to_string(type.width) + ", " + (type.isSigned ? "1" : "0") + ")";
    }
    std::string Value(std::int32_t id, bool wires) const;
    std::string Parameters(bool state) const;
    void Body(bool wires, const std::string& indent) const;

    std::FILE* out_;
    const Circuit& c_;
    std::string name_;
};

void CModel::Helpers(bool wrap) const
{
    if (wrap)
        Put("/* A value wrapped to w bits: its low bits, for a signed type widened by the top one. */\n"
        "static inline uint64_t " + name_ + "_wrap_(uint64_t v, int w, int is_signed)\n{\n"
        "    const uint64_t top = UINT64_C(1) << (w - 1);\n"
        "    if (w < 64)\n        v &= (top << 1) - 1;\n"
        "    return is_signed && w < 64 ? (v ^ top) - top : v;\n}\n\n");
    for (std::size_t k = 0; k < c_.Taps().size(); ++k) {
        std::string bit;
        for (const int tap : c_.Taps()[k].bits)
            bit += (bit.empty() ? "(s >> " : " ^ (s >> ") + std::to_string(tap) + ")";
        Put("/* A Fibonacci LFSR stepped n times, shifting left, the new bit in bit 0. */\n"
            "static inline uint64_t " + name_ + "_lfsr" + std::to_string(k) + "_(uint64_t s, long n)\n{\n"
            "    for (; n > 0; --n)\n        s = (s << 1) | ((" + bit + ") & 1u);\n    return s;\n}\n\n");
    }
}

void CModel::Tables() const
{
    for (const hardware::Table& table : c_.Tables()) {
        Put("static const uint32_t " + name_ + "_" + table.name + "_[" + std::to_string(table.words.size()) + "] = {\n");
        char word[16];
        for (std::size_t k = 0; k < table.words.size(); ++k) {
            std::snprintf(word, sizeof word, "0x%Xu", table.words[k]);
            Put(std::string(k % 8 == 0 ? "    " : " ") + word + (k + 1 < table.words.size() ? "," : "") +
                (k % 8 == 7 || k + 1 == table.words.size() ? "\n" : ""));
        }
        Put("};\n\n");
    }
}

std::string CModel::Value(std::int32_t id, bool wires) const
{
    const Node& n = c_.Nodes()[static_cast<std::size_t>(id)];
    const auto a = [&](std::size_t k) { return V(n.operands[k]); };
    switch (n.op) {
    case Op::Input: return Wrapped(n.name, n.type);
    case Op::Constant: return Wrapped(Hex(static_cast<std::uint64_t>(n.value)), n.type);
    case Op::Register: return wires ? Wrapped(V(n.next), n.type) : "s->" + n.name + "_";
    case Op::Sum: {
        std::string sum = "UINT64_C(0)";
        for (const hardware::Term& term : n.terms)
            sum += (term.subtracted ? " - (" : " + (") + V(term.value) + " << " + std::to_string(term.shift) + ")";
        return Wrapped(sum, n.type);
    }
    case Op::Product: return Wrapped(a(0) + " * " + a(1), n.type);
    case Op::Negation: return Wrapped("UINT64_C(0) - " + a(0), n.type);
    case Op::Not: return Wrapped("~" + a(0), n.type);
    case Op::And: return a(0) + " & " + a(1);
    case Op::Or: return a(0) + " | " + a(1);
    case Op::Xor: return a(0) + " ^ " + a(1);
    case Op::Slice: return Wrapped(a(0) + " >> " + std::to_string(n.value), n.type);
    case Op::Extension: return Wrapped(a(0), n.type);
    case Op::Concatenation: {
        std::string joined = "UINT64_C(0)";
        for (const Signal part : n.operands) {
            const int width = c_.At(part).type.width;
            joined = "(" + joined + " << " + std::to_string(width) + " | " + Wrapped(V(part), {width, false}) + ")";
        }
        return joined;
    }
    case Op::Choice: return "(" + a(0) + " & 1u) ? " + a(1) + " : " + a(2);
    case Op::Equal: return "(uint64_t)(" + a(0) + " == " + a(1) + ")";
    case Op::Less:
        if (c_.At(n.operands[0]).type.isSigned)  // compared with their sign bits flipped
            return "(uint64_t)((" + a(0) + " ^ (UINT64_C(1) << 63)) < (" + a(1) + " ^ (UINT64_C(1) << 63)))";
        return "(uint64_t)(" + a(0) + " < " + a(1) + ")";
    case Op::Read: {
        const hardware::Table& table = c_.Tables()[static_cast<std::size_t>(n.index)];
        return a(0) + " < " + std::to_string(table.words.size()) + "u ? (uint64_t)" + name_ + "_" + table.name + "_[" +
               a(0) + "] : 0";  // beyond the table: no defined word
    }
    case Op::Lfsr:
        return Wrapped(name_ + "_lfsr" + std::to_string(n.index) + "_(" + a(0) + ", " + std::to_string(n.value) + ")",
                       n.type);
    }
    return "0";
}

void CModel::Body(bool wires, const std::string& indent) const
{
    for (const Signal signal : hardware::Ordered(c_, wires)) {
        const std::int32_t id = signal.id;
        const Node& node = c_.At(signal);
        Put(indent + "v[" + std::to_string(id) + "] = " + Value(id, wires) + ";" +
            (node.name.empty() || node.op == Op::Input || (node.op == Op::Register && !wires) ? ""
                                                                                             : " /* " + node.name + " */") +
            "\n");
    }
}

// The inputs by value, the outputs by pointer, after the state where there is one.
std::string CModel::Parameters(bool state) const
{
    std::string list = state ? name_ + "_state* s" : "";
    for (const Signal input : c_.Inputs())
        list += (list.empty() ? "" : ", ") + std::string("uint64_t ") + c_.At(input).name;
    for (const hardware::OutputPort& output : c_.Outputs())
        list += (list.empty() ? "" : ", ") + std::string(c_.At(output.value).type.width > 32 ? "uint64_t* " : "uint32_t* ") +
                output.name;
    return list;
}

void CModel::Function() const
{
    Put("/* The outputs of the inputs, as the unit gives them " + Upper(name_) + "_LATENCY edges later. */\n"
        "static inline void " + name_ + "_at(" + Parameters(false) + ")\n{\n    uint64_t v[" +
        std::to_string(c_.Nodes().size()) + "];\n");
    Body(true, "    ");
    for (const hardware::OutputPort& output : c_.Outputs())
        Put("    *" + output.name + " = (" + (c_.At(output.value).type.width > 32 ? "uint64_t" : "uint32_t") + ")" +
            V(output.value) + ";\n");
    Put("}\n\n");
}

void CModel::Clocked() const
{
    Put("/* The registers, as the unit holds them. */\ntypedef struct {\n");
    for (const Node& node : c_.Nodes())
        if (node.op == Op::Register)
            Put("    uint64_t " + node.name + "_;\n");
    Put("} " + name_ + "_state;\n\n/* As at power-up: registers with no value there hold 0. */\n"
        "static inline void " + name_ + "_init(" + name_ + "_state* s)\n{\n");
    for (const Node& node : c_.Nodes())
        if (node.op == Op::Register)
            Put("    s->" + node.name + "_ = " + Hex(static_cast<std::uint64_t>(node.initial.value_or(0))) + ";\n");
    const std::string count = std::to_string(c_.Nodes().size());
    Put("}\n\n/* Every signal from the registers and the inputs. */\nstatic inline void " + name_ + "_settle_(const " +
        name_ + "_state* s, uint64_t* v");
    for (const Signal input : c_.Inputs())
        Put(", uint64_t " + c_.At(input).name);
    Put(")\n{\n");
    Body(false, "    ");
    Put("}\n\n/* One rising edge of the clock with these inputs; the outputs after it. */\nstatic inline void " + name_ +
        "_step(" + Parameters(true) + ")\n{\n    uint64_t v[" + count + "];\n    " + name_ + "_state next = *s;\n");
    std::string inputs;
    for (const Signal input : c_.Inputs())
        inputs += ", " + c_.At(input).name;
    Put("    " + name_ + "_settle_(s, v" + inputs + ");\n");
    for (std::size_t id = 0; id < c_.Nodes().size(); ++id) {
        const Node& node = c_.Nodes()[id];
        if (node.op != Op::Register)
            continue;
        std::string line = "next." + node.name + "_ = " + V(node.next) + ";";
        if (node.enable)
            line = "if (" + V(node.enable) + " & 1u) " + line;
        if (node.reset)
            line = "if (" + V(node.reset) + " & 1u) next." + node.name + "_ = " +
                   Hex(static_cast<std::uint64_t>(node.resetValue)) + "; else " + line;
        Put("    " + line + "\n");
    }
    Put("    *s = next;\n    " + name_ + "_settle_(s, v" + inputs + ");\n");
    for (const hardware::OutputPort& output : c_.Outputs())
        Put("    *" + output.name + " = (" + (c_.At(output.value).type.width > 32 ? "uint64_t" : "uint32_t") + ")" +
            V(output.value) + ";\n");
    Put("}\n\n");
}

}  // namespace

void PrintC(std::FILE* out, const CUnit& unit)
{
    const std::string guard = Upper(unit.text.name) + "_H";
    for (const std::string& line : unit.text.header)
        Put(out, line.empty() ? "/*\n" : "/* " + line + " */\n");
    Put(out, "/* A bit-exact model of the unit's words: " + unit.text.name + "_at(), and with an oscillator\n   " +
                 unit.text.name + "_init() and " + unit.text.name +
                 "_step(), one rising edge of clk. Every signal is a uint64_t. */\n");
    Put(out, "#ifndef " + guard + "\n#define " + guard + "\n\n#include <stdint.h>\n\n#define " + Upper(unit.text.name) +
                 "_LATENCY " + std::to_string(unit.latency) + "\n");
    if (unit.clocked)
        Put(out, "#define " + Upper(unit.text.name) + "_DELAY " + std::to_string(unit.delay) + "\n");
    Put(out, "\n");
    const CModel function(out, unit.core, unit.text.name);
    function.Helpers(true);
    function.Tables();
    function.Function();
    if (unit.clocked) {
        const CModel clocked(out, *unit.clocked, unit.text.name);
        clocked.Helpers(false);
        clocked.Clocked();
    }
    Put(out, "#endif\n");
}

void WriteModel(std::FILE* out, const Request& request, const UnitPlan& plan, void (*print)(std::FILE*, const CUnit&))
{
    UnitPlan bare = plan;
    bare.axiStream = false;
    const hardware::Circuit clocked = hardware::UnitCircuit(bare, request.table);
    bare.valid = false;  // a function of the phase alone
    bare.clockEnable = false;
    const hardware::Circuit core = hardware::CoreCircuit(bare, request.table);
    print(out, {core, plan.nco ? &clocked : nullptr, UnitTextOf(request, plan), plan.latency,
                plan.nco ? OscillatorDelay(plan) : 0});
}

}  // namespace lumiro::coe
