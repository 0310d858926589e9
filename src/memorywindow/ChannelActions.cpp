#include "ChannelActions.h"

#include "AR5000.h"
#include "ChannelMaintenance.h"
#include "DataUnit1.h"
#include "FieldChecks.h"
#include "Main.h"
#include "MainSheet.h"
#include "MemForm.h"
#include "MemoryGrid.h"
#include "MemoryTransferController.h"
#include "NumberText.h"
#include "PanelState.h"
#include "ProgramFolder.h"
#include "Prompt.h"
#include "RunFlags.h"
#include "SquelchController.h"
#include "VfoPanelController.h"

#include <QDir>
#include <QItemSelectionModel>
#include <QLineEdit>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int kSquelchOff = 255;

// The settings a channel takes into a VFO after its frequency, in the order they are sent.
using TSetter = void (TAR5000::*)(int);
struct TVfoSetting {
    int TRxDat::*Value;
    TSetter Setter;
};
constexpr TVfoSetting kVfoSettings[] = {
    {&TRxDat::Mode, &TAR5000::SetMode},
    {&TRxDat::Bandwidth, &TAR5000::SetBandwidth},
    {&TRxDat::Antenna, &TAR5000::SetAntenna},
    {&TRxDat::Attenuator, &TAR5000::SetAttenuator},
    {&TRxDat::SubStep, &TAR5000::SetSubStep},
    {&TRxDat::Agc, &TAR5000::SetAgc},
    {&TRxDat::LowPass, &TAR5000::SetLowPass},
    {&TRxDat::HighPass, &TAR5000::SetHighPass},
    {&TRxDat::DeEmphasis, &TAR5000::SetDeEmphasis},
};

std::optional<QChar> ReportedVfo(const TRxDat& rec) {
    if (rec.Vfo < kRxCodeFirstVfo || rec.Vfo >= kRxCodeFirstVfo + 5)
        return std::nullopt;
    return QChar(u'A' + (rec.Vfo - kRxCodeFirstVfo));
}

} // namespace

TChannelActions::TChannelActions(TMemForm& form, QObject* parent)
    : QObject(parent)
    , FForm(form) {}

void TChannelActions::CopyToCurrentVfo() {
    const QChar letter = FForm.Main().MainSheet()->State().CurrentVfo;
    if (IsVfoLetter(letter))
        CopyToVfo(letter);
}

void TChannelActions::CopyToVfo(QChar letter) {
    TTableView& view = FForm.Data().MemQuery1();
    TAR5000& driver = *FForm.Main().Driver();
    if (!IsVfoLetter(letter) || view.RecNo() < 0 || view.IsNull(u"FREQ") || !driver.Connected() ||
        FForm.RefusedWhileBusy())
        return;
    const TRxDat row = TMemoryTransfer::RowRecord(view);
    const QVariant storedSquelch = view.Value(u"SQUELCH");
    const int squelch = storedSquelch.isNull() ? kSquelchOff : storedSquelch.toInt();
    TMainSheet& sheet = *FForm.Main().MainSheet();
    TVfoPanelController& panel = *sheet.VfoPanel();
    TRxDat reported;
    {
        const TMemoryTransfer::TFrame frame(FForm.Transfers()->Transfer());
        panel.Box(letter)->setText(panel.FormatFrequency(row.Freq));
        driver.SetFrequency(letter, row.Freq);
        for (const TVfoSetting& setting : kVfoSettings) {
            // A field the lists do not know is left as the VFO has it.
            if (row.*setting.Value >= 0)
                (driver.*setting.Setter)(row.*setting.Value);
        }
        driver.StepAdjustChecked = row.StepAdjust;
        // A channel stored without a step keeps the VFO's own step.
        if (const std::optional<double> step = ParseNumber(row.Step))
            driver.SetStep(*step);
        driver.SetSquelch(squelch);
        sheet.Squelch()->SetValue(letter, squelch);
        if (!driver.GetRx(reported))
            return;
        driver.GetExtraVfoData(reported);
    }
    panel.ShowRxDat(reported);
    if (const std::optional<QChar> vfo = ReportedVfo(reported)) {
        panel.MakeCurrent(*vfo);
        panel.Box(*vfo)->setText(panel.FormatFrequency(reported.Freq));
    }
}

