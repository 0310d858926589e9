// The windows around categories and notes, offscreen: the category manager, the chooser in its
// two modes, and the notes pop-up.
#include "log/LogFixture.h"
#include "support/ScriptedPrompt.h"

#include "CategoryGrid.h"
#include "MemoPopupForm.h"
#include "SelectCategoryForm.h"
#include "TableView.h"
#include "ValuesListForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

template <typename T> T* Find(const QWidget& window, const QString& name) {
    T* found = window.findChild<T*>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

void Click(const QWidget& window, const QString& button) {
    Find<QToolButton>(window, button)->click();
}

// Types as a keyboard does, each key into whatever has the focus then (the first key of a cell
// opens its editor).
void Type(const QString& text) {
    for (const QChar character : text)
        QTest::keyClicks(QApplication::focusWidget(), QString(character));
}

void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

bool ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// Makes the table refuse every new row, or every change, with the text given.
void RefuseWrites(TTableEngine& engine, const QString& path, const char* event) {
    const TTranslation ref = engine.Translate(u"SELECT * FROM "_s + QuoteFileName(path));
    const TTableTarget& target = ref.Targets.front();
    if (!engine.ExecuteNative(u"CREATE TRIGGER "_s + QuoteIdentifier(target.Schema) +
                              u".Refuse BEFORE "_s + QString::fromLatin1(event) + u" ON "_s +
                              QuoteIdentifier(target.Table) +
                              u" BEGIN SELECT RAISE(ABORT, 'refused by the table'); END"_s))
        qFatal("trigger: %s", qPrintable(engine.LastError()));
}

} // namespace

class TestCategoryForms : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { SetPrompt(std::make_unique<TScriptedPrompt>()); }
    void managerRefusesDeletingACategoryInUse();
    void managerInsertsAndRefusesTooLongText();
    void chooserModes_data();
    void chooserModes();
    void chooserOkPostsAPendingCategory();
    void chooserOkStaysOpenWhenThePostFails();
    void chooserCancelAndEmptyGrid();
    void memoReadOnlyUntilAllowEdit();
    void memoOkPostsAndEscCancels();
    void memoReadOnlyView();

private:
    TScriptedPrompt& Prompted() { return static_cast<TScriptedPrompt&>(Prompt()); }
};

void TestCategoryForms::managerRefusesDeletingACategoryInUse() {
    TLogFixture fixture;
    const qint64 air = fixture.AddCategory(u"Air"_s);
    fixture.AddCategory(u"Marine"_s);
    fixture.AddLogRow(118.1, air);
    QWidget owner;
    owner.resize(800, 600);
    TFormValuesList form(fixture.Engine, fixture.LogPath, &owner);
    QVERIFY(ShowActive(form));
    QCOMPARE(form.windowTitle(), u"Signal Categories"_s);
    QVERIFY(form.width() <= 275);
    QVERIFY(form.Grid().isColumnHidden(form.QVL().FieldIndex(u"ID")));
    const int categoryWidth = form.Grid().columnWidth(form.QVL().FieldIndex(u"Category"));
    QVERIFY(categoryWidth >= 120);
    QVERIFY(categoryWidth >= form.Grid().fontMetrics().horizontalAdvance(u"0123456789ABCDEF"_s));
    QVERIFY(Find<QToolButton>(form, u"CloseButton"_s)->isVisible()); // not in an overflow menu
    const QString count = u"SELECT count(*) FROM "_s + QuoteFileName(fixture.CategoryPath);

    Prompted().ConfirmAnswer = true;
    Click(form, u"NavDelete"_s);
    QCOMPARE(
        Prompted().Errors,
        QStringList({u"You cannot delete that Category\r\nIt is used on the main log table."_s}));
    QVERIFY(Prompted().ConfirmAsked.isEmpty());
    QCOMPARE(fixture.Query(count).toInt(), 2);

    Click(form, u"NavNext"_s);
    QCOMPARE(form.QVL().Value(u"Category").toString(), u"Marine"_s);
    Click(form, u"NavDelete"_s);
    QCOMPARE(Prompted().ConfirmAsked.size(), 1);
    QCOMPARE(fixture.Query(count).toInt(), 1);
    QCOMPARE(form.Grid().model()->rowCount(), 1);
}

