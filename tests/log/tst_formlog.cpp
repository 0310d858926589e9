// The log window on a main window and the in-process simulated receiver: tables made, opened and
// deleted as the user does it, entries from the receiver, sorting, Find Current, the block change
// of category and the main window's log button.
#include "mainwindow/PanelFixture.h"

#include "CategoryTable.h"
#include "CommandText.h"
#include "DragData.h"
#include "IniFile.h"
#include "LogGrid.h"
#include "LogTable.h"
#include "LogWindowController.h"
#include "ProgramFolder.h"
#include "SelectCategoryForm.h"
#include "TableEngine.h"
#include "TableView.h"
#include "UnitLog.h"
#include "VfoDropTarget.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

struct TFormLogFixture {
    QTemporaryDir Home;
    std::unique_ptr<TPanelFixture> Panel;
    QPointer<TFormLog> Form;

    TFormLogFixture() {
        qputenv("KOVELA_HOME", Home.path().toUtf8());
        Panel = std::make_unique<TPanelFixture>();
    }
    ~TFormLogFixture() {
        delete Form.data();
        Panel.reset();
    }
    TFormLogFixture(const TFormLogFixture&) = delete;
    TFormLogFixture& operator=(const TFormLogFixture&) = delete;

    TScriptedPrompt& Answers() { return *Panel->Answers; }
    QString DataPath(const QString& name) const { return DataFolder() + u'/' + name; }

    TFormLog& Make() {
        Form = new TFormLog(*Panel->Form);
        Form->show();
        return *Form;
    }
    // A new table made through File | New, as the user names it.
    bool New(const QString& name) {
        Answers().SaveAnswer = DataPath(name);
        Action(u"ActionNewLogDB"_s)->trigger();
        return Form->QLog().Active();
    }
    QAction* Action(const QString& name) const {
        QAction* action = Form->findChild<QAction*>(name);
        if (!action)
            qFatal("no action %s", qPrintable(name));
        return action;
    }
    QString Panel2() const { return Form->findChild<QLabel*>(u"StatusPanel2"_s)->text(); }
    QString Panel0() const { return Form->findChild<QLabel*>(u"StatusPanel0"_s)->text(); }
    int Rows(const QString& where = {}) {
        return Form->Engine()
            .QueryValue(u"SELECT count(*) FROM "_s + QuoteFileName(Form->LogTableFile()) +
                        (where.isEmpty() ? QString() : u" WHERE "_s + where))
            ->toInt();
    }
    void AddHit(const QString& freq, int level = 100) {
        Form->AddEntry(freq, u"FM"_s, false, level, 40, u"1"_s, u"12.5"_s, u"15"_s);
    }
};

} // namespace

class TestFormLog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstOpenWithoutATableExplains();
    void newOpenAndDeleteAsTheUserDoesIt();
    void recentFilesOpenAndForgetMissingFiles();
    void addEntryFromTheReceiver();
    void addEntryForHitsSkipsKnownFrequencies();
    void rowsGoToAVfoByDragOrDoubleClick();
    void headerClicksSortWithGlyphs();
    void findCurrentFiltersAndShowAllClears();
    void blockCategoryChangeOnAFilteredView();
    void searchLogCategoryChosenOrCancelled();
    void gridShowsLocaleDatesAndCategories();
    void multiSelectDeleteAndRebuildIndexes();
    void logButtonTogglesTheWindow();
    void keysReachTheMainWindow();
};

void TestFormLog::firstOpenWithoutATableExplains() {
    TFormLogFixture f;
    TFormLog& form = f.Make();
    QCOMPARE(f.Panel2(), u"No table loaded. Use File menu"_s);
    QVERIFY(f.Answers().Errors.last().startsWith(
        u"Please use \"File | New Log Table\" to create a new log table."_s));
    QVERIFY(!form.QLog().Active());
    QVERIFY(f.Action(u"ActionNewLogDB"_s)->isEnabled());
    QVERIFY(!f.Action(u"ActionCategory"_s)->isEnabled());
    // What later work brings stays off until then.
    QVERIFY(!f.Action(u"ActionSQL"_s)->isEnabled());
    QVERIFY(!f.Action(u"ActionImportCSV"_s)->isEnabled());
}

