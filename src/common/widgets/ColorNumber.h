#pragma once

#include <QColor>
#include <QString>

struct TSettings;

// Colours are kept in the settings file as numbers of the 0x00BBGGRR form, decimal or "$" and
// hexadecimal; `fallback` stands in for a text that is not one.
QColor ColorFromNumber(const QString& number, const QColor& fallback);
// The "$" form ("$007FC0C0").
QString NumberFromColor(const QColor& color);

// The table colours of the settings, each setting that does not read giving its default.
struct TTableColours {
    QColor Title;
    QColor Back;
    QColor Highlight;
    QColor Text;
};
TTableColours TableColours(const TSettings& settings);