void TestCategoryForms::managerInsertsAndRefusesTooLongText() {
    TLogFixture fixture;
    fixture.AddCategory(u"Air"_s);
    TFormValuesList form(fixture.Engine, fixture.LogPath);
    QVERIFY(ShowActive(form));
    const QString stored =
        u"SELECT group_concat(Category, '|') FROM "_s + QuoteFileName(fixture.CategoryPath);

    Click(form, u"NavInsert"_s);
    QCOMPARE(form.Grid().model()->rowCount(), 2);
    Type(u"Utility"_s);
    Press(Qt::Key_Return);
    QTRY_COMPARE(form.QVL().Value(u"Category").toString(), u"Utility"_s);
    QCOMPARE(fixture.Query(stored).toString(), u"Air"_s); // pending until posted
    Click(form, u"NavPost"_s);
    QCOMPARE(fixture.Query(stored).toString(), u"Air|Utility"_s);

    // Too long: refused with the limit named, and the row keeps its text.
    QVERIFY(form.Grid().hasFocus());
    Press(Qt::Key_F2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    Type(u"Utility and more!"_s);
    Press(Qt::Key_Return);
    QTRY_COMPARE(Prompted().Errors.size(), 1);
    QVERIFY(Prompted().Errors.front().contains(u"at most 16 characters"_s));
    Click(form, u"NavPost"_s);
    QCOMPARE(fixture.Query(stored).toString(), u"Air|Utility"_s);
    QCOMPARE(form.Grid().model()->data(form.Grid().currentIndex()).toString(), u"Utility"_s);
}

void TestCategoryForms::chooserModes_data() {
    QTest::addColumn<TSelectCategoryMode>("mode");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("notesShown");
    QTest::addColumn<QString>("help");
    QTest::newRow("search log")
        << TSelectCategoryMode::SearchLog << u"Select Category and Text for Search Log Entries"_s
        << true
        << u"If adding a new Category then\r\nremember to Post before continuing!\r\nIf you post "
           u"using cursor up/down \r\nremember to re-select the new row.\r\nIf you press Cancel, "
           u"search will proceed\r\nbut auto added entries will have no\r\ncategory or text "
           u"added."_s;
    QTest::newRow("block change")
        << TSelectCategoryMode::BlockChange << u"Select or create new category"_s << false
        << u"Select the desired category on the grid.\r\nIf adding a new Category then\r\n"
           u"remember to Post before continuing!"_s;
}

void TestCategoryForms::chooserModes() {
    QFETCH(TSelectCategoryMode, mode);
    QFETCH(QString, caption);
    QFETCH(bool, notesShown);
    QFETCH(QString, help);
    TLogFixture fixture;
    fixture.AddCategory(u"Air"_s);
    TFormSelectCategoryText form(fixture.Engine, fixture.LogPath, mode, u"BANK 3"_s);
    QVERIFY(ShowActive(form));
    QCOMPARE(form.windowTitle(), caption);
    QCOMPARE(Find<QLabel>(form, u"LabelNotes"_s)->text(), help);
    for (const QString& name : {u"EditNotesText"_s, u"Label2"_s, u"ClearButton"_s})
        QCOMPARE(Find<QWidget>(form, name)->isVisible(), notesShown);
    QVERIFY(form.Grid().columnWidth(form.QCat().FieldIndex(u"Category")) >= 111);
    QVERIFY(form.Grid().isColumnHidden(form.QCat().FieldIndex(u"ID")));
    QVERIFY(!form.findChild<QToolButton*>(u"NavDelete"_s));

    QCOMPARE(Find<QLineEdit>(form, u"EditNotesText"_s)->text(), u"BANK 3"_s);
    Click(form, u"ClearButton"_s);
    Press(Qt::Key_Return);
    QTRY_COMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(form.CategoryText(), u"Air"_s);
    QCOMPARE(form.NotesText(), QString());
}

void TestCategoryForms::chooserOkPostsAPendingCategory() {
    TLogFixture fixture;
    fixture.AddCategory(u"Air"_s);
    TFormSelectCategoryText form(fixture.Engine, fixture.LogPath, TSelectCategoryMode::SearchLog,
                                 u"BANK 3"_s);
    QVERIFY(ShowActive(form));
    Click(form, u"NavInsert"_s);
    Type(u"Utility"_s);
    Press(Qt::Key_Return); // closes the cell and the window: OK
    QTRY_COMPARE(form.result(), int(QDialog::Accepted));
    QVERIFY(!form.isVisible());
    const QVariant id = fixture.Query(u"SELECT ID FROM "_s + QuoteFileName(fixture.CategoryPath) +
                                      u" WHERE Category = 'Utility'"_s);
    QCOMPARE(id.toLongLong(), 2);
    QCOMPARE(form.CategoryId().toLongLong(), 2);
    QCOMPARE(form.CategoryText(), u"Utility"_s);
    QCOMPARE(form.NotesText(), u"BANK 3"_s);
}

void TestCategoryForms::chooserOkStaysOpenWhenThePostFails() {
    TLogFixture fixture;
    fixture.AddCategory(u"Air"_s);
    RefuseWrites(fixture.Engine, fixture.CategoryPath, "INSERT");
    TFormSelectCategoryText form(fixture.Engine, fixture.LogPath, TSelectCategoryMode::BlockChange,
                                 {});
    QVERIFY(ShowActive(form));
    Click(form, u"NavInsert"_s);
    Type(u"Utility"_s);
    Click(form, u"ButtonEnter"_s);
    QCOMPARE(Prompted().Errors.size(), 1);
    QVERIFY(Prompted().Errors.front().contains(u"refused by the table"_s));
    QVERIFY(form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Rejected)); // not closed
    QCOMPARE(form.QCat().State(), TViewState::Insert);

    // Esc drops the new row; the window closes with nothing chosen.
    Click(form, u"ButtonEsc"_s);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.QCat().State(), TViewState::Browse);
    QVERIFY(form.CategoryId().isNull());
}

