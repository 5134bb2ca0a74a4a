// SPDX-License-Identifier: GPL-3.0-or-later
// The text of the window's output area after a confirm and a generation, byte
// for byte: the window's own handlers write it.
#include <string>

#include "format.h"
#include "i18n.h"
#include "form_logic.h"

namespace lumiro::coe {
namespace {

class ListingWriter : public TForm1Logic {
public:
    ListingWriter(std::FILE* out, std::int32_t divisions)
        : out_(out), count_(std::to_string(divisions))
    {
    }

protected:
    std::string FieldText(Field) const override { return count_; }
    void SetFieldText(Field, std::string_view) override {}
    void ClearOutput() override {}
    void AppendOutput(std::string_view entry) override
    {
        Put(out_, entry);
        ::putc_unlocked('\n', out_);
    }
    void SetProgressMin(int) override {}
    void SetProgressMax(int) override {}
    void SetProgressPosition(int) override {}

private:
    std::FILE* out_;
    std::string count_;
};

void WriteListing(std::FILE* out, const Request& request)
{
    ListingWriter listing(out, request.table.shape().divisions);
    listing.Button1Click();
    listing.Button2Click();
}

const bool registered = RegisterFormat({
    .name = "listing",
    .extensions = {},
    .help = N_("exactly the text the Lumiro window shows once N is confirmed and\n"
               "the table generated\n"
               "  lumiro-coe 1024 --format listing"),
    .manual = N_("Exactly the text the window shows after confirming //N// and generating the table."),
    .rank = 90,
    .takesShape = false,
    .takesRadix = false,
    .defaultName = "",
    .holdsNoWords = true,
    .write = WriteListing,
    .read = nullptr,
});

}  // namespace
}  // namespace lumiro::coe
