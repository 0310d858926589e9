#include "memory/MemoryFixture.h"

#include "BankTable.h"
#include "TableEngine.h"
#include "TableModel.h"
#include "TableView.h"

#include <QSet>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A bank whose every third channel has a frequency (100.0, 100.3, ...) and a text.
struct TBankFixture {
    TMemoryHome Home;
    TTableEngine Engine{Home.Dir.path()};

    TBankFixture() {
        QString error;
        if (!CreateBankTable(Engine, Home.Path(u"MemoryBank0.dbf"_s), error) ||
            !Engine.Execute(u"UPDATE MemoryBank0.dbf SET FREQ = 100 + CAST(MEM AS INTEGER) / "
                            u"10.0, TEXT = 'CH' || MEM, MODE = 'FM' WHERE CAST(MEM AS INTEGER) % 3 "
                            u"= 0"_s))
            qFatal("fixture: %s", qPrintable(error + Engine.LastError()));
    }

    QVariant Stored(const QString& field, const QString& mem) {
        return Engine
            .QueryValue(u"SELECT "_s + field + u" FROM MemoryBank0.dbf WHERE MEM = ?"_s, {mem})
            .value_or(u"<error>"_s);
    }
};

} // namespace

class TestTableView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void editableOrReadOnly_data();
    void editableOrReadOnly();
    void locate();
    void bookmarks();
    void filters();
    void editPostCancel();
    void insertAndDelete();
    void fetchingResumesAfterAWrite();
    void model();
};

void TestTableView::editableOrReadOnly_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("editable");
    QTest::addColumn<int>("rows");

    QTest::newRow("whole table") << u"Select *  from Memorybank0.dbf"_s << true << 1000;
    QTest::newRow("sorted by FREQ, blanks hidden")
        << u"SELECT * FROM MemoryBank0.dbf WHERE (FREQ <> '' ) ORDER BY FREQ"_s << true << 334;
    QTest::newRow("a hundred")
        << u"SELECT * FROM MemoryBank0.dbf WHERE (((MEM >= '200') AND (MEM <= '299')) AND "
           u"(FREQ <> '' )) ORDER BY FREQ"_s
        << true << 33;
    QTest::newRow("select-scan rows")
        << u"SELECT * FROM MemoryBank0.dbf WHERE (SELSCAN = TRUE )"_s << true << 0;
    QTest::newRow("distinct modes") << u"SELECT DISTINCT MODE FROM MemoryBank0.dbf"_s << false << 2;
    QTest::newRow("counted") << u"SELECT MODE, count(*) FROM MemoryBank0.dbf GROUP BY MODE"_s
                             << false << 2;
}

void TestTableView::editableOrReadOnly() {
    QFETCH(QString, sql);
    QFETCH(bool, editable);
    QFETCH(int, rows);
    TBankFixture fixture;
    TTableView view(fixture.Engine);
    view.SetSql(sql);
    QVERIFY2(view.Open(), qPrintable(view.LastError()));
    QCOMPARE(view.CanModify(), editable);
    QCOMPARE(view.RecordCount(), rows);
    if (!editable) {
        QVERIFY(!view.Edit());
        QCOMPARE(view.LastError(), u"Cannot modify a read-only view"_s);
    }
}

