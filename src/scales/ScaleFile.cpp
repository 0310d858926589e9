#include "ScaleFile.h"

#include "IniFile.h"
#include "NumberText.h"

#include <climits>
#include <cmath>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

const QString kSpan = u"SPAN"_s;
const QString kRxSettings = u"RXSETTINGS"_s;
const QString kBandsSection = u"BANDS"_s;
const QString kWhite = u"$00FFFFFF"_s;

QString BandKey(int band, const char16_t* what) {
    return u"Band%1%2"_s.arg(band).arg(QString::fromUtf16(what));
}

} // namespace

qint64 MHzToHz(double mhz) {
    return std::llround(mhz * 1000000.0);
}

QColor ScaleColour(const QString& text, const QColor& fallback) {
    const QString trimmed = text.trimmed();
    if (!trimmed.startsWith(u'$'))
        return fallback;
    const auto value = ParseHex(QStringView(trimmed).mid(1));
    if (!value)
        return fallback;
    const auto bgr = static_cast<quint32>(*value);
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

QString ScaleColourText(const QColor& colour) {
    const quint32 bgr = static_cast<quint32>(colour.red()) |
                        (static_cast<quint32>(colour.green()) << 8) |
                        (static_cast<quint32>(colour.blue()) << 16);
    return u"$"_s + u"%1"_s.arg(bgr, 8, 16, QChar(u'0')).toUpper();
}

TScaleText ReadScaleText(const QString& fileName, TScaleDefaults defaults) {
    const bool window = defaults == TScaleDefaults::Window;
    const TIniFile ini(fileName);
    TScaleText text;
    text.LowF = ini.ReadString(kSpan, u"LowF"_s, {}).trimmed();
    text.HiF = ini.ReadString(kSpan, u"HiF"_s, {}).trimmed();
    for (std::size_t i = 0; i < kScaleSettingCount; ++i) {
        const QString key = QString::fromUtf16(kScaleSettings[i].Key);
        // A scale window insists on an attenuator being named; the editor offers the first.
        const bool noDefault = window && kScaleSettings[i].Selector == kSelAtten;
        text.Settings[i] = ini.ReadString(kRxSettings, key, noDefault ? QString() : u"0"_s);
    }
    text.Step = ini.ReadString(kRxSettings, u"Step"_s, {});
    text.StepOffsetStatus = ini.ReadString(kRxSettings, u"StepOffsetStatus"_s, u"0"_s);
    text.Author = ini.ReadString(kRxSettings, u"Author"_s, {});
    text.Email = ini.ReadString(kRxSettings, u"Email"_s, {});
    text.Description = ini.ReadString(kRxSettings, u"Description"_s, {});
    const QString edgeDefault = window ? u"0"_s : QString();
    for (int n = 1; n <= kScaleBandCount; ++n) {
        TScaleBandText& band = text.Bands[static_cast<std::size_t>(n - 1)];
        band.Low = ini.ReadString(kBandsSection, BandKey(n, u"LowFMHz"), edgeDefault);
        band.High = ini.ReadString(kBandsSection, BandKey(n, u"HighFMHz"), edgeDefault);
        band.Title = ini.ReadString(kBandsSection, BandKey(n, u"Title"),
                                    window ? u"Tuning Scale"_s : QString());
        band.Colour =
            ini.ReadString(kBandsSection, BandKey(n, u"Color"), window ? kWhite : QString());
    }
    return text;
}

TScaleWriteResult WriteScaleText(const QString& fileName, const TScaleText& text) {
    TIniFile ini(fileName);
    TScaleWriteResult result;
    QList<std::tuple<QString, QString, QString>> keys = {
        {kSpan, u"LowF"_s, text.LowF.trimmed()},
        {kSpan, u"HiF"_s, text.HiF.trimmed()},
    };
    for (std::size_t i = 0; i < kScaleSettingCount; ++i)
        keys.append({kRxSettings, QString::fromUtf16(kScaleSettings[i].Key), text.Settings[i]});
    keys.append({kRxSettings, u"Step"_s, text.Step});
    keys.append({kRxSettings, u"Author"_s, text.Author});
    keys.append({kRxSettings, u"Email"_s, text.Email});
    keys.append({kRxSettings, u"Description"_s, text.Description});
    keys.append({kRxSettings, u"StepOffsetStatus"_s, text.StepOffsetStatus});
    for (int n = 1; n <= kScaleBandCount; ++n) {
        const TScaleBandText& band = text.Bands[static_cast<std::size_t>(n - 1)];
        // Only a band with both edges filled in is checked: half-typed bands are kept as typed.
        if (!band.Low.isEmpty() && !band.High.isEmpty() &&
            (!ParseNumber(band.Low) || !ParseNumber(band.High))) {
            result.BadBands.append(n);
            continue;
        }
        keys.append({kBandsSection, BandKey(n, u"LowFMHz"), band.Low});
        keys.append({kBandsSection, BandKey(n, u"HighFMHz"), band.High});
        keys.append({kBandsSection, BandKey(n, u"Title"), band.Title});
        keys.append({kBandsSection, BandKey(n, u"Color"), band.Colour});
    }
    for (const auto& [section, key, value] : keys) {
        if (!ini.WriteString(section, key, value)) {
            result.ErrorText = ini.ErrorText();
            break;
        }
    }
    return result;
}

TScaleParse ParseScale(const TScaleText& text) {
    TScaleParse parse;
    if (text.LowF.trimmed().isEmpty() || text.HiF.trimmed().isEmpty()) {
        parse.LimitsMissing = true;
        return parse;
    }
    TScale scale;
    scale.LowMHz = ParseNumber(text.LowF).value_or(0.0);
    scale.HighMHz = ParseNumber(text.HiF).value_or(0.0);
    for (std::size_t i = 0; i < kScaleSettingCount; ++i) {
        const auto value = ParseInteger(text.Settings[i]);
        if (!value || *value < INT_MIN || *value > INT_MAX) {
            parse.ErrorText = u"%1: '%2' is not a valid integer value"_s.arg(
                QString::fromUtf16(kScaleSettings[i].Key), text.Settings[i]);
            return parse;
        }
        scale.Settings[i] = static_cast<int>(*value);
    }
    const auto step = ParseNumber(text.Step);
    if (!step) {
        parse.ErrorText = u"Step: '%1' is not a valid floating point value"_s.arg(text.Step);
        return parse;
    }
    scale.Step = text.Step;
    scale.StepKHz = *step;
    scale.StepOffset = text.StepOffsetStatus == u"1"_s;
    scale.Description = text.Description;
    for (std::size_t n = 0; n < scale.Bands.size(); ++n) {
        const TScaleBandText& in = text.Bands[n];
        TScaleBand& band = scale.Bands[n];
        if (!in.Low.isEmpty())
            band.LowHz = MHzToHz(ParseNumber(in.Low).value_or(0.0));
        if (!in.High.isEmpty())
            band.HighHz = MHzToHz(ParseNumber(in.High).value_or(0.0));
        band.Title = in.Title;
        band.Colour = ScaleColour(in.Colour, Qt::white);
    }
    parse.Scale = scale;
    return parse;
}
