#pragma once

#include "Kv7File.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class TDataModule1;
class TTableView;

// The Kv7 text database against the memory bank tables.

// Hands `write` every row the view shows, in its order, with its fields in kKv7Fields order;
// stops early when `write` returns false, and then returns false.
bool ForEachShownRow(TTableView& view, const std::function<bool(const TKv7Values&)>& write);

// The records replace the rows of equal MEM in the current bank table, all in one transaction,
// and those rows are marked CHANGED; where a channel appears twice the later record wins. With
// no records nothing is touched. The rows replaced, or nullopt with the reason in `error`.
std::optional<int> StoreRecordsInBank(TDataModule1& data, const std::vector<TKv7Values>& records,
                                      QString& error);

// Every row the view shows, in its order, as one record each; the file appears only when whole.
bool ExportKv7(TTableView& view, const QString& path, QString& error);

struct TKv7ReadIn {
    int Replaced = 0;    // rows of the table the file replaced
    QStringList Skipped; // lines that held no record, and why
    QString Error;       // nothing was stored
    bool Ok() const { return Error.isEmpty(); }
};

// The records of a Kv7 file replace the rows of equal MEM in the current bank table, all in one
// transaction, and those rows are marked CHANGED. Where a channel appears twice the later record
// wins. Lines that hold no record are left out and listed; a file that is not a Kv7 table is
// refused whole.
TKv7ReadIn ReadKv7IntoBank(TDataModule1& data, const QString& path);
