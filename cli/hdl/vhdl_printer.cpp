// SPDX-License-Identifier: GPL-3.0-or-later
// Any circuit as VHDL-93: an entity of std_logic ports and an architecture
// whose signals are numeric_std's unsigned and signed of their widths, every
// operand resized to the width it is read at; each table a signal array with
// its words, the form Vivado's guide gives for a ROM.
#include <algorithm>
#include <charconv>
#include <map>
#include <stdexcept>
#include <string>

#include "printers.h"

namespace lumiro::coe {
namespace {

using hardware::Term;

std::string Number(std::int64_t value)
{
    return std::to_string(value);
}

std::uint64_t Pattern(std::int64_t value, int width)
{
    const auto bits = static_cast<std::uint64_t>(value);
    return width >= 64 ? bits : bits & ((std::uint64_t{1} << width) - 1);
}

// A bit string literal: hexadecimal where the width is whole digits (which
// VHDL-93 needs), binary otherwise.
std::string BitString(std::uint64_t value, int width, bool hexadecimal)
{
    const bool hex = hexadecimal && width % 4 == 0;
    const int step = hex ? 4 : 1;
    std::string digits;
    for (int bit = width - step; bit >= 0; bit -= step)
        digits += "0123456789ABCDEF"[(value >> bit) & (hex ? 15U : 1U)];
    return (hex ? "X\"" : "\"") + digits + "\"";
}

class Vhdl {
public:
    Vhdl(std::FILE* out, const Circuit& circuit, const UnitText& text)
        : out_(out), c_(circuit), layout_(circuit), text_(text)
    {
    }
    void Print();

private:
    const Node& At(Signal s) const { return c_.At(s); }
    static std::string TypeOf(const Type& type);
    static std::string Literal(std::int64_t value, const Type& type);
    std::string Name(Signal s) const;
    std::string Expr(Signal s) const;
    std::string Written(Signal s) const;
    std::string Fit(Signal s, int width) const;
    std::string Cast(std::string text, bool from, bool to) const;
    std::string SliceOf(const Node& node) const;
    std::string SumOf(const Node& node) const;
    std::string Condition(Signal s) const;
    std::string Compared(const Node& node) const;
    void Put(const std::string& text) const { coe::Put(out_, text); }
    void Comment(const std::string& text) const;
    void Entity() const;
    void Tables() const;
    void Functions();
    void Declarations() const;
    void Section(int section) const;
    void Concurrent(Signal s) const;
    void Process(const std::vector<Signal>& registers) const;
    void Assign(const std::string& target, bool port, Signal value, const std::string& indent) const;
    bool Printed(int section) const;
    bool IsPort(Signal s) const { return At(s).op == Op::Input; }

    std::FILE* out_;
    const Circuit& c_;
    Layout layout_;
    const UnitText& text_;
    std::map<std::pair<int, std::int64_t>, std::string> functions_;
};

std::string Vhdl::TypeOf(const Type& type)
{
    return std::string(type.isSigned ? "signed(" : "unsigned(") + Number(type.width - 1) + " downto 0)";
}

std::string Vhdl::Literal(std::int64_t value, const Type& type)
{
    const bool small = value > -(std::int64_t{1} << 31) && value < (std::int64_t{1} << 31) &&
                       (type.isSigned || value >= 0);
    if (small)
        return (type.isSigned ? "to_signed(" : "to_unsigned(") + Number(value) + ", " + Number(type.width) + ")";
    return (type.isSigned ? "signed'(" : "unsigned'(") + BitString(Pattern(value, type.width), type.width, true) + ")";
}

std::string Vhdl::Name(Signal s) const
{
    const Node& node = At(s);
    if (node.op != Op::Constant)
        return node.name;
    std::string upper = node.name;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char ch) {
        return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
    });
    return upper;
}

std::string Vhdl::Cast(std::string text, bool from, bool to) const
{
    return from == to ? text : (to ? "signed(" : "unsigned(") + text + ")";
}

