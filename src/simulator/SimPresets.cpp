#include "SimReceiver.h"

#include "SimText.h"

#include <algorithm>

// The state of a receiver fresh from the shop after some use: tuned VFOs, a third of the
// memory channels in use (all with FillMemories), search banks over the busy bands.

namespace {

struct TVfoPreset {
    qint64 Hz;
    int Mode;
    int Bandwidth;
    qint64 StepHz;
};

constexpr std::array<TVfoPreset, TSimReceiver::kVfoCount> kVfoPresets = {{
    {118'000'000, 1, 2, 25'000},
    {137'000'000, 1, 2, 25'000},
    {145'500'000, 0, 3, 12'500},
    {446'006'250, 0, 3, 12'500},
    {98'100'000, 0, 6, 100'000},
}};

// Plan entries given a search bank each, in bank order.
constexpr std::array<int, 10> kSearchBankPlans = {3, 4, 5, 6, 7, 8, 9, 2, 1, 12};

constexpr int kMaxPresetStepHz = 500'000;
constexpr int kFilledPercentPerHundred = 66; // up to this many channels of a hundred in use
constexpr int kSelectScanPercent = 10;
constexpr int kMemoryPassPercent = 4;

TRxDat MakeRecord(qint64 hz, int mode, int bandwidth, qint64 stepHz) {
    TRxDat rec;
    rec.Freq = SimText::MHz(hz);
    rec.Step = SimText::StepKHz(stepHz);
    rec.Mode = mode;
    rec.Bandwidth = bandwidth;
    rec.AntennaAuto = true;
    rec.Agc = 1;
    rec.LowPass = mode == 0 ? 2 : 3;
    rec.DeEmphasis = mode == 0 ? 1 : 4;
    return rec;
}

} // namespace

void TSimReceiver::LoadPresets() {
    for (size_t i = 0; i < FVfos.size(); ++i) {
        const TVfoPreset& preset = kVfoPresets[i];
        FVfos[i] = MakeRecord(preset.Hz, preset.Mode, preset.Bandwidth, preset.StepHz);
        FVfos[i].Vfo = static_cast<std::uint8_t>(kRxCodeFirstVfo + i);
    }

    TSimRandom random(std::uint64_t(FOptions.Seed) ^ 0x6D656D6F72790000ull);
    for (int bank = 0; bank < kBankCount; ++bank) {
        QList<TRxDat>& memories = FMemories[static_cast<size_t>(bank)];
        memories.resize(kChannelCount);
        for (int hundred = 0; hundred < 10; ++hundred) {
            const TSimBandPlanEntry& plan =
                kSimBandPlan[static_cast<size_t>(hundred + 5 * bank) % kSimBandPlan.size()];
            QList<qint64> busy;
            for (const TSimSignal& signal : FBand.Signals()) {
                if (signal.FreqHz >= plan.LowHz && signal.FreqHz <= plan.HighHz)
                    busy.append(signal.FreqHz);
            }
            const auto used = FOptions.FillMemories
                                  ? 100
                                  : static_cast<int>(random.Between(0, kFilledPercentPerHundred));
            for (int i = 0; i < 100; ++i) {
                const int channel = hundred * 100 + i;
                if (i >= used) {
                    ClearMemory(bank, channel);
                    continue;
                }
                const qint64 slots = (plan.HighHz - plan.LowHz) / plan.GridHz;
                const qint64 hz = !busy.isEmpty() && random.Percent(50)
                                      ? busy[random.Between(0, busy.size() - 1)]
                                      : plan.LowHz + random.Between(0, slots) * plan.GridHz;
                TRxDat rec = MakeRecord(hz, plan.Mode, plan.Bandwidth,
                                        std::min(plan.GridHz, kMaxPresetStepHz));
                rec.Vfo = 2;
                rec.Channel = channel;
                rec.Text = QString::fromLatin1(plan.Name) + u' ' + QString::number(i + 1);
                rec.SelectScan = random.Percent(kSelectScanPercent);
                rec.MemoryPass = random.Percent(kMemoryPassPercent);
                memories[channel] = rec;
            }
        }
    }

    for (size_t bank = 0; bank < FSearchBanks.size(); ++bank) {
        TSearchBankState& state = FSearchBanks[bank];
        state = {};
        state.Settings = MakeRecord(0, 0, 3, 0);
        if (bank >= kSearchBankPlans.size())
            continue;
        const TSimBandPlanEntry& plan = kSimBandPlan[static_cast<size_t>(kSearchBankPlans[bank])];
        state.LowerHz = plan.LowHz;
        state.UpperHz = plan.HighHz;
        state.Settings = MakeRecord(plan.LowHz, plan.Mode, plan.Bandwidth,
                                    std::min(plan.GridHz, kMaxPresetStepHz));
        state.Text = QString::fromLatin1(plan.Name);
    }

    for (int group = 0; group < kGroupCount; ++group) {
        TScanGroupDat scan;
        scan.Group = group;
        scan.Delay = 20;
        scan.Pause = 5;
        scan.Mode = kScanModeFree;
        scan.LinkedBanks = QString(10, QLatin1Char('-'));
        scan.LinkedBanks[group] = QChar(u'0' + group);
        if (group == 0)
            scan.LinkedBanks[1] = u'1';
        SetScanGroup(scan);

        TSearchGroupDat search;
        search.Group = group;
        search.Delay = 20;
        search.Pause = 5;
        search.LinkedBanks = QString(20, QLatin1Char('-'));
        search.LinkedBanks[group] = QChar(u'0' + group);
        if (group == 0)
            search.LinkedBanks[1] = u'1';
        SetSearchGroup(search);
    }
}
