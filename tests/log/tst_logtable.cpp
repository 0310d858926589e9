// Log tables without a window: names, creation, opening, deletion, the rows the program adds, the
// rules of the fields, sorting over years and the change of every shown row's category.
#include "support/ParadoxWriter.h"

#include "CategoryTable.h"
#include "LogTable.h"
#include "SqlDialect.h"
#include "TableEngine.h"
#include "TableView.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr const char* kWriterArgument = "--log-writer";

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TLogEntry Entry(const QString& freq, const QString& notes = {}) {
    TLogEntry entry;
    entry.FreqText = freq;
    entry.Mode = u"FM"_s;
    entry.BW = u"15"_s;
    entry.Step = u"12.5"_s;
    entry.Ant = u"1"_s;
    entry.Signal = 120;
    entry.Squelch = 40;
    entry.Notes = notes;
    return entry;
}

const TLogStamp kStamp{QDate(2026, 12, 10), QTime(14, 5, 9)};

// A new log table in a folder of its own, open in a view with the log's rules.
struct TLogTable {
    QTemporaryDir Dir;
    TTableEngine Engine{Dir.path()};
    QString Path = Dir.filePath(QStringLiteral("Log_Kv7.DB"));
    TTableView View{Engine};
    QStringList Reported; // what the rules told the user
    QString Error;

    bool Open() {
        if (!CreateLogTable(Engine, Path, Error))
            return false;
        ApplyLogRules(View, [this](const QString& text) { Reported << text; });
        View.SetSql(LogSelectSql(Path, u"ID"));
        if (!View.Open())
            Error = View.LastError();
        return View.Active();
    }
};

// The child of the crash test: adds entries one by one and says which it has committed.
int RunLogWriter(const QString& path) {
    TTableEngine engine(QFileInfo(path).absolutePath());
    TTableView view(engine);
    ApplyLogRules(view, [](const QString&) {});
    view.SetSql(LogSelectSql(path, u"ID"));
    if (!view.Open())
        return 1;
    std::printf("started\n");
    std::fflush(stdout);
    for (int n = 1;; ++n) {
        QString error;
        if (!AppendLogEntry(view, Entry(QString::number(100 + n * 0.0125, 'f', 4)), kStamp, error))
            return 2;
        engine.Flush();
        std::printf("%d\n", n);
        std::fflush(stdout);
    }
}

} // namespace

class TestLogTable : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void newTableNames_data();
    void newTableNames();
    void openAndDeleteRefusals();
    void awkwardFileNamesWorkThroughout_data();
    void awkwardFileNamesWorkThroughout();
    void filesThatAreNotLogTablesAreLeftAlone();
    void olderTablesAreConvertedOnce();
    void entriesGetKeysStampsAndRules();
    void userValuesFollowTheRules();
    void sortByDateIsChronologicalAcrossYears();
    void sortGlyphs_data();
    void sortGlyphs();
    void utcStampCanBeThePreviousDay();
    void findCurrentFilter_data();
    void findCurrentFilter();
    void blockChangeTouchesExactlyTheShownRows();
    void killedWriterKeepsEveryCommittedRow();
};

void TestLogTable::newTableNames_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("made");
    QTest::addColumn<QString>("refusal");
    const QString illegal = u"Filename contains unsuitable or illegal characters."_s;
    QTest::newRow("plain name") << u"Band Watch"_s << u"Band Watch_Kv7.DB"_s << QString();
    QTest::newRow("other extension") << u"Log.txt"_s << u"Log_Kv7.DB"_s << QString();
    QTest::newRow("lower-case db") << u"air.db"_s << u"air_Kv7.DB"_s << QString();
    QTest::newRow("suffix twice") << u"x_Kv7.DB"_s << u"x_Kv7_Kv7.DB"_s << QString();
    QTest::newRow("non-ASCII allowed") << u"Écoute"_s << u"Écoute_Kv7.DB"_s << QString();
    QTest::newRow("question mark") << u"what?"_s << QString() << illegal;
    QTest::newRow("semicolon") << u"a;b"_s << QString() << illegal;
    QTest::newRow("double quote") << u"a\"b"_s << QString() << illegal;
    QTest::newRow("control character") << u"a\tb"_s << QString() << illegal;
    QTest::newRow("exists") << u"Old"_s << QString()
                            << u"A Log Table by that name already exists."_s;
}

