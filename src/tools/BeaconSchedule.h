#pragma once

#include "BeaconFile.h"

#include <span>

// Where the three-minute cycle stands at `secondsOfDay` (local time, fractions rounded to the
// nearest second).
int CycleSecond(double secondsOfDay);

// The beacon on the air at `cycleSecond` on the schedule column `band` (the position of the chosen
// frequency): the first in file order whose ten-second slot holds that second, or -1.
int BeaconOnAir(std::span<const TBeacon> beacons, int band, int cycleSecond);
