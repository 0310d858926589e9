#include "BeaconSchedule.h"

#include <cmath>

int CycleSecond(double secondsOfDay) {
    return static_cast<int>(std::llround(secondsOfDay) % kBeaconCycleSeconds);
}

int BeaconOnAir(std::span<const TBeacon> beacons, int band, int cycleSecond) {
    if (band < 0 || band >= kBeaconBands)
        return -1;
    for (std::size_t i = 0; i < beacons.size(); ++i) {
        const int since = cycleSecond - beacons[i].SlotStarts[static_cast<std::size_t>(band)];
        if (since >= 0 && since < kBeaconSlotSeconds)
            return static_cast<int>(i);
    }
    return -1;
}
