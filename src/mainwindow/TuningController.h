#pragma once

#include "MainSheet.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <span>

class QAbstractButton;
class QWheelEvent;
class TPageController;

// Tuning by keys, wheel, spin buttons and the two auto-tune buttons, the window's whole key map,
// and the AFC / noise-blanker menu. One tuning step at a time: a request while a step (with its
// read-back) is still waiting on the receiver is dropped, never queued.
class TTuningController : public QObject {
    Q_OBJECT

public:
    static constexpr int kAutoTuneIntervalMs = 100;
    static constexpr double kHighestSubStepKHz = 500.0;

    TTuningController(const TMainSheetWidgets& widgets, const TPanelContext& context,
                      TVfoPanelController* panel, TSquelchController* squelch,
                      TPageController* pages, QObject* parent);

    void TuneUp();
    void TuneDown();
    // One step with the sub-step while a page key is held (PgUp up, PgDn down).
    void SubStepTune(bool up);
    void NextVfo();
    void PreviousVfo();

    // The window's key handling, before the focused control sees the key. True when the key
    // was used up.
    bool KeyDown(int key, Qt::KeyboardModifiers modifiers);
    bool KeyUp(int key, Qt::KeyboardModifiers modifiers);
    // A wheel event anywhere over the window; always used up.
    bool Wheel(const QWheelEvent* event);

    // Releases a pressed auto-tune button, running its click handling (the timer stops).
    void ReleaseAutoTune();
    // Before long transfers: running scans and searches are stopped, auto tune released.
    void StopReceiverActivity();
    void SetAutoTuneEnabled(bool on);
    // Another latching button of the group (the VFO search's): pressing one releases the rest.
    void AddToAutoTuneGroup(QAbstractButton* button);
    // The AFC / noise-blanker menu, its check marks read from the receiver first.
    void ShowAfcMenu(const QPoint& globalPos);
    QString SweepStartText() const { return FSweepStartText; }

Q_SIGNALS:
    void MeterToggleRequested();
    void QuickLogRequested();
    // PgUp / PgDn on the Mem Scan (1) or F Search (2) page: the page's nudge buttons.
    void PageNudgeRequested(int page, bool up);
    void StopScansRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class TModifiers { None, Any, Ctrl, CtrlShift };
    struct TKeyBinding {
        int Key;
        TModifiers Modifiers;
        bool (TTuningController::*Action)();
    };
    static std::span<const TKeyBinding> KeyDownMap();

    void Tune(bool up);
    QWidget* Focused() const;
    bool FocusedNameStarts(const QString& prefix) const;
    void AutoTuneClick(QAbstractButton* button, bool down);
    void AutoTuneTick();
    void SwitchOnRelease();
    bool MemEditKeyDown(int key);
    void MemEditKeyUp(int key);
    void WheelNotch(bool up, bool shift);

    bool ToggleMeter();
    bool QuickLog();
    bool TogglePriority();
    bool QuickJump();
    bool SpaceKey();
    bool PageUpKey();
    bool PageDownKey();
    bool LeftKey();
    bool RightKey();
    bool UpKey();
    bool DownKey();
    template <char16_t Letter> bool SelectVfo();
    bool FocusEntry();
    bool SelectMemory();
    bool FocusVolume();
    bool ToggleSignal();
    bool ToggleFreq();

    TMainSheetWidgets FWidgets;
    TPanelContext FContext;
    TVfoPanelController* FPanel;
    TSquelchController* FSquelch;
    TPageController* FPages;
    QTimer FAutoTuneTimer;
    QList<QPointer<QAbstractButton>> FAutoTuneGroup;
    QString FSweepStartText;
    int FWheelDelta = 0;
};
