#pragma once

#include <QString>

#include <array>
#include <cstdint>

// The records the receiver's replies fill and its write commands read. Copied by value.

// What filled a TRxDat: index into kRxCodes.
inline constexpr std::array<const char*, 15> kRxCodes = {
    "MS",    "SM",    "MR", "MX", "SS", "VS VA", "VS VB", "VS VC",
    "VS VD", "VS VE", "VA", "VB", "VC", "VD",    "VE"};
inline constexpr std::uint8_t kRxCodeMemory = 2;         // "MR"
inline constexpr std::uint8_t kRxCodeFirstVfo = 10;      // "VA"; "VB".."VE" follow
inline constexpr std::uint8_t kRxCodeFirstVfoSearch = 5; // "VS VA"
inline constexpr std::uint8_t kRxCodeProgramSearch = 4;  // "SS"
inline constexpr int kModeMissing = 99;                  // an MD field with no digit

// One VFO or memory channel.
struct TRxDat {
    std::uint8_t Vfo = 0;
    double Freq = 0.0; // MHz
    QString Step;      // kHz, "###.000"
    bool StepAdjust = false;
    int Mode = 0;
    int Bandwidth = 0;
    bool AutoMode = false;
    int Antenna = 0;
    bool AntennaAuto = false;
    int Attenuator = 0; // 3 = auto when written
    bool AttenuatorAuto = false;
    int Agc = 0;
    int HighPass = 0;
    int LowPass = 0;
    int DeEmphasis = 0;
    int SubStep = 0;
    bool MemoryPass = false;
    bool SelectScan = false;
    QString Text;
    int Channel = 0;
    QString Level; // 0..255 as decimal text
    bool SquelchClosed = false;
    bool Empty = false;
    int Ctcss = 0;
    int Descrambler = 0;

    bool operator==(const TRxDat&) const = default;
};

// What a VFO reply carries.
inline void CopyVfoFields(const TRxDat& from, TRxDat& to) {
    to.Vfo = from.Vfo;
    to.Freq = from.Freq;
    to.Step = from.Step;
    to.StepAdjust = from.StepAdjust;
    to.AutoMode = from.AutoMode;
    to.Mode = from.Mode;
}

// What a memory reply carries: the VFO fields and the channel's own.
inline void CopyMemoryFields(const TRxDat& from, TRxDat& to) {
    CopyVfoFields(from, to);
    to.Channel = from.Channel;
    to.MemoryPass = from.MemoryPass;
    to.SelectScan = from.SelectScan;
    to.Text = from.Text;
}

// A memory block: the ten channels of one "MA" listing.
using TMAArray = std::array<TRxDat, 10>;

inline constexpr int kCurrentSearchBank = 99;

// One program-search bank.
struct TSearchList {
    int Bank = 0;       // 0..19, kCurrentSearchBank = the receiver's current bank
    double Lower = 0.0; // MHz
    double Upper = 0.0; // MHz
    QString Step;       // kHz, "###.000"
    bool StepAdjust = false;
    bool AutoMode = false;
    int Mode = 0;
    int Attenuator = 0;
    QString Text;

    bool operator==(const TSearchList&) const = default;
};

inline constexpr int kScanModeFree = 5; // "XMF"

struct TScanGroupDat {
    int Group = 0;
    int Delay = 0; // tenths of a second
    int Level = 0;
    int VoiceLevel = 0;
    int Pause = 0;
    int Mode = 0;
    bool Link = false;
    QString LinkedBanks; // ten characters
    bool VoiceLevelSign = false;
    bool LevelSign = false;

    bool operator==(const TScanGroupDat&) const = default;
};

inline constexpr int kSearchDelayHold = 255; // "SDFF"

struct TSearchGroupDat {
    int Group = 0;
    int Delay = 0; // tenths of a second, kSearchDelayHold = hold
    int Level = 0;
    int VoiceLevel = 0;
    int Pause = 0;
    bool Link = false;
    QString LinkedBanks; // twenty characters
    bool VoiceLevelSign = false;
    bool LevelSign = false;

    bool operator==(const TSearchGroupDat&) const = default;
};

inline constexpr int kVfoPassBank = 20;

struct TPassDat {
    int Bank = 0; // 0..19, kVfoPassBank = the VFO pass list
    int Index = 0;
    double Freq = 0.0; // MHz

    bool operator==(const TPassDat&) const = default;
};
