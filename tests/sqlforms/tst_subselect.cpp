// The statements the builder pages compose, run against real tables, and the two stores of saved
// builder settings.
#include "log/LogFixture.h"
#include "memory/MemoryFixture.h"

#include "BankTable.h"
#include "IniFile.h"
#include "SavedSelections.h"
#include "SubSelectBuilder.h"
#include "TableEngine.h"
#include "TableView.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TSubSelectChoices)

namespace {

// "FIELD|OP|VALUE" for each row; fewer than three rows leave the rest empty.
TSubSelectChoices Choices(const QStringList& rows, const QString& connectors = u"AND|AND"_s,
                          const QString& mode = {}, const QString& category = {},
                          const QString& order = u"MEM"_s) {
    TSubSelectChoices c;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const QStringList parts = rows[r].split(u'|');
        c.Rows[static_cast<std::size_t>(r)] = {parts.value(0), parts.value(1), parts.value(2)};
    }
    const QStringList bools = connectors.split(u'|');
    c.Connectors = {bools.value(0), bools.value(1)};
    c.Mode = mode;
    c.CategoryId = category;
    c.OrderBy = order;
    return c;
}

// A bank table whose channel n holds `text` n and frequency 100 + n.
struct TBankFixture {
    TMemoryHome Home;
    TTableEngine Engine{Home.Dir.path()};
    TBankFixture() {
        QString error;
        if (!CreateBankTable(Engine, Home.Path(u"MemoryBank0.dbf"_s), error) ||
            !Engine.Execute(u"UPDATE MemoryBank0.dbf SET FREQ = 100 + CAST(MEM AS INTEGER), "
                            u"TEXT = 'CH' || MEM, MODE = 'FM'"_s))
            qFatal("bank: %s", qPrintable(error + Engine.LastError()));
    }
    int Rows(const QString& sql) {
        TTableView view(Engine);
        view.SetSql(sql);
        if (!view.Open())
            qFatal("%s: %s", qPrintable(sql), qPrintable(view.LastError()));
        return view.RecordCount();
    }
};

} // namespace

class TestSubSelect : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void statements_data();
    void statements();
    void freqMustBeANumber();
    void builtStatementsFindTheirRows();
    void valuesStayValues();
    void savedSettings_data();
    void savedSettings();
    void settingsFileKeysAndNames();
};

void TestSubSelect::initTestCase() {
    // Dates and times are read in the user's formats; these tests pin them.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
}

