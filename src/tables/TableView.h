#pragma once

#include "SqlDialect.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>
#include <vector>

class TTableEngine;
struct sqlite3_stmt;

enum class TViewState { Inactive, Browse, Edit, Insert };

// What a field holds, from its declared type.
enum class TFieldKind { Text, Float, Integer, Boolean, Date, Time, Blob, Other };

// Who assigns a field: checks run only on what the user typed.
enum class TAssignOrigin { Program, User };

enum class TLocateResult { Found, NotFound, Failed };

struct TLocateOptions {
    bool CaseInsensitive = false;
    bool PartialKey = false; // the field's text starts with the value
};

struct TFieldInfo {
    QString Name;
    QString DeclaredType;
    TFieldKind Kind = TFieldKind::Other;
    int Size = 0; // characters of a CHARACTER(n) / VARCHAR(n) field, 0 when unbounded
    bool ReadOnly = false;
};

// A place in a view that survives reopening while its row exists.
struct TBookmark {
    qint64 RowId = 0;
    int Row = -1; // for views whose rows are not table rows
    quint64 OpenSerial = 0;
    bool IsValid() const { return Row >= 0 || RowId != 0; }
    void Clear() { *this = {}; }
};

// A live view over one SELECT statement of the older dialect, with a current row that can be
// edited, posted or cancelled when the statement reads one table with plain columns. Rows are
// fetched as they are needed; a write anywhere in the engine first lets go of the cursor, and
// fetching then goes on with the rows not yet read, even when the write moved rows about.
class TTableView : public QObject {
    Q_OBJECT

public:
    explicit TTableView(TTableEngine& engine, QObject* parent = nullptr);
    ~TTableView() override;

    void SetSql(const QString& sql);
    const QString& Sql() const { return FSql; }
    bool Open();
    void Close();
    bool Active() const { return FState != TViewState::Inactive; }
    TViewState State() const { return FState; }
    bool CanModify() const { return FEditable && !FReadOnlyFile; }
    const QString& LastError() const { return FLastError; }

    // Insert and delete through the view; refused silently when off.
    bool AllowInsert = true;
    bool AllowDelete = true;

    int FieldCount() const { return static_cast<int>(FFields.size()); }
    const TFieldInfo& Field(int field) const { return FFields[static_cast<std::size_t>(field)]; }
    int FieldIndex(QStringView name) const; // -1 when there is none
    void SetFieldReadOnly(int field, bool readOnly);

    // Rows: the count fetches as far as it must; RecNo is 0-based, -1 when empty.
    int RecordCount();
    int FetchedCount() const { return static_cast<int>(FRows.size()); }
    bool AllFetched() const { return FAtEnd; }
    int FetchMore(int rows);
    int RecNo() const { return FCurrent; }
    bool IsEmpty();
    bool Eof() const { return FEof; }
    bool Bof() const { return FBof; }
    void First();
    void Last();
    void Next();
    void Prior();
    bool MoveTo(int row);

    // The current row, or the edit buffer while editing.
    QVariant Value(int field) const;
    QVariant Value(QStringView name) const;
    QVariant ValueAt(int row, int field) const;
    bool IsNull(QStringView name) const { return Value(name).isNull(); }

    bool Edit();
    bool Append();
    // Assigns a field of the edit buffer. OnValidate may refuse the value, which leaves the
    // field as it was; the result says whether the value was taken.
    bool SetField(int field, const QVariant& value, TAssignOrigin origin = TAssignOrigin::Program);
    bool SetField(QStringView name, const QVariant& value,
                  TAssignOrigin origin = TAssignOrigin::Program);
    bool Post();
    void Cancel();
    bool Delete();
    // Reads the current row again from its table.
    bool Refresh();

    TLocateResult Locate(QStringView field, const QVariant& value, TLocateOptions options = {});
    // The first row from `from` on for which match is true, looking at no more than `limit`
    // rows when it is not negative.
    TLocateResult LocateIf(int from, const std::function<bool(const TTableView&, int row)>& match,
                           int limit = -1);
    // Whether any row the view shows has `value` in `field`, asked of the table itself so that
    // rows not yet read count too (the filter hook cannot take part). nullopt on an error.
    std::optional<bool> ShownRowsHave(QStringView field, const QVariant& value);

