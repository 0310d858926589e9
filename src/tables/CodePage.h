#pragma once

#include <QByteArrayView>
#include <QString>

// Text of files written by older DOS and Windows programs, in the code page their header names
// (437, 850, 1252, ...). Unknown code pages are read as Windows-1252, the code page those
// programs wrote by default.
QString DecodeCodePage(QByteArrayView bytes, int codePage);
