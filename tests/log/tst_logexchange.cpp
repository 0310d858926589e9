// Log rows to and from CSV and Kv7 files: round trips field by field, old and damaged files,
// stopping part-way, and the log window's import and export items.
#include "LogFixture.h"
#include "mainwindow/PanelFixture.h"

#include "CancelForm.h"
#include "Kv7File.h"
#include "LogExchange.h"
#include "LogExchangeController.h"
#include "ProgramFolder.h"
#include "TableView.h"
#include "UnitLog.h"

#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const TLogStamp kStamp{QDate(2026, 3, 4), QTime(5, 6, 7)};

struct TFullRow {
    double Freq;
    QString Mode, BW, Step, Ant;
    bool Stadj;
    QVariant Squelch;
    QString Notes;
    QString Category; // empty for none
    QString Date, Time;
    QVariant Signal;
};

void AddFullRow(TLogFixture& log, const TFullRow& row) {
    const QVariant category =
        row.Category.isEmpty() ? QVariant() : QVariant(log.AddCategory(row.Category));
    if (!log.Engine.Execute(
            u"INSERT INTO "_s + QuoteFileName(log.LogPath) +
                u" (Freq, Mode, BW, Step, Ant, Stadj, Squelch, Notes, CategoryID, LogDate, "
                u"LogTime, Signal) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
            {row.Freq, row.Mode, row.BW, row.Step, row.Ant, row.Stadj, row.Squelch, row.Notes,
             category, row.Date, row.Time, row.Signal}))
        qFatal("%s", qPrintable(log.Engine.LastError()));
}

// Every row of a log table as text, field by field, with the category's text.
QStringList RowsOf(TLogFixture& log) {
    QStringList rows;
    log.Engine.ForEachRow(
        u"SELECT Freq, Mode, BW, Step, Ant, Stadj, Squelch, Notes, (SELECT Category FROM "_s +
            QuoteFileName(log.CategoryPath) +
            u" c WHERE c.ID = CategoryID), LogDate, LogTime, Signal FROM "_s +
            QuoteFileName(log.LogPath) + u" ORDER BY ID"_s,
        {}, [&rows](const QVariantList& row) {
            QStringList fields;
            for (const QVariant& value : row)
                // An empty text and a Null read the same in a file.
                fields << (value.toString().isEmpty() ? u"<null>"_s : value.toString());
            rows << fields.join(u'|');
            return true;
        });
    return rows;
}

std::unique_ptr<TTableView> OpenView(TLogFixture& log, const QString& order = u"ID"_s) {
    auto view = std::make_unique<TTableView>(log.Engine);
    view->SetSql(LogSelectSql(log.LogPath, order));
    if (!view->Open())
        qFatal("%s", qPrintable(view->LastError()));
    return view;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

TLogImportResult Import(TLogFixture& log, TLogFileFormat format, const QString& path,
                        int batchRows = kLogImportBatchRows, const TLogProgress& progress = {}) {
    TLogImportSettings settings{log.LogPath, log.CategoryPath, kStamp, batchRows};
    return ImportLogFile(log.Engine, format, path, settings, progress);
}

QString SkippedLines(const TLogImportResult& result) {
    QStringList lines;
    for (const TSkippedLine& skipped : result.Skipped)
        lines << QString::number(skipped.Line);
    return lines.join(u',');
}

const QByteArray kOldHeader =
    "Freq,Mode,BW,Step,Ant,StepAdj,Text,Squelch,Category,Date,Time,Signal";

} // namespace

class TestLogExchange : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void csvRoundTripKeepsEveryField();
    void csvExportFollowsTheViewsOrderAndFilter();
    void csvImportOfOldAndDamagedFiles_data();
    void csvImportOfOldAndDamagedFiles();
    void stoppingPartWayKeepsTheStoredBatches();
    void kv7ExportWritesTheLogLayout();
    void kv7ImportReadsTheLogFields();
    void windowItemsExportAndImport();
    void windowImportCancelledPartWay();
    void windowRefusesKv7ExportOfTooManyRows();
};

