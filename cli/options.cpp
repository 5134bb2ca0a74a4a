// SPDX-License-Identifier: GPL-3.0-or-later
#include "options.h"

#include <algorithm>
#include <iterator>

#include "form_logic.h"
#include "table.h"
#include "text_scanner.h"  // Lowered

namespace lumiro::coe {
namespace {

constexpr std::string_view kHelpHead =
    R"(Użycie: lumiro-coe [OPCJE] N
       lumiro-coe N --check PLIK

Zapisuje tablicę funkcji sinus dla pierwszych 90 stopni, gdy kąt pełny dzieli się
na N równych części (N od 1 do 4194304; próbek jest N / 4), jako słowa IEEE-754
pojedynczej precyzji, w pliku, który narzędzia FPGA wczytują bez poprawek.
Próbki są co do bitu te same, co w oknie Lumiro.

Formaty:
)";

constexpr std::string_view kHelpTail =
    R"(
Słowa (--word):
  --word float32     IEEE-754 pojedynczej precyzji, jak w oknie (domyślnie)
  --word float16     IEEE-754 połówkowej precyzji (binary16), 16 bitów
  --word bfloat16    bfloat16, 16 bitów
  --word fixed:W     stałoprzecinkowe ze znakiem (uzupełnienie do dwóch), W od 2
                     do 32 bitów: sinus × (2^(W-1) - 1), więc +1 to największy kod
  --word ufixed:W    stałoprzecinkowe bez znaku, W od 1 do 32: sinus × (2^W - 1);
                     tylko dla tablic bez ujemnych próbek
                       lumiro-coe 1024 --word fixed:16 --radix 16 -o sinus.coe
  Każde słowo jest zaokrąglane raz, do najbliższego (remis do parzystego).

Kąty (--angle):
  --angle window     x(i) = i × rad_step, krok zaokrąglony do pojedynczej
                     precyzji, dokładnie jak w oknie (domyślnie); wartość to
                     poprawnie zaokrąglony sinus podwójnej precyzji x(i), potem
                     zaokrąglony do słowa, więc float32 daje słowa z okna
  --angle exact      idealny kąt 2πi/N z prawdziwym π; słowo to poprawne
                     zaokrąglenie dokładnego sin(2πi/N), jedno, od prawdziwej
                     wartości
                       lumiro-coe 1024 --angle exact -o sinus.coe

Zakres:
  --span quarter     N/4 próbek, od 0 do 90 stopni bez 90 (domyślnie)
  --span half        N/2 próbek, od 0 do 180 stopni bez 180
  --span full        N próbek, od 0 do 360 stopni bez 360
  --with-end         jeszcze jedna próbka, na końcu zakresu (dla ćwiartki
                     sin 90° = 1): 2^k + 1 słów do interpolacji; N musi się
                     dzielić przez 4 (ćwiartka) albo 2 (połowa)
  --half-step        każdy kąt przesunięty o pół kroku: (i + ½) × krok
                       lumiro-coe 1024 --span quarter --with-end -o sinus.coe

Raport (--report), na standardowe wyjście błędów, po tablicy:
  liczba słów; największy i średniokwadratowy (RMS) błąd względem dokładnego
  sinusa idealnego kąta 2πi/N, w jednostkach ostatniego miejsca słowa (ulp dla
  liczb zmiennoprzecinkowych, LSB dla stałoprzecinkowych); ile słów jest
  poprawnym zaokrągleniem tego sinusa; SFDR w dBc jednego pełnego okresu
  złożonego z tablicy. Ćwiartka i połowa są rozwijane do pełnego okresu przez
  symetrię sinusa; gdy ćwiartka nie ma próbki końcowej, pod 90° stoi 1,
  a pod 270° -1.
                       lumiro-coe 1024 --word fixed:16 --report -o sinus.coe

Opcje:
  --radix 2          słowa jako cyfry dwójkowe, tyle cyfr, ile bitów ma słowo
                     (domyślnie)
  --radix 16         słowa jako cyfry szesnastkowe (8 dla 32 bitów)
  --name NAZWA       nazwa pakietu, modułu lub tablicy w formatach vhdl, verilog
                     i c: litera, potem litery, cyfry i pojedyncze podkreślenia
  -o PLIK            zapis do PLIKU zamiast na standardowe wyjście (-o - to
                     standardowe wyjście); istniejący plik zostaje zastąpiony
                     nowym dopiero po udanym zapisie całości, więc dowiązania
                     twarde do niego zachowują starą treść; urządzenie lub
                     potok (np. /dev/stdout) dostaje dane wprost
  --check PLIK       porównuje istniejący plik coe, mif lub mem (rodzaj z
                     rozszerzenia albo z --format) z tablicą dla N, słowo po
                     słowie, i podaje, które słowa się różnią
                       lumiro-coe 1024 --check sinus.coe
  --version          wersja programu
  -h, --help         ten opis

Kody wyjścia: 0 – zapisano (albo plik zgadza się z tablicą), 1 – błąd zapisu
lub odczytu, 2 – błędne wywołanie, 3 – sprawdzany plik różni się od tablicy.
)";

