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
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Scratch()
{
    return "/tmp/lumiro-coe-bench." + std::to_string(::getpid());
}

// Runs lumiro-coe with `arguments` once per iteration, timed from start to exit;
// the child's peak resident memory goes into a counter.
void RunTimed(benchmark::State& state, std::vector<std::string> arguments)
{
    std::string program = LUMIRO_COE;
    std::vector<char*> args{program.data()};
    for (std::string& arg : arguments)
        args.push_back(arg.data());
    args.push_back(nullptr);

    long peakKilobytes = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = ::fork();
        if (child == 0) {
            // the report, where asked for, and the check's own report
            if (std::freopen("/dev/null", "w", stderr) == nullptr ||
                std::freopen("/dev/null", "w", stdout) == nullptr)
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
    state.counters["peak_MB"] = static_cast<double>(peakKilobytes) / 1024.0;
}

void BM_WriteLargestTable(benchmark::State& state, std::vector<std::string> options)
{
    // The largest table a format can describe, given as "N" first where it is not 4194304.
    std::vector<std::string> arguments;
    if (options.empty() || options.front().starts_with('-'))
        arguments.push_back("4194304");
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.insert(arguments.end(), {"-o", Scratch()});
    RunTimed(state, arguments);
    std::remove(Scratch().c_str());
}

// --check of the largest valid file of a kind: N words of 32 bits in radix 2
// (fewer where the format holds fewer).
void BM_CheckLargestFile(benchmark::State& state, std::string format, std::string divisions)
{
    const std::string path = Scratch() + "." + format;
    const std::vector<std::string> table{divisions, "--span", "full", "--word", "fixed:32"};
    const std::string write = std::string(LUMIRO_COE) + " " + divisions + " --span full --word fixed:32 --format " +
                              format + " -o " + path;
    if (std::system(write.c_str()) != 0)
        state.SkipWithError("writing the file failed");
    std::vector<std::string> arguments = table;
    arguments.insert(arguments.end(), {"--format", format, "--check", path});
    RunTimed(state, arguments);
    std::remove(path.c_str());
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
BENCHMARK_CAPTURE(BM_WriteLargestTable, lattice_radix2, Options{"262144", "--format", "lattice", "--radix", "2"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteLargestTable, gowin_radix2, Options{"--format", "gowin", "--radix", "2"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteLargestTable, quartus_hex,
                  Options{"1048576", "--span", "full", "--format", "quartus-hex"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteLargestTable, ihex_full_span, Options{"--span", "full", "--format", "ihex"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteLargestTable, sincos_verilog, Options{"--format", "verilog", "--sincos"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteLargestTable, sincos_vhdl, Options{"--format", "vhdl", "--sincos"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
// The interpolating unit, proven on every one of its 2^20 and 2^22 phases before it is written.
BENCHMARK_CAPTURE(BM_WriteLargestTable, interpolating_1048576,
                  Options{"1048576", "--format", "verilog", "--sincos", "--word", "fixed:16", "--angle", "exact",
                          "--table-words", "1024"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteLargestTable, interpolating_report,
                  Options{"--format", "verilog", "--sincos", "--word", "fixed:18", "--angle", "exact",
                          "--table-words", "4096", "--report"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteLargestTable, report_and_plot_svg,
                  Options{"--span", "full", "--report", "--plot", "/tmp/lumiro-coe-bench.svg"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteLargestTable, plot_png, Options{"--span", "full", "--plot", "/tmp/lumiro-coe-bench.png"})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CheckLargestFile, coe, "coe", "4194304")->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CheckLargestFile, mif, "mif", "4194304")->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CheckLargestFile, mem, "mem", "4194304")->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CheckLargestFile, lattice, "lattice", "65536")->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CheckLargestFile, gowin, "gowin", "4194304")->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CheckLargestFile, quartus_hex, "quartus-hex", "1048576")
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CheckLargestFile, ihex, "ihex", "4194304")->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
