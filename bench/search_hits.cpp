// A program search on the real main window, offscreen, against the in-process simulated receiver
// on a line paced at 19200 baud, for 60 s (or the seconds given as the argument). The simulator
// floods: every step of the searched bank is a stop, reported as fast as the line carries it.
// Prints the hits the receiver sent,
// the hits the page showed, the 99th percentile of the time from a hit's line reaching the
// program to the page showing it, and the processor time of the whole process as a share of one
// core.
#include "BenchFigures.h"

#include "AR5000.h"
#include "LinkController.h"
#include "LoopbackLink.h"
#include "Main.h"
#include "SearchPage.h"
#include "SearchScan.h"
#include "Settings.h"
#include "Simulator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kDefaultRunMs = 60000;
constexpr int kBaud = 19200;
constexpr int kSearchPage = 2;
constexpr qint64 kLowerHz = 145'000'000;
constexpr qint64 kUpperHz = 147'000'000;

// Counts the hits that reached the page and how long each took from its line's arrival.
class TTimedHits final : public THitSink {
public:
    explicit TTimedHits(const QElapsedTimer& clock)
        : FClock(clock) {}
    qint64 ArrivedNs = 0;
    std::vector<double> LatenciesMs;

    void RunStarted(THitSource, int) override {}
    void HitShown(THitSource, const THit&) override {
        LatenciesMs.push_back(static_cast<double>(FClock.nsecsElapsed() - ArrivedNs) / 1e6);
    }
    void RunStopped(THitSource) override {}
    void HitLeft(THitSource) override {}
    void AddPassFrequency(THitSource, double) override {}

private:
    const QElapsedTimer& FClock;
};

void PrepareSearchBank(TSimReceiver& receiver) {
    TSearchList list;
    list.Bank = 0;
    list.Lower = static_cast<double>(kLowerHz) / 1e6;
    list.Upper = static_cast<double>(kUpperHz) / 1e6;
    list.Step = u"12.500"_s;
    receiver.SetSearchBank(list, 3);
    TSearchGroupDat group = receiver.SearchGroup(0);
    group.Delay = 0;
    group.Pause = 0;
    group.Level = 0;
    group.VoiceLevel = 0;
    group.Link = false;
    receiver.SetSearchGroup(group);
    TSimSettings settings = receiver.Settings();
    settings.CyberScan = true;
    receiver.SetSettings(settings);
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("KOVELA_HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);

    TSimOptions options;
    options.BaudRate = kBaud;
    options.FloodHits = true;
    TSimReceiver receiver(options);
    PrepareSearchBank(receiver);
    TSimLoopback loopback(&receiver);
    TSettings settings;
    TMainForm form(settings);
    form.SetMessageSink(
        [](const QString& text) { std::fprintf(stderr, "message: %s\n", qPrintable(text)); });
    QElapsedTimer clock;
    clock.start();
    auto hits = std::make_unique<TTimedHits>(clock);
    TTimedHits* timed = hits.get();
    // A hit's line has reached the program when the bytes that end it are there to be read:
    // stamped before the driver (connected later) reads them.
    QObject::connect(loopback.DriverEnd(), &QIODevice::readyRead, &app,
                     [timed, &clock] { timed->ArrivedNs = clock.nsecsElapsed(); });
    form.Driver()->Serial()->SetDevice(loopback.DriverEnd());
    auto* pages = new TSearchScan(form, nullptr, std::move(hits));
    form.show();

    form.findChild<QPushButton*>(u"OpenPortButton"_s)->click();
    if (!form.Driver()->Connected()) {
        std::fprintf(stderr, "the simulated receiver did not answer\n");
        return 1;
    }
    form.findChild<QTabWidget*>(u"PageControl1"_s)->setCurrentIndex(kSearchPage);

    qint64 hitsSent = 0;
    QObject::connect(&receiver, &TSimReceiver::LineSent, &app, [&hitsSent](const QString& line) {
        if (line.startsWith(u"RF"_s))
            ++hitsSent;
    });

    const double cpuBefore = ProcessCpuSeconds();
    QElapsedTimer elapsed;
    elapsed.start();
    pages->SearchPage()->StartSearchMyBitButtonClick();
    QEventLoop loop;
    // A shorter run can be asked for in seconds, for a quick look.
    const int runMs = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() * 1000 : kDefaultRunMs;
    QTimer::singleShot(runMs > 0 ? runMs : kDefaultRunMs, &loop, &QEventLoop::quit);
    loop.exec();
    const double seconds = static_cast<double>(elapsed.elapsed()) / 1000.0;
    const double cpuSeconds = ProcessCpuSeconds() - cpuBefore;
    // The hits sent so far are still on their way down the line: they count once they are in.
    const qint64 sent = hitsSent;
    QElapsedTimer drain;
    drain.start();
    while (static_cast<qint64>(timed->LatenciesMs.size()) < sent && drain.elapsed() < 5000) {
        QEventLoop wait;
        QTimer::singleShot(10, &wait, &QEventLoop::quit);
        wait.exec();
    }
    pages->SearchPage()->SearchStopButtonClick();
    const auto shown = std::min<qint64>(static_cast<qint64>(timed->LatenciesMs.size()), sent);
    std::vector<double> latencies(timed->LatenciesMs.begin(),
                                  timed->LatenciesMs.begin() + static_cast<std::ptrdiff_t>(shown));
    std::sort(latencies.begin(), latencies.end());
    const double p99 = latencies.empty() ? 0.0 : latencies[(latencies.size() - 1) * 99 / 100];

    PrintFigure("hits_sent", static_cast<double>(sent));
    PrintFigure("hits_shown", static_cast<double>(shown));
    PrintFigure("hit_latency_p99_ms", p99, "ms");
    PrintFigure("cpu_percent", cpuSeconds * 100.0 / seconds, "%");
    return 0;
}
