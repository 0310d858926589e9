// Pass lists and pass flags against the simulated receiver: the pass-list window for a search
// bank and for the VFO search, adding a hit's frequency, "+Pass" on a scan stop with either
// firmware, and clearing the pass flags of one bank in the table and the receiver.
#include "SearchScanFixture.h"

#include "PageWidgets.h"
#include "PassForm.h"
#include "PassLists.h"
#include "RunFlags.h"
#include "ScanPage.h"
#include "SearchPage.h"
#include "VfoPanelController.h"
#include "VfoSearch.h"

#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

constexpr int kSearchPage = 2;
constexpr int kScanPage = 1;
constexpr qint64 kRepeaterHz = 145'500'000;

QString Cell(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text().trimmed() : QString();
}

// Opens the pass-list window with `open`, runs `act` on it once it is up, then closes it.
void WithPassForm(const std::function<void()>& open, const std::function<void(TPassForm&)>& act) {
    bool acted = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* form = qobject_cast<TPassForm*>(QApplication::activeModalWidget());
        if (!form)
            return;
        poll.stop();
        act(*form);
        acted = true;
        form->reject();
    });
    poll.start();
    open();
    QVERIFY(acted);
}

bool RowShown(const TPassForm& form, int index) {
    return QTest::qWaitFor([&] { return !Cell(form.Grid(), index, 2).isEmpty(); },
                           TPanelFixture::kPatientMs);
}

TRxDat Channel(qint64 hz, const QString& text, bool pass) {
    TRxDat rec = StoredChannel(hz, text);
    rec.MemoryPass = pass;
    return rec;
}

} // namespace

class TestPassLists : public QObject {
    Q_OBJECT

private:
    static TPassLists& Lists(TScanFixture& f) { return *f.Pages->PassLists(); }

private Q_SLOTS:
    void ShowsOneList_data() {
        QTest::addColumn<int>("list");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("read");
        QTest::addColumn<QString>("bankCell");
        QTest::newRow("search bank 3") << 3 << u"Pass Frequencies Bank 3"_s << u"PR03"_s << u"3"_s;
        QTest::newRow("vfo list") << int(kVfoPassBank) << u"VFO Pass Frequencies"_s << u"PR20"_s
                                  << u"Vfo"_s;
    }
    void ShowsOneList() {
        QFETCH(int, list);
        QFETCH(QString, caption);
        QFETCH(QString, read);
        QFETCH(QString, bankCell);
        TScanFixture f;
        f.Panel.Receiver.SetPassList(list, {145.1, 430.0125});
        f.Panel.Receiver.SetPassList(list == 3 ? 4 : 3, {99.9}); // another list stays out
        QVERIFY(f.Panel.Open());
        f.TakeSent();
        QAction* item =
            f.Pages->VfoSearch()->VfoOptionsPopupMenu()->findChild<QAction*>(u"ShowVfoPassFreqs"_s);
        if (list != kVfoPassBank) {
            f.ShowPage(kSearchPage);
            f.Pages->SearchPage()->Widgets().SearchFreqTabControl->SetCurrentIndex(list);
            f.TakeSent();
            item = f.Pages->SearchPage()->Widgets().ShowPassFreqs1;
        }
        QVERIFY(item->isEnabled());
        const auto open = [item] {
            item->trigger();
        };
        WithPassForm(open, [&](TPassForm& form) {
            QVERIFY(RowShown(form, 1));
            QTableWidget* grid = form.Grid();
            QCOMPARE(form.windowTitle(), caption);
            QCOMPARE(grid->rowCount(), kPassEntriesPerList);
            QCOMPARE(grid->horizontalHeaderItem(0)->text(), u"Bank"_s);
            QCOMPARE(grid->horizontalHeaderItem(2)->text(), u"Frequency"_s);
            QCOMPARE((QStringList{Cell(grid, 0, 0), Cell(grid, 0, 1), Cell(grid, 0, 2)}),
                     (QStringList{bankCell, u"0"_s, u"145.100000"_s}));
            QCOMPARE(Cell(grid, 1, 2), u"430.012500"_s);
            QVERIFY(Cell(grid, 2, 2).isEmpty());
            QVERIFY(grid->isEnabled());
            QVERIFY(form.findChild<QPushButton*>(u"DeleteButton"_s)->isVisibleTo(&form));
            QVERIFY(f.Panel.Form->Driver()->OnPassFrequency);
        });
        QCOMPARE(f.TakeSent(), QStringList{read});
        // The reports go nowhere once the window is gone.
        QVERIFY(!f.Panel.Form->Driver()->OnPassFrequency);
    }

