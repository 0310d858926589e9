#include "ScanPage.h"

#include "AR5000.h"
#include "HelpContext.h"
#include "IniFile.h"
#include "Main.h"
#include "MainSheet.h"
#include "MemorySql.h"
#include "PageWidgets.h"
#include "ProgramFolder.h"
#include "Prompt.h"
#include "ScanMemoryTable.h"
#include "SignalDisplay.h"
#include "SquelchController.h"
#include "UpDown.h"
#include "VfoPanelController.h"
#include "WindowLinks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSpinBox>

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace PageWidgets;

namespace {

const QColor kBankYellow{255, 255, 0};
constexpr int kLastBank = kScanBankCount - 1;

// The receiver reports a scan's whereabouts as a three-digit channel ("MX312", "MX007"), so the
// bank is its hundred even for the channels 000-009.
int BankOfReport(int reportedChannel) {
    return reportedChannel / 100;
}

} // namespace

// A bank or select scan in progress: the run flags, the driver's scan events and the memory
// view's look-up set-up belong to the page for exactly as long as this lives, however the scan
// ends.
class TScanPageController::TRun {
public:
    TRun(TScanPageController& page, bool select)
        : FPage(page)
        , Select(select) {
        TRunFlags& flags = *FPage.FContext.RunFlags;
        flags.ScanRunning = true;
        flags.SelectScanRunning = select;
    }
    ~TRun() {
        if (FAbandoned)
            return;
        TAR5000* driver = FPage.FContext.Driver;
        driver->OnMemoryChannel = {};
        driver->OnFrequency = {};
        FPage.FTable.EndLookups();
        TRunFlags& flags = *FPage.FContext.RunFlags;
        flags.ScanRunning = false;
        flags.SelectScanRunning = false;
    }
    // The window is going away with everything the run would restore: nothing is touched.
    void Abandon() { FAbandoned = true; }
    TRun(const TRun&) = delete;
    TRun& operator=(const TRun&) = delete;

    void Hook() {
        TAR5000* driver = FPage.FContext.Driver;
        driver->OnMemoryChannel = [this](int reported) {
            FPage.ScanBankReported(reported);
        };
        driver->SetLevelOutput(true);
        driver->OnFrequency = [this](const TRxDat& rec) {
            FPage.ScanHit(rec);
        };
    }
    THitSource Source() const { return Select ? THitSource::SelectScan : THitSource::BankScan; }

private:
    TScanPageController& FPage;
    bool FAbandoned = false;

public:
    const bool Select;
};

TScanPageController::TScanPageController(QWidget* page, const TSearchScanContext& context,
                                         TRunControls* run, TScanMemoryTable& table,
                                         QObject* parent)
    : QObject(parent)
    , FWidgets(BuildScanPageControls(page))
    , FContext(context)
    , FRun(run)
    , FTable(table) {
    Wire();
    LevelHint();
    FWidgets.SpeedButtonClearSelectFlags->setEnabled(false);
}

TScanPageController::~TScanPageController() {
    if (FRunning)
        FRunning->Abandon();
}

int TScanPageController::ScanSquelch() const {
    return FWidgets.SquelchMemScanUpDown->Position();
}

