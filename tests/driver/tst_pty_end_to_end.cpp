// The real path: kovela-sim as a separate program on a pseudo-terminal, the driver's serial
// port opened on it by device path.
#include "AR5000.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

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
