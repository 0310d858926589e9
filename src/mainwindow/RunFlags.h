#pragma once

// What runs on the receiver right now; the rules that refuse closing or changing page read it.
struct TRunFlags {
    bool SearchRunning = false;
    bool ScanRunning = false;
    bool SelectScanRunning = false;
    bool PriorityCheckBusy = false;
};