void TestTableView::locate() {
    TBankFixture fixture;
    TTableView view(fixture.Engine);
    QCOMPARE(view.Locate(u"MEM", u"001"_s), TLocateResult::Failed); // not open
    view.SetSql(u"SELECT * FROM MemoryBank0.dbf WHERE FREQ <> '' ORDER BY FREQ DESC"_s);
    QVERIFY(view.Open());

    QCOMPARE(view.Locate(u"MEM", u"042"_s), TLocateResult::Found);
    QCOMPARE(view.Value(u"TEXT").toString(), u"CH042"_s);
    QCOMPARE(view.Locate(u"FREQ", 104.2), TLocateResult::Found);
    QCOMPARE(view.Value(u"MEM").toString(), u"042"_s);
    // Outside the view, or spelt otherwise: not found, told apart from errors.
    QCOMPARE(view.Locate(u"MEM", u"043"_s), TLocateResult::NotFound);
    QCOMPARE(view.LastError(), QString::fromLatin1(kRecordNotFoundText));
    QCOMPARE(view.Value(u"MEM").toString(), u"042"_s);
    QCOMPARE(view.Locate(u"TEXT", u"ch042"_s), TLocateResult::NotFound);
    QCOMPARE(view.Locate(u"TEXT", u"ch04"_s, {true, true}), TLocateResult::Found);
    QCOMPARE(view.Value(u"MEM").toString(), u"048"_s); // descending: 048 comes before 045
    QCOMPARE(view.Locate(u"NOSUCH", u"1"_s), TLocateResult::Failed);
    QCOMPARE(view.LastError(), u"Field NOSUCH not found"_s);

    // Posts between locates: a changed key is found under its new text only, and a change to
    // another field leaves every key where it was.
    view.RecordCount(); // every row read, so locates go through the index
    QCOMPARE(view.Locate(u"TEXT", u"CH042"_s), TLocateResult::Found);
    QVERIFY(view.Edit() && view.SetField(u"TEXT", u"RENAMED"_s) && view.Post());
    QCOMPARE(view.Locate(u"TEXT", u"CH042"_s), TLocateResult::NotFound);
    QCOMPARE(view.Locate(u"TEXT", u"RENAMED"_s), TLocateResult::Found);
    QCOMPARE(view.Value(u"MEM").toString(), u"042"_s);
    QCOMPARE(view.Locate(u"TEXT", u"CH045"_s), TLocateResult::Found);
    QVERIFY(view.Edit() && view.SetField(u"MODE", u"AM"_s) && view.Post());
    QCOMPARE(view.Locate(u"TEXT", u"CH048"_s), TLocateResult::Found);
    QCOMPARE(view.Locate(u"TEXT", u"RENAMED"_s), TLocateResult::Found);
    QCOMPARE(view.Value(u"MEM").toString(), u"042"_s);
}

void TestTableView::bookmarks() {
    TBankFixture fixture;
    TTableView view(fixture.Engine);
    view.SetSql(u"SELECT * FROM MemoryBank0.dbf"_s);
    QVERIFY(view.Open());
    QCOMPARE(view.Locate(u"MEM", u"300"_s), TLocateResult::Found);
    const TBookmark bookmark = view.GetBookmark();
    view.Last();
    QVERIFY(view.GotoBookmark(bookmark));
    QCOMPARE(view.Value(u"MEM").toString(), u"300"_s);

    // Still valid in another order, gone from a view without its row.
    view.SetSql(u"SELECT * FROM MemoryBank0.dbf WHERE FREQ <> '' ORDER BY TEXT DESC"_s);
    QVERIFY(view.Open());
    QVERIFY(view.BookmarkValid(bookmark));
    QVERIFY(view.GotoBookmark(bookmark));
    QCOMPARE(view.Value(u"MEM").toString(), u"300"_s);
    view.SetSql(u"SELECT * FROM MemoryBank0.dbf WHERE MEM < '100'"_s);
    QVERIFY(view.Open());
    QVERIFY(!view.BookmarkValid(bookmark));
    QVERIFY(!view.GotoBookmark(bookmark));
    QCOMPARE(view.Value(u"MEM").toString(), u"000"_s);
    TBookmark none = bookmark;
    none.Clear();
    QVERIFY(!none.IsValid());
}

void TestTableView::filters() {
    TBankFixture fixture;
    TTableView view(fixture.Engine);
    view.SetSql(u"SELECT * FROM MemoryBank0.dbf"_s);
    view.OnFilterRecord = [&](const TTableView& v, const QVariantList& values) {
        return values.value(v.FieldIndex(u"TEXT")).toString().endsWith(u'9');
    };
    QVERIFY(view.Open());
    QCOMPARE(view.RecordCount(), 1000); // not filtered yet
    QCOMPARE(view.Locate(u"MEM", u"519"_s), TLocateResult::Found);
    QVERIFY(view.SetFiltered(true));
    QCOMPARE(view.RecordCount(), 34);                  // 009, 039, ..., 999
    QCOMPARE(view.Value(u"MEM").toString(), u"519"_s); // the row stays current

    view.SetFilter(u"FREQ > 150 AND MODE = \"FM\""_s); // both apply while filtered
    QCOMPARE(view.RecordCount(), 17);                  // 519, 549, ..., 999
    QCOMPARE(view.Locate(u"MEM", u"009"_s), TLocateResult::NotFound);
    view.OnFilterRecord = nullptr;
    QVERIFY(view.SetFiltered(false));
    QVERIFY(view.SetFiltered(true));
    QCOMPARE(view.RecordCount(), 167);

    view.SetFilter(u"FREQ > 1) OR (1"_s);
    QVERIFY(!view.Active());
    QVERIFY(view.LastError().contains(u"Unbalanced parentheses"_s));
    QVERIFY(view.SetFiltered(false));
    QVERIFY(view.Open());
    QCOMPARE(view.RecordCount(), 1000);
}

