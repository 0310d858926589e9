// The sub-select windows as the user works them: typed statements that must be refused, the Build
// page driven by the keyboard, saved settings, and the windows opened from the memory window and
// the log window.
#include "log/LogFixture.h"
#include "mainwindow/PanelFixture.h"
#include "memory/MemoryFixture.h"

#include "BankTable.h"
#include "DataUnit1.h"
#include "LogGrid.h"
#include "MemForm.h"
#include "MemFormLink.h"
#include "ProgramFolder.h"
#include "SqlForm.h"
#include "TableEngine.h"
#include "TableView.h"
#include "UnitLog.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr const char* kStartSql = "SELECT * FROM MemoryBank0.dbf WHERE MEM < '010' ORDER BY MEM";

// A bank table and a view on its first ten channels, with a memory sub-select window over them.
struct TFormFixture {
    TMemoryHome Home;
    TTableEngine Engine{Home.Dir.path()};
    TTableView View{Engine};
    TScriptedPrompt* Answers = nullptr;
    std::unique_ptr<TPrompt> Previous;
    std::unique_ptr<TSqlForm> Form;
    QStringList Applied;

    explicit TFormFixture(bool log = false) {
        auto answers = std::make_unique<TScriptedPrompt>();
        Answers = answers.get();
        Previous = SetPrompt(std::move(answers));
        QString error;
        if (!CreateBankTable(Engine, Home.Path(u"MemoryBank0.dbf"_s), error) ||
            !Engine.Execute(u"UPDATE MemoryBank0.dbf SET FREQ = 100 + CAST(MEM AS INTEGER), "
                            u"TEXT = 'CH' || MEM"_s))
            qFatal("bank: %s", qPrintable(error + Engine.LastError()));
        View.SetSql(QString::fromLatin1(kStartSql));
        if (!View.Open())
            qFatal("view: %s", qPrintable(View.LastError()));
        if (log)
            Form = std::make_unique<TSqlLogForm>(Engine, View, u"Log_Kv7.DB"_s,
                                                 Home.Path(u"Log_Kv7_SubSelects.DB"_s));
        else
            Form = std::make_unique<TSqlDirectForm>(Engine, View, Home.Path(u"Kv7SQL.ini"_s));
        Form->SetTable(u"MemoryBank0.dbf"_s);
        Form->OnApplied = [this](const QString& sql, bool) {
            Applied << sql;
        };
        Form->show();
        Form->activateWindow();
        if (!QTest::qWaitForWindowActive(Form.get()))
            qWarning("the window did not become active");
    }
    ~TFormFixture() {
        Form.reset();
        SetPrompt(std::move(Previous));
    }
    template <typename T> T* Find(const QString& name) const {
        T* found = Form->findChild<T*>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    void Page(int page) { Find<QTabWidget>(u"PageControl1"_s)->setCurrentIndex(page); }
    // Types into the box as the user does: focus first, then keys to the focused widget.
    void Type(const QString& name, const QString& text) {
        QWidget* box = Find<QWidget>(name);
        box->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), box);
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
    void Choose(const QString& name, const QString& text) {
        auto* box = Find<QComboBox>(name);
        box->setCurrentIndex(box->findText(text));
    }
    void Enter() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); }
    QAction* FileItem(const QString& text) const {
        for (QAction* action : Form->findChildren<QAction*>())
            if (action->text() == text)
                return action;
        qFatal("no item %s", qPrintable(text));
    }
    int Rows(const QString& where) {
        return Engine.QueryValue(u"SELECT count(*) FROM MemoryBank0.dbf WHERE "_s + where)->toInt();
    }
};

// Works the next modal window as soon as it shows.
void WithNextModal(std::function<void(QWidget*)> work) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, work = std::move(work)] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        work(dialog);
        // A check that failed inside `work` must not leave the window waiting for the user.
        if (auto* open = qobject_cast<QDialog*>(dialog); open && open->isVisible())
            open->reject();
    });
    timer->start(10);
}

} // namespace

class TestSqlForm : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void editPageRefusals_data();
    void editPageRefusals();
    void editPageStatementApplies();
    void buildPageByKeyboard();
    void freqErrorAppliesNothing();
    void savedSettingsInTheMemoryWindow();
    void savedSettingsInTheLogWindow();
    void logNotesSearchesWithLike();
    void sqlTextFiles();
    void openedFromTheMemoryWindow();
    void openedFromTheLogWindow();
};

