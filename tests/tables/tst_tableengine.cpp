#include "memory/MemoryFixture.h"

#include "BankTable.h"
#include "TableEngine.h"
#include "TableView.h"

#include <QFileInfo>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kLogTable =
    u"CREATE TABLE \"Log_Kv7.DB\" (ID AUTOINC,Freq FLOAT(11,6),Mode CHARACTER(3),BW "
    u"CHARACTER(3),Step CHARACTER(7),Ant CHARACTER(4),Stadj BOOLEAN,Squelch SMALLINT,LogDate "
    u"DATE,LogTime TIME,Signal SMALLINT,Notes BLOB(1,1),CategoryID INTEGER,PRIMARY KEY(ID))"_s;

qint64 Count(TTableEngine& engine, const QString& table, const QString& where = {}) {
    const auto value = engine.QueryValue(u"SELECT count(*) FROM "_s + table +
                                         (where.isEmpty() ? QString() : u" WHERE "_s + where));
    return value ? value->toLongLong() : -1;
}

} // namespace

class TestTableEngine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fileNamesResolve();
    void logTableStatements();
    void failedStatementChangesNothing();
    void refusedStatementsRunNothing();
    void readingQueryCheck_data();
    void readingQueryCheck();
    void foreignFileIsNamedAndLeftAlone_data();
    void foreignFileIsNamedAndLeftAlone();
    void batchUpdateKeepsReplacedRows();
    void failedBatchUpdateChangesNothing();
    void copyTable();
    void regenerateIndexesNeedsExclusiveUse();
    void nestedTransactions();
};

void TestTableEngine::fileNamesResolve() {
    TMemoryHome home;
    TTableEngine engine(home.Dir.path());
    QString error;
    QVERIFY2(CreateBankTable(engine, home.Path(u"MemoryBank0.dbf"_s), error), qPrintable(error));
    QVERIFY(engine.Execute(u"UPDATE MemoryBank0.dbf SET TEXT = 'A' WHERE MEM = '001'"_s));

    // One file, however a statement spells it.
    const QStringList spellings = {u"Memorybank0.dbf"_s, u"MEMORYBANK0.DBF"_s,
                                   u"\"MemoryBank0.dbf\""_s, u"\".\\MemoryBank0.dbf\""_s,
                                   QuoteFileName(home.Path(u"MemoryBank0.dbf"_s))};
    for (const QString& name : spellings) {
        const auto text =
            engine.QueryValue(u"SELECT TEXT FROM "_s + name + u" WHERE MEM = '001'"_s);
        QVERIFY2(text.has_value(), qPrintable(name + u": "_s + engine.LastError()));
        QCOMPARE(text->toString(), u"A"_s);
    }
    QCOMPARE(engine.ResolvePath(u"data\\..\\memorybank0.DBF"_s), home.Path(u"MemoryBank0.dbf"_s));
    // A table named but missing is an error, and is not created by the attempt.
    QVERIFY(!engine.Execute(u"UPDATE MemoryBank7.dbf SET TEXT = 'x'"_s));
    QVERIFY(engine.LastError().contains(u"MemoryBank7.dbf"_s));
    QVERIFY(!QFileInfo::exists(home.Path(u"MemoryBank7.dbf"_s)));
}

