// SPDX-License-Identifier: GPL-3.0-or-later
// Any list of arguments (the input split at NUL bytes) is either taken or
// refused with a usage error, or names a file to check that cannot be read;
// nothing else may leave the parser.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "file_error.h"
#include "options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> arguments;
    for (std::size_t start = 0; start <= input.size();) {
        const std::size_t end = std::min(input.find('\0', start), input.size());
        arguments.push_back(input.substr(start, end - start));
        start = end + 1;
    }
    try {
        const lumiro::coe::Options options = lumiro::coe::ParseOptions(arguments);
        if (!options.help && !options.version && options.format == nullptr)
            std::abort();  // a taken call always knows its format
    } catch (const lumiro::coe::UsageError&) {
    } catch (const lumiro::coe::FileError&) {
    }
    return 0;
}
