// SPDX-License-Identifier: GPL-3.0-or-later
// lumiro-coe: the window's sine table as a memory file, for scripts and FPGA tools.
#include <cerrno>
#include <cstdio>
#include <exception>
#include <future>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "accuracy_report.h"
#include "hardware/units.h"
#include "nco_report.h"
#include "check.h"
#include "exit_status.h"
#include "i18n.h"
#include "option_table.h"
#include "options.h"
#include "output_file.h"
#include "plot.h"
#include "provenance.h"
#include "version.h"

namespace {

using namespace lumiro::coe;
using lumiro::SineTable;

int Fail(int status, const std::string& message)
{
    std::fprintf(stderr, "lumiro-coe: %s\n", ForTerminal(message).c_str());
    if (status == kWrongCall)
        std::fputs(_("Try 'lumiro-coe --help' for more information.\n"), stderr);
    return status;
}

// A failed flush is a failed write; the first write that failed left its reason in errno.
void FlushStandardOutput()
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0)
        ThrowStandardOutputError(errno != 0 ? errno : EIO);
}

void ToStandardOutput(std::string_view text)
{
    errno = 0;
    std::fwrite(text.data(), 1, text.size(), stdout);
    FlushStandardOutput();
}

template <class Writer>
void WriteToStandardOutput(const Writer& write)
{
    static char buffer[1 << 20];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    errno = 0;
    write(stdout);
    FlushStandardOutput();
}

int Check(const Options& options, const SineTable& table)
{
    FileSource source(*options.checkPath);
    const Format& kind = KindOfFile(*options.format, options.kindsByHead, source);
    if (&kind != options.format)
        CheckKindTakes(options, kind);
    TextScanner text(source);
    try {
        const int status = CompareWithTable(text, kind, options.radix, table, stdout, options.quiet, OptionsFor);
        FlushStandardOutput();
        return status;
    } catch (const ReadError& error) {
        const std::string file = *options.checkPath == "-" ? std::string(_("standard input"))
                                                           : ShownPath(*options.checkPath);
        return Fail(kFailed, Printf(_("%s is not a valid %s file: %s"), file.c_str(),
                                    std::string(kind.name).c_str(), error.what()));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    InitLocale();
    // argc may be 0 when a caller execs with an empty argument vector.
    const std::vector<std::string_view> arguments(argc > 0 ? argv + 1 : argv,
                                                  argc > 0 ? argv + argc : argv);
    try {
        const Options options = ParseOptions(arguments);
        if (options.help) {
            ToStandardOutput(HelpText());
            return kSucceeded;
        }
        if (options.version) {
            ToStandardOutput("lumiro-coe " + std::string(kVersion) + "\n");
            return kSucceeded;
        }
        SineTable table(options.shape);
        if (options.report || options.plotPath)  // a table that is also measured is worked out once
            table.Precompute();
        if (options.checkPath)
            return Check(options, table);
        // --sincos: the unit built on the table, measured over every phase.
        const lumiro::UnitPlan plan = lumiro::PlanUnit(table, options.Unit());
        // An interpolating unit is proven on every phase before it is written.
        if (plan.interpolation && plan.interpolation->missedPhase)
            throw std::logic_error(Printf(_("internal error: the interpolating unit is 1 LSB or more from the "
                                            "true value at phase %lld; nothing was written."),
                                          static_cast<long long>(*plan.interpolation->missedPhase)));
        std::optional<SineTable> sweep;
        std::vector<std::uint32_t> unitWords;
        if (options.sincos && (options.report || options.plotPath)) {
            sweep.emplace(lumiro::UnitPeriod(table.shape()));
            unitWords.resize(static_cast<std::size_t>(plan.divisions));
            lumiro::hardware::UnitModel(plan, table).Run(0, unitWords, {});
        }
        const SineTable& measuredTable = sweep ? *sweep : table;
        // Measured on the other core while this one writes the table.
        std::future<Accuracy> measured;
        if ((options.report || options.plotPath) && !options.frequency)
            measured = std::async(std::launch::async,
                                  [&measuredTable, &unitWords, detail = options.plotPath.has_value()] {
                                      return MeasureAccuracy(measuredTable, detail, unitWords);
                                  });
        const Request request{table, options.Digits(), options.name};
        const auto write = [&](std::FILE* out) {
            if (options.sincos)
                options.format->writeUnit(out, request, plan);
            else
                options.format->write(out, request);
        };
        if (options.outputPath) {
            OutputFile file(*options.outputPath);
            write(file.Stream());
            file.Commit();
        } else {
            WriteToStandardOutput(write);
        }
        std::optional<Accuracy> accuracy;
        if (measured.valid())
            accuracy = measured.get();
        // With --frequency, the oscillator's output for that word instead of the unit's phases.
        std::optional<NcoSpectrum> oscillator;
        if (options.frequency)
            oscillator = MeasureNco(plan, table, *options.frequency, options.plotPath.has_value());
        // The report before the picture, which may still fail: what was measured is said.
        bool reported = true;
        if (options.report) {
            const std::string report =
                ForTerminal(oscillator ? NcoReportText(*oscillator, plan, table)
                                       : ReportText(*accuracy, measuredTable, options.sincos));
            // Nothing is left to say it on when standard error fails; the status says it.
            reported = std::fwrite(report.data(), 1, report.size(), stderr) == report.size() &&
                       std::fflush(stderr) == 0;
        }
        if (options.plotPath) {
            OutputFile picture(*options.plotPath);
            const PlotKind kind = *PlotKindOf(*options.plotPath);
            if (!(oscillator ? WriteNcoPlot(picture.Stream(), kind, *oscillator, plan, table)
                             : WritePlot(picture.Stream(), kind, measuredTable, *accuracy)))
                throw FileError(Printf(_("could not draw the picture %s."), ShownPath(*options.plotPath).c_str()));
            picture.Commit();
        }
        return reported ? kSucceeded : kFailed;
    } catch (const UsageError& error) {
        return Fail(kWrongCall, error.what());
    } catch (const std::exception& error) {
        return Fail(kFailed, error.what());
    }
}
