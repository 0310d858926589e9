// A program search on the real main window, offscreen, against the in-process simulated receiver
// on a line paced at 19200 baud, for 60 s (or the seconds given as the argument). The simulator
// floods: every step of the searched bank is a stop, reported as fast as the line carries it.
// Prints the hits the receiver sent,
// the hits the page showed, the 99th percentile of the time from a hit's line reaching the
// program to the page showing it, and the processor time of the whole process as a share of one
// core.
// With "logged" as the second argument the hits are kept as a user keeps them: "Log to file" on
// and "Auto Log to Log table" into a log table already holding 100,000 rows. It then prints the
// hits in the file and in the table, and the latency up to the row added.
#include "BenchFigures.h"

#include "AR5000.h"
#include "CategoryTable.h"
#include "HitKeeper.h"
#include "HitLogFile.h"
#include "IniFile.h"
#include "LinkController.h"
#include "LogTable.h"
#include "LoopbackLink.h"
#include "Main.h"
#include "ProgramFolder.h"
#include "SearchPage.h"
#include "SearchScan.h"
#include "Settings.h"
#include "Simulator.h"
#include "SqlDialect.h"
#include "TableEngine.h"
#include "TableView.h"
#include "UnitLog.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
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
// Wide enough that a minute's hits never come round to a frequency again: the log table keeps
// one row per frequency.
constexpr qint64 kLowerHz = 100'000'000;
constexpr qint64 kUpperHz = 200'000'000;
constexpr int kLogRows = 100000;

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

// A log table holding kLogRows rows on frequencies the search never reaches.
QString MakeLogTable() {
    const QString path = DataFolder() + u"/Bench_Kv7.DB"_s;
    TTableEngine engine(DataFolder());
    QString error;
    int row = 0;
    const bool ok =
        CreateLogTable(engine, path, error) &&
        EnsureCategoryTable(engine, CategoryTableFileFor(path), error) &&
        engine.InsertRows(QuoteFileName(path),
                          {u"Freq"_s, u"Mode"_s, u"LogDate"_s, u"LogTime"_s, u"Signal"_s},
                          [&](TRowBinder& binder) {
                              if (row == kLogRows)
                                  return false;
                              binder.BindNumber(0, 400.0 + row * 0.0125);
                              binder.BindText(1, u"FM");
                              binder.BindText(2, u"2026-12-10");
                              binder.BindText(3, u"12:00:00");
                              binder.BindInteger(4, row % 256);
                              ++row;
                              return true;
                          });
    if (!ok) {
        std::fprintf(stderr, "log table: %s %s\n", qPrintable(error),
                     qPrintable(engine.LastError()));
        std::exit(1);
    }
    return path;
}

int CountHitLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    int lines = 0;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        // Hit lines start with the time: "h:m:s,ms,".
        if (!line.isEmpty() && line.at(0) >= '0' && line.at(0) <= '9' && line.contains(','))
            ++lines;
    }
    return lines;
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
    const bool logged = argc > 2 && qstrcmp(argv[2], "logged") == 0;
    auto hits = std::make_unique<TTimedHits>(clock);
    TTimedHits* timed = hits.get();
    // A hit's line has reached the program when the bytes that end it are there to be read:
    // stamped before the driver (connected later) reads them.
    QObject::connect(loopback.DriverEnd(), &QIODevice::readyRead, &app,
                     [timed, &clock] { timed->ArrivedNs = clock.nsecsElapsed(); });
    form.Driver()->Serial()->SetDevice(loopback.DriverEnd());
    // Logged, the pages keep their own hit keeper; the time is taken when the row is added.
    auto* pages = new TSearchScan(form, nullptr, logged ? nullptr : std::move(hits));
    form.show();
    QString logTable;
    QString hitLog;
    TFormLog* logForm = nullptr;
    if (logged) {
        logTable = MakeLogTable();
        TIniFile(SettingsFileName()).WriteString(u"Tables"_s, u"LogTable"_s, logTable);
        logForm = new TFormLog(form);
        logForm->show();
        pages->HitKeeper()->SetAutoLogTarget({
            [] { return true; },
            [logForm] { return logForm->QLog().Active(); },
            [] {}, // no category asked: nobody is there to answer
            [logForm, timed, &clock](const TAutoLogEntry& e) {
                logForm->AddEntry(e.FreqText, e.ModeText, e.Stadj, e.Level, e.Squelch, e.AntText,
                                  e.StepText, e.BwText);
                timed->HitShown(THitSource::ProgramSearch, {});
            },
            [logForm](bool on) { logForm->setEnabled(on); },
        });
        hitLog = DataFolder() + u"/Bench.csv"_s;
    }

    form.findChild<QPushButton*>(u"OpenPortButton"_s)->click();
    if (!form.Driver()->Connected()) {
        std::fprintf(stderr, "the simulated receiver did not answer\n");
        return 1;
    }
    form.findChild<QTabWidget*>(u"PageControl1"_s)->setCurrentIndex(kSearchPage);
    if (logged) {
        if (!pages->HitKeeper()->LogFile().Open(hitLog)) {
            std::fprintf(stderr, "the hit log did not open\n");
            return 1;
        }
        pages->HitKeeper()->UpdateAutoLogItem();
        QAction* autoLog = pages->SearchPage()->Widgets().AutoLogtoLogtable1;
        if (!autoLog->isEnabled()) {
            std::fprintf(stderr, "auto-logging is not offered\n");
            return 1;
        }
        autoLog->setChecked(true);
    }

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
    if (logged) {
        pages->HitKeeper()->StopLogging();
        const int inTable = logForm->QLog().RecordCount() - kLogRows;
        PrintFigure("hits_in_file", CountHitLines(hitLog));
        PrintFigure("hits_in_table", inTable);
    } else {
        PrintFigure("hits_shown", static_cast<double>(shown));
    }
    PrintFigure("hit_latency_p99_ms", p99, "ms");
    PrintFigure("cpu_percent", cpuSeconds * 100.0 / seconds, "%");
    return 0;
}
