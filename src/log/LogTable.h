#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <QTime>
#include <QVariant>

#include <optional>

class TTableEngine;
class TTableView;

// A log table is the user's record of what was heard, kept for years: one SQLite file per table,
// named "<name>_Kv7.DB", with its categories ("_Categories.DB"), its saved sub-selections
// ("_SubSelects.DB") and its own settings (".INI") beside it. Nothing here knows of windows.

inline constexpr double kLogFreqMinMHz = 0.01;
inline constexpr double kLogFreqMaxMHz = 2600.0;
inline constexpr int kLogSquelchNew = 255;
inline constexpr double kLogStepMinKHz = 0.001;
inline constexpr double kLogStepMaxKHz = 999.0;

inline constexpr const char* kLogFreqConstraint = "Freq <= 2600 AND Freq >= 0.01";
inline constexpr const char* kNotALogTableText = "Not an Kv7 Log Table";

// A file beside the log table: its name with the final ".DB" (any letter case) replaced.
QString LogSideFile(const QString& logPath, QStringView replacement);
QString LogSettingsFile(const QString& logPath);

// The file a name chosen for a new log table stands for ("Band Watch" in a folder gives
// "Band Watch_Kv7.DB"), or nullopt with the refusal in `error`.
std::optional<QString> NewLogTablePath(const QString& chosenPath, QString& error);
// Why a chosen file cannot be opened as a log table; empty when it can.
QString OpenLogTableRefusal(const QString& path);
// Why a chosen file cannot be deleted while `openPath` is open; empty when it can.
QString DeleteLogTableRefusal(const QString& path, const QString& openPath);

// Where a table file is built before it is renamed into place: hidden, beside it.
QString CreationPath(const QString& path);

// Creates the log table with its indexes (frequency, time, date, and signal for its sort): all
// of it or nothing.
bool CreateLogTable(TTableEngine& engine, const QString& path, QString& error);
// Adds the date and signal indexes when the table lacks them.
bool EnsureLogIndexes(TTableEngine& engine, const QString& path, QString& error);
// Makes an existing file ready to open: a log table of this program as it is; an older table
// converted once, the original kept beside it ("<name>.legacy"). Anything else is refused with
// a message and left as it is. `converted`, when given, says what a conversion did.
bool PrepareLogTable(TTableEngine& engine, const QString& path, QString& error,
                     QString* converted = nullptr);
// Drops the log table and whatever belongs to it: categories, saved sub-selections, settings.
bool DropLogTable(TTableEngine& engine, const QString& path, QString& error);

// The window's statement: every row, in the order of `field` (Signal descending).
QString LogSelectSql(const QString& path, QStringView field);

// The header that shows the sort order of an ORDER BY text, or nullopt for an order that
// changes nothing.
struct TSortGlyph {
    int Column = 0; // of the grid
    bool Descending = false;
};
std::optional<TSortGlyph> SortGlyphForOrder(const QString& orderText);

// The date and time a new row gets at `now`, in UTC or local time, cut to whole seconds.
struct TLogStamp {
    QDate Date;
    QTime Time;
};
TLogStamp LogStampAt(const QDateTime& now, bool utc);

// The row filter that finds a box's frequency ("Freq = 0.5" for ".5"), or nullopt when the text
// is empty or not a number.
std::optional<QString> FindCurrentFilter(const QString& boxText);

// What a log row is made of when the program adds it.
struct TLogEntry {
    QString FreqText; // as the frequency box shows it
    QString Mode;
    QString BW;
    QString Step;
    QString Ant;
    bool Stadj = false;
    int Signal = 0;
    int Squelch = kLogSquelchNew;
    QVariant CategoryId; // null for none
    QString Notes;
};

// Appends `entry` stamped with `stamp` and posts it; on failure the row is cancelled and
// `error` says why.
bool AppendLogEntry(TTableView& view, const TLogEntry& entry, const TLogStamp& stamp,
                    QString& error);

// The rules of the log's fields, as hooks for a view over a log table: typed values outside
// them are refused with a message, Notes are kept upper-cased and a row outside the frequency
// range is not posted. `report` tells the user why.
void ApplyLogRules(TTableView& view, const std::function<void(const QString&)>& report);
