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

void TLogWindowController::ApplyTableColours() {
    if (!FForm)
        return;
    const TTableColours colours = TableColours(FMain.Settings());
    FForm->SetLogGridColours(colours.Title, colours.Back, colours.Text);
}

TFormLog* TLogWindowController::Show() {
    if (!FForm) {
        FForm = new TFormLog(FMain);
        ApplyTableColours();
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
