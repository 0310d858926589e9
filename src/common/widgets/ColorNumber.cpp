#include "ColorNumber.h"

QColor ColorFromNumber(const QString& number, const QColor& fallback) {
    bool ok = false;
    const qlonglong value = number.trimmed().toLongLong(&ok);
    if (!ok || value < 0 || value > 0xFFFFFF)
        return fallback;
    const auto bits = static_cast<unsigned>(value);
    return QColor(static_cast<int>(bits & 0xFFu), static_cast<int>((bits >> 8) & 0xFFu),
                  static_cast<int>((bits >> 16) & 0xFFu));
}

QString NumberFromColor(const QColor& color) {
    const auto value = static_cast<unsigned>(color.red()) |
                       (static_cast<unsigned>(color.green()) << 8) |
                       (static_cast<unsigned>(color.blue()) << 16);
    return QString::number(value);
}
