// Log rows to and from CSV files: a million rows exported from the log window's view and
// imported into an empty log table, each beside the sqlite3 shell doing the same with the same
// data (.output of the same rows with their category texts; .import into a table with the log's
// indexes).
#include "BenchFigures.h"
#include "BenchLogTable.h"

#include "CategoryTable.h"
#include "LogExchange.h"
#include "LogTable.h"
#include "ProgramFolder.h"
#include "TableEngine.h"
#include "TableView.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTime>

#include <cstdio>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRows = 1000000;

void PrintRatio(const char* name, double ours, std::optional<double> theirs) {
    if (theirs && *theirs > 0)
        PrintFigure(name, ours / *theirs);
    else
        std::printf("%s n/a\n", name);
}

// Runs the sqlite3 shell on `database` with `commands`; its time in ms, or nullopt without it.
std::optional<double> Sqlite3Ms(const QString& database, const QString& commands) {
    const QString shell = QStandardPaths::findExecutable(u"sqlite3"_s);
    if (shell.isEmpty())
        return std::nullopt;
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(shell, {u"-batch"_s, database});
    if (!process.waitForStarted())
        return std::nullopt;
    process.write(commands.toUtf8());
    process.closeWriteChannel();
    process.waitForFinished(-1);
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    if (process.exitCode() != 0 || !process.readAllStandardError().isEmpty())
        return std::nullopt;
    return ms;
}

// The name of the one table inside a table file, as the sqlite3 shell sees it.
QString TableInside(const QString& file) {
    const QString shell = QStandardPaths::findExecutable(u"sqlite3"_s);
    if (shell.isEmpty())
        return {};
    QProcess process;
    process.start(shell, {file, u"SELECT name FROM sqlite_master WHERE type = 'table' AND name "
                                u"NOT LIKE 'sqlite%' LIMIT 1"_s});
    process.waitForFinished(-1);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// The view of the log window sorted by ID, written to a CSV file.
double CsvExportMs(TTableEngine& engine, const QString& log, const QString& csv) {
    TTableView view(engine);
    view.SetSql(LogSelectSql(log, u"ID"));
    if (!view.Open())
        BenchFail(view.LastError());
    TLogExportResult result;
    const double ms =
        BenchTimeMs([&] { result = ExportLogCsv(engine, view, CategoryTableFileFor(log), csv); });
    if (!result.Ok() || result.Written != kRows)
        BenchFail(u"export: "_s + result.Error);
    return ms;
}

std::optional<double> Sqlite3ExportMs(const QString& log, const QString& csv) {
    const QString table = TableInside(log);
    const QString categories = CategoryTableFileFor(log);
    const QString categoryTable = TableInside(categories);
    if (table.isEmpty() || categoryTable.isEmpty())
        return std::nullopt;
    return Sqlite3Ms(log, u"ATTACH '"_s + categories +
                              u"' AS c;\n.headers on\n.mode csv\n"
                              u".output '"_s +
                              csv +
                              u"'\nSELECT l.Freq, l.Mode, l.BW, l.Step, l.Ant, l.Stadj, "
                              u"l.Notes, l.Squelch, k.Category, l.LogDate, l.LogTime, l.Signal "
                              u"FROM \""_s +
                              table + u"\" l LEFT JOIN c.\""_s + categoryTable +
                              u"\" k ON k.ID = l.CategoryID ORDER BY l.ID;\n"_s);
}

// The CSV file read into an empty log table.
double CsvImportMs(TTableEngine& engine, const QString& csv, const QString& log) {
    MakeLogTable(engine, log);
    const TLogImportSettings settings{log, CategoryTableFileFor(log),
                                      LogStampAt(QDateTime::currentDateTime(), true)};
    TLogImportResult result;
    const double ms =
        BenchTimeMs([&] { result = ImportLogFile(engine, TLogFileFormat::Csv, csv, settings); });
    if (!result.Ok() || result.Added != kRows)
        BenchFail(u"import: "_s + result.Error + u" added "_s + QString::number(result.Added));
    return ms;
}

std::optional<double> Sqlite3ImportMs(const QString& csv, const QString& database) {
    return Sqlite3Ms(
        database,
        u"CREATE TABLE t (Freq REAL, Mode TEXT, BW TEXT, Step TEXT, Ant TEXT, Stadj INTEGER, "
        u"Notes TEXT, Squelch INTEGER, Category TEXT, LogDate TEXT, LogTime TEXT, Signal "
        u"INTEGER);\nCREATE INDEX FreqIX ON t (Freq);\nCREATE INDEX TimeIX ON t (LogTime);\n"
        u"CREATE INDEX DateIX ON t (LogDate);\nCREATE INDEX SignalIX ON t (Signal);\n"
        u".import --csv --skip 1 '"_s +
            csv + u"' t\n"_s);
}

} // namespace

int main(int argc, char* argv[]) {
    QTemporaryDir home;
    qputenv("KOVELA_HOME", home.path().toUtf8());
    QCoreApplication app(argc, argv);
    const QString data = DataFolder();
    const QString source = data + u"/Bench_Kv7.DB"_s;
    TTableEngine engine(data);
    MakeLogTable(engine, source);
    FillLog(engine, source, kRows, kRows / 3, true);
    QString error;
    for (const QString& category : {u"Bench"_s, u"Net, weekly"_s})
        if (!FindOrAddCategory(engine, CategoryTableFileFor(source), category, error))
            BenchFail(error);
    engine.DetachIdle();

    const QString ours = data + u"/ours.csv"_s;
    const double exportMs = CsvExportMs(engine, source, ours);
    PrintFigure("csv_export_1m_ms", exportMs, "ms");
    const std::optional<double> shellExportMs = Sqlite3ExportMs(source, data + u"/shell.csv"_s);
    PrintRatio("export_vs_sqlite3", exportMs, shellExportMs);
    std::printf("csv_file_mb %.1f MB\n", static_cast<double>(QFileInfo(ours).size()) / 1e6);

    const double importMs = CsvImportMs(engine, ours, data + u"/Imported_Kv7.DB"_s);
    PrintFigure("csv_import_1m_ms", importMs, "ms");
    PrintRatio("import_vs_sqlite3", importMs,
               Sqlite3ImportMs(data + u"/shell.csv"_s, data + u"/shell.db"_s));
    std::printf("resident_mb %.1f MB\n", ResidentMb());
    return 0;
}