void TScanPageController::Wire() {
    const TScanPageWidgets& w = FWidgets;
    connect(w.TabControl1, &TTabRows::TabClicked, this, [this](int index) {
        if (FContext.RunFlags->ScanRunning || !FContext.Connected())
            return;
        // LoadScanGroup shows and hides the data label itself.
        ChangeTab(FWidgets.TabControl1, nullptr, index, [this] { LoadScanGroup(false); });
    });
    const std::tuple<QLineEdit*, TUpDown*, void (TAR5000::*)(int)> values[] = {
        {w.Edit1, w.UpDownXD, &TAR5000::SetScanDelay},
        {w.ScanLevelEdit, w.UpDown2, &TAR5000::SetScanLevel},
        {w.Edit3, w.UpDown3, &TAR5000::SetScanVoice},
        {w.Edit4, w.UpDown4, &TAR5000::SetScanPause},
    };
    for (const auto& [box, upDown, setter] : values) {
        auto send = [this, upDown, setter] {
            (FContext.Driver->*setter)(upDown->Position());
        };
        new TNumericKeys(box, TNumericKeys::TKind::Integer, send);
        connect(upDown, &TUpDown::ArrowReleased, this, send);
    }
    connect(w.ScanLevelEdit, &QLineEdit::textChanged, this, &TScanPageController::LevelHint);
    connect(w.MemScanModeComboBox, &QComboBox::activated, this,
            [this](int index) { FContext.Driver->SetScanMode(index); });
    connect(w.ScanLinkCheckBox, &QCheckBox::clicked, this,
            [this](bool checked) { FContext.Driver->SetScanLink(checked ? 1 : 0); });
    for (int bank = 0; bank < kScanBankCount; ++bank) {
        connect(w.BankBoxes[static_cast<std::size_t>(bank)], &QCheckBox::clicked, this,
                [this, bank] {
                    QString banks(kScanBankCount, u'-');
                    banks[bank] = QChar(u'0' + bank);
                    FContext.Driver->SetScanLinkBanks(banks);
                });
    }
    connect(w.CyberScanCheckBox, &QCheckBox::clicked, this,
            [this](bool checked) { FContext.Driver->SetCyberScan(checked ? 1 : 0); });
    new TNumericKeys(w.SquelchforMemScanEdit, TNumericKeys::TKind::Integer,
                     [this] { SquelchEdited(); });
    connect(w.SquelchforMemScanEdit, &QLineEdit::textEdited, this,
            &TScanPageController::SquelchEdited);
    connect(w.SquelchMemScanUpDown, &TUpDown::ArrowClicked, this,
            &TScanPageController::SquelchEdited);

    connect(w.ScanMyBitButton, &QPushButton::clicked, this,
            &TScanPageController::ScanMyBitButtonClick);
    connect(w.ButtonSelectScan, &QPushButton::clicked, this,
            &TScanPageController::ButtonSelectScanClick);
    connect(w.StopScanButton, &QPushButton::clicked, this,
            &TScanPageController::StopScanButtonClick);
    connect(w.SpeedButtonAddToSelectScan, &QPushButton::clicked, this,
            &TScanPageController::SpeedButtonAddToSelectScanClick);
    connect(w.SpeedButtonPassMem, &QPushButton::clicked, this,
            &TScanPageController::SpeedButtonPassMemClick);
    connect(w.SpeedButtonClearSelectFlags, &QPushButton::clicked, this, [this] {
        if (FClearAllSelectScanFlags)
            FClearAllSelectScanFlags();
    });
    connect(w.MemScanSpinButton, &TUpDown::ArrowClicked, this, &TScanPageController::Nudge);
    w.BankNoSpinEdit->installEventFilter(this);
    w.StopScanButton->installEventFilter(this);
    connect(FRun, &TRunControls::RunControlsEnabled, w.BankNoSpinEdit, &QWidget::setEnabled);
}

bool TScanPageController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const int key = static_cast<const QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    if (watched == FWidgets.BankNoSpinEdit) {
        ScanMyBitButtonClick();
        return true;
    }
    // A running scan is stopped by a click, never by an Enter meant for something else.
    return watched == FWidgets.StopScanButton && FContext.RunFlags->ScanRunning;
}

void TScanPageController::LoadScanGroup(bool current) {
    if (!FContext.Connected())
        return;
    const TScanPageWidgets& w = FWidgets;
    w.SpeedButtonAddToSelectScan->setVisible(FContext.Driver->FirmwareID == 0);
    w.GettingDataLabel->show();
    const auto hide = qScopeGuard([this] { FWidgets.GettingDataLabel->hide(); });
    w.CyberScanCheckBox->setChecked(FContext.Driver->GetDS());
    if (!current)
        FContext.Driver->SetScanGroup(w.TabControl1->CurrentIndex());
    TScanGroupDat group;
    if (FContext.Driver->GetGM(group)) {
        w.UpDownXD->SetPosition(group.Delay);
        w.UpDown2->SetPosition(group.Level);
        w.UpDown3->SetPosition(group.VoiceLevel);
        w.UpDown4->SetPosition(group.Pause);
        w.MemScanModeComboBox->setCurrentIndex(group.Mode);
        w.ScanLinkCheckBox->setChecked(group.Link);
        for (int bank = 0; bank < kScanBankCount; ++bank)
            w.BankBoxes[static_cast<std::size_t>(bank)]->setChecked(
                LinkedAt(group.LinkedBanks, bank));
        if (current)
            w.TabControl1->SetCurrentIndex(group.Group);
    }
    w.LinkGroupLabel->setText(u"Link Group "_s + QString::number(w.TabControl1->CurrentIndex()));
    LevelHint();
    // The page control is disabled while this runs: the focus can go in once it is enabled.
    if (current)
        QMetaObject::invokeMethod(
            w.BankNoSpinEdit, [box = w.BankNoSpinEdit] { box->setFocus(); }, Qt::QueuedConnection);
}