void TestLogExchange::csvRoundTripKeepsEveryField() {
    TLogFixture source;
    const QList<TFullRow> rows = {
        {145.5, u"FM"_s, u"15"_s, u"12.5"_s, u"1"_s, true, 40, u"Tower, runway 27"_s,
         u"Air, civil"_s, u"2026-01-02"_s, u"23:59:58"_s, 130},
        {0.01,
         u"AM"_s,
         u"6"_s,
         u"0.001"_s,
         u"Auto"_s,
         false,
         0,
         u"said \"hello\"\r\nthen left"_s,
         u"Say \"hi\""_s,
         u"1999-12-31"_s,
         u"00:00:00"_s,
         {}},
        {2600,
         u"WFM"_s,
         u"220"_s,
         u"999"_s,
         u"4"_s,
         false,
         {},
         u"Zürich – 東京"_s,
         u"Ünï"_s,
         u"2026-07-08"_s,
         u"12:00:01"_s,
         0},
        {118.123456, u"NFM"_s, u"30"_s, u"8.33"_s, u"2"_s, true, 255, {}, {}, {}, {}, {}},
    };
    for (const TFullRow& row : rows)
        AddFullRow(source, row);
    const auto view = OpenView(source);
    const QString csv = source.Dir.filePath(u"out.csv"_s);
    const TLogExportResult written = ExportLogCsv(source.Engine, *view, source.CategoryPath, csv);
    QVERIFY2(written.Ok(), qPrintable(written.Error));
    QCOMPARE(written.Written, 4);

    const QByteArray text = ReadAll(csv);
    QVERIFY(text.startsWith(kOldHeader + "\r\n"));
    QVERIFY(text.contains("\r\n145.5,FM,15,12.5,1,T,\"Tower, runway 27\",40,\"Air, civil\","
                          "2026-01-02,23:59:58,130\r\n"));
    QVERIFY(text.contains("\"said \"\"hello\"\"\r\nthen left\""));

    TLogFixture target;
    const TLogImportResult read = Import(target, TLogFileFormat::Csv, csv);
    QVERIFY2(read.Ok(), qPrintable(read.Error));
    QCOMPARE(read.Skipped.size(), 0);
    QCOMPARE(read.Added, 4);
    // Notes come back upper-cased, as every posted row keeps them.
    QStringList expected = RowsOf(source);
    for (QString& row : expected) {
        QStringList fields = row.split(u'|');
        if (fields[7] != u"<null>")
            fields[7] = fields[7].toUpper();
        row = fields.join(u'|');
    }
    QCOMPARE(RowsOf(target), expected);
    QCOMPARE(target.Query(u"SELECT count(*) FROM "_s + QuoteFileName(target.CategoryPath)), 3);
}

void TestLogExchange::csvExportFollowsTheViewsOrderAndFilter() {
    TLogFixture log;
    for (const auto& [freq, signal] : {std::pair{145.5, 10}, {100.0, 30}, {145.5, 20}})
        AddFullRow(log, {freq, u"FM"_s, {}, {}, {}, false, {}, {}, {}, {}, {}, signal});
    const auto view = OpenView(log, u"Signal"_s);
    view->SetFilter(u"Freq = 145.5"_s);
    QVERIFY(view->SetFiltered(true));
    const QString csv = log.Dir.filePath(u"shown.csv"_s);
    QVERIFY(ExportLogCsv(log.Engine, *view, log.CategoryPath, csv).Ok());
    QStringList signals;
    for (const QByteArray& line : ReadAll(csv).split('\n').mid(1))
        if (!line.isEmpty())
            signals << QString::fromLatin1(line.trimmed().split(',').last());
    QCOMPARE(signals, QStringList({u"20"_s, u"10"_s}));
    QString error;
    QCOMPARE(ShownLogRowCount(log.Engine, *view, error), std::optional<qint64>(2));
}

