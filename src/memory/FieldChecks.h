#pragma once

#include <QString>
#include <QStringView>
#include <QVariant>

#include <span>

// The checks on what the user types into a field of a memory bank table. A refused value leaves
// the field as it was, and the refusal says why.

enum class TFieldCheck { None, Frequency, Step, PickList, Flag, Squelch };

struct TFieldRule {
    const char* Field;
    TFieldCheck Check;
    std::span<const char* const> PickList; // for PickList and Flag
};

struct TCheckOutcome {
    bool Accepted = true;
    QString Message;
};

inline constexpr double kMinFreqMHz = 0.01;
inline constexpr double kMaxFreqMHz = 2600.0;
inline constexpr double kMinStepKHz = 0.001;
inline constexpr double kMaxStepKHz = 999.0;
inline constexpr int kMaxSquelch = 255;
inline constexpr const char* kConversionErrorText = "Conversion Error";

// The rule of a field of the bank table (no check for MEM, TEXT).
const TFieldRule& MemoryFieldRule(QStringView field);

// Whether text is an entry of the pick list, without regard to letter case.
bool CheckPickListValue(std::span<const char* const> pickList, const QString& text);

// Checks a value typed for a field; on acceptance value holds what is stored (a number for
// FREQ and SQUELCH, true for a flag typed "Y", Null for an empty text). A refusal's message
// names the field, what was typed and what the field takes.
TCheckOutcome CheckMemoryField(const TFieldRule& rule, QVariant& value);