void TScanPageController::LevelHint() {
    bool ok = false;
    const int level = FWidgets.ScanLevelEdit->text().toInt(&ok);
    if (ok)
        FWidgets.ScanLevelEdit->setToolTip(LevelText(*FContext.Driver, level));
}

void TScanPageController::SquelchEdited() {
    SendSquelchText(*FContext.Driver, FWidgets.SquelchforMemScanEdit);
}

void TScanPageController::EmptyHitBoxes() {
    const TScanPageWidgets& w = FWidgets;
    w.AutoFDisplayEdit->clear();
    w.AutoMemDisplayEdit->clear();
    w.AutoSigEdit->clear();
    w.AutoSigEdit->setToolTip(QString());
}

void TScanPageController::PaintRunBoxes(bool running) {
    const TScanPageWidgets& w = FWidgets;
    for (QWidget* box :
         {static_cast<QWidget*>(w.MemChannelEdit), static_cast<QWidget*>(w.AutoFDisplayEdit),
          static_cast<QWidget*>(w.AutoMemDisplayEdit)})
        PaintBox(box, running ? kBoxGreen : kBoxBlack);
    QPalette palette = w.BankNoSpinEdit->palette();
    palette.setColor(QPalette::Base, running && !FRunning->Select
                                         ? kBankYellow
                                         : w.ButtonSelectScan->palette().color(QPalette::Base));
    w.BankNoSpinEdit->setPalette(palette);
}

void TScanPageController::StartRun(bool select) {
    const TScanPageWidgets& w = FWidgets;
    TAR5000* driver = FContext.Driver;
    const int bank = w.BankNoSpinEdit->value();
    FRunning = std::make_unique<TRun>(*this, select);
    // The first hit is looked up in the bank the scan starts from, not the last run's.
    FScanBank = bank;
    FRun->SetRunControlsEnabled(false);
    // Every row is looked at, whatever the memory window was showing.
    FTable.ShowAllMemories();
    driver->SetSquelch(ScanSquelch());
    FContext.StopSignalPolling();
    EmptyHitBoxes();
    w.MemChannelEdit->clear();
    w.ScanHitGauge->setValue(0);
    PaintRunBoxes(true);
    FContext.Hits->RunStarted(FRunning->Source(), select ? -1 : bank);
    for (QWidget* control : {w.ScanMyBitButton, w.ButtonSelectScan, w.SpeedButtonClearPassFreqs,
                             w.SpeedButtonClearSelectFlags})
        control->setEnabled(false);
    w.SpeedButtonPassMem->setEnabled(!select);
    w.SpeedButtonAddToSelectScan->setEnabled(!select);
    w.MessageLabel->setText(select ? u"Select Scanning"_s
                                   : u"Scanning Bank "_s + QString::number(bank));
    FTable.BeginLookups();
    FRunning->Hook();
    driver->SetDtmfOutput(0);
    if (select)
        driver->StartSelectScan();
    else
        driver->StartMemoryScan(bank);
    w.StopScanButton->setFocus();
}

void TScanPageController::ScanMyBitButtonClick() {
    if (!FContext.Connected() || FRunning || FContext.RunFlags->SearchRunning)
        return;
    StartRun(false);
}

void TScanPageController::ButtonSelectScanClick() {
    if (!FContext.Connected() || FRunning || FContext.RunFlags->SearchRunning)
        return;
    StartRun(true);
}

void TScanPageController::ClearScanBankMarks() {
    for (QCheckBox* box : FWidgets.BankBoxes)
        MarkBox(box, false);
}

void TScanPageController::ScanBankReported(int reported) {
    const int bank = BankOfReport(reported);
    ClearScanBankMarks();
    if (bank >= 0 && bank <= kLastBank)
        MarkBox(FWidgets.BankBoxes[static_cast<std::size_t>(bank)], true);
    EmptyHitBoxes();
    FScanBank = bank;
}

