// The memory window's Kv7 items as the user runs them: export of the rows shown, read-in with
// its warning, renumbering with its question, and the open dialog's file information.
#include "mainwindow/PanelFixture.h"
#include "memory/MemoryFixture.h"

#include "DataUnit1.h"
#include "Kv7Exchange.h"
#include "Kv7File.h"
#include "MemForm.h"
#include "OpenMemoDialog.h"
#include "ProgramFolder.h"

#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>

using namespace Qt::StringLiterals;

namespace {

struct TKv7Fixture {
    TMemoryHome Home;
    TPanelFixture Panel;
    TDataModule1 Data{Home.Dir.path()};
    std::unique_ptr<TMemForm> Form;
    QStringList Chooser; // title, folder, filter of the last open dialog
    QString ChosenFile;

    TKv7Fixture() {
        if (!Data.DataModule1Create())
            qFatal("tables: %s", qPrintable(Data.LastError()));
        Form = std::make_unique<TMemForm>(*Panel.Form, Data);
        Form->findChild<TKv7Exchange*>(u"Kv7Exchange"_s)->ChooseFile =
            [this](const QString& title, const QString& folder, const QString& filter) {
                Chooser = {title, folder, filter};
                return ChosenFile;
            };
        Form->show();
    }
    TScriptedPrompt& Answers() { return *Panel.Answers; }
    bool Sql(const QString& sql) {
        return Data.Engine().Execute(sql) && Data.ReopenMemoryView(Data.MemQuery1().Sql());
    }
    qint64 Count(const QString& where) {
        return Data.Engine()
            .QueryValue(u"SELECT count(*) FROM MemoryBank0.dbf WHERE "_s + where)
            .value_or(-1)
            .toLongLong();
    }
    void Run(const char* item) {
        QAction* action = Form->findChild<QAction*>(QString::fromLatin1(item));
        if (!action || !action->isEnabled())
            qFatal("item %s missing or disabled", item);
        action->trigger();
    }
    QString Kv7(const QString& name, const QByteArray& bytes) {
        const QString path = Home.Path(name);
        QString error;
        if (!WriteBytes(path, bytes) || !WriteKv7Schema(path, error))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
};

QByteArray Records(int first, int count, const QByteArray& tail = {}) {
    QByteArray bytes;
    for (int n = first; n < first + count; ++n) {
        TKv7Values values;
        values[0] = FormatMemNumber(n);
        values[1] = 433.0 + n / 1000.0;
        values[15] = u"NEW"_s;
        bytes += FormatKv7Record(values) + "\r\n";
    }
    return bytes + tail;
}

// The row of a file in the dialog's list, once the list has read its folder.
QModelIndex FileIndex(const QListView& list, const QString& path) {
    const QAbstractItemModel* model = list.model();
    for (int row = 0; row < model->rowCount(list.rootIndex()); ++row) {
        const QModelIndex index = model->index(row, 0, list.rootIndex());
        if (index.data().toString() == QFileInfo(path).fileName())
            return index;
    }
    return {};
}

} // namespace

class TestKv7Exchange : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Only the rows the view shows, in its order: a hundred, blanks hidden, sorted by FREQ.
    void exportWritesTheRowsShown() {
        TKv7Fixture f;
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = NULL"_s));
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 1000 - CAST(MEM AS INTEGER), TEXT = "
                      u"'T' || MEM WHERE CAST(MEM AS INTEGER) % 7 = 0"_s));
        f.Form->SubSelectHundred(3);
        f.Form->findChild<QMenu*>(u"SubSelectBankPopupMenu"_s)->actions().first()->trigger();
        f.Form->TitleClicked(1); // FREQ
        QStringList wanted;
        for (int n = 399; n >= 300; --n)
            if (n % 7 == 0)
                wanted << FormatMemNumber(n);

        f.Answers().SaveAnswer = f.Home.Path(u"hundred"_s);
        f.Run("ExportBank1");
        QCOMPARE(f.Answers().SaveAsked.value(0), u"Save"_s);
        QCOMPARE(f.Answers().SaveAsked.value(3), u"Kv7 text database files (*.Kv7)"_s);
        const QString path = f.Home.Path(u"hundred.Kv7"_s);
        QStringList written;
        for (const QByteArray& line : ReadBytes(path).split('\n'))
            if (!line.isEmpty())
                written << QString::fromLatin1(line.left(3));
        QCOMPARE(written, wanted);
        QVERIFY(QFileInfo::exists(f.Home.Path(u"hundred.SCH"_s)));
        QVERIFY(f.Answers().Errors.isEmpty());
        QVERIFY(f.Form->isEnabled());
    }

    void readIn() {
        TKv7Fixture f;
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 50, TEXT = 'OLD', CHANGED = FALSE"_s));
        f.Form->SubSelectHundred(1);
        f.ChosenFile = f.Kv7(u"in.Kv7"_s, Records(100, 50));

        // No to the warning: nothing happens.
        f.Run("ReadinanKv7table1");
        QCOMPARE(f.Chooser,
                 (QStringList{u"Open file to read in"_s, DataFolder(), u"*.Kv7 (*.Kv7)"_s}));
        QCOMPARE(f.Answers().ConfirmAsked.size(), 1);
        QVERIFY(f.Answers().ConfirmAsked[0].startsWith(
            u"           You are about to import into the main table\r\n"_s));
        QVERIFY(f.Answers().ConfirmAsked[0].endsWith(u"Are you sure you wish to import?"_s));
        QCOMPARE(f.Count(u"TEXT = 'OLD'"_s), 1000);

        f.Answers().ConfirmAnswer = true;
        f.Run("ReadinanKv7table1");
        QCOMPARE(f.Count(u"TEXT = 'NEW' AND CHANGED = TRUE AND MEM BETWEEN '100' AND '149'"_s), 50);
        QCOMPARE(f.Count(u"CHANGED = TRUE"_s), 50);
        QCOMPARE(f.Data.MemQuery1().Sql(), u"SELECT * FROM MemoryBank0.dbf"_s);
        QVERIFY(f.Form->isEnabled());
        QVERIFY(f.Answers().Errors.isEmpty());

        // Lines that hold no record are told, the others stored.
        f.ChosenFile = f.Kv7(u"some bad.Kv7"_s, Records(600, 3, "6x0\r\n601 not a frequency\r\n"));
        f.Run("ReadinanKv7table1");
        QCOMPARE(f.Count(u"TEXT = 'NEW' AND MEM BETWEEN '600' AND '602'"_s), 3);
        QCOMPARE(f.Answers().Errors.size(), 1);
        QVERIFY2(f.Answers().Errors[0].startsWith(u"3 memories read in; 2 lines skipped:\r\n"
                                                  u"line 4: MEM \"6x0\" is not three digits\r\n"
                                                  u"line 5: FREQ"_s),
                 qPrintable(f.Answers().Errors[0]));

        // A file that is no Kv7 table is refused whole, and the window is usable again.
        f.ChosenFile = f.Home.Path(u"alone.Kv7"_s);
        QVERIFY(WriteBytes(f.ChosenFile, Records(700, 3)));
        f.Run("ReadinanKv7table1");
        QCOMPARE(f.Answers().Errors.size(), 2);
        QVERIFY(f.Answers().Errors[1].endsWith(u"No schema file for this table"_s));
        QCOMPARE(f.Count(u"TEXT = 'OLD' AND MEM BETWEEN '700' AND '702'"_s), 3);
        QVERIFY(f.Data.MemQuery1().Active());
        QVERIFY(f.Form->isEnabled());
    }

    void relocate() {
        TKv7Fixture f;
        f.ChosenFile = f.Kv7(u"from.Kv7"_s, Records(0, 12));
        const QString target = f.Home.Path(u"to.Kv7"_s);
        f.Answers().SaveAnswer = target;
        f.Answers().TextAnswers = {u"abc"_s, u"1000"_s, u"-1"_s, u"990"_s};
        f.Run("RelocateKv7savedtable1");
        QCOMPARE(f.Chooser.value(0), u"Open file to relocate"_s);
        QCOMPARE(f.Answers().TextAsked.mid(0, 2),
                 (QStringList{u"Renumber the memories"_s, u"Enter memory number to start from"_s}));
        QCOMPARE(f.Answers().SaveAsked.value(0),
                 u"Save filename for relocated table, NOT from.Kv7"_s);
        const QString bad = u"That is not an integer in range 0-999"_s;
        QCOMPARE(f.Answers().Errors,
                 (QStringList{bad, bad, bad,
                              u"Reached 999, relocation aborted\r\nPartial relocation in file "_s +
                                  QDir::toNativeSeparators(target)}));
        const QList<QByteArray> lines = ReadBytes(target).split('\n');
        QCOMPARE(lines.size(), 11);
        QVERIFY(lines[0].startsWith("990") && lines[9].startsWith("999"));

        // Onto itself: refused, the file as it was.
        f.Answers().Errors.clear();
        const QByteArray before = ReadBytes(f.ChosenFile);
        f.Answers().SaveAnswer = f.ChosenFile;
        f.Answers().TextAnswers = {u"5"_s};
        f.Run("RelocateKv7savedtable1");
        QCOMPARE(f.Answers().Errors, QStringList{u"Must save to different filename"_s});
        QCOMPARE(ReadBytes(f.ChosenFile), before);

        // Cancel at the question: no file is asked for.
        f.Answers().SaveAsked.clear();
        f.Run("RelocateKv7savedtable1");
        QVERIFY(f.Answers().SaveAsked.isEmpty());
    }

    void openDialogShowsFileInformation() {
        TMemoryHome home;
        const QString with = home.Path(u"with.Kv7"_s);
        QString error;
        QVERIFY(WriteBytes(with, Records(120, 4)) && WriteKv7Schema(with, error));
        const QString without = home.Path(u"without.Kv7"_s);
        QVERIFY(WriteBytes(without, Records(1, 1)));

        TOpenMemoDialog dialog(nullptr, u"Open file to read in"_s, home.Dir.path(),
                               u"*.Kv7 (*.Kv7)"_s);
        QPlainTextEdit* memo = dialog.InfoMemo();
        QCOMPARE(memo->objectName(), u"InfoMemo"_s);
        QVERIFY(memo->isReadOnly());
        QCOMPARE(memo->focusPolicy(), Qt::NoFocus);
        QCOMPARE(memo->toolTip(), u"File Information"_s);
        dialog.show();
        QVERIFY(memo->isVisible());
        // A click on a file in the list, as the user picks one.
        auto* list = dialog.findChild<QListView*>(u"listView"_s);
        QVERIFY(list);
        auto click = [&](const QString& path) {
            QModelIndex index;
            QTRY_VERIFY((index = FileIndex(*list, path)).isValid());
            list->scrollTo(index);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualRect(index).center());
        };
        click(with);
        QTRY_COMPARE(memo->toPlainText(), u"First entry Mem 120\nLast entry Mem 123\n\nLowest "
                                          u"Mem used 120\nHighest Mem used 123\n\n4 Mems used"_s);
        click(without);
        QTRY_COMPARE(memo->toPlainText(), u"No schema file for this table"_s);
    }
};

QTEST_MAIN(TestKv7Exchange)
#include "tst_kv7exchange.moc"
