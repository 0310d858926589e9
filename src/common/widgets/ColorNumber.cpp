#include "ColorNumber.h"

#include "Settings.h"

QColor ColorFromNumber(const QString& number, const QColor& fallback) {
    const std::optional<quint32> value = ParseColourNumber(number);
    if (!value)
        return fallback;
    return QColor(static_cast<int>(*value & 0xFFu), static_cast<int>((*value >> 8) & 0xFFu),
                  static_cast<int>((*value >> 16) & 0xFFu));
}

QString NumberFromColor(const QColor& color) {
    const QColor rgb = color.toRgb();
    return ColourNumberText(static_cast<quint32>(rgb.red()) |
                            (static_cast<quint32>(rgb.green()) << 8) |
                            (static_cast<quint32>(rgb.blue()) << 16));
}

TTableColours TableColours(const TSettings& settings) {
    const TSettings defaults;
    const auto colour = [&](QString TSettings::*key) {
        return ColorFromNumber(settings.*key, ColorFromNumber(defaults.*key, Qt::black));
    };
    return {colour(&TSettings::TableTitleColor), colour(&TSettings::TableBackColor),
            colour(&TSettings::TableHighlightColor), colour(&TSettings::TableTextColor)};
}