void TestLogExchange::csvImportOfOldAndDamagedFiles_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("added");
    QTest::addColumn<QString>("skipped");
    QTest::addColumn<QString>("firstRow"); // Freq|Notes|Category|LogDate|LogTime|Signal

    const QByteArray good = "145.5,FM,15,12.5,1,F,note,10,,2026-01-02,10:00:00,5\r\n";
    QTest::newRow("old unquoted, no category: today's date")
        << QByteArray("freq,mode,bw,step,ant,stepadj,text,squelch,Date,Time\r\n"
                      "145.5,FM,15,12.5,1,T,a note,10,1999-01-01,01:01:01\r\n")
        << 1 << u""_s << u"145.5|A NOTE|<null>|2026-03-04|05:06:07|<null>"_s;
    QTest::newRow("blanks after the commas of the header")
        << QByteArray("Freq, Mode, BW, Step, Ant, StepAdj, Text, Squelch\r\n") + good << 0 << u""_s
        << u""_s;
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF") + kOldHeader + "\r\n" + good << 1
                                     << u""_s << u"145.5|NOTE|<null>|2026-01-02|10:00:00|5"_s;
    QTest::newRow("Windows-1252 text")
        << kOldHeader + "\r\n145.5,FM,15,12.5,1,F,Caf\xE9,10,Gr\xFCn,,,\r\n"
        << 1 << u""_s << u"145.5|CAFÉ|Grün|<null>|<null>|<null>"_s;
    QTest::newRow("blank lines and a missing line end")
        << kOldHeader + "\r\n\r\n   \r\n" + good + "\r\n" + good.chopped(2) << 2 << u""_s
        << u"145.5|NOTE|<null>|2026-01-02|10:00:00|5"_s;
    QTest::newRow("missing trailing fields are empty")
        << kOldHeader + "\r\n145.5,FM,15\r\n"
        << 1 << u""_s << u"145.5|<null>|<null>|<null>|<null>|<null>"_s;
    QTest::newRow("too many fields") << kOldHeader + "\r\n" + good.chopped(2) + ",extra\r\n" + good
                                     << 1 << u"2"_s << u"145.5|NOTE|<null>|2026-01-02|10:00:00|5"_s;
    QTest::newRow("stray quotes") << kOldHeader +
                                         "\r\n145.5,FM,15,12.5,1,F,5\" dish,10\r\n"
                                         "145.5,FM,15,12.5,1,F,\"closed\"open,10\r\n" +
                                         good
                                  << 1 << u"2,3"_s << u"145.5|NOTE|<null>|2026-01-02|10:00:00|5"_s;
    QTest::newRow("a quoted line break keeps the line numbers")
        << kOldHeader + "\r\n145.5,FM,15,12.5,1,F,\"two\r\nlines\",10\r\n"
                        "x,FM,15,12.5,1,F,bad,10\r\n"
        << 1 << u"4"_s << u"145.5|TWO\r\nLINES|<null>|<null>|<null>|<null>"_s;
    QTest::newRow("an unclosed quote at the end")
        << kOldHeader + "\r\n" + good + "145.5,FM,15,12.5,1,F,\"open\r\n"
        << 1 << u"3"_s << u"145.5|NOTE|<null>|2026-01-02|10:00:00|5"_s;
    QTest::newRow("values that do not convert")
        << kOldHeader +
               "\r\n3000,FM,15,12.5,1,F,,10\r\n145.5,FM,15,fast,1,F,,10\r\n"
               "145.5,FM,15,12.5,1,F,,loud\r\n145.5,FM,15,12.5,1,F,,300\r\n"
               "145.5,FM,15,12.5,1,F,,,,2026-02-30,,\r\n"
               "145.5,FM,15,12.5,1,F,,,,,25:00:00,\r\n"
               "145.5,FM,15,12.5,1,F,,,A category too long,,,\r\n" +
               good
        << 1 << u"2,3,4,5,6,7,8"_s << u"145.5|NOTE|<null>|2026-01-02|10:00:00|5"_s;
    // Files written by the older program carry the user's own date and time forms.
    const QLocale locale = QLocale::system();
    QTest::newRow("dates and times in the user's long forms")
        << kOldHeader + "\r\n145.5,FM,15,12.5,1,F,,10,,\"" +
               locale.toString(QDate(2026, 1, 2), QLocale::LongFormat).toUtf8() + "\",\"" +
               locale.toString(QTime(13, 14, 15), QLocale::LongFormat).toUtf8() + "\",7\r\n"
        << 1 << u""_s << u"145.5|<null>|<null>|2026-01-02|13:14:15|7"_s;
    QTest::newRow("empty file") << QByteArray() << 0 << u""_s << u""_s;
}

