// A long unattended run of the whole program on its built-in simulated receiver (on a
// pseudo-terminal, so the real serial path is used): the signal display polling, and in turns a
// program search of the receiver's own with every stop counted, then tuning and memory reads
// from the main window's driver. Resident memory and open file descriptors are sampled
// throughout; their growth over the run is what this measures.
//   bench_soak [minutes] [sample-seconds]     (default 10 minutes, a sample a minute)
#include "BenchFigures.h"

#include "AR5000.h"
#include "KovelaApplication.h"
#include "Main.h"
#include "MainSheet.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <vector>

namespace {

constexpr int kPhaseMs = 20000;

int OpenFiles() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd"))
                                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                                .size());
}

void Run(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Least-squares slope of y over x.
double Slope(const std::vector<double>& x, const std::vector<double>& y) {
    const auto n = static_cast<double>(x.size());
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sx += x[i];
        sy += y[i];
        sxx += x[i] * x[i];
        sxy += x[i] * y[i];
    }
    const double d = n * sxx - sx * sx;
    return d == 0.0 ? 0.0 : (n * sxy - sx * sy) / d;
}

} // namespace

int main(int argc, char* argv[]) {
    const double minutes = argc > 1 ? QString::fromLocal8Bit(argv[1]).toDouble() : 10.0;
    const int sampleMs = (argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 60) * 1000;
    if (minutes <= 0 || sampleMs <= 0) {
        std::fprintf(stderr, "usage: bench_soak [minutes] [sample-seconds]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("KOVELA_HOME", home.path().toLocal8Bit());
    TKovelaApplication app(argc, argv);
    TStartOptions options;
    options.Simulate = true;
    options.Splash = false;
    if (!app.Start(options))
        return 1;
    TMainForm* form = app.MainForm();
    TAR5000* driver = form->Driver();
    // On a loaded machine the first answer may miss its time: open again, as a user would.
    for (int attempt = 0; attempt < 5 && !driver->Connected(); ++attempt) {
        QElapsedTimer opening;
        opening.start();
        while (!driver->Connected() && opening.elapsed() < 10000)
            Run(100);
        if (!driver->Connected())
            form->MainSheet()->Widgets().OpenPortButton->click();
    }
    if (!driver->Connected()) {
        std::fprintf(stderr, "the link to the simulated receiver did not open\n");
        return 1;
    }

    int errors = 0;
    const auto sink = form->MessageSink;
    form->MessageSink = [&errors, &sink](const QString& text) {
        ++errors;
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        if (sink)
            sink(text);
    };
    int hits = 0;
    int memoryReads = 0;

    QCheckBox* signal = form->MainSheet()->Widgets().TimerCheckBox;
    std::vector<double> at;
    std::vector<double> rss;
    std::vector<double> fds;
    QElapsedTimer elapsed;
    elapsed.start();
    const auto sample = [&] {
        at.push_back(static_cast<double>(elapsed.elapsed()) / 3600000.0);
        rss.push_back(ResidentMb());
        fds.push_back(OpenFiles());
    };
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, sample);
    sampler.start(sampleMs);
    sample();

    const auto runMs = static_cast<qint64>(minutes * 60000.0);
    for (int phase = 0; elapsed.elapsed() < runMs; ++phase) {
        const int ms = static_cast<int>(std::min<qint64>(kPhaseMs, runMs - elapsed.elapsed()));
        switch (phase % 3) {
        case 0: // the signal display, as a user leaves it
            signal->setChecked(true);
            Run(ms);
            signal->setChecked(false);
            break;
        case 1: // the receiver searches by itself; every stop is a hit
            driver->SetLevelOutput(true);
            driver->OnFrequency = [&hits](const TRxDat&) {
                ++hits;
            };
            driver->StartSearch(phase % 20);
            Run(ms);
            driver->OnFrequency = {};
            driver->SetLevelOutput(false);
            driver->ChangeVfo(u'A');
            break;
        default: { // tuning and reading memory blocks
            QElapsedTimer busy;
            busy.start();
            for (int step = 0; busy.elapsed() < ms; ++step) {
                driver->SetFrequency(u'A', 100.0 + step % 500 * 0.0125);
                TMAArray block{};
                if (driver->GetMA(block))
                    ++memoryReads;
            }
        }
        }
    }
    sample();

    PrintFigure("minutes", static_cast<double>(elapsed.elapsed()) / 60000.0, "min");
    PrintFigure("rss_start_mb", rss.front(), "MB");
    PrintFigure("rss_end_mb", rss.back(), "MB");
    // The first sample is taken before the caches of a running program have filled.
    const std::vector<double> laterAt(at.begin() + (at.size() > 2 ? 1 : 0), at.end());
    const std::vector<double> laterRss(rss.begin() + (rss.size() > 2 ? 1 : 0), rss.end());
    PrintFigure("rss_growth_mb_per_h", Slope(laterAt, laterRss), "MB/h");
    PrintFigure("fd_growth", fds.back() - fds.front());
    PrintFigure("hits_seen", hits);
    PrintFigure("memory_blocks_read", memoryReads);
    PrintFigure("errors", errors);
    return 0;
}