void TestFormLog::newOpenAndDeleteAsTheUserDoesIt() {
    TFormLogFixture f;
    TFormLog& form = f.Make();
    QVERIFY(f.New(u"Band Watch"_s));
    const QString made = f.DataPath(u"Band Watch_Kv7.DB"_s);
    QCOMPARE(form.LogTableFile(), made);
    QVERIFY(QFileInfo::exists(CategoryTableFileFor(made)));
    QCOMPARE(TIniFile(SettingsFileName()).ReadString(u"Tables"_s, u"LogTable"_s, {}), made);
    QCOMPARE(f.Panel2(), u"Select * from "_s + QuoteFileName(made) + u" ORDER BY ID"_s);
    QCOMPARE(f.Answers().SaveAsked.value(0), u"Name for New Database Table"_s);

    f.Answers().Errors.clear();
    QVERIFY(f.New(u"Odd?name"_s));
    QCOMPARE(f.Answers().Errors,
             QStringList{u"Filename contains unsuitable or illegal characters."_s});

    QVERIFY(f.New(u"Second"_s));
    QCOMPARE(form.LogTableFile(), f.DataPath(u"Second_Kv7.DB"_s));
    f.Answers().Errors.clear();
    f.Answers().OpenAnswer = f.DataPath(u"Band Watch_Kv7_Categories.DB"_s);
    f.Action(u"ActionOpenLogDB"_s)->trigger();
    QCOMPARE(f.Answers().Errors, QStringList{u"This is a Category file not a Log file"_s});
    f.Answers().OpenAnswer = made;
    f.Action(u"ActionOpenLogDB"_s)->trigger();
    QCOMPARE(form.LogTableFile(), made);

    // The open table cannot go; another can, with everything beside it.
    f.Answers().Errors.clear();
    f.Answers().OpenAnswer = made;
    f.Action(u"ActionDropDB"_s)->trigger();
    QCOMPARE(f.Answers().Errors, QStringList{u"You can't delete the currently open Log Table"_s});
    const QString second = f.DataPath(u"Second_Kv7.DB"_s);
    f.Answers().OpenAnswer = second;
    f.Answers().ConfirmAnswer = false;
    f.Action(u"ActionDropDB"_s)->trigger();
    QVERIFY(f.Answers().ConfirmAsked.last().startsWith(u"Delete Log Table "_s + second));
    QVERIFY(QFileInfo::exists(second));
    f.Answers().ConfirmAnswer = true;
    f.Action(u"ActionDropDB"_s)->trigger();
    QVERIFY(!QFileInfo::exists(second));
    QVERIFY(!QFileInfo::exists(CategoryTableFileFor(second)));
    QVERIFY(!form.RecentFiles().contains(second));
    QVERIFY(QFileInfo::exists(made));
}

void TestFormLog::recentFilesOpenAndForgetMissingFiles() {
    TFormLogFixture f;
    TFormLog& form = f.Make();
    QVERIFY(f.New(u"One"_s));
    QVERIFY(f.New(u"Two"_s));
    QCOMPARE(form.RecentFiles(),
             (QStringList{f.DataPath(u"Two_Kv7.DB"_s), f.DataPath(u"One_Kv7.DB"_s)}));
    form.close();
    // The next window opens the last table and remembers the list.
    TFormLog& again = f.Make();
    QCOMPARE(again.LogTableFile(), f.DataPath(u"Two_Kv7.DB"_s));
    QCOMPARE(again.RecentFiles().size(), 2);
    QVERIFY(QFile::remove(f.DataPath(u"One_Kv7.DB"_s)));
    auto* recent = again.findChild<QMenu*>(u"RecentFiles"_s);
    QVERIFY(recent);
    f.Answers().Errors.clear();
    recent->actions().at(1)->trigger();
    QCOMPARE(f.Answers().Errors, QStringList{u"File not found"_s});
    QCOMPARE(again.RecentFiles(), QStringList{f.DataPath(u"Two_Kv7.DB"_s)});
}