    TBookmark GetBookmark() const;
    bool BookmarkValid(const TBookmark& bookmark);
    bool GotoBookmark(const TBookmark& bookmark);

    // Filters apply while Filtered is on; switching reopens an open view on the same row.
    void SetFilter(const QString& condition);
    const QString& Filter() const { return FFilter; }
    std::function<bool(const TTableView& view, const QVariantList& values)> OnFilterRecord;
    bool SetFiltered(bool filtered);
    bool Filtered() const { return FFiltered; }

    // Single-handler hooks. OnValidate sees the value as given, before a text is cut to the
    // field's size; it may change it, and when it refuses one, it tells the user why.
    std::function<bool(TTableView& view, int field, QVariant& value, TAssignOrigin origin)>
        OnValidate;
    std::function<void(TTableView& view, int field)> OnFieldChange;
    // Runs before a row is written; a non-empty text refuses the post with that text and leaves
    // the row being edited.
    std::function<QString(TTableView& view)> OnBeforePost;

    // Sets one field of every row the view shows (its statement and its filter condition; a
    // filter hook cannot take part) in one statement. Editable views only; `changed` receives
    // the number of rows written. The view must be reopened to show the new values.
    bool UpdateShownRows(QStringView field, const QVariant& value, int* changed = nullptr);

    // Lets go of the cursor; the next fetch starts after the rows already read.
    void SuspendCursor();

Q_SIGNALS:
    void Opened();
    void Closed();
    void RowsFetched(int first, int last);
    void RowChanged(int row);
    void RowRemoved(int row);
    void CurrentChanged(int row);

private:
    struct TRow {
        qint64 RowId = 0;
        QVariantList Values;
    };

    TTableEngine& FEngine;
    QString FSql;
    QString FFilter;
    bool FFiltered = false;
    TViewState FState = TViewState::Inactive;
    QString FLastError;
    QString FQuery;  // the statement that reads the rows, in SQLite's dialect
    QString FTable;  // "schema"."table" of an editable view
    QString FSource; // FROM clause of an editable view
    QString FColumns;
    QString FWhere; // the statement's condition with the filter's, SQLite's dialect
    QString FTail;  // ORDER BY / LIMIT of the statement
    QString FCountQuery;
    bool FEditable = false;
    bool FReadOnlyFile = false;
    // The rows the view shows, for statements of its own; empty when the view cannot say.
    QString ShownRowsQuery(const QString& columns) const;
    std::vector<TTableTarget> FTargets;
    std::vector<TFieldInfo> FFields;
    std::vector<TRow> FRows;
    sqlite3_stmt* FCursor = nullptr;
    qint64 FStepped = 0; // rows the cursor has read, filtered out or not
    bool FAtEnd = false;
    bool FFetchFailed = false;
    bool FQueryHasLimit = false;
    // After a write an editable view reads from the start again, passing over the rows it has.
    QSet<qint64> FFetchedIds;
    bool FSkipFetched = false;
    // Exact locates by text look rows up here once every row is read; any change to the rows
    // makes it stale.
    quint64 FRowsVersion = 0;
    struct TLocateIndex {
        int Field = -1;
        quint64 Version = 0;
        bool Usable = false;
        QHash<QString, int> Rows;
    } FLocateIndex;
    std::optional<qint64> FCount;
    int FCurrent = -1;
    bool FEof = true;
    bool FBof = true;
    QVariantList FBuffer;
    std::vector<bool> FModified;
    quint64 FOpenSerial = 0;

    bool Fail(const QString& text);
    bool StartCursor();
    bool FetchRow();
    bool ReadRow(qint64 rowId, QVariantList& values);
    bool Write(const QString& sql, const QVariantList& parameters, qint64& rowId,
               QVariantList& stored, bool& written);
    void SetCurrent(int row);
    bool CheckBrowseMode();
    // Refuses silently when not allowed; a read-only view refuses with a message.
    bool ReadyToChangeRows(bool allowed);
    int FindBookmark(const TBookmark& bookmark);
    int IndexedRow(int field, const QString& key);
    int FirstColumn() const { return FEditable ? 1 : 0; }
    bool Reopen();
};

TFieldKind FieldKindOf(const QString& declaredType, int* size = nullptr);
