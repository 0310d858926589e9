// The spectrum sweep: first the picture alone at 1920 x 1080 (one hit plotted and shown, and the
// whole picture of 10,000 hits redrawn), then a sweep in the real window against the in-process
// simulated receiver on a line paced at 19200 baud for 60 s (or the seconds given as the
// argument). The simulator floods: every step between VFO A and VFO B is a stop, reported as fast
// as the line carries it. Prints the hits the receiver sent and the hits the window drew per
// second, and the processor time of the whole process as a share of one core.
#include "BenchFigures.h"

#include "AR5000.h"
#include "LoopbackLink.h"
#include "Main.h"
#include "SearchScan.h"
#include "Settings.h"
#include "Simulator.h"
#include "SpecAnalyserUnit.h"
#include "SpectrumController.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

constexpr int kDefaultRunMs = 60000;
constexpr int kBaud = 19200;
constexpr int kPictureWidth = 1920;
constexpr int kPictureHeight = 1080;
constexpr int kPlottedHits = 2000;
constexpr int kRedrawnHits = 10000;

void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The picture on a shown 1920 x 1080 widget, 100 to 200 MHz in 5 kHz steps (20,000 steps, so
// 10,000 hits are all on frequencies of their own).
void MeasurePicture() {
    QWidget target;
    target.resize(kPictureWidth, kPictureHeight);
    target.show();
    TSweepPicture picture;
    picture.Surface().SetTarget(&target);
    const TSweepSetUp setUp = ComputeSweepScale(100.0, 200.0, u"5.000"_s);
    if (!setUp.Scale) {
        std::fprintf(stderr, "sweep refused: %s\n", qPrintable(setUp.Refusal));
        std::exit(1);
    }
    picture.SetScale(*setUp.Scale);
    picture.HGrid = true;
    picture.CreateLabelFont(kPictureWidth);
    picture.ClearPicture(true);

    // One hit as the window shows it: plotted, the grids drawn, and the widget painted.
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kPlottedHits; ++i) {
        picture.PlotHit(100.0 + i * 0.005, (i * 37) % 256, true);
        target.repaint();
    }
    PrintFigure("plot_hit_us", static_cast<double>(clock.nsecsElapsed()) / 1e3 / kPlottedHits,
                "us");

    picture.ClearPicture(true);
    for (int i = 0; i < kRedrawnHits; ++i)
        picture.PlotHit(100.0 + i * 0.005, (i * 37) % 256, false);
    clock.restart();
    picture.RedrawSweep();
    target.repaint();
    PrintFigure("redraw_10k_ms", static_cast<double>(clock.nsecsElapsed()) / 1e6, "ms");
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("KOVELA_HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);

    MeasurePicture();

    TSimOptions options;
    options.BaudRate = kBaud;
    options.FloodHits = true;
    TSimReceiver receiver(options);
    // Wide enough that a minute's stops never come round to a frequency again.
    TRxDat a = receiver.Vfo(u'A');
    a.Freq = 100.0;
    a.Step = u"12.500"_s;
    receiver.SetVfo(u'A', a);
    TRxDat b = receiver.Vfo(u'B');
    b.Freq = 200.0;
    receiver.SetVfo(u'B', b);
    TSimLoopback loopback(&receiver);
    TSettings settings;
    TMainForm form(settings);
    form.SetMessageSink(
        [](const QString& text) { std::fprintf(stderr, "message: %s\n", qPrintable(text)); });
    form.Driver()->Serial()->SetDevice(loopback.DriverEnd());
    auto* pages = new TSearchScan(form);
    TSpectrumController spectrum(form, pages, [] {});
    form.show();
    form.findChild<QPushButton*>(u"OpenPortButton"_s)->click();
    if (!form.Driver()->Connected()) {
        std::fprintf(stderr, "the simulated receiver did not answer\n");
        return 1;
    }
    form.findChild<QAction*>(u"SpecAnalyser1"_s)->trigger();
    TSpecAnalyserForm* window = spectrum.Form();
    if (!window) {
        std::fprintf(stderr, "the spectrum window did not open\n");
        return 1;
    }
    window->resize(kPictureWidth, kPictureHeight);

    qint64 hitsSent = 0;
    QObject::connect(&receiver, &TSimReceiver::LineSent, &app, [&hitsSent](const QString& line) {
        if (line.startsWith(u"RF"_s))
            ++hitsSent;
    });
    const double cpuBefore = ProcessCpuSeconds();
    QElapsedTimer elapsed;
    elapsed.start();
    window->findChild<QPushButton*>(u"SARunSpeedButton"_s)->click();
    if (!window->Sweeping()) {
        std::fprintf(stderr, "the sweep did not start\n");
        return 1;
    }
    // Every stop the window is handed is plotted before the handler returns.
    qint64 drawn = 0;
    std::function<void(const TRxDat&)> sweepHit = form.Driver()->OnFrequency;
    form.Driver()->OnFrequency = [&drawn, sweepHit](const TRxDat& rec) {
        sweepHit(rec);
        ++drawn;
    };
    const int runMs = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() * 1000 : kDefaultRunMs;
    Wait(runMs > 0 ? runMs : kDefaultRunMs);
    const double seconds = static_cast<double>(elapsed.elapsed()) / 1000.0;
    const double cpuSeconds = ProcessCpuSeconds() - cpuBefore;
    // The stops sent so far are still on their way down the line: they count once they are in.
    const qint64 sent = hitsSent;
    QElapsedTimer drain;
    drain.start();
    while (drawn < sent && drain.elapsed() < 5000)
        Wait(10);
    window->findChild<QPushButton*>(u"SARunSpeedButton"_s)->click();

    PrintFigure("hits_sent", static_cast<double>(sent));
    PrintFigure("hits_drawn", static_cast<double>(std::min(drawn, sent)));
    PrintFigure("hits_per_s", static_cast<double>(std::min(drawn, sent)) / seconds);
    PrintFigure("cpu_percent", cpuSeconds * 100.0 / seconds, "%");
    return 0;
}
