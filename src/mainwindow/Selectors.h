#pragma once

#include "AR5000.h"
#include "ValueTables.h"

#include <span>

// What follows a user's choice in a selector: the panel is read again from the receiver always,
// only while the memory is current, or never.
enum class TRefresh { Always, MemoryOnly, Never };

// One drop-down list of the VFO panel: its control name, the label beside it, the value table it
// shows (the index is what the receiver is sent) and the driver setter its choice goes to.
struct TSelector {
    const char16_t* Name;
    const char16_t* Label;
    std::span<const char* const> Items;
    void (TAR5000::*Setter)(int);
    TRefresh Refresh;
};

inline constexpr TSelector kSelectors[] = {
    {u"ModeComboBox", u"Mode", kModes, &TAR5000::SetMode, TRefresh::Always},
    {u"BandwidthComboBox", u"B/W", kBandwidths, &TAR5000::SetBandwidth, TRefresh::Always},
    {u"AntennaComboBox", u"Ant", kAntennas, &TAR5000::SetAntenna, TRefresh::Always},
    {u"AttenComboBox", u"Atn", kAttenuators, &TAR5000::SetAttenuator, TRefresh::Always},
    {u"AGCComboBox", u"AGC", kAgcs, &TAR5000::SetAgc, TRefresh::MemoryOnly},
    {u"LPComboBox", u"LoPass", kLowPasses, &TAR5000::SetLowPass, TRefresh::MemoryOnly},
    {u"HPComboBox", u"HiPass", kHighPasses, &TAR5000::SetHighPass, TRefresh::MemoryOnly},
    {u"DeEmComboBox", u"DeEm", kDeEmphases, &TAR5000::SetDeEmphasis, TRefresh::MemoryOnly},
    {u"SubStepComboBox", u"SubStep", kSubSteps, &TAR5000::SetSubStep, TRefresh::MemoryOnly},
    {u"CtcssComboBox", u"Ctcs", kCtcssTones, &TAR5000::SetCtcss, TRefresh::Never},
    {u"DeScrComboBox", u"DeScr", kDescramblers, &TAR5000::SetDescrambler, TRefresh::Always},
};

inline constexpr std::size_t kSelectorCount = std::size(kSelectors);

// Positions in kSelectors, for the places that set one list from a record field.
enum TSelectorIndex : std::size_t {
    kSelMode,
    kSelBandwidth,
    kSelAntenna,
    kSelAtten,
    kSelAgc,
    kSelLowPass,
    kSelHighPass,
    kSelDeEmphasis,
    kSelSubStep,
    kSelCtcss,
    kSelDescrambler,
};
