#pragma once

#include "HitSink.h"
#include "PanelState.h"
#include "RunFlags.h"

#include <QList>
#include <QObject>

#include <functional>

class QAction;
class QCheckBox;
class QLineEdit;
class QMenu;
class TAR5000;
class TMainForm;
class TMainSheet;
class TMemoryWindowLink;

// What every search and scan page is given: the main window and its Main page (through their
// controllers), the run flags and where hits go.
// The main window's menu with this title ("&File", "&Tools"); null when there is none.
QMenu* MainMenuTitled(TMainForm& form, const QString& title);
// Puts `items` into the File menu above the separator that sets "Exit" apart.
void InsertAboveExit(QMenu* file, const QList<QAction*>& items);

struct TSearchScanContext {
    TMainForm* Form = nullptr;
    TMainSheet* Sheet = nullptr;
    TAR5000* Driver = nullptr;
    TRunFlags* RunFlags = nullptr;
    THitSink* Hits = nullptr;

    TPanelState& State() const;
    TMemoryWindowLink& MemoryWindow() const;
    QCheckBox* TimerCheckBox() const;
    void Report(const QString& text) const;
    void AddMessage(const QString& text) const;
    bool Connected() const;
    // Signal polling off: a search or scan keeps the line for its own reports.
    void StopSignalPolling() const;
};

// The rules the search, scan and VFO-search pages share: the controls a run disables, returning
// the receiver to the box the panel has current, and Reset Flags.
class TRunControls : public QObject {
    Q_OBJECT

public:
    TRunControls(const TSearchScanContext& context, QObject* parent);

    // The File and Setup menus, Reset Flags and the scan page's bank box.
    void SetRunControlsEnabled(bool on);
    // The receiver back on the current VFO (or memory), then that box's squelch unless
    // `withSquelch` is false.
    void ReselectCurrentVfo(bool withSquelch = true);
    // Tools, "Reset Flags": asks, then clears what a run left set.
    void ResetFlags1Click();

Q_SIGNALS:
    void RunControlsEnabled(bool on);
    // Reset Flags was confirmed: each page puts its own controls back to idle.
    void FlagsReset();

private:
    TSearchScanContext FContext;
};

// Keys a numeric box takes: "+", "-" and letters are dropped (for frequencies and steps,
// everything but digits, ",", "." and the editing keys; for plain counts everything but digits
// and the editing keys); Enter runs `onEnter` (when given) and goes no further.
class TNumericKeys : public QObject {
    Q_OBJECT

public:
    enum class TKind { Integer, Decimal, Digits };
    TNumericKeys(QLineEdit* box, TKind kind, std::function<void()> onEnter);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TKind FKind;
    std::function<void()> FOnEnter;
};
