#include "SearchPage.h"

#include "AR5000.h"
#include "DragData.h"
#include "Main.h"
#include "MainSheet.h"
#include "PageController.h"
#include "PageWidgets.h"
#include "Prompt.h"
#include "SignalDisplay.h"
#include "UpDown.h"
#include "VfoPanelController.h"
#include "WindowLinks.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDrag>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScopedValueRollback>

using namespace Qt::StringLiterals;
using namespace PageWidgets;

namespace {

const QString kOpenSquelchCaption = u"&Open Squelch"_s;
const QString kResumeCaption = u"Resume"_s;
constexpr int kOpenSquelch = 255;
constexpr int kSearchPageIndex = 2;

} // namespace

// A program search in progress: the run flag and the driver's search events belong to the page
// for exactly as long as this lives, however the run ends.
class TSearchPageController::TRun {
public:
    TRun(TSearchPageController& page)
        : FPage(page) {
        FPage.FContext.RunFlags->SearchRunning = true;
        TAR5000* driver = FPage.FContext.Driver;
        driver->OnSearchBank = [this](int bank) {
            FPage.SearchBankReported(bank);
        };
    }
    ~TRun() {
        if (FAbandoned)
            return;
        TAR5000* driver = FPage.FContext.Driver;
        driver->OnSearchBank = {};
        driver->OnFrequency = {};
        FPage.FContext.RunFlags->SearchRunning = false;
    }
    // The window is going away with everything the run would restore: nothing is touched.
    void Abandon() { FAbandoned = true; }
    TRun(const TRun&) = delete;
    TRun& operator=(const TRun&) = delete;

    void HookHits() {
        FPage.FContext.Driver->OnFrequency = [this](const TRxDat& rec) {
            FPage.SearchHit(rec);
        };
    }

private:
    TSearchPageController& FPage;
    bool FAbandoned = false;
};

TSearchPageController::TSearchPageController(QWidget* page, const TSearchScanContext& context,
                                             TRunControls* run, QObject* parent)
    : QObject(parent)
    , FWidgets(BuildSearchPageControls(page))
    , FContext(context)
    , FRun(run) {
    SetSearchSelectorsEnabled(false);
    Wire();
    LevelHint();
}

TSearchPageController::~TSearchPageController() {
    if (FRunning)
        FRunning->Abandon();
}

int TSearchPageController::SearchSquelch() const {
    return FWidgets.SquelchSearchUpDown->Position();
}

