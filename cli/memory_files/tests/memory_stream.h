// SPDX-License-Identifier: GPL-3.0-or-later
// A FILE* that writes into memory, for reading back what a writer produced.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace lumiro::coe::testing {

template <class Write>
std::string Capture(Write write)
{
    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* stream = ::open_memstream(&data, &size);
    try {
        write(stream);
    } catch (...) {
        std::fclose(stream);  // a writer that throws must not leak the stream
        std::free(data);
        throw;
    }
    std::fclose(stream);
    std::string text(data, size);
    std::free(data);
    return text;
}

}  // namespace lumiro::coe::testing
