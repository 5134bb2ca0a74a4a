// SPDX-License-Identifier: GPL-3.0-or-later
// The real window, headless, measured as a user waits: from the click until
// the window is idle again, the repaint included. Peak resident memory is
// reported per case.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>

#include "application.h"
#include "plain_memo.h"
#include "tform1.h"

namespace {

// How much of the process lies on transparent huge pages now, in MB.
double HugePageMegabytes()
{
    std::ifstream rollup("/proc/self/smaps_rollup");
    for (std::string line; std::getline(rollup, line);)
        if (line.rfind("AnonHugePages:", 0) == 0)
            return std::stod(line.substr(14)) / 1024.0;  // kB
    return 0.0;
}

// "VmHWM" (peak) or "VmRSS" (now) from /proc/self/status, in MB.
double ResidentMegabytes(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field + ":", 0) == 0)
            return std::stod(line.substr(field.size() + 1)) / 1024.0;  // kB
    return 0.0;
}

// The peak from here on: the kernel restarts VmHWM from the present size.
void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Until nothing is left to do: posted events, the paint they ask for, and
// what the paint itself posts.
void UntilIdle(QWidget& window)
{
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    window.repaint();
}

class Window {
public:
    Window()
    {
        form_.show();
        UntilIdle(form_);
    }

    template <class Widget>
    Widget* Control(const char* name)
    {
        return form_.findChild<Widget*>(QString::fromLatin1(name));
    }

    void Press(const char* button)
    {
        Control<QPushButton>(button)->click();
        UntilIdle(form_);
    }

    void Generate(int divisions)
    {
        Control<QLineEdit>("Edit1")->setText(QString::number(divisions));
        Press("Button1");
        Press("Button2");
    }

    void TypeInArea(QChar character)
    {
        auto* memo = Control<PlainMemo>("Memo1");
        memo->setFocus();
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(character));
        QApplication::sendEvent(memo, &press);
        UntilIdle(form_);
    }

    // A key pressed in the output area, with its modifiers.
    void KeyInArea(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {})
    {
        auto* memo = Control<PlainMemo>("Memo1");
        memo->setFocus();
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(memo, &press);
        UntilIdle(form_);
    }

    // What the clipboard holds, pasted into the empty area.
    void PasteIntoArea(const QString& text)
    {
        auto* memo = Control<PlainMemo>("Memo1");
        memo->clear();
        QApplication::clipboard()->setText(text);
        memo->setFocus();
        memo->paste();
        UntilIdle(form_);
    }

    void ScrollArea()
    {
        Control<PlainMemo>("Memo1")->verticalScrollBar()->triggerAction(
            QAbstractSlider::SliderSingleStepSub);
        UntilIdle(form_);
    }

private:
    TForm1 form_;
};

// A new window each time: the first table in a window is the one that has to
// fetch all its memory from the kernel.
void BM_ConfirmAndGenerate(benchmark::State& state)
{
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<Window>();
        ResetPeak();
        state.ResumeTiming();
        window->Generate(static_cast<int>(state.range(0)));
        state.PauseTiming();
        peak = std::max(peak, ResidentMegabytes("VmHWM"));
        state.counters["huge_MB"] = HugePageMegabytes();
        window.reset();
        state.ResumeTiming();
    }
    state.counters["peak_MB"] = peak;
}

BENCHMARK(BM_ConfirmAndGenerate)
    ->Arg(1024)
    ->Arg(262144)
    ->Arg(4194304)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// What the user does next, with the largest table in the area.
std::unique_ptr<Window>& AfterLargest()
{
    static std::unique_ptr<Window> window;
    if (!window) {
        window = std::make_unique<Window>();
        window->Generate(4194304);
    }
    return window;
}

