#include "TableView.h"

#include "TableEngine.h"

#include <QDate>
#include <QTime>

#include <sqlite3.h>

#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

// Rows read when a view opens: more than a screenful, far less than a big table.
constexpr int kFirstFetchRows = 100;
constexpr int kFetchRows = 256;
constexpr int kIndexedRowsMax = 20000;

quint64 NextOpenSerial() {
    static quint64 serial = 0;
    return ++serial;
}

bool SameValue(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    return a == b;
}

bool IsNumber(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

// Compares stored values with one wanted value; the key is made once, not once a row.
class TMatcher {
public:
    TMatcher(const QVariant& wanted, const TLocateOptions& options)
        : FWanted(wanted)
        , FKey(wanted.toString())
        , FNumber(IsNumber(wanted))
        , FOptions(options) {}

    bool operator()(const QVariant& stored) const {
        if (FWanted.isNull() || stored.isNull())
            return FWanted.isNull() && stored.isNull();
        if (FNumber && IsNumber(stored))
            return stored.toDouble() == FWanted.toDouble();
        if (stored.typeId() == QMetaType::QString)
            return Match(*static_cast<const QString*>(stored.constData()));
        return Match(stored.toString());
    }

private:
    QVariant FWanted;
    QString FKey;
    bool FNumber;
    TLocateOptions FOptions;

    bool Match(const QString& text) const {
        const Qt::CaseSensitivity cs =
            FOptions.CaseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
        return FOptions.PartialKey ? text.startsWith(FKey, cs) : text.compare(FKey, cs) == 0;
    }
};

bool HasLimitWord(const QString& sql) {
    QString error;
    const std::vector<TSqlToken> tokens = TokenizeSql(sql, &error);
    return std::any_of(tokens.cbegin(), tokens.cend(), [](const TSqlToken& token) {
        return token.Kind == TSqlTokenKind::Word &&
               token.Text.compare(u"LIMIT"_s, Qt::CaseInsensitive) == 0;
    });
}

QVariant ReadValue(sqlite3_stmt* s, int column, const TFieldInfo& field) {
    switch (sqlite3_column_type(s, column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER: {
        const qint64 value = sqlite3_column_int64(s, column);
        if (field.Kind == TFieldKind::Boolean)
            return QVariant(value != 0);
        if (field.Kind == TFieldKind::Float)
            return QVariant(static_cast<double>(value));
        return QVariant(value);
    }
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(s, column));
    case SQLITE_TEXT: {
        const QString text(static_cast<const QChar*>(sqlite3_column_text16(s, column)),
                           sqlite3_column_bytes16(s, column) / static_cast<int>(sizeof(QChar)));
        if (field.Kind == TFieldKind::Date) {
            const QDate date = QDate::fromString(text, Qt::ISODate);
            return date.isValid() ? QVariant(date) : QVariant(text);
        }
        if (field.Kind == TFieldKind::Time) {
            const QTime time = QTime::fromString(text, Qt::ISODate);
            return time.isValid() ? QVariant(time) : QVariant(text);
        }
        return QVariant(text);
    }
    default:
        return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(s, column)),
                                   sqlite3_column_bytes(s, column)));
    }
}

} // namespace

TFieldKind FieldKindOf(const QString& declaredType, int* size) {
    const QString type = declaredType.toUpper();
    if (size) {
        *size = 0;
        const qsizetype open = type.indexOf(u'(');
        const qsizetype close = type.indexOf(u')', open);
        if (open >= 0 && close > open && !type.mid(open + 1, close - open - 1).contains(u','))
            *size = type.mid(open + 1, close - open - 1).trimmed().toInt();
    }
    if (type.contains(u"BOOL"_s))
        return TFieldKind::Boolean;
    if (type.startsWith(u"DATE"_s))
        return TFieldKind::Date;
    if (type.startsWith(u"TIME"_s))
        return TFieldKind::Time;
    if (type.contains(u"INT"_s))
        return TFieldKind::Integer;
    if (type.contains(u"CHAR"_s) || type.contains(u"TEXT"_s) || type.contains(u"CLOB"_s))
        return TFieldKind::Text;
    if (type.contains(u"BLOB"_s))
        return TFieldKind::Blob;
    for (const QString& number : {u"REAL"_s, u"FLOA"_s, u"DOUB"_s, u"NUM"_s, u"DEC"_s})
        if (type.contains(number))
            return TFieldKind::Float;
    return TFieldKind::Other;
}

