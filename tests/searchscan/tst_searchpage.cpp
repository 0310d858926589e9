// The "F Search" page against the simulated receiver: what loading, editing, starting, pausing
// and stopping send, and what the page shows.
#include "SearchScanFixture.h"

#include "PageWidgets.h"
#include "SearchPage.h"
#include "UpDown.h"
#include "VfoPanelController.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

constexpr int kSearchPage = 2;
constexpr int kBank = kTwoCarrierBank;

bool IsSetter(const QString& line) {
    // Reads are the bare mnemonic or a bank number to read; everything else changes the receiver.
    static const QStringList kSetters = {
        u"SD"_s, u"SB"_s, u"SA"_s, u"SP"_s, u"BS"_s, u"SL"_s, u"AS"_s, u"DS"_s, u"RQ"_s, u"LC"_s,
        u"MD"_s, u"AN"_s, u"AT"_s, u"AC"_s, u"LP"_s, u"HP"_s, u"DE"_s, u"SE"_s, u"QS"_s};
    for (const QString& setter : kSetters) {
        if (line.startsWith(setter) && line.size() > setter.size())
            return true;
    }
    return false;
}

} // namespace

class TestSearchPage : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FHome;

    static TSearchPageController& Page(TSearchScanFixture& f) { return *f.Pages->SearchPage(); }
    static const TSearchPageWidgets& W(TSearchScanFixture& f) { return Page(f).Widgets(); }

    // The page shown with bank 5 read into the editor; what was sent so far forgotten.
    static bool OpenOnBank(TSearchScanFixture& f) {
        PrepareTwoCarrierBand(f.Receiver);
        if (!f.Open())
            return false;
        f.ShowPage(kSearchPage);
        W(f).SearchFreqTabControl->Tab(kBank)->click();
        const bool read = QTest::qWaitFor([&] { return W(f).TTEdit->text() == u"TWOM"_s; },
                                          TPanelFixture::kPatientMs);
        f.TakeSent();
        return read;
    }

