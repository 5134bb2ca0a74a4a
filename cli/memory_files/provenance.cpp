// SPDX-License-Identifier: GPL-3.0-or-later
#include "provenance.h"

#include <cstdio>

#include "conversions.h"
#include "table.h"
#include "version.h"

namespace lumiro::coe {

std::string Description(const SineTable& table)
{
    const TableShape& shape = table.shape();
    char step[16];
    std::snprintf(step, sizeof step, "0x%08X", WordOf(table.Step()));
    // The number of words stated plainly: N is the parts of the turn, not the depth.
    std::string text = "Lumiro " + std::string(kVersion) + ": " +
                       (shape.function == Function::Cosine ? "cosine" : "sine") + " table, N = " +
                       IntToStr(shape.divisions) + (shape.span == Span::Quarter && !shape.withEnd ? ", Q = " : ", ") +
                       IntToStr(table.Count()) + (table.Count() == 1 ? " word" : " words") + ", rad_step = " + step +
                       " (" + FloatToStr(static_cast<double>(table.Step())) + ")";
    if (shape.word.family() != WordKind::Family::Float32)
        text += ", " + shape.word.Name() + " words";
    if (shape.angle == AngleMode::Exact)
        text += ", angle 2*pi*i/N";
    if (shape.span != Span::Quarter)
        text += shape.span == Span::Half ? ", half period" : ", full period";
    if (shape.withEnd)
        text += ", with end sample";
    if (shape.halfStep)
        text += ", half a step on";
    return text;
}

}  // namespace lumiro::coe
