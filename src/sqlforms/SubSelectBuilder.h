#pragma once

#include <QString>
#include <QStringList>

#include <array>

// What the builder page of a sub-select window offers; the memory and the log windows differ
// only in this data.
struct TSubSelectKind {
    QStringList Fields; // the field lists, after their empty first entry
    QStringList Orders; // the order list
    bool HasCategory = false;
    QString NumberField; // a whole number in a row on this field is padded to NumberWidth digits
    int NumberWidth = 0;
    bool DatesAndTimes = false; // fields holding "DATE" or "TIME" take the user's formats
    bool QuoteTable = false;    // the table name goes between double quotes
};

const TSubSelectKind& MemorySubSelect();
const TSubSelectKind& LogSubSelect();

// The operator list after its empty first entry, and the connectors.
QStringList SubSelectOperators();
QStringList SubSelectConnectors();

struct TSubSelectRow {
    QString Field;
    QString Operator;
    QString Value; // as typed
};

// The builder's choices, as texts; empty means not chosen.
struct TSubSelectChoices {
    std::array<TSubSelectRow, 3> Rows;
    std::array<QString, 2> Connectors;
    QString Mode;
    QString CategoryId;
    QString OrderBy;
};

struct TSubSelectStatement {
    QString Sql;
    QString Error; // why nothing can be built; empty when Sql holds the statement
};

// The statement for `table` (a file name as the engine reads it). Values become double-quoted
// literals of the older dialect, their own double quotes doubled so they stay values.
TSubSelectStatement BuildSubSelect(const TSubSelectKind& kind, const QString& table,
                                   const TSubSelectChoices& choices);
