#include "SqlDialect.h"

#include <QFileInfo>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Attaches nothing: a file is "attached" under its base name and holds the table named after
// its extension. A name starting with "missing" does not exist.
struct TFakeResolver {
    QStringList Seen;
    QList<TTableUse> Uses;

    TTableResolver Fn() {
        return [this](const QString& fileName, TTableUse use,
                      QString& error) -> std::optional<TTableTarget> {
            Seen << fileName;
            Uses << use;
            const QFileInfo info(QString(fileName).replace(u'\\', u'/'));
            if (info.fileName().startsWith(u"missing"_s)) {
                error = u"Table does not exist: "_s + fileName;
                return std::nullopt;
            }
            return TTableTarget{info.completeBaseName(), info.suffix(), fileName};
        };
    }
};

} // namespace

class TestSqlDialect : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void translate_data();
    void translate();
    void refused_data();
    void refused();
    void tableUse();
    void selectParts_data();
    void selectParts();
    void condition_data();
    void condition();
};

void TestSqlDialect::translate_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QStringList>("files");

    const QString q = u"\""_s;
    QTest::newRow("start-up statement, file name in another case")
        << u"Select *  from Memorybank0.dbf"_s << u"Select *  from \"Memorybank0\".\"dbf\""_s
        << QStringList{u"Memorybank0.dbf"_s};
    QTest::newRow("memory view with a hundred and blanks hidden")
        << u"SELECT * FROM MemoryBank0.dbf WHERE (((MEM >= '100') AND (MEM <= '199')) AND "
           u"(FREQ <> '' )) ORDER BY MEM"_s
        << u"SELECT * FROM \"MemoryBank0\".\"dbf\" WHERE (((MEM >= '100') AND (MEM <= '199')) "
           u"AND (FREQ <> '' )) ORDER BY MEM"_s
        << QStringList{u"MemoryBank0.dbf"_s};
    QTest::newRow("builder values in double quotes")
        << u"SELECT * FROM MemoryBank0.dbf WHERE ((((MEM >= \"100\") AND (MEM < \"200\")))) "
           u"ORDER BY FREQ"_s
        << u"SELECT * FROM \"MemoryBank0\".\"dbf\" WHERE ((((MEM >= '100') AND (MEM < '200')))) "
           u"ORDER BY FREQ"_s
        << QStringList{u"MemoryBank0.dbf"_s};
    QTest::newRow("a double-quoted value that names a column stays a value")
        << u"SELECT * FROM MemoryBank1.dbf WHERE (MODE = \"MEM\") ORDER BY TEXT DESC"_s
        << u"SELECT * FROM \"MemoryBank1\".\"dbf\" WHERE (MODE = 'MEM') ORDER BY TEXT DESC"_s
        << QStringList{u"MemoryBank1.dbf"_s};
    QTest::newRow("quotes inside a double-quoted value")
        << u"SELECT * FROM a.dbf WHERE TEXT LIKE \"%O'NE \"\"X\"\"%\""_s
        << u"SELECT * FROM \"a\".\"dbf\" WHERE TEXT LIKE '%O''NE \"X\"%'"_s
        << QStringList{u"a.dbf"_s};
    QTest::newRow("clear select-scan flags")
        << u"Update MemoryBank0.dbf set selscan = false"_s
        << u"Update \"MemoryBank0\".\"dbf\" set selscan = 0"_s << QStringList{u"MemoryBank0.dbf"_s};
    QTest::newRow("log table")
        << u"CREATE TABLE "_s + q + u"Log_Kv7.DB"_s + q +
               u" (ID AUTOINC,Freq FLOAT(11,6),Mode CHARACTER(3),BW CHARACTER(3),Step "
               u"CHARACTER(7),Ant CHARACTER(4),Stadj BOOLEAN,Squelch SMALLINT,LogDate "
               u"DATE,LogTime TIME,Signal SMALLINT,Notes BLOB(1,1),CategoryID "
               u"INTEGER,PRIMARY KEY(ID))"_s
        << u"CREATE TABLE \"Log_Kv7\".\"DB\" (ID INTEGER PRIMARY KEY AUTOINCREMENT,Freq REAL,Mode "
           u"CHARACTER(3),BW CHARACTER(3),Step CHARACTER(7),Ant CHARACTER(4),Stadj "
           u"BOOLEAN,Squelch SMALLINT,LogDate DATE TEXT,LogTime TIME TEXT,Signal "
           u"SMALLINT,Notes TEXT,CategoryID INTEGER)"_s
        << QStringList{u"Log_Kv7.DB"_s};
    QTest::newRow("sub-selects table: key first, quoted column names, spaced sizes")
        << u"CREATE TABLE \"Log_Kv7_SubSelects.DB\" (PRIMARY KEY(ID),ID AUTOINC,\"Name\" "
           u"CHARACTER(16),Ed1 CHARACTER (16),Amount FLOAT( 8, 2 ))"_s
        << u"CREATE TABLE \"Log_Kv7_SubSelects\".\"DB\" (ID INTEGER PRIMARY KEY "
           u"AUTOINCREMENT,\"Name\" CHARACTER(16),Ed1 CHARACTER (16),Amount REAL)"_s
        << QStringList{u"Log_Kv7_SubSelects.DB"_s};
    QTest::newRow("binary blob and an autoinc beside another key")
        << u"CREATE TABLE \"b.DB\" (K INTEGER, N AUTOINC, P BLOB(10,2), PRIMARY KEY(K))"_s
        << u"CREATE TABLE \"b\".\"DB\" (K INTEGER, N INTEGER, P BLOB, PRIMARY KEY(K))"_s
        << QStringList{u"b.DB"_s};
    QTest::newRow("index: the file goes on the index name")
        << u"CREATE INDEX FreqIX ON \"Log_Kv7.DB\"(Freq)"_s
        << u"CREATE INDEX \"Log_Kv7\".FreqIX ON \"DB\"(Freq)"_s << QStringList{u"Log_Kv7.DB"_s};
    QTest::newRow("category update with a sub-select on the same file")
        << u"UPDATE \"Log_Kv7.DB\" SET CategoryID = 3 WHERE ID IN (SELECT ID from "
           u"\"Log_Kv7.DB\" )"_s
        << u"UPDATE \"Log_Kv7\".\"DB\" SET CategoryID = 3 WHERE ID IN (SELECT ID from "
           u"\"Log_Kv7\".\"DB\" )"_s
        << QStringList{u"Log_Kv7.DB"_s, u"Log_Kv7.DB"_s};
    QTest::newRow("named parameter kept")
        << u"Select * from \"c.DB\" Where CategoryID = :CategoryID ORDER BY ID"_s
        << u"Select * from \"c\".\"DB\" Where CategoryID = :CategoryID ORDER BY ID"_s
        << QStringList{u"c.DB"_s};
    QTest::newRow("dates in the older order")
        << u"SELECT * FROM \"L.DB\" WHERE ((LogDate >= \"05/31/2024\") AND (LogDate < "
           u"'06/01/2024') AND (Notes = \"13/45/2024\"))"_s
        << u"SELECT * FROM \"L\".\"DB\" WHERE ((LogDate >= '2024-05-31') AND (LogDate < "
           u"'2024-06-01') AND (Notes = '13/45/2024'))"_s
        << QStringList{u"L.DB"_s};
    QTest::newRow("a folder written with backslashes")
        << u"Select * from \"C:\\data\\Band Watch_Kv7.DB\""_s
        << u"Select * from \"Band Watch_Kv7\".\"DB\""_s
        << QStringList{u"C:\\data\\Band Watch_Kv7.DB"_s};
    QTest::newRow("temporary table and plain names untouched")
        << u"SELECT * FROM temp.Import, Changed"_s << u"SELECT * FROM temp.Import, Changed"_s
        << QStringList{};
    QTest::newRow("a list of files, aliases and qualified columns")
        << u"SELECT a.MEM, b.\"TEXT\" FROM MemoryBank0.dbf a, MemoryBank1.dbf AS b WHERE a.MEM "
           u"= b.MEM"_s
        << u"SELECT a.MEM, b.\"TEXT\" FROM \"MemoryBank0\".\"dbf\" a, \"MemoryBank1\".\"dbf\" "
           u"AS b WHERE a.MEM = b.MEM"_s
        << QStringList{u"MemoryBank0.dbf"_s, u"MemoryBank1.dbf"_s};
    QTest::newRow("insert: column names stay names, values become literals")
        << u"INSERT INTO \"a.DB\" (\"Name\", Mode) VALUES (\"x\", TRUE)"_s
        << u"INSERT INTO \"a\".\"DB\" (\"Name\", Mode) VALUES ('x', 1)"_s << QStringList{u"a.DB"_s};
    QTest::newRow("a ';' inside text, a trailing ';' and a comment")
        << u"SELECT * FROM a.dbf WHERE TEXT = 'x;y' ; -- the end"_s
        << u"SELECT * FROM \"a\".\"dbf\" WHERE TEXT = 'x;y'"_s << QStringList{u"a.dbf"_s};
}

