#pragma once

#include "PanelContext.h"
#include "Selectors.h"

#include <QObject>

#include <array>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSlider;
class QTabWidget;
class QToolButton;
class TEnterEditNoMove;
class TLinkController;
class TPageController;
class TSquelchController;
class TTuningController;
class TUpDown;
class TVfoDropTarget;
class TVfoPanelController;
class TVolumeController;
class TKeyPreview;

inline constexpr int kVfoCount = 5;
// Squelch boxes A..E, then the memory's.
inline constexpr int kSquelchBoxCount = 6;
inline constexpr int kMemorySquelchIndex = 5;

// Every control of the Main page, under its documented object name.
struct TMainSheetWidgets {
    QWidget* Page = nullptr;
    // The signal display goes into this empty container (186 x 72).
    QWidget* Panel5 = nullptr;
    QCheckBox* TimerCheckBox = nullptr;
    QCheckBox* FreqUpdateCheckBox = nullptr;
    QCheckBox* PriorityCheckBox1 = nullptr;
    QLineEdit* PriorityDisplayEdit = nullptr;

    std::array<QLineEdit*, kVfoCount> EditVco{}; // EditVcoA..E
    TEnterEditNoMove* EnterEdit1 = nullptr;
    QFrame* Panel1 = nullptr;
    QLineEdit* MemEdit = nullptr;
    QLineEdit* MemTextEdit = nullptr;
    QLineEdit* FrqEditM = nullptr;
    QLabel* Label18 = nullptr;
    std::array<QLineEdit*, kSquelchBoxCount> SquelchEdit{}; // SquelchEditA..E, SquelchEditM
    std::array<TUpDown*, kSquelchBoxCount> SquelchUpDown{};

    std::array<QComboBox*, kSelectorCount> Selectors{}; // in kSelectors order
    std::array<QLabel*, kSelectorCount> SelectorLabels{};
    QComboBox* StepComboBox = nullptr;
    QCheckBox* StOffsetBox = nullptr;
    QLabel* AutoAntLabel = nullptr;
    QLabel* AutoAttenLabel = nullptr;
    QPushButton* UpdateSpeedButton = nullptr;
    QPushButton* AutoSetSpeedButton = nullptr;

    TUpDown* SpinButton2 = nullptr;
    QToolButton* LockUpTuneSpeedButton = nullptr;
    QToolButton* LockDownTuneSpeedButton = nullptr;
    QMenu* LockUpTuneSpeedButtonPopupMenu = nullptr;
    QAction* VfoABSweep1 = nullptr;
    QPushButton* btnAFC = nullptr;
    QMenu* PopupMenuAFC = nullptr;
    QAction* AFC1 = nullptr;
    QAction* mnuNoiseBlanker = nullptr;

    QSlider* VolumeControlTrackBar = nullptr;
    QLabel* VolLabel = nullptr;
    QLabel* VolumeIndicatorLabel = nullptr;
    QCheckBox* VolTypeSelectCheckBox = nullptr;

    QPushButton* PowerOffButton = nullptr;
    QPushButton* MemTableButton = nullptr;
    QPushButton* LogTableButton = nullptr;
    QPushButton* btnQd3 = nullptr;
    QPushButton* OpenPortButton = nullptr;
    QPushButton* ToggleRemoteSpeedButton = nullptr;
};

// Builds the Main page's controls on `page` (fixed positions: the window does not resize).
TMainSheetWidgets BuildMainSheetControls(QWidget* page);

// The Main page: its controls, the shared panel state and one controller per feature (VFO panel,
// tuning and keys, squelch, page changes, volume). Keys reach the tuning controller before the
// focused control through a key preview on the page's window.
class TMainSheet : public QObject {
    Q_OBJECT

public:
    TMainSheet(QTabWidget* pages, TAR5000* driver, TRunFlags& runFlags,
               const std::unique_ptr<TMemoryWindowLink>& memoryWindow,
               const TReportFn& reportMessage, const TReportFn& addMessage, QObject* parent);
    ~TMainSheet() override;

    const TMainSheetWidgets& Widgets() const { return FWidgets; }
    TPanelState& State() { return FState; }
    TVfoPanelController* VfoPanel() const { return FVfoPanel; }
    TTuningController* Tuning() const { return FTuning; }
    TSquelchController* Squelch() const { return FSquelch; }
    TPageController* Pages() const { return FPages; }
    TVolumeController* Volume() const { return FVolume; }
    // Drops on the VFO boxes and the entry box, and drags out of the page's boxes.
    TVfoDropTarget* VfoDrop() const { return FVfoDrop; }

    // Squelch settings and the first read of the receiver when the link opens, squelch saved when
    // it closes, the panel reset when it is gone.
    void ConnectLink(TLinkController* link);
    // Puts the signal display where the empty Panel5 stands, in its place and size; the empty
    // container goes.
    void PlaceSignalPanel(QWidget* panel);

private:
    TPanelState FState;
    TPanelContext FContext;
    TMainSheetWidgets FWidgets;
    TSquelchController* FSquelch = nullptr;
    TVfoPanelController* FVfoPanel = nullptr;
    TPageController* FPages = nullptr;
    TVolumeController* FVolume = nullptr;
    TTuningController* FTuning = nullptr;
    TKeyPreview* FKeyPreview = nullptr;
    TVfoDropTarget* FVfoDrop = nullptr;
};
