// SPDX-License-Identifier: GPL-3.0-or-later
// The whole program, as a script runs it: lumiro-coe 4194304 ... -o FILE, timed
// from start to exit, with the child's peak resident memory.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

void BM_WriteLargestTable(benchmark::State& state, std::vector<std::string> options)
{
    const std::string path = "/tmp/lumiro-coe-bench." + std::to_string(::getpid());
    std::vector<std::string> argv{LUMIRO_COE, "4194304"};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.insert(argv.end(), {"-o", path});
    std::vector<char*> args;
    for (std::string& arg : argv)
        args.push_back(arg.data());
    args.push_back(nullptr);

    long peakKilobytes = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = ::fork();
        if (child == 0) {
            if (std::freopen("/dev/null", "w", stderr) == nullptr)  // the report, where asked for
                ::_exit(126);
            ::execv(args[0], args.data());
            ::_exit(127);
        }
        int status = 0;
        rusage usage{};
        ::wait4(child, &status, 0, &usage);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("lumiro-coe failed");
        peakKilobytes = std::max(peakKilobytes, usage.ru_maxrss);
    }
    std::remove(path.c_str());
    state.counters["peak_MB"] = static_cast<double>(peakKilobytes) / 1024.0;
}

using Options = std::vector<std::string>;
BENCHMARK_CAPTURE(BM_WriteLargestTable, coe_radix2, Options{"--format", "coe", "--radix", "2"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteLargestTable, coe_radix16, Options{"--format", "coe", "--radix", "16"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteLargestTable, mem_radix2, Options{"--format", "mem", "--radix", "2"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteLargestTable, mem_radix16, Options{"--format", "mem", "--radix", "16"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteLargestTable, listing, Options{"--format", "listing"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteLargestTable, mif_radix2, Options{"--format", "mif", "--radix", "2"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteLargestTable, mif_radix16, Options{"--format", "mif", "--radix", "16"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteLargestTable, vhdl_radix2, Options{"--format", "vhdl", "--radix", "2"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteLargestTable, vhdl_radix16, Options{"--format", "vhdl", "--radix", "16"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteLargestTable, verilog_radix2, Options{"--format", "verilog", "--radix", "2"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteLargestTable, verilog_radix16,
                  Options{"--format", "verilog", "--radix", "16"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteLargestTable, c, Options{"--format", "c"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteLargestTable, word_fixed16, Options{"--word", "fixed:16"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteLargestTable, angle_exact, Options{"--angle", "exact"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteLargestTable, report_full_span, Options{"--span", "full", "--report"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
