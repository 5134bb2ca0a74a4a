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

double PeakResidentMegabytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;  // kB
    return 0.0;
}

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
