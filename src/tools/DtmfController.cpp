#include "DtmfController.h"

#include "GetDtmfForm.h"
#include "Main.h"
#include "MainSheet.h"

#include <QAction>
#include <QCheckBox>

using namespace Qt::StringLiterals;

TDtmfController::TDtmfController(TMainForm& main)
    : QObject(&main)
    , FMain(main) {
    if (auto* item = FMain.findChild<QAction*>(u"GetDTMFMenuIItem"_s))
        connect(item, &QAction::triggered, this, &TDtmfController::GetDTMFMenuIItemClick);
}

void TDtmfController::GetDTMFMenuIItemClick() {
    // Priority watching would switch the receiver away from the channel being listened to.
    FMain.MainSheet()->Widgets().PriorityCheckBox1->setChecked(false);
    TGetDtmfForm form(FMain);
    form.exec();
}
