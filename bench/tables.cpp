// The memory bank tables and the table engine: every 1000-row operation of a bank, and a
// million-row table imported, compared with the sqlite3 shell importing the same rows.
#include "BenchFigures.h"

#include "DataUnit1.h"
#include "TableEngine.h"
#include "TableView.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr int kMillion = 1000000;
constexpr int kScreenRows = 50;

const QString kBigTable =
    u"CREATE TABLE \"Big_Kv7.DB\" (Freq FLOAT(11,6),Mode CHARACTER(3),BW CHARACTER(3),Step "
    u"CHARACTER(7),Ant CHARACTER(4),Stadj BOOLEAN,Squelch SMALLINT,LogDate DATE,LogTime "
    u"TIME,Signal SMALLINT,Notes BLOB(1,1),CategoryID INTEGER)"_s;
const QString kBigIndex = u"CREATE INDEX FreqIX ON \"Big_Kv7.DB\"(Freq)"_s;
const QStringList kBigColumns = {u"Freq"_s,    u"Mode"_s,   u"BW"_s,      u"Step"_s,
                                 u"Ant"_s,     u"Stadj"_s,  u"Squelch"_s, u"LogDate"_s,
                                 u"LogTime"_s, u"Signal"_s, u"Notes"_s,   u"CategoryID"_s};

