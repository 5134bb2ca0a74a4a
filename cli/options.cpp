#include "options.h"

#include "form_logic.h"

namespace lumiro::coe {

const std::string_view kHelpText =
    R"(Użycie: lumiro-coe [OPCJE] N

Zapisuje tablicę funkcji sinus dla pierwszych 90 stopni, gdy kąt pełny dzieli się
na N równych części (N od 1 do 4194304; próbek jest N / 4), jako słowa IEEE-754
pojedynczej precyzji, w pliku, który narzędzia FPGA wczytują bez poprawek.
Próbki są co do bitu te same, co w oknie Lumiro.

Opcje:
  --format coe       plik COE dla generatora pamięci blokowej Xilinx (domyślnie):
                     słowa oddzielone przecinkami, wektor zamknięty średnikiem
  --format mem       plik dla $readmemb lub $readmemh: jedno słowo w wierszu
  --format listing   dokładnie ten tekst, który okno Lumiro pokazuje po
                     zatwierdzeniu N i wygenerowaniu tablicy
  --radix 2          słowa jako 32 cyfry dwójkowe (domyślnie)
  --radix 16         słowa jako 8 cyfr szesnastkowych
  -o PLIK            zapis do PLIKU zamiast na standardowe wyjście (-o - to
                     standardowe wyjście); istniejący plik zostaje zastąpiony
                     nowym dopiero po udanym zapisie całości, więc dowiązania
                     twarde do niego zachowują starą treść; urządzenie lub
                     potok (np. /dev/stdout) dostaje dane wprost
  -h, --help         ten opis

Kody wyjścia: 0 – zapisano, 1 – błąd zapisu, 2 – błędne wywołanie.
)";

namespace {

bool LooksLikeNumber(std::string_view argument)
{
    // "-5" is a count out of range, not an unknown option.
    return argument.size() > 1 && argument[0] == '-' && argument[1] >= '0' && argument[1] <= '9';
}

Format FormatNamed(std::string_view name)
{
    if (name == "coe")
        return Format::Coe;
    if (name == "mem")
        return Format::Mem;
    if (name == "listing")
        return Format::Listing;
    throw UsageError("opcja --format przyjmuje wartość coe, mem albo listing (podano " +
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

}  // namespace

Options ParseOptions(std::span<const std::string_view> arguments)
{
    Options options;
    std::optional<std::string_view> count;
    bool radixGiven = false;

    for (std::size_t at = 0; at < arguments.size(); ++at) {
        const std::string_view argument = arguments[at];
        // "--name value" or "--name=value"
        const auto value = [&](std::string_view name) -> std::string_view {
            if (argument.size() > name.size() && argument[name.size()] == '=')
                return argument.substr(name.size() + 1);
            if (at + 1 >= arguments.size())
                throw UsageError("opcja " + std::string(name) + " wymaga wartości.");
            return arguments[++at];
        };
        const auto is = [&](std::string_view name) {
            return argument == name ||
                   (argument.size() > name.size() && argument.substr(0, name.size()) == name &&
                    argument[name.size()] == '=');
        };

        if (argument == "-h" || argument == "--help") {
            options.help = true;
        } else if (is("--format")) {
            options.format = FormatNamed(value("--format"));
        } else if (is("--radix")) {
            options.radix = RadixNamed(value("--radix"));
            radixGiven = true;
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
    if (options.help)
        return options;
    if (!count)
        throw UsageError("brak liczby N: na ile części podzielić 360 stopni.");
    if (radixGiven && options.format == Format::Listing)
        throw UsageError("opcja --radix nie dotyczy formatu listing.");
    try {
        options.divisions = ParseDivisions(*count);
    } catch (const Exception& error) {
        throw UsageError(error.what());
    }
    return options;
}

}  // namespace lumiro::coe