void TestTableView::editPostCancel() {
    TBankFixture fixture;
    TTableView view(fixture.Engine);
    view.SetSql(u"SELECT * FROM MemoryBank0.dbf ORDER BY FREQ"_s);
    QVERIFY(view.Open());
    QCOMPARE(view.Locate(u"MEM", u"003"_s), TLocateResult::Found);
    QSignalSpy changed(&view, &TTableView::RowChanged);

    QVERIFY(view.Edit());
    QVERIFY(view.SetField(u"TEXT", u"CANCEL"_s));
    QCOMPARE(view.Value(u"TEXT").toString(), u"CANCEL"_s);
    view.Cancel();
    QCOMPARE(view.Value(u"TEXT").toString(), u"CH003"_s);
    QCOMPARE(fixture.Stored(u"TEXT"_s, u"003"_s).toString(), u"CH003"_s);

    QVERIFY(view.Edit());
    QVERIFY(view.SetField(u"TEXT", u"TOO LONG FOR THE FIELD"_s)); // CHARACTER(8)
    QVERIFY(view.SetField(u"FREQ", u"145.5"_s));                  // the table's type wins
    QVERIFY(view.SetField(u"PASS", true));
    QVERIFY(view.Post());
    QCOMPARE(view.State(), TViewState::Browse);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(fixture.Stored(u"TEXT"_s, u"003"_s).toString(), u"TOO LONG"_s);
    QCOMPARE(view.Value(u"FREQ"), QVariant(145.5));
    QCOMPARE(view.Value(u"PASS"), QVariant(true));

    // A post the table refuses leaves the row as it was, and the edit open.
    QVERIFY(view.Edit());
    QVERIFY(view.SetField(u"TEXT", u"NEW"_s));
    QVERIFY(view.SetField(u"MEM", u"999"_s));
    QVERIFY(!view.Post());
    QCOMPARE(view.LastError(), u"MEM cannot be changed"_s);
    QCOMPARE(view.State(), TViewState::Edit);
    QCOMPARE(fixture.Stored(u"TEXT"_s, u"003"_s).toString(), u"TOO LONG"_s);
    view.Cancel();
    QCOMPARE(view.Value(u"TEXT").toString(), u"TOO LONG"_s);

    // Moving on posts a pending edit.
    QVERIFY(view.Edit());
    QVERIFY(view.SetField(u"TEXT", u"MOVED"_s));
    view.Next();
    QCOMPARE(fixture.Stored(u"TEXT"_s, u"003"_s).toString(), u"MOVED"_s);
}

void TestTableView::insertAndDelete() {
    TBankFixture fixture;
    TTableView bank(fixture.Engine);
    bank.SetSql(u"SELECT * FROM MemoryBank0.dbf"_s);
    QVERIFY(bank.Open());
    bank.AllowInsert = false;
    bank.AllowDelete = false;
    QVERIFY(!bank.Append());
    QVERIFY(!bank.Delete());
    QVERIFY(bank.LastError().isEmpty());
    // The table itself refuses, silently, whatever a view allows.
    bank.AllowInsert = bank.AllowDelete = true;
    QVERIFY(bank.Append());
    QVERIFY(bank.SetField(u"MEM", u"1000"_s));
    QVERIFY(bank.Post());
    QVERIFY(bank.Delete());
    QCOMPARE(bank.RecordCount(), 1000);
    QCOMPARE(fixture.Engine.QueryValue(u"SELECT count(*) FROM MemoryBank0.dbf"_s)->toInt(), 1000);

    QVERIFY(fixture.Engine.Execute(
        u"CREATE TABLE \"Notes.DB\" (ID AUTOINC, Notes BLOB(1,1), PRIMARY KEY(ID))"_s));
    TTableView notes(fixture.Engine);
    notes.SetSql(u"Select * from \"Notes.DB\" Order by ID"_s);
    QVERIFY(notes.Open());
    for (const QString& text : {u"one"_s, u"two"_s, u"three"_s}) {
        QVERIFY(notes.Append());
        QVERIFY(notes.SetField(u"Notes", text));
        QVERIFY2(notes.Post(), qPrintable(notes.LastError()));
    }
    QCOMPARE(notes.RecordCount(), 3);
    QCOMPARE(notes.Value(u"ID").toInt(), 3);
    QVERIFY(notes.MoveTo(1));
    QVERIFY(notes.Delete());
    QCOMPARE(notes.RecordCount(), 2);
    QCOMPARE(notes.Value(u"Notes").toString(), u"three"_s);
    QCOMPARE(
        fixture.Engine.QueryValue(u"SELECT group_concat(Notes) FROM \"Notes.DB\""_s)->toString(),
        u"one,three"_s);
}

