// Tuning by keys, wheel and auto tune on the Main page against the simulated receiver.
#include "PanelFixture.h"
#include "TuningController.h"
#include "VfoPanelController.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

using namespace Qt::StringLiterals;

namespace {

const QString kStepUp = QString(QChar(0x1E));
const QString kStepDown = QString(QChar(0x1F));

void SendWheel(QWidget* target, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
}

} // namespace

class TestTuning : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FHome;

private Q_SLOTS:
    void initTestCase() { qputenv("KOVELA_HOME", FHome.path().toLocal8Bit()); }

    void arrowKeysStepTheReceiver_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("step");
        QTest::newRow("Up in a VFO box") << u"EditVcoA"_s << int(Qt::Key_Up) << kStepUp;
        QTest::newRow("Up in the memory box") << u"MemEdit"_s << int(Qt::Key_Up) << kStepDown;
        QTest::newRow("Down in the entry box") << u"EnterEdit1"_s << int(Qt::Key_Down) << kStepDown;
    }
    void arrowKeysStepTheReceiver() {
        QFETCH(QString, box);
        QFETCH(int, key);
        QFETCH(QString, step);
        TPanelFixture f;
        QVERIFY(f.Open());
        if (box == u"MemEdit"_s) {
            QTest::mouseClick(f.Edit(box), Qt::LeftButton);
            f.WaitForSwitch();
        }
        f.Edit(box)->setFocus();
        f.Stroke(key);
        QCOMPARE(f.Sent().count(kStepUp) + f.Sent().count(kStepDown), 1);
        QVERIFY(f.Sent().contains(step));
        QVERIFY(!f.State().TuningInProgress);
        if (box == u"EditVcoA"_s)
            QCOMPARE(f.Edit(box)->text(), u"  118.025000"_s);
    }

    void leftRightMoveOnThePanelAndSwitchOnRelease() {
        TPanelFixture f;
        QVERIFY(f.Open());
        f.Edit(u"EditVcoA"_s)->setFocus();
        f.Press(Qt::Key_Right);
        QCOMPARE(f.State().CurrentVfo, QChar(u'B'));
        QCOMPARE(f.Focused(), f.Edit(u"EditVcoB"_s));
        QCOMPARE(f.Edit(u"EditVcoB"_s)->palette().color(QPalette::Base), QColor(0, 128, 0));
        QVERIFY(f.SentSettled().isEmpty()); // the receiver follows on release
        f.Receiver.ClearReceivedLines();
        f.Release(Qt::Key_Right);
        QTRY_VERIFY(f.Sent().contains(u"RQ255"_s));
        QCOMPARE(f.Sent().first(), u"VB"_s);

        // A, then backwards round to the memory.
        f.Press(Qt::Key_Left);
        f.Press(Qt::Key_Left);
        QCOMPARE(f.State().CurrentVfo, QChar(u'M'));
        QCOMPARE(f.Focused(), f.Edit(u"MemEdit"_s));
        QCOMPARE(f.Edit(u"FrqEditM"_s)->palette().color(QPalette::Base), QColor(0, 128, 0));
    }

    void letterKeysSelectEvenWhileTyping() {
        TPanelFixture f;
        QVERIFY(f.Open());
        QLineEdit* entry = f.Edit(u"EnterEdit1"_s);
        entry->setFocus();
        f.Press(Qt::Key_C, Qt::NoModifier, false, u"c"_s);
        QTRY_VERIFY(f.Sent().contains(u"VC"_s));
        QCOMPARE(f.State().CurrentVfo, QChar(u'C'));
        QCOMPARE(f.Focused(), f.Edit(u"EditVcoC"_s));
        QVERIFY(entry->text().isEmpty());
    }

    void pageKeysLoadTheSubStepOncePerPress_data() {
        QTest::addColumn<QString>("mainStep");
        QTest::addColumn<int>("subStep");
        QTest::addColumn<QString>("loaded");
        QTest::addColumn<QString>("restored");
        QTest::newRow("5 kHz") << u"12.500"_s << 5 << u"ST5000"_s << u"ST12500"_s;
        QTest::newRow("x10") << u"12.500"_s << 1 << u"ST125000"_s << u"ST12500"_s;
        QTest::newRow("x10 held at 500") << u"100.000"_s << 1 << u"ST500000"_s << u"ST100000"_s;
        QTest::newRow("Main") << u"12.500"_s << 0 << QString() << u"ST12500"_s;
    }
    void pageKeysLoadTheSubStepOncePerPress() {
        QFETCH(QString, mainStep);
        QFETCH(int, subStep);
        QFETCH(QString, loaded);
        QFETCH(QString, restored);
        TPanelFixture f;
        QVERIFY(f.Open());
        f.Find<QComboBox>(u"StepComboBox"_s)->setEditText(mainStep);
        f.Find<QComboBox>(u"SubStepComboBox"_s)->setCurrentIndex(subStep);
        f.Edit(u"EditVcoA"_s)->setFocus();
        f.Press(Qt::Key_PageUp);
        f.Press(Qt::Key_PageUp, Qt::NoModifier, true);
        f.Press(Qt::Key_PageUp, Qt::NoModifier, true);
        QVERIFY(f.State().SubStepActive);
        f.Release(Qt::Key_PageUp);
        QTRY_VERIFY(f.Sent().contains(restored));

        QStringList steps;
        for (const QString& line : f.Sent()) {
            if (line.startsWith(u"ST"_s))
                steps << line;
        }
        const QStringList expected =
            loaded.isEmpty() ? QStringList{restored} : QStringList{loaded, restored};
        QCOMPARE(steps, expected);
        QCOMPARE(f.Sent().count(kStepUp), 3);
        if (!loaded.isEmpty())
            QVERIFY(f.Sent().indexOf(loaded) < f.Sent().indexOf(kStepUp));
        QVERIFY(!f.State().SubStepActive);
    }

    void sweepReturnsToItsStart() {
        // VFO A 10 kHz below VFO B, stepping by 10 kHz.
        TPanelFixture f("VA\r\nST10000\r\nVA0144990000\r\nVB0145000000\r\nVA\r\n");
        QVERIFY(f.Open());
        QCOMPARE(f.Edit(u"EditVcoA"_s)->text(), u"  144.990000"_s);
        auto* up = f.Find<QToolButton>(u"LockUpTuneSpeedButton"_s);
        QTest::mousePress(up, Qt::RightButton);
        auto* menu = f.Find<QMenu>(u"LockUpTuneSpeedButtonPopupMenu"_s);
        QTRY_VERIFY(menu->isVisible());
        f.Find<QAction>(u"VfoABSweep1"_s)->trigger();
        menu->close();
        QCOMPARE(f.Sheet().Tuning()->SweepStartText(), u"  144.990000"_s);

        QTest::mouseClick(up, Qt::LeftButton);
        QVERIFY(up->isChecked());
        QTRY_VERIFY(f.Sent().contains(u"VA0144990000"_s));
        QTest::mouseClick(up, Qt::LeftButton);
        QVERIFY(!up->isChecked());
        const QStringList sent = f.Sent();
        QCOMPARE(sent.count(kStepUp), 1); // up to B, then back to the start
        QVERIFY(sent.indexOf(kStepUp) < sent.indexOf(u"VA0144990000"_s));
        QTRY_COMPARE(f.Edit(u"EditVcoA"_s)->text(), u"  144.990000"_s);
    }

    void timeOutDuringAStepLeavesThePanelUsable() {
        TPanelFixture f;
        QVERIFY(f.Open());
        f.Form->Driver()->Timeout = 200;
        f.Receiver.SetFault(TSimFault::Silence);
        f.Edit(u"EditVcoA"_s)->setFocus();
        f.Stroke(Qt::Key_Up);
        QVERIFY(f.Messages.contains(u"Timeout waiting for RX data, timer off. Func GetRx"_s));
        QVERIFY(!f.State().TuningInProgress);
        QVERIFY(f.Form->Driver()->OnVfoData);
        QCOMPARE(f.Edit(u"EditVcoA"_s)->text(), u"  118.000000"_s);

        f.Receiver.SetFault(TSimFault::None);
        f.Messages.clear();
        f.Stroke(Qt::Key_Down);
        f.Stroke(Qt::Key_Down);
        QCOMPARE(f.Edit(u"EditVcoA"_s)->text(), u"  117.975000"_s); // the silent step counted
        QVERIFY(f.Messages.isEmpty());
    }

    void heldKeysAndFastWheelDoNotQueue_data() {
        QTest::addColumn<bool>("wheel");
        QTest::newRow("key repeat") << false;
        QTest::newRow("wheel") << true;
    }
    void heldKeysAndFastWheelDoNotQueue() {
        QFETCH(bool, wheel);
        TSimOptions slow;
        slow.LatencyMs = 150;
        TPanelFixture f({}, slow);
        QVERIFY(f.Open());
        QLineEdit* box = f.Edit(u"EditVcoA"_s);
        box->setFocus();

        int arrivedWhileTuning = 0;
        QTimer repeat;
        repeat.setInterval(10);
        QObject::connect(&repeat, &QTimer::timeout, [&] {
            if (!f.State().TuningInProgress)
                return;
            ++arrivedWhileTuning;
            if (wheel)
                SendWheel(box, 120);
            else
                f.Press(Qt::Key_Up, Qt::NoModifier, true);
        });
        repeat.start();
        f.Press(Qt::Key_Up);
        repeat.stop();
        f.Release(Qt::Key_Up);

        QVERIFY(arrivedWhileTuning > 0);
        QCOMPARE(f.Sent().count(kStepUp), 1);
        QVERIFY(!f.State().TuningInProgress);
        QCOMPARE(box->text(), u"  118.025000"_s);
    }

    void wheelTunesTheFocusedBox_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("shift");
        QTest::addColumn<QString>("step");
        QTest::addColumn<bool>("subStepLoaded");
        QTest::newRow("VFO box") << u"EditVcoA"_s << false << kStepUp << false;
        QTest::newRow("entry box") << u"EnterEdit1"_s << false << kStepUp << false;
        QTest::newRow("entry box with Shift") << u"EnterEdit1"_s << true << kStepUp << true;
        QTest::newRow("step list") << u"StepComboBox"_s << false << QString() << false;
    }
    void wheelTunesTheFocusedBox() {
        QFETCH(QString, box);
        QFETCH(bool, shift);
        QFETCH(QString, step);
        QFETCH(bool, subStepLoaded);
        TPanelFixture f;
        QVERIFY(f.Open());
        f.Find<QComboBox>(u"SubStepComboBox"_s)->setCurrentIndex(5); // 5 kHz
        auto* steps = f.Find<QComboBox>(u"StepComboBox"_s);
        const QString stepShown = steps->currentText();
        QWidget* focused = box == u"StepComboBox"_s ? steps->lineEdit() : f.Edit(box);
        focused->setFocus();
        SendWheel(f.Edit(u"EditVcoC"_s), 120, shift ? Qt::ShiftModifier : Qt::NoModifier);
        const QStringList sent = f.SentSettled();
        if (step.isEmpty()) {
            QVERIFY(sent.isEmpty());
            QCOMPARE(steps->currentText(), stepShown);
            return;
        }
        QCOMPARE(sent.count(step), 1);
        QCOMPARE(sent.contains(u"ST5000"_s), subStepLoaded);
    }
};

QTEST_MAIN(TestTuning)
#include "tst_tuning.moc"
