#include "memory/MemoryFixture.h"
#include "support/ParadoxWriter.h"

#include "BankTable.h"
#include "ParadoxFile.h"
#include "TableEngine.h"
#include "TableView.h"

#include <QRandomGenerator>
#include <QTest>

#include <cstring>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using namespace paradox_writer;

constexpr int kStep = 4;
constexpr int kNotes = 11;

// Code page bytes for a text field.
QVariant B(const char* text) {
    return QByteArray(text);
}

const QList<QVariantList>& SampleRows() {
    static const QList<QVariantList> rows = {
        {10, 145.5, B("FM"), B("30k"), B("12.5"), B("B\xE9t"), true, 40, QDate(1999, 12, 31),
         QTime(23, 59, 58), 87, B("Caf\xE9 tower net, heard again after the storm"), 3},
        {11, 0.153, B("AM"), B("6k"), B("9"), B("Ant2"), false, 0, QDate(2024, 2, 29),
         QTime(0, 0, 1), -3, B("x"), 0},
        {12, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}},
    };
    return rows;
}

// The rows as the temporary table must hold them: typed, Unicode, ISO dates and times.
QList<QVariantList> ExpectedRows() {
    return {
        {10LL, 145.5, u"FM"_s, u"30k"_s, u"12.5"_s, u"B\u00E9t"_s, 1LL, 40LL, u"1999-12-31"_s,
         u"23:59:58"_s, 87LL, u"Caf\u00E9 tower net, heard again after the storm"_s, 3LL},
        {11LL, 0.153, u"AM"_s, u"6k"_s, u"9"_s, u"Ant2"_s, 0LL, 0LL, u"2024-02-29"_s, u"00:00:01"_s,
         -3LL, u"x"_s, 0LL},
        {12LL, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}},
    };
}

QList<QVariantList> ReadBack(TTableEngine& engine) {
    QList<QVariantList> rows;
    engine.ForEachRow(u"SELECT * FROM temp.Back ORDER BY ID"_s, {}, [&](const QVariantList& row) {
        rows << row;
        return true;
    });
    return rows;
}

void PutWord(QByteArray& bytes, int at, int value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

int Word(const QByteArray& bytes, int at) {
    return static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
}

} // namespace

class TestParadox : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void readsEveryValue();
    void missingMemoFile();
    void longMemoAndDamagedMemoFile();
    void otherTypes();
    void codePages_data();
    void codePages();
    void unreadableFiles_data();
    void unreadableFiles();

private:
    QTemporaryDir FSamples;
    QByteArray FValid;
    QByteArray FSqlite;

    void CompareRows(const QList<QVariantList>& read, const QList<QVariantList>& expected);
};

void TestParadox::initTestCase() {
    const QString path = FSamples.filePath(u"Sample_Kv7.DB"_s);
    QVERIFY(WriteParadoxLog(path, FSamples.filePath(u"Sample_Kv7.MB"_s), SampleRows()));
    FValid = ReadBytes(path);
    QVERIFY(!FValid.isEmpty());
    TTableEngine engine(FSamples.path());
    const QString bank = FSamples.filePath(u"MemoryBank0.dbf"_s);
    QString error;
    QVERIFY2(CreateBankTable(engine, bank, error), qPrintable(error));
    FSqlite = ReadBytes(bank);
    QVERIFY(IsSqliteFile(bank));
}

void TestParadox::CompareRows(const QList<QVariantList>& read,
                              const QList<QVariantList>& expected) {
    QCOMPARE(read.size(), expected.size());
    for (qsizetype r = 0; r < read.size(); ++r) {
        QCOMPARE(read[r].size(), expected[r].size());
        for (qsizetype c = 0; c < read[r].size(); ++c) {
            const QVariant& got = read[r][c];
            const QVariant& want = expected[r][c];
            const QByteArray where = "row " + QByteArray::number(r) + " column " +
                                     kLogColumns[c].Name + ": " + got.toString().toUtf8();
            QVERIFY2(got.isNull() == want.isNull(), where.constData());
            if (!want.isNull()) {
                QVERIFY2(got.typeId() == want.typeId(), where.constData());
                QVERIFY2(got == want, where.constData());
            }
        }
    }
}