void TestSqlDialect::translate() {
    QFETCH(QString, sql);
    QFETCH(QString, expected);
    QFETCH(QStringList, files);
    TFakeResolver resolver;
    const TTranslation translation = TranslateSql(sql, resolver.Fn());
    QVERIFY2(translation.Ok(), qPrintable(translation.Error));
    QCOMPARE(translation.Sql, expected);
    QCOMPARE(resolver.Seen, files);
}

void TestSqlDialect::refused_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("error");

    QTest::newRow("second statement")
        << u"SELECT * FROM a.dbf; DELETE FROM a.dbf"_s << QString::fromLatin1(kTailRefusedText);
    QTest::newRow("second statement after a comment")
        << u"UPDATE a.dbf SET TEXT = 'x'; /* more */ DROP TABLE a.dbf"_s
        << QString::fromLatin1(kTailRefusedText);
    QTest::newRow("extension") << u"SELECT load_extension('/tmp/x.so')"_s
                               << QString::fromLatin1(kExtensionRefusedText);
    QTest::newRow("extension in a condition")
        << u"SELECT * FROM a.dbf WHERE LOAD_EXTENSION ('x') IS NULL"_s
        << QString::fromLatin1(kExtensionRefusedText);
    QTest::newRow("attach") << u"ATTACH DATABASE '/etc/x' AS x"_s
                            << QString::fromLatin1(kAttachRefusedText);
    QTest::newRow("unterminated text")
        << u"SELECT * FROM a.dbf WHERE TEXT = 'abc"_s << u"Unterminated quoted text: 'abc"_s;
    QTest::newRow("unbalanced") << u"SELECT * FROM a.dbf WHERE (FREQ > 1"_s
                                << u"Unbalanced parentheses"_s;
    QTest::newRow("empty") << u"  ;"_s << u"The statement is empty"_s;
    QTest::newRow("missing file") << u"SELECT * FROM missing.dbf"_s
                                  << u"Table does not exist: missing.dbf"_s;
}

