// SPDX-License-Identifier: GPL-3.0-or-later
#include "accuracy_report.h"

#include <fftw3.h>
#include <sys/mman.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <thread>

#include "i18n.h"

namespace lumiro::coe {
namespace {

struct FftwFree {
    void operator()(void* block) const { fftw_free(block); }
};


}  // namespace

namespace {

// FFTW's aligned buffer: N + 2 doubles, the real input and then its spectrum.
class Spectrum {
public:
    explicit Spectrum(std::size_t n)
        : n_(n), data_(static_cast<double*>(fftw_malloc(sizeof(double) * (n + 2))))
    {
        // Untouched so far: marked for huge pages, it faults in a few times, not thousands.
        ::madvise(data_.get(), sizeof(double) * (n + 2), MADV_HUGEPAGE);
        if (n >= 4)  // planned first: planning may use the array
            plan_ = fftw_plan_dft_r2c_1d(static_cast<int>(n), data_.get(),
                                         reinterpret_cast<fftw_complex*>(data_.get()), FFTW_ESTIMATE);
    }
    ~Spectrum()
    {
        if (plan_ != nullptr)
            fftw_destroy_plan(plan_);
    }
    Spectrum(const Spectrum&) = delete;
    Spectrum& operator=(const Spectrum&) = delete;

    std::span<double> Input() { return {data_.get(), n_ + 2}; }