    void DeletesOneEntry_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void DeletesOneEntry() {
        QFETCH(bool, yes);
        TScanFixture f;
        QList<double> entries;
        for (int i = 0; i < 9; ++i)
            entries << 150.0 + i;
        f.Panel.Receiver.SetPassList(3, entries);
        QVERIFY(f.Panel.Open());
        f.Panel.Answers->ConfirmAnswer = yes;
        QStringList sent;
        WithPassForm([&] { Lists(f).ShowPassList(3); },
                     [&](TPassForm& form) {
                         QVERIFY(RowShown(form, 8));
                         f.TakeSent();
                         form.Grid()->setCurrentCell(7, 2);
                         form.findChild<QPushButton*>(u"DeleteButton"_s)->click();
                         // The list read again: what was index 8 is index 7 now.
                         if (yes)
                             QVERIFY(
                                 QTest::qWaitFor([&] { return Cell(form.Grid(), 8, 2).isEmpty(); },
                                                 TPanelFixture::kPatientMs));
                         sent = f.TakeSent();
                         QCOMPARE(Cell(form.Grid(), 7, 2), yes ? u"158.000000"_s : u"157.000000"_s);
                     });
        QCOMPARE(f.Panel.Answers->ConfirmAsked, QStringList{u"Delete Pass Freq 7"_s});
        QCOMPARE(sent, yes ? (QStringList{u"PD0307"_s, u"PR03"_s}) : QStringList{});
        QCOMPARE(f.Panel.Receiver.PassList(3).size(), yes ? 8 : 9);
    }

    void DeleteWithNoRowChosenDoesNothing() {
        TScanFixture f;
        QVERIFY(f.Panel.Open());
        f.Panel.Answers->ConfirmAnswer = true;
        WithPassForm([&] { Lists(f).ShowPassList(3); },
                     [&](TPassForm& form) {
                         form.Grid()->setCurrentCell(5, 1);
                         form.findChild<QPushButton*>(u"DeleteButton"_s)->click();
                     });
        QVERIFY(f.Panel.Answers->ConfirmAsked.isEmpty());
    }

    void DeletesTheWholeVfoList() {
        TScanFixture f;
        f.Panel.Receiver.SetPassList(kVfoPassBank, {145.1, 145.2});
        f.Panel.Receiver.SetPassList(3, {99.9});
        QVERIFY(f.Panel.Open());
        f.Panel.Answers->ConfirmAnswer = true;
        WithPassForm([&] { Lists(f).ShowPassList(kVfoPassBank); },
                     [&](TPassForm& form) {
                         QVERIFY(RowShown(form, 1));
                         f.TakeSent();
                         form.findChild<QPushButton*>(u"DeleteAllButton"_s)->click();
                         QVERIFY(Cell(form.Grid(), 0, 2).isEmpty());
                     });
        QCOMPARE(f.Panel.Answers->ConfirmAsked, QStringList{u"Delete All Pass Freqs in Bank 20"_s});
        QCOMPARE(f.TakeSent(), QStringList{u"PD%%20"_s});
        QVERIFY(f.Panel.Receiver.PassList(kVfoPassBank).isEmpty());
        QCOMPARE(f.Panel.Receiver.PassList(3).size(), 1);
    }

