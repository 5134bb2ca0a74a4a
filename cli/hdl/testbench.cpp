// SPDX-License-Identifier: GPL-3.0-or-later
// A unit's self-checking testbench: the vectors its circuit gives for the
// stimulus, a line a clock, and a testbench in the unit's language that
// drives the unit with them and compares what it shows.
#include <cstdio>
#include <string>
#include <utility>

#include "hardware/bench.h"
#include "hardware/units.h"
#include "printers.h"

namespace lumiro::coe {
namespace {

using hardware::BenchClock;

std::string Number(std::int64_t value)
{
    return std::to_string(value);
}

std::string Hex(std::uint64_t value)
{
    char digits[24];
    std::snprintf(digits, sizeof digits, "0x%llX", static_cast<unsigned long long>(value));
    return digits;
}

int Width(const Circuit& c, Signal s)
{
    return c.At(s).type.width;
}

// Values side by side, the first the most significant, as hexadecimal digits.
class Digits {
public:
    void Append(std::uint64_t value, int width)
    {
        for (int bit = width - 1; bit >= 0; --bit)
            bits_.push_back(static_cast<char>('0' + ((value >> bit) & 1)));
    }
    void PutTo(std::string& line)
    {
        static constexpr char kHex[] = "0123456789abcdef";
        const std::size_t lead = (4 - bits_.size() % 4) % 4;
        bits_.insert(0, lead, '0');
        for (std::size_t at = 0; at < bits_.size(); at += 4)
            line += kHex[(bits_[at] - '0') * 8 + (bits_[at + 1] - '0') * 4 + (bits_[at + 2] - '0') * 2 +
                         (bits_[at + 3] - '0')];
        bits_.clear();
    }

private:
    std::string bits_;
};

std::optional<hardware::BenchSetting> Asked(const Request& request)
{
    if (!request.frequency)
        return std::nullopt;
    return hardware::BenchSetting{*request.frequency, 0, request.fraction};
}

std::string Stimulus(const Circuit& c, const UnitPlan& plan, const std::optional<hardware::BenchSetting>& asked)
{
    std::string text;
    if (plan.nco) {
        const std::vector<hardware::BenchSetting> settings = hardware::BenchSettings(plan, asked);
        text = "It gives the oscillator " + Number(static_cast<std::int64_t>(settings.size())) +
               " frequency words for " + Number(hardware::kClocksPerSetting) + " clocks each" +
               (plan.nco->phaseOffset ? ", with the offsets beside them" : "") + ",\n" +
               (plan.axiStream ? "loaded through s_axis_config on each one's first clock" : "each set on its first clock") +
               (plan.nco->reset ? ", reset high then\nand one clock in " + Number(hardware::kResetOneIn) + " at random"
                                : "") +
               ":\n";
        for (const hardware::BenchSetting& setting : settings)
            text += "  frequency " + Hex(setting.frequency) +
                    (plan.nco->phaseOffset ? ", phase_offset " + Hex(setting.offset) : "") +
                    (plan.nco->modulus > 1 ? ", fraction " + Number(static_cast<std::int64_t>(setting.fraction)) : "") +
                    "\n";
    } else if (plan.divisions <= hardware::kMostBenchPhases) {
        text = "It gives every phase from 0 to " + Number(plan.divisions - 1) + " once, in order.\n";
    } else {
        text = "It gives " + Number(hardware::kMostBenchPhases) + " of the " + Number(plan.divisions) +
               " phases once each: the " + Number(hardware::kQuadrantEdgePhases) +
               " around each quadrant's\nstart, then " +
               Number(hardware::kMostBenchPhases - 4 * hardware::kQuadrantEdgePhases) +
               " spread evenly between them.\n";
    }
    std::string random;
    for (const char* handshake : {"ce", "aclken", "in_valid", "s_axis_phase_tvalid", "m_axis_data_tready"})
        if (c.InputNamed(handshake))
            random += (random.empty() ? "" : ", ") + std::string(handshake);
    if (!random.empty())
        text += "Low one clock in " + Number(hardware::kIdleOneIn) + " at random: " + random + ".\n";
    return text;
}

std::vector<std::string> Header(const Circuit& c, const Request& request, const UnitPlan& plan, const BenchText& text)
{
    std::string prose = "Self-checking testbench of " + request.name + ": it ends with the line\n\"PASS: N outputs\", or " +
                        "\"FAIL: K of N outputs\" and a failure (K the clocks that differ).\n";
    prose += Stimulus(c, plan, Asked(request));
    prose += "It compares the unit's outputs on each clock, before its rising edge, with\n" + text.vectors +
             ", a line a clock: the inputs, the outputs expected (the ports in\n"
             "their order, the first the most significant, in hexadecimal), and 1 where the\n"
             "clock's words are an output of the unit, else 0 and only its handshakes are\n"
             "compared: " +
             Number(text.outputs) + " outputs over " + Number(text.clocks) +
             " clocks. Run it where that file is, or give its\npath as " + text.vectorsParameter + ".\n" + text.runs;
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < prose.size()) {
        const std::size_t end = prose.find('\n', at);
        lines.push_back(prose.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

}  // namespace

BenchPorts::BenchPorts(const Circuit& unit) : circuit(unit)
{
    for (const Signal input : unit.Inputs())
        inputBits += Width(unit, input);
    for (const hardware::OutputPort& output : unit.Outputs())
        outputBits += Width(unit, output.value);
}

int BenchPorts::InputLow(std::size_t k) const
{
    int low = inputBits;
    for (std::size_t i = 0; i <= k; ++i)
        low -= Width(circuit, circuit.Inputs()[i]);
    return low;
}

int BenchPorts::OutputLow(std::size_t k) const
{
    int low = outputBits;
    for (std::size_t o = 0; o <= k; ++o)
        low -= Width(circuit, circuit.Outputs()[o].value);
    return low;
}

std::string BenchPorts::Handshakes() const
{
    std::string bits;
    for (const hardware::OutputPort& output : circuit.Outputs())
        bits += std::string(static_cast<std::size_t>(Width(circuit, output.value)),
                            hardware::IsHandshake(output.name) ? '1' : '0');
    return bits;
}

std::string VectorsBeside(const std::string& testbench)
{
    const std::size_t slash = testbench.rfind('/');
    const std::size_t dot = testbench.rfind('.');
    const bool extension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    return (extension ? testbench.substr(0, dot) : testbench) + ".vectors";
}

void WriteBench(std::FILE* bench, std::FILE* vectors, const BenchNames& names, const Request& request,
                const UnitPlan& plan, BenchPrinter print)
{
    const hardware::Circuit circuit = hardware::UnitCircuit(plan, request.table);
    const BenchPorts ports(circuit);
    std::string line;
    Digits digits;
    std::int64_t clocks = 0;
    const std::int64_t outputs = hardware::RunBench(circuit, plan, [&](const BenchClock& clock) {
        line.clear();
        for (std::size_t i = 0; i < clock.inputs.size(); ++i)
            digits.Append(clock.inputs[i], Width(circuit, circuit.Inputs()[i]));
        digits.PutTo(line);
        line += ' ';
        for (std::size_t o = 0; o < clock.outputs.size(); ++o)
            digits.Append(clock.outputs[o], Width(circuit, circuit.Outputs()[o].value));
        digits.PutTo(line);
        line += clock.counted ? " 1\n" : " 0\n";
        Put(vectors, line);
        ++clocks;
    }, Asked(request));
    BenchText text{request.name + "_tb", request.name, names.vectors, {}, outputs, clocks, print.vectorsParameter,
                   print.runs};
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"{unit}", names.unit},
                                     {"{bench}", names.bench}, {"{name}", text.name}})
        for (std::string* said : {&text.runs, &text.vectorsParameter})
            for (std::size_t at = said->find(key); at != std::string::npos; at = said->find(key))
                said->replace(at, key.size(), value);
    text.header = Header(circuit, request, plan, text);
    print.print(bench, ports, text);
}

}  // namespace lumiro::coe
