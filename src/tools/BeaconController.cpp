#include "BeaconController.h"

#include "BeaconsForm.h"
#include "ClockSetter.h"
#include "Main.h"

#include <QAction>

using namespace Qt::StringLiterals;

TBeaconController::TBeaconController(TMainForm& main, QObject* parent)
    : QObject(parent)
    , MakeClockSetter(MakeSystemClockSetter)
    , FMain(main) {
    if (auto* item = FMain.findChild<QAction*>(u"mnuIARUBeacons1"_s))
        connect(item, &QAction::triggered, this, &TBeaconController::mnuIARUBeacons1Click);
}

TBeaconController::~TBeaconController() {
    delete FForm.data();
}

TfrmBeacons* TBeaconController::Form() const {
    return FForm;
}

void TBeaconController::mnuIARUBeacons1Click() {
    if (!FForm) {
        FForm = new TfrmBeacons(FMain, MakeClockSetter());
        FForm->setAttribute(Qt::WA_DeleteOnClose);
        FForm->SendCallSign = SendCallSign;
        FForm->Qd3Clicked = Qd3Clicked;
        FForm->ShowHelp = ShowHelp;
    }
    FForm->show();
    FForm->raise();
    FForm->activateWindow();
}
