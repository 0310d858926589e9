// The Kv7 text database: records, schema, read-in into a bank table, renumbering and the
// open dialog's summary.
#include "memory/BankFixture.h"

#include "DataUnit1.h"
#include "Kv7Bank.h"
#include "Kv7File.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A record as a line: fields given by name, the rest blank.
QByteArray Line(const QList<std::pair<const char*, QVariant>>& fields) {
    TKv7Values values;
    for (const auto& [name, value] : fields)
        values[static_cast<std::size_t>(Kv7FieldIndex(QString::fromLatin1(name)))] = value;
    return FormatKv7Record(values);
}

QByteArray Lines(const QList<QByteArray>& lines) {
    QByteArray bytes;
    for (const QByteArray& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

// Records for channels first.., each with a frequency and a text naming it.
QList<QByteArray> Channels(int first, int count) {
    QList<QByteArray> lines;
    for (int n = first; n < first + count; ++n)
        lines << Line({{"MEM", FormatMemNumber(n)},
                       {"FREQ", 100.0 + n / 1000.0},
                       {"TEXT", u"CH"_s + QString::number(n)},
                       {"SQUELCH", n % 256}});
    return lines;
}

struct TBankFixture : TBankTableFixture {
    // A Kv7 file with its schema in the program folder.
    QString Kv7(const QString& name, const QByteArray& bytes) {
        const QString path = Home.Path(name);
        QString error;
        if (!WriteBytes(path, bytes) || !WriteKv7Schema(path, error))
            qFatal("cannot write %s %s", qPrintable(path), qPrintable(error));
        return path;
    }
};

} // namespace

class TestKv7 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void recordLayout();
    void parseLine_data();
    void parseLine();
    void schemaFile();
    void roundTripOfAwkwardTexts();
    void readInReplacesOnlyItsChannels();
    void damagedFiles_data();
    void damagedFiles();
    void failedExportKeepsTheOldFile();
    void relocation_data();
    void relocation();
    void relocationRefusesTheSameFile();
    void preview_data();
    void preview();
};

void TestKv7::recordLayout() {
    const QByteArray line = Line({{"MEM", u"007"_s},
                                  {"FREQ", 145.5},
                                  {"MODE", u"FM"_s},
                                  {"BW", u"15"_s},
                                  {"LP", u"12"_s},
                                  {"HP", u"0.05"_s},
                                  {"DM", u"Thru"_s},
                                  {"AGC", u"Fast"_s},
                                  {"STEP", u"12.500"_s},
                                  {"SSTEP", u"Main"_s},
                                  {"ATN", u"Auto"_s},
                                  {"ANT", u"1"_s},
                                  {"STADJ", true},
                                  {"PASS", false},
                                  {"TEXT", u"Tower"_s},
                                  {"CHANGED", true},
                                  {"SQUELCH", 128}});
    QCOMPARE(line, QByteArray("007          145.500000FM 15 120.05ThruFast12.500 Main "
                              "Auto1   TF Tower   T   128"));
    QCOMPARE(line.size(), kKv7RecordWidth);
    // A blank channel: only its number.
    QCOMPARE(Line({{"MEM", u"999"_s}}), QByteArray("999") + QByteArray(78, ' '));
}

void TestKv7::parseLine_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value"); // invalid: Null
    QTest::addColumn<QString>("error");  // part of the refusal; empty when the line is a record

    const QByteArray base = Line({{"MEM", u"042"_s}, {"FREQ", 433.075}, {"TEXT", u"Repeater"_s}});
    auto with = [&](int offset, const QByteArray& bytes) {
        QByteArray line = base;
        return line.replace(offset, bytes.size(), bytes);
    };
    QTest::newRow("plain") << base << u"FREQ"_s << QVariant(433.075) << QString();
    QTest::newRow("freq with leading zeros")
        << with(3, "0000000000433.075000") << u"FREQ"_s << QVariant(433.075) << QString();
    QTest::newRow("freq left-aligned")
        << with(3, "433.075             ") << u"FREQ"_s << QVariant(433.075) << QString();
    QTest::newRow("short line: blanks are Null")
        << base.left(30) << u"TEXT"_s << QVariant() << QString();
    QTest::newRow("line end trimmed of blanks")
        << base.left(70) << u"TEXT"_s << QVariant(u"Repe"_s) << QString();
    QTest::newRow("Windows-1252 byte")
        << with(66, "\x80uro") << u"TEXT"_s << QVariant(u"\u20acuroater"_s) << QString();
    QTest::newRow("flag in lower case")
        << with(64, "t") << u"PASS"_s << QVariant(true) << QString();
    QTest::newRow("letters in FREQ") << with(3, "         145.5OO0000") << u"FREQ"_s << QVariant()
                                     << u"FREQ \"145.5OO0000\" is not a number"_s;
    QTest::newRow("FREQ out of range")
        << with(3, "         2600.000001") << u"FREQ"_s << QVariant() << u"out of range"_s;
    QTest::newRow("MEM not three digits")
        << with(0, " 42") << u"MEM"_s << QVariant() << u"MEM \"42\" is not three digits"_s;
    QTest::newRow("MEM with a letter")
        << with(0, "4x2") << u"MEM"_s << QVariant() << u"not three digits"_s;
    QTest::newRow("flag neither T nor F")
        << with(63, "Y") << u"STADJ"_s << QVariant() << u"STADJ \"Y\" is neither T nor F"_s;
    QTest::newRow("squelch above 255")
        << with(75, "   256") << u"SQUELCH"_s << QVariant() << u"SQUELCH \"256\""_s;
    QTest::newRow("line too long")
        << base + "X" << u"MEM"_s << QVariant() << u"the line is 82 characters long"_s;
}

