// The beacon file reader: whatever the file holds, it is either refused with a reason or gives a
// schedule the window can use as it stands (every slot in the cycle, a column per frequency).
#include "FuzzSupport.h"

#include "BeaconFile.h"
#include "BeaconSchedule.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzApplication();
    const TBeaconFileResult read =
        ReadBeaconFile(FuzzFile(QStringLiteral("IARU_Beacons.dat"), data, size));
    if (!read.List) {
        if (read.Error.isEmpty())
            std::abort();
        return 0;
    }
    const TBeaconList& list = *read.List;
    if (list.Beacons.isEmpty() || list.Frequencies.isEmpty() ||
        list.Frequencies.size() > kBeaconBands)
        std::abort();
    for (const TBeacon& beacon : list.Beacons) {
        if (beacon.Details.size() != list.DetailNames.size())
            std::abort();
        for (const int start : beacon.SlotStarts)
            if (start < 0 || start >= kBeaconCycleSeconds)
                std::abort();
    }
    for (int band = 0; band < list.Frequencies.size(); ++band)
        for (int second = 0; second < kBeaconCycleSeconds; ++second)
            if (BeaconOnAir(list.Beacons, band, second) >= list.Beacons.size())
                std::abort();
    return 0;
}
