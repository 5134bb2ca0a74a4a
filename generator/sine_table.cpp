// SPDX-License-Identifier: GPL-3.0-or-later
#include "sine_table.h"

#include <bit>
#include <cmath>
#include <algorithm>
#include <limits>
#include <thread>

#include "exact_sine.h"
#include "table.h"

namespace lumiro {
namespace {

// The double nearest to π/2.
constexpr double kHalfPi = 1.5707963267948966;

// An upper bound on how far std::sin may be from the true sine: glibc is
// within one ulp, and the margin covers any library in use.
double LibrarySineError(double sine)
{
    // 16 ulps of a normal double: its exponent field less 48, built directly,
    // as this runs for every word of every table.
    const auto exponent = static_cast<std::int64_t>((std::bit_cast<std::uint64_t>(sine) >> 52) & 0x7FFU);
    if (exponent <= 48)
        return sine == 0.0 ? 0.0 : std::ldexp(16.0, std::ilogb(sine) - 52);  // tiny: the slow way
    return std::bit_cast<double>(static_cast<std::uint64_t>(exponent - 48) << 52);
}

// The word of a value known only to lie within `error` of `approximate`, if
// every value there rounds to the same word.
std::optional<std::uint32_t> Decided(const WordKind& word, double approximate, double error)
{
    const std::uint32_t low = word.Round(approximate - error);
    if (low != word.Round(approximate + error))
        return std::nullopt;
    return low;
}

// The angle 2π·numerator/denominator, folded into the first quadrant: the sine
// there and its sign. Integers fold exactly, so the one inexact step is
// (π/2)·t with t in [0, 1].
struct Folded {
    double x;       // in [0, π/2], within 2^-51·x of the folded ideal angle
    bool negative;
    double exact;   // the sine's magnitude where it is rational (0, ½, 1); else NaN
};

Folded Fold(std::int64_t numerator, std::int64_t denominator)
{
    std::int64_t quarters = (4 * numerator) % (4 * denominator);  // angle = (π/2)·quarters/den
    bool negative = false;
    if (quarters >= 2 * denominator) {
        quarters -= 2 * denominator;
        negative = true;
    }
    if (quarters > denominator)
        quarters = 2 * denominator - quarters;
    const double t = static_cast<double>(quarters) / static_cast<double>(denominator);
    // By Niven's theorem these are the only rational sines of rational multiples
    // of π; the double of sin(π/6) is 0.49999999999999994, not ½.
    double exact = std::numeric_limits<double>::quiet_NaN();
    if (quarters == 0)
        exact = 0.0;
    else if (quarters == denominator)
        exact = 1.0;
    else if (3 * quarters == denominator)
        exact = 0.5;
    return {kHalfPi * t, negative, exact};
}

// sin(2π·numerator/denominator) and the word's correct rounding of it: a
// double evaluation where it decides, MPFR at rising precision where not.
SineTable::Ideal IdealSine(const WordKind& word, std::int64_t numerator, std::int64_t denominator)
{
    const Folded folded = Fold(numerator, denominator);
    if (folded.exact == 0.0)
        return {0.0, word.Round(0.0)};  // sin 0 = sin π = 0, without a sign
    if (!std::isnan(folded.exact)) {
        const double sine = folded.negative ? -folded.exact : folded.exact;
        return {sine, word.Round(sine)};
    }
    const double magnitude = std::sin(folded.x);
    const double sine = folded.negative ? -magnitude : magnitude;
    const double error = folded.x * 0x1p-51 + LibrarySineError(magnitude);  // exact: a power of two
    if (const auto decided = Decided(word, sine, error))
        return {sine, *decided};

    mpfr_t turns;
    mpfr_t value;
    mpfr_t below;
    mpfr_t above;
    mpfr_init2(turns, 64);
    mpfr_set_si(turns, static_cast<long>(numerator), MPFR_RNDN);  // exact
    std::uint32_t result = 0;
    for (mpfr_prec_t precision = 128;; precision *= 2) {
        mpfr_inits2(precision, value, below, above, static_cast<mpfr_ptr>(nullptr));
        // sin(2π·turns/u), correctly rounded: within half an ulp of the true sine.
        const int inexact = mpfr_sinu(value, turns, static_cast<unsigned long>(denominator), MPFR_RNDN);
        mpfr_set(below, value, MPFR_RNDN);
        mpfr_set(above, value, MPFR_RNDN);
        if (inexact != 0) {
            mpfr_nextbelow(below);
            mpfr_nextabove(above);
        }
        // The sines of rational multiples of π that a word could tie on (0, ±1/2,
        // ±1) come out exact; the cap only guards against the impossible.
        const std::uint32_t low = word.Round(below);
        const bool decided = low == word.Round(above) || precision >= 16384;
        mpfr_clears(value, below, above, static_cast<mpfr_ptr>(nullptr));
        if (decided) {
            result = low;
            break;
        }
    }
    mpfr_clear(turns);
    return {sine, result};
}

}  // namespace

ShapeFault CheckShape(const TableShape& shape)
{
    if (shape.withEnd && shape.halfStep)
        return ShapeFault::EndWithHalfStep;
    if (shape.withEnd && !UnfoldsToPeriod(shape))
        return ShapeFault::EndOffTheGrid;
    if (shape.word.isUnsigned() && shape.function == Function::Cosine) {
        // The cosine is negative past 90°, and the window's Q × rad_step may lie past it.
        if (shape.span != Span::Quarter || (shape.withEnd && shape.angle == AngleMode::Window))
            return ShapeFault::NegativeUnsigned;
    } else if (shape.word.isUnsigned()) {
        if (shape.span == Span::Full)
            return ShapeFault::NegativeUnsigned;
        // N/2 × rad_step lies beyond π where rad_step rounded up. Every other
        // angle stays below π: rad_step is within 2^-24 of 2π/N and N ≤ 2^22.
        if (shape.span == Span::Half && shape.withEnd && shape.angle == AngleMode::Window)
            return ShapeFault::NegativeUnsigned;
    }
    return ShapeFault::None;
}

std::int32_t WordCount(const TableShape& shape)
{
    return shape.divisions / static_cast<std::int32_t>(shape.span) + (shape.withEnd ? 1 : 0);
}

bool UnfoldsToPeriod(const TableShape& shape)
{
    return shape.divisions % static_cast<std::int32_t>(shape.span) == 0;
}

SineTable::SineTable(const TableShape& shape)
    : shape_(shape),
      count_(WordCount(shape)),
      step_(RadStep(shape.divisions))
{
}

std::uint32_t SineTable::Compute(std::int32_t index) const
{
    return shape_.angle == AngleMode::Window ? WindowWord(index) : IdealSample(index).word;
}

std::uint32_t SineTable::WindowWord(std::int32_t index) const
{
    // (i + ½) × rad_step is exact in a double: 23 bits times 24.
    const double x = shape_.halfStep ? (index + 0.5) * static_cast<double>(step_)
                                     : SampleAngle(index, step_);
    const bool cosine = shape_.function == Function::Cosine;
    if (shape_.word.family() == WordKind::Family::Float32)
        return WordOf(cosine ? SingleCosine(x) : SingleSine(x));  // the window's own sample, for the sine
    if (x == 0.0)
        return shape_.word.Round(cosine ? 1.0 : 0.0);
    const double value = cosine ? std::cos(x) : std::sin(x);
    if (const auto decided = Decided(shape_.word, value, LibrarySineError(value)))
        return *decided;
    return shape_.word.Round(cosine ? CorrectlyRoundedCosine(x) : CorrectlyRoundedSine(x));
}

SineTable::Ideal SineTable::IdealSample(std::int32_t index) const
{
    // The angle as a fraction of the turn, numerator / denominator.
    std::int64_t numerator = index;
    std::int64_t denominator = shape_.divisions;
    if (shape_.halfStep) {
        numerator = 2 * numerator + 1;
        denominator *= 2;
    }
    if (shape_.function == Function::Cosine) {  // cos a = sin(a + a quarter turn)
        numerator = 4 * numerator + denominator;
        denominator *= 4;
    }
    return IdealSine(shape_.word, numerator, denominator);
}

}  // namespace lumiro

