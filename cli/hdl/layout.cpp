// SPDX-License-Identifier: GPL-3.0-or-later
#include "layout.h"

#include <algorithm>
#include <stdexcept>

namespace lumiro::coe {
namespace {

// How a signal is read by one of its readers.
enum Context : unsigned {
    kSameType = 1,   // an operand evaluated at its own type
    kOtherType = 2,  // an operand widened to a wider type
    kOwn = 4,        // an operand of its own width: a product's, a comparison's, a part, an address
    kNamed = 8,      // a slice's or an extension's, which every language takes of a name only
    kSelect = 16,    // a choice's select, a register's enable or reset
    kRegister = 32,  // a register's next value
    kExtended = 64,  // an extension's, which takes a name or a slice of one
};

std::uint64_t Bits(int width, int low = 0)
{
    const std::uint64_t all = width >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << width) - 1;
    return all << low;
}

bool Within(unsigned contexts, unsigned allowed)
{
    return (contexts & ~allowed) == 0;
}

std::string Describe(const Node& node)
{
    static const char* const names[] = {"input", "constant", "register", "sum", "product", "negation", "not",
                                        "and", "or", "xor", "slice", "extension", "concatenation", "choice",
                                        "comparison", "comparison", "read", "LFSR"};
    return names[static_cast<int>(node.op)];
}

}  // namespace

bool WrittenAsAtom(Op op)
{
    switch (op) {
    case Op::Constant:
    case Op::Slice:
    case Op::Extension:
    case Op::Concatenation:
        return true;
    case Op::Input:
    case Op::Register:
    case Op::Sum:
    case Op::Product:
    case Op::Negation:
    case Op::Not:
    case Op::And:
    case Op::Or:
    case Op::Xor:
    case Op::Choice:
    case Op::Equal:
    case Op::Less:
    case Op::Read:
    case Op::Lfsr:
        return false;
    }
    return false;
}

Layout::Layout(const Circuit& circuit)
    : circuit_(circuit),
      uses_(circuit.Uses()),
      inline_(circuit.Nodes().size()),
      readBits_(circuit.Nodes().size()),
      blockSection_(circuit.Nodes().size()),
      drivesPort_(circuit.Nodes().size()),
      contexts_(circuit.Nodes().size())
{
    MarkContexts();
    for (std::size_t at = 0; at < circuit.Nodes().size(); ++at)
        Decide(at);
    MarkReads();
    PlaceBlocks();
}

void Layout::MarkContexts()
{
    const Circuit& circuit = circuit_;
    const auto mark = [&](Signal operand, unsigned context) { contexts_[Index(operand)] |= context; };
    for (const Node& node : circuit.Nodes()) {
        for (const hardware::Term& term : node.terms)
            mark(term.value, circuit.At(term.value).type == node.type ? kSameType : kOtherType);
        for (std::size_t k = 0; k < node.operands.size(); ++k) {
            const Signal operand = node.operands[k];
            switch (node.op) {
            case Op::Negation:
                mark(operand, circuit.At(operand).type == node.type ? kSameType : kOtherType);
                break;
            case Op::Not:
            case Op::And:
            case Op::Or:
            case Op::Xor:
                mark(operand, kSameType);
                break;
            case Op::Choice:
                mark(operand, k == 0 ? kSelect : kSameType);
                break;
            case Op::Slice:
                mark(operand, kNamed);
                break;
            case Op::Extension:
                mark(operand, kExtended);
                break;
            case Op::Input:
            case Op::Constant:
            case Op::Register:
            case Op::Sum:
            case Op::Product:
            case Op::Concatenation:
            case Op::Equal:
            case Op::Less:
            case Op::Read:
            case Op::Lfsr:
                mark(operand, kOwn);
                break;
            }
        }
        if (node.next)
            mark(node.next, kRegister);
        for (const Signal control : {node.enable, node.reset})
            if (control)
                mark(control, kSelect);
    }
    for (const hardware::OutputPort& output : circuit.Outputs())
        mark(output.value, kSameType);
}

