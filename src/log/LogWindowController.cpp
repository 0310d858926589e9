#include "LogWindowController.h"

#include "ColorNumber.h"
#include "Main.h"
#include "MainSheet.h"
#include "TuningController.h"
#include "UnitLog.h"

#include <QAction>
#include <QPushButton>

using namespace Qt::StringLiterals;

TLogWindowController::TLogWindowController(TMainForm& main, QObject* parent)
    : QObject(parent)
    , FMain(main) {
    connect(main.MainSheet()->Widgets().LogTableButton, &QPushButton::clicked, this,
            &TLogWindowController::Toggle);
    connect(main.MainSheet()->Tuning(), &TTuningController::QuickLogRequested, this,
            &TLogWindowController::QuickLog);
    connect(&main, &TMainForm::Closed, this, [this] {
        if (FForm)
            FForm->close();
    });
}

TLogWindowController::~TLogWindowController() {
    delete FForm.data();
}

TFormLog* TLogWindowController::FormLog() const {
    return FForm.data();
}

TFormLog* TLogWindowController::Show() {
    if (!FForm) {
        FForm = new TFormLog(FMain);
        const TSettings& settings = FMain.Settings();
        FForm->SetLogGridColours(ColorFromNumber(settings.TableTitleColor, QColor(165, 165, 165)),
                                 ColorFromNumber(settings.TableBackColor, Qt::black),
                                 ColorFromNumber(settings.TableTextColor, QColor(0, 255, 0)));
        connect(FForm, &TFormLog::LogButtonRequested, this, [this] {
            FMain.MainSheet()->Widgets().LogTableButton->click();
            if (FForm)
                FForm->activateWindow();
        });
        Q_EMIT FormLogCreated(FForm);
    }
    FForm->show();
    FForm->raise();
    return FForm;
}

void TLogWindowController::Toggle() {
    if (FForm) {
        FForm->close();
        return;
    }
    Show();
}

void TLogWindowController::QuickLog() {
    TFormLog* form = Show();
    form->activateWindow();
    if (auto* add = form->findChild<QAction*>(u"ActionLog"_s)) {
        form->UpdateActionsNow();
        if (add->isEnabled())
            add->trigger();
    }
}
