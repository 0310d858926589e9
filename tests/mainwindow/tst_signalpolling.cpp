// "Signal" and "Fre&q" against the in-process simulated receiver on a line paced at 9600 baud:
// polling starts and stops with the boxes, and what arrives is what the panel shows.
#include "AR5000.h"
#include "LoopbackLink.h"
#include "SignalDisplay.h"
#include "SignalPanel.h"
#include "Simulator.h"

#include <QAction>
#include <QCheckBox>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr int kNewest = 150;

TSimOptions PacedLine() {
    TSimOptions options;
    options.BaudRate = 9600;
    return options;
}

struct TLinkFixture {
    static constexpr int kPatientMs = 20000;
    TSimReceiver Receiver{PacedLine()};
    TSimLoopback Loopback{&Receiver};
    TAR5000 Driver;
    QWidget Page;
    TSignalPanel* Panel = new TSignalPanel(&Page);
    QCheckBox* Signal = new QCheckBox(u"Signal"_s, &Page);
    QCheckBox* Freq = new QCheckBox(u"Fre&q"_s, &Page);
    TSignalDisplayController Controller{&Driver, Panel, Signal, Freq};
    QStringList Errors;

    TLinkFixture() {
        Driver.Serial()->SetDevice(Loopback.DriverEnd());
        // The first reply alone takes some 60 ms on this line. Every wait ends as soon as its
        // reply is in: long limits cost nothing, and a loaded machine does not turn a late
        // reply into a failure.
        Driver.Timeout = kPatientMs;
        Driver.InitialiseWaitMs = kPatientMs;
        Driver.OnErrorMessage = [this](const QString& text) {
            Errors << text;
        };
        Controller.Hook();
        Driver.FSetPort(true);
    }
    qsizetype Sent(const QString& command) const { return Receiver.ReceivedLines().count(command); }
    // Everything sent so far has reached the receiver: a version query goes down the same line
    // after it, and its answer comes back only when the receiver has read all that went before.
    void Settle() { Driver.GetVersion(); }
};

} // namespace

class TestSignalPolling : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void signalStartsAndStopsThePoll() {
        TLinkFixture f;
        QVERIFY(f.Driver.Connected());
        f.Panel->AvgMeter1()->setChecked(false);
        const QImage logo = f.Panel->Image1()->Picture();
        f.Receiver.ClearReceivedLines();

        // One colour for the current box per reading shown.
        QSignalSpy readings(&f.Controller, &TSignalDisplayController::SquelchStateChanged);
        f.Signal->setChecked(true);
        QTRY_VERIFY_WITH_TIMEOUT(readings.size() >= 5, f.kPatientMs);
        QVERIFY(f.Sent(u"LM"_s) >= 5);
        const int shown = f.Driver.CurrentRecord().Level.toInt();
        QCOMPARE(f.Panel->GraphPointY(kNewest), TSignalPanel::LevelY(shown, 59));
        QVERIFY(f.Panel->Image1()->Picture() != logo);
        QVERIFY(f.Sent(u"RX"_s) == 0);

        f.Signal->setChecked(false);
        QVERIFY(!f.Driver.TimerStatus());
        // A level request already on its way is let through; the reply to it must not start
        // another one.
        f.Settle();
        f.Receiver.ClearReceivedLines();
        f.Settle();
        QCOMPARE(f.Sent(u"LM"_s), 0);
        QVERIFY(!f.Driver.TimerStatus());
        QCOMPARE(f.Panel->Image1()->Picture(), logo);
        QVERIFY2(f.Errors.isEmpty(), qPrintable(f.Errors.join(u'\n')));
    }

    void freqAddsTheFrequencyQueryAndFollowsIt() {
        TLinkFixture f;
        QList<TRxDat> followed;
        QObject::connect(&f.Controller, &TSignalDisplayController::FrequencyFollowed,
                         [&followed](const TRxDat& rec) { followed << rec; });
        f.Receiver.ClearReceivedLines();

        f.Freq->setChecked(true);
        QVERIFY(f.Signal->isChecked());
        QTRY_VERIFY_WITH_TIMEOUT(followed.size() >= 3, f.kPatientMs);
        QVERIFY(f.Sent(u"RX"_s) >= 3);
        const QChar vfo = f.Receiver.CurrentVfo();
        QCOMPARE(QChar(u'A' + (followed.last().Vfo - kRxCodeFirstVfo)), vfo);
        QCOMPARE(followed.last().Freq, f.Receiver.Vfo(vfo).Freq);

        f.Freq->setChecked(false);
        f.Settle(); // an RX already on its way may still arrive
        f.Receiver.ClearReceivedLines();
        QTRY_VERIFY_WITH_TIMEOUT(f.Sent(u"LM"_s) >= 3, f.kPatientMs);
        QCOMPARE(f.Sent(u"RX"_s), 0);
        QVERIFY2(f.Errors.isEmpty(), qPrintable(f.Errors.join(u'\n')));
    }
};

QTEST_MAIN(TestSignalPolling)
#include "tst_signalpolling.moc"
