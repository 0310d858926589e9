#include "SearchScanContext.h"

#include "AR5000.h"
#include "Main.h"
#include "MainSheet.h"
#include "Prompt.h"
#include "SquelchController.h"
#include "VfoPanelController.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QSpinBox>

using namespace Qt::StringLiterals;

TPanelState& TSearchScanContext::State() const {
    return Sheet->State();
}

TMemoryWindowLink& TSearchScanContext::MemoryWindow() const {
    return Form->MemoryWindow();
}

QCheckBox* TSearchScanContext::TimerCheckBox() const {
    return Sheet->Widgets().TimerCheckBox;
}

void TSearchScanContext::Report(const QString& text) const {
    Form->ReportMessage(text);
}

void TSearchScanContext::AddMessage(const QString& text) const {
    Form->AddMessage(text);
}

bool TSearchScanContext::Connected() const {
    return Driver->Connected();
}

void TSearchScanContext::StopSignalPolling() const {
    TimerCheckBox()->setChecked(false);
}

TRunControls::TRunControls(const TSearchScanContext& context, QObject* parent)
    : QObject(parent)
    , FContext(context) {}

void TRunControls::SetRunControlsEnabled(bool on) {
    // The Tools and Help menus stay: the messages and comms windows are wanted during a run.
    for (QAction* menu : FContext.Form->menuBar()->actions()) {
        if (menu->text() == u"&File"_s || menu->text() == u"&Setup"_s)
            menu->setEnabled(on);
    }
    if (auto* reset = FContext.Form->findChild<QAction*>(u"ResetFlags1"_s))
        reset->setEnabled(on);
    Q_EMIT RunControlsEnabled(on);
}

void TRunControls::ReselectCurrentVfo(bool withSquelch) {
    if (!FContext.Connected())
        return;
    const QChar letter = FContext.State().CurrentVfo;
    if (IsVfoLetter(letter)) {
        TRxDat rec;
        FContext.Driver->SetVfo(letter, rec);
    } else {
        FContext.Driver->MemoryRead();
    }
    if (withSquelch)
        FContext.Driver->SetSquelch(FContext.Sheet->Squelch()->Value(letter));
}

void TRunControls::ResetFlags1Click() {
    const QString question = u"Bad data from Rx could cause\r\nflags to stick and timeouts\r\n"
                             u"This will clear flags without\r\nrestarting "_s +
                             FContext.Form->windowTitle();
    if (!Prompt().Confirm(FContext.Form->windowTitle(), question))
        return;
    FContext.Driver->ResetFlags();
    const TMainSheetWidgets& sheet = FContext.Sheet->Widgets();
    sheet.TimerCheckBox->setChecked(false);
    sheet.FreqUpdateCheckBox->setChecked(false);
    QApplication::restoreOverrideCursor();
    SetRunControlsEnabled(true);
    FContext.Sheet->VfoPanel()->SetVfoPanelEnabled(true);
    FContext.State().TuningInProgress = false;
    FContext.RunFlags->SearchRunning = false;
    FContext.RunFlags->ScanRunning = false;
    FContext.RunFlags->SelectScanRunning = false;
    sheet.PriorityCheckBox1->setEnabled(true);
    FContext.Form->MemoryWindow().ResetRunControls();
    Q_EMIT FlagsReset();
}

TNumericKeys::TNumericKeys(QLineEdit* box, TKind kind, std::function<void()> onEnter)
    : QObject(box)
    , FKind(kind)
    , FOnEnter(std::move(onEnter)) {
    box->installEventFilter(this);
}

bool TNumericKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        if (FOnEnter)
            FOnEnter();
        return true;
    }
    const QString text = key->text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return false;
    const QChar c = text.at(0);
    if (FKind == TKind::Integer)
        return c == u'+' || c == u'-' || c.isLetter();
    if (FKind == TKind::Digits)
        return !c.isDigit();
    return !(c.isDigit() || c == u',' || c == u'.');
}

void InsertAboveExit(QMenu* file, const QList<QAction*>& items) {
    const QList<QAction*> present = file->actions();
    qsizetype at = present.size();
    while (at > 0 && present[at - 1]->objectName() != u"FileExitItem"_s)
        --at;
    if (at > 1 && present[at - 2]->isSeparator())
        --at;
    file->insertActions(at > 0 ? present[at - 1] : nullptr, items);
}

QMenu* MainMenuTitled(TMainForm& form, const QString& title) {
    for (QAction* action : form.menuBar()->actions()) {
        if (action->text() == title)
            return action->menu();
    }
    return nullptr;
}
