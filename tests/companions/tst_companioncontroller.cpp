// The main window's side of the companions, against the simulated receiver and in-test local
// servers playing the companions.
#include "CompanionController.h"
#include "PlayedCompanion.h"
#include "VfoPanelController.h"
#include "mainwindow/PanelFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPatientMs = TPanelFixture::kPatientMs;

struct TCompanionFixture : TPanelFixture {
    QTemporaryDir Folder;
    TCompanionController Controller{*Form, Folder.path()};
    bool Ctrl = false;

    TCompanionFixture() {
        Controller.CtrlHeld = [this] {
            return Ctrl;
        };
        for (TCompanion companion : {TCompanion::Qd3, TCompanion::Kv7Agent, TCompanion::Kv7Grabber,
                                     TCompanion::Kv7WavRecorder})
            Controller.Link(companion).StartWaitMs = 300;
    }
    QAction* Action(const QString& name) const { return Find<QAction>(name); }
    QAbstractButton* BtnQd3() const { return Find<QAbstractButton>(u"btnQd3"_s); }
    TVfoPanelController& Panel() const { return *Sheet().VfoPanel(); }
};

TCompanionFrame Frequency(std::uint32_t message, double mhz, int mode) {
    const TPackedPair pair = PackFrequency(mhz, mode);
    return {message, pair.WParam, pair.LParam};
}

} // namespace

