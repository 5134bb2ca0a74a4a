// SPDX-License-Identifier: GPL-3.0-or-later
// The unit behind AXI4-Stream ports, as vendors' DDS cores name them: the
// phase (or the oscillator's configuration) in, sine and cosine out in one
// beat. Back-pressure holds every register: the pipeline advances on an edge
// where no output beat waits or m_axis_data_tready takes it, so a beat waiting
// stays as it is, none is lost or given twice, and s_axis_phase_tready is that
// same advance (one gate from m_axis_data_tready, no register between).
#include <string>

#include "builders.h"

namespace lumiro::hardware {
namespace {

constexpr Type kBit = Unsigned(1);

// A configuration register: loads its slice of tdata on an edge with tvalid
// high, whether the pipeline advances or not.
Signal Loaded(Circuit& c, Signal tvalid, Signal tdata, int low, int width, const std::string& name)
{
    RegisterOptions options;
    options.enabled = false;
    const Signal reg = c.Register(name, Unsigned(width), options);
    c.Connect(reg, c.Choice(tvalid, c.Slice(tdata, low, Unsigned(width)), reg, name + "_next"));
    return reg;
}

// A word widened to whole bytes: by its sign for two's complement words.
Signal Widened(Circuit& c, const UnitPlan& plan, Signal word, const std::string& name)
{
    const int bytes = WholeBytes(plan.width);
    if (bytes == plan.width)
        return word;
    if (!plan.twosComplement)
        return c.Extension(word, Unsigned(bytes), name);
    return c.Extension(c.Slice(word, 0, Signed(plan.width), name + "_signed"), Signed(bytes), name);
}

}  // namespace

Circuit StreamCircuit(const UnitPlan& plan, const SineTable& quarter)
{
    Circuit c;
    c.NameClock("aclk");
    c.Section("What the unit reads of its ports.");
    OscillatorInputs oscillator;
    if (plan.nco && plan.nco->reset)
        oscillator.reset = c.Not(c.Input("aresetn", kBit), "reset");
    const Signal aclken = plan.clockEnable ? c.Input("aclken", kBit) : Signal{};
    Signal phase;
    Signal tvalid;
    if (plan.nco) {
        const int a = plan.nco->accumulatorBits;
        const Signal configValid = c.Input("s_axis_config_tvalid", kBit);
        const Signal config =
            c.Input("s_axis_config_tdata", Unsigned(WholeBytes(a) * (plan.nco->phaseOffset ? 2 : 1)));
        c.Section("The configuration: the frequency word" +
                  std::string(plan.nco->phaseOffset ? " and, in the bytes above it, the offset" : "") +
                  ",\nloaded on every edge with s_axis_config_tvalid high" + (aclken ? " (and aclken)." : "."));
        const Signal load = aclken ? c.And(aclken, configValid, "config_load") : configValid;
        oscillator.frequency = Loaded(c, load, config, 0, a, "frequency");
        if (plan.nco->phaseOffset)
            oscillator.offset = Loaded(c, load, config, WholeBytes(a), a, "phase_offset");
    } else {
        tvalid = c.Input("s_axis_phase_tvalid", kBit);
        phase = c.Slice(c.Input("s_axis_phase_tdata", Unsigned(WholeBytes(plan.phaseBits))), 0,
                        Unsigned(plan.phaseBits), "phase");
    }
    const Signal ready = c.Input("m_axis_data_tready", kBit);

    c.Section("The pipeline advances where no output beat waits, or where it is taken" +
              std::string(aclken ? ", on edges\nwith aclken high" : "") + ".");
    const Signal waiting =
        c.Register("out_valid", kBit, oscillator.reset ? RegisterOptions::ResetBy(oscillator.reset) : RegisterOptions{});
    Signal advance = c.Or(ready, c.Not(waiting, "no_beat"), aclken ? "free" : "advance");
    if (aclken)
        advance = c.And(aclken, advance, "advance");
    c.EnableBy(advance);
    c.EnableToo(waiting);

    if (plan.nco)
        phase = Oscillator(c, plan, oscillator).front();
    const SineCosineSignals out = plan.interpolation ? InterpolatingUnit(c, plan, PhaseIn(c, plan, phase))
                                                     : LeanUnit(c, plan, quarter, PhaseIn(c, plan, phase));
    Valid(c, plan, tvalid, oscillator.reset, waiting);
    c.Section("The beat: the cosine in the low half, the sine in the high half, each widened to\nwhole bytes.");
    const Signal data =
        c.Concatenation({Widened(c, plan, out.sine, "sine_bytes"), Widened(c, plan, out.cosine, "cosine_bytes")});
    if (!plan.nco)
        c.Output("s_axis_phase_tready", advance);
    c.Output("m_axis_data_tvalid", waiting);
    c.Output("m_axis_data_tdata", data);
    return c;
}

}  // namespace lumiro::hardware
