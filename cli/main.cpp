// lumiro-coe: the window's sine table as a memory file, for scripts and FPGA tools.
#include <cerrno>
#include <cstdio>
#include <exception>
#include <string_view>
#include <vector>

#include "output_file.h"
#include "options.h"
#include "table_writer.h"

namespace {

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

void WriteToStandardOutput(const lumiro::coe::Options& options)
{
    static char buffer[1 << 20];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    lumiro::coe::WriteTable(stdout, options.divisions, options.format, options.radix);
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0)
        lumiro::coe::ThrowWriteError("na standardowe wyjście", errno != 0 ? errno : EIO);
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace lumiro::coe;
    // argc may be 0 when a caller execs with an empty argument vector.
    const std::vector<std::string_view> arguments(argc > 0 ? argv + 1 : argv,
                                                  argc > 0 ? argv + argc : argv);
    try {
        const Options options = ParseOptions(arguments);
        if (options.help) {
            std::fwrite(kHelpText.data(), 1, kHelpText.size(), stdout);
            errno = 0;
            if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0)
                ThrowWriteError("na standardowe wyjście", errno != 0 ? errno : EIO);
            return kWritten;
        }
        if (options.outputPath) {
            OutputFile file(*options.outputPath);
            WriteTable(file.Stream(), options.divisions, options.format, options.radix);
            file.Commit();
        } else {
            WriteToStandardOutput(options);
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
