#pragma once

#include "HelpContext.h"
#include "SweepPicture.h"

#include <QMainWindow>
#include <QTimer>

#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QToolButton;
class TMainForm;
struct TRxDat;

// What the sweep asks of windows this library does not know: the VFO search's squelch and
// options menu, the priority switch, the log window. Each may be left empty.
struct TSweepNeighbours {
    std::function<int()> VfoSearchSquelch;
    QMenu* VfoOptionsPopupMenu = nullptr;
    std::function<void()> StopPriority;
    std::function<void()> CloseLogWindow;
};

// "Spectrum Sweep": the receiver's VFO search between VFO A and VFO B drawn as one bar per stop.
// The receiver searches by itself; the window tells it to go on after each stop unless "Pause on
// hit" is checked.
class TSpecAnalyserForm : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int kHelpContext = HelpContextFor(u"SpecAnalyserForm");
    static constexpr int kClearMs = 10000;
    static constexpr int kResizeSettleMs = 250;
    static constexpr int kHintShownMs = 4000;

    TSpecAnalyserForm(TMainForm& main, TSweepNeighbours neighbours, QWidget* parent = nullptr);
    ~TSpecAnalyserForm() override;

    TSweepPicture& Picture() { return FPicture; }
    bool Sweeping() const { return static_cast<bool>(FRun); }
    bool VfoARetuned() const { return FVfoARetuned; }

    void FormShow();
    // False when the limits or the step refuse a sweep (the user has been told).
    bool SetUpSweep();
    void SARunSpeedButtonClick(bool down);
    void SweepHit(const TRxDat& rec);
    void PaintBox1MouseMove(QPoint pixel);
    void PaintBox1DblClick();
    void SaveImage1Click();
    void Copy1Click();
    void DefaultSizePosition1Click();
    void Timer1Timer();
    void ClearCheckBoxClick(bool checked);
    void cbPauseClick(bool checked);
    void CyberScanCheckBoxClick(bool checked);
    void GridCheckBoxClick(bool checked);
    void ShowTextCheckBoxClick();
    void UpdateGridOptions();
    void CreateLabelFont();
    void tmrUpdateAfterResizeTimer();
    // Writes the picture to `fileName` as ".bmp" or ".jpg"; false (the user told) otherwise.
    bool SavePicture(const QString& fileName);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class TRun;

    void BuildControls();
    void BuildMenus();
    void Wire();
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void StartSweep();
    void StopSweep();
    void ToggleSweep();
    void PrepareOtherWindows();
    void HideReadOut();
    void ClearReadOut();
    QRect DefaultGeometry() const;
    void Tell(const QString& text) const;

    TMainForm& FMain;
    TSweepNeighbours FNeighbours;
    TSweepPicture FPicture;
    std::unique_ptr<TRun> FRun;
    double FSweepStartVfoA = 0.0;
    bool FVfoARetuned = false;
    bool FResized = false;

    QWidget* PaintBox1 = nullptr;
    QLabel* LowFreqLabel = nullptr;
    QLabel* HiFreqLabel = nullptr;
    QFrame* Panel2 = nullptr;
    QPushButton* SARunSpeedButton = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QCheckBox* ShowHGraticulesCheckBox = nullptr;
    QCheckBox* ShowVGraticulesCheckBox = nullptr;
    QCheckBox* ShowTextCheckBox = nullptr;
    QCheckBox* CyberScanCheckBox = nullptr;
    QCheckBox* ClearCheckBox = nullptr;
    QCheckBox* cbPause = nullptr;
    QLabel* FreqLabel = nullptr;
    QLabel* CurrentFreqLabel = nullptr;
    QLabel* FHintWindow = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* tmrUpdateAfterResize = nullptr;
    QTimer* tmrCloseHintWindow = nullptr;
};
