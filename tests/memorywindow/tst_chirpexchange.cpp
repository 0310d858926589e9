// The memory window's CHIRP items as the user runs them: export of the rows shown, read-in with
// its warning and its report, and files that change nothing.
#include "memory/BankFixture.h"
#include "memorywindow/MemFormFixture.h"

#include "ChirpCsv.h"
#include "ChirpExchange.h"
#include "ProgramFolder.h"

using namespace Qt::StringLiterals;

namespace {

struct TChirpFixture : TMemFormFixture {
    void Run(const char* item) {
        QAction* action = Find<QAction>(QString::fromLatin1(item));
        if (!action->isEnabled())
            qFatal("item %s disabled", item);
        action->trigger();
    }
    qint64 Count(const QString& where) { return CountRows(Data.Engine(), where); }
    QString File(const QString& name, const QByteArray& bytes) {
        const QString path = Home.Path(name);
        if (!WriteBytes(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
};

} // namespace

class TestChirpExchange : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void exportThenReadIn() {
        TChirpFixture f;
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 430 + CAST(MEM AS INTEGER) * 0.25, "
                      u"MODE = 'FM', BW = '6.0', STEP = '12.500', TEXT = 'R' || MEM, PASS = "
                      u"MEM = '102' WHERE MEM BETWEEN '100' AND '104'"_s));
        f.Form->SubSelectHundred(1);
        f.Find<QMenu>(u"SubSelectBankPopupMenu"_s)->actions().first()->trigger();

        f.Answers().SaveAnswer = f.Home.Path(u"list"_s);
        f.Run("ExportChirpCsv1");
        QCOMPARE(f.Answers().SaveAsked.value(3), u"CHIRP CSV files (*.csv)"_s);
        const QList<QByteArray> lines = ReadBytes(f.Home.Path(u"list.csv"_s)).split('\n');
        QCOMPARE(lines.size(), 7); // header, five rows, nothing after the last line end
        QCOMPARE(lines[0] + '\n', ChirpCsvHeader());
        QVERIFY(lines[3].startsWith("102,R102,455.500000,"));
        QVERIFY(f.Answers().Errors.isEmpty());

        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = NULL, MODE = NULL, BW = NULL, "
                      u"STEP = NULL, TEXT = NULL, PASS = NULL"_s));
        f.Answers().OpenAnswer = f.Home.Path(u"list.csv"_s);
        // No to the warning: nothing happens.
        f.Run("ReadinaChirpCsvfile1");
        QCOMPARE(f.Answers().OpenAsked.value(1), DataFolder());
        QCOMPARE(f.Answers().ConfirmAsked.size(), 1);
        QCOMPARE(f.Count(u"FREQ IS NOT NULL"_s), 0);

        f.Answers().ConfirmAnswer = true;
        f.Run("ReadinaChirpCsvfile1");
        QCOMPARE(f.Count(u"MEM BETWEEN '100' AND '104' AND FREQ = 430 + CAST(MEM AS INTEGER) * "
                         u"0.25 AND MODE = 'FM' AND BW = '6.0' AND STEP = '12.500' AND TEXT = "
                         u"'R' || MEM AND PASS = (MEM = '102') AND CHANGED = TRUE"_s),
                 5);
        QCOMPARE(f.Count(u"FREQ IS NOT NULL OR CHANGED = TRUE"_s), 5);
        QCOMPARE(f.Data.MemQuery1().Sql(), u"SELECT * FROM MemoryBank0.dbf"_s);
        QCOMPARE(f.Answers().Errors.size(), 1);
        const QString report = f.Answers().Errors[0];
        QVERIFY2(report.startsWith(u"5 memories read in.\r\nMapped: Location -> MEM; "_s),
                 qPrintable(report));
        QVERIFY(!report.contains(u"dropped"_s) && !report.contains(u"skipped"_s));
        QVERIFY(f.Form->isEnabled());
    }

    // Somebody else's list: what had no place and which lines were left out, the list of lines
    // cut short.
    void reportOfAForeignFile() {
        TChirpFixture f;
        QByteArray bytes = "Location,Frequency,Duplex,Offset,Tone,Power,Mode,Memo\r\n"
                           "5,145.6,-,0.6,TSQL,5W,DV,x\r\n"
                           "6,145.7,,0,,,FM,\r\n";
        for (int n = 0; n < 20; ++n)
            bytes += QByteArray::number(1000 + n) + ",145.5,,,,,FM,\r\n";
        f.Answers().OpenAnswer = f.File(u"foreign.csv"_s, bytes);
        f.Answers().ConfirmAnswer = true;
        f.Run("ReadinaChirpCsvfile1");
        QCOMPARE(f.Count(u"MEM IN ('005', '006') AND CHANGED = TRUE"_s), 2);
        QCOMPARE(f.Answers().Errors.size(), 1);
        const QStringList report = f.Answers().Errors[0].split(u"\r\n"_s);
        QCOMPARE(
            report.mid(0, 7),
            (QStringList{
                u"2 memories read in."_s,
                u"Mapped: Location -> MEM; Frequency -> FREQ; Mode -> MODE and BW."_s,
                u"No equivalent, dropped:"_s, u"  Mode \"DV\" (MODE and BW left blank): 1 row"_s,
                u"  Duplex and Offset (the receiver does not transmit): 1 row"_s,
                u"  Tone, rToneFreq and cToneFreq (the bank table keeps no CTCSS tone): 1 row"_s,
                u"  Power (the receiver does not transmit): 1 row"_s}));
        QCOMPARE(report.value(7), u"Columns not read: Memo."_s);
        QCOMPARE(report.value(8), u"20 lines skipped:"_s);
        QCOMPARE(report.value(9), u"line 4: Location 1000 is outside the bank's 0-999"_s);
        QCOMPARE(report.mid(10).size(), 15); // fourteen more lines and "..."
        QCOMPARE(report.last(), u"..."_s);
    }

    void filesThatChangeNothing_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("not CHIRP")
            << QByteArray("001 145.5 FM\r\n")
            << u"Not a CHIRP CSV file: its first line names no Location and Frequency columns"_s;
        QTest::newRow("header only")
            << ChirpCsvHeader()
            << u"The file holds no record that can be stored; nothing was changed\r\n\r\n"
               u"0 memories read in.\r\nMapped: "_s;
        QTest::newRow("every row bad")
            << QByteArray("Location,Frequency\r\n1,abc\r\n")
            << u"The file holds no record that can be stored; nothing was changed\r\n\r\n"
               u"0 memories read in.\r\nMapped: Location -> MEM; Frequency -> FREQ.\r\n"
               u"1 lines skipped:\r\nline 2: Frequency \"abc\" is not a number"_s;
    }
    void filesThatChangeNothing() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        TChirpFixture f;
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 50, TEXT = 'OLD'"_s));
        const QString before = TableSnapshot(f.Data.Engine());
        f.Answers().OpenAnswer = f.File(u"nothing.csv"_s, bytes);
        f.Answers().ConfirmAnswer = true;
        f.Run("ReadinaChirpCsvfile1");
        QCOMPARE(f.Answers().Errors.size(), 1);
        QVERIFY2(f.Answers().Errors[0].startsWith(message), qPrintable(f.Answers().Errors[0]));
        QCOMPARE(TableSnapshot(f.Data.Engine()), before);
        QVERIFY(f.Data.MemQuery1().Active());
        QVERIFY(f.Form->isEnabled());
    }
};

QTEST_MAIN(TestChirpExchange)
#include "tst_chirpexchange.moc"
