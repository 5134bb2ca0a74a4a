// SPDX-License-Identifier: GPL-3.0-or-later
// The vendors' memory files read back by tools nobody here wrote: SRecord
// writes the Lattice file as a reference and compares the Intel HEX file,
// Icarus Verilog reads the Gowin file's words, python3-intelhex decodes every
// record of the Quartus file. Each word must be the table's.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "scratch.h"
#include "sine_table.h"

namespace {

using lumiro::testing::Outcome;
using lumiro::testing::Lines;
using lumiro::testing::Slurp;
namespace fs = std::filesystem;

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

class VendorFormat : public lumiro::testing::Scratch,
                     public ::testing::WithParamInterface<std::tuple<int, const char*>> {
protected:
    int divisions() const { return std::get<0>(GetParam()); }
    std::string word() const { return std::get<1>(GetParam()); }
    int width() const { return word() == "float32" ? 32 : 12; }
    int bytes() const { return (width() + 7) / 8; }

    const std::vector<std::uint32_t>& Words()
    {
        if (!words_.empty())
            return words_;
        lumiro::TableShape shape;
        shape.divisions = divisions();
        shape.word = *lumiro::WordKind::Named(word());
        const lumiro::SineTable table(shape);
        for (std::int32_t i = 0; i < table.Count(); ++i)
            words_.push_back(table.Word(i));
        return words_;
    }

    // The words as big-endian bytes, whole bytes a word: what the tools compare with.
    fs::path WordsBin()
    {
        std::ofstream out(dir / "words.bin", std::ios::binary);
        for (std::uint32_t word : Words())
            for (int b = bytes() - 1; b >= 0; --b)
                out.put(static_cast<char>(word >> (8 * b)));
        return dir / "words.bin";
    }

    std::string Write(const char* format, const char* file, const char* radix = nullptr)
    {
        std::vector<std::string> call{std::to_string(divisions()), "--format", format, "--word", word(), "-o",
                                      (dir / file).string()};
        if (radix != nullptr)
            call.insert(call.end(), {"--radix", radix});
        const Outcome run = Coe(call);
        EXPECT_EQ(run.status, 0) << run.err;
        const Outcome check = Coe({std::to_string(divisions()), "--word", word(), "--format", format, "--check",
                                   (dir / file).string(), "-q"});
        EXPECT_EQ(check.status, 0) << "--check of our own " << format;
        return Slurp(dir / file);
    }

    std::vector<std::uint32_t> words_;  // worked out once a test

};

// Lines that are no comment: the header, up to "#Data", if asked for, and the words.
std::vector<std::string> Uncommented(const std::string& text, bool header)
{
    std::vector<std::string> kept;
    bool inHeader = true;
    for (const std::string& line : Lines(text)) {
        if (inHeader) {
            if (header)
                kept.push_back(Upper(line));
            inHeader = line != "#Data";
        } else if (!line.empty() && !line.starts_with("#") && !line.starts_with("//")) {
            kept.push_back(Upper(line));
        }
    }
    return kept;
}

TEST_P(VendorFormat, SrecordWritesTheSameLatticeFile)
{
    const std::string ours = Write("lattice", "sine.mem", "16");
    // SRecord takes whole bytes a word: for 12 bits its lines have a digit more.
    const Outcome run = RunIn({SREC_CAT, WordsBin().string(), "-binary", "-o", "reference.mem",
                             "-Lattice_Memory_Initialization_Format", std::to_string(8 * bytes())});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> reference = Uncommented(Slurp(dir / "reference.mem"), width() == 32);
    std::vector<std::string> mine = Uncommented(ours, width() == 32);
    if (width() != 32)
        for (std::string& line : mine)
            line = std::string(static_cast<std::size_t>(2 * bytes()) - line.size(), '0') + line;
    EXPECT_EQ(mine, reference);
    EXPECT_EQ(Lines(ours)[2], "#Width=" + std::to_string(width()));

    // Binary: every word line has W digits and gives the word.
    const std::vector<std::string> binary = Uncommented(Write("lattice", "sine-bin.mem", "2"), false);
    ASSERT_EQ(binary.size(), Words().size());
    for (std::size_t i = 0; i < binary.size(); ++i) {
        ASSERT_EQ(binary[i].size(), static_cast<std::size_t>(width()));
        EXPECT_EQ(std::stoul(binary[i], nullptr, 2), Words()[i]) << i;
    }
}

TEST_P(VendorFormat, IcarusReadsTheGowinWords)
{
    for (const char* radix : {"16", "2"}) {
        const std::vector<std::string> lines = Lines(Write("gowin", "sine.mi", radix));
        const std::vector<std::string> header(lines.begin(), lines.begin() + 3);
        EXPECT_EQ(header, (std::vector<std::string>{std::string("#File_format=") + (radix[0] == '1' ? "Hex" : "Bin"),
                                                     "#Address_depth=" + std::to_string(Words().size()),
                                                     "#Data_width=" + std::to_string(width())}));
        std::ofstream body(dir / "body.txt");
        for (std::size_t i = 3; i < lines.size(); ++i)
            body << lines[i] << "\n";
        body.close();
        std::ofstream(dir / "tb.v") << "module tb;\n"
                                    << "  reg [" << width() - 1 << ":0] memory [0:" << Words().size() - 1 << "];\n"
                                    << "  integer i;\n"
                                    << "  initial begin\n"
                                    << "    $readmem" << (radix[0] == '1' ? "h" : "b") << "(\"body.txt\", memory);\n"
                                    << "    for (i = 0; i < " << Words().size() << "; i = i + 1)\n"
                                    << "      $display(\"%h\", memory[i]);\n"
                                    << "  end\n"
                                    << "endmodule\n";
        ASSERT_EQ(RunIn({IVERILOG, "-o", "tb.vvp", "tb.v"}).status, 0);
        const Outcome sim = RunIn({VVP, "-n", "tb.vvp"});
        ASSERT_EQ(sim.status, 0) << sim.err;
        std::vector<std::uint32_t> read;
        for (const std::string& line : Lines(sim.out))
            if (!line.empty() && line.find("VCD") == std::string::npos)
                read.push_back(static_cast<std::uint32_t>(std::stoul(line, nullptr, 16)));
        EXPECT_EQ(read, Words()) << radix;
    }
}

TEST_P(VendorFormat, IntelhexDecodesEveryQuartusRecord)
{
    Write("quartus-hex", "sine.hex");
    const Outcome run = RunIn({PYTHON3, READ_QUARTUS_HEX, "sine.hex"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::uint32_t> read;
    for (const std::string& line : Lines(run.out)) {
        EXPECT_EQ(line.size(), static_cast<std::size_t>(2 * bytes()));
        read.push_back(static_cast<std::uint32_t>(std::stoul(line, nullptr, 16)));
    }
    EXPECT_EQ(read, Words());
}

TEST_P(VendorFormat, SrecordFindsTheIntelHexEqualToTheWords)
{
    Write("ihex", "sine.hex");
    const Outcome run = RunIn({SREC_CMP, "sine.hex", "-Intel", WordsBin().string(), "-binary"});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
}

INSTANTIATE_TEST_SUITE_P(Tables, VendorFormat,
                         ::testing::Combine(::testing::Values(8, 1024, 65536),
                                            ::testing::Values("float32", "fixed:12")));

using LargeVendorFile = lumiro::testing::Scratch;

// Past 64K words and 64 KiB: the Quartus file needs its type 02 records, the
// Intel HEX file its type 04 ones. And a checksum that is wrong is found.
TEST_F(LargeVendorFile, AddressesBeyondSixteenBitsAndABrokenChecksum)
{
    const std::string quartus = (dir / "deep.hex").string();
    ASSERT_EQ(Coe({"131072", "--span", "full", "--word", "fixed:12", "--format", "quartus-hex", "-o", quartus}).status,
              0);
    const Outcome decoded = Start({PYTHON3, READ_QUARTUS_HEX, quartus});
    ASSERT_EQ(decoded.status, 0) << decoded.err;
    lumiro::TableShape shape;
    shape.divisions = 131072;
    shape.span = lumiro::Span::Full;
    shape.word = *lumiro::WordKind::Named("fixed:12");
    const lumiro::SineTable table(shape);
    const std::vector<std::string> lines = Lines(decoded.out);
    ASSERT_EQ(lines.size(), 131072U);
    for (const std::int32_t i : {0, 65535, 65536, 100000, 131071})
        EXPECT_EQ(std::stoul(lines[static_cast<std::size_t>(i)], nullptr, 16), table.Word(i)) << i;

    std::string text = Slurp(quartus);
    text[text.find('\n') - 1] ^= 1;  // the first record's checksum, one bit off
    std::ofstream(dir / "broken.hex") << text;
    EXPECT_NE(Start({PYTHON3, READ_QUARTUS_HEX, (dir / "broken.hex").string()}).status, 0);

    const std::string intel = (dir / "wide.hex").string();
    ASSERT_EQ(Coe({"1048576", "--format", "ihex", "-o", intel}).status, 0);  // 1 MiB of words
    {
        std::ofstream out(dir / "words.bin", std::ios::binary);
        shape = {};
        shape.divisions = 1048576;
        const lumiro::SineTable words(shape);
        for (std::int32_t i = 0; i < words.Count(); ++i)
            for (int b = 3; b >= 0; --b)
                out.put(static_cast<char>(words.Word(i) >> (8 * b)));
    }
    const Outcome compared = Start({SREC_CMP, intel, "-Intel", (dir / "words.bin").string(), "-binary"});
    EXPECT_EQ(compared.status, 0) << compared.out << compared.err;
}

}  // namespace