void TestKv7::parseLine() {
    QFETCH(QByteArray, line);
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(QString, error);
    const TKv7Parsed parsed = ParseKv7Record(line);
    if (!error.isEmpty()) {
        QVERIFY2(parsed.Error.contains(error), qPrintable(parsed.Error));
        return;
    }
    QVERIFY2(parsed.Ok(), qPrintable(parsed.Error));
    QCOMPARE(parsed.Values[0], QVariant(u"042"_s));
    const QVariant got = parsed.Values[static_cast<std::size_t>(Kv7FieldIndex(field))];
    QCOMPARE(got.isNull(), !value.isValid());
    if (value.isValid())
        QCOMPARE(got, value);
}

void TestKv7::schemaFile() {
    TMemoryHome home;
    const QString kv7 = home.Path(u"Scanners.Kv7"_s);
    QString error;
    QVERIFY(WriteKv7Schema(kv7, error));
    const QString schema = home.Path(u"Scanners.SCH"_s);
    QCOMPARE(Kv7SchemaPath(kv7), schema);
    const QByteArray text = ReadBytes(schema);
    QVERIFY(text.startsWith("[Scanners]\r\nFiletype=Fixed\r\nCharSet=ascii\r\n"
                            "Field1=MEM,Char,03,00,00\r\nField2=FREQ,Float,20,06,03\r\n"));
    QVERIFY(text.endsWith("\r\nField17=CHANGED,Bool,01,00,74\r\nField18=SQUELCH,Number,06,00,75"));
    QCOMPARE(text.count("\r\n"), 20);
    QVERIFY2(CheckKv7Schema(kv7, error), qPrintable(error));

    // A schema of another layout is refused, naming what it lacks.
    QVERIFY(WriteBytes(schema,
                       QByteArray(text).replace("Field16=TEXT,Char,08", "Field16=TEXT,Char,09")));
    QVERIFY(!CheckKv7Schema(kv7, error));
    QVERIFY2(error.contains(u"FIELD16=TEXT,CHAR,8,0,66"_s), qPrintable(error));
    QVERIFY(WriteBytes(schema, text + "\r\nField19=EXTRA,Char,01,00,81"));
    QVERIFY(!CheckKv7Schema(kv7, error));
}

