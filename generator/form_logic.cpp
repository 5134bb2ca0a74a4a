// SPDX-License-Identifier: GPL-3.0-or-later
#include "form_logic.h"

#include <algorithm>
#include <cstring>

#include "conversions.h"
#include "table.h"

namespace lumiro {
namespace {

constexpr std::int32_t kDefaultDivisions = 1024;
constexpr std::int32_t kDefaultQuarter = 256;
constexpr std::uint32_t kDefaultStepWord = 0x3BC90FDB;  // 2π / 1024 in single precision

constexpr std::string_view kListingHeading =
    "\nWygenerowana tablica funkcji sinus. Kąt w radianach, wartosc sinus dziesietnie:\n";
constexpr std::string_view kCoeCaption =
    "Ponizej funkcja sinus wygenerowana w postaci pliku coe dla generatora BRAM Xilinx'a:";
constexpr std::string_view kCoeRadix = "memory_initialization_radix=2;";
constexpr std::string_view kCoeVector = "memory_initialization_vector=";

constexpr std::string_view kFloatHeading = "\nPodana (dziesiętnie) liczba float:\n";
constexpr std::string_view kFloatSpacer = " ";
constexpr std::string_view kFloatCaption =
    "Postac binarna liczby float (32-bit) - IEEE-754 Single Precision :\n";

std::string Separator() { return "\n" + std::string(112, '-') + "\n"; }

char* Put(char* out, std::string_view text)
{
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

}  // namespace

std::int32_t ParseDivisions(std::string_view text)
{
    const auto outOfRange = [](const std::string& given) {
        return Exception("Na ile części podzielić 360 stopni: dozwolone są liczby od " +
                         IntToStr(kMinDivisions) + " do " + IntToStr(kMaxDivisions) +
                         " (podano " + given + ").");
    };
    std::int32_t divisions = 0;
    try {
        divisions = StrToInt(text);
    } catch (const Exception&) {
        // An integer beyond 32 bits is as far out of range as any other: the
        // same message, not the conversion's own.
        if (const auto integer = IntegerText(text))
            throw outOfRange(*integer);
        throw;
    }
    if (divisions < kMinDivisions || divisions > kMaxDivisions)
        throw outOfRange(IntToStr(divisions));
    return divisions;
}

std::optional<std::int32_t> DivisionsIn(std::string_view text, std::int32_t most)
{
    try {
        const std::int32_t divisions = StrToInt(text);
        if (divisions >= kMinDivisions && divisions <= most)
            return divisions;
    } catch (const Exception&) {
    }
    return std::nullopt;
}

void TForm1Logic::FormActivate()
{
    div360 = kDefaultDivisions;
    val90 = kDefaultQuarter;
    rad_step = std::bit_cast<float>(kDefaultStepWord);

    SetFieldText(Field::Edit1, "1024");
    SetFieldText(Field::Edit2, "256");
    SetFieldText(Field::Edit3, FloatToStr(static_cast<double>(rad_step)));
    SetProgressMin(0);
    SetProgressMax(kDefaultQuarter);
}

void TForm1Logic::Button1Click()
{
    // Everything is checked before anything is stored, so a refused count
    // leaves the values and the fields in step.
    const std::int32_t divisions = ParseDivisions(FieldText(Field::Edit1));

    div360 = divisions;
    val90 = QuarterCount(divisions);
    rad_step = RadStep(divisions);

    SetFieldText(Field::Edit2, IntToStr(val90));
    SetFieldText(Field::Edit3, FloatToStr(static_cast<double>(rad_step)));
    SetProgressMin(0);
    SetProgressMax(val90);
}

void TForm1Logic::Button2Click()
{
    // "i=" + index + "\tKąt=" + angle + "\tsinus=" + value, built in place.
    char line[2 + kIntChars + 6 + kFloatChars + 7 + kFloatChars];
    constexpr std::size_t kFixedBytes = 512;  // heading, separator, caption, keywords
    // Angles and sines lie in [0, 2) and are 0 or at least 1e-7: at most 17
    // digits, a point and "e-07". The hint stays an upper bound, yet close.
    constexpr std::size_t kSampleTextChars = 17 + 1 + 4;
    const auto samples = static_cast<std::size_t>(std::max(val90, 0));
    const std::size_t lineBytes = 2 + IntToStr(std::max(val90 - 1, 0)).size() + 6 +
                                  kSampleTextChars + 7 + kSampleTextChars;

    SetProgressPosition(0);
    ClearOutput();
    ExpectOutput(kFixedBytes + samples * (lineBytes + 1 + kRowChars + 1));
    AppendOutput(kListingHeading);

    for (std::int32_t i = 0; i < val90; ++i) {
        const float value = SineSample(i, rad_step);
        char* end = Put(line, "i=");
        end = WriteInt(end, i);
        end = Put(end, "\tKąt=");
        end = WriteFloat(end, SampleAngle(i, rad_step));
        end = Put(end, "\tsinus=");
        end = WriteFloat(end, static_cast<double>(value));
        AppendOutput({line, static_cast<std::size_t>(end - line)});
        SetProgressPosition(i);
    }
    SetProgressPosition(0);

    AppendOutput(Separator());
    AppendOutput(kCoeCaption);
    AppendOutput(kCoeRadix);
    AppendOutput(kCoeVector);
    for (std::int32_t i = 0; i < val90; ++i) {
        fpfrc_bin(WordOf(SineSample(i, rad_step)));
        SetProgressPosition(i);
    }
    SetProgressPosition(0);
}

void TForm1Logic::Button3Click()
{
    const std::string typed = FieldText(Field::Edit4);
    const float value = StrToFloat(typed);  // before anything is appended

    AppendOutput(kFloatHeading);
    AppendOutput(typed);
    AppendOutput(kFloatSpacer);
    AppendOutput(kFloatCaption);
    fpfrc_bin(WordOf(value));
}

void TForm1Logic::fpfrc_bin(std::uint32_t word)
{
    char row[kRowChars];
    WriteWordRow(row, word);
    AppendOutput({row, kRowChars});
}

}  // namespace lumiro
