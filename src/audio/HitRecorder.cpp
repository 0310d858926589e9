#include "HitRecorder.h"

#include "AR5000.h"
#include "HitKeeper.h"
#include "LinkController.h"
#include "Main.h"
#include "MainSheet.h"
#include "ScanPage.h"
#include "SearchPage.h"
#include "SearchScan.h"
#include "Settings.h"
#include "SignalDisplay.h"
#include "UpDown.h"
#include "VfoPanelController.h"
#include "WavRecorder.h"

#include "ProgramFolder.h"
#include "Prompt.h"
#include "SearchScanContext.h"
#include "SetupRecordingForm.h"

#include <QAction>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

constexpr int kTimerBaseMs = 2000;
constexpr int kMsPerDelayStep = 100;
// A per-hit file must end soon after the squelch closes: level reports are asked for often.
constexpr int kPerHitTimerMs = 200;
constexpr int kHitQuietLimit = 2;
constexpr int kMainTimerMs = 2000;
constexpr int kMainQuietLimit = 30;
constexpr int kRecorderChooseFormat = 0;

// The platform's mixer and how it opens on the playback or the recording controls.
struct TMixer {
    const char16_t* Program;
    const char16_t* PlaybackArgument;
    const char16_t* RecordingArgument;
};
#ifdef Q_OS_WIN
constexpr TMixer kMixers[] = {{u"SndVol32.exe", u"", u"-r"}, {u"SndVol.exe", u"", u"-r"}};
#else
constexpr TMixer kMixers[] = {{u"pavucontrol", u"--tab=1", u"--tab=2"}};
#endif

// The options may change between runs (the recording and comms dialogs write them).
void ApplyRecordingSettings(const TSettings& settings, TWavRecorder& recorder) {
    recorder.UseMCI = settings.UseMCI;
    recorder.WavFiles16Bit = settings.WavFiles16Bit;
    recorder.SearchScanWavFilesByFreq = settings.SearchScanWavFilesByFreq;
}

void SendLevelQuery(TMainForm& form, TWavRecorder& recorder) {
    recorder.SendLevelQuery = [driver = form.Driver()] {
        driver->SendCommandUpper(u"LM"_s);
    };
}

} // namespace

THitRecorder::THitRecorder(TMainForm& form, TWavRecorder& recorder, TSearchPageController* search,
                           TScanPageController* scan, QObject* parent)
    : QObject(parent)
    , FForm(form)
    , FRecorder(recorder)
    , FSearch(search)
    , FScan(scan) {
    connect(form.SignalDisplay(), &TSignalDisplayController::SquelchReported, &recorder,
            &TWavRecorder::LevelReport);
    connect(form.Link(), &TLinkController::LinkOpened, this, [this] { SetOptionsEnabled(true); });
    connect(form.Link(), &TLinkController::LinkClosed, this, [this] { SetOptionsEnabled(false); });
    connect(&recorder, &TWavRecorder::RecordingEnded, this, [this] {
        FSearch->Widgets().RecordToWavFile1->setChecked(false);
        FScan->Widgets().CheckBoxRecordScanToWav->setChecked(false);
    });
    connect(scan->Widgets().CheckBoxRecordScanToWav, &QCheckBox::clicked, this,
            &THitRecorder::RecordScanToWavClicked);
    connect(search->Widgets().RecordToWavFile1, &QAction::triggered, this,
            &THitRecorder::RecordToWavFile1Clicked);
}

void THitRecorder::SetOptionsEnabled(bool on) {
    FSearch->Widgets().RecordToWavFile1->setEnabled(on && !FSearch->Running());
    FScan->Widgets().CheckBoxRecordScanToWav->setEnabled(on);
}

void THitRecorder::RecordScanToWavClicked(bool checked) {
    if (checked && FRecorder.WavFileOpen())
        FRecorder.SaveAndCloseWavFile();
}