double TimeMs(const std::function<bool()>& work) {
    QElapsedTimer timer;
    timer.start();
    if (!work()) {
        std::fprintf(stderr, "a measured step failed\n");
        std::exit(1);
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

bool Check(bool ok, const QString& error) {
    if (!ok)
        std::fprintf(stderr, "%s\n", qPrintable(error));
    return ok;
}

// A million log-like rows with frequencies in no order, as CSV without a header.
bool WriteCsv(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    quint32 seed = 12345;
    QByteArray chunk;
    for (int i = 0; i < kMillion; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double freq = 0.01 + static_cast<double>(seed % 259999000u) / 100000.0;
        chunk += QByteArray::number(freq, 'f', 6) + ",FM,15,12.500,Auto," +
                 QByteArray::number(i % 2) + ',' + QByteArray::number(i % 256) +
                 ",2024-05-01,12:30:00," + QByteArray::number(i % 200) + ",NOTE " +
                 QByteArray::number(i) + ',' + QByteArray::number(i % 7) + '\n';
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    return file.write(chunk) == chunk.size() && file.flush();
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("KOVELA_HOME", home.path().toUtf8());

    TDataModule1 module;
    TTableEngine& engine = module.Engine();
    TTableView& view = module.MemQuery1();
    if (!Check(module.DataModule1Create(), module.LastError()) ||
        !Check(module.Q1(u"UPDATE MemoryBank0.dbf SET FREQ = 2600 - CAST(MEM AS INTEGER) * 2.1, "
                         u"MODE = 'FM', TEXT = 'CH' || MEM WHERE CAST(MEM AS INTEGER) % 5 <> 0"_s),
               module.LastError()))
        return 1;

    PrintFigure("open_bank_ms", TimeMs([&] {
                    if (!module.ReopenMemoryView(QString::fromLatin1(kStartupSql)))
                        return false;
                    view.Last();
                    return view.FetchedCount() == kBankRows;
                }),
                "ms");
    PrintFigure("bank_rows", view.RecordCount());

    module.ViewState.RowFilter = QString::fromLatin1(kHideBlanksFilter);
    module.ViewState.SortField = u"FREQ"_s;
    PrintFigure("reopen_sorted_ms", TimeMs([&] {
                    if (!module.ReopenMemoryView(module.BuildMemorySql()))
                        return false;
                    view.Last();
                    return view.FetchedCount() == 800;
                }),
                "ms");

    module.ViewState = {};
    if (!Check(module.ReopenMemoryView(module.BuildMemorySql()), module.LastError()))
        return 1;
    PrintFigure("locate_1000_ms", TimeMs([&] {
                    for (int n = 0; n < kBankRows; ++n)
                        if (module.LocateMemory(FormatMemNumber(n)) != TLocateResult::Found)
                            return false;
                    return true;
                }),
                "ms");

    PrintFigure("update_text_1000_ms", TimeMs([&] {
                    TTransaction transaction(engine);
                    for (int row = 0; view.MoveTo(row); ++row)
                        if (!view.Edit() ||
                            !view.SetField(u"TEXT", u"UPD"_s + view.Value(u"MEM").toString()) ||
                            !view.Post())
                            return false;
                    return transaction.Commit();
                }),
                "ms");

    if (!Check(
            engine.ExecuteNative(u"CREATE TEMP TABLE Kv7 AS SELECT * FROM \"MemoryBank0\".dbf"_s) &&
                engine.ExecuteNative(u"UPDATE temp.Kv7 SET TEXT = 'KV7', FREQ = 433.5"_s),
            engine.LastError()))
        return 1;
    PrintFigure("batch_update_1000_ms", TimeMs([&] {
                    return Check(module.UpdateBankFrom(u"temp.Kv7"_s), module.LastError());
                }),
                "ms");

    // A million rows: ours against the sqlite3 shell, the same CSV into the same schema.
    const QString csv = home.filePath(u"big.csv"_s);
    if (!Check(WriteCsv(csv), u"cannot write "_s + csv) ||
        !Check(engine.Execute(kBigTable) && engine.Execute(kBigIndex), engine.LastError()))
        return 1;
    const double importMs = TimeMs([&] {
        QFile file(csv);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QByteArray text = file.readAll();
        qsizetype at = 0;
        return Check(engine.InsertRows(u"\"Big_Kv7.DB\""_s, kBigColumns,
                                       [&](TRowBinder& row) {
                                           const qsizetype end = text.indexOf('\n', at);
                                           if (end < 0)
                                               return false;
                                           int column = 0;
                                           for (qsizetype field = at; field <= end;) {
                                               qsizetype stop = text.indexOf(',', field);
                                               if (stop < 0 || stop > end)
                                                   stop = end;
                                               row.BindUtf8(column++, QByteArrayView(text).sliced(
                                                                          field, stop - field));
                                               field = stop + 1;
                                           }
                                           at = end + 1;
                                           return true;
                                       }),
                     engine.LastError());
    });
    PrintFigure("import_1m_ms", importMs, "ms");

    // The shell gets the same statements in SQLite's dialect, on a file of its own.
    const QString create =
        engine.Translate(QString(kBigTable).replace(u"Big_Kv7"_s, u"Shell_Kv7"_s)).Sql;
    const QString index =
        engine.Translate(QString(kBigIndex).replace(u"Big_Kv7"_s, u"Shell_Kv7"_s)).Sql;
    engine.CloseTableFile(u"Shell_Kv7.DB"_s);
    QFile::remove(home.filePath(u"Shell_Kv7.DB"_s));
    const QString script = QString(create).replace(u"\"Shell_Kv7\"."_s, QString()) + u";\n"_s +
                           QString(index).replace(u"\"Shell_Kv7\"."_s, QString()) +
                           u";\n.mode csv\n.import "_s + csv + u" DB\n"_s;
    QProcess shell;
    const double shellMs = TimeMs([&] {
        shell.start(u"sqlite3"_s, {home.filePath(u"Shell_Kv7.DB"_s)});
        if (!shell.waitForStarted())
            return Check(false, u"sqlite3 did not start: "_s + shell.errorString());
        shell.write(script.toUtf8());
        shell.closeWriteChannel();
        return shell.waitForFinished(600000) && shell.exitCode() == 0;
    });
    PrintFigure("sqlite3_import_1m_ms", shellMs, "ms");
    PrintFigure("import_vs_sqlite3", importMs / shellMs);

    TTableView big(engine);
    big.SetSql(u"Select * from \"Big_Kv7.DB\" ORDER BY Freq"_s);
    PrintFigure("open_1m_sorted_screen_ms", TimeMs([&] {
                    if (!Check(big.Open(), big.LastError()))
                        return false;
                    for (int row = 0; row < kScreenRows; ++row)
                        if (big.ValueAt(row, 0).isNull())
                            return false;
                    return true;
                }),
                "ms");
    PrintFigure("count_1m_ms", TimeMs([&] { return big.RecordCount() == kMillion; }), "ms");
    return 0;
}
