#include "SearchScan.h"

#include "AR5000.h"
#include "HitKeeper.h"
#include "LinkController.h"
#include "Main.h"
#include "MainSheet.h"
#include "PageController.h"
#include "PassLists.h"
#include "PriorityPage.h"
#include "ScanMemoryTable.h"
#include "ScanPage.h"
#include "SearchPage.h"
#include "TuningController.h"
#include "VfoSearch.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

using namespace Qt::StringLiterals;

namespace {

constexpr int kScanPage = 1;
constexpr int kSearchPage = 2;
constexpr int kPriorityPage = 3;

} // namespace

TSearchScan::TSearchScan(TMainForm& form, std::unique_ptr<TScanMemoryTable> table,
                         std::unique_ptr<THitSink> hits)
    : QObject(&form)
    , FHits(std::move(hits))
    , FTable(table ? std::move(table) : std::make_unique<TNoScanMemoryTable>()) {
    FContext.Form = &form;
    FContext.Sheet = form.MainSheet();
    FContext.Driver = form.Driver();
    FContext.RunFlags = &form.RunFlags();
    if (!FHits) {
        auto keeper = std::make_unique<THitKeeper>(FContext, *FTable);
        FHitKeeper = keeper.get();
        FHits = std::move(keeper);
    }
    FContext.Hits = FHits.get();
    FRun = new TRunControls(FContext, this);
    FSearchPage = new TSearchPageController(form.findChild<QWidget*>(u"FSearchSheet"_s), FContext,
                                            FRun, this);
    FScanPage = new TScanPageController(form.findChild<QWidget*>(u"MemSheet"_s), FContext, FRun,
                                        *FTable, this);
    FVfoSearch = new TVfoSearchController(FContext, this);
    FPriority =
        new TPriorityController(form.findChild<QWidget*>(u"PrioritySheet"_s), FContext, this);
    FPassLists = new TPassLists(FContext, FRun, *FTable, FSearchPage, FScanPage, FVfoSearch, this);

    if (QMenu* tools = MainMenuTitled(form, u"&Tools"_s)) {
        FResetFlags = tools->addAction(u"Reset Flags"_s);
        FResetFlags->setObjectName(u"ResetFlags1"_s);
        FResetFlags->setStatusTip(u"If timout due to bad comms"_s);
        FResetFlags->setToolTip(u"If timout due to bad comms"_s);
        connect(FResetFlags, &QAction::triggered, FRun, &TRunControls::ResetFlags1Click);
    }
    connect(FRun, &TRunControls::FlagsReset, FSearchPage, &TSearchPageController::ResetToIdle);
    connect(FRun, &TRunControls::FlagsReset, FScanPage, &TScanPageController::ResetToIdle);
    connect(FRun, &TRunControls::FlagsReset, FVfoSearch, &TVfoSearchController::ResetToIdle);

    TPageController* pages = form.MainSheet()->Pages();
    connect(pages, &TPageController::PageSetUpRequested, this, [this](int page) {
        if (page == kSearchPage)
            FSearchPage->RefreshSearchPage();
        else if (page == kScanPage)
            FScanPage->LoadScanGroup(true);
        else if (page == kPriorityPage)
            FPriority->PageEntered();
    });
    connect(form.MainSheet()->Tuning(), &TTuningController::PageNudgeRequested, this,
            [this](int page, bool up) {
                if (page == kSearchPage)
                    FSearchPage->Nudge(up);
                else if (page == kScanPage)
                    FScanPage->Nudge(up);
            });
    connect(form.MainSheet()->Tuning(), &TTuningController::StopScansRequested, this, [this] {
        if (FSearchPage->Running())
            FSearchPage->SearchStopButtonClick();
        if (FScanPage->Running())
            FScanPage->StopScanButtonClick();
        if (FVfoSearch->Running())
            FVfoSearch->VfoSearchButtonClick(false);
    });
    connect(form.Link(), &TLinkController::LinkOpened, FScanPage,
            &TScanPageController::LoadScanBank);
    connect(form.Link(), &TLinkController::LinkClosing, FScanPage,
            &TScanPageController::SaveScanBank);
    connect(form.Link(), &TLinkController::LinkOpened, FPriority,
            &TPriorityController::LoadPrioritySettings);
    connect(form.Link(), &TLinkController::LinkClosing, FPriority,
            &TPriorityController::SavePrioritySettings);
    // A lost or closed link ends a run where it stands: nothing more can be sent.
    connect(form.Driver(), &TAR5000::LinkLost, FSearchPage, &TSearchPageController::LinkGone);
    connect(form.Link(), &TLinkController::LinkClosed, FSearchPage,
            &TSearchPageController::LinkGone);
    connect(form.Driver(), &TAR5000::LinkLost, FScanPage, &TScanPageController::LinkGone);
    connect(form.Link(), &TLinkController::LinkClosed, FScanPage, &TScanPageController::LinkGone);
    connect(form.Driver(), &TAR5000::LinkLost, FVfoSearch, &TVfoSearchController::LinkGone);
    connect(form.Link(), &TLinkController::LinkClosed, FVfoSearch, &TVfoSearchController::LinkGone);
    connect(form.Driver(), &TAR5000::LinkLost, FPriority, &TPriorityController::LinkGone);
    connect(form.Link(), &TLinkController::LinkClosed, FPriority, &TPriorityController::LinkGone);
    // Last, so that a run ended by a closed link writes its stop line before the log closes.
    if (FHitKeeper) {
        FHitKeeper->Attach(FSearchPage, FScanPage);
        connect(FRun, &TRunControls::FlagsReset, FHitKeeper, &THitKeeper::ResetFlags);
    }
}

TSearchScan::~TSearchScan() = default;
