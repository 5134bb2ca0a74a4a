// SPDX-License-Identifier: GPL-3.0-or-later
// lumiro-coe: the window's sine table as a memory file, for scripts and FPGA tools.
#include <cerrno>
#include <cstdio>
#include <exception>
#include <string_view>
#include <vector>

#include "accuracy_report.h"
#include "check.h"
#include "conversions.h"
#include "options.h"
#include "output_file.h"
#include "version.h"
#include "provenance.h"

namespace {

using namespace lumiro::coe;
using lumiro::SineTable;

constexpr int kWritten = 0;
constexpr int kWriteFailed = 1;
constexpr int kWrongCall = 2;

int Fail(int status, const char* message)
{
    std::fprintf(stderr, "lumiro-coe: %s\n", message);
    if (status == kWrongCall)
        std::fputs("Opis opcji: lumiro-coe --help\n", stderr);
    return status;
}

// A failed flush is a failed write; the first write that failed left its reason in errno.
void FlushStandardOutput()
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0)
        ThrowWriteError("na standardowe wyjście", errno != 0 ? errno : EIO);
}

void ToStandardOutput(std::string_view text)
{
    errno = 0;
    std::fwrite(text.data(), 1, text.size(), stdout);
    FlushStandardOutput();
}

void WriteToStandardOutput(const Request& request, const Format& format)
{
    static char buffer[1 << 20];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    errno = 0;
    format.write(stdout, request);
    FlushStandardOutput();
}

int Check(const Options& options, const SineTable& table)
{
    FileSource file(*options.checkPath);
    TextScanner text(file);
    try {
        const int status = CompareWithTable(text, *options.format,
                                            options.radixGiven ? std::optional(options.radix) : std::nullopt,
                                            table, stdout);
        FlushStandardOutput();
        return status;
    } catch (const ReadError& error) {
        const std::string message = "plik " + lumiro::QuoteInput(*options.checkPath, 4096) +
                                    " nie jest poprawnym plikiem " +
                                    std::string(options.format->name) + ": " + error.what();
        return Fail(kWriteFailed, message.c_str());
    }
}

}  // namespace

int main(int argc, char** argv)
{
    // argc may be 0 when a caller execs with an empty argument vector.
    const std::vector<std::string_view> arguments(argc > 0 ? argv + 1 : argv,
                                                  argc > 0 ? argv + argc : argv);
    try {
        const Options options = ParseOptions(arguments);
        if (options.help) {
            ToStandardOutput(HelpText());
            return kWritten;
        }
        if (options.version) {
            ToStandardOutput("lumiro-coe " + std::string(kVersion) + "\n");
            return kWritten;
        }
        // A table that is also measured is worked out once, not twice.
        SineTable table(options.shape);
        if (options.report)
            table.Precompute();
        if (options.checkPath)
            return Check(options, table);
        const Request request{table, options.radix, options.name};
        if (options.outputPath) {
            OutputFile file(*options.outputPath);
            options.format->write(file.Stream(), request);
            file.Commit();
        } else {
            WriteToStandardOutput(request, *options.format);
        }
        if (options.report) {
            const std::string report = ReportText(MeasureAccuracy(table), table);
            // Nothing is left to say it on when standard error fails; the status says it.
            if (std::fwrite(report.data(), 1, report.size(), stderr) != report.size() ||
                std::fflush(stderr) != 0)
                return kWriteFailed;
        }
        return kWritten;
    } catch (const UsageError& error) {
        return Fail(kWrongCall, error.what());
    } catch (const WriteError& error) {
        return Fail(kWriteFailed, error.what());
    } catch (const std::exception& error) {
        return Fail(kWriteFailed, error.what());
    }
}
