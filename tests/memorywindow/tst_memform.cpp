// The memory window on a main window and the in-process simulated receiver: which rows it shows,
// how it tunes, and the transfers as the user starts them.
#include "memorywindow/MemFormFixture.h"

#include "DataUnit1.h"
#include "DragData.h"
#include "IniFile.h"
#include "MemForm.h"
#include "MemFormLink.h"
#include "MemoryGrid.h"
#include "MemoryTransferController.h"
#include "ProgramFolder.h"
#include "SquelchController.h"
#include "TransferDialogs.h"
#include "VfoDrop.h"
#include "VfoDropTarget.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <map>

using namespace Qt::StringLiterals;

namespace {

// Clicks a button of the next modal dialog as soon as it shows.
void AnswerNextDialog(const QString& buttonName) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, buttonName] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        if (auto* button = dialog->findChild<QAbstractButton*>(buttonName))
            button->click();
        timer->deleteLater();
    });
    timer->start(10);
}

// Every seventh channel used, each on a frequency of its own, marked CHANGED; the others blank.
// Some texts say TOWER, some rows have PASS or SELSCAN, so that every restricted view hides
// used channels.
bool FillEverySeventhChannel(TMemFormFixture& f) {
    return f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = NULL, TEXT = NULL, MODE = NULL, BW = NULL, "
                 u"ATN = NULL, STEP = NULL, PASS = NULL, SELSCAN = NULL, CHANGED = NULL"_s) &&
           f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 100 + CAST(MEM AS INTEGER) / 1000.0, "
                 u"MODE = 'FM', BW = '15', ATN = '0', STEP = '5.000', "
                 u"TEXT = CASE WHEN CAST(MEM AS INTEGER) % 9 = 0 THEN 'TOWER' ELSE 'BASE' END, "
                 u"PASS = CAST(MEM AS INTEGER) % 2 = 0, SELSCAN = CAST(MEM AS INTEGER) % 5 = 0, "
                 u"CHANGED = TRUE WHERE CAST(MEM AS INTEGER) % 7 = 0"_s);
}

} // namespace

