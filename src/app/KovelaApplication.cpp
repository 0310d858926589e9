#include "KovelaApplication.h"

#include "LogWindowController.h"
#include "TableView.h"
#include "UnitLog.h"

#include "AR5000.h"
#include "AlsaMixer.h"
#include "AudioSource.h"
#include "BaudRateForm.h"
#include "BeaconController.h"
#include "BeaconsForm.h"
#include "ClockController.h"
#include "ColorForm.h"
#include "CommsForm.h"
#include "CompanionController.h"
#include "CompanionRecorderProgram.h"
#include "DataUnit1.h"
#include "DtmfController.h"
#include "ErrorInfoMessageForm.h"
#include "HelpContext.h"
#include "HelpFile.h"
#include "Hints.h"
#include "HitKeeper.h"
#include "HitRecorder.h"
#include "LinkController.h"
#include "Main.h"
#include "MainSheet.h"
#include "MemForm.h"
#include "MemFormLink.h"
#include "MoveForm.h"
#include "PriorityPage.h"
#include "ProgramFolder.h"
#include "ScalesController.h"
#include "ScanMemoryTable.h"
#include "ScanPage.h"
#include "SearchScan.h"
#include "SearchScanContext.h"
#include "Settings.h"
#include "SignalMonitorController.h"
#include "SimReceiver.h"
#include "SimTransports.h"
#include "SpectrumController.h"
#include "SplashForm.h"
#include "VfoDropTarget.h"
#include "VfoPanelController.h"
#include "VfoSearch.h"
#include "VolumeController.h"
#include "WidgetPrompt.h"

#include <QAbstractButton>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <exception>

using namespace Qt::StringLiterals;

TKovelaApplication::TKovelaApplication(int& argc, char** argv)
    : QApplication(argc, argv)
    , FSettings(std::make_unique<TSettings>()) {
    setApplicationName(u"Kovela"_s);
    setApplicationDisplayName(u"Kovela"_s);
    setApplicationVersion(QStringLiteral(KOVELA_VERSION));
}

TKovelaApplication::~TKovelaApplication() {
    FHints.reset();
    // Windows before the simulator they may still be talking to.
    FCommsForm.clear();
    FSpectrum.reset();
    FBeacons.reset();
    FCompanions.reset();
    FSignalMonitor.reset();
    if (FMainForm)
        FMainForm->SetMemoryWindowLink(nullptr);
    FMemForm.reset();
    FMainForm.reset();
    FDataModule.reset();
    FMessages.reset();
    if (FTrialFolder)
        SetSettingsFileOverride({});
}

bool TKovelaApplication::ParseArguments(int argc, char** argv, TStartOptions& options,
                                        int& exitCode) {
    QCoreApplication::setApplicationName(u"Kovela"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(KOVELA_VERSION));
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Kovela controls the AR5000 wide-band receiver over a serial line, an SDU-5500, or "
        "the network.\nSettings, tables and logs live in the program folder: $KOVELA_HOME, "
        "else the executable's folder when it holds Kovela.INI, else the per-user data "
        "folder."_s);
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption simulate(
        u"simulate"_s,
        u"Run on the built-in simulated receiver: it is started on a pseudo-terminal, the "
        "serial port is opened there and the link opened at once. The settings file is not "
        "changed: the run starts from it but writes to a copy that is dropped at exit."_s);
    const QCommandLineOption noSplash(u"no-splash"_s, u"Start without the splash window."_s);
    const QCommandLineOption showPaths(
        u"show-paths"_s, u"Print the program folder, the settings file, the user guide and the "
                         "beacon schedule this run would use, then end."_s);
    parser.addOption(simulate);
    parser.addOption(noSplash);
    parser.addOption(showPaths);
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "kovela: %s\n%s", qPrintable(parser.errorText()),
                     qPrintable(parser.helpText()));
        exitCode = 2;
        return false;
    }
    if (parser.isSet(u"help"_s)) {
        std::printf("%s",
                    qPrintable(parser.helpText().replace(u"<executable_name>"_s, u"kovela"_s)));
        exitCode = 0;
        return false;
    }
    if (parser.isSet(u"version"_s)) {
        std::printf("Kovela %s\n", KOVELA_VERSION);
        exitCode = 0;
        return false;
    }
    options.Simulate = parser.isSet(simulate);
    options.Splash = !parser.isSet(noSplash);
    options.ShowPaths = parser.isSet(showPaths);
    return true;
}

