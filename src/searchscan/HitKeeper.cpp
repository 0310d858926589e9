#include "HitKeeper.h"

#include "AR5000.h"
#include "LinkController.h"
#include "Main.h"
#include "MainSheet.h"
#include "PageController.h"
#include "ProgramFolder.h"
#include "Prompt.h"
#include "ScanMemoryTable.h"
#include "ScanPage.h"
#include "SearchPage.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

const QString kLogToFileCaption = u"Log to file"_s;
const QString kLogClosedCaption = u"Log to File"_s;
const QString kCloseLogCaption = u"Close Logfile"_s;
const QString kDefaultLogName = u"Kovela.csv"_s;
// The receiver's auto-store fills these channels of bank 0.
constexpr int kFirstAutoStoreChannel = 0;
constexpr int kLastAutoStoreChannel = 99;

} // namespace

THitKeeper::THitKeeper(const TSearchScanContext& context, TScanMemoryTable& table)
    : FContext(context)
    , FTable(table) {
    OpenDocument = [](const QString& fileName) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(fileName));
    };
    FLogFile.OnFailed = [this](const QString& error) {
        LogFailed(error);
    };
}

THitKeeper::~THitKeeper() = default;

void THitKeeper::Attach(TSearchPageController* search, TScanPageController* scan) {
    FSearch = search;
    FSearchStatus = search->Widgets().StatusBar3;
    FScanStatus = scan->Widgets().StatusBar2;
    TMainForm& form = *FContext.Form;
    if (QMenu* file = MainMenuTitled(form, u"&File"_s)) {
        FLogtofile1 = new QAction(kLogToFileCaption, file);
        FLogtofile1->setObjectName(u"Logtofile1"_s);
        FLogtofile1->setCheckable(true);
        FLogtofile1->setEnabled(false);
        FViewaLog1 = new QAction(u"View a Log"_s, file);
        FViewaLog1->setObjectName(u"ViewaLog1"_s);
        InsertAboveExit(file, {FLogtofile1, FViewaLog1});
        // The check follows the file, not the click.
        connect(FLogtofile1, &QAction::triggered, this, [this] { Logtofile1Click(); });
        connect(FViewaLog1, &QAction::triggered, this, &THitKeeper::ViewaLog1Click);
    }
    TPageController* pages = FContext.Sheet->Pages();
    connect(pages, &TPageController::ScanPageEntered, this, [this] { ScanPageShown(true); });
    connect(pages, &TPageController::MainPageEntered, this, [this] { ScanPageShown(false); });
    connect(FContext.Form->Link(), &TLinkController::LinkClosed, this, &THitKeeper::StopLogging);

    const TSearchPageWidgets& w = search->Widgets();
    connect(w.AutoStoreCheckBox, &QCheckBox::clicked, this, &THitKeeper::AutoStoreCheckBoxClick);
    connect(w.AutoLogtoLogtable1, &QAction::triggered, this, &THitKeeper::AutoLogtoLogtable1Click);
    connect(w.PopupMenuSearchRecordToWav, &QMenu::aboutToShow, this,
            &THitKeeper::UpdateAutoLogItem);
}

void THitKeeper::ScanPageShown(bool shown) {
    if (!FLogtofile1)
        return;
    if (!shown)
        StopLogging();
    FLogtofile1->setEnabled(shown);
}

void THitKeeper::ShowLogStatus(const QString& text) {
    for (QLabel* bar : {FSearchStatus, FScanStatus}) {
        if (bar)
            bar->setText(text);
    }
}

void THitKeeper::StopLogging() {
    FLogFile.Close();
    if (FLogtofile1) {
        FLogtofile1->setChecked(false);
        FLogtofile1->setText(kLogClosedCaption);
    }
    ShowLogStatus(QString());
}

void THitKeeper::Logtofile1Click() {
    if (FLogFile.IsOpen()) {
        StopLogging();
        return;
    }
    FLogtofile1->setChecked(false);
    QString fileName = Prompt().SaveFileName(u"Log to file"_s, DataFolder(), kDefaultLogName,
                                             u"csv files (*.csv);;All Files (*)"_s);
    if (fileName.isEmpty())
        return;
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += u".csv"_s;
    if (!FLogFile.Open(fileName)) {
        Prompt().Error(FContext.Form->windowTitle(), FLogFile.ErrorText());
        return;
    }
    ShowLogStatus(u"Logging to "_s + QFileInfo(fileName).fileName());
    FLogtofile1->setChecked(true);
    FLogtofile1->setText(kCloseLogCaption);
}

void THitKeeper::LogFailed(const QString& error) {
    StopLogging();
    FContext.AddMessage(error);
}

void THitKeeper::ViewaLog1Click() {
    const QString fileName = Prompt().OpenFileName(u"View a Log"_s, DataFolder(), kDefaultLogName,
                                                   u"Kovela CSV Log File (*.csv);;All files (*)"_s);
    if (fileName.isEmpty())
        return;
    if (!OpenDocument || !OpenDocument(fileName))
        Prompt().Error(FContext.Form->windowTitle(),
                       u"Could not show %1: no program to open it was found."_s.arg(fileName));
}