void THitRecorder::RecordToWavFile1Clicked(bool checked) {
    // Unchecking while a file is open ends what is being recorded.
    if (!checked && FRecorder.WavFileOpen()) {
        FRecorder.SaveAndCloseWavFile();
        FRecorder.EndHitRecording();
    }
}

bool THitRecorder::OptionChecked(THitSource source) const {
    switch (source) {
    case THitSource::ProgramSearch:
        return FSearch->Widgets().RecordToWavFile1->isChecked();
    case THitSource::BankScan:
    case THitSource::SelectScan:
        return FScan->Widgets().CheckBoxRecordScanToWav->isChecked();
    case THitSource::VfoSearch:
        break;
    }
    return false;
}

void THitRecorder::RunStarted(THitSource source) {
    if (!OptionChecked(source))
        return;
    ApplyRecordingSettings(FForm.Settings(), FRecorder);
    if (!FRecorder.PerHitFiles())
        FRecorder.OpenWavFile();
    const int delay = source == THitSource::ProgramSearch ? FSearch->Widgets().UpDownSD->Position()
                                                          : FScan->Widgets().UpDownXD->Position();
    const bool quick = FRecorder.PerHitFiles() && source != THitSource::SelectScan;
    FRecorder.TimerWavFile().setInterval(quick ? kPerHitTimerMs
                                               : delay * kMsPerDelayStep + kTimerBaseMs);
    FRecorder.QuietLimit = kHitQuietLimit;
    SendLevelQuery(FForm, FRecorder);
}

void THitRecorder::HitShown(THitSource source, const THit& hit) {
    if (!OptionChecked(source))
        return;
    if (FRecorder.PerHitFiles() && !FRecorder.WavStopping()) {
        const QString channel = hit.Channel >= 0 ? QString::number(hit.Channel) : QString();
        FRecorder.PerHitName = PerHitFileName(
            channel, hit.MemoryText, FormatFrequencyText(hit.Record.Freq), FRecorder.Clock());
        FRecorder.OpenWavFile(FRecorder.PerHitName);
    }
    if (FRecorder.WavFileOpen())
        FRecorder.StartWavRecording();
}

void THitRecorder::HitLeft(THitSource source) {
    if (OptionChecked(source) && FRecorder.PerHitFiles() && FRecorder.WavFileOpen())
        FRecorder.SaveAndCloseWavFile(FRecorder.PerHitName);
}

QString THitRecorder::RunStopped(THitSource source) {
    const bool checked = OptionChecked(source);
    QString saved;
    if (checked && FRecorder.WavFileOpen()) {
        const bool single = !FRecorder.PerHitFiles();
        const QString name = FRecorder.SaveAndCloseWavFile(FRecorder.PerHitName);
        // The recorder program names its files itself.
        if (single)
            saved = FRecorder.UseMCI ? name : LatestSavedWav();
    }
    if (checked)
        FRecorder.EndHitRecording();
    return saved;
}

QString THitRecorder::Position() const {
    return FRecorder.PositionText();
}