// A signal as an operand of its own type.
std::string Vhdl::Expr(Signal s) const
{
    const Node& node = At(s);
    if (IsPort(s)) {
        const std::string type = node.type.isSigned ? "signed" : "unsigned";
        return node.type.width == 1 ? type + "'(0 => " + node.name + ")" : type + "(" + node.name + ")";
    }
    if (!layout_.Inline(s))
        return Name(s);
    return WrittenAsAtom(At(s).op) ? Written(s) : "(" + Written(s) + ")";
}

std::string Vhdl::Fit(Signal s, int width) const
{
    const Node& node = At(s);
    if (node.type.width == width)
        return Expr(s);
    if (node.op == Op::Constant && layout_.Inline(s))
        return Literal(node.value, {width, node.type.isSigned});
    return "resize(" + Expr(s) + ", " + Number(width) + ")";
}

std::string Vhdl::SliceOf(const Node& node) const
{
    const Signal from = node.operands[0];
    const Node& of = At(from);
    const bool whole = node.value == 0 && node.type.width == of.type.width;
    if (whole)
        return Cast(Expr(from), of.type.isSigned, node.type.isSigned);
    const std::string bits =
        "(" + Number(node.value + node.type.width - 1) + " downto " + Number(node.value) + ")";
    if (IsPort(from))
        return (node.type.isSigned ? "signed(" : "unsigned(") + of.name + bits + ")";
    return Cast(Name(from) + bits, of.type.isSigned, node.type.isSigned);
}

std::string Vhdl::SumOf(const Node& node) const
{
    std::vector<const Term*> terms;
    for (const Term& term : node.terms)
        terms.push_back(&term);
    // A term added first: unsigned has no sign to put in front.
    std::stable_partition(terms.begin(), terms.end(), [](const Term* term) { return !term->subtracted; });
    std::string text;
    for (const Term* term : terms) {
        std::string operand = Fit(term->value, node.type.width);
        if (term->shift > 0)
            operand = "shift_left(" + operand + ", " + Number(term->shift) + ")";
        if (text.empty() && term->subtracted)
            text = node.type.isSigned ? "-" + operand : Literal(0, node.type) + " - " + operand;
        else
            text += (text.empty() ? "" : (term->subtracted ? " - " : " + ")) + operand;
    }
    return text;
}

std::string Vhdl::Compared(const Node& node) const
{
    return Expr(node.operands[0]) + (node.op == Op::Equal ? " = " : " < ") + Expr(node.operands[1]);
}

// A one-bit signal as a condition.
std::string Vhdl::Condition(Signal s) const
{
    const Node& node = At(s);
    if (IsPort(s))
        return node.name + " = '1'";
    if (!layout_.Inline(s))
        return Name(s) + "(0) = '1'";
    if (node.op == Op::Equal || node.op == Op::Less)
        return Compared(node);
    if (node.op == Op::Slice) {
        const Signal from = node.operands[0];
        if (IsPort(from) && At(from).type.width == 1)
            return At(from).name + " = '1'";
        return (IsPort(from) ? At(from).name : Name(from)) + "(" + Number(node.value) + ") = '1'";
    }
    return Expr(s) + " = \"1\"";
}