TTableView::TTableView(TTableEngine& engine, QObject* parent)
    : QObject(parent)
    , FEngine(engine) {
    FEngine.FViews.push_back(this);
}

TTableView::~TTableView() {
    Close();
    std::erase(FEngine.FViews, this);
}

bool TTableView::Fail(const QString& text) {
    FLastError = text;
    return false;
}

void TTableView::SetSql(const QString& sql) {
    FSql = sql;
}

bool TTableView::Open() {
    Close();
    FLastError.clear();
    const TTranslation translation = FEngine.Translate(FSql);
    if (!translation.Ok())
        return Fail(translation.Error);
    if (translation.Kind != TStatementKind::Select)
        return Fail(u"Only a SELECT statement can be opened as a view"_s);
    QString condition;
    if (FFiltered && !FFilter.trimmed().isEmpty()) {
        const TTranslation filter = TranslateCondition(FFilter);
        if (!filter.Ok())
            return Fail(u"Filter "_s + FFilter + u": "_s + filter.Error);
        condition = filter.Sql;
    }
    FTargets = translation.Targets;
    FEngine.Retain(FTargets);
    FEditable = translation.Select && translation.Select->Editable;
    if (FEditable) {
        const TSelectParts& parts = *translation.Select;
        FTable = parts.Table;
        FSource = parts.Source;
        FColumns = parts.Columns;
        QString where = parts.Where;
        if (!condition.isEmpty())
            where = where.isEmpty() ? condition : u'(' + where + u") AND ("_s + condition + u')';
        FWhere = where;
        FTail = parts.Tail;
        FQuery = u"SELECT _rowid_, "_s + parts.Columns + u" FROM "_s + parts.Source;
        if (!where.isEmpty())
            FQuery += u" WHERE "_s + where;
        FQueryHasLimit = HasLimitWord(parts.Tail);
        // The order does not change a count, and sorting a big table to count it is slow.
        FCountQuery = FQueryHasLimit ? QString() : u"SELECT count(*) FROM ("_s + FQuery + u')';
        if (!parts.Tail.isEmpty())
            FQuery += u' ' + parts.Tail;
    }
    if (!FEditable || !StartCursor()) {
        // Tables without row ids (views, subqueries) are read as they are.
        FEditable = false;
        FQuery = translation.Sql;
        if (!condition.isEmpty())
            FQuery = u"SELECT * FROM ("_s + FQuery + u") WHERE "_s + condition;
        FQueryHasLimit = true;
        FLastError.clear();
        if (!StartCursor()) {
            FEngine.Release(FTargets);
            FTargets.clear();
            return false;
        }
    }
    FReadOnlyFile = std::any_of(FTargets.cbegin(), FTargets.cend(), [this](const TTableTarget& t) {
        return sqlite3_db_readonly(FEngine.Handle(), t.Schema.toUtf8().constData()) == 1;
    });
    FFields.clear();
    const int columns = sqlite3_column_count(FCursor);
    for (int c = FirstColumn(); c < columns; ++c) {
        TFieldInfo field;
        field.Name = QString::fromUtf8(sqlite3_column_name(FCursor, c));
        const char* declared = sqlite3_column_decltype(FCursor, c);
        field.DeclaredType = declared ? QString::fromUtf8(declared) : QString();
        field.Kind = FieldKindOf(field.DeclaredType, &field.Size);
        FFields.push_back(field);
    }
    FOpenSerial = NextOpenSerial();
    FState = TViewState::Browse;
    FetchMore(kFirstFetchRows);
    if (FFetchFailed) {
        const QString error = FLastError;
        Close();
        return Fail(error);
    }
    SetCurrent(FRows.empty() ? -1 : 0);
    FBof = true;
    FEof = FRows.empty();
    Q_EMIT Opened();
    return true;
}

