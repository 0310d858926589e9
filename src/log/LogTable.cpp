#include "LogTable.h"

#include "CategoryTable.h"
#include "NumberText.h"
#include "ParadoxFile.h"
#include "TableEngine.h"
#include "TableView.h"
#include "ValueTables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace {

constexpr QStringView kLogSuffix = u"_Kv7.DB";

// The columns of a log table, as the program creates them.
constexpr std::array<const char16_t*, 13> kLogColumns = {
    u"ID",      u"Freq",    u"Mode",    u"BW",     u"Step",  u"Ant",       u"Stadj",
    u"Squelch", u"LogDate", u"LogTime", u"Signal", u"Notes", u"CategoryID"};

QString CreateStatement(const QString& path) {
    return u"CREATE TABLE "_s + QuoteFileName(path) +
           u" (ID AUTOINC,Freq FLOAT(11,6),Mode CHARACTER(3),BW CHARACTER(3),Step CHARACTER(7),"
           u"Ant CHARACTER(4),Stadj BOOLEAN,Squelch SMALLINT,LogDate DATE,LogTime TIME,"
           u"Signal SMALLINT,Notes BLOB(1,1),CategoryID INTEGER,PRIMARY KEY(ID))"_s;
}

QString IndexStatement(QStringView index, const QString& path, QStringView column) {
    return u"CREATE INDEX "_s + index.toString() + u" ON "_s + QuoteFileName(path) + u'(' +
           column.toString() + u')';
}

bool EndsWithDb(const QString& path) {
    return QFileInfo(path).suffix().compare(u"DB"_s, Qt::CaseInsensitive) == 0;
}

QString Canonical(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(path).absoluteFilePath() : canonical;
}

bool CheckLogTable(TTableEngine& engine, const QString& path, QString& error) {
    const auto columns = engine.Columns(QuoteFileName(path));
    if (!columns) {
        error = path + u": "_s + engine.LastError();
        return false;
    }
    QStringList missing;
    for (const char16_t* name : kLogColumns)
        if (std::none_of(columns->cbegin(), columns->cend(), [&](const auto& column) {
                return column.Name.compare(QStringView(name), Qt::CaseInsensitive) == 0;
            }))
            missing << QString::fromUtf16(name);
    if (!missing.isEmpty()) {
        error = path + u": not a log table; it lacks the fields "_s + missing.join(u", "_s) +
                u". The file was left as it is."_s;
        return false;
    }
    return true;
}

// An older table (Paradox) is read into a new table of this program, made by `create` beside it
// and put in its place; the original is kept as "<name>.legacy". Every row keeps its ID.
bool ConvertLegacyTable(TTableEngine& engine, const QString& path,
                        const std::function<bool(const QString&, QString&)>& create,
                        QStringView requiredColumn, QString& error, QString& notice) {
    const QString legacy = u"LegacyLog"_s;
    if (!ReadParadoxTable(engine, path, legacy, error, &notice))
        return false;
    const auto columns = engine.Columns(u"temp."_s + legacy);
    const bool fits =
        columns && std::any_of(columns->cbegin(), columns->cend(), [&](const auto& column) {
            return column.Name.compare(requiredColumn, Qt::CaseInsensitive) == 0;
        });
    const QFileInfo info(path);
    const QString partial = info.absolutePath() + u"/.converting-"_s + info.fileName();
    engine.CloseTableFile(partial);
    QFile::remove(partial);
    bool ok = fits;
    if (!fits)
        error = path + u": an older table, but not one of this kind (it has no field "_s +
                requiredColumn.toString() + u"); the file was left as it is"_s;
    ok = ok && create(partial, error) &&
         engine.BatchAppend(u"temp."_s + legacy, QuoteFileName(partial));
    return FinishConversion(engine, path, partial, u"temp."_s + legacy, ok, error);
}

bool IsListed(const auto& list, const QString& text) {
    return std::any_of(list.cbegin(), list.cend(),
                       [&](const char* item) { return text == QLatin1StringView(item); });
}

QString ListText(const auto& list) {
    QStringList items;
    for (const char* item : list)
        items << QString::fromLatin1(item);
    return items.join(u", "_s);
}

} // namespace

