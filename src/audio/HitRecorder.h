#pragma once

#include "HitSink.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QAction;
class TAudioSource;
class TRecorderProgram;
class THitKeeper;
class TMainForm;
class TSearchScan;
class TScanPageController;
class TSearchPageController;
class TWavRecorder;

// Records search and scan hits: a run with "Record To Wav File" (search) or "Rec to Wav" (scans)
// opens one file for the run, or one per hit, records while the receiver sits on a signal and
// stops once the squelch stays closed. Level reports come from the signal display; the record
// options are offered while the link is open.
class THitRecorder final : public QObject, public THitRecording {
    Q_OBJECT

public:
    THitRecorder(TMainForm& form, TWavRecorder& recorder, TSearchPageController* search,
                 TScanPageController* scan, QObject* parent = nullptr);

    void RunStarted(THitSource source) override;
    void HitShown(THitSource source, const THit& hit) override;
    void HitLeft(THitSource source) override;
    QString RunStopped(THitSource source) override;
    QString Position() const override;

private:
    bool OptionChecked(THitSource source) const;
    void SetOptionsEnabled(bool on);
    void RecordScanToWavClicked(bool checked);
    void RecordToWavFile1Clicked(bool checked);

    TMainForm& FForm;
    TWavRecorder& FRecorder;
    TSearchPageController* FSearch;
    TScanPageController* FScan;
};

// The program's audio recording: the recorder on a sound source, with hit recording on the
// search and scan pages and the level reports of the signal display. Made once the pages exist.
class TAudioRecording final : public QObject {
    Q_OBJECT

public:
    // Without a recorder program only the built-in recording is offered.
    TAudioRecording(TMainForm& form, TSearchScan& pages, std::unique_ptr<TAudioSource> source,
                    std::unique_ptr<TRecorderProgram> program = nullptr);
    ~TAudioRecording() override;

    TWavRecorder& Recorder() const { return *FRecorder; }

    // "Record to Wav" of the main page: records whenever the squelch is open, for as long as it
    // is checked; needs the signal display, and keeps priority watching off meanwhile.
    void MainRecordtoWav1Click(bool checked);
    // File, "Play Wav File": a recording chosen and played by the platform's program for it.
    void PlayWavFile1Click();
    // Setup, "Setup Recording Options", offered only while no file is open.
    void SetupRecordingClick();

    // Tools, "Windows Mixer": the platform's mixer on its playback or recording controls.
    void MixerClick(bool recording);
    // Starts a program; false when it could not be started.
    std::function<bool(const QString& program, const QStringList& arguments)> StartProgram;
    // Finds a program on the search path; empty when there is none.
    std::function<QString(const QString& name)> FindProgram;

    // Shows a file or folder with the platform's program for it; false when none could start.
    std::function<bool(const QString& path)> OpenDocument;

private:
    void OpenFolder(const QString& folder);

    TWavRecorder* FRecorder;
    THitRecorder* FHits;
    QPointer<THitKeeper> FKeeper;
    TMainForm& FForm;
    QAction* FMainRecordtoWav1;
    QAction* FPlayWavFile1 = nullptr;
    QAction* FSetupRecording = nullptr;
    QAction* FRecordingControls1 = nullptr;
};
