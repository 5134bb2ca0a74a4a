// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot.h"

#include <plplot.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "i18n.h"
#include "text.h"

namespace lumiro::coe {
namespace {

// The picture's size in pixels, and the columns a panel has to draw in: a
// larger table is reduced to the least and greatest value of each column,
// so that the file stays small and the envelope keeps every extreme.
constexpr int kWidth = 1200;
constexpr int kHeight = 900;
constexpr std::size_t kColumns = 1100;

// A figure with `decimals` places after the point, in the C locale's digits.
std::string Figure(int decimals, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Title(const SineTable& table)
{
    const TableShape& shape = table.shape();
    const char* span = shape.span == Span::Quarter ? _("quarter") : shape.span == Span::Half ? _("half") : _("full");
    std::string title = Printf(_("N = %d, %s words, angle %s, span %s, %s"), shape.divisions,
                               shape.word.Name().c_str(),
                               shape.angle == AngleMode::Window ? _("of the window") : "2πi/N", span,
                               shape.function == Function::Cosine ? "cos" : "sin");
    if (shape.withEnd)
        title.append(", ").append(_("with end sample"));
    if (shape.halfStep)
        title.append(", ").append(_("half a step on"));
    return title;
}

// Each word a dot; where words outnumber the pixel columns, each column a bar
// from its least to its greatest error, so that every extreme stays in sight.
void DrawErrors(const std::vector<double>& angles, const std::vector<float>& errors, double right)
{
    const std::size_t n = errors.size();
    if (n <= kColumns) {
        std::vector<PLFLT> xs(angles.begin(), angles.end());
        std::vector<PLFLT> ys(errors.begin(), errors.end());
        plssym(0.0, n <= 256 ? 1.1 : 0.7);
        plpoin(static_cast<PLINT>(n), xs.data(), ys.data(), 17);  // a filled dot
        return;
    }
    for (std::size_t column = 0; column < kColumns; ++column) {
        const std::size_t first = column * n / kColumns;
        const std::size_t last = std::max(first + 1, (column + 1) * n / kColumns);
        const auto [low, high] = std::minmax_element(errors.begin() + static_cast<std::ptrdiff_t>(first),
                                                     errors.begin() + static_cast<std::ptrdiff_t>(last));
        const double x = (static_cast<double>(column) + 0.5) / static_cast<double>(kColumns) * right;
        pljoin(x, *low, x, *high);
    }
}

void ErrorPanel(const SineTable& table, const Accuracy& accuracy, const char* unit)
{
    const TableShape& shape = table.shape();
    const double degreesPerSample = 360.0 / shape.divisions;
    std::vector<double> angles(accuracy.errors.size());
    for (std::size_t i = 0; i < angles.size(); ++i)
        angles[i] = (static_cast<double>(i) + (shape.halfStep ? 0.5 : 0.0)) * degreesPerSample;
    const double reach = std::max(0.75, accuracy.largestError * 1.15);
    // The span's own end: 90, 180 or 360 degrees.
    const double right = std::max(360.0 / static_cast<int>(shape.span), angles.empty() ? 0.0 : angles.back());
    plvpor(0.09, 0.97, 0.55, 0.88);
    plwind(0.0, right, -reach, reach);
    plcol0(15);
    // Ticks at the quarter turns with 45 degrees between; a quarter alone at 45 and 15.
    const bool quarter = right <= 90.0 + degreesPerSample;
    plbox("bcnst", quarter ? 45.0 : 90.0, 3 - (quarter ? 0 : 1), "bcnstv", 0.0, 0);
    plmtex("t", 3.5, 0.5, 0.5, Title(table).c_str());
    pllab(_("angle (degrees)"), Printf(_("error (%s)"), unit).c_str(),
          Printf(_("Error of every word against the exact value: largest %.4f %s, RMS %.4f %s"),
                 accuracy.largestError, unit, accuracy.rmsError, unit)
              .c_str());
    // The band of the correct rounding: within half a unit of the exact value.
    pllsty(2);
    plcol0(3);
    for (const PLFLT level : {-0.5, 0.5}) {
        const PLFLT x[2] = {0.0, right};
        const PLFLT y[2] = {level, level};
        plline(2, x, y);
    }
    pllsty(1);
    // The legend below the frame, on the right, clear of the words.
    plmtex("b", 3.2, 1.0, 1.0, Printf(_("dashed: ±½ %s, correct rounding"), unit).c_str());
    plcol0(9);
    DrawErrors(angles, accuracy.errors, right);
}

// Over linear frequency in units of the sample rate, 0 to ½, the floor below
// the weakest spur, so that the spurs stand apart from one another.
void SpectrumPanel(const Accuracy& accuracy)
{
    const std::size_t bins = accuracy.spectrum.size();
    if (bins < 3)
        return;
    const double n = 2.0 * static_cast<double>(bins - 1);  // the period's length
    const bool spur = accuracy.sfdr && std::isfinite(*accuracy.sfdr);
    const double sfdr = spur ? *accuracy.sfdr : 0.0;
    float weakest = 1.0F;
    for (std::size_t bin = 0; bin < bins; ++bin)
        if (bin != 1 && accuracy.spectrum[bin] > 0.0F)
            weakest = std::min(weakest, accuracy.spectrum[bin]);
    const double floor = spur ? std::max(-400.0, std::floor((10 * std::log10(static_cast<double>(weakest)) - 10.0) / 20.0) * 20.0) : -160.0;
    plvpor(0.09, 0.97, 0.08, 0.40);
    plwind(0.0, 0.5, floor, 10.0);
    plcol0(15);
    plbox("bcnst", 0.05, 5, "bcnstv", 0.0, 0);
    const std::string title =
        spur ? Printf(_("Spectrum of one full period: SFDR %.2f dBc at f/fs = %.5f (bin %zu)"), sfdr,
                      static_cast<double>(accuracy.spurBin) / n, accuracy.spurBin)
             : std::string(_("Spectrum of one full period: no spurs"));
    pllab(_("frequency (f/fs)"), _("power (dBc)"), title.c_str());
    // A stem from the floor to each bin at its own frequency; where bins
    // outnumber the pixel columns, to the strongest bin of each column.
    const std::size_t columns = std::min(kColumns, bins);
    std::vector<double> strongest(columns, 0.0);
    std::vector<double> where(columns, 0.0);
    for (std::size_t bin = 0; bin < bins; ++bin) {
        const auto column = std::min(columns - 1, bin * columns / bins);
        if (static_cast<double>(accuracy.spectrum[bin]) >= strongest[column]) {
            strongest[column] = static_cast<double>(accuracy.spectrum[bin]);
            where[column] = columns == bins ? static_cast<double>(bin) / n
                                            : (static_cast<double>(column) + 0.5) / static_cast<double>(columns) * 0.5;
        }
    }
    plcol0(9);
    plptex(1.0 / n + 0.004, -2.0, 1.0, 0.0, 0.0, _("carrier"));
    for (std::size_t at = 0; at < columns; ++at) {
        const double dbc = strongest[at] > 0 ? 10 * std::log10(strongest[at]) : floor;
        if (dbc > floor)
            pljoin(where[at], floor, where[at], std::min(dbc, 10.0));
    }
    if (spur) {
        const PLFLT spurX[1] = {static_cast<double>(accuracy.spurBin) / n};
        const PLFLT spurY[1] = {-sfdr};
        plcol0(1);
        plssym(0.0, 1.6);
        plpoin(1, spurX, spurY, 4);
        // The label above the marker, on the side with room, clear of the circle.
        const bool left = spurX[0] > 0.25;
        plptex(spurX[0] + (left ? -0.012 : 0.012), -sfdr + (10.0 - floor) * 0.06, 1.0, 0.0, left ? 1.0 : 0.0,
               Printf(_("SFDR %.2f dBc"), sfdr).c_str());
    }
}

// The figures as searchable text, beside what PLplot drew: a <desc> and
// data- attributes on the root element.
std::string Annotated(std::string svg, const SineTable& table, const Accuracy& accuracy, const char* unit)
{
    const bool spur = accuracy.sfdr && std::isfinite(*accuracy.sfdr);
    const std::string sfdr = accuracy.sfdr ? Figure(2, *accuracy.sfdr) : "none";
    const std::size_t root = svg.find("<svg");
    const std::size_t end = root == std::string::npos ? root : svg.find('>', root);
    if (end == std::string::npos)
        return svg;
    // The report's own figures, not the picture's single-precision points.
    std::string attributes = " data-error-unit=\"" + std::string(unit) + "\" data-error-min=\"" +
                             Figure(6, accuracy.lowestError) + "\" data-error-max=\"" +
                             Figure(6, accuracy.highestError) + "\" data-sfdr-dbc=\"" + sfdr + "\"";
    if (spur)
        attributes += " data-spur-bin=\"" + std::to_string(accuracy.spurBin) + "\"";
    const std::string errors = Printf(_("Largest error %.4f %s, RMS %.4f %s"), accuracy.largestError, unit,
                                      accuracy.rmsError, unit);
    const std::string spectrum = spur ? Printf(_("SFDR %s dBc, spur at bin %zu"), sfdr.c_str(), accuracy.spurBin)
                                 : accuracy.sfdr ? std::string(_("no spurs"))
                                                 : std::string(_("no spectrum: a period shorter than 4 samples"));
    const std::string desc = "\n<title>" + Title(table) + "</title>\n<desc>" + errors + "; " + spectrum + ".</desc>";
    svg.insert(end + 1, desc);
    svg.insert(end, attributes);
    return svg;
}

// PLplot's drawing of `panels` into memory, as the file's bytes; empty where it failed.
template <class Panels>
std::string Drawn(PlotKind kind, const Panels& panels)
{
    char* drawn = nullptr;
    std::size_t size = 0;
    std::FILE* memory = ::open_memstream(&drawn, &size);
    if (memory == nullptr)
        return {};
    plsdev(kind == PlotKind::Svg ? "svg" : "pngcairo");
    plsfile(memory);
    plspage(0, 0, kWidth, kHeight, 0, 0);
    plscolbg(255, 255, 255);
    plscol0(15, 0, 0, 0);      // axes and labels: black on white
    plscol0(9, 20, 70, 180);   // the data: blue
    plscol0(3, 0, 130, 60);    // the band of the correct rounding, the prediction: green
    plscol0(1, 200, 30, 30);   // the spur: red
    plinit();
    pladv(0);
    plschr(0.0, 0.8);
    panels();
    plend();  // closes the stream too, which is when the memory holds it all
    std::string picture(drawn != nullptr ? drawn : "", size);
    std::free(drawn);
    return picture;
}

std::string OscillatorTitle(const NcoSpectrum& spectrum, const UnitPlan& plan, const SineTable& quarter)
{
    std::string title = Printf(_("Oscillator, N = %d, %s words, A = %d bits, frequency word 0x%llX%s"),
                               plan.divisions, quarter.shape().word.Name().c_str(), plan.nco->accumulatorBits,
                               static_cast<unsigned long long>(spectrum.frequency),
                               plan.nco->dither ? _(", with dither") : "");
    return title;
}

// The quadrature output's spectrum over f/fs from -1/2 to 1/2: the strongest
// bin of each pixel column as a stem, the strongest spur marked, the level
// phase truncation predicts without dither dashed.
void OscillatorPanel(const NcoSpectrum& spectrum, const UnitPlan& plan, const SineTable& quarter)
{
    const std::size_t bins = spectrum.relative.size();
    if (bins < 2)
        return;
    const double n = static_cast<double>(bins);
    const auto frequency = [n](std::size_t bin) {
        const double f = static_cast<double>(bin) / n;
        return f >= 0.5 ? f - 1.0 : f;
    };
    const bool spur = std::isfinite(spectrum.measured);
    const double deepest = std::max(spur ? spectrum.measured : 0.0, std::isfinite(spectrum.predicted) ? spectrum.predicted : 0.0);
    const double floor = std::min(-40.0, std::floor((-deepest - 30.0) / 20.0) * 20.0);
    plvpor(0.09, 0.97, 0.10, 0.80);
    plwind(-0.5, 0.5, floor, 10.0);
    plcol0(15);
    plbox("bcnst", 0.1, 5, "bcnstv", 0.0, 0);
    const std::string measured = spur ? Printf(_("SFDR measured %.2f dB"), spectrum.measured)
                                      : std::string(_("no spurs"));
    const std::string predicted = std::isfinite(spectrum.predicted)
                                      ? Printf(_("predicted by phase truncation %.2f dB"), spectrum.predicted)
                                      : std::string(_("no truncation spur predicted"));
    pllab(_("frequency (f/fs)"), _("power (dBc)"), "");
    plmtex("t", 3.2, 0.5, 0.5, OscillatorTitle(spectrum, plan, quarter).c_str());
    plmtex("t", 1.4, 0.5, 0.5, (measured + ", " + predicted).c_str());
    std::vector<double> strongest(kColumns, 0.0);
    for (std::size_t bin = 0; bin < bins; ++bin) {
        const auto column = std::min(kColumns - 1, static_cast<std::size_t>((frequency(bin) + 0.5) * kColumns));
        strongest[column] = std::max(strongest[column], static_cast<double>(spectrum.relative[bin]));
    }
    plcol0(9);
    for (std::size_t at = 0; at < kColumns; ++at) {
        const double x = (static_cast<double>(at) + 0.5) / kColumns - 0.5;
        const double dbc = strongest[at] > 0 ? 10 * std::log10(strongest[at]) : floor;
        if (dbc > floor)
            pljoin(x, floor, x, std::min(dbc, 10.0));
    }
    if (std::isfinite(spectrum.predicted)) {
        plcol0(3);
        pllsty(2);
        pljoin(-0.5, -spectrum.predicted, 0.5, -spectrum.predicted);
        pllsty(1);
    }
    if (spur) {
        const PLFLT spurX[1] = {frequency(spectrum.spurBin)};
        const PLFLT spurY[1] = {-spectrum.measured};
        plcol0(1);
        plssym(0.0, 1.6);
        plpoin(1, spurX, spurY, 4);
        const bool left = spurX[0] > 0.0;
        plptex(spurX[0] + (left ? -0.015 : 0.015), -spectrum.measured + (10.0 - floor) * 0.05, 1.0, 0.0,
               left ? 1.0 : 0.0, Printf(_("spur %.2f dBc"), -spectrum.measured).c_str());
    }
}

}  // namespace

std::optional<PlotKind> PlotKindOf(std::string_view path)
{
    const std::string lowered = Lowered(path);
    if (lowered.size() > 4 && lowered.ends_with(".svg"))
        return PlotKind::Svg;
    if (lowered.size() > 4 && lowered.ends_with(".png"))
        return PlotKind::Png;
    return std::nullopt;
}

bool WritePlot(std::FILE* out, PlotKind kind, const SineTable& table, const Accuracy& accuracy)
{
    const char* unit = table.shape().word.isFloat() ? "ulp" : "LSB";
    std::string picture = Drawn(kind, [&] {
        ErrorPanel(table, accuracy, unit);
        SpectrumPanel(accuracy);
    });
    if (picture.empty())
        return false;
    if (kind == PlotKind::Svg)
        picture = Annotated(std::move(picture), table, accuracy, unit);
    return std::fwrite(picture.data(), 1, picture.size(), out) == picture.size();
}

bool WriteNcoPlot(std::FILE* out, PlotKind kind, const NcoSpectrum& spectrum, const UnitPlan& plan,
                  const SineTable& quarter)
{
    std::string picture = Drawn(kind, [&] { OscillatorPanel(spectrum, plan, quarter); });
    if (picture.empty())
        return false;
    if (kind == PlotKind::Svg) {
        const std::size_t root = picture.find("<svg");
        const std::size_t end = root == std::string::npos ? root : picture.find('>', root);
        if (end != std::string::npos) {
            const auto figure = [](double db) { return std::isfinite(db) ? Figure(2, db) : std::string("none"); };
            picture.insert(end + 1, "\n<desc>" + OscillatorTitle(spectrum, plan, quarter) + "</desc>");
            picture.insert(end, " data-sfdr-db=\"" + figure(spectrum.measured) + "\" data-predicted-db=\"" +
                                    figure(spectrum.predicted) + "\"");
        }
    }
    return std::fwrite(picture.data(), 1, picture.size(), out) == picture.size();
}

}  // namespace lumiro::coe
