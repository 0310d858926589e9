#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

// A gauge showing Progress between MinValue and MaxValue as a percentage: text, horizontal or
// vertical bar, pie, or a needle over a background picture. The program uses the needle kind.
//
// Every setter repaints only when its value changes, and Progress only when the whole
// percentage changes, so a fast stream of readings costs at most 101 repaints per sweep.
//
// Range errors: SetMinValue and SetMaxValue refuse a value that would put MinValue above
// MaxValue. They return false, leave the control as it was, and emit RangeError with
// "Value must be between <low> and <high>". A refused value is a caller's mistake that the
// caller decides how to report; throwing out of a setter would cross Qt's event dispatch.
class TMeter : public QWidget {
    Q_OBJECT

public:
    enum class TKind { Text = 0, HorizontalBar = 1, VerticalBar = 2, Pie = 3, Needle = 4 };
    enum class TBorderStyle { None, Single };

    static constexpr int kDefaultSize = 100;

    explicit TMeter(QWidget* parent = nullptr);

    TKind Kind() const { return FKind; }
    void SetKind(TKind kind);
    bool ShowText() const { return FShowText; }
    void SetShowText(bool show);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle style);
    QColor ForeColor() const { return FForeColor; }
    void SetForeColor(const QColor& color);
    QColor BackColor() const { return FBackColor; }
    void SetBackColor(const QColor& color);
    const QPixmap& BackImage() const { return FBackImage; }
    // The control keeps its own copy.
    void SetBackImage(const QPixmap& picture);

    int MinValue() const { return FMinValue; }
    bool SetMinValue(int value);
    int MaxValue() const { return FMaxValue; }
    bool SetMaxValue(int value);
    int Progress() const { return FProgress; }
    // Clamped to MinValue..MaxValue.
    void SetProgress(int value);

    // (Progress - MinValue) x 100 / (MaxValue - MinValue), truncated; 0 for an empty range.
    int PercentDone() const;

    static QString RangeErrorText(long long low, long long high);

    // The needle of a W x H picture at `percent`, for a control `controlHeight` high: from the
    // middle of the bottom row, sweeping 165.6 degrees from upper left to just below right.
    static QLine NeedleLine(int width, int height, int controlHeight, int percent);

    QSize sizeHint() const override { return {kDefaultSize, kDefaultSize}; }

Q_SIGNALS:
    void RangeError(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintNeedle(QPainter& painter, const QRect& area) const;
    void PaintPlain(QPainter& painter, const QRect& area) const;
    void PaintPercentText(QPainter& painter, const QRect& area, const QColor& color) const;

    TKind FKind = TKind::HorizontalBar;
    bool FShowText = true;
    TBorderStyle FBorderStyle = TBorderStyle::Single;
    QColor FForeColor = Qt::black;
    QColor FBackColor = Qt::white;
    QPixmap FBackImage;
    int FMinValue = 0;
    int FMaxValue = 100;
    int FProgress = 0;
    QPixmap FBuffer; // the off-screen picture, kept between paints
};