void TestLogExchange::csvImportOfOldAndDamagedFiles() {
    QFETCH(QByteArray, file);
    QFETCH(int, added);
    QFETCH(QString, skipped);
    QFETCH(QString, firstRow);
    TLogFixture log;
    const QString path = log.Dir.filePath(u"in.csv"_s);
    WriteFile(path, file);
    const TLogImportResult result = Import(log, TLogFileFormat::Csv, path);
    QVERIFY(result.Error.isEmpty());
    QCOMPARE(result.NotALogFile, firstRow.isEmpty());
    QCOMPARE(result.Added, added);
    QCOMPARE(SkippedLines(result), skipped);
    if (firstRow.isEmpty())
        return;
    for (const TSkippedLine& line : result.Skipped)
        QVERIFY(!line.Reason.isEmpty());
    const QStringList rows = RowsOf(log);
    QCOMPARE(rows.size(), added);
    QStringList fields = rows.front().split(u'|');
    QCOMPARE(QStringList({fields[0], fields[7], fields[8], fields[9], fields[10], fields[11]})
                 .join(u'|'),
             firstRow);
}

void TestLogExchange::stoppingPartWayKeepsTheStoredBatches() {
    TLogFixture log;
    QByteArray file = kOldHeader + "\r\n";
    for (int i = 1; i <= 10; ++i)
        file += QByteArray::number(100 + i) + ",FM,15,12.5,1,F,,10,,,,\r\n";
    const QString path = log.Dir.filePath(u"ten.csv"_s);
    WriteFile(path, file);
    QList<qint64> told;
    const TLogImportResult result =
        Import(log, TLogFileFormat::Csv, path, 3, [&told](qint64 added) {
            told << added;
            return told.size() < 2;
        });
    QVERIFY(result.Cancelled);
    QCOMPARE(told, QList<qint64>({3, 6}));
    QCOMPARE(result.Added, 6);
    QCOMPARE(log.Query(u"SELECT count(*) FROM "_s + QuoteFileName(log.LogPath)), 6);
    QCOMPARE(log.Query(u"SELECT max(Freq) FROM "_s + QuoteFileName(log.LogPath)), 106.0);
}

void TestLogExchange::kv7ExportWritesTheLogLayout() {
    TLogFixture log;
    AddFullRow(log, {145.5,
                     u"FM"_s,
                     u"15"_s,
                     u"12.5"_s,
                     u"1"_s,
                     true,
                     40,
                     u"tower\r\nnorth side"_s,
                     {},
                     {},
                     {},
                     {}});
    AddFullRow(log, {2600, u"WFM"_s, u"220"_s, u"100"_s, u"Auto"_s, false, {}, {}, {}, {}, {}, {}});
    const auto view = OpenView(log);
    const QString path = log.Dir.filePath(u"log.Kv7"_s);
    const TLogExportResult result = ExportLogKv7(log.Engine, *view, path);
    QVERIFY2(result.Ok(), qPrintable(result.Error));
    const QList<QByteArray> lines = ReadAll(path).split('\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QByteArray("000"
                                  "0000000000145.500000"
                                  "FM "
                                  "15 "
                                  "              "
                                  "12.5   "
                                  "     "
                                  "Auto"
                                  "1   "
                                  "T"
                                  "  "
                                  "tower  n"
                                  " "
                                  "    40\r"));
    QCOMPARE(lines[1].left(23), QByteArray("0010000000002600.000000"));
    QCOMPARE(lines[1].mid(63, 1), QByteArray("F"));
    QCOMPARE(lines[1].mid(75, 6), QByteArray("      "));
    QString error;
    QVERIFY2(CheckKv7Schema(path, error), qPrintable(error));
}