void TestKv7::roundTripOfAwkwardTexts() {
    TBankFixture f;
    // Texts that break a careless writer: separators, quotes, characters beyond ASCII, line
    // breaks, full and over-full widths.
    const QList<QList<QVariant>> rows = {
        // MEM, FREQ, MODE, STEP, TEXT, STADJ, SQUELCH, written TEXT as read back
        {u"000"_s, 0.01, u"FM"_s, u"999.000"_s, u"a,b\"c'd"_s, true, 0, u"a,b\"c'd"_s},
        {u"001"_s, 2600.0, u"sAH"_s, u"0.001"_s, u"Éé€ñ"_s, false, 255, u"Éé€ñ"_s},
        {u"002"_s, 145.123456, u"USB"_s, u"12.500"_s, u"12345678"_s, QVariant(), QVariant(),
         u"12345678"_s},
        {u"003"_s, 1.5, u"CW"_s, u"5.000"_s, u"TooLongText"_s, true, 17, u"TooLongT"_s},
        {u"004"_s, 7.05, u"AM"_s, QVariant(), u"two\r\nlines"_s, false, 9, u"two  lin"_s},
        {u"005"_s, 30.0, u"LSB"_s, u"1.000"_s, u"\u03c0 \U0001F4E1x"_s, true, 1, u"? ?x"_s},
        {u"006"_s, QVariant(), QVariant(), QVariant(), u" lead"_s, QVariant(), QVariant(),
         u" lead"_s},
    };
    for (const QList<QVariant>& row : rows)
        QVERIFY2(f.Module.Engine().Execute(
                     u"UPDATE MemoryBank0.dbf SET FREQ = ?, MODE = ?, STEP = ?, TEXT = ?, "
                     u"STADJ = ?, SQUELCH = ?, LP = '12', ATN = 'Auto', CHANGED = TRUE "
                     u"WHERE MEM = ?"_s,
                     {row[1], row[2], row[3], row[4], row[5], row[6], row[0]}),
                 qPrintable(f.Module.Engine().LastError()));
    QVERIFY(f.Module.ReopenMemoryView(u"SELECT * FROM MemoryBank0.dbf WHERE MEM < '007'"_s));
    const QString path = f.Home.Path(u"awkward.Kv7"_s);
    QString error;
    QVERIFY2(ExportKv7(f.Module.MemQuery1(), path, error), qPrintable(error));
    const QList<QByteArray> lines = ReadBytes(path).split('\n');
    QCOMPARE(lines.size(), rows.size() + 1);
    for (qsizetype i = 0; i < rows.size(); ++i)
        QCOMPARE(lines[i].size(), kKv7RecordWidth + 1); // with its CR

    QVERIFY(f.Module.BlankChannels(u"000"_s, u"999"_s));
    const TKv7ReadIn result = ReadKv7IntoBank(f.Module, path);
    QVERIFY2(result.Ok(), qPrintable(result.Error));
    QCOMPARE(result.Replaced, int(rows.size()));
    QVERIFY(result.Skipped.isEmpty());
    for (const QList<QVariant>& row : rows) {
        const QString mem = row[0].toString();
        auto stored = [&](const char* field) {
            return f.Module.Engine()
                .QueryValue(u"SELECT "_s + QLatin1StringView(field) +
                                u" FROM MemoryBank0.dbf WHERE MEM = ?"_s,
                            {mem})
                .value_or(u"<error>"_s);
        };
        QCOMPARE(stored("FREQ").isNull(), row[1].isNull());
        if (!row[1].isNull())
            QCOMPARE(stored("FREQ").toDouble(), row[1].toDouble());
        QCOMPARE(stored("MODE").toString(), row[2].toString());
        QCOMPARE(stored("STEP").toString(), row[3].toString());
        QCOMPARE(stored("TEXT").toString(), row[7].toString());
        QCOMPARE(stored("STADJ").isNull(), row[5].isNull());
        QCOMPARE(stored("STADJ").toBool(), row[5].toBool());
        QCOMPARE(stored("SQUELCH").isNull(), row[6].isNull());
        QCOMPARE(stored("SQUELCH").toInt(), row[6].toInt());
        QCOMPARE(stored("LP").toString(), u"12"_s);
        QCOMPARE(stored("ATN").toString(), u"Auto"_s);
        QVERIFY(stored("HP").isNull());
        QCOMPARE(stored("CHANGED").toBool(), true);
    }
}

void TestKv7::readInReplacesOnlyItsChannels() {
    TBankFixture f;
    QVERIFY(f.Module.Q1(u"UPDATE MemoryBank0.dbf SET FREQ = 50, TEXT = 'OLD', CHANGED = FALSE"_s));
    const QString path = f.Kv7(u"hundred.Kv7"_s, Lines(Channels(100, 50)));
    const TKv7ReadIn result = ReadKv7IntoBank(f.Module, path);
    QVERIFY2(result.Ok(), qPrintable(result.Error));
    QCOMPARE(result.Replaced, 50);
    QCOMPARE(f.Count(u"TEXT = 'CH' || CAST(MEM AS INTEGER) AND MEM BETWEEN '100' AND '149' AND "
                     u"CHANGED = TRUE"_s),
             50);
    QCOMPARE(f.Count(u"CHANGED = TRUE"_s), 50);
    QCOMPARE(f.Count(u"TEXT = 'OLD' AND FREQ = 50 AND CHANGED = FALSE"_s), 950);
    // What was replaced is kept.
    QCOMPARE(f.Module.Engine()
                 .QueryValue(u"SELECT count(*) FROM Changed.dbf WHERE TEXT = 'OLD'"_s)
                 .value_or(-1)
                 .toInt(),
             50);
    QCOMPARE(f.Module.MemQuery1().Sql(), u"SELECT * FROM MemoryBank0.dbf"_s);

    // A channel given twice ends with its later record.
    const QString twice =
        f.Kv7(u"twice.Kv7"_s, Lines({Line({{"MEM", u"500"_s}, {"TEXT", u"FIRST"_s}}),
                                     Line({{"MEM", u"500"_s}, {"TEXT", u"SECOND"_s}})}));
    QVERIFY(ReadKv7IntoBank(f.Module, twice).Ok());
    QCOMPARE(f.Count(u"MEM = '500' AND TEXT = 'SECOND' AND FREQ IS NULL"_s), 1);
}

