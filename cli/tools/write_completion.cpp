// SPDX-License-Identifier: GPL-3.0-or-later
// Writes lumiro-coe's bash completion from the tables of options and values,
// at build time, so that it completes exactly what the program accepts.
#include <cstdio>
#include <string>

#include "option_table.h"

namespace {

using namespace lumiro::coe;

template <class Value>
std::string Names(std::span<const Choice<Value>> choices)
{
    std::string names;
    for (const auto& choice : choices)
        names.append(names.empty() ? "" : " ").append(choice.name);
    return names;
}

std::string WordsCompleted()
{
    std::string names;
    for (const auto& choice : WordChoices())
        names.append(names.empty() ? "" : " ").append(choice.value.name);
    return names;
}

std::string FormatsCompleted()
{
    std::string names;
    for (std::string_view name : FormatNames())
        names.append(names.empty() ? "" : " ").append(name);
    return names;
}

// The case label of an option: "-o | --output".
std::string Label(const OptionSpec& option)
{
    std::string label = Joined({"--", option.longName});
    if (option.shortName != 0)
        label = Joined({"-", std::string(1, option.shortName), " | ", label});
    return label;
}

}  // namespace

int main()
{
    std::string script =
        "# SPDX-License-Identifier: GPL-3.0-or-later\n"
        "# bash completion for lumiro-coe, written from its tables of options at build time\n"
        "\n"
        "_lumiro_coe()\n"
        "{\n"
        "    local cur prev words cword split\n"
        "    _init_completion -s || return\n"
        "\n"
        "    case $prev in\n";
    std::string options;
    for (const OptionSpec& option : OptionTable()) {
        options.append(options.empty() ? "" : " ").append("--").append(option.longName);
        if (option.shortName != 0)
            options.append(" -").append(1, option.shortName);
        if (option.argument == nullptr)
            continue;
        script += "        " + Label(option) + ")\n";
        switch (option.values) {
        case Completion::Files: script += "            _filedir\n"; break;
        case Completion::Formats:
            script += "            COMPREPLY=($(compgen -W '" + FormatsCompleted() + "' -- \"$cur\"))\n";
            break;
        case Completion::Words:
            script += "            COMPREPLY=($(compgen -W '" + WordsCompleted() + "' -- \"$cur\"))\n"
                      "            [[ ${COMPREPLY-} == *: ]] && compopt -o nospace\n";
            break;
        case Completion::Functions:
            script += "            COMPREPLY=($(compgen -W '" + Names(FunctionChoices()) + "' -- \"$cur\"))\n";
            break;
        case Completion::Angles:
            script += "            COMPREPLY=($(compgen -W '" + Names(AngleChoices()) + "' -- \"$cur\"))\n";
            break;
        case Completion::Spans:
            script += "            COMPREPLY=($(compgen -W '" + Names(SpanChoices()) + "' -- \"$cur\"))\n";
            break;
        case Completion::Radices:
            script += "            COMPREPLY=($(compgen -W '" + Names(RadixChoices()) + "' -- \"$cur\"))\n";
            break;
        case Completion::None: break;
        }
        script += "            return\n            ;;\n";
    }
    script += "    esac\n"
              "    $split && return\n"
              "\n"
              "    if [[ $cur == -* ]]; then\n"
              "        COMPREPLY=($(compgen -W '" + options + "' -- \"$cur\"))\n"
              "    fi\n"
              "} &&\n"
              "    complete -F _lumiro_coe lumiro-coe\n";
    return std::fputs(script.c_str(), stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 1;
}