void TTableView::Close() {
    const bool wasActive = Active();
    if (FCursor) {
        sqlite3_finalize(FCursor);
        FCursor = nullptr;
    }
    FEngine.Release(FTargets);
    FTargets.clear();
    FRows.clear();
    FStepped = 0;
    FAtEnd = false;
    FFetchFailed = false;
    FFetchedIds.clear();
    FSkipFetched = false;
    FCount.reset();
    FCountQuery.clear();
    FWhere.clear();
    FTail.clear();
    ++FRowsVersion;
    FBuffer.clear();
    FState = TViewState::Inactive;
    FCurrent = -1;
    FEof = FBof = true;
    if (wasActive)
        Q_EMIT Closed();
}

bool TTableView::StartCursor() {
    QString sql = FQuery;
    if (FStepped > 0 && FEditable) {
        FFetchedIds.clear();
        for (const TRow& row : FRows)
            FFetchedIds.insert(row.RowId);
        FSkipFetched = true;
    } else if (FStepped > 0) {
        const QString offset = u" LIMIT -1 OFFSET "_s + QString::number(FStepped);
        sql = FQueryHasLimit ? u"SELECT * FROM ("_s + sql + u')' + offset : sql + offset;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare16_v2(FEngine.Handle(), sql.utf16(), static_cast<int>(sql.size() * 2),
                             &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return Fail(FEngine.DamageContext(FTargets) +
                    QString::fromUtf8(sqlite3_errmsg(FEngine.Handle())));
    }
    FCursor = statement;
    return true;
}

void TTableView::SuspendCursor() {
    if (!FCursor || FAtEnd)
        return;
    sqlite3_finalize(FCursor);
    FCursor = nullptr;
}

bool TTableView::FetchRow() {
    if (FAtEnd || !Active())
        return false;
    if (!FCursor && !StartCursor()) {
        FAtEnd = true;
        FFetchFailed = true;
        return false;
    }
    const int rc = sqlite3_step(FCursor);
    if (rc != SQLITE_ROW) {
        if (rc != SQLITE_DONE) {
            FFetchFailed = true;
            Fail(FEngine.DamageContext(FTargets) +
                 QString::fromUtf8(sqlite3_errmsg(FEngine.Handle())));
        }
        sqlite3_finalize(FCursor);
        FCursor = nullptr;
        FAtEnd = true;
        return false;
    }
    ++FStepped;
    TRow row;
    row.RowId = FEditable ? sqlite3_column_int64(FCursor, 0) : 0;
    if (FSkipFetched && FFetchedIds.contains(row.RowId))
        return true;
    row.Values.reserve(FieldCount());
    for (int f = 0; f < FieldCount(); ++f)
        row.Values << ReadValue(FCursor, f + FirstColumn(), FFields[static_cast<std::size_t>(f)]);
    if (!(FFiltered && OnFilterRecord && !OnFilterRecord(*this, row.Values))) {
        FRows.push_back(std::move(row));
        ++FRowsVersion;
    }
    return true;
}

int TTableView::FetchMore(int rows) {
    const int first = FetchedCount();
    while (FetchedCount() - first < rows && FetchRow()) {
    }
    if (FetchedCount() > first)
        Q_EMIT RowsFetched(first, FetchedCount() - 1);
    return FetchedCount() - first;
}

int TTableView::RecordCount() {
    if (!Active())
        return 0;
    if (FAtEnd)
        return FetchedCount();
    if (FFiltered && OnFilterRecord) {
        FetchMore(std::numeric_limits<int>::max());
        return FetchedCount();
    }
    if (!FCount) {
        const QString sql =
            FCountQuery.isEmpty() ? u"SELECT count(*) FROM ("_s + FQuery + u')' : FCountQuery;
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare16_v2(FEngine.Handle(), sql.utf16(), static_cast<int>(sql.size() * 2),
                                 &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            FCount = sqlite3_column_int64(statement, 0);
        sqlite3_finalize(statement);
        if (!FCount) {
            FetchMore(std::numeric_limits<int>::max());
            return FetchedCount();
        }
    }
    return static_cast<int>(std::max<qint64>(*FCount, FetchedCount()));
}

bool TTableView::IsEmpty() {
    return FRows.empty() && (FAtEnd || FetchMore(1) == 0);
}

int TTableView::FieldIndex(QStringView name) const {
    for (int f = 0; f < FieldCount(); ++f)
        if (FFields[static_cast<std::size_t>(f)].Name.compare(name, Qt::CaseInsensitive) == 0)
            return f;
    return -1;
}

void TTableView::SetFieldReadOnly(int field, bool readOnly) {
    if (field >= 0 && field < FieldCount())
        FFields[static_cast<std::size_t>(field)].ReadOnly = readOnly;
}

void TTableView::SetCurrent(int row) {
    if (row == FCurrent)
        return;
    FCurrent = row;
    Q_EMIT CurrentChanged(row);
}

bool TTableView::CheckBrowseMode() {
    if (FState == TViewState::Edit || FState == TViewState::Insert)
        return Post();
    return Active() || Fail(u"The view is not open"_s);
}

void TTableView::First() {
    if (!CheckBrowseMode())
        return;
    SetCurrent(IsEmpty() ? -1 : 0);
    FBof = true;
    FEof = FRows.empty();
}

void TTableView::Last() {
    if (!CheckBrowseMode())
        return;
    FetchMore(std::numeric_limits<int>::max());
    SetCurrent(FetchedCount() - 1);
    FEof = true;
    FBof = FRows.empty();
}

void TTableView::Next() {
    if (!CheckBrowseMode())
        return;
    if (FCurrent + 1 < FetchedCount() || FetchMore(kFetchRows) > 0) {
        SetCurrent(FCurrent + 1);
        FBof = FEof = false;
    } else {
        FEof = true;
    }
}

void TTableView::Prior() {
    if (!CheckBrowseMode())
        return;
    if (FCurrent > 0) {
        SetCurrent(FCurrent - 1);
        FBof = FEof = false;
    } else {
        FBof = true;
    }
}

bool TTableView::MoveTo(int row) {
    if (!CheckBrowseMode() || row < 0)
        return false;
    if (row >= FetchedCount())
        FetchMore(std::max(row + 1 - FetchedCount(), kFetchRows));
    if (row >= FetchedCount())
        return false;
    SetCurrent(row);
    FBof = FEof = false;
    return true;
}

QVariant TTableView::Value(int field) const {
    if (field < 0 || field >= FieldCount())
        return {};
    if (FState == TViewState::Edit || FState == TViewState::Insert)
        return FBuffer.value(field);
    return ValueAt(FCurrent, field);
}

QVariant TTableView::Value(QStringView name) const {
    return Value(FieldIndex(name));
}

QVariant TTableView::ValueAt(int row, int field) const {
    if (row < 0 || row >= FetchedCount())
        return {};
    return FRows[static_cast<std::size_t>(row)].Values.value(field);
}

bool TTableView::Edit() {
    if (!Active())
        return Fail(u"The view is not open"_s);
    if (FState == TViewState::Edit || FState == TViewState::Insert)
        return true;
    if (!CanModify())
        return Fail(u"Cannot modify a read-only view"_s);
    if (FCurrent < 0)
        return Fail(u"The view has no row to edit"_s);
    FBuffer = FRows[static_cast<std::size_t>(FCurrent)].Values;
    FModified.assign(FFields.size(), false);
    FState = TViewState::Edit;
    return true;
}

bool TTableView::ReadyToChangeRows(bool allowed) {
    if (!allowed || !CheckBrowseMode())
        return false;
    return CanModify() || Fail(u"Cannot modify a read-only view"_s);
}

bool TTableView::Append() {
    if (!ReadyToChangeRows(AllowInsert))
        return false;
    FBuffer = QVariantList(FieldCount());
    FModified.assign(FFields.size(), false);
    FState = TViewState::Insert;
    return true;
}

bool TTableView::SetField(int field, const QVariant& value, TAssignOrigin origin) {
    if (FState != TViewState::Edit && FState != TViewState::Insert)
        return Fail(u"The view is not being edited"_s);
    if (field < 0 || field >= FieldCount())
        return Fail(u"No such field"_s);
    const TFieldInfo& info = FFields[static_cast<std::size_t>(field)];
    if (info.ReadOnly && origin == TAssignOrigin::User)
        return Fail(u"Field "_s + info.Name + u" cannot be modified"_s);
    QVariant assigned = value;
    // A refused value changes nothing: the field keeps what it held. The check sees the whole
    // text, so it can refuse one that is too long instead of having it cut.
    if (OnValidate && !OnValidate(*this, field, assigned, origin))
        return Fail(u"Field "_s + info.Name + u": value refused"_s);
    if (info.Kind == TFieldKind::Text && info.Size > 0 && assigned.typeId() == QMetaType::QString &&
        assigned.toString().size() > info.Size)
        assigned = assigned.toString().left(info.Size);
    const QVariant previous = FBuffer.value(field);
    FBuffer[field] = assigned;
    FModified[static_cast<std::size_t>(field)] = true;
    if (!SameValue(previous, assigned) && OnFieldChange)
        OnFieldChange(*this, field);
    return true;
}

bool TTableView::SetField(QStringView name, const QVariant& value, TAssignOrigin origin) {
    const int field = FieldIndex(name);
    if (field < 0)
        return Fail(u"Field "_s + name.toString() + u" not found"_s);
    return SetField(field, value, origin);
}

bool TTableView::ReadRow(qint64 rowId, QVariantList& values) {
    sqlite3_stmt* statement =
        FEngine.Cached(u"SELECT "_s + FColumns + u" FROM "_s + FSource + u" WHERE _rowid_ = ?1"_s);
    if (!statement)
        return Fail(FEngine.LastError());
    sqlite3_bind_int64(statement, 1, rowId);
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW) {
        values.clear();
        for (int f = 0; f < FieldCount(); ++f)
            values << ReadValue(statement, f, FFields[static_cast<std::size_t>(f)]);
    }
    const QString error = QString::fromUtf8(sqlite3_errmsg(FEngine.Handle()));
    TTableEngine::Done(statement);
    if (rc == SQLITE_ROW)
        return true;
    return Fail(rc == SQLITE_DONE ? u"The row no longer exists"_s : error);
}

bool TTableView::Write(const QString& sql, const QVariantList& parameters, qint64& rowId,
                       QVariantList& stored, bool& written) {
    // One statement writes the row and hands it back as the table now holds it; on its own it
    // is atomic, inside an open transaction it is part of it.
    const bool all = FColumns.trimmed() == u"*";
    written = false;
    const bool ok = FEngine.Run(
        all ? sql + u" RETURNING _rowid_, *"_s : sql, parameters,
        [&](sqlite3_stmt* statement) {
            written = true;
            if (all) {
                rowId = sqlite3_column_int64(statement, 0);
                stored.clear();
                for (int f = 0; f < FieldCount(); ++f)
                    stored << ReadValue(statement, f + 1, FFields[static_cast<std::size_t>(f)]);
            }
            return true;
        },
        true);
    if (!ok)
        return Fail(FEngine.LastError());
    if (all)
        return true;
    written = FEngine.ChangedRows() > 0;
    if (written && FState == TViewState::Insert)
        rowId = sqlite3_last_insert_rowid(FEngine.Handle());
    return !written || ReadRow(rowId, stored);
}

bool TTableView::Post() {
    if (FState == TViewState::Browse)
        return true;
    if (FState == TViewState::Inactive)
        return Fail(u"The view is not open"_s);
    if (OnBeforePost) {
        const QString refusal = OnBeforePost(*this);
        if (!refusal.isEmpty())
            return Fail(refusal);
    }
    QStringList assignments;
    QStringList columns;
    QStringList marks;
    QVariantList parameters;
    for (int f = 0; f < FieldCount(); ++f) {
        if (!FModified[static_cast<std::size_t>(f)])
            continue;
        const QString column = QuoteIdentifier(FFields[static_cast<std::size_t>(f)].Name);
        columns << column;
        marks << u"?"_s;
        assignments << column + u" = ?"_s;
        parameters << FBuffer[f];
    }
    if (FState == TViewState::Edit && columns.isEmpty()) {
        Cancel();
        return true;
    }
    FEngine.SuspendCursors();
    const bool inserting = FState == TViewState::Insert;
    qint64 rowId = inserting ? 0 : FRows[static_cast<std::size_t>(FCurrent)].RowId;
    QString sql;
    if (inserting) {
        sql = columns.isEmpty() ? u"INSERT INTO "_s + FTable + u" DEFAULT VALUES"_s
                                : u"INSERT INTO "_s + FTable + u" ("_s + columns.join(u", "_s) +
                                      u") VALUES ("_s + marks.join(u", "_s) + u')';
    } else {
        parameters << rowId;
        sql = u"UPDATE "_s + FTable + u" SET "_s + assignments.join(u", "_s) +
              u" WHERE _rowid_ = ?"_s;
    }
    QVariantList stored;
    bool written = false;
    if (!Write(sql, parameters, rowId, stored, written))
        return false;
    if (!written) {
        if (inserting) { // the table refused the row
            Cancel();
            return true;
        }
        return Fail(u"The row no longer exists"_s);
    }
    FState = TViewState::Browse;
    FBuffer.clear();
    // An update that leaves the located field alone leaves the locate index true: rows keep
    // their places in the view. Rebuilding it after every post would make a pass over a whole
    // table quadratic.
    const int indexed = FLocateIndex.Field;
    const bool indexHolds =
        !inserting && FLocateIndex.Version == FRowsVersion && indexed >= 0 &&
        FRows[static_cast<std::size_t>(FCurrent)].Values[indexed] == stored[indexed];
    ++FRowsVersion;
    if (indexHolds)
        FLocateIndex.Version = FRowsVersion;
    if (inserting) {
        FRows.push_back({rowId, stored});
        if (FCount)
            ++*FCount;
        const int row = FetchedCount() - 1;
        Q_EMIT RowsFetched(row, row);
        SetCurrent(row);
    } else {
        FRows[static_cast<std::size_t>(FCurrent)].Values = stored;
        Q_EMIT RowChanged(FCurrent);
    }
    return true;
}

void TTableView::Cancel() {
    if (FState == TViewState::Edit || FState == TViewState::Insert)
        FState = TViewState::Browse;
    FBuffer.clear();
}

bool TTableView::Delete() {
    if (!ReadyToChangeRows(AllowDelete))
        return false;
    if (FCurrent < 0)
        return Fail(u"The view has no row to delete"_s);
    TTransaction transaction(FEngine);
    if (!transaction.Started() ||
        !FEngine.Run(u"DELETE FROM "_s + FTable + u" WHERE _rowid_ = ?"_s,
                     {FRows[static_cast<std::size_t>(FCurrent)].RowId}, {}))
        return Fail(FEngine.LastError());
    const bool deleted = FEngine.ChangedRows() > 0;
    if (!transaction.Commit())
        return Fail(FEngine.LastError());
    if (!deleted) // the table refused
        return true;
    const int row = FCurrent;
    FRows.erase(FRows.begin() + row);
    ++FRowsVersion;
    if (FCount)
        --*FCount;
    Q_EMIT RowRemoved(row);
    FCurrent = -1;
    SetCurrent(std::min(row, FetchedCount() - 1));
    FEof = FRows.empty();
    return true;
}

bool TTableView::Refresh() {
    if (!FEditable || FCurrent < 0 || FState != TViewState::Browse)
        return Active();
    QVariantList stored;
    if (!ReadRow(FRows[static_cast<std::size_t>(FCurrent)].RowId, stored))
        return false;
    FRows[static_cast<std::size_t>(FCurrent)].Values = stored;
    Q_EMIT RowChanged(FCurrent);
    return true;
}

TLocateResult TTableView::Locate(QStringView field, const QVariant& value, TLocateOptions options) {
    if (!Active()) {
        Fail(u"The view is not open"_s);
        return TLocateResult::Failed;
    }
    const int index = FieldIndex(field);
    if (index < 0) {
        Fail(u"Field "_s + field.toString() + u" not found"_s);
        return TLocateResult::Failed;
    }
    if (!CheckBrowseMode())
        return TLocateResult::Failed;
    const bool exactText =
        !options.CaseInsensitive && !options.PartialKey && value.typeId() == QMetaType::QString;
    // Reading every row of a modest view once is cheaper than scanning it at every locate.
    if (exactText && !FAtEnd && RecordCount() <= kIndexedRowsMax)
        FetchMore(std::numeric_limits<int>::max());
    if (exactText && FAtEnd) {
        const int row = IndexedRow(index, value.toString());
        if (row >= 0) {
            SetCurrent(row);
            FBof = FEof = false;
            return TLocateResult::Found;
        }
        if (FLocateIndex.Usable) {
            Fail(QString::fromLatin1(kRecordNotFoundText));
            return TLocateResult::NotFound;
        }
    }
    const TMatcher match(value, options);
    return LocateIf(0, [&](const TTableView& view, int row) {
        return match(view.FRows[static_cast<std::size_t>(row)].Values[index]);
    });
}

int TTableView::IndexedRow(int field, const QString& key) {
    TLocateIndex& index = FLocateIndex;
    if (index.Field != field || index.Version != FRowsVersion) {
        index.Field = field;
        index.Version = FRowsVersion;
        index.Rows.clear();
        index.Usable = true;
        for (int row = 0; row < FetchedCount() && index.Usable; ++row) {
            const QVariant& value = FRows[static_cast<std::size_t>(row)].Values[field];
            if (value.typeId() == QMetaType::QString) {
                // Equal keys: the first row wins, as a scan from the top finds it.
                const QString& text = *static_cast<const QString*>(value.constData());
                if (!index.Rows.contains(text))
                    index.Rows.insert(text, row);
            } else if (!value.isNull()) { // numbers compare otherwise: scan instead
                index.Usable = false;
            }
        }
    }
    return index.Usable ? index.Rows.value(key, -1) : -1;
}

TLocateResult TTableView::LocateIf(int from,
                                   const std::function<bool(const TTableView&, int row)>& match,
                                   int limit) {
    if (!CheckBrowseMode())
        return TLocateResult::Failed;
    for (int row = std::max(0, from);; ++row) {
        if (limit >= 0 && row - from >= limit)
            break;
        if (row >= FetchedCount() && FetchMore(kFetchRows) == 0)
            break;
        if (match(*this, row)) {
            SetCurrent(row);
            FBof = FEof = false;
            return TLocateResult::Found;
        }
    }
    if (FFetchFailed)
        return TLocateResult::Failed;
    Fail(QString::fromLatin1(kRecordNotFoundText));
    return TLocateResult::NotFound;
}

TBookmark TTableView::GetBookmark() const {
    TBookmark bookmark;
    if (FCurrent < 0)
        return bookmark;
    bookmark.OpenSerial = FOpenSerial;
    if (FEditable)
        bookmark.RowId = FRows[static_cast<std::size_t>(FCurrent)].RowId;
    else
        bookmark.Row = FCurrent;
    return bookmark;
}

int TTableView::FindBookmark(const TBookmark& bookmark) {
    if (!Active() || !bookmark.IsValid())
        return -1;
    if (bookmark.Row >= 0)
        return bookmark.OpenSerial == FOpenSerial && bookmark.Row < FetchedCount() ? bookmark.Row
                                                                                   : -1;
    if (!FEditable)
        return -1;
    for (int row = 0;; ++row) {
        if (row >= FetchedCount() && FetchMore(kFetchRows) == 0)
            return -1;
        if (FRows[static_cast<std::size_t>(row)].RowId == bookmark.RowId)
            return row;
    }
}

bool TTableView::BookmarkValid(const TBookmark& bookmark) {
    return FindBookmark(bookmark) >= 0;
}

bool TTableView::GotoBookmark(const TBookmark& bookmark) {
    if (!CheckBrowseMode())
        return false;
    const int row = FindBookmark(bookmark);
    if (row < 0)
        return Fail(u"The bookmark's row is not in the view"_s);
    SetCurrent(row);
    FBof = FEof = false;
    return true;
}

void TTableView::SetFilter(const QString& condition) {
    FFilter = condition;
    if (Active() && FFiltered)
        Reopen();
}

bool TTableView::SetFiltered(bool filtered) {
    if (filtered == FFiltered)
        return true;
    FFiltered = filtered;
    return !Active() || Reopen();
}

bool TTableView::Reopen() {
    const TBookmark bookmark = GetBookmark();
    if (!Open())
        return false;
    if (bookmark.RowId != 0)
        GotoBookmark(bookmark);
    return true;
}

bool TTableView::UpdateShownRows(QStringView field, const QVariant& value, int* changed) {
    if (changed)
        *changed = 0;
    if (!Active() || !FEditable)
        return Fail(u"Only the rows of an open view over one table can be changed together"_s);
    if (FFiltered && OnFilterRecord)
        return Fail(u"The view's filter cannot take part in a change of all its rows"_s);
    if (FieldIndex(field) < 0)
        return Fail(u"Field "_s + field.toString() + u" not found"_s);
    const QString rows = ShownRowsQuery(u"_rowid_"_s);
    if (!CheckBrowseMode())
        return false;
    FEngine.SuspendCursors();
    if (!FEngine.ExecuteNative(u"UPDATE "_s + FTable + u" SET "_s + QuoteIdentifier(field) +
                                   u" = ?1 WHERE _rowid_ IN ("_s + rows + u')',
                               {value}))
        return Fail(FEngine.LastError());
    if (changed)
        *changed = FEngine.ChangedRows();
    return true;
}

QString TTableView::ShownRowsQuery(const QString& columns) const {
    if (!Active() || !FEditable || (FFiltered && OnFilterRecord))
        return {};
    QString rows = u"SELECT "_s + columns + u" FROM "_s + FSource;
    if (!FWhere.isEmpty())
        rows += u" WHERE "_s + FWhere;
    // Without a LIMIT the order picks no rows, and sorting for nothing is slow.
    if (FQueryHasLimit)
        rows += u' ' + FTail;
    return rows;
}

std::optional<bool> TTableView::ShownRowsHave(QStringView field, const QVariant& value) {
    const int index = FieldIndex(field);
    if (index < 0) {
        Fail(u"Field "_s + field.toString() + u" not found"_s);
        return std::nullopt;
    }
    const QString rows = ShownRowsQuery(QuoteIdentifier(field));
    if (rows.isEmpty()) {
        // Rows the table cannot pick out itself are looked at one by one.
        const TMatcher match(value, {});
        std::optional<bool> found;
        const TLocateResult result = LocateIf(0, [&](const TTableView& view, int row) {
            return match(view.FRows[static_cast<std::size_t>(row)].Values[index]);
        });
        if (result != TLocateResult::Failed)
            found = result == TLocateResult::Found;
        return found;
    }
    const std::optional<QVariant> hit = FEngine.QueryValueNative(
        u"SELECT 1 FROM ("_s + rows + u") WHERE "_s + QuoteIdentifier(field) + u" = ?1 LIMIT 1"_s,
        {value});
    if (!hit) {
        Fail(FEngine.LastError());
        return std::nullopt;
    }
    return hit->isValid();
}
