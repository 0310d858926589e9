#pragma once

#include <QString>

#include <array>

class TTableEngine;

// The memory bank table: exactly the 1000 rows "000".."999", one per channel, in a table file of
// its own. The file guards itself: rows are neither added nor removed and MEM never changes.

struct TBankField {
    const char* Name;
    const char* Type; // as CREATE TABLE names it
};

inline constexpr std::array<TBankField, 18> kBankFields = {{
    {"MEM", "CHARACTER(3)"},
    {"FREQ", "FLOAT(11,6)"},
    {"MODE", "CHARACTER(3)"},
    {"BW", "CHARACTER(3)"},
    {"LP", "CHARACTER(2)"},
    {"HP", "CHARACTER(4)"},
    {"DM", "CHARACTER(4)"},
    {"AGC", "CHARACTER(4)"},
    {"STEP", "CHARACTER(7)"},
    {"SSTEP", "CHARACTER(5)"},
    {"ATN", "CHARACTER(4)"},
    {"ANT", "CHARACTER(4)"},
    {"STADJ", "BOOLEAN"},
    {"PASS", "BOOLEAN"},
    {"SELSCAN", "BOOLEAN"},
    {"TEXT", "CHARACTER(8)"},
    {"CHANGED", "BOOLEAN"},
    {"SQUELCH", "SMALLINT"},
}};

// Makes a bank table file ready: created with its 1000 blank rows when missing, converted once
// from a legacy dBASE table (the original kept as "<name>.legacy"), and otherwise checked. A file
// that is neither is left untouched and named in the error.
bool PrepareBankTable(TTableEngine& engine, const QString& fileName, QString& error);

// Creates a new bank table file with its 1000 blank rows; the file appears only when whole.
bool CreateBankTable(TTableEngine& engine, const QString& path, QString& error);

// Puts back what a bank table file must hold: the unique index "MEM", its guards, and a blank
// row for every missing channel. Writes nothing when all is there.
bool EnsureBankSchema(TTableEngine& engine, const QString& table, QString& error);