void THitKeeper::AutoStoreCheckBoxClick(bool checked) {
    TAR5000* driver = FContext.Driver;
    if (!checked) {
        driver->SetAutoStore(0);
        return;
    }
    if (!Prompt().Confirm(FContext.Form->windowTitle(), u"Clear mems 000-099 now?"_s)) {
        driver->SetAutoStore(1);
        return;
    }
    driver->SetAutoStore(2);
    // The receiver now stores its hits over these channels; the table follows suit here, and
    // learns the stored hits only from an upload from the receiver.
    FTable.BlankChannels(kFirstAutoStoreChannel, kLastAutoStoreChannel);
}

bool THitKeeper::LogWindowExists() const {
    return FAutoLog.Exists && FAutoLog.Exists();
}

void THitKeeper::AutoLogtoLogtable1Click(bool checked) {
    if (LogWindowExists())
        return;
    if (checked && FSearch)
        FSearch->Widgets().AutoLogtoLogtable1->setChecked(false);
    Prompt().Information(FContext.Form->windowTitle(),
                         u"   You must have the Log Form open for Auto Logging\r\nPlease open the "
                         u"Log Form and then open a database table\r\n             to receive "
                         u"auto logged entries"_s);
}

void THitKeeper::UpdateAutoLogItem() {
    if (!FSearch)
        return;
    QAction* item = FSearch->Widgets().AutoLogtoLogtable1;
    if (!LogWindowExists()) {
        item->setChecked(false);
        item->setEnabled(false);
        return;
    }
    item->setEnabled(FAutoLog.TableOpen && FAutoLog.TableOpen() && FContext.Connected());
}

void THitKeeper::SetRecording(THitRecording* recording) {
    FRecording = recording;
    if (!recording) {
        FLogFile.WavPosition = {};
        return;
    }
    FLogFile.WavPosition = [recording]() -> std::optional<QString> {
        const QString position = recording->Position();
        if (position.isEmpty())
            return std::nullopt;
        return position;
    };
}

void THitKeeper::RunStarted(THitSource source, int bank) {
    if (source == THitSource::VfoSearch)
        return;
    // Opening the WAV file first gives the hit log's header its position column.
    if (FRecording)
        FRecording->RunStarted(source);
    if (source != THitSource::ProgramSearch || !FSearch) {
        FLogFile.WriteRunStart(source);
        return;
    }
    const TSearchPageWidgets& w = FSearch->Widgets();
    FLogFile.WriteRunStart(source,
                           {w.TTEdit->text(), bank, w.SLEdit->text(), w.SUEdit->text(),
                            w.SModeComboBox->currentText(), w.SBandwidthComboBox->currentText(),
                            w.SAntennaComboBox->currentText()});
    if (w.AutoLogtoLogtable1->isChecked() && LogWindowExists()) {
        if (FAutoLog.SetWindowEnabled)
            FAutoLog.SetWindowEnabled(false);
        if (FAutoLog.ChooseCategory)
            FAutoLog.ChooseCategory();
    }
}

void THitKeeper::HitShown(THitSource source, const THit& hit) {
    if (source == THitSource::VfoSearch)
        return;
    // The recording starts before the hit line, so that the line carries its position.
    if (FRecording)
        FRecording->HitShown(source, hit);
    FLogFile.WriteHit(source, hit);
    if (source != THitSource::ProgramSearch || !FSearch)
        return;
    const TSearchPageWidgets& w = FSearch->Widgets();
    if (!w.AutoLogtoLogtable1->isChecked() || !LogWindowExists() || !FAutoLog.AddEntry)
        return;
    FAutoLog.AddEntry({w.AutoSDisplayEdit->text(), w.SModeComboBox->currentText(),
                       w.SStOffsetBox->isChecked(), hit.Level, FSearch->SearchSquelch(),
                       w.SAntennaComboBox->currentText(), w.SStepComboBox->currentText(),
                       w.SBandwidthComboBox->currentText()});
}

void THitKeeper::RunStopped(THitSource source) {
    if (source == THitSource::VfoSearch)
        return;
    FLogFile.WriteRunStop(source);
    if (FRecording) {
        const QString saved = FRecording->RunStopped(source);
        if (!saved.isEmpty())
            FLogFile.WriteAudioSaved(saved);
    }
    if (source != THitSource::ProgramSearch)
        return;
    // The page unchecks the item itself; the log window comes back whether or not the run
    // logged into it.
    EnableLogWindow();
}

void THitKeeper::HitLeft(THitSource source) {
    if (FRecording && source != THitSource::VfoSearch)
        FRecording->HitLeft(source);
}

void THitKeeper::EnableLogWindow() {
    if (LogWindowExists() && FAutoLog.SetWindowEnabled)
        FAutoLog.SetWindowEnabled(true);
}

void THitKeeper::ResetFlags() {
    StopLogging();
    EnableLogWindow();
}
