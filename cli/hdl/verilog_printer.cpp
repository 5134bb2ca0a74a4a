// SPDX-License-Identifier: GPL-3.0-or-later
// Any circuit as Verilog-2005: each signal a wire or a reg of its width,
// every operand widened explicitly to the width it is read at, so that the
// language's own width rules have nothing to decide and Verilator's lint
// nothing to say; each table an array with its words in an initial block,
// the form every synthesis tool infers a ROM from. Every name inside ends in
// '_', which no --name may: none can hide another.
#include <algorithm>
#include <charconv>
#include <map>
#include <stdexcept>
#include <string>

#include "nco.h"
#include "printers.h"

namespace lumiro::coe {
namespace {

using hardware::Term;

std::string Number(std::int64_t value)
{
    return std::to_string(value);
}

// A value's bits as `width` binary or ceil(width / 4) hexadecimal digits.
std::string Digits(std::uint64_t value, int width, bool hexadecimal)
{
    std::string digits;
    const int step = hexadecimal ? 4 : 1;
    for (int bit = ((width + step - 1) / step - 1) * step; bit >= 0; bit -= step)
        digits += "0123456789ABCDEF"[(value >> bit) & (hexadecimal ? 15U : 1U)];
    return digits;
}

std::uint64_t Pattern(std::int64_t value, int width)
{
    const auto bits = static_cast<std::uint64_t>(value);
    return width >= 64 ? bits : bits & ((std::uint64_t{1} << width) - 1);
}

class Verilog {
public:
    Verilog(std::FILE* out, const Circuit& circuit, const UnitText& text)
        : out_(out), c_(circuit), layout_(circuit), text_(text), declared_(circuit.Nodes().size())
    {
    }
    void Print();

private:
    const Node& At(Signal s) const { return c_.At(s); }
    std::string Name(Signal s) const;
    static std::string Vector(const Type& type);
    static std::string Literal(std::int64_t value, const Type& type);
    std::string Expr(Signal s) const;
    std::string Written(Signal s) const;
    std::string Fit(Signal s, int width) const;
    std::string Extended(Signal s, int width, bool isSigned) const;
    std::string TopBit(Signal s) const;
    std::string SliceOf(const Node& node) const;
    std::string SumOf(const Node& node) const;
    std::string Stepped(const Node& node) const;
    void Put(const std::string& text) const { coe::Put(out_, text); }
    void Comment(const std::string& text, const std::string& indent = "    ") const;
    void Module() const;
    void Tables() const;
    void Functions(int section);
    void Section(int section);
    void Declare(Signal s);
    void Lint(bool off);
    void Blocks(int section) const;
    void Block(const std::vector<Signal>& registers) const;
    bool Printed(int section) const;

