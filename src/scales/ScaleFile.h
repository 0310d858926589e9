#pragma once

#include "Selectors.h"

#include <QColor>
#include <QString>

#include <array>
#include <optional>

// A tuning scale file (".scl"): a span, the receiver settings to start from and up to six
// coloured, titled bands, all kept as text in the settings-file layout.

// The receiver settings of a scale, in the order they are sent to the receiver.
struct TScaleSetting {
    const char16_t* Key;
    std::size_t Selector; // position in kSelectors: the list shown and the driver setter
    const char16_t* EditorName;
};

inline constexpr TScaleSetting kScaleSettings[] = {
    {u"Mode", kSelMode, u"ScaleModeComboBox"},
    {u"Bandwidth", kSelBandwidth, u"ScaleBandwidthComboBox"},
    {u"Antenna", kSelAntenna, u"ScaleAntennaComboBox"},
    {u"Attenuator", kSelAtten, u"ScaleAttenComboBox"},
    {u"SubStep", kSelSubStep, u"ScaleSubStepComboBox"},
    {u"Agc", kSelAgc, u"ScaleAGCComboBox"},
    {u"LowPass", kSelLowPass, u"ScaleLPComboBox"},
    {u"HiPass", kSelHighPass, u"ScaleHPComboBox"},
    {u"DeEm", kSelDeEmphasis, u"ScaleDeEmComboBox"},
};
inline constexpr std::size_t kScaleSettingCount = std::size(kScaleSettings);
inline constexpr int kScaleBandCount = 6;

struct TScaleBandText {
    QString Low;
    QString High;
    QString Title;
    QString Colour; // "$" + 8 hex digits, a 0x00BBGGRR colour value
};

// The file as it stands, every value as text.
struct TScaleText {
    QString LowF;
    QString HiF;
    std::array<QString, kScaleSettingCount> Settings; // kScaleSettings order
    QString Step;
    QString StepOffsetStatus;
    QString Author;
    QString Email;
    QString Description;
    std::array<TScaleBandText, kScaleBandCount> Bands;
};

// A scale window and the editor fill missing keys differently: the window needs bands it can
// draw, the editor shows what is not there as empty.
enum class TScaleDefaults { Window, Editor };

TScaleText ReadScaleText(const QString& fileName, TScaleDefaults defaults);

struct TScaleWriteResult {
    QList<int> BadBands; // 1-based numbers of bands left out for edges that are not numbers
    QString ErrorText;   // the file could not be written
};
// Writes every key of `text`; a band with two edges of which one is not a number is left out
// (its keys keep what the file held). Keys this program does not write are kept too.
TScaleWriteResult WriteScaleText(const QString& fileName, const TScaleText& text);

// Frequencies become whole hertz by rounding: MHz with six decimals rarely hold their exact
// value in a double, and cutting the fraction would lose a hertz.
qint64 MHzToHz(double mhz);

QColor ScaleColour(const QString& text, const QColor& fallback);
QString ScaleColourText(const QColor& colour);

struct TScaleBand {
    qint64 LowHz = 0;
    qint64 HighHz = 0;
    QString Title;
    QColor Colour;
};

// A scale ready to use.
struct TScale {
    double LowMHz = 0;
    double HighMHz = 0;
    std::array<int, kScaleSettingCount> Settings{}; // kScaleSettings order
    QString Step;
    double StepKHz = 0;
    bool StepOffset = false;
    QString Description;
    std::array<TScaleBand, kScaleBandCount> Bands;
};

struct TScaleParse {
    std::optional<TScale> Scale;
    bool LimitsMissing = false;
    QString ErrorText; // why the settings cannot be used
};
TScaleParse ParseScale(const TScaleText& text);