void TestSubSelect::statements_data() {
    QTest::addColumn<bool>("log");
    QTest::addColumn<TSubSelectChoices>("choices");
    QTest::addColumn<QString>("expected");
    const QString mem = u"SELECT * FROM MemoryBank0.dbf"_s;
    const QString log = u"SELECT * FROM \"Log_Kv7.DB\""_s;

    QTest::newRow("two MEM rows") << false
                                  << Choices({u"MEM|>=|100"_s, u"MEM|<|200"_s}, u"AND|AND"_s, {},
                                             {}, u"FREQ"_s)
                                  << mem + u" WHERE ((((MEM >= \"100\") AND (MEM < \"200\")))) "
                                           u"ORDER BY FREQ"_s;
    QTest::newRow("MEM padded") << false << Choices({u"MEM|=|5"_s})
                                << mem + u" WHERE ((((MEM = \"005\")))) ORDER BY MEM"_s;
    QTest::newRow("LIKE wrapped, upper case")
        << false << Choices({u"TEXT|LIKE|air"_s})
        << mem + u" WHERE ((((TEXT LIKE \"%AIR%\")))) ORDER BY MEM"_s;
    QTest::newRow("rows 2 and 3 with mode")
        << false
        << Choices({{}, u"FREQ|>|145"_s, u"TEXT|=|x"_s}, u"AND|OR"_s, u"AM"_s, {}, u"FREQ DESC"_s)
        << mem + u" WHERE (((FREQ > \"145\") OR (TEXT = \"X\")) AND (MODE = \"AM\")) ORDER BY "
                 u"FREQ DESC"_s;
    QTest::newRow("row without operator does not count")
        << false << Choices({u"FREQ||5"_s}, u"AND|AND"_s, u"FM"_s)
        << mem + u" WHERE (MODE = \"FM\") ORDER BY MEM"_s;
    QTest::newRow("nothing chosen") << false << Choices({}) << mem + u" ORDER BY MEM"_s;
    QTest::newRow("double quote doubled")
        << false << Choices({u"TEXT|=|a\"b"_s})
        << mem + u" WHERE ((((TEXT = \"A\"\"B\")))) ORDER BY MEM"_s;
    QTest::newRow("log mode and category")
        << true << Choices({}, u"AND|AND"_s, u"FM"_s, u"4"_s, u"ID"_s)
        << log + u" WHERE ((MODE = \"FM\") AND (CategoryID = \"4\")) ORDER BY ID"_s;
    QTest::newRow("log category only") << true << Choices({}, u"AND|AND"_s, {}, u"2"_s, u"ID"_s)
                                       << log + u" WHERE (CategoryID = \"2\") ORDER BY ID"_s;
    QTest::newRow("log all five")
        << true
        << Choices({u"FREQ|>|100"_s, u"NOTES|LIKE|x"_s, u"FREQ|<|200"_s}, u"OR|AND NOT"_s, u"FM"_s,
                   u"1"_s, u"SIGNAL DESC"_s)
        << log + u" WHERE (((((FREQ > \"100\") OR (NOTES LIKE \"%X%\")) AND NOT (FREQ < "
                 u"\"200\")) AND (MODE = \"FM\")) AND (CategoryID = \"1\")) ORDER BY SIGNAL DESC"_s;
    QTest::newRow("log row 3 and category")
        << true << Choices({{}, {}, u"FREQ|<|100"_s}, u"AND|AND"_s, {}, u"2"_s, u"ID"_s)
        << log + u" WHERE (((FREQ < \"100\")) AND (CategoryID = \"2\")) ORDER BY ID"_s;
    QTest::newRow("log date and time in the user's formats")
        << true
        << Choices({u"LOGDATE|=|25/12/2024"_s, u"LOGTIME|>|7:05:09"_s}, u"AND|AND"_s, {}, {},
                   u"ID"_s)
        << log + u" WHERE (((((LOGDATE = \"12/25/2024\") AND (LOGTIME > \"07:05:09\"))))) "
                 u"ORDER BY ID"_s;
}

void TestSubSelect::statements() {
    QFETCH(bool, log);
    QFETCH(TSubSelectChoices, choices);
    QFETCH(QString, expected);
    const TSubSelectStatement built =
        log ? BuildSubSelect(LogSubSelect(), u"Log_Kv7.DB"_s, choices)
            : BuildSubSelect(MemorySubSelect(), u"MemoryBank0.dbf"_s, choices);
    QCOMPARE(built.Error, QString());
    QCOMPARE(built.Sql, expected);
}

void TestSubSelect::freqMustBeANumber() {
    // The first FREQ row holding something that is not a number stops the build, even after a
    // FREQ row that is fine and even when its operator is not chosen.
    const TSubSelectStatement built =
        BuildSubSelect(MemorySubSelect(), u"MemoryBank0.dbf"_s,
                       Choices({u"FREQ|>|145.5"_s, u"FREQ||1o0"_s, u"FREQ|<|zz"_s}));
    QCOMPARE(built.Sql, QString());
    QCOMPARE(built.Error, u"1O0 Is not a floating point value"_s);
    QVERIFY(BuildSubSelect(MemorySubSelect(), u"MemoryBank0.dbf"_s, Choices({u"FREQ|=|"_s}))
                .Error.isEmpty());
}

