#pragma once

#include "HitSink.h"
#include "ScanMemoryTable.h"
#include "SearchScanContext.h"

#include <QObject>

#include <memory>

class QAction;
class TMainForm;
class TPassLists;
class TPriorityController;
class TScanPageController;
class TSearchPageController;
class THitKeeper;
class TVfoSearchController;

// The search and scan pages of the main window, made by the application once the main window
// exists: the pages' controllers, the rules they share and the Tools menu's "Reset Flags". The
// main window knows nothing of this library; it only offers its empty pages and its signals.
class TSearchScan : public QObject {
    Q_OBJECT

public:
    // `table` is where scan stops are looked up (none when null); `hits` receives every hit
    // (the hit log, auto-store and auto-logging of THitKeeper when null).
    explicit TSearchScan(TMainForm& form, std::unique_ptr<TScanMemoryTable> table = nullptr,
                         std::unique_ptr<THitSink> hits = nullptr);
    ~TSearchScan() override;

    TRunControls* RunControls() const { return FRun; }
    TSearchPageController* SearchPage() const { return FSearchPage; }
    TScanPageController* ScanPage() const { return FScanPage; }
    TScanMemoryTable& ScanTable() const { return *FTable; }
    TVfoSearchController* VfoSearch() const { return FVfoSearch; }
    TPriorityController* Priority() const { return FPriority; }
    TPassLists* PassLists() const { return FPassLists; }
    THitSink& Hits() const { return *FHits; }
    // The hit log, auto-store and auto-logging; null when another sink was given.
    THitKeeper* HitKeeper() const { return FHitKeeper; }

private:
    std::unique_ptr<THitSink> FHits;
    std::unique_ptr<TScanMemoryTable> FTable;
    TSearchScanContext FContext;
    TRunControls* FRun = nullptr;
    TSearchPageController* FSearchPage = nullptr;
    TScanPageController* FScanPage = nullptr;
    TVfoSearchController* FVfoSearch = nullptr;
    TPriorityController* FPriority = nullptr;
    TPassLists* FPassLists = nullptr;
    QAction* FResetFlags = nullptr;
    THitKeeper* FHitKeeper = nullptr;
};
