// Recording through the companion recorder program, played in the test by a local server under
// the recorder's class name.
#include "companions/PlayedCompanion.h"
#include "mainwindow/PanelFixture.h"

#include "AudioSource.h"
#include "CompanionController.h"
#include "CompanionRecorderProgram.h"
#include "WavRecorder.h"

#include <QSignalSpy>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

struct TRecorderFixture : TPanelFixture {
    QTemporaryDir Folder;
    TCompanionController Companions{*Form, Folder.path()};
    TCompanionRecorderProgram* Program = nullptr;
    std::unique_ptr<TWavRecorder> Recorder;

    TRecorderFixture() {
        Companions.Link(TCompanion::Kv7WavRecorder).StartWaitMs = 300;
        auto program = std::make_unique<TCompanionRecorderProgram>(Companions);
        Program = program.get();
        Recorder = std::make_unique<TWavRecorder>(std::make_unique<TFakeAudioSource>(),
                                                  std::move(program));
        Recorder->UseMCI = false;
        Recorder->AddMessage = [this](const QString& text) {
            Messages << text;
        };
    }
};

// The command codes of what the recorder heard.
QList<std::uint32_t> Commands(const QList<TCompanionFrame>& frames) {
    QList<std::uint32_t> codes;
    for (const TCompanionFrame& frame : frames)
        if (frame.Message == kMsgRecorderCommand)
            codes << frame.LParam;
    return codes;
}

} // namespace

class TstRecorderProgram : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        qputenv("USER", "recorder-test-" + QByteArray::number(QCoreApplication::applicationPid()));
        qputenv("KOVELA_HOME", FHome.path().toLocal8Bit());
    }

    void aRunIsCommandedInTheRecordersCodes() {
        TRecorderFixture f;
        TPlayedCompanion recorder(TCompanion::Kv7WavRecorder);
        f.Recorder->OpenWavFile();
        QVERIFY(f.Recorder->WavFileOpen());
        QCOMPARE(Commands(recorder.Take(1)), QList<std::uint32_t>{2});
        f.Recorder->StartWavRecording();
        QVERIFY(f.Recorder->WavRecording());
        QCOMPARE(Commands(recorder.Take(2)), (QList<std::uint32_t>{5, 3}));
        f.Recorder->StopWavRecording();
        QCOMPARE(Commands(recorder.Take(1)), QList<std::uint32_t>{4});
        f.Recorder->StartWavRecording();
        QCOMPARE(Commands(recorder.Take(2)), (QList<std::uint32_t>{5, 3}));
        f.Recorder->SaveAndCloseWavFile();
        QCOMPARE(Commands(recorder.Take(2)), (QList<std::uint32_t>{4, 12}));
        QVERIFY(!f.Recorder->WavFileOpen());
        QVERIFY(f.Messages.isEmpty());
    }

    void thePositionIsAskedForAndAwaited() {
        TRecorderFixture f;
        TPlayedCompanion recorder(TCompanion::Kv7WavRecorder);
        f.Recorder->OpenWavFile();
        f.Recorder->StartWavRecording();
        recorder.Take(3);
        // The recorder answers the position request once it has heard it.
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (Commands(recorder.Frames).contains(10)) {
                answer.stop();
                recorder.Send({kMsgRecorderStatus, 12005, 10});
            }
        });
        answer.start(5);
        QCOMPARE(f.Recorder->PositionText(), u"12005"_s);
        QVERIFY(f.Messages.isEmpty());

        // No answer: the wait ends on its time-out and says so.
        f.Program->PositionTimeoutMs = 50;
        QCOMPARE(f.Recorder->PositionText(), u"0"_s);
        QCOMPARE(f.Messages, QStringList{u"Timed Out waiting for wav file position"_s});
    }

    void aRecorderThatGoesAwayEndsTheWaitAndTheRecording() {
        TRecorderFixture f;
        auto recorder = std::make_unique<TPlayedCompanion>(TCompanion::Kv7WavRecorder);
        f.Recorder->OpenWavFile();
        f.Recorder->StartWavRecording();
        recorder->Take(3);
        QTimer::singleShot(20, [&] { recorder.reset(); });
        QCOMPARE(f.Recorder->PositionText(), u"0"_s);
        // The wait ended on the recorder going, not on its time-out.
        QCOMPARE(f.Messages,
                 QStringList{u"Kv7WavRecorder went away while waiting for wav file position"_s});
        QVERIFY(!f.Companions.RecorderLinked());
    }

    void statusCodesThatEndRecordingResetIt_data() {
        QTest::addColumn<std::uint32_t>("code");
        QTest::addColumn<bool>("forgotten");
        QTest::newRow("app closed") << 7u << true;
        QTest::newRow("ended") << 11u << false;
        QTest::newRow("ended too") << 13u << false;
    }
    void statusCodesThatEndRecordingResetIt() {
        QFETCH(std::uint32_t, code);
        QFETCH(bool, forgotten);
        TRecorderFixture f;
        TPlayedCompanion recorder(TCompanion::Kv7WavRecorder);
        f.Recorder->OpenWavFile();
        f.Recorder->StartWavRecording();
        recorder.Take(3);
        QSignalSpy ended(f.Recorder.get(), &TWavRecorder::RecordingEnded);
        recorder.Send({kMsgRecorderStatus, 0, code});
        QVERIFY(ended.wait(TPanelFixture::kPatientMs));
        QVERIFY(!f.Recorder->WavRecording());
        QVERIFY(!f.Recorder->WavFileOpen());
        QCOMPARE(f.Companions.RecorderLinked(), !forgotten);
    }

    void releasingTellsTheRecorderAndForgetsIt() {
        TRecorderFixture f;
        QVERIFY(!f.Program->Present());
        f.Program->Release(); // nothing linked: nothing to tell
        TPlayedCompanion recorder(TCompanion::Kv7WavRecorder);
        QString why;
        QVERIFY(f.Program->Start(why));
        f.Program->Release();
        QCOMPARE(Commands(recorder.Take(1)), QList<std::uint32_t>{7});
        QVERIFY(!f.Companions.RecorderLinked());
    }

    void aMissingRecorderLeavesTheFileFlagAndSaysWhy() {
        TRecorderFixture f;
        f.Recorder->OpenWavFile();
        QVERIFY(f.Recorder->WavFileOpen());
        QCOMPARE(f.Messages, QStringList{u"Kv7WavRecorder not found in Kv7 folder."_s});
        f.Recorder->StartWavRecording();
        QCOMPARE(f.Recorder->PositionText(), QString());
        f.Recorder->SaveAndCloseWavFile();
        QVERIFY(!f.Recorder->WavFileOpen());
    }

private:
    QTemporaryDir FHome;
};

QTEST_MAIN(TstRecorderProgram)
#include "tst_recorderprogram.moc"
