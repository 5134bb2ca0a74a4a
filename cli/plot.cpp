// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot.h"

#include <plplot.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "i18n.h"
#include "text_scanner.h"  // Lowered

namespace lumiro::coe {
namespace {

// The picture's size in pixels, and the columns a panel has to draw in: a
// larger table is reduced to the least and greatest value of each column,
// so that the file stays small and the envelope keeps every extreme.
constexpr int kWidth = 1200;
constexpr int kHeight = 900;
constexpr std::size_t kColumns = 1100;

// Least and greatest of each column, as a line that runs down and up them.
void Envelope(const std::vector<double>& x, const std::vector<float>& y, std::vector<PLFLT>& xs,
              std::vector<PLFLT>& ys)
{
    const std::size_t n = y.size();
    if (n <= 2 * kColumns) {
        xs.assign(x.begin(), x.end());
        ys.assign(y.begin(), y.end());
        return;
    }
    for (std::size_t column = 0; column < kColumns; ++column) {
        const std::size_t first = column * n / kColumns;
        const std::size_t last = std::max(first + 1, (column + 1) * n / kColumns);
        const auto [low, high] = std::minmax_element(y.begin() + static_cast<std::ptrdiff_t>(first),
                                                     y.begin() + static_cast<std::ptrdiff_t>(last));
        xs.push_back(x[first]);
        ys.push_back(*low);
        xs.push_back(x[first]);
        ys.push_back(*high);
    }
}

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
    std::string shapeText = shape.withEnd ? _("with end sample") : shape.halfStep ? _("half a step on") : _("plain");
    const char* span = shape.span == Span::Quarter ? _("quarter") : shape.span == Span::Half ? _("half") : _("full");
    return Printf(_("N = %d, %s words, angle %s, span %s, %s, %s"), shape.divisions, shape.word.Name().c_str(),
                  shape.angle == AngleMode::Window ? _("of the window") : "2πi/N", span, shapeText.c_str(),
                  shape.function == Function::Cosine ? "cos" : "sin");
}

void ErrorPanel(const SineTable& table, const Accuracy& accuracy, const char* unit)
{
    const TableShape& shape = table.shape();
    const double degreesPerSample = 360.0 / shape.divisions;
    std::vector<double> angles(accuracy.errors.size());
    for (std::size_t i = 0; i < angles.size(); ++i)
        angles[i] = (static_cast<double>(i) + (shape.halfStep ? 0.5 : 0.0)) * degreesPerSample;
    std::vector<PLFLT> xs;
    std::vector<PLFLT> ys;
    Envelope(angles, accuracy.errors, xs, ys);
    const double reach = std::max(0.75, accuracy.largestError * 1.15);
    const double right = std::max(angles.empty() ? 1.0 : angles.back(), degreesPerSample);
    plvpor(0.09, 0.97, 0.55, 0.88);
    plwind(0.0, right, -reach, reach);
    plcol0(15);
    plbox("bcnst", 0.0, 0, "bcnstv", 0.0, 0);
    plmtex("t", 3.5, 0.5, 0.5, Title(table).c_str());
    pllab(_("angle (degrees)"), Printf(_("error (%s); dashed: ±½"), unit).c_str(),
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
    plcol0(9);
    if (!xs.empty())
        plline(static_cast<PLINT>(xs.size()), xs.data(), ys.data());
}

// Over a logarithmic axis of bins 1 to N/2, so that the harmonics near the
// carrier stand apart at any N; DC, where it is the spur, at the left edge.
void SpectrumPanel(const Accuracy& accuracy)
{
    const std::size_t bins = accuracy.spectrum.size();
    if (bins < 3)
        return;
    const double sfdr = accuracy.sfdr && std::isfinite(*accuracy.sfdr) ? *accuracy.sfdr : 400.0;
    const double floor = -std::min(400.0, std::ceil((sfdr + 20.0) / 20.0) * 20.0);
    plvpor(0.09, 0.97, 0.08, 0.40);
    const double last = std::log10(static_cast<double>(bins - 1));
    plwind(-0.02 * last, last, floor, 10.0);  // room for the carrier's stem at bin 1
    plcol0(15);
    plbox("bclnst", 0.0, 0, "bcnstv", 0.0, 0);
    const std::string title = accuracy.sfdr && std::isfinite(*accuracy.sfdr)
                                  ? Printf(_("Spectrum of one full period: SFDR %.2f dBc, spur at bin %zu"), sfdr,
                                           accuracy.spurBin)
                                  : std::string(_("Spectrum of one full period: no spurs"));
    pllab(_("frequency (bin)"), _("power (dBc)"), title.c_str());
    // A stem from the floor to the strongest bin of each pixel column: the
    // columns in order of the bins, so that no bin needs its logarithm.
    std::vector<double> strongest(kColumns, 0.0);
    std::size_t column = 0;
    double columnEnd = std::pow(10.0, last / static_cast<double>(kColumns));
    for (std::size_t bin = 1; bin < bins; ++bin) {
        while (static_cast<double>(bin) >= columnEnd && column + 1 < kColumns)
            columnEnd = std::pow(10.0, static_cast<double>(++column + 1) * last / static_cast<double>(kColumns));
        strongest[column] = std::max(strongest[column], static_cast<double>(accuracy.spectrum[bin]));
    }
    plcol0(9);
    for (std::size_t at = 0; at < kColumns; ++at) {
        const double dbc = strongest[at] > 0 ? 10 * std::log10(strongest[at]) : floor;
        if (dbc > floor) {
            const double x = (static_cast<double>(at) + 0.5) / static_cast<double>(kColumns) * last;
            pljoin(x, floor, x, dbc);
        }
    }
    if (accuracy.sfdr && std::isfinite(*accuracy.sfdr)) {
        const PLFLT spurX[1] = {accuracy.spurBin == 0 ? 0.0 : std::log10(static_cast<double>(accuracy.spurBin))};
        const PLFLT spurY[1] = {-sfdr};
        plcol0(1);
        plpoin(1, spurX, spurY, 4);
        plptex(spurX[0], -sfdr + (10.0 - floor) * 0.04, 1.0, 0.0, spurX[0] > last / 2 ? 1.0 : 0.0,
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
    char* drawn = nullptr;
    std::size_t size = 0;
    std::FILE* memory = ::open_memstream(&drawn, &size);
    if (memory == nullptr)
        return false;
    plsdev(kind == PlotKind::Svg ? "svg" : "pngcairo");
    plsfile(memory);
    plspage(0, 0, kWidth, kHeight, 0, 0);
    plscolbg(255, 255, 255);
    plscol0(15, 0, 0, 0);      // axes and labels: black on white
    plscol0(9, 20, 70, 180);   // the data: blue
    plscol0(3, 0, 130, 60);    // the band of the correct rounding: green
    plscol0(1, 200, 30, 30);   // the spur: red
    plinit();
    pladv(0);
    plschr(0.0, 0.8);
    ErrorPanel(table, accuracy, unit);
    SpectrumPanel(accuracy);
    plend();  // closes the stream too, which is when the memory holds it all
    std::string picture(drawn != nullptr ? drawn : "", size);
    std::free(drawn);
    if (picture.empty())
        return false;
    if (kind == PlotKind::Svg)
        picture = Annotated(std::move(picture), table, accuracy, unit);
    return std::fwrite(picture.data(), 1, picture.size(), out) == picture.size();
}

}  // namespace lumiro::coe
