#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPoint>

// The layer drawn over the map picture: a small red square where the beacon on the air stands and
// a line of text at the top. The pixels under the square are kept, so the next beacon's square
// puts the picture back as it was before drawing its own.
class TBeaconOverlay {
public:
    static constexpr int kMarkerSize = 5;
    static const QColor kMarkerColour;
    static const QColor kTextColour;

    explicit TBeaconOverlay(QSize size = {});

    const QImage& Image() const { return FImage; }
    // A new, clear layer of `size`; the kept pixels are dropped with the old one.
    void Resize(QSize size);
    // True when the square of a beacon at `position` is there already.
    bool MarkedAt(QPoint position) const;
    // Takes the previous square away, writes `caption` at the top and draws the square centred on
    // `position`, clipped to the picture.
    void Mark(QPoint position, const QString& caption);
    // Takes the square away.
    void Unmark();
    QFont Font() const { return FFont; }

private:
    struct TKeptPixel {
        QPoint At;
        QRgb Colour;
    };

    QImage FImage;
    QFont FFont;
    QList<TKeptPixel> FKept;
};
