#include "memory/MemoryFixture.h"

#include "DataUnit1.h"
#include "DbaseFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A data module on its own program folder, both banks created.
struct TModuleFixture {
    TMemoryHome Home;
    TDataModule1 Module;
    QStringList Messages;
    QStringList Errors;

    TModuleFixture() {
        Module.ShowMessage = [this](const QString& text) {
            Messages << text;
        };
        Module.ReportError = [this](const QString& text) {
            Errors << text;
        };
    }
    bool Create() { return Module.DataModule1Create(); }
    TTableView& View() { return Module.MemQuery1(); }
    qint64 Count(const QString& where) {
        return Module.Engine()
            .QueryValue(u"SELECT count(*) FROM MemoryBank0.dbf WHERE "_s + where)
            .value_or(-1)
            .toLongLong();
    }
    QVariant Stored(const QString& field, const QString& mem) {
        return Module.Engine()
            .QueryValue(u"SELECT "_s + field + u" FROM MemoryBank0.dbf WHERE MEM = ?"_s, {mem})
            .value_or(u"<error>"_s);
    }
    void Reopen() { QVERIFY(Module.ReopenMemoryView(Module.BuildMemorySql())); }
};

} // namespace

class TestDataModule : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void createsMissingBanks();
    void fieldChecks_data();
    void fieldChecks();
    void programmaticEditSkipsChecks();
    void changedBookkeeping_data();
    void changedBookkeeping();
    void blankMemoryRow();
    void quickFilterAndStatus();
    void reopenMemoryView();
    void insertAndDeleteRefused();
    void badBankFileLeftAlone_data();
    void badBankFileLeftAlone();
    void legacyBankConverted();
    void rebuildIndexes();
    void saveAndOpenTable();
    void readInKeepsReplacedRows();
    void resetChangedFlags();
};

void TestDataModule::createsMissingBanks() {
    TModuleFixture f;
    QSignalSpy status(&f.Module, &TDataModule1::StatusChanged);
    QVERIFY2(f.Create(), qPrintable(f.Errors.join(u'\n')));
    for (const char* table : kBankTables)
        QVERIFY(QFileInfo::exists(f.Home.Path(QString::fromLatin1(table))));
    QCOMPARE(f.View().Sql(), u"Select *  from Memorybank0.dbf"_s);
    QCOMPARE(f.View().RecordCount(), 1000);
    QCOMPARE(f.View().Value(u"MEM").toString(), u"000"_s);
    f.View().Last();
    QCOMPARE(f.View().Value(u"MEM").toString(), u"999"_s);
    for (int field = 1; field < f.View().FieldCount(); ++field)
        QVERIFY(f.View().Value(field).isNull());
    QCOMPARE(f.Module.StatusText(0), u"1000 Memories showing"_s);
    QCOMPARE(f.Module.StatusText(1), u"Read/Write"_s);
    QCOMPARE(status.count(), 1);
    TTableModel& grid = f.Module.DataSource1();
    QVERIFY(!(grid.flags(grid.index(0, f.View().FieldIndex(u"MEM"))) & Qt::ItemIsEditable));
    QVERIFY(grid.flags(grid.index(0, f.View().FieldIndex(u"FREQ"))) & Qt::ItemIsEditable);
}

