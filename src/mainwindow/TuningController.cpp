#include "TuningController.h"

#include "AR5000.h"
#include "EnterEditNoMove.h"
#include "PageController.h"
#include "SquelchController.h"
#include "UpDown.h"
#include "VfoPanelController.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSlider>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

constexpr int kMemoryTuneSquelch = 100;
constexpr int kWheelNotch = 120;
constexpr int kMainPage = 0;
constexpr int kMemScanPage = 1;
constexpr int kSearchPage = 2;
constexpr QChar kVfoOrder[] = {u'A', u'B', u'C', u'D', u'E', u'M'};

QChar NeighbourVfo(QChar letter, int direction) {
    const auto* at = std::find(std::begin(kVfoOrder), std::end(kVfoOrder), letter);
    const auto count = static_cast<int>(std::size(kVfoOrder));
    const int index = at == std::end(kVfoOrder) ? 0 : static_cast<int>(at - std::begin(kVfoOrder));
    return kVfoOrder[static_cast<std::size_t>((index + direction + count) % count)];
}

bool IsPageKey(int key) {
    return key == Qt::Key_PageUp || key == Qt::Key_PageDown;
}

} // namespace

TTuningController::TTuningController(const TMainSheetWidgets& widgets, const TPanelContext& context,
                                     TVfoPanelController* panel, TSquelchController* squelch,
                                     TPageController* pages, QObject* parent)
    : QObject(parent)
    , FWidgets(widgets)
    , FContext(context)
    , FPanel(panel)
    , FSquelch(squelch)
    , FPages(pages) {
    FAutoTuneTimer.setObjectName(u"AutoTuneTimer"_s);
    FAutoTuneTimer.setInterval(kAutoTuneIntervalMs);
    connect(&FAutoTuneTimer, &QTimer::timeout, this, &TTuningController::AutoTuneTick);
    FAutoTuneGroup = {FWidgets.LockUpTuneSpeedButton, FWidgets.LockDownTuneSpeedButton};
    for (QToolButton* button : {FWidgets.LockUpTuneSpeedButton, FWidgets.LockDownTuneSpeedButton})
        connect(button, &QToolButton::clicked, this,
                [this, button](bool down) { AutoTuneClick(button, down); });
    connect(FWidgets.VfoABSweep1, &QAction::triggered, this,
            [this] { FSweepStartText = FWidgets.EditVco[0]->text(); });

    connect(FWidgets.SpinButton2, &TUpDown::ArrowClicked, this, [this](bool up) {
        if (FContext.Driver->Connected())
            up ? TuneUp() : TuneDown();
    });
    connect(FWidgets.AFC1, &QAction::triggered, this,
            [this](bool on) { FContext.Driver->SetAfc(on); });
    connect(FWidgets.mnuNoiseBlanker, &QAction::triggered, this,
            [this](bool on) { FContext.Driver->SetNoiseBlanker(on); });

    for (QObject* watched :
         {static_cast<QObject*>(FWidgets.EnterEdit1), static_cast<QObject*>(FWidgets.MemEdit),
          static_cast<QObject*>(FWidgets.btnAFC),
          static_cast<QObject*>(FWidgets.LockUpTuneSpeedButton)})
        watched->installEventFilter(this);
}

// ---------------------------------------------------------------------------------------------
// Tuning

void TTuningController::TuneUp() {
    Tune(true);
}

void TTuningController::TuneDown() {
    Tune(false);
}

