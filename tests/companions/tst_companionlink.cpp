#include "CompanionLink.h"
#include "PlayedCompanion.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A class name no other test run uses, so parallel runs never meet.
QString UniqueClass(const char* tag) {
    return u"TTest%1Form%2"_s.arg(QLatin1StringView(tag)).arg(QCoreApplication::applicationPid());
}

bool WriteScript(const QString& path, const QByteArray& body) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write("#!/bin/sh\n" + body + "\n");
    file.close();
    return file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

} // namespace

class TestCompanionLink : public QObject {
    Q_OBJECT

    QTemporaryDir FFolder;

    TCompanionInfo Info(const QString& windowClass) const {
        return {u"Qd3"_s, windowClass, u"Qd3.exe"_s, 12000,
                CompanionInfo(TCompanion::Qd3).NotFoundText};
    }

private Q_SLOTS:
    void TableOfCompanions() {
        QCOMPARE(CompanionInfo(TCompanion::Qd3).WindowClass, u"TQd3MainForm"_s);
        QCOMPARE(CompanionInfo(TCompanion::Kv7WavRecorder).StartWaitMs, 15000);
        QCOMPARE(CompanionInfo(TCompanion::Kv7Agent).ProgramFile, u"Kv7Agent.exe"_s);
        QVERIFY(CompanionServerName(u"TQd3MainForm"_s).startsWith(u"TQd3MainForm-"_s));
    }

    void EveryMessageBothWays() {
        const QString windowClass = UniqueClass("Both");
        TPlayedCompanion companion(windowClass);
        TCompanionLink link(Info(windowClass), FFolder.path());
        QVERIFY(!link.Linked());
        QVERIFY(link.Find());
        QTRY_VERIFY(companion.Client);

        const QList<TCompanionFrame> out = {
            {kMsgQd3Frequency, 675000, (145U << 16) | 3U},
            {kMsgAgent, 0x2020, 0x414200FF},
            {kMsgGrabberStart, 0, 0},
            {kMsgRecorderCommand, 1, 7},
            {kMsgQd3CallSign, 0, 0xFE},
            {kWmClose, 0, 0},
        };
        QByteArray expected;
        for (const TCompanionFrame& frame : out) {
            link.Post(frame.Message, frame.WParam, frame.LParam);
            expected += EncodeFrame(frame);
        }
        QTRY_COMPARE(companion.Received, expected);

        QSignalSpy received(&link, &TCompanionLink::FrameReceived);
        const QList<TCompanionFrame> in = {{kMsgTuneRequest, 50000, 7U << 16},
                                           {kMsgQd3Ends, 0, 0},
                                           {kMsgRecorderStatus, 4410, 10}};
        QByteArray stream;
        for (const TCompanionFrame& frame : in)
            stream += EncodeFrame(frame);
        companion.Send(stream);
        QTRY_COMPARE(received.size(), in.size());
        for (int i = 0; i < in.size(); ++i)
            QCOMPARE(received.at(i).at(0).value<TCompanionFrame>(), in.at(i));
    }

    void GarbageIsRejectedAndLinkStays() {
        const QString windowClass = UniqueClass("Garbage");
        TPlayedCompanion companion(windowClass);
        TCompanionLink link(Info(windowClass), FFolder.path());
        QVERIFY(link.Find());
        QTRY_VERIFY(companion.Client);
        QSignalSpy rejected(&link, &TCompanionLink::FrameRejected);
        QSignalSpy received(&link, &TCompanionLink::FrameReceived);
        companion.Send("not a frame at all");
        QTRY_COMPARE(rejected.size(), 1);
        QVERIFY(rejected.at(0).at(0).toString().contains(u"unknown message number"_s));
        QVERIFY(link.Linked());
        companion.Send(EncodeFrame({kMsgQd3Ends, 0, 0}));
        QTRY_COMPARE(received.size(), 1);
        link.Post(kMsgGrabberStart, 0, 0);
        QTRY_COMPARE(companion.Received, EncodeFrame({kMsgGrabberStart, 0, 0}));
    }

    void DeathMidMessageForgetsThenFindsAgain() {
        const QString windowClass = UniqueClass("Dies");
        TPlayedCompanion companion(windowClass);
        TCompanionLink link(Info(windowClass), FFolder.path());
        QVERIFY(link.Find());
        QTRY_VERIFY(companion.Client);
        QSignalSpy rejected(&link, &TCompanionLink::FrameRejected);
        QSignalSpy forgotten(&link, &TCompanionLink::Forgotten);
        companion.Send(EncodeFrame({kMsgTuneRequest, 1, 2}).left(5));
        companion.Client->disconnectFromServer();
        QTRY_COMPARE(forgotten.size(), 1);
        QVERIFY(!link.Linked());
        QCOMPARE(rejected.size(), 1);
        QCOMPARE(rejected.at(0).at(0).toString(), u"Companion frame rejected: 5 of 12 bytes"_s);
        // A message to a companion that has gone is lost without error.
        link.Post(kMsgGrabberStart, 0, 0);

        // The next use finds it again (here it is still listening).
        QString error;
        QVERIFY(link.FindOrStart(error));
        QVERIFY(error.isEmpty());
        QTRY_VERIFY(companion.Client && companion.Client->state() == QLocalSocket::ConnectedState);
    }

