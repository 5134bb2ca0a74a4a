// SPDX-License-Identifier: GPL-3.0-or-later
#include "word_kind.h"

#include <bit>
#include <charconv>
#include <algorithm>
#include <cmath>

namespace lumiro {

namespace {

// Of the floats: 24, 11 and 8 significand bits.
constexpr WordKind::Entry kKinds[] = {
    {WordKind::Family::Float32, "float32", 32, 32, 24},
    {WordKind::Family::Float16, "float16", 16, 16, 11},
    {WordKind::Family::BFloat16, "bfloat16", 16, 16, 8},
    {WordKind::Family::Fixed, "fixed:", 2, 32, 0},
    {WordKind::Family::UFixed, "ufixed:", 1, 32, 0},
    {WordKind::Family::Offset, "offset:", 2, 32, 0},
};

}  // namespace

std::span<const WordKind::Entry> WordKind::Kinds()
{
    return kKinds;
}

const WordKind::Entry& WordKind::Kind() const
{
    for (const Entry& kind : kKinds)
        if (kind.family == family_)
            return kind;
    return kKinds[0];  // every family has an entry
}

std::optional<WordKind> WordKind::Named(std::string_view name)
{
    for (const Entry& kind : kKinds) {
        if (!kind.scaled()) {
            if (name == kind.name)
                return WordKind(kind.family, kind.widest);
            continue;
        }
        if (!name.starts_with(kind.name))
            continue;
        const std::string_view digits = name.substr(kind.name.size());
        int width = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), width);
        if (error != std::errc{} || end != digits.data() + digits.size() || digits.starts_with('0') ||
            width < kind.narrowest || width > kind.widest)
            return std::nullopt;
        return WordKind(kind.family, width);
    }
    return std::nullopt;
}

std::vector<WordKind> WordKind::OfWidth(int width)
{
    std::vector<WordKind> kinds;
    for (const Entry& kind : kKinds)
        if (width >= kind.narrowest && width <= kind.widest)
            kinds.push_back(WordKind(kind.family, width));
    return kinds;
}

std::string WordKind::Name() const
{
    const Entry& kind = Kind();
    return kind.scaled() ? std::string(kind.name) + std::to_string(width_) : std::string(kind.name);
}

// The smallest subnormals: 2^-149, 2^-24 and 2^-133.
int WordKind::SmallestExponent() const
{
    switch (family_) {
    case Family::Float32: return -149;
    case Family::Float16: return -24;
    case Family::BFloat16: return -133;
    case Family::Fixed:
    case Family::UFixed:
    case Family::Offset: break;
    }
    return 0;
}

double WordKind::Scale() const
{
    const int bits = family_ == Family::UFixed ? width_ : width_ - 1;
    return std::ldexp(1.0, bits) - 1.0;
}

// Floats: the quantum of the binade the value lies in, or of the subnormals,
// decides where the value is cut; ties go to the even multiple.
std::uint32_t WordKind::Round(double value) const
{
    if (family_ == Family::Float32)  // the conversion rounds to nearest, ties to even
        return std::bit_cast<std::uint32_t>(static_cast<float>(value));
    if (isFloat()) {
        if (value == 0.0)
            return Pack(value);
        const int exponent = std::max(std::ilogb(value) - (Precision() - 1), SmallestExponent());
        return Pack(std::ldexp(std::nearbyint(std::ldexp(value, -exponent)), exponent));
    }
    // value × scale has up to 84 bits; its rounding is decided by the double
    // product and the product's exact error, which fma gives.
    const double scale = Scale();
    const double product = value * scale;
    const double error = std::fma(value, scale, -product);
    double code = std::nearbyint(product);
    const double offset = product - code;  // exact: both lie within one unit
    if ((offset == 0.5 && error > 0) || offset > 0.5)
        code += 1;
    else if ((offset == -0.5 && error < 0) || offset < -0.5)
        code -= 1;
    return Pack(code);  // an exact tie (error 0) stays where nearbyint put it: on the even side
}

