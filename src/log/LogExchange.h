#pragma once

#include "LogTable.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class TTableEngine;
class TTableView;

// Log rows to and from files: a CSV file with a header line that only the log window reads and
// writes, and the Kv7 text database that the memory window shares. Exports write the rows a view
// shows, in its order; imports append to a log table in batches, each batch in one transaction,
// so what was stored before an error or a stop stays. Nothing here knows of windows.

inline constexpr const char* kLogCsvHeader =
    "Freq,Mode,BW,Step,Ant,StepAdj,Text,Squelch,Category,Date,Time,Signal";
inline constexpr const char* kNotALogCsvText = "Not an Kv7 saved database table";
// The memory table (and the receiver) holds no more channels than this.
inline constexpr int kLogKv7MaxRows = 999;
inline constexpr const char* kTooManyForKv7Text =
    "                More than 999 records.\r\nToo many to import into mem table and "
    "receiver.\r\n         Apply a sub-selection [Ctrl-Shift-Q]";
// Each commit writes every index page the batch touched, and the log's indexes are on random
// keys: big batches keep a million-row import near the speed of one transaction, the time
// budget keeps the Cancel button answered on a slow disk.
inline constexpr int kLogImportBatchRows = 100000;
inline constexpr int kLogImportBatchMs = 2000;

// Told the rows done so far, now and then; returning false asks the work to stop.
using TLogProgress = std::function<bool(qint64 done)>;

struct TLogExportResult {
    qint64 Written = 0;
    bool Cancelled = false; // stopped on request: the file was not replaced
    QString Error;          // the file was not replaced
    bool Ok() const { return Error.isEmpty() && !Cancelled; }
};

// The native statement that reads the rows `view` shows, in its order (its filter condition
// included), or nullopt with the reason in `error`.
std::optional<QString> ShownLogRowsSql(TTableEngine& engine, const TTableView& view,
                                       QString& error);
std::optional<qint64> ShownLogRowCount(TTableEngine& engine, const TTableView& view,
                                       QString& error);

// The header line, then one line a row. Fields holding a comma, a quote or a line break are
// quoted; dates and times are ISO, numbers use ".". The file appears only when complete.
TLogExportResult ExportLogCsv(TTableEngine& engine, const TTableView& view,
                              const QString& categoryTable, const QString& path,
                              const TLogProgress& progress = {});
// One Kv7 record a row, numbered from 000, with the schema file beside it. The caller keeps to
// kLogKv7MaxRows; rows past 999 would not fit the record's number.
TLogExportResult ExportLogKv7(TTableEngine& engine, const TTableView& view, const QString& path,
                              const TLogProgress& progress = {});

struct TSkippedLine {
    qint64 Line = 0; // 1-based, in the file
    QString Reason;
};

struct TLogImportResult {
    qint64 Added = 0;
    QList<TSkippedLine> Skipped; // lines of which nothing was stored
    bool Cancelled = false;
    bool NotALogFile = false; // the CSV header lacks a column the log needs: nothing was stored
    QString Error;            // the import ended early; rows added before it stay
    bool Ok() const { return Error.isEmpty() && !Cancelled && !NotALogFile; }
};

enum class TLogFileFormat { Csv, Kv7 };

struct TLogImportSettings {
    QString LogTable;
    QString CategoryTable;
    TLogStamp Stamp; // for rows the file gives no date and time of their own
    int BatchRows = kLogImportBatchRows;
    int BatchMs = kLogImportBatchMs;
};

// An import that goes a batch at a time, so the caller can keep its window alive between
// batches and stop when asked.
class TLogImport {
public:
    TLogImport(TTableEngine& engine, TLogFileFormat format, const QString& path,
               const TLogImportSettings& settings);
    ~TLogImport();
    TLogImport(const TLogImport&) = delete;
    TLogImport& operator=(const TLogImport&) = delete;

    // Reads the file (UTF-8, or Windows-1252 when it is not valid UTF-8) and, for CSV, its
    // header. False when there is nothing to import: Result() says why.
    bool Start();
    // Stores the next batch; false when the file is done or the import failed.
    bool Step();
    // Stops before the next batch; what is stored stays.
    void Stop();
    // Lines of the file looked at so far.
    qint64 LinesRead() const;
    const TLogImportResult& Result() const;

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

// The whole import, `progress` told after every batch.
TLogImportResult ImportLogFile(TTableEngine& engine, TLogFileFormat format, const QString& path,
                               const TLogImportSettings& settings,
                               const TLogProgress& progress = {});