void BM_AfterLargest_FloatTest(benchmark::State& state)
{
    Window& window = *AfterLargest();
    window.Control<QLineEdit>("Edit4")->setText(QStringLiteral("0,1"));
    ResetPeak();
    for (auto _ : state)
        window.Press("Button3");
    state.counters["peak_MB"] = ResidentMegabytes("VmHWM");
    state.counters["rss_MB"] = ResidentMegabytes("VmRSS");
}

void BM_AfterLargest_TypedCharacter(benchmark::State& state)
{
    Window& window = *AfterLargest();
    for (auto _ : state)
        window.TypeInArea(QLatin1Char('x'));
}

void BM_AfterLargest_ScrollStep(benchmark::State& state)
{
    Window& window = *AfterLargest();
    for (auto _ : state)
        window.ScrollArea();
}

// A single line of 10 MB pasted into the area (a hex dump, a log), and the
// keys that move along it or add to it.
constexpr int kLongLineBytes = 10'000'000;

// Digits, hex words, Polish letters: what a dump or a log holds.
QString LongLine()
{
    const QString piece = QStringLiteral("0x3F800000 Kąt=0.09817477315664291 sinus=0.0980171412229538 zażółć ");
    QString line;
    line.reserve(kLongLineBytes);
    while (line.size() + piece.size() <= kLongLineBytes)
        line += piece;
    return line;
}

std::unique_ptr<Window>& WithLongLine()
{
    static std::unique_ptr<Window> window;
    if (!window) {
        window = std::make_unique<Window>();
        window->PasteIntoArea(LongLine());
    }
    return window;
}

void BM_LongLine_Paste(benchmark::State& state)
{
    Window window;
    const QString line = LongLine();
    for (auto _ : state)
        window.PasteIntoArea(line);
}

void BM_LongLine_Key(benchmark::State& state, int key, Qt::KeyboardModifiers modifiers)
{
    Window& window = *WithLongLine();
    for (auto _ : state) {
        window.KeyInArea(key, modifiers);
        window.KeyInArea(key == Qt::Key_End ? Qt::Key_Home : Qt::Key_End, modifiers);
    }
}

void BM_LongLine_TypedCharacter(benchmark::State& state)
{
    Window& window = *WithLongLine();
    window.KeyInArea(Qt::Key_End, Qt::ControlModifier);
    for (auto _ : state)
        window.KeyInArea(Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
}

BENCHMARK(BM_AfterLargest_FloatTest)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AfterLargest_TypedCharacter)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AfterLargest_ScrollStep)->Unit(benchmark::kMillisecond)->UseRealTime();

// The second table of the largest size must release the first: resident
// memory after it stays within 10 % of what it was after the first.
void BM_GenerateLargestTwice(benchmark::State& state)
{
    AfterLargest().reset();
    Window window;
    double first = 0;
    double second = 0;
    for (auto _ : state) {
        window.Generate(4194304);
        first = ResidentMegabytes("VmRSS");
        window.Press("Button2");
        second = ResidentMegabytes("VmRSS");
    }
    state.counters["rss_first_MB"] = first;
    state.counters["rss_second_MB"] = second;
    state.counters["growth_pct"] = 100.0 * (second - first) / first;
}

BENCHMARK(BM_GenerateLargestTwice)->Iterations(1)->Unit(benchmark::kMillisecond);

// Last, so that the long line's window does not count in the resident figures above.
BENCHMARK(BM_LongLine_Paste)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();
// Each iteration goes to the end of the line and back again.
BENCHMARK_CAPTURE(BM_LongLine_Key, end_and_home, Qt::Key_End, Qt::NoModifier)
    ->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_LongLine_Key, ctrl_end_and_home, Qt::Key_End, Qt::ControlModifier)
    ->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LongLine_TypedCharacter)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" LUMIRO_SCREENS);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    lumiro::shell::InstallFontSubstitutes();
    lumiro::shell::InstallPolish();
    lumiro::shell::Application::SetExceptionDisplay(
        [](const QString& message) { qFatal("%s", qPrintable(message)); });

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
