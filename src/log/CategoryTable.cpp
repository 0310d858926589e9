#include "CategoryTable.h"

#include "LogTable.h"

#include "Prompt.h"
#include "SqlDialect.h"
#include "TableEngine.h"
#include "TableView.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

constexpr const char* kUsedInLogText =
    "You cannot delete that Category\r\nIt is used on the main log table.";
constexpr const char* kUsedInSubSelectText =
    "You cannot delete that Category\r\nIt is used in a saved sub selection.";

QString EngineError(const TTableEngine& engine, const QString& path) {
    return engine.LastError().contains(path) ? engine.LastError()
                                             : path + u": "_s + engine.LastError();
}

} // namespace

QString CategoryTableFileFor(const QString& logTablePath) {
    return LogSideFile(logTablePath, u"_Categories.DB");
}

QString SubSelectsFileFor(const QString& logTablePath) {
    return LogSideFile(logTablePath, u"_SubSelects.DB");
}

bool EnsureCategoryTable(TTableEngine& engine, const QString& path, QString& error) {
    if (QFileInfo::exists(path))
        return true;
    const QString partial = CreationPath(path);
    // What an interrupted creation left is thrown away.
    engine.CloseTableFile(partial);
    QFile::remove(partial);
    const QString table = QuoteFileName(partial);
    const bool ok = engine.Execute(u"CREATE TABLE "_s + table + u" "_s +
                                   u"(ID AUTOINC,Category VARCHAR(16),PRIMARY KEY(ID))"_s) &&
                    engine.Execute(u"CREATE INDEX CategoryIX ON "_s + table + u"(Category)"_s) &&
                    engine.CloseTableFile(partial);
    if (!ok) {
        error = EngineError(engine, path);
        engine.CloseTableFile(partial);
        QFile::remove(partial);
        return false;
    }
    return ReplaceFile(partial, path, error);
}

QString CategoryTextRefusal(const QString& text) {
    if (text.isEmpty())
        return u"A category needs a text"_s;
    if (text.size() > kCategoryTextLength)
        return u"\""_s + text + u"\" is too long for a category: at most "_s +
               QString::number(kCategoryTextLength) + u" characters"_s;
    return {};
}

bool CategoryFieldValidate(TTableView& view, int field, QVariant& value, TAssignOrigin) {
    if (view.Field(field).Name.compare(u"Category"_s, Qt::CaseInsensitive) != 0 ||
        value.toString().size() <= kCategoryTextLength)
        return true;
    Prompt().Error(u"Signal Categories"_s, CategoryTextRefusal(value.toString()));
    return false;
}

std::optional<qint64> FindOrAddCategory(TTableEngine& engine, const QString& path,
                                        const QString& text, QString& error) {
    error = CategoryTextRefusal(text);
    if (!error.isEmpty())
        return std::nullopt;
    // "=" compares text exactly, letter case included.
    const QString find =
        u"SELECT ID FROM "_s + QuoteFileName(path) + u" WHERE Category = ? ORDER BY ID"_s;
    std::optional<QVariant> id = engine.QueryValue(find, {text});
    if (id && !id->isValid()) {
        id = engine.Execute(u"INSERT INTO "_s + QuoteFileName(path) + u" (Category) VALUES (?)"_s,
                            {text})
                 ? engine.QueryValue(find, {text})
                 : std::nullopt;
    }
    if (!id || !id->isValid()) {
        error = EngineError(engine, path);
        return std::nullopt;
    }
    return id->toLongLong();
}

QString CategoryDeleteRefusal(TTableEngine& engine, const QString& logTablePath, qint64 id) {
    const auto usedIn = [&](const QString& table) -> std::optional<bool> {
        const std::optional<QVariant> found = engine.QueryValue(
            u"SELECT ID FROM "_s + QuoteFileName(table) + u" WHERE CategoryID = ? ORDER BY ID"_s,
            {id});
        if (!found)
            return std::nullopt;
        return found->isValid();
    };
    const std::optional<bool> inLog = usedIn(logTablePath);
    if (!inLog)
        return EngineError(engine, logTablePath);
    if (*inLog)
        return QString::fromLatin1(kUsedInLogText);

    const QString subSelects = SubSelectsFileFor(logTablePath);
    if (!QFileInfo::exists(subSelects))
        return {};
    const auto columns = engine.Columns(QuoteFileName(subSelects));
    if (!columns)
        return EngineError(engine, subSelects);
    // A sub-selection table without categories cannot hold this one.
    if (std::none_of(columns->cbegin(), columns->cend(), [](const TTableEngine::TColumn& column) {
            return column.Name.compare(u"CategoryID"_s, Qt::CaseInsensitive) == 0;
        }))
        return {};
    const std::optional<bool> inSubSelect = usedIn(subSelects);
    if (!inSubSelect)
        return EngineError(engine, subSelects);
    return *inSubSelect ? QString::fromLatin1(kUsedInSubSelectText) : QString();
}
