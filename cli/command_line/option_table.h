// SPDX-License-Identifier: GPL-3.0-or-later
// Everything lumiro-coe accepts, once: every option, and the values of those
// that take one from a list. The parser, --help, the messages, the bash
// completion and the test of the manual pages all read these tables, so a
// new option or value touches this file and its translation only.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "format.h"
#include "sine_table.h"

namespace lumiro::coe {

enum class OptionId {
    Format, Word, Function, Angle, Span, WithEnd, HalfStep, Report, Plot,
    Sincos, TableWords, Latency, ClockEnable, Nco, PhaseOffset, Reset, Dither, Frequency, Radix, Name, Output, Check, Quiet, Version, Help,
};

// What bash completes an option's value with.
enum class Completion { None, Files, Formats, Words, Functions, Angles, Spans, Radices };

// Where --help describes an option that has a description of its own.
enum class Section { Span, Report, General };

struct OptionSpec {
    OptionId id;
    std::string_view longName;   // without the leading "--"
    char shortName = 0;          // 0: none
    const char* argument = nullptr;  // its value's name in --help, N_("FILE"); none: takes no value
    const char* help = nullptr;  // N_(): its lines in --help, in English
    Completion values = Completion::None;
    Section section = Section::General;
    bool shapesTable = false;    // says what the table holds: not for the window's listing
    // N_(): its paragraph in the manual pages' OPTIONS, in English (**bold**,
    // //italic//); none for the options their own sections describe.
    const char* manual = nullptr;
};

std::span<const OptionSpec> OptionTable();
const OptionSpec& Option(OptionId id);

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
