// Priority watching against the simulated receiver and a real bank table: what a cycle sends,
// holding on a channel while its signal lasts, the ways a cycle ends early, the page's controls
// and the refusals while "P" is on.
#include "SearchScanFixture.h"

#include "IniFile.h"
#include "PageWidgets.h"
#include "PriorityPage.h"
#include "ProgramFolder.h"
#include "SquelchController.h"
#include "UpDown.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPriorityPage = 3;
constexpr int kChannel = 7;
constexpr qint64 kChannelHz = 145'500'000;
constexpr int kPatientMs = TPanelFixture::kPatientMs;

// Runs `action` once, from whatever event loop is running, as soon as `ready` holds. A cycle
// waits in an event loop of its own, and a test's own wait started beneath it returns only when
// the cycle is over: what a test does during a cycle has to happen from in there.
void When(QObject* owner, std::function<bool()> ready, std::function<void()> action) {
    auto* poll = new QTimer(owner);
    QObject::connect(poll, &QTimer::timeout, owner,
                     [poll, ready = std::move(ready), action = std::move(action)] {
                         if (!ready())
                             return;
                         poll->stop();
                         poll->deleteLater();
                         action();
                     });
    poll->start(5);
}

// The bank table and the receiver hold channel 7 ("REPEAT" on 145.5 MHz, squelch 90 in the
// table); the band is quiet until a test puts a carrier on the channel.
struct TPriorityFixture : TScanFixture {
    TPriorityController& P;

    TPriorityFixture()
        : P(*Pages->Priority()) {
        P.SetMemoryTable(std::make_unique<TDataModulePriorityTable>(Data));
        // A period of one "second" is 40 ms here; the receiver's pauses shrink alike.
        P.PeriodUnitMs = 40;
        P.RecallSettleMs = 5;
        P.HoldRepeatMs = 5;
        TRxDat rec;
        rec.Freq = static_cast<double>(kChannelHz) / 1e6;
        rec.Step = u"12.500"_s;
        rec.Text = u"REPEAT"_s;
        Panel.Receiver.SetMemory(0, kChannel, rec);
        Panel.Receiver.Band().SetSignals({});
        Panel.Receiver.Band().SetNoiseFloor(20);
    }

    bool Ready() {
        return Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 145.5, TEXT = 'REPEAT', SQUELCH = 90 "
                   u"WHERE MEM = '007'"_s) &&
               Panel.Open();
    }
    const TPriorityPageWidgets& W() const { return P.Widgets(); }
    QCheckBox* PBox() const { return P.PriorityCheckBox1(); }
    QLineEdit* Display() const { return P.PriorityDisplayEdit(); }
    // Box 1 watches channel 7, as typed by the user.
    void WatchChannel7() {
        Panel.TypeInto(W().PriorityMemChannelEdit[0], QString());
        W().PriorityMemChannelEdit[0]->selectAll();
        QTest::keyClicks(Panel.Focused(), u"7"_s);
        W().PrioritySelectCheckBox[0]->setChecked(true);
    }
    void Carrier(bool on) {
        TSimSignal signal;
        signal.FreqHz = kChannelHz;
        signal.WidthHz = 5000;
        signal.PeakLevel = 190;
        Panel.Receiver.Band().SetSignals(on ? QList<TSimSignal>{signal} : QList<TSimSignal>{});
    }
    // What the cycle sends to put the receiver back: the panel's memory channel, the current
    // VFO and that box's squelch.
    QStringList ReturnLines() const {
        const QChar vfo = Panel.State().CurrentVfo;
        QStringList lines{u"MR"_s + Panel.Edit(u"MemEdit"_s)->text()};
        if (IsVfoLetter(vfo))
            lines << u"V"_s + vfo;
        lines << u"RQ%1"_s.arg(Panel.Sheet().Squelch()->Value(vfo));
        return lines;
    }
    // Lines of the receiver without the replies' own queries, once the line is quiet.
    QStringList Sent() { return TakeSent(); }
};

} // namespace