void TestFormLog::addEntryFromTheReceiver() {
    TFormLogFixture f;
    QVERIFY(f.Panel->Open());
    TFormLog& form = f.Make();
    QVERIFY(f.New(u"Log"_s));
    form.Clock = [] {
        return QDateTime(QDate(2027, 1, 1), QTime(0, 30, 5), QTimeZone(3600));
    };
    form.UpdateActionsNow();
    QVERIFY(f.Action(u"ActionLog"_s)->isEnabled());
    const QString box = f.Panel->Find<QLineEdit>(u"EditVcoA"_s)->text();
    f.Action(u"ActionLog"_s)->trigger();
    QCOMPARE(f.Rows(), 1);
    TTableView& log = form.QLog();
    QCOMPARE(log.Value(u"Freq").toDouble(), box.toDouble());
    QCOMPARE(log.Value(u"Mode").toString(),
             f.Panel->Find<QComboBox>(u"ModeComboBox"_s)->currentText());
    QCOMPARE(log.Value(u"Squelch").toInt(),
             f.Panel->Find<QLineEdit>(u"SquelchEditA"_s)->text().toInt());
    // UTC by default: the hour before midnight of the year before.
    QCOMPARE(log.Value(u"LogDate").toDate(), QDate(2026, 12, 31));
    QCOMPARE(log.Value(u"LogTime").toTime(), QTime(23, 30, 5));
    QVERIFY(!log.Value(u"Signal").isNull());
    QCOMPARE(f.Panel0(), u"1"_s);

    // Local time when chosen.
    form.findChild<QAction*>(u"LogLocalTime"_s)->trigger();
    QVERIFY(!form.UseUtcTime());
    f.Action(u"ActionLog"_s)->trigger();
    QCOMPARE(form.QLog().Value(u"LogDate").toDate(), form.Clock().toLocalTime().date());
}

void TestFormLog::addEntryForHitsSkipsKnownFrequencies() {
    TFormLogFixture f;
    TFormLog& form = f.Make();
    QVERIFY(f.New(u"Hits"_s));
    f.AddHit(u"145.500000"_s);
    f.AddHit(u"145.5"_s);
    f.AddHit(u"430.0"_s);
    QCOMPARE(f.Rows(), 2);
    // The window catches up a moment after a burst of hits.
    QTRY_COMPARE(f.Panel0(), u"2"_s);
    QTRY_VERIFY(form.Grid()->viewport()->updatesEnabled());
    // A frequency the table refuses is explained in the messages window, never raised.
    f.Panel->Messages.clear();
    f.AddHit(u"9999"_s);
    QCOMPARE(f.Rows(), 2);
    QVERIFY(!f.Panel->Messages.isEmpty());
    QVERIFY(f.Panel->Messages.last().endsWith(u" in FormLog.AddEntry"_s));
    // A hand-written selection that cannot be written to.
    form.QLog().SetSql(u"Select Freq, count(*) from "_s + QuoteFileName(form.LogTableFile()) +
                       u" GROUP BY Freq"_s);
    QVERIFY(form.QLog().Open());
    f.AddHit(u"440"_s);
    QCOMPARE(f.Panel->Messages.last(), u"Dataset is read only.  Try sorting by ID."_s);
}

void TestFormLog::rowsGoToAVfoByDragOrDoubleClick() {
    TFormLogFixture f;
    QVERIFY(f.Panel->Open());
    TFormLog& form = f.Make();
    QVERIFY(f.New(u"Drops"_s));
    f.AddHit(u"145.500000"_s);
    f.AddHit(u"430.0"_s);
    TTableView& log = form.QLog();
    log.First();
    const auto id = form.CurrentId();
    QVERIFY(id);

    // A dragged row carries its ID, and the row is read back only while it is still current.
    const TDragPayload payload = ReadDragData(form.Grid()->RowMimeData(log.RecNo()).get());
    QCOMPARE(payload.Kind, TDragKind::LogRow);
    QCOMPARE(payload.Origin, u"dxDBGrid1"_s);
    QCOMPARE(payload.LogId, *id);
    const auto row = form.DropRow(*id);
    QVERIFY(row);
    QCOMPARE(row->FreqMHz, std::optional<double>(log.Value(u"Freq").toDouble()));
    QCOMPARE(row->Squelch, std::optional<int>(40));
    QCOMPARE(row->Settings[0], std::optional<QString>(u"FM"_s));
    QCOMPARE(row->Settings[1], std::optional<QString>(u"15"_s));
    QCOMPARE(row->Settings[2], std::optional<QString>(u"1"_s));
    QCOMPARE(row->Step, u"12.5"_s);
    QVERIFY(!form.DropRow(*id + 1000));

    // The double click in the ID column drops the current row on the current VFO, as the
    // application wires it.
    TVfoDropTarget& drops = *f.Panel->Sheet().VfoDrop();
    drops.Rows.LogRow = [&form](qint64 wanted) {
        return form.DropRow(wanted);
    };
    connect(&form, &TFormLog::RowDropRequested, &drops,
            [&drops, &form](QChar letter) { drops.DropLogRow(letter, *form.CurrentId()); });
    f.Panel->Receiver.ClearReceivedLines();
    form.Grid()->setCurrentIndex(form.Grid()->model()->index(log.RecNo(), 0));
    QTest::keyClick(form.Grid(), Qt::Key_Return);
    const QString frequency = CommandText::Frequency(u'A', *row->FreqMHz, false);
    QTRY_VERIFY(f.Panel->Sent().contains(frequency));
    QTRY_VERIFY(!f.Panel->State().DragInProgress);
    QCOMPARE(f.Panel->Find<QLineEdit>(u"SquelchEditA"_s)->text(), u"40"_s);
}

