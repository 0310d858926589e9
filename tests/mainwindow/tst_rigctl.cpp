// Hamlib clients on the network rig-control endpoint: Hamlib's own rigctl against a main window
// on the simulated receiver, and raw sockets for what no well-behaved client sends.
#include "PanelFixture.h"
#include "RigctlController.h"
#include "RunFlags.h"

#include <QComboBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>

using namespace Qt::StringLiterals;

namespace {

struct TRigctlRun {
    int ExitCode = -1;
    QStringList Output;
    QString Errors;
};

} // namespace

class TstRigctl : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        FPanel = std::make_unique<TPanelFixture>();
        TSettings& settings = FPanel->Form->Settings();
        settings.RigctlEnabled = true;
        settings.RigctlPort = 0; // any free port
        QVERIFY(FPanel->Open());
        QVERIFY(Server().IsActive());
        FPort = Server().ServerPort();
    }
    void cleanup() { FPanel.reset(); }

    void HamlibReadsAndSetsThroughThePanel() {
        const QString rigctl = Rigctl();
        if (rigctl.isEmpty())
            QSKIP("rigctl (Debian package libhamlib-utils) is not installed");
        const QChar letter = FPanel->State().CurrentVfo;
        QVERIFY(IsVfoLetter(letter));

        TRigctlRun run = RunRigctl({u"F"_s, u"145512500"_s, u"M"_s, u"AM"_s, u"6000"_s, u"f"_s,
                                    u"m"_s, u"l"_s, u"STRENGTH"_s});
        QCOMPARE(run.ExitCode, 0);
        QCOMPARE(run.Output.mid(0, 3), (QStringList{u"145512500"_s, u"AM"_s, u"6000"_s}));
        bool isNumber = false;
        run.Output.value(3).toInt(&isNumber);
        QVERIFY2(isNumber, qPrintable(run.Output.join(u'|')));
        // The panel shows what the client did, as if the user had done it.
        QVERIFY(FPanel->Edit(u"EditVco"_s + letter)->text().contains(u"145.5125"_s));
        QTRY_COMPARE(FPanel->Find<QComboBox>(u"ModeComboBox"_s)->currentText(), u"AM"_s);
        QTRY_COMPARE(FPanel->Find<QComboBox>(u"BandwidthComboBox"_s)->currentText(), u"6.0"_s);

        run = RunRigctl({u"V"_s, u"VFOB"_s, u"v"_s, u"L"_s, u"SQL"_s, u"0.5"_s, u"l"_s, u"SQL"_s});
        QCOMPARE(run.ExitCode, 0);
        QCOMPARE(run.Output.value(0), u"VFOB"_s);
        QVERIFY(qAbs(run.Output.value(1).toDouble() - 128.0 / 255.0) < 1e-6);
        QCOMPARE(FPanel->State().CurrentVfo, u'B');
        QCOMPARE(FPanel->Edit(u"SquelchEditB"_s)->text(), u"128"_s);
        QVERIFY(FPanel->SentSettled().contains(u"RQ128"_s));
    }

    void HamlibSettingsAreRefusedWhileAScanRuns() {
        if (Rigctl().isEmpty())
            QSKIP("rigctl (Debian package libhamlib-utils) is not installed");
        const QChar letter = FPanel->State().CurrentVfo;
        const QString shown = FPanel->Edit(u"EditVco"_s + letter)->text();
        FPanel->Receiver.ClearReceivedLines();
        FPanel->Form->RunFlags().ScanRunning = true;
        const TRigctlRun run = RunRigctl({u"F"_s, u"430000000"_s});
        FPanel->Form->RunFlags().ScanRunning = false;
        // rigctl tells the error on its standard output, and ends well all the same.
        const QString told = run.Output.join(u'\n') + run.Errors;
        QVERIFY2(told.contains(u"rejected"_s, Qt::CaseInsensitive), qPrintable(told));
        QCOMPARE(FPanel->Edit(u"EditVco"_s + letter)->text(), shown);
        for (const QString& line : FPanel->SentSettled())
            QVERIFY2(!line.startsWith(u"V"_s + letter), qPrintable(line));
    }

    // Garbage gets Hamlib's error reply; a line past the cap and a flood end the connection.
    void BadClientsAreAnsweredOrCutOff() {
        QTcpSocket garbage;
        garbage.connectToHost(QHostAddress::LocalHost, FPort);
        QVERIFY(garbage.waitForConnected(5000));
        garbage.write("\x01\x02zzz\r\nf\n");
        QByteArray replies;
        QVERIFY(QTest::qWaitFor(
            [&] {
                replies += garbage.readAll();
                return replies.count('\n') >= 2;
            },
            TPanelFixture::kPatientMs));
        QVERIFY2(replies.startsWith("RPRT -1\n"), replies.constData());
        QVERIFY2(replies.mid(8).trimmed().toLongLong() > 0, replies.constData());

        QTcpSocket longLine;
        longLine.connectToHost(QHostAddress::LocalHost, FPort);
        QVERIFY(longLine.waitForConnected(5000));
        longLine.write(QByteArray(TRigctlServer::kDefaultLineCap + 100, 'f'));
        QTRY_COMPARE_WITH_TIMEOUT(longLine.state(), QAbstractSocket::UnconnectedState, 10000);

        QTcpSocket flood;
        flood.connectToHost(QHostAddress::LocalHost, FPort);
        QVERIFY(flood.waitForConnected(5000));
        flood.write(QByteArray("f\n").repeated(TRigctlServer::kDefaultQueueCap * 4));
        QTRY_COMPARE_WITH_TIMEOUT(flood.state(), QAbstractSocket::UnconnectedState, 10000);
        QVERIFY(FPanel->Messages.join(u'\n').contains(u"without a line end"_s));
        QVERIFY(FPanel->Messages.join(u'\n').contains(u"commands were waiting"_s));
        // The well-behaved client is still served.
        garbage.write("v\n");
        replies.clear();
        QVERIFY(QTest::qWaitFor(
            [&] {
                replies += garbage.readAll();
                return replies.endsWith('\n');
            },
            TPanelFixture::kPatientMs));
        QVERIFY2(replies.startsWith("VFO"), replies.constData());
    }

    void OnlyAllowedClientsAndOnlyWhileOpen() {
        TSettings& settings = FPanel->Form->Settings();
        settings.RigctlAllowedClients = u"192.0.2.7"_s;
        settings.RigctlPort = FPort;
        FPanel->Form->Rigctl()->ApplySettings();
        QTcpSocket refused;
        refused.connectToHost(QHostAddress::LocalHost, FPort);
        QVERIFY(refused.waitForConnected(5000));
        QTRY_COMPARE_WITH_TIMEOUT(refused.state(), QAbstractSocket::UnconnectedState, 10000);
        QVERIFY(FPanel->Messages.join(u'\n').contains(u"Address not allowed"_s));

        FPanel->Find<QPushButton>(u"OpenPortButton"_s)->click();
        QTRY_VERIFY(!FPanel->Form->Driver()->Connected());
        QVERIFY(!Server().IsActive());
        settings.RigctlEnabled = false;
        FPanel->Find<QPushButton>(u"OpenPortButton"_s)->click();
        QTRY_VERIFY(FPanel->Form->Driver()->Connected());
        QVERIFY(!Server().IsActive());
    }

private:
    TRigctlServer& Server() const { return FPanel->Form->Rigctl()->Server(); }
    static QString Rigctl() { return QStandardPaths::findExecutable(u"rigctl"_s); }

    // Runs Hamlib's rigctl on its network rig model against the endpoint; the event loop runs
    // meanwhile, so the endpoint answers.
    TRigctlRun RunRigctl(const QStringList& commands) const {
        QProcess process;
        process.start(Rigctl(),
                      QStringList{u"-m"_s, u"2"_s, u"-r"_s, u"127.0.0.1:%1"_s.arg(FPort)} +
                          commands);
        TRigctlRun run;
        if (!process.waitForStarted(5000))
            return run;
        const bool ended = QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; },
                                           TPanelFixture::kPatientMs);
        if (!ended)
            process.kill();
        run.ExitCode =
            ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.Output = QString::fromLocal8Bit(process.readAllStandardOutput())
                         .split(u'\n', Qt::SkipEmptyParts);
        run.Errors = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }

    std::unique_ptr<TPanelFixture> FPanel;
    quint16 FPort = 0;
};

QTEST_MAIN(TstRigctl)
#include "tst_rigctl.moc"
