// SPDX-License-Identifier: GPL-3.0-or-later
#include "names.h"

#include <algorithm>
#include <iterator>

#include "text.h"

namespace lumiro::coe {
namespace {

// Reserved words of VHDL-93 and VHDL-2008 (which ignore case), Verilog-2005
// and SystemVerilog (which tools take a .v file for), C99 and C23, all lower case.
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
    // VHDL-2008 and 2019, beyond those above
    "assume", "assume_guarantee", "context", "cover", "fairness", "private", "property",
    "protected", "restrict_guarantee", "sequence", "strong", "view", "vmode", "vprop", "vunit",
    // SystemVerilog (IEEE 1800-2017), beyond those above
    "accept_on", "always_comb", "always_ff", "always_latch", "before", "bind", "bins", "binsof",
    "bit", "byte", "chandle", "checker", "class", "clocking", "constraint", "covergroup",
    "coverpoint", "cross", "dist", "endchecker", "endclass", "endclocking", "endgroup",
    "endinterface", "endpackage", "endprogram", "endproperty", "endsequence", "eventually",
    "expect", "export", "extends", "final", "first_match", "foreach", "forkjoin", "global",
    "iff", "ignore_bins", "illegal_bins", "implements", "implies", "import", "inside",
    "interconnect", "interface", "intersect", "join_any", "join_none", "let", "local", "logic",
    "longint", "matches", "modport", "nettype", "nexttime", "packed", "priority", "program",
    "rand", "randc", "randcase", "randsequence", "ref", "reject_on", "s_always",
    "s_eventually", "s_nexttime", "s_until", "s_until_with", "shortint", "shortreal", "soft",
    "solve", "string", "super", "sync_accept_on", "sync_reject_on", "tagged", "this",
    "throughout", "timeprecision", "timeunit", "unique", "unique0", "until_with", "untyped",
    "var", "virtual", "wait_order", "weak", "wildcard", "within",
    // C23, beyond those above
    "alignas", "alignof", "bool", "constexpr", "false", "nullptr", "static_assert",
    "thread_local", "true", "typeof", "typeof_unqual",
    // what <stdint.h> and <stddef.h> declare besides the *_t types and *_MAX macros
    "null", "offsetof",
    // VHDL's libraries, which a design unit cannot share a name with, and what
    // the VHDL formats use of them, which an entity of that name would hide
    "std", "work", "ieee", "rising_edge", "to_integer", "boolean", "signed", "unsigned", "resize",
    "shift_left", "shift_right", "to_signed", "to_unsigned",
    // the names the formats themselves declare, ports included
    "sine_depth", "sine_width", "sine_table", "cosine_depth", "cosine_width", "cosine_table",
    "std_logic_vector", "std_logic", "natural",
    "clk", "addr", "data", "phase", "sine", "cosine", "ce", "frequency", "phase_offset", "reset"};

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// C reserves what its headers may declare: POSIX every name ending in _t,
// C every INT*/UINT* macro ending in _MAX, _MIN or _C (as SIZE_MAX and
// WCHAR_MAX); names in capitals ending so are taken for such macros.
bool IsReservedInC(std::string_view name)
{
    if (name.ends_with("_t"))
        return true;
    const bool capitals = std::none_of(name.begin(), name.end(), [](char c) { return c >= 'a' && c <= 'z'; });
    return capitals && (name.ends_with("_MAX") || name.ends_with("_MIN") || name.ends_with("_C"));
}

}  // namespace

bool IsPortableIdentifier(std::string_view name)
{
    if (name.empty() || name.size() > kLongestName || name.back() == '_' ||
        name.find("__") != std::string_view::npos || !IsLetter(name.front()))
        return false;
    for (char c : name)
        if (!IsLetter(c) && !(c >= '0' && c <= '9') && c != '_')
            return false;
    return !IsReservedInC(name) &&
           std::find(std::begin(kKeywords), std::end(kKeywords), Lowered(name)) == std::end(kKeywords);
}

}  // namespace lumiro::coe
