#include "memory/MemoryFixture.h"

#include "BankTable.h"
#include "MemorySql.h"
#include "TableEngine.h"
#include "TableView.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestMemorySql : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void formatMemNumber_data();
    void formatMemNumber();
    void buildMemorySql_data();
    void buildMemorySql();
    void statementsSelectTheirRows();
};

void TestMemorySql::formatMemNumber_data() {
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << u"000"_s;
    QTest::newRow("7") << 7 << u"007"_s;
    QTest::newRow("9") << 9 << u"009"_s;
    QTest::newRow("10") << 10 << u"010"_s;
    QTest::newRow("99") << 99 << u"099"_s;
    QTest::newRow("100") << 100 << u"100"_s;
    QTest::newRow("999") << 999 << u"999"_s;
}

void TestMemorySql::formatMemNumber() {
    QFETCH(int, n);
    QFETCH(QString, text);
    QCOMPARE(FormatMemNumber(n), text);
}

void TestMemorySql::buildMemorySql_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("bankFilter");
    QTest::addColumn<QString>("rowFilter");
    QTest::addColumn<QString>("sortField");
    QTest::addColumn<QString>("sql");

    const QString bank0 = u"MemoryBank0.dbf"_s;
    const QString hideBlanks = QString::fromLatin1(kHideBlanksFilter);
    QTest::newRow("everything empty, bank 1") << u"MemoryBank1.dbf"_s << QString() << QString()
                                              << QString() << u"SELECT * FROM MemoryBank1.dbf"_s;
    QTest::newRow("blanks hidden, sorted by FREQ")
        << bank0 << QString() << hideBlanks << u"FREQ"_s
        << u"SELECT * FROM MemoryBank0.dbf WHERE (FREQ <> '' ) ORDER BY FREQ"_s;
    QTest::newRow("hundred 100, blanks hidden, by MEM")
        << bank0 << HundredFilter(1) << hideBlanks << u"MEM"_s
        << u"SELECT * FROM MemoryBank0.dbf WHERE (((MEM >= '100') AND (MEM <= '199')) AND (FREQ "
           u"<> '' )) ORDER BY MEM"_s;
    QTest::newRow("hundred 200 sorted by FREQ")
        << bank0 << HundredFilter(2) << hideBlanks << u"FREQ"_s
        << u"SELECT * FROM MemoryBank0.dbf WHERE (((MEM >= '200') AND (MEM <= '299')) AND (FREQ "
           u"<> '' )) ORDER BY FREQ"_s;
    QTest::newRow("hundred 900 alone, unsorted")
        << bank0 << HundredFilter(9) << QString() << QString()
        << u"SELECT * FROM MemoryBank0.dbf WHERE (((MEM >= '900') AND (MEM <= '999')))"_s;
    QTest::newRow("select-scan rows")
        << bank0 << QString() << QString::fromLatin1(kSelectScanFilter) << u"MEM"_s
        << u"SELECT * FROM MemoryBank0.dbf WHERE (SELSCAN = TRUE ) ORDER BY MEM"_s;
    QTest::newRow("hundred 000 with pass rows")
        << bank0 << HundredFilter(0) << QString::fromLatin1(kPassFilter) << u"MEM"_s
        << u"SELECT * FROM MemoryBank0.dbf WHERE (((MEM >= '000') AND (MEM <= '099')) AND (PASS "
           u"= TRUE )) ORDER BY MEM"_s;
}

void TestMemorySql::buildMemorySql() {
    QFETCH(QString, table);
    QFETCH(QString, bankFilter);
    QFETCH(QString, rowFilter);
    QFETCH(QString, sortField);
    QFETCH(QString, sql);
    const TMemoryViewState state{table, bankFilter, rowFilter, sortField};
    QCOMPARE(BuildMemorySql(state), sql);
}

// The statements select what they promise on a real table: FREQ <> '' means "has a frequency",
// the hundred bounds include both ends, flags compare with TRUE.
void TestMemorySql::statementsSelectTheirRows() {
    TMemoryHome home;
    TTableEngine engine(home.Dir.path());
    QString error;
    QVERIFY(CreateBankTable(engine, home.Path(u"MemoryBank0.dbf"_s), error));
    QVERIFY(engine.Execute(u"UPDATE MemoryBank0.dbf SET FREQ = 0.01 WHERE MEM IN ('099', '100', "
                           u"'150', '199', '200')"_s));
    QVERIFY(engine.Execute(u"UPDATE MemoryBank0.dbf SET SELSCAN = TRUE, PASS = FALSE WHERE MEM "
                           u"IN ('100', '500')"_s));
    auto rows = [&](const QString& sql) {
        TTableView view(engine);
        view.SetSql(sql);
        return view.Open() ? view.RecordCount() : -1;
    };
    const QString table = u"MemoryBank0.dbf"_s;
    QCOMPARE(rows(QString::fromLatin1(kStartupSql)), 1000);
    QCOMPARE(rows(HideBlanksSql(table)), 5);
    QCOMPARE(rows(BuildMemorySql(
                 {table, HundredFilter(1), QString::fromLatin1(kHideBlanksFilter), u"FREQ"_s})),
             3);
    QCOMPARE(rows(BuildMemorySql({table, HundredFilter(1), {}, {}})), 100);
    QCOMPARE(rows(BuildMemorySql({table, {}, QString::fromLatin1(kSelectScanFilter), u"MEM"_s})),
             2);
    QCOMPARE(rows(BuildMemorySql({table, {}, QString::fromLatin1(kPassFilter), u"MEM"_s})), 0);
    QVERIFY(engine.Execute(ClearSelectScanSql(table)));
    QCOMPARE(rows(BuildMemorySql({table, {}, QString::fromLatin1(kSelectScanFilter), u"MEM"_s})),
             0);
    QCOMPARE(rows(AllRowsSql(table)), 1000);
}

QTEST_GUILESS_MAIN(TestMemorySql)
#include "tst_memorysql.moc"
