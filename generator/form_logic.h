// SPDX-License-Identifier: GPL-3.0-or-later
// The logic side of the main window: the table values, the four handlers and
// the row writer. It reaches the window only through the operations declared
// here, so it runs the same under a real window and under a test double.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "table.h"

#include "conversions.h"  // Exception, which the handlers throw

namespace lumiro {

enum class Field { Edit1, Edit2, Edit3, Edit4 };

// The division count as the confirm takes it: StrToInt's texts, from
// kMinDivisions to kMaxDivisions; anything else is refused with a message.
std::int32_t ParseDivisions(std::string_view text);
// The same count without a message: nothing for a text that is no integer
// (IntegerText tells which) or lies out of range.
// `most` raises the upper bound for lumiro-coe's units, which take more phases
// than a table; the window keeps kMaxDivisions.
std::optional<std::int32_t> DivisionsIn(std::string_view text, std::int32_t most = kMaxDivisions);

class TForm1Logic {
public:
    virtual ~TForm1Logic() = default;

    // Handlers, bound by the window to its events. Errors leave them as
    // lumiro::Exception; nothing is stored or appended before the input is valid.
    void FormActivate();
    void Button1Click();
    void Button2Click();
    void Button3Click();

    void fpfrc_bin(std::uint32_t word);

    std::int32_t div360 = 0;  // N: parts of the full turn
    std::int32_t val90 = 0;   // Q: samples on the first 90 degrees
    float rad_step = 0.0F;    // 2π / N, kept in single precision

protected:
    TForm1Logic() = default;
    TForm1Logic(const TForm1Logic&) = default;
    TForm1Logic& operator=(const TForm1Logic&) = default;

    // The window operations.
    virtual std::string FieldText(Field field) const = 0;
    virtual void SetFieldText(Field field, std::string_view text) = 0;
    virtual void ClearOutput() = 0;
    // One entry; the text may hold line feeds and stays one entry.
    virtual void AppendOutput(std::string_view entry) = 0;
    // A hint before a long run of entries: at most this many bytes follow,
    // counting one line break per entry. A window that collects them may reserve.
    virtual void ExpectOutput(std::size_t bytes) { static_cast<void>(bytes); }
    // The minimum is always set before the maximum.
    virtual void SetProgressMin(int value) = 0;
    virtual void SetProgressMax(int value) = 0;
    virtual void SetProgressPosition(int value) = 0;
};

}  // namespace lumiro
