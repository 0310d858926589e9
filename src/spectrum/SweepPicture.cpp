#include "SweepPicture.h"

#include "Levels.h"
#include "NumberText.h"
#include "VfoPanelController.h"

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QColor kBarColour{0, 255, 0};
const QColor kBackground{Qt::black};
constexpr int kTopLevel = 255;
constexpr int kLevelGridLabelPixels = 14;
constexpr int kBarLabelGap = 4;
constexpr int kUpwards = 900;
constexpr int kDefaultLabelPixels = 12;
// The lowest raw levels are below what the receiver can measure.
constexpr int kLevelFloor = 3;

// "0145.025000" -> "145.025", "0.500000" -> ".5".
QString WithoutZeros(QString text) {
    while (text.startsWith(u'0'))
        text.remove(0, 1);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

} // namespace

TSweepSetUp ComputeSweepScale(double vfoAMHz, double vfoBMHz, const QString& stepText) {
    TSweepScale scale;
    scale.Swapped = vfoBMHz < vfoAMHz;
    scale.SweepLow = std::min(vfoAMHz, vfoBMHz);
    scale.SweepHigh = std::max(vfoAMHz, vfoBMHz);
    scale.StepText = stepText;
    if (scale.SweepLow == scale.SweepHigh)
        return {std::nullopt, u"Start and Stop Frequencies must be different!"_s};
    const std::optional<double> step = ParseNumber(stepText);
    if (!step || !std::isfinite(*step) || *step <= 0.0)
        return {std::nullopt, u"The step \"%1\" is not a step of more than 0 kHz: choose a step "
                              "in the main window and sweep again."_s.arg(stepText.trimmed())};
    scale.StepKHz = *step;
    const double spanMHz = scale.SweepHigh - scale.SweepLow + scale.StepKHz / 1000.0;
    const double steps = spanMHz * 1000.0 / scale.StepKHz;
    if (!std::isfinite(steps) || steps > static_cast<double>(kMaxSweepSteps))
        return {std::nullopt, u"A sweep of %1 MHz in %2 kHz steps has more than %3 steps: choose "
                              "a larger step or closer limits."_s.arg(FormatFixed(spanMHz, 6))
                                  .arg(stepText.trimmed())
                                  .arg(kMaxSweepSteps)};
    scale.UnitsPerMHz = kSweepUnitsAcross / spanMHz;
    const qint64 barWidth = RoundHalfEven(scale.StepKHz * scale.UnitsPerMHz / 1000.0);
    scale.BarWidth = barWidth <= 0 ? 2 : static_cast<int>(barWidth);
    scale.StepCount = RoundHalfEven(steps);
    scale.UnitsPerStep = scale.StepCount != 0 ? scale.StepKHz * scale.UnitsPerMHz / 1000.0 : 1.0;
    return {scale, {}};
}

TGridFit GridOptionsFit(int clientWidth, qint64 stepCount) {
    if (stepCount == 0)
        return {};
    const qint64 perStep = clientWidth / stepCount;
    return {perStep > 5, perStep > 9};
}

int LabelFontPixels(int clientWidth, qint64 stepCount) {
    if (stepCount == 0)
        return kDefaultLabelPixels;
    return static_cast<int>(clientWidth / stepCount - 1);
}

QString LevelGridLabel(int attenuationDb, double receiverMHz) {
    const bool aboveHf = receiverMHz > 30.0;
    if (attenuationDb > 0 && receiverMHz > 30.0 && receiverMHz < 230.0)
        attenuationDb += 10;
    const auto* found = std::find_if(
        kLevelGridLabels.begin(), kLevelGridLabels.end(), [&](const TLevelGridLabel& label) {
            return label.AboveHf == aboveHf && label.AttenuationDb == attenuationDb;
        });
    return found == kLevelGridLabels.end() ? QString() : QString::fromUtf16(found->Text);
}

QString HitKey(double mhz) {
    return FormatFixed(mhz, 6).rightJustified(11, u'0');
}

QString HitLabel(double mhz) {
    return WithoutZeros(FormatFixed(mhz, 6));
}

TSweepPicture::TSweepPicture() {
    FSurface.SetMaxX(kSweepUnitsAcross);
    FSurface.SetMaxY(kSweepUnitsDown);
    FSurface.FontColor = Qt::red;
    FSurface.BrushColor = kBackground;
    FSurface.Linecolor = QColor(0x80, 0x80, 0x80);
    GridLabelFont.setPixelSize(kDefaultLabelPixels);
    CreateLabelFont(0);
}