void TestDataModule::fieldChecks_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("why"); // empty: taken; else the refusal's reason

    // What row 010 holds before the edit; a refused value leaves it.
    const QVariant freq(145.5);
    const QVariant step(u"5.000"_s);
    const QVariant mode(u"AM"_s);
    const QVariant null;
    const QString taken;
    const QString freqRange = u"FREQ \"%1\" refused: must be from 0.01 to 2600"_s;
    const QString stepRange = u"STEP \"%1\" refused: must be from 0.001 to 999"_s;
    const QString flag = u"%1 \"%2\" refused: must be Y or empty"_s;
    QTest::newRow("FREQ above 2600")
        << u"FREQ"_s << u"2600.000001"_s << freq << freqRange.arg(u"2600.000001"_s);
    QTest::newRow("FREQ below 0.01")
        << u"FREQ"_s << u"0.009"_s << freq << freqRange.arg(u"0.009"_s);
    QTest::newRow("FREQ 0.01") << u"FREQ"_s << u"0.01"_s << QVariant(0.01) << taken;
    QTest::newRow("FREQ 2600") << u"FREQ"_s << u"2600"_s << QVariant(2600.0) << taken;
    QTest::newRow("FREQ not a number")
        << u"FREQ"_s << u"12a"_s << freq << u"FREQ \"12a\" refused: Conversion Error"_s;
    QTest::newRow("STEP 1000") << u"STEP"_s << u"1000"_s << step << stepRange.arg(u"1000"_s);
    QTest::newRow("STEP not a number")
        << u"STEP"_s << u"abc"_s << step << u"STEP \"abc\" refused: Conversion Error"_s;
    QTest::newRow("STEP 0.001") << u"STEP"_s << u"0.001"_s << QVariant(u"0.001"_s) << taken;
    QTest::newRow("STEP 999") << u"STEP"_s << u"999"_s << QVariant(u"999"_s) << taken;
    QTest::newRow("STEP below 0.001")
        << u"STEP"_s << u"0.0009"_s << step << stepRange.arg(u"0.0009"_s);
    QTest::newRow("MODE off the list")
        << u"MODE"_s << u"XYZ"_s << mode
        << u"MODE \"XYZ\" refused: must be one of FM, AM, LSB, USB, CW, sAM, sAL, sAH"_s;
    QTest::newRow("MODE FM") << u"MODE"_s << u"FM"_s << QVariant(u"FM"_s) << taken;
    QTest::newRow("MODE fm kept as typed") << u"MODE"_s << u"fm"_s << QVariant(u"fm"_s) << taken;
    QTest::newRow("MODE emptied") << u"MODE"_s << QString() << null << taken;
    QTest::newRow("BW 16")
        << u"BW"_s << u"16"_s << QVariant(u"15"_s)
        << u"BW \"16\" refused: must be one of 0.5, 3.0, 6.0, 15, 30, 110, 220"_s;
    QTest::newRow("ATN auto") << u"ATN"_s << u"auto"_s << QVariant(u"auto"_s) << taken;
    QTest::newRow("SSTEP X10") << u"SSTEP"_s << u"X10"_s << QVariant(u"X10"_s) << taken;
    QTest::newRow("DM thru") << u"DM"_s << u"thru"_s << QVariant(u"thru"_s) << taken;
    QTest::newRow("PASS Y") << u"PASS"_s << u"Y"_s << QVariant(true) << taken;
    QTest::newRow("SELSCAN y") << u"SELSCAN"_s << u"y"_s << QVariant(true) << taken;
    QTest::newRow("STADJ N") << u"STADJ"_s << u"N"_s << QVariant(true)
                             << flag.arg(u"STADJ"_s, u"N"_s);
    QTest::newRow("CHANGED YES") << u"CHANGED"_s << u"YES"_s << null
                                 << flag.arg(u"CHANGED"_s, u"YES"_s);
    QTest::newRow("CHANGED Y") << u"CHANGED"_s << u"Y"_s << QVariant(true) << taken;
    QTest::newRow("SQUELCH 300") << u"SQUELCH"_s << u"300"_s << QVariant(5)
                                 << u"SQUELCH \"300\" refused: must be from 0 to 255"_s;
    QTest::newRow("SQUELCH 12") << u"SQUELCH"_s << u"12"_s << QVariant(12) << taken;
    QTest::newRow("TEXT free") << u"TEXT"_s << u"any one"_s << QVariant(u"any one"_s) << taken;
}

void TestDataModule::fieldChecks() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QVariant, stored);
    QFETCH(QString, why);
    TModuleFixture f;
    QVERIFY(f.Create());
    QVERIFY(f.Module.Q1(u"UPDATE MemoryBank0.dbf SET FREQ = 145.5, MODE = 'AM', STEP = '5.000', "
                        u"BW = '15', PASS = FALSE, STADJ = TRUE, SQUELCH = 5 WHERE MEM = '010'"_s));
    f.Reopen();
    QCOMPARE(f.Module.LocateMemory(u"010"_s), TLocateResult::Found);
    // The grid's way in: the user's edit, posted at once.
    TTableModel& grid = f.Module.DataSource1();
    const QModelIndex cell = grid.index(f.View().RecNo(), f.View().FieldIndex(field));
    QCOMPARE(grid.setData(cell, typed), why.isEmpty());
    QCOMPARE(f.View().Value(field), stored);
    QCOMPARE(f.Stored(field, u"010"_s).isNull(), stored.isNull());
    QCOMPARE(f.Messages.join(u'|'), why);
    // A refusal leaves the row untouched: not marked, not in the middle of an edit.
    if (!why.isEmpty()) {
        QCOMPARE(f.View().State(), TViewState::Browse);
        QVERIFY(f.Stored(u"CHANGED"_s, u"010"_s).isNull());
    }
}