    void VfoListIsReadOnlyWhileInUse_data() {
        QTest::addColumn<QString>("use");
        QTest::newRow("sweep") << u"sweep"_s;
        QTest::newRow("vfo search") << u"vfo search"_s;
    }
    void VfoListIsReadOnlyWhileInUse() {
        QFETCH(QString, use);
        TScanFixture f;
        QVERIFY(f.Panel.Open());
        if (use == u"sweep"_s)
            f.Panel.Form->RunFlags().SweepRunning = true;
        else
            f.Pages->VfoSearch()->VfoSearchButton()->setChecked(true);
        WithPassForm(
            [&] { Lists(f).ShowPassList(kVfoPassBank); },
            [&](TPassForm& form) {
                QVERIFY(!form.Grid()->isEnabled());
                QVERIFY(!form.findChild<QPushButton*>(u"DeleteButton"_s)->isVisibleTo(&form));
                QVERIFY(!form.findChild<QPushButton*>(u"DeleteAllButton"_s)->isVisibleTo(&form));
            });
        // A search bank's list is not in use by either.
        WithPassForm([&] { Lists(f).ShowPassList(4); },
                     [&](TPassForm& form) { QVERIFY(form.Grid()->isEnabled()); });
        f.Panel.Form->RunFlags().SweepRunning = false;
    }

    void DoubleClickTunesTheCurrentVfo() {
        TScanFixture f;
        f.Panel.Receiver.SetPassList(3, {145.1});
        QVERIFY(f.Panel.Open());
        f.Panel.Sheet().VfoPanel()->ClickBox(u'B');
        WithPassForm([&] { Lists(f).ShowPassList(3); },
                     [&](TPassForm& form) {
                         QVERIFY(RowShown(form, 0));
                         f.TakeSent();
                         form.Grid()->setCurrentCell(0, 2);
                         form.StringGrid1DblClick();
                     });
        const QStringList sent = f.TakeSent();
        QVERIFY2(sent.indexOf(u"VB0145100000"_s) >= 0 &&
                     sent.indexOf(u"VB0145100000"_s) < sent.indexOf(u"RQ255"_s),
                 qPrintable(sent.join(u' ')));
        QCOMPARE(f.Panel.Find<QLineEdit>(u"EditVcoB"_s)->text().trimmed(), u"145.100000"_s);
    }

    void AddsTheHitOfAProgramSearch() {
        TScanFixture f;
        PrepareTwoCarrierBand(f.Panel.Receiver);
        QVERIFY(f.Panel.Open());
        f.ShowPage(kSearchPage);
        const TSearchPageWidgets& w = f.Pages->SearchPage()->Widgets();
        w.SearchFreqTabControl->Tab(kTwoCarrierBank)->click();
        QTRY_VERIFY_WITH_TIMEOUT(w.TTEdit->text() == u"TWOM"_s, TPanelFixture::kPatientMs);
        w.StartSearchMyBitButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(w.AddPassFreqButton->isEnabled(), TPanelFixture::kPatientMs);
        const QString shown = w.AutoSDisplayEdit->text().trimmed();
        f.Panel.Answers->ConfirmAnswer = true;
        w.AddPassFreqButton->click();
        QCOMPARE(f.Panel.Answers->ConfirmAsked,
                 QStringList{u"Add "_s + shown + u" to Pass Freq List?"_s});
        QTRY_COMPARE_WITH_TIMEOUT(f.Panel.Receiver.PassList(kTwoCarrierBank).size(), 1,
                                  TPanelFixture::kPatientMs);
        QCOMPARE(f.Panel.Receiver.PassList(kTwoCarrierBank).value(0).Freq, shown.toDouble());
        w.SearchStopButton->click();
    }

