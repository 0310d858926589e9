#pragma once

#include "components/ScaleDrawSurface.h"

#include <QFont>
#include <QString>

#include <array>
#include <functional>
#include <map>
#include <optional>

// The picture of a sweep and its arithmetic, without a window: the scale from the two limits and
// the step, one bar per hit, the grids and their labels, and the read-out under the mouse.

inline constexpr int kSweepUnitsAcross = 10000;
inline constexpr int kSweepUnitsDown = 256;
// A sweep of more steps than this is refused: its grid and its bars would be finer than any
// screen, and the receiver would take hours to cross it.
inline constexpr qint64 kMaxSweepSteps = 1'000'000;

struct TSweepScale {
    double SweepLow = 0.0; // MHz
    double SweepHigh = 0.0;
    QString StepText; // kHz, as the main window's step list shows it
    double StepKHz = 0.0;
    double UnitsPerMHz = 1.0;
    double UnitsPerStep = 1.0;
    qint64 StepCount = 0;
    int BarWidth = 2; // logical units
    // VFO B was below VFO A.
    bool Swapped = false;
};

// The scale for a sweep between two VFO frequencies, or the message that refuses it.
struct TSweepSetUp {
    std::optional<TSweepScale> Scale;
    QString Refusal;
};
TSweepSetUp ComputeSweepScale(double vfoAMHz, double vfoBMHz, const QString& stepText);

// Which grid options fit the display: the vertical grid wants more than 5 pixels a step, the
// frequency labels more than 9.
struct TGridFit {
    bool VGrid = true;
    bool Text = true;
};
TGridFit GridOptionsFit(int clientWidth, qint64 stepCount);

// The label font's height in pixels for a display `clientWidth` wide; 0 or less means no font
// fits a step.
int LabelFontPixels(int clientWidth, qint64 stepCount);

// The level lines, in logical units from the top.
inline constexpr std::array<int, 9> kLevelGridRows = {232, 182, 148, 122, 96, 79, 62, 44, 27};

// The level of the top grid line, from the receiver's attenuation and frequency band.
struct TLevelGridLabel {
    bool AboveHf; // above 30 MHz
    int AttenuationDb;
    const char16_t* Text;
};
inline constexpr std::array<TLevelGridLabel, 7> kLevelGridLabels = {{
    {true, 0, u"~ -30dBm"},
    {true, 10, u"~ -20dBm"},
    {true, 20, u"~ -10dBm"},
    {true, 30, u"~ -0dBm"},
    {false, 0, u"~ -20dBm"},
    {false, 10, u"~ -10dBm"},
    {false, 20, u"~ -0dBm"},
}};
// Empty when the attenuation has no label.
QString LevelGridLabel(int attenuationDb, double receiverMHz);

// A hit frequency as the hit list keys it ("0145.025000") and as the bar labels show it
// ("145.025").
QString HitKey(double mhz);
QString HitLabel(double mhz);

struct TReadOut {
    double FreqMHz = 0.0;
    QString FreqLabel;           // as the main window shows frequencies
    std::optional<QString> Hint; // only over a frequency that was hit
};

// What the receiver last reported, for the level grid's label.
struct TReceiverReading {
    int AttenuationDb = 0;
    double FreqMHz = 0.0;
};

class TSweepPicture {
public:
    TSweepPicture();

    TScaleDrawSurface& Surface() { return FSurface; }
    const TScaleDrawSurface& Surface() const { return FSurface; }

    const TSweepScale& Scale() const { return FScale; }
    // Takes the scale and sets the bar width as the surface's line scale.
    void SetScale(const TSweepScale& scale);

    bool HGrid = false;
    bool VGrid = false;
    bool Text = false;
    QFont GridLabelFont;
    std::function<TReceiverReading()> Reading;

    // The upward font of the bar labels, sized to one step of a display `clientWidth` wide.
    void CreateLabelFont(int clientWidth);
    bool LabelFontFits() const { return FLabelPixels > 0; }

    void PlotHit(double mhz, int level, bool repaint);
    void RedrawSweep();
    void DrawGraticules();
    void DrawLevelGrid();
    // Clears the picture to the grids only; the hits are kept unless `forgetHits`.
    void ClearPicture(bool forgetHits);

    // Key: HitKey(frequency); value: the last raw level seen there.
    const std::map<QString, int>& HitList() const { return FHitList; }
    void ClearHits() { FHitList.clear(); }

    TReadOut ReadOut(QPoint pixel);

private:
    void UseLabelFont();
    // One bar and its label; `eraseColumn` blacks out an older bar at the same place first.
    void DrawBar(double mhz, int level, bool eraseColumn);

    TScaleDrawSurface FSurface;
    TSweepScale FScale;
    std::map<QString, int> FHitList;
    int FLabelPixels = 12;
};