void TestDataModule::programmaticEditSkipsChecks() {
    TModuleFixture f;
    QVERIFY(f.Create());
    f.Module.ProgrammaticEdit = true;
    QVERIFY(f.View().Edit());
    QVERIFY(f.View().SetField(u"FREQ", 5000.0, TAssignOrigin::User));
    QVERIFY(f.View().SetField(u"MODE", u"XYZ"_s, TAssignOrigin::User));
    QVERIFY(f.View().Post());
    QCOMPARE(f.Stored(u"FREQ"_s, u"000"_s).toDouble(), 5000.0);
    QCOMPARE(f.Stored(u"MODE"_s, u"000"_s).toString(), u"XYZ"_s);
}

void TestDataModule::changedBookkeeping_data() {
    QTest::addColumn<bool>("hasFreq");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("changed");

    const QVariant null;
    QTest::newRow("text of a blank row") << false << u"TEXT"_s << QVariant(u"X"_s) << null;
    QTest::newRow("text of a row with a frequency")
        << true << u"TEXT"_s << QVariant(u"X"_s) << QVariant(true);
    QTest::newRow("frequency typed into a blank row")
        << false << u"FREQ"_s << QVariant(u"145.5"_s) << QVariant(true);
    QTest::newRow("mode") << true << u"MODE"_s << QVariant(u"AM"_s) << QVariant(true);
    QTest::newRow("a refused mode leaves the row unmarked")
        << true << u"MODE"_s << QVariant(u"ZZ"_s) << null;
    QTest::newRow("pass flag") << true << u"PASS"_s << QVariant(u"Y"_s) << QVariant(true);
    QTest::newRow("squelch never") << true << u"SQUELCH"_s << QVariant(u"20"_s) << null;
    QTest::newRow("the same text again") << true << u"TEXT"_s << QVariant(u"OLD"_s) << null;
    QTest::newRow("CHANGED typed by the user")
        << true << u"CHANGED"_s << QVariant(u"Y"_s) << QVariant(true);
}

void TestDataModule::changedBookkeeping() {
    QFETCH(bool, hasFreq);
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(QVariant, changed);
    TModuleFixture f;
    QVERIFY(f.Create());
    QVERIFY(
        f.Module.Q1(u"UPDATE MemoryBank0.dbf SET TEXT = 'OLD', MODE = 'FM' WHERE MEM = '020'"_s));
    if (hasFreq)
        QVERIFY(f.Module.Q1(u"UPDATE MemoryBank0.dbf SET FREQ = 118.1 WHERE MEM = '020'"_s));
    f.Reopen();
    QCOMPARE(f.Module.LocateMemory(u"020"_s), TLocateResult::Found);
    QVERIFY(f.View().Edit());
    f.View().SetField(field, value, TAssignOrigin::User);
    QVERIFY(f.View().Post());
    QCOMPARE(f.Stored(u"CHANGED"_s, u"020"_s), changed);
    // The program's own writes are tracked the same way.
    QVERIFY(f.View().Edit());
    QVERIFY(f.View().SetField(u"TEXT", u"PROGRAM"_s));
    QVERIFY(f.View().Post());
    QCOMPARE(f.Stored(u"CHANGED"_s, u"020"_s).isNull(), f.View().Value(u"FREQ").isNull());
}

void TestDataModule::blankMemoryRow() {
    TModuleFixture f;
    QVERIFY(f.Create());
    QVERIFY(f.Module.Q1(
        u"UPDATE MemoryBank0.dbf SET FREQ = 145.5, MODE = 'FM', BW = '15', LP = '3', HP = '0.2', "
        u"DM = '50', AGC = 'Fast', STEP = '5.000', SSTEP = 'Main', ATN = '0', ANT = '1', STADJ = "
        u"TRUE, PASS = TRUE, SELSCAN = TRUE, TEXT = 'FULL', CHANGED = TRUE, SQUELCH = 9 WHERE MEM "
        u"= "
        u"'777'"_s));
    f.Reopen();
    QCOMPARE(f.Module.LocateMemory(u"777"_s), TLocateResult::Found);
    QVERIFY(f.Module.BlankMemoryRow());
    QVERIFY(!f.Module.ProgrammaticEdit);
    QCOMPARE(f.Count(u"MEM = '777' AND coalesce(FREQ, MODE, BW, LP, HP, DM, AGC, STEP, SSTEP, "
                     u"ATN, ANT, STADJ, PASS, SELSCAN, TEXT, CHANGED, SQUELCH) IS NULL"_s),
             1);
    QCOMPARE(f.View().Value(u"MEM").toString(), u"777"_s);
}

