#pragma once

#include "WindowLog.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <functional>

class QAction;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class TAR5000;

// The comms monitor: a live trace of every line sent to and received from the receiver, where
// raw commands can also be typed. One instance at a time; it deletes itself when closed.
//
// Trace lines are "Rxd " TAB tick TAB line and "Txd" TAB tick TAB command ("Txd " in the log
// file). The tick is TickMs(): milliseconds on the monotonic clock since its reference (system
// start on Linux and Windows), so it lines up with the system's own tick count and with traces
// of other programs on the same machine.
class TCommsForm : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int kMaxLines = 1000;
    static constexpr int kDefaultLeft = 10;
    static constexpr int kDefaultTop = 10;
    static constexpr int kDefaultWidth = 400;
    static constexpr int kDefaultHeight = 350;

    // Restores the placement kept in the settings file and hooks the driver's OnRxLine and
    // OnTxLine. A null driver gives a monitor that shows nothing and sends nothing.
    explicit TCommsForm(TAR5000* driver, QWidget* parent = nullptr);
    // Does the closing work (unhook, save placement, stop logging) when it was not closed.
    ~TCommsForm() override;

    // Hooks OnRxLine and OnTxLine to this window, replacing whatever was hooked: for the owner
    // to call when another window (DTMF capture) that borrowed OnRxLine lets it go.
    void HookDriver();
    // Unhooks OnRxLine and OnTxLine where they are still hooked to this window; a hook another
    // window has taken over meanwhile stays as it is.
    void UnhookDriver();

    bool Logging() const { return FLog->Logging(); }
    QString LogFileName() const { return FLog->FileName(); }

    static qint64 TickMs();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct TTraceHook;

    void BuildMenu();
    void RxLine(const QString& line);
    void TxLine(const QString& command);
    void AddTrace(const QString& memoLine, const QString& logLine);
    void Execute();
    void RunRequest(const std::function<void(TAR5000&)>& request);
    void CopyClick();
    void ClearClick();
    void Shut();

    QPointer<TAR5000> FDriver;
    QPlainTextEdit* Memo1;
    QLineEdit* Edit1;
    QToolButton* ToolButtonSend;
    QToolButton* ToolButton1;
    QToolButton* ToolButton2;
    QToolButton* ToolButton3;
    QPushButton* Button4;
    QPushButton* Button12;
    QAction* LogToFile1 = nullptr;
    QAction* ViewLog1 = nullptr;
    QAction* Close1 = nullptr;
    TWindowLog* FLog = nullptr;
    int FLineCount = 0;
    bool FShut = false;
};
