#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class TClockSetter;
class TMainForm;
class TfrmBeacons;

// The main window's side of the beacon window: Tools, "IARU Beacons" makes it, or brings the one
// that is open to the front; closing frees it. It must go before the main window does.
class TBeaconController : public QObject {
    Q_OBJECT

public:
    explicit TBeaconController(TMainForm& main, QObject* parent = nullptr);
    ~TBeaconController() override;

    // How each new window sets the clock; the system's own unless replaced (tests do).
    std::function<std::unique_ptr<TClockSetter>()> MakeClockSetter;
    // Filled into every new window (see TfrmBeacons).
    std::function<void(const QString& callSign)> SendCallSign;
    std::function<void()> Qd3Clicked;
    std::function<void(int context)> ShowHelp;

    // The open window, or null.
    TfrmBeacons* Form() const;
    void mnuIARUBeacons1Click();

private:
    TMainForm& FMain;
    QPointer<TfrmBeacons> FForm;
};
