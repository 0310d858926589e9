#include "SignalMonitorController.h"

#include "LinkController.h"
#include "Main.h"
#include "SignalMonitorUnit.h"

#include <QAction>
#include <QCheckBox>
#include <QToolButton>

using namespace Qt::StringLiterals;

TSignalMonitorController::TSignalMonitorController(TMainForm& main, TDataModule1& data,
                                                   std::function<void()> closeLogWindow,
                                                   QObject* parent)
    : QObject(parent)
    , FMain(main)
    , FData(data)
    , FCloseLogWindow(std::move(closeLogWindow)) {
    if (auto* item = FMain.findChild<QAction*>(u"Longtermsignallog1"_s))
        connect(item, &QAction::triggered, this,
                &TSignalMonitorController::Longtermsignallog1Click);
    // A link lost without closing says only LinkClosed; a closing one says both, and the
    // first stops the log while the receiver still answers.
    connect(FMain.Link(), &TLinkController::LinkClosing, this,
            &TSignalMonitorController::StopRunningMonitor);
    connect(FMain.Link(), &TLinkController::LinkClosed, this,
            &TSignalMonitorController::StopRunningMonitor);
}

TSignalMonitorController::~TSignalMonitorController() {
    delete FForm.data();
}

TFormSignalMonitor* TSignalMonitorController::Form() const {
    return FForm;
}

void TSignalMonitorController::Longtermsignallog1Click() {
    // Level polling, priority watching and auto-tune would all talk to the receiver between the
    // log's own requests.
    for (const QString& name : {u"TimerCheckBox"_s, u"PriorityCheckBox1"_s}) {
        if (auto* box = FMain.findChild<QCheckBox*>(name))
            box->setChecked(false);
    }
    // Auto-tune listens to clicks only.
    if (auto* autoTune = FMain.findChild<QToolButton*>(u"LockUpTuneSpeedButton"_s);
        autoTune && autoTune->isChecked())
        autoTune->click();
    if (!FForm) {
        FForm = new TFormSignalMonitor(FMain, std::make_unique<TDataModuleSignalLogSet>(FData),
                                       FCloseLogWindow);
        FForm->setAttribute(Qt::WA_DeleteOnClose);
    }
    FForm->show();
    FForm->raise();
    FForm->activateWindow();
}

void TSignalMonitorController::StopRunningMonitor() {
    if (FForm && FForm->Running())
        FForm->BitBtnStopClick();
}