void TTuningController::Tune(bool up) {
    TPanelState& state = *FContext.State;
    if (state.TuningInProgress)
        return;
    // Declared in this order so that, on every way out, the flag clears before OnVfoData is
    // attached again.
    const TVfoDataUnhooked unhooked(*FPanel);
    const QScopedValueRollback tuning(state.TuningInProgress, true);
    TAR5000& driver = *FContext.Driver;
    const QChar letter = state.CurrentVfo;
    if (letter == u'M')
        driver.SetSquelch(kMemoryTuneSquelch);

    if (up && letter == u'A' && FWidgets.VfoABSweep1->isChecked()) {
        // Climbs from the sweep start to VFO B's frequency, then jumps back to the start.
        const auto a = FPanel->ShownFrequency(u'A');
        const auto b = FPanel->ShownFrequency(u'B');
        if (!a || !b) {
            const QString bad = FPanel->Box(a ? u'B' : u'A')->text();
            FContext.ReportUnexpected(u"'%1' is not a valid floating point value"_s.arg(bad));
            return;
        }
        if (*a < *b)
            driver.StepUp();
        else
            driver.SetFrequency(u'A', driver.StrToFloatSafe(FSweepStartText));
    } else {
        up ? driver.StepUp() : driver.StepDown();
        if (letter == u'M')
            FContext.MemoryWindow().ApplyRowAntenna();
    }
    FPanel->ReadBackCurrent();
    if (IsVfoLetter(letter))
        if (const auto shown = FPanel->ShownFrequency(letter))
            state.VfoScaleWindow.MoveScaleTo(letter, *shown);
}

void TTuningController::SubStepTune(bool up) {
    TPanelState& state = *FContext.State;
    if (state.CurrentVfo == u'M')
        return;
    if (!state.SubStepActive) {
        // The sub-step is loaded once per press; a held key only repeats the tuning.
        state.SubStepActive = true;
        TAR5000& driver = *FContext.Driver;
        state.SavedStep = driver.StrToFloatSafe(FPanel->StepText());
        const QString subStep = FPanel->SubStepText();
        if (subStep == QLatin1StringView(kSubSteps[kSubStepMain])) {
            Tune(up);
            return;
        }
        const double kHz = subStep == QLatin1StringView(kSubSteps[kSubStepX10])
                               ? std::min(state.SavedStep * 10.0, kHighestSubStepKHz)
                               : driver.StrToFloatSafe(subStep);
        driver.SetStep(kHz);
    }
    Tune(up);
}

void TTuningController::NextVfo() {
    FPanel->MakeCurrent(NeighbourVfo(FContext.State->CurrentVfo, 1));
}

void TTuningController::PreviousVfo() {
    FPanel->MakeCurrent(NeighbourVfo(FContext.State->CurrentVfo, -1));
}

// ---------------------------------------------------------------------------------------------
// The window's keys

QWidget* TTuningController::Focused() const {
    return FWidgets.Page->window()->focusWidget();
}

bool TTuningController::FocusedNameStarts(const QString& prefix) const {
    const auto* box = qobject_cast<QLineEdit*>(Focused());
    return box && box->objectName().startsWith(prefix);
}

std::span<const TTuningController::TKeyBinding> TTuningController::KeyDownMap() {
    using M = TModifiers;
    using T = TTuningController;
    static constexpr TKeyBinding kMap[] = {
        {Qt::Key_M, M::CtrlShift, &T::ToggleMeter},   {Qt::Key_L, M::Ctrl, &T::QuickLog},
        {Qt::Key_P, M::Any, &T::TogglePriority},      {Qt::Key_F3, M::Ctrl, &T::QuickJump},
        {Qt::Key_Space, M::None, &T::SpaceKey},       {Qt::Key_PageUp, M::None, &T::PageUpKey},
        {Qt::Key_PageDown, M::None, &T::PageDownKey}, {Qt::Key_Left, M::None, &T::LeftKey},
        {Qt::Key_Right, M::None, &T::RightKey},       {Qt::Key_Up, M::None, &T::UpKey},
        {Qt::Key_Down, M::None, &T::DownKey},         {Qt::Key_A, M::None, &T::SelectVfo<u'A'>},
        {Qt::Key_F5, M::None, &T::SelectVfo<u'A'>},   {Qt::Key_B, M::None, &T::SelectVfo<u'B'>},
        {Qt::Key_F6, M::None, &T::SelectVfo<u'B'>},   {Qt::Key_C, M::None, &T::SelectVfo<u'C'>},
        {Qt::Key_F7, M::None, &T::SelectVfo<u'C'>},   {Qt::Key_D, M::None, &T::SelectVfo<u'D'>},
        {Qt::Key_F8, M::None, &T::SelectVfo<u'D'>},   {Qt::Key_E, M::None, &T::SelectVfo<u'E'>},
        {Qt::Key_F9, M::None, &T::SelectVfo<u'E'>},   {Qt::Key_F, M::None, &T::FocusEntry},
        {Qt::Key_F4, M::None, &T::FocusEntry},        {Qt::Key_M, M::None, &T::SelectMemory},
        {Qt::Key_F3, M::None, &T::SelectMemory},      {Qt::Key_V, M::None, &T::FocusVolume},
        {Qt::Key_F11, M::None, &T::ToggleSignal},     {Qt::Key_F12, M::None, &T::ToggleFreq},
    };
    return kMap;
}

