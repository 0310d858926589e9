#pragma once

#include <QString>
#include <QVariant>

#include <optional>

class TTableEngine;
class TTableView;
enum class TAssignOrigin;

// The categories of a log table live in a table file of their own beside it; saved sub-selections
// of the log live in another. Both are named after the log table. No windows here.

inline constexpr int kCategoryTextLength = 16;

// The companion files of a log table: the last ".DB" of its file name (any letter case) becomes
// "_Categories.DB" or "_SubSelects.DB"; a name without ".DB" gets the suffix added.
QString CategoryTableFileFor(const QString& logTablePath);
QString SubSelectsFileFor(const QString& logTablePath);

// Creates the categories table with its index when the file is missing. The file appears only
// when whole, so an interrupted creation never leaves a table without its index.
bool EnsureCategoryTable(TTableEngine& engine, const QString& path, QString& error);

// Why a category text cannot be stored: empty, or longer than the field holds (the table file
// itself would keep any length). Empty when the text is fine.
QString CategoryTextRefusal(const QString& text);

// The check of a categories view's fields (its OnValidate): a Category text longer than the field
// is refused with a message naming the limit, instead of being cut.
bool CategoryFieldValidate(TTableView& view, int field, QVariant& value, TAssignOrigin origin);

// The ID of the category spelt exactly as `text` (letter case counts), added when there is none.
// nullopt with `error` set when the text is refused or the table cannot be read or written.
std::optional<qint64> FindOrAddCategory(TTableEngine& engine, const QString& path,
                                        const QString& text, QString& error);

// Why the category `id` may not be deleted: a log row or a saved sub-selection uses it, or the
// tables could not be read (the engine's text). Empty when it may go.
QString CategoryDeleteRefusal(TTableEngine& engine, const QString& logTablePath, qint64 id);
