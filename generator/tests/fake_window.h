// SPDX-License-Identifier: GPL-3.0-or-later
// A window double that keeps what the handlers leave on screen and the order
// of the calls that fix it.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "form_logic.h"
#include "row_of.h"
#include "table.h"

namespace lumiro::testing {

struct WindowState {
    std::int32_t div360 = 0;
    std::int32_t val90 = 0;
    std::uint32_t radStepWord = 0;
    std::map<Field, std::string> fields;
    std::vector<std::string> output;
    int progressMin = 0;
    int progressMax = 0;
    int progressPosition = 0;

    bool operator==(const WindowState&) const = default;
};

class FakeWindow : public TForm1Logic {
public:
    std::map<Field, std::string> fields{
        {Field::Edit1, ""}, {Field::Edit2, ""}, {Field::Edit3, ""}, {Field::Edit4, ""}};
    std::vector<std::string> output{""};  // the area starts with one empty entry
    int progressMin = 0;
    int progressMax = 100;
    int progressPosition = 0;
    // "min 0", "max 256", "pos 3", "clear", "append": the order the handlers keep.
    std::vector<std::string> calls;
    std::size_t expectedBytes = 0;  // the last size hint

    WindowState State() const
    {
        return {div360, val90, WordOf(rad_step), fields, output,
                progressMin, progressMax, progressPosition};
    }

    std::vector<int> Positions() const
    {
        std::vector<int> positions;
        for (const std::string& call : calls)
            if (call.rfind("pos ", 0) == 0)
                positions.push_back(std::stoi(call.substr(4)));
        return positions;
    }

protected:
    std::string FieldText(Field field) const override { return fields.at(field); }
    void SetFieldText(Field field, std::string_view text) override { fields[field] = text; }
    void ClearOutput() override
    {
        output.clear();
        calls.emplace_back("clear");
    }
    void AppendOutput(std::string_view entry) override
    {
        output.emplace_back(entry);
        calls.emplace_back("append");
    }
    void ExpectOutput(std::size_t bytes) override { expectedBytes = bytes; }
    void SetProgressMin(int value) override
    {
        progressMin = value;
        calls.push_back("min " + std::to_string(value));
    }
    void SetProgressMax(int value) override
    {
        progressMax = value;
        calls.push_back("max " + std::to_string(value));
    }
    void SetProgressPosition(int value) override
    {
        progressPosition = value;
        calls.push_back("pos " + std::to_string(value));
    }
};

}  // namespace lumiro::testing