std::string Vhdl::Written(Signal s) const
{
    const Node& node = At(s);
    const int width = node.type.width;
    const auto operand = [&](std::size_t k) { return node.operands[k]; };
    switch (node.op) {
    case Op::Input:
    case Op::Register:
        return Expr(s);
    case Op::Constant:
        return Literal(node.value, node.type);
    case Op::Sum:
        return SumOf(node);
    case Op::Product:
        return Expr(operand(0)) + " * " + Expr(operand(1));
    case Op::Negation:
        return node.type.isSigned ? "-" + Fit(operand(0), width)
                                  : Literal(0, node.type) + " - " + Fit(operand(0), width);
    case Op::Not:
        return "not " + Expr(operand(0));
    case Op::And:
        return Expr(operand(0)) + " and " + Expr(operand(1));
    case Op::Or:
        return Expr(operand(0)) + " or " + Expr(operand(1));
    case Op::Xor:
        return Expr(operand(0)) + " xor " + Expr(operand(1));
    case Op::Slice:
        return SliceOf(node);
    case Op::Extension: {
        const Node& of = At(operand(0));
        return Cast(Fit(operand(0), width), of.type.isSigned, node.type.isSigned);
    }
    case Op::Concatenation: {
        std::string parts;
        for (const Signal part : node.operands)
            parts += (parts.empty() ? "" : " & ") + Cast(Expr(part), At(part).type.isSigned, false);
        return Cast("unsigned'(" + parts + ")", false, node.type.isSigned);
    }
    case Op::Choice:
    case Op::Equal:
    case Op::Less:
        throw std::logic_error("vhdl: a choice or comparison inside an expression");
    case Op::Read:
        return c_.Tables()[static_cast<std::size_t>(node.index)].name + "(to_integer(" + Expr(operand(0)) + "))";
    case Op::Lfsr:
        return functions_.at({node.index, node.value}) + "(" + Expr(operand(0)) + ")";
    }
    return {};
}

void Vhdl::Comment(const std::string& text) const
{
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string line = text.substr(at, end - at);
        Put("    " + (line.empty() ? std::string("--") : "-- " + line) + "\n");
        at = end + 1;
    }
}

void Vhdl::Entity() const
{
    for (const std::string& line : text_.header)
        Put(line.empty() ? "--\n" : "-- " + line + "\n");
    Put("library ieee;\nuse ieee.std_logic_1164.all;\nuse ieee.numeric_std.all;\n\nentity " + text_.name +
        " is\n    port (\n");
    std::vector<std::pair<std::string, std::string>> ports{{c_.ClockName(), "in  std_logic"}};
    const auto kind = [](const Type& type) {
        return type.width == 1 ? std::string("std_logic") : "std_logic_vector(" + Number(type.width - 1) + " downto 0)";
    };
    for (const Signal input : c_.Inputs())
        ports.emplace_back(At(input).name, "in  " + kind(At(input).type));
    for (const hardware::ModulePort& port : hardware::ModuleOutputs(c_))
        ports.emplace_back(port.name, "out " + kind(hardware::Unsigned(port.width)));
    std::size_t longest = 0;
    for (const auto& port : ports)
        longest = std::max(longest, port.first.size());
    for (std::size_t k = 0; k < ports.size(); ++k)
        Put("        " + ports[k].first + std::string(longest - ports[k].first.size(), ' ') + " : " + ports[k].second +
            (k + 1 < ports.size() ? ";\n" : ");\n"));
    Put("end entity " + text_.name + ";\n\narchitecture rtl of " + text_.name + " is\n");
}

void Vhdl::Tables() const
{
    bool attributes = false;
    for (const hardware::Table& table : c_.Tables()) {
        Comment(c_.Sections()[static_cast<std::size_t>(table.section)]);
        Put("    -- (rom_style for Vivado, syn_ramstyle for Synplify)\n    type " + table.name + "_t is array (0 to " +
            Number(static_cast<std::int64_t>(table.words.size()) - 1) + ") of " + TypeOf(table.word) +
            ";\n    signal " + table.name + " : " + table.name + "_t := (\n");
        const Radix radix = text_.hexadecimal && table.word.width % 4 == 0 ? Radix::Hex : Radix::Binary;
        const char* open = radix == Radix::Hex ? " => X\"" : " => \"";
        char number[16];
        char digits[32];
        for (std::size_t i = 0; i < table.words.size(); ++i) {
            Put("        ");
            coe::Put(out_, {number, static_cast<std::size_t>(std::to_chars(number, number + sizeof number, i).ptr - number)});
            Put(open);
            coe::Put(out_, WordDigits(table.words[i], table.word.width, radix, digits));
            Put(i + 1 < table.words.size() ? "\",\n" : "\");\n");
        }
        if (!attributes)
            Put("    attribute rom_style : string;\n    attribute syn_ramstyle : string;\n");
        attributes = true;
        Put("    attribute rom_style of " + table.name + " : signal is \"block\";\n    attribute syn_ramstyle of " +
            table.name + " : signal is \"block_ram\";\n");
    }
}

