#include "VfoDropSequence.h"

#include "AR5000.h"
#include "CommandText.h"
#include "EnterEditNoMove.h"
#include "NumberText.h"
#include "SquelchController.h"
#include "VfoPanelController.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QScopedValueRollback>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

constexpr int kCtcssOff = 0;
constexpr int kDescramblerOff = 0;

// For the length of a drop: the window takes no input, replies do not reach the panel and the
// poll timer is still, so nothing interleaves with the sequence. All of it is undone on every
// way out.
class TDropGuard {
public:
    TDropGuard(TAR5000& driver, QWidget& window, TVfoPanelController& panel, TPanelState& state)
        : FDriver(driver)
        , FWindow(window)
        , FTimerWasOn(driver.TimerStatus())
        , FDragging(state.DragInProgress, true) {
        FDriver.FSetTimerStatus(false);
        FWindow.setEnabled(false);
        FUnhooked.emplace(panel);
    }
    ~TDropGuard() {
        FUnhooked.reset();
        if (FTimerWasOn)
            FDriver.FSetTimerStatus(true);
        FWindow.setEnabled(true);
    }
    TDropGuard(const TDropGuard&) = delete;
    TDropGuard& operator=(const TDropGuard&) = delete;

private:
    TAR5000& FDriver;
    QWidget& FWindow;
    const bool FTimerWasOn;
    QScopedValueRollback<bool> FDragging;
    std::optional<TVfoDataUnhooked> FUnhooked;
};

bool IsVfoBoxName(const QString& name) {
    return name.startsWith(u"EditVco"_s) && IsVfoLetter(VfoLetterOfName(name));
}

// The index of a row's text in a selector's list (letter case aside), -1 when it is not there:
// the driver sends nothing for -1.
int IndexOfText(const QComboBox* list, const QString& text) {
    return list->findText(text, Qt::MatchFixedString);
}

} // namespace

TVfoDropSequence::TVfoDropSequence(const TMainSheetWidgets& widgets, const TPanelContext& context,
                                   TVfoPanelController& panel, TSquelchController& squelch)
    : FWidgets(widgets)
    , FContext(context)
    , FPanel(panel)
    , FSquelch(squelch) {}

bool TVfoDropSequence::LinkReady() const {
    const TAR5000& driver = *FContext.Driver;
    if (driver.Connected() && driver.Remote())
        return true;
    FContext.Report(u"Not Connected to Rx"_s);
    return false;
}

bool TVfoDropSequence::NothingRunning() const {
    const TRunFlags& flags = *FContext.RunFlags;
    if (flags.SearchRunning || flags.SweepRunning) {
        FContext.Report(u"Stop Search First"_s);
        return false;
    }
    if (flags.ScanRunning || flags.SelectScanRunning) {
        FContext.Report(u"Stop Scan First"_s);
        return false;
    }
    if (flags.PriorityCheckBusy) {
        FContext.Report(u"Cancel Priority First"_s);
        return false;
    }
    return true;
}

bool TVfoDropSequence::InRange(QChar target, double mhz, const QString& shown) const {
    if (!CommandText::Frequency(target, mhz, false).isEmpty())
        return true;
    FContext.Report(u"Frequency %1 MHz is out of the receiver's range"_s.arg(shown));
    return false;
}

void TVfoDropSequence::SelectVfo(QChar target) {
    TAR5000& driver = *FContext.Driver;
    TRxDat rec;
    if (!driver.SetVfo(target, rec) || !rec.StepAdjust)
        return;
    // The VFO keeps its step adjust; the panel's step goes without it.
    driver.StepAdjustChecked = false;
    if (const auto kHz = ParseNumber(FWidgets.StepComboBox->currentText()))
        driver.SetStep(*kHz);
}

void TVfoDropSequence::SendPanelSettings() {
    TAR5000& driver = *FContext.Driver;
    for (const std::size_t selector : kRowSettingSelectors)
        (driver.*kSelectors[selector].Setter)(FWidgets.Selectors[selector]->currentIndex());
    driver.StepAdjustChecked = FWidgets.StOffsetBox->isChecked();
    if (const auto kHz = ParseNumber(FWidgets.StepComboBox->currentText()))
        driver.SetStep(*kHz);
    if (driver.CT5000)
        driver.SetCtcss(FWidgets.Selectors[kSelCtcss]->currentIndex());
}

void TVfoDropSequence::SendRowSettings(const TDropRow& row) {
    TAR5000& driver = *FContext.Driver;
    for (std::size_t i = 0; i < kRowSettingSelectors.size(); ++i) {
        if (!row.Settings[i])
            continue;
        const std::size_t selector = kRowSettingSelectors[i];
        (driver.*
         kSelectors[selector].Setter)(IndexOfText(FWidgets.Selectors[selector], *row.Settings[i]));
    }
    driver.StepAdjustChecked = row.StepAdjust;
    if (const auto kHz = ParseNumber(row.Step))
        driver.SetStep(*kHz);
}