void TSearchPageController::Wire() {
    const TSearchPageWidgets& w = FWidgets;
    connect(w.SearchLinkTabControl, &TTabRows::TabClicked, this,
            &TSearchPageController::SearchLinkTabControlChange);
    connect(w.SearchFreqTabControl, &TTabRows::TabClicked, this,
            &TSearchPageController::SearchFreqTabControlChange);
    connect(w.SearchFreqTabControl, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) {
                if (!FContext.RunFlags->SearchRunning)
                    FWidgets.SearchBankOptionsPopupMenu->popup(
                        FWidgets.SearchFreqTabControl->mapToGlobal(at));
            });
    connect(w.StartSearchMyBitButton, &QPushButton::clicked, this,
            &TSearchPageController::StartSearchMyBitButtonClick);
    connect(w.StartSearchMyBitButton, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) {
                FWidgets.PopupMenuSearchRecordToWav->popup(
                    FWidgets.StartSearchMyBitButton->mapToGlobal(at));
            });
    w.AutoSDisplayEdit->installEventFilter(this);
    connect(w.SearchStopButton, &QPushButton::clicked, this,
            &TSearchPageController::SearchStopButtonClick);
    connect(w.PauseButton, &QPushButton::clicked, this, &TSearchPageController::PauseButtonClick);
    connect(w.HoldCheckBox, &QCheckBox::clicked, this, &TSearchPageController::HoldCheckBoxClick);

    struct TGroupValue {
        QLineEdit* Box;
        TUpDown* UpDown;
        void (TAR5000::*Setter)(int);
        bool ReadBack;
    };
    const TGroupValue values[] = {
        {w.sDelayEdit, w.UpDownSD, &TAR5000::SetSearchDelay, false},
        {w.sLevelEdit, w.UpDownSB, &TAR5000::SetSearchLevel, true},
        {w.sVoiceEdit, w.UpDownSA, &TAR5000::SetSearchVoice, true},
        {w.sPauseEdit, w.UpDownSP, &TAR5000::SetSearchPause, false},
    };
    for (const TGroupValue& value : values) {
        auto send = [this, value] {
            SendGroupValue(value.Setter, value.UpDown, value.ReadBack);
        };
        new TNumericKeys(value.Box, TNumericKeys::TKind::Integer, send);
        connect(value.UpDown, &TUpDown::ArrowReleased, this, send);
    }
    connect(w.sLevelEdit, &QLineEdit::textChanged, this, &TSearchPageController::LevelHint);

    connect(w.SearchLinkCheckBox, &QCheckBox::clicked, this,
            [this](bool checked) { FContext.Driver->SetSearchLink(checked ? 1 : 0); });
    for (int bank = 0; bank < kSearchBankCount; ++bank) {
        connect(
            w.BankBoxes[static_cast<std::size_t>(bank)], &QCheckBox::clicked, this, [this, bank] {
                FContext.Driver->SetSearchLinkBanks(QString::number(bank).rightJustified(2, u'0'));
            });
    }
    connect(w.CyberScanCheckBox2, &QCheckBox::clicked, this,
            [this](bool checked) { FContext.Driver->SetCyberScan(checked ? 1 : 0); });

    new TNumericKeys(w.SquelchForSearchEdit, TNumericKeys::TKind::Integer,
                     [this] { SquelchEdited(); });
    connect(w.SquelchForSearchEdit, &QLineEdit::textEdited, this,
            &TSearchPageController::SquelchEdited);
    connect(w.SquelchSearchUpDown, &TUpDown::ArrowClicked, this,
            &TSearchPageController::SquelchEdited);

    const std::pair<QComboBox*, void (TAR5000::*)(int)> running[] = {
        {w.SAgcComboBox, &TAR5000::SetAgc},          {w.SLPComboBox, &TAR5000::SetLowPass},
        {w.SHPComboBox, &TAR5000::SetHighPass},      {w.SDeEmComboBox, &TAR5000::SetDeEmphasis},
        {w.SModeComboBox, &TAR5000::SetMode},        {w.SBandwidthComboBox, &TAR5000::SetBandwidth},
        {w.SAttenComboBox, &TAR5000::SetAttenuator},
    };
    for (const auto& [box, setter] : running)
        connect(box, &QComboBox::activated, this,
                [this, box, setter] { SelectorChosen(box, setter, false); });
    connect(w.SAntennaComboBox, &QComboBox::activated, this,
            [this] { SelectorChosen(FWidgets.SAntennaComboBox, &TAR5000::SetAntenna, true); });
    for (QLineEdit* box : {w.SLEdit, w.SUEdit, w.SStepComboBox->lineEdit()})
        new TNumericKeys(box, TNumericKeys::TKind::Decimal, {});

    connect(w.WritetoSearchBank1, &QAction::triggered, this,
            &TSearchPageController::WritetoSearchBank1Click);
    connect(w.DeleteBank1, &QAction::triggered, this, &TSearchPageController::DeleteBank1Click);
    connect(w.SpinButtonSearch, &TUpDown::ArrowClicked, this, &TSearchPageController::Nudge);
}

void TSearchPageController::RefreshSearchPage() {
    if (!FContext.Connected())
        return;
    FWidgets.GettingDataLabel2->show();
    const auto hide = qScopeGuard([this] { FWidgets.GettingDataLabel2->hide(); });
    LoadSearchGroup(true);
    LoadSearchBank(true);
    FContext.Driver->StartSearch(FWidgets.SearchFreqTabControl->CurrentIndex());
    LoadSearchBankSettings();
    FRun->ReselectCurrentVfo(false);
    FWidgets.CyberScanCheckBox2->setChecked(FContext.Driver->GetDS());
    // The page control is disabled while this runs: the focus can go in once it is enabled.
    QMetaObject::invokeMethod(
        FWidgets.StartSearchMyBitButton,
        [button = FWidgets.StartSearchMyBitButton] { button->setFocus(); }, Qt::QueuedConnection);
}