// Reserved words of VHDL-93 (which ignores case), Verilog-2005 and C99.
constexpr std::string_view kKeywords[] = {
    // VHDL-93
    "abs", "access", "after", "alias", "all", "and", "architecture", "array", "assert",
    "attribute", "begin", "block", "body", "buffer", "bus", "case", "component",
    "configuration", "constant", "disconnect", "downto", "else", "elsif", "end", "entity",
    "exit", "file", "for", "function", "generate", "generic", "group", "guarded", "if",
    "impure", "in", "inertial", "inout", "is", "label", "library", "linkage", "literal", "loop",
    "map", "mod", "nand", "new", "next", "nor", "not", "null", "of", "on", "open", "or",
    "others", "out", "package", "port", "postponed", "procedure", "process", "pure", "range",
    "record", "register", "reject", "rem", "report", "return", "rol", "ror", "select",
    "severity", "shared", "signal", "sla", "sll", "sra", "srl", "subtype", "then", "to",
    "transport", "type", "unaffected", "units", "until", "use", "variable", "wait", "when",
    "while", "with", "xnor", "xor",
    // Verilog-2005, beyond those above
    "always", "assign", "automatic", "bufif0", "bufif1", "casex", "casez", "cell", "cmos",
    "config", "deassign", "default", "defparam", "design", "disable", "edge", "endcase",
    "endconfig", "endfunction", "endgenerate", "endmodule", "endprimitive", "endspecify",
    "endtable", "endtask", "event", "force", "forever", "fork", "genvar", "highz0", "highz1",
    "ifnone", "incdir", "include", "initial", "input", "instance", "integer", "join", "large",
    "liblist", "localparam", "macromodule", "medium", "module", "negedge", "nmos", "noshowcancelled",
    "notif0", "notif1", "output", "parameter", "pmos", "posedge", "primitive", "pull0", "pull1",
    "pulldown", "pullup", "pulsestyle_onevent", "pulsestyle_ondetect", "rcmos", "real",
    "realtime", "reg", "release", "repeat", "rnmos", "rpmos", "rtran", "rtranif0", "rtranif1",
    "scalared", "showcancelled", "signed", "small", "specify", "specparam", "strong0",
    "strong1", "supply0", "supply1", "table", "task", "time", "tran", "tranif0", "tranif1",
    "tri", "tri0", "tri1", "triand", "trior", "trireg", "unsigned", "uwire", "vectored", "wand",
    "weak0", "weak1", "wire", "wor",
    // C99, beyond those above
    "auto", "break", "char", "const", "continue", "do", "double", "enum", "extern", "float",
    "goto", "inline", "int", "long", "restrict", "short", "sizeof", "static", "struct", "switch",
    "typedef", "union", "void", "volatile", "_bool", "_complex", "_imaginary",
    // and the names the formats themselves declare
    "sine_depth", "sine_width", "sine_word_t", "sine_table_t",
    "sine_table", "std_logic_vector", "std_logic", "ieee", "natural", "uint32_t", "uint16_t"};

bool LooksLikeNumber(std::string_view argument)
{
    // "-5" is a count out of range, not an unknown option.
    return argument.size() > 1 && argument[0] == '-' && argument[1] >= '0' && argument[1] <= '9';
}

std::string FormatNames()
{
    std::string names;
    const auto& formats = Formats();
    for (std::size_t i = 0; i < formats.size(); ++i)
        names += std::string(formats[i].name) +
                 (i + 2 < formats.size() ? ", " : i + 2 == formats.size() ? " albo " : "");
    return names;
}

