#include "NumberText.h"

#include <algorithm>
#include <cmath>

namespace {

QStringView Trimmed(QStringView text) {
    return text.trimmed();
}

} // namespace

std::optional<qint64> ParseInteger(QStringView text) {
    const QStringView t = Trimmed(text);
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const qint64 value = t.toLongLong(&ok, 10);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

std::optional<qint64> ParseHex(QStringView text) {
    const QStringView t = Trimmed(text);
    // toLongLong would also take a sign and a "0x" prefix; the receiver's fields never carry one.
    const auto isHexDigit = [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'F') || (u >= u'a' && u <= u'f');
    };
    if (t.isEmpty() || !std::all_of(t.begin(), t.end(), isHexDigit))
        return std::nullopt;
    bool ok = false;
    const qint64 value = t.toLongLong(&ok, 16);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

std::optional<double> ParseNumber(QStringView text) {
    const QStringView t = Trimmed(text);
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = t.toDouble(&ok); // C locale, no group separators
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString FormatFixed(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

qint64 RoundHalfEven(double value) {
    return static_cast<qint64>(std::nearbyint(value));
}
