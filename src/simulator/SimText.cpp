#include "SimText.h"

#include <algorithm>
#include <cmath>

namespace SimText {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

qint64 Hz(double mhz) {
    return static_cast<qint64>(std::llround(mhz * 1'000'000.0));
}

double MHz(qint64 hz) {
    return static_cast<double>(hz) / 1'000'000.0;
}

QString StepKHz(qint64 hz) {
    const qint64 whole = hz / 1000;
    QString text = whole > 0 ? QString::number(whole) : QString();
    text += QLatin1Char('.');
    text += QString::number(hz % 1000).rightJustified(3, QLatin1Char('0'));
    return text;
}

qint64 StepHz(const QString& kHz) {
    bool ok = false;
    const double value = kHz.trimmed().toDouble(&ok);
    return ok && value > 0 ? static_cast<qint64>(std::llround(value * 1000.0)) : 0;
}

QByteArray Digits(qint64 value, int width) {
    return QByteArray::number(value).rightJustified(width, '0', true);
}

QByteArray Rf(qint64 hz) {
    return "RF" + Digits(hz, 10);
}

QByteArray Step(qint64 hz, bool adjust) {
    return "ST" + Digits(hz, 6) + (adjust ? '+' : ' ');
}

QByteArray Signed(int value) {
    return (value > 0 ? '+' : ' ') + Digits(value, 3);
}

QByteArray Tenths(int tenths) {
    return QByteArray::number(tenths / 10) + '.' + QByteArray::number(tenths % 10);
}

QByteArray Text8(const QString& text) {
    return text.toLatin1().leftJustified(8, ' ', true);
}

QByteArray Flags(const QString& positions) {
    QByteArray out;
    for (const QChar c : positions) {
        out += ' ';
        out += c.toLatin1();
    }
    return out;
}

QByteArray HexLevel(int level) {
    return QByteArray::number(level, 16).toUpper().rightJustified(2, '0');
}

QString StoredText(QByteArrayView text) {
    QString stored;
    for (const char c : Left(text, 8)) {
        const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        stored += QLatin1Char(upper >= ' ' && upper <= '_' ? upper : '-');
    }
    while (stored.endsWith(QLatin1Char(' ')))
        stored.chop(1);
    return stored;
}

QByteArrayView Left(QByteArrayView text, qsizetype count) {
    return text.first(std::clamp<qsizetype>(count, 0, text.size()));
}

QByteArrayView Mid(QByteArrayView text, qsizetype from, qsizetype count) {
    from = std::clamp<qsizetype>(from, 0, text.size());
    const qsizetype rest = text.size() - from;
    return text.sliced(from, count < 0 ? rest : std::min(count, rest));
}

std::optional<int> Number(QByteArrayView text, int low, int high, int maxDigits) {
    if (text.isEmpty() || text.size() > maxDigits)
        return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (!IsDigit(c))
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<int> DigitOr(QByteArrayView text, int high, char letter, int letterValue) {
    if (text.size() != 1)
        return std::nullopt;
    if (text.front() == letter)
        return letterValue;
    return Number(text, 0, high, 1);
}

std::optional<qint64> Frequency(QByteArrayView text) {
    qint64 hz = 0;
    int digits = 0;
    for (const char c : text) {
        if (c == ' ')
            continue;
        if (!IsDigit(c) || ++digits > 10)
            return std::nullopt;
        hz = hz * 10 + (c - '0');
    }
    if (digits != 10 || hz < kMinHz || hz > kMaxHz)
        return std::nullopt;
    return hz;
}

std::optional<TStepArg> StepArg(QByteArrayView text) {
    TStepArg step;
    if (text.endsWith('+')) {
        step.Adjust = true;
        text.chop(1);
    }
    const auto hz = Number(text, 1, static_cast<int>(kMaxStepHz), 6);
    if (!hz)
        return std::nullopt;
    step.Hz = *hz;
    return step;
}

} // namespace SimText
