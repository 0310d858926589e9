#pragma once

#include "SignalLog.h"

#include <QDateTime>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QSpinBox;
class TMainForm;
struct TRxDat;

// "Signal Monitor Setup": the long-term signal log. Every few minutes a pass steps through the
// channels the memory window shows, averages a number of level readings of each and appends one
// group per channel to a CSV file; a completed pass ends the line. While the window is open the
// main window is disabled (nothing else may talk to the receiver), and so is the memory window,
// whose rows are the set.
class TFormSignalMonitor : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* kDefaultFileName = "Kv7Monitor.csv";

    TFormSignalMonitor(TMainForm& main, std::unique_ptr<TSignalLogSet> set,
                       std::function<void()> closeLogWindow, QWidget* parent = nullptr);
    ~TFormSignalMonitor() override;

    // The length of a minute, and the clock of the groups; tests shorten and fix them.
    int MinuteMs = 60000;
    std::function<QDateTime()> Clock = [] {
        return QDateTime::currentDateTime();
    };

    bool Running() const { return static_cast<bool>(FRun); }
    // Ticks of TimerMonitor until the next pass falls due; 0 when not running.
    qint64 MinutesToNextPass() const;
    // The pass of the run, or null when none runs.
    const TSignalLogPass* Pass() const;

    void BitBtnStartClick();
    void BitBtnStopClick();
    void BitBtnAppMinimiseClick();
    void TimerMonitorTimer();
    void TimerSampleTimer();
    void SignalLevel(const TRxDat& rec);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class TRun;

    void BuildControls();
    void StartPass();
    void RecallCurrentChannel();
    // Ends a run however it ends; the window stays as it is.
    void EndRun();
    // Takes its text by value: it often comes from the run that ends here.
    void FailRun(QString text);
    void SetSetupEnabled(bool on);

    TMainForm& FMain;
    std::unique_ptr<TSignalLogSet> FSet;
    std::function<void()> FCloseLogWindow;
    std::unique_ptr<TRun> FRun;
    bool FShown = false;

    QLabel* HelpLabel = nullptr;
    QSpinBox* SpinEditSampleInterval = nullptr;
    QSpinBox* SpinEditNumSamples = nullptr;
    QSpinBox* SpinEditDataPointInterval = nullptr;
    QPushButton* BitBtnStart = nullptr;
    QPushButton* BitBtnStop = nullptr;
    QPushButton* BitBtnAppMinimise = nullptr;
    QLabel* LabelPassCount = nullptr;
    QLabel* LabelGettingData = nullptr;
    QTimer* TimerMonitor = nullptr;
    QTimer* TimerSample = nullptr;
};