void TestKv7::damagedFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("schema"); // "-": none; empty: the right one
    QTest::addColumn<int>("stored");        // -1: the file is refused whole
    QTest::addColumn<QStringList>("skipped");
    QTest::addColumn<QString>("error");

    const QList<QByteArray> good = Channels(200, 3);
    QTest::newRow("bad records skipped and counted")
        << Lines({good[0], QByteArray(good[1]).replace(10, 3, "abc"), good[2],
                  QByteArray(good[0]).replace(0, 3, "2O0"), good[1] + "   "})
        << QByteArray() << 2
        << QStringList{u"line 2: FREQ"_s, u"line 4: MEM \"2O0\""_s,
                       u"line 5: the line is 84 characters long"_s}
        << QString();
    QTest::newRow("cut short at the end")
        << Lines({good[0], good[1]}) + good[2].left(40) << QByteArray() << 2
        << QStringList{u"line 3: cut short at the end of the file"_s} << QString();
    QTest::newRow("no schema") << Lines(good) << QByteArray("-") << -1 << QStringList()
                               << u"No schema file for this table"_s;
    QTest::newRow("schema of another layout")
        << Lines(good) << QByteArray("[x]\r\nFiletype=Fixed\r\nField1=MEM,Char,04,00,00") << -1
        << QStringList() << u"the schema does not describe a Kv7 table"_s;
    QTest::newRow("binary file") << QByteArray("SQLite format 3\0\x10\x00", 19) + Lines(good)
                                 << QByteArray() << -1 << QStringList() << u"binary data"_s;
    QTest::newRow("not a Kv7 file")
        << QByteArray("Freq,Mode,BW\r\n145.5,FM,15\r\n") << QByteArray() << -1 << QStringList()
        << u"not a Kv7 text database (no line holds a record"_s;
}

void TestKv7::damagedFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, schema);
    QFETCH(int, stored);
    QFETCH(QStringList, skipped);
    QFETCH(QString, error);
    TBankFixture f;
    QVERIFY(f.Module.Q1(u"UPDATE MemoryBank0.dbf SET FREQ = 50, TEXT = 'OLD'"_s));
    const QString before = f.Snapshot();
    const QString path = f.Kv7(u"damaged.Kv7"_s, bytes);
    if (schema == "-")
        QVERIFY(QFile::remove(Kv7SchemaPath(path)));
    else if (!schema.isEmpty())
        QVERIFY(WriteBytes(Kv7SchemaPath(path), schema));

    const TKv7ReadIn result = ReadKv7IntoBank(f.Module, path);
    if (stored < 0) {
        QVERIFY2(result.Error.contains(error), qPrintable(result.Error));
        QCOMPARE(f.Snapshot(), before);
        return;
    }
    QVERIFY2(result.Ok(), qPrintable(result.Error));
    QCOMPARE(result.Replaced, stored);
    QCOMPARE(result.Skipped.size(), skipped.size());
    for (qsizetype i = 0; i < skipped.size(); ++i)
        QVERIFY2(result.Skipped[i].startsWith(skipped[i]), qPrintable(result.Skipped[i]));
    QCOMPARE(f.Count(u"TEXT LIKE 'CH%'"_s), stored);
    // Nothing stored as zeros or blanks from a record that did not convert.
    QCOMPARE(f.Count(u"TEXT = 'OLD' AND FREQ = 50"_s), 1000 - stored);
}