void TestCategoryForms::chooserCancelAndEmptyGrid() {
    TLogFixture fixture;
    {
        TFormSelectCategoryText form(fixture.Engine, fixture.LogPath,
                                     TSelectCategoryMode::SearchLog, u"NOTE"_s);
        QVERIFY(ShowActive(form));
        Press(Qt::Key_Return);
        QTRY_COMPARE(form.result(), int(QDialog::Accepted));
        QVERIFY(form.CategoryId().isNull());
        QCOMPARE(form.NotesText(), u"NOTE"_s);
    }
    fixture.AddCategory(u"Air"_s);
    TFormSelectCategoryText form(fixture.Engine, fixture.LogPath, TSelectCategoryMode::SearchLog,
                                 u"NOTE"_s);
    QVERIFY(ShowActive(form));
    Click(form, u"NavInsert"_s);
    Type(u"Utility"_s);
    Press(Qt::Key_Escape); // leaves the cell
    Press(Qt::Key_Escape); // cancels the window
    QTRY_VERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QVERIFY(form.CategoryId().isNull());
    QCOMPARE(
        fixture.Query(u"SELECT count(*) FROM "_s + QuoteFileName(fixture.CategoryPath)).toInt(), 1);
}

void TestCategoryForms::memoReadOnlyUntilAllowEdit() {
    TLogFixture fixture;
    fixture.AddLogRow(118.1, {}, u"FIRST"_s);
    TTableView log(fixture.Engine);
    log.SetSql(u"Select * from "_s + QuoteFileName(fixture.LogPath) + u" Order by ID"_s);
    QVERIFY(log.Open());
    TMemoPopupForm form(log);
    QVERIFY(ShowActive(form));
    QCOMPARE(form.windowTitle(), u"Notes"_s);
    QCOMPARE(form.size(), QSize(360, 294));
    auto* memo = Find<QPlainTextEdit>(form, u"Memo1"_s);
    auto* allowEdit = Find<QCheckBox>(form, u"CheckBoxAllowEdit"_s);
    QCOMPARE(memo->toPlainText(), u"FIRST"_s);
    QVERIFY(memo->isReadOnly());
    QCOMPARE(allowEdit->text(), u"Allow &Edit"_s);

    Press(Qt::Key_E, Qt::AltModifier);
    QTRY_VERIFY(allowEdit->isChecked());
    QVERIFY(!memo->isReadOnly());
    Press(Qt::Key_E, Qt::AltModifier);
    QTRY_VERIFY(!allowEdit->isChecked());
    QVERIFY(memo->isReadOnly());
}