private Q_SLOTS:
    void initTestCase() { qputenv("KOVELA_HOME", FHome.path().toLocal8Bit()); }

    void ShowingThePageSendsOnlyReads() {
        TSearchScanFixture f;
        PrepareTwoCarrierBand(f.Receiver);
        // Every control the read sets differs from its default, so that any change signal that
        // sends would be seen.
        TSimSettings settings = f.Receiver.Settings();
        settings.AutoStore = 1;
        settings.CyberScan = true;
        f.Receiver.SetSettings(settings);
        TSearchGroupDat group = f.Receiver.SearchGroup(0);
        group.Delay = 12;
        group.Level = 40;
        group.VoiceLevel = 9;
        group.Pause = 5;
        group.Link = true;
        group.LinkedBanks = u"0-2-4-6-8-0-2-4-6-8-"_s;
        f.Receiver.SetSearchGroup(group);
        QVERIFY(f.Open());
        f.ShowPage(kSearchPage);
        const QStringList sent = f.TakeSent();
        QVERIFY(W(f).AutoStoreCheckBox->isChecked());
        QVERIFY(W(f).CyberScanCheckBox2->isChecked());
        QVERIFY(W(f).SearchLinkCheckBox->isChecked());
        QCOMPARE(W(f).sLevelEdit->text(), u"40"_s);
        QVERIFY(f.Find<QCheckBox>(u"S12CheckBox"_s)->isChecked());
        QVERIFY(!f.Find<QCheckBox>(u"S13CheckBox"_s)->isChecked());
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(),
                                  static_cast<QWidget*>(W(f).StartSearchMyBitButton), f.kPatientMs);
        QVERIFY2(sent.contains(u"GS"_s) && sent.contains(u"SR"_s), qPrintable(sent.join(u' ')));
        for (const QString& line : sent)
            QVERIFY2(!IsSetter(line), qPrintable(line + u" in "_s + sent.join(u' ')));
        // The receiver is put back on the VFO it was on, and the page shows group and bank.
        QCOMPARE(sent.last(), u"DS"_s);
        QVERIFY(sent.contains(u"VA"_s));
        QCOMPARE(W(f).SearchLinkGroupLabel->text(), u"Link Group 0"_s);
        QVERIFY(W(f).GettingDataLabel2->isHidden());
    }

    void BankTabReadsTheBankAndReturnsToTheBox_data() {
        QTest::addColumn<bool>("memory");
        QTest::newRow("VFO A current") << false;
        QTest::newRow("memory current") << true;
    }
    void BankTabReadsTheBankAndReturnsToTheBox() {
        QFETCH(bool, memory);
        TSearchScanFixture f;
        PrepareTwoCarrierBand(f.Receiver);
        QVERIFY(f.Open());
        if (memory) {
            f.Sheet().VfoPanel()->ClickBox(u'M');
            QTRY_COMPARE_WITH_TIMEOUT(f.State().CurrentVfo, QChar(u'M'), f.kPatientMs);
        }
        f.ShowPage(kSearchPage);
        f.TakeSent();
        W(f).SearchFreqTabControl->Tab(kBank)->click();
        const QStringList sent = f.TakeSent();
        const qsizetype start = sent.indexOf(u"SS05"_s);
        QVERIFY2(start >= 0, qPrintable(sent.join(u' ')));
        QVERIFY(sent.indexOf(u"SR 05"_s) < start);
        QVERIFY2(sent.indexOf(memory ? u"MR"_s : u"VA"_s, start) > start,
                 qPrintable(sent.join(u' ')));
        QCOMPARE(W(f).SLEdit->text(), u"145.000000"_s);
        QCOMPARE(W(f).SUEdit->text(), u"145.100000"_s);
        QCOMPARE(W(f).TTEdit->text(), u"TWOM"_s);
        QCOMPARE(W(f).StartSearchMyBitButton->text(), u"Sea&rch Bank 5"_s);
        QCOMPARE(W(f).SBandwidthComboBox->currentIndex(), 3);
        QVERIFY(!f.Receiver.Running());
        W(f).SearchFreqTabControl->Tab(12)->click();
        QTRY_COMPARE_WITH_TIMEOUT(W(f).StartSearchMyBitButton->text(), u"Sea&rch Bank 12"_s,
                                  f.kPatientMs);
    }

    void BankReadThatTimesOutEmptiesTheEditor() {
        TSearchScanFixture f;
        QVERIFY(OpenOnBank(f));
        f.Form->Driver()->Timeout = 300;
        f.Receiver.SetFault(TSimFault::Silence);
        W(f).SearchFreqTabControl->Tab(3)->click();
        QVERIFY(W(f).TTEdit->text().isEmpty());
        QVERIFY(W(f).SLEdit->text().isEmpty());
        QVERIFY(W(f).SearchFreqTabControl->isEnabled());
        QVERIFY(W(f).GettingDataLabel2->isHidden());
    }

    void HoldFromTheGroupAndBack() {
        TSearchScanFixture f;
        PrepareTwoCarrierBand(f.Receiver);
        TSearchGroupDat group = f.Receiver.SearchGroup(0);
        group.Delay = kSearchDelayHold;
        f.Receiver.SetSearchGroup(group);
        QVERIFY(f.Open());
        f.ShowPage(kSearchPage);
        QVERIFY(W(f).HoldCheckBox->isChecked());
        QVERIFY(!W(f).sDelayEdit->isEnabled());
        f.TakeSent();
        W(f).HoldCheckBox->click();
        QCOMPARE(f.TakeSent(), QStringList{u"SD99"_s});
        QVERIFY(W(f).sDelayEdit->isEnabled());
        W(f).HoldCheckBox->click();
        QCOMPARE(f.TakeSent(), QStringList{u"SDFF"_s});
    }

    void GroupEditsSendOnEnterOnly() {
        TSearchScanFixture f;
        PrepareTwoCarrierBand(f.Receiver);
        QVERIFY(f.Open());
        f.ShowPage(kSearchPage);
        f.TakeSent();
        QLineEdit* level = W(f).sLevelEdit;
        level->selectAll();
        f.TypeInto(level, u"1a+-2"_s);
        QCOMPARE(level->text(), u"12"_s);
        QVERIFY(f.TakeSent().isEmpty());
        f.Stroke(Qt::Key_Return);
        const QStringList sent = f.TakeSent();
        QCOMPARE(sent.value(0), u"SB12"_s);
        QVERIFY(sent.contains(u"GS"_s)); // read back for the "+" flag
        QVERIFY(level->toolTip().contains(u"dBm"_s));
        QCOMPARE(f.Receiver.SearchGroup(0).Level, 12);
    }

    void MembershipBoxesSendTheirBank_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("line");
        QTest::newRow("13") << u"S13CheckBox"_s << u"BS13"_s;
        QTest::newRow("05") << u"S05CheckBox"_s << u"BS05"_s;
    }
    void MembershipBoxesSendTheirBank() {
        QFETCH(QString, box);
        QFETCH(QString, line);
        TSearchScanFixture f;
        QVERIFY(f.Open());
        f.ShowPage(kSearchPage);
        f.TakeSent();
        f.Find<QCheckBox>(box)->click();
        QCOMPARE(f.TakeSent(), QStringList{line});
    }

    void SearchSquelchSendsWholeNumbersInRange() {
        TSearchScanFixture f;
        QVERIFY(f.Open());
        f.ShowPage(kSearchPage);
        f.TakeSent();
        QLineEdit* squelch = W(f).SquelchForSearchEdit;
        squelch->selectAll();
        f.TypeInto(squelch, u"9x9"_s);
        QCOMPARE(f.TakeSent(), (QStringList{u"RQ9"_s, u"RQ99"_s}));
        f.TypeInto(squelch, u"9"_s); // 999: too high, not sent
        QVERIFY(f.TakeSent().isEmpty());
    }

    void SearchRunsHitsAndStops() {
        TSearchScanFixture f;
        QVERIFY(OpenOnBank(f));
        f.TakeSent();

        W(f).StartSearchMyBitButton->click();
        QVERIFY(f.Form->RunFlags().SearchRunning);
        QVERIFY(!W(f).StartSearchMyBitButton->isEnabled());
        QVERIFY(W(f).PauseButton->isEnabled());
        QVERIFY(W(f).SAgcComboBox->isEnabled());
        QCOMPARE(PageWidgets::BoxColour(W(f).AutoSDisplayEdit), kBoxGreen);
        QVERIFY(!f.Form->findChild<QAction*>(u"ResetFlags1"_s)->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!W(f).AutoSDisplayEdit->text().isEmpty(), f.kPatientMs);
        const QString shown = W(f).AutoSDisplayEdit->text().trimmed();
        QVERIFY2(shown == u"145.025000"_s || shown == u"145.075000"_s, qPrintable(shown));
        QVERIFY(W(f).AutoSearchSigEdit->toolTip().contains(u"dBm"_s));
        QVERIFY(qAbs(W(f).SearchHitGauge->value() - 200) <= kSimJitterLevels);
        QVERIFY(W(f).AddPassFreqButton->isEnabled());
        const QStringList started = f.TakeSent();
        const qsizetype level = started.indexOf(u"LC1"_s);
        QVERIFY2(started.indexOf(u"RQ130"_s) < level && level < started.indexOf(u"SS05"_s),
                 qPrintable(started.join(u' ')));

        // Tabs and pages are refused while it runs.
        W(f).SearchFreqTabControl->Tab(2)->click();
        QCOMPARE(W(f).SearchFreqTabControl->CurrentIndex(), kBank);
        f.Find<QTabWidget>(u"PageControl1"_s)->setCurrentIndex(0);
        QCOMPARE(f.Find<QTabWidget>(u"PageControl1"_s)->currentIndex(), kSearchPage);

        W(f).SearchStopButton->click();
        const QStringList stopped = f.TakeSent();
        QVERIFY2(stopped.indexOf(u"LC0"_s) < stopped.indexOf(u"VA"_s),
                 qPrintable(stopped.join(u' ')));
        const int squelchA = f.Sheet().Widgets().SquelchEdit[0]->text().toInt();
        QCOMPARE(stopped.last(), u"RQ"_s + QString::number(squelchA));
        QVERIFY(!f.Form->RunFlags().SearchRunning);
        QVERIFY(!f.Receiver.Running());
        QVERIFY(W(f).StartSearchMyBitButton->isEnabled());
        QVERIFY(!W(f).PauseButton->isEnabled());
        QVERIFY(!W(f).AddPassFreqButton->isEnabled());
        QVERIFY(!W(f).SAgcComboBox->isEnabled());
        QVERIFY(W(f).AutoSDisplayEdit->text().isEmpty());
        QCOMPARE(PageWidgets::BoxColour(W(f).AutoSDisplayEdit), kBoxBlack);
        QVERIFY(f.Form->findChild<QAction*>(u"ResetFlags1"_s)->isEnabled());
        QVERIFY(!f.Form->Driver()->OnFrequency);
        QVERIFY(!f.Form->Driver()->OnSearchBank);
    }

    void PauseThenStopRestoresTheGroupFirst() {
        TSearchScanFixture f;
        PrepareTwoCarrierBand(f.Receiver);
        QVERIFY(f.Open());
        f.ShowPage(kSearchPage);
        W(f).UpDownSB->SetPosition(40);
        W(f).UpDownSA->SetPosition(7);
        W(f).StartSearchMyBitButton->click();
        f.TakeSent();
        W(f).PauseButton->click();
        QCOMPARE(W(f).PauseButton->text(), u"Resume"_s);
        QCOMPARE(f.TakeSent(), (QStringList{u"RQ255"_s, u"SB0"_s, u"SA0"_s}));
        W(f).SearchStopButton->click();
        const QStringList sent = f.TakeSent();
        QCOMPARE(sent.mid(0, 4), (QStringList{u"RQ130"_s, u"SB40"_s, u"SA7"_s, u"LC0"_s}));
        QVERIFY(sent.indexOf(u"VA"_s) > 3);
        QCOMPARE(W(f).PauseButton->text(), u"&Open Squelch"_s);
    }

    void DraggingAHitPausesThenStops() {
        TSearchScanFixture f;
        PrepareTwoCarrierBand(f.Receiver);
        QVERIFY(f.Open());
        f.ShowPage(kSearchPage);
        W(f).StartSearchMyBitButton->click();
        f.TakeSent();
        Page(f).HitDragStarted();
        QCOMPARE(W(f).PauseButton->text(), u"Resume"_s);
        QCOMPARE(f.TakeSent().value(0), u"RQ255"_s);
        Page(f).HitDragEnded();
        QVERIFY(!f.Form->RunFlags().SearchRunning);
        QVERIFY(f.TakeSent().contains(u"LC0"_s));
    }

    void BankReportsMarkTheBankSearched() {
        TSearchScanFixture f;
        PrepareTwoCarrierBand(f.Receiver);
        QVERIFY(f.Open());
        f.ShowPage(kSearchPage);
        W(f).StartSearchMyBitButton->click();
        Page(f).SearchBankReported(13);
        QVERIFY(PageWidgets::IsMarked(f.Find<QCheckBox>(u"S13CheckBox"_s)));
        Page(f).SearchBankReported(2);
        QVERIFY(!PageWidgets::IsMarked(f.Find<QCheckBox>(u"S13CheckBox"_s)));
        QVERIFY(PageWidgets::IsMarked(f.Find<QCheckBox>(u"S02CheckBox"_s)));
        W(f).SearchStopButton->click();
        QVERIFY(!PageWidgets::IsMarked(f.Find<QCheckBox>(u"S02CheckBox"_s)));
    }

    void LostLinkEndsTheSearch() {
        TSearchScanFixture f;
        PrepareTwoCarrierBand(f.Receiver);
        QVERIFY(f.Open());
        f.ShowPage(kSearchPage);
        W(f).StartSearchMyBitButton->click();
        QVERIFY(f.Form->RunFlags().SearchRunning);
        f.Receiver.DropConnection();
        QTRY_VERIFY_WITH_TIMEOUT(!f.Form->RunFlags().SearchRunning, f.kPatientMs);
        QVERIFY(W(f).StartSearchMyBitButton->isEnabled());
        QVERIFY(!W(f).PauseButton->isEnabled());
        QVERIFY(!f.Form->Driver()->OnFrequency);
        QVERIFY(f.Messages.join(u'\n').contains(u"Search stopped"_s));
    }

    void StopOnAGarbledLineStillEndsTheSearch() {
        TSearchScanFixture f;
        QVERIFY(OpenOnBank(f));
        W(f).StartSearchMyBitButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(!W(f).AutoSDisplayEdit->text().isEmpty(), f.kPatientMs);
        f.Form->Driver()->Timeout = 300;
        f.Receiver.SetFault(TSimFault::Garbage);
        f.Messages.clear();
        W(f).SearchStopButton->click();
        QVERIFY(!f.Form->RunFlags().SearchRunning);
        QVERIFY(W(f).StartSearchMyBitButton->isEnabled());
        QVERIFY(!W(f).PauseButton->isEnabled());
        QVERIFY(f.Form->findChild<QAction*>(u"ResetFlags1"_s)->isEnabled());
        QVERIFY(!f.Form->Driver()->OnFrequency);
        QVERIFY2(!f.Messages.isEmpty(), "the time-out is reported");
    }

    void WritingTheBankSendsTheEditorAndReadsBack() {
        TSearchScanFixture f;
        QVERIFY(OpenOnBank(f));
        W(f).SUEdit->setText(u"145.5"_s);
        f.TakeSent();
        W(f).WritetoSearchBank1->trigger();
        const QStringList sent = f.TakeSent();
        QVERIFY2(std::any_of(sent.cbegin(), sent.cend(),
                             [](const QString& l) { return l.startsWith(u"SE05"_s); }),
                 qPrintable(sent.join(u' ')));
        QCOMPARE(f.Receiver.SearchBank(kBank).Upper, 145.5);
        QVERIFY(!f.Form->RunFlags().SearchRunning);
    }

    void ResetFlagsAsksThenClearsWhatWasLeftSet() {
        TSearchScanFixture f;
        QVERIFY(f.Open());
        QAction* reset = f.Form->findChild<QAction*>(u"ResetFlags1"_s);
        QVERIFY(reset);
        TRunFlags& flags = f.Form->RunFlags();
        flags.ScanRunning = flags.SelectScanRunning = flags.SearchRunning = true;
        f.State().TuningInProgress = true;
        f.Answers->ConfirmAnswer = false;
        reset->trigger();
        QCOMPARE(f.Answers->ConfirmAsked.value(0),
                 u"Bad data from Rx could cause\r\nflags to stick and timeouts\r\nThis will "
                 u"clear flags without\r\nrestarting Kovela"_s);
        QVERIFY(flags.SearchRunning);
        f.Answers->ConfirmAnswer = true;
        reset->trigger();
        QVERIFY(!flags.ScanRunning && !flags.SelectScanRunning && !flags.SearchRunning);
        QVERIFY(!f.State().TuningInProgress);
        QVERIFY(W(f).StartSearchMyBitButton->isEnabled());
        QVERIFY(!f.Find<QCheckBox>(u"TimerCheckBox"_s)->isChecked());
    }

    void DeleteBankAsksFirst() {
        TSearchScanFixture f;
        QVERIFY(OpenOnBank(f));
        f.TakeSent();
        f.Answers->ConfirmAnswer = false;
        W(f).DeleteBank1->trigger();
        QCOMPARE(f.Answers->ConfirmAsked.value(0),
                 u"Delete contents of Search bank 5?\r\n            Are you sure?"_s);
        QVERIFY(f.TakeSent().isEmpty());
        f.Answers->ConfirmAnswer = true;
        W(f).DeleteBank1->trigger();
        QCOMPARE(f.TakeSent(), QStringList{u"QS05"_s});
        QVERIFY(W(f).TTEdit->text().isEmpty());
    }
};

QTEST_MAIN(TestSearchPage)
#include "tst_searchpage.moc"
