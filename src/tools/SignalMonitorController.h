#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class TDataModule1;
class TFormSignalMonitor;
class TMainForm;

// The main window's side of the signal log: Tools, "Long term signal log..." stops whatever
// else polls the receiver and shows the window; closing or losing the link stops a running log.
// The log window is closed through `closeLogWindow`, since this library does not know it. It
// must go before the main window does.
class TSignalMonitorController : public QObject {
    Q_OBJECT

public:
    TSignalMonitorController(TMainForm& main, TDataModule1& data,
                             std::function<void()> closeLogWindow, QObject* parent = nullptr);
    ~TSignalMonitorController() override;

    // The open window, or null.
    TFormSignalMonitor* Form() const;
    void Longtermsignallog1Click();
    // Stop on a running log (the window closes); nothing otherwise.
    void StopRunningMonitor();

private:
    TMainForm& FMain;
    TDataModule1& FData;
    std::function<void()> FCloseLogWindow;
    QPointer<TFormSignalMonitor> FForm;
};
