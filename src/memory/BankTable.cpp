#include "BankTable.h"

#include "DbaseFile.h"
#include "MemorySql.h"
#include "TableEngine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

constexpr int kGuardCount = 3;
constexpr const char* kLegacyTable = "LegacyBank";

QString ColumnDefinitions() {
    QStringList definitions;
    for (const TBankField& field : kBankFields)
        definitions << QString::fromLatin1(field.Name) + u' ' + QString::fromLatin1(field.Type);
    return definitions.join(u", "_s);
}

// A file built beside the table, named so that the table inside is still "dbf".
QString PartialPath(const QString& path, const QString& purpose) {
    const QFileInfo info(path);
    return info.absolutePath() + u"/."_s + purpose + u'-' + info.fileName();
}

bool CheckBankTable(TTableEngine& engine, const QString& path, QString& error) {
    const QString table = QuoteFileName(path);
    const auto columns = engine.Columns(table);
    if (!columns) {
        error = engine.LastError().startsWith(path) ? engine.LastError()
                                                    : path + u": "_s + engine.LastError();
        return false;
    }
    QStringList missing;
    for (const TBankField& field : kBankFields) {
        const QString name = QString::fromLatin1(field.Name);
        if (std::none_of(columns->cbegin(), columns->cend(), [&](const auto& column) {
                return column.Name.compare(name, Qt::CaseInsensitive) == 0;
            }))
            missing << name;
    }
    if (!missing.isEmpty()) {
        error = path + u": not a memory bank table; it lacks the fields "_s + missing.join(u", "_s);
        return false;
    }
    const TTranslation ref = engine.Translate(u"SELECT * FROM "_s + table);
    const std::optional<QVariant> check = engine.QueryValueNative(
        u"PRAGMA "_s + QuoteIdentifier(ref.Targets.front().Schema) + u".quick_check"_s);
    if (!check || check->toString() != u"ok") {
        error = path + u": the table is damaged ("_s +
                (check ? check->toString() : engine.LastError()) + u')';
        return false;
    }
    return EnsureBankSchema(engine, table, error);
}

bool ConvertLegacyBank(TTableEngine& engine, const QString& path, QString& error) {
    const QString legacy = u"temp."_s + QString::fromLatin1(kLegacyTable);
    if (!ReadDbaseTable(engine, path, QString::fromLatin1(kLegacyTable), error))
        return false;
    const auto columns = engine.Columns(legacy);
    const bool hasMem =
        columns &&
        std::any_of(columns->cbegin(), columns->cend(), [](const TTableEngine::TColumn& column) {
            return column.Name.compare(u"MEM"_s, Qt::CaseInsensitive) == 0;
        });
    const QString partial = PartialPath(path, u"converting"_s);
    bool ok = hasMem;
    if (!hasMem)
        error = path + u": a dBASE table, but not a memory bank table (no field MEM)"_s;
    // Channel numbers written as numbers or without their zeros still find their row.
    ok = ok && engine.ExecuteNative(u"UPDATE "_s + legacy +
                                    u" SET MEM = printf('%03d', CAST(trim(MEM) AS INTEGER)) "
                                    u"WHERE trim(MEM) GLOB '[0-9]*'"_s);
    ok = ok && CreateBankTable(engine, partial, error) &&
         engine.BatchUpdate(legacy, QuoteFileName(partial), u"MEM"_s);
    return FinishConversion(engine, path, partial, legacy, ok, error);
}

} // namespace

bool CreateBankTable(TTableEngine& engine, const QString& path, QString& error) {
    const QString partial = PartialPath(path, u"creating"_s);
    engine.CloseTableFile(partial);
    QFile::remove(partial);
    const bool ok = engine.Execute(u"CREATE TABLE "_s + QuoteFileName(partial) + u" ("_s +
                                   ColumnDefinitions() + u')') &&
                    EnsureBankSchema(engine, QuoteFileName(partial), error) &&
                    engine.CloseTableFile(partial);
    if (!ok) {
        if (error.isEmpty())
            error = path + u": "_s + engine.LastError();
        engine.CloseTableFile(partial);
        QFile::remove(partial);
        return false;
    }
    return ReplaceFile(partial, path, error);
}

