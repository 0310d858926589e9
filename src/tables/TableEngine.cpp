#include "TableEngine.h"

#include "TableView.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTime>
#include <QUrl>

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>

using namespace Qt::StringLiterals;

namespace {

constexpr int kMaxPrepared = 64;

// SQLite's own limit on attached files (SQLITE_MAX_ATTACHED's default).
constexpr int kMaxAttached = 10;
constexpr int kBusyTimeoutMs = 2000;
constexpr int kCacheKiB = 8000;
constexpr QByteArrayView kSqliteHeader("SQLite format 3\0", 16);

QString ErrorOf(sqlite3* db) {
    return QString::fromUtf8(sqlite3_errmsg(db));
}

QVariant PlainValue(sqlite3_stmt* statement, int column) {
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qint64>(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement, column));
    case SQLITE_TEXT:
        return QVariant(
            QString(static_cast<const QChar*>(sqlite3_column_text16(statement, column)),
                    sqlite3_column_bytes16(statement, column) / static_cast<int>(sizeof(QChar))));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, column)),
                                   sqlite3_column_bytes(statement, column)));
    default:
        return {};
    }
}

QString QuotedColumns(const QStringList& columns, const QString& prefix = {}) {
    QStringList quoted;
    for (const QString& column : columns)
        quoted << prefix + QuoteIdentifier(column);
    return quoted.join(u", "_s);
}

// Removes a database file and whatever SQLite keeps beside it.
bool RemoveDatabaseFile(const QString& path, QString& error) {
    for (const QString& suffix : {u"-journal"_s, u"-wal"_s, u"-shm"_s})
        QFile::remove(path + suffix);
    QFile file(path);
    if (file.exists() && !file.remove()) {
        error = u"Cannot delete "_s + path + u": "_s + file.errorString();
        return false;
    }
    return true;
}

} // namespace

bool IsSqliteFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(kSqliteHeader.size()) == kSqliteHeader;
}

bool FinishConversion(TTableEngine& engine, const QString& path, const QString& partial,
                      const QString& tempTable, bool filled, QString& error) {
    const bool closed = filled && engine.CloseTableFile(partial);
    if (!closed && error.isEmpty())
        error = path + u": "_s + engine.LastError();
    engine.ExecuteNative(u"DROP TABLE IF EXISTS "_s + tempTable);
    if (!closed) {
        engine.CloseTableFile(partial);
        QFile::remove(partial);
        return false;
    }
    QString kept = path + u".legacy"_s;
    for (int n = 2; QFileInfo::exists(kept); ++n)
        kept = path + u".legacy"_s + QString::number(n);
    if (!QFile::copy(path, kept)) {
        error = kept + u": cannot keep the older table there; nothing was converted"_s;
        QFile::remove(partial);
        return false;
    }
    return ReplaceFile(partial, path, error);
}

bool ReplaceFile(const QString& from, const QString& to, QString& error) {
    std::error_code code;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()),
                            std::filesystem::path(to.toStdU16String()), code);
    if (code)
        error = to + u": "_s + QString::fromStdString(code.message());
    return !code;
}

