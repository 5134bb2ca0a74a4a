// SPDX-License-Identifier: GPL-3.0-or-later
#include "nco_report.h"

#include <fftw3.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <vector>

#include "hardware/units.h"
#include "i18n.h"

namespace lumiro::coe {
namespace {

struct FftwFree {
    void operator()(void* block) const { fftw_free(block); }
};

// The power of every bin of a complex record, cosine + j sine.
std::vector<double> Powers(const std::vector<double>& cosines, const std::vector<double>& sines)
{
    const std::size_t n = cosines.size();
    std::unique_ptr<fftw_complex, FftwFree> data(static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * n)));
    const fftw_plan plan = fftw_plan_dft_1d(static_cast<int>(n), data.get(), data.get(), FFTW_FORWARD, FFTW_ESTIMATE);
    for (std::size_t k = 0; k < n; ++k) {
        data.get()[k][0] = cosines[k];
        data.get()[k][1] = sines[k];
    }
    fftw_execute(plan);
    fftw_destroy_plan(plan);
    std::vector<double> powers(n);
    for (std::size_t bin = 0; bin < n; ++bin)
        powers[bin] = data.get()[bin][0] * data.get()[bin][0] + data.get()[bin][1] * data.get()[bin][1];
    return powers;
}

// Carrier over strongest spur, in dB. Without a window every tone sits in one
// bin; through the Blackman-Harris window each spreads over its main lobe of
// +-7 bins, whose powers are summed, so that where a tone falls between bins
// does not change its figure.
double Sfdr(const std::vector<double>& powers, double carrier, bool windowed, std::size_t* spurBin,
            std::vector<float>* relative)
{
    const auto lobe = static_cast<std::ptrdiff_t>(windowed ? 7 : 0);
    const auto size = static_cast<std::ptrdiff_t>(powers.size());
    const auto center = static_cast<std::ptrdiff_t>(std::llround(carrier)) % size;
    const auto at = [&](std::ptrdiff_t bin) { return powers[static_cast<std::size_t>(((bin % size) + size) % size)]; };
    const auto fromCarrier = [&](std::ptrdiff_t bin) {
        return std::min(((bin - center) % size + size) % size, ((center - bin) % size + size) % size);
    };
    // A lobe's power, without the carrier's where the two meet.
    const auto summed = [&](std::ptrdiff_t middle, bool ofCarrier) {
        double sum = 0;
        for (std::ptrdiff_t bin = middle - lobe; bin <= middle + lobe; ++bin)
            if (ofCarrier || fromCarrier(bin) > lobe)
                sum += at(bin);
        return sum;
    };
    const double carrierPower = summed(center, true);
    std::ptrdiff_t strongest = -1;
    for (std::ptrdiff_t bin = 0; bin < size; ++bin) {
        if (fromCarrier(bin) <= lobe)
            continue;  // the carrier's own lobe
        if (strongest < 0 || at(bin) > at(strongest))
            strongest = bin;
    }
    if (carrierPower == 0)
        return std::numeric_limits<double>::quiet_NaN();
    if (relative != nullptr) {
        // Each bin with its lobe, as the figures take the tones: the peaks of
        // a picture then stand where the report says.
        relative->resize(powers.size());
        double sum = 0;
        for (std::ptrdiff_t bin = -lobe; bin <= lobe; ++bin)
            sum += at(bin);
        for (std::ptrdiff_t bin = 0; bin < size; ++bin) {
            (*relative)[static_cast<std::size_t>(bin)] = static_cast<float>(sum / carrierPower);
            sum += at(bin + lobe + 1) - at(bin - lobe);
        }
    }
    if (strongest < 0 || at(strongest) == 0)
        return std::numeric_limits<double>::infinity();
    *spurBin = static_cast<std::size_t>(strongest);
    return 10 * std::log10(carrierPower / summed(strongest, false));
}

// The tone as a share of the clock.
double Cycles(const NcoPlan& nco, std::uint64_t frequency, std::uint64_t fraction)
{
    const double steps = static_cast<double>(frequency & nco.mask()) +
                         static_cast<double>(fraction) / static_cast<double>(nco.modulus);
    return std::ldexp(steps, -nco.accumulatorBits);
}

}  // namespace