bool TTuningController::KeyDown(int key, Qt::KeyboardModifiers modifiers) {
    if (FContext.RunFlags->PriorityCheckBusy || !FContext.Driver->Connected())
        return false;
    const int page = FPages->CurrentPage();
    if (page == kMemScanPage || page == kSearchPage) {
        if (!IsPageKey(key) || (modifiers & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        Q_EMIT PageNudgeRequested(page, key == Qt::Key_PageUp);
        return true;
    }
    if (page != kMainPage)
        return false;
    const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
    for (const TKeyBinding& binding : KeyDownMap()) {
        if (binding.Key != key)
            continue;
        const bool matches =
            binding.Modifiers == TModifiers::Any ||
            (binding.Modifiers == TModifiers::None && held == Qt::NoModifier) ||
            (binding.Modifiers == TModifiers::Ctrl && held == Qt::ControlModifier) ||
            (binding.Modifiers == TModifiers::CtrlShift &&
             held == (Qt::ControlModifier | Qt::ShiftModifier));
        if (matches)
            return (this->*binding.Action)();
    }
    return false;
}

bool TTuningController::KeyUp(int key, Qt::KeyboardModifiers modifiers) {
    if (FContext.RunFlags->PriorityCheckBusy)
        return false;
    TPanelState& state = *FContext.State;
    const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
    if (IsPageKey(key)) {
        // Only a press that loaded a sub-step has a main step to give back.
        if (state.SubStepActive && FocusedNameStarts(u"E"_s) && state.CurrentVfo != u'M') {
            FContext.Driver->SetStep(state.SavedStep);
            state.SubStepActive = false;
        }
        return false;
    }
    if (key == Qt::Key_Left || key == Qt::Key_Right) {
        if (held != Qt::ShiftModifier && held != Qt::ControlModifier &&
            (FocusedNameStarts(u"EditVco"_s) || Focused() == FWidgets.MemEdit))
            SwitchOnRelease();
        return false;
    }
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        if (FocusedNameStarts(u"E"_s))
            FPanel->ReadBackCurrent();
        return false;
    }
    return false;
}

void TTuningController::SwitchOnRelease() {
    TAR5000& driver = *FContext.Driver;
    const QChar letter = FContext.State->CurrentVfo;
    const int squelch = FSquelch->Value(letter);
    if (squelch <= kSquelchSwitchLimit)
        driver.SetSquelch(squelch);
    if (letter == u'M') {
        driver.MemoryRead();
        FContext.MemoryWindow().ApplyRowAntenna();
    }
    driver.ChangeVfo(letter);
    if (squelch > kSquelchSwitchLimit)
        driver.SetSquelch(squelch);
}

bool TTuningController::ToggleMeter() {
    Q_EMIT MeterToggleRequested();
    return true;
}

bool TTuningController::QuickLog() {
    Q_EMIT QuickLogRequested();
    return true;
}

bool TTuningController::TogglePriority() {
    FWidgets.PriorityCheckBox1->click();
    FPanel->FocusCurrentBox();
    return true;
}

bool TTuningController::QuickJump() {
    FWidgets.MemEdit->setFocus();
    FContext.MemoryWindow().QuickJump();
    return true;
}

bool TTuningController::SpaceKey() {
    const bool pressed = FWidgets.LockUpTuneSpeedButton->isChecked() ||
                         FWidgets.LockDownTuneSpeedButton->isChecked();
    if (pressed)
        ReleaseAutoTune();
    return pressed;
}

bool TTuningController::PageUpKey() {
    if (!FocusedNameStarts(u"E"_s) || FContext.State->CurrentVfo == u'M')
        return false;
    SubStepTune(true);
    return true;
}

bool TTuningController::PageDownKey() {
    if (!FocusedNameStarts(u"E"_s) || FContext.State->CurrentVfo == u'M')
        return false;
    SubStepTune(false);
    return true;
}

bool TTuningController::LeftKey() {
    if (!FocusedNameStarts(u"EditVco"_s))
        return false;
    PreviousVfo();
    return true;
}

bool TTuningController::RightKey() {
    if (!FocusedNameStarts(u"EditVco"_s))
        return false;
    NextVfo();
    return true;
}

bool TTuningController::UpKey() {
    if (!FocusedNameStarts(u"EditVco"_s))
        return false;
    TuneUp();
    return true;
}

bool TTuningController::DownKey() {
    if (!FocusedNameStarts(u"EditVco"_s))
        return false;
    TuneDown();
    return true;
}

template <char16_t Letter> bool TTuningController::SelectVfo() {
    const QChar letter(Letter);
    FPanel->Box(letter)->setFocus();
    FPanel->ClickBox(letter);
    return true;
}

bool TTuningController::FocusEntry() {
    FWidgets.EnterEdit1->setFocus();
    return true;
}

bool TTuningController::SelectMemory() {
    FWidgets.MemEdit->setFocus();
    FPanel->ClickBox(u'M');
    return true;
}

bool TTuningController::FocusVolume() {
    if (!FWidgets.VolumeControlTrackBar->isVisible())
        return false;
    FWidgets.VolumeControlTrackBar->setFocus();
    return true;
}

bool TTuningController::ToggleSignal() {
    if (!FWidgets.TimerCheckBox->isEnabled())
        return false;
    FWidgets.TimerCheckBox->click();
    return true;
}

bool TTuningController::ToggleFreq() {
    if (!FWidgets.FreqUpdateCheckBox->isEnabled())
        return false;
    FWidgets.FreqUpdateCheckBox->click();
    return true;
}

// ---------------------------------------------------------------------------------------------
// Keys of single controls, the wheel and the mouse

bool TTuningController::MemEditKeyDown(int key) {
    switch (key) {
    case Qt::Key_Left:
        PreviousVfo();
        return true;
    case Qt::Key_Right:
        NextVfo();
        return true;
    // The memory box steps the other way round from the VFO boxes.
    case Qt::Key_Up:
        TuneDown();
        return true;
    case Qt::Key_Down:
        TuneUp();
        return true;
    default:
        return false;
    }
}

void TTuningController::MemEditKeyUp(int key) {
    if (IsPageKey(key))
        FContext.MemoryWindow().StepRow(key == Qt::Key_PageUp ? -1 : 1);
}

bool TTuningController::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (watched == FWidgets.btnAFC && type == QEvent::MouseButtonPress) {
        ShowAfcMenu(static_cast<const QMouseEvent*>(event)->globalPosition().toPoint());
        return true;
    }
    if (watched == FWidgets.LockUpTuneSpeedButton && type == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        if (mouse->button() != Qt::RightButton)
            return false;
        FWidgets.LockUpTuneSpeedButtonPopupMenu->popup(mouse->globalPosition().toPoint());
        return true;
    }
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (watched == FWidgets.EnterEdit1) {
        if (type != QEvent::KeyPress || (key->key() != Qt::Key_Up && key->key() != Qt::Key_Down))
            return false;
        key->key() == Qt::Key_Up ? TuneUp() : TuneDown();
        return true;
    }
    if (watched == FWidgets.MemEdit) {
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        if (type == QEvent::KeyPress)
            return MemEditKeyDown(key->key());
        if (!key->isAutoRepeat())
            MemEditKeyUp(key->key());
    }
    return false;
}