    void RefusesWhatIsNoFrequency_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("letters") << u"abc"_s;
        QTest::newRow("empty") << QString();
        QTest::newRow("above the range") << u"3000.000000"_s;
        QTest::newRow("negative") << u"-145.5"_s;
    }
    void RefusesWhatIsNoFrequency() {
        QFETCH(QString, text);
        TScanFixture f;
        QVERIFY(f.Panel.Open());
        f.TakeSent();
        f.Panel.Answers->ConfirmAnswer = true;
        Lists(f).AddPassFrequency(text);
        QVERIFY(f.TakeSent().isEmpty());
        QVERIFY(f.Panel.Messages.last().contains(u"Not a frequency"_s));
    }

    void PassOnAScanStop_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("line");
        QTest::newRow("later firmware, yes") << 1 << true << u"MX312 MP1"_s;
        QTest::newRow("later firmware, no") << 1 << false << u"MX312"_s;
        QTest::newRow("early firmware, yes") << 0 << true << u"MP1"_s;
        QTest::newRow("early firmware, no") << 0 << false << u"MP1"_s;
    }
    void PassOnAScanStop() {
        QFETCH(int, firmware);
        QFETCH(bool, yes);
        QFETCH(QString, line);
        TScanFixture f;
        TSimReceiver& rx = f.Panel.Receiver;
        for (int channel = 0; channel < TSimReceiver::kChannelCount; ++channel)
            rx.ClearMemory(0, channel);
        rx.SetMemory(0, 312, Channel(kRepeaterHz, u"REPEAT"_s, false));
        TSimSignal signal;
        signal.FreqHz = kRepeaterHz;
        signal.WidthHz = 5000;
        signal.PeakLevel = 190;
        rx.Band().SetSignals({signal});
        rx.Band().SetNoiseFloor(20);
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = NULL, PASS = FALSE, CHANGED = FALSE"_s));
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 145.5, TEXT = 'REPEAT' "
                      u"WHERE MEM = '312'"_s));
        QVERIFY(f.Panel.Open());
        f.Panel.Form->Driver()->FirmwareID = firmware;
        f.ShowPage(kScanPage);
        const TScanPageWidgets& w = f.Pages->ScanPage()->Widgets();
        w.BankNoSpinEdit->setValue(3);
        w.ScanMyBitButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(!w.AutoFDisplayEdit->text().isEmpty(), TPanelFixture::kPatientMs);
        f.TakeSent();

        f.Panel.Answers->ConfirmAnswer = yes;
        w.SpeedButtonPassMem->click();
        QCOMPARE(f.Panel.Answers->ConfirmAsked.value(0).section(u"\r\n"_s, 0, 2),
                 u"Set PASS ON?\r\n\r\nMem Ch: 312"_s);
        const QStringList sent = f.TakeSent();
        const bool written = std::any_of(sent.begin(), sent.end(),
                                         [&](const QString& l) { return l.startsWith(line); });
        QVERIFY2(written == yes, qPrintable(sent.join(u' ')));
        // The scan goes on from the bank box in either case.
        QVERIFY2(sent.last() == u"MS3"_s, qPrintable(sent.join(u' ')));
        QCOMPARE(rx.Memory(0, 312).MemoryPass, yes);
        QCOMPARE(rx.Memory(0, 312).Freq, 145.5);
        QCOMPARE(f.Data.LocateMemory(u"312"_s), TLocateResult::Found);
        QCOMPARE(f.Data.MemQuery1().Value(u"PASS").toBool(), yes);
        QVERIFY(!f.Data.MemQuery1().Value(u"CHANGED").toBool());
        w.StopScanButton->click();
    }

    void ClearsOneBankOnly_data() {
        QTest::addColumn<QChar>("current");
        QTest::addColumn<QString>("back");
        QTest::newRow("on vfo C") << QChar(u'C') << u"VC"_s;
        QTest::newRow("on channel 150") << QChar(u'M') << u"MR150"_s;
    }
    void ClearsOneBankOnly() {
        QFETCH(QChar, current);
        QFETCH(QString, back);
        TScanFixture f;
        TSimReceiver& rx = f.Panel.Receiver;
        const QList<int> passed = {150, 200, 250, 299, 300};
        for (int channel = 0; channel < TSimReceiver::kChannelCount; ++channel)
            rx.ClearMemory(0, channel);
        for (const int channel : passed)
            rx.SetMemory(0, channel, Channel(100'000'000 + channel * 100'000, u"P"_s, true));
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = NULL, PASS = FALSE, CHANGED = FALSE"_s));
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 100 + CAST(MEM AS INTEGER) * 0.1, "
                      u"PASS = TRUE WHERE MEM IN ('150', '200', '250', '299', '300')"_s));
        // A row with the flag and no frequency: the table is mended, the receiver not asked.
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET PASS = TRUE WHERE MEM = '210'"_s));
        QVERIFY(f.Panel.Open());
        if (current == u'M') {
            f.Panel.Sheet().Widgets().MemEdit->setText(u"150"_s);
            f.Panel.Sheet().VfoPanel()->MakeCurrent(u'M');
        } else {
            f.Panel.Sheet().VfoPanel()->ClickBox(current);
        }
        f.TakeSent();

        f.Panel.Answers->ConfirmAnswer = true;
        Lists(f).PopupMenuClearPassFreqsByBank()->findChild<QAction*>(u"ClearPass2"_s)->trigger();
        QCOMPARE(f.Panel.Answers->ConfirmAsked, QStringList{u"Clear all pass Flags in Bank 2?"_s});
        const QStringList sent = f.TakeSent();
        QStringList recalled;
        for (const QString& line : sent) {
            if (line.startsWith(u"MR"_s))
                recalled << line;
        }
        QCOMPARE(recalled.mid(0, 3), (QStringList{u"MR200"_s, u"MR250"_s, u"MR299"_s}));
        QCOMPARE(sent.count(u"MP0"_s), 3);
        QVERIFY2(sent.last() == back || sent.contains(back), qPrintable(sent.join(u' ')));
        QVERIFY2(sent.lastIndexOf(back) > sent.lastIndexOf(u"MR299"_s),
                 qPrintable(sent.join(u' ')));
        for (const int channel : passed) {
            const bool inBank = channel >= 200 && channel <= 299;
            QCOMPARE(rx.Memory(0, channel).MemoryPass, !inBank);
            QCOMPARE(f.Data.LocateMemory(FormatMemNumber(channel)), TLocateResult::Found);
            QCOMPARE(f.Data.MemQuery1().Value(u"PASS").toBool(), !inBank);
            QVERIFY(!f.Data.MemQuery1().Value(u"CHANGED").toBool());
        }
        QCOMPARE(f.Data.LocateMemory(u"210"_s), TLocateResult::Found);
        QVERIFY(!f.Data.MemQuery1().Value(u"PASS").toBool());
        QVERIFY(f.Panel.Form->isEnabled());
        QVERIFY(f.MemForm->isEnabled());
        QCOMPARE(f.Panel.Messages.last(), u"Pass flags in bank 2 cleared"_s);
    }

    void ClearingReportsChannelsTheReceiverDidNotConfirm_data() {
        QTest::addColumn<bool>("dropped");
        QTest::newRow("silent receiver") << false;
        QTest::newRow("link dropped") << true;
    }
    void ClearingReportsChannelsTheReceiverDidNotConfirm() {
        QFETCH(bool, dropped);
        TScanFixture f;
        TSimReceiver& rx = f.Panel.Receiver;
        for (const int channel : {200, 201})
            rx.SetMemory(0, channel, Channel(120'000'000 + channel, u"P"_s, true));
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 120, PASS = TRUE "
                      u"WHERE MEM IN ('200', '201')"_s));
        QVERIFY(f.Panel.Open());
        f.Panel.Form->Driver()->Timeout = 300;
        if (dropped) {
            rx.DropConnection();
            QTRY_VERIFY_WITH_TIMEOUT(!f.Panel.Form->Driver()->Connected(),
                                     TPanelFixture::kPatientMs);
        } else {
            rx.SetFault(TSimFault::Silence);
        }
        QVERIFY(!Lists(f).ClearPassFreqsByBank(2));
        const QString said = f.Panel.Messages.last();
        QVERIFY2(said.contains(u"did not confirm channels 200, 201:"_s), qPrintable(said));
        // The table is the user's own: it is cleared all the same.
        QCOMPARE(f.Data.LocateMemory(u"201"_s), TLocateResult::Found);
        QVERIFY(!f.Data.MemQuery1().Value(u"PASS").toBool());
        QVERIFY(f.Panel.Form->isEnabled());
        QVERIFY(f.MemForm->isEnabled());
        rx.SetFault(TSimFault::None);
    }
};

QTEST_MAIN(TestPassLists)
#include "tst_passlists.moc"