void TSearchPageController::LoadSearchGroup(bool current) {
    const TSearchPageWidgets& w = FWidgets;
    if (!current)
        FContext.Driver->SetSearchGroup(w.SearchLinkTabControl->CurrentIndex());
    TSearchGroupDat group;
    if (FContext.Driver->GetGS(group)) {
        const bool hold = group.Delay == kSearchDelayHold;
        w.HoldCheckBox->setChecked(hold);
        w.sDelayEdit->setEnabled(!hold);
        w.UpDownSD->setEnabled(!hold);
        if (!hold)
            w.UpDownSD->SetPosition(group.Delay);
        w.UpDownSB->SetPosition(group.Level);
        w.UpDownSA->SetPosition(group.VoiceLevel);
        w.UpDownSP->SetPosition(group.Pause);
        w.SearchLinkCheckBox->setChecked(group.Link);
        for (int bank = 0; bank < kSearchBankCount; ++bank) {
            w.BankBoxes[static_cast<std::size_t>(bank)]->setChecked(
                LinkedAt(group.LinkedBanks, bank));
        }
        if (current)
            w.SearchLinkTabControl->SetCurrentIndex(group.Group);
        ShowGroupSign();
    }
    w.SearchLinkGroupLabel->setText(u"Link Group "_s +
                                    QString::number(w.SearchLinkTabControl->CurrentIndex()));
    // Only the user's click sends: setting the box from the receiver's state sends nothing.
    w.AutoStoreCheckBox->setChecked(FContext.Driver->GetASt() == 1);
}

void TSearchPageController::LoadSearchBank(bool current) {
    const TSearchPageWidgets& w = FWidgets;
    TSearchList list;
    if (FContext.Driver->GetSearchList(
            current ? kCurrentSearchBank : w.SearchFreqTabControl->CurrentIndex(), list)) {
        w.SLEdit->setText(FormatFrequencyText(list.Lower).trimmed());
        w.SUEdit->setText(FormatFrequencyText(list.Upper).trimmed());
        w.SModeComboBox->setCurrentIndex(list.Mode);
        w.SStepComboBox->setEditText(list.Step);
        w.SStOffsetBox->setChecked(list.StepAdjust);
        w.TTEdit->setText(list.Text);
        if (current)
            w.SearchFreqTabControl->SetCurrentIndex(list.Bank);
    } else {
        w.SLEdit->clear();
        w.SUEdit->clear();
        w.SStepComboBox->setEditText(QString());
        w.TTEdit->clear();
    }
    ShowStartCaption();
}

void TSearchPageController::LoadSearchBankSettings() {
    TPanelState& state = FContext.State();
    if (state.ShowingRxDat)
        return;
    const QScopedValueRollback showing(state.ShowingRxDat, true);
    TRxDat rec;
    if (!FContext.Driver->GetExtraVfoData(rec))
        return;
    const TSearchPageWidgets& w = FWidgets;
    if (rec.AttenuatorAuto) {
        w.SAttenComboBox->setCurrentIndex(kAttenuatorAuto);
        w.SAutoAttenLabel->setText(QString::number(rec.Attenuator));
        w.SAutoAttenLabel->show();
    } else {
        w.SAttenComboBox->setCurrentIndex(rec.Attenuator);
        w.SAutoAttenLabel->hide();
    }
    w.SBandwidthComboBox->setCurrentIndex(rec.Bandwidth);
    if (rec.AntennaAuto) {
        w.SAntennaComboBox->setCurrentIndex(0);
        w.SAutoAntLabel->setText(QString::number(rec.Antenna));
        w.SAutoAntLabel->show();
    } else {
        w.SAntennaComboBox->setCurrentIndex(rec.Antenna);
        w.SAutoAntLabel->hide();
    }
    w.SAgcComboBox->setCurrentIndex(rec.Agc);
    w.SLPComboBox->setCurrentIndex(rec.LowPass);
    w.SHPComboBox->setCurrentIndex(rec.HighPass);
    w.SDeEmComboBox->setCurrentIndex(rec.DeEmphasis);
}

void TSearchPageController::SearchLinkTabControlChange(int index) {
    if (FContext.RunFlags->SearchRunning || !FContext.Connected())
        return;
    ChangeTab(FWidgets.SearchLinkTabControl, FWidgets.GettingDataLabel2, index,
              [this] { LoadSearchGroup(false); });
}

void TSearchPageController::SearchFreqTabControlChange(int index) {
    if (FContext.RunFlags->SearchRunning || !FContext.Connected())
        return;
    ChangeTab(FWidgets.SearchFreqTabControl, FWidgets.GettingDataLabel2, index, [this, index] {
        LoadSearchBank(false);
        // The receiver goes onto the bank for a moment so that its settings can be read.
        FContext.Driver->StartSearch(index);
        LoadSearchBankSettings();
        FRun->ReselectCurrentVfo(false);
    });
}

