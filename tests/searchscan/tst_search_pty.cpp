// End to end: kovela-sim as a separate program on a pseudo-terminal, the main window's F Search
// page searching one of its seeded banks. The hits must be exactly the carriers of that bank.
#include "AR5000.h"
#include "LinkController.h"
#include "Main.h"
#include "PageWidgets.h"
#include "SearchPage.h"
#include "SearchScan.h"
#include "Settings.h"
#include "Simulator.h"
#include "UpDown.h"
#include "support/ScriptedPrompt.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <set>

using namespace Qt::StringLiterals;

namespace {

constexpr int kSeed = 1;
constexpr int kBank = 7; // the broadcast band: steady carriers only
constexpr int kSearchSquelch = 130;
constexpr int kPatientMs = 20000;
constexpr int kSweepLimitMs = 90000;

// The frequencies (Hz) where the seeded receiver's search of a bank opens the squelch.
std::set<qint64> ExpectedStops(int bank) {
    TSimOptions options;
    options.Seed = kSeed;
    const TSimReceiver receiver(options);
    const TSearchList list = receiver.SearchBank(bank);
    const auto hz = [](double mhz) {
        return static_cast<qint64>(std::llround(mhz * 1e6));
    };
    const qint64 step = hz(list.Step.toDouble() / 1000.0);
    std::set<qint64> stops;
    for (qint64 at = hz(list.Lower); at <= hz(list.Upper); at += step) {
        if (receiver.Band().PeakLevel(at) >= 255 - kSearchSquelch)
            stops.insert(at);
    }
    return stops;
}

// Every hit the page hands on.
class TRecordedHits final : public THitSink {
public:
    std::set<qint64> Frequencies;
    void RunStarted(THitSource, int) override {}
    void HitShown(THitSource, const THit& hit) override {
        Frequencies.insert(static_cast<qint64>(std::llround(hit.Record.Freq * 1e6)));
    }
    void RunStopped(THitSource) override {}
    void HitLeft(THitSource) override {}
};

} // namespace

class TestSearchPty : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FHome;
    QProcess FSimulator;

    QString StartSimulator() {
        const QString program = qEnvironmentVariable("KOVELA_SIM");
        if (program.isEmpty())
            return {};
        FSimulator.start(program, {u"--pty"_s, u"--seed"_s, QString::number(kSeed)});
        if (!FSimulator.waitForStarted(5000))
            return {};
        while (FSimulator.waitForReadyRead(5000)) {
            while (FSimulator.canReadLine()) {
                const QString line = QString::fromLocal8Bit(FSimulator.readLine()).trimmed();
                if (line.startsWith(u"Device: "_s))
                    return line.mid(8);
            }
        }
        return {};
    }

private Q_SLOTS:
    void initTestCase() {
#ifndef Q_OS_UNIX
        QSKIP("pseudo-terminals need a POSIX system");
#endif
        qputenv("KOVELA_HOME", FHome.path().toLocal8Bit());
    }
    void cleanup() {
        FSimulator.kill();
        FSimulator.waitForFinished(3000);
    }

    void SearchOfASeededBankHitsExactlyItsCarriers() {
        const std::set<qint64> expected = ExpectedStops(kBank);
        QVERIFY(!expected.empty());
        const QString device = StartSimulator();
        QVERIFY2(!device.isEmpty(), "kovela-sim did not start");

        auto previous = SetPrompt(std::make_unique<TScriptedPrompt>());
        TSettings settings;
        TMainForm form(settings);
        form.SetMessageSink([](const QString&) {});
        auto hits = std::make_unique<TRecordedHits>();
        TRecordedHits* recorded = hits.get();
        auto* pages = new TSearchScan(form, nullptr, std::move(hits));
        form.Driver()->Timeout = kPatientMs;
        form.Link()->SetDeviceOverride(device);
        form.show();
        form.findChild<QPushButton*>(u"OpenPortButton"_s)->click();
        QTRY_VERIFY_WITH_TIMEOUT(form.Driver()->Connected(), kPatientMs);

        auto* pageControl = form.findChild<QTabWidget*>(u"PageControl1"_s);
        pageControl->setCurrentIndex(2);
        QTRY_VERIFY_WITH_TIMEOUT(pageControl->isEnabled(), kPatientMs);
        TSearchPageController& page = *pages->SearchPage();
        const TSearchPageWidgets& w = page.Widgets();
        w.SearchFreqTabControl->Tab(kBank)->click();
        QTRY_VERIFY_WITH_TIMEOUT(w.SearchFreqTabControl->isEnabled(), kPatientMs);
        // One search bank, a second at each carrier.
        if (w.SearchLinkCheckBox->isChecked())
            w.SearchLinkCheckBox->click();
        w.sPauseEdit->setFocus();
        w.sPauseEdit->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), u"1"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);

        w.StartSearchMyBitButton->click();
        QVERIFY(form.RunFlags().SearchRunning);
        QTRY_VERIFY_WITH_TIMEOUT(recorded->Frequencies.size() >= expected.size(), kSweepLimitMs);
        w.SearchStopButton->click();
        QVERIFY(!form.RunFlags().SearchRunning);
        QCOMPARE(recorded->Frequencies, expected);
        form.findChild<QPushButton*>(u"OpenPortButton"_s)->click();
        SetPrompt(std::move(previous));
    }
};

QTEST_MAIN(TestSearchPty)
#include "tst_search_pty.moc"