class TestMemForm : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Title clicks, hundreds and hidden blanks make the statement the view runs.
    void sortingAndSubSelection() {
        TMemFormFixture f;
        TMemForm& form = *f.Form;
        QAction* hideBlanks = f.MenuItem(u"SubSelectBankPopupMenu"_s, u"Hide Blanks"_s);

        form.SubSelectHundred(2);
        form.TitleClicked(1); // FREQ
        QCOMPARE(f.View().Sql(), u"SELECT * FROM MemoryBank0.dbf WHERE (((MEM >= '200') AND "
                                 u"(MEM <= '299')) AND (FREQ <> '' )) ORDER BY FREQ"_s);
        QCOMPARE(form.windowTitle(), f.View().Sql());
        QVERIFY(hideBlanks->isChecked() && !hideBlanks->isEnabled());
        QCOMPARE(form.Grid()->TitleColour(1), form.HighlightColor());
        QVERIFY(form.Grid()->TitleColour(0) != form.HighlightColor());

        // MEM gives the blanks back to the user's choice, which the FREQ click had set.
        form.TitleClicked(0);
        QVERIFY(hideBlanks->isEnabled());
        QCOMPARE(f.View().Sql(), u"SELECT * FROM MemoryBank0.dbf WHERE (((MEM >= '200') AND "
                                 u"(MEM <= '299')) AND (FREQ <> '' )) ORDER BY MEM"_s);
        hideBlanks->trigger();
        QCOMPARE(f.View().Sql(), u"SELECT * FROM MemoryBank0.dbf WHERE (((MEM >= '200') AND "
                                 u"(MEM <= '299'))) ORDER BY MEM"_s);
        QCOMPARE(f.View().RecordCount(), 100);

        form.TitleClicked(14); // PASS
        QCOMPARE(f.View().Sql(), u"SELECT * FROM MemoryBank0.dbf WHERE (((MEM >= '200') AND "
                                 u"(MEM <= '299')) AND (PASS = TRUE )) ORDER BY MEM"_s);

        form.ShowAllMemories();
        QCOMPARE(f.View().Sql(), u"SELECT * FROM MemoryBank0.dbf ORDER BY MEM"_s);
        QCOMPARE(f.View().RecordCount(), kBankRows);
        QVERIFY(!hideBlanks->isChecked());

        // Hide Blanks on the whole table.
        hideBlanks->trigger();
        QCOMPARE(form.windowTitle(), u"All Mems Blanks hidden"_s);
        QCOMPARE(f.View().Sql(), u"SELECT * FROM MemoryBank0.dbf WHERE FREQ <> '' "_s);
        QVERIFY(f.View().RecordCount() < kBankRows);
    }

    void quickFilterAndLocate() {
        TMemFormFixture f;
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = NULL, TEXT = NULL"_s));
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 7.1, TEXT = 'Tower' WHERE MEM IN "
                      u"('010', '020', '700')"_s));
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 7.1, TEXT = 'TAXI' WHERE MEM = '030'"_s));
        auto* edit = f.Find<QLineEdit>(u"Edit1"_s);
        edit->setText(u"ow"_s);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(f.View().RecordCount(), 3);
        QVERIFY(edit->styleSheet().contains(f.Form->HighlightColor().name()));
        edit->clear();
        f.Find<QToolButton>(u"SubSelectButton"_s)->click();
        QCOMPARE(f.View().RecordCount(), kBankRows);

        // Locate: from the row after the current one, wildcards, any letter case.
        QVERIFY(f.Form->LocateChannel(10));
        f.Answers().TextAnswers = {u"t?w*r"_s, u"a*i"_s, u"nothing"_s};
        f.Form->Locate();
        QCOMPARE(f.Mem(), u"020"_s);
        f.Form->Locate();
        QCOMPARE(f.Mem(), u"030"_s);
        f.Form->Locate();
        QCOMPARE(f.Mem(), u"030"_s);
        QCOMPARE(f.Panel.Messages.size(), 1);
        QCOMPARE(f.Answers().TextAsked.first(), u"Search Form"_s);
    }

    void jumpByHundreds_data() {
        QTest::addColumn<QString>("blank");
        QTest::addColumn<QString>("landsOn");
        QTest::newRow("300-304 blank") << u"MEM BETWEEN '300' AND '304'"_s << u"305"_s;
        QTest::newRow("300-309 blank") << u"MEM BETWEEN '300' AND '309'"_s << u"042"_s;
    }

    void jumpByHundreds() {
        QFETCH(QString, blank);
        QFETCH(QString, landsOn);
        TMemFormFixture f;
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 100.0"_s));
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = NULL WHERE "_s + blank));
        f.MenuItem(u"PopupMenu2"_s, u"Hide Blanks"_s)->trigger();
        QVERIFY(f.Form->LocateChannel(42));
        f.MenuItem(u"PopupMenu2"_s, u"300"_s)->trigger();
        QCOMPARE(f.Mem(), landsOn);
    }

    void quickJumpAsksUntilANumber() {
        TMemFormFixture f;
        QVERIFY(f.Panel.Open());
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 145.5, STEP = '12.500', "
                      u"SQUELCH = NULL WHERE MEM = '077'"_s));
        QVERIFY(f.Form->LocateChannel(10));
        f.Answers().TextAnswers = {u"abc"_s, std::nullopt};
        f.Form->QuickJump();
        QCOMPARE(f.Answers().TextAsked.size(), 4); // asked twice
        QCOMPARE(f.Mem(), u"010"_s);
        QVERIFY(f.Sent().isEmpty());

        f.Answers().TextAnswers = {u"77"_s};
        f.Form->QuickJump();
        QCOMPARE(f.Mem(), u"077"_s);
        // No squelch stored means 255, sent after the channel so that it never opens first.
        QTRY_VERIFY(f.SentIndex(u"RQ255"_s) >= 0);
        QVERIFY(f.SentIndex(u"RQ255"_s) > f.SentIndex(u"MR077"_s));
        QVERIFY(f.SentIndex(u"MR077"_s) >= 0);
        QCOMPARE(f.Panel.State().CurrentVfo, u'M');
    }

    void tuneSendsALowSquelchFirst() {
        TMemFormFixture f;
        QVERIFY(f.Panel.Open());
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 145.5, STEP = '12.500', "
                      u"SQUELCH = 100 WHERE MEM = '042'"_s));
        QVERIFY(f.Form->LocateChannel(42));
        QTest::keyClick(f.Form->Grid(), Qt::Key_Return, Qt::ControlModifier);
        QTRY_VERIFY(f.SentIndex(u"MR042"_s) >= 0);
        QVERIFY(f.SentIndex(u"RQ100"_s) >= 0);
        QVERIFY(f.SentIndex(u"RQ100"_s) < f.SentIndex(u"MR042"_s));

        // A blank row tunes nothing, and nothing tunes while a scan runs.
        f.Panel.Receiver.ClearReceivedLines();
        QVERIFY(f.Form->LocateChannel(43) && f.View().IsNull(u"FREQ"));
        f.Form->TuneToRow();
        QVERIFY(f.Form->LocateChannel(42));
        f.Panel.Form->RunFlags().ScanRunning = true;
        f.Form->TuneToRow();
        QTest::qWait(50);
        QVERIFY(f.Sent().isEmpty());
    }

    void selectOnScrollHoldsNoAutoRefresh() {
        TMemFormFixture f;
        auto* nar = f.Find<QCheckBox>(u"cbNoAutoRefresh"_s);
        auto* scroll = f.Find<QToolButton>(u"MemOnScrollButton"_s);
        nar->setChecked(false);
        scroll->click();
        QVERIFY(nar->isChecked() && !nar->isEnabled());
        QVERIFY(!f.Form->SavedNoAutoRefreshChoice());
        scroll->click();
        QVERIFY(!nar->isChecked() && nar->isEnabled());

        // The file keeps the user's choice, not the box held by select-on-scroll.
        scroll->click();
        TIniFile ini(SettingsFileName());
        f.Form->SaveSettings(ini);
        QCOMPARE(TIniFile(SettingsFileName()).ReadBool(u"MemForm"_s, u"NAR"_s, true), false);
        nar->setEnabled(true);
        scroll->setChecked(false);
        nar->setChecked(true);
        f.Form->SaveSettings(ini);
        TMemForm second(*f.Panel.Form, f.Data);
        QVERIFY(second.NoAutoRefresh());

        // Closing the window lets the button go.
        nar->setChecked(false);
        scroll->click();
        f.Form->close();
        QVERIFY(!scroll->isChecked() && !nar->isChecked());
    }

    void loadThroughTheWindow() {
        TMemFormFixture f;
        QVERIFY(f.Panel.Open());
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 1.234, CHANGED = TRUE"_s));
        f.Form->SetBookmark(true);
        AnswerNextDialog(u"ProceedButton"_s);
        bool cancelShown = false;
        f.Form->Transfers()->Transfer().OnProgress = [&f, &cancelShown](const QString&, int) {
            cancelShown = f.Form->Transfers()->CancelWindow() &&
                          f.Form->Transfers()->CancelWindow()->isVisible() &&
                          !f.Form->isEnabled() && !f.Panel.Form->isEnabled();
        };
        f.Find<QToolButton>(u"UploadToolButton"_s)->click();

        QVERIFY(cancelShown);
        QCOMPARE(f.Answers().Errors, QStringList{u"done"_s});
        QVERIFY(f.Form->isEnabled() && f.Panel.Form->isEnabled());
        QVERIFY(!f.Form->Transfers()->CancelWindow());
        QVERIFY(!f.Form->HasBookmark());
        QCOMPARE(f.Panel.State().CurrentVfo, u'A');
        for (const int channel : {0, 1, 2, 500, 999}) {
            QVERIFY(f.Form->LocateChannel(channel));
            const TRxDat held = f.Panel.Receiver.Memory(0, channel);
            QCOMPARE(f.View().IsNull(u"FREQ"), held.Empty);
            if (!held.Empty)
                QCOMPARE(f.View().Value(u"FREQ").toDouble(), held.Freq);
        }
    }

    void cancelALoad() {
        TMemFormFixture f;
        QVERIFY(f.Panel.Open());
        AnswerNextDialog(u"ProceedButton"_s);
        f.Form->Transfers()->Transfer().OnProgress = [&f](const QString&, int position) {
            TCancelForm* cancel = f.Form->Transfers()->CancelWindow();
            if (position == 150 && cancel)
                cancel->findChild<QAbstractButton*>(u"CancelButton"_s)->click();
        };
        f.Find<QToolButton>(u"UploadToolButton"_s)->click();
        QCOMPARE(f.Answers().Errors,
                 QStringList{u"done\r\nCancelled: the channels read have their frequency, step, "
                             u"mode and text only.\r\nChannels not read: 160-999"_s});
        QVERIFY(!f.Form->CancelRequested);
        QVERIFY(f.Form->isEnabled() && f.Panel.Form->isEnabled());
    }

    void lostLink_data() {
        QTest::addColumn<QString>("toolButton");
        QTest::addColumn<QString>("dialogButton");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("notDone");
        QTest::newRow("load") << u"UploadToolButton"_s << u"ProceedButton"_s << u"Pass 1"_s
                              << u"Channels not read: "_s;
        QTest::newRow("download") << u"ToolButton4"_s << u"AllButton"_s << u"Cancel"_s
                                  << u"Channels not written: "_s;
    }

    // The link goes in the middle: the user is told which channels were not done, and both
    // windows can be used again.
    void lostLink() {
        QFETCH(QString, toolButton);
        QFETCH(QString, dialogButton);
        QFETCH(QString, label);
        QFETCH(QString, notDone);
        TMemFormFixture f;
        QVERIFY(f.Panel.Open());
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 7.1, STEP = '5.000', MODE = 'AM', "
                      u"BW = '6.0', ATN = '0'"_s));
        f.Answers().ConfirmAnswer = true;
        AnswerNextDialog(dialogButton);
        f.Form->Transfers()->Transfer().OnProgress = [&f, label](const QString& at, int position) {
            if (at == label && position == 300)
                QTimer::singleShot(0, f.Panel.Loopback.get(), &TSimLoopback::DropConnection);
        };
        f.Find<QToolButton>(toolButton)->click();
        QCOMPARE(f.Answers().Errors.size(), 1);
        const QString told = f.Answers().Errors.first();
        QVERIFY2(told.contains(u"The link to the receiver was lost."_s), qPrintable(told));
        QVERIFY2(told.contains(notDone) && told.endsWith(u"-999"_s), qPrintable(told));
        QVERIFY(f.Form->isEnabled() && f.Panel.Form->isEnabled());
        QVERIFY(!f.Form->Transfers()->CancelWindow());
    }

    void downloadChangedThroughTheWindow() {
        TMemFormFixture f;
        QVERIFY(f.Panel.Open());
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET CHANGED = NULL"_s));
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 433.5, STEP = '25.000', MODE = 'FM', "
                      u"BW = '15', ATN = '0', CHANGED = TRUE WHERE MEM = '123'"_s));
        f.Answers().ConfirmAnswer = false;
        AnswerNextDialog(u"ChangedButton"_s);
        f.Find<QToolButton>(u"ToolButton4"_s)->click();
        QVERIFY(f.Sent().filter(u"MX"_s).isEmpty()); // the warning was declined

        f.Answers().ConfirmAnswer = true;
        AnswerNextDialog(u"ChangedButton"_s);
        f.Find<QToolButton>(u"ToolButton4"_s)->click();
        QCOMPARE(f.Panel.Receiver.Memory(0, 123).Freq, 433.5);
        QCOMPARE(f.Sent().filter(u"MX"_s).size(), 1);
        QVERIFY(f.Answers().Errors.isEmpty()); // a complete download says nothing
        QVERIFY(f.Form->LocateChannel(123));
        QCOMPARE(f.View().Value(u"CHANGED").toBool(), false);
    }

    // A download works on the whole bank table whatever the view shows; the view is left as the
    // user had it.
    void downloadIgnoresTheView_data() {
        QTest::addColumn<QString>("view");
        QTest::addColumn<QString>("choice");
        for (const QString& choice : {u"AllButton"_s, u"ChangedButton"_s})
            for (const QString& view :
                 {u"hundred"_s, u"quick filter"_s, u"PASS"_s, u"SELSCAN"_s, u"blanks hidden"_s})
                QTest::addRow("%s, %s", qPrintable(view), qPrintable(choice)) << view << choice;
    }

    void downloadIgnoresTheView() {
        QFETCH(QString, view);
        QFETCH(QString, choice);
        TMemFormFixture f;
        QVERIFY(f.Panel.Open());
        QVERIFY(FillEverySeventhChannel(f));
        // A receiver channel the table has blank: All clears it, Changed leaves it.
        TRxDat kept = f.Panel.Receiver.Memory(0, 1);
        kept.Empty = false;
        kept.Freq = 77.5;
        f.Panel.Receiver.SetMemory(0, 1, kept);
        const std::map<QString, std::function<void()>> restrict = {
            {u"hundred"_s,
             [&f] {
                 f.Form->SubSelectHundred(1);
             }},
            {u"quick filter"_s,
             [&f] {
                 f.Find<QLineEdit>(u"Edit1"_s)->setText(u"tow"_s);
                 f.Find<QToolButton>(u"SubSelectButton"_s)->click();
             }},
            {u"PASS"_s,
             [&f] {
                 f.Form->TitleClicked(14);
             }},
            {u"SELSCAN"_s,
             [&f] {
                 f.Form->TitleClicked(15);
             }},
            {u"blanks hidden"_s,
             [&f] {
                 f.MenuItem(u"PopupMenu2"_s, u"Hide Blanks"_s)->trigger();
             }},
        };
        restrict.at(view)();
        const QString sql = f.View().Sql();
        const int shown = f.View().RecordCount();
        QVERIFY(shown < kBankRows);

        f.Answers().ConfirmAnswer = true;
        AnswerNextDialog(choice);
        f.Find<QToolButton>(u"ToolButton4"_s)->click();

        const bool all = choice == u"AllButton"_s;
        for (int channel = 0; channel < kBankRows; ++channel) {
            const TRxDat held = f.Panel.Receiver.Memory(0, channel);
            if (channel % 7 == 0) {
                QVERIFY2(!held.Empty, qPrintable(FormatMemNumber(channel)));
                QCOMPARE(held.Freq, 100 + channel / 1000.0);
            } else if (all) {
                QVERIFY2(held.Empty, qPrintable(FormatMemNumber(channel)));
            }
        }
        if (!all)
            QCOMPARE(f.Panel.Receiver.Memory(0, 1).Freq, 77.5);
        QCOMPARE(f.Answers().Errors, QStringList()); // every channel was written
        QCOMPARE(f.Data.Engine()
                     .QueryValue(u"SELECT count(*) FROM MemoryBank0.dbf WHERE CHANGED"_s)
                     .value_or(-1)
                     .toInt(),
                 0);
        QCOMPARE(f.View().Sql(), sql);
        QCOMPARE(f.View().RecordCount(), shown);
    }

    void writeOneRowShowsItOnTheMainWindow() {
        TMemFormFixture f;
        QVERIFY(
            f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 145.5, STEP = '12.500', MODE = 'AM', "
                  u"BW = '6.0', ATN = '10', TEXT = 'tower', CHANGED = TRUE WHERE MEM = '042'"_s));
        QVERIFY(f.Form->LocateChannel(42));
        f.Form->Transfers()->WriteRow(f.View());
        QCOMPARE(f.Answers().Errors, QStringList{u"Not Connected to Rx"_s});

        QVERIFY(f.Panel.Open());
        QVERIFY(f.Form->LocateChannel(42));
        f.Form->Transfers()->WriteRow(f.View());
        QCOMPARE(f.Panel.Receiver.Memory(0, 42).Freq, 145.5);
        QCOMPARE(f.Panel.Edit(u"MemEdit"_s)->text(), u"042"_s);
        QCOMPARE(f.Form->ShownChannel(), u"042"_s);
        QCOMPARE(f.Panel.Edit(u"MemTextEdit"_s)->text().trimmed(), u"TOWER"_s);
        QCOMPARE(f.Panel.State().CurrentVfo, u'M');
        QCOMPARE(f.View().Value(u"CHANGED").toBool(), false);

        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET STEP = NULL WHERE MEM = '042'"_s));
        QVERIFY(f.Form->LocateChannel(42));
        f.Panel.Receiver.ClearReceivedLines();
        f.Form->Transfers()->WriteRow(f.View());
        QVERIFY(f.Panel.Messages.contains(u"Freq and Step cannot be blank"_s));
        QVERIFY(f.Sent().isEmpty());
    }

    // A VFO box dropped on a row: the row takes the panel's settings and goes to the receiver.
    void vfoDroppedOnARow() {
        TMemFormFixture f;
        QVERIFY(f.Panel.Open());
        TVfoDrop& drop = *f.Form->VfoDrop();
        QStringList asked;
        std::optional<QString> answer;
        drop.AskText = [&](const QString& mem) {
            asked << mem;
            return answer;
        };
        QLineEdit* boxA = f.Panel.Edit(u"EditVcoA"_s);
        const double mhz = boxA->text().trimmed().toDouble();
        QVERIFY(f.Form->LocateChannel(50));
        const QVariant before = f.View().Value(u"FREQ");

        drop.StoreVfo(*f.Panel.Edit(u"EnterEdit1"_s)); // the entry box never stores
        drop.StoreVfo(*boxA);                          // cancelled
        QCOMPARE(asked, QStringList{u"050"_s});
        QCOMPARE(f.View().Value(u"FREQ"), before);

        answer = u"TOWER"_s;
        drop.StoreVfo(*boxA);
        QCOMPARE(f.View().Value(u"FREQ").toDouble(), mhz);
        QCOMPARE(f.View().Value(u"TEXT").toString(), u"TOWER"_s);
        QCOMPARE(f.View().Value(u"MODE").toString(),
                 f.Panel.Find<QComboBox>(u"ModeComboBox"_s)->currentText());
        QCOMPARE(f.View().Value(u"SQUELCH").toInt(), f.Panel.Sheet().Squelch()->Value(u'A'));
        QCOMPARE(f.View().Value(u"CHANGED").toBool(), false);
        const TRxDat held = f.Panel.Receiver.Memory(0, 50);
        QCOMPARE(held.Freq, mhz);
        QCOMPARE(held.Text.trimmed(), u"TOWER"_s);
    }

    // The other way: a row dragged from the grid onto a VFO box programs that VFO from the row.
    void rowDroppedOnAVfo() {
        TMemFormFixture f;
        QVERIFY(f.Panel.Open());
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 118.1, MODE = 'AM', SQUELCH = NULL "
                      u"WHERE MEM = '012'"_s));
        TVfoDropTarget& drops = *f.Panel.Sheet().VfoDrop();
        drops.Rows.MemoryRow = [&f](int bank, int channel) {
            return f.Form->DropRow(bank, channel);
        };
        // A row of the other bank is not what the view shows.
        QVERIFY(!f.Form->DropRow(1, 12));
        const auto row = f.Form->DropRow(0, 12);
        QVERIFY(row);
        QCOMPARE(row->FreqMHz, std::optional<double>(118.1));
        QVERIFY(!row->Squelch);
        QCOMPARE(row->Settings[0], std::optional<QString>(u"AM"_s));

        f.Panel.Receiver.ClearReceivedLines();
        const auto mime = MemoryRowDragData(u"DBGrid1"_s, 0, 12);
        QLineEdit* boxC = f.Panel.Edit(u"EditVcoC"_s);
        QDragEnterEvent enter(boxC->rect().center(), Qt::CopyAction, mime.get(), Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(boxC, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(boxC->rect().center()), Qt::CopyAction, mime.get(), Qt::LeftButton,
                        Qt::NoModifier);
        QApplication::sendEvent(boxC, &drop);
        QVERIFY(drop.isAccepted());
        QTRY_VERIFY(!f.Panel.State().DragInProgress);
        const QStringList sent = f.Panel.SentSettled();
        const qsizetype frequency = sent.indexOf(u"VC0118100000"_s);
        QVERIFY(frequency > 0);
        QVERIFY(sent.indexOf(u"MD1"_s) > frequency);
        QVERIFY(sent.indexOf(u"RQ255"_s) > sent.indexOf(u"MD1"_s));
        QCOMPARE(boxC->text(), u"  118.100000"_s);
        QCOMPARE(f.Panel.Edit(u"SquelchEditC"_s)->text(), u"255"_s);

        // Dragged back onto the grid, a memory row is no frequency box: the grid refuses it.
        QWidget* grid = f.Form->Grid()->viewport();
        const auto memEdit = MemoryRowDragData(u"MemEdit"_s, -1, 12);
        QDragEnterEvent refused(grid->rect().center(), Qt::CopyAction, memEdit.get(),
                                Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grid, &refused);
        QVERIFY(!refused.isAccepted());
        const auto box = FrequencyBoxDragData(u"EditVcoA"_s);
        QDragEnterEvent taken(grid->rect().center(), Qt::CopyAction, box.get(), Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(grid, &taken);
        QVERIFY(taken.isAccepted());
    }

    void refreshFromTheGridMenu() {
        TMemFormFixture f;
        QVERIFY(f.Panel.Open());
        int used = 0;
        while (f.Panel.Receiver.Memory(0, used).Empty)
            ++used;
        const TRxDat held = f.Panel.Receiver.Memory(0, used);
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 1.5, TEXT = 'OLD', CHANGED = TRUE"_s));
        QVERIFY(f.Form->LocateChannel(used));
        f.MenuItem(u"PopupMenuRightClick"_s, u"Refresh record FROM Rx"_s)->trigger();
        QCOMPARE(f.View().Value(u"FREQ").toDouble(), held.Freq);
        QCOMPARE(f.View().Value(u"CHANGED").toBool(), false);
        QCOMPARE(f.Panel.Edit(u"MemEdit"_s)->text(), FormatMemNumber(used));
        QCOMPARE(f.Panel.State().CurrentVfo, u'M');
        QVERIFY(f.Form->isEnabled() && f.Panel.Form->isEnabled());
    }

    void squelchFillCopiesTheFirstSelectedRow() {
        TMemFormFixture f;
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET SQUELCH = NULL"_s));
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET SQUELCH = 40 WHERE MEM = '005'"_s));
        f.Find<QCheckBox>(u"cbMultiSelect"_s)->setChecked(true);
        TMemoryGrid& grid = *f.Form->Grid();
        for (const int row : {5, 7, 9})
            grid.selectionModel()->select(
                grid.model()->index(row, 0),
                (row == 5 ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Select) |
                    QItemSelectionModel::Rows);
        f.Find<QToolButton>(u"ToolButton6"_s)->click();
        for (const auto& [channel, squelch] :
             {std::pair{5, QVariant(40)}, {6, QVariant()}, {7, QVariant(40)}, {9, QVariant(40)}}) {
            QVERIFY(f.Form->LocateChannel(channel));
            QCOMPARE(f.View().Value(u"SQUELCH").isNull(), squelch.isNull());
            if (!squelch.isNull())
                QCOMPARE(f.View().Value(u"SQUELCH").toInt(), squelch.toInt());
        }
        QVERIFY(!grid.MultiSelect());
    }

    void blankABank() {
        TMemFormFixture f;
        QVERIFY(f.Panel.Open());
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 100.0, SQUELCH = 3, CHANGED = TRUE"_s));
        f.Answers().ConfirmAnswer = true;
        f.MenuItem(u"BlankABank"_s, u"3"_s)->trigger();
        QTRY_VERIFY(f.Sent().contains(u"MQ%%3"_s));
        for (const auto& [channel, blank] :
             {std::pair{299, false}, {300, true}, {399, true}, {400, false}}) {
            QVERIFY(f.Form->LocateChannel(channel));
            QCOMPARE(f.View().IsNull(u"FREQ"), blank);
            QCOMPARE(f.View().IsNull(u"SQUELCH"), blank);
            QCOMPARE(f.View().IsNull(u"CHANGED"), blank);
        }
    }

    void clearAllSelectScanFlags() {
        TMemFormFixture f;
        QAction* item = f.MenuItem(u"PopupMenuRightClick"_s, u"Clear ALL Select Scan flags"_s);
        QCOMPARE(item->objectName(), u"ClearALLSelectScan1"_s);
        QVERIFY(FillEverySeventhChannel(f));
        const auto flagged = [&f] {
            return f.Data.Engine()
                .QueryValue(u"SELECT count(*) FROM MemoryBank0.dbf WHERE SELSCAN"_s)
                .value_or(-1)
                .toInt();
        };
        QVERIFY(flagged() > 0);
        // Without a link nothing is asked.
        item->trigger();
        QCOMPARE(f.Answers().ConfirmAsked, QStringList());

        QVERIFY(f.Panel.Open());
        f.Form->SubSelectHundred(2);
        f.Answers().ConfirmAnswer = false;
        item->trigger();
        QCOMPARE(f.Answers().ConfirmAsked,
                 QStringList{u"Clear ALL Select Scan Flags?\r\nAre you sure?"_s});
        QVERIFY(flagged() > 0);

        f.Answers().ConfirmAnswer = true;
        item->trigger();
        QTRY_VERIFY(f.Sent().contains(u"GA%%"_s));
        QCOMPARE(f.Sent().count(u"GA%%"_s), 1);
        QCOMPARE(flagged(), 0);
        QCOMPARE(f.View().RecordCount(), kBankRows); // all memories shown again
    }

    void bankSwitchFollowsTheReceiver() {
        TMemFormFixture f;
        auto* bank1 = f.Find<QRadioButton>(u"Bank1RadioButton"_s);
        bank1->click(); // without a link nothing changes
        QCOMPARE(f.Data.ViewState.CurrentTable, u"MemoryBank0.dbf"_s);

        QVERIFY(f.Panel.Open());
        QVERIFY(f.Sql(u"UPDATE MemoryBank1.dbf SET FREQ = 433.5, TEXT = 'BANKONE' WHERE MEM = "
                      u"'005'"_s));
        f.Form->SubSelectHundred(2);
        QCOMPARE(f.Find<QLabel>(u"StatusPanel0"_s)->text(), u"100 Memories showing"_s);
        // The receiver's pause after the bank command, with the wait cursor up throughout.
        TAR5000& driver = *f.Panel.Form->Driver();
        driver.SetBankPauseMs = 100;
        bool waitCursorAtCommand = false;
        driver.OnTxLine = [&waitCursorAtCommand](const QString& line) {
            if (line.startsWith(u"BN"_s))
                waitCursorAtCommand = QApplication::overrideCursor() &&
                                      QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        };
        bank1->click();
        driver.OnTxLine = nullptr;
        QVERIFY(waitCursorAtCommand);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(f.Panel.Receiver.CurrentBank(), 1);
        QCOMPARE(f.Data.ViewState.CurrentTable, u"MemoryBank1.dbf"_s);
        QCOMPARE(f.View().Sql(), u"SELECT * FROM MemoryBank1.dbf ORDER BY MEM"_s);
        QCOMPARE(f.Form->windowTitle(), f.View().Sql());
        QCOMPARE(f.Find<QLabel>(u"StatusPanel0"_s)->text(), u"1000 Memories showing"_s);
        QCOMPARE(f.Find<QLabel>(u"StatusPanel1"_s)->text(), u"Read/Write"_s);
        const QAbstractItemModel& grid = *f.Form->Grid()->model();
        const QModelIndex text = grid.index(5, f.Form->Grid()->FieldOfGridColumn(2));
        QCOMPARE(text.data().toString(), u"BANKONE"_s);

        // Opening the link again picks the table of the bank the receiver reports.
        f.Data.ViewState.CurrentTable = u"MemoryBank0.dbf"_s;
        f.Form->SelectBankTable();
        QCOMPARE(f.Data.ViewState.CurrentTable, u"MemoryBank1.dbf"_s);
        QVERIFY(bank1->isChecked());
    }

    // With no channel in the panel, "Current Mem", a click on the panel and a rebuild of the
    // indexes all go to channel 000.
    void currentMemoryWithAnEmptyPanel_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Current Mem") << u"Current Mem"_s;
        QTest::newRow("panel click") << u"MemIdentPanel"_s;
        QTest::newRow("Rebuild Database Indexes") << u"Rebuild Database Indexes"_s;
    }

    void currentMemoryWithAnEmptyPanel() {
        QFETCH(QString, how);
        TMemFormFixture f;
        f.Answers().ConfirmAnswer = true;
        const auto run = [&f, &how] {
            if (how == u"MemIdentPanel"_s)
                f.Find<QToolButton>(how)->click();
            else if (how == u"Current Mem"_s)
                f.MenuItem(u"NavMenu"_s, how)->trigger();
            else
                f.MenuItem(u"FileMenu"_s, how)->trigger();
        };
        TMemoryGrid& grid = *f.Form->Grid();
        const auto rowShown = [&grid](int row) {
            const QModelIndex index = grid.model()->index(row, 0);
            return grid.currentIndex().row() == row &&
                   grid.visualRect(index).intersects(grid.viewport()->rect());
        };
        f.Form->ShowChannel(u"640"_s);
        QVERIFY(f.Form->LocateChannel(500));
        run();
        QCOMPARE(f.Mem(), u"640"_s);
        QVERIFY(rowShown(640));

        // The user has scrolled away from the top, wherever the current row is.
        f.Form->ShowChannel(QString());
        for (const int from : {500, 0}) {
            QVERIFY(f.Form->LocateChannel(from));
            grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
            QVERIFY(!rowShown(0));
            run();
            QCOMPARE(f.Mem(), u"000"_s);
            QVERIFY2(rowShown(0), qPrintable(QString::number(from)));
        }
    }

    // The overwrite question is asked for the file that is really written, with ".dbf" added.
    void saveTableAsAsksBeforeOverwriting() {
        TMemFormFixture f;
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 145.5 WHERE MEM = '001'"_s));
        const QString chosen = f.Home.Path(u"saved"_s);
        const QString written = chosen + u".dbf"_s;
        QVERIFY(WriteBytes(written, "keep me"));
        f.Answers().SaveAnswer = chosen;
        f.Answers().ConfirmAnswer = false;
        f.MenuItem(u"FileMenu"_s, u"&Save Table As"_s)->trigger();
        QCOMPARE(f.Answers().ConfirmAsked.size(), 1);
        QVERIFY2(f.Answers().ConfirmAsked.first().contains(u"saved.dbf"_s),
                 qPrintable(f.Answers().ConfirmAsked.first()));
        QCOMPARE(ReadBytes(written), QByteArray("keep me"));

        f.Answers().ConfirmAnswer = true;
        f.MenuItem(u"FileMenu"_s, u"&Save Table As"_s)->trigger();
        QCOMPARE(f.Answers().ConfirmAsked.size(), 2);
        QVERIFY(ReadBytes(written) != QByteArray("keep me"));
        QVERIFY(f.Answers().Errors.isEmpty());

        // A name the dialog already asked about, or a new file, is not asked again.
        f.Answers().SaveAnswer = written;
        f.MenuItem(u"FileMenu"_s, u"&Save Table As"_s)->trigger();
        f.Answers().SaveAnswer = f.Home.Path(u"fresh"_s);
        f.MenuItem(u"FileMenu"_s, u"&Save Table As"_s)->trigger();
        QCOMPARE(f.Answers().ConfirmAsked.size(), 2);
        QVERIFY(QFileInfo::exists(f.Home.Path(u"fresh.dbf"_s)));
    }

    // While the main window scans or searches, nothing in this window can start work on the
    // receiver; looking at the table, and closing the window, still can. Auto-tune alone is not
    // busy.
    void busyMainWindow() {
        TMemFormFixture f;
        QVERIFY(f.Panel.Open());
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 145.5, STEP = '12.500' WHERE MEM = "
                      u"'042'"_s));
        const QList<QAction*> receiverItems = {
            f.MenuItem(u"FileMenu"_s, u"&Upload From Rx"_s),
            f.MenuItem(u"FileMenu"_s, u"&Download to Rx"_s),
            f.Find<QMenu>(u"BlankABank"_s)->menuAction(),
        };
        const QList<QWidget*> receiverControls = {f.Find<QToolButton>(u"UploadToolButton"_s),
                                                  f.Find<QToolButton>(u"ToolButton4"_s),
                                                  f.Find<QRadioButton>(u"Bank0RadioButton"_s),
                                                  f.Find<QRadioButton>(u"Bank1RadioButton"_s)};
        const QList<QWidget*> alwaysUsable = {
            f.Find<QToolButton>(u"FileButton"_s),          f.Find<QToolButton>(u"NavButton"_s),
            f.Find<QToolButton>(u"ToolButton18"_s),        f.Find<QToolButton>(u"NavNext"_s),
            f.Find<QToolButton>(u"ToolButtonFilterOff"_s), f.Find<QLineEdit>(u"Edit1"_s),
            f.Find<QToolButton>(u"ToolButton2"_s)};
        const auto receiverUsable = [&](bool usable) {
            for (QAction* item : receiverItems)
                if (item->isEnabled() != usable)
                    return false;
            for (QWidget* control : receiverControls)
                if (control->isEnabled() != usable)
                    return false;
            return true;
        };
        const auto othersUsable = [&] {
            for (QWidget* control : alwaysUsable)
                if (!control->isEnabled())
                    return false;
            return f.MenuItem(u"NavMenu"_s, u"Next Record"_s)->isEnabled();
        };

        f.Panel.Find<QAbstractButton>(u"LockUpTuneSpeedButton"_s)->click();
        QVERIFY(f.Panel.Find<QAbstractButton>(u"LockUpTuneSpeedButton"_s)->isChecked());
        QVERIFY(!f.Form->MainBusy());
        QVERIFY(receiverUsable(true));
        f.Panel.Find<QAbstractButton>(u"LockUpTuneSpeedButton"_s)->click();

        for (bool TRunFlags::*flag :
             {&TRunFlags::ScanRunning, &TRunFlags::SelectScanRunning, &TRunFlags::SearchRunning}) {
            f.Panel.Form->RunFlags().*flag = true;
            QTRY_VERIFY(receiverUsable(false));
            QVERIFY(othersUsable());
            // Started anyway (between two looks at the state, or from another window): nothing
            // is asked and nothing is sent, and the user is told why.
            f.Panel.Receiver.ClearReceivedLines();
            f.Panel.Messages.clear();
            int dialogs = 0;
            QTimer dismiss;
            QObject::connect(&dismiss, &QTimer::timeout, &dismiss, [&dialogs] {
                if (QWidget* dialog = QApplication::activeModalWidget()) {
                    ++dialogs;
                    dialog->close();
                }
            });
            dismiss.start(10);
            TMemoryTransferController& transfers = *f.Form->Transfers();
            QVERIFY(f.Form->LocateChannel(42));
            transfers.LoadFromReceiver();
            transfers.DownloadToReceiver();
            transfers.RefreshRow();
            transfers.WriteRow(f.View());
            f.Form->SwitchBank(1);
            QTest::keyClick(f.Form->Grid(), Qt::Key_Return, Qt::ControlModifier);
            // A line sent now arrives after anything the attempts sent.
            f.Panel.Form->Driver()->SetSquelch(7);
            QTRY_VERIFY(!f.Sent().isEmpty() && f.Sent().last().startsWith(u"RQ"_s));
            QCOMPARE(dialogs, 0);
            QVERIFY2(f.Sent().size() == 1, qPrintable(f.Sent().join(u' ')));
            QVERIFY(f.Answers().Errors.isEmpty());
            QVERIFY(f.Panel.Messages.contains(u"Stop Scan First"_s));
            QCOMPARE(f.Data.ViewState.CurrentTable, u"MemoryBank0.dbf"_s);
            f.Panel.Form->RunFlags().*flag = false;
            QTRY_VERIFY(receiverUsable(true));
        }
    }

    // A value the checks refuse, typed through the grid's editor, leaves the channel as it was,
    // in the table and on screen, and the messages window says why.
    void refusedValueTypedIntoTheGrid_data() {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("why");
        QTest::newRow("FREQ not a number") << u"FREQ"_s << u"abc"_s << u"Conversion Error"_s;
        QTest::newRow("FREQ out of range") << u"FREQ"_s << u"5000"_s << u"0.01 to 2600"_s;
        QTest::newRow("STEP out of range") << u"STEP"_s << u"1000"_s << u"0.001 to 999"_s;
        QTest::newRow("MODE off the list") << u"MODE"_s << u"XYZ"_s << u"FM, AM"_s;
    }

    void refusedValueTypedIntoTheGrid() {
        QFETCH(QString, column);
        QFETCH(QString, typed);
        QFETCH(QString, why);
        TMemFormFixture f;
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 145.5, STEP = '12.500', MODE = 'AM', "
                      u"CHANGED = NULL WHERE MEM = '042'"_s));
        TMemoryGrid& grid = *f.Form->Grid();
        const QModelIndex cell =
            grid.model()->index(42, grid.FieldOfGridColumn(grid.GridColumnOf(column)));
        const QString shownBefore = cell.data().toString();
        const QVariant storedBefore =
            f.Data.Engine()
                .QueryValue(u"SELECT "_s + column + u" FROM MemoryBank0.dbf WHERE MEM = '042'"_s)
                .value_or(0);
        f.Form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.Form.get()));
        grid.setFocus();
        grid.setCurrentIndex(cell);
        QCOMPARE(QApplication::focusWidget(), &grid);

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
        QVERIFY(QApplication::focusWidget() != &grid); // the editor has the keys
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::ShiftModifier);
        QTest::keyClicks(QApplication::focusWidget(), typed);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), &grid);

        QCOMPARE(f.Data.Engine()
                     .QueryValue(u"SELECT "_s + column +
                                 u" FROM MemoryBank0.dbf WHERE MEM = "
                                 u"'042'"_s)
                     .value_or(0),
                 storedBefore);
        QVERIFY(f.Form->LocateChannel(42));
        QVERIFY(f.View().Value(u"CHANGED").isNull());
        QCOMPARE(grid.model()->index(42, cell.column()).data().toString(), shownBefore);
        QVERIFY(!shownBefore.isEmpty());
        QCOMPARE(f.Panel.Messages.size(), 1);
        QVERIFY2(f.Panel.Messages.first().contains(why) && f.Panel.Messages.first().contains(typed),
                 qPrintable(f.Panel.Messages.first()));
    }

    void keysAndGridMenu() {
        TMemFormFixture f;
        f.Form->SubSelectHundred(5);
        f.Form->Grid()->setFocus();
        f.Form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.Form.get()));
        QTest::keyClick(f.Form->Grid(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(f.View().Sql(), u"SELECT * FROM MemoryBank0.dbf ORDER BY MEM"_s);

        const int rows = f.View().RecordCount();
        QVERIFY(f.Form->LocateChannel(7));
        QTest::keyClick(f.Form->Grid(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(f.View().RecordCount(), rows);
        QCOMPARE(f.Mem(), u"007"_s);

        auto* menu = f.Find<QMenu>(u"PopupMenuRightClick"_s);
        QAction* refresh = f.MenuItem(u"PopupMenuRightClick"_s, u"Refresh record FROM Rx"_s);
        f.Panel.Form->RunFlags().SearchRunning = true;
        Q_EMIT f.Form->Grid()->customContextMenuRequested({5, 5});
        QVERIFY(!refresh->isEnabled());
        menu->close();
        f.Panel.Form->RunFlags().SearchRunning = false;
        // Opened over a row, the menu acts on that row.
        TMemoryGrid& grid = *f.Form->Grid();
        const QRect third = grid.visualRect(grid.model()->index(2, 0));
        Q_EMIT grid.customContextMenuRequested(third.center());
        QVERIFY(refresh->isEnabled());
        QCOMPARE(f.Mem(), u"002"_s);
        menu->close();
    }
};

QTEST_MAIN(TestMemForm)
#include "tst_memform.moc"