bool TTuningController::Wheel(const QWheelEvent* event) {
    // A fast wheel while a step still waits on the receiver is dropped, not stored up.
    if (FContext.State->TuningInProgress) {
        FWheelDelta = 0;
        return true;
    }
    FWheelDelta += event->angleDelta().y();
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
    while (std::abs(FWheelDelta) >= kWheelNotch && !FContext.State->TuningInProgress) {
        const bool up = FWheelDelta > 0;
        FWheelDelta += up ? -kWheelNotch : kWheelNotch;
        WheelNotch(up, shift);
    }
    return true;
}

void TTuningController::WheelNotch(bool up, bool shift) {
    const int key =
        up ? (shift ? Qt::Key_PageUp : Qt::Key_Up) : (shift ? Qt::Key_PageDown : Qt::Key_Down);
    const auto* box = qobject_cast<QLineEdit*>(Focused());
    if (!box)
        return;
    const QString name = box->objectName();
    if (name.startsWith(u"EditVco"_s) || (name.startsWith(u"EnterEdit"_s) && IsPageKey(key))) {
        KeyDown(key, Qt::NoModifier);
        KeyUp(key, Qt::NoModifier);
    } else if (box == FWidgets.EnterEdit1) {
        key == Qt::Key_Up ? TuneUp() : TuneDown();
    } else if (box == FWidgets.MemEdit) {
        MemEditKeyDown(key);
        MemEditKeyUp(key);
    }
}