TAudioRecording::TAudioRecording(TMainForm& form, TSearchScan& pages,
                                 std::unique_ptr<TAudioSource> source,
                                 std::unique_ptr<TRecorderProgram> recorderProgram)
    : QObject(&form)
    , FRecorder(new TWavRecorder(std::move(source), std::move(recorderProgram), this))
    , FHits(new THitRecorder(form, *FRecorder, pages.SearchPage(), pages.ScanPage(), this))
    , FKeeper(pages.HitKeeper())
    , FForm(form)
    , FMainRecordtoWav1(form.findChild<QAction*>(u"MainRecordtoWav1"_s)) {
    FRecorder->AddMessage = [&form](const QString& text) {
        form.AddMessage(text);
    };
    if (FKeeper)
        FKeeper->SetRecording(FHits);
    QCheckBox* signal = form.MainSheet()->Widgets().TimerCheckBox;
    FRecorder->MainRecordingActive = [this, signal] {
        return FMainRecordtoWav1->isChecked() && signal->isChecked();
    };
    connect(FMainRecordtoWav1, &QAction::triggered, this, &TAudioRecording::MainRecordtoWav1Click);
    connect(form.Link(), &TLinkController::LinkOpened, this,
            [this] { FMainRecordtoWav1->setEnabled(true); });
    connect(form.Link(), &TLinkController::LinkClosed, this, [this] {
        if (FMainRecordtoWav1->isChecked())
            FMainRecordtoWav1->trigger();
        FMainRecordtoWav1->setEnabled(false);
    });
    connect(FRecorder, &TWavRecorder::RecordingEnded, this, [this] {
        FMainRecordtoWav1->setChecked(false);
        if (FPlayWavFile1)
            FPlayWavFile1->setEnabled(true);
        FForm.MainSheet()->VfoPanel()->ShowRecordingDigits(false);
    });
    connect(FRecorder, &TWavRecorder::MainRecordingChanged, this, [this](bool recording) {
        FForm.MainSheet()->VfoPanel()->ShowRecordingDigits(recording);
    });
    // Whatever was recording stops; the options are offered again.
    connect(pages.RunControls(), &TRunControls::FlagsReset, this, [this, &pages] {
        FRecorder->EndHitRecording();
        const bool linked = FForm.Driver()->Connected();
        FMainRecordtoWav1->setEnabled(linked);
        pages.SearchPage()->Widgets().RecordToWavFile1->setEnabled(linked);
        pages.ScanPage()->Widgets().CheckBoxRecordScanToWav->setEnabled(linked);
    });

    OpenDocument = [](const QString& path) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    if (QMenu* setup = MainMenuTitled(form, u"&Setup"_s)) {
        FSetupRecording = setup->addAction(u"Setup Recording Options"_s);
        FSetupRecording->setObjectName(u"SetupRecording"_s);
        connect(FSetupRecording, &QAction::triggered, this, &TAudioRecording::SetupRecordingClick);
        connect(setup, &QMenu::aboutToShow, this,
                [this] { FSetupRecording->setEnabled(!FRecorder->WavFileOpen()); });
    }
    StartProgram = [](const QString& file, const QStringList& arguments) {
        return QProcess::startDetached(file, arguments);
    };
    FindProgram = [](const QString& name) {
        return QStandardPaths::findExecutable(name);
    };
    if (QMenu* tools = MainMenuTitled(form, u"&Tools"_s)) {
        QMenu* mixer = tools->addMenu(u"Windows Mixer"_s);
        mixer->menuAction()->setObjectName(u"WindowsMixer1"_s);
        QAction* playback = mixer->addAction(u"PlayBack Controls"_s);
        playback->setObjectName(u"PlayBackControls1"_s);
        FRecordingControls1 = mixer->addAction(u"Recording Controls"_s);
        FRecordingControls1->setObjectName(u"RecordingControls1"_s);
        connect(playback, &QAction::triggered, this, [this] { MixerClick(false); });
        connect(FRecordingControls1, &QAction::triggered, this, [this] { MixerClick(true); });
        // Only a mixer that is there can show its recording controls.
        connect(mixer, &QMenu::aboutToShow, this, [this] {
            bool found = false;
            for (const TMixer& each : kMixers)
                found = found || !FindProgram(QString::fromUtf16(each.Program)).isEmpty();
            FRecordingControls1->setVisible(found);
        });
    }
    if (QMenu* file = MainMenuTitled(form, u"&File"_s)) {
        FPlayWavFile1 = new QAction(u"Play Wav File"_s, file);
        FPlayWavFile1->setObjectName(u"PlayWavFile1"_s);
        auto* soundFolder = new QAction(u"Open Wav Files Folder"_s, file);
        soundFolder->setObjectName(u"OpenWavFilesFolder1"_s);
        auto* dataFolder = new QAction(u"Open Data Folder"_s, file);
        dataFolder->setObjectName(u"OpenDatafolder1"_s);
        InsertAboveExit(file, {FPlayWavFile1, soundFolder, dataFolder});
        connect(FPlayWavFile1, &QAction::triggered, this, &TAudioRecording::PlayWavFile1Click);
        connect(soundFolder, &QAction::triggered, this, [this] { OpenFolder(SoundFolder()); });
        connect(dataFolder, &QAction::triggered, this, [this] { OpenFolder(DataFolder()); });
    }
}