void TestTableEngine::logTableStatements() {
    TMemoryHome home;
    TTableEngine engine(home.Dir.path());
    const QString file = u"\"Log_Kv7.DB\""_s;
    QVERIFY2(engine.Execute(kLogTable), qPrintable(engine.LastError()));
    QVERIFY(engine.Execute(u"CREATE INDEX FreqIX ON "_s + file + u"(Freq)"_s));
    QVERIFY(engine.Execute(u"CREATE INDEX DateIX ON "_s + file + u"(LogDate)"_s));
    for (int i = 0; i < 3; ++i)
        QVERIFY(engine.Execute(u"INSERT INTO "_s + file +
                                   u" (Freq, Mode, LogDate, Stadj) VALUES (?, \"FM\", ?, TRUE)"_s,
                               {145.5 + i, u"2024-05-0"_s + QString::number(i + 1)}));
    const auto columns = engine.Columns(file);
    QVERIFY(columns.has_value());
    QCOMPARE(columns->at(0).Type, u"INTEGER"_s);
    QCOMPARE(FieldKindOf(columns->at(8).Type), TFieldKind::Date);
    QCOMPARE(FieldKindOf(columns->at(11).Type), TFieldKind::Text);
    // AUTOINC numbers the rows; the older date order finds the stored dates.
    QCOMPARE(engine.QueryValue(u"SELECT max(ID) FROM "_s + file)->toInt(), 3);
    QCOMPARE(Count(engine, file, u"LogDate >= \"05/02/2024\" AND Stadj = TRUE AND Mode = \"FM\""_s),
             2);
    QVERIFY(engine.Execute(u"UPDATE "_s + file +
                           u" SET Squelch = 40 WHERE ID IN (SELECT ID from "_s + file +
                           u" WHERE Freq > 146)"_s));
    QCOMPARE(Count(engine, file, u"Squelch = 40"_s), 2);

    // A table in use is not dropped; a closed one is, with its file.
    TTableView view(engine);
    view.SetSql(u"Select * from "_s + file + u" ORDER BY LogDate"_s);
    QVERIFY(view.Open());
    QVERIFY(!engine.Execute(u"DROP TABLE "_s + file + u' '));
    QVERIFY(engine.LastError().startsWith(u"Table is in use"_s));
    view.Close();
    QVERIFY2(engine.Execute(u"DROP TABLE "_s + file + u' '), qPrintable(engine.LastError()));
    QVERIFY(!QFileInfo::exists(home.Path(u"Log_Kv7.DB"_s)));
    // Creating a table whose statement fails leaves no file behind.
    QVERIFY(!engine.Execute(u"CREATE TABLE \"Bad.DB\" (A UNKNOWN_KEYWORD(, B)"_s));
    QVERIFY(!QFileInfo::exists(home.Path(u"Bad.DB"_s)));
}

void TestTableEngine::failedStatementChangesNothing() {
    TMemoryHome home;
    TTableEngine engine(home.Dir.path());
    QString error;
    QVERIFY(CreateBankTable(engine, home.Path(u"MemoryBank0.dbf"_s), error));
    QVERIFY(engine.Execute(u"UPDATE MemoryBank0.dbf SET TEXT = 'OLD'"_s));
    // The guard on MEM stops the statement at some row; no row keeps the new text.
    QVERIFY(!engine.Execute(
        u"UPDATE MemoryBank0.dbf SET TEXT = 'NEW', MEM = CASE WHEN MEM = '500' THEN 'X' ELSE MEM "
        u"END"_s));
    QCOMPARE(engine.LastError(), u"MEM cannot be changed"_s);
    QCOMPARE(Count(engine, u"MemoryBank0.dbf"_s, u"TEXT = 'OLD'"_s), 1000);
    // Rows are neither added nor removed.
    QVERIFY(engine.Execute(u"DELETE FROM MemoryBank0.dbf"_s));
    QVERIFY(engine.Execute(u"INSERT INTO MemoryBank0.dbf (MEM) VALUES ('1000')"_s));
    QCOMPARE(Count(engine, u"MemoryBank0.dbf"_s), 1000);
}

void TestTableEngine::refusedStatementsRunNothing() {
    TMemoryHome home;
    TTableEngine engine(home.Dir.path());
    QString error;
    QVERIFY(CreateBankTable(engine, home.Path(u"MemoryBank0.dbf"_s), error));
    QVERIFY(!engine.Execute(u"UPDATE MemoryBank0.dbf SET TEXT = 'A'; UPDATE MemoryBank0.dbf SET "
                            u"TEXT = 'B'"_s));
    QCOMPARE(engine.LastError(), QString::fromLatin1(kTailRefusedText));
    QVERIFY(!engine.Execute(u"UPDATE MemoryBank0.dbf SET TEXT = load_extension('x')"_s));
    QCOMPARE(engine.LastError(), QString::fromLatin1(kExtensionRefusedText));
    // The engine refuses extensions even in SQLite's own dialect.
    QVERIFY(!engine.ExecuteNative(u"SELECT load_extension('/nonexistent/x')"_s));
    QVERIFY(engine.LastError().contains(u"not authorized"_s));
    QCOMPARE(Count(engine, u"MemoryBank0.dbf"_s, u"TEXT IS NOT NULL"_s), 0);
}