class TestCompanionController : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The companions are played under their real class names; the user part of the server
    // name keeps this run apart from any other program or test using them at the same time.
    void initTestCase() {
        qputenv("USER", "companion-test-" + QByteArray::number(QCoreApplication::applicationPid()));
    }

    void LinkingQd3SendsShownFrequencyAndFollows() {
        TCompanionFixture f;
        QVERIFY(f.Open());
        TPlayedCompanion qd3(TCompanion::Qd3);
        f.Find<QComboBox>(u"ModeComboBox"_s)->setCurrentIndex(3);
        const double shown = *f.Panel().ShownFrequency(f.Panel().CurrentLetter());

        f.Action(u"LinkToQd3"_s)->trigger();
        QVERIFY(f.Action(u"LinkToQd3"_s)->isChecked());
        QVERIFY(f.BtnQd3()->isChecked());
        QCOMPARE(qd3.Take(), (QList{Frequency(kMsgQd3Frequency, shown, 3)}));

        f.Panel().FormatFrequency(145.675);
        QCOMPARE(qd3.Take(),
                 (QList<TCompanionFrame>{{kMsgQd3Frequency, 675000, (145U << 16) | 3U}}));
        // Only while the Main page shows.
        f.Find<QTabWidget>(u"PageControl1"_s)->setCurrentIndex(1);
        f.Panel().FormatFrequency(145.5);
        // The call sign goes whatever page shows; it comes after anything sent before it.
        f.Controller.SendCallSign(u"AB"_s);
        QCOMPARE(qd3.Take(2), (QList<TCompanionFrame>{{kMsgQd3CallSign, 0x2020, 0x414200FF},
                                                      {kMsgQd3CallSign, 0x2020, 0x202000FE}}));
    }

    void UnlinkingQd3_data() {
        QTest::addColumn<bool>("ctrl");
        QTest::addColumn<TCompanionFrame>("last");
        QTest::newRow("closes it") << false << TCompanionFrame{kWmClose, 0, 0};
        QTest::newRow("ctrl leaves it running") << true << TCompanionFrame{kMsgQd3Frequency, 0, 0};
    }
    void UnlinkingQd3() {
        QFETCH(bool, ctrl);
        QFETCH(TCompanionFrame, last);
        TCompanionFixture f;
        TPlayedCompanion qd3(TCompanion::Qd3);
        f.BtnQd3()->click();
        QVERIFY(f.BtnQd3()->isChecked());
        QVERIFY(f.Action(u"LinkToQd3"_s)->isChecked());
        QTRY_VERIFY(qd3.Client);
        f.Ctrl = ctrl;
        f.BtnQd3()->click();
        QVERIFY(!f.BtnQd3()->isChecked());
        QVERIFY(!f.Action(u"LinkToQd3"_s)->isChecked());
        QCOMPARE(qd3.Take(), (QList{last}));
        QVERIFY(!f.Controller.Link(TCompanion::Qd3).Linked());
    }

    void Qd3FailingToLinkLeavesItemOff() {
        TCompanionFixture f;
        f.Action(u"LinkToQd3"_s)->trigger();
        QVERIFY(!f.Action(u"LinkToQd3"_s)->isChecked());
        QVERIFY(!f.BtnQd3()->isChecked());
        QCOMPARE(f.Messages.last(),
                 u"Qd3 not found in Kv7 folder.  See Qd3 in Help index for info."_s);
    }

    void Qd3EndsTheLink() {
        TCompanionFixture f;
        TPlayedCompanion qd3(TCompanion::Qd3);
        QSignalSpy changed(&f.Controller, &TCompanionController::Qd3LinkChanged);
        f.Action(u"LinkToQd3"_s)->trigger();
        QTRY_VERIFY(qd3.Client);
        qd3.Send({kMsgQd3Ends, 0, 0});
        QTRY_VERIFY(!f.BtnQd3()->isChecked());
        QVERIFY(!f.Action(u"LinkToQd3"_s)->isChecked());
        QVERIFY(!f.Controller.Link(TCompanion::Qd3).Linked());
        QCOMPARE(changed.last().at(0).toBool(), false);
    }

    void AgentHearsChangesAndMemoryText() {
        TCompanionFixture f;
        QVERIFY(f.Open());
        TPlayedCompanion agent(TCompanion::Kv7Agent);
        f.Action(u"LinkToKv7Agent"_s)->trigger();
        QVERIFY(f.Action(u"LinkToKv7Agent"_s)->isChecked());
        QTRY_COMPARE(agent.Frames.size(), 1);
        agent.Take();
        const int mode = f.Find<QComboBox>(u"ModeComboBox"_s)->currentIndex();
        f.Panel().FormatFrequency(7.1);
        f.Panel().FormatFrequency(7.1);
        f.Panel().FormatFrequency(7.2);
        QTRY_COMPARE(agent.Frames.size(), 2);
        QCOMPARE(agent.Take(2),
                 (QList{Frequency(kMsgAgent, 7.1, mode), Frequency(kMsgAgent, 7.2, mode)}));
        QCOMPARE(f.Controller.AgentLastFrequency(), 7.2);
        // While a scan runs every frequency goes, repeated or not.
        f.Form->RunFlags().ScanRunning = true;
        f.Panel().FormatFrequency(7.2);
        f.Form->RunFlags().ScanRunning = false;
        QCOMPARE(agent.Take(), (QList{Frequency(kMsgAgent, 7.2, mode)}));

        f.Panel().MakeCurrent(u'M');
        f.Edit(u"MemTextEdit"_s)->setText(u"AB"_s);
        f.Panel().FormatFrequency(7.3);
        QTRY_COMPARE(agent.Frames.size(), 2);
        const QList<TCompanionFrame> text = agent.Take();
        QCOMPARE(text.at(0), (TCompanionFrame{kMsgAgent, 0x2020, 0x414200FF}));
        QCOMPARE(text.at(1), (TCompanionFrame{kMsgAgent, 0x2020, 0x202000FE}));

        f.Action(u"LinkToKv7Agent"_s)->trigger();
        QVERIFY(!f.Action(u"LinkToKv7Agent"_s)->isChecked());
        QTRY_VERIFY(!agent.Client || agent.Client->state() != QLocalSocket::ConnectedState);
        QVERIFY(agent.Frames.isEmpty()); // without Ctrl the agent keeps running
    }

    void AgentHearsScanStopsAndNewPriorityChannels() {
        TCompanionFixture f;
        // Nothing linked: nothing to hear, nothing reported.
        f.Controller.ScanHitLocated(u"AB"_s, 145.5);
        QVERIFY(f.Messages.isEmpty());
        QVERIFY(f.Open());
        TPlayedCompanion agent(TCompanion::Kv7Agent);
        f.Action(u"LinkToKv7Agent"_s)->trigger();
        agent.Take();
        const int mode = f.Find<QComboBox>(u"ModeComboBox"_s)->currentIndex();

        f.Controller.ScanHitLocated(u"AB"_s, 145.5);
        const QList<TCompanionFrame> text = agent.Take(2);
        QCOMPARE(text.size(), 2);
        QCOMPARE(text.at(0).LParam & 0xFF, 0xFFu);
        QCOMPARE(text.at(1).LParam & 0xFF, 0xFEu);
        f.Controller.ScanHitLocated({}, 145.5); // a stop on no channel: its frequency
        QCOMPARE(agent.Take(), (QList{Frequency(kMsgAgent, 145.5, mode)}));

        // A priority channel is told only when it is not what the agent heard last.
        f.Controller.PriorityChannelHeld({}, 145.5);
        f.Controller.PriorityChannelHeld({}, 446.1);
        QCOMPARE(agent.Take(), (QList{Frequency(kMsgAgent, 446.1, mode)}));
    }

    void CtrlTIsHandedToALinkedSpectrumDisplay() {
        TCompanionFixture f;
        f.Form->show();
        QVERIFY(QTest::qWaitForWindowActive(f.Form.get()));
        TPlayedCompanion qd3(TCompanion::Qd3);
        QTest::keyClick(f.Form.get(), Qt::Key_T, Qt::ControlModifier); // not linked: lost
        f.Action(u"LinkToQd3"_s)->trigger();
        QVERIFY(f.Controller.Link(TCompanion::Qd3).Linked());
        qd3.Take(); // what linking sends
        QTest::keyClick(f.Form.get(), Qt::Key_T, Qt::ControlModifier);
        const QList<TCompanionFrame> keys{{kWmKeyDown, kVkControl, 0},
                                          {kWmKeyDown, 'T', 0},
                                          {kWmKeyUp, 'T', 0},
                                          {kWmKeyUp, kVkControl, 0}};
        QCOMPARE(qd3.Take(4), keys);
    }

    void GrabberStartsOrCloses() {
        TCompanionFixture f;
        TPlayedCompanion grabber(TCompanion::Kv7Grabber);
        f.Action(u"StartKv7Grabber1"_s)->trigger();
        QCOMPARE(grabber.Take(), (QList<TCompanionFrame>{{kMsgGrabberStart, 0, 0}}));
        f.Ctrl = true;
        f.Action(u"StartKv7Grabber1"_s)->trigger();
        QCOMPARE(grabber.Take(), (QList<TCompanionFrame>{{kWmClose, 0, 0}}));
    }

    void TuneRequestTunesCurrentVfo() {
        TCompanionFixture f;
        QVERIFY(f.Open());
        TPlayedCompanion qd3(TCompanion::Qd3);
        f.Action(u"LinkToQd3"_s)->trigger();
        QTRY_VERIFY(qd3.Client);
        const QChar letter = f.Panel().CurrentLetter();
        qd3.Send({kMsgTuneRequest, 50000, 7U << 16});
        QTRY_COMPARE_WITH_TIMEOUT(f.Panel().ShownFrequency(letter), std::optional(7.05),
                                  kPatientMs);
    }

    void TuneRequestRefused_data() {
        QTest::addColumn<int>("hold");
        QTest::addColumn<QString>("reason");
        QTest::newRow("scan") << 0 << u"a scan or search is running"_s;
        QTest::newRow("link closed") << 1 << u"the receiver link is closed"_s;
        QTest::newRow("sweep") << 2 << u"a sweep is running"_s;
        QTest::newRow("drag") << 3 << u"a drag is in progress"_s;
    }
    void TuneRequestRefused() {
        QFETCH(int, hold);
        QFETCH(QString, reason);
        TCompanionFixture f;
        if (hold != 1)
            QVERIFY(f.Open());
        TPlayedCompanion qd3(TCompanion::Qd3);
        f.Action(u"LinkToQd3"_s)->trigger();
        QTRY_VERIFY(qd3.Client);
        f.Form->RunFlags().ScanRunning = hold == 0;
        f.Form->RunFlags().SweepRunning = hold == 2;
        f.State().DragInProgress = hold == 3;
        const QChar letter = f.Panel().CurrentLetter();
        const auto before = f.Panel().ShownFrequency(letter);
        f.Receiver.ClearReceivedLines();
        qd3.Send({kMsgTuneRequest, 50000, 7U << 16});
        QTRY_VERIFY(!f.Messages.isEmpty() && f.Messages.last().contains(reason));
        QCOMPARE(f.Messages.last(), u"Tune request to 7.050000 MHz not done: "_s + reason);
        QCOMPARE(f.Panel().ShownFrequency(letter), before);
        f.Form->RunFlags() = {};
        f.State().DragInProgress = false;
    }

    void RecorderCommandsAndStatus() {
        TCompanionFixture f;
        QVERIFY(!f.Controller.ConnectRecorder());
        QCOMPARE(f.Messages.last(), u"Kv7WavRecorder not found in Kv7 folder."_s);
        f.Controller.PostRecorderCommand(2); // lost: nothing is linked

        TPlayedCompanion recorder(TCompanion::Kv7WavRecorder);
        QVERIFY(f.Controller.ConnectRecorder());
        f.Controller.PostRecorderCommand(2);
        QTRY_COMPARE(recorder.Frames.size(), 1);
        QCOMPARE(recorder.Frames.first().Message, kMsgRecorderCommand);
        QCOMPARE(recorder.Take().first().LParam, 2U);

        QStatusBar* bar = f.Form->statusBar();
        QSignalSpy status(&f.Controller, &TCompanionController::RecorderStatus);
        recorder.Send({kMsgRecorderStatus, 0, 0x80 | 3}); // only the low 7 bits are the code
        QTRY_COMPARE(bar->currentMessage(), u"RECORDING"_s);
        recorder.Send({kMsgRecorderStatus, 4410, 10});
        QTRY_COMPARE(bar->currentMessage(), u"Recording Logged Posn"_s);
        QCOMPARE(f.Controller.LoggedPosition(), 4410U);
        recorder.Send({kMsgRecorderStatus, 0, 42});
        QTRY_COMPARE(status.size(), 3);
        QCOMPARE(bar->currentMessage(), QString());
        recorder.Send({kMsgRecorderStatus, 0, 2});
        QTRY_COMPARE(bar->currentMessage(), u"File Opened"_s);
        recorder.Send({kMsgRecorderStatus, 0, 12});
        QTRY_COMPARE(status.size(), 5);
        QCOMPARE(bar->currentMessage(), QString()); // back to the panels

        QSignalSpy ended(&f.Controller, &TCompanionController::RecordingEnded);
        f.Find<QCheckBox>(u"TimerCheckBox"_s)->setChecked(true);
        recorder.Send({kMsgRecorderStatus, 0, 7});
        QTRY_COMPARE(ended.size(), 1);
        QCOMPARE(bar->currentMessage(), u"App Closed"_s);
        QVERIFY(!f.Controller.RecorderLinked());
        QVERIFY(!f.Find<QCheckBox>(u"TimerCheckBox"_s)->isChecked());
    }

    void StatusTexts_data() {
        QTest::addColumn<uint>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0U << u"Format Selected"_s;
        QTest::newRow("6") << 6U << u"Stopped"_s;
        QTest::newRow("9") << 9U << u"Form hidden"_s;
        QTest::newRow("11") << 11U << QString();
        QTest::newRow("12") << 12U << u"File Closed"_s;
        QTest::newRow("13") << 13U << QString();
        QTest::newRow("14") << 14U << QString();
    }
    void StatusTexts() {
        QFETCH(uint, code);
        QFETCH(QString, text);
        QCOMPARE(TCompanionController::RecorderStatusText(code), text);
    }

    void ExitTellsRecorderAndClosesQd3() {
        TCompanionFixture f;
        TPlayedCompanion qd3(TCompanion::Qd3);
        TPlayedCompanion recorder(TCompanion::Kv7WavRecorder);
        f.Action(u"LinkToQd3"_s)->trigger();
        QVERIFY(f.Controller.ConnectRecorder());
        QTRY_VERIFY(qd3.Client && recorder.Client);
        QVERIFY(f.Form->close());
        QTRY_COMPARE(recorder.Frames.size(), 1);
        QCOMPARE(recorder.Take().first().LParam, 7U);
        QCOMPARE(qd3.Take(), (QList<TCompanionFrame>{{kWmClose, 0, 0}}));
        QVERIFY(!f.BtnQd3()->isChecked());
    }
};

QTEST_MAIN(TestCompanionController)
#include "tst_companioncontroller.moc"