namespace lumiro {

void SineTable::Precompute()
{
    std::vector<std::uint32_t> words(static_cast<std::size_t>(count_));
    // Every word stands alone: a large table is shared among the cores.
    const auto fill = [&](std::int32_t first, std::int32_t last) {
        for (std::int32_t i = first; i < last; ++i)
            words[static_cast<std::size_t>(i)] = Compute(i);
    };
    constexpr std::int32_t kWorthAThread = 65536;
    const unsigned cores = std::max(1U, std::thread::hardware_concurrency());
    if (count_ < kWorthAThread || cores == 1) {
        fill(0, count_);
    } else {
        std::vector<std::thread> helpers;
        const auto share = static_cast<std::int32_t>((static_cast<unsigned>(count_) + cores - 1) / cores);
        for (std::int32_t first = share; first < count_; first += share)
            helpers.emplace_back(fill, first, std::min(count_, first + share));
        fill(0, std::min(count_, share));
        for (std::thread& helper : helpers)
            helper.join();
    }
    words_ = std::move(words);
}

std::vector<double> SineTable::FullPeriod() const
{
    // Two spare places: a full span's end sample lands there before the unfolding.
    std::vector<double> period(static_cast<std::size_t>(shape_.divisions) + 2);
    for (std::int32_t i = 0; i < count_; ++i)
        period[static_cast<std::size_t>(i)] = shape_.word.ValueOf(Word(i));
    UnfoldPeriod(shape_, period);
    period.resize(static_cast<std::size_t>(shape_.divisions));
    return period;
}

void UnfoldPeriod(const TableShape& shape, std::span<double> period)
{
    const std::int32_t n = shape.divisions;
    const std::int32_t half = n / 2;
    const auto at = [&](std::int32_t k) -> double& { return period[static_cast<std::size_t>(k)]; };
    if (shape.span == Span::Full)
        return;
    if (shape.span == Span::Quarter) {
        // The second quarter mirrors the first: sin(π - a) = sin a, cos(π - a) = -cos a.
        const double mirror = shape.function == Function::Cosine ? -1.0 : 1.0;
        const std::int32_t quarter = n / 4;
        if (shape.halfStep) {
            // Samples at (k + ½) steps: the mirror of k is 2Q - 1 - k.
            for (std::int32_t k = quarter; k < half; ++k)
                at(k) = mirror * at(half - 1 - k);
        } else {
            if (!shape.withEnd)
                at(quarter) = shape.function == Function::Cosine ? 0.0 : 1.0;
            for (std::int32_t k = quarter + 1; k < half; ++k)
                at(k) = mirror * at(half - k);
        }
    }
    for (std::int32_t k = half; k < n; ++k)
        at(k) = -at(k - half);
}

std::optional<TableShape> ShapeOfWords(std::span<const std::uint32_t> words, std::int32_t divisions,
                                       std::span<const int> widths)
{
    TableShape shape;
    shape.divisions = divisions;
    for (const Span span : {Span::Quarter, Span::Half, Span::Full})
        for (const bool withEnd : {false, true}) {
            shape.span = span;
            shape.withEnd = withEnd;
            if (WordCount(shape) != static_cast<std::int64_t>(words.size()))
                continue;
            for (const int width : widths)
                for (const WordKind& word : WordKind::OfWidth(width))
                    for (const AngleMode angle : {AngleMode::Window, AngleMode::Exact})
                        for (const Function function : {Function::Sine, Function::Cosine})
                            for (const bool halfStep : {false, true}) {
                                shape.word = word;
                                shape.angle = angle;
                                shape.function = function;
                                shape.halfStep = halfStep;
                                if (CheckShape(shape) != ShapeFault::None)
                                    continue;
                                // Most shapes part at their first or second word.
                                const SineTable table(shape);
                                std::size_t at = 0;
                                while (at < words.size() && table.Word(static_cast<std::int32_t>(at)) == words[at])
                                    ++at;
                                if (at == words.size())
                                    return shape;
                            }
        }
    return std::nullopt;
}

}  // namespace lumiro