// A log table written by pxlib, its memo file named in other letters, comes back whole: names,
// types, every value, Null as Null, cp1252 text as Unicode, and dates on both sides of 2000.
void TestParadox::readsEveryValue() {
    TMemoryHome home;
    const QString path = home.Path(u"Log_Kv7.DB"_s);
    QVERIFY(WriteParadoxLog(path, home.Path(u"Log_Kv7.MB"_s), SampleRows()));
    QVERIFY(QFile::rename(home.Path(u"Log_Kv7.MB"_s), home.Path(u"log_kv7.mb"_s)));
    TTableEngine engine(home.Dir.path());
    QString error;
    QString notice = u"stale"_s;
    QVERIFY(LooksLikeParadox(path, &error));
    QVERIFY2(ReadParadoxTable(engine, path, u"Back"_s, error, &notice), qPrintable(error));
    QCOMPARE(notice, QString());

    const auto columns = engine.Columns(u"temp.Back"_s);
    QVERIFY(columns);
    QCOMPARE(columns->size(), std::size_t(kLogColumnCount));
    const TFieldKind kinds[] = {TFieldKind::Integer, TFieldKind::Float,   TFieldKind::Text,
                                TFieldKind::Text,    TFieldKind::Text,    TFieldKind::Text,
                                TFieldKind::Boolean, TFieldKind::Integer, TFieldKind::Date,
                                TFieldKind::Time,    TFieldKind::Integer, TFieldKind::Text,
                                TFieldKind::Integer};
    for (int c = 0; c < kLogColumnCount; ++c) {
        QCOMPARE(columns->at(std::size_t(c)).Name, QString::fromLatin1(kLogColumns[c].Name));
        QCOMPARE(FieldKindOf(columns->at(std::size_t(c)).Type), kinds[c]);
    }
    QCOMPARE(columns->at(2).Type, u"CHARACTER(3)"_s);
    CompareRows(ReadBack(engine), ExpectedRows());

    // Read again into the same name: the table is replaced, not appended to.
    QVERIFY2(ReadParadoxTable(engine, path, u"Back"_s, error), qPrintable(error));
    QCOMPARE(ReadBack(engine).size(), 3);
}

// Without its memo file a table still reads; the memo texts kept there are Null, the one short
// enough to sit in the record is not, and the notice says what was lost.
void TestParadox::missingMemoFile() {
    TMemoryHome home;
    const QString path = home.Path(u"Log_Kv7.DB"_s);
    QVERIFY(WriteBytes(path, FValid));
    TTableEngine engine(home.Dir.path());
    QString error;
    QString notice;
    QVERIFY2(ReadParadoxTable(engine, path, u"Back"_s, error, &notice), qPrintable(error));
    QVERIFY2(notice.startsWith(path) && notice.contains(u"memo file (.MB) is missing"_s),
             qPrintable(notice));
    QList<QVariantList> expected = ExpectedRows();
    expected[0][kNotes] = QVariant();
    CompareRows(ReadBack(engine), expected);
}

// A memo too long to share a block has one of its own; a memo file whose blocks are gone gives
// Null memos and a notice, and the table's other values are read as ever.
void TestParadox::longMemoAndDamagedMemoFile() {
    TMemoryHome home;
    const QString path = home.Path(u"Log_Kv7.DB"_s);
    const QString memoPath = home.Path(u"Log_Kv7.MB"_s);
    QList<QVariantList> rows = {SampleRows().at(0), SampleRows().at(1)};
    const QByteArray longNote = QByteArray("Band scan, 2 m: ").repeated(400) + "\xE9nd";
    rows[1][kNotes] = longNote;
    QVERIFY(WriteParadoxLog(path, memoPath, rows));
    TTableEngine engine(home.Dir.path());
    QString error;
    QString notice;
    QVERIFY2(ReadParadoxTable(engine, path, u"Back"_s, error, &notice), qPrintable(error));
    QCOMPARE(notice, QString());
    QStringList notes;
    engine.ForEachRow(u"SELECT Notes FROM temp.Back ORDER BY ID"_s, {},
                      [&](const QVariantList& row) {
                          notes << row.value(0).toString();
                          return true;
                      });
    QCOMPARE(notes, (QStringList{ExpectedRows()[0][kNotes].toString(),
                                 QString::fromLatin1(longNote.chopped(3)) + u"\u00E9nd"_s}));

    QByteArray memo = ReadBytes(memoPath);
    memo.fill('\0', memo.size());
    QVERIFY(WriteBytes(memoPath, memo));
    QVERIFY2(ReadParadoxTable(engine, path, u"Back"_s, error, &notice), qPrintable(error));
    QVERIFY2(notice.startsWith(path) && notice.contains(u"cannot be found in its memo file"_s),
             qPrintable(notice));
    QCOMPARE(engine
                 .QueryValue(u"SELECT count(*) FROM temp.Back WHERE Notes IS NULL AND "
                             u"Freq IS NOT NULL AND LogDate IS NOT NULL"_s)
                 ->toInt(),
             2);
}

// The types a log table does not use: timestamps, currency, negative and extreme numbers.
void TestParadox::otherTypes() {
    const QList<TPxColumn> columns = {{"Stamp", pxfTimestamp, 8},
                                      {"Cost", pxfCurrency, 8},
                                      {"Big", pxfLong, 4},
                                      {"Level", pxfNumber, 8}};
    TMemoryHome home;
    const QString path = home.Path(u"Other.db"_s);
    QVERIFY(WriteParadox(
        path, home.Path(u"Other.mb"_s), columns,
        {{QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59)), -12.25, -2000000000LL, -0.5},
         {QDateTime(QDate(2024, 2, 29), QTime(0, 0)), 0.0, 2147483647LL, 1e-9},
         {{}, {}, {}, {}}}));
    TTableEngine engine(home.Dir.path());
    QString error;
    QVERIFY2(ReadParadoxTable(engine, path, u"Back"_s, error), qPrintable(error));
    QList<QVariantList> read;
    engine.ForEachRow(u"SELECT * FROM temp.Back"_s, {}, [&](const QVariantList& row) {
        read << row;
        return true;
    });
    const QList<QVariantList> expected = {
        {u"1999-12-31T23:59:59"_s, -12.25, -2000000000LL, -0.5},
        {u"2024-02-29T00:00:00"_s, 0.0, 2147483647LL, 1e-9},
        {{}, {}, {}, {}},
    };
    QCOMPARE(read, expected);
}

