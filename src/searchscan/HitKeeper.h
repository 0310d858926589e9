#pragma once

#include "HitLogFile.h"
#include "HitSink.h"
#include "SearchScanContext.h"

#include <QObject>

#include <functional>

class QAction;
class QLabel;
class TScanMemoryTable;
class TScanPageController;
class TSearchPageController;

// One search hit as the log table receives it, in the order the log window takes it.
struct TAutoLogEntry {
    QString FreqText;
    QString ModeText;
    bool Stadj = false;
    int Level = 0;
    int Squelch = 0;
    QString AntText;
    QString StepText;
    QString BwText;
};

// The log window as auto-logging sees it. This library knows nothing of the log window: the
// application fills these in; a hook left empty reads as "no log window".
struct TAutoLogTarget {
    std::function<bool()> Exists;
    std::function<bool()> TableOpen;
    // Asks the category and note text for the run's entries.
    std::function<void()> ChooseCategory;
    std::function<void(const TAutoLogEntry& entry)> AddEntry;
    std::function<void(bool on)> SetWindowEnabled;
};

// What becomes of every hit: the hit log file ("Log to file" and "View a Log" in the File menu),
// the receiver's auto-store of search hits with the memory table cleared for it, and auto-logging
// of search hits into the open log table.
class THitKeeper final : public QObject, public THitSink {
    Q_OBJECT

public:
    THitKeeper(const TSearchScanContext& context, TScanMemoryTable& table);
    ~THitKeeper() override;

    // Puts the menu items in place and takes over the pages' hit-handling controls.
    void Attach(TSearchPageController* search, TScanPageController* scan);

    THitLogFile& LogFile() { return FLogFile; }
    void SetAutoLogTarget(TAutoLogTarget target) { FAutoLog = std::move(target); }
    // Hits are recorded to WAV files through this from now on (none when null).
    void SetRecording(THitRecording* recording);
    // Shows a file with the program the platform has for it; false when none could be started.
    std::function<bool(const QString& fileName)> OpenDocument;

    void Logtofile1Click();
    // The hit log closed and the menu item back to "Log to File", as on the Main page.
    void StopLogging();
    void ViewaLog1Click();
    // Reset Flags: logging stops and the log window is usable again.
    void ResetFlags();
    void AutoStoreCheckBoxClick(bool checked);
    void AutoLogtoLogtable1Click(bool checked);
    // The auto-log item is offered only while a log table is open on a live link.
    void UpdateAutoLogItem();

    void RunStarted(THitSource source, int bank) override;
    void HitShown(THitSource source, const THit& hit) override;
    void RunStopped(THitSource source) override;
    void HitLeft(THitSource source) override;

private:
    bool LogWindowExists() const;
    void EnableLogWindow();
    void ShowLogStatus(const QString& text);
    void LogFailed(const QString& error);
    void ScanPageShown(bool shown);

    TSearchScanContext FContext;
    TScanMemoryTable& FTable;
    THitLogFile FLogFile;
    TAutoLogTarget FAutoLog;
    THitRecording* FRecording = nullptr;
    TSearchPageController* FSearch = nullptr;
    QLabel* FSearchStatus = nullptr;
    QLabel* FScanStatus = nullptr;
    QAction* FLogtofile1 = nullptr;
    QAction* FViewaLog1 = nullptr;
};