QString CreationPath(const QString& path) {
    // Put in its place once complete, so a crash never leaves a table without its indexes.
    const QFileInfo info(path);
    return info.absolutePath() + u"/.creating-"_s + info.fileName();
}

QString LogSideFile(const QString& logPath, QStringView replacement) {
    return (EndsWithDb(logPath) ? logPath.chopped(3) : logPath) + replacement.toString();
}

QString LogSettingsFile(const QString& logPath) {
    return LogSideFile(logPath, u".INI");
}

std::optional<QString> NewLogTablePath(const QString& chosenPath, QString& error) {
    const QFileInfo chosen(chosenPath);
    QString name = chosen.fileName();
    static const QRegularExpression unsuitable(u"[\\x00-\\x1f\\x7f\"$*,/:;<=>?\\[\\\\\\]|]"_s);
    if (name.isEmpty() || name.contains(unsuitable)) {
        error = u"Filename contains unsuitable or illegal characters."_s;
        return std::nullopt;
    }
    if (chosen.suffix().compare(u"DB"_s, Qt::CaseInsensitive) != 0) {
        const QString suffix = chosen.suffix();
        if (!suffix.isEmpty())
            name.chop(suffix.size() + 1);
        name += u".DB"_s;
    }
    name = name.chopped(3) + kLogSuffix.toString();
    const QString path = QDir(chosen.absolutePath()).filePath(name);
    if (QFileInfo::exists(path)) {
        error = u"A Log Table by that name already exists."_s;
        return std::nullopt;
    }
    return path;
}

QString OpenLogTableRefusal(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    if (!EndsWithDb(path))
        return QString::fromLatin1(kNotALogTableText);
    if (name.contains(u"_Categories"_s, Qt::CaseInsensitive))
        return u"This is a Category file not a Log file"_s;
    if (name.contains(u"_SubSelects"_s, Qt::CaseInsensitive))
        return u"This is a Saved Sub Selection file not a Log file"_s;
    return {};
}

QString DeleteLogTableRefusal(const QString& path, const QString& openPath) {
    if (!EndsWithDb(path))
        return QString::fromLatin1(kNotALogTableText);
    if (!openPath.isEmpty() && Canonical(path) == Canonical(openPath))
        return u"You can't delete the currently open Log Table"_s;
    if (QFileInfo(path).fileName().contains(u"_Categories"_s, Qt::CaseInsensitive))
        return u"                        This is a Category file.\r\nIt will be deleted when "
               u"you delete the corresponding Log file."_s;
    return {};
}

bool EnsureLogIndexes(TTableEngine& engine, const QString& path, QString& error) {
    const TTranslation ref = engine.Translate(u"SELECT * FROM "_s + QuoteFileName(path));
    if (!ref.Ok() || ref.Targets.empty()) {
        error = ref.Ok() ? path + u": not a table file"_s : ref.Error;
        return false;
    }
    const QString catalogue = QuoteIdentifier(ref.Targets.front().Schema) + u".sqlite_master"_s;
    for (const auto& [index, column] :
         {std::pair{u"DateIX", u"LogDate"}, std::pair{u"SignalIX", u"Signal"}}) {
        const std::optional<QVariant> found = engine.QueryValueNative(
            u"SELECT count(*) FROM "_s + catalogue + u" WHERE type = 'index' AND name = ?1"_s,
            {QString::fromUtf16(index)});
        if (!found ||
            (found->toInt() == 0 && !engine.Execute(IndexStatement(index, path, column)))) {
            error = path + u": "_s + engine.LastError();
            return false;
        }
    }
    return true;
}

bool CreateLogTable(TTableEngine& engine, const QString& path, QString& error) {
    const QString partial = CreationPath(path);
    engine.CloseTableFile(partial);
    QFile::remove(partial);
    const bool ok = engine.Execute(CreateStatement(partial)) &&
                    engine.Execute(IndexStatement(u"FreqIX", partial, u"Freq")) &&
                    engine.Execute(IndexStatement(u"TimeIX", partial, u"LogTime")) &&
                    engine.Execute(IndexStatement(u"DateIX", partial, u"LogDate")) &&
                    engine.Execute(IndexStatement(u"SignalIX", partial, u"Signal")) &&
                    engine.CloseTableFile(partial);
    if (!ok) {
        error = path + u": "_s + engine.LastError();
        engine.CloseTableFile(partial);
        QFile::remove(partial);
        return false;
    }
    if (QFileInfo::exists(path)) {
        QFile::remove(partial);
        error = u"A Log Table by that name already exists."_s;
        return false;
    }
    return ReplaceFile(partial, path, error);
}

