#pragma once

#include <QColor>
#include <QString>

// Colours are kept in the settings file as decimal numbers of the 0x00BBGGRR form.
QColor ColorFromNumber(const QString& number, const QColor& fallback);
QString NumberFromColor(const QColor& color);