void TestSqlDialect::refused() {
    QFETCH(QString, sql);
    QFETCH(QString, error);
    TFakeResolver resolver;
    const TTranslation translation = TranslateSql(sql, resolver.Fn());
    QCOMPARE(translation.Error, error);
}

void TestSqlDialect::tableUse() {
    TFakeResolver resolver;
    QCOMPARE(TranslateSql(u"CREATE TABLE \"n.DB\" (A INTEGER)"_s, resolver.Fn()).Kind,
             TStatementKind::CreateTable);
    QCOMPARE(TranslateSql(u"DROP TABLE IF EXISTS \"n.DB\" "_s, resolver.Fn()).Kind,
             TStatementKind::DropTable);
    QCOMPARE(TranslateSql(u"INSERT INTO n.DB SELECT * FROM m.DB"_s, resolver.Fn()).Kind,
             TStatementKind::Insert);
    const QList<TTableUse> expected = {TTableUse::Create, TTableUse::Drop, TTableUse::Existing,
                                       TTableUse::Existing};
    QCOMPARE(resolver.Uses, expected);
}

void TestSqlDialect::selectParts_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("editable");
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("tail");

    QTest::newRow("whole table") << u"SELECT * FROM a.dbf"_s << true << QString() << QString();
    QTest::newRow("filtered and sorted")
        << u"SELECT * FROM a.dbf WHERE (FREQ <> '' ) ORDER BY FREQ"_s << true << u"(FREQ <> '' )"_s
        << u"ORDER BY FREQ"_s;
    QTest::newRow("plain columns with alias")
        << u"SELECT m.MEM, FREQ, m.* FROM a.dbf m LIMIT 5"_s << true << QString() << u"LIMIT 5"_s;
    QTest::newRow("condition with a sub-select")
        << u"SELECT * FROM a.dbf WHERE MEM IN (SELECT MEM FROM b.dbf)"_s << false
        << u"MEM IN (SELECT MEM FROM \"b\".\"dbf\")"_s << QString();
    QTest::newRow("distinct") << u"SELECT DISTINCT MODE FROM a.dbf"_s << false << QString()
                              << QString();
    QTest::newRow("grouped") << u"SELECT MODE FROM a.dbf GROUP BY MODE"_s << false << QString()
                             << u"GROUP BY MODE"_s;
    QTest::newRow("expression column")
        << u"SELECT FREQ * 2 FROM a.dbf"_s << false << QString() << QString();
    QTest::newRow("two tables") << u"SELECT * FROM a.dbf, b.dbf"_s << false << QString()
                                << QString();
    QTest::newRow("join") << u"SELECT * FROM a.dbf JOIN b.dbf USING (MEM)"_s << false << QString()
                          << QString();
    QTest::newRow("union") << u"SELECT * FROM a.dbf WHERE MEM < '100' UNION SELECT * FROM b.dbf"_s
                           << false << u"MEM < '100'"_s << u"UNION SELECT * FROM \"b\".\"dbf\""_s;
}

