#pragma once

#include <array>

// The texts behind every selector, in index order: the index is what the receiver is sent.

inline constexpr std::array<const char*, 8> kModes = {"FM", "AM",  "LSB", "USB",
                                                      "CW", "sAM", "sAL", "sAH"};
inline constexpr std::array<const char*, 7> kBandwidths = {"0.5", "3.0", "6.0", "15",
                                                           "30",  "110", "220"}; // kHz
inline constexpr std::array<const char*, 5> kAntennas = {"Auto", "1", "2", "3", "4"};
inline constexpr std::array<const char*, 4> kAttenuators = {"0", "10", "20", "Auto"}; // dB
inline constexpr int kAttenuatorAuto = 3;
inline constexpr std::array<const char*, 4> kAgcs = {"Fast", "Mid", "Slow", "Off"};
inline constexpr int kAgcOff = 3;
inline constexpr std::array<const char*, 4> kLowPasses = {"3", "4", "6", "12"};          // kHz
inline constexpr std::array<const char*, 4> kHighPasses = {"0.05", "0.2", "0.3", "0.4"}; // kHz
inline constexpr std::array<const char*, 5> kDeEmphases = {"25", "50", "75", "750", "Thru"};
inline constexpr std::array<const char*, 11> kSubSteps = {"Main", "x10", "0.1", "0.5", "1",   "5",
                                                          "10",   "50",  "100", "500", "1000"};
inline constexpr int kSubStepMain = 0;
inline constexpr int kSubStepX10 = 1;
inline constexpr int kSubStepLast = 10; // sent as "SJA"
inline constexpr std::array<const char*, 17> kSteps = {
    "0.001",  "0.010",  "0.050",  "0.100",  "0.500",  "1.000",  "5.000",   "6.250",  "9.000",
    "10.000", "12.500", "20.000", "25.000", "30.000", "50.000", "100.000", "500.000"}; // kHz
inline constexpr std::array<const char*, 5> kDescramblers = {"Off", "3.5", "3.3", "3.1", "3.7"};

// Index sent as two hexadecimal digits.
inline constexpr std::array<const char*, 56> kCtcssTones = {
    "Off ?",   "SRCH",   "N/U",     "N/U",    "N/U",     "N/U",    "94.8 F", "100.0",
    "103.5 G", "107.2",  "110.9 H", "114.8",  "118.8 J", "123.0",  "127.3",  "131.8",
    "136.5",   "141.3",  "146.2",   "151.4",  "156.7",   "162.2",  "167.9",  "173.8",
    "179.9",   "186.2",  "192.8",   "203.5",  "210.7",   "218.1",  "225.7",  "233.6",
    "241.8",   "250.3",  "67.0 A",  "71.9 B", "74.4",    "77.0 C", "79.7",   "82.5 D",
    "85.4",    "88.5 E", "91.5",    "97.4",   "69.4",    "159.8",  "165.5",  "171.3",
    "177.3",   "183.5",  "189.9",   "196.6",  "199.5",   "206.5",  "229.1",  "254.1"};
