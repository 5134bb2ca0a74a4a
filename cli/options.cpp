// SPDX-License-Identifier: GPL-3.0-or-later
#include "options.h"

#include "form_logic.h"
#include "names.h"
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
                     tylko dla tablic bez ujemnych próbek: nie dla --span full
                     ani dla --span half --with-end pod kątem okna
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
        const std::string lowered = Lowered(path);  // X.COE too
        for (const Format& format : Formats())
            if (!format.extension.empty() && path.size() > format.extension.size() &&
                lowered.ends_with(format.extension))
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
    const std::string share = IntToStr(static_cast<std::int32_t>(shape.span));
    const std::string end = shape.span == Span::Quarter ? "90" : "180";
    switch (lumiro::CheckShape(shape)) {
    case ShapeFault::None:
        break;
    case ShapeFault::EndWithHalfStep:
        throw UsageError("opcje --with-end i --half-step wykluczają się: z przesunięciem o pół "
                         "kroku żadna próbka nie wypada na końcu zakresu.");
    case ShapeFault::EndOffTheGrid:
        throw UsageError("opcja --with-end wymaga N podzielnego przez " + share +
                         ", by zakres kończył się na " + end + " stopniach.");
    case ShapeFault::NegativeUnsigned:
        if (shape.span == Span::Full)
            throw UsageError("słowa " + shape.word.Name() +
                             " nie mają znaku, a pełny okres ma ujemne próbki: użyj --span quarter "
                             "albo half, albo słów fixed:W.");
        throw UsageError("słowa " + shape.word.Name() +
                         " nie mają znaku, a próbka końcowa połowy okresu pod kątem okna "
                         "(N/2 × rad_step) może leżeć za 180 stopniami i być ujemna: użyj "
                         "--angle exact albo słów fixed:W.");
    }
    if (options.report && !UnfoldsToPeriod(shape))
        throw UsageError("raport (--report) wymaga N podzielnego przez " + share +
                         ", by zakres kończył się na " + end + " stopniach.");
    if (options.report && options.checkPath)
        throw UsageError("raport (--report) opisuje zapisywaną tablicę, więc nie łączy się "
                         "z --check.");
}

}  // namespace

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
