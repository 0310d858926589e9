#pragma once

#include "ColorForm.h"

#include <QApplication>
#include <QPointer>

#include <memory>

class QTemporaryDir;

class TBaudRateForm;
class TBeaconController;
class TCommsForm;
class TCompanionController;
class TDataModule1;
class TErrorInfoMessageForm;
class THintRouter;
class TMainForm;
class TMemForm;
class TSimPty;
class TSimReceiver;
class TSplashForm;
class TSignalMonitorController;
class TSpectrumController;
struct TSettings;

struct TStartOptions {
    bool Simulate = false; // the built-in simulated receiver on a pseudo-terminal
    bool Splash = true;
    bool ShowPaths = false; // print where the program keeps and finds its files, then end
};

// The program: creates the windows in their order, routes messages, turns errors that escape
// a handler into messages, and runs the built-in simulated receiver when asked.
class TKovelaApplication : public QApplication {
    Q_OBJECT

public:
    TKovelaApplication(int& argc, char** argv);
    ~TKovelaApplication() override;

    // Reads the command line before any window system is needed; false when the program
    // should end at once (help, version, a bad option) with `exitCode`.
    static bool ParseArguments(int argc, char** argv, TStartOptions& options, int& exitCode);
    // The folders and files a run would use, one "<what>: <path>" line each; needs a
    // QCoreApplication, since the shipped files are found from the executable's folder.
    static QString PathsText();
    // Creates and shows the windows. False when start-up failed (reported on stderr).
    bool Start(const TStartOptions& options);

    TMainForm* MainForm() const { return FMainForm.get(); }
    TErrorInfoMessageForm* Messages() const { return FMessages.get(); }
    TDataModule1* DataModule() const { return FDataModule.get(); }
    TMemForm* MemForm() const { return FMemForm.get(); }
    class TSearchScan* SearchScan() const {
        return FSearchScan;
    }
    TCompanionController* Companions() const { return FCompanions.get(); }
    THintRouter* Hints() const { return FHints.get(); }
    // What the table colours dialog asks colours with; tests answer it.
    TColourPicker ColourPicker = PickColourFromDialog;
    class TLogWindowController* LogWindow() const {
        return FLogWindow;
    }
    qint64 SplashWaitMs() const { return FSplashWaitMs; }

    // The last line of defence: an error that escaped an event handler is shown, and the
    // window is put back into a usable state.
    void HandleUnexpectedError(const QString& description);
    bool notify(QObject* receiver, QEvent* event) override;

Q_SIGNALS:
    // The main window is shown and the splash has gone.
    void Started();

private:
    void FinishStart();
    // The application-wide hint handling and Setup, "Colours".
    void WireHintsAndColours();
    void ShowCommsMonitor();
    void RunCommsDialog();
    bool StartSimulator();
    // A simulated run works on a copy of the settings file, so that the user's own stays as it
    // was.
    bool UseTrialSettings();

    std::unique_ptr<TSettings> FSettings;
    std::unique_ptr<TMainForm> FMainForm;
    std::unique_ptr<TDataModule1> FDataModule;
    std::unique_ptr<TMemForm> FMemForm;
    // Owned by the main window; gone with it.
    class TSearchScan* FSearchScan = nullptr;
    class TLogWindowController* FLogWindow = nullptr;
    // Gone before the main window: a sweep it runs holds the main window's driver and flags.
    std::unique_ptr<TSpectrumController> FSpectrum;
    // Gone before the main window: its window tunes through the main window's driver.
    std::unique_ptr<TBeaconController> FBeacons;
    // Gone before the main window: it holds the frequency display's hook.
    std::unique_ptr<TCompanionController> FCompanions;
    // Gone before the main window too: a running log holds the driver's level hook and keeps the
    // main window disabled.
    std::unique_ptr<TSignalMonitorController> FSignalMonitor;
    std::unique_ptr<TErrorInfoMessageForm> FMessages;
    // Asks the windows above for the ones it routes to: gone before any of them.
    std::unique_ptr<THintRouter> FHints;
    QPointer<TCommsForm> FCommsForm;
    std::unique_ptr<TSplashForm> FSplash;
    std::unique_ptr<TSimReceiver> FSimReceiver;
    std::unique_ptr<TSimPty> FSimPty;
    std::unique_ptr<QTemporaryDir> FTrialFolder;
    TStartOptions FOptions;
    bool FSettingsExisted = false;
    qint64 FSplashWaitMs = 0;
};
