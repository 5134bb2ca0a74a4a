// The sine table as memory files the FPGA tools load as they are.
#pragma once

#include <cstdint>
#include <cstdio>

namespace lumiro::coe {

enum class Format { Coe, Mem, Listing };
enum class Radix { Binary = 2, Hex = 16 };

// Streams the table for `divisions` (already validated) to `out`, a sample at a
// time. Write errors are left in the stream's error flag for the caller.
//   Coe      the two keyword lines, then one word a line, ',' after each but the
//            last, which ends the vector with ';'.
//   Mem      one word a line and nothing else, for $readmemb / $readmemh.
//   Listing  the text of the window's output area after a confirm and a
//            generation, each entry followed by a line break.
void WriteTable(std::FILE* out, std::int32_t divisions, Format format, Radix radix);

}  // namespace lumiro::coe
