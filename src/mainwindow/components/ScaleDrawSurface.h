#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QWidget>

// An off-screen picture drawn in fixed logical units (MaxX across, MaxY down, y = 0 at the top)
// that always fills its target's current size. Every drawing call first fits the picture to the
// target, then converts logical units to pixels; the target is repainted from the picture before
// its own painting runs. Without a target the picture keeps the size it was given.
class TScaleDrawSurface : public QObject {
    Q_OBJECT

public:
    explicit TScaleDrawSurface(QObject* parent = nullptr);

    int MaxX() const { return FMaxX; }
    int MaxY() const { return FMaxY; }
    // Both at least 1: a logical range of 0 would divide by zero.
    void SetMaxX(int units);
    void SetMaxY(int units);

    QColor Linecolor{0x80, 0x80, 0x80};
    QColor BrushColor{Qt::black};
    QColor FontColor{Qt::red};
    int LineWidth = 1;
    int LineScaleFactor = 1;
    bool ScaleLineWidth = false;
    Qt::PenStyle LineStyle = Qt::SolidLine;
    bool Monochrome = false;
    // Tenths of a degree counter-clockwise: 900 writes text upwards.
    int FontEscapement = 0;
    // The width UpdatePenWidth scales against; the primary screen's when 0.
    int ScreenWidth = 0;

    const QFont& Font() const { return FFont; }
    // A font without a positive pixel or point size is refused (false): the painter would only
    // warn and draw with whatever size it had.
    bool SetFont(const QFont& font);
    // Sets the font's height in pixels; 0 or less is refused (false) and the font stays.
    bool SetFontPixelHeight(int pixels);

    QWidget* Target() const { return FTarget; }
    // The surface paints `target` from its picture before the target's own painting runs.
    void SetTarget(QWidget* target);
    // Without a target: the picture's size in pixels (each side at least 1).
    void SetSize(QSize pixels);

    void FitToTarget();
    double ScaleX() const { return FSx; }
    double ScaleY() const { return FSy; }
    int PenWidth() const { return FPenWidth; }

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    // Edges in logical units; the right and bottom edges are excluded, as on the target. A
    // rectangle narrower or lower than a pixel still covers one.
    void FillRect(int left, int top, int right, int bottom);
    void Clear();
    void TextOut(int x, int y, const QString& text);
    // The picture is fitted to the target first: a target resized since the last drawing is
    // read at its new size.
    QPoint ToLogical(QPoint pixel);
    int PixelsToLogicalY(int pixels);
    QPoint ToPixels(QPoint logical) const;

    // Asks the target to repaint from the picture.
    void Paint();
    const QImage& Bitmap() const { return FImage; }
    void CopyToBitmap(QImage& bitmap) const;
    void CopyToClipboard() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Resize(QSize pixels);
    void Rescale();
    void UpdatePenWidth();
    QColor Shown(const QColor& color) const;

    int FMaxX = 1;
    int FMaxY = 1;
    QFont FFont;
    QPointer<QWidget> FTarget;
    QImage FImage;
    float FSx = 1.0F;
    float FSy = 1.0F;
    int FPenWidth = 1;
    QPoint FPenPos;
};