void TSearchPageController::ShowStartCaption() {
    FWidgets.StartSearchMyBitButton->setText(
        u"Sea&rch Bank "_s + QString::number(FWidgets.SearchFreqTabControl->CurrentIndex()));
}

void TSearchPageController::SetSearchSelectorsEnabled(bool on) {
    for (QComboBox* box : {FWidgets.SAntennaComboBox, FWidgets.SAgcComboBox, FWidgets.SLPComboBox,
                           FWidgets.SHPComboBox, FWidgets.SDeEmComboBox})
        box->setEnabled(on);
}

void TSearchPageController::EmptyHitBoxes() {
    FWidgets.AutoSDisplayEdit->clear();
    FWidgets.AutoSearchSigEdit->clear();
    FWidgets.AutoSearchSigEdit->setToolTip(QString());
    FWidgets.SearchHitGauge->setValue(0);
}

void TSearchPageController::StartSearchMyBitButtonClick() {
    if (!FContext.Connected() || FContext.RunFlags->SearchRunning)
        return;
    const TSearchPageWidgets& w = FWidgets;
    TAR5000* driver = FContext.Driver;
    const int bank = w.SearchFreqTabControl->CurrentIndex();
    FRunning = std::make_unique<TRun>(*this);
    FRun->SetRunControlsEnabled(false);
    driver->SetSquelch(SearchSquelch());
    FContext.StopSignalPolling();
    FContext.Hits->RunStarted(THitSource::ProgramSearch, bank);
    w.RecordToWavFile1->setEnabled(false);
    w.StartSearchMyBitButton->setEnabled(false);
    driver->SetDtmfOutput(0);
    EmptyHitBoxes();
    PaintBox(w.AutoSDisplayEdit, kBoxGreen);
    if (driver->CT5000)
        driver->SetCtcss(0);
    w.PauseButton->setEnabled(true);
    w.PauseButton->setText(kOpenSquelchCaption);
    SetSearchSelectorsEnabled(true);
    w.SearchStopButton->setFocus();
    driver->SetLevelOutput(true);
    FRunning->HookHits();
    driver->StartSearch(bank);
}

void TSearchPageController::SearchHit(const TRxDat& rec) {
    const TSearchPageWidgets& w = FWidgets;
    TAR5000* driver = FContext.Driver;
    const int level = driver->StrToIntSafe(rec.Level);
    TSUnits units;
    driver->LevelToSUnits(level, rec.Freq, units);
    w.AutoSearchSigEdit->setText(QString::number(units.Dbm));
    w.AutoSearchSigEdit->setToolTip(LevelText(*driver, level, rec.Freq));
    w.AutoSDisplayEdit->setText(FormatFrequencyText(rec.Freq));
    w.SearchHitGauge->setValue(level);
    w.AddPassFreqButton->setEnabled(true);
    FContext.Hits->HitShown(THitSource::ProgramSearch, THit{rec, level, -1, {}});
}

void TSearchPageController::SearchBankReported(int bank) {
    ClearSearchBankMarks();
    if (bank >= 0 && bank < kSearchBankCount)
        MarkBox(FWidgets.BankBoxes[static_cast<std::size_t>(bank)], true);
    FWidgets.AutoSearchSigEdit->clear();
    FWidgets.AutoSearchSigEdit->setToolTip(QString());
}

void TSearchPageController::ClearSearchBankMarks() {
    for (QCheckBox* box : FWidgets.BankBoxes)
        MarkBox(box, false);
}

void TSearchPageController::SetIdleControls() {
    const TSearchPageWidgets& w = FWidgets;
    w.PauseButton->setEnabled(false);
    w.PauseButton->setText(kOpenSquelchCaption);
    w.AddPassFreqButton->setEnabled(false);
    EmptyHitBoxes();
    PaintBox(w.AutoSDisplayEdit, kBoxBlack);
    w.StartSearchMyBitButton->setEnabled(true);
    w.AutoLogtoLogtable1->setChecked(false);
    SetSearchSelectorsEnabled(false);
    ClearSearchBankMarks();
}

