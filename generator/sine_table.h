// SPDX-License-Identifier: GPL-3.0-or-later
// The samples of a sine table in any of lumiro-coe's shapes: which angles,
// how many, and the word each becomes. The window's table is the default
// shape, and its words are SineSample's, bit for bit.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "word_kind.h"

namespace lumiro {

enum class AngleMode {
    Window,  // x(i) = i × rad_step, rad_step in single precision, as the window computes it
    Exact,   // the ideal angle 2πi/N, with the true π
};

// The function a table holds: the sine, or the cosine of the same angles.
enum class Function { Sine, Cosine };

// How much of the turn the table covers: N / 4, N / 2 or N samples.
enum class Span { Quarter = 4, Half = 2, Full = 1 };

struct TableShape {
    std::int32_t divisions = 1024;
    Span span = Span::Quarter;
    bool withEnd = false;   // one sample more, at the span's end angle
    bool halfStep = false;  // every angle moved by half a step: (i + ½) × step
    AngleMode angle = AngleMode::Window;
    WordKind word = WordKind::Float32();
    Function function = Function::Sine;
};

// Why a shape makes no table, or None.
enum class ShapeFault {
    None,
    EndWithHalfStep,   // with half a step moved, no sample falls on the span's end
    EndOffTheGrid,     // the span's end is no multiple of the step: N % (4 or 2) != 0
    NegativeUnsigned,  // an unsigned word would have to hold a negative sample
};
ShapeFault CheckShape(const TableShape& shape);

// How many words a shape's table has: N/4, N/2 or N, and one more with its end.
std::int32_t WordCount(const TableShape& shape);

// Whether the span's end falls on a sample, so that the table unfolds by the
// sine's symmetry into one full period: N divisible by 4 (quarter) or 2 (half).
bool UnfoldsToPeriod(const TableShape& shape);

class SineTable {
public:
    explicit SineTable(const TableShape& shape);

    const TableShape& shape() const { return shape_; }
    std::int32_t Count() const { return count_; }
    int Width() const { return shape_.word.width(); }  // bits a word
    float Step() const { return step_; }               // rad_step

    // The word of sample i in the shape's angle mode, rounded once:
    //   Window  the correctly rounded double sine (or cosine) of x(i), then the word's rounding;
    //   Exact   the word's correct rounding of sin(2πi/N) (or cos) itself.
    std::uint32_t Word(std::int32_t index) const
    {
        return words_.empty() ? Compute(index) : words_[static_cast<std::size_t>(index)];
    }

    // Works every word out once and keeps it, for a table that is read twice
    // (written, then measured).
    void Precompute();

    // One full period, N values, from the words by the function's symmetry: a
    // quarter of the sine without its end sample holds 1 at 90°, one of the
    // cosine 0. Needs UnfoldsToPeriod(shape()).
    std::vector<double> FullPeriod() const;

    // The sine (or cosine) of the ideal angle, to about 2^-50, exact where it
    // is rational, and the word's correct rounding of it: what the accuracy
    // report measures against.
    struct Ideal {
        double value;
        std::uint32_t word;
    };
    Ideal IdealSample(std::int32_t index) const;

private:
    std::uint32_t Compute(std::int32_t index) const;
    std::uint32_t WindowWord(std::int32_t index) const;

    TableShape shape_;
    std::int32_t count_;
    float step_;
    std::vector<std::uint32_t> words_;  // empty until Precompute
};

// The shape for N whose table is exactly `words`, tried over every span, end,
// step, angle, function and each kind of word with one of `widths` bits, the
// likeliest first; none where no shape gives these words.
std::optional<TableShape> ShapeOfWords(std::span<const std::uint32_t> words, std::int32_t divisions,
                                       std::span<const int> widths);

// The values of a table's words, already in period[0 .. Count()), made into
// one full period of N values in place: the first half turn, then its negation.
void UnfoldPeriod(const TableShape& shape, std::span<double> period);

}  // namespace lumiro
