#include "ScaleDrawSurface.h"

#include "NumberText.h"

#include <QClipboard>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

int Rounded(double value) {
    return static_cast<int>(RoundHalfEven(value));
}

} // namespace

TScaleDrawSurface::TScaleDrawSurface(QObject* parent)
    : QObject(parent)
    , FImage(1, 1, QImage::Format_RGB32) {
    FFont.setPixelSize(12);
    FImage.fill(BrushColor);
    Rescale();
}

void TScaleDrawSurface::SetMaxX(int units) {
    FMaxX = std::max(1, units);
    Rescale();
}

void TScaleDrawSurface::SetMaxY(int units) {
    FMaxY = std::max(1, units);
    Rescale();
}

bool TScaleDrawSurface::SetFont(const QFont& font) {
    if (font.pixelSize() <= 0 && font.pointSizeF() <= 0)
        return false;
    FFont = font;
    return true;
}

bool TScaleDrawSurface::SetFontPixelHeight(int pixels) {
    if (pixels <= 0)
        return false;
    FFont.setPixelSize(pixels);
    return true;
}

void TScaleDrawSurface::SetTarget(QWidget* target) {
    if (FTarget)
        FTarget->removeEventFilter(this);
    FTarget = target;
    if (FTarget)
        FTarget->installEventFilter(this);
    FitToTarget();
}

void TScaleDrawSurface::SetSize(QSize pixels) {
    Resize(pixels);
}

void TScaleDrawSurface::FitToTarget() {
    if (FTarget)
        Resize(FTarget->size());
}

void TScaleDrawSurface::Resize(QSize pixels) {
    const QSize size(std::max(1, pixels.width()), std::max(1, pixels.height()));
    if (size != FImage.size()) {
        // What was drawn stays where it was, as when a bitmap is resized.
        QImage resized(size, QImage::Format_RGB32);
        resized.fill(Shown(BrushColor));
        QPainter painter(&resized);
        painter.drawImage(0, 0, FImage);
        painter.end();
        FImage = resized;
    }
    Rescale();
}

void TScaleDrawSurface::Rescale() {
    FSx = static_cast<float>(FImage.width()) / static_cast<float>(FMaxX);
    FSy = static_cast<float>(FImage.height()) / static_cast<float>(FMaxY);
}

QPoint TScaleDrawSurface::ToPixels(QPoint logical) const {
    return {Rounded(logical.x() * static_cast<double>(FSx)),
            Rounded(logical.y() * static_cast<double>(FSy))};
}

QPoint TScaleDrawSurface::ToLogical(QPoint pixel) {
    FitToTarget();
    return {Rounded(pixel.x() / static_cast<double>(FSx)),
            Rounded(pixel.y() / static_cast<double>(FSy))};
}

int TScaleDrawSurface::PixelsToLogicalY(int pixels) {
    FitToTarget();
    return Rounded(pixels / static_cast<double>(FSy));
}

QColor TScaleDrawSurface::Shown(const QColor& color) const {
    if (!Monochrome)
        return color;
    return qGray(color.rgb()) > 127 ? QColor(Qt::white) : QColor(Qt::black);
}

void TScaleDrawSurface::UpdatePenWidth() {
    if (!ScaleLineWidth) {
        FPenWidth = LineWidth;
        return;
    }
    int screen = ScreenWidth;
    if (screen <= 0) {
        const QScreen* primary = QGuiApplication::primaryScreen();
        screen = primary ? primary->size().width() : FImage.width();
    }
    FPenWidth = LineWidth * LineScaleFactor * FImage.width() / std::max(1, screen);
}

void TScaleDrawSurface::MoveTo(int x, int y) {
    FitToTarget();
    FPenPos = ToPixels({x, y});
}

void TScaleDrawSurface::LineTo(int x, int y) {
    FitToTarget();
    UpdatePenWidth();
    const QPoint to = ToPixels({x, y});
    QPainter painter(&FImage);
    // A pen of width 0 is still one pixel wide.
    painter.setPen(QPen(Shown(Linecolor), std::max(0, FPenWidth), LineStyle, Qt::FlatCap));
    painter.drawLine(FPenPos, to);
    FPenPos = to;
}

void TScaleDrawSurface::FillRect(int left, int top, int right, int bottom) {
    FitToTarget();
    const QPoint topLeft = ToPixels({left, top});
    const QPoint bottomRight = ToPixels({right, bottom});
    // Something drawn never vanishes: a rectangle narrower than a pixel still covers one.
    const auto span = [](int from, int to, int logicalFrom, int logicalTo) {
        return logicalTo != logicalFrom && from == to ? (logicalTo > logicalFrom ? 1 : -1)
                                                      : to - from;
    };
    const QRect rect(topLeft.x(), topLeft.y(), span(topLeft.x(), bottomRight.x(), left, right),
                     span(topLeft.y(), bottomRight.y(), top, bottom));
    QPainter painter(&FImage);
    painter.fillRect(rect.normalized(), Shown(BrushColor));
}

void TScaleDrawSurface::Clear() {
    FitToTarget();
    FImage.fill(Shown(BrushColor));
}

void TScaleDrawSurface::TextOut(int x, int y, const QString& text) {
    FitToTarget();
    const QPoint at = ToPixels({x, y});
    QPainter painter(&FImage);
    painter.setFont(FFont);
    painter.setPen(Shown(FontColor));
    painter.translate(at);
    painter.rotate(-FontEscapement / 10.0);
    // The point given is the top left of the text cell, before it is turned.
    painter.drawText(QPoint(0, QFontMetrics(FFont).ascent()), text);
}

void TScaleDrawSurface::Paint() {
    if (FTarget)
        FTarget->update();
}

void TScaleDrawSurface::CopyToBitmap(QImage& bitmap) const {
    bitmap = FImage.copy();
}

void TScaleDrawSurface::CopyToClipboard() const {
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setImage(FImage);
}

bool TScaleDrawSurface::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FTarget && event->type() == QEvent::Paint) {
        QPainter painter(FTarget);
        painter.drawImage(0, 0, FImage);
    }
    // The target's own painting runs after the picture.
    return QObject::eventFilter(watched, event);
}