void TestFormLog::headerClicksSortWithGlyphs() {
    TFormLogFixture f;
    TFormLog& form = f.Make();
    QVERIFY(f.New(u"Sort"_s));
    f.AddHit(u"145.5"_s, 10);
    f.AddHit(u"100.1"_s, 200);
    f.AddHit(u"430"_s, 90);
    QHeaderView* header = form.Grid()->horizontalHeader();
    const auto click = [&](int gridColumn) {
        const int logical = form.Grid()->ModelColumn(gridColumn);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(logical) + 5, 5));
    };
    form.QLog().MoveTo(2); // the 430 MHz row stays current across sorts
    click(TFormLog::ColSignal);
    QCOMPARE(form.QLog().Sql(), LogSelectSql(form.LogTableFile(), u"Signal"));
    QCOMPARE(form.SortGlyph().Column, int(TFormLog::ColSignal));
    QVERIFY(form.SortGlyph().Descending);
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(form.QLog().ValueAt(0, 10).toInt(), 200);
    QCOMPARE(form.QLog().Value(u"Freq").toDouble(), 430.0);
    click(TFormLog::ColFreq);
    QCOMPARE(form.SortGlyph().Column, int(TFormLog::ColFreq));
    QVERIFY(!form.SortGlyph().Descending);
    QCOMPARE(form.QLog().ValueAt(0, 1).toDouble(), 100.1);
    // A column that does not sort leaves the order and the glyph.
    click(TFormLog::ColNotes);
    QCOMPARE(form.SortGlyph().Column, int(TFormLog::ColFreq));
    QCOMPARE(header->sortIndicatorSection(), form.Grid()->ModelColumn(TFormLog::ColFreq));
    form.SetSortGlyphForOrder(u"logdate desc"_s);
    QCOMPARE(form.SortGlyph().Column, int(TFormLog::ColDate));
    QVERIFY(form.SortGlyph().Descending);
}

void TestFormLog::findCurrentFiltersAndShowAllClears() {
    TFormLogFixture f;
    QVERIFY(f.Panel->Open());
    TFormLog& form = f.Make();
    QVERIFY(f.New(u"Find"_s));
    const QString box = f.Panel->Find<QLineEdit>(u"EditVcoA"_s)->text();
    f.AddHit(box);
    f.AddHit(u"1000"_s);
    f.AddHit(u"2000"_s);
    form.UpdateActionsNow();
    f.Action(u"ActionFindCurrent"_s)->trigger();
    QVERIFY(form.QLog().Filtered());
    QCOMPARE(form.QLog().RecordCount(), 1);
    QCOMPARE(f.Panel0(), u"1"_s);
    f.Action(u"ActionShowAll"_s)->trigger();
    QVERIFY(!f.Action(u"ActionFindCurrent"_s)->isChecked());
    QVERIFY(!form.QLog().Filtered());
    QCOMPARE(f.Panel0(), u"3"_s);
}