std::uint32_t WordKind::Round(mpfr_srcptr value) const
{
    mpfr_t scaled;
    mpfr_init2(scaled, mpfr_get_prec(value) + 64);
    std::uint32_t word = 0;
    if (isFloat()) {
        if (mpfr_zero_p(value)) {
            word = Pack(mpfr_signbit(value) ? -0.0 : 0.0);
        } else {
            // mpfr_get_exp: value = m × 2^e with 1/2 <= |m| < 1.
            const long exponent = std::max(mpfr_get_exp(value) - 1 - (Precision() - 1),
                                           static_cast<long>(SmallestExponent()));
            mpfr_mul_2si(scaled, value, -exponent, MPFR_RNDN);  // exact
            mpfr_rint(scaled, scaled, MPFR_RNDN);               // ties to even
            word = Pack(std::ldexp(mpfr_get_d(scaled, MPFR_RNDN), static_cast<int>(exponent)));
        }
    } else {
        mpfr_mul_d(scaled, value, Scale(), MPFR_RNDN);  // exact: 64 more bits than the value
        mpfr_rint(scaled, scaled, MPFR_RNDN);
        word = Pack(mpfr_get_d(scaled, MPFR_RNDN));
    }
    mpfr_clear(scaled);
    return word;
}

std::uint32_t WordKind::Pack(double rounded) const
{
    switch (family_) {
    case Family::Float32:
        return std::bit_cast<std::uint32_t>(static_cast<float>(rounded));
    case Family::BFloat16:
        return std::bit_cast<std::uint32_t>(static_cast<float>(rounded)) >> 16;
    case Family::Float16: {
        const std::uint32_t sign = std::signbit(rounded) ? 0x8000U : 0U;
        const double magnitude = std::fabs(rounded);
        if (magnitude < std::ldexp(1.0, -14))  // subnormal: multiples of 2^-24
            return sign | static_cast<std::uint32_t>(std::ldexp(magnitude, 24));
        if (magnitude >= 65536.0)
            return sign | 0x7C00U;  // beyond the largest half: infinity
        const int exponent = std::ilogb(magnitude);
        const auto fraction =
            static_cast<std::uint32_t>(std::ldexp(magnitude, 10 - exponent)) - 0x400U;
        return sign | static_cast<std::uint32_t>(exponent + 15) << 10 | fraction;
    }
    case Family::Fixed:
    case Family::Offset: {
        const auto code = static_cast<std::uint32_t>(static_cast<std::int64_t>(rounded)) & (0xFFFFFFFFU >> (32 - width_));
        return family_ == Family::Offset ? code ^ (1U << (width_ - 1)) : code;
    }
    case Family::UFixed:
        return static_cast<std::uint32_t>(std::max(rounded, 0.0));
    }
    return 0;
}

double WordKind::ValueOf(std::uint32_t word) const
{
    switch (family_) {
    case Family::Float32:
        return static_cast<double>(std::bit_cast<float>(word));
    case Family::BFloat16:
        return static_cast<double>(std::bit_cast<float>(word << 16));
    case Family::Float16: {
        const double sign = (word & 0x8000U) != 0 ? -1.0 : 1.0;
        const int exponent = static_cast<int>((word >> 10) & 0x1FU);
        const double fraction = static_cast<double>(word & 0x3FFU);
        if (exponent == 0)
            return sign * std::ldexp(fraction, -24);
        if (exponent == 31)
            return sign * HUGE_VAL;
        return sign * std::ldexp(1024.0 + fraction, exponent - 25);
    }
    case Family::Fixed:
    case Family::Offset: {
        // Sign-extend the W-bit code; offset binary is that code with its top bit flipped.
        const std::uint32_t signBit = 1U << (width_ - 1);
        const std::uint32_t code = family_ == Family::Offset ? word ^ signBit : word;
        const auto value = static_cast<std::int64_t>(code ^ signBit) - static_cast<std::int64_t>(signBit);
        return static_cast<double>(value) / Scale();
    }
    case Family::UFixed:
        return static_cast<double>(word) / Scale();
    }
    return 0;
}

double WordKind::UnitAt(double value) const
{
    if (!isFloat())
        return 1.0 / Scale();
    const int binade = value == 0.0 ? SmallestExponent() : std::ilogb(value) - (Precision() - 1);
    return std::ldexp(1.0, std::max(binade, SmallestExponent()));
}

}  // namespace lumiro
