#pragma once

#include "SearchScanContext.h"

#include <QObject>

#include <array>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class TTabRows;
class TUpDown;

inline constexpr int kSearchBankCount = 20;
inline constexpr int kLinkGroupCount = 10;

// Every control of the "F Search" page under its documented name.
struct TSearchPageWidgets {
    QLineEdit* AutoSDisplayEdit = nullptr;
    QLineEdit* AutoSearchSigEdit = nullptr;
    QProgressBar* SearchHitGauge = nullptr;
    QLabel* GettingDataLabel2 = nullptr;
    TTabRows* SearchLinkTabControl = nullptr;
    QLineEdit* sDelayEdit = nullptr;
    TUpDown* UpDownSD = nullptr;
    QLineEdit* sLevelEdit = nullptr;
    TUpDown* UpDownSB = nullptr;
    QLineEdit* sVoiceEdit = nullptr;
    TUpDown* UpDownSA = nullptr;
    QLineEdit* sPauseEdit = nullptr;
    TUpDown* UpDownSP = nullptr;
    QCheckBox* HoldCheckBox = nullptr;
    QCheckBox* SearchLinkCheckBox = nullptr;
    QCheckBox* AutoStoreCheckBox = nullptr;
    std::array<QCheckBox*, kSearchBankCount> BankBoxes{}; // S00CheckBox..S19CheckBox
    QLabel* SearchLinkGroupLabel = nullptr;
    TTabRows* SearchFreqTabControl = nullptr;
    QLineEdit* TTEdit = nullptr;
    QLineEdit* SLEdit = nullptr;
    QLineEdit* SUEdit = nullptr;
    QComboBox* SModeComboBox = nullptr;
    QComboBox* SBandwidthComboBox = nullptr;
    QComboBox* SStepComboBox = nullptr;
    QCheckBox* SStOffsetBox = nullptr;
    QComboBox* SAntennaComboBox = nullptr;
    QComboBox* SAttenComboBox = nullptr;
    QComboBox* SAgcComboBox = nullptr;
    QComboBox* SLPComboBox = nullptr;
    QComboBox* SHPComboBox = nullptr;
    QComboBox* SDeEmComboBox = nullptr;
    QLabel* SAutoAntLabel = nullptr;
    QLabel* SAutoAttenLabel = nullptr;
    TUpDown* SpinButtonSearch = nullptr;
    QPushButton* StartSearchMyBitButton = nullptr;
    QPushButton* SearchStopButton = nullptr;
    QPushButton* PauseButton = nullptr;
    QCheckBox* CyberScanCheckBox2 = nullptr;
    QLineEdit* SquelchForSearchEdit = nullptr;
    TUpDown* SquelchSearchUpDown = nullptr;
    QPushButton* AddPassFreqButton = nullptr;
    QLabel* StatusBar3 = nullptr;
    QMenu* SearchBankOptionsPopupMenu = nullptr;
    QAction* WritetoSearchBank1 = nullptr;
    QAction* ShowPassFreqs1 = nullptr;
    QAction* DeleteBank1 = nullptr;
    QMenu* PopupMenuSearchRecordToWav = nullptr;
    QAction* RecordToWavFile1 = nullptr;
    QAction* AutoLogtoLogtable1 = nullptr;
};

TSearchPageWidgets BuildSearchPageControls(QWidget* page);

// The "F Search" page: the receiver's search banks and search link groups read into the page and
// edited there, and the program search started, paused and stopped with every hit shown.
class TSearchPageController : public QObject {
    Q_OBJECT

public:
    TSearchPageController(QWidget* page, const TSearchScanContext& context, TRunControls* run,
                          QObject* parent);
    ~TSearchPageController() override;

    bool Running() const { return static_cast<bool>(FRunning); }

    const TSearchPageWidgets& Widgets() const { return FWidgets; }

    void RefreshSearchPage();
    void LoadSearchGroup(bool current);
    void LoadSearchBank(bool current);
    void LoadSearchBankSettings();
    void StartSearchMyBitButtonClick();
    void SearchStopButtonClick();
    void PauseButtonClick();
    void SearchHit(const TRxDat& rec);
    void SearchBankReported(int bank);
    void ClearSearchBankMarks();
    void WritetoSearchBank1Click();
    void DeleteBank1Click();
    // The nudge: the receiver goes on from where it stopped.
    void Nudge(bool up);
    // A hit dragged towards the memory table: the search pauses while the drag lasts and stops
    // when it ends, dropped or not (the drop itself is the memory window's).
    void HitDragStarted();
    void HitDragEnded();
    // The link went away: the run ends here without talking to the receiver.
    void LinkGone();
    // Reset Flags: the page back to idle.
    void ResetToIdle();
    int SearchSquelch() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class TRun;

    void Wire();
    void SearchLinkTabControlChange(int index);
    void SearchFreqTabControlChange(int index);
    void HoldCheckBoxClick(bool checked);
    void SendGroupValue(void (TAR5000::*setter)(int), TUpDown* upDown, bool readBack);
    void SquelchEdited();
    void LevelHint();
    void SelectorChosen(QComboBox* box, void (TAR5000::*setter)(int), bool alwaysSent);
    void ShowGroupSign();
    void EmptyHitBoxes();
    void ShowStartCaption();
    void SetSearchSelectorsEnabled(bool on);
    void SetIdleControls();

    TSearchPageWidgets FWidgets;
    TSearchScanContext FContext;
    TRunControls* FRun;
    std::unique_ptr<TRun> FRunning;
};