void TestLogTable::newTableNames() {
    QFETCH(QString, chosen);
    QFETCH(QString, made);
    QFETCH(QString, refusal);
    QTemporaryDir dir;
    QFile old(dir.filePath(u"Old_Kv7.DB"_s));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.close();
    QString error;
    const std::optional<QString> path = NewLogTablePath(dir.filePath(chosen), error);
    QCOMPARE(error, refusal);
    QCOMPARE(path.has_value(), refusal.isEmpty());
    if (path)
        QCOMPARE(*path, dir.filePath(made));
}

void TestLogTable::openAndDeleteRefusals() {
    QTemporaryDir dir;
    const QString log = dir.filePath(u"Log_Kv7.DB"_s);
    QFile(log).open(QIODevice::WriteOnly);
    QCOMPARE(OpenLogTableRefusal(dir.filePath(u"Log.txt"_s)), u"Not an Kv7 Log Table"_s);
    QCOMPARE(OpenLogTableRefusal(dir.filePath(u"Log_Kv7_Categories.DB"_s)),
             u"This is a Category file not a Log file"_s);
    QCOMPARE(OpenLogTableRefusal(dir.filePath(u"Log_Kv7_SubSelects.DB"_s)),
             u"This is a Saved Sub Selection file not a Log file"_s);
    QCOMPARE(OpenLogTableRefusal(log), QString());
    // The open table is recognised however its path is written.
    const QString roundabout = dir.path() + u"/sub/../Log_Kv7.DB"_s;
    QVERIFY(QDir(dir.path()).mkdir(u"sub"_s));
    QCOMPARE(DeleteLogTableRefusal(roundabout, log),
             u"You can't delete the currently open Log Table"_s);
    QVERIFY(QFile::link(log, dir.filePath(u"Link_Kv7.DB"_s)));
    QCOMPARE(DeleteLogTableRefusal(dir.filePath(u"Link_Kv7.DB"_s), log),
             u"You can't delete the currently open Log Table"_s);
    QVERIFY(DeleteLogTableRefusal(dir.filePath(u"Log_Kv7_Categories.DB"_s), QString())
                .contains(u"It will be deleted when you delete the corresponding Log file."_s));
    QCOMPARE(DeleteLogTableRefusal(dir.filePath(u"Other_Kv7.DB"_s), log), QString());
}

void TestLogTable::awkwardFileNamesWorkThroughout_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("quote") << u"Bob's \"best\"_Kv7.DB"_s;
    QTest::newRow("space") << u"Band Watch_Kv7.DB"_s;
    QTest::newRow("semicolon") << u"a;DROP TABLE x_Kv7.DB"_s;
    QTest::newRow("non-ASCII") << u"Überwachung ñ 東京_Kv7.DB"_s;
}

void TestLogTable::awkwardFileNamesWorkThroughout() {
    QFETCH(QString, name);
    QTemporaryDir dir;
    TTableEngine engine(dir.path());
    const QString path = dir.filePath(name);
    const QString bystander = dir.filePath(u"Keep_Kv7.DB"_s);
    QString error;
    QVERIFY2(CreateLogTable(engine, path, error), qPrintable(error));
    QVERIFY2(CreateLogTable(engine, bystander, error), qPrintable(error));
    QVERIFY2(EnsureCategoryTable(engine, CategoryTableFileFor(path), error), qPrintable(error));
    QFile settings(LogSettingsFile(path));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.close();
    QVERIFY2(PrepareLogTable(engine, path, error), qPrintable(error));
    {
        TTableView view(engine);
        ApplyLogRules(view, [](const QString&) {});
        view.SetSql(LogSelectSql(path, u"ID"));
        QVERIFY2(view.Open(), qPrintable(view.LastError()));
        QVERIFY2(AppendLogEntry(view, Entry(u"145.5"_s), kStamp, error), qPrintable(error));
        QVERIFY2(AppendLogEntry(view, Entry(u"146.5"_s), kStamp, error), qPrintable(error));
        QCOMPARE(view.Value(u"ID").toInt(), 2);
    }
    // The three indexes are there, as documented.
    const TTranslation ref = engine.Translate(u"SELECT * FROM "_s + QuoteFileName(path));
    QVERIFY(ref.Ok());
    QCOMPARE(engine
                 .QueryValueNative(u"SELECT group_concat(name, ',') FROM (SELECT name FROM "_s +
                                   QuoteIdentifier(ref.Targets.front().Schema) +
                                   u".sqlite_master WHERE type = 'index' AND name LIKE '%IX' "
                                   u"ORDER BY name)"_s)
                 ->toString(),
             u"DateIX,FreqIX,SignalIX,TimeIX"_s);
    engine.DetachIdle();
    QVERIFY2(DropLogTable(engine, path, error), qPrintable(error));
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(!QFileInfo::exists(CategoryTableFileFor(path)));
    QVERIFY(!QFileInfo::exists(LogSettingsFile(path)));
    QVERIFY(QFileInfo::exists(bystander));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"Keep_Kv7.DB"_s});
}

