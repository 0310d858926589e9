// Priority watching on the real main window, offscreen, against the in-process simulated receiver
// on a line paced at 9600 baud with 10 ms of reply latency. Five quiet channels are watched.
// Prints the time of one cycle, its ratio to the least it can take (the line time of the bytes
// it moved, the receiver's latency for each reply and the 300 ms settling pause per channel),
// and the processor time of the whole process while "P" is on and waiting for the next cycle,
// as a share of one core.
#include "BenchFigures.h"

#include "AR5000.h"
#include "LoopbackLink.h"
#include "Main.h"
#include "MainSheet.h"
#include "PriorityPage.h"
#include "SearchScan.h"
#include "Settings.h"
#include "Simulator.h"
#include "UpDown.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

constexpr int kBaud = 9600;
constexpr int kLatencyMs = 10;
constexpr int kPeriodSeconds = 5;
constexpr int kIdleMs = 3000;
constexpr int kChannels[] = {11, 222, 333, 444, 555};

void RunFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("KOVELA_HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);

    TSimOptions options;
    options.BaudRate = kBaud;
    options.LatencyMs = kLatencyMs;
    TSimReceiver receiver(options);
    receiver.Band().SetSignals({});
    TSimLoopback loopback(&receiver);
    TSettings settings;
    TMainForm form(settings);
    form.SetMessageSink(
        [](const QString& text) { std::fprintf(stderr, "message: %s\n", qPrintable(text)); });
    form.Driver()->Serial()->SetDevice(loopback.DriverEnd());
    auto* pages = new TSearchScan(form);
    form.show();

    form.findChild<QPushButton*>(u"OpenPortButton"_s)->click();
    if (!form.Driver()->Connected()) {
        std::fprintf(stderr, "the simulated receiver did not answer\n");
        return 1;
    }
    TPriorityController& priority = *pages->Priority();
    const TPriorityPageWidgets& w = priority.Widgets();
    for (std::size_t k = 0; k < std::size(kChannels); ++k) {
        w.PriorityUpDown[k]->SetPosition(kChannels[k]);
        w.PrioritySelectCheckBox[k]->setChecked(true);
    }
    w.PriorityPeriodUpDown->SetPosition(kPeriodSeconds);
    priority.PriorityCheckBox1()->click();

    // One cycle, started as the timer starts it; the handler returns when the cycle is over.
    qint64 replies = 0;
    QObject::connect(&receiver, &TSimReceiver::LineSent, &app, [&replies] { ++replies; });
    const qint64 bytesBefore = receiver.BytesReceived() + receiver.BytesSent();
    QElapsedTimer cycle;
    cycle.start();
    priority.PriorityTimer();
    const double cycleMs = static_cast<double>(cycle.nsecsElapsed()) / 1e6;
    const qint64 bytes = receiver.BytesReceived() + receiver.BytesSent() - bytesBefore;
    const double leastMs = LineTimeMs(bytes, kBaud) + static_cast<double>(replies) * kLatencyMs +
                           static_cast<double>(std::size(kChannels)) * priority.RecallSettleMs;

    // The timer's own cycle, then the wait for the next one.
    QEventLoop ticked;
    QObject::connect(&priority, &TPriorityController::CycleFinished, &ticked, &QEventLoop::quit);
    QTimer::singleShot(kPeriodSeconds * 2000, &ticked, &QEventLoop::quit);
    ticked.exec();
    const double cpuBefore = ProcessCpuSeconds();
    QElapsedTimer idle;
    idle.start();
    RunFor(kIdleMs);
    const double idleSeconds = static_cast<double>(idle.elapsed()) / 1000.0;
    const double idleCpu = (ProcessCpuSeconds() - cpuBefore) * 100.0 / idleSeconds;
    priority.PriorityCheckBox1()->click();

    PrintFigure("cycle_ms", cycleMs, "ms");
    PrintFigure("cycle_ratio", cycleMs / leastMs);
    PrintFigure("idle_cpu_percent", idleCpu, "%");
    return 0;
}
