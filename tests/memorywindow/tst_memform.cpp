// The memory window on a main window and the in-process simulated receiver: which rows it shows,
// how it tunes, and the transfers as the user starts them.
#include "mainwindow/PanelFixture.h"
#include "memory/MemoryFixture.h"

#include "DataUnit1.h"
#include "IniFile.h"
#include "MemForm.h"
#include "MemFormLink.h"
#include "MemoryGrid.h"
#include "MemoryTransferController.h"
#include "ProgramFolder.h"
#include "SquelchController.h"
#include "TransferDialogs.h"
#include "VfoDrop.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

struct TMemFormFixture {
    TMemoryHome Home;
    TPanelFixture Panel;
    TDataModule1 Data{Home.Dir.path()};
    std::unique_ptr<TMemForm> Form;

    explicit TMemFormFixture(const TSimOptions& options = {})
        : Panel({}, options) {
        Panel.Form->Driver()->SetBankPauseMs = 0;
        if (!Data.DataModule1Create())
            qFatal("tables: %s", qPrintable(Data.LastError()));
        Form = std::make_unique<TMemForm>(*Panel.Form, Data);
        Panel.Form->SetMemoryWindowLink(std::make_unique<TMemFormLink>(*Form));
        Form->show();
    }
    ~TMemFormFixture() {
        Panel.Form->SetMemoryWindowLink(nullptr);
        Form.reset();
    }
    TMemFormFixture(const TMemFormFixture&) = delete;
    TMemFormFixture& operator=(const TMemFormFixture&) = delete;

    TTableView& View() { return Data.MemQuery1(); }
    TScriptedPrompt& Answers() { return *Panel.Answers; }
    bool Sql(const QString& sql) {
        return Data.Engine().Execute(sql) && Data.ReopenMemoryView(Data.MemQuery1().Sql());
    }
    QString Mem() { return View().Value(u"MEM").toString(); }
    template <typename T> T* Find(const QString& name) const {
        T* found = Form->findChild<T*>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QAction* MenuItem(const QString& menu, const QString& text) const {
        for (QAction* action : Find<QMenu>(menu)->actions())
            if (action->text() == text)
                return action;
        qFatal("no item %s", qPrintable(text));
    }
    QStringList Sent() const { return Panel.Sent(); }
    qsizetype SentIndex(const QString& line) const { return Sent().indexOf(line); }
};

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

    void printerSetupOpensAndCloses() {
        TMemFormFixture f;
        bool shown = false;
        QTimer::singleShot(50, f.Form.get(), [&shown] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                shown = true;
                dialog->reject();
            }
        });
        f.MenuItem(u"FileMenu"_s, u"Printer Setup..."_s)->trigger();
        QVERIFY(shown);
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
            grid.selectionModel()->select(grid.model()->index(row, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
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

    void bankSwitchFollowsTheReceiver() {
        TMemFormFixture f;
        auto* bank1 = f.Find<QRadioButton>(u"Bank1RadioButton"_s);
        bank1->click(); // without a link nothing changes
        QCOMPARE(f.Data.ViewState.CurrentTable, u"MemoryBank0.dbf"_s);

        QVERIFY(f.Panel.Open());
        bank1->click();
        QCOMPARE(f.Panel.Receiver.CurrentBank(), 1);
        QCOMPARE(f.Data.ViewState.CurrentTable, u"MemoryBank1.dbf"_s);
        QCOMPARE(f.View().Sql(), u"SELECT * FROM MemoryBank1.dbf ORDER BY MEM"_s);

        // Opening the link again picks the table of the bank the receiver reports.
        f.Data.ViewState.CurrentTable = u"MemoryBank0.dbf"_s;
        f.Form->SelectBankTable();
        QCOMPARE(f.Data.ViewState.CurrentTable, u"MemoryBank1.dbf"_s);
        QVERIFY(bank1->isChecked());
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