void TestLogTable::filesThatAreNotLogTablesAreLeftAlone() {
    QTemporaryDir dir;
    TTableEngine engine(dir.path());
    const QString text = dir.filePath(u"Notes_Kv7.DB"_s);
    QFile file(text);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("just some notes\r\n");
    file.close();
    QString error;
    QVERIFY(!PrepareLogTable(engine, text, error));
    QVERIFY(error.contains(u"not a log table"_s));
    QCOMPARE(FileBytes(text), QByteArray("just some notes\r\n"));

    const QString other = dir.filePath(u"Other_Kv7.DB"_s);
    QVERIFY(engine.Execute(u"CREATE TABLE "_s + QuoteFileName(other) + u" (A INTEGER)"_s));
    engine.DetachIdle();
    const QByteArray before = FileBytes(other);
    QVERIFY(!PrepareLogTable(engine, other, error));
    QVERIFY2(error.contains(u"lacks the fields"_s), qPrintable(error));
    engine.DetachIdle();
    QCOMPARE(FileBytes(other), before);
}

void TestLogTable::olderTablesAreConvertedOnce() {
    using namespace paradox_writer;
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Old_Kv7.DB"_s);
    const QString categories = CategoryTableFileFor(path);
    const QList<QVariantList> rows = {
        {7, 145.5, QByteArray("FM"), QByteArray("15"), QByteArray("12.5"), QByteArray("Auto"), true,
         40, QDate(1998, 7, 1), QTime(20, 15, 0), 120, QByteArray("Caf\xE9 net"), 2},
        {9,
         0.153,
         QByteArray("AM"),
         {},
         {},
         {},
         false,
         255,
         QDate(2024, 2, 29),
         QTime(6, 0, 1),
         3,
         {},
         {}},
    };
    QVERIFY(WriteParadoxLog(path, dir.filePath(u"Old_Kv7.MB"_s), rows));
    QVERIFY(WriteParadox(categories, dir.filePath(u"Old_Kv7_Categories.MB"_s),
                         {{"ID", pxfAutoInc, 4}, {"Category", pxfAlpha, 16}},
                         {{1, QByteArray("Airband")}, {2, QByteArray("Caf\xE9s")}}));
    const QByteArray original = FileBytes(path);

    TTableEngine engine(dir.path());
    QString error;
    QString converted;
    QVERIFY2(PrepareLogTable(engine, path, error, &converted), qPrintable(error));
    QVERIFY2(converted.contains(u"converted"_s), qPrintable(converted));
    QCOMPARE(FileBytes(path + u".legacy"_s), original);
    QVERIFY(IsSqliteFile(path));
    QVERIFY(IsSqliteFile(categories));
    const QString table = QuoteFileName(path);
    QCOMPARE(engine
                 .QueryValue(u"SELECT Notes || '|' || LogDate || '|' || CategoryID FROM "_s +
                             table + u" WHERE ID = 7"_s)
                 ->toString(),
             u"Caf\u00E9 net|1998-07-01|2"_s);
    QCOMPARE(
        engine
            .QueryValue(u"SELECT Category FROM "_s + QuoteFileName(categories) + u" WHERE ID = 2"_s)
            ->toString(),
        u"Caf\u00E9s"_s);
    // Once only: the converted table opens as it is, and new rows carry on from the old IDs.
    converted.clear();
    QVERIFY2(PrepareLogTable(engine, path, error, &converted), qPrintable(error));
    QVERIFY(converted.isEmpty());
    QVERIFY(!QFileInfo::exists(path + u".legacy2"_s));
    TTableView view(engine);
    ApplyLogRules(view, [](const QString&) {});
    view.SetSql(LogSelectSql(path, u"LogDate"));
    QVERIFY(view.Open());
    QVERIFY2(AppendLogEntry(view, Entry(u"430"_s), kStamp, error), qPrintable(error));
    QCOMPARE(view.Value(u"ID").toInt(), 10);
}

