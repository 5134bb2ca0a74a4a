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
#include "printers.h"
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

// Writes with `write` to -o's file, or to standard output.
template <class Writer>
void Write(const Options& options, const Writer& write)
{
    if (!options.outputPath) {
        WriteToStandardOutput(write);
        return;
    }
    OutputFile file(*options.outputPath);
    write(file.Stream());
    file.Commit();
}

// The report on standard error, then the picture, which may still fail:
// what was measured is said.
template <class Drawer>
int ReportAndPlot(const Options& options, const std::string& report, const Drawer& draw)
{
    bool reported = true;
    if (options.report) {
        const std::string text = ForTerminal(report);
        // Nothing is left to say it on when standard error fails; the status says it.
        reported = std::fwrite(text.data(), 1, text.size(), stderr) == text.size() && std::fflush(stderr) == 0;
    }
    if (options.plotPath) {
        OutputFile picture(*options.plotPath);
        if (!draw(picture.Stream(), *PlotKindOf(*options.plotPath)))
            throw FileError(Printf(_("could not draw the picture %s."), ShownPath(*options.plotPath).c_str()));
        picture.Commit();
    }
    return reported ? kSucceeded : kFailed;
}

// A table, and what --report and --plot say of it, measured on the other
// core while this one writes.
int WriteTable(const Options& options, SineTable& table)
{
    const Request request{table, options.Digits(), options.name};
    const auto write = [&](std::FILE* out) { options.format->write(out, request); };
    if (!options.report && !options.plotPath) {
        Write(options, write);
        return kSucceeded;
    }
    table.Precompute();  // worked out once, for both
    std::future<Accuracy> measured = std::async(std::launch::async, [&table, &options] {
        return MeasureAccuracy(table, options.plotPath.has_value());
    });
    Write(options, write);
    const Accuracy accuracy = measured.get();
    return ReportAndPlot(options, ReportText(accuracy, table), [&](std::FILE* out, PlotKind kind) {
        return WritePlot(out, kind, table, accuracy);
    });
}

std::string BaseName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The unit's testbench and vectors, written whole before the unit is; they
// replace their files once it is.
class Testbench {
public:
    Testbench(const Options& options, const Request& request, const lumiro::UnitPlan& plan)
        : bench_(*options.testbenchPath), vectors_(VectorsBeside(*options.testbenchPath))
    {
        const Format& format = *options.format;
        const BenchNames names{BaseName(VectorsBeside(*options.testbenchPath)),
                               options.outputPath ? BaseName(*options.outputPath)
                                                  : options.name + std::string(format.extensions[0]),
                               BaseName(*options.testbenchPath)};
        format.writeTestbench(bench_.Stream(), vectors_.Stream(), request, plan, names);
    }
    void Commit()
    {
        vectors_.Commit();
        bench_.Commit();
    }

private:
    OutputFile bench_;
    OutputFile vectors_;
};

// The sine/cosine unit, proven before it is written where it interpolates;
// --report measures its outputs at every phase, or with --frequency its
// oscillator's for that word.
int WriteUnit(const Options& options, const SineTable& table)
{
    const lumiro::UnitPlan plan = lumiro::PlanUnit(table, options.Unit());
    if (plan.interpolation && plan.interpolation->missedPhase)
        throw std::logic_error(Printf(_("internal error: the interpolating unit is 1 LSB or more from the "
                                        "true value at phase %lld; nothing was written."),
                                      static_cast<long long>(*plan.interpolation->missedPhase)));
    const Request request{table, options.Digits(), options.name, options.notes, options.frequency, options.fraction};
    for (const std::string* said : {&options.designSaid, &options.toneSaid})
        if (!said->empty())
            std::fputs(ForTerminal(*said).c_str(), stderr);
    std::optional<Testbench> testbench;
    if (options.testbenchPath)
        testbench.emplace(options, request, plan);
    const auto writeUnit = [&](std::FILE* out) { options.format->writeUnit(out, request, plan); };
    // The testbench replaces its files only once the unit is written.
    const auto write = [&] {
        Write(options, writeUnit);
        if (testbench)
            testbench->Commit();
    };
    if (options.frequency && (options.report || options.plotPath)) {
        write();
        const NcoSpectrum spectrum = MeasureNco(plan, table, *options.frequency, options.plotPath.has_value(), options.fraction);
        return ReportAndPlot(options, NcoReportText(spectrum, plan, table, options.clockHz), [&](std::FILE* out, PlotKind kind) {
            return WriteNcoPlot(out, kind, spectrum, plan, table);
        });
    }
    if (!options.report && !options.plotPath) {
        write();
        return kSucceeded;
    }
    const SineTable sweep(lumiro::UnitPeriod(table.shape()));
    std::vector<std::uint32_t> words(static_cast<std::size_t>(plan.divisions));
    lumiro::hardware::UnitModel(plan, table).Run(0, words, {});
    std::future<Accuracy> measured = std::async(std::launch::async, [&] {
        return MeasureAccuracy(sweep, options.plotPath.has_value(), words);
    });
    write();
    const Accuracy accuracy = measured.get();
    return ReportAndPlot(options, ReportText(accuracy, sweep, true) + GuaranteeText(plan, table), [&](std::FILE* out, PlotKind kind) {
        return WritePlot(out, kind, sweep, accuracy);
    });
}

int Run(const Options& options)
{
    if (options.help) {
        ToStandardOutput(HelpText());
        return kSucceeded;
    }
    if (options.version) {
        ToStandardOutput("lumiro-coe " + std::string(kVersion) + "\n");
        return kSucceeded;
    }
    SineTable table(options.shape);
    if (options.checkPath)
        return Check(options, table);
    return options.sincos ? WriteUnit(options, table) : WriteTable(options, table);
}

}  // namespace

int main(int argc, char** argv)
{
    InitLocale();
    // argc may be 0 when a caller execs with an empty argument vector.
    const std::vector<std::string_view> arguments(argc > 0 ? argv + 1 : argv, argc > 0 ? argv + argc : argv);
    try {
        return Run(ParseOptions(arguments));
    } catch (const UsageError& error) {
        return Fail(kWrongCall, error.what());
    } catch (const std::exception& error) {
        return Fail(kFailed, error.what());
    }
}
