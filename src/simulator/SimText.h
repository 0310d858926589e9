#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The receiver's wire formats: fields of fixed width as the receiver sends them, and the
// arguments it accepts.
namespace SimText {

inline constexpr qint64 kMinHz = 10'000;
inline constexpr qint64 kMaxHz = 2'600'000'000;
inline constexpr qint64 kMaxStepHz = 999'999;

qint64 Hz(double mhz);
double MHz(qint64 hz);
// "###.000": kHz with three decimals and no leading zero (".500", "12.500").
QString StepKHz(qint64 hz);
// The Hz of a "###.000" text; 0 when it does not convert.
qint64 StepHz(const QString& kHz);

QByteArray Digits(qint64 value, int width);
QByteArray Rf(qint64 hz);                   // "RF0145500000"
QByteArray Step(qint64 hz, bool adjust);    // "ST012500 " or "ST012500+"
QByteArray Signed(int value);               // "+050" when active (above 0), else " 000"
QByteArray Tenths(int tenths);              // "2.0"
QByteArray Text8(const QString& text);      // padded with spaces to 8 characters
QByteArray Flags(const QString& positions); // " 0 1 - -": a space before each character
QByteArray HexLevel(int level);             // "8C"

// The receiver's memory and bank text: upper case, 8 characters at most, anything outside
// " ".."_" as "-", trailing blanks dropped.
QString StoredText(QByteArrayView text);

// Parts of a view, clipped to its size.
QByteArrayView Left(QByteArrayView text, qsizetype count);
QByteArrayView Mid(QByteArrayView text, qsizetype from, qsizetype count = -1);

// A decimal number of 1..maxDigits digits within [low, high].
std::optional<int> Number(QByteArrayView text, int low, int high, int maxDigits = 3);
// One character: a digit 0..high, or `letter` standing for letterValue.
std::optional<int> DigitOr(QByteArrayView text, int high, char letter, int letterValue);
// Ten frequency digits (spaces between them are dropped) within the receiver's range.
std::optional<qint64> Frequency(QByteArrayView text);
// Step in Hz with an optional trailing "+".
struct TStepArg {
    qint64 Hz = 0;
    bool Adjust = false;
};
std::optional<TStepArg> StepArg(QByteArrayView text);

} // namespace SimText