void TestLogTable::entriesGetKeysStampsAndRules() {
    TLogTable log;
    QVERIFY2(log.Open(), qPrintable(log.Error));
    TTableEngine& engine = log.Engine;
    TTableView& view = log.View;
    const QString& path = log.Path;
    QString error;
    QVERIFY(AppendLogEntry(view, Entry(u"145.5"_s, u"Repeater, border"_s), kStamp, error));
    QVERIFY(AppendLogEntry(view, Entry(u"0.01"_s), kStamp, error));
    QVERIFY(AppendLogEntry(view, Entry(u"2600"_s), kStamp, error));
    QCOMPARE(view.Value(u"ID").toInt(), 3);
    // Out of range and empty frequencies never reach the table.
    for (const QString& freq : {u"2600.000001"_s, u"0.0099"_s, u""_s}) {
        QVERIFY(!AppendLogEntry(view, Entry(freq), kStamp, error));
        QVERIFY2(error.contains(u"Freq <= 2600 AND Freq >= 0.01"_s), qPrintable(error));
        QCOMPARE(view.State(), TViewState::Browse);
    }
    const QString table = QuoteFileName(path);
    QCOMPARE(engine.QueryValue(u"SELECT count(*) FROM "_s + table)->toInt(), 3);
    QCOMPARE(engine.QueryValue(u"SELECT Notes FROM "_s + table + u" WHERE ID = 1"_s)->toString(),
             u"REPEATER, BORDER"_s);
    // Stored as ISO text, so that ordering is chronological whatever the user's locale.
    QCOMPARE(engine
                 .QueryValueNative(u"SELECT LogDate || ' ' || LogTime FROM "_s +
                                   *engine.TableSql(table) + u" WHERE ID = 1"_s)
                 ->toString(),
             u"2026-12-10 14:05:09"_s);
    QCOMPARE(view.Value(u"LogDate").toDate(), kStamp.Date);
}

void TestLogTable::userValuesFollowTheRules() {
    TLogTable log;
    QVERIFY2(log.Open(), qPrintable(log.Error));
    TTableView& view = log.View;
    QString error;
    QVERIFY(AppendLogEntry(view, Entry(u"145.5"_s), kStamp, error));
    QStringList& reported = log.Reported;

    struct TCase {
        QString Field;
        QVariant Value;
        bool Taken;
        bool Reported;
    };
    const TCase cases[] = {
        {u"Mode"_s, u"AM"_s, true, false},     {u"Mode"_s, u"XYZ"_s, false, true},
        {u"BW"_s, u"6.0"_s, true, false},      {u"BW"_s, u"7"_s, false, true},
        {u"Ant"_s, u"Auto"_s, true, false},    {u"Ant"_s, u"5"_s, false, true},
        {u"Squelch"_s, u"255"_s, true, false}, {u"Squelch"_s, u"256"_s, false, true},
        {u"Squelch"_s, u"x"_s, false, true},   {u"Freq"_s, u"abc"_s, false, true},
        {u"Step"_s, u"25"_s, true, false},     {u"Step"_s, u"fast"_s, false, false},
    };
    for (const TCase& c : cases) {
        reported.clear();
        QVERIFY(view.Edit());
        QCOMPARE(view.SetField(c.Field, c.Value, TAssignOrigin::User), c.Taken);
        QCOMPARE(!reported.isEmpty(), c.Reported);
        view.Cancel();
    }
    // A step out of range throws away the whole edit of the row.
    QVERIFY(view.Edit());
    QVERIFY(view.SetField(u"Mode"_s, u"AM"_s, TAssignOrigin::User));
    QVERIFY(!view.SetField(u"Step"_s, u"1000"_s, TAssignOrigin::User));
    QCOMPARE(view.State(), TViewState::Browse);
    QCOMPARE(view.Value(u"Mode").toString(), u"FM"_s);
}

