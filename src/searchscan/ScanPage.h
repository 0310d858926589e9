#pragma once

#include "SearchScanContext.h"

#include <QObject>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class TScanMemoryTable;
class TTabRows;
class TUpDown;

inline constexpr int kScanBankCount = 10;

// Every control of the "Mem Scan" page under its documented name.
struct TScanPageWidgets {
    QLineEdit* AutoFDisplayEdit = nullptr;
    QLineEdit* AutoSigEdit = nullptr;
    QLineEdit* AutoMemDisplayEdit = nullptr;
    QLineEdit* MemChannelEdit = nullptr;
    QProgressBar* ScanHitGauge = nullptr;
    QLabel* GettingDataLabel = nullptr;
    QLabel* MessageLabel = nullptr;
    TTabRows* TabControl1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    TUpDown* UpDownXD = nullptr;
    QLineEdit* ScanLevelEdit = nullptr;
    TUpDown* UpDown2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    TUpDown* UpDown3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    TUpDown* UpDown4 = nullptr;
    QComboBox* MemScanModeComboBox = nullptr;
    QCheckBox* ScanLinkCheckBox = nullptr;
    std::array<QCheckBox*, kScanBankCount> BankBoxes{}; // B0CheckBox..B9CheckBox
    QLabel* LinkGroupLabel = nullptr;
    QLineEdit* SquelchforMemScanEdit = nullptr;
    TUpDown* SquelchMemScanUpDown = nullptr;
    QCheckBox* CyberScanCheckBox = nullptr;
    QCheckBox* CheckBoxRecordScanToWav = nullptr;
    TUpDown* MemScanSpinButton = nullptr;
    QPushButton* SpeedButtonPassMem = nullptr;
    QPushButton* SpeedButtonClearPassFreqs = nullptr;
    QPushButton* SpeedButtonAddToSelectScan = nullptr;
    QPushButton* SpeedButtonClearSelectFlags = nullptr;
    QPushButton* ScanMyBitButton = nullptr;
    QSpinBox* BankNoSpinEdit = nullptr;
    QPushButton* ButtonSelectScan = nullptr;
    QPushButton* StopScanButton = nullptr;
    QLabel* StatusBar2 = nullptr;
};

TScanPageWidgets BuildScanPageControls(QWidget* page);

// The "Mem Scan" page: the receiver's memory-scan link groups, bank scan and select scan with
// every stop shown and looked up in the memory table.
class TScanPageController : public QObject {
    Q_OBJECT

public:
    TScanPageController(QWidget* page, const TSearchScanContext& context, TRunControls* run,
                        TScanMemoryTable& table, QObject* parent);
    ~TScanPageController() override;

    bool Running() const { return static_cast<bool>(FRunning); }

    const TScanPageWidgets& Widgets() const { return FWidgets; }
    int ScanBank() const { return FScanBank; }

    void LoadScanGroup(bool current);
    void ScanMyBitButtonClick();
    void ButtonSelectScanClick();
    // True when the receiver told where it stopped (the memory boxes show that channel).
    bool StopScanButtonClick();
    void ScanHit(const TRxDat& rec);
    void ScanBankReported(int reported);
    void ClearScanBankMarks();
    void SpeedButtonAddToSelectScanClick();
    void SpeedButtonPassMemClick();
    void Nudge(bool up);
    void LinkGone();
    void ResetToIdle();
    // The bank box is kept in the settings file (key ScanBenk): read when the link opens,
    // written when it closes.
    void LoadScanBank();
    void SaveScanBank();
    int ScanSquelch() const;

    // "Clear": the memory channel action that clears every select-scan flag, in the receiver
    // and in the table, set by whoever builds the memory window's channel actions. Until one is
    // set the button stays disabled.
    void SetClearAllSelectScanFlags(std::function<void()> action);

Q_SIGNALS:
    // A stop located in the memory table: its text, empty when no channel holds the frequency.
    void HitLocated(const QString& memoryText, double mhz);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class TRun;

    void Wire();
    void StartRun(bool select);
    void EmptyHitBoxes();
    void PaintRunBoxes(bool running);
    void SetIdleControls();
    void LevelHint();
    void SquelchEdited();
    // Stops, asks `question`, and on Yes runs `flag` for the stopped channel; when that says so,
    // the row's `field` is marked. The bank scan starts again whatever the answer.
    void FlagStoppedChannel(const QString& question, const std::function<bool(int)>& flag,
                            const QString& field, const QString& context);
    // Later firmware: the channel read back whole, stored in its row, and written again with the
    // pass flag set. False when the row or the receiver's report was not there.
    bool WriteChannelWithPass(int channel);

    TScanPageWidgets FWidgets;
    TSearchScanContext FContext;
    TRunControls* FRun;
    TScanMemoryTable& FTable;
    std::unique_ptr<TRun> FRunning;
    int FScanBank = 0;
    std::function<void()> FClearAllSelectScanFlags;
};
