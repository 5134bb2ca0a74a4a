#include "word_table.h"

#include <cstdio>

#include "conversions.h"
#include "table.h"  // the generator's: the samples themselves
#include "version.h"

namespace lumiro::coe {

WordTable WindowTable(std::int32_t divisions)
{
    WordTable table;
    table.divisions = divisions;
    table.depth = QuarterCount(divisions);
    table.step = RadStep(divisions);
    table.word = [step = table.step](std::int32_t index) { return WordOf(SineSample(index, step)); };
    return table;
}

std::string Description(const WordTable& table)
{
    char step[16];
    std::snprintf(step, sizeof step, "0x%08X", WordOf(table.step));
    return "Lumiro " + std::string(kVersion) + ": tablica sinusa, N = " + IntToStr(table.divisions) +
           ", Q = " + IntToStr(table.depth) + ", rad_step = " + step + " (" +
           FloatToStr(static_cast<double>(table.step)) + ")";
}

}  // namespace lumiro::coe
