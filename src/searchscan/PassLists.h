#pragma once

#include "SearchScanContext.h"

#include <QObject>

class QMenu;
class TPassForm;
class TScanMemoryTable;
class TScanPageController;
class TSearchPageController;
class TVfoSearchController;

// The receiver's pass lists and the channels' pass flags: the pass-list window opened from the
// search page and the VFO search menu, adding a hit's frequency to the running search's list,
// and "-Pass", clearing every pass flag of one memory bank in the table and the receiver.
class TPassLists : public QObject {
    Q_OBJECT

public:
    TPassLists(const TSearchScanContext& context, TRunControls* run, TScanMemoryTable& table,
               TSearchPageController* search, TScanPageController* scan,
               TVfoSearchController* vfoSearch, QObject* parent);

    // Bank 0..19, or kVfoPassBank; shown modally while the receiver reports it.
    void ShowPassList(int list);
    // "Add to PassFreqs" and the VFO search's "+Pass": asks, then the receiver adds the frequency
    // to the list of the search it runs.
    void AddPassFrequency(const QString& frequencyText);
    void SpeedButtonClearPassFreqsClick();
    void ClearPass0Click(int bank);
    // False when it stopped early (the reason is in the messages window).
    bool ClearPassFreqsByBank(int bank);

    QMenu* PopupMenuClearPassFreqsByBank() const { return FClearMenu; }

private:
    bool VfoListInUse() const;
    // The receiver back on the VFO or channel the panel shows.
    void ReturnReceiver();

    TSearchScanContext FContext;
    TRunControls* FRun;
    TScanMemoryTable& FTable;
    TSearchPageController* FSearch;
    TVfoSearchController* FVfoSearch;
    QMenu* FClearMenu;
};