void TSearchPageController::SearchStopButtonClick() {
    if (!FContext.Connected()) {
        LinkGone();
        return;
    }
    const TSearchPageWidgets& w = FWidgets;
    TAR5000* driver = FContext.Driver;
    // Whatever happens on the way (a reply that never comes, the link lost meanwhile), the run
    // is over when this returns.
    const auto finish = qScopeGuard([this] {
        FRunning.reset();
        SetIdleControls();
        FRun->SetRunControlsEnabled(true);
    });
    if (w.PauseButton->isEnabled()) {
        w.PauseButton->setEnabled(false);
        w.PauseButton->setText(kOpenSquelchCaption);
        driver->SetSquelch(SearchSquelch());
        driver->SetSearchLevel(w.UpDownSB->Position());
        driver->SetSearchVoice(w.UpDownSA->Position());
    }
    FRun->SetRunControlsEnabled(true);
    w.AddPassFreqButton->setEnabled(false);
    driver->SetLevelOutput(false);
    driver->OnFrequency = {};
    EmptyHitBoxes();
    PaintBox(w.AutoSDisplayEdit, kBoxBlack);
    FContext.Hits->RunStopped(THitSource::ProgramSearch);
    w.StartSearchMyBitButton->setEnabled(true);
    w.AutoLogtoLogtable1->setChecked(false);
    FRun->ReselectCurrentVfo();
    FRunning.reset();
    SetSearchSelectorsEnabled(false);
    ClearSearchBankMarks();
    w.StartSearchMyBitButton->setFocus();
    if (w.AutoStoreCheckBox->isChecked())
        FContext.Report(u"After AUTOSTORE:\r\nRemember to \"Upload From Rx\"\r\non MemoryForm to "
                        u"update memory table\r\nWhen prompted check \"Only Get Bank 0\""_s);
}

void TSearchPageController::LinkGone() {
    if (!FRunning)
        return;
    FRunning.reset();
    SetIdleControls();
    FRun->SetRunControlsEnabled(true);
    FContext.Hits->RunStopped(THitSource::ProgramSearch);
    FContext.AddMessage(u"Search stopped: the link to the receiver was lost"_s);
}

void TSearchPageController::ResetToIdle() {
    FRunning.reset();
    SetIdleControls();
}

void TSearchPageController::PauseButtonClick() {
    if (!FRunning)
        return;
    TAR5000* driver = FContext.Driver;
    QPushButton* pause = FWidgets.PauseButton;
    if (pause->text() != kOpenSquelchCaption) {
        pause->setText(kOpenSquelchCaption);
        driver->SetSquelch(SearchSquelch());
        driver->SetSearchLevel(FWidgets.UpDownSB->Position());
        driver->SetSearchVoice(FWidgets.UpDownSA->Position());
    } else {
        // The squelch opened wide holds the receiver where it stands.
        pause->setText(kResumeCaption);
        driver->SetSquelch(kOpenSquelch);
        driver->SetSearchLevel(0);
        driver->SetSearchVoice(0);
    }
}

void TSearchPageController::HoldCheckBoxClick(bool checked) {
    FWidgets.sDelayEdit->setEnabled(!checked);
    FWidgets.UpDownSD->setEnabled(!checked);
    FContext.Driver->SetSearchDelay(checked ? kSearchDelayHold : FWidgets.UpDownSD->Position());
}

void TSearchPageController::SendGroupValue(void (TAR5000::*setter)(int), TUpDown* upDown,
                                           bool readBack) {
    (FContext.Driver->*setter)(upDown->Position());
    if (!readBack)
        return;
    TSearchGroupDat group;
    if (FContext.Driver->GetGS(group))
        ShowGroupSign();
}

void TSearchPageController::ShowGroupSign() {
    const TSearchGroupDat& group = FContext.Driver->SearchGroup();
    PaintBox(FWidgets.sLevelEdit, group.LevelSign ? kBoxGreen : kBoxBlack);
    PaintBox(FWidgets.sVoiceEdit, group.VoiceLevelSign ? kBoxGreen : kBoxBlack);
}

void TSearchPageController::SquelchEdited() {
    SendSquelchText(*FContext.Driver, FWidgets.SquelchForSearchEdit);
}

void TSearchPageController::LevelHint() {
    bool ok = false;
    const int level = FWidgets.sLevelEdit->text().toInt(&ok);
    if (!ok)
        return;
    const QString lower = FWidgets.SLEdit->text().trimmed();
    const double mhz = lower.isEmpty() ? 0.0 : FContext.Driver->StrToFloatSafe(lower);
    FWidgets.sLevelEdit->setToolTip(LevelText(*FContext.Driver, level, mhz));
}

