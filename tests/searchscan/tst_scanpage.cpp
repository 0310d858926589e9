// The "Mem Scan" page against the simulated receiver and a real bank table: what loading,
// editing, scanning and stopping send, what the page shows, and what becomes of the memory view.
#include "SearchScanFixture.h"

#include "IniFile.h"
#include "MemoryGrid.h"
#include "PageWidgets.h"
#include "ProgramFolder.h"
#include "ScanMemoryTable.h"
#include "ScanPage.h"
#include "UpDown.h"
#include "VfoDrop.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>

using namespace Qt::StringLiterals;

namespace {

constexpr int kScanPage = 1;
constexpr qint64 kRepeaterHz = 145'500'000;
constexpr qint64 kSelectHz = 446'100'000;

TRxDat Channel(qint64 hz, const QString& text, bool select = false) {
    TRxDat rec = StoredChannel(hz, text);
    rec.SelectScan = select;
    return rec;
}

// Channel 312 holds a repeater that is on the air; channel 512 a select-scan channel that is too.
// In the table, channel 012 of another bank holds the repeater's frequency as well.
bool Prepare(TScanFixture& f) {
    TSimReceiver& rx = f.Panel.Receiver;
    for (int channel = 0; channel < TSimReceiver::kChannelCount; ++channel)
        rx.ClearMemory(0, channel);
    rx.SetMemory(0, 312, Channel(kRepeaterHz, u"REPEAT"_s));
    rx.SetMemory(0, 512, Channel(kSelectHz, u"PMR"_s, true));
    TScanGroupDat group = rx.ScanGroup(0);
    group.Mode = kScanModeFree;
    group.Link = false;
    rx.SetScanGroup(group);
    QList<TSimSignal> signals;
    for (const qint64 hz : {kRepeaterHz, kSelectHz}) {
        TSimSignal signal;
        signal.FreqHz = hz;
        signal.WidthHz = 5000;
        signal.PeakLevel = 190;
        signals << signal;
    }
    rx.Band().SetSignals(signals);
    rx.Band().SetNoiseFloor(20);
    return f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = NULL, TEXT = NULL, SELSCAN = FALSE, "
                 u"CHANGED = FALSE"_s) &&
           f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 145.5, TEXT = 'REPEAT', SQUELCH = 90 "
                 u"WHERE MEM = '312'"_s) &&
           f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 145.5, TEXT = 'OTHER' WHERE MEM = '012'"_s) &&
           f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 446.1, TEXT = 'PMR', SELSCAN = TRUE "
                 u"WHERE MEM = '512'"_s);
}

} // namespace

class TestScanPage : public QObject {
    Q_OBJECT

private:
    static TScanPageController& Page(TScanFixture& f) { return *f.Pages->ScanPage(); }
    static const TScanPageWidgets& W(TScanFixture& f) { return Page(f).Widgets(); }

    static bool StartBankScan(TScanFixture& f, int bank) {
        f.ShowPage(kScanPage);
        W(f).BankNoSpinEdit->setValue(bank);
        W(f).ScanMyBitButton->click();
        return f.Panel.Form->RunFlags().ScanRunning;
    }
    static bool WaitForHit(TScanFixture& f) {
        return QTest::qWaitFor([&] { return !W(f).AutoFDisplayEdit->text().isEmpty(); },
                               TPanelFixture::kPatientMs);
    }
    // The table and receiver prepared, the link open, bank 3 scanning and its first stop shown.
    static bool ScanningBank3WithAHit(TScanFixture& f) {
        return Prepare(f) && f.Panel.Open() && StartBankScan(f, 3) && WaitForHit(f);
    }

private Q_SLOTS:
    void ShowingThePageReadsTheGroupOnly() {
        TScanFixture f;
        QVERIFY(Prepare(f));
        QVERIFY(f.Panel.Open());
        f.ShowPage(kScanPage);
        QCOMPARE(f.TakeSent(), (QStringList{u"DS"_s, u"GM"_s}));
        QCOMPARE(W(f).MemScanModeComboBox->currentText(), u"ALL"_s);
        QCOMPARE(W(f).LinkGroupLabel->text(), u"Link Group 0"_s);
        QVERIFY(W(f).GettingDataLabel->isHidden());
    }

