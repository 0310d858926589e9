#pragma once

#include "WindowLog.h"

#include <QDateTime>
#include <QDialog>
#include <QMetaObject>
#include <QPalette>
#include <QTimer>

#include <functional>

class QAction;
class QCheckBox;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QStatusBar;
class QToolButton;
class TMainForm;

// The DTMF window: asks the receiver for the digits it has decoded, now or at an interval, shows
// every line the receiver sends back while it is open, and can log them with the time to a text
// file. Run modally; whatever it set up on showing is undone when it closes, however it closes.
class TGetDtmfForm : public QDialog {
    Q_OBJECT

public:
    static constexpr int kDefaultIntervalSecs = 60;
    static constexpr int kHighlightMs = 500;

    explicit TGetDtmfForm(TMainForm& main);
    ~TGetDtmfForm() override;

    // The length of one unit of the interval box; tests make a "second" a few milliseconds.
    int IntervalUnitMs = 1000;
    // The time written beside each logged line.
    std::function<QDateTime()> Now = &QDateTime::currentDateTime;
    // Shows a text file with the program the system associates with it; false when none did.
    std::function<bool(const QString& fileName)> OpenDocument;

    bool Logging() const { return FLog->Logging(); }
    void GetDtmfButtonClick();
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void RxLine(const QString& line);
    void TimedCheck(bool on);
    void DtmfTimerTick();
    void ClearClick();

    TMainForm& FMain;
    QPlainTextEdit* DtmfMemo;
    QPushButton* GetDtmfButton;
    QCheckBox* DtmfTimedCheckBox;
    QSpinBox* IntervalSpinEdit;
    QToolButton* SpeedButton1;
    QStatusBar* DtmfStatusBar;
    QAction* LogToFile1;
    QAction* ViewLog1;
    QAction* Close1;
    QTimer DtmfTimer;
    QTimer HighlightTimer;
    QPalette FCheckBoxColours;
    TWindowLog* FLog = nullptr;
    QMetaObject::Connection FRxLines;
};
