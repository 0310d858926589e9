// CHIRP channel lists: the mode tables, columns found by name, lines and files refused, what has
// no place in the table, and the way through a bank table and back.
#include "memory/BankFixture.h"

#include "ChirpBank.h"
#include "ChirpCsv.h"
#include "CsvText.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QVariant& At(TKv7Values& values, const char* field) {
    return values[static_cast<std::size_t>(Kv7FieldIndex(QString::fromLatin1(field)))];
}

TKv7Values Record(const QList<std::pair<const char*, QVariant>>& fields) {
    TKv7Values values;
    for (const auto& [name, value] : fields)
        At(values, name) = value;
    return values;
}

// A parsed record's fields by name, Null ones left out, to compare whole records at once.
QVariantMap Named(const TKv7Values& values) {
    QVariantMap named;
    for (std::size_t i = 0; i < kKv7Fields.size(); ++i)
        if (!values[i].isNull())
            named[QString::fromLatin1(kKv7Fields[i].Name)] = values[i];
    return named;
}

constexpr const char* kHeader = "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,"
                                "DtcsCode,DtcsPolarity,RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,"
                                "Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE\r\n";

} // namespace

class TestChirpCsv : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void modeWritten_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("bandwidth");
        QTest::addColumn<QString>("chirp");
        const QList<std::array<const char*, 3>> cases = {
            {"FM", "0.5", "NFM"},  {"FM", "6.0", "NFM"}, {"FM", "15", "NFM"}, {"FM", "30", "FM"},
            {"FM", "110", "WFM"},  {"FM", "220", "WFM"}, {"FM", "", "FM"},    {"AM", "6.0", "AM"},
            {"sAM", "6.0", "AM"},  {"sAL", "3.0", "AM"}, {"sAH", "15", "AM"}, {"LSB", "3.0", "LSB"},
            {"USB", "3.0", "USB"}, {"CW", "0.5", "CW"},  {"", "15", "Auto"},  {"XX", "", "Auto"}};
        for (const auto& [mode, bandwidth, chirp] : cases)
            QTest::addRow("%s %s", mode, bandwidth)
                << QString::fromLatin1(mode) << QString::fromLatin1(bandwidth)
                << QString::fromLatin1(chirp);
    }
    void modeWritten() {
        QFETCH(QString, mode);
        QFETCH(QString, bandwidth);
        QFETCH(QString, chirp);
        QCOMPARE(QString::fromLatin1(
                     ChirpModeOf(mode.isEmpty() ? QVariant() : QVariant(mode), bandwidth)),
                 chirp);
    }

    // Without a Comment of this program's the mode comes from the table alone.
    void modeRead() {
        const TChirpContents read = ParseChirpCsv(
            "Location,Frequency,Mode\n1,100,WFM\n2,100,fm\n3,100,NFM\n4,100,AM\n5,100,NAM\n"
            "6,100,USB\n7,100,LSB\n8,100,CW\n9,100,Auto\n10,100,DV\n11,100,DV\n12,100,\n");
        QVERIFY2(read.Ok(), qPrintable(read.Error));
        QStringList modes;
        for (const TKv7Values& values : read.Records)
            modes << values[2].toString() + u'/' + values[3].toString();
        QCOMPARE(modes, (QStringList{u"FM/220"_s, u"FM/30"_s, u"FM/15"_s, u"AM/6.0"_s, u"AM/3.0"_s,
                                     u"USB/3.0"_s, u"LSB/3.0"_s, u"CW/0.5"_s, u"/"_s, u"/"_s,
                                     u"/"_s, u"/"_s}));
        QCOMPARE(read.Dropped.size(), 1);
        QCOMPARE(read.Dropped[0].What, u"Mode \"DV\" (MODE and BW left blank)"_s);
        QCOMPARE(read.Dropped[0].Rows, 2);
    }

    // Another version's file: columns in its own order, names in other letter case, a column
    // this one does not know, and no TStep, Skip or Comment.
    void columnsFoundByName() {
        const TChirpContents read =
            ParseChirpCsv("\xEF\xBB\xBF"
                          " frequency ,NAME,Power,Extra,location,MODE\r\n"
                          "145.500000,\"Calling, \"\"2m\"\" long name\",5W,x,12,NFM\r\n"
                          "\r\n"
                          "7.074,FT8,,,999,USB\r\n");
        QVERIFY2(read.Ok(), qPrintable(read.Error));
        QCOMPARE(read.Records.size(), std::size_t(2));
        QCOMPARE(Named(read.Records[0]), (QVariantMap{{u"MEM"_s, u"012"_s},
                                                      {u"FREQ"_s, 145.5},
                                                      {u"TEXT"_s, u"Calling, \"2m\" long name"_s},
                                                      {u"MODE"_s, u"FM"_s},
                                                      {u"BW"_s, u"15"_s},
                                                      {u"PASS"_s, false},
                                                      {u"SELSCAN"_s, false}}));
        QCOMPARE(Named(read.Records[1]).value(u"MEM"_s), u"999"_s);
        QCOMPARE(Named(read.Records[1]).value(u"FREQ"_s), 7.074);
        QCOMPARE(read.Mapped, (QStringList{u"Location -> MEM"_s, u"Name -> TEXT"_s,
                                           u"Frequency -> FREQ"_s, u"Mode -> MODE and BW"_s}));
        QCOMPARE(read.Ignored, QStringList{u"Extra"_s});
        QCOMPARE(read.Dropped.size(), 1);
        QCOMPARE(read.Dropped[0].Rows, 1);
        QVERIFY(read.Dropped[0].What.startsWith(u"Power"_s));
        QVERIFY(read.Skipped.isEmpty());
    }

    void refusedWhole_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("no Location") << QByteArray("Name,Frequency\nA,145.5\n");
        QTest::newRow("no Frequency") << QByteArray("Location,Name,Freq\n1,A,145.5\n");
        QTest::newRow("a Kv7 record")
            << QByteArray("001              145.500000FM 15 \r\n001              145.5\r\n");
        QTest::newRow("header broken") << QByteArray("Location,\"Frequency\n1,145.5\n");
    }
    void refusedWhole() {
        QFETCH(QByteArray, bytes);
        const TChirpContents read = ParseChirpCsv(bytes);
        QVERIFY(!read.Ok());
        QVERIFY2(read.Error.startsWith(u"Not a CHIRP CSV file"_s), qPrintable(read.Error));
        QVERIFY(read.Records.empty());
    }

    void badLinesSkipped() {
        const TChirpContents read = ParseChirpCsv("Location,Frequency,TStep\n"
                                                  "1,145.5,12.50\n"
                                                  "x,145.5,5\n"
                                                  "1000,145.5,5\n"
                                                  "-1,145.5,5\n"
                                                  "2,,5\n"
                                                  "3,14S.5,5\n"
                                                  "4,3000,5\n"
                                                  "5,145.5,fast\n"
                                                  "6,145.5,1000\n"
                                                  "7,145.5,5\"x\n"
                                                  "8,145.5,\"5\"x\n"
                                                  "9,145.5\n");
        QVERIFY2(read.Ok(), qPrintable(read.Error));
        QCOMPARE(read.Skipped,
                 (QStringList{u"line 3: Location \"x\" is not a whole number"_s,
                              u"line 4: Location 1000 is outside the bank's 0-999"_s,
                              u"line 5: Location -1 is outside the bank's 0-999"_s,
                              u"line 6: no Frequency"_s,
                              u"line 7: Frequency \"14S.5\" is not a number"_s,
                              u"line 8: Frequency 3000 MHz is outside 0.01-2600"_s,
                              u"line 9: TStep \"fast\" is not a number"_s,
                              u"line 10: TStep 1000 kHz is outside 0.001-999"_s,
                              u"line 11: a stray quote inside a field that is not quoted"_s,
                              u"line 12: a stray quote: text follows a quoted field"_s}));
        QCOMPARE(read.Records.size(), std::size_t(2));
        QCOMPARE(Named(read.Records[0]).value(u"STEP"_s), u"12.500"_s);
        QCOMPARE(Named(read.Records[1]).value(u"MEM"_s), u"009"_s);
        QVERIFY(!Named(read.Records[1]).contains(u"STEP"_s));
    }

    // Only rows that hold something the table cannot keep are counted, each once a group.
    void droppedCounted() {
        const TChirpContents read = ParseChirpCsv(
            QByteArray(kHeader) +
            "1,A,145.5,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,,,,,,\r\n"
            "2,B,145.5,off,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,,,,,,\r\n"
            "3,C,145.5,-,0.600000,TSQL,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,,,,,,\r\n"
            "4,D,145.5,,0.000000,Tone,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,50W,,,,,\r\n"
            "5,E,145.5,split,146.1,DTCS,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,,,,,,\r\n"
            "6,F,145.5,,0.000000,Cross,88.5,88.5,023,NN,023,DTCS->Tone,DN,5.00,X,,,CQCQCQ,,,\r\n"
            "7,G,145.5,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,,club net,,,,\r\n"
            "8,H,145.5,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,,AGC=Fast,,,,\r\n");
        QVERIFY2(read.Ok(), qPrintable(read.Error));
        QCOMPARE(read.Records.size(), std::size_t(8));
        QStringList dropped;
        for (const TChirpDropped& d : read.Dropped)
            dropped << d.What.section(u' ', 0, 0) + u' ' + QString::number(d.Rows);
        QCOMPARE(dropped, (QStringList{u"Duplex 2"_s, u"Tone, 2"_s, u"Power 1"_s, u"DtcsCode, 1"_s,
                                       u"Skip 1"_s, u"Mode 1"_s, u"CrossMode 1"_s, u"URCALL, 1"_s,
                                       u"Comment 1"_s}));
        QCOMPARE(Named(read.Records[7]).value(u"AGC"_s), u"Fast"_s);
    }

    // What a row of the table becomes, and what comes back from it.
    void recordsReadBack_data() {
        QTest::addColumn<QVariantMap>("row");
        QTest::addColumn<QByteArray>("chirpMode");
        QTest::addColumn<QByteArray>("skip");
        QTest::addColumn<QByteArray>("tstep");
        QTest::addColumn<QByteArray>("comment");
        QTest::newRow("narrow FM, every setting")
            << QVariantMap{{u"MEM"_s, u"042"_s},    {u"FREQ"_s, 145.4875},
                           {u"MODE"_s, u"FM"_s},    {u"BW"_s, u"6.0"_s},
                           {u"LP"_s, u"12"_s},      {u"HP"_s, u"0.05"_s},
                           {u"DM"_s, u"750"_s},     {u"AGC"_s, u"Slow"_s},
                           {u"STEP"_s, u"6.250"_s}, {u"SSTEP"_s, u"x10"_s},
                           {u"ATN"_s, u"Auto"_s},   {u"ANT"_s, u"2"_s},
                           {u"STADJ"_s, true},      {u"PASS"_s, false},
                           {u"SELSCAN"_s, true},    {u"TEXT"_s, u"Rep, \"A\" 2"_s},
                           {u"SQUELCH"_s, 40}}
            << QByteArray("NFM") << QByteArray("P") << QByteArray("6.25")
            << QByteArray("MODE=FM BW=6.0 LP=12 HP=0.05 DM=750 AGC=Slow SSTEP=x10 ATN=Auto "
                          "ANT=2 STADJ=Y SQUELCH=40");
        QTest::newRow("pass and select scan, synchronous AM, fine step")
            << QVariantMap{{u"MEM"_s, u"000"_s},    {u"FREQ"_s, 0.01},
                           {u"MODE"_s, u"sAL"_s},   {u"BW"_s, u"3.0"_s},
                           {u"STEP"_s, u"0.001"_s}, {u"PASS"_s, true},
                           {u"SELSCAN"_s, true},    {u"TEXT"_s, u"Longer than eight"_s}}
            << QByteArray("AM") << QByteArray("S") << QByteArray("0.001")
            << QByteArray("MODE=sAL BW=3.0 SELSCAN=Y");
        QTest::newRow("bare") << QVariantMap{{u"MEM"_s, u"999"_s},
                                             {u"FREQ"_s, 2600.0},
                                             {u"STEP"_s, u"5.000"_s},
                                             {u"PASS"_s, false},
                                             {u"SELSCAN"_s, false}}
                              << QByteArray("Auto") << QByteArray() << QByteArray("5.00")
                              << QByteArray();
    }
    void recordsReadBack() {
        QFETCH(QVariantMap, row);
        QFETCH(QByteArray, chirpMode);
        QFETCH(QByteArray, skip);
        QFETCH(QByteArray, tstep);
        QFETCH(QByteArray, comment);
        TKv7Values values;
        for (auto it = row.cbegin(); it != row.cend(); ++it)
            At(values, it.key().toLatin1().constData()) = it.value();
        const QByteArray line = ChirpCsvLine(values);
        const TChirpContents read = ParseChirpCsv(QByteArray(kHeader) + line);
        QVERIFY2(read.Ok() && read.Records.size() == 1, line.constData());
        QCOMPARE(Named(read.Records[0]), row);

        QString error;
        TCsvReader cells(line);
        QCOMPARE(cells.Next(error), TCsvRecord::Fields);
        const std::vector<QByteArrayView>& cell = cells.Fields();
        QCOMPARE(cell.size(), kChirpColumns.size());
        QCOMPARE(cell[12], chirpMode);
        QCOMPARE(cell[13], tstep);
        QCOMPARE(cell[14], skip);
        QCOMPARE(cell[16], comment);
    }

    // A Mode changed in another program wins over the exact mode this program wrote.
    void editedModeWins() {
        const TKv7Values values = Record({{"MEM", u"001"_s},
                                          {"FREQ", 145.5},
                                          {"MODE", u"FM"_s},
                                          {"BW", u"6.0"_s},
                                          {"AGC", u"Fast"_s}});
        QByteArray line = ChirpCsvLine(values);
        QVERIFY(line.contains(",NFM,"));
        const TChirpContents kept = ParseChirpCsv(QByteArray(kHeader) + line);
        QCOMPARE(Named(kept.Records.at(0)).value(u"BW"_s), u"6.0"_s);
        line.replace(",NFM,", ",AM,");
        const TChirpContents edited = ParseChirpCsv(QByteArray(kHeader) + line);
        const QVariantMap named = Named(edited.Records.at(0));
        QCOMPARE(named.value(u"MODE"_s), u"AM"_s);
        QCOMPARE(named.value(u"BW"_s), u"6.0"_s);
        QCOMPARE(named.value(u"AGC"_s), u"Fast"_s);
    }

    // Exported from a bank table, the table changed, read back in: every row is as it was, the
    // rows read in marked CHANGED; rows without a frequency are not written and not touched.
    void roundTripThroughBank() {
        TBankTableFixture f;
        QVERIFY(f.Module.Q1(
            u"UPDATE MemoryBank0.dbf SET FREQ = 100 + CAST(MEM AS INTEGER) * 0.125, MODE = 'FM', "
            u"BW = '15', STEP = '12.500', TEXT = 'T' || MEM, AGC = 'Mid', SQUELCH = "
            u"CAST(MEM AS INTEGER) % 256, PASS = CAST(MEM AS INTEGER) % 3 = 0, SELSCAN = "
            u"CAST(MEM AS INTEGER) % 2 = 0 WHERE MEM < '010'"_s));
        QVERIFY(f.Module.Q1(u"UPDATE MemoryBank0.dbf SET MODE = 'sAH', BW = '30', STADJ = TRUE, "
                            u"TEXT = 'a, \"b\"' WHERE MEM = '004'"_s));
        QVERIFY(f.Module.Q1(u"UPDATE MemoryBank0.dbf SET FREQ = NULL WHERE MEM = '007'"_s));
        QVERIFY(f.Module.Q1(u"UPDATE MemoryBank0.dbf SET CHANGED = NULL"_s));
        QVERIFY(f.Module.ReopenMemoryView(u"SELECT * FROM MemoryBank0.dbf WHERE MEM < '010' "
                                          u"ORDER BY MEM DESC"_s));
        const QString before = f.Snapshot();
        const QString path = f.Home.Path(u"list.csv"_s);
        QString error;
        QVERIFY2(ExportChirpCsv(f.Module.MemQuery1(), path, error), qPrintable(error));
        const QList<QByteArray> lines = ReadBytes(path).split('\n');
        QCOMPARE(lines.value(0) + '\n', QByteArray(kHeader));
        QCOMPARE(lines.size(), 11); // header, nine rows, the empty piece after the last line end
        QVERIFY(lines[1].startsWith("9,T009,101.125000,"));

        QVERIFY(f.Module.Q1(u"UPDATE MemoryBank0.dbf SET FREQ = 1, MODE = NULL, BW = NULL, TEXT "
                            u"= 'X', AGC = 'Fast', PASS = NULL, SELSCAN = NULL, STADJ = NULL "
                            u"WHERE MEM < '010' AND MEM <> '007'"_s));
        const TChirpReadIn result = ReadChirpIntoBank(f.Module, path);
        QVERIFY2(result.Ok(), qPrintable(result.Error));
        QCOMPARE(result.Replaced, 9);
        QVERIFY(result.Contents.Skipped.isEmpty() && result.Contents.Dropped.isEmpty());
        QCOMPARE(f.Count(u"CHANGED = TRUE"_s), 9);
        QVERIFY(f.Module.Q1(u"UPDATE MemoryBank0.dbf SET CHANGED = NULL"_s));
        QCOMPARE(f.Snapshot(), before);
    }

    void noUsableRowChangesNothing_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        const QString none = u"The file holds no record that can be stored; nothing was changed"_s;
        QTest::newRow("header only") << QByteArray(kHeader) << none;
        QTest::newRow("every row bad")
            << QByteArray("Location,Frequency\n1000,145.5\nx,145.5\n3,abc\n") << none;
        QTest::newRow("not a CHIRP file")
            << QByteArray("Freq,Mode\n145.5,FM\n")
            << u"Not a CHIRP CSV file: its first line names no Location and Frequency columns"_s;
    }
    void noUsableRowChangesNothing() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        TBankTableFixture f;
        QVERIFY(f.Module.Q1(u"UPDATE MemoryBank0.dbf SET FREQ = 50, TEXT = 'OLD'"_s));
        const QString before = f.Snapshot();
        const QString path = f.Home.Path(u"none.csv"_s);
        QVERIFY(WriteBytes(path, bytes));
        const TChirpReadIn result = ReadChirpIntoBank(f.Module, path);
        QCOMPARE(result.Error, error);
        QCOMPARE(result.Replaced, 0);
        QCOMPARE(f.Snapshot(), before);
    }
};

QTEST_GUILESS_MAIN(TestChirpCsv)
#include "tst_chirpcsv.moc"
