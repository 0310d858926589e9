#include "ScalePicture.h"

#include "NumberText.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kCellHz = 10000;
constexpr int kTickPixels = 1000 / kScaleHzPerPixel;
constexpr int kTickBottom = 46;
constexpr int kTenTop = 28;
constexpr int kOneTop = 36;
constexpr int kLabelY = 16;
constexpr int kLabelLeft = 10;
constexpr int kBandHeight = 10;
const QColor kLime{0, 255, 0};
const QColor kRed{255, 0, 0};

qint64 FloorDiv(qint64 a, qint64 b) {
    const qint64 q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// The column a frequency falls on, for a strip centred on `centreHz` at column `c`.
qint64 ColumnOf(qint64 hz, qint64 centreHz, int c) {
    return c - FloorDiv(centreHz - hz, kScaleHzPerPixel);
}

qint64 HalfSpanHz(int width) {
    return static_cast<qint64>(width) * kScaleHzPerPixel / 2;
}

// Text placed by its top-left corner.
void TextAt(QPainter& painter, int x, int y, const QString& text) {
    painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), text);
}

void Invert(QPainter& painter, int left, int right, int height) {
    if (right <= left)
        return;
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter.fillRect(QRect(left, 0, right - left, height), Qt::black);
    painter.restore();
}

} // namespace

QString ScaleNumberText(double value, int decimals) {
    QString text = FormatFixed(value, decimals);
    if (text.startsWith(u"0."_s))
        text.remove(0, 1);
    return text;
}

int DialCellOffset(qint64 centreHz) {
    return static_cast<int>((centreHz % kCellHz) / kScaleHzPerPixel);
}

QList<TDialMark> DialMarks(qint64 centreHz, int width) {
    const int c = width / 2;
    const int off = DialCellOffset(centreHz);
    const int k = (width * kScaleHzPerPixel / 1000) / 2;
    const qint64 cellKHz = centreHz / kCellHz * 10;
    QList<TDialMark> marks;
    for (int i = -(k + 10); i <= k + 10; ++i) {
        TDialMark mark;
        mark.X = c + i * kTickPixels - off;
        mark.Ten = i % 10 == 0;
        if (mark.Ten)
            mark.Label = ScaleNumberText(static_cast<double>(cellKHz + i) / 1000.0, 2);
        marks.append(mark);
    }
    return marks;
}

std::optional<TBandSpan> BandSpan(const TScaleBand& band, qint64 centreHz, int width) {
    const qint64 spanLow = centreHz - HalfSpanHz(width);
    const qint64 spanHigh = centreHz + HalfSpanHz(width);
    if (band.HighHz <= spanLow || band.LowHz >= spanHigh)
        return std::nullopt;
    const int c = width / 2;
    TBandSpan span;
    const qint64 left = ColumnOf(band.LowHz, centreHz, c);
    const qint64 right = ColumnOf(band.HighHz, centreHz, c);
    span.TitleOnBlack = left <= 0;
    span.Left = static_cast<int>(std::clamp<qint64>(left, 0, width));
    span.Right = static_cast<int>(std::clamp<qint64>(right, 0, width));
    return span;
}

void DrawDial(QImage& image, double mhz, double lowLimitMHz, double highLimitMHz,
              const QFont& font) {
    const int width = image.width();
    const int height = image.height();
    const int c = width / 2;
    const qint64 centreHz = MHzToHz(mhz);
    QPainter painter(&image);
    painter.fillRect(image.rect(), Qt::black);
    painter.setFont(font);
    painter.setPen(kLime);
    for (const TDialMark& mark : DialMarks(centreHz, width)) {
        painter.drawLine(mark.X, kTickBottom, mark.X, mark.Ten ? kTenTop : kOneTop);
        if (mark.Ten)
            TextAt(painter, mark.X - kLabelLeft, kLabelY, mark.Label);
    }
    painter.setPen(kRed);
    painter.drawLine(c, 0, c, height);
    TextAt(painter, c - kLabelLeft, 0, ScaleNumberText(mhz, 6));

    const qint64 spanLow = centreHz - HalfSpanHz(width);
    const qint64 spanHigh = centreHz + HalfSpanHz(width);
    const qint64 lowHz = MHzToHz(lowLimitMHz);
    const qint64 highHz = MHzToHz(highLimitMHz);
    if (spanLow < lowHz)
        Invert(painter, 0, static_cast<int>(std::min<qint64>(ColumnOf(lowHz, centreHz, c), width)),
               height);
    if (spanHigh > highHz)
        Invert(painter, static_cast<int>(std::max<qint64>(ColumnOf(highHz, centreHz, c), 0)), width,
               height);
}

void DrawBands(QImage& image, double mhz, std::span<const TScaleBand> bands, const QFont& font) {
    const int width = image.width();
    const qint64 centreHz = MHzToHz(mhz);
    QPainter painter(&image);
    painter.fillRect(image.rect(), Qt::black);
    painter.setFont(font);
    for (std::size_t n = 0; n < bands.size(); ++n) {
        const TScaleBand& band = bands[n];
        const auto span = BandSpan(band, centreHz, width);
        if (!span)
            continue;
        const int top = static_cast<int>(n) * kBandHeight;
        painter.fillRect(QRect(span->Left, top, span->Right - span->Left, kBandHeight),
                         band.Colour);
        const QRect titleRect = painter.fontMetrics().boundingRect(band.Title);
        const int titleX = span->TitleOnBlack ? 0 : span->Left;
        painter.fillRect(QRect(titleX, top, titleRect.width(), kBandHeight),
                         span->TitleOnBlack ? QColor(Qt::black) : band.Colour);
        painter.setPen(span->TitleOnBlack ? Qt::white : Qt::black);
        TextAt(painter, titleX, top, band.Title);
    }
    painter.setPen(kRed);
    painter.drawLine(width / 2, 0, width / 2, image.height());
}
