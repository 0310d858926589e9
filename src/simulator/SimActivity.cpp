#include "SimReceiver.h"

#include "SimLine.h"
#include "SimText.h"

#include <algorithm>
#include <utility>

// Program search, memory scan, select scan and VFO search. The position moves in simulated
// time (the injected clock): each timer tick catches up with every step due since the last, so
// the outcome depends on the clock alone, not on when the ticks come.
//
// A stop is where the squelch opens and the level and voice squelch of the search or scan (when
// set) are met; passed frequencies and channels are never visited. The receiver then reports it
// ("MX" channel for scans, "LC" level when level output is on, then "RF"), sends "LC" lines
// while the level changes, and goes on when the pause has run out with the signal still there,
// or when the delay has passed since the signal went; a hold delay ("SDFF") goes on only when
// told. A step byte, up or down, makes it go on at once; while moving it skips one position.
// The squelch opened all the way ("RQ255") holds it where it is: this is how the program
// pauses a search.
//
// A change of search bank is reported with the new bank's "SR" line, a scan's move into
// another hundred with "MX" and the first channel it visits there (unless it stops on that
// channel, whose report says as much).
//
// Flooding, every step is a stop. The next is reported as soon as the line has carried all but
// the latest report, so the line never waits for the receiver and never holds more than two.

namespace {

constexpr qint64 kSearchStepMs = 20;
constexpr qint64 kCyberSearchStepMs = 5;
constexpr qint64 kScanStepMs = 40;
constexpr qint64 kCyberScanStepMs = 10;
constexpr int kMaxStepsPerTick = 100'000; // a clock jump never stalls the event loop for long
constexpr int kMaxSkips = 2 * TSimReceiver::kPassEntryCount + TSimReceiver::kSearchBankCount;

} // namespace

void TSimReceiver::StartActivity(TSimMode mode) {
    if (!Running())
        FRestMode = FMode;
    FMode = mode;
    FActivity = TActivity{};
    FActivity.LastStepMs = NowMs();
    FFloodWaiting = false;
    if (FFlood)
        FFloodTimer.start();
    else
        FActivityTimer.start();
}

void TSimReceiver::Begin(bool includeStart) {
    if (FFlood) {
        // The first flood step lands on the start itself.
        FActivity.Stopped = includeStart;
        return;
    }
    if (NextPosition(includeStart))
        Arrive(FActivity.LastStepMs, StopRules());
}

void TSimReceiver::SetFloodHits(bool on) {
    if (FFlood == on)
        return;
    FFlood = on;
    FFloodWaiting = false;
    if (!Running())
        return;
    FActivity.Stopped = false;
    FActivity.LastStepMs = NowMs();
    if (on) {
        FActivityTimer.stop();
        FFloodTimer.start();
    } else {
        FFloodTimer.stop();
        FActivityTimer.start();
    }
}

void TSimReceiver::WatchLine(TSimLine* line) {
    if (FWatchedLine)
        disconnect(FWatchedLine, nullptr, this, nullptr);
    FWatchedLine = line;
    connect(line, &TSimLine::HostProgress, this, &TSimReceiver::LineProgress);
}

void TSimReceiver::LineProgress() {
    if (!FFloodWaiting || (FWatchedLine && FWatchedLine->HostBacklog() > FFloodStopBytes))
        return;
    FFloodWaiting = false;
    if (FFlood && Running())
        FFloodTimer.start();
}

void TSimReceiver::FloodStep() {
    if (!FFlood || !Running())
        return;
    // A start position not yet reported is the first stop; after it, the next step.
    const bool include = std::exchange(FActivity.Stopped, false);
    if (!NextPosition(include))
        return; // nothing to visit: a scan with no channel in it, a list all passed
    const qint64 sentBefore = FBytesSent;
    ReportStop(NowMs());
    FFloodStopBytes = FBytesSent - sentBefore;
    if (FWatchedLine && FWatchedLine->HostBacklog() > FFloodStopBytes)
        FFloodWaiting = true;
    else
        FFloodTimer.start();
}

