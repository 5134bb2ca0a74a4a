// Confirm and generate through the real window, headless, until the text is in
// the output area; peak resident memory is reported beside the time.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include <fstream>
#include <string>

#include "application.h"
#include "tform1.h"

namespace {

// "VmHWM" (peak) or "VmRSS" (now) from /proc/self/status, in MB.
double ResidentMegabytes(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field + ":", 0) == 0)
            return std::stod(line.substr(field.size() + 1)) / 1024.0;  // kB
    return 0.0;
}

double PeakResidentMegabytes() { return ResidentMegabytes("VmHWM"); }

void BM_ConfirmAndGenerate(benchmark::State& state)
{
    TForm1 form;
    form.show();
    QApplication::processEvents();
    auto* edit1 = form.findChild<QLineEdit*>(QStringLiteral("Edit1"));
    auto* button1 = form.findChild<QPushButton*>(QStringLiteral("Button1"));
    auto* button2 = form.findChild<QPushButton*>(QStringLiteral("Button2"));

    for (auto _ : state) {
        edit1->setText(QString::number(state.range(0)));
        button1->click();
        button2->click();  // returns once the text is in the control
    }
    state.counters["peak_MB"] = PeakResidentMegabytes();
}

BENCHMARK(BM_ConfirmAndGenerate)
    ->Arg(1024)
    ->Arg(262144)
    ->Arg(4194304)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The second table of the largest size must release the first: resident
// memory after it stays within 10 % of what it was after the first.
void BM_GenerateLargestTwice(benchmark::State& state)
{
    TForm1 form;
    form.show();
    QApplication::processEvents();
    form.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("4194304"));
    form.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    auto* button2 = form.findChild<QPushButton*>(QStringLiteral("Button2"));

    double first = 0;
    double second = 0;
    for (auto _ : state) {
        button2->click();
        first = ResidentMegabytes("VmRSS");
        button2->click();
        second = ResidentMegabytes("VmRSS");
    }
    state.counters["rss_first_MB"] = first;
    state.counters["rss_second_MB"] = second;
    state.counters["growth_pct"] = 100.0 * (second - first) / first;
}

BENCHMARK(BM_GenerateLargestTwice)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    lumiro::shell::InstallFontSubstitutes();
    lumiro::shell::Application::SetExceptionDisplay(
        [](const QString& message) { qFatal("%s", qPrintable(message)); });

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
