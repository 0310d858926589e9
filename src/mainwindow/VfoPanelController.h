#pragma once

#include "MainSheet.h"
#include "Records.h"

#include <QObject>

#include <functional>
#include <optional>

class TSquelchController;

// The text of a frequency box: six decimals, no leading zeros, and two spaces in front for every
// character the number is short of 11, so that proportional digits still line up.
QString FormatFrequencyText(double mhz);
// The VFO letter of a record read from a VFO ("VA".."VE"), a null letter for any other record.
QChar RecordVfoLetter(const TRxDat& rec);

// The VFO panel: the five VFO boxes, the memory boxes, the frequency entry and every selector.
// It owns which box is current, shows what the receiver reports (OnVfoData), and turns the
// user's choices into driver calls.
class TVfoPanelController : public QObject {
    Q_OBJECT

public:
    TVfoPanelController(const TMainSheetWidgets& widgets, const TPanelContext& context,
                        TSquelchController* squelch, QObject* parent);

    QChar CurrentLetter() const { return FContext.State->CurrentVfo; }
    // EditVcoA..E for 'A'..'E', FrqEditM for 'M'.
    QLineEdit* Box(QChar letter) const;
    QLineEdit* CurrentBox() const { return Box(CurrentLetter()); }
    // The box keys act on: the current VFO box, or MemEdit for the memory.
    void FocusCurrentBox();
    // The number a frequency box shows; nullopt when its text is not a number.
    std::optional<double> ShownFrequency(QChar letter) const;
    QString StepText() const;
    QString SubStepText() const;

    // Also tells OnFrequencyFormatted, so linked companion programs follow what is shown.
    QString FormatFrequency(double mhz);
    std::function<void(double mhz)> OnFrequencyFormatted;
    // Sets the selectors from a record; false (nothing done) while it is already running.
    bool ShowRxDat(const TRxDat& rec);
    // The driver's OnVfoData: VFO and memory records shown, everything else ignored.
    void ProcessRxDat(const TRxDat& rec);
    void HookVfoData();
    void UnhookVfoData();
    bool VfoDataHooked() const { return FHooked; }
    void ReadBackCurrent();
    void ReadAllVfos();
    void ResetPanelColours();
    // The current box's digits red while the main page records, lime otherwise.
    void ShowRecordingDigits(bool recording);
    void HighlightMemory();
    void SwitchVfoWithSquelch(QChar letter, int squelch);
    void SetVfoPanelEnabled(bool on);
    // The CTCSS and descrambler lists (with their labels) work only with their option unit
    // fitted: without it the receiver has nothing to set.
    void ShowOptionUnits(bool ctcss, bool descrambler);

    // Tunes the current VFO as a frequency typed into the entry box does; false when the
    // memory is current or the frequency is out of the receiver's range.
    bool TuneCurrent(double mhz);
    // A click on a VFO box ('A'..'E') or on the memory box ('M'): selects it on the receiver.
    void ClickBox(QChar letter);
    // Makes a box current on the panel only (focus and colours); the receiver is not told.
    void MakeCurrent(QChar letter);
    // The memory became current: auto tune released, memory boxes highlighted, then the memory
    // window's own side.
    void SwitchToMemorySelection();
    // A memory channel just written to or read from the receiver: the memory becomes current,
    // its boxes and the selectors show the record, and the channel's squelch is applied.
    void ShowMemoryRecord(const TRxDat& rec);

    // For the signal display: the current box grey while the squelch is closed, else green.
    void ShowSquelchClosed(bool closed);
    // For frequency follow: a VFO record's frequency into its box while a VFO is current.
    void ShowFollowedFrequency(const TRxDat& rec);
    // Sets a selector (kSelectors position) or the step box and StAdj on the panel only: what
    // was just sent by other means is shown without being sent again.
    void ShowSelector(std::size_t selector, int index);
    void ShowStep(const QString& text, bool adjust);

    // The link opened: the whole panel is read from the receiver.
    void LinkOpened();
    // The Main page is shown again after another page: the panel follows the receiver again.
    void ReturnToMainPage();

Q_SIGNALS:
    // ReadAllVfos shows the Main page (as the program's own doing, not as a user's page change).
    void MainPageWanted();
    void AutoTuneReleaseWanted();
    void PanelEnabledChanged(bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TVfoDataUnhooked;

    void PaintBox(QLineEdit* box, const QColor& background) const;
    void SetIndex(std::size_t selector, int index);
    void FillMemoryBoxes(const TRxDat& rec);
    void ClickVfoBox(QChar letter);
    void ClickMemoryBox();
    void LocateShownChannel();
    void SelectorChosen(std::size_t selector, int index);
    void Refresh(TRefresh when);
    void StepTextChanged(const QString& text);
    void StepAdjustClicked(bool checked);
    bool SendStep();
    void EntryEnter();
    void MemoryEnter();
    void AutoSetClicked();
    void ToggleMemoryTable();

    TMainSheetWidgets FWidgets;
    TPanelContext FContext;
    TSquelchController* FSquelch;
    bool FHooked = false;
    int FUnhookDepth = 0;
    bool FStepAdjustByKey = false;
    // The main page is recording: the current box's digits stay red through repaints.
    bool FRecordingDigits = false;
    // The step list's inner edit, kept rather than asked for: its events still arrive while the
    // list is being destroyed, when the list can no longer be asked.
    QLineEdit* FStepEdit;
};

// Keeps OnVfoData detached while a multi-command exchange runs, so that a reply arriving meanwhile
// cannot overwrite the panel half-way; attaches it again on every way out. Nested guards attach
// only when the outermost one ends.
class TVfoDataUnhooked {
public:
    explicit TVfoDataUnhooked(TVfoPanelController& panel);
    ~TVfoDataUnhooked();
    TVfoDataUnhooked(const TVfoDataUnhooked&) = delete;
    TVfoDataUnhooked& operator=(const TVfoDataUnhooked&) = delete;

private:
    TVfoPanelController& FPanel;
};
