#include "table_writer.h"

#include <string>
#include <string_view>

#include "form_logic.h"
#include "table.h"

namespace lumiro::coe {
namespace {

void Put(std::FILE* out, std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), out);
}

// 32 binary or 8 hexadecimal digits, most significant first.
std::string_view Digits(std::uint32_t word, Radix radix, char (&buffer)[32])
{
    if (radix == Radix::Hex) {
        constexpr char kHex[] = "0123456789ABCDEF";
        for (int nibble = 0; nibble < 8; ++nibble)
            buffer[nibble] = kHex[(word >> (28 - 4 * nibble)) & 0xFU];
        return {buffer, 8};
    }
    for (int bit = 0; bit < 32; ++bit)
        buffer[bit] = static_cast<char>('0' + ((word >> (31 - bit)) & 1U));
    return {buffer, 32};
}

// The window's generation, with its entries written out as they come.
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
        std::fputc('\n', out_);
    }
    void SetProgressMin(int) override {}
    void SetProgressMax(int) override {}
    void SetProgressPosition(int) override {}

private:
    std::FILE* out_;
    std::string count_;
};

}  // namespace

void WriteTable(std::FILE* out, std::int32_t divisions, Format format, Radix radix)
{
    if (format == Format::Listing) {
        ListingWriter listing(out, divisions);
        listing.Button1Click();
        listing.Button2Click();
        return;
    }

    const std::int32_t quarter = QuarterCount(divisions);
    const float step = RadStep(divisions);
    if (format == Format::Coe) {
        Put(out, radix == Radix::Hex ? "memory_initialization_radix=16;\n"
                                     : "memory_initialization_radix=2;\n");
        Put(out, quarter > 0 ? "memory_initialization_vector=\n" : "memory_initialization_vector=;\n");
    }
    char buffer[32];
    for (std::int32_t i = 0; i < quarter; ++i) {
        Put(out, Digits(WordOf(SineSample(i, step)), radix, buffer));
        if (format == Format::Coe)
            std::fputc(i + 1 < quarter ? ',' : ';', out);
        std::fputc('\n', out);
    }
}

}  // namespace lumiro::coe