void TestLogTable::sortByDateIsChronologicalAcrossYears() {
    TLogTable log;
    QVERIFY2(log.Open(), qPrintable(log.Error));
    TTableView& view = log.View;
    const QString& path = log.Path;
    QString error;
    // Days and months that sort wrongly as local text ("12/31/1999" after "01/02/2024").
    const QList<QDate> dates = {QDate(2024, 1, 2), QDate(1999, 12, 31), QDate(2010, 6, 15),
                                QDate(2024, 1, 1), QDate(2000, 2, 29)};
    for (const QDate& date : dates)
        QVERIFY(AppendLogEntry(view, Entry(u"100"_s), {date, QTime(9, 0)}, error));
    view.SetSql(LogSelectSql(path, u"LogDate"));
    QVERIFY(view.Open());
    QList<QDate> sorted;
    for (int row = 0; view.MoveTo(row); ++row)
        sorted << view.Value(u"LogDate").toDate();
    QList<QDate> expected = dates;
    std::sort(expected.begin(), expected.end());
    QCOMPARE(sorted, expected);

    QCOMPARE(LogSelectSql(path, u"Signal"),
             u"Select * from "_s + QuoteFileName(path) + u" ORDER BY Signal\nDESC"_s);
    view.SetSql(LogSelectSql(path, u"Signal"));
    QVERIFY2(view.Open(), qPrintable(view.LastError()));
}

void TestLogTable::sortGlyphs_data() {
    QTest::addColumn<QString>("order");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("descending");
    QTest::newRow("empty") << QString() << 0 << false;
    QTest::newRow("id") << u"id"_s << 0 << false;
    QTest::newRow("freq") << u"Freq"_s << 1 << false;
    QTest::newRow("bw") << u"BW"_s << 5 << false;
    QTest::newRow("date") << u"LogDate"_s << 10 << false;
    QTest::newRow("time desc") << u"logtime desc"_s << 11 << true;
    QTest::newRow("signal") << u"SIGNAL"_s << 12 << false;
    QTest::newRow("signal desc") << u"Signal DESC"_s << 12 << true;
    QTest::newRow("other") << u"Notes"_s << -1 << false;
    QTest::newRow("bw desc") << u"BW DESC"_s << -1 << false;
}

void TestLogTable::sortGlyphs() {
    QFETCH(QString, order);
    QFETCH(int, column);
    QFETCH(bool, descending);
    const std::optional<TSortGlyph> glyph = SortGlyphForOrder(order);
    QCOMPARE(glyph.has_value(), column >= 0);
    if (glyph) {
        QCOMPARE(glyph->Column, column);
        QCOMPARE(glyph->Descending, descending);
    }
}

void TestLogTable::utcStampCanBeThePreviousDay() {
    const QTimeZone ahead = QTimeZone(2 * 3600);
    const QDateTime justAfterMidnight(QDate(2027, 1, 1), QTime(0, 30, 15, 987), ahead);
    const TLogStamp utc = LogStampAt(justAfterMidnight, true);
    QCOMPARE(utc.Date, QDate(2026, 12, 31));
    QCOMPARE(utc.Time, QTime(22, 30, 15));
    const QDateTime evening(QDate(2026, 6, 1), QTime(23, 30), ahead);
    QCOMPARE(LogStampAt(evening, true).Date, QDate(2026, 6, 1));
    QCOMPARE(LogStampAt(evening, true).Time, QTime(21, 30));
    const TLogStamp local = LogStampAt(QDateTime::currentDateTime(), false);
    QCOMPARE(local.Time.msec(), 0);
}