QString TKovelaApplication::PathsText() {
    const QString beacons = BeaconFileSource();
    return u"Program folder: %1\nSettings file: %2\nUser guide: %3\nBeacon schedule: %4\n"_s.arg(
        ProgramFolder(), SettingsFileName(), HelpFileName(),
        beacons.startsWith(u':') ? u"built in"_s : beacons);
}

bool TKovelaApplication::Start(const TStartOptions& options) {
    FOptions = options;
    SetPrompt(std::make_unique<TWidgetPrompt>());
    new THelpKey(this);
    FSettingsExisted = QFileInfo::exists(SettingsFileName());
    if (options.Simulate && !UseTrialSettings())
        return false;

    if (options.Splash) {
        FSplash = std::make_unique<TSplashForm>();
        FSplash->ShowNow();
    }
    FMainForm = std::make_unique<TMainForm>(*FSettings);
    FDataModule = std::make_unique<TDataModule1>();
    const bool tablesReady = FDataModule->DataModule1Create();
    FMemForm = std::make_unique<TMemForm>(*FMainForm, *FDataModule);
    FMainForm->SetMemoryWindowLink(std::make_unique<TMemFormLink>(*FMemForm));
    // The search and scan pages live on the main window and go with it.
    FSearchScan =
        new TSearchScan(*FMainForm, std::make_unique<TDataModuleScanTable>(
                                        *FDataModule, [this] { FMemForm->ShowAllMemories(); }));
    // The scan page's "Clear" is the memory window's own item, question and all.
    FSearchScan->ScanPage()->SetClearAllSelectScanFlags([this] { FMemForm->ClearAllSelectScan(); });
    FSearchScan->Priority()->SetMemoryTable(
        std::make_unique<TDataModulePriorityTable>(*FDataModule));
    // The log window is made when the main window's log button asks for it.
    FLogWindow = new TLogWindowController(*FMainForm, FMainForm.get());
    // File, "Spec Analyser": a sweep closes the log window.
    const auto closeLogWindow = [this] {
        if (TFormLog* log = FLogWindow->FormLog(); log && log->isVisible())
            log->close();
    };
    FSpectrum = std::make_unique<TSpectrumController>(*FMainForm, FSearchScan, closeLogWindow);
    // Tools, "IARU Beacons". The schedule file is the user's to edit: it is put in the program
    // folder once, from the copy shipped with the program.
    FBeacons = std::make_unique<TBeaconController>(*FMainForm);
    // The companion programs (Setup menu, btnQd3, the recorder); the beacon window sends its
    // call sign to the spectrum display and works the same link with its own Qd3 button.
    FCompanions = std::make_unique<TCompanionController>(*FMainForm, ProgramFolder());
    FCompanions->VfoSearchRunning = [this] {
        return FSearchScan->VfoSearch()->Running();
    };
    // The agent hears scan stops and held priority channels.
    connect(FSearchScan->ScanPage(), &TScanPageController::HitLocated, FCompanions.get(),
            &TCompanionController::ScanHitLocated);
    connect(FSearchScan->Priority(), &TPriorityController::ChannelHeld, FCompanions.get(),
            [this](const TPriorityRow& row) {
                if (row.FreqMHz)
                    FCompanions->PriorityChannelHeld(row.Text, *row.FreqMHz);
            });
    FBeacons->SendCallSign = [this](const QString& callSign) {
        FCompanions->SendCallSign(callSign);
    };
    FBeacons->Qd3Clicked = [this] {
        FCompanions->LinkToQd3Click();
    };
    connect(FCompanions.get(), &TCompanionController::Qd3LinkChanged, this, [this](bool linked) {
        if (TfrmBeacons* form = FBeacons->Form())
            if (auto* button = form->findChild<QAbstractButton*>(u"btnQd3"_s))
                button->setChecked(linked);
    });
    if (!InstallBeaconFile(ProgramFolder()))
        FMainForm->AddMessage(
            u"The beacon schedule could not be copied into %1."_s.arg(ProgramFolder()));
    // Tools, "Long term signal log...": logs the channels the memory window shows.
    FSignalMonitor =
        std::make_unique<TSignalMonitorController>(*FMainForm, *FDataModule, closeLogWindow);
    connect(FSearchScan->RunControls(), &TRunControls::FlagsReset, FSignalMonitor.get(),
            &TSignalMonitorController::StopRunningMonitor);
    // Rows dragged onto the VFO boxes come from windows the main window cannot see.
    TVfoDropTarget* drops = FMainForm->MainSheet()->VfoDrop();
    drops->Rows.MemoryRow = [this](int bank, int channel) {
        return FMemForm->DropRow(bank, channel);
    };
    drops->Rows.LogRow = [this](qint64 id) -> std::optional<TDropRow> {
        const TFormLog* log = FLogWindow->FormLog();
        return log ? log->DropRow(id) : std::nullopt;
    };
    connect(FLogWindow, &TLogWindowController::FormLogCreated, this, [drops](TFormLog* log) {
        connect(log, &TFormLog::RowDropRequested, drops, [drops, log](QChar letter) {
            if (const auto id = log->CurrentId())
                drops->DropLogRow(letter, *id);
        });
    });
    // Search hits logged into the log window's table while one is open.
    FSearchScan->HitKeeper()->SetAutoLogTarget({
        [this] { return FLogWindow->FormLog() != nullptr; },
        [this] { return FLogWindow->FormLog() && FLogWindow->FormLog()->QLog().Active(); },
        [this] { FLogWindow->FormLog()->ChooseSearchLogCategory(); },
        [this](const TAutoLogEntry& e) {
            FLogWindow->FormLog()->AddEntry(e.FreqText, e.ModeText, e.Stadj, e.Level, e.Squelch,
                                            e.AntText, e.StepText, e.BwText);
        },
        [this](bool on) { FLogWindow->FormLog()->setEnabled(on); },
    });
    // Hits of searches and scans recorded to WAV files from the default sound input, or by the
    // recorder program.
    new TAudioRecording(*FMainForm, *FSearchScan, std::make_unique<TQtAudioSource>(),
                        std::make_unique<TCompanionRecorderProgram>(*FCompanions));
    // The volume bar's other use: the sound card's line-in volume, when the card has one.
    FMainForm->MainSheet()->Volume()->SetLineInVolume(std::make_unique<TVControl>(MakeAlsaMixer()));
    // Tools, "Get DTMF" and "Clock"; both go with the main window.
    new TDtmfController(*FMainForm);
    new TClockController(*FMainForm);
    // File, "Tuning Scales...".
    new TScalesController(*FMainForm);
    FMessages = std::make_unique<TErrorInfoMessageForm>();
    FMainForm->SetMessageSink([this](const QString& text) { FMessages->AddMessage(text); });
    FDataModule->ShowMessage = [this](const QString& text) {
        FMainForm->AddMessage(text);
    };
    FDataModule->ReportError = FDataModule->ShowMessage;
    if (!tablesReady)
        FMainForm->AddMessage(FDataModule->LastError());
    // After the panel has read the receiver: the table of the bank the receiver is on.
    connect(FMainForm->Link(), &TLinkController::LinkOpened, FMemForm.get(),
            &TMemForm::SelectBankTable);
    FMessages->CheckOpenErrorLogfile(FSettings->LogErrors);
    connect(FMainForm.get(), &TMainForm::ViewMessagesRequested, this, [this] {
        FMessages->show();
        FMessages->raise();
    });
    connect(FMainForm.get(), &TMainForm::ViewCommsRequested, this,
            &TKovelaApplication::ShowCommsMonitor);
    connect(FMainForm.get(), &TMainForm::CommsDialogRequested, this,
            &TKovelaApplication::RunCommsDialog);
    WireHintsAndColours();
    // The program lives as long as its main window, not as long as its last window.
    setQuitOnLastWindowClosed(false);
    connect(FMainForm.get(), &TMainForm::Closed, this, &QCoreApplication::quit,
            Qt::QueuedConnection);
    // Closing the program closes the message log with it; a refused close keeps it logging.
    connect(FMainForm.get(), &TMainForm::Closed, this,
            [this] { FMessages->CheckOpenErrorLogfile(false); });

    if (options.Simulate && !StartSimulator())
        return false;

    FMainForm->show();
    const int remainingMs = FSplash ? FSplash->RemainingMs() : 0;
    FSplashWaitMs = remainingMs;
    QTimer::singleShot(remainingMs, this, &TKovelaApplication::FinishStart);
    return true;
}

