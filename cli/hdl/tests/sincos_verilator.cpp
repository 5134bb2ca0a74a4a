// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the Verilated sine/cosine unit through every phase, its clock enable
// low on two edges of five where it has one (a wrong phase on the port then),
// and compares both outputs with the wanted words: one line a phase, the sine
// and the cosine in hexadecimal. With C_MODEL, the unit's C model (its header
// lumiro_sincos.h, taken as C++) at every phase as well. Usage: bench WANTED LATENCY
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "Vlumiro_sincos.h"
#include "verilated.h"
#ifdef C_MODEL
#include "lumiro_sincos.h"
#endif

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    std::FILE* file = std::fopen(argv[1], "r");
    if (file == nullptr)
        return 2;
    std::vector<std::pair<unsigned, unsigned>> wanted;
    for (unsigned sine = 0, cosine = 0; std::fscanf(file, "%x %x", &sine, &cosine) == 2;)
        wanted.emplace_back(sine, cosine);
    std::fclose(file);
    const long n = static_cast<long>(wanted.size());
    const long latency = std::atol(argv[2]);

#ifdef C_MODEL
    long modelErrors = 0;
    for (long phase = 0; phase < n; ++phase) {
        std::uint32_t sine = 0;
        std::uint32_t cosine = 0;
        lumiro_sincos_at(static_cast<std::uint64_t>(phase), &sine, &cosine);
        if (sine != wanted[static_cast<std::size_t>(phase)].first ||
            cosine != wanted[static_cast<std::size_t>(phase)].second) {
            if (++modelErrors <= 5)
                std::printf("model, phase %ld: sine %x cosine %x\n", phase, sine, cosine);
        }
    }
    std::printf("model errors=%ld\n", modelErrors);
    if (modelErrors != 0)
        return 1;
#endif
    const auto unit = std::make_unique<Vlumiro_sincos>();
    long enabled = 0;  // edges with ce high: the phases taken
    long errors = 0;
    for (long edge = 0; enabled < n + latency; ++edge) {
#ifdef CLOCK_ENABLE
        const bool ce = edge % 5 != 1 && edge % 5 != 2;
        unit->ce = ce;
#else
        const bool ce = true;
#endif
        unit->phase = static_cast<unsigned>(ce ? enabled % n : (enabled * 7 + 3) % n);
        unit->clk = 0;
        unit->eval();
        unit->clk = 1;
        unit->eval();
        enabled += ce ? 1 : 0;
        const long phase = enabled - latency;  // whose words the outputs hold now
        if (phase < 0 || phase >= n)
            continue;
        const auto [sine, cosine] = wanted[static_cast<std::size_t>(phase)];
        if (unit->sine != sine || unit->cosine != cosine) {
            if (++errors <= 5)
                std::printf("phase %ld: sine %x cosine %x, wanted %x %x\n", phase, unsigned{unit->sine},
                            unsigned{unit->cosine}, sine, cosine);
        }
    }
    unit->final();
    std::printf("phases=%ld errors=%ld\n", n, errors);
    return errors == 0 ? 0 : 1;
}
