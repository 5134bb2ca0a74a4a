// SPDX-License-Identifier: GPL-3.0-or-later
// The kinds of word a table may hold, and the one rounding that turns a real
// value into each: to nearest, ties to even.
//   float32, float16, bfloat16   IEEE binary32, binary16 and bfloat16, subnormals included
//   fixed:W  (2..32)             signed two's complement, value × (2^(W-1) - 1)
//   ufixed:W (1..32)             unsigned, value × (2^W - 1)
//   offset:W (2..32)             offset binary: fixed:W with its top bit flipped,
//                                so that 0 is mid-scale (what most DACs take)
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <mpfr.h>

namespace lumiro {

class WordKind {
public:
    enum class Family { Float32, Float16, BFloat16, Fixed, UFixed, Offset };

    // One entry a kind: its name (a point-scaled kind's is the prefix of
    // "fixed:16"), the widths it takes, and a float's significand bits.
    struct Entry {
        Family family;
        std::string_view name;
        int narrowest;
        int widest;
        int precision;  // 0 for the point-scaled kinds
        bool scaled() const { return precision == 0; }
    };
    // Every kind, in the order of --help.
    static std::span<const Entry> Kinds();

    static WordKind Float32() { return WordKind(Family::Float32, 32); }
    // "float32", "float16", "bfloat16", "fixed:W", "ufixed:W", "offset:W";
    // nothing for anything else.
    static std::optional<WordKind> Named(std::string_view name);
    // Every kind whose words have `width` bits.
    static std::vector<WordKind> OfWidth(int width);

    Family family() const { return family_; }
    int width() const { return width_; }
    bool isFloat() const { return Kind().precision > 0; }
    bool isUnsigned() const { return family_ == Family::UFixed; }
    std::string Name() const;

    // The word for a real value, rounded once. For fixed kinds the value is
    // scaled first; both steps together are one rounding of the exact product.
    std::uint32_t Round(double value) const;
    std::uint32_t Round(mpfr_srcptr value) const;

    // What a word stands for, and the size of its last place at a value: one
    // ulp for the floats, one LSB (1 / scale) for the fixed kinds.
    double ValueOf(std::uint32_t word) const;
    double UnitAt(double value) const;

private:
    WordKind(Family family, int width) : family_(family), width_(width) {}

    const Entry& Kind() const;      // its entry in Kinds()
    int Precision() const { return Kind().precision; }  // significand bits of a float kind
    int SmallestExponent() const;   // exponent of its smallest subnormal
    double Scale() const;           // of a fixed kind
    std::uint32_t Pack(double rounded) const;  // a value the kind holds exactly

    Family family_;
    int width_;
};

}  // namespace lumiro
