// The signal display against the in-process simulated receiver on a line paced at 9600 baud,
// with "Signal" on for 30 s: level replies shown per second, the processor time of the whole
// process (display, driver and simulator) as a share of one core, and the time of one graph
// redraw. The panel is shown offscreen so that every redraw is also painted.
#include "BenchFigures.h"

#include "AR5000.h"
#include "LoopbackLink.h"
#include "SignalDisplay.h"
#include "SignalPanel.h"
#include "Simulator.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRunMs = 30000;
constexpr int kBaud = 9600;
constexpr int kDrawRepeats = 20000;

double DrawMicroseconds(TSignalPanel& panel) {
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kDrawRepeats; ++i)
        panel.DrawSignalGraph((i * 37) % 256, 145.5);
    return static_cast<double>(timer.nsecsElapsed()) / 1000.0 / kDrawRepeats;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    TSimOptions options;
    options.BaudRate = kBaud;
    TSimReceiver receiver(options);
    TSimLoopback loopback(&receiver);
    TAR5000 driver;
    driver.Serial()->SetDevice(loopback.DriverEnd());
    driver.OnErrorMessage = [](const QString& text) {
        std::fprintf(stderr, "driver: %s\n", qPrintable(text));
    };
    driver.FSetPort(true);
    if (!driver.Connected()) {
        std::fprintf(stderr, "the simulated receiver did not answer\n");
        return 1;
    }

    QWidget page;
    auto* panel = new TSignalPanel(&page);
    auto* signal = new QCheckBox(u"Signal"_s, &page);
    auto* freq = new QCheckBox(u"Fre&q"_s, &page);
    signal->move(0, TSignalPanel::kHeight);
    freq->move(80, TSignalPanel::kHeight);
    TSignalDisplayController controller(&driver, panel, signal, freq);
    controller.Hook();
    // The heavier settings: graticules and the data text on every redraw.
    panel->Graticules1()->setChecked(true);
    panel->SignalData()->setChecked(true);
    page.show();

    int shown = 0;
    const auto showSignal = driver.OnSignalLevel;
    driver.OnSignalLevel = [&shown, &showSignal](const TRxDat& rec) {
        ++shown;
        showSignal(rec);
    };

    const double cpuBefore = ProcessCpuSeconds();
    QElapsedTimer elapsed;
    elapsed.start();
    signal->setChecked(true);
    QEventLoop loop;
    QTimer::singleShot(kRunMs, &loop, &QEventLoop::quit);
    loop.exec();
    signal->setChecked(false);
    const double seconds = static_cast<double>(elapsed.elapsed()) / 1000.0;
    const double cpuSeconds = ProcessCpuSeconds() - cpuBefore;

    PrintFigure("replies_per_s", shown / seconds);
    PrintFigure("cpu_percent", cpuSeconds * 100.0 / seconds, "%");
    PrintFigure("draw_us", DrawMicroseconds(*panel), "us");
    driver.FSetPort(false);
    return 0;
}