const Format& FormatNamed(std::string_view name)
{
    if (const Format* format = FindFormat(name))
        return *format;
    throw UsageError("opcja --format przyjmuje wartość " + FormatNames() + " (podano " +
                     QuoteInput(name) + ").");
}

Radix RadixNamed(std::string_view name)
{
    if (name == "2")
        return Radix::Binary;
    if (name == "16")
        return Radix::Hex;
    throw UsageError("opcja --radix przyjmuje wartość 2 albo 16 (podano " + QuoteInput(name) +
                     ").");
}

// The kind of a file to check: --format, or else its extension.
const Format& CheckedKind(const Options& options)
{
    const Format* kind = options.format;
    if (kind == nullptr) {
        const std::string& path = *options.checkPath;
        for (const Format& format : Formats())
            if (!format.extension.empty() && path.size() > format.extension.size() &&
                path.ends_with(format.extension))
                kind = &format;
        if (kind == nullptr)
            throw UsageError("nie wiadomo, jakiego rodzaju jest plik " + QuoteInput(path, 200) +
                             ": podaj --format coe, mif albo mem.");
    }
    if (kind->read == nullptr)
        throw UsageError("plików formatu " + std::string(kind->name) +
                         " nie da się sprawdzić; --check czyta pliki coe, mif i mem.");
    return *kind;
}

// Combinations that would make no sense are refused before anything is written.
void CheckShape(const Options& options, bool defaults)
{
    const TableShape& shape = options.shape;
    if (options.format != nullptr && options.format->name == "listing" && !defaults)
        throw UsageError("format listing to tekst okna: nie przyjmuje opcji --word, --angle, "
                         "--span, --with-end, --half-step ani --report.");
    if (shape.withEnd && shape.halfStep)
        throw UsageError("opcje --with-end i --half-step wykluczają się: z przesunięciem o pół "
                         "kroku żadna próbka nie wypada na końcu zakresu.");
    const auto share = static_cast<std::int32_t>(shape.span);
    if ((shape.withEnd || options.report) && shape.divisions % share != 0)
        throw UsageError(std::string(options.report ? "raport (--report)" : "opcja --with-end") +
                         " wymaga N podzielnego przez " + IntToStr(share) +
                         ", by zakres kończył się na " +
                         (shape.span == Span::Quarter ? "90" : "180") + " stopniach.");
    if (shape.word.isUnsigned() && shape.span == Span::Full)
        throw UsageError("słowa " + shape.word.Name() +
                         " nie mają znaku, a pełny okres ma ujemne próbki: użyj --span quarter "
                         "albo half, albo słów fixed:W.");
}

}  // namespace

bool IsPortableIdentifier(std::string_view name)
{
    constexpr std::size_t kLongest = 64;
    if (name.empty() || name.size() > kLongest || name.back() == '_' ||
        name.find("__") != std::string_view::npos)
        return false;
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!letter(name.front()))
        return false;
    for (char c : name)
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '_')
            return false;
    return std::find(std::begin(kKeywords), std::end(kKeywords), Lowered(name)) == std::end(kKeywords);
}

std::string HelpText()
{
    std::string text(kHelpHead);
    for (const Format& format : Formats())
        text += format.help;
    return text + std::string(kHelpTail);
}

