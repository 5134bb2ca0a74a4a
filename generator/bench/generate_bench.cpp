// SPDX-License-Identifier: GPL-3.0-or-later
// Button2Click against a window that only takes the text, as the real window's
// batching does: what is measured is the generator alone.
#include <benchmark/benchmark.h>

#include <string>

#include "form_logic.h"

namespace {

class TextSink : public lumiro::TForm1Logic {
public:
    std::string text;
    std::int64_t entries = 0;

    void Confirm(std::string count)
    {
        edit1_ = std::move(count);
        Button1Click();
    }

protected:
    std::string FieldText(lumiro::Field) const override { return edit1_; }
    void SetFieldText(lumiro::Field, std::string_view) override {}
    void ClearOutput() override
    {
        text.clear();
        entries = 0;
    }
    void AppendOutput(std::string_view entry) override
    {
        text.append(entry);
        text.push_back('\n');
        ++entries;
    }
    void SetProgressMin(int) override {}
    void SetProgressMax(int) override {}
    void SetProgressPosition(int value) override { benchmark::DoNotOptimize(value); }

private:
    std::string edit1_;
};

void BM_Generate(benchmark::State& state)
{
    TextSink window;
    window.Confirm(std::to_string(state.range(0)));
    window.Button2Click();  // grows the text once, as a warm window would have
    std::int64_t entries = 0;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        window.Button2Click();
        entries += window.entries;
        bytes += static_cast<std::int64_t>(window.text.size());
    }
    state.counters["entries/s"] =
        benchmark::Counter(static_cast<double>(entries), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(bytes);
}

BENCHMARK(BM_Generate)->Arg(1024)->Arg(262144)->Arg(4194304)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
