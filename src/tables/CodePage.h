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