void TScanPageController::ScanHit(const TRxDat& rec) {
    const TScanPageWidgets& w = FWidgets;
    TAR5000* driver = FContext.Driver;
    w.AutoMemDisplayEdit->clear();
    w.AutoFDisplayEdit->setText(FormatFrequencyText(rec.Freq));
    const int level = driver->StrToIntSafe(rec.Level);
    LevelHint();
    TSUnits units;
    driver->LevelToSUnits(level, rec.Freq, units);
    w.AutoSigEdit->setText(QString::number(units.Dbm));
    w.AutoSigEdit->setToolTip(LevelText(*driver, level, rec.Freq));
    w.ScanHitGauge->setValue(level);
    w.MemChannelEdit->clear();
    if (FRunning && !FRunning->Select)
        FTable.RestrictToBank(FScanBank);
    THit hit{rec, level, -1, {}};
    if (const auto found = FTable.FindFrequency(rec.Freq)) {
        hit.Channel = found->Channel;
        hit.MemoryText = found->Text;
        w.AutoMemDisplayEdit->setText(found->Text);
        w.MemChannelEdit->setText(FormatMemNumber(found->Channel));
    }
    Q_EMIT HitLocated(hit.MemoryText, rec.Freq);
    FContext.Hits->HitShown(FRunning ? FRunning->Source() : THitSource::BankScan, hit);
}

void TScanPageController::SetIdleControls() {
    const TScanPageWidgets& w = FWidgets;
    w.MessageLabel->setText(u"Scan"_s);
    EmptyHitBoxes();
    w.MemChannelEdit->clear();
    w.ScanHitGauge->setValue(0);
    for (QWidget* box :
         {static_cast<QWidget*>(w.MemChannelEdit), static_cast<QWidget*>(w.AutoFDisplayEdit),
          static_cast<QWidget*>(w.AutoMemDisplayEdit)})
        PaintBox(box, kBoxBlack);
    w.BankNoSpinEdit->setPalette(w.ScanMyBitButton->palette());
    ClearScanBankMarks();
    for (QWidget* control : {w.ScanMyBitButton, w.ButtonSelectScan, w.SpeedButtonClearPassFreqs})
        control->setEnabled(true);
    w.SpeedButtonClearSelectFlags->setEnabled(static_cast<bool>(FClearAllSelectScanFlags));
    w.SpeedButtonPassMem->setEnabled(false);
    w.SpeedButtonAddToSelectScan->setEnabled(false);
}

bool TScanPageController::StopScanButtonClick() {
    if (!FContext.Connected()) {
        LinkGone();
        return false;
    }
    TAR5000* driver = FContext.Driver;
    const THitSource source = FRunning ? FRunning->Source() : THitSource::BankScan;
    // However the stop goes (no answer, the link lost on the way), the scan is over afterwards
    // and the memory view is as it was before it.
    const auto finish = qScopeGuard([this] {
        FRunning.reset();
        FTable.EndLookups();
        SetIdleControls();
        FRun->SetRunControlsEnabled(true);
    });
    FWidgets.MessageLabel->setText(u"Scan"_s);
    driver->OnMemoryChannel = {};
    driver->SetLevelOutput(false);
    driver->OnFrequency = {};
    driver->MemoryRead();
    SetIdleControls();
    FRun->SetRunControlsEnabled(true);
    FContext.Hits->RunStopped(source);
    FContext.Sheet->VfoPanel()->UnhookVfoData();
    TRxDat rec;
    const bool answered = driver->GetRx(rec);
    if (answered) {
        const TMainSheetWidgets& sheet = FContext.Sheet->Widgets();
        const QString channel = FormatMemNumber(rec.Channel);
        sheet.FrqEditM->setText(FormatFrequencyText(rec.Freq));
        sheet.MemEdit->setText(channel);
        FContext.State().MemoryChannel = channel;
        sheet.MemTextEdit->setText(rec.Text);
        FContext.MemoryWindow().ShowChannel(channel);
        FTable.EndLookups();
        const int squelch =
            FContext.MemoryWindow().ChannelSquelch(rec.Channel).value_or(kSquelchMax);
        FContext.Sheet->Squelch()->SetValue(u'M', squelch);
        driver->SetSquelch(squelch);
    }
    FRunning.reset();
    FWidgets.BankNoSpinEdit->setFocus();
    return answered;
}