    std::FILE* out_;
    const Circuit& c_;
    Layout layout_;
    const UnitText& text_;
    std::vector<bool> declared_;
    bool lintOff_ = false;
    std::map<std::pair<int, std::int64_t>, std::string> functions_;  // (taps, steps): its name
};

std::string Verilog::Name(Signal s) const
{
    const Node& node = At(s);
    if (node.op == Op::Input || (node.op == Op::Register && layout_.DrivesPort(s)))
        return node.name;
    if (node.op == Op::Constant) {
        std::string upper = node.name;
        std::transform(upper.begin(), upper.end(), upper.begin(), [](char ch) {
            return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
        });
        return upper + "_";
    }
    return node.name + "_";
}

// "signed [15:0] ", or "" for a single bit.
std::string Verilog::Vector(const Type& type)
{
    return std::string(type.isSigned ? "signed " : "") +
           (type.width == 1 && !type.isSigned ? "" : "[" + Number(type.width - 1) + ":0] ");
}

std::string Verilog::Literal(std::int64_t value, const Type& type)
{
    const std::string width = Number(type.width);
    if (!type.isSigned) {
        const std::uint64_t bits = Pattern(value, type.width);
        return bits >> 32 == 0 ? width + "'d" + std::to_string(bits) : width + "'h" + Digits(bits, type.width, true);
    }
    if (value >= 0)
        return width + "'sd" + Number(value);
    if (type.width > 1 && value > -(std::int64_t{1} << (type.width - 1)))
        return "-" + width + "'sd" + Number(-value);
    return "$signed(" + width + "'h" + Digits(Pattern(value, type.width), type.width, true) + ")";
}

// A signal as an operand of its own width: its name, or what it is written as.
std::string Verilog::Expr(Signal s) const
{
    if (!layout_.Inline(s))
        return Name(s);
    return WrittenAsAtom(At(s).op) ? Written(s) : "(" + Written(s) + ")";
}

std::string Verilog::TopBit(Signal s) const
{
    const Node& node = At(s);
    if (!layout_.Inline(s))
        return node.type.width == 1 ? Name(s) : Name(s) + "[" + Number(node.type.width - 1) + "]";
    if (node.op == Op::Slice) {
        const Node& of = At(node.operands[0]);
        const std::string name = Name(node.operands[0]);
        return of.type.width == 1 ? name : name + "[" + Number(node.value + node.type.width - 1) + "]";
    }
    throw std::logic_error("verilog: the sign of a " + node.name + " written in place");
}

// `s` widened to `width` bits by its own sign (or zeros), read as signed or not.
std::string Verilog::Extended(Signal s, int width, bool isSigned) const
{
    const Node& node = At(s);
    if (layout_.Inline(s) && node.op == Op::Extension)
        return Extended(node.operands[0], width, isSigned);
    const int more = width - node.type.width;
    std::string text = Expr(s);
    if (more > 0)
        text = node.type.isSigned ? "{{" + Number(more) + "{" + TopBit(s) + "}}, " + text + "}"
                                  : "{" + Number(more) + "'d0, " + text + "}";
    if (isSigned && (more > 0 || !node.type.isSigned))
        return "$signed(" + text + ")";
    if (!isSigned && more == 0 && node.type.isSigned)
        return "$unsigned(" + text + ")";
    return text;
}

// `s` as an operand `width` bits wide, of its own signedness.
std::string Verilog::Fit(Signal s, int width) const
{
    const Node& node = At(s);
    if (node.type.width == width)
        return Expr(s);
    if (node.op == Op::Constant && layout_.Inline(s))
        return Literal(node.value, {width, node.type.isSigned});
    return Extended(s, width, node.type.isSigned);
}

std::string Verilog::SliceOf(const Node& node) const
{
    const Signal from = node.operands[0];
    const Node& of = At(from);
    const std::string name = Name(from);
    if (node.value == 0 && node.type.width == of.type.width) {
        if (node.type.isSigned == of.type.isSigned)
            return name;
        return (node.type.isSigned ? "$signed(" : "$unsigned(") + name + ")";
    }
    const std::string bits = node.type.width == 1
                                 ? "[" + Number(node.value) + "]"
                                 : "[" + Number(node.value + node.type.width - 1) + ":" + Number(node.value) + "]";
    return node.type.isSigned ? "$signed(" + name + bits + ")" : name + bits;
}

std::string Verilog::SumOf(const Node& node) const
{
    std::string text;
    for (const Term& term : node.terms) {
        std::string operand = Fit(term.value, node.type.width);
        if (term.shift > 0)
            operand = "(" + operand + (node.type.isSigned ? " <<< " : " << ") + Number(term.shift) + ")";
        text += (text.empty() ? (term.subtracted ? "-" : "") : (term.subtracted ? " - " : " + ")) + operand;
    }
    return text;
}

std::string Verilog::Stepped(const Node& node) const
{
    return functions_.at({node.index, node.value}) + "(" + Expr(node.operands[0]) + ")";
}

// What a signal is: the expression that computes it at its own width.
std::string Verilog::Written(Signal s) const
{
    const Node& node = At(s);
    const int width = node.type.width;
    const auto operand = [&](std::size_t k) { return node.operands[k]; };
    switch (node.op) {
    case Op::Input:
    case Op::Register:
        return Name(s);
    case Op::Constant:
        return Literal(node.value, node.type);
    case Op::Sum:
        return SumOf(node);
    case Op::Product:
        return Expr(operand(0)) + " * " + Expr(operand(1));
    case Op::Negation:
        return "-" + Fit(operand(0), width);
    case Op::Not:
        return "~" + Expr(operand(0));
    case Op::And:
        return Expr(operand(0)) + " & " + Expr(operand(1));
    case Op::Or:
        return Expr(operand(0)) + " | " + Expr(operand(1));
    case Op::Xor:
        return Expr(operand(0)) + " ^ " + Expr(operand(1));
    case Op::Slice:
        return SliceOf(node);
    case Op::Extension:
        return Extended(operand(0), width, node.type.isSigned);
    case Op::Concatenation: {
        std::string parts;
        for (const Signal part : node.operands)
            parts += (parts.empty() ? "" : ", ") + Expr(part);
        return node.type.isSigned ? "$signed({" + parts + "})" : "{" + parts + "}";
    }
    case Op::Choice:
        return Expr(operand(0)) + " ? " + Expr(operand(1)) + " : " + Expr(operand(2));
    case Op::Equal:
    case Op::Less: {
        const int wide = std::max(At(operand(0)).type.width, At(operand(1)).type.width);
        return Fit(operand(0), wide) + (node.op == Op::Equal ? " == " : " < ") + Fit(operand(1), wide);
    }
    case Op::Read:
        return c_.Tables()[static_cast<std::size_t>(node.index)].name + "_[" +
               (layout_.Inline(operand(0)) ? Written(operand(0)) : Expr(operand(0))) + "]";
    case Op::Lfsr:
        return Stepped(node);
    }
    return {};
}

void Verilog::Comment(const std::string& text, const std::string& indent) const
{
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string line = text.substr(at, end - at);
        Put(indent + (line.empty() ? "//" : "// " + line) + "\n");
        at = end + 1;
    }
}

void Verilog::Module() const
{
    for (const std::string& line : text_.header)
        Put(line.empty() ? "//\n" : "// " + line + "\n");
    Put("module " + text_.name + " (\n    input  wire " + c_.ClockName());
    for (const Signal input : c_.Inputs()) {
        const bool unread = layout_.PartlyUnread(input);
        Put(std::string(",\n") + (unread ? "    /* verilator lint_off UNUSEDSIGNAL */\n" : "") + "    input  wire " +
            Vector(At(input).type) + At(input).name + (unread ? "\n    /* verilator lint_on UNUSEDSIGNAL */" : ""));
    }
    for (const hardware::ModulePort& port : hardware::ModuleOutputs(c_)) {
        const Signal value = c_.Outputs()[port.first].value;
        const bool bus = port.count > 1;
        Put(",\n    output " + std::string(!bus && layout_.DrivesPort(value) ? "reg  " : "wire ") +
            Vector(bus ? hardware::Unsigned(port.width) : At(value).type) + port.name);
    }
    Put("\n);\n");
}

void Verilog::Tables() const
{
    for (const hardware::Table& table : c_.Tables()) {
        Put("\n");
        Comment(c_.Sections()[static_cast<std::size_t>(table.section)]);
        const std::string top = Number(table.word.width - 1);
        Put("    // (rom_style for Vivado and Yosys, syn_ramstyle for Synplify)\n"
            "    (* rom_style = \"block\", syn_ramstyle = \"block_ram\" *) reg [" + top + ":0] " + table.name +
            "_ [0:" + Number(static_cast<std::int64_t>(table.words.size()) - 1) + "];\n    initial begin\n");
        // One line a word, put together without allocating: a table has up to a million of them.
        const std::string open = "] = " + Number(table.word.width) + (text_.hexadecimal ? "'h" : "'b");
        const std::string start = "        " + table.name + "_[";
        char number[16];
        char digits[32];
        for (std::size_t i = 0; i < table.words.size(); ++i) {
            Put(start);
            coe::Put(out_, {number, static_cast<std::size_t>(std::to_chars(number, number + sizeof number, i).ptr - number)});
            Put(open);
            coe::Put(out_, WordDigits(table.words[i], table.word.width, text_.hexadecimal ? Radix::Hex : Radix::Binary,
                                      digits));
            Put(";\n");
        }
        Put("    end\n");
    }
}

// The LFSR's steps as a function, before the first use of each.
void Verilog::Functions(int section)
{
    std::vector<std::pair<int, std::int64_t>> kinds;
    for (const Node& node : c_.Nodes())
        if (node.op == Op::Lfsr && std::find(kinds.begin(), kinds.end(), std::pair{node.index, node.value}) == kinds.end())
            kinds.emplace_back(node.index, node.value);
    for (const Node& node : c_.Nodes()) {
        const std::pair kind{node.index, node.value};
        if (node.op != Op::Lfsr || node.section != section || functions_.count(kind) != 0)
            continue;
        const std::string name = kinds.size() == 1 ? "stepped_" : "stepped_" + Number(node.value) + "_";
        functions_[kind] = name;
        const int top = node.type.width - 1;
        std::string feedback;
        for (const int tap : c_.Taps()[static_cast<std::size_t>(node.index)].bits)
            feedback += (feedback.empty() ? "" : " ^ ") + name + "[" + Number(tap) + "]";
        Put("    function [" + Number(top) + ":0] " + name + ";\n        input [" + Number(top) +
            ":0] state_;\n        integer step_;\n        begin\n            " + name +
            " = state_;\n            for (step_ = 0; step_ < " + Number(node.value) +
            "; step_ = step_ + 1)\n                " + name + " = {" + name + "[" + Number(top - 1) + ":0], " +
            feedback + "};\n        end\n    endfunction\n");
    }
}

void Verilog::Declare(Signal s)
{
    const Node& node = At(s);
    const auto at = static_cast<std::size_t>(s.id);
    if (declared_[at] || layout_.Inline(s) || node.op == Op::Input || (node.op == Op::Register && layout_.DrivesPort(s)))
        return;
    declared_[at] = true;
    std::string line;
    if (node.op == Op::Register) {
        line = "reg " + Vector(node.type) + Name(s) + (node.initial ? " = " + Literal(*node.initial, node.type) : "");
    } else {
        for (const Signal read : layout_.Reads(s))
            Declare(read);
        line = node.op == Op::Constant
                   ? "localparam " + Vector(node.type) + Name(s) + " = " + Number(node.type.width) +
                         (text_.hexadecimal ? "'h" : "'b") +
                         Digits(Pattern(node.value, node.type.width), node.type.width, text_.hexadecimal)
                   : "wire " + Vector(node.type) + Name(s) + " = " + Written(s);
    }
    Lint(layout_.PartlyUnread(s) && node.op != Op::Constant);
    Put("    " + line + ";\n");
}

// Verilator is told once, around declarations of which some bits are read by
// nothing (the low bits below a rounding, the truncated bits).
void Verilog::Lint(bool off)
{
    if (off != lintOff_)
        Put(off ? "    /* verilator lint_off UNUSEDSIGNAL */  // bits that nothing reads\n"
                : "    /* verilator lint_on UNUSEDSIGNAL */\n");
    lintOff_ = off;
}

bool Verilog::Printed(int section) const
{
    for (std::size_t at = 0; at < c_.Nodes().size(); ++at) {
        const Node& node = c_.Nodes()[at];
        const Signal s{static_cast<std::int32_t>(at)};
        if ((node.section == section && !layout_.Inline(s) && node.op != Op::Input) ||
            (node.op == Op::Register && layout_.BlockSection(s) == section))
            return true;
    }
    return false;
}

void Verilog::Section(int section)
{
    if (!Printed(section))
        return;
    Put("\n");
    Comment(c_.Sections()[static_cast<std::size_t>(section)]);
    Functions(section);
    for (std::size_t at = 0; at < c_.Nodes().size(); ++at)
        if (c_.Nodes()[at].section == section)
            Declare({static_cast<std::int32_t>(at)});
    Lint(false);
    Blocks(section);
}

// The registers whose block stands in this section, a block for each enable and reset.
void Verilog::Blocks(int section) const
{
    std::vector<std::vector<Signal>> groups;
    for (std::size_t at = 0; at < c_.Nodes().size(); ++at) {
        const Signal s{static_cast<std::int32_t>(at)};
        const Node& node = c_.Nodes()[at];
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
        Block(group);
}

void Verilog::Block(const std::vector<Signal>& registers) const
{
    const Node& first = At(registers.front());
    const auto assignments = [&](const std::string& indent, bool reset) {
        std::string text;
        for (const Signal reg : registers) {
            const Node& node = At(reg);
            text += indent + Name(reg) + " <= " +
                    (reset ? Literal(node.resetValue, node.type)
                           : (layout_.Inline(node.next) ? Written(node.next) : Name(node.next))) +
                    ";\n";
        }
        return text;
    };
    const std::string enable = first.enable ? "if (" + Expr(first.enable) + ") " : "";
    if (!first.reset) {
        Put("    always @(posedge " + c_.ClockName() + ") " + enable + "begin\n" + assignments("        ", false) + "    end\n");
        return;
    }
    Put("    always @(posedge " + c_.ClockName() + ")\n        if (" + Expr(first.reset) + ") begin\n" + assignments("            ", true) +
        "        end else " + enable + "begin\n" + assignments("            ", false) + "        end\n");
}

void Verilog::Print()
{
    Module();
    Tables();
    for (int section = 0; section < static_cast<int>(c_.Sections().size()); ++section)
        Section(section);
    bool assigned = false;
    for (const hardware::ModulePort& port : hardware::ModuleOutputs(c_)) {
        int top = port.width;  // a bus's lanes, the most significant first
        for (std::size_t o = port.first; o < port.first + port.count; ++o) {
            const hardware::OutputPort& output = c_.Outputs()[o];
            const int width = At(output.value).type.width;
            top -= width;
            if (port.count == 1 && layout_.DrivesPort(output.value))
                continue;
            const std::string lane = port.count == 1 ? "" : "[" + Number(top + width - 1) + ":" + Number(top) + "]";
            Put(std::string(assigned ? "" : "\n") + "    assign " + port.name + lane + " = " + Fit(output.value, width) +
                ";\n");
            assigned = true;
        }
    }
    Put("\nendmodule\n");
}

}  // namespace

void PrintVerilog(std::FILE* out, const Circuit& circuit, const UnitText& text)
{
    Verilog(out, circuit, text).Print();
}

}  // namespace lumiro::coe