void TestLogExchange::kv7ImportReadsTheLogFields() {
    TLogFixture log;
    const auto record = [](const char* freq, const char* stadj, const char* pass) {
        return QByteArray("123") + freq +
               "NFM"
               "30 "
               "XXYYYYZZZZWWWW"
               "8.33   "
               "     "
               "ATN "
               "2   " +
               stadj + pass + " " + "  tag  " + " " + "F" + "    99";
    };
    QByteArray file = record("0000000000145.500000", "t", "?") + "\r\n"; // PASS is not read
    file += record("           88.000000", "T", "T") + "\r\n";
    file += record("        abc.000000  ", "F", "F") + "\r\n"; // not a number
    file += "\r\n";
    file += record("0000000009000.000000", "F", "F") + "\r\n"; // out of range
    file += record("0000000000146.000000", " ", "F");          // no line end
    const QString path = log.Dir.filePath(u"in.Kv7"_s);
    WriteFile(path, file);
    const TLogImportResult result = Import(log, TLogFileFormat::Kv7, path);
    QVERIFY2(result.Error.isEmpty(), qPrintable(result.Error));
    QCOMPARE(SkippedLines(result), u"3,5"_s);
    QCOMPARE(result.Added, 3);
    QCOMPARE(RowsOf(log), QStringList({
                              u"145.5|NFM|30|8.33|2|1|99|TAG|<null>|2026-03-04|05:06:07|<null>"_s,
                              u"88|NFM|30|8.33|2|1|99|TAG|<null>|2026-03-04|05:06:07|<null>"_s,
                              u"146|NFM|30|8.33|2|0|99|TAG|<null>|2026-03-04|05:06:07|<null>"_s,
                          }));
}

namespace {

struct TWindowFixture {
    QTemporaryDir Home;
    std::unique_ptr<TPanelFixture> Panel;
    QPointer<TFormLog> Form;

    TWindowFixture() {
        qputenv("KOVELA_HOME", Home.path().toUtf8());
        Panel = std::make_unique<TPanelFixture>();
        Form = new TFormLog(*Panel->Form);
        Form->show();
        Answers().SaveAnswer = DataFolder() + u"/Watch"_s;
        Form->findChild<QAction*>(u"ActionNewLogDB"_s)->trigger();
        if (!Form->QLog().Active())
            qFatal("no log table");
        // The window's first opening explains that there was no table yet.
        Answers().Errors.clear();
        Answers().SaveAsked.clear();
    }
    ~TWindowFixture() {
        delete Form.data();
        Panel.reset();
    }
    TWindowFixture(const TWindowFixture&) = delete;
    TWindowFixture& operator=(const TWindowFixture&) = delete;

    TScriptedPrompt& Answers() { return *Panel->Answers; }
    void Trigger(const QString& name) {
        Form->UpdateActionsNow();
        QAction* action = Form->findChild<QAction*>(name);
        QVERIFY(action && action->isEnabled());
        action->trigger();
    }
    TLogExchangeController& Exchange() { return *Form->findChild<TLogExchangeController*>(); }
    int Rows() {
        return Form->Engine()
            .QueryValue(u"SELECT count(*) FROM "_s + QuoteFileName(Form->LogTableFile()))
            ->toInt();
    }
    void AddRows(int count) {
        TTableEngine& engine = Form->Engine();
        int next = 0;
        QVERIFY(engine.InsertRows(QuoteFileName(Form->LogTableFile()), {u"Freq"_s, u"Mode"_s},
                                  [&](TRowBinder& row) {
                                      if (next == count)
                                          return false;
                                      row.BindNumber(0, 100 + next++ * 0.0125);
                                      row.BindText(1, u"FM");
                                      return true;
                                  }));
        Form->ShowAll();
    }
};

} // namespace