void TSimReceiver::StartProgramSearch(int bank) {
    StartActivity(TSimMode::ProgramSearch);
    FSearchBank = bank;
    const TSearchBankState& state = FSearchBanks[static_cast<size_t>(bank)];
    FActivity.PosHz = std::min(state.LowerHz, state.UpperHz);
    Begin(true);
}

void TSimReceiver::StartMemoryScan(int hundred) {
    StartActivity(TSimMode::MemoryScan);
    FActivity.Hundred = hundred;
    FChannel = hundred * 100;
    Begin(true);
}

void TSimReceiver::StartSelectScan() {
    StartActivity(TSimMode::SelectScan);
    Begin(true);
}

void TSimReceiver::StartVfoSearch(int vfo) {
    StartActivity(TSimMode::VfoSearch);
    FVfo = vfo;
    FActivity.PosHz = SimText::Hz(FVfos[static_cast<size_t>(vfo)].Freq);
    Begin(false);
}

void TSimReceiver::StopActivity(TSimMode next) {
    FActivityTimer.stop();
    FFloodTimer.stop();
    FFloodWaiting = false;
    FActivity = TActivity{};
    FMode = next;
}

void TSimReceiver::GoOn(qint64 timeMs) {
    FActivity.Stopped = false;
    FActivity.ClosedMs = -1;
    FActivity.LastStepMs = timeMs;
}

void TSimReceiver::Nudge() {
    const qint64 now = NowMs();
    if (FActivity.Stopped && !SquelchHeldOpen()) {
        GoOn(now);
        return;
    }
    // Held by the open squelch it moves one position and stays there.
    FActivity.LastStepMs = now;
    NextPosition(false);
    FActivity.Stopped = SquelchHeldOpen();
    FActivity.StoppedMs = now;
}

void TSimReceiver::ActivityTick() {
    if (!Running()) {
        FActivityTimer.stop();
        return;
    }
    const qint64 now = NowMs();
    if (SquelchHeldOpen()) {
        if (FActivity.Stopped)
            ReportLevelChange(now);
        FActivity.ClosedMs = -1;
        FActivity.LastStepMs = now;
        return;
    }
    const TStopRules rules = StopRules();
    if (FActivity.Stopped)
        WatchStop(now, rules);
    const qint64 period = StepPeriodMs();
    int steps = 0;
    while (!FActivity.Stopped && FActivity.LastStepMs + period <= now) {
        if (++steps > kMaxStepsPerTick) {
            FActivity.LastStepMs = now;
            break;
        }
        FActivity.LastStepMs += period;
        if (NextPosition(false))
            Arrive(FActivity.LastStepMs, rules);
    }
}

void TSimReceiver::ReportLevelChange(qint64 timeMs) {
    const int level = SampleAt(TunedHz(), timeMs).Level;
    if (FSettings.LevelOutput && level != FActivity.LastLevelSent) {
        FActivity.LastLevelSent = level;
        Send("LC" + SimText::HexLevel(level));
    }
}

void TSimReceiver::WatchStop(qint64 timeMs, const TStopRules& rules) {
    ReportLevelChange(timeMs);
    if (rules.DelayTenths == kSearchDelayHold)
        return;
    if (Opens(TunedHz(), timeMs, rules)) {
        FActivity.ClosedMs = -1;
        if (rules.PauseSeconds > 0 && timeMs - FActivity.StoppedMs >= rules.PauseSeconds * 1000)
            GoOn(timeMs);
        return;
    }
    if (FActivity.ClosedMs < 0)
        FActivity.ClosedMs = timeMs;
    if (timeMs - FActivity.ClosedMs >= rules.DelayTenths * 100)
        GoOn(timeMs);
}

void TSimReceiver::Arrive(qint64 timeMs, const TStopRules& rules) {
    if (!Opens(TunedHz(), timeMs, rules))
        return;
    FActivity.Stopped = true;
    FActivity.StoppedMs = timeMs;
    FActivity.ClosedMs = -1;
    ReportStop(timeMs);
}

