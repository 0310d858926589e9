#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Text of files written by older DOS and Windows programs, in the code page their header names
// (437, 850, 1252, ...). Unknown code pages are read as Windows-1252, the code page those
// programs wrote by default.
QString DecodeCodePage(QByteArrayView bytes, int codePage);

// One byte per character in Windows-1252 (Latin-1 and the printable characters of 0x80..0x9F);
// characters it lacks, and the controls 0x80..0x9F, become "?".
QByteArray EncodeCp1252(QStringView text);

// A text file's bytes as UTF-8, without a byte order mark: kept when they are UTF-8 already,
// else read as Windows-1252, the code page older programs wrote.
QByteArray TextAsUtf8(QByteArray bytes);