void TestSubSelect::builtStatementsFindTheirRows() {
    TBankFixture bank;
    const auto rows = [&bank](const TSubSelectChoices& choices) {
        const TSubSelectStatement built =
            BuildSubSelect(MemorySubSelect(), u"MemoryBank0.dbf"_s, choices);
        return bank.Rows(built.Sql);
    };
    QCOMPARE(rows(Choices({u"MEM|>=|100"_s, u"MEM|<|200"_s}, u"AND|AND"_s, {}, {}, u"FREQ"_s)),
             100);
    QCOMPARE(rows(Choices({u"MEM|=|5"_s})), 1);
    QCOMPARE(rows(Choices({u"TEXT|LIKE|ch00"_s})), 10);
    QCOMPARE(rows(Choices({u"FREQ|<|110"_s, u"MEM|>|004"_s}, u"AND NOT|AND"_s, u"FM"_s)), 5);
}

void TestSubSelect::valuesStayValues() {
    TBankFixture bank;
    QVERIFY(
        bank.Engine.Execute(u"UPDATE MemoryBank0.dbf SET TEXT = 'SAY \"HI\"' WHERE MEM = '007'"_s));
    const auto built = [](const QString& op, const QString& value) {
        return BuildSubSelect(MemorySubSelect(), u"MemoryBank0.dbf"_s,
                              Choices({u"TEXT|"_s + op + u'|' + value}))
            .Sql;
    };
    QCOMPARE(bank.Rows(built(u"="_s, u"say \"hi\""_s)), 1);
    QCOMPARE(bank.Rows(built(u"LIKE"_s, u"\"HI\""_s)), 1);
    // Text that would close the literal and widen the condition stays part of the value.
    QCOMPARE(bank.Rows(built(u"="_s, u"x\") OR (\"1\" = \"1"_s)), 0);
    QCOMPARE(bank.Rows(built(u"="_s, u"x' OR '1' = '1"_s)), 0);
}

void TestSubSelect::savedSettings_data() {
    QTest::addColumn<bool>("table");
    QTest::newRow("settings file") << false;
    QTest::newRow("sub-selects table") << true;
}

void TestSubSelect::savedSettings() {
    QFETCH(bool, table);
    TLogFixture log;
    const QString subSelects = SubSelectsFileFor(log.LogPath);
    std::unique_ptr<TSavedSelections> saved;
    if (table) {
        auto store = std::make_unique<TTableSelections>(log.Engine, subSelects);
        QVERIFY2(store->Ready(), qPrintable(store->LastError()));
        QVERIFY(QFileInfo::exists(subSelects));
        saved = std::move(store);
    } else {
        saved = std::make_unique<TIniSelections>(log.Dir.filePath(u"Kv7SQL.ini"_s));
    }

    TSavedSelection first;
    first.Fields = {1, 2, -1};
    first.Operators = {4, 7, -1};
    first.Values = {u"145.5"_s, u"AIR"_s, {}};
    first.Connectors = {u"OR"_s, u"AND NOT"_s};
    first.OrderBy = 3;
    first.Mode = 2;
    first.CategoryId = table ? u"4"_s : QString();
    TSavedSelection second = first;
    second.Values[0] = u"7"_s;
    second.Connectors[0] = u"AND"_s;

    const auto same = [](const TSavedSelection& a, const TSavedSelection& b) {
        return a.Fields == b.Fields && a.Operators == b.Operators && a.Values == b.Values &&
               a.Connectors == b.Connectors && a.OrderBy == b.OrderBy && a.Mode == b.Mode &&
               a.CategoryId == b.CategoryId;
    };
    QVERIFY2(saved->Store(u"Zulu"_s, first), qPrintable(saved->LastError()));
    QVERIFY(saved->Store(u"Alpha"_s, second));
    QVERIFY(same(*saved->Load(u"Zulu"_s), first));
    QVERIFY(same(*saved->Load(u"Alpha"_s), second));
    QVERIFY(!saved->Load(u"None"_s));

    // Storing under an existing name writes over it rather than adding a second.
    QVERIFY(saved->Store(u"Zulu"_s, second));
    QVERIFY(same(*saved->Load(u"Zulu"_s), second));
    QStringList names = saved->Names();
    names.sort();
    QCOMPARE(names, (QStringList{u"Alpha"_s, u"Zulu"_s}));

    QVERIFY(saved->Rename(u"Zulu"_s, u"Zulu"_s));
    QVERIFY(same(*saved->Load(u"Zulu"_s), second));
    QVERIFY(saved->Rename(u"Zulu"_s, u"Yankee"_s));
    QVERIFY(!saved->Load(u"Zulu"_s));
    QVERIFY(same(*saved->Load(u"Yankee"_s), second));

    QVERIFY(saved->Remove(u"Alpha"_s));
    QCOMPARE(saved->Names(), QStringList{u"Yankee"_s});
    // The settings file takes names without regard to letter case; the table does not.
    QVERIFY(saved->Store(u"YANKEE"_s, first));
    QCOMPARE(saved->Names().size(), table ? 2 : 1);
    QVERIFY(same(*saved->Load(u"YANKEE"_s), first));
    QVERIFY(saved->Remove(u"YANKEE"_s));
    QCOMPARE(saved->Names().size(), table ? 1 : 0);
    if (!table)
        QVERIFY(saved->Store(u"Yankee"_s, second));
    if (table) {
        QCOMPARE(log.Query(u"SELECT count(*) FROM "_s + QuoteFileName(subSelects)).toInt(), 1);
        // The names the table keeps are cut by the window; what the table can hold it takes.
        QCOMPARE(saved->NameLength(), 16);
        QVERIFY(saved->Store(u"a=b [c]"_s, first));
        QVERIFY(same(*saved->Load(u"a=b [c]"_s), first));
    } else {
        for (const QString& hostile : {u"[x]"_s, u"a=b"_s, u"x]"_s}) {
            QVERIFY(!saved->Store(hostile, first));
            QCOMPARE(saved->LastError(), QString::fromLatin1(kSavedNameRefusedText));
        }
        QCOMPARE(saved->Names(), QStringList{u"Yankee"_s});
    }
}