void TScanPageController::LinkGone() {
    if (!FRunning)
        return;
    const THitSource source = FRunning->Source();
    FRunning.reset();
    SetIdleControls();
    FRun->SetRunControlsEnabled(true);
    FContext.Hits->RunStopped(source);
    FContext.AddMessage(u"Scan stopped: the link to the receiver was lost"_s);
}

void TScanPageController::ResetToIdle() {
    FRunning.reset();
    SetIdleControls();
}

void TScanPageController::FlagStoppedChannel(const QString& question,
                                             const std::function<bool(int)>& flag,
                                             const QString& field, const QString& context) {
    const bool answered = StopScanButtonClick();
    const TMainSheetWidgets& sheet = FContext.Sheet->Widgets();
    const QString text = question + u"?\r\n\r\nMem Ch: "_s + sheet.MemEdit->text() +
                         u"\r\nFreq: "_s + sheet.FrqEditM->text().trimmed() + u" MHz\r\nText: "_s +
                         sheet.MemTextEdit->text() + u"\r\n\r\nScan will continue"_s;
    if (Prompt().ConfirmWithHelp(FContext.Form->windowTitle(), text,
                                 HelpContextFor(u"ScanStopConfirm"))) {
        const int channel = sheet.MemEdit->text().toInt();
        // Only a channel the receiver has just named is marked: an old MemEdit is not.
        if (flag(channel) && answered && !FTable.SetChannelFlag(channel, field, true))
            FContext.AddMessage(u"Channel "_s + sheet.MemEdit->text() +
                                u" could not be marked in the memory table In "_s + context);
    }
    ScanMyBitButtonClick();
}

void TScanPageController::SpeedButtonAddToSelectScanClick() {
    FlagStoppedChannel(
        u"Add to Select Scan list"_s,
        [this](int) {
            FContext.Driver->SetSelectScan(1);
            return true;
        },
        u"SELSCAN"_s, u"SpeedButtonAddToSelectScanClick"_s);
}

void TScanPageController::SpeedButtonPassMemClick() {
    FlagStoppedChannel(
        u"Set PASS ON"_s,
        [this](int channel) {
            if (FContext.Driver->FirmwareID != 0)
                return WriteChannelWithPass(channel);
            FContext.Driver->SetMemoryPass(1);
            return true;
        },
        u"PASS"_s, u"SpeedButtonPassMemClick"_s);
}

bool TScanPageController::WriteChannelWithPass(int channel) {
    TMemoryWindowLink& memory = FContext.MemoryWindow();
    if (!memory.LocateChannel(channel))
        return false;
    TAR5000& driver = *FContext.Driver;
    TRxDat rec;
    rec.Channel = -1;
    // A record of some other channel would be written over this one: only the stopped channel's
    // own report is used.
    if (!driver.GetRx(rec) || !driver.GetExtraVfoData(rec) || rec.Channel != channel) {
        FContext.AddMessage(u"Channel "_s + FormatMemNumber(channel) +
                            u" was not read back from the receiver In SpeedButtonPassMemClick"_s);
        return false;
    }
    memory.StoreRxDatInRow(rec);
    if (!memory.CanModify())
        return false;
    rec.MemoryPass = true;
    if (rec.AntennaAuto)
        rec.Antenna = 0;
    driver.WriteMemory(rec);
    return true;
}

void TScanPageController::LoadScanBank() {
    const int bank = TIniFile(SettingsFileName()).ReadInteger(u"Settings"_s, u"ScanBenk"_s, 0);
    FWidgets.BankNoSpinEdit->setValue(std::clamp(bank, 0, kLastBank));
}

void TScanPageController::SaveScanBank() {
    TIniFile ini(SettingsFileName());
    if (!ini.WriteInteger(u"Settings"_s, u"ScanBenk"_s, FWidgets.BankNoSpinEdit->value()))
        FContext.Report(ini.ErrorText());
}

void TScanPageController::SetClearAllSelectScanFlags(std::function<void()> action) {
    FClearAllSelectScanFlags = std::move(action);
    FWidgets.SpeedButtonClearSelectFlags->setEnabled(FClearAllSelectScanFlags && !FRunning);
}

void TScanPageController::Nudge(bool up) {
    if (!FContext.Connected())
        return;
    if (up)
        FContext.Driver->StepUp();
    else
        FContext.Driver->StepDown();
    EmptyHitBoxes();
    FWidgets.ScanHitGauge->setValue(0);
    if (FRunning)
        FContext.Hits->HitLeft(FRunning->Source());
}