bool PrepareLogTable(TTableEngine& engine, const QString& path, QString& error,
                     QString* converted) {
    const QFileInfo info(path);
    if (!info.exists()) {
        error = path + u": no such file"_s;
        return false;
    }
    if (IsSqliteFile(path))
        return CheckLogTable(engine, path, error);
    QString paradoxError;
    if (LooksLikeParadox(path, &paradoxError)) {
        QString notice;
        const auto createLog = [&engine](const QString& target, QString& why) {
            return CreateLogTable(engine, target, why);
        };
        if (!ConvertLegacyTable(engine, path, createLog, u"Freq", error, notice))
            return false;
        // Its categories were written by the same older program.
        const QString categories = CategoryTableFileFor(path);
        if (QFileInfo::exists(categories) && !IsSqliteFile(categories) &&
            LooksLikeParadox(categories)) {
            QString categoriesNotice;
            const auto createCategories = [&engine](const QString& target, QString& why) {
                return EnsureCategoryTable(engine, target, why);
            };
            if (!ConvertLegacyTable(engine, categories, createCategories, u"Category", error,
                                    categoriesNotice))
                return false;
        }
        if (converted)
            *converted = notice.isEmpty()
                             ? path + u": an older log table, converted; the original is kept "_s
                                      u"beside it as \"<name>.legacy\""_s
                             : path + u": an older log table, converted; "_s + notice;
        return CheckLogTable(engine, path, error);
    }
    error = path +
            u": not a log table (neither a table file of this program nor an older log table); "
            u"the file was left as it is"_s;
    return false;
}

bool DropLogTable(TTableEngine& engine, const QString& path, QString& error) {
    if (!engine.Execute(u"DROP TABLE "_s + QuoteFileName(path) + u' ')) {
        error = engine.LastError();
        return false;
    }
    for (const QString& side : {CategoryTableFileFor(path), SubSelectsFileFor(path)})
        if (QFileInfo::exists(side) && !engine.Execute(u"DROP TABLE "_s + QuoteFileName(side))) {
            error = engine.LastError();
            return false;
        }
    const QString settings = LogSettingsFile(path);
    if (QFileInfo::exists(settings) && !QFile::remove(settings)) {
        error = settings + u": cannot be deleted"_s;
        return false;
    }
    return true;
}

QString LogSelectSql(const QString& path, QStringView field) {
    QString sql = u"Select * from "_s + QuoteFileName(path) + u" ORDER BY "_s + field.toString();
    if (field.compare(u"Signal", Qt::CaseInsensitive) == 0)
        sql += u"\nDESC"_s;
    return sql;
}

std::optional<TSortGlyph> SortGlyphForOrder(const QString& orderText) {
    struct TOrder {
        QStringView Text;
        TSortGlyph Glyph;
    };
    static constexpr std::array<TOrder, 11> kOrders = {{
        {u"", {0, false}},
        {u"ID", {0, false}},
        {u"FREQ", {1, false}},
        {u"BW", {5, false}},
        {u"LOGDATE", {10, false}},
        {u"LOGTIME", {11, false}},
        {u"SIGNAL", {12, false}},
        {u"FREQ DESC", {1, true}},
        {u"LOGDATE DESC", {10, true}},
        {u"LOGTIME DESC", {11, true}},
        {u"SIGNAL DESC", {12, true}},
    }};
    const QString text = orderText.toUpper();
    for (const TOrder& order : kOrders)
        if (text == order.Text)
            return order.Glyph;
    return std::nullopt;
}

TLogStamp LogStampAt(const QDateTime& now, bool utc) {
    const QDateTime when = utc ? now.toUTC() : now.toLocalTime();
    const QTime time = when.time();
    return {when.date(), QTime(time.hour(), time.minute(), time.second())};
}