NcoSpectrum MeasureNco(const UnitPlan& plan, const SineTable& quarter, std::uint64_t frequency, bool keepSpectrum,
                       std::uint64_t fraction)
{
    const NcoPlan& nco = *plan.nco;
    NcoSpectrum result{};
    result.frequency = frequency;
    result.fraction = fraction;
    result.predicted = PredictedTruncationSfdr(nco, frequency, fraction);
    const std::uint64_t period = NcoPeriod(nco, frequency, fraction);
    result.exactPeriod = period != 0 && period <= kLongestExactPeriod;
    result.clocks = result.exactPeriod ? period : kWindowedClocks;
    const auto n = static_cast<std::size_t>(result.clocks);

    // The quadrature output, cosine + j sine, so that a carrier near 0 or
    // near half the clock has no image to beat with.
    hardware::OscillatorModel model(plan, quarter, frequency, 0, fraction);
    const WordKind& kind = quarter.shape().word;
    std::vector<double> cosines(n);
    std::vector<double> sines(n);
    for (std::size_t k = 0; k < n; ++k) {
        const SineCosine words = model.Next();
        cosines[k] = kind.ValueOf(words.cosine);
        sines[k] = kind.ValueOf(words.sine);
    }
    // The carrier's bin: (frequency + fraction / D) / 2^A of the clock rate.
    const double cycles = Cycles(nco, frequency, fraction);
    const double carrier = std::fmod(cycles * static_cast<double>(n), static_cast<double>(n));
    if (!result.exactPeriod) {
        // Blackman-Harris of seven terms (Albrecht's), periodic: its side lobes
        // lie below -180 dB, under any spur a dithered oscillator leaves, and its
        // main lobe spans +-7 bins.
        constexpr double a[] = {0.27105140069342, 0.43329793923448, 0.21812299954311, 0.06592544638803,
                                0.01081174209837, 0.00077658482522, 0.00001388721735};
        for (std::size_t k = 0; k < n; ++k) {
            const double x = 2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(n);
            double w = 0;
            for (int term = 0; term < 7; ++term)
                w += (term % 2 == 0 ? a[term] : -a[term]) * std::cos(term * x);
            cosines[k] *= w;
            sines[k] *= w;
        }
    }
    result.measured = n >= 2 ? Sfdr(Powers(cosines, sines), carrier, !result.exactPeriod, &result.spurBin,
                                    keepSpectrum ? &result.relative : nullptr)
                             : std::numeric_limits<double>::quiet_NaN();
    return result;
}

std::string GuaranteeText(const UnitPlan& plan, const SineTable& quarter)
{
    if (!plan.nco || plan.nco->dither)
        return "";
    return Printf(_("  SFDR guaranteed for every frequency word, without dither: %.2f dB\n"),
                  GuaranteedSfdr(*plan.nco, hardware::ComplexErrorOf(plan, quarter)));
}

std::string NcoReportText(const NcoSpectrum& spectrum, const UnitPlan& plan, const SineTable& quarter,
                          std::optional<double> clockHz)
{
    const NcoPlan& nco = *plan.nco;
    const double cycles = Cycles(nco, spectrum.frequency, spectrum.fraction);
    std::string text = Printf(_("Oscillator report (%s words, N = %d, A = %d bits, frequency word 0x%llX, "
                                "f/fs = %.9g):\n"),
                              quarter.shape().word.Name().c_str(), plan.divisions, nco.accumulatorBits,
                              static_cast<unsigned long long>(spectrum.frequency), cycles);
    if (nco.modulus > 1)
        text += Printf(_("  fraction %llu of D = %llu: a tone of (F + B/D) / 2^A of the clock\n"),
                       static_cast<unsigned long long>(spectrum.fraction), static_cast<unsigned long long>(nco.modulus));
    if (clockHz)
        text += Printf(_("  tone: %.12g Hz at a clock of %.12g Hz\n"), cycles * *clockHz, *clockHz);
    text += Printf(_("  phase truncation: %d bits below the phase's %d%s\n"), nco.truncatedBits(), plan.phaseBits,
                   nco.dither ? _(", with dither") : "");
    if (std::isinf(spectrum.predicted))
        text += _("  predicted by phase truncation: no spur (the word's truncated bits are all zero)\n");
    else
        text += Printf(_("  SFDR predicted by phase truncation, without dither: %.2f dB\n"), spectrum.predicted);
    const int exponent = std::countr_zero(spectrum.clocks);
    // A modulus makes periods of any length.
    const std::string record =
        !spectrum.exactPeriod ? Printf(_("over 2^%d clocks through a Blackman-Harris window"), exponent)
        : std::has_single_bit(spectrum.clocks)
            ? Printf(_("over one exact period of 2^%d clocks"), exponent)
            : Printf(_("over one exact period of %llu clocks"), static_cast<unsigned long long>(spectrum.clocks));
    if (std::isnan(spectrum.measured))
        text += Printf(_("  measured: no carrier to measure against, %s\n"), record.c_str());
    else if (std::isinf(spectrum.measured))
        text += Printf(_("  SFDR measured: no spurs at all, %s\n"), record.c_str());
    else
        text += Printf(_("  SFDR measured: %.2f dB, %s\n"), spectrum.measured, record.c_str());
    return text + GuaranteeText(plan, quarter);
}

}  // namespace lumiro::coe