void TChannelActions::DeleteMem() {
    TDataModule1& data = FForm.Data();
    TTableView& view = data.MemQuery1();
    if (!view.CanModify()) {
        Prompt().Error(FForm.windowTitle(),
                       u"Cannot update data table, unsort/sub-select the table"_s);
        return;
    }
    if (FForm.RefusedWhileBusy() || view.RecNo() < 0)
        return;
    TMemoryGrid& grid = *FForm.Grid();
    QList<int> channels;
    const bool multi = FForm.MultiRowSelect();
    if (multi) {
        for (const QModelIndex& index : grid.selectionModel()->selectedRows()) {
            view.MoveTo(index.row());
            channels << view.Value(u"MEM").toString().toInt();
        }
        if (channels.isEmpty() ||
            !Prompt().Confirm(FForm.windowTitle(), u"Delete all the selected rows?"_s))
            return;
    } else {
        const QString mem = view.Value(u"MEM").toString();
        if (!Prompt().Confirm(FForm.windowTitle(), u"Delete Mem "_s + mem))
            return;
        channels << mem.toInt();
    }
    TAR5000& driver = *FForm.Main().Driver();
    TChannelMaintenance maintenance(FForm.Transfers()->Transfer(), driver, data);
    const TTransferResult result = maintenance.DeleteChannels(channels);
    grid.clearSelection();
    FForm.SetMultiRowSelect(false);
    if (!result.NotDone.isEmpty()) {
        QString text = result.Outcome == TTransferOutcome::LinkLost
                           ? u"The link to the receiver was lost.\r\n"_s
                           : result.Message + (result.Message.isEmpty() ? u""_s : u"\r\n"_s);
        Prompt().Information(FForm.windowTitle(),
                             text + u"Channels not deleted: "_s + ChannelListText(result.NotDone));
    }
    if (driver.Connected())
        ShowReceiverAfterDelete();
}

void TChannelActions::ShowReceiverAfterDelete() {
    TAR5000& driver = *FForm.Main().Driver();
    TMainSheet& sheet = *FForm.Main().MainSheet();
    TVfoPanelController& panel = *sheet.VfoPanel();
    TRxDat rec;
    {
        const TMemoryTransfer::TFrame frame(FForm.Transfers()->Transfer());
        rec.Channel = -1;
        driver.GetRx(rec);
        if (!rec.Empty)
            driver.GetExtraVfoData(rec);
    }
    if (rec.Empty) {
        panel.MakeCurrent(u'A');
        driver.SetSquelch(sheet.Squelch()->Value(u'A'));
        panel.ShowRxDat(rec);
    } else if (rec.Vfo == kRxCodeMemory) {
        panel.ShowMemoryRecord(rec);
    }
}

void TChannelActions::AddToSearchPassFreqs() {
    TMainForm& main = FForm.Main();
    TAR5000& driver = *main.Driver();
    TTableView& view = FForm.Data().MemQuery1();
    if (!driver.Connected() || view.RecNo() < 0 || view.IsNull(u"FREQ"))
        return;
    if (main.RunFlags().ScanRunning) {
        Prompt().Information(FForm.windowTitle(), u"Stop Scanning first"_s);
        return;
    }
    const double mhz = view.Value(u"FREQ").toDouble();
    if (mhz < kMinFreqMHz || mhz > kMaxFreqMHz) {
        main.AddMessage(u"Not a frequency for the pass list: "_s + view.Value(u"FREQ").toString());
        return;
    }
    TSearchList bank;
    if (!driver.GetSearchList(kCurrentSearchBank, bank)) {
        Prompt().Information(FForm.windowTitle(), u"Failed to read current search bank"_s);
        return;
    }
    const QString question = u"Add pass freq "_s + FormatFixed(mhz, 6) + u" to search bank "_s +
                             QString::number(bank.Bank) + u' ' + bank.Text + u"?\r\n\r\n"_s +
                             u" Cancel and change search bank if required"_s;
    if (!Prompt().Confirm(FForm.windowTitle(), question))
        return;
    driver.StartSearch(bank.Bank);
    driver.AddPass(mhz);
    const QChar letter = main.MainSheet()->State().CurrentVfo;
    if (IsVfoLetter(letter)) {
        TRxDat rec;
        driver.SetVfo(letter, rec);
    } else {
        driver.MemoryRead();
    }
}

void TChannelActions::ImportCtcss() {
    if (!FForm.Main().Driver()->Connected() || FForm.RefusedWhileBusy())
        return;
    const QString fileName =
        Prompt().OpenFileName(u"Open CTCSS file"_s, QDir(ProgramFolder()).filePath(u"data"_s), {},
                              u"CTCSS text files (*.ctcss)"_s);
    if (fileName.isEmpty())
        return;
    if (!Prompt().Confirm(FForm.windowTitle(), u"Import CTCSS settings to memories?"_s))
        return;
    ImportCtcssFile(fileName);
}

void TChannelActions::ImportCtcssFile(const QString& fileName) {
    TMainForm& main = FForm.Main();
    const TCtcssList list = ReadCtcssList(fileName);
    if (!list.Error.isEmpty()) {
        Prompt().Error(FForm.windowTitle(), list.Error + u"\r\nNothing was imported."_s);
        return;
    }
    TChannelMaintenance maintenance(FForm.Transfers()->Transfer(), *main.Driver(), FForm.Data());
    const TCtcssImportResult result = maintenance.ImportCtcss(list.Assignments);
    if (result.Outcome == TTransferOutcome::NotConnected) {
        Prompt().Information(FForm.windowTitle(), u"Not Connected to Rx"_s);
        return;
    }
    QString text = u"CTCSS set on "_s + QString::number(result.Set) + u" channels, "_s +
                   QString::number(result.Skipped + list.SkippedLines) + u" skipped"_s;
    if (!result.NotDone.isEmpty())
        text +=
            u"\r\nThe link to the receiver was lost; not set: "_s + ChannelListText(result.NotDone);
    main.AddMessage(text);
}
