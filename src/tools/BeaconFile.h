#pragma once

#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// Five beacon frequencies, one schedule column each, in the order TIME14, TIME18, TIME21,
// TIME24, TIME28.
inline constexpr int kBeaconBands = 5;
inline constexpr int kBeaconCycleSeconds = 180;
inline constexpr int kBeaconSlotSeconds = 10;

struct TBeacon {
    QString CallSign;
    std::array<int, kBeaconBands> SlotStarts{}; // second of the cycle, 0..179
    QPoint Position;                            // pixel on the map picture
    QStringList Details;                        // one value per descriptive column
};

struct TBeaconList {
    QStringList Frequencies; // MHz as written in the file
    QStringList DetailNames; // the descriptive columns, as the first beacon has them
    QList<TBeacon> Beacons;
};

struct TBeaconFileResult {
    std::optional<TBeaconList> List; // absent when the file was refused
    QString Error;                   // why it was refused
};

// Reads a beacon file: "Frequencies" first, then one section per beacon named by its call sign.
// A file that breaks a rule is refused whole, with the section or key at fault named, so the
// window never shows part of a schedule.
TBeaconFileResult ReadBeaconFile(const QString& fileName);