void TSimReceiver::ReportStop(qint64 timeMs) {
    const qint64 hz = TunedHz();
    if (FMode == TSimMode::MemoryScan || FMode == TSimMode::SelectScan)
        Send("MX" + SimText::Digits(FChannel, 3));
    // The level goes first, so that the stop is reported with its own level.
    if (FSettings.LevelOutput) {
        FActivity.LastLevelSent = SampleAt(hz, timeMs).Level;
        Send("LC" + SimText::HexLevel(FActivity.LastLevelSent));
    }
    Send(SimText::Rf(hz));
    ++FHitsReported;
    if (FMode == TSimMode::ProgramSearch && FSettings.AutoStore > 0) {
        AutoStoreHit(hz);
        if (FSettings.AutoStore == 2)
            GoOn(timeMs);
    }
}

void TSimReceiver::AutoStoreHit(qint64 hz) {
    int free = -1;
    for (int channel = 0; channel < 100; ++channel) {
        const TRxDat& rec = Channel(channel);
        if (rec.Empty) {
            if (free < 0)
                free = channel;
        } else if (SimText::Hz(rec.Freq) == hz) {
            return;
        }
    }
    if (free < 0)
        return;
    TRxDat rec = FSearchBanks[static_cast<size_t>(FSearchBank)].Settings;
    rec.Freq = SimText::MHz(hz);
    rec.Text.clear();
    rec.MemoryPass = false;
    rec.SelectScan = false;
    rec.Empty = false;
    SetMemory(FBank, free, rec);
}

bool TSimReceiver::NextPosition(bool include) {
    switch (FMode) {
    case TSimMode::ProgramSearch:
        return NextSearchPosition(include);
    case TSimMode::VfoSearch:
        return NextVfoSearchPosition(include);
    case TSimMode::MemoryScan:
    case TSimMode::SelectScan: {
        const int from = FChannel;
        if (!NextChannel(include))
            return false;
        ReportHundredChange(from);
        return true;
    }
    case TSimMode::Vfo:
    case TSimMode::Memory:
        break;
    }
    return false;
}

int TSimReceiver::NextLinkedSearchBank() const {
    const TSearchGroupDat& group = FSearchGroups[static_cast<size_t>(FSettings.SearchGroup)];
    if (!group.Link)
        return FSearchBank;
    for (int i = 1; i < kSearchBankCount; ++i) {
        const int bank = (FSearchBank + i) % kSearchBankCount;
        if (group.LinkedBanks.at(bank) != u'-' && SearchBankUsed(bank))
            return bank;
    }
    return FSearchBank;
}

bool TSimReceiver::NextSearchPosition(bool include) {
    qint64 pos = FActivity.PosHz;
    for (int skip = 0; skip < kMaxSkips; ++skip) {
        const TSearchBankState& state = FSearchBanks[static_cast<size_t>(FSearchBank)];
        const qint64 lower = std::min(state.LowerHz, state.UpperHz);
        const qint64 upper = std::max(state.LowerHz, state.UpperHz);
        const qint64 step = std::max<qint64>(1, SimText::StepHz(state.Settings.Step));
        if (!include)
            pos += step;
        include = false;
        if (pos > upper) {
            const int next = NextLinkedSearchBank();
            if (next != FSearchBank) {
                FSearchBank = next;
                Send(SearchListLine(next));
                const TSearchBankState& nextState = FSearchBanks[static_cast<size_t>(next)];
                pos = std::min(nextState.LowerHz, nextState.UpperHz);
            } else {
                pos = lower;
            }
        }
        pos = std::max(pos, lower);
        if (!Passed(FSearchBank, pos, step)) {
            FActivity.PosHz = pos;
            return true;
        }
    }
    return false;
}

