#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Numbers are written and read with "." as the decimal separator whatever the user's locale:
// the receiver, the settings file and the data files all depend on it.

// Decimal integer; surrounding blanks and a leading "+" or "-" are accepted, nothing else.
std::optional<qint64> ParseInteger(QStringView text);
// Hexadecimal integer: digits 0-9, A-F, a-f only (no sign, no prefix); surrounding blanks are
// accepted.
std::optional<qint64> ParseHex(QStringView text);
// Decimal number with an optional fraction and exponent; surrounding blanks are accepted.
std::optional<double> ParseNumber(QStringView text);

// Fixed-point text with exactly `decimals` digits after the point ("145.500000").
QString FormatFixed(double value, int decimals);

// Rounds halves to the nearest even integer, as the receiver's level formula expects. The value
// must be finite and within the range of qint64.
qint64 RoundHalfEven(double value);