void TestSubSelect::settingsFileKeysAndNames() {
    // The file keeps one key per control, by the control's name, and list positions as numbers;
    // a list the file says nothing of is left without a choice.
    TMemoryHome home;
    const QString file = home.Path(u"Kv7SQL.ini"_s);
    {
        TIniFile ini(file);
        QVERIFY(ini.WriteInteger(u"Old"_s, u"FieldComboBox1"_s, 2));
        QVERIFY(ini.WriteInteger(u"Old"_s, u"BoolComboBox1"_s, 1));
        QVERIFY(ini.WriteString(u"Old"_s, u"SqlEdit1"_s, u"ABC"_s));
    }
    TIniSelections saved(file);
    const auto old = saved.Load(u"Old"_s);
    QVERIFY(old);
    QCOMPARE(old->Fields, (std::array<int, 3>{2, -1, -1}));
    QCOMPARE(old->Connectors[0], u"OR"_s);
    QCOMPARE(old->Connectors[1], QString());
    QCOMPARE(old->Mode, -1);
    QCOMPARE(old->Values[0], u"ABC"_s);

    TSavedSelection s;
    s.Fields = {3, 0, 0};
    s.Connectors = {u"AND NOT"_s, u"AND"_s};
    s.Mode = 5;
    QVERIFY(saved.Store(u"New"_s, s));
    const TIniFile ini(file);
    QCOMPARE(
        ini.ReadSection(u"New"_s),
        (QStringList{u"FieldComboBox1"_s, u"OperatorComboBox1"_s, u"SqlEdit1"_s,
                     u"FieldComboBox2"_s, u"OperatorComboBox2"_s, u"SqlEdit2"_s,
                     u"FieldComboBox3"_s, u"OperatorComboBox3"_s, u"SqlEdit3"_s, u"BoolComboBox1"_s,
                     u"BoolComboBox2"_s, u"OrderByComboBox"_s, u"ModeComboBox"_s}));
    QCOMPARE(ini.ReadInteger(u"New"_s, u"BoolComboBox1"_s, -9), 2);
    QCOMPARE(ini.ReadInteger(u"New"_s, u"ModeComboBox"_s, -9), 5);
}

QTEST_GUILESS_MAIN(TestSubSelect)
#include "tst_subselect.moc"
