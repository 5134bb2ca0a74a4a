// SPDX-License-Identifier: GPL-3.0-or-later
#include "sincos_unit.h"

#include <mpfr.h>

#include <bit>
#include <cmath>
#include <limits>
#include <numbers>

#include "hardware/units.h"

namespace lumiro {
namespace {

int BitsFor(std::int64_t count)
{
    int bits = 1;  // a one-word memory still has an address
    while ((std::int64_t{1} << bits) < count)
        ++bits;
    return bits;
}

int Log2(std::int64_t power)
{
    return std::countr_zero(static_cast<std::uint64_t>(power));
}

// sin(point * pi/2 / 2^bits) * scale in double, good to about 1e-9 of a unit
// for the scales here (at most 2^24).
double ScaledSineApproximately(std::int64_t point, int bits, std::int64_t scale)
{
    return std::sin(std::ldexp(static_cast<double>(point), -bits) * (std::numbers::pi / 2)) *
           static_cast<double>(scale);
}

// The same, less `value`, exactly enough to compare: MPFR at 256 bits.
class ExactScaledSine {
public:
    ExactScaledSine(std::int64_t point, int bits, std::int64_t scale, std::int64_t value = 0)
    {
        mpfr_init2(x_, 256);
        mpfr_const_pi(x_, MPFR_RNDN);
        mpfr_mul_si(x_, x_, static_cast<long>(point), MPFR_RNDN);
        mpfr_div_2si(x_, x_, bits + 1, MPFR_RNDN);
        mpfr_sin(x_, x_, MPFR_RNDN);
        mpfr_mul_si(x_, x_, static_cast<long>(scale), MPFR_RNDN);
        mpfr_sub_si(x_, x_, static_cast<long>(value), MPFR_RNDN);
    }
    ~ExactScaledSine() { mpfr_clear(x_); }
    ExactScaledSine(const ExactScaledSine&) = delete;
    ExactScaledSine& operator=(const ExactScaledSine&) = delete;