std::optional<QString> FindCurrentFilter(const QString& boxText) {
    QString text = boxText.trimmed();
    if (text.startsWith(u'.'))
        text.prepend(u'0');
    if (text.isEmpty())
        return std::nullopt;
    // Only a number reaches the filter's text.
    if (!ParseNumber(text))
        return std::nullopt;
    return u"Freq = "_s + text;
}

bool AppendLogEntry(TTableView& view, const TLogEntry& entry, const TLogStamp& stamp,
                    QString& error) {
    const std::optional<double> freq = ParseNumber(entry.FreqText);
    if (!view.Append()) {
        error = view.LastError();
        return false;
    }
    const bool ok =
        view.SetField(u"Freq", freq ? QVariant(*freq) : QVariant()) &&
        view.SetField(u"Mode", entry.Mode) && view.SetField(u"BW", entry.BW) &&
        view.SetField(u"Step", entry.Step) && view.SetField(u"Ant", entry.Ant) &&
        view.SetField(u"Stadj", entry.Stadj) && view.SetField(u"Squelch", entry.Squelch) &&
        view.SetField(u"Signal", entry.Signal) && view.SetField(u"LogDate", stamp.Date) &&
        view.SetField(u"LogTime", stamp.Time) &&
        (entry.CategoryId.isNull() || view.SetField(u"CategoryID", entry.CategoryId)) &&
        (entry.Notes.isEmpty() || view.SetField(u"Notes", entry.Notes)) && view.Post();
    if (!ok) {
        error = view.LastError();
        view.Cancel();
    }
    return ok;
}

void ApplyLogRules(TTableView& view, const std::function<void(const QString&)>& report) {
    view.OnValidate = [report](TTableView& v, int field, QVariant& value, TAssignOrigin origin) {
        const QString name = v.Field(field).Name;
        if (name.compare(u"Notes"_s, Qt::CaseInsensitive) == 0) {
            if (!value.isNull())
                value = value.toString().toUpper();
            return true;
        }
        if (origin != TAssignOrigin::User || value.isNull() || value.toString().isEmpty())
            return true;
        const QString text = value.toString().trimmed();
        const auto refuse = [&](const QString& why) {
            report(name + u" \""_s + text + u"\" refused: "_s + why);
            return false;
        };
        if (name.compare(u"Step"_s, Qt::CaseInsensitive) == 0) {
            const std::optional<double> step = ParseNumber(text);
            if (!step)
                return false;
            if (*step < kLogStepMinKHz || *step > kLogStepMaxKHz) {
                v.Cancel();
                return false;
            }
            return true;
        }
        if (name.compare(u"Squelch"_s, Qt::CaseInsensitive) == 0) {
            bool ok = false;
            const int squelch = text.toInt(&ok);
            if (!ok || squelch < 0 || squelch > 255)
                return refuse(u"must be a whole number from 0 to 255"_s);
            value = squelch;
            return true;
        }
        if (name.compare(u"Freq"_s, Qt::CaseInsensitive) == 0) {
            const std::optional<double> freq = ParseNumber(text);
            if (!freq)
                return refuse(u"not a frequency in MHz"_s);
            value = *freq;
            return true;
        }
        struct TPickList {
            QStringView Field;
            QString Items;
            bool Listed;
        };
        const std::array<TPickList, 3> lists = {{
            {u"Mode", ListText(kModes), IsListed(kModes, text)},
            {u"BW", ListText(kBandwidths), IsListed(kBandwidths, text)},
            {u"Ant", ListText(kAntennas), IsListed(kAntennas, text)},
        }};
        for (const TPickList& list : lists)
            if (name.compare(list.Field, Qt::CaseInsensitive) == 0 && !list.Listed)
                return refuse(u"must be one of "_s + list.Items);
        return true;
    };
    view.OnBeforePost = [](TTableView& v) {
        const QVariant freq = v.Value(u"Freq");
        const double mhz = freq.toDouble();
        if (!freq.isNull() && mhz >= kLogFreqMinMHz && mhz <= kLogFreqMaxMHz)
            return QString();
        return u"Freq "_s + (freq.isNull() ? u"(empty)"_s : freq.toString()) +
               u" is outside the table's constraint: "_s + QString::fromLatin1(kLogFreqConstraint);
    };
}
