#include "Meter.h"

#include "NumberText.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

using namespace Qt::StringLiterals;

namespace {

// The limits the range messages quote: one inside int's range on the far side.
constexpr long long kLowestMinValue = -static_cast<long long>(std::numeric_limits<int>::max());
constexpr long long kHighestMaxValue = std::numeric_limits<int>::max();

constexpr double kNeedleSweep = 0.92;                      // of a half turn
constexpr double kNeedleStartRad = std::numbers::pi / 8.0; // 22.5 degrees above the left
constexpr int kNeedlePenWidth = 2;
constexpr int kFullScalePercent = 100;
constexpr int kSixteenthsPerDegree = 16; // QPainter's arc unit
constexpr int kPieStartDegrees = 90;     // twelve o'clock

int Round(double value) {
    return static_cast<int>(RoundHalfEven(value));
}

} // namespace

TMeter::TMeter(QWidget* parent)
    : QWidget(parent) {
    resize(kDefaultSize, kDefaultSize);
    // The whole area is painted every time from the off-screen picture.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TMeter::SetKind(TKind kind) {
    if (kind == FKind)
        return;
    FKind = kind;
    update();
}

void TMeter::SetShowText(bool show) {
    if (show == FShowText)
        return;
    FShowText = show;
    update();
}

void TMeter::SetBorderStyle(TBorderStyle style) {
    if (style == FBorderStyle)
        return;
    FBorderStyle = style;
    update();
}

void TMeter::SetForeColor(const QColor& color) {
    if (color == FForeColor)
        return;
    FForeColor = color;
    update();
}

void TMeter::SetBackColor(const QColor& color) {
    if (color == FBackColor)
        return;
    FBackColor = color;
    update();
}

void TMeter::SetBackImage(const QPixmap& picture) {
    if (picture.cacheKey() == FBackImage.cacheKey())
        return;
    FBackImage = picture;
    update();
}

bool TMeter::SetMinValue(int value) {
    if (value == FMinValue)
        return true;
    if (value > FMaxValue) {
        Q_EMIT RangeError(RangeErrorText(kLowestMinValue, static_cast<long long>(FMaxValue) - 1));
        return false;
    }
    FMinValue = value;
    FProgress = std::max(FProgress, value);
    update();
    return true;
}

bool TMeter::SetMaxValue(int value) {
    if (value == FMaxValue)
        return true;
    if (value < FMinValue) {
        Q_EMIT RangeError(RangeErrorText(static_cast<long long>(FMinValue) + 1, kHighestMaxValue));
        return false;
    }
    FMaxValue = value;
    FProgress = std::min(FProgress, value);
    update();
    return true;
}

void TMeter::SetProgress(int value) {
    const int clamped = std::clamp(value, FMinValue, FMaxValue);
    if (clamped == FProgress)
        return;
    const int before = PercentDone();
    FProgress = clamped;
    if (PercentDone() != before)
        update();
}

int TMeter::PercentDone() const {
    const long long span = static_cast<long long>(FMaxValue) - FMinValue;
    if (span == 0)
        return 0;
    const long long done = static_cast<long long>(FProgress) - FMinValue;
    return static_cast<int>(done * kFullScalePercent / span);
}

QString TMeter::RangeErrorText(long long low, long long high) {
    return u"Value must be between %1 and %2"_s.arg(low).arg(high);
}

QLine TMeter::NeedleLine(int width, int height, int controlHeight, int percent) {
    const int radius = controlHeight * 4 / 6;
    const double angle =
        percent / static_cast<double>(kFullScalePercent) * std::numbers::pi * kNeedleSweep +
        kNeedleStartRad;
    const int pivotX = width / 2;
    return {pivotX, height - 1, pivotX + Round((1.0 - std::cos(angle)) * radius) - radius,
            height + Round((1.0 - std::sin(angle)) * radius) - radius - 1};
}

void TMeter::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(qRound(width() * ratio), qRound(height() * ratio));
    if (FBuffer.size() != pixels) {
        FBuffer = QPixmap(pixels);
        FBuffer.setDevicePixelRatio(ratio);
    }
    {
        QPainter painter(&FBuffer);
        QRect client = rect();
        if (FBorderStyle == TBorderStyle::Single) {
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawRect(client.adjusted(0, 0, -1, -1));
            client.adjust(1, 1, -1, -1);
        }
        if (FKind == TKind::Needle) {
            // The picture covers the border as well: a meter face brings its own rim.
            PaintNeedle(painter, FBorderStyle == TBorderStyle::Single
                                     ? client.adjusted(-1, -1, 1, 1)
                                     : client);
        } else {
            PaintPlain(painter, client);
        }
    }
    QPainter(this).drawPixmap(0, 0, FBuffer);
}

void TMeter::PaintNeedle(QPainter& painter, const QRect& area) const {
    if (FBackImage.isNull())
        painter.fillRect(area, FBackColor);
    else
        painter.drawPixmap(area, FBackImage);
    const QLine needle =
        NeedleLine(area.width(), area.height(), height(), PercentDone()).translated(area.topLeft());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(FForeColor, kNeedlePenWidth, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(needle);
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (FShowText)
        PaintPercentText(painter, area, Qt::white);
}

void TMeter::PaintPlain(QPainter& painter, const QRect& area) const {
    painter.fillRect(area, FBackColor);
    const int percent = PercentDone();
    switch (FKind) {
    case TKind::HorizontalBar:
        painter.fillRect(area.x(), area.y(), area.width() * percent / kFullScalePercent,
                         area.height(), FForeColor);
        break;
    case TKind::VerticalBar: {
        const int filled = area.height() * percent / kFullScalePercent;
        painter.fillRect(area.x(), area.bottom() + 1 - filled, area.width(), filled, FForeColor);
        break;
    }
    case TKind::Pie:
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(FForeColor);
        painter.setBrush(FBackColor);
        painter.drawEllipse(area.adjusted(0, 0, -1, -1));
        painter.setBrush(FForeColor);
        painter.drawPie(area.adjusted(0, 0, -1, -1), kPieStartDegrees * kSixteenthsPerDegree,
                        -percent * 360 * kSixteenthsPerDegree / kFullScalePercent);
        painter.setRenderHint(QPainter::Antialiasing, false);
        break;
    case TKind::Text:
    case TKind::Needle:
        break;
    }
    if (!FShowText)
        return;
    if (FKind == TKind::Text) {
        PaintPercentText(painter, area, FForeColor);
        return;
    }
    // Over two colours at once: inverting what lies beneath stays readable on both.
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    PaintPercentText(painter, area, Qt::white);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TMeter::PaintPercentText(QPainter& painter, const QRect& area, const QColor& color) const {
    painter.setFont(font());
    painter.setPen(color);
    painter.drawText(area, Qt::AlignCenter, QString::number(PercentDone()) + u'%');
}