void TestLogExchange::windowItemsExportAndImport() {
    TWindowFixture window;
    window.AddRows(3);
    // A name typed without an extension gets the one of the file type.
    window.Answers().SaveAnswer = DataFolder() + u"/rows"_s;
    window.Trigger(u"ActionExportToCSV"_s);
    QCOMPARE(window.Answers().SaveAsked.at(3), u"Comma Separated Values *.csv (*.csv)"_s);
    QVERIFY(QFile::exists(DataFolder() + u"/rows.csv"_s));
    window.Trigger(u"ActionExport_Kv7Format"_s);
    QCOMPARE(window.Answers().SaveAsked.at(0), u"Export as"_s);
    QVERIFY(QFile::exists(DataFolder() + u"/rows.Kv7"_s));
    QVERIFY(QFile::exists(DataFolder() + u"/rows.SCH"_s));

    window.Answers().OpenAnswer = DataFolder() + u"/rows.csv"_s;
    window.Trigger(u"ActionImportCSV"_s);
    QCOMPARE(window.Answers().OpenAsked.at(0), u"Import from Kv7 CSV file"_s);
    window.Answers().OpenAnswer = DataFolder() + u"/rows.Kv7"_s;
    window.Trigger(u"ActionImport"_s);
    QCOMPARE(window.Answers().OpenAsked.at(0), u"Select file to read in"_s);
    QCOMPARE(window.Rows(), 9);
    QCOMPARE(window.Form->QLog().RecordCount(), 9);
    QCOMPARE(window.Answers().Errors, QStringList());

    // A file that is not one of the log's: its header lacks the log's columns.
    WriteFile(DataFolder() + u"/other.csv"_s, "Name,Value\r\na,1\r\n");
    window.Answers().OpenAnswer = DataFolder() + u"/other.csv"_s;
    window.Trigger(u"ActionImportCSV"_s);
    QCOMPARE(window.Answers().Errors, QStringList({QString::fromLatin1(kNotALogCsvText)}));
    QCOMPARE(window.Rows(), 9);
    QVERIFY(window.Form->isEnabled());
    QVERIFY(window.Panel->Form->isEnabled());
}

void TestLogExchange::windowImportCancelledPartWay() {
    TWindowFixture window;
    QByteArray file = kOldHeader + "\r\n";
    for (int i = 0; i < 20; ++i)
        file += "145.5,FM,15,12.5,1,F,,10,,,,\r\n";
    WriteFile(DataFolder() + u"/many.csv"_s, file);
    window.Exchange().BatchRows = 4;
    bool windowsWereDisabled = false;
    connect(&window.Exchange(), &TLogExchangeController::BatchStored, &window.Exchange(),
            [&](qint64 added) {
                TCancelForm* cancel = window.Exchange().CancelWindow();
                if (added != 8 || !cancel)
                    return;
                windowsWereDisabled = !window.Form->isEnabled() && !window.Panel->Form->isEnabled();
                QTest::mouseClick(cancel->findChild<QPushButton*>(u"CancelButton"_s),
                                  Qt::LeftButton);
            });
    window.Answers().OpenAnswer = DataFolder() + u"/many.csv"_s;
    window.Trigger(u"ActionImportCSV"_s);
    QVERIFY(windowsWereDisabled);
    QCOMPARE(window.Rows(), 8);
    QCOMPARE(window.Form->QLog().RecordCount(), 8);
    QVERIFY(!window.Exchange().CancelWindow());
    QVERIFY(window.Form->isEnabled());
    QVERIFY(window.Panel->Form->isEnabled());
}

void TestLogExchange::windowRefusesKv7ExportOfTooManyRows() {
    TWindowFixture window;
    window.AddRows(1000);
    window.Trigger(u"ActionExport_Kv7Format"_s);
    QCOMPARE(window.Answers().Errors, QStringList({QString::fromLatin1(kTooManyForKv7Text)}));
    QVERIFY(window.Answers().SaveAsked.isEmpty());
    // One row fewer is allowed: lines 000 to 998.
    QVERIFY(window.Form->Engine().Execute(
        u"DELETE FROM "_s + QuoteFileName(window.Form->LogTableFile()) + u" WHERE ID = 1"_s));
    window.Form->ShowAll();
    window.Answers().SaveAnswer = DataFolder() + u"/most.Kv7"_s;
    window.Trigger(u"ActionExport_Kv7Format"_s);
    const QList<QByteArray> lines = ReadAll(DataFolder() + u"/most.Kv7"_s).split('\n');
    QCOMPARE(lines.size(), 1000);
    QCOMPARE(lines[998].left(3), QByteArray("998"));
}

QTEST_MAIN(TestLogExchange)
#include "tst_logexchange.moc"