void TSearchPageController::SelectorChosen(QComboBox* box, void (TAR5000::*setter)(int),
                                           bool alwaysSent) {
    if (box == FWidgets.SAntennaComboBox)
        FWidgets.SAutoAntLabel->hide();
    if (box == FWidgets.SAttenComboBox)
        FWidgets.SAutoAttenLabel->hide();
    if (alwaysSent || FContext.RunFlags->SearchRunning)
        (FContext.Driver->*setter)(box->currentIndex());
}

void TSearchPageController::WritetoSearchBank1Click() {
    if (!FContext.Connected() || FContext.RunFlags->SearchRunning)
        return;
    const TSearchPageWidgets& w = FWidgets;
    TAR5000* driver = FContext.Driver;
    {
        const QScopedValueRollback writing(FContext.RunFlags->SearchRunning, true);
        driver->SetSquelch(SearchSquelch());
        FContext.StopSignalPolling();
        EmptyHitBoxes();
        PaintBox(w.AutoSDisplayEdit, kBoxGreen);
        const auto black = qScopeGuard([this] { PaintBox(FWidgets.AutoSDisplayEdit, kBoxBlack); });
        TSearchList list;
        list.Bank = w.SearchFreqTabControl->CurrentIndex();
        list.Lower = driver->StrToFloatSafe(w.SLEdit->text());
        list.Upper = driver->StrToFloatSafe(w.SUEdit->text());
        list.Step = w.SStepComboBox->currentText();
        list.StepAdjust = w.SStOffsetBox->isChecked();
        list.Mode = w.SModeComboBox->currentIndex();
        list.Attenuator =
            w.SAutoAttenLabel->isHidden() ? w.SAttenComboBox->currentIndex() : kAttenuatorAuto;
        list.Text = w.TTEdit->text();
        driver->WriteSearchBank(list, w.SBandwidthComboBox->currentIndex());
        FRun->ReselectCurrentVfo();
    }
    RefreshSearchPage();
}

void TSearchPageController::DeleteBank1Click() {
    const int bank = FWidgets.SearchFreqTabControl->CurrentIndex();
    if (!Prompt().Confirm(FContext.Form->windowTitle(), u"Delete contents of Search bank "_s +
                                                            QString::number(bank) +
                                                            u"?\r\n            Are you sure?"_s))
        return;
    FContext.Driver->DeleteSearchBank(bank);
    FWidgets.TTEdit->clear();
    FWidgets.SLEdit->clear();
    FWidgets.SUEdit->clear();
    FWidgets.SStepComboBox->setEditText(QString());
}

bool TSearchPageController::eventFilter(QObject* watched, QEvent* event) {
    if (watched != FWidgets.AutoSDisplayEdit || event->type() != QEvent::MouseButtonPress)
        return QObject::eventFilter(watched, event);
    const auto* mouse = static_cast<const QMouseEvent*>(event);
    QLineEdit* box = FWidgets.AutoSDisplayEdit;
    if (mouse->button() != Qt::LeftButton || !mouse->modifiers().testFlag(Qt::ControlModifier) ||
        box->text().isEmpty() || !FContext.MemoryWindow().IsVisible() ||
        FContext.State().DragInProgress)
        return false;
    HitDragStarted();
    // The memory grid takes it as the channel's new frequency, a VFO box as its own.
    auto* drag = new QDrag(box);
    drag->setMimeData(FrequencyBoxDragData(box->objectName()).release());
    drag->exec(Qt::CopyAction);
    HitDragEnded();
    return true;
}

void TSearchPageController::HitDragStarted() {
    if (FRunning && FWidgets.PauseButton->text() == kOpenSquelchCaption)
        PauseButtonClick();
}

void TSearchPageController::HitDragEnded() {
    TPageController* pages = FContext.Sheet->Pages();
    if (pages->CurrentPage() != kSearchPageIndex)
        pages->ShowPageQuietly(kSearchPageIndex);
    SearchStopButtonClick();
}

void TSearchPageController::Nudge(bool up) {
    if (!FContext.Connected())
        return;
    if (up)
        FContext.Driver->StepUp();
    else
        FContext.Driver->StepDown();
    EmptyHitBoxes();
    FContext.Hits->HitLeft(THitSource::ProgramSearch);
}