void TKovelaApplication::WireHintsAndColours() {
    FHints = std::make_unique<THintRouter>();
    FHints->MemoryWindow = [this]() -> QWidget* {
        return FMemForm.get();
    };
    FHints->MoveWindow = [this]() -> QWidget* {
        return FMemForm->findChild<TMoveForm*>();
    };
    FHints->LogWindow = [this]() -> QWidget* {
        return FLogWindow->FormLog();
    };
    FHints->SetPopupHintsShown(FSettings->HintsShown());
    connect(FMainForm.get(), &TMainForm::HintsSwitched, FHints.get(),
            &THintRouter::SetPopupHintsShown);
    connect(FMainForm.get(), &TMainForm::ColoursRequested, this, [this] {
        if (RunColorForm(*FMemForm, FMainForm.get(), ColourPicker))
            FLogWindow->ApplyTableColours();
    });
}

bool TKovelaApplication::UseTrialSettings() {
    FTrialFolder = std::make_unique<QTemporaryDir>();
    if (!FTrialFolder->isValid()) {
        std::fprintf(stderr, "kovela: cannot make a folder for this run's settings: %s\n",
                     qPrintable(FTrialFolder->errorString()));
        return false;
    }
    const QString copy = FTrialFolder->filePath(QFileInfo(SettingsFileName()).fileName());
    if (FSettingsExisted && !QFile::copy(SettingsFileName(), copy)) {
        std::fprintf(stderr, "kovela: cannot copy the settings file %s\n",
                     qPrintable(SettingsFileName()));
        return false;
    }
    SetSettingsFileOverride(copy);
    return true;
}