bool TSimReceiver::NextVfoSearchPosition(bool include) {
    const TRxDat& from = FVfos[static_cast<size_t>(FVfo)];
    const TRxDat& to = FVfos[static_cast<size_t>((FVfo + 1) % kVfoCount)];
    qint64 lower = std::min(SimText::Hz(from.Freq), SimText::Hz(to.Freq));
    qint64 upper = std::max(SimText::Hz(from.Freq), SimText::Hz(to.Freq));
    // With both on one frequency there is nothing between them: the whole range is searched.
    if (lower == upper) {
        lower = SimText::kMinHz;
        upper = SimText::kMaxHz;
    }
    const qint64 step = std::max<qint64>(1, SimText::StepHz(from.Step));
    qint64 pos = FActivity.PosHz;
    for (int skip = 0; skip < kMaxSkips; ++skip) {
        if (!include)
            pos += step;
        include = false;
        if (pos > upper || pos < lower)
            pos = lower;
        if (!Passed(kVfoPassBank, pos, step)) {
            FActivity.PosHz = pos;
            return true;
        }
    }
    return false;
}

bool TSimReceiver::NextChannel(bool include) {
    for (int i = include ? 0 : 1; i <= kChannelCount; ++i) {
        const int channel = (FChannel + i) % kChannelCount;
        if (ChannelScanned(channel)) {
            FChannel = channel;
            return true;
        }
    }
    return false;
}

void TSimReceiver::ReportHundredChange(int from) {
    if (FChannel / 100 == from / 100)
        return;
    // A stop here reports the channel anyway.
    if (!FFlood && Opens(TunedHz(), FActivity.LastStepMs, StopRules()))
        return;
    Send("MX" + SimText::Digits(FChannel, 3));
}

bool TSimReceiver::ChannelScanned(int channel) const {
    const TRxDat& rec = Channel(channel);
    if (rec.Empty || rec.MemoryPass)
        return false;
    if (FMode == TSimMode::SelectScan)
        return rec.SelectScan;
    const TScanGroupDat& group = FScanGroups[static_cast<size_t>(FSettings.ScanGroup)];
    const int hundred = channel / 100;
    const bool linked = group.Link && group.LinkedBanks.at(hundred) == QChar(u'0' + hundred);
    if (hundred != FActivity.Hundred && !linked)
        return false;
    return group.Mode == kScanModeFree || rec.Mode == group.Mode;
}

bool TSimReceiver::Passed(int list, qint64 hz, qint64 stepHz) const {
    const QList<qint64>& entries = FPassLists[static_cast<size_t>(list)];
    return std::any_of(entries.cbegin(), entries.cend(), [&](qint64 entry) {
        return 2 * std::abs(entry - hz) < stepHz || entry == hz;
    });
}

TSimReceiver::TStopRules TSimReceiver::StopRules() const {
    if (FMode == TSimMode::VfoSearch)
        return {FSettings.LevelSquelch, FSettings.VoiceSquelch, FSettings.DelayTenths, 0};
    if (FMode == TSimMode::ProgramSearch) {
        const TSearchGroupDat& group = FSearchGroups[static_cast<size_t>(FSettings.SearchGroup)];
        return {group.Level, group.VoiceLevel, group.Delay, group.Pause};
    }
    const TScanGroupDat& group = FScanGroups[static_cast<size_t>(FSettings.ScanGroup)];
    return {group.Level, group.VoiceLevel, group.Delay, group.Pause};
}

bool TSimReceiver::Opens(qint64 hz, qint64 timeMs, const TStopRules& rules) const {
    const TSimSample sample = SampleAt(hz, timeMs);
    return sample.Level >= SquelchThreshold() &&
           (rules.LevelSquelch == 0 || sample.Level >= rules.LevelSquelch) &&
           (rules.VoiceSquelch == 0 || sample.Voice);
}

qint64 TSimReceiver::StepPeriodMs() const {
    const bool search = FMode == TSimMode::ProgramSearch || FMode == TSimMode::VfoSearch;
    if (FSettings.CyberScan)
        return search ? kCyberSearchStepMs : kCyberScanStepMs;
    return search ? kSearchStepMs : kScanStepMs;
}