void TestDataModule::quickFilterAndStatus() {
    TModuleFixture f;
    QVERIFY(f.Create());
    QVERIFY(f.Module.Q1(u"UPDATE MemoryBank0.dbf SET TEXT = CASE MEM WHEN '001' THEN 'AIRBAND' "
                        u"WHEN '002' THEN 'Fairway' WHEN '003' THEN 'BUS' END"_s));
    f.Reopen();
    QSignalSpy status(&f.Module, &TDataModule1::StatusChanged);
    f.Module.QuickFilterText = u"air"_s;
    f.View().Close();
    QVERIFY(f.View().SetFiltered(true));
    QVERIFY(f.View().Open());
    QCOMPARE(f.Module.StatusText(0), u"2 Memories showing"_s);
    QCOMPARE(status.count(), 1);
    QCOMPARE(status.first().at(0).toString(), u"2 Memories showing"_s);
    f.Module.QuickFilterText.clear();
    QVERIFY(f.Module.ReopenMemoryView(f.View().Sql()));
    QCOMPARE(f.Module.StatusText(0), u"1000 Memories showing"_s);
    // A statement whose rows are not table rows is shown read-only.
    QVERIFY(f.Module.ReopenMemoryView(u"SELECT DISTINCT TEXT FROM MemoryBank0.dbf"_s));
    QCOMPARE(f.Module.StatusText(1), u"Read Only"_s);
}

void TestDataModule::reopenMemoryView() {
    TModuleFixture f;
    QVERIFY(f.Create());
    QVERIFY(f.Module.Q1(u"UPDATE MemoryBank0.dbf SET FREQ = 400 + MEM WHERE MEM >= '400'"_s));
    f.Reopen();
    QCOMPARE(f.Module.LocateMemory(u"500"_s), TLocateResult::Found);
    f.Module.ViewState.RowFilter = QString::fromLatin1(kHideBlanksFilter);
    f.Module.ViewState.SortField = u"FREQ"_s;
    QVERIFY(f.Module.ReopenMemoryView(f.Module.BuildMemorySql()));
    QCOMPARE(f.View().Value(u"MEM").toString(), u"500"_s);
    QCOMPARE(f.View().RecNo(), 100);
    // The remembered channel is not in the new view: the first row.
    f.Module.ViewState.BankFilter = HundredFilter(6);
    QVERIFY(f.Module.ReopenMemoryView(f.Module.BuildMemorySql()));
    QCOMPARE(f.View().Value(u"MEM").toString(), u"600"_s);
    QCOMPARE(f.View().RecNo(), 0);
    // A statement the engine rejects: its text, and the view stays closed.
    QVERIFY(!f.Module.ReopenMemoryView(u"SELECT * FROM MemoryBank0.dbf ORDER BY NOSUCH"_s));
    QVERIFY(f.Module.LastError().contains(u"NOSUCH"_s));
    QVERIFY(!f.View().Active());
}

void TestDataModule::insertAndDeleteRefused() {
    TModuleFixture f;
    QVERIFY(f.Create());
    QVERIFY(!f.View().Append());
    QVERIFY(!f.View().Delete());
    QVERIFY(f.View().LastError().isEmpty());
    QCOMPARE(f.View().RecordCount(), 1000);
    QCOMPARE(f.Count(u"1"_s), 1000);
}

void TestDataModule::badBankFileLeftAlone_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");

    QTest::newRow("garbage") << QByteArray(3000, '\x5a') << u"not a memory bank table"_s;
    // A dBASE header announcing 1000 records of 80 bytes, with none of them there.
    QByteArray header(64, '\0');
    header[0] = 0x03;
    header[1] = 99;
    header[2] = 1;
    header[3] = 1;
    header[4] = static_cast<char>(0xE8);
    header[5] = 0x03;
    header[8] = 65;
    header[10] = 80;
    QTest::newRow("cut dBASE table") << header << u"truncated"_s;
}