void Vhdl::Functions()
{
    std::vector<std::pair<int, std::int64_t>> kinds;
    for (const Node& node : c_.Nodes())
        if (node.op == Op::Lfsr && std::find(kinds.begin(), kinds.end(), std::pair{node.index, node.value}) == kinds.end())
            kinds.emplace_back(node.index, node.value);
    for (const auto& [taps, steps] : kinds) {
        const std::string name = kinds.size() == 1 ? "stepped" : "stepped_" + Number(steps);
        functions_[{taps, steps}] = name;
        std::string feedback;
        for (const int tap : c_.Taps()[static_cast<std::size_t>(taps)].bits)
            feedback += (feedback.empty() ? "" : " xor ") + std::string("stepping(") + Number(tap) + ")";
        Put("    -- The LFSR stepped " + Number(steps) +
            " times: shifting left, the new bit the XOR of its taps.\n    function " + name +
            " (state : unsigned(63 downto 0)) return unsigned is\n        variable stepping : unsigned(63 downto 0) := "
            "state;\n    begin\n        for step in 1 to " + Number(steps) + " loop\n            stepping := stepping(62 downto 0) & (" +
            feedback + ");\n        end loop;\n        return stepping;\n    end function;\n");
    }
}

void Vhdl::Declarations() const
{
    for (std::size_t at = 0; at < c_.Nodes().size(); ++at) {
        const Signal s{static_cast<std::int32_t>(at)};
        const Node& node = c_.Nodes()[at];
        if (IsPort(s) || layout_.Inline(s) || (node.op == Op::Register && layout_.DrivesPort(s)))
            continue;
        if (node.op == Op::Register && c_.OutputNamed(node.name))
            throw std::logic_error("vhdl: register " + node.name + " is read beside its port");
        if (node.op == Op::Constant) {
            Put("    constant " + Name(s) + " : " + TypeOf(node.type) + " := " +
                BitString(Pattern(node.value, node.type.width), node.type.width, text_.hexadecimal) + ";\n");
            continue;
        }
        std::string initial;
        if (node.op == Op::Register && node.initial)
            initial = *node.initial == 0 ? " := (others => '0')"
                                         : " := " + BitString(Pattern(*node.initial, node.type.width), node.type.width, true);
        Put("    signal " + node.name + " : " + TypeOf(node.type) + initial + ";\n");
    }
}

void Vhdl::Concurrent(Signal s) const
{
    const Node& node = At(s);
    if (IsPort(s) || layout_.Inline(s) || node.op == Op::Register || node.op == Op::Constant)
        return;
    if (node.op == Op::Choice)
        Put("    " + node.name + " <= " + Expr(node.operands[1]) + " when " + Condition(node.operands[0]) + " else " +
            Expr(node.operands[2]) + ";\n");
    else if (node.op == Op::Equal || node.op == Op::Less)
        Put("    " + node.name + " <= \"1\" when " + Compared(node) + " else \"0\";\n");
    else
        Put("    " + node.name + " <= " + Written(s) + ";\n");
}

void Vhdl::Assign(const std::string& target, bool port, Signal value, const std::string& indent) const
{
    const Node& node = At(value);
    if (layout_.Inline(value) && node.op == Op::Choice) {
        Put(indent + "if " + Condition(node.operands[0]) + " then\n");
        Assign(target, port, node.operands[1], indent + "    ");
        Put(indent + "else\n");
        Assign(target, port, node.operands[2], indent + "    ");
        Put(indent + "end if;\n");
        return;
    }
    const std::string text = layout_.Inline(value) ? Written(value) : Expr(value);
    Put(indent + target + " <= " + (port ? "std_logic_vector(" + text + ")" : text) + ";\n");
}