void TAudioRecording::SetupRecordingClick() {
    TSetupRecordingForm form(FForm.Settings(), FRecorder->Program().Present(), &FForm);
    form.ChooseFormat = [this] {
        QString why;
        if (FRecorder->Program().Start(why))
            FRecorder->Program().PostCommand(kRecorderChooseFormat);
        else
            FForm.AddMessage(why);
    };
    if (!FRecorder->Source().Available())
        form.ShowNoSoundInput(NoInputDeviceText());
    form.exec();
    // However the dialog closed, the recorder is let go until recording needs it again.
    FRecorder->Program().Release();
}

void TAudioRecording::MixerClick(bool recording) {
    const QString context = recording ? u"RecordingControls1Click"_s : u"PlaybackControls1Click"_s;
    for (const TMixer& mixer : kMixers) {
        const QString program = FindProgram(QString::fromUtf16(mixer.Program));
        if (program.isEmpty())
            continue;
        const QString argument =
            QString::fromUtf16(recording ? mixer.RecordingArgument : mixer.PlaybackArgument);
        if (!StartProgram(program, argument.isEmpty() ? QStringList() : QStringList{argument}))
            FForm.AddMessage(u"%1 could not be started\r\n%2"_s.arg(program, context));
        return;
    }
    FForm.AddMessage(u"No sound mixer program was found\r\n%1"_s.arg(context));
}

void TAudioRecording::OpenFolder(const QString& folder) {
    if (folder.isEmpty() || !OpenDocument || !OpenDocument(folder))
        FForm.AddMessage(u"Could not open the folder %1"_s.arg(folder));
}

void TAudioRecording::PlayWavFile1Click() {
    const QString fileName = Prompt().OpenFileName(u"Play Wav File"_s, SoundFolder(), {},
                                                   u"Wav Files (*.wav *.Wav);;All files (*)"_s);
    if (fileName.isEmpty())
        return;
    if (!OpenDocument || !OpenDocument(fileName))
        FForm.AddMessage(
            u"No program to play %1 was found\r\nIn PlayWavFile1Click"_s.arg(fileName));
}

void TAudioRecording::MainRecordtoWav1Click(bool checked) {
    const TMainSheetWidgets& sheet = FForm.MainSheet()->Widgets();
    if (checked) {
        if (!sheet.TimerCheckBox->isChecked())
            sheet.TimerCheckBox->click();
        if (sheet.PriorityCheckBox1->isChecked())
            sheet.PriorityCheckBox1->click();
        sheet.PriorityCheckBox1->setEnabled(false);
        if (FPlayWavFile1)
            FPlayWavFile1->setEnabled(false);
        ApplyRecordingSettings(FForm.Settings(), *FRecorder);
        // One file for as long as the option is on, whatever the per-hit setting.
        FRecorder->SearchScanWavFilesByFreq = false;
        FRecorder->OpenWavFile();
        FRecorder->TimerWavFile().setInterval(kMainTimerMs);
        FRecorder->QuietLimit = kMainQuietLimit;
        SendLevelQuery(FForm, *FRecorder);
        return;
    }
    if (sheet.TimerCheckBox->isChecked())
        sheet.TimerCheckBox->click();
    FRecorder->SaveAndCloseWavFile();
    sheet.PriorityCheckBox1->setEnabled(FForm.Driver()->Connected());
    FRecorder->EndHitRecording();
}

TAudioRecording::~TAudioRecording() {
    if (FKeeper)
        FKeeper->SetRecording(nullptr);
}