void TestDataModule::badBankFileLeftAlone() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    TModuleFixture f;
    const QString path = f.Home.Path(u"MemoryBank1.dbf"_s);
    QVERIFY(WriteBytes(path, bytes));
    QVERIFY(!f.Create());
    QCOMPARE(f.Errors.size(), 1);
    QVERIFY2(f.Errors.first().contains(path) && f.Errors.first().contains(reason),
             qPrintable(f.Errors.first()));
    QCOMPARE(ReadBytes(path), bytes);
    QVERIFY(!QFileInfo::exists(path + u".legacy"_s));
    QVERIFY(f.View().Active()); // bank 0 is fine
}

void TestDataModule::legacyBankConverted() {
    TMemoryHome home;
    const QString path = home.Path(u"MemoryBank0.dbf"_s);
    {
        // A legacy table: channel numbers not always zero-padded, rows missing, one field
        // fewer.
        TTableEngine engine(home.Dir.path());
        QVERIFY(engine.ExecuteNative(u"CREATE TEMP TABLE Legacy (MEM CHARACTER(3), FREQ REAL, "
                                     u"MODE CHARACTER(3), PASS BOOLEAN, TEXT CHARACTER(8), "
                                     u"SQUELCH SMALLINT)"_s));
        QVERIFY(engine.ExecuteNative(u"INSERT INTO temp.Legacy VALUES ('5', 145.5, 'FM', 1, "
                                     u"'TOWER', 40), ('042', 0.53, 'AM', 0, NULL, NULL), ('999', "
                                     u"NULL, NULL, NULL, 'EMPTY', NULL)"_s));
        QString error;
        QVERIFY2(WriteDbaseTable(engine, u"temp.Legacy"_s, path, error), qPrintable(error));
    }
    const QByteArray original = ReadBytes(path);
    {
        TDataModule1 module(home.Dir.path());
        QVERIFY2(module.DataModule1Create(), qPrintable(module.LastError()));
        TTableView& view = module.MemQuery1();
        QCOMPARE(view.RecordCount(), 1000);
        QCOMPARE(module.LocateMemory(u"005"_s), TLocateResult::Found);
        QCOMPARE(view.Value(u"FREQ"), QVariant(145.5));
        QCOMPARE(view.Value(u"PASS"), QVariant(true));
        QCOMPARE(view.Value(u"TEXT").toString(), u"TOWER"_s);
        QCOMPARE(view.Value(u"SQUELCH").toInt(), 40);
        QCOMPARE(module.LocateMemory(u"042"_s), TLocateResult::Found);
        QCOMPARE(view.Value(u"PASS"), QVariant(false));
        QVERIFY(view.Value(u"SQUELCH").isNull());
        QCOMPARE(module.LocateMemory(u"999"_s), TLocateResult::Found);
        QVERIFY(view.Value(u"FREQ").isNull());
        QCOMPARE(view.Value(u"TEXT").toString(), u"EMPTY"_s);
    }
    QCOMPARE(ReadBytes(path + u".legacy"_s), original);
    // Converted once: the next start finds a table of its own.
    TDataModule1 again(home.Dir.path());
    QVERIFY(again.DataModule1Create());
    QVERIFY(!QFileInfo::exists(path + u".legacy2"_s));
    const QStringList leftovers =
        QDir(home.Dir.path()).entryList(QDir::Hidden | QDir::Files).filter(u"ing-"_s);
    QVERIFY2(leftovers.isEmpty(), qPrintable(leftovers.join(u' ')));
}

void TestDataModule::rebuildIndexes() {
    TModuleFixture f;
    QVERIFY(f.Create());
    QVERIFY(f.Module.Engine().ExecuteNative(u"DROP INDEX \"MemoryBank0\".\"MEM\""_s));
    QVERIFY2(f.Module.RebuildIndexes(), qPrintable(f.Module.LastError()));
    QVERIFY(f.View().Active());
    QCOMPARE(f.Module.Engine()
                 .QueryValueNative(u"SELECT count(*) FROM \"MemoryBank0\".sqlite_master WHERE "
                                   u"type = 'index' AND name = 'MEM'"_s)
                 ->toInt(),
             1);
}

