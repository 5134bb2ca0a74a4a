// SPDX-License-Identifier: GPL-3.0-or-later
// What every language's printer needs to know of a circuit, besides its
// grammar: which signals are declared and which are written where they are
// used, which bits of each anything reads, and in which part of the text each
// register's clocked block stands. A nameless signal is written where it is
// used only where every language can: constants, slices, extensions and
// concatenations anywhere but as what a slice is taken of (and only a slice
// as what an extension widens); a bitwise operation where its own type is the
// context's; any other operation only as the one value of a register, an
// output or an operand of that exact type; a comparison also as a choice's
// select; a read and a choice only as a register's value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hardware/circuit.h"

namespace lumiro::coe {

using hardware::Circuit;
using hardware::Node;
using hardware::Op;
using hardware::Signal;
using hardware::Type;

// The text a printer writes besides the circuit: the unit's name, the lines
// of its header comment, the radix of its tables' words.
struct UnitText {
    std::string name;
    std::vector<std::string> header;
    bool hexadecimal = false;
};

// Whether an operation is written as an operand needs no parentheses: a
// constant, a slice, an extension, a concatenation.
bool WrittenAsAtom(Op op);

class Layout {
public:
    // Throws std::logic_error where a nameless signal cannot be written where it is used.
    explicit Layout(const Circuit& circuit);

    bool Inline(Signal signal) const { return inline_[Index(signal)]; }
    int Uses(Signal signal) const { return uses_[Index(signal)]; }
    // Whether some bit of the signal is read by nothing.
    bool PartlyUnread(Signal signal) const;
    // The section after whose signals a register's clocked block is written:
    // the last of its own and of those its value, enable and reset read.
    int BlockSection(Signal reg) const { return blockSection_[Index(reg)]; }
    // A register of more than one bit written straight to the output port of
    // its name, read by nothing else.
    bool DrivesPort(Signal reg) const { return drivesPort_[Index(reg)]; }
    // The declared signals an expression reads, through what is written inline.
    std::vector<Signal> Reads(Signal signal) const;

private:
    static std::size_t Index(Signal signal) { return static_cast<std::size_t>(signal.id); }
    void MarkContexts();
    void Decide(std::size_t at);
    void MarkReads();
    void PlaceBlocks();
    int LatestSection(Signal signal) const;

    const Circuit& circuit_;
    std::vector<int> uses_;
    std::vector<bool> inline_;
    std::vector<std::uint64_t> readBits_;
    std::vector<int> blockSection_;
    std::vector<bool> drivesPort_;
    // How each nameless signal is used: -1 not yet, else the kinds seen.
    std::vector<unsigned> contexts_;
};

}  // namespace lumiro::coe