void TestTableEngine::readingQueryCheck_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("reason"); // empty: the statement may be opened
    const QString reading = QString::fromLatin1(kOnlyReadingText);
    QTest::newRow("select") << u"SELECT * FROM MemoryBank0.dbf WHERE TEXT LIKE \"%A%\""_s
                            << QString();
    QTest::newRow("subquery") << u"SELECT * FROM MemoryBank0.dbf WHERE MEM IN (SELECT MEM FROM "
                                 u"MemoryBank0.dbf WHERE TEXT IS NULL)"_s
                              << QString();
    QTest::newRow("update") << u"UPDATE MemoryBank0.dbf SET TEXT = 'A'"_s << reading;
    QTest::newRow("delete") << u"DELETE FROM MemoryBank0.dbf"_s << reading;
    QTest::newRow("create") << u"CREATE TABLE \"Other.dbf\" (A INTEGER)"_s << reading;
    QTest::newRow("tail") << u"SELECT * FROM MemoryBank0.dbf; DELETE FROM MemoryBank0.dbf"_s
                          << QString::fromLatin1(kTailRefusedText);
    QTest::newRow("attach") << u"ATTACH 'x.db' AS x"_s << QString::fromLatin1(kAttachRefusedText);
    QTest::newRow("pragma") << u"PRAGMA writable_schema = 1"_s << reading;
    QTest::newRow("pragma function")
        << u"SELECT * FROM MemoryBank0.dbf WHERE MEM IN (SELECT name FROM pragma_function_list)"_s
        << QString::fromLatin1(kPragmaRefusedText);
    QTest::newRow("extension") << u"SELECT load_extension('x')"_s
                               << QString::fromLatin1(kExtensionRefusedText);
    QTest::newRow("syntax") << u"SELECT * FROM MemoryBank0.dbf WHER MEM = 1"_s
                            << u"near \"MEM\": syntax error"_s;
}

void TestTableEngine::readingQueryCheck() {
    QFETCH(QString, sql);
    QFETCH(QString, reason);
    TMemoryHome home;
    TTableEngine engine(home.Dir.path());
    QString error;
    QVERIFY(CreateBankTable(engine, home.Path(u"MemoryBank0.dbf"_s), error));
    QCOMPARE(engine.CheckReadingQuery(sql), reason);
    // The check leaves the engine as it was: its own statements still write.
    QVERIFY2(engine.Execute(u"UPDATE MemoryBank0.dbf SET TEXT = 'B' WHERE MEM = '001'"_s),
             qPrintable(engine.LastError()));
    QCOMPARE(Count(engine, u"MemoryBank0.dbf"_s, u"TEXT IS NOT NULL"_s), 1);
}

void TestTableEngine::foreignFileIsNamedAndLeftAlone_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("truncate");

    QTest::newRow("garbage") << QByteArray(5000, 'x') << false;
    QTest::newRow("text file") << QByteArray("MEM,FREQ\r\n001,145.5\r\n") << false;
    QTest::newRow("truncated table") << QByteArray() << true;
}

void TestTableEngine::foreignFileIsNamedAndLeftAlone() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, truncate);
    TMemoryHome home;
    const QString path = home.Path(u"Other.dbf"_s);
    if (truncate) {
        TTableEngine maker(home.Dir.path());
        QString error;
        QVERIFY(CreateBankTable(maker, path, error));
        QVERIFY(maker.Execute(u"UPDATE Other.dbf SET TEXT = 'SOME TEXT', FREQ = 145.5"_s));
        maker.DetachIdle();
        bytes = ReadBytes(path).left(3 * 4096);
    }
    QVERIFY(WriteBytes(path, bytes));
    TTableEngine engine(home.Dir.path());
    TTableView view(engine);
    view.SetSql(u"SELECT * FROM Other.dbf ORDER BY TEXT"_s);
    bool failed = !view.Open();
    if (!failed) // a cut file may show its first page: the rest fails as it is read
        failed = view.RecordCount() < 1000 || !view.LastError().isEmpty();
    QVERIFY(failed);
    QVERIFY2(view.LastError().contains(path), qPrintable(view.LastError()));
    QVERIFY(!engine.Execute(u"UPDATE Other.dbf SET TEXT = 'X'"_s));
    QVERIFY2(engine.LastError().contains(path), qPrintable(engine.LastError()));
    QCOMPARE(ReadBytes(path), bytes);
}

