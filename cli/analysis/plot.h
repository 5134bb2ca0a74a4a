// SPDX-License-Identifier: GPL-3.0-or-later
// --plot: a picture of a table's quality, drawn by PLplot. The upper panel
// is the error of every word over the angle, the lower one the spectrum of
// one full period with its strongest spur marked.
#pragma once

#include <cstdio>
#include <optional>
#include <string_view>

#include "accuracy_report.h"
#include "nco_report.h"

namespace lumiro::coe {

enum class PlotKind { Svg, Png };

// The kind a file's name asks for: ".svg" or ".png", in either case.
std::optional<PlotKind> PlotKindOf(std::string_view path);

// Draws the picture to `out`. An SVG also carries the figures as text a reader
// can search: a <desc>, and data- attributes on its root. `accuracy` must have
// been measured with its detail. Returns false when the drawing failed.
bool WritePlot(std::FILE* out, PlotKind kind, const SineTable& table, const Accuracy& accuracy);

// With --frequency: the oscillator's spectrum over f/fs from -1/2 to 1/2, in dB
// below the carrier, its strongest spur marked and the level phase truncation
// predicts drawn. `spectrum` must have been measured with its bins.
bool WriteNcoPlot(std::FILE* out, PlotKind kind, const NcoSpectrum& spectrum, const UnitPlan& plan,
                  const SineTable& quarter);

}  // namespace lumiro::coe