// What is read of each signal, by what is written.
void Layout::MarkReads()
{
    const std::vector<Node>& nodes = circuit_.Nodes();
    for (std::size_t at = 0; at < nodes.size(); ++at) {
        const Node& node = nodes[at];
        if (inline_[at] && uses_[at] == 0)
            continue;
        for (const Signal operand : node.operands)
            readBits_[Index(operand)] |=
                node.op == Op::Slice ? Bits(node.type.width, static_cast<int>(node.value)) : ~std::uint64_t{0};
        for (const hardware::Term& term : node.terms)
            readBits_[Index(term.value)] = ~std::uint64_t{0};
        for (const Signal other : {node.next, node.enable, node.reset})
            if (other)
                readBits_[Index(other)] = ~std::uint64_t{0};
    }
    for (const hardware::OutputPort& output : circuit_.Outputs())
        readBits_[Index(output.value)] = ~std::uint64_t{0};
}

void Layout::PlaceBlocks()
{
    const std::vector<Node>& nodes = circuit_.Nodes();
    for (std::size_t at = 0; at < nodes.size(); ++at) {
        const Node& node = nodes[at];
        if (node.op != Op::Register)
            continue;
        int section = node.section;
        for (const Signal other : {node.next, node.enable, node.reset})
            if (other)
                section = std::max(section, LatestSection(other));
        blockSection_[at] = section;
        const Signal self{static_cast<std::int32_t>(at)};
        // A single bit goes to its port through a signal: VHDL's ports are std_logic.
        drivesPort_[at] = uses_[at] == 1 && node.type.width > 1 && circuit_.OutputNamed(node.name) == self;
    }
}

void Layout::Decide(std::size_t at)
{
    const Node& node = circuit_.Nodes()[at];
    if (!node.name.empty() || node.op == Op::Input || node.op == Op::Register)
        return;
    const unsigned contexts = contexts_[at];
    const bool once = uses_[at] <= 1;
    bool fits = false;
    switch (node.op) {
    case Op::Slice:
        fits = Within(contexts, ~unsigned{kNamed});
        break;
    case Op::Constant:
    case Op::Extension:
    case Op::Concatenation:
        fits = Within(contexts, ~unsigned{kNamed | kExtended});
        break;
    case Op::Not:
    case Op::And:
    case Op::Or:
    case Op::Xor:
        fits = once && Within(contexts, kSameType | kOwn | kSelect | kRegister);
        break;
    case Op::Sum:
    case Op::Negation:
    case Op::Product:
    case Op::Lfsr:
        fits = once && Within(contexts, kSameType | kRegister);
        break;
    case Op::Equal:
    case Op::Less:
        fits = once && Within(contexts, kSelect);
        break;
    case Op::Choice:
    case Op::Read:
        fits = once && Within(contexts, kRegister);
        break;
    case Op::Input:
    case Op::Register:
        break;
    }
    if (!fits)
        throw std::logic_error("circuit: a nameless " + Describe(node) + " that no language can write where it is used");
    inline_[at] = true;
}

bool Layout::PartlyUnread(Signal signal) const
{
    const std::uint64_t all = Bits(circuit_.At(signal).type.width);
    return (readBits_[Index(signal)] & all) != all;
}

int Layout::LatestSection(Signal signal) const
{
    const Node& node = circuit_.At(signal);
    if (!Inline(signal))
        return node.op == Op::Input ? 0 : node.section;
    int section = 0;
    for (const Signal operand : node.operands)
        section = std::max(section, LatestSection(operand));
    for (const hardware::Term& term : node.terms)
        section = std::max(section, LatestSection(term.value));
    return section;
}

std::vector<Signal> Layout::Reads(Signal signal) const
{
    std::vector<Signal> reads;
    const Node& node = circuit_.At(signal);
    const auto take = [&](Signal operand) {
        if (!Inline(operand)) {
            reads.push_back(operand);
            return;
        }
        const std::vector<Signal> inner = Reads(operand);
        reads.insert(reads.end(), inner.begin(), inner.end());
    };
    for (const Signal operand : node.operands)
        take(operand);
    for (const hardware::Term& term : node.terms)
        take(term.value);
    return reads;
}

}  // namespace lumiro::coe
