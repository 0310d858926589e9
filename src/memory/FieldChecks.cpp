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
    const TCheckOutcome rejected{false, {}};
    if (rule.Check == TFieldCheck::None)
        return {};
    if (IsEmptyText(value)) {
        value = QVariant();
        return {};
    }
    switch (rule.Check) {
    case TFieldCheck::Frequency: {
        const std::optional<double> freq = NumberOf(value);
        if (!freq || *freq < kMinFreqMHz || *freq > kMaxFreqMHz)
            return rejected;
        value = *freq;
        return {};
    }
    case TFieldCheck::Step: {
        const std::optional<double> step = NumberOf(value);
        if (!step)
            return {false, QString::fromLatin1(kConversionErrorText)};
        if (*step < kMinStepKHz || *step > kMaxStepKHz)
            return rejected;
        value = value.toString(); // stored as typed
        return {};
    }
    case TFieldCheck::PickList:
        return CheckPickListValue(rule.PickList, value.toString()) ? TCheckOutcome{} : rejected;
    case TFieldCheck::Flag:
        if (value.typeId() == QMetaType::Bool)
            return {};
        if (!CheckPickListValue(rule.PickList, value.toString()))
            return rejected;
        value = true; // "Y"; the empty entry was taken as Null above
        return {};
    case TFieldCheck::Squelch: {
        const std::optional<qint64> squelch = value.typeId() == QMetaType::QString
                                                  ? ParseInteger(value.toString())
                                                  : std::optional<qint64>(value.toLongLong());
        if (!squelch || *squelch < 0 || *squelch > kMaxSquelch)
            return rejected;
        value = static_cast<int>(*squelch);
        return {};
    }
    case TFieldCheck::None:
        break;
    }
    return {};
}
