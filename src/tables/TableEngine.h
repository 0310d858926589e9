#pragma once

#include "SqlDialect.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
class TTableView;

// The decimal and thousands separators of the engine's number format for text tables.
inline constexpr QChar kEngineDecimalSeparator = u'.';
inline constexpr QChar kEngineThousandSeparator = u',';

inline constexpr const char* kRecordNotFoundText = "Record not found";
inline constexpr const char* kOnlyReadingText = "Only a statement that reads rows can be run here";
inline constexpr const char* kPragmaRefusedText = "PRAGMA and table functions are not allowed here";

// Binds the values of one row for TTableEngine::InsertRows, by column position.
class TRowBinder {
public:
    explicit TRowBinder(sqlite3_stmt* statement)
        : FStatement(statement) {}
    void BindNull(int column);
    void BindText(int column, QStringView text);
    void BindUtf8(int column, QByteArrayView text);
    void BindNumber(int column, double value);
    void BindInteger(int column, qint64 value);
    void Bind(int column, const QVariant& value);

private:
    sqlite3_stmt* FStatement;
};

// The table engine: one SQLite connection whose table files are attached as they are named.
// Statements come in the older dialect (SqlDialect.h). Every failure leaves its text in
// LastError(); nothing is thrown. Writes run in transactions, so a failed statement or a killed
// process never leaves a half-written table. One thread only.
class TTableEngine {
public:
    // Relative file names in statements are taken from baseFolder.
    explicit TTableEngine(const QString& baseFolder);
    ~TTableEngine();
    TTableEngine(const TTableEngine&) = delete;
    TTableEngine& operator=(const TTableEngine&) = delete;

    const QString& BaseFolder() const { return FBaseFolder; }
    const QString& LastError() const { return FLastError; }

    // The file a table name stands for: relative to the base folder, "\" taken as "/", and the
    // file name matched without regard to letter case when no exact match exists.
    QString ResolvePath(const QString& fileName) const;

    // Translates a statement, attaching the files it names.
    TTranslation Translate(const QString& sql);

    // Runs one statement without a result (UPDATE, CREATE TABLE, CREATE INDEX, DROP TABLE, ...).
    // DROP TABLE of a table file deletes the file. Parameters bind by position.
    bool Execute(const QString& sql, const QVariantList& parameters = {});
    // The first column of the first row of a query, or nullopt on error (invalid when no row).
    std::optional<QVariant> QueryValue(const QString& sql, const QVariantList& parameters = {});
    // Calls rowFn for every row of a query; false stops early.
    bool ForEachRow(const QString& sql, const QVariantList& parameters,
                    const std::function<bool(const QVariantList& row)>& rowFn);
    // Whether a statement the user typed may be opened: exactly one statement that only reads
    // rows, touching no attachment, pragma or extension. Empty when it may, else why not.
    QString CheckReadingQuery(const QString& sql);
    // Statements in SQLite's own dialect, for what the program builds itself.
    bool ExecuteNative(const QString& sql, const QVariantList& parameters = {});
    std::optional<QVariant> QueryValueNative(const QString& sql,
                                             const QVariantList& parameters = {});
    int ChangedRows() const;

    // Appends rows to a table with one prepared statement: next binds one row and returns true,
    // or returns false when there are no more rows. All rows or none.
    bool InsertRows(const QString& table, const QStringList& columns,
                    const std::function<bool(TRowBinder& row)>& next);

    // Every row of source updates the row of destination with the same key, in the columns the
    // two share; when replaced is given, that table file is made anew with destination's schema
    // and receives the rows as they were before. All or nothing.
    bool BatchUpdate(const QString& source, const QString& destination, const QString& keyField,
                     const QString& replaced = {});
    // Appends every row of source to destination, in the columns the two share.
    bool BatchAppend(const QString& source, const QString& destination);
    // Copies a whole table file to targetFile, replacing it.
    bool CopyTable(const QString& source, const QString& targetFile);
    // Takes a table file for exclusive use, regenerates all its indexes and releases it.
    bool RegenerateIndexes(const QString& table);
    // Makes sure what has been posted is on disk.
    bool Flush();

