#include "ClockController.h"

#include "FormClock.h"
#include "Main.h"

#include <QAction>

using namespace Qt::StringLiterals;

TClockController::TClockController(TMainForm& main)
    : QObject(&main)
    , FMain(main)
    , FClock1(main.findChild<QAction*>(u"Clock1"_s)) {
    if (FClock1)
        connect(FClock1, &QAction::triggered, this, &TClockController::Clock1Click);
    connect(&FMain, &TMainForm::SavingSettings, this, [this] {
        if (FForm)
            Keep(FForm->Options());
    });
}

TClockController::~TClockController() {
    delete FForm.data();
}

TFormClock* TClockController::FormClock() const {
    return FForm;
}

void TClockController::Clock1Click(bool checked) {
    if (checked && !FForm)
        Open();
    else if (!checked && FForm)
        FForm->close();
}

void TClockController::Open() {
    const TSettings& settings = FMain.Settings();
    FForm = new TFormClock(
        {{settings.ClockLeft, settings.ClockTop}, settings.ClockUTC, settings.ClockShowSeconds});
    connect(FForm, &TFormClock::Closed, this, [this](const TClockOptions& options) {
        Keep(options);
        if (FClock1)
            FClock1->setChecked(false);
    });
    FForm->show();
}

void TClockController::Keep(const TClockOptions& options) {
    TSettings& settings = FMain.Settings();
    settings.ClockLeft = options.Position.x();
    settings.ClockTop = options.Position.y();
    settings.ClockUTC = options.Utc;
    settings.ClockShowSeconds = options.ShowSeconds;
}