void TestSqlForm::editPageRefusals_data() {
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("reason");
    const QString selectOnly = QString::fromLatin1(kSelectOnlyText);
    QTest::newRow("update") << u"update MemoryBank0.dbf SET TEXT = 'X'"_s << selectOnly;
    QTest::newRow("delete") << u"DELETE FROM MemoryBank0.dbf"_s << selectOnly;
    QTest::newRow("attach") << u"ATTACH 'other.db' AS other"_s << selectOnly;
    QTest::newRow("pragma") << u"PRAGMA writable_schema = 1"_s << selectOnly;
    QTest::newRow("two statements")
        << u"SELECT * FROM MemoryBank0.dbf; UPDATE MemoryBank0.dbf SET TEXT = 'X'"_s
        << QString::fromLatin1(kTailRefusedText);
    QTest::newRow("load_extension")
        << u"SELECT load_extension('/tmp/x.so')"_s << QString::fromLatin1(kExtensionRefusedText);
    QTest::newRow("pragma function")
        << u"SELECT * FROM MemoryBank0.dbf WHERE MEM IN (SELECT name FROM "
           u"pragma_function_list)"_s
        << QString::fromLatin1(kPragmaRefusedText);
    QTest::newRow("syntax error") << u"SELECT * FROM MemoryBank0.dbf WHER MEM = 1"_s
                                  << u"near \"MEM\": syntax error"_s;
    QTest::newRow("fails while reading")
        << u"SELECT * FROM MemoryBank0.dbf WHERE abs(-9223372036854775807 - 1) > 0"_s
        << u"integer overflow"_s;
}

void TestSqlForm::editPageRefusals() {
    QFETCH(QString, statement);
    QFETCH(QString, reason);
    TFormFixture f;
    f.Page(1);
    f.Type(u"Memo1"_s, statement);
    f.Find<QPushButton>(u"EditApplyButton"_s)->click();
    QVERIFY(!f.Answers->Errors.isEmpty());
    QVERIFY2(f.Answers->Errors.last().contains(reason), qPrintable(f.Answers->Errors.last()));
    // Nothing ran, and the view shows what it showed.
    QCOMPARE(f.Rows(u"TEXT = 'X'"_s), 0);
    QCOMPARE(f.Rows(u"1"_s), 1000);
    QVERIFY(f.View.Active());
    QCOMPARE(f.View.Sql(), QString::fromLatin1(kStartSql));
    QCOMPARE(f.View.RecordCount(), 10);
    QVERIFY(f.Applied.isEmpty());
}

void TestSqlForm::editPageStatementApplies() {
    TFormFixture f;
    f.Page(1);
    const QString sql = u"select * from MemoryBank0.dbf where MEM >= \"990\""_s;
    f.Type(u"Memo1"_s, sql);
    // In the memory window Enter applies the page, wherever the focus is.
    f.Enter();
    QCOMPARE(f.Answers->Errors, QStringList());
    QCOMPARE(f.View.Sql(), sql);
    QCOMPARE(f.View.RecordCount(), 10);
    QCOMPARE(f.Applied, QStringList{sql});
}

void TestSqlForm::buildPageByKeyboard() {
    TFormFixture f;
    f.Choose(u"FieldComboBox1"_s, u"MEM"_s);
    f.Choose(u"OperatorComboBox1"_s, u">="_s);
    f.Type(u"SqlEdit1"_s, u"100"_s);
    f.Choose(u"BoolComboBox1"_s, u"AND"_s);
    f.Choose(u"FieldComboBox2"_s, u"MEM"_s);
    f.Choose(u"OperatorComboBox2"_s, u"<"_s);
    f.Type(u"SqlEdit2"_s, u"200"_s);
    f.Choose(u"OrderByComboBox"_s, u"FREQ"_s);
    f.Enter();
    const QString expected = u"SELECT * FROM MemoryBank0.dbf WHERE ((((MEM >= \"100\") AND "
                             u"(MEM < \"200\")))) ORDER BY FREQ"_s;
    QCOMPARE(f.Answers->Errors, QStringList());
    QCOMPARE(f.View.Sql(), expected);
    QCOMPARE(f.View.RecordCount(), 100);
    QCOMPARE(f.Find<QPlainTextEdit>(u"Memo1"_s)->toPlainText(), expected);
    QCOMPARE(f.Applied, QStringList{expected});
    // The Enter went to the window, not into the box.
    QCOMPARE(f.Find<QLineEdit>(u"SqlEdit2"_s)->text(), u"200"_s);

    // Clear leaves the lists and boxes as at the start, the order and connectors alone.
    f.Find<QPushButton>(u"ClearButton"_s)->click();
    QCOMPARE(f.Find<QComboBox>(u"FieldComboBox1"_s)->currentIndex(), 0);
    QCOMPARE(f.Find<QLineEdit>(u"SqlEdit1"_s)->text(), QString());
    QCOMPARE(f.Find<QComboBox>(u"OrderByComboBox"_s)->currentText(), u"FREQ"_s);
}