void TestKv7::failedExportKeepsTheOldFile() {
    TBankFixture f;
    QVERIFY(f.Module.ReopenMemoryView(u"SELECT * FROM MemoryBank0.dbf"_s));
    const QString path = f.Home.Path(u"kept.Kv7"_s);
    QVERIFY(WriteBytes(path, "the user's own file"));
    // The schema cannot be written where a folder stands in its way.
    QVERIFY(QDir(f.Home.Dir.path()).mkdir(u"kept.SCH"_s));
    QString error;
    QVERIFY(!ExportKv7(f.Module.MemQuery1(), path, error));
    QVERIFY2(error.contains(u"kept.SCH"_s), qPrintable(error));
    QCOMPARE(ReadBytes(path), QByteArray("the user's own file"));
    QCOMPARE(QDir(f.Home.Dir.path()).entryList({u"kept*"_s}, QDir::Files),
             QStringList{u"kept.Kv7"_s});
}

void TestKv7::relocation_data() {
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("written");

    QTest::newRow("12 lines from 990") << 12 << 990 << 10;
    QTest::newRow("10 lines from 990") << 10 << 990 << 10;
    QTest::newRow("5 lines from 0") << 5 << 0 << 5;
}

void TestKv7::relocation() {
    QFETCH(int, lines);
    QFETCH(int, start);
    QFETCH(int, written);
    TMemoryHome home;
    QList<QByteArray> source = Channels(300, lines);
    // Every character after the third stays, flags and squelch included, and so does a line
    // that is not a record.
    source[1] = Line({{"MEM", u"301"_s}, {"FREQ", 1.0}, {"CHANGED", true}, {"SQUELCH", 255}});
    source[2] = "xyzanything at all";
    const QString from = home.Path(u"from.Kv7"_s);
    const QString to = home.Path(u"to.Kv7"_s);
    QVERIFY(WriteBytes(from, Lines(source)));

    const TKv7Relocation result = RelocateKv7(from, to, start);
    QVERIFY2(result.Ok(), qPrintable(result.Error));
    QCOMPARE(result.Written, written);
    QCOMPARE(result.Left, lines - written);
    QCOMPARE(result.Partial(), lines > written);
    QList<QByteArray> out = ReadBytes(to).split('\n');
    QCOMPARE(out.takeLast(), QByteArray());
    QCOMPARE(out.size(), written);
    for (int i = 0; i < written; ++i) {
        QCOMPARE(out[i].left(3), FormatMemNumber(start + i).toLatin1());
        QCOMPARE(out[i].mid(3), source[i].mid(3) + "\r");
    }
    QVERIFY(QFileInfo::exists(home.Path(u"to.SCH"_s)));
}

void TestKv7::relocationRefusesTheSameFile() {
    TMemoryHome home;
    const QString from = home.Path(u"from.Kv7"_s);
    const QByteArray bytes = Lines(Channels(0, 3));
    QVERIFY(WriteBytes(from, bytes));
    // The same file by another spelling of its path.
    const TKv7Relocation result = RelocateKv7(from, home.Dir.path() + u"/./from.Kv7"_s, 100);
    QVERIFY(result.SameFile);
    QVERIFY(!result.Ok());
    QCOMPARE(ReadBytes(from), bytes);
}

void TestKv7::preview_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("schema");
    QTest::addColumn<QString>("memo");

    const QList<QByteArray> some = Channels(120, 3);
    QTest::newRow("no schema") << Lines(some) << false << u"No schema file for this table"_s;
    QTest::newRow("not a Kv7 file")
        << QByteArray("Freq,Mode\r\n") << true << u"No file info available"_s;
    QTest::newRow("empty file") << QByteArray() << true << u"No file info available"_s;
    QTest::newRow("summary")
        << Lines({some[1], some[0], "no number here", Channels(7, 1)[0], some[2]}) << true
        << u"First entry Mem 121\nLast entry Mem 122\n\nLowest Mem used 7\nHighest Mem used "
           u"122\n\n4 Mems used"_s;
    QTest::newRow("last line without a number")
        << Lines({some[0], "END"}) << true << u"First entry Mem 120\nNo file info available"_s;
}

void TestKv7::preview() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, schema);
    QFETCH(QString, memo);
    TMemoryHome home;
    const QString path = home.Path(u"look.Kv7"_s);
    QString error;
    QVERIFY(WriteBytes(path, bytes));
    if (schema)
        QVERIFY(WriteKv7Schema(path, error));
    QCOMPARE(Kv7PreviewText(path), memo);
}

QTEST_GUILESS_MAIN(TestKv7)
#include "tst_kv7.moc"