void TestTableView::fetchingResumesAfterAWrite() {
    TMemoryHome home;
    TTableEngine engine(home.Dir.path());
    QVERIFY(engine.Execute(
        u"CREATE TABLE \"Big.DB\" (ID AUTOINC, Freq FLOAT(11,6), PRIMARY KEY(ID))"_s));
    QVERIFY(engine.Execute(u"CREATE INDEX FreqIX ON \"Big.DB\"(Freq)"_s));
    constexpr int kRows = 5000;
    int n = 0;
    QVERIFY(engine.InsertRows(u"\"Big.DB\""_s, {u"Freq"_s}, [&](TRowBinder& row) {
        row.BindNumber(0, 100.0 + n);
        return ++n <= kRows;
    }));
    TTableView view(engine);
    view.SetSql(u"Select * from \"Big.DB\" ORDER BY Freq"_s);
    QVERIFY(view.Open());
    QVERIFY(view.FetchedCount() < kRows); // rows come as they are needed
    QCOMPARE(view.RecordCount(), kRows);
    // Moving a row to the end of the index while the cursor is half way must not show it twice.
    QVERIFY(view.MoveTo(10));
    QVERIFY(view.Edit());
    QVERIFY(view.SetField(u"Freq", 99999.0));
    QVERIFY(view.Post());
    QVERIFY(engine.Execute(u"UPDATE \"Big.DB\" SET Freq = Freq + 0.5 WHERE ID = 20"_s));
    view.Last();
    QCOMPARE(view.FetchedCount(), kRows);
    QSet<qint64> ids;
    for (int row = 0; row < view.FetchedCount(); ++row)
        ids.insert(view.ValueAt(row, 0).toLongLong());
    QCOMPARE(ids.size(), kRows);
}

void TestTableView::model() {
    TBankFixture fixture;
    TTableView view(fixture.Engine);
    TTableModel model(view);
    QCOMPARE(model.rowCount(), 0);
    view.SetSql(u"SELECT * FROM MemoryBank0.dbf"_s);
    QVERIFY(view.Open());
    QCOMPARE(model.columnCount(), 18);
    QCOMPARE(model.headerData(16, Qt::Horizontal).toString(), u"CHANGED"_s);
    QVERIFY(model.rowCount() > 0 && model.rowCount() < 1000);
    while (model.canFetchMore({}))
        model.fetchMore({});
    QCOMPARE(model.rowCount(), 1000);

    const QModelIndex text = model.index(6, view.FieldIndex(u"TEXT"));
    QCOMPARE(model.data(text).toString(), u"CH006"_s);
    QVERIFY(model.flags(text) & Qt::ItemIsEditable);
    QSignalSpy dataChanged(&model, &QAbstractItemModel::dataChanged);
    QVERIFY(model.setData(text, u"EDITED"_s));
    QCOMPARE(dataChanged.count(), 1);
    QCOMPARE(fixture.Stored(u"TEXT"_s, u"006"_s).toString(), u"EDITED"_s);

    QSignalSpy failed(&model, &TTableModel::EditFailed);
    QVERIFY(!model.setData(model.index(6, view.FieldIndex(u"MEM")), u"123"_s));
    QCOMPARE(failed.count(), 1);
    QCOMPARE(view.State(), TViewState::Browse);

    view.SetSql(u"SELECT DISTINCT MODE FROM MemoryBank0.dbf"_s);
    QVERIFY(view.Open());
    QCOMPARE(model.rowCount(), 2);
    QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));
}

QTEST_GUILESS_MAIN(TestTableView)
#include "tst_tableview.moc"