void TestCategoryForms::memoOkPostsAndEscCancels() {
    TLogFixture fixture;
    const qint64 row = fixture.AddLogRow(118.1, {}, u"FIRST"_s);
    const QString stored = u"SELECT Notes FROM "_s + QuoteFileName(fixture.LogPath) +
                           u" WHERE ID = "_s + QString::number(row);
    TTableView log(fixture.Engine);
    log.SetSql(u"Select * from "_s + QuoteFileName(fixture.LogPath) + u" Order by ID"_s);
    QVERIFY(log.Open());
    {
        TMemoPopupForm form(log);
        QVERIFY(ShowActive(form));
        Find<QCheckBox>(form, u"CheckBoxAllowEdit"_s)->click();
        Find<QPlainTextEdit>(form, u"Memo1"_s)->setFocus();
        Press(Qt::Key_End);
        Type(u" and more"_s);
        Press(Qt::Key_Return, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(fixture.Query(stored).toString(), u"FIRST and more"_s);
        QCOMPARE(log.State(), TViewState::Browse);
    }
    {
        // A post the table refuses is explained and the window stays.
        RefuseWrites(fixture.Engine, fixture.LogPath, "UPDATE");
        TMemoPopupForm form(log);
        QVERIFY(ShowActive(form));
        Find<QCheckBox>(form, u"CheckBoxAllowEdit"_s)->click();
        Find<QPlainTextEdit>(form, u"Memo1"_s)->setFocus();
        Type(u"X"_s);
        Find<QWidget>(form, u"ButtonOK"_s)->setFocus();
        QTest::mouseClick(Find<QWidget>(form, u"ButtonOK"_s), Qt::LeftButton);
        QCOMPARE(Prompted().Errors.size(), 1);
        QVERIFY(Prompted().Errors.front().contains(u"refused by the table"_s));
        QVERIFY(form.isVisible());
        QCOMPARE(log.State(), TViewState::Edit);

        // Esc drops the pending edit.
        Press(Qt::Key_Escape);
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QVERIFY(!form.isVisible());
        QCOMPARE(log.State(), TViewState::Browse);
        QCOMPARE(log.Value(u"Notes").toString(), u"FIRST and more"_s);
        QCOMPARE(fixture.Query(stored).toString(), u"FIRST and more"_s);
    }
}

void TestCategoryForms::memoReadOnlyView() {
    TLogFixture fixture;
    fixture.AddLogRow(118.1, {}, u"FIRST"_s);
    TTableView log(fixture.Engine);
    log.SetSql(u"SELECT Notes, count(*) FROM "_s + QuoteFileName(fixture.LogPath) +
               u" GROUP BY Notes"_s);
    QVERIFY(log.Open());
    QVERIFY(!log.CanModify());
    TMemoPopupForm form(log);
    QVERIFY(ShowActive(form));
    QCOMPARE(form.windowTitle(), u"Notes [Read Only]"_s);
    QVERIFY(!Find<QCheckBox>(form, u"CheckBoxAllowEdit"_s)->isEnabled());
    QCOMPARE(Find<QPlainTextEdit>(form, u"Memo1"_s)->toPlainText(), u"FIRST"_s);
    QVERIFY(Find<QPlainTextEdit>(form, u"Memo1"_s)->isReadOnly());
}

QTEST_MAIN(TestCategoryForms)
#include "tst_categoryforms.moc"
