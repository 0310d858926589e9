#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// CSV fields as every file of the program writes them: a field holding a comma, a double quote
// or a line break is quoted and its quotes doubled; any other field is written as it is, so
// readers of the older unquoted files still read it.
template <typename Char> constexpr bool IsCsvSpecial(Char c) {
    return c == Char(',') || c == Char('"') || c == Char('\r') || c == Char('\n');
}

QString CsvField(const QString& text);
// The same rule on bytes, for exports too large to go through QString a field at a time.
void AppendCsvField(QByteArray& out, QByteArrayView text);