void Vhdl::Process(const std::vector<Signal>& registers) const
{
    const Node& first = At(registers.front());
    Put("    process (" + c_.ClockName() + ")\n    begin\n        if rising_edge(" + c_.ClockName() + ") then\n");
    std::string indent = "            ";
    const auto all = [&](const std::string& in, bool reset) {
        for (const Signal reg : registers) {
            const Node& node = At(reg);
            const bool port = layout_.DrivesPort(reg);
            if (reset) {
                const std::string value = Literal(node.resetValue, node.type);
                Put(in + node.name + " <= " + (port ? "std_logic_vector(" + value + ")" : value) + ";\n");
            } else {
                Assign(node.name, port, node.next, in);
            }
        }
    };
    if (first.reset) {
        Put(indent + "if " + Condition(first.reset) + " then\n");
        all(indent + "    ", true);
        Put(indent + (first.enable ? "elsif " + Condition(first.enable) + " then\n" : "else\n"));
        all(indent + "    ", false);
        Put(indent + "end if;\n");
    } else if (first.enable) {
        Put(indent + "if " + Condition(first.enable) + " then\n");
        all(indent + "    ", false);
        Put(indent + "end if;\n");
    } else {
        all(indent, false);
    }
    Put("        end if;\n    end process;\n");
}

bool Vhdl::Printed(int section) const
{
    for (std::size_t at = 0; at < c_.Nodes().size(); ++at) {
        const Node& node = c_.Nodes()[at];
        const Signal s{static_cast<std::int32_t>(at)};
        if ((node.section == section && !layout_.Inline(s) && node.op != Op::Input && node.op != Op::Register &&
             node.op != Op::Constant) ||
            (node.op == Op::Register && layout_.BlockSection(s) == section))
            return true;
    }
    return false;
}

void Vhdl::Section(int section) const
{
    if (!Printed(section))
        return;
    if (section > 0 || !c_.Sections().front().empty())
        Put("\n");
    Comment(c_.Sections()[static_cast<std::size_t>(section)]);
    std::vector<std::vector<Signal>> groups;
    for (std::size_t at = 0; at < c_.Nodes().size(); ++at) {
        const Signal s{static_cast<std::int32_t>(at)};
        const Node& node = c_.Nodes()[at];
        if (node.section == section)
            Concurrent(s);
        if (node.op != Op::Register || layout_.BlockSection(s) != section)
            continue;
        const auto group = std::find_if(groups.begin(), groups.end(), [&](const std::vector<Signal>& g) {
            return At(g.front()).enable == node.enable && At(g.front()).reset == node.reset;
        });
        if (group == groups.end())
            groups.push_back({s});
        else
            group->push_back(s);
    }
    for (const std::vector<Signal>& group : groups)
        Process(group);
}

void Vhdl::Print()
{
    Entity();
    Tables();
    Functions();
    Declarations();
    Put("begin\n");
    for (int section = 0; section < static_cast<int>(c_.Sections().size()); ++section)
        Section(section);
    for (const hardware::ModulePort& port : hardware::ModuleOutputs(c_)) {
        int top = port.width;  // a bus's lanes, the most significant first
        for (std::size_t o = port.first; o < port.first + port.count; ++o) {
            const hardware::OutputPort& output = c_.Outputs()[o];
            const Type& type = At(output.value).type;
            top -= type.width;
            if (port.count == 1 && layout_.DrivesPort(output.value))
                continue;
            const std::string lane =
                port.count == 1 ? "" : "(" + Number(top + type.width - 1) + " downto " + Number(top) + ")";
            Put("    " + port.name + lane + " <= " +
                (type.width == 1 ? Name(output.value) + "(0)" : "std_logic_vector(" + Expr(output.value) + ")") +
                ";\n");
        }
    }
    Put("end architecture rtl;\n");
}

}  // namespace

void PrintVhdl(std::FILE* out, const Circuit& circuit, const UnitText& text)
{
    Vhdl(out, circuit, text).Print();
}

}  // namespace lumiro::coe