    // The SFDR, where the strongest spur is, and, where asked for, every
    // bin's power over the carrier's.
    std::optional<double> Sfdr(std::size_t* spurBin = nullptr, std::vector<float>* relative = nullptr)
    {
        if (plan_ == nullptr)
            return std::nullopt;
        fftw_execute(plan_);
        const double* bins = data_.get();
        const auto power = [&](std::size_t bin) {
            return bins[2 * bin] * bins[2 * bin] + bins[2 * bin + 1] * bins[2 * bin + 1];
        };
        double spur = 0;
        std::size_t strongest = 0;
        for (std::size_t bin = 0; bin <= n_ / 2; ++bin)
            if (bin != 1 && power(bin) > spur) {
                spur = power(bin);
                strongest = bin;
            }
        if (spurBin != nullptr)
            *spurBin = strongest;
        if (relative != nullptr) {
            const double carrier = power(1);
            relative->resize(n_ / 2 + 1);
            for (std::size_t bin = 0; bin <= n_ / 2; ++bin)
                (*relative)[bin] = static_cast<float>(power(bin) / carrier);
        }
        if (spur == 0)
            return std::numeric_limits<double>::infinity();
        return 10 * std::log10(power(1) / spur);
    }

private:
    std::size_t n_;
    std::unique_ptr<double, FftwFree> data_;
    fftw_plan plan_ = nullptr;
};

}  // namespace

Accuracy MeasureAccuracy(const SineTable& table, bool keepDetail, std::span<const std::uint32_t> words)
{
    const TableShape& shape = table.shape();
    const WordKind& kind = shape.word;
    Spectrum spectrum(static_cast<std::size_t>(shape.divisions));
    const std::span<double> period = spectrum.Input();

    Accuracy accuracy;
    if (keepDetail)
        accuracy.errors.resize(static_cast<std::size_t>(table.Count()));
    // Two halves, each on a core of its own; always two, so that the sums add
    // in the same order on every machine.
    struct Partial {
        double largest = 0;
        double lowest = 0;
        double highest = 0;
        double largestAbsolute = 0;
        double squares = 0;
        std::int64_t correctlyRounded = 0;
    };
    const auto measure = [&](std::int32_t first, std::int32_t last) {
        Partial partial;
        for (std::int32_t i = first; i < last; ++i) {
            const std::uint32_t word = words.empty() ? table.Word(i) : words[static_cast<std::size_t>(i)];
            const SineTable::Ideal ideal = table.IdealSample(i);
            const double value = kind.ValueOf(word);
            const double absolute = std::fabs(value - ideal.value);
            // The larger magnitude's unit: at an ideal 0 the smallest subnormal
            // would turn any word but 0 into a figure of 10^37.
            const double error = absolute / kind.UnitAt(std::max(std::fabs(ideal.value), std::fabs(value)));
            const double signedError = value >= ideal.value ? error : -error;
            if (keepDetail)
                accuracy.errors[static_cast<std::size_t>(i)] = static_cast<float>(signedError);
            partial.largest = std::max(partial.largest, error);
            partial.lowest = std::min(partial.lowest, signedError);
            partial.highest = std::max(partial.highest, signedError);
            partial.largestAbsolute = std::max(partial.largestAbsolute, absolute);
            partial.squares += error * error;
            partial.correctlyRounded += word == ideal.word ? 1 : 0;
            period[static_cast<std::size_t>(i)] = value;  // the end sample of a full span lands in the spare room
        }
        return partial;
    };
    const std::int32_t middle = table.Count() / 2;
    Partial second;
    std::thread helper([&] { second = measure(middle, table.Count()); });
    const Partial first = measure(0, middle);
    helper.join();
    accuracy.largestError = std::max(first.largest, second.largest);
    accuracy.lowestError = std::min(first.lowest, second.lowest);
    accuracy.highestError = std::max(first.highest, second.highest);
    accuracy.largestAbsoluteError = std::max(first.largestAbsolute, second.largestAbsolute);
    accuracy.correctlyRounded = first.correctlyRounded + second.correctlyRounded;
    const double squares = first.squares + second.squares;
    accuracy.words = table.Count();
    accuracy.rmsError = table.Count() > 0 ? std::sqrt(squares / table.Count()) : 0.0;
    UnfoldPeriod(shape, period);
    accuracy.sfdr = spectrum.Sfdr(&accuracy.spurBin, keepDetail ? &accuracy.spectrum : nullptr);
    return accuracy;
}

std::optional<double> SpuriousFreeRange(std::span<const double> period)
{
    Spectrum spectrum(period.size());
    std::copy(period.begin(), period.end(), spectrum.Input().begin());
    return spectrum.Sfdr();
}

std::string ReportText(const Accuracy& accuracy, const SineTable& table, bool ofUnit)
{
    const TableShape& shape = table.shape();
    const char* unit = shape.word.isFloat() ? "ulp" : "LSB";
    const std::string word = shape.word.Name();
    std::string text = Printf(shape.angle == AngleMode::Window
                                  ? _("Accuracy report (%s words, the window's angle, N = %d):\n")
                                  : _("Accuracy report (%s words, angle 2πi/N, N = %d):\n"),
                              word.c_str(), shape.divisions);
    if (ofUnit)
        text += _("  the unit's sine and cosine at every phase; the cosine's words are the sine's a\n"
                  "  quarter turn on, so its figures are the same\n");
    text += Printf(_("  words: %lld\n"), static_cast<long long>(accuracy.words));
    text += Printf(_("  largest error: %.4f %s, RMS: %.4f %s (against the exact %s(2πi/N))\n"),
                   accuracy.largestError, unit, accuracy.rmsError, unit,
                   shape.function == Function::Cosine ? "cos" : "sin");
    text += Printf(_("  largest absolute error: %.3g\n"), accuracy.largestAbsoluteError);
    text += Printf(_("  correctly rounded: %lld of %lld\n"), static_cast<long long>(accuracy.correctlyRounded),
                   static_cast<long long>(accuracy.words));
    // The window's angle is i × a single-precision step, not 2πi/N: the exact angle rounds the true sine.
    if (shape.angle == AngleMode::Window && accuracy.correctlyRounded < accuracy.words) {
        const auto missed = static_cast<unsigned long long>(accuracy.words - accuracy.correctlyRounded);
        text += Printf(Plural("  %llu of %lld words is not the correct rounding of its true value at the "
                              "window's angle: --angle exact gives all\n",
                              "  %llu of %lld words are not the correct rounding of their true value at the "
                              "window's angle: --angle exact gives all\n",
                              missed),
                       missed, static_cast<long long>(accuracy.words));
    }
    if (!accuracy.sfdr)
        text += _("  SFDR: a period shorter than 4 samples has none\n");
    else if (std::isinf(*accuracy.sfdr))
        text += _("  SFDR of the full period: no spurs at all\n");
    else
        text += Printf(_("  SFDR of the full period: %.2f dBc\n"), *accuracy.sfdr);
    return text;
}

}  // namespace lumiro::coe
