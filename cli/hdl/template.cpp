// SPDX-License-Identifier: GPL-3.0-or-later
#include "template.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "format.h"

namespace lumiro::coe {
namespace {

struct Piece {
    std::string_view literal;     // written first
    const Slot* slot = nullptr;   // then this, where set
};

// Taken apart first, so that a wrong template writes nothing.
std::vector<Piece> Pieces(std::string_view text, const std::vector<Slot>& slots)
{
    std::vector<Piece> pieces;
    std::vector<bool> used(slots.size());
    for (std::size_t at = 0;;) {
        const std::size_t open = text.find("${", at);
        if (open == std::string_view::npos) {
            pieces.push_back({text.substr(at)});
            break;
        }
        const std::size_t close = text.find('}', open);
        if (close == std::string_view::npos)
            throw std::logic_error("template: unclosed slot");
        const std::string_view name = text.substr(open + 2, close - open - 2);
        const auto slot = std::find_if(slots.begin(), slots.end(), [name](const Slot& s) { return s.name == name; });
        if (slot == slots.end())
            throw std::logic_error("template: no slot " + std::string(name));
        used[static_cast<std::size_t>(slot - slots.begin())] = true;
        pieces.push_back({text.substr(at, open - at), &*slot});
        at = close + 1;
    }
    if (std::find(used.begin(), used.end(), false) != used.end())
        throw std::logic_error("template: a slot it does not name");
    return pieces;
}

}  // namespace

void PutTemplate(std::FILE* out, std::string_view text, const std::vector<Slot>& slots)
{
    for (const Piece& piece : Pieces(text, slots)) {
        Put(out, piece.literal);
        if (piece.slot == nullptr)
            continue;
        if (piece.slot->write)
            piece.slot->write(out);
        else
            Put(out, piece.slot->text);
    }
}

std::string Filled(std::string_view text, const std::vector<Slot>& slots)
{
    std::string filled;
    for (const Piece& piece : Pieces(text, slots)) {
        filled += piece.literal;
        if (piece.slot == nullptr)
            continue;
        if (piece.slot->write)
            throw std::logic_error("template: a writer in a text");
        filled += piece.slot->text;
    }
    return filled;
}

}  // namespace lumiro::coe
