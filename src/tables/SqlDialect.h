#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>
#include <vector>

// Statements arrive in the older local-SQL dialect, where a table is a file ("MemoryBank0.dbf",
// "C:\data\Log_Kv7.DB") and double quotes also delimit values. TranslateSql rewrites one such
// statement into SQLite's own dialect; it touches no file itself: a resolver maps each table file
// named in the statement to the schema it is attached as.

enum class TSqlTokenKind {
    Space, // blanks and comments
    Word,  // identifier or keyword
    Number,
    String,    // 'single-quoted'
    Quoted,    // "double-quoted"
    Bracketed, // [name] or `name`
    Parameter, // ?, ?1, :name, @name, $name
    Operator,
    Semicolon,
};

struct TSqlToken {
    TSqlTokenKind Kind = TSqlTokenKind::Space;
    QString Text; // as written
};

// Splits a statement into tokens; an unterminated quote or comment gives an error text.
std::vector<TSqlToken> TokenizeSql(QStringView sql, QString* error);

enum class TStatementKind {
    Select,
    Insert,
    Update,
    Delete,
    CreateTable,
    CreateIndex,
    DropTable,
    Other,
};

// How a statement uses a table file.
enum class TTableUse {
    Existing, // must exist
    Create,   // the target of CREATE TABLE: must not exist
    Drop,     // the target of DROP TABLE
};

// Where a table file lives once attached.
struct TTableTarget {
    QString Schema; // the attachment's name
    QString Table;  // the table inside the file
    QString Path;   // the file
};

// Maps a file name as written (backslashes and all) to its attachment, or sets error.
using TTableResolver = std::function<std::optional<TTableTarget>(const QString& fileName,
                                                                 TTableUse use, QString& error)>;

// The pieces of a SELECT over one table, already in SQLite's dialect, so a view can add its
// own columns and conditions.
struct TSelectParts {
    QString Columns;       // between SELECT and FROM
    QString Table;         // the table alone, "schema"."table"
    QString Source;        // the table with its alias, as the FROM clause names it
    QString Where;         // the condition, without WHERE; empty if none
    QString Tail;          // ORDER BY / LIMIT ..., empty if none
    bool Editable = false; // one table, plain columns, no grouping: rows map to table rows
};

struct TTranslation {
    QString Sql;
    QString Error; // empty when the statement can run
    TStatementKind Kind = TStatementKind::Other;
    std::vector<TTableTarget> Targets; // every table file named, in order
    std::optional<TSelectParts> Select;

    bool Ok() const { return Error.isEmpty(); }
};

inline constexpr const char* kTailRefusedText =
    "Only one statement can be run at a time: remove the text after the first \";\"";
inline constexpr const char* kExtensionRefusedText = "Loading extensions is not allowed";
inline constexpr const char* kAttachRefusedText =
    "ATTACH and DETACH are not allowed: name table files directly";

TTranslation TranslateSql(QStringView sql, const TTableResolver& resolver);

// A filter condition ("Freq = 145.5", "MODE = \"FM\"") in SQLite's dialect, or an error text.
TTranslation TranslateCondition(QStringView condition);

// A file name written so that TranslateSql reads it as one table file whatever it holds.
QString QuoteFileName(const QString& path);

// An identifier in SQLite's quotes.
QString QuoteIdentifier(QStringView name);

// A value as an SQLite string literal.
QString QuoteLiteral(QStringView value);
