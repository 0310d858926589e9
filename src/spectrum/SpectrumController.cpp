#include "SpectrumController.h"

#include "Main.h"
#include "PriorityPage.h"
#include "SearchScan.h"
#include "SpecAnalyserUnit.h"
#include "VfoSearch.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>

using namespace Qt::StringLiterals;

TSpectrumController::TSpectrumController(TMainForm& main, TSearchScan* searchScan,
                                         std::function<void()> closeLogWindow, QObject* parent)
    : QObject(parent)
    , FMain(main)
    , FSearchScan(searchScan)
    , FCloseLogWindow(std::move(closeLogWindow)) {
    if (auto* item = FMain.findChild<QAction*>(u"SpecAnalyser1"_s))
        connect(item, &QAction::triggered, this, &TSpectrumController::SpecAnalyser1Click);
    // The VFO search's options dialog is made on demand, as a child of the main window: once it
    // is complete, it learns whether a sweep should follow its squelch.
    FMain.installEventFilter(this);
}

TSpectrumController::~TSpectrumController() {
    delete FForm.data();
}

TSpecAnalyserForm* TSpectrumController::Form() const {
    return FForm;
}

bool TSpectrumController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &FMain && event->type() == QEvent::ChildPolished) {
        auto* child = static_cast<QChildEvent*>(event)->child();
        if (auto* dialog = qobject_cast<TSetUpVfoSearchForm*>(child)) {
            dialog->SpectrumVisible = [form = FForm] {
                return form && form->isVisible();
            };
        }
    }
    return QObject::eventFilter(watched, event);
}

void TSpectrumController::SpecAnalyser1Click() {
    if (!FForm) {
        TSweepNeighbours neighbours;
        neighbours.CloseLogWindow = FCloseLogWindow;
        if (FSearchScan) {
            TVfoSearchController* vfoSearch = FSearchScan->VfoSearch();
            neighbours.VfoSearchSquelch = [vfoSearch] {
                return vfoSearch->VfoSearchSquelch;
            };
            neighbours.VfoOptionsPopupMenu = vfoSearch->VfoOptionsPopupMenu();
            TPriorityController* priority = FSearchScan->Priority();
            neighbours.StopPriority = [priority] {
                if (priority->PriorityCheckBox1()->isChecked()) {
                    priority->PriorityCheckBox1()->setChecked(false);
                    priority->PriorityCheckBox1Click(false);
                }
            };
        }
        FForm = new TSpecAnalyserForm(FMain, std::move(neighbours));
        FForm->setAttribute(Qt::WA_DeleteOnClose);
    }
    FForm->show();
    FForm->raise();
    FForm->activateWindow();
}