void TestFormLog::blockCategoryChangeOnAFilteredView() {
    TFormLogFixture f;
    TFormLog& form = f.Make();
    QVERIFY(f.New(u"Block"_s));
    f.AddHit(u"145.5"_s);
    f.AddHit(u"430"_s);
    f.AddHit(u"145.6"_s);
    QString error;
    const qint64 id = *FindOrAddCategory(form.Engine(), form.CategoryTableFile(), u"Air"_s, error);
    form.QLog().SetSql(u"Select * from "_s + QuoteFileName(form.LogTableFile()) +
                       u" WHERE Freq < 200 order by Freq"_s);
    QVERIFY(form.QLog().Open());
    f.Answers().ConfirmAnswer = true;
    // The chooser is answered as the user would: the category picked, then Enter.
    QTimer::singleShot(0, [&] {
        auto* chooser = form.findChild<TFormSelectCategoryText*>();
        QVERIFY(chooser);
        QVERIFY(chooser->QCat().Locate(u"ID", id) == TLocateResult::Found);
        chooser->OkClick();
    });
    f.Action(u"ActionBlockChangeCategory"_s)->trigger();
    QVERIFY(!f.Answers().ConfirmAsked.isEmpty());
    QVERIFY2(f.Answers().ConfirmAsked.last().startsWith(
                 u"Change the category of ALL the current selection to:\"Air\"?"_s),
             qPrintable(f.Answers().ConfirmAsked.last()));
    QVERIFY(f.Answers().ConfirmAsked.last().contains(u"2 rows"_s));
    QCOMPARE(f.Rows(u"CategoryID = %1"_s.arg(id)), 2);
    QCOMPARE(f.Rows(u"CategoryID IS NULL AND Freq = 430"_s), 1);
}

void TestFormLog::searchLogCategoryChosenOrCancelled() {
    TFormLogFixture f;
    TFormLog& form = f.Make();
    QVERIFY(f.New(u"Auto"_s));
    QString error;
    const qint64 id = *FindOrAddCategory(form.Engine(), form.CategoryTableFile(), u"Hits"_s, error);
    QTimer::singleShot(0, [&] {
        auto* chooser = form.findChild<TFormSelectCategoryText*>();
        QVERIFY(chooser);
        QVERIFY(chooser->QCat().Locate(u"ID", id) == TLocateResult::Found);
        chooser->findChild<QLineEdit*>(u"EditNotesText"_s)->setText(u"airband sweep"_s);
        chooser->OkClick();
    });
    form.ChooseSearchLogCategory();
    QVERIFY(form.SearchLogCategoryChosen());
    QCOMPARE(form.SearchLogCategoryID().toLongLong(), id);
    f.AddHit(u"121.5"_s);
    QCOMPARE(f.Rows(u"CategoryID = %1 AND Notes = 'AIRBAND SWEEP'"_s.arg(id)), 1);

    QTimer::singleShot(0, [&] { form.findChild<TFormSelectCategoryText*>()->reject(); });
    form.ChooseSearchLogCategory();
    QVERIFY(!form.SearchLogCategoryChosen());
    f.AddHit(u"121.6"_s);
    QCOMPARE(f.Rows(u"Freq = 121.6 AND CategoryID IS NULL AND Notes IS NULL"_s), 1);
}

void TestFormLog::gridShowsLocaleDatesAndCategories() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });
    TFormLogFixture f;
    TFormLog& form = f.Make();
    QVERIFY(f.New(u"Show"_s));
    QString error;
    const qint64 id =
        *FindOrAddCategory(form.Engine(), form.CategoryTableFile(), u"Marine"_s, error);
    form.Clock = [] {
        return QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7), QTimeZone::utc());
    };
    f.AddHit(u"156.8"_s, 130);
    QVERIFY(form.QLog().Edit());
    QVERIFY(form.QLog().SetField(u"CategoryID", id));
    QVERIFY(form.QLog().Post());
    QAbstractItemModel* model = form.Grid()->model();
    const auto shown = [&](int gridColumn) {
        return model->index(0, form.Grid()->ModelColumn(gridColumn)).data().toString();
    };
    QCOMPARE(shown(TFormLog::ColFreq), u"156.800000"_s);
    QCOMPARE(shown(TFormLog::ColDate), QLocale().toString(QDate(2026, 3, 4), QLocale::ShortFormat));
    QCOMPARE(shown(TFormLog::ColTime), u"05:06:07"_s);
    QCOMPARE(shown(TFormLog::ColCategory), u"Marine"_s);
    QVERIFY(!shown(TFormLog::ColDbm).isEmpty());
    // The category is chosen by its text in the grid.
    FindOrAddCategory(form.Engine(), form.CategoryTableFile(), u"Coast"_s, error);
    form.ShowAll();
    QVERIFY(model->setData(model->index(0, form.Grid()->ModelColumn(TFormLog::ColCategory)),
                           u"Coast"_s));
    QCOMPARE(f.Rows(u"CategoryID = %1"_s.arg(id)), 0);
}