bool EnsureBankSchema(TTableEngine& engine, const QString& table, QString& error) {
    const TTranslation ref = engine.Translate(u"SELECT * FROM "_s + table);
    if (!ref.Ok() || ref.Targets.empty()) {
        error = ref.Ok() ? u"Not a table file: "_s + table : ref.Error;
        return false;
    }
    const TTableTarget& target = ref.Targets.front();
    const QString schema = QuoteIdentifier(target.Schema);
    const QString tableSql = ref.Select->Table;
    const QString own = QuoteIdentifier(target.Table);
    const QString catalogue = schema + u".sqlite_master"_s;
    const auto indexes = engine.QueryValueNative(u"SELECT count(*) FROM "_s + catalogue +
                                                 u" WHERE type = 'index' AND name = 'MEM'"_s);
    const auto guards = engine.QueryValueNative(
        u"SELECT count(*) FROM "_s + catalogue +
        u" WHERE type = 'trigger' AND name IN ('KeepRowsOnInsert', 'KeepRowsOnDelete', "
        u"'KeepMem')"_s);
    const auto channels = engine.QueryValueNative(u"SELECT count(DISTINCT MEM) FROM "_s + tableSql +
                                                  u" WHERE MEM GLOB '[0-9][0-9][0-9]'"_s);
    if (!indexes || !guards || !channels) {
        error = target.Path + u": "_s + engine.LastError();
        return false;
    }
    if (indexes->toInt() == 1 && guards->toInt() == kGuardCount && channels->toInt() == kBankRows)
        return true;
    TTransaction transaction(engine);
    const bool ok =
        transaction.Started() &&
        engine.ExecuteNative(u"DROP TRIGGER IF EXISTS "_s + schema + u".KeepRowsOnInsert"_s) &&
        engine.ExecuteNative(u"WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                             u"WHERE i < "_s +
                             QString::number(kBankRows - 1) + u") INSERT INTO "_s + tableSql +
                             u" (MEM) SELECT printf('%03d', i) FROM n WHERE printf('%03d', i) "
                             u"NOT IN (SELECT MEM FROM "_s +
                             tableSql + u" WHERE MEM IS NOT NULL)"_s) &&
        engine.ExecuteNative(u"CREATE UNIQUE INDEX IF NOT EXISTS "_s + schema + u".\"MEM\" ON "_s +
                             own + u" (MEM)"_s) &&
        engine.ExecuteNative(u"CREATE TRIGGER "_s + schema +
                             u".KeepRowsOnInsert BEFORE INSERT ON "_s + own +
                             u" BEGIN SELECT RAISE(IGNORE); END"_s) &&
        engine.ExecuteNative(u"CREATE TRIGGER IF NOT EXISTS "_s + schema +
                             u".KeepRowsOnDelete BEFORE DELETE ON "_s + own +
                             u" BEGIN SELECT RAISE(IGNORE); END"_s) &&
        engine.ExecuteNative(u"CREATE TRIGGER IF NOT EXISTS "_s + schema +
                             u".KeepMem BEFORE UPDATE OF MEM ON "_s + own +
                             u" WHEN NEW.MEM IS NOT OLD.MEM BEGIN SELECT RAISE(ABORT, "
                             u"'MEM cannot be changed'); END"_s) &&
        transaction.Commit();
    if (!ok)
        error = target.Path + u": "_s + engine.LastError();
    return ok;
}

bool PrepareBankTable(TTableEngine& engine, const QString& fileName, QString& error) {
    const QString path = engine.ResolvePath(fileName);
    const QFileInfo info(path);
    // An empty file holds nothing to keep.
    if (!info.exists() || info.size() == 0)
        return CreateBankTable(engine, path, error);
    if (IsSqliteFile(path))
        return CheckBankTable(engine, path, error);
    QString dbaseError;
    if (LooksLikeDbase(path, &dbaseError))
        return ConvertLegacyBank(engine, path, error);
    error = path +
            u": not a memory bank table (neither a table file of this program nor a "
            u"readable dBASE table: "_s +
            dbaseError.mid(path.size() + 2) + u"); the file was left as it is"_s;
    return false;
}
