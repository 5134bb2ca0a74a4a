// SPDX-License-Identifier: GPL-3.0-or-later
// A file format lumiro-coe writes, and may read back for --check. Each format
// lives in a file of its own under formats/ and registers itself there, so a
// new format touches one file.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "errors.h"
#include "provenance.h"
#include "sincos_unit.h"
#include "text.h"

namespace lumiro::coe {

// How a file writes its words: binary or hexadecimal digits of the code, or
// decimal numbers (fixed-point words signed), which only some formats have.
enum class Radix { Binary = 2, Decimal = 10, Hex = 16 };

// What a format writes from: the table and the choices of the command line.
struct Request {
    const SineTable& table;
    Radix radix = Radix::Binary;
    std::string name;  // an identifier, for the formats that declare one
    std::vector<std::string> notes{};  // a unit's header's last lines, from the command line
    // The oscillator's word (and fraction) asked for, which a testbench gives first.
    std::optional<std::uint64_t> frequency{};
    std::uint64_t fraction = 0;
};

// The widest word any table has, and so the widest a reader takes.
inline constexpr int kWidestWord = 32;

// Where a reader hands what it reads, as it reads it: the words in address
// order, each with the line it stands on, and what the file says of itself.
class WordSink {
public:
    virtual ~WordSink() = default;
    virtual void Word(std::uint32_t word, std::size_t line) = 0;
    // The width a file declares (MIF's WIDTH), before its words.
    virtual void DeclaredWidth(int bits) = 0;
    // The base a file states its words in (COE's radix, MIF's DATA_RADIX).
    virtual void DeclaredRadix(int base) = 0;
    // A word the file leaves out (a gap between Intel HEX records): the next
    // address has none.
    virtual void Missing() = 0;
    // Rows as the window shows them: the vendor's reader would take each
    // digit for a word of its own.
    virtual void WindowRows() = 0;
};

class TextScanner;

// The files' names a testbench gives: the vectors it opens, and the unit and
// itself in the commands that run it.
struct BenchNames {
    std::string vectors;
    std::string unit;
    std::string bench;
};

struct Format {
    std::string_view name;       // the value of --format
    // The extensions of its files (".coe"), by which -o and --check know the
    // format where --format is not given; empty where it has none.
    std::array<std::string_view, 2> extensions{};
    const char* help = nullptr;  // N_(): its lines in --help, in English
    // N_(): its paragraph in the manual pages, in English; **bold**, //italic//.
    // Its example and the most words it holds are added there from the entry.
    const char* manual = nullptr;
    int rank = 0;                // its place in --help
    bool isDefault = false;      // written where neither --format nor -o's extension says
    bool takesShape = true;      // false: a fixed text (the window's), no --word, --span...
    bool takesRadix = true;      // --radix 2 or 16 chooses its digits
    bool takesDecimal = false;   // and --radix 10 its decimal numbers
    std::string_view defaultName;  // the identifier it declares; empty: it declares none
    bool holdsNoWords = true;    // may hold an empty table
    std::int32_t deepest = 0;    // the most words the format can describe; 0: no limit
    // Streams the table to `out`; write errors stay in the stream's error flag.
    void (*write)(std::FILE* out, const Request& request) = nullptr;
    // With --sincos: the sine/cosine unit built on the table, instead of the
    // table itself, and the name it declares by default; nullptr where the
    // format writes no unit.
    void (*writeUnit)(std::FILE* out, const Request& request, const UnitPlan& plan) = nullptr;
    std::string_view defaultUnitName{};
    // With --testbench: a testbench of that unit in the same language to
    // `bench`, and the vectors it compares with to `vectors`; nullptr where
    // the format writes none.
    void (*writeTestbench)(std::FILE* bench, std::FILE* vectors, const Request& request, const UnitPlan& plan,
                           const BenchNames& names) = nullptr;
    // Reads such a file strictly, words of up to kWidestWord bits, in the radix
    // the file states or, where it states none, in `radix` if given (else as
    // the table's `width` suggests); nullptr when --check cannot.
    void (*read)(TextScanner& text, int width, std::optional<Radix> radix, WordSink& sink) = nullptr;
    // Where formats share an extension: whether the first bytes of a file are
    // this format's. The one format without it is the extension's default.
    bool (*recognises)(std::string_view head) = nullptr;
};

// Called once by each format, from a static initialiser in its own file.
bool RegisterFormat(const Format& format);

// Every format, in the order of --help.
const std::vector<Format>& Formats();
// The names of the formats, in that order, that have what `has` asks for
// (a reader, a unit, decimal words); all of them without it.
std::vector<std::string_view> FormatNames(bool (*has)(const Format&) = nullptr);
const Format* FindFormat(std::string_view name);
const Format& DefaultFormat();  // coe

// The formats whose extension a file's name has (in either case), and of
// those the one it stands for: the only one, or else the only one without a
// mark in its first bytes (a .mem file is $readmem's, unless its header says
// Lattice); none where only --format can tell (.hex).
struct FormatsByName {
    std::vector<const Format*> sharing;
    const Format* chosen = nullptr;
};
FormatsByName FormatsForFile(std::string_view path);

// The identifier a format declares when --name is not given: its own, with
// "sine" as "cosine" for a cosine table, so that both fit in one design.
std::string DefaultName(const Format& format, Function function);
// The word for the function in the names a format declares: sine or cosine.
std::string_view FunctionWord(Function function);

// The digits of a word: `width` binary digits, or ceil(width / 4) hexadecimal
// ones, most significant first, upper case.
std::string_view WordDigits(std::uint32_t word, int width, Radix radix, char (&buffer)[32]);

// A word as a decimal number: the code, or for fixed-point words its signed
// value (-201 for 0xFF37 at 16 bits).
std::string_view DecimalText(std::uint32_t word, const WordKind& kind, char (&buffer)[32]);

// A decimal word as files write it: the code itself, of at most `bits` bits,
// or a negative value, down to -2^(width-1), for its two's complement in
// `width` bits. Empty for anything else.
std::optional<std::uint32_t> ParseDecimalWord(std::string_view text, int width, int bits);

// Digits in base 2, 8, 10 or 16 (either case), at most 40 bits; empty for
// anything else.
std::optional<std::uint64_t> ParseDigits(std::string_view digits, unsigned base);

// The words of a file in radix 2 or 16 parsed strictly: digits only, and no
// more than `width` bits. Empty when the text is not such a word.
std::optional<std::uint32_t> ParseWord(std::string_view digits, int width, Radix radix);

void Put(std::FILE* out, std::string_view text);

}  // namespace lumiro::coe