bool TKovelaApplication::StartSimulator() {
    FSimReceiver = std::make_unique<TSimReceiver>();
    FSimPty = std::make_unique<TSimPty>(FSimReceiver.get());
    if (!FSimPty->Open()) {
        std::fprintf(stderr, "kovela: cannot start the simulated receiver: %s\n",
                     qPrintable(FSimPty->ErrorText()));
        return false;
    }
    // This run only: the settings file keeps the user's own port and mode.
    FMainForm->Driver()->SetConnectionMode(0);
    FMainForm->Link()->SetDeviceOverride(FSimPty->SlavePath());
    FMainForm->Link()->ShowPortInStatusBar();
    std::printf("Simulated receiver on %s\n", qPrintable(FSimPty->SlavePath()));
    std::fflush(stdout);
    return true;
}

void TKovelaApplication::FinishStart() {
    FSplash.reset();
    if (!FMainForm)
        return;
    if (!FSettingsExisted && !FOptions.Simulate)
        RunCommsDialog();
    if (FSettings->AutoConnect || FOptions.Simulate)
        FMainForm->Link()->OpenPortButtonClick();
    Q_EMIT Started();
}

void TKovelaApplication::ShowCommsMonitor() {
    if (!FCommsForm) {
        FCommsForm = new TCommsForm(FMainForm->Driver());
        FCommsForm->setAttribute(Qt::WA_DeleteOnClose);
    }
    FCommsForm->show();
    FCommsForm->raise();
    FCommsForm->activateWindow();
}

void TKovelaApplication::RunCommsDialog() {
    TBaudRateForm dialog(*FSettings, FMainForm.get());
    if (dialog.exec() != QDialog::Accepted)
        return;
    FMainForm->ApplyCommsSettings();
    FMessages->CheckOpenErrorLogfile(FSettings->LogErrors);
}

void TKovelaApplication::HandleUnexpectedError(const QString& description) {
    if (!FMainForm)
        return;
    FMainForm->setEnabled(true);
    if (FSearchScan && FSearchScan->HitKeeper())
        FSearchScan->HitKeeper()->StopLogging();
    if (FSignalMonitor)
        FSignalMonitor->StopRunningMonitor();
    if (!FMainForm->Driver()->Connected()) {
        FMainForm->Link()->ApplyClosedState();
        FMainForm->MainSheet()->VfoPanel()->ResetPanelColours();
    }
    FMainForm->ReportMessage(description + u"\r\nAppliction.OnException."_s);
}

bool TKovelaApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        HandleUnexpectedError(u"Exception %1 in %2: %3"_s.arg(
            QString::fromLatin1(typeid(error).name()),
            QString::fromLatin1(receiver->metaObject()->className()),
            QString::fromLocal8Bit(error.what())));
    } catch (...) {
        HandleUnexpectedError(u"Unknown exception in %1"_s.arg(
            QString::fromLatin1(receiver->metaObject()->className())));
    }
    return false;
}
