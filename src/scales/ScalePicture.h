#pragma once

#include "ScaleFile.h"

#include <QList>

#include <optional>
#include <span>

class QFont;
class QImage;

// The two strips of a tuning-scale window, drawn on plain images: the dial (one tick a kHz,
// a label every 10 kHz, the tuned frequency on a red centre line, the parts outside the scale's
// span inverted) and the band strip below it.

inline constexpr int kScaleHzPerPixel = 200;

// Where f falls inside its 10 kHz cell, in pixels (0..49).
int DialCellOffset(qint64 centreHz);

struct TDialMark {
    int X = 0;
    bool Ten = false; // a 10 kHz mark, longer and labelled
    QString Label;    // MHz, two decimals; only on 10 kHz marks
};
// The ticks of a dial `width` pixels wide centred on `centreHz`, left to right (some fall
// outside the strip, so that dragging never shows a bare edge).
QList<TDialMark> DialMarks(qint64 centreHz, int width);

struct TBandSpan {
    int Left = 0;
    int Right = 0;
    bool TitleOnBlack = false; // the band starts left of the strip: its title goes at x 0
};
// Where a band lies on a strip `width` pixels wide; nullopt when none of it is in view.
std::optional<TBandSpan> BandSpan(const TScaleBand& band, qint64 centreHz, int width);

// Draws the dial for `mhz` on `image`; the scale's limits mark what lies outside it.
void DrawDial(QImage& image, double mhz, double lowLimitMHz, double highLimitMHz,
              const QFont& font);
void DrawBands(QImage& image, double mhz, std::span<const TScaleBand> bands, const QFont& font);

// "####.00" and "####.000000": no leading zero before the point.
QString ScaleNumberText(double value, int decimals);