void TestTableEngine::batchUpdateKeepsReplacedRows() {
    TMemoryHome home;
    TTableEngine engine(home.Dir.path());
    QString error;
    QVERIFY(CreateBankTable(engine, home.Path(u"MemoryBank0.dbf"_s), error));
    QVERIFY(engine.Execute(u"UPDATE MemoryBank0.dbf SET TEXT = 'OLD' || MEM, FREQ = 100"_s));
    QVERIFY(engine.ExecuteNative(u"CREATE TEMP TABLE Import (MEM TEXT, FREQ REAL, TEXT TEXT, "
                                 u"EXTRA TEXT)"_s));
    int n = 100;
    QVERIFY(
        engine.InsertRows(u"temp.Import"_s, {u"MEM"_s, u"FREQ"_s, u"TEXT"_s}, [&](TRowBinder& row) {
            if (n > 150)
                return false;
            // 150 is no channel: ignored.
            row.BindText(0, n == 150 ? u"ABC"_s : QString::asprintf("%03d", n));
            row.BindNumber(1, 145.0 + n);
            row.BindText(2, u"NEW"_s);
            ++n;
            return true;
        }));
    // A previous Changed table is replaced, not added to.
    QVERIFY(WriteBytes(home.Path(u"Changed.dbf"_s), "stale"));
    QVERIFY2(engine.BatchUpdate(u"temp.Import"_s, u"MemoryBank0.dbf"_s, u"MEM"_s, u"Changed.dbf"_s),
             qPrintable(engine.LastError()));
    QCOMPARE(Count(engine, u"MemoryBank0.dbf"_s, u"TEXT = 'NEW'"_s), 50);
    QCOMPARE(Count(engine, u"MemoryBank0.dbf"_s,
                   u"TEXT = 'NEW' AND MEM BETWEEN '100' AND '149' AND FREQ = 145 + MEM"_s),
             50);
    QCOMPARE(Count(engine, u"MemoryBank0.dbf"_s, u"TEXT = 'OLD' || MEM AND FREQ = 100"_s), 950);
    QCOMPARE(Count(engine, u"Changed.dbf"_s), 50);
    QCOMPARE(Count(engine, u"Changed.dbf"_s,
                   u"TEXT = 'OLD' || MEM AND FREQ = 100 AND MEM BETWEEN '100' AND '149'"_s),
             50);
    const auto changedColumns = engine.Columns(u"Changed.dbf"_s);
    const auto bankColumns = engine.Columns(u"MemoryBank0.dbf"_s);
    QVERIFY(changedColumns && bankColumns);
    QCOMPARE(changedColumns->size(), bankColumns->size());
    QCOMPARE(changedColumns->at(1).Type, bankColumns->at(1).Type);
}

void TestTableEngine::failedBatchUpdateChangesNothing() {
    TMemoryHome home;
    TTableEngine engine(home.Dir.path());
    QVERIFY(engine.Execute(u"CREATE TABLE \"Checked.dbf\" (MEM CHARACTER(3), FREQ FLOAT, "
                           u"CHECK (FREQ IS NULL OR FREQ <= 2600))"_s));
    QVERIFY(engine.Execute(u"CREATE TABLE \"Source.dbf\" (MEM CHARACTER(3), FREQ FLOAT)"_s));
    for (int i = 0; i < 10; ++i) {
        QVERIFY(engine.Execute(u"INSERT INTO Checked.dbf VALUES (?, 1)"_s,
                               {QString::asprintf("%03d", i)}));
        // The last row breaks the table's rule, after nine good ones.
        QVERIFY(engine.Execute(u"INSERT INTO Source.dbf VALUES (?, ?)"_s,
                               {QString::asprintf("%03d", i), i == 9 ? 5000.0 : 2.0}));
    }
    QVERIFY(!engine.BatchUpdate(u"Source.dbf"_s, u"Checked.dbf"_s, u"MEM"_s, u"Changed.dbf"_s));
    QVERIFY(engine.LastError().contains(u"CHECK constraint failed"_s));
    QCOMPARE(Count(engine, u"Checked.dbf"_s, u"FREQ = 1"_s), 10);
    QVERIFY(!QFileInfo::exists(home.Path(u"Changed.dbf"_s)));
    QVERIFY(!engine.BatchUpdate(u"Source.dbf"_s, u"Checked.dbf"_s, u"TEXT"_s));
    QCOMPARE(engine.LastError(), u"Both tables need the key field TEXT"_s);
}

