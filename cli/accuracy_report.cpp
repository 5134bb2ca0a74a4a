#include "accuracy_report.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>

#include "conversions.h"

namespace lumiro::coe {
namespace {

struct FftwFree {
    void operator()(void* block) const { fftw_free(block); }
};

std::string Fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}  // namespace

Accuracy MeasureAccuracy(const WordTable& table)
{
    const SineTable& samples = *table.samples;
    const WordKind& kind = samples.shape().word;
    Accuracy accuracy;
    double squares = 0;
    for (std::int32_t i = 0; i < table.depth; ++i) {
        const std::uint32_t word = table.word(i);
        const double ideal = samples.IdealValue(i);
        const double error = std::fabs(kind.ValueOf(word) - ideal) / kind.UnitAt(ideal);
        accuracy.largestError = std::max(accuracy.largestError, error);
        squares += error * error;
        accuracy.correctlyRounded += word == samples.IdealWord(i) ? 1 : 0;
    }
    accuracy.words = table.depth;
    accuracy.rmsError = table.depth > 0 ? std::sqrt(squares / table.depth) : 0.0;
    accuracy.sfdr = SpuriousFreeRange(FullPeriod(table));
    return accuracy;
}

std::vector<double> FullPeriod(const WordTable& table)
{
    const TableShape& shape = table.samples->shape();
    const WordKind& kind = shape.word;
    const auto value = [&](std::int32_t i) { return kind.ValueOf(table.word(i)); };
    const std::int32_t n = shape.divisions;
    std::vector<double> period(static_cast<std::size_t>(n));
    const auto at = [&](std::int32_t k) -> double& { return period[static_cast<std::size_t>(k)]; };

    // The first half turn, then its negation.
    std::int32_t half = n / 2;
    if (shape.span == Span::Full) {
        for (std::int32_t k = 0; k < n; ++k)
            at(k) = value(k);
        return period;
    }
    if (shape.span == Span::Half) {
        for (std::int32_t k = 0; k < half; ++k)
            at(k) = value(k);
    } else {
        const std::int32_t quarter = n / 4;
        for (std::int32_t k = 0; k < quarter; ++k)
            at(k) = value(k);
        if (shape.halfStep) {
            // Samples at (k + ½) steps: the mirror of k is 2Q - 1 - k.
            for (std::int32_t k = quarter; k < half; ++k)
                at(k) = value(half - 1 - k);
        } else {
            at(quarter) = shape.withEnd ? value(quarter) : 1.0;
            for (std::int32_t k = quarter + 1; k < half; ++k)
                at(k) = value(half - k);
        }
    }
    for (std::int32_t k = half; k < n; ++k)
        at(k) = -at(k - half);
    return period;
}

std::optional<double> SpuriousFreeRange(std::span<const double> period)
{
    const std::size_t n = period.size();
    if (n < 4)
        return std::nullopt;
    const std::size_t bins = n / 2 + 1;
    std::unique_ptr<double, FftwFree> data(static_cast<double*>(fftw_malloc(sizeof(double) * 2 * bins)));
    // Planned before the data goes in: planning may overwrite the array.
    fftw_plan plan = fftw_plan_dft_r2c_1d(static_cast<int>(n), data.get(),
                                          reinterpret_cast<fftw_complex*>(data.get()), FFTW_ESTIMATE);
    std::copy(period.begin(), period.end(), data.get());
    fftw_execute(plan);
    fftw_destroy_plan(plan);

    const double* spectrum = data.get();
    const auto power = [&](std::size_t bin) {
        return spectrum[2 * bin] * spectrum[2 * bin] + spectrum[2 * bin + 1] * spectrum[2 * bin + 1];
    };
    double spur = 0;
    for (std::size_t bin = 0; bin < bins; ++bin)
        if (bin != 1)
            spur = std::max(spur, power(bin));
    if (spur == 0)
        return std::numeric_limits<double>::infinity();
    return 10 * std::log10(power(1) / spur);
}

std::string ReportText(const Accuracy& accuracy, const WordTable& table)
{
    const TableShape& shape = table.samples->shape();
    const char* unit = shape.word.isFloat() ? "ulp" : "LSB";
    std::string text = "Raport dokładności (słowa " + shape.word.Name() + ", kąt " +
                       (shape.angle == AngleMode::Window ? "okna" : "2πi/N") +
                       ", N = " + IntToStr(shape.divisions) + "):\n";
    text += "  słów: " + std::to_string(accuracy.words) + "\n";
    text += "  największy błąd: " + Fixed(accuracy.largestError, 4) + " " + unit + ", RMS: " +
            Fixed(accuracy.rmsError, 4) + " " + unit + " (względem dokładnego sin(2πi/N))\n";
    text += "  poprawnie zaokrąglonych: " + std::to_string(accuracy.correctlyRounded) + " z " +
            std::to_string(accuracy.words) + "\n";
    if (!accuracy.sfdr)
        text += "  SFDR: okres krótszy niż 4 próbki, nie da się go obliczyć\n";
    else if (std::isinf(*accuracy.sfdr))
        text += "  SFDR pełnego okresu: brak składowych pasożytniczych\n";
    else
        text += "  SFDR pełnego okresu: " + Fixed(*accuracy.sfdr, 2) + " dBc\n";
    return text;
}

}  // namespace lumiro::coe
