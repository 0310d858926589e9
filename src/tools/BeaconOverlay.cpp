#include "BeaconOverlay.h"

#include <QFontMetrics>
#include <QPainter>

using namespace Qt::StringLiterals;

const QColor TBeaconOverlay::kMarkerColour{255, 0, 0};
const QColor TBeaconOverlay::kTextColour{0x80, 0x80, 0x80};

TBeaconOverlay::TBeaconOverlay(QSize size)
    : FFont(u"Arial"_s, 10, QFont::Bold) {
    Resize(size);
}

void TBeaconOverlay::Resize(QSize size) {
    FImage = QImage(size, QImage::Format_ARGB32);
    FImage.fill(Qt::transparent);
    FKept.clear();
}

bool TBeaconOverlay::MarkedAt(QPoint position) const {
    return FImage.valid(position) && FImage.pixel(position) == kMarkerColour.rgba();
}

void TBeaconOverlay::Unmark() {
    // Newest first, so a pixel kept twice ends with its oldest colour.
    for (auto kept = FKept.crbegin(); kept != FKept.crend(); ++kept)
        FImage.setPixel(kept->At, kept->Colour);
    FKept.clear();
}

void TBeaconOverlay::Mark(QPoint position, const QString& caption) {
    if (FImage.isNull())
        return;
    Unmark();
    {
        // The text band is cleared rather than overwritten with spaces: on a transparent layer
        // spaces would leave the previous caption showing through.
        QPainter painter(&FImage);
        painter.setFont(FFont);
        const QFontMetrics metrics(FFont);
        const QRect band(0, 2, FImage.width(), metrics.height());
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(band, Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setPen(kTextColour);
        painter.drawText(QPoint(2, 2 + metrics.ascent()), caption);
    }
    const int half = kMarkerSize / 2;
    for (int y = position.y() - half; y <= position.y() + half; ++y) {
        for (int x = position.x() - half; x <= position.x() + half; ++x) {
            const QPoint at(x, y);
            if (!FImage.valid(at))
                continue;
            FKept.append({at, FImage.pixel(at)});
            FImage.setPixel(at, kMarkerColour.rgba());
        }
    }
}
