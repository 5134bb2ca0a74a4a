// SPDX-License-Identifier: GPL-3.0-or-later
#include "word_kind.h"

#include <bit>
#include <charconv>
#include <algorithm>
#include <cmath>

namespace lumiro {

std::optional<WordKind> WordKind::Named(std::string_view name)
{
    if (name == "float32")
        return WordKind(Family::Float32, 32);
    if (name == "float16")
        return WordKind(Family::Float16, 16);
    if (name == "bfloat16")
        return WordKind(Family::BFloat16, 16);
    const bool isUnsigned = name.starts_with("ufixed:");
    if (!isUnsigned && !name.starts_with("fixed:"))
        return std::nullopt;
    const std::string_view digits = name.substr(isUnsigned ? 7 : 6);
    int width = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), width);
    if (error != std::errc{} || end != digits.data() + digits.size() || digits.starts_with('0') ||
        width < (isUnsigned ? 1 : 2) || width > 32)
        return std::nullopt;
    return WordKind(isUnsigned ? Family::UFixed : Family::Fixed, width);
}

std::string WordKind::Name() const
{
    switch (family_) {
    case Family::Float32:
        return "float32";
    case Family::Float16:
        return "float16";
    case Family::BFloat16:
        return "bfloat16";
    case Family::Fixed:
        return "fixed:" + std::to_string(width_);
    case Family::UFixed:
        return "ufixed:" + std::to_string(width_);
    }
    return {};
}

int WordKind::Precision() const
{
    return family_ == Family::Float32 ? 24 : family_ == Family::Float16 ? 11 : 8;
}

int WordKind::SmallestExponent() const
{
    return family_ == Family::Float32 ? -149 : family_ == Family::Float16 ? -24 : -133;
}

double WordKind::Scale() const
{
    const int bits = family_ == Family::Fixed ? width_ - 1 : width_;
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
    case Family::Fixed: {
        const auto code = static_cast<std::int64_t>(rounded);
        return static_cast<std::uint32_t>(code) & (0xFFFFFFFFU >> (32 - width_));
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
    case Family::Fixed: {
        // Sign-extend the W-bit code.
        const std::uint32_t signBit = 1U << (width_ - 1);
        const auto code = static_cast<std::int64_t>((word ^ signBit)) - static_cast<std::int64_t>(signBit);
        return static_cast<double>(code) / Scale();
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