    long Rounded() const { return mpfr_get_si(x_, MPFR_RNDN); }
    bool WithinOne()
    {
        mpfr_abs(x_, x_, MPFR_RNDN);
        return mpfr_cmp_ui(x_, 1) < 0;
    }

private:
    mpfr_t x_;
};

// sin(point * pi/2 / 2^bits) * scale, rounded to nearest: the double is sure
// of the integer unless the value lies within 1e-6 of a half, where MPFR decides.
std::int64_t ScaledSine(std::int64_t point, int bits, std::int64_t scale)
{
    const double value = ScaledSineApproximately(point, bits, scale);
    if (std::fabs(value - std::floor(value) - 0.5) > 1e-6)
        return std::llround(value);
    return ExactScaledSine(point, bits, scale).Rounded();
}

// Whether `value` lies within 1 of sin(point * pi/2 / 2^bits) * scale. The
// double decides unless the distance is within 1e-6 of 1, where MPFR does.
bool WithinOne(std::int64_t value, std::int64_t point, int bits, std::int64_t scale)
{
    const double distance = std::fabs(static_cast<double>(value) - ScaledSineApproximately(point, bits, scale));
    if (std::fabs(distance - 1.0) > 1e-6)
        return distance < 1.0;
    return ExactScaledSine(point, bits, scale, value).WithinOne();
}

// The parts of an interpolation for a shape and M, and its error bound in
// LSB: the final rounding, the table's (also through the slope), the Taylor
// remainder d^2/2, the fine angle's and the products' roundings, and what
// cutting the operands to the multipliers' ports leaves out. Where d cannot
// fit the narrow port, the bound is infinite.
Interpolation Layout(const TableShape& quarter, std::int32_t tableWords, int order, const Ports& ports)
{
    const int width = quarter.word.width();
    const auto scale = (std::int64_t{1} << (width - 1)) - 1;
    const int quarterBits = Log2(quarter.divisions) - 2;
    Interpolation in{};
    in.tableBits = Log2(tableWords);
    in.fractionBits = quarterBits - in.tableBits;
    in.guardBits = std::max(1, 18 - width);  // 17-bit table words up to fixed:17: one DSP port
    in.tableWidth = width - 1 + in.guardBits;
    in.order = order;
    in.ports = ports;
    const double q = std::ldexp(1.0, quarterBits);
    // The fine angle to within 2^-6 LSB of its product, or as near as d's port allows.
    in.slopeBits = std::max(0, static_cast<int>(std::ceil(std::log2(static_cast<double>(scale) * 64 / q))));
    if (ports) {
        in.slopeBits = std::min(in.slopeBits, ports->narrow - 1 - in.fractionBits);
        in.wordCut = std::max(0, in.tableWidth + 1 - ports->wide);
    }
    in.piBits = in.fractionBits + in.slopeBits + 1;
    in.pi = std::llround(std::ldexp(std::numbers::pi / 2, in.piBits));
    in.extraBits = std::min(4, quarterBits + in.slopeBits - in.wordCut - 1);
    in.productShift = quarterBits + in.slopeBits - in.extraBits - in.wordCut;
    if (in.slopeBits < 0 || in.extraBits < 0) {
        in.bound = std::numeric_limits<double>::infinity();
        return in;
    }
    const double d = std::ldexp(std::numbers::pi / 2, -(in.tableBits + 1));  // half a step
    const double a = static_cast<double>(scale);
    const double remainder = order == 1 ? d * d / 2 * a : d * d * d / 6 * a;
    const double rounding = std::ldexp(1.0, -(in.extraBits + in.guardBits + 1));
    // A word cut by t bits is off by less than 2^t of the table's last place
    // in the product; a second-order term cut to the wide port, by less than
    // 4 / 2^wide of itself.
    const double cut = d * std::ldexp(1.0, in.wordCut - in.guardBits) * (order == 1 ? 1 : 1 + d) +
                       (ports && order == 2 ? 2 * d * d * a * std::ldexp(1.0, -ports->wide) : 0);
    in.bound = 0.5 + std::ldexp(1.0, -(in.guardBits + 1)) * (1 + d) + remainder +
               a / (q * std::ldexp(1.0, in.slopeBits)) * (1 + d) + rounding * (order == 1 ? 1 : 2 + d) + cut;
    return in;
}

// The lowest order whose bound stays below 1 LSB: 0 where none does.
int OrderFor(const TableShape& quarter, std::int32_t tableWords, const Ports& ports)
{
    for (int order = 1; order <= 2; ++order)
        if (Layout(quarter, tableWords, order, ports).bound < 1.0)
            return order;
    return 0;
}

// The layout and its table: word i the sine at (i + 1/2) quarter turns / M.
Interpolation Interpolated(const TableShape& quarter, std::int32_t tableWords, const Ports& ports)
{
    Interpolation in = Layout(quarter, tableWords, OrderFor(quarter, tableWords, ports), ports);
    const auto scale = ((std::int64_t{1} << (quarter.word.width() - 1)) - 1) << in.guardBits;
    in.table.resize(static_cast<std::size_t>(tableWords));
    for (std::int64_t i = 0; i < tableWords; ++i)
        in.table[static_cast<std::size_t>(i)] = ScaledSine(2 * i + 1, in.tableBits + 1, scale);
    return in;
}

}  // namespace

InterpolationFault CheckInterpolation(const TableShape& quarter, std::int32_t tableWords, const Ports& ports)
{
    const auto n = static_cast<std::uint32_t>(quarter.divisions);
    if (!std::has_single_bit(n) || !std::has_single_bit(static_cast<std::uint32_t>(tableWords)))
        return InterpolationFault::NotPowerOfTwo;
    if (tableWords < kLeastTableWords || tableWords >= quarter.divisions / 4)
        return InterpolationFault::TableSize;
    if (quarter.angle != AngleMode::Exact)
        return InterpolationFault::Angle;
    if (quarter.word.family() != WordKind::Family::Fixed || quarter.word.width() < kNarrowestInterpolated ||
        quarter.word.width() > kWidestInterpolated)
        return InterpolationFault::Word;
    if (OrderFor(quarter, tableWords, ports) == 0)
        return InterpolationFault::TooFewWords;
    return InterpolationFault::None;
}

std::int32_t LeastTableWords(const TableShape& quarter, const Ports& ports)
{
    for (std::int32_t words = kLeastTableWords; words < quarter.divisions / 4; words *= 2)
        if (OrderFor(quarter, words, ports) > 0)
            return words;
    return 0;
}

int LeastLatency(const TableShape& quarter, std::int32_t tableWords, const Ports& ports)
{
    if (tableWords == 0)
        return kLeastUnitLatency;
    return OrderFor(quarter, tableWords, ports) == 2 ? kLeastSecondOrderLatency : kLeastInterpolatingLatency;
}

int DefaultLatency(const TableShape& quarter, std::int32_t tableWords, bool oscillator, const Ports& ports)
{
    if (tableWords == 0)
        return oscillator ? kOscillatorLatency : kLeastUnitLatency;
    return OrderFor(quarter, tableWords, ports) == 2 ? kLeastSecondOrderLatency : kDefaultInterpolatingLatency;
}

int InterpolationOrder(const TableShape& quarter, std::int32_t tableWords, const Ports& ports)
{
    return OrderFor(quarter, tableWords, ports);
}

namespace {

// Every phase's sine and cosine, as the unit's circuit computes them, against
// the exact values: the largest error, and the first phase 1 LSB or more off.
void Prove(UnitPlan& plan, const SineTable& quarter)
{
    Interpolation& in = *plan.interpolation;
    hardware::UnitModel model(plan, quarter);
    const auto scale = (std::int64_t{1} << (plan.width - 1)) - 1;
    const int quarterBits = plan.phaseBits - 2;
    const std::uint32_t sign = 1U << (plan.width - 1);
    const auto value = [sign](std::uint32_t word) {
        return static_cast<std::int64_t>(word & (sign - 1)) - ((word & sign) != 0 ? static_cast<std::int64_t>(sign) : 0);
    };
    // sin(2 pi p / N) = sin(p * pi/2 / (N/4)); the cosine is the sine a quarter on.
    const std::int64_t n = plan.divisions;
    std::vector<std::uint32_t> sines(std::size_t{1} << 16);
    std::vector<std::uint32_t> cosines(sines.size());
    for (std::int64_t first = 0; first < n; first += static_cast<std::int64_t>(sines.size())) {
        model.Run(first, sines, cosines);
        for (std::size_t k = 0; k < sines.size() && first + static_cast<std::int64_t>(k) < n; ++k) {
            const std::int64_t phase = first + static_cast<std::int64_t>(k);
            for (const auto& [word, point] :
                 {std::pair{sines[k], phase}, std::pair{cosines[k], (phase + n / 4) % n}}) {
                const std::int64_t got = value(word);
                const double exact = ScaledSineApproximately(point, quarterBits, scale);
                in.largestError = std::max(in.largestError, std::fabs(static_cast<double>(got) - exact));
                if (!in.missedPhase && !WithinOne(got, point, quarterBits, scale))
                    in.missedPhase = phase;
            }
        }
    }
}

}  // namespace

UnitPlan PlanUnit(const SineTable& quarter, const UnitChoices& choices)
{
    const TableShape& shape = quarter.shape();
    const auto n = static_cast<std::uint32_t>(shape.divisions);
    UnitPlan plan{
        .divisions = shape.divisions,
        .quarter = quarter.Count(),
        .phaseBits = BitsFor(shape.divisions),
        .addressBits = BitsFor(quarter.Count()),
        .width = quarter.Width(),
        .quadrantFromTopBits = std::has_single_bit(n) && n >= 8,
        .halfStep = shape.halfStep,
        .peak = shape.word.Round(1.0),  // not a table word without its end sample
        .signBitNegation = shape.word.isFloat(),
        .twosComplement = shape.word.family() == WordKind::Family::Fixed,
        .latency = choices.latency,
        .clockEnable = choices.clockEnable,
        .valid = choices.valid,
        .axiStream = choices.axiStream,
        .interpolation = choices.tableWords > 0
                             ? std::optional(Interpolated(shape, choices.tableWords, choices.ports))
                             : std::nullopt,
        .nco = choices.nco,
    };
    if (plan.interpolation)
        Prove(plan, quarter);
    if (plan.nco)
        plan.nco->phaseBits = plan.phaseBits;
    return plan;
}

int OscillatorDelay(const UnitPlan& plan)
{
    if (!plan.nco)
        return plan.latency;
    return plan.latency + (plan.nco->dither ? 1 : 0) + (plan.nco->phaseOffset ? 1 : 0) + LaneDepth(*plan.nco) +
           plan.nco->Segments() - 1;
}

TableShape UnitPeriod(const TableShape& quarter)
{
    TableShape period = quarter;
    period.span = Span::Full;
    return period;
}

}  // namespace lumiro