void TestSqlForm::freqErrorAppliesNothing() {
    TFormFixture f;
    f.Choose(u"FieldComboBox1"_s, u"FREQ"_s);
    f.Choose(u"OperatorComboBox1"_s, u"="_s);
    f.Type(u"SqlEdit1"_s, u"14x"_s);
    f.Find<QPushButton>(u"ApplyButton"_s)->click();
    QCOMPARE(f.Answers->Errors, QStringList{u"14X Is not a floating point value"_s});
    QCOMPARE(f.View.Sql(), QString::fromLatin1(kStartSql));
    QVERIFY(f.Applied.isEmpty());
}

void TestSqlForm::savedSettingsInTheMemoryWindow() {
    TFormFixture f;
    auto* list = f.Find<QListWidget>(u"ListBox1"_s);
    f.Choose(u"FieldComboBox1"_s, u"TEXT"_s);
    f.Choose(u"OperatorComboBox1"_s, u"LIKE"_s);
    f.Type(u"SqlEdit1"_s, u"ch99"_s);
    f.Choose(u"ModeComboBox"_s, u"FM"_s);
    f.Answers->TextAnswers = {u"Evening"_s, u"[bad]"_s};
    f.FileItem(u"Save Combobox settings"_s)->trigger();
    f.FileItem(u"Save Combobox settings"_s)->trigger();
    QCOMPARE(f.Answers->Errors, QStringList{QString::fromLatin1(kSavedNameRefusedText)});
    QCOMPARE(f.Answers->TextAsked,
             (QStringList{u"Save Combobox settings"_s, u"Name for saved settings?"_s,
                          u"Save Combobox settings"_s, u"Name for saved settings?"_s}));
    QCOMPARE(list->count(), 1);

    // Saving over it asks first.
    f.Answers->TextAnswers = {u"evening"_s};
    f.FileItem(u"Save Combobox settings"_s)->trigger();
    QCOMPARE(f.Answers->ConfirmAsked,
             QStringList{u"That SaveName exists do you want to overwrite?"_s});

    // Renamed to its own name, the setting stays.
    list->setCurrentRow(0);
    f.Answers->TextAnswers = {u"Evening"_s};
    f.Form->RenameSelected();
    QCOMPARE(list->count(), 1);
    QVERIFY(f.Form->Saved().Load(u"Evening"_s));

    // Clicked, it fills the lists; a double click or Enter on the list applies it and closes.
    f.Find<QPushButton>(u"ClearButton"_s)->click();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    QCOMPARE(f.Find<QComboBox>(u"FieldComboBox1"_s)->currentText(), u"TEXT"_s);
    QCOMPARE(f.Find<QLineEdit>(u"SqlEdit1"_s)->text(), u"ch99"_s);
    list->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), list);
    f.Enter();
    QCOMPARE(f.View.Sql(), u"SELECT * FROM MemoryBank0.dbf WHERE ((((TEXT LIKE \"%CH99%\"))) AND "
                           u"(MODE = \"FM\")) ORDER BY MEM"_s);
    QCOMPARE(f.View.RecordCount(), 0); // no mode stored in the bank
    QVERIFY(!f.Form->isVisible());

    // Delete takes it without asking.
    list->setCurrentRow(0);
    f.Form->DeleteSelected();
    QCOMPARE(list->count(), 0);
    QCOMPARE(f.Answers->ConfirmAsked.size(), 1);
}

