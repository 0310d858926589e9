// The real path: kovela-sim as a separate program on a pseudo-terminal, the driver's serial
// port opened on it by device path.
#include "AR5000.h"
#include "SimBand.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

class TestPtyEndToEnd : public QObject {
    Q_OBJECT

private:
    QProcess FSimulator;
    QString FDevice;

    bool StartSimulator(const QStringList& extraArguments = {}) {
        const QString program = qEnvironmentVariable("KOVELA_SIM");
        if (program.isEmpty())
            return false;
        FSimulator.start(program, QStringList{u"--pty"_s} + extraArguments);
        if (!FSimulator.waitForStarted(5000))
            return false;
        FDevice.clear();
        while (FDevice.isEmpty() && FSimulator.waitForReadyRead(5000)) {
            while (FSimulator.canReadLine()) {
                const QString line = QString::fromLocal8Bit(FSimulator.readLine()).trimmed();
                if (line.startsWith(u"Device: "_s))
                    FDevice = line.mid(8);
            }
        }
        return !FDevice.isEmpty();
    }

    void OpenDriver(TAR5000& driver, QStringList& errors, int baud) {
        driver.Serial()->SetPortName(FDevice);
        driver.Serial()->SetBaudrate(baud);
        driver.Timeout = 2000;
        driver.ChangeVfoPauseMs = 0;
        driver.OnErrorMessage = [&errors](const QString& text) {
            errors << text;
        };
        driver.FSetPort(true);
    }

    static void WriteSearchBank(TAR5000& driver, int bank, double lower, double upper,
                                const QString& step) {
        TSearchList list;
        list.Bank = bank;
        list.Lower = lower;
        list.Upper = upper;
        list.Step = step;
        driver.WriteSearchBank(list, 3);
    }

private Q_SLOTS:
    void init() {
#ifndef Q_OS_UNIX
        QSKIP("pseudo-terminals need a POSIX system");
#endif
    }

    void cleanup() {
        FSimulator.kill();
        FSimulator.waitForFinished(3000);
    }

    void talksToTheSimulatorOverARealSerialPath() {
        QVERIFY2(StartSimulator({u"--baud"_s, u"19200"_s}), "kovela-sim did not start");
        TAR5000 driver;
        QStringList errors;
        OpenDriver(driver, errors, 19200);
        QVERIFY(driver.Connected());
        QVERIFY(driver.Remote());

        driver.SetFrequency(u'A', 145.5);
        driver.SetMode(1);
        TRxDat rec;
        QVERIFY(driver.SetVfo(u'A', rec));
        QCOMPARE(rec.Freq, 145.5);
        QCOMPARE(rec.Mode, 1);

        // A hook that asks the receiver something while its own reply is being dispatched:
        // the nested request must still hear its answer.
        bool nestedAnswered = false;
        driver.OnSignalLevel = [&](const TRxDat&) {
            driver.OnSignalLevel = {};
            TRxDat inner;
            nestedAnswered = driver.GetRx(inner);
        };
        const QString level = driver.GetLM();
        QVERIFY(!level.isEmpty());
        QVERIFY(nestedAnswered);

        TMAArray block{};
        QVERIFY(driver.GetMA(block));
        QCOMPARE(block[9].Channel, 9);
        QVERIFY(errors.isEmpty());

        driver.FSetPort(false);
        QVERIFY(!driver.Connected());
    }

