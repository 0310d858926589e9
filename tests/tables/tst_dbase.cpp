#include "memory/MemoryFixture.h"

#include "BankTable.h"
#include "DbaseFile.h"
#include "TableEngine.h"
#include "TableView.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestDbase : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roundTrip();
    void unreadableFiles_data();
    void unreadableFiles();
};

// A bank written to dBASE and read back has the same fields, types and values, Null included.
void TestDbase::roundTrip() {
    TMemoryHome home;
    TTableEngine engine(home.Dir.path());
    QString error;
    QVERIFY(CreateBankTable(engine, home.Path(u"MemoryBank0.dbf"_s), error));
    QVERIFY(engine.Execute(
        u"UPDATE MemoryBank0.dbf SET FREQ = round(0.01 + CAST(MEM AS INTEGER) * 2.5 + 0.000001, "
        u"6), MODE = "
        u"'sAM', BW = '0.5', LP = '12', HP = '0.05', DM = 'Thru', AGC = 'Slow', STEP = '100.000', "
        u"SSTEP = '1000', ATN = 'Auto', ANT = 'Auto', STADJ = (CAST(MEM AS INTEGER) % 2 = 0), "
        u"PASS = FALSE, SELSCAN = TRUE, TEXT = 'Z' || char(252) || 'RICH', CHANGED = TRUE, "
        u"SQUELCH = CAST(MEM AS INTEGER) % 256 WHERE CAST(MEM AS INTEGER) % 4 <> 3"_s));
    const QString file = home.Path(u"Saved.dbf"_s);
    QVERIFY(WriteBytes(file, "an older file"));
    QVERIFY2(WriteDbaseTable(engine, u"MemoryBank0.dbf"_s, file, error), qPrintable(error));
    QVERIFY2(ReadDbaseTable(engine, file, u"Back"_s, error), qPrintable(error));

    const auto written = engine.Columns(u"MemoryBank0.dbf"_s);
    const auto read = engine.Columns(u"temp.Back"_s);
    QVERIFY(written && read);
    QCOMPARE(read->size(), written->size());
    QStringList same;
    for (std::size_t c = 0; c < written->size(); ++c) {
        QCOMPARE(read->at(c).Name, written->at(c).Name);
        QCOMPARE(FieldKindOf(read->at(c).Type), FieldKindOf(written->at(c).Type));
        same << u"b."_s + written->at(c).Name + u" IS r."_s + written->at(c).Name;
    }
    QCOMPARE(read->at(0).Type, u"CHARACTER(3)"_s);
    QCOMPARE(read->at(15).Type, u"CHARACTER(8)"_s);
    QCOMPARE(read->at(17).Type, u"SMALLINT"_s);
    QCOMPARE(engine
                 .QueryValue(u"SELECT count(*) FROM MemoryBank0.dbf b JOIN temp.Back r ON "
                             u"b.MEM = r.MEM WHERE "_s +
                             same.join(u" AND "_s))
                 ->toInt(),
             1000);
    QCOMPARE(engine
                 .QueryValue(u"SELECT count(*) FROM temp.Back WHERE FREQ IS NULL AND STADJ IS "
                             u"NULL AND TEXT IS NULL AND SQUELCH IS NULL"_s)
                 ->toInt(),
             250);
    QCOMPARE(engine.QueryValue(u"SELECT TEXT FROM temp.Back WHERE MEM = '000'"_s)->toString(),
             u"Z\u00FCRICH"_s);
}

void TestDbase::unreadableFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");

    QTest::newRow("empty") << QByteArray() << u"too short"_s;
    QTest::newRow("text") << QByteArray("MEM;FREQ\n001;145.5\n").repeated(4) << u"not a dBASE"_s;
    QByteArray cut(64, '\0');
    cut[0] = 0x03;
    cut[2] = 5;
    cut[3] = 17;
    cut[4] = 10; // ten records of 20 bytes, none there
    cut[8] = 65;
    cut[10] = 20;
    QTest::newRow("cut") << cut << u"truncated"_s;
}

void TestDbase::unreadableFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    TMemoryHome home;
    TTableEngine engine(home.Dir.path());
    const QString file = home.Path(u"Bad.dbf"_s);
    QVERIFY(WriteBytes(file, bytes));
    QString error;
    QVERIFY(!ReadDbaseTable(engine, file, u"Back"_s, error));
    QVERIFY2(error.startsWith(file) && error.contains(reason), qPrintable(error));
    QCOMPARE(ReadBytes(file), bytes);
}

QTEST_GUILESS_MAIN(TestDbase)
#include "tst_dbase.moc"