class TestPriority : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void NoBoxCheckedOnlyReturns() {
        TPriorityFixture f;
        QVERIFY(f.Ready());
        QSignalSpy cycles(&f.P, &TPriorityController::CycleFinished);
        f.W().PriorityPeriodUpDown->SetPosition(1);
        f.PBox()->click();
        QVERIFY(cycles.wait(kPatientMs));
        f.PBox()->click();
        QTRY_VERIFY(!f.P.CycleRunning());
        const QStringList sent = f.Sent();
        const QStringList expected = QStringList{u"RQ130"_s} + f.ReturnLines();
        QCOMPARE(sent.mid(0, expected.size()), expected);
        QVERIFY(!sent.contains(u"LM"_s));
        QVERIFY(!f.Panel.Form->RunFlags().PriorityCheckBusy);
    }

    // The channel is recalled and shown while it is checked; unchecking "P" ends even a wait.
    void ChannelSevenIsRecalledAndShown() {
        TPriorityFixture f;
        QVERIFY(f.Ready());
        f.WatchChannel7();
        f.P.RecallSettleMs = kPatientMs; // the cycle stays on the channel until "P" goes off
        f.W().PriorityPeriodUpDown->SetPosition(1);
        bool busyWhileShown = false;
        When(
            &f.P, [&f] { return f.Display()->text() == u"7"_s; },
            [&] {
                busyWhileShown = f.Panel.Form->RunFlags().PriorityCheckBusy;
                f.PBox()->click();
            });
        f.PBox()->click();
        QTRY_VERIFY_WITH_TIMEOUT(!f.PBox()->isChecked() && !f.P.CycleRunning(), kPatientMs);
        QVERIFY(busyWhileShown);
        QCOMPARE(f.Display()->toolTip(), u"Priority Channel"_s);
        QVERIFY(!f.Panel.Form->RunFlags().PriorityCheckBusy);
        QVERIFY(f.Display()->text().isEmpty());
        QVERIFY(!f.P.TimerActive());
        const QStringList sent = f.Sent();
        QCOMPARE(sent.mid(0, 2), (QStringList{u"RQ130"_s, u"MR007"_s}));
        QCOMPARE(sent.mid(2), f.ReturnLines());
    }

    // A channel with a quiet squelch is asked once; the cycle goes on to the next box.
    void QuietChannelsAreAskedOnceEach() {
        TPriorityFixture f;
        QVERIFY(f.Ready());
        f.WatchChannel7();
        f.W().PriorityUpDown[2]->SetPosition(12);
        f.W().PrioritySelectCheckBox[2]->setChecked(true);
        // An empty box names no channel, checked or not.
        f.W().PriorityMemChannelEdit[3]->clear();
        f.W().PrioritySelectCheckBox[3]->setChecked(true);
        QSignalSpy cycles(&f.P, &TPriorityController::CycleFinished);
        f.W().PriorityPeriodUpDown->SetPosition(1);
        f.PBox()->click();
        QVERIFY(cycles.wait(kPatientMs));
        f.PBox()->click();
        QTRY_VERIFY(!f.P.CycleRunning());
        const QStringList sent = f.Sent();
        const QStringList expected =
            QStringList{u"RQ130"_s, u"MR007"_s, u"LM"_s, u"MR012"_s, u"LM"_s} + f.ReturnLines();
        QCOMPARE(sent.mid(0, expected.size()), expected);
        QVERIFY(f.P.TimerActive() == false);
    }

    void CaptionsFollowTheTable() {
        TPriorityFixture f;
        QVERIFY(f.Ready());
        QCheckBox* box3 = f.W().PrioritySelectCheckBox[2];
        f.W().PriorityMemChannelEdit[2]->setText(u"7"_s);
        QCOMPARE(box3->text(), u"REPEAT"_s);
        f.W().PriorityMemChannelEdit[2]->setText(u"123"_s);
        QCOMPARE(box3->text(), u"Priority Channel 3"_s);
        f.W().PriorityMemChannelEdit[2]->setText(u"7"_s);
        f.W().PriorityMemChannelEdit[2]->setText(QString()); // not a number: unchanged
        QCOMPARE(box3->text(), u"REPEAT"_s);
    }

    // A carrier on the channel keeps the receiver there, re-asking the level, until it goes;
    // then the receiver returns, the polling comes back and the timer runs again.
    void HoldsWhileTheSignalLasts() {
        TPriorityFixture f;
        QVERIFY(f.Ready());
        f.WatchChannel7();
        f.Panel.Find<QCheckBox>(u"TimerCheckBox"_s)->click(); // "Signal" on
        auto* entry = f.Panel.Edit(u"EnterEdit1"_s);
        entry->setText(u"145.5"_s);
        f.Carrier(true);
        QSignalSpy cycles(&f.P, &TPriorityController::CycleFinished);
        QList<TPriorityRow> held;
        connect(&f.P, &TPriorityController::ChannelHeld, this,
                [&held](const TPriorityRow& row) { held << row; });
        f.W().PriorityPeriodUpDown->SetPosition(1);
        f.PBox()->click();
        QString entryHeld;
        QColor displayHeld;
        bool timerHeld = true;
        bool pollHeld = true;
        bool returnedEarly = true;
        int cyclesHeld = -1;
        When(
            &f.P, [&f] { return f.P.Holding(); },
            [&] {
                entryHeld = entry->text();
                displayHeld = PageWidgets::BoxColour(f.Display());
                timerHeld = f.P.TimerActive();
                pollHeld = f.Panel.Form->Driver()->TimerStatus();
            });
        // Several level requests on the channel, and then the carrier goes.
        When(
            &f.P, [&f] { return f.P.Holding() && f.Panel.Sent().count(u"LM"_s) >= 4; },
            [&] {
                returnedEarly = f.Panel.Sent().contains(u"VA"_s);
                cyclesHeld = static_cast<int>(cycles.count());
                f.Carrier(false);
            });
        QVERIFY(cycles.wait(kPatientMs));
        QVERIFY(!f.P.Holding());
        // Told once for the whole hold, with the channel's row.
        QCOMPARE(held.size(), 1);
        QCOMPARE(held.first().Text, u"REPEAT"_s);
        QVERIFY(held.first().FreqMHz);
        QVERIFY(!f.Panel.Form->RunFlags().PriorityCheckBusy);
        QCOMPARE(entry->text(), u"145.5"_s);
        QVERIFY(f.Display()->text().isEmpty());
        QVERIFY(f.Panel.Form->Driver()->TimerStatus());
        QVERIFY(f.P.TimerActive());
        f.PBox()->click();
        QStringList sent = f.Sent();
        sent.removeAll(u"LM"_s); // the poll's own requests, once polling is back
        sent.removeAll(u"RX"_s);
        const QStringList back = f.ReturnLines();
        QCOMPARE(sent.mid(sent.indexOf(u"MR007"_s) + 1, back.size()), back);
    }

    void UncheckingEndsAHold() {
        TPriorityFixture f;
        QVERIFY(f.Ready());
        f.WatchChannel7();
        f.Carrier(true);
        f.W().PriorityPeriodUpDown->SetPosition(1);
        When(
            &f.P, [&f] { return f.P.Holding(); }, [&f] { f.PBox()->click(); });
        f.PBox()->click();
        QTRY_VERIFY_WITH_TIMEOUT(!f.PBox()->isChecked() && !f.P.CycleRunning(), kPatientMs);
        QVERIFY(!f.P.Holding());
        QVERIFY(!f.P.TimerActive());
        QVERIFY(!f.Panel.Form->RunFlags().PriorityCheckBusy);
        const QStringList sent = f.Sent();
        QCOMPARE(sent.mid(sent.size() - f.ReturnLines().size()), f.ReturnLines());
    }

    void PeriodZeroNeverStarts() {
        TPriorityFixture f;
        QVERIFY(f.Ready());
        f.WatchChannel7();
        f.W().PriorityPeriodUpDown->SetPosition(0);
        f.PBox()->click();
        QVERIFY(f.PBox()->isChecked());
        QVERIFY(!f.P.TimerActive());
        // A period set later counts from the next switch-on.
        f.PBox()->click();
        f.W().PriorityPeriodUpDown->SetPosition(2);
        f.PBox()->click();
        QVERIFY(f.P.TimerActive());
    }

    // The link going in the middle of a hold: "P" goes off and the program may close.
    void LostLinkDuringAHold() {
        TPriorityFixture f;
        QVERIFY(f.Ready());
        f.WatchChannel7();
        f.Carrier(true);
        f.W().PriorityPeriodUpDown->SetPosition(1);
        bool held = false;
        When(
            &f.P, [&f] { return f.P.Holding(); },
            [&] {
                held = true;
                f.Panel.Receiver.DropConnection();
            });
        f.PBox()->click();
        QTRY_VERIFY_WITH_TIMEOUT(held && !f.P.CycleRunning(), kPatientMs);
        QVERIFY(!f.PBox()->isChecked());
        QVERIFY(!f.P.TimerActive());
        QVERIFY(!f.Panel.Form->RunFlags().PriorityCheckBusy);
        QVERIFY(f.Panel.Form->close());
    }

    // A receiver that stops answering ends the wait at the driver's time-out.
    void SilentReceiverEndsTheWait() {
        TPriorityFixture f;
        QVERIFY(f.Ready());
        f.WatchChannel7();
        f.Panel.Receiver.SetFault(TSimFault::Silence);
        f.Panel.Form->Driver()->Timeout = 200;
        f.W().PriorityPeriodUpDown->SetPosition(1);
        QSignalSpy cycles(&f.P, &TPriorityController::CycleFinished);
        f.PBox()->click();
        QVERIFY(cycles.wait(kPatientMs));
        QVERIFY(f.Panel.Messages.join(u'\n').contains(u"Timeout waiting for LM data"_s));
        QVERIFY(!f.Panel.Form->RunFlags().PriorityCheckBusy);
        f.PBox()->click();
    }

    void RefusalsWhileWatching() {
        TPriorityFixture f;
        QVERIFY(f.Ready());
        f.W().PriorityPeriodUpDown->SetPosition(0); // checked, but no cycle gets in the way
        f.PBox()->click();
        f.ShowPage(kPriorityPage);
        QCOMPARE(f.Panel.Find<QTabWidget>(u"PageControl1"_s)->currentIndex(), 0);
        QVERIFY(f.Panel.Messages.contains(u"Turn off Priority first"_s));
        f.Panel.Messages.clear();
        f.Panel.Find<QPushButton>(u"OpenPortButton"_s)->click();
        QVERIFY(f.Panel.Form->Driver()->Connected());
        QVERIFY(f.Panel.Messages.contains(u"Cancel Priority First"_s));
        f.Panel.Messages.clear();
        QVERIFY(!f.Panel.Form->close());
        QVERIFY(f.Panel.Messages.contains(u"Cancel Priority First"_s));
        f.PBox()->click();
        f.ShowPage(kPriorityPage);
        QCOMPARE(f.Panel.Find<QTabWidget>(u"PageControl1"_s)->currentIndex(), kPriorityPage);
    }

    void PageControlsAndKeys() {
        TPriorityFixture f;
        QVERIFY(f.Ready());
        const auto& w = f.W();
        for (int i = 0; i < kPriorityChannelCount; ++i) {
            const auto k = static_cast<std::size_t>(i);
            QCOMPARE(w.PriorityUpDown[k]->Maximum(), 999);
            QCOMPARE(w.PriorityMemChannelEdit[k]->toolTip(), u"Double click tunes"_s);
        }
        QCOMPARE(w.PrioritySquelchEdit->text(), u"130"_s);
        QCOMPARE(w.PrioritySquelchUpDown->Maximum(), 255);
        QCOMPARE(w.PriorityPeriodEdit->text(), u"5"_s);
        QCOMPARE(w.PriorityPeriodUpDown->Maximum(), 300);
        QCOMPARE(w.PriorityPeriodEdit->toolTip(), u"Interval between Priority checks"_s);

        f.ShowPage(kPriorityPage);
        struct TCase {
            QLineEdit* Box;
            const char16_t* Typed;
            const char16_t* Kept;
        };
        const TCase cases[] = {{w.PriorityMemChannelEdit[1], u"1a.-2", u"12"},
                               {w.PrioritySquelchEdit, u"9 +9", u"99"},
                               {w.PriorityPeriodEdit, u"x3", u"3"}};
        for (const TCase& c : cases) {
            f.Panel.TypeInto(c.Box, QString());
            c.Box->clear();
            QTest::keyClicks(f.Panel.Focused(), QString::fromUtf16(c.Typed));
            QTest::keyClick(f.Panel.Focused(), Qt::Key_Return);
            QCOMPARE(c.Box->text(), QString::fromUtf16(c.Kept));
            QTest::keyClick(f.Panel.Focused(), Qt::Key_Backspace);
            QCOMPARE(c.Box->text().size(), QString::fromUtf16(c.Kept).size() - 1);
        }
    }

    // A double click tunes the receiver to the channel with the squelch stored in its row.
    void DoubleClickTunes() {
        TPriorityFixture f;
        QVERIFY(f.Ready());
        f.ShowPage(kPriorityPage);
        f.W().PriorityUpDown[1]->SetPosition(kChannel);
        f.Sent();
        QTest::mouseDClick(f.W().PriorityMemChannelEdit[1], Qt::LeftButton);
        QCOMPARE(f.Panel.Edit(u"MemEdit"_s)->text(), u"007"_s);
        QCOMPARE(f.Panel.Sheet().Squelch()->Value(u'M'), 90);
        QCOMPARE(PageWidgets::BoxColour(f.W().PriorityMemChannelEdit[1]), QColor(0, 128, 0));
        QCOMPARE(PageWidgets::BoxColour(f.W().PriorityMemChannelEdit[0]), QColor(0, 0, 0));
        QCOMPARE(f.Sent(), (QStringList{u"MR007"_s, u"RQ90"_s}));
        // A channel without a frequency is left alone.
        f.W().PriorityUpDown[2]->SetPosition(123);
        QTest::mouseDClick(f.W().PriorityMemChannelEdit[2], Qt::LeftButton);
        QCOMPARE(f.Panel.Edit(u"MemEdit"_s)->text(), u"007"_s);
        QVERIFY(f.Sent().isEmpty());
    }

    void SettingsGoWithTheLink() {
        TPriorityFixture f;
        {
            TIniFile ini(SettingsFileName());
            QVERIFY(ini.WriteString(u"Priority"_s, u"2"_s, u"007"_s));
            QVERIFY(ini.WriteString(u"Priority"_s, u"PriorityChannel2"_s, u"1"_s));
            QVERIFY(ini.WriteString(u"Priority"_s, u"PrioritySquelch"_s, u"77"_s));
            QVERIFY(ini.WriteString(u"Priority"_s, u"PriorityPeriod"_s, u"12"_s));
        }
        QVERIFY(f.Ready());
        const auto& w = f.W();
        QCOMPARE(w.PriorityUpDown[1]->Position(), kChannel);
        QVERIFY(w.PrioritySelectCheckBox[1]->isChecked());
        QCOMPARE(w.PrioritySelectCheckBox[1]->text(), u"REPEAT"_s);
        QVERIFY(!w.PrioritySelectCheckBox[0]->isChecked());
        QCOMPARE(w.PrioritySquelchUpDown->Position(), 77);
        QCOMPARE(w.PriorityPeriodUpDown->Position(), 12);

        w.PriorityUpDown[4]->SetPosition(42);
        w.PrioritySelectCheckBox[4]->setChecked(true);
        w.PrioritySelectCheckBox[1]->setChecked(false);
        w.PriorityPeriodUpDown->SetPosition(0);
        f.Panel.Find<QPushButton>(u"OpenPortButton"_s)->click(); // closes the link
        QTRY_VERIFY(!f.Panel.Form->Driver()->Connected());
        const TIniFile ini(SettingsFileName());
        QCOMPARE(ini.ReadString(u"Priority"_s, u"5"_s, {}), u"042"_s);
        QCOMPARE(ini.ReadString(u"Priority"_s, u"PriorityChannel5"_s, {}), u"1"_s);
        QCOMPARE(ini.ReadString(u"Priority"_s, u"PriorityChannel2"_s, {}), u"0"_s);
        QCOMPARE(ini.ReadString(u"Priority"_s, u"PrioritySquelch"_s, {}), u"77"_s);
        QCOMPARE(ini.ReadString(u"Priority"_s, u"PriorityPeriod"_s, {}), u"0"_s);
    }
};

QTEST_MAIN(TestPriority)
#include "tst_priority.moc"