    void GroupControlsSendTheirCommands_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("line");
        QTest::newRow("bank 7") << u"B7CheckBox"_s << u"BM 7"_s;
        QTest::newRow("link") << u"ScanLinkCheckBox"_s << u"ML1"_s;
        QTest::newRow("cyber") << u"CyberScanCheckBox"_s << u"DS1"_s;
    }
    void GroupControlsSendTheirCommands() {
        QFETCH(QString, control);
        QFETCH(QString, line);
        TScanFixture f;
        QVERIFY(f.Panel.Open());
        f.ShowPage(kScanPage);
        f.TakeSent();
        f.Panel.Find<QCheckBox>(control)->click();
        QCOMPARE(f.TakeSent(), QStringList{line});
    }

    void ModeAllSendsXmf() {
        TScanFixture f;
        QVERIFY(f.Panel.Open());
        f.ShowPage(kScanPage);
        f.TakeSent();
        QComboBox* mode = W(f).MemScanModeComboBox;
        mode->setFocus();
        mode->setCurrentIndex(0);
        QVERIFY(f.TakeSent().isEmpty()); // the program's own change sends nothing
        Q_EMIT mode->activated(5);
        QCOMPARE(f.TakeSent(), QStringList{u"XMF"_s});
    }

    void BankScanShowsTheChannelOfItsBank() {
        TScanFixture f;
        QVERIFY(Prepare(f));
        QVERIFY(f.Panel.Open());
        QSignalSpy located(&Page(f), &TScanPageController::HitLocated);
        QVERIFY(StartBankScan(f, 3));
        const QStringList started = f.TakeSent();
        QVERIFY2(started.indexOf(u"RQ130"_s) < started.indexOf(u"LC1"_s) &&
                     started.indexOf(u"LC1"_s) < started.indexOf(u"MS3"_s),
                 qPrintable(started.join(u' ')));
        QCOMPARE(W(f).MessageLabel->text(), u"Scanning Bank 3"_s);
        QVERIFY(!W(f).ScanMyBitButton->isEnabled());
        QVERIFY(W(f).SpeedButtonAddToSelectScan->isEnabled());
        QVERIFY(!W(f).BankNoSpinEdit->isEnabled());
        QVERIFY(WaitForHit(f));
        QCOMPARE(W(f).AutoFDisplayEdit->text().trimmed(), u"145.500000"_s);
        QCOMPARE(W(f).MemChannelEdit->text(), u"312"_s);
        QCOMPARE(W(f).AutoMemDisplayEdit->text(), u"REPEAT"_s);
        QCOMPARE(located.value(0), (QVariantList{u"REPEAT"_s, 145.5}));
        QVERIFY(W(f).ScanHitGauge->value() > 150);
        QVERIFY(PageWidgets::IsMarked(W(f).BankBoxes[3]));
        QCOMPARE(f.Pages->ScanTable().ActiveFilter(), u"MEM >= '300' AND MEM <= '399'"_s);
        QVERIFY(!f.Data.MemQuery1().OnFilterRecord);

        // A report from bank 0 moves the look-up there, even from a channel below 10: the
        // repeater is found as channel 012.
        Page(f).ScanBankReported(7);
        QVERIFY(PageWidgets::IsMarked(W(f).BankBoxes[0]));
        QVERIFY(!PageWidgets::IsMarked(W(f).BankBoxes[7]));
        Page(f).ScanHit(f.Panel.Form->Driver()->CurrentRecord());
        QCOMPARE(f.Pages->ScanTable().ActiveFilter(), u"MEM >= '000' AND MEM <= '099'"_s);
        QCOMPARE(W(f).MemChannelEdit->text(), u"012"_s);
        QCOMPARE(W(f).AutoMemDisplayEdit->text(), u"OTHER"_s);
    }

    void BankBoxIsKeptWithTheLink() {
        TScanFixture f; // a program folder of its own
        QVERIFY(TIniFile(SettingsFileName()).WriteInteger(u"Settings"_s, u"ScanBenk"_s, 6));
        QVERIFY(f.Panel.Open());
        QCOMPARE(W(f).BankNoSpinEdit->value(), 6);
        W(f).BankNoSpinEdit->setValue(4);
        f.Panel.Find<QPushButton>(u"OpenPortButton"_s)->click(); // closes the link
        QTRY_VERIFY(!f.Panel.Form->Driver()->Connected());
        QCOMPARE(TIniFile(SettingsFileName()).ReadInteger(u"Settings"_s, u"ScanBenk"_s, -1), 4);
    }

    // The search display dropped on a row stores the hit with the search page's settings.
    void SearchDisplayDroppedOnARow() {
        TScanFixture f;
        QVERIFY(f.Panel.Open());
        auto* display = f.Panel.Find<QLineEdit>(u"AutoSDisplayEdit"_s);
        display->setText(u"  145.500000"_s);
        auto* searchMode = f.Panel.Find<QComboBox>(u"SModeComboBox"_s);
        auto* mainMode = f.Panel.Find<QComboBox>(u"ModeComboBox"_s);
        searchMode->setCurrentIndex(mainMode->currentIndex() == 1 ? 2 : 1);
        f.Panel.Find<TUpDown>(u"SquelchSearchUpDown"_s)->SetPosition(77);
        TVfoDrop& drop = *f.MemForm->VfoDrop();
        drop.AskText = [](const QString&) {
            return std::optional<QString>(u"HIT"_s);
        };
        QVERIFY(f.MemForm->LocateChannel(60));

        drop.StoreVfo(*display);
        TTableView& row = f.Data.MemQuery1();
        QCOMPARE(row.Value(u"MEM").toString(), u"060"_s);
        QCOMPARE(row.Value(u"FREQ").toDouble(), 145.5);
        QCOMPARE(row.Value(u"TEXT").toString(), u"HIT"_s);
        QCOMPARE(row.Value(u"MODE").toString(), searchMode->currentText());
        QCOMPARE(row.Value(u"SSTEP").toString(), u"Main"_s);
        QCOMPARE(row.Value(u"SQUELCH").toInt(), 77);
        QCOMPARE(f.Panel.Receiver.Memory(0, 60).Freq, 145.5);
    }

    void ResetFlagsPutsTheMemoryWindowBack() {
        TScanFixture f;
        auto* multiSelect = f.MemForm->findChild<QCheckBox*>(u"cbMultiSelect"_s);
        auto* noAutoRefresh = f.MemForm->findChild<QCheckBox*>(u"cbNoAutoRefresh"_s);
        multiSelect->setChecked(true);
        noAutoRefresh->setEnabled(false);
        f.Panel.Answers->ConfirmAnswer = true;
        f.Panel.Form->findChild<QAction*>(u"ResetFlags1"_s)->trigger();
        QVERIFY(!multiSelect->isChecked());
        QVERIFY(noAutoRefresh->isEnabled());
        QCOMPARE(f.MemForm->Grid()->contextMenuPolicy(), Qt::CustomContextMenu);
    }

    void FirstHitIsLookedUpInTheBankStarted() {
        TScanFixture f;
        QVERIFY(Prepare(f));
        QVERIFY(f.Panel.Open());
        Page(f).ScanBankReported(0); // as left by an earlier run
        QVERIFY(StartBankScan(f, 3));
        // A stop reported before any bank report.
        TRxDat rec;
        rec.Freq = 145.5;
        rec.Level = u"150"_s;
        Page(f).ScanHit(rec);
        QCOMPARE(W(f).MemChannelEdit->text(), u"312"_s);
        W(f).StopScanButton->click();
    }

    void StopShowsTheChannelAndRestoresTheView() {
        TScanFixture f;
        QVERIFY(ScanningBank3WithAHit(f));
        f.TakeSent();
        W(f).StopScanButton->click();
        const QStringList sent = f.TakeSent();
        QVERIFY2(sent.indexOf(u"LC0"_s) < sent.indexOf(u"MR"_s) &&
                     sent.indexOf(u"MR"_s) < sent.indexOf(u"RX"_s),
                 qPrintable(sent.join(u' ')));
        QCOMPARE(sent.last(), u"RQ90"_s); // the channel's own squelch from the table
        const TMainSheetWidgets& sheet = f.Panel.Sheet().Widgets();
        QCOMPARE(sheet.MemEdit->text(), u"312"_s);
        QCOMPARE(sheet.MemTextEdit->text(), u"REPEAT"_s);
        QCOMPARE(sheet.FrqEditM->text().trimmed(), u"145.500000"_s);
        QVERIFY(f.Pages->ScanTable().ActiveFilter().isEmpty());
        QVERIFY(f.Data.MemQuery1().OnFilterRecord);
        QVERIFY(!f.Panel.Form->RunFlags().ScanRunning);
        QCOMPARE(W(f).MessageLabel->text(), u"Scan"_s);
        QVERIFY(W(f).ScanMyBitButton->isEnabled());
        QVERIFY(!W(f).SpeedButtonAddToSelectScan->isEnabled());
        QVERIFY(W(f).BankNoSpinEdit->isEnabled());
        QVERIFY(!f.Panel.Form->Driver()->OnFrequency);
        QVERIFY(!f.Panel.Form->Driver()->OnMemoryChannel);
    }

    void SelectScanLooksEverywhere() {
        TScanFixture f;
        QVERIFY(Prepare(f));
        QVERIFY(f.Panel.Open());
        f.ShowPage(kScanPage);
        f.TakeSent();
        W(f).ButtonSelectScan->click();
        QVERIFY(f.Panel.Form->RunFlags().SelectScanRunning);
        QCOMPARE(W(f).MessageLabel->text(), u"Select Scanning"_s);
        QVERIFY(!W(f).SpeedButtonAddToSelectScan->isEnabled());
        QVERIFY(WaitForHit(f));
        QCOMPARE(W(f).MemChannelEdit->text(), u"512"_s);
        QCOMPARE(W(f).AutoMemDisplayEdit->text(), u"PMR"_s);
        QVERIFY(f.Pages->ScanTable().ActiveFilter().isEmpty());
        QVERIFY(f.TakeSent().contains(u"SM"_s));
        W(f).StopScanButton->click();
        QVERIFY(!f.Panel.Form->RunFlags().SelectScanRunning);
        QVERIFY(!f.Panel.Form->RunFlags().ScanRunning);
    }

    void AddToSelectScan_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void AddToSelectScan() {
        QFETCH(bool, yes);
        TScanFixture f;
        QVERIFY(ScanningBank3WithAHit(f));
        f.TakeSent();
        f.Panel.Answers->ConfirmAnswer = yes;
        W(f).SpeedButtonAddToSelectScan->click();
        QCOMPARE(f.Panel.Answers->ConfirmAsked.value(0),
                 u"Add to Select Scan list?\r\n\r\nMem Ch: 312\r\nFreq: 145.500000 MHz\r\n"
                 u"Text: REPEAT\r\n\r\nScan will continue"_s);
        const QStringList sent = f.TakeSent();
        QCOMPARE(sent.contains(u"GA1"_s), yes);
        // The scan goes on from the bank box in either case.
        QVERIFY2(sent.last() == u"MS3"_s, qPrintable(sent.join(u' ')));
        QVERIFY(f.Panel.Form->RunFlags().ScanRunning);
        QCOMPARE(f.Panel.Receiver.Memory(0, 312).SelectScan, yes);
        QCOMPARE(f.Data.LocateMemory(u"312"_s), TLocateResult::Found);
        QCOMPARE(f.Data.MemQuery1().Value(u"SELSCAN").toBool(), yes);
        QVERIFY(!f.Data.MemQuery1().Value(u"CHANGED").toBool());
        W(f).StopScanButton->click();
    }

    void UnansweredStopEditsNoRowButRestoresTheView() {
        TScanFixture f;
        QVERIFY(ScanningBank3WithAHit(f));
        const QString shownBefore = f.Panel.Sheet().Widgets().MemEdit->text();
        f.Panel.Form->Driver()->Timeout = 300;
        f.Panel.Receiver.SetFault(TSimFault::Silence);
        f.Panel.Answers->ConfirmAnswer = true;
        W(f).SpeedButtonAddToSelectScan->click();
        QCOMPARE(f.Panel.Sheet().Widgets().MemEdit->text(), shownBefore);
        QCOMPARE(f.Data.LocateMemory(shownBefore.isEmpty() ? u"000"_s : shownBefore),
                 TLocateResult::Found);
        QVERIFY(!f.Data.MemQuery1().Value(u"SELSCAN").toBool());
        f.Panel.Receiver.SetFault(TSimFault::None);
        f.Panel.Form->Driver()->Timeout = TPanelFixture::kPatientMs;
        W(f).StopScanButton->click();
        QVERIFY(f.Pages->ScanTable().ActiveFilter().isEmpty());
        QVERIFY(f.Data.MemQuery1().OnFilterRecord);
    }

    void LostLinkEndsTheScanAndRestoresTheView() {
        TScanFixture f;
        QVERIFY(ScanningBank3WithAHit(f));
        QVERIFY(!f.Pages->ScanTable().ActiveFilter().isEmpty());
        f.Panel.Receiver.DropConnection();
        QTRY_VERIFY_WITH_TIMEOUT(!f.Panel.Form->RunFlags().ScanRunning, TPanelFixture::kPatientMs);
        QVERIFY(f.Pages->ScanTable().ActiveFilter().isEmpty());
        QVERIFY(f.Data.MemQuery1().OnFilterRecord);
        QVERIFY(W(f).ScanMyBitButton->isEnabled());
        QVERIFY(f.Panel.Messages.join(u'\n').contains(u"Scan stopped"_s));
    }

    void EnterInTheBankBoxStartsTheScan() {
        TScanFixture f;
        QVERIFY(Prepare(f));
        QVERIFY(f.Panel.Open());
        f.ShowPage(kScanPage);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(),
                                  static_cast<QWidget*>(W(f).BankNoSpinEdit),
                                  TPanelFixture::kPatientMs);
        f.Panel.Stroke(Qt::Key_Up);
        f.Panel.Stroke(Qt::Key_Return);
        QVERIFY(f.Panel.Form->RunFlags().ScanRunning);
        QCOMPARE(W(f).MessageLabel->text(), u"Scanning Bank 1"_s);
        // Enter on the focused stop button does not stop it.
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(W(f).StopScanButton));
        f.Panel.Stroke(Qt::Key_Return);
        QVERIFY(f.Panel.Form->RunFlags().ScanRunning);
        W(f).StopScanButton->click();
    }

    void ClearRunsTheChannelAction() {
        TScanFixture f;
        int cleared = 0;
        QVERIFY(!W(f).SpeedButtonClearSelectFlags->isEnabled());
        Page(f).SetClearAllSelectScanFlags([&cleared] { ++cleared; });
        W(f).SpeedButtonClearSelectFlags->click();
        QCOMPARE(cleared, 1);
    }

    void BankFilterBoundsAreText() {
        QCOMPARE(BankFilter(0), u"MEM >= '000' AND MEM <= '099'"_s);
        QCOMPARE(BankFilter(9), u"MEM >= '900' AND MEM <= '999'"_s);
        QVERIFY(BankFilter(10).isEmpty());
        QVERIFY(BankFilter(-1).isEmpty());
    }
};

QTEST_MAIN(TestScanPage)
#include "tst_scanpage.moc"
