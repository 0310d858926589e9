#pragma once

#include "ChirpCsv.h"

class TDataModule1;
class TTableView;

// CHIRP channel lists against the memory bank tables.

// Every row the view shows that holds a frequency, in its order; the file appears only when
// whole.
bool ExportChirpCsv(TTableView& view, const QString& path, QString& error);

struct TChirpReadIn {
    int Replaced = 0;        // rows of the table the file replaced
    TChirpContents Contents; // what was mapped, dropped and skipped (Records emptied)
    QString Error;           // nothing was stored
    bool Ok() const { return Error.isEmpty(); }
};

// The file's records replace the rows of their channels in the current bank table, by the
// rules of StoreRecordsInBank; a file that is not a CHIRP list, or holds no usable row, changes
// nothing.
TChirpReadIn ReadChirpIntoBank(TDataModule1& data, const QString& path);