void TestDataModule::saveAndOpenTable() {
    TModuleFixture f;
    QVERIFY(f.Create());
    QVERIFY(f.Module.Q1(u"UPDATE MemoryBank0.dbf SET FREQ = 100 + MEM, TEXT = 'S' || MEM, "
                        u"SELSCAN = TRUE WHERE MEM < '010'"_s));
    QVERIFY(QDir(f.Home.Dir.path()).mkpath(u"data"_s));
    const QString saved = f.Home.Path(u"data/Saved.dbf"_s);
    QVERIFY2(f.Module.SaveTableAs(saved), qPrintable(f.Module.LastError()));
    QVERIFY(LooksLikeDbase(saved));
    QVERIFY(f.Module.Q1(u"UPDATE MemoryBank0.dbf SET FREQ = NULL, TEXT = NULL, SELSCAN = NULL"_s));
    QVERIFY2(f.Module.OpenTable(saved), qPrintable(f.Module.LastError()));
    QCOMPARE(f.Count(u"FREQ = 100 + MEM AND TEXT = 'S' || MEM AND SELSCAN = TRUE"_s), 10);
    QCOMPARE(f.Count(u"CHANGED = TRUE"_s), 10);
    QCOMPARE(f.Count(u"CHANGED IS NULL AND FREQ IS NULL"_s), 990);
    QVERIFY(f.View().Active());
    QCOMPARE(f.View().Sql(), u"SELECT * FROM MemoryBank0.dbf"_s);
    // The bank file itself is no dBASE table.
    QVERIFY(!f.Module.OpenTable(f.Home.Path(u"MemoryBank1.dbf"_s)));
    QVERIFY(f.Module.LastError().contains(u"MemoryBank1.dbf"_s));
}

void TestDataModule::readInKeepsReplacedRows() {
    TModuleFixture f;
    QVERIFY(f.Create());
    QVERIFY(f.Module.Q1(u"UPDATE MemoryBank0.dbf SET TEXT = 'WAS' || MEM WHERE MEM < '200'"_s));
    TTableEngine& engine = f.Module.Engine();
    QVERIFY(engine.ExecuteNative(u"CREATE TEMP TABLE Kv7 AS SELECT * FROM \"MemoryBank0\".\"dbf\" "
                                 u"WHERE MEM BETWEEN '100' AND '149'"_s));
    QVERIFY(engine.ExecuteNative(u"UPDATE temp.Kv7 SET FREQ = 433.1, TEXT = 'NEW', CHANGED = "
                                 u"FALSE"_s));
    QVERIFY2(f.Module.UpdateBankFrom(u"temp.Kv7"_s), qPrintable(f.Module.LastError()));
    QCOMPARE(f.Count(u"TEXT = 'NEW' AND CHANGED = TRUE"_s), 50);
    QCOMPARE(f.Count(u"CHANGED = TRUE"_s), 50);
    QCOMPARE(engine
                 .QueryValue(u"SELECT count(*) FROM Changed.dbf WHERE TEXT = 'WAS' || MEM AND "
                             u"MEM BETWEEN '100' AND '149'"_s)
                 ->toInt(),
             50);
    QCOMPARE(f.View().RecordCount(), 1000);
}

void TestDataModule::resetChangedFlags() {
    TModuleFixture f;
    QVERIFY(f.Create());
    QVERIFY(f.Module.Q1(u"UPDATE MemoryBank0.dbf SET CHANGED = TRUE, FREQ = 1"_s));
    f.Reopen();
    QVERIFY(f.Module.ResetChangedFlags());
    QCOMPARE(f.Count(u"CHANGED IS NULL"_s), 1000);
    QVERIFY(!f.Module.ProgrammaticEdit);
    QVERIFY(f.Module.Q1(u"UPDATE MemoryBank0.dbf SET SELSCAN = TRUE"_s));
    QVERIFY(f.Module.ClearSelectScanFlags());
    QCOMPARE(f.Count(u"SELSCAN = FALSE"_s), 1000);
    QCOMPARE(f.View().Value(u"SELSCAN"), QVariant(false));
    // What the grid shows.
    TTableModel& grid = f.Module.DataSource1();
    QCOMPARE(grid.data(grid.index(0, f.View().FieldIndex(u"FREQ"))).toString(), u"1.000000"_s);
    QVERIFY(
        f.Module.Q1(u"UPDATE MemoryBank0.dbf SET FREQ = 0.01, PASS = TRUE WHERE MEM = '000'"_s));
    f.Reopen();
    QCOMPARE(grid.data(grid.index(0, f.View().FieldIndex(u"FREQ"))).toString(), u".010000"_s);
    QCOMPARE(grid.data(grid.index(0, f.View().FieldIndex(u"PASS"))).toString(), u"Y"_s);
    QCOMPARE(grid.data(grid.index(0, f.View().FieldIndex(u"SELSCAN"))).toString(), QString());
}

QTEST_GUILESS_MAIN(TestDataModule)
#include "tst_datamodule.moc"