    // The receiver searches on its own and reports each stop: a bank over a stretch of the
    // seeded band yields exactly the signals that lie there, each with a level that opened the
    // squelch, and nothing else.
    void programSearchOfASeededBank() {
        constexpr std::uint32_t kSeed = 3;
        constexpr int kSquelch = 130;
        constexpr qint64 kStepHz = 100'000;
        QVERIFY2(StartSimulator({u"--baud"_s, u"19200"_s, u"--seed"_s, QString::number(kSeed)}),
                 "kovela-sim did not start");
        // The broadcast band's carriers are steady and sit on its 100 kHz grid.
        const TSimBand band(kSeed);
        QList<qint64> expected;
        for (const TSimSignal& signal : band.Signals()) {
            if (signal.FreqHz < 87'500'000 || signal.FreqHz > 108'000'000)
                continue;
            QCOMPARE(signal.Kind, TSimSignalKind::Steady);
            QCOMPARE((signal.FreqHz - 87'500'000) % kStepHz, 0);
            expected.append(signal.FreqHz);
        }
        QVERIFY(expected.size() >= 4);
        expected = expected.mid(0, 4);

        TAR5000 driver;
        QStringList errors;
        OpenDriver(driver, errors, 19200);
        QVERIFY(driver.Connected());
        WriteSearchBank(driver, 5, static_cast<double>(expected.first()) / 1e6,
                        static_cast<double>(expected.last()) / 1e6, u"100.000"_s);
        driver.SetSearchGroup(0);
        driver.SetSearchLink(0);
        driver.SetSearchDelay(0);
        driver.SetSearchPause(1);
        driver.SetSearchLevel(0);
        driver.SetSearchVoice(0);
        driver.SetSquelch(kSquelch);
        driver.SetLevelOutput(true);

        QList<qint64> hits;
        QStringList levels;
        int bankReports = 0;
        driver.OnFrequency = [&](const TRxDat& rec) {
            hits.append(qRound64(rec.Freq * 1e6));
            levels.append(rec.Level);
        };
        driver.OnSearchBank = [&](int) {
            ++bankReports;
        };
        driver.StartSearch(5);
        // Once round the bank and on to its first signal again.
        QTRY_VERIFY_WITH_TIMEOUT(hits.size() > expected.size(), 30'000);
        driver.OnFrequency = {};
        driver.SetLevelOutput(false);
        TRxDat rec;
        QVERIFY(driver.SetVfo(u'A', rec)); // the receiver leaves the search

        QCOMPARE(hits.mid(0, expected.size() + 1), expected + QList<qint64>{expected.first()});
        for (const qint64 hit : std::as_const(hits))
            QVERIFY2(expected.contains(hit), qPrintable(QString::number(hit)));
        for (const QString& level : std::as_const(levels))
            QVERIFY2(level.toInt() >= 255 - kSquelch, qPrintable(level));
        QCOMPARE(bankReports, 0); // one bank, nothing linked
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'|')));
        driver.FSetPort(false);
    }

    // "--flood": every step of the search is a stop, whatever the band holds there.
    void floodFromTheCommandLine() {
        QVERIFY2(StartSimulator({u"--baud"_s, u"19200"_s, u"--flood"_s}),
                 "kovela-sim did not start");
        TAR5000 driver;
        QStringList errors;
        OpenDriver(driver, errors, 19200);
        QVERIFY(driver.Connected());
        WriteSearchBank(driver, 7, 144.0, 144.1, u"25.000"_s);
        QList<double> hits;
        driver.OnFrequency = [&](const TRxDat& rec) {
            hits.append(rec.Freq);
        };
        driver.StartSearch(7);
        QTRY_VERIFY_WITH_TIMEOUT(hits.size() >= 6, 10'000);
        driver.OnFrequency = {};
        TRxDat rec;
        QVERIFY(driver.SetVfo(u'A', rec));
        QCOMPARE(hits.mid(0, 6), (QList<double>{144.0, 144.025, 144.05, 144.075, 144.1, 144.0}));
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'|')));
        driver.FSetPort(false);
    }

    void simulatorGoingAwayIsReportedOnce() {
        QVERIFY2(StartSimulator(), "kovela-sim did not start");
        TAR5000 driver;
        QStringList errors;
        OpenDriver(driver, errors, 9600);
        QVERIFY(driver.Connected());
        QSignalSpy lost(&driver, &TAR5000::LinkLost);
        driver.FSetTimerStatus(true);
        FSimulator.kill();
        QTRY_COMPARE_WITH_TIMEOUT(lost.size(), 1, 5000);
        QVERIFY(!driver.Connected());
        QTest::qWait(300);
        QCOMPARE(lost.size(), 1);
        QCOMPARE(errors.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestPtyEndToEnd)
#include "tst_pty_end_to_end.moc"
