#include "NumberText.h"

#include <cmath>

namespace {

QStringView Trimmed(QStringView text)
{
    return text.trimmed();
}

} // namespace

std::optional<qint64> ParseInteger(QStringView text)
{
    const QStringView t = Trimmed(text);
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const qint64 value = t.toLongLong(&ok, 10);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

std::optional<qint64> ParseHex(QStringView text)
{
    const QStringView t = Trimmed(text);
    if (t.isEmpty() || t.startsWith(u'-') || t.startsWith(u'+'))
        return std::nullopt;
    bool ok = false;
    const qint64 value = t.toLongLong(&ok, 16);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

std::optional<double> ParseNumber(QStringView text)
{
    const QStringView t = Trimmed(text);
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = t.toDouble(&ok); // C locale, no group separators
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString FormatFixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

qint64 RoundHalfEven(double value)
{
    return static_cast<qint64>(std::nearbyint(value));
}
