// SPDX-License-Identifier: GPL-3.0-or-later
// A synchronous circuit as the units are made of: typed signals, registers
// on one clock, tables read through ports, and the few operations the units
// use. A builder makes one from a unit's plan; each language prints it, and
// Evaluation runs it bit for bit, so that the HDL, the model and the proof
// are one description.
//
// Every operation is exact and then wraps to its signal's type: operands are
// widened by their own sign (or zeros), the result is taken modulo 2^width.
// Where the builder states no type, the signal gets the narrowest one that
// holds every value its operands can give, so no width is stated twice.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumiro::hardware {

struct Type {
    int width = 1;
    bool isSigned = false;
    friend bool operator==(const Type&, const Type&) = default;
};
inline constexpr Type Unsigned(int width)
{
    return {width, false};
}
inline constexpr Type Signed(int width)
{
    return {width, true};
}
inline constexpr int kWidestSignal = 64;

// A signal of a circuit, by its place in it.
struct Signal {
    std::int32_t id = -1;
    explicit operator bool() const { return id >= 0; }
    friend bool operator==(Signal, Signal) = default;
};

enum class Op : std::uint8_t {
    Input,          // a port, beside the clock
    Constant,
    Register,       // on the clock's rising edge: its reset value, or where enabled its next
    Sum,            // terms: each operand shifted left, added or taken off
    Product,        // two operands, at the width of both
    Negation,
    Not,
    And,
    Or,
    Xor,
    Slice,          // `width` bits from bit `low` up
    Extension,      // widened by its own sign (or zeros), read as this type
    Concatenation,  // the first operand the most significant
    Choice,         // a one-bit select: the first value where it is 1, the second where 0
    Equal,          // one bit
    Less,           // one bit
    Read,           // a table's word at an address
    Lfsr,           // a Fibonacci LFSR stepped `value` times, shifting left, the new bit in bit 0
};

struct Term {
    Signal value;
    int shift = 0;
    bool subtracted = false;
};

// The values a signal can take, as wide as any product of two signals.
__extension__ typedef __int128 Wide;
struct Range {
    Wide low = 0;
    Wide high = 0;
};

struct Node {
    Op op = Op::Constant;
    Type type;
    // Named signals are declared; a nameless one is written where it is used,
    // which its printer may only do for a constant, a slice, an extension or a
    // concatenation, or for what a single register or output takes as it is.
    std::string name;
    std::vector<Signal> operands;
    std::vector<Term> terms;  // a sum's
    std::int64_t value = 0;   // a constant's value, a slice's low bit, an LFSR's steps
    int index = -1;           // a read's table, an LFSR's taps
    int section = 0;          // the part of the circuit it is written in
    Range range;
    // A register's: its next value, the one-bit signals that enable and reset
    // it (none: always enabled, never reset), its value at power-up (none:
    // undefined until first written), and what reset loads.
    Signal next;
    Signal enable;
    Signal reset;
    std::optional<std::int64_t> initial;
    std::int64_t resetValue = 0;
};

// A memory read through ports, its words as the circuit's contents.
struct Table {
    std::string name;
    Type word;
    std::vector<std::uint32_t> words;
    int section = 0;
    // Hints for synthesis: kept in a block RAM, read through two ports at most.
    bool blockRam = true;
};

struct OutputPort {
    std::string name;
    Signal value;
    // Where it is a lane of a wider port: that port's name. A bus's lanes are
    // made one after the other, the most significant first.
    std::string bus;
};

// A port of the module: an output, or a bus of outputs side by side.
struct ModulePort {
    std::string name;
    int width = 0;
    std::size_t first = 0;  // its outputs in Outputs()
    std::size_t count = 1;
};

// The feedback taps of the dither's LFSR (bit numbers of its state).
struct LfsrTaps {
    std::vector<int> bits;
};

struct RegisterOptions {
    std::optional<std::int64_t> initial = 0;
    Signal reset;  // none: not reset
    std::int64_t resetValue = 0;
    bool enabled = true;  // by the circuit's enable, where it has one

    // Undefined until first written, as the block RAM's own output registers.
    static constexpr RegisterOptions Undefined()
    {
        RegisterOptions options;
        options.initial.reset();
        return options;
    }
    // Cleared by `by` (to `value`, which it also holds at power-up).
    static constexpr RegisterOptions ResetBy(Signal by, std::int64_t value = 0)
    {
        RegisterOptions options;
        options.initial = value;
        options.reset = by;
        options.resetValue = value;
        return options;
    }
};