void BindValue(sqlite3_stmt* statement, int parameter, const QVariant& value) {
    if (value.isNull()) {
        sqlite3_bind_null(statement, parameter);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Bool:
        sqlite3_bind_int(statement, parameter, value.toBool() ? 1 : 0);
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        sqlite3_bind_int64(statement, parameter, value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(statement, parameter, value.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        sqlite3_bind_blob(statement, parameter, bytes.constData(), static_cast<int>(bytes.size()),
                          SQLITE_TRANSIENT);
        break;
    }
    case QMetaType::QDate:
        BindValue(statement, parameter, value.toDate().toString(Qt::ISODate));
        break;
    case QMetaType::QTime:
        BindValue(statement, parameter, value.toTime().toString(u"HH:mm:ss"_s));
        break;
    case QMetaType::QDateTime:
        BindValue(statement, parameter, value.toDateTime().toString(Qt::ISODate));
        break;
    default: {
        const QString text = value.toString();
        sqlite3_bind_text16(statement, parameter, text.utf16(), static_cast<int>(text.size() * 2),
                            SQLITE_TRANSIENT);
        break;
    }
    }
}

void TRowBinder::BindNull(int column) {
    sqlite3_bind_null(FStatement, column + 1);
}

void TRowBinder::BindText(int column, QStringView text) {
    sqlite3_bind_text16(FStatement, column + 1, text.utf16(), static_cast<int>(text.size() * 2),
                        SQLITE_TRANSIENT);
}

void TRowBinder::BindUtf8(int column, QByteArrayView text) {
    sqlite3_bind_text(FStatement, column + 1, text.data(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
}

void TRowBinder::BindNumber(int column, double value) {
    sqlite3_bind_double(FStatement, column + 1, value);
}

void TRowBinder::BindInteger(int column, qint64 value) {
    sqlite3_bind_int64(FStatement, column + 1, value);
}

void TRowBinder::Bind(int column, const QVariant& value) {
    BindValue(FStatement, column + 1, value);
}

TTableEngine::TTableEngine(const QString& baseFolder)
    : FBaseFolder(QDir::cleanPath(QDir::fromNativeSeparators(baseFolder))) {
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI;
    if (sqlite3_open_v2(":memory:", &FDb, flags, nullptr) != SQLITE_OK) {
        FLastError = u"The table engine could not start: "_s + ErrorOf(FDb);
        sqlite3_close(FDb);
        FDb = nullptr;
        return;
    }
    sqlite3_db_config(FDb, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_db_config(FDb, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_busy_timeout(FDb, kBusyTimeoutMs);
}

TTableEngine::~TTableEngine() {
    for (TTableView* view : FViews)
        view->Close();
    ClearPrepared();
    sqlite3_close_v2(FDb);
}

void TTableEngine::ClearPrepared() {
    // A statement still stepping belongs to a caller further up: it stays.
    for (auto it = FPrepared.begin(); it != FPrepared.end();) {
        if (sqlite3_stmt_busy(it.value())) {
            ++it;
            continue;
        }
        sqlite3_finalize(it.value());
        it = FPrepared.erase(it);
    }
}

sqlite3_stmt* TTableEngine::Cached(const QString& sql) {
    if (sqlite3_stmt* statement = FPrepared.value(sql))
        return statement;
    sqlite3_stmt* statement = Prepare(sql);
    if (!statement)
        return nullptr;
    if (FPrepared.size() >= kMaxPrepared)
        ClearPrepared();
    FPrepared.insert(sql, statement);
    return statement;
}

void TTableEngine::Done(sqlite3_stmt* statement) {
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
}

QString TTableEngine::ResolvePath(const QString& fileName) const {
    QString path = QDir::fromNativeSeparators(fileName.trimmed());
    path.replace(u'\\', u'/');
    if (QDir::isRelativePath(path))
        path = FBaseFolder + u'/' + path;
    path = QDir::cleanPath(path);
    const QFileInfo info(path);
    if (info.exists())
        return info.absoluteFilePath();
    const QDir folder = info.absoluteDir();
    const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries)
        if (entry.compare(info.fileName(), Qt::CaseInsensitive) == 0)
            return folder.absoluteFilePath(entry);
    return info.absoluteFilePath();
}

TTranslation TTableEngine::Translate(const QString& sql) {
    return TranslateSql(sql, [this](const QString& fileName, TTableUse use, QString& error) {
        return Attach(fileName, use, error);
    });
}

std::optional<TTableTarget> TTableEngine::Attach(const QString& fileName, TTableUse use,
                                                 QString& error) {
    if (!FDb) {
        error = FLastError;
        return std::nullopt;
    }
    const QString path = ResolvePath(fileName);
    const QFileInfo info(path);
    const bool exists = info.exists();
    if (use == TTableUse::Create && exists) {
        error = u"Table already exists: "_s + path;
        return std::nullopt;
    }
    if (use != TTableUse::Create && !exists) {
        error = u"Table does not exist: "_s + path;
        return std::nullopt;
    }
    if (const auto found = FAttached.constFind(path); found != FAttached.constEnd())
        return TTableTarget{found->Schema, TableInFile(found->Schema, path), path};
    if (use == TTableUse::Drop)
        return TTableTarget{{}, {}, path};
    if (exists && !info.isReadable()) {
        error = path + u": the file cannot be read"_s;
        return std::nullopt;
    }
    if (exists && info.size() > 0 && !IsSqliteFile(path)) {
        error = path + u": not a table file of this program (not an SQLite database)"_s;
        return std::nullopt;
    }
    if (FAttached.size() >= kMaxAttached)
        DetachIdle();
    if (FAttached.size() >= kMaxAttached) {
        error = u"Too many table files open at once to open "_s + path;
        return std::nullopt;
    }
    const QString schema = UniqueSchemaName(path);
    const QString uri = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + u"?mode="_s +
                        (use == TTableUse::Create ? u"rwc"_s : u"rw"_s);
    if (!Run(u"ATTACH DATABASE ?1 AS ?2"_s, {uri, schema}, {})) {
        error = path + u": "_s + FLastError;
        return std::nullopt;
    }
    // Reading the catalogue is what finds a damaged or foreign file.
    const QString check =
        u"PRAGMA "_s + QuoteIdentifier(schema) + u".cache_size = -"_s + QString::number(kCacheKiB);
    if (!Run(check, {}, {}) ||
        !Run(u"SELECT count(*) FROM "_s + QuoteIdentifier(schema) + u".sqlite_master"_s, {}, {})) {
        error = path + u": "_s + FLastError;
        Run(u"DETACH DATABASE ?1"_s, {schema}, {});
        return std::nullopt;
    }
    FAttached.insert(path, {schema, 0});
    return TTableTarget{schema, TableInFile(schema, path), path};
}

QString TTableEngine::UniqueSchemaName(const QString& path) const {
    // Letters, digits and "_" only: the name never reads as a file name.
    QString base = QFileInfo(path).completeBaseName();
    for (QChar& c : base)
        if (!c.isLetterOrNumber() && c != u'_')
            c = u'_';
    if (base.isEmpty())
        base = u"table"_s;
    auto taken = [this](const QString& name) {
        if (name.compare(u"main"_s, Qt::CaseInsensitive) == 0 ||
            name.compare(u"temp"_s, Qt::CaseInsensitive) == 0)
            return true;
        return std::any_of(FAttached.cbegin(), FAttached.cend(), [&](const TAttachment& a) {
            return a.Schema.compare(name, Qt::CaseInsensitive) == 0;
        });
    };
    QString name = base;
    for (int n = 2; taken(name); ++n)
        name = base + u'_' + QString::number(n);
    return name;
}

QString TTableEngine::TableInFile(const QString& schema, const QString& path) {
    QString table;
    Run(u"SELECT name FROM "_s + QuoteIdentifier(schema) +
            u".sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
            u"ORDER BY rowid LIMIT 1"_s,
        {}, [&](sqlite3_stmt* statement) {
            table = PlainValue(statement, 0).toString();
            return false;
        });
    if (table.isEmpty())
        table = QFileInfo(path).suffix();
    return table.isEmpty() ? u"data"_s : table;
}

bool TTableEngine::Detach(const QString& path) {
    const auto found = FAttached.find(path);
    if (found == FAttached.end())
        return true;
    ClearPrepared();
    if (!Run(u"DETACH DATABASE ?1"_s, {found->Schema}, {}))
        return false;
    FAttached.erase(found);
    return true;
}

void TTableEngine::DetachIdle() {
    SuspendCursors();
    const QStringList paths = FAttached.keys();
    for (const QString& path : paths)
        if (FAttached.value(path).Users == 0)
            Detach(path);
}

bool TTableEngine::CloseTableFile(const QString& fileName) {
    const QString path = ResolvePath(fileName);
    if (FAttached.value(path).Users > 0)
        return Fail(u"Table is in use: "_s + path);
    SuspendCursors();
    return Detach(path);
}

void TTableEngine::Retain(const std::vector<TTableTarget>& targets) {
    for (const TTableTarget& target : targets)
        if (const auto found = FAttached.find(target.Path); found != FAttached.end())
            ++found->Users;
}

void TTableEngine::Release(const std::vector<TTableTarget>& targets) {
    for (const TTableTarget& target : targets)
        if (const auto found = FAttached.find(target.Path); found != FAttached.end())
            found->Users = std::max(0, found->Users - 1);
}

QString TTableEngine::DamageContext(const std::vector<TTableTarget>& targets) const {
    const int code = FDb ? sqlite3_errcode(FDb) & 0xff : SQLITE_OK;
    if ((code != SQLITE_CORRUPT && code != SQLITE_NOTADB) || targets.empty())
        return {};
    QStringList paths;
    for (const TTableTarget& target : targets)
        if (!paths.contains(target.Path))
            paths << target.Path;
    return paths.join(u", "_s) + u": "_s;
}

bool TTableEngine::Fail(const QString& text) {
    FLastError = text;
    return false;
}

bool TTableEngine::FailSqlite(const QString& context) {
    return Fail(context.isEmpty() ? ErrorOf(FDb) : context + u": "_s + ErrorOf(FDb));
}

sqlite3_stmt* TTableEngine::Prepare(const QString& sql) {
    if (!FDb) {
        Fail(u"The table engine is not running"_s);
        return nullptr;
    }
    sqlite3_stmt* statement = nullptr;
    const void* tail = nullptr;
    if (sqlite3_prepare16_v2(FDb, sql.utf16(), static_cast<int>(sql.size() * 2), &statement,
                             &tail) != SQLITE_OK) {
        FailSqlite();
        sqlite3_finalize(statement);
        return nullptr;
    }
    if (!statement) {
        Fail(u"The statement is empty"_s);
        return nullptr;
    }
    const auto used =
        (static_cast<const QChar*>(tail) - reinterpret_cast<const QChar*>(sql.utf16()));
    if (!QStringView(sql).mid(used).trimmed().isEmpty()) {
        sqlite3_finalize(statement);
        Fail(QString::fromLatin1(kTailRefusedText));
        return nullptr;
    }
    return statement;
}

bool TTableEngine::Run(const QString& sql, const QVariantList& parameters,
                       const std::function<bool(sqlite3_stmt*)>& rowFn, bool keepPrepared) {
    sqlite3_stmt* statement = keepPrepared ? Cached(sql) : Prepare(sql);
    if (!statement)
        return false;
    for (int i = 0; i < parameters.size(); ++i)
        BindValue(statement, i + 1, parameters[i]);
    bool ok = true;
    for (;;) {
        const int rc = sqlite3_step(statement);
        if (rc == SQLITE_ROW) {
            if (rowFn && !rowFn(statement))
                break;
            continue;
        }
        if (rc != SQLITE_DONE)
            ok = FailSqlite();
        break;
    }
    if (keepPrepared)
        Done(statement);
    else
        sqlite3_finalize(statement);
    return ok;
}

namespace {

// What a statement being prepared may do; the first refusal is kept as the reason.
int ReadingOnlyAuthorizer(void* reason, int action, const char* arg1, const char* arg2,
                          const char* /*database*/, const char* /*trigger*/) {
    auto& why = *static_cast<QString*>(reason);
    const auto refuse = [&why](const char* text) {
        if (why.isEmpty())
            why = QString::fromLatin1(text);
        return SQLITE_DENY;
    };
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    case SQLITE_FUNCTION:
        if (arg2 && qstricmp(arg2, "load_extension") == 0)
            return refuse(kExtensionRefusedText);
        return SQLITE_OK;
    case SQLITE_ATTACH:
    case SQLITE_DETACH:
        return refuse(kAttachRefusedText);
    case SQLITE_PRAGMA:
        return refuse(kPragmaRefusedText);
    case SQLITE_UPDATE:
        // A table function (pragma_table_info, ...) is first asked for as a write to the schema
        // table; that is what the user wrote, not a write.
        if (arg1 &&
            (qstricmp(arg1, "sqlite_master") == 0 || qstricmp(arg1, "sqlite_temp_master") == 0))
            return refuse(kPragmaRefusedText);
        return refuse(kOnlyReadingText);
    default:
        return refuse(kOnlyReadingText);
    }
}

} // namespace

QString TTableEngine::CheckReadingQuery(const QString& sql) {
    // Attaching the files the statement names is the engine's own doing, so it comes first and
    // the authorizer watches only the user's statement.
    const TTranslation translation = Translate(sql);
    if (!translation.Ok())
        return translation.Error;
    if (translation.Kind != TStatementKind::Select)
        return QString::fromLatin1(kOnlyReadingText);
    QString why;
    sqlite3_set_authorizer(FDb, &ReadingOnlyAuthorizer, &why);
    sqlite3_stmt* statement = Prepare(translation.Sql);
    sqlite3_set_authorizer(FDb, nullptr, nullptr);
    if (!statement)
        return why.isEmpty() ? FLastError : why;
    const bool reads = sqlite3_stmt_readonly(statement) != 0;
    sqlite3_finalize(statement);
    return reads ? QString() : QString::fromLatin1(kOnlyReadingText);
}

bool TTableEngine::ExecuteNative(const QString& sql, const QVariantList& parameters) {
    SuspendCursors();
    return Run(sql, parameters, {});
}

std::optional<QVariant> TTableEngine::QueryValueNative(const QString& sql,
                                                       const QVariantList& parameters) {
    QVariant value;
    if (!Run(sql, parameters, [&](sqlite3_stmt* statement) {
            value = PlainValue(statement, 0);
            return false;
        }))
        return std::nullopt;
    return value;
}

int TTableEngine::ChangedRows() const {
    return FDb ? sqlite3_changes(FDb) : 0;
}

bool TTableEngine::Execute(const QString& sql, const QVariantList& parameters) {
    const TTranslation translation = Translate(sql);
    const bool createsFile =
        translation.Kind == TStatementKind::CreateTable && !translation.Targets.empty();
    if (!translation.Ok()) {
        if (createsFile) // attached, and so made, before the rest of the statement failed
            DropTableFile(translation.Targets.front());
        return Fail(translation.Error);
    }
    if (translation.Kind == TStatementKind::DropTable && !translation.Targets.empty())
        return DropTableFile(translation.Targets.front());
    TTransaction transaction(*this);
    if (!transaction.Started())
        return false;
    if (!Run(translation.Sql, parameters, {})) {
        const QString error = DamageContext(translation.Targets) + FLastError;
        transaction.Rollback();
        if (createsFile) {
            Detach(translation.Targets.front().Path);
            QString removeError;
            RemoveDatabaseFile(translation.Targets.front().Path, removeError);
        }
        return Fail(error);
    }
    return transaction.Commit();
}

std::optional<QVariant> TTableEngine::QueryValue(const QString& sql,
                                                 const QVariantList& parameters) {
    QVariant value;
    const bool ok = ForEachRow(sql, parameters, [&](const QVariantList& row) {
        value = row.value(0);
        return false;
    });
    return ok ? std::optional<QVariant>(value) : std::nullopt;
}

bool TTableEngine::ForEachRow(const QString& sql, const QVariantList& parameters,
                              const std::function<bool(const QVariantList& row)>& rowFn) {
    const TTranslation translation = Translate(sql);
    if (!translation.Ok())
        return Fail(translation.Error);
    return Run(translation.Sql, parameters, [&](sqlite3_stmt* statement) {
        QVariantList row;
        const int columns = sqlite3_column_count(statement);
        row.reserve(columns);
        for (int c = 0; c < columns; ++c)
            row << PlainValue(statement, c);
        return rowFn(row);
    });
}

bool TTableEngine::DropTableFile(const TTableTarget& target) {
    if (const auto found = FAttached.constFind(target.Path); found != FAttached.constEnd()) {
        if (found->Users > 0)
            return Fail(u"Table is in use: "_s + target.Path);
        SuspendCursors();
        if (!Detach(target.Path))
            return false;
    }
    QString error;
    return RemoveDatabaseFile(target.Path, error) || Fail(error);
}

std::optional<QString> TTableEngine::TableSql(const QString& table) {
    const TTranslation translation = Translate(u"SELECT * FROM "_s + table);
    if (!translation.Ok()) {
        Fail(translation.Error);
        return std::nullopt;
    }
    if (!translation.Select) {
        Fail(u"Not a table: "_s + table);
        return std::nullopt;
    }
    return translation.Select->Table;
}

std::optional<std::vector<TTableEngine::TColumn>> TTableEngine::Columns(const QString& table) {
    const std::optional<QString> tableSql = TableSql(table);
    if (!tableSql)
        return std::nullopt;
    sqlite3_stmt* statement = Prepare(u"SELECT * FROM "_s + *tableSql);
    if (!statement)
        return std::nullopt;
    std::vector<TColumn> columns;
    for (int c = 0; c < sqlite3_column_count(statement); ++c) {
        const char* type = sqlite3_column_decltype(statement, c);
        columns.push_back({QString::fromUtf8(sqlite3_column_name(statement, c)),
                           type ? QString::fromUtf8(type) : QString()});
    }
    sqlite3_finalize(statement);
    return columns;
}

bool TTableEngine::InsertRows(const QString& table, const QStringList& columns,
                              const std::function<bool(TRowBinder& row)>& next) {
    const std::optional<QString> tableSql = TableSql(table);
    if (!tableSql)
        return false;
    QStringList marks;
    for (int i = 0; i < columns.size(); ++i)
        marks << u"?"_s;
    const QString sql = u"INSERT INTO "_s + *tableSql + u" ("_s + QuotedColumns(columns) +
                        u") VALUES ("_s + marks.join(u',') + u')';
    TTransaction transaction(*this);
    if (!transaction.Started())
        return false;
    sqlite3_stmt* statement = Prepare(sql);
    if (!statement)
        return false;
    TRowBinder binder(statement);
    bool ok = true;
    while (next(binder)) {
        if (sqlite3_step(statement) != SQLITE_DONE) {
            ok = FailSqlite();
            break;
        }
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
    }
    sqlite3_finalize(statement);
    return ok && transaction.Commit();
}

bool TTableEngine::BatchUpdate(const QString& source, const QString& destination,
                               const QString& keyField, const QString& replaced) {
    const TTranslation destinationRef = Translate(u"SELECT * FROM "_s + destination);
    if (!destinationRef.Ok() || !destinationRef.Select)
        return Fail(destinationRef.Ok() ? u"Not a table: "_s + destination : destinationRef.Error);
    const std::optional<QString> sourceSql = TableSql(source);
    const auto sourceColumns = Columns(source);
    const auto destinationColumns = Columns(destination);
    if (!sourceSql || !sourceColumns || !destinationColumns)
        return false;
    auto has = [](const std::vector<TColumn>& columns, const QString& name) {
        return std::any_of(columns.cbegin(), columns.cend(), [&](const TColumn& c) {
            return c.Name.compare(name, Qt::CaseInsensitive) == 0;
        });
    };
    if (!has(*sourceColumns, keyField) || !has(*destinationColumns, keyField))
        return Fail(u"Both tables need the key field "_s + keyField);
    QStringList assignments;
    for (const TColumn& column : *destinationColumns)
        if (column.Name.compare(keyField, Qt::CaseInsensitive) != 0 &&
            has(*sourceColumns, column.Name))
            assignments << QuoteIdentifier(column.Name) + u" = src."_s +
                               QuoteIdentifier(column.Name);
    if (assignments.isEmpty())
        return Fail(u"The tables share no fields besides the key"_s);
    const QString destinationSql = destinationRef.Select->Table;
    const QString key = QuoteIdentifier(keyField);

    QString replacedSql;
    QString replacedPath;
    QString createReplaced;
    if (!replaced.isEmpty()) {
        if (destinationRef.Targets.empty())
            return Fail(u"Only a table file can keep replaced rows: "_s + destination);
        const TTableTarget& from = destinationRef.Targets.front();
        replacedPath = ResolvePath(replaced);
        if (replacedPath == from.Path || replacedPath == ResolvePath(source))
            return Fail(u"The replaced rows need a table file of their own"_s);
        if (FAttached.value(replacedPath).Users > 0)
            return Fail(u"Table is in use: "_s + replacedPath);
        SuspendCursors();
        QString error;
        if (!Detach(replacedPath) || !RemoveDatabaseFile(replacedPath, error))
            return Fail(error.isEmpty() ? FLastError : error);
        const std::optional<TTableTarget> target = Attach(replacedPath, TTableUse::Create, error);
        if (!target)
            return Fail(error);
        replacedSql = QuoteIdentifier(target->Schema) + u'.' + QuoteIdentifier(target->Table);
        // The destination's own definition, under the new name.
        const std::optional<QVariant> definition =
            QueryValueNative(u"SELECT sql FROM "_s + QuoteIdentifier(from.Schema) +
                                 u".sqlite_master WHERE type = 'table' AND name = ?1"_s,
                             {from.Table});
        const QString text = definition ? definition->toString() : QString();
        const qsizetype open = text.indexOf(u'(');
        if (open < 0)
            return Fail(u"Cannot read the definition of "_s + from.Path);
        createReplaced = u"CREATE TABLE "_s + replacedSql + u' ' + text.mid(open);
    }

    TTransaction transaction(*this);
    bool ok = transaction.Started();
    if (ok && !replacedSql.isEmpty())
        ok = ExecuteNative(createReplaced) &&
             ExecuteNative(u"INSERT INTO "_s + replacedSql + u" SELECT * FROM "_s + destinationSql +
                           u" WHERE "_s + key + u" IN (SELECT "_s + key + u" FROM "_s + *sourceSql +
                           u')');
    if (ok)
        ok = ExecuteNative(u"UPDATE "_s + destinationSql + u" AS dst SET "_s +
                           assignments.join(u", "_s) + u" FROM "_s + *sourceSql +
                           u" AS src WHERE dst."_s + key + u" = src."_s + key);
    if (ok)
        return transaction.Commit();
    const QString error = FLastError;
    transaction.Rollback();
    if (!replacedPath.isEmpty()) {
        QString removeError;
        Detach(replacedPath);
        RemoveDatabaseFile(replacedPath, removeError);
    }
    return Fail(error);
}

bool TTableEngine::BatchAppend(const QString& source, const QString& destination) {
    const std::optional<QString> sourceSql = TableSql(source);
    const std::optional<QString> destinationSql = TableSql(destination);
    const auto sourceColumns = Columns(source);
    const auto destinationColumns = Columns(destination);
    if (!sourceSql || !destinationSql || !sourceColumns || !destinationColumns)
        return false;
    QStringList shared;
    for (const TColumn& column : *destinationColumns)
        if (std::any_of(sourceColumns->cbegin(), sourceColumns->cend(), [&](const TColumn& c) {
                return c.Name.compare(column.Name, Qt::CaseInsensitive) == 0;
            }))
            shared << column.Name;
    if (shared.isEmpty())
        return Fail(u"The tables share no fields"_s);
    TTransaction transaction(*this);
    return transaction.Started() &&
           ExecuteNative(u"INSERT INTO "_s + *destinationSql + u" ("_s + QuotedColumns(shared) +
                         u") SELECT "_s + QuotedColumns(shared) + u" FROM "_s + *sourceSql) &&
           transaction.Commit();
}

bool TTableEngine::CopyTable(const QString& source, const QString& targetFile) {
    const TTranslation sourceRef = Translate(u"SELECT * FROM "_s + source);
    if (!sourceRef.Ok())
        return Fail(sourceRef.Error);
    if (sourceRef.Targets.empty())
        return Fail(u"Only a table file can be copied: "_s + source);
    const TTableTarget& from = sourceRef.Targets.front();
    const QString targetPath = ResolvePath(targetFile);
    if (targetPath == from.Path)
        return Fail(u"A table cannot be copied onto itself: "_s + targetPath);
    if (InTransaction())
        return Fail(u"A table cannot be copied inside a transaction"_s);
    if (FAttached.value(targetPath).Users > 0)
        return Fail(u"Table is in use: "_s + targetPath);
    SuspendCursors();
    if (!Detach(targetPath))
        return false;
    const QString partial = targetPath + u".copying"_s;
    QString error;
    if (!RemoveDatabaseFile(partial, error))
        return Fail(error);
    if (!ExecuteNative(u"VACUUM "_s + QuoteIdentifier(from.Schema) + u" INTO ?1"_s, {partial})) {
        RemoveDatabaseFile(partial, error);
        return false;
    }
    if (!ReplaceFile(partial, targetPath, error)) {
        QString removeError;
        RemoveDatabaseFile(partial, removeError);
        return Fail(error);
    }
    return true;
}

bool TTableEngine::RegenerateIndexes(const QString& table) {
    const TTranslation ref = Translate(u"SELECT * FROM "_s + table);
    if (!ref.Ok())
        return Fail(ref.Error);
    if (!ref.Select)
        return Fail(u"Not a table: "_s + table);
    if (InTransaction())
        return Fail(u"Indexes cannot be regenerated inside a transaction"_s);
    SuspendCursors();
    // An exclusive transaction keeps every other reader and writer out while the indexes are
    // rebuilt; it ends whatever happens.
    if (!ExecuteNative(u"BEGIN EXCLUSIVE"_s))
        return false;
    if (!ExecuteNative(u"REINDEX "_s + ref.Select->Table)) {
        const QString error = FLastError;
        ExecuteNative(u"ROLLBACK"_s);
        return Fail(error);
    }
    if (!ExecuteNative(u"COMMIT"_s)) {
        const QString error = FLastError;
        ExecuteNative(u"ROLLBACK"_s);
        return Fail(error);
    }
    return true;
}

bool TTableEngine::Flush() {
    if (!FDb)
        return Fail(u"The table engine is not running"_s);
    return sqlite3_db_cacheflush(FDb) == SQLITE_OK || FailSqlite();
}

bool TTableEngine::Begin() {
    if (FTransactionDepth == 0)
        SuspendCursors();
    if (!Run(u"SAVEPOINT kv"_s + QString::number(FTransactionDepth), {}, {}, true))
        return false;
    ++FTransactionDepth;
    return true;
}

bool TTableEngine::Commit() {
    if (FTransactionDepth == 0)
        return Fail(u"No transaction is open"_s);
    --FTransactionDepth;
    if (Run(u"RELEASE kv"_s + QString::number(FTransactionDepth), {}, {}, true))
        return true;
    // A commit that failed (disk full, file locked) must not leave the transaction open.
    const QString error = FLastError;
    if (FTransactionDepth == 0) {
        ExecuteNative(u"ROLLBACK"_s);
    } else {
        ++FTransactionDepth;
        Rollback();
    }
    return Fail(error);
}

void TTableEngine::Rollback() {
    if (FTransactionDepth == 0)
        return;
    --FTransactionDepth;
    const QString name = u"kv"_s + QString::number(FTransactionDepth);
    const QString error = FLastError;
    ExecuteNative(u"ROLLBACK TO "_s + name);
    ExecuteNative(u"RELEASE "_s + name);
    FLastError = error;
}

void TTableEngine::SuspendCursors() {
    for (TTableView* view : FViews)
        view->SuspendCursor();
}