    void MissingProgramFile() {
        QTemporaryDir empty;
        TCompanionLink link(Info(UniqueClass("Missing")), empty.path());
        QString error;
        QVERIFY(!link.FindOrStart(error));
        QCOMPARE(error, u"Qd3 not found in Kv7 folder.  See Qd3 in Help index for info."_s);
    }

    void CompanionThatNeverAnswers() {
#ifdef Q_OS_WIN
        QSKIP("the silent companion is a shell script");
#endif
        QTemporaryDir folder;
        // Either name counts: the bare one here.
        QVERIFY(WriteScript(folder.filePath(u"Qd3"_s), "exit 0"));
        TCompanionLink link(Info(UniqueClass("Silent")), folder.path());
        link.StartWaitMs = 300;
        QString error;
        QVERIFY(!link.FindOrStart(error));
        QCOMPARE(error, u"Timed out waiting for Qd3 to start"_s);
        QVERIFY(!link.Linked());
    }

    void StartFailureNamesTheCompanion() {
        QTemporaryDir folder;
        // Executable, but nothing the system can run.
        QFile file(folder.filePath(u"Qd3.exe"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(64, '\x01'));
        file.close();
        QVERIFY(file.setPermissions(file.permissions() | QFileDevice::ExeOwner));
        TCompanionLink link(Info(UniqueClass("Broken")), folder.path());
        link.StartWaitMs = 300;
        QString error;
        QVERIFY(!link.FindOrStart(error));
        QVERIFY2(error.endsWith(u"\r\nFailed to start Qd3"_s) ||
                     error == u"Timed out waiting for Qd3 to start"_s,
                 qPrintable(error));
    }

    // The stand-in program, started the way the main window starts a companion, then driven.
    void StandInProgram() {
        const QString standIn = QStringLiteral(KOVELA_COMPANION_STANDIN);
        if (!QFile::exists(standIn))
            QSKIP(qPrintable(u"the stand-in companion was not built at "_s + standIn));
        const QString windowClass = UniqueClass("StandIn");
        QProcess process;
        process.start(standIn, {windowClass});
        QVERIFY2(process.waitForStarted(), qPrintable(process.errorString()));
        QByteArray output;
        QTRY_VERIFY((output += process.readAllStandardOutput()).contains("listening as"));

        TCompanionLink link(Info(windowClass), FFolder.path());
        QString error;
        QVERIFY2(link.FindOrStart(error), qPrintable(error));
        const TPackedPair pair = PackFrequency(145.675, 3);
        link.Post(kMsgQd3Frequency, pair);
        QTRY_VERIFY((output += process.readAllStandardOutput())
                        .contains("frequency 145.675000 MHz mode 3"));

        QSignalSpy received(&link, &TCompanionLink::FrameReceived);
        process.write("tune 7.05\n");
        QTRY_COMPARE(received.size(), 1);
        const auto frame = received.at(0).at(0).value<TCompanionFrame>();
        QCOMPARE(frame.Message, kMsgTuneRequest);
        QCOMPARE(UnpackTuneRequest(frame.WParam, frame.LParam), 7.05);

        link.Post(kWmClose, 0, 0);
        QVERIFY(process.waitForFinished(5000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    }

    void StartsProgramAndWaitsForIt() {
#ifdef Q_OS_WIN
        QSKIP("the starter is a shell script");
#endif
        const QString standIn = QStringLiteral(KOVELA_COMPANION_STANDIN);
        if (!QFile::exists(standIn))
            QSKIP(qPrintable(u"the stand-in companion was not built at "_s + standIn));
        QTemporaryDir folder;
        const QString windowClass = UniqueClass("Started");
        QVERIFY(WriteScript(folder.filePath(u"Qd3.exe"_s), "exec '" + standIn.toUtf8() + "' " +
                                                               windowClass.toUtf8() +
                                                               " >/dev/null </dev/null"));
        TCompanionLink link(Info(windowClass), folder.path());
        link.StartWaitMs = 10000;
        QString error;
        QVERIFY2(link.FindOrStart(error), qPrintable(error));
        QSignalSpy forgotten(&link, &TCompanionLink::Forgotten);
        // It ends on a close request, which drops the link.
        link.Post(kWmClose, 0, 0);
        QTRY_COMPARE(forgotten.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestCompanionLink)
#include "tst_companionlink.moc"
