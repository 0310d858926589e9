#pragma once

#include <QString>

class TTableEngine;

// dBASE files (".dbf") read and written through shapelib. Field names and types follow the
// table's declared types: CHARACTER(n) <-> C(n), REAL <-> N(20,6), SMALLINT <-> N(6,0),
// INTEGER <-> N(11,0), BOOLEAN <-> L, DATE <-> D. Null stays Null (an empty text is Null in
// dBASE). Text is stored in the Windows-1252 code page's Latin-1 part.

// Writes every row of a table to a dBASE file, replacing it only once the new file is whole.
bool WriteDbaseTable(TTableEngine& engine, const QString& table, const QString& dbfPath,
                     QString& error);

// Reads a dBASE file into a new temporary table named tempTable (replacing one of that name);
// rows marked deleted are skipped.
bool ReadDbaseTable(TTableEngine& engine, const QString& dbfPath, const QString& tempTable,
                    QString& error);

// Whether a file has a readable dBASE header and all the records it announces.
bool LooksLikeDbase(const QString& path, QString* error = nullptr);