void TSweepPicture::SetScale(const TSweepScale& scale) {
    FScale = scale;
    FSurface.ScaleLineWidth = true;
    FSurface.LineScaleFactor = scale.BarWidth;
    FSurface.LineWidth = 1;
}

void TSweepPicture::CreateLabelFont(int clientWidth) {
    FLabelPixels = LabelFontPixels(clientWidth, FScale.StepCount);
    UseLabelFont();
}

void TSweepPicture::UseLabelFont() {
    QFont font(u"Arial"_s);
    font.setWeight(QFont::Normal);
    font.setStyleStrategy(QFont::PreferOutline);
    if (FLabelPixels > 0)
        font.setPixelSize(FLabelPixels);
    else
        font.setPixelSize(kDefaultLabelPixels);
    FSurface.SetFont(font);
    FSurface.FontEscapement = kUpwards;
}

void TSweepPicture::PlotHit(double mhz, int level, bool repaint) {
    level = std::clamp(level, 0, kTopLevel);
    FHitList[HitKey(mhz)] = level;
    DrawBar(mhz, level, true);
    if (repaint) {
        DrawGraticules();
        FSurface.Paint();
    }
}

void TSweepPicture::DrawBar(double mhz, int level, bool eraseColumn) {
    const int x = static_cast<int>(RoundHalfEven((mhz - FScale.SweepLow) * FScale.UnitsPerMHz));
    const int y = kTopLevel - level;
    if (eraseColumn) {
        FSurface.BrushColor = kBackground;
        FSurface.FillRect(x, 0, x + FScale.BarWidth, kSweepUnitsDown);
    }
    FSurface.BrushColor = kBarColour;
    FSurface.FillRect(x, y, x + FScale.BarWidth, kSweepUnitsDown);
    FSurface.BrushColor = kBackground;
    // A step too narrow for any font gets no label rather than a font the painter refuses.
    if (Text && LabelFontFits())
        FSurface.TextOut(x, y - kBarLabelGap, HitLabel(mhz));
}

void TSweepPicture::RedrawSweep() {
    FSurface.Clear();
    // The picture is blank and each frequency is in the list once: no column needs erasing.
    for (const auto& [key, level] : FHitList)
        DrawBar(ParseNumber(key).value_or(0.0), level, false);
    DrawGraticules();
    FSurface.Paint();
}

void TSweepPicture::DrawGraticules() {
    FSurface.ScaleLineWidth = false;
    if (VGrid) {
        for (qint64 i = 1; i <= FScale.StepCount; ++i) {
            const int x =
                static_cast<int>(RoundHalfEven(FScale.UnitsPerStep * static_cast<double>(i)));
            FSurface.MoveTo(x, 0);
            FSurface.LineTo(x, kSweepUnitsDown);
        }
    }
    if (HGrid)
        DrawLevelGrid();
}

void TSweepPicture::DrawLevelGrid() {
    for (const int row : kLevelGridRows) {
        FSurface.MoveTo(0, row);
        FSurface.LineTo(kSweepUnitsAcross, row);
    }
    const TReceiverReading reading = Reading ? Reading() : TReceiverReading{};
    const QString label = LevelGridLabel(reading.AttenuationDb, reading.FreqMHz);
    if (label.isEmpty())
        return;
    if (FSurface.SetFont(GridLabelFont)) {
        FSurface.FontEscapement = 0;
        FSurface.TextOut(
            0, kLevelGridRows.back() - FSurface.PixelsToLogicalY(kLevelGridLabelPixels), label);
    }
    UseLabelFont();
}

void TSweepPicture::ClearPicture(bool forgetHits) {
    FSurface.Clear();
    DrawGraticules();
    FSurface.Paint();
    if (forgetHits)
        FHitList.clear();
}

TReadOut TSweepPicture::ReadOut(QPoint pixel) {
    TReadOut out;
    const int x = FSurface.ToLogical(pixel).x();
    out.FreqMHz = std::trunc(x / FScale.UnitsPerStep) * FScale.StepKHz / 1000.0 + FScale.SweepLow;
    out.FreqLabel = FormatFrequencyText(out.FreqMHz);
    const auto found = FHitList.find(HitKey(out.FreqMHz));
    if (found == FHitList.end())
        return out;
    const int level = found->second;
    TSUnits units;
    LevelToSUnits(level, out.FreqMHz, out.FreqMHz, units);
    const QString shown = WithoutZeros(out.FreqLabel.trimmed());
    out.Hint = u"%1MHz %2%3dBm %4µV %5   "_s.arg(shown, level < kLevelFloor ? u"< "_s : QString())
                   .arg(units.Dbm)
                   .arg(FormatFixed(units.MicroVolts, 1), units.Text);
    return out;
}
