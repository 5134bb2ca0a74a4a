// SPDX-License-Identifier: GPL-3.0-or-later
#include "word_table.h"

#include <cstdio>
#include <vector>

#include "conversions.h"
#include "table.h"  // the generator's: the samples themselves
#include "version.h"

namespace lumiro::coe {

WordTable TableFor(const TableShape& shape)
{
    auto samples = std::make_shared<const SineTable>(shape);
    WordTable table;
    table.divisions = shape.divisions;
    table.depth = samples->Count();
    table.step = samples->Step();
    table.width = shape.word.width();
    table.word = [source = samples.get()](std::int32_t index) { return source->Word(index); };
    table.samples = std::move(samples);
    return table;
}

WordTable Precomputed(const WordTable& table)
{
    auto words = std::make_shared<std::vector<std::uint32_t>>();
    words->reserve(static_cast<std::size_t>(table.depth));
    for (std::int32_t i = 0; i < table.depth; ++i)
        words->push_back(table.word(i));
    WordTable kept = table;
    kept.word = [words](std::int32_t index) { return (*words)[static_cast<std::size_t>(index)]; };
    return kept;
}

WordTable WindowTable(std::int32_t divisions)
{
    TableShape shape;
    shape.divisions = divisions;
    return TableFor(shape);
}

// ASCII only, Polish without its letters, as the window's own COE caption:
// every reader of every format takes it in a comment.
std::string Description(const WordTable& table)
{
    const TableShape& shape = table.samples->shape();
    char step[16];
    std::snprintf(step, sizeof step, "0x%08X", WordOf(table.step));
    std::string text = "Lumiro " + std::string(kVersion) + ": tablica sinusa, N = " +
                       IntToStr(table.divisions) +
                       (shape.span == Span::Quarter && !shape.withEnd ? ", Q = " : ", slow = ") +
                       IntToStr(table.depth) + ", rad_step = " + step + " (" +
                       FloatToStr(static_cast<double>(table.step)) + ")";
    if (shape.word.family() != WordKind::Family::Float32)
        text += ", slowa " + shape.word.Name();
    if (shape.angle == AngleMode::Exact)
        text += ", kat 2*pi*i/N";
    if (shape.span != Span::Quarter)
        text += shape.span == Span::Half ? ", pol okresu" : ", pelny okres";
    if (shape.withEnd)
        text += ", z probka koncowa";
    if (shape.halfStep)
        text += ", przesuniecie o pol kroku";
    return text;
}

}  // namespace lumiro::coe