void TestSqlForm::savedSettingsInTheLogWindow() {
    TFormFixture f(true);
    auto* list = f.Find<QListWidget>(u"ListBox1"_s);
    f.Answers->TextAnswers = {u"A name longer than sixteen"_s};
    f.FileItem(u"Save Combobox settings"_s)->trigger();
    QCOMPARE(f.Form->Saved().Names(), QStringList{u"A name longer th"_s});

    // A rename to a name in use changes nothing; a delete asks first.
    f.Answers->TextAnswers = {u"Second"_s};
    f.FileItem(u"Save Combobox settings"_s)->trigger();
    list->setCurrentRow(0);
    f.Answers->TextAnswers = {u"Second"_s};
    f.Form->RenameSelected();
    QCOMPARE(f.Answers->Errors, QStringList{u"That name already exists."_s});
    QCOMPARE(f.Form->Saved().Names(), (QStringList{u"A name longer th"_s, u"Second"_s}));
    f.Answers->ConfirmAnswer = false;
    list->setCurrentRow(1);
    f.Form->DeleteSelected();
    QCOMPARE(f.Answers->ConfirmAsked, QStringList{u"Delete Second are you sure?"_s});
    QCOMPARE(list->count(), 2);
    f.Answers->ConfirmAnswer = true;
    f.Form->DeleteSelected();
    QCOMPARE(f.Form->Saved().Names(), QStringList{u"A name longer th"_s});
}

void TestSqlForm::logNotesSearchesWithLike() {
    TFormFixture f(true);
    auto* field = f.Find<QComboBox>(u"FieldComboBox2"_s);
    auto* op = f.Find<QComboBox>(u"OperatorComboBox2"_s);
    field->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), field);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    QCOMPARE(field->currentText(), u"NOTES"_s);
    QCOMPARE(op->currentText(), u"LIKE"_s);
    QVERIFY(!op->isEnabled());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QCOMPARE(op->currentIndex(), 0);
    QVERIFY(op->isEnabled());

    // Values are upper case as typed; on the Edit page Enter is the memo's own.
    f.Type(u"SqlEdit2"_s, u"abc"_s);
    QCOMPARE(f.Find<QLineEdit>(u"SqlEdit2"_s)->text(), u"ABC"_s);
    f.Page(1);
    f.Type(u"Memo1"_s, u"SELECT"_s);
    f.Enter();
    QCOMPARE(f.Find<QPlainTextEdit>(u"Memo1"_s)->toPlainText(), u"SELECT\n"_s);
    QVERIFY(f.Applied.isEmpty());
}

void TestSqlForm::sqlTextFiles() {
    TFormFixture f;
    QVERIFY(f.FileItem(u"Save Combobox settings"_s)->isEnabled());
    QVERIFY(!f.FileItem(u"Save Sql Text"_s)->isEnabled());
    f.Page(1);
    QVERIFY(!f.FileItem(u"Save Combobox settings"_s)->isEnabled());
    auto* memo = f.Find<QPlainTextEdit>(u"Memo1"_s);
    memo->setPlainText(u"SELECT *\nFROM MemoryBank0.dbf"_s);
    const QString file = f.Home.Path(u"Mine.sq5"_s);
    f.Answers->SaveAnswer = file;
    f.FileItem(u"Save Sql Text"_s)->trigger();
    QCOMPARE(f.Answers->SaveAsked, (QStringList{u"Save Sql Text"_s, DataFolder(), u"Select.sq5"_s,
                                                u"Kv7 SQL text files (*.sq5)"_s}));
    QCOMPARE(ReadBytes(file), QByteArray("SELECT *\nFROM MemoryBank0.dbf"));

    QVERIFY(WriteBytes(file, "SELECT * FROM MemoryBank0.dbf\r\nWHERE MEM = '001'\r\n"));
    f.Answers->OpenAnswer = file;
    f.FileItem(u"Open Sql Text"_s)->trigger();
    QCOMPARE(memo->toPlainText(), u"SELECT * FROM MemoryBank0.dbf\nWHERE MEM = '001'\n"_s);
    f.Find<QPushButton>(u"EditApplyButton"_s)->click();
    QCOMPARE(f.View.RecordCount(), 1);
}

