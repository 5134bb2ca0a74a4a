// SPDX-License-Identifier: GPL-3.0-or-later
// Everything lumiro-coe accepts, once: each option's definition (its name,
// value, help, manual text, completion, what it stores and its rules with
// other options) and the values of those that take one from a list. The
// parser, every refusal, --help, the manual pages and the bash completion
// read these tables, so a new option or value touches this file and its
// translation only. Numbers the code owns stand in the texts as {name} and
// are put in by Expanded.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "format.h"
#include "sine_table.h"

namespace lumiro::coe {

struct Options;

enum class OptionId {
    Format, Word, Function, Angle, Span, WithEnd, HalfStep, Report, Plot,
    Sincos, TableWords, Multiplier, Latency, ClockEnable, Valid, AxiStream, Testbench, Nco, PhaseOffset, Reset, Dither, SamplesPerClock, Modulus, Frequency, Fraction, Clock, Tone, Design, Resolution, Sfdr,
    Radix, Name, Output, Check, Quiet, Version, Help,
};
inline constexpr std::size_t kOptionCount = static_cast<std::size_t>(OptionId::Help) + 1;

// What bash completes an option's value with.
enum class Completion { None, Files, Formats, Words, Functions, Angles, Spans, Radices };

// Where --help and the manual pages describe an option.
enum class Section { Span, Report, Unit, Oscillator, General };

// A rule of an option with others: where it is given, one of `others` must be
// too (or, where it excludes them, none of them), for the reason `why` gives
// (N_(), %s the option, %s the others).
struct Rule {
    bool excludes = false;
    std::array<OptionId, 2> others{};
    int count = 0;  // of others
    const char* why = nullptr;
};

struct OptionSpec {
    OptionId id;
    std::string_view longName;       // without the leading "--"
    char shortName = 0;              // 0: none
    const char* argument = nullptr;  // its value's name in --help, N_("FILE"); none: takes no value
    const char* help = nullptr;      // N_(): its lines in --help, in English
    Completion values = Completion::None;
    Section section = Section::General;
    bool shapesTable = false;        // says what the table holds: not for the window's listing
    // N_(): its paragraph in the manual pages, in English (**bold**, //italic//);
    // none for the options their own sections describe.
    const char* manual = nullptr;
    // Stores what the command line gave; a refusal of the value itself throws UsageError.
    void (*take)(Options& options, std::string_view value) = nullptr;
    std::array<Rule, 2> rules{};
};

std::span<const OptionSpec> OptionTable();
const OptionSpec& Option(OptionId id);
// "--latency"
std::string Spelled(OptionId id);

// A text of the tables with each {name} replaced by the number or text the
// code owns: {most-latency} is 16. Throws std::logic_error on a name it does
// not know, so that no text can say a number the code does not.
std::string Expanded(std::string_view text);

// A value of an option that takes one from a list.
template <class Value>
struct Choice {
    std::string_view name;
    Value value;
    const char* help;  // N_(): its lines in --help
};

// The options that ask for `shape`'s table beside N, the defaults left out:
// "--span full --word fixed:16".
std::string OptionsFor(const TableShape& shape);

std::span<const Choice<Span>> SpanChoices();
std::span<const Choice<Function>> FunctionChoices();
std::span<const Choice<AngleMode>> AngleChoices();
std::span<const Choice<Radix>> RadixChoices();
// The word kinds by the names --help gives them ("fixed:W"), each with its
// entry in the generator's table; WordKind::Named reads the value itself.
std::span<const Choice<WordKind::Entry>> WordChoices();
// A text with its %d said as the kind's narrowest and widest width.
std::string WidthsSaid(std::string_view text, const WordKind::Entry& kind);

}  // namespace lumiro::coe