class Circuit {
public:
    // Ports, in the order the module lists them after its clock.
    Signal Input(std::string name, Type type);
    void Output(std::string name, Signal value, std::string bus = {});
    // Names made from here on begin with `names`, and each section's comment
    // with `comments`: a part of the circuit made again beside itself.
    void Prefix(std::string names, std::string comments)
    {
        namePrefix_ = std::move(names);
        commentPrefix_ = std::move(comments);
    }
    // Registers made from here on are enabled by `enable` (one bit).
    void EnableBy(Signal enable) { enable_ = enable; }
    Signal Enable() const { return enable_; }
    // A register made before, enabled by that enable after all: one the
    // enable itself reads.
    void EnableToo(Signal reg);
    // The clock's port, clk unless named otherwise.
    void NameClock(std::string name) { clock_ = std::move(name); }
    const std::string& ClockName() const { return clock_; }

    // What follows is a part of its own, with its comment (lines apart by \n).
    void Section(std::string comment);

    // A named constant is declared; a nameless one written where it is used.
    // An unsigned 64-bit constant takes its value's bits.
    Signal Constant(std::int64_t value, Type type, std::string name = {});
    // The narrowest sum that holds every value, or one of `type`, wrapping.
    Signal Sum(std::vector<Term> terms, std::string name = {}, std::optional<Type> type = {});
    Signal Add(Signal a, Signal b, std::string name = {}, std::optional<Type> type = {});
    // The type Sum would give these terms.
    Type SumType(const std::vector<Term>& terms) const;
    Signal Subtract(Signal a, Signal b, std::string name = {}, std::optional<Type> type = {});
    Signal Product(Signal a, Signal b, std::string name = {});
    Signal Negation(Signal a, std::string name = {}, std::optional<Type> type = {});
    Signal Not(Signal a, std::string name = {});
    Signal And(Signal a, Signal b, std::string name = {});
    Signal Or(Signal a, Signal b, std::string name = {});
    Signal Xor(Signal a, Signal b, std::string name = {});
    // Bits low .. low + type.width - 1 of `a`, read as `type`.
    Signal Slice(Signal a, int low, Type type, std::string name = {});
    Signal Bit(Signal a, int bit, std::string name = {});
    // The value shifted right by `bits`, rounded down, at the narrowest width
    // that holds it.
    Signal ShiftedDown(Signal a, int bits, std::string name = {});
    Signal Extension(Signal a, Type type, std::string name = {});
    Signal Concatenation(std::vector<Signal> parts, std::string name = {});
    Signal Choice(Signal select, Signal whenOne, Signal whenZero, std::string name = {});
    Signal Equal(Signal a, Signal b, std::string name = {});
    Signal Less(Signal a, Signal b, std::string name = {});
    // A table's word at `address`; the table holds 2^width(address) words.
    Signal Read(int table, Signal address, std::string name = {});
    Signal Lfsr(Signal state, const LfsrTaps& taps, int steps, std::string name = {});

    int AddTable(std::string name, Type word, std::vector<std::uint32_t> words);

    // A register of `type`; its next value is connected later (a feedback).
    Signal Register(std::string name, Type type, const RegisterOptions& options = {});
    void Connect(Signal reg, Signal next);
    // A register that takes `value` on every enabled edge.
    Signal Delayed(Signal value, std::string name, const RegisterOptions& options = {});
    // `value` through `stages` registers named name_1, name_2, ...
    Signal Delayed(Signal value, int stages, const std::string& name, const RegisterOptions& options = {});

    const std::vector<Node>& Nodes() const { return nodes_; }
    const Node& At(Signal signal) const { return nodes_[static_cast<std::size_t>(signal.id)]; }
    const std::vector<Table>& Tables() const { return tables_; }
    const std::vector<OutputPort>& Outputs() const { return outputs_; }
    const std::vector<std::string>& Sections() const { return sections_; }
    std::vector<Signal> Inputs() const;
    Signal InputNamed(std::string_view name) const;  // none where there is no such port
    Signal OutputNamed(std::string_view name) const;
    const std::vector<LfsrTaps>& Taps() const { return taps_; }
    // How many signals read each signal (registers' next, enable and reset,
    // and outputs, included).
    std::vector<int> Uses() const;

private:
    Signal Append(Node node);
    Range SumRange(const std::vector<Term>& terms, int& widest) const;
    Signal Bitwise(Op op, Signal a, Signal b, std::string name);

    std::vector<Node> nodes_;
    std::vector<Table> tables_;
    std::vector<OutputPort> outputs_;
    std::vector<std::string> sections_{std::string()};
    std::vector<LfsrTaps> taps_;
    Signal enable_;
    std::string clock_ = "clk";
    std::string namePrefix_;
    std::string commentPrefix_;
};

// The module's output ports: each output, its buses' lanes joined.
std::vector<ModulePort> ModuleOutputs(const Circuit& circuit);

// Every signal after the signals it reads, registers reading their next where
// they are wires (a function of the inputs), else read as they hold (a state).
std::vector<Signal> Ordered(const Circuit& circuit, bool registersAsWires);

// The narrowest type of the given signedness that holds every value of `range`.
Type Fitting(const Range& range, bool isSigned);
// Every value of a type.
Range RangeOf(const Type& type);

}  // namespace lumiro::hardware