void TTuningController::ShowAfcMenu(const QPoint& globalPos) {
    TAR5000& driver = *FContext.Driver;
    if (!driver.Connected())
        return;
    FWidgets.AFC1->setChecked(driver.GetAF());
    FWidgets.mnuNoiseBlanker->setChecked(driver.GetNB());
    FWidgets.PopupMenuAFC->popup(globalPos);
}

// ---------------------------------------------------------------------------------------------
// Auto tune

void TTuningController::AutoTuneClick(QAbstractButton* button, bool down) {
    TAR5000& driver = *FContext.Driver;
    const bool needsRemote = button == FWidgets.LockUpTuneSpeedButton;
    if (!driver.Connected() || (needsRemote && !driver.Remote()) ||
        FContext.State->CurrentVfo == u'M') {
        button->setChecked(false);
        return;
    }
    if (down) {
        for (const QPointer<QAbstractButton>& other : std::as_const(FAutoTuneGroup)) {
            if (other && other != button && other->isChecked()) {
                const QSignalBlocker blocker(other);
                other->setChecked(false);
            }
        }
        FAutoTuneTimer.start();
        return;
    }
    FAutoTuneTimer.stop();
    if (FWidgets.TimerCheckBox->isChecked())
        driver.FSetTimerStatus(true);
}

void TTuningController::AutoTuneTick() {
    if (FWidgets.LockUpTuneSpeedButton->isChecked())
        TuneUp();
    else if (FWidgets.LockDownTuneSpeedButton->isChecked())
        TuneDown();
    else
        FAutoTuneTimer.stop(); // another button of the group took over
}

void TTuningController::ReleaseAutoTune() {
    for (QToolButton* button : {FWidgets.LockUpTuneSpeedButton, FWidgets.LockDownTuneSpeedButton}) {
        if (button->isChecked()) {
            button->setChecked(false);
            AutoTuneClick(button, false);
        }
    }
}

void TTuningController::StopReceiverActivity() {
    Q_EMIT StopScansRequested();
    ReleaseAutoTune();
}

void TTuningController::SetAutoTuneEnabled(bool on) {
    FWidgets.LockUpTuneSpeedButton->setEnabled(on);
    FWidgets.LockDownTuneSpeedButton->setEnabled(on);
}

void TTuningController::AddToAutoTuneGroup(QAbstractButton* button) {
    FAutoTuneGroup.append(button);
    connect(button, &QAbstractButton::toggled, this, [this, button](bool down) {
        if (!down)
            return;
        for (const QPointer<QAbstractButton>& other : std::as_const(FAutoTuneGroup)) {
            if (other && other != button && other->isChecked()) {
                const QSignalBlocker blocker(other);
                other->setChecked(false);
            }
        }
    });
}