void TestFormLog::multiSelectDeleteAndRebuildIndexes() {
    TFormLogFixture f;
    TFormLog& form = f.Make();
    QVERIFY(f.New(u"Rows"_s));
    for (const QString& freq : {u"100"_s, u"200"_s, u"300"_s, u"400"_s})
        f.AddHit(freq);
    auto* multi = form.findChild<QCheckBox*>(u"CheckBoxMultiSelect"_s);
    multi->setChecked(true);
    QItemSelectionModel* selection = form.Grid()->selectionModel();
    QAbstractItemModel* model = form.Grid()->model();
    for (const int row : {1, 3})
        selection->select(model->index(row, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    f.Answers().ConfirmAnswer = false;
    form.findChild<QAction*>(u"NavDelete"_s)->trigger();
    QCOMPARE(f.Answers().ConfirmAsked.last(), u"Delete all the selected rows?"_s);
    QCOMPARE(f.Rows(), 4);
    QVERIFY(!multi->isChecked());
    multi->setChecked(true);
    for (const int row : {1, 3})
        selection->select(model->index(row, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    f.Answers().ConfirmAnswer = true;
    form.findChild<QAction*>(u"NavDelete"_s)->trigger();
    QCOMPARE(f.Rows(), 2);
    QCOMPARE(f.Rows(u"Freq IN (100, 300)"_s), 2);
    QCOMPARE(f.Panel0(), u"2"_s);

    // An index lost from the table comes back.
    QVERIFY(form.Engine().Execute(u"DROP INDEX DateIX"_s) ||
            form.Engine().ExecuteNative(
                u"DROP INDEX "_s +
                form.Engine()
                    .Translate(u"SELECT * FROM "_s + QuoteFileName(form.LogTableFile()))
                    .Targets.front()
                    .Schema +
                u".DateIX"_s));
    f.Action(u"ActionRebuildIndexes"_s)->trigger();
    QVERIFY(f.Answers().ConfirmAsked.last().startsWith(u"Attempt to fix a database table"_s));
    const TTranslation ref =
        form.Engine().Translate(u"SELECT * FROM "_s + QuoteFileName(form.LogTableFile()));
    QCOMPARE(form.Engine()
                 .QueryValueNative(u"SELECT count(*) FROM "_s + ref.Targets.front().Schema +
                                   u".sqlite_master WHERE name = 'DateIX'"_s)
                 ->toInt(),
             1);
    QVERIFY(form.QLog().Active());
}

void TestFormLog::logButtonTogglesTheWindow() {
    TFormLogFixture f;
    TLogWindowController controller(*f.Panel->Form);
    auto* button = f.Panel->Find<QPushButton>(u"LogTableButton"_s);
    QCOMPARE(button->text(), u"&Log"_s);
    button->click();
    QPointer<TFormLog> form = controller.FormLog();
    QVERIFY(form);
    QVERIFY(form->isVisible());
    form->move(123, 77);
    button->click();
    QTRY_VERIFY(!form);
    // Its place is kept for the next time.
    button->click();
    QVERIFY(controller.FormLog());
    QCOMPARE(controller.FormLog()->pos(), QPoint(123, 77));
}

// Ctrl+L on the main window makes the window and adds an entry; Alt+L and the VFO keys in the
// log window go to the main window.
void TestFormLog::keysReachTheMainWindow() {
    TFormLogFixture f;
    QVERIFY(f.Panel->Open());
    {
        TFormLog& first = f.Make();
        QVERIFY(f.New(u"Keys"_s));
        first.close();
    }
    TLogWindowController controller(*f.Panel->Form);
    f.Panel->Form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.Panel->Form.get()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_L, Qt::ControlModifier);
    QPointer<TFormLog> form = controller.FormLog();
    QVERIFY(form);
    QCOMPARE(form->QLog().RecordCount(), 1);

    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    QCOMPARE(f.Panel->Form->MainSheet()->State().CurrentVfo, QChar(u'B'));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_L, Qt::AltModifier);
    QTRY_VERIFY(!form);
}

QTEST_MAIN(TestFormLog)
#include "tst_formlog.moc"
