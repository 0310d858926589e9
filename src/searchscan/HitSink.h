#pragma once

#include "Records.h"

#include <QString>

// What a search or scan stop is, once the page has shown it: the driver's record at the stop,
// with the channel and memory text a scan found in the memory table (-1 and "" otherwise).
struct THit {
    TRxDat Record;
    int Level = 0;
    int Channel = -1;
    QString MemoryText;
};

enum class THitSource { ProgramSearch, BankScan, SelectScan, VfoSearch };

// Where the pages hand every hit on: the hit log file, auto-store, auto-logging to the log
// table, WAV recording and priority watching are built on top of this. The pages
// call it at the points where those features act. THitKeeper keeps the hit log, auto-store and
// auto-logging; TNoHitSink does nothing.
class THitSink {
public:
    virtual ~THitSink() = default;

    // A search or scan starts: the hit log's header, the recording prepared.
    virtual void RunStarted(THitSource source, int bank) = 0;
    // One stop, after the page shows it.
    virtual void HitShown(THitSource source, const THit& hit) = 0;
    // The run has stopped: the stop line, the recording saved.
    virtual void RunStopped(THitSource source) = 0;
    // The nudge moved the receiver on: a per-hit recording in progress is saved.
    virtual void HitLeft(THitSource source) = 0;
};

class TNoHitSink final : public THitSink {
public:
    void RunStarted(THitSource, int) override {}
    void HitShown(THitSource, const THit&) override {}
    void RunStopped(THitSource) override {}
    void HitLeft(THitSource) override {}
};

// Recording hits to WAV files, as the hit keeper drives it alongside the hit log.
class THitRecording {
public:
    virtual ~THitRecording() = default;

    virtual void RunStarted(THitSource source) = 0;
    virtual void HitShown(THitSource source, const THit& hit) = 0;
    virtual void HitLeft(THitSource source) = 0;
    // Saves what the run recorded; the name of the one file recorded for the whole run, empty
    // when there was none (nothing recorded, or one file per hit).
    virtual QString RunStopped(THitSource source) = 0;
    // The recording position for a hit line; empty while no file is open.
    virtual QString Position() const = 0;
};
