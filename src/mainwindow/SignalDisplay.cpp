#include "SignalDisplay.h"

#include "AR5000.h"
#include "Levels.h"
#include "SignalPanel.h"
#include "components/Meter.h"

#include <QAction>
#include <QCheckBox>

using namespace Qt::StringLiterals;

namespace {

constexpr double kWholeMicroVoltsFrom = 4.0;
constexpr int kMeterLinearTop = 170;

} // namespace

QString LevelText(int level, double mhz, double currentMhz) {
    TSUnits units;
    if (!LevelToSUnits(level, mhz, currentMhz, units))
        units.Dbm = kLevelError;
    const int decimals = units.MicroVolts >= kWholeMicroVoltsFrom ? 0 : 1;
    return u"%1dBm %2\u00B5V %3"_s.arg(units.Dbm)
        .arg(units.MicroVolts, 5, 'f', decimals)
        .arg(units.Text);
}

QString LevelText(const TAR5000& driver, int level, double mhz) {
    return LevelText(level, mhz, driver.CurrentRecord().Freq);
}

int MeterPosition(int level) {
    return level <= kMeterLinearTop ? level : kMeterLinearTop + (level - kMeterLinearTop) / 2;
}

TSignalDisplayController::TSignalDisplayController(TAR5000* driver, TSignalPanel* panel,
                                                   QCheckBox* timerCheckBox,
                                                   QCheckBox* freqUpdateCheckBox, QObject* parent)
    : QObject(parent)
    , FDriver(driver)
    , FPanel(panel)
    , FTimerCheckBox(timerCheckBox)
    , FFreqUpdateCheckBox(freqUpdateCheckBox) {
    connect(FTimerCheckBox, &QCheckBox::toggled, this,
            &TSignalDisplayController::TimerCheckBoxClick);
    connect(FFreqUpdateCheckBox, &QCheckBox::toggled, this,
            &TSignalDisplayController::FreqUpdateCheckBoxClick);
    connect(FPanel->UseMeter(), &QAction::triggered, this,
            &TSignalDisplayController::UseMeterClick);

    FPanel->SetMeterShown(false);
    FPanel->SetScaleShown(false);
    FPanel->MovePanel6(TSignalPanel::kPanel6AloneX);
    FPanel->ShowLogo();
}

TSignalDisplayController::~TSignalDisplayController() {
    // The driver may already be gone when its owner tears down in creation order.
    if (FDriver && FHooked)
        Unhook();
}

void TSignalDisplayController::Hook() {
    FDriver->OnSignalLevel = [this](const TRxDat& rec) {
        ShowSignal(rec);
    };
    FDriver->OnAttenuator = [this](TAR5000*) {
        AttenuatorChanged();
    };
    FHooked = true;
}

void TSignalDisplayController::Unhook() {
    FDriver->OnSignalLevel = {};
    FDriver->OnAttenuator = {};
    FHooked = false;
}

void TSignalDisplayController::ShowSignal(const TRxDat& rec) {
    Q_EMIT SquelchReported(rec.SquelchClosed);
    if (!FTimerCheckBox->isChecked())
        return;
    bool isNumber = false;
    int level = rec.Level.toInt(&isNumber);
    if (!isNumber) {
        Q_EMIT ErrorMessage(u"Level is not an integer: '%1' In ShowSignal"_s.arg(rec.Level));
        return;
    }
    if (FPanel->AvgMeter1()->isChecked()) {
        FAverage.Add(level);
        level = FAverage.Average();
    }
    const double currentMhz = FDriver->CurrentRecord().Freq;
    if (FPanel->UseMeter()->isChecked()) {
        FPanel->NewMeter()->SetProgress(MeterPosition(level));
    } else {
        FPanel->DrawSignalGraph(level, currentMhz);
        // Tuning across 30 or 230 MHz moves the scale to another row.
        FPanel->ScalePaintBox()->SetBand(MeterAttenuationDb, currentMhz);
    }
    Q_EMIT SquelchStateChanged(rec.SquelchClosed);

    const bool fromVfo =
        rec.Vfo >= kRxCodeFirstVfo && static_cast<std::size_t>(rec.Vfo) < kRxCodes.size();
    if (!fromVfo || !FDriver->PollRx)
        return;
    if (CurrentVfoLetter) {
        const QChar current = CurrentVfoLetter();
        if (current < u'A' || current > u'E')
            return;
    }
    Q_EMIT FrequencyFollowed(rec);
}

void TSignalDisplayController::ResetSignalGraph(bool clearAverage) {
    FPanel->ResetGraphPoints();
    if (clearAverage)
        FAverage.Clear();
}

void TSignalDisplayController::TimerCheckBoxClick(bool checked) {
    if (checked) {
        ResetSignalGraph(true);
        FPanel->ClearImage();
        FPanel->ScalePaintBox()->SetBand(MeterAttenuationDb, FDriver->CurrentRecord().Freq);
        // The meter may have been switched on while the display could not start.
        if (FPanel->UseMeter()->isChecked())
            ShowMeterLayout();
        else
            ShowGraphLayout();
        FDriver->FSetTimerStatus(true);
        return;
    }
    // Stopping waits for a reply still on its way; the box may have been checked again meanwhile.
    FDriver->FSetTimerStatus(false);
    if (FTimerCheckBox->isChecked())
        return;
    FPanel->SetMeterShown(false);
    FPanel->UseMeter()->setChecked(false);
    FPanel->SetScaleShown(false);
    FFreqUpdateCheckBox->setChecked(false);
    FPanel->ShowLogo();
    FPanel->MovePanel6(TSignalPanel::kPanel6AloneX);
    Q_EMIT SquelchStateChanged(false);
    // Recording the main page stops with the display; the check mark is on only while it runs.
    QAction* record = FPanel->MainRecordtoWav1();
    if (record->isChecked())
        record->trigger();
}

void TSignalDisplayController::FreqUpdateCheckBoxClick(bool checked) {
    FDriver->PollRx = checked;
    if (checked)
        FTimerCheckBox->setChecked(true);
}

void TSignalDisplayController::MeterToggle() {
    FPanel->UseMeter()->trigger();
}

void TSignalDisplayController::UseMeterClick(bool checked) {
    if (!FTimerCheckBox->isChecked() && FTimerCheckBox->isEnabled()) {
        // Starting the display lays it out for the meter already: the check mark is set.
        FTimerCheckBox->setChecked(true);
    }
    if (checked) {
        FPanel->ClearImage();
        ShowMeterLayout();
        return;
    }
    ShowGraphLayout();
    if (FTimerCheckBox->isChecked())
        ResetSignalGraph(false);
    else
        FPanel->ShowLogo();
}

void TSignalDisplayController::ShowGraphLayout() {
    FPanel->SetScaleShown(true);
    FPanel->SetMeterShown(false);
    FPanel->MovePanel6(TSignalPanel::kPanel6GraphX);
}

void TSignalDisplayController::ShowMeterLayout() {
    FPanel->SetScaleShown(false);
    FPanel->SetMeterShown(true);
    FPanel->MovePanel6(TSignalPanel::kPanel6AloneX);
}

void TSignalDisplayController::AttenuatorChanged() {
    QWidget* scale = FPanel->ScalePaintBox();
    if (!FTimerCheckBox->isChecked() || scale->isHidden())
        return;
    FPanel->ScalePaintBox()->SetBand(MeterAttenuationDb, FDriver->CurrentRecord().Freq);
    scale->update();
}