void TestSqlForm::openedFromTheMemoryWindow() {
    TMemoryHome home;
    TPanelFixture panel;
    TDataModule1 data(home.Dir.path());
    QVERIFY(data.DataModule1Create());
    QVERIFY(data.Engine().Execute(
        u"UPDATE MemoryBank0.dbf SET FREQ = 100 + CAST(MEM AS INTEGER), TEXT = 'CH' || MEM"_s));
    TMemForm form(*panel.Form, data);
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));

    // Ctrl+Shift+Q opens it; OK closes it and the memory window applies the Build page.
    WithNextModal([](QWidget* dialog) {
        auto* sql = qobject_cast<TSqlDirectForm*>(dialog);
        QVERIFY(sql);
        QCOMPARE(sql->windowTitle(), u"Sql Direct"_s);
        QCOMPARE(dialog->findChild<QLabel*>(u"StatementLabel"_s)->text(),
                 u"SELECT * FROM MemoryBank0.dbf"_s);
        auto* field = dialog->findChild<QComboBox*>(u"FieldComboBox1"_s);
        field->setCurrentIndex(field->findText(u"FREQ"_s));
        auto* op = dialog->findChild<QComboBox*>(u"OperatorComboBox1"_s);
        op->setCurrentIndex(op->findText(u">"_s));
        dialog->findChild<QLineEdit*>(u"SqlEdit1"_s)->setText(u"1094.5"_s);
        dialog->findChild<QPushButton*>(u"OKButton"_s)->click();
    });
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q,
                    Qt::ControlModifier | Qt::ShiftModifier);
    const QString expected =
        u"SELECT * FROM MemoryBank0.dbf WHERE ((((FREQ > \"1094.5\")))) ORDER BY MEM"_s;
    QTRY_COMPARE(data.MemQuery1().Sql(), expected);
    QCOMPARE(data.MemQuery1().RecordCount(), 5);
    QCOMPARE(form.windowTitle(), expected);

    // The SQL button opens the same window again, after showing all channels; Cancel keeps them.
    QPointer<TSqlDirectForm> first = form.SqlForm();
    WithNextModal([](QWidget* dialog) {
        QCOMPARE(dialog->findChild<QComboBox*>(u"FieldComboBox1"_s)->currentText(), u"FREQ"_s);
        dialog->findChild<QPushButton*>(u"CancelButton"_s)->click();
    });
    form.findChild<QToolButton*>(u"ToolButtonSQL"_s)->click();
    QCOMPARE(form.SqlForm(), first.data());
    QCOMPARE(data.MemQuery1().RecordCount(), 1000);
}

void TestSqlForm::openedFromTheLogWindow() {
    TPanelFixture panel;
    TLogFixture log;
    const qint64 air = log.AddCategory(u"AIR"_s);
    for (int i = 0; i < 20; ++i)
        log.AddLogRow(100 + i, i % 4 == 0 ? QVariant(air) : QVariant());
    log.Engine.DetachIdle();
    auto* form = new TFormLog(*panel.Form);
    form->show();
    // A narrow log window at the screen's edge: the sub-select window stays on the screen.
    form->setGeometry(0, 0, 200, 300);
    form->OpenLogTable(log.LogPath);
    QVERIFY(form->QLog().Active());

    WithNextModal([air](QWidget* dialog) {
        QVERIFY(qobject_cast<TSqlLogForm*>(dialog));
        QVERIFY(dialog->screen()->availableGeometry().contains(dialog->pos()));
        auto* category = dialog->findChild<QComboBox*>(u"CategoryComboBox"_s);
        category->setCurrentIndex(category->findText(u"AIR"_s));
        QCOMPARE(category->currentData().toLongLong(), air);
        auto* order = dialog->findChild<QComboBox*>(u"OrderByComboBox"_s);
        order->setCurrentIndex(order->findText(u"FREQ DESC"_s));
        dialog->findChild<QPushButton*>(u"OKButton"_s)->click();
    });
    form->findChild<QAction*>(u"ActionSQL"_s)->trigger();
    const QString expected = u"SELECT * FROM \""_s + log.LogPath + u"\" WHERE (CategoryID = \""_s +
                             QString::number(air) + u"\") ORDER BY FREQ DESC"_s;
    QCOMPARE(form->QLog().Sql(), expected);
    QCOMPARE(form->QLog().RecordCount(), 5);
    QCOMPARE(form->QLog().Value(u"Freq").toDouble(), 116.0);
    QCOMPARE(form->findChild<QLabel*>(u"StatusPanel0"_s)->text(), u"5"_s);
    QCOMPARE(form->findChild<QLabel*>(u"StatusPanel2"_s)->text(), expected);
    QCOMPARE(form->SortGlyph().Column, int(TFormLog::ColFreq));
    QVERIFY(form->SortGlyph().Descending);
    QVERIFY(QFileInfo::exists(SubSelectsFileFor(log.LogPath)));
    delete form;
}

QTEST_MAIN(TestSqlForm)
#include "tst_sqlform.moc"