Options ParseOptions(std::span<const std::string_view> arguments)
{
    Options options;
    std::optional<std::string_view> count;
    std::optional<std::string_view> name;
    bool defaults = true;  // no word, angle, span or report asked for

    for (std::size_t at = 0; at < arguments.size(); ++at) {
        const std::string_view argument = arguments[at];
        // "--name value" or "--name=value"
        const auto value = [&](std::string_view option) -> std::string_view {
            if (argument.size() > option.size() && argument[option.size()] == '=')
                return argument.substr(option.size() + 1);
            if (at + 1 >= arguments.size())
                throw UsageError("opcja " + std::string(option) + " wymaga wartości.");
            return arguments[++at];
        };
        const auto is = [&](std::string_view option) {
            return argument == option || (argument.starts_with(option) &&
                                          argument.size() > option.size() &&
                                          argument[option.size()] == '=');
        };

        if (argument == "-h" || argument == "--help") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (is("--format")) {
            options.format = &FormatNamed(value("--format"));
        } else if (is("--radix")) {
            options.radix = RadixNamed(value("--radix"));
            options.radixGiven = true;
        } else if (is("--word")) {
            const std::string_view kind = value("--word");
            const auto word = WordKind::Named(kind);
            if (!word)
                throw UsageError("opcja --word przyjmuje wartość float32, float16, bfloat16, "
                                 "fixed:W (W od 2 do 32) albo ufixed:W (W od 1 do 32) (podano " +
                                 QuoteInput(kind) + ").");
            options.shape.word = *word;
            defaults = false;
        } else if (is("--angle")) {
            const std::string_view angle = value("--angle");
            if (angle != "window" && angle != "exact")
                throw UsageError("opcja --angle przyjmuje wartość window albo exact (podano " +
                                 QuoteInput(angle) + ").");
            options.shape.angle = angle == "exact" ? AngleMode::Exact : AngleMode::Window;
            defaults = false;
        } else if (is("--span")) {
            const std::string_view span = value("--span");
            if (span != "quarter" && span != "half" && span != "full")
                throw UsageError("opcja --span przyjmuje wartość quarter, half albo full (podano " +
                                 QuoteInput(span) + ").");
            options.shape.span = span == "quarter" ? Span::Quarter : span == "half" ? Span::Half : Span::Full;
            defaults = false;
        } else if (argument == "--with-end") {
            options.shape.withEnd = true;
            defaults = false;
        } else if (argument == "--half-step") {
            options.shape.halfStep = true;
            defaults = false;
        } else if (argument == "--report") {
            options.report = true;
            defaults = false;
        } else if (is("--name")) {
            name = value("--name");
        } else if (is("--check")) {
            const std::string_view path = value("--check");
            if (path.empty())
                throw UsageError("opcja --check wymaga nazwy pliku.");
            options.checkPath = std::string(path);
        } else if (argument == "-o") {
            if (at + 1 >= arguments.size() || arguments[at + 1].empty())
                throw UsageError("opcja -o wymaga nazwy pliku.");
            // "-" is standard output, as for most tools.
            if (arguments[++at] != "-")
                options.outputPath = std::string(arguments[at]);
            else
                options.outputPath.reset();
        } else if (argument == "--") {
            for (++at; at < arguments.size(); ++at) {
                if (count)
                    throw UsageError("podano więcej niż jedną liczbę N.");
                count = arguments[at];
            }
        } else if (argument.starts_with('-') && !LooksLikeNumber(argument)) {
            throw UsageError("nieznana opcja " + QuoteInput(argument) + ".");
        } else {
            if (count)
                throw UsageError("podano więcej niż jedną liczbę N.");
            count = argument;
        }
    }
    if (options.help || options.version)
        return options;
    if (!count)
        throw UsageError("brak liczby N: na ile części podzielić 360 stopni.");
    try {
        options.divisions = ParseDivisions(*count);
    } catch (const Exception& error) {
        throw UsageError(error.what());
    }
    options.shape.divisions = options.divisions;
    CheckShape(options, defaults);

    if (options.checkPath) {
        if (options.outputPath)
            throw UsageError("opcja --check nie zapisuje pliku, więc nie łączy się z -o.");
        options.format = &CheckedKind(options);
    } else if (options.format == nullptr) {
        options.format = &DefaultFormat();
    }
    const Format& format = *options.format;
    if (options.radixGiven && !format.takesRadix)
        throw UsageError("opcja --radix nie dotyczy formatu " + std::string(format.name) + ".");
    if (name) {
        if (format.defaultName.empty())
            throw UsageError("opcja --name nie dotyczy formatu " + std::string(format.name) + ".");
        if (!IsPortableIdentifier(*name))
            throw UsageError("nazwa " + QuoteInput(*name) +
                             " nie nadaje się na identyfikator VHDL, Verilog i C: potrzebna jest "
                             "litera, potem litery, cyfry i pojedyncze podkreślenia (bez "
                             "podkreślenia na końcu i bez słów kluczowych).");
        options.name = std::string(*name);
    } else {
        options.name = std::string(format.defaultName);
    }
    if (!format.holdsNoWords && SineTable(options.shape).Count() == 0)
        throw UsageError("format " + std::string(format.name) +
                         " nie opisze pamięci bez słów: dla N = " + IntToStr(options.divisions) +
                         " tablica ma 0 próbek; podaj większe N.");
    return options;
}

}  // namespace lumiro::coe
