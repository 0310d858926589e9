#pragma once

#include <QString>

class TTableEngine;

// Paradox tables (".DB", memo texts in a ".MB" file of the same name beside them). pxlib opens the
// table and gives its fields and the alpha, BCD and bytes values; numbers, dates, times and the
// memo file are decoded here, where pxlib 0.6.8 goes wrong. Types map as: alpha -> CHARACTER(n)
// text, short -> SMALLINT, long and autoincrement -> INTEGER, number, currency and BCD -> REAL,
// logical -> BOOLEAN 0/1, date -> "YYYY-MM-DD", time -> "HH:MM:SS", timestamp ->
// "YYYY-MM-DDTHH:MM:SS", memo and formatted memo -> TEXT, binary fields -> BLOB. Null stays Null.
// Text is converted from the code page the table names.

// Whether a file has a readable Paradox table header, a block chain that holds together and all
// the records it announces. Checked here, before pxlib sees the file: pxlib trusts what it reads.
bool LooksLikeParadox(const QString& path, QString* error = nullptr);

// Reads a Paradox table into a new temporary table named tempTable (replacing one of that name).
// A memo text that cannot be had (no ".MB" file, or a damaged one) is read as Null and the rest
// of the table is read all the same; notice, when given, then says so (it is empty otherwise).
bool ReadParadoxTable(TTableEngine& engine, const QString& path, const QString& tempTable,
                      QString& error, QString* notice = nullptr);
