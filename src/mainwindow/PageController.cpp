#include "PageController.h"

#include "AR5000.h"

#include <QAction>
#include <QCheckBox>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTabWidget>

using namespace Qt::StringLiterals;

namespace {

constexpr int kMainPage = 0;
constexpr int kMemScanPage = 1;
constexpr int kSearchPage = 2;

// Menu items that only make sense on the Main page. Items of windows not built yet are skipped.
constexpr const char16_t* kMainPageOnly[] = {u"Longtermsignallog1", u"mnuIARUBeacons1"};
constexpr const char16_t* kNotOnScanPages[] = {u"GetDTMFMenuIItem", u"TuningScales1"};

} // namespace

TPageController::TPageController(QTabWidget* pages, const TMainSheetWidgets& widgets,
                                 const TPanelContext& context, QObject* parent)
    : QObject(parent)
    , FPages(pages)
    , FWidgets(widgets)
    , FContext(context)
    , FShownPage(pages->currentIndex()) {
    connect(FPages, &QTabWidget::currentChanged, this, &TPageController::CurrentChanged);
}

int TPageController::CurrentPage() const {
    return FPages->currentIndex();
}

void TPageController::ShowPageQuietly(int index) {
    const QScopedValueRollback quiet(FQuiet, true);
    FPages->setCurrentIndex(index);
}

bool TPageController::Refused() const {
    const TRunFlags& flags = *FContext.RunFlags;
    if (flags.SearchRunning || flags.ScanRunning || flags.SelectScanRunning)
        return true;
    if (FWidgets.PriorityCheckBox1->isChecked()) {
        FContext.Report(u"Turn off Priority first"_s);
        return true;
    }
    return false;
}

void TPageController::EnableMenuItems(std::span<const char16_t* const> names, bool on) const {
    for (const char16_t* name : names) {
        if (auto* action = FPages->window()->findChild<QAction*>(QString::fromUtf16(name)))
            action->setEnabled(on);
    }
}

void TPageController::CurrentChanged(int index) {
    if (index < 0) // the pages are going away with the window
        return;
    if (FQuiet || index == FShownPage) {
        FShownPage = index;
        return;
    }
    if (Refused()) {
        // Qt has no veto before the change: the page shown before is put back at once.
        const QSignalBlocker blocker(FPages);
        FPages->setCurrentIndex(FShownPage);
        return;
    }
    FShownPage = index;
    if (!FContext.Driver->Connected())
        return;
    EnableMenuItems(kMainPageOnly, index == kMainPage);
    if (index != kMainPage) {
        Q_EMIT MainPageLeft();
        FWidgets.TimerCheckBox->setChecked(false);
    }
    if (index == kMemScanPage || index == kSearchPage) {
        Q_EMIT ScanPageEntered(index);
        EnableMenuItems(kNotOnScanPages, false);
        FPages->setEnabled(false);
        Q_EMIT PageSetUpRequested(index);
        FPages->setEnabled(true);
    } else if (index == kMainPage) {
        EnableMenuItems(kNotOnScanPages, true);
        Q_EMIT MainPageEntered();
    } else {
        EnableMenuItems(kNotOnScanPages, false);
        Q_EMIT PageSetUpRequested(index);
    }
}