void TestSqlDialect::selectParts() {
    QFETCH(QString, sql);
    QFETCH(bool, editable);
    QFETCH(QString, where);
    QFETCH(QString, tail);
    TFakeResolver resolver;
    const TTranslation translation = TranslateSql(sql, resolver.Fn());
    QVERIFY2(translation.Ok(), qPrintable(translation.Error));
    QVERIFY(translation.Select.has_value());
    QCOMPARE(translation.Select->Editable, editable);
    QCOMPARE(translation.Select->Table, u"\"a\".\"dbf\""_s);
    QCOMPARE(translation.Select->Where, where);
    QCOMPARE(translation.Select->Tail, tail);
}

void TestSqlDialect::condition_data() {
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("error");

    QTest::newRow("number") << u"Freq = 145.5"_s << u"Freq = 145.5"_s << QString();
    QTest::newRow("double-quoted value") << u"MODE = \"FM\""_s << u"MODE = 'FM'"_s << QString();
    QTest::newRow("boolean") << u"PASS = TRUE"_s << u"PASS = 1"_s << QString();
    QTest::newRow("escape from the brackets")
        << u"1) OR (1"_s << QString() << u"Unbalanced parentheses"_s;
    QTest::newRow("second statement")
        << u"1; DELETE FROM x"_s << QString() << QString::fromLatin1(kTailRefusedText);
    QTest::newRow("empty") << u" "_s << QString() << u"The filter condition is empty"_s;
}

void TestSqlDialect::condition() {
    QFETCH(QString, condition);
    QFETCH(QString, expected);
    QFETCH(QString, error);
    const TTranslation translation = TranslateCondition(condition);
    QCOMPARE(translation.Error, error);
    if (error.isEmpty())
        QCOMPARE(translation.Sql, expected);
}

QTEST_GUILESS_MAIN(TestSqlDialect)
#include "tst_sqldialect.moc"