void TVfoDropSequence::ShowReadBack() {
    TAR5000& driver = *FContext.Driver;
    TRxDat rec;
    if (!driver.GetRx(rec))
        return;
    driver.GetExtraVfoData(rec);
    FPanel.ShowRxDat(rec);
    const QChar letter = RecordVfoLetter(rec);
    if (!IsVfoLetter(letter))
        return;
    // The focus cannot go to a box of a disabled window.
    FWidgets.Page->window()->setEnabled(true);
    FPanel.MakeCurrent(letter);
    FPanel.Box(letter)->setText(FPanel.FormatFrequency(rec.Freq));
}

void TVfoDropSequence::TextDrop(QChar target, const QString& sourceName, const QString& text) {
    if (!LinkReady() || !NothingRunning())
        return;
    const QString trimmed = text.trimmed();
    const auto mhz = ParseNumber(trimmed);
    if (!mhz) {
        FContext.Report(u"'%1' is not a valid floating point value"_s.arg(trimmed));
        return;
    }
    if (!IsVfoLetter(target)) {
        FWidgets.EnterEdit1->setText(trimmed);
        return;
    }
    if (!InRange(target, *mhz, trimmed))
        return;
    TAR5000& driver = *FContext.Driver;
    const TDropGuard guard(driver, *FWidgets.Page->window(), FPanel, *FContext.State);
    SelectVfo(target);
    FPanel.Box(target)->setText(FPanel.FormatFrequency(*mhz));
    driver.SetFrequency(target, *mhz);
    if (sourceName != u"EnterEdit1"_s)
        SendPanelSettings();
    ShowReadBack();
    // A VFO box hands its squelch on with its frequency; anything else leaves the target's own.
    if (IsVfoBoxName(sourceName))
        FSquelch.SetValue(target, FSquelch.Value(VfoLetterOfName(sourceName)));
    driver.SetSquelch(FSquelch.Value(target));
}

void TVfoDropSequence::MemoryRowDrop(QChar target, const TDropRow& row, bool keepCtcss) {
    RowDrop(target, row, TRowKind::Memory, keepCtcss);
}

void TVfoDropSequence::LogRowDrop(QChar target, const TDropRow& row) {
    // A log entry keeps only mode, bandwidth and antenna; the receiver picks the attenuator.
    TDropRow entry = row;
    for (std::size_t i = 0; i < kRowSettingSelectors.size(); ++i) {
        const std::size_t selector = kRowSettingSelectors[i];
        if (selector == kSelAtten)
            entry.Settings[i] = QString::fromLatin1(kAttenuators[kAttenuatorAuto]);
        else if (selector != kSelMode && selector != kSelBandwidth && selector != kSelAntenna)
            entry.Settings[i].reset();
    }
    RowDrop(target, entry, TRowKind::Log, false);
}

void TVfoDropSequence::RowDrop(QChar target, const TDropRow& row, TRowKind kind, bool keepCtcss) {
    if (!LinkReady() || !NothingRunning())
        return;
    // A blank channel or an entry without a frequency has nothing to give a VFO.
    if (!row.FreqMHz)
        return;
    const double mhz = *row.FreqMHz;
    if (!IsVfoLetter(target)) {
        // The entry box has no VFO behind it; a log row has no meaning there.
        if (kind == TRowKind::Memory)
            FWidgets.EnterEdit1->setText(FPanel.FormatFrequency(mhz));
        return;
    }
    if (!InRange(target, mhz, FormatFrequencyText(mhz).trimmed()))
        return;
    TAR5000& driver = *FContext.Driver;
    const TDropGuard guard(driver, *FWidgets.Page->window(), FPanel, *FContext.State);
    const int squelch = row.Squelch.value_or(kSquelchMax);
    // An open squelch goes after the settings, a closed one before them, as when switching VFO.
    const bool squelchFirst = squelch <= kSquelchSwitchLimit;
    if (kind == TRowKind::Memory)
        SelectVfo(target);
    if (squelchFirst)
        driver.SetSquelch(squelch);
    if (kind == TRowKind::Log)
        SelectVfo(target);
    FPanel.Box(target)->setText(FPanel.FormatFrequency(mhz));
    driver.SetFrequency(target, mhz);
    if (driver.CT5000)
        driver.SetCtcss(keepCtcss ? FWidgets.Selectors[kSelCtcss]->currentIndex() : kCtcssOff);
    if (driver.DS8000)
        driver.SetDescrambler(kDescramblerOff);
    SendRowSettings(row);
    if (!squelchFirst)
        driver.SetSquelch(squelch);
    FSquelch.SetValue(target, squelch);
    ShowReadBack();
}
