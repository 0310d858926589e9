#pragma once

// What runs on the receiver right now; the rules that refuse closing or changing page read it.
struct TRunFlags {
    bool SearchRunning = false;
    bool ScanRunning = false;
    bool SelectScanRunning = false;
    bool PriorityCheckBusy = false;
    // The spectrum window's sweep holds the receiver in a VFO search of its own; the VFO pass
    // list is then read-only.
    bool SweepRunning = false;
    // A memory transfer or another long run of the memory window holds the receiver.
    bool TransferRunning = false;
};
