// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the Verilated oscillator for a frequency word (and phase offset) and
// writes the sine and cosine of its first CLOCKS accumulator values, as
// little-endian 32-bit words, for the test to compare with the model. With
// RESET the accumulator runs first and is then cleared; with CLOCK_ENABLE ce
// is low on two edges of five. With C_MODEL the unit's C model (lumiro_sincos.h,
// taken as C++) steps beside it on the same inputs, and every word compared
// must be its word too. Usage: bench CLOCKS DELAY OUT FREQUENCY [OFFSET]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "Vlumiro_sincos.h"
#include "verilated.h"
#ifdef C_MODEL
#include "lumiro_sincos.h"
#endif

int main(int argc, char** argv)
{
    if (argc < 5)
        return 2;
    const long clocks = std::atol(argv[1]);
    const long delay = std::atol(argv[2]);
    const std::uint64_t frequency = std::strtoull(argv[4], nullptr, 16);
    const auto unit = std::make_unique<Vlumiro_sincos>();
    unit->frequency = frequency;
#ifdef PHASE_OFFSET
    unit->phase_offset = argc > 5 ? std::strtoull(argv[5], nullptr, 16) : 0;
#endif
#ifdef C_MODEL
    lumiro_sincos_state model;
    lumiro_sincos_init(&model);
    std::uint32_t modelWords[3] = {0, 0, 0};
    long modelErrors = 0;
#endif
    const auto edge = [&] {
        unit->clk = 0;
        unit->eval();
        unit->clk = 1;
        unit->eval();
#ifdef C_MODEL
        lumiro_sincos_step(&model,
#ifdef CLOCK_ENABLE
                           unit->ce,
#endif
#ifdef RESET
                           unit->reset,
#endif
                           unit->frequency,
#ifdef PHASE_OFFSET
                           unit->phase_offset,
#endif
                           &modelWords[0], &modelWords[1]
#ifdef VALID
                           , &modelWords[2]
#endif
        );
#endif
    };
#ifdef RESET
    // Run on, then clear: the values after the reset are those from 0.
#ifdef CLOCK_ENABLE
    unit->ce = 1;
#endif
    unit->reset = 0;
    for (int i = 0; i < 7; ++i)
        edge();
    unit->reset = 1;
    for (int i = 0; i < 2; ++i)
        edge();
    unit->reset = 0;
#endif
    std::vector<std::uint32_t> words;
    long enabled = 0;
    for (long i = 0; static_cast<long>(words.size()) < 2 * clocks; ++i) {
#ifdef CLOCK_ENABLE
        const bool ce = i % 5 != 1 && i % 5 != 2;
        unit->ce = ce;
#else
        const bool ce = true;
#endif
        edge();
        if (!ce)
            continue;
        ++enabled;
        if (enabled >= delay) {  // the words of the accumulator's value enabled - delay
            words.push_back(static_cast<std::uint32_t>(unit->sine));
            words.push_back(static_cast<std::uint32_t>(unit->cosine));
#ifdef C_MODEL
            if (modelWords[0] != unit->sine || modelWords[1] != unit->cosine
#ifdef VALID
                || modelWords[2] != unit->out_valid
#endif
            )
                ++modelErrors;
#endif
        }
    }
    unit->final();
#ifdef C_MODEL
    std::printf("model errors=%ld\n", modelErrors);
    if (modelErrors != 0)
        return 3;
#endif
    std::FILE* out = std::fopen(argv[3], "wb");
    if (out == nullptr || std::fwrite(words.data(), sizeof words[0], words.size(), out) != words.size())
        return 1;
    return std::fclose(out) == 0 ? 0 : 1;
}
