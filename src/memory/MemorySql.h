#pragma once

#include <QString>

// The statements run against the memory bank tables, and the view state they are built from.

inline constexpr int kBankRows = 1000;
inline constexpr int kBankCount = 2;
inline constexpr const char* kBankTables[kBankCount] = {"MemoryBank0.dbf", "MemoryBank1.dbf"};

// The view's first statement (two blanks after the asterisk, the file spelt in its own case).
inline constexpr const char* kStartupSql = "Select *  from Memorybank0.dbf";

// Row filters, each with its trailing blank.
inline constexpr const char* kHideBlanksFilter = "FREQ <> '' ";
inline constexpr const char* kPassFilter = "PASS = TRUE ";
inline constexpr const char* kSelectScanFilter = "SELSCAN = TRUE ";

struct TMemoryViewState {
    QString CurrentTable = QString::fromLatin1(kBankTables[0]);
    QString BankFilter; // the condition selecting one hundred of channels, or empty
    QString RowFilter;  // empty or one of the row filters above
    QString SortField;  // empty, "MEM", "FREQ" or "TEXT"
};

// The three-digit channel text: "007", "042", "512".
QString FormatMemNumber(int n);

// The statement of the memory view for a view state.
QString BuildMemorySql(const TMemoryViewState& state);

// The condition selecting the hundred h (0..9) of channels.
QString HundredFilter(int hundred);

// "SELECT * FROM " + table, and the same with blank rows hidden.
QString AllRowsSql(const QString& table);
QString HideBlanksSql(const QString& table);

// Clears every select-scan flag of a table.
QString ClearSelectScanSql(const QString& table);