void TestTableEngine::copyTable() {
    TMemoryHome home;
    TTableEngine engine(home.Dir.path());
    QString error;
    QVERIFY(CreateBankTable(engine, home.Path(u"MemoryBank1.dbf"_s), error));
    QVERIFY(engine.Execute(u"UPDATE MemoryBank1.dbf SET TEXT = 'COPY' WHERE MEM < '010'"_s));
    QVERIFY(WriteBytes(home.Path(u"Saved.dbf"_s), "an older file in the way"));
    QVERIFY2(engine.CopyTable(u"MemoryBank1.dbf"_s, u"Saved.dbf"_s),
             qPrintable(engine.LastError()));
    QCOMPARE(Count(engine, u"Saved.dbf"_s), 1000);
    QCOMPARE(Count(engine, u"Saved.dbf"_s, u"TEXT = 'COPY'"_s), 10);
    QVERIFY(!QFileInfo::exists(home.Path(u"Saved.dbf.copying"_s)));
    QVERIFY(!engine.CopyTable(u"MemoryBank1.dbf"_s, u"memorybank1.DBF"_s));
    QVERIFY(engine.LastError().startsWith(u"A table cannot be copied onto itself"_s));
}

void TestTableEngine::regenerateIndexesNeedsExclusiveUse() {
    TMemoryHome home;
    TTableEngine engine(home.Dir.path());
    QString error;
    QVERIFY(CreateBankTable(engine, home.Path(u"MemoryBank0.dbf"_s), error));
    QVERIFY2(engine.RegenerateIndexes(u"MemoryBank0.dbf"_s), qPrintable(engine.LastError()));

    // Another program holding the table keeps it from being taken exclusively; the lock is
    // given back whatever happens, so the table is usable afterwards.
    TTableEngine other(home.Dir.path());
    QVERIFY(other.Begin());
    QVERIFY(other.Execute(u"UPDATE MemoryBank0.dbf SET TEXT = 'HELD' WHERE MEM = '001'"_s));
    QVERIFY(!engine.RegenerateIndexes(u"MemoryBank0.dbf"_s));
    QVERIFY2(engine.LastError().contains(u"locked"_s), qPrintable(engine.LastError()));
    QVERIFY(!engine.InTransaction());
    other.Rollback();
    QVERIFY(engine.Execute(u"UPDATE MemoryBank0.dbf SET TEXT = 'MINE' WHERE MEM = '001'"_s));
    QVERIFY(engine.RegenerateIndexes(u"MemoryBank0.dbf"_s));
    QVERIFY(engine.Flush());
}

void TestTableEngine::nestedTransactions() {
    TMemoryHome home;
    TTableEngine engine(home.Dir.path());
    QString error;
    QVERIFY(CreateBankTable(engine, home.Path(u"MemoryBank0.dbf"_s), error));
    {
        TTransaction outer(engine);
        QVERIFY(engine.Execute(u"UPDATE MemoryBank0.dbf SET TEXT = 'OUTER' WHERE MEM = '001'"_s));
        {
            TTransaction inner(engine);
            QVERIFY(engine.Execute(u"UPDATE MemoryBank0.dbf SET TEXT = 'INNER'"_s));
        } // rolled back
        QVERIFY(outer.Commit());
    }
    QCOMPARE(Count(engine, u"MemoryBank0.dbf"_s, u"TEXT IS NOT NULL"_s), 1);
    {
        TTransaction dropped(engine);
        QVERIFY(engine.Execute(u"UPDATE MemoryBank0.dbf SET TEXT = 'LOST'"_s));
    }
    QCOMPARE(Count(engine, u"MemoryBank0.dbf"_s, u"TEXT = 'OUTER'"_s), 1);
}

QTEST_GUILESS_MAIN(TestTableEngine)
#include "tst_tableengine.moc"