    // The columns of a table, in stored order, with their declared types.
    struct TColumn {
        QString Name;
        QString Type;
    };
    std::optional<std::vector<TColumn>> Columns(const QString& table);
    // "schema"."table" for a table name of the dialect, attaching its file.
    std::optional<QString> TableSql(const QString& table);

    // Transactions nest: an inner one is a savepoint of the outer.
    bool Begin();
    bool Commit();
    void Rollback();
    bool InTransaction() const { return FTransactionDepth > 0; }

    // Closes idle attachments; a file that is to be replaced or deleted must not be attached.
    void DetachIdle();
    // Lets go of one table file; refused while a view has it open.
    bool CloseTableFile(const QString& fileName);

    sqlite3* Handle() const { return FDb; }
    // After an error: the files named, followed by ": ", when the error says a file is damaged
    // or not a database; else nothing.
    QString DamageContext(const std::vector<TTableTarget>& targets) const;

private:
    friend class TTableView;

    struct TAttachment {
        QString Schema;
        int Users = 0; // open views
    };

    QString FBaseFolder;
    sqlite3* FDb = nullptr;
    QString FLastError;
    QHash<QString, TAttachment> FAttached; // by canonical path
    // Statements the program runs again and again (posts, savepoints), kept prepared.
    QHash<QString, sqlite3_stmt*> FPrepared;
    int FTransactionDepth = 0;
    std::vector<TTableView*> FViews;

    std::optional<TTableTarget> Attach(const QString& fileName, TTableUse use, QString& error);
    bool Detach(const QString& path);
    QString UniqueSchemaName(const QString& path) const;
    QString TableInFile(const QString& schema, const QString& path);
    bool DropTableFile(const TTableTarget& target);
    // Runs a statement; keepPrepared keeps it prepared for the next run of the same text.
    bool Run(const QString& sql, const QVariantList& parameters,
             const std::function<bool(sqlite3_stmt*)>& rowFn, bool keepPrepared = false);
    bool Fail(const QString& text);
    bool FailSqlite(const QString& context = {});
    sqlite3_stmt* Prepare(const QString& sql);
    // A prepared statement from the cache, reset and unbound when it is handed back with Done.
    sqlite3_stmt* Cached(const QString& sql);
    static void Done(sqlite3_stmt* statement);
    void ClearPrepared();
    // A view that is fetching rows on demand lets go of its cursor before a write.
    void SuspendCursors();
    void Retain(const std::vector<TTableTarget>& targets);
    void Release(const std::vector<TTableTarget>& targets);
};

// A transaction that rolls back unless committed.
class TTransaction {
public:
    explicit TTransaction(TTableEngine& engine)
        : FEngine(engine)
        , FOpen(engine.Begin()) {}
    ~TTransaction() {
        if (FOpen)
            FEngine.Rollback();
    }
    TTransaction(const TTransaction&) = delete;
    TTransaction& operator=(const TTransaction&) = delete;
    bool Started() const { return FOpen; }
    bool Commit() {
        FOpen = false;
        return FEngine.Commit();
    }
    void Rollback() {
        if (FOpen)
            FEngine.Rollback();
        FOpen = false;
    }

private:
    TTableEngine& FEngine;
    bool FOpen;
};

// Whether a file starts as an SQLite database does.
bool IsSqliteFile(const QString& path);

// Puts a finished file in place of another in one step, replacing it if it exists.
bool ReplaceFile(const QString& from, const QString& to, QString& error);

// Ends the conversion of an older table file: when `filled` (the new table written to `partial`
// from the temporary table `tempTable`), the original is kept as "<path>.legacy" (or
// ".legacy2", ...) and the new table takes its place; otherwise the partial file goes and the
// original stays as it was. The temporary table is dropped either way.
bool FinishConversion(TTableEngine& engine, const QString& path, const QString& partial,
                      const QString& tempTable, bool filled, QString& error);

// Binds one value to an SQLite statement parameter (1-based).
void BindValue(sqlite3_stmt* statement, int parameter, const QVariant& value);