void TestLogTable::findCurrentFilter_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("filter");
    QTest::newRow("leading point") << u".5"_s << u"Freq = 0.5"_s;
    QTest::newRow("blanks") << u"  145.500000 "_s << u"Freq = 145.500000"_s;
    QTest::newRow("empty") << u"   "_s << QString();
    QTest::newRow("not a number") << u"abc"_s << QString();
    QTest::newRow("injection") << u"1 OR 1=1"_s << QString();
}

void TestLogTable::findCurrentFilter() {
    QFETCH(QString, box);
    QFETCH(QString, filter);
    QCOMPARE(FindCurrentFilter(box).value_or(QString()), filter);
}

void TestLogTable::blockChangeTouchesExactlyTheShownRows() {
    TLogTable log;
    QVERIFY2(log.Open(), qPrintable(log.Error));
    TTableEngine& engine = log.Engine;
    const QString& path = log.Path;
    QString error;
    {
        TTableView& writer = log.View;
        // Notes that a statement cut at the first "ORDER" would break.
        const QStringList notes = {u"BORDER PATROL"_s, u"order by id"_s, u"plain"_s, u"BORDER"_s,
                                   u"other"_s};
        for (int i = 0; i < notes.size(); ++i)
            QVERIFY(AppendLogEntry(writer, Entry(i == 1 ? u"145.5"_s : u"430"_s, notes[i]), kStamp,
                                   error));
    }
    TTableView view(engine);
    view.SetSql(u"Select * from "_s + QuoteFileName(path) +
                u" WHERE Notes LIKE '%ORDER%' ORDER BY Freq DESC"_s);
    QVERIFY2(view.Open(), qPrintable(view.LastError()));
    view.SetFilter(u"Freq = 430"_s);
    QVERIFY(view.SetFiltered(true));
    QCOMPARE(view.RecordCount(), 2); // rows 1 and 4: ORDER in their notes, on 430 MHz
    int changed = 0;
    QVERIFY2(view.UpdateShownRows(u"CategoryID", 7, &changed), qPrintable(view.LastError()));
    QCOMPARE(changed, 2);
    QCOMPARE(engine
                 .QueryValue(u"SELECT group_concat(ID) FROM "_s + QuoteFileName(path) +
                             u" WHERE CategoryID = 7"_s)
                 ->toString(),
             u"1,4"_s);
}

// The writer is killed at a random moment: the table opens, whole, with every row it had
// reported as added.
void TestLogTable::killedWriterKeepsEveryCommittedRow() {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Log_Kv7.DB"_s);
    {
        TTableEngine engine(dir.path());
        QString error;
        QVERIFY(CreateLogTable(engine, path, error));
    }
    int before = 0;
    for (int round = 0; round < 4; ++round) {
        QProcess writer;
        writer.start(QCoreApplication::applicationFilePath(),
                     {QString::fromLatin1(kWriterArgument), path});
        QVERIFY(writer.waitForStarted());
        QVERIFY(writer.waitForReadyRead(10000));
        QTest::qWait(QRandomGenerator::global()->bounded(30, 300));
        writer.kill();
        QVERIFY(writer.waitForFinished());
        int reported = 0;
        for (const QByteArray& line : writer.readAllStandardOutput().split('\n'))
            if (const int n = line.trimmed().toInt(); n > 0)
                reported = n;
        TTableEngine engine(dir.path());
        QString error;
        QVERIFY2(PrepareLogTable(engine, path, error), qPrintable(error));
        const TTranslation ref = engine.Translate(u"SELECT * FROM "_s + QuoteFileName(path));
        QCOMPARE(engine
                     .QueryValueNative(u"PRAGMA "_s + QuoteIdentifier(ref.Targets.front().Schema) +
                                       u".integrity_check"_s)
                     ->toString(),
                 u"ok"_s);
        const int rows =
            engine.QueryValue(u"SELECT count(*) FROM "_s + QuoteFileName(path))->toInt();
        // Every reported row is there; at most the one being added when killed is extra.
        QVERIFY2(
            rows >= before + reported && rows <= before + reported + 1,
            qPrintable(u"%1 rows, %2 before, %3 reported"_s.arg(rows).arg(before).arg(reported)));
        before = rows;
    }
    QVERIFY(before > 0);
}

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], kWriterArgument) == 0)
        return RunLogWriter(QString::fromLocal8Bit(argv[2]));
    TestLogTable test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_logtable.moc"