void TestParadox::codePages_data() {
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("1252") << 1252 << QByteArray("\xE9\x80\x9F") << u"\u00E9\u20AC\u0178"_s;
    QTest::newRow("850") << 850 << QByteArray("\x82\xD0\xF5") << u"\u00E9\u00F0\u00A7"_s;
    QTest::newRow("437") << 437 << QByteArray("\x82\xE1\xB3") << u"\u00E9\u00DF\u2502"_s;
}

// Alpha fields and field names are read in the code page the header names.
void TestParadox::codePages() {
    QFETCH(int, codePage);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    TMemoryHome home;
    const QString path = home.Path(u"Log_Kv7.DB"_s);
    QVariantList row = SampleRows().at(1);
    row[kStep] = bytes;
    QVERIFY(WriteParadoxLog(path, home.Path(u"Log_Kv7.MB"_s), {row}));
    QByteArray file = ReadBytes(path);
    PutWord(file, 0x6A, codePage);
    QVERIFY(WriteBytes(path, file));
    TTableEngine engine(home.Dir.path());
    QString error;
    QVERIFY2(ReadParadoxTable(engine, path, u"Back"_s, error), qPrintable(error));
    QCOMPARE(engine.QueryValue(u"SELECT Step FROM temp.Back"_s)->toString(), text);
}

void TestParadox::unreadableFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");

    const int headerSize = Word(FValid, 0x02);
    const int recordSize = Word(FValid, 0x00);
    QTest::newRow("empty") << QByteArray() << u"too short"_s;
    QTest::newRow("truncated header") << FValid.left(0x40) << u"too short"_s;
    QTest::newRow("header cut in the field names")
        << FValid.left(0x100) << u"header is truncated"_s;
    // The second record is cut in half.
    QTest::newRow("truncated records")
        << FValid.left(headerSize + 6 + recordSize + recordSize / 2) << u"truncated"_s;
    QByteArray random(4096, '\0');
    QRandomGenerator generator(7);
    generator.fillRange(reinterpret_cast<quint32*>(random.data()), random.size() / 4);
    QTest::newRow("random bytes") << random << u"not a Paradox table"_s;
    QByteArray dbase(64, '\0');
    dbase[0] = 0x03;
    dbase[2] = 5;
    dbase[3] = 17;
    dbase[8] = 65;
    dbase[10] = 20;
    QTest::newRow("dBASE") << dbase << u"not a Paradox table"_s;
    QTest::newRow("SQLite") << FSqlite << u"not a Paradox table"_s;

    QByteArray loop = FValid;
    PutWord(loop, headerSize, 1); // the first block names itself as the next
    QTest::newRow("block chain loop") << loop << u"block chain"_s;
    QByteArray more = FValid;
    PutWord(more, 0x06, 4);
    QTest::newRow("more records announced") << more << u"4 records announced, 3 found"_s;
    QByteArray wide = FValid;
    PutWord(wide, 0x00, recordSize + 1);
    QTest::newRow("record size") << wide << u"record size"_s;
    QByteArray blocks = FValid;
    PutWord(blocks, 0x00, 0xFFFF);
    QTest::newRow("record larger than a block") << blocks << u"not a Paradox table"_s;
    QByteArray type = FValid;
    type[0x78] = 0x7F; // the first field's type
    QTest::newRow("unknown field type") << type << u"unknown type"_s;
    QByteArray locked = FValid;
    PutWord(locked, 0x5C, 0x1234);
    QTest::newRow("password") << locked << u"password-protected"_s;
}

// Damaged or foreign files are refused with a reason after their name; the file is untouched.
void TestParadox::unreadableFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    TMemoryHome home;
    const QString file = home.Path(u"Bad_Kv7.DB"_s);
    QVERIFY(WriteBytes(file, bytes));
    TTableEngine engine(home.Dir.path());
    QString error;
    QVERIFY(!LooksLikeParadox(file));
    QVERIFY(!ReadParadoxTable(engine, file, u"Back"_s, error));
    QVERIFY2(error.startsWith(file + u": "_s) && error.contains(reason), qPrintable(error));
    QCOMPARE(ReadBytes(file), bytes);
    QVERIFY(!engine.Columns(u"temp.Back"_s));
}

QTEST_GUILESS_MAIN(TestParadox)
#include "tst_paradox.moc"
