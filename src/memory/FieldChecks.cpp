#include "FieldChecks.h"

#include "NumberText.h"
#include "ValueTables.h"

#include <array>

using namespace Qt::StringLiterals;

namespace {

// A flag is shown "Y" when true and empty otherwise.
constexpr std::array<const char*, 2> kFlagTexts = {"", "Y"};

constexpr std::array<TFieldRule, 16> kRules = {{
    {"FREQ", TFieldCheck::Frequency, {}},
    {"MODE", TFieldCheck::PickList, kModes},
    {"BW", TFieldCheck::PickList, kBandwidths},
    {"LP", TFieldCheck::PickList, kLowPasses},
    {"HP", TFieldCheck::PickList, kHighPasses},
    {"DM", TFieldCheck::PickList, kDeEmphases},
    {"AGC", TFieldCheck::PickList, kAgcs},
    {"STEP", TFieldCheck::Step, {}},
    {"SSTEP", TFieldCheck::PickList, kSubSteps},
    {"ATN", TFieldCheck::PickList, kAttenuators},
    {"ANT", TFieldCheck::PickList, kAntennas},
    {"STADJ", TFieldCheck::Flag, kFlagTexts},
    {"PASS", TFieldCheck::Flag, kFlagTexts},
    {"SELSCAN", TFieldCheck::Flag, kFlagTexts},
    {"CHANGED", TFieldCheck::Flag, kFlagTexts},
    {"SQUELCH", TFieldCheck::Squelch, {}},
}};

constexpr TFieldRule kNoRule = {"", TFieldCheck::None, {}};

bool IsEmptyText(const QVariant& value) {
    return value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isEmpty());
}

std::optional<double> NumberOf(const QVariant& value) {
    if (value.typeId() == QMetaType::QString)
        return ParseNumber(value.toString());
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok ? std::optional<double>(number) : std::nullopt;
}

QString ListText(std::span<const char* const> list) {
    QStringList texts;
    for (const char* entry : list)
        texts << QString::fromLatin1(entry);
    return texts.join(u", "_s);
}

} // namespace

const TFieldRule& MemoryFieldRule(QStringView field) {
    for (const TFieldRule& rule : kRules)
        if (field.compare(QLatin1StringView(rule.Field), Qt::CaseInsensitive) == 0)
            return rule;
    return kNoRule;
}

bool CheckPickListValue(std::span<const char* const> pickList, const QString& text) {
    for (const char* entry : pickList)
        if (text.compare(QLatin1StringView(entry), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

TCheckOutcome CheckMemoryField(const TFieldRule& rule, QVariant& value) {
    if (rule.Check == TFieldCheck::None)
        return {};
    if (IsEmptyText(value)) {
        value = QVariant();
        return {};
    }
    const QString typed = value.toString();
    const auto refused = [&rule, &typed](const QString& why) {
        return TCheckOutcome{false, QString::fromLatin1(rule.Field) + u" \""_s + typed +
                                        u"\" refused: "_s + why};
    };
    const auto range = [](double low, double high) {
        return u"must be from "_s + QString::number(low) + u" to "_s + QString::number(high);
    };
    const QString conversionError = QString::fromLatin1(kConversionErrorText);
    switch (rule.Check) {
    case TFieldCheck::Frequency: {
        const std::optional<double> freq = NumberOf(value);
        if (!freq)
            return refused(conversionError);
        if (*freq < kMinFreqMHz || *freq > kMaxFreqMHz)
            return refused(range(kMinFreqMHz, kMaxFreqMHz));
        value = *freq;
        return {};
    }
    case TFieldCheck::Step: {
        const std::optional<double> step = NumberOf(value);
        if (!step)
            return refused(conversionError);
        if (*step < kMinStepKHz || *step > kMaxStepKHz)
            return refused(range(kMinStepKHz, kMaxStepKHz));
        value = typed; // stored as typed
        return {};
    }
    case TFieldCheck::PickList:
        if (CheckPickListValue(rule.PickList, typed))
            return {};
        return refused(u"must be one of "_s + ListText(rule.PickList));
    case TFieldCheck::Flag:
        if (value.typeId() == QMetaType::Bool)
            return {};
        if (!CheckPickListValue(rule.PickList, typed))
            return refused(u"must be Y or empty"_s);
        value = true; // "Y"; the empty entry was taken as Null above
        return {};
    case TFieldCheck::Squelch: {
        const std::optional<qint64> squelch = value.typeId() == QMetaType::QString
                                                  ? ParseInteger(typed)
                                                  : std::optional<qint64>(value.toLongLong());
        if (!squelch)
            return refused(conversionError);
        if (*squelch < 0 || *squelch > kMaxSquelch)
            return refused(range(0, kMaxSquelch));
        value = static_cast<int>(*squelch);
        return {};
    }
    case TFieldCheck::None:
        break;
    }
    return {};
}
