#include "MemoryTransferController.h"

#include "AR5000.h"
#include "DataUnit1.h"
#include "Main.h"
#include "MainSheet.h"
#include "MemForm.h"
#include "MemoryGrid.h"
#include "PageController.h"
#include "Prompt.h"
#include "SquelchController.h"
#include "TransferDialogs.h"
#include "TuningController.h"
#include "VfoPanelController.h"

#include <QCheckBox>
#include <QScopeGuard>
#include <QScopedValueRollback>

#include <optional>

using namespace Qt::StringLiterals;

// Both windows disabled until the transfer ends, however it ends; for a load or a download the
// Cancel window over them. The Cancel window has no parent: a disabled owner would disable it
// too.
class TMemoryTransferController::TBusyWindows {
public:
    TBusyWindows(TMemoryTransferController& owner, const std::optional<QString>& cancelLabel)
        : FOwner(owner)
        , FRunning(owner.FForm.Main().RunFlags().TransferRunning, true) {
        TMemForm& form = owner.FForm;
        form.Main().setEnabled(false);
        form.setEnabled(false);
        if (!cancelLabel)
            return;
        form.CancelRequested = false;
        auto* cancel = new TCancelForm(nullptr);
        cancel->setAttribute(Qt::WA_DeleteOnClose, false);
        cancel->OnCancel = [&form] {
            form.CancelRequested = true;
        };
        cancel->SetLabel(*cancelLabel);
        cancel->SetPosition(0);
        QWidget* owner_ = form.isVisible() ? static_cast<QWidget*>(&form) : &form.Main();
        cancel->adjustSize();
        cancel->move(owner_->geometry().center() - cancel->rect().center());
        cancel->show();
        owner.FCancelForm = cancel;
    }
    ~TBusyWindows() {
        TMemForm& form = FOwner.FForm;
        delete FOwner.FCancelForm.data();
        form.Main().setEnabled(true);
        form.setEnabled(true);
        form.CancelRequested = false;
    }
    TBusyWindows(const TBusyWindows&) = delete;
    TBusyWindows& operator=(const TBusyWindows&) = delete;

private:
    TMemoryTransferController& FOwner;
    QScopedValueRollback<bool> FRunning;
};

TMemoryTransferController::TMemoryTransferController(TMemForm& form, QObject* parent)
    : QObject(parent)
    , FForm(form)
    , FTransfer(*form.Main().Driver(), form.Data()) {
    TMainForm& main = form.Main();
    FTransfer.UnhookVfoData = [&main] {
        main.MainSheet()->VfoPanel()->UnhookVfoData();
    };
    FTransfer.HookVfoData = [&main] {
        main.MainSheet()->VfoPanel()->HookVfoData();
    };
    FTransfer.StopReceiverActivity = [&main] {
        main.MainSheet()->Tuning()->StopReceiverActivity();
    };
    FTransfer.CancelRequested = [&form] {
        return form.CancelRequested;
    };
    FTransfer.OnProgress = [this](const QString& label, int position) {
        if (!FCancelForm)
            return;
        FCancelForm->SetLabel(label);
        FCancelForm->SetPosition(position);
    };
}

TMemoryTransferController::~TMemoryTransferController() {
    delete FCancelForm.data();
}

bool TMemoryTransferController::LinkReady() const {
    const TAR5000& driver = *FForm.Main().Driver();
    return driver.Connected() && driver.Remote();
}

void TMemoryTransferController::Tell(const QString& text) const {
    Prompt().Information(FForm.windowTitle(), text);
}

QString TMemoryTransferController::Problems(const TTransferResult& result, const QString& verb) {
    QString text;
    if (result.Outcome == TTransferOutcome::LinkLost)
        text = u"The link to the receiver was lost."_s;
    else if (result.Outcome == TTransferOutcome::Failed && !result.Message.isEmpty())
        text = result.Message;
    else if (result.Outcome == TTransferOutcome::Cancelled && verb == u"read"_s)
        // The second pass never ran: say what the channels read so far hold.
        text = u"Cancelled: the channels read have their frequency, step, mode and text only."_s;
    if (!result.NotDone.isEmpty()) {
        if (!text.isEmpty())
            text += u"\r\n"_s;
        text += u"Channels not "_s + verb + u": "_s + ChannelListText(result.NotDone);
    }
    return text;
}

void TMemoryTransferController::SelectVfoA() {
    TMainSheet& sheet = *FForm.Main().MainSheet();
    TAR5000& driver = *FForm.Main().Driver();
    TRxDat rec;
    driver.SetVfo(u'A', rec);
    driver.GetExtraVfoData(rec);
    sheet.VfoPanel()->MakeCurrent(u'A');
    driver.SetSquelch(sheet.Squelch()->Value(u'A'));
    sheet.VfoPanel()->ShowRxDat(rec);
}

void TMemoryTransferController::PrepareLoad() {
    TMainSheet& sheet = *FForm.Main().MainSheet();
    FForm.SetSelectOnScroll(false);
    sheet.Widgets().TimerCheckBox->setChecked(false);
    sheet.Tuning()->ReleaseAutoTune();
    FForm.SetBookmark(false);
    FForm.ShowAllMemories();
    sheet.Pages()->ShowPageQuietly(0);
    SelectVfoA();
}

void TMemoryTransferController::LoadFromReceiver() {
    if (!LinkReady() || FForm.RefusedWhileBusy())
        return;
    TMainSheet& sheet = *FForm.Main().MainSheet();
    sheet.Widgets().TimerCheckBox->setChecked(false);
    TConfirmUploadForm confirm(&FForm);
    if (confirm.exec() != QDialog::Accepted)
        return;
    TLoadOptions options;
    options.ClearSquelch = confirm.ClearSquelch();
    options.OnlyBank0 = confirm.OnlyBank0();

    const int channel = FForm.Data().MemQuery1().Value(u"MEM").toString().toInt();
    FTransfer.UnhookVfoData(); // the preparation's own replies must not repaint the panel
    PrepareLoad();
    TTransferResult result;
    {
        const TBusyWindows busy(*this, u"Pass 1"_s);
        result = FTransfer.LoadFromReceiver(options);
    }
    FForm.Data().ReopenMemoryView(FForm.Data().MemQuery1().Sql());
    FForm.LocateChannel(channel); // back where the user was, not where the load ended
    const QString problems = Problems(result, u"read"_s);
    Tell(problems.isEmpty() ? u"done"_s : u"done\r\n"_s + problems);
    if (FForm.Main().Driver()->Connected())
        sheet.VfoPanel()->ClickBox(u'A');
    Q_EMIT Finished(result);
}

void TMemoryTransferController::DownloadToReceiver() {
    if (FForm.RefusedWhileBusy())
        return;
    FForm.Main().MainSheet()->Widgets().TimerCheckBox->setChecked(false);
    TUploadQueryForm query(&FForm);
    query.exec();
    const TUploadChoice choice = query.Choice();
    if (choice == TUploadChoice::Cancel)
        return;
    const bool all = choice == TUploadChoice::All;
    const QString warning =
        all ? u"You are about to overwrite ALL receiver memories\r\n                 ARE YOU SURE?"_s
            : u"You are about to overwrite receiver memories if CHANGED flag set\r\n"
              u"                              ARE YOU SURE?"_s;
    if (!Prompt().Confirm(FForm.windowTitle(), warning))
        return;
    if (!LinkReady()) {
        Tell(u"Not Connected to Rx"_s);
        return;
    }
    TTransferResult result;
    {
        const TBusyWindows busy(*this, u"Cancel"_s);
        // One repaint at the end rather than one per row.
        FForm.Grid()->setUpdatesEnabled(false);
        const auto thaw = qScopeGuard([this] { FForm.Grid()->setUpdatesEnabled(true); });
        result = FTransfer.Download(all ? TDownloadMode::All : TDownloadMode::Changed);
    }
    FForm.Data().ReopenMemoryView(FForm.Data().MemQuery1().Sql());
    // A complete download says nothing; one that left channels behind says which.
    if (const QString problems = Problems(result, u"written"_s); !problems.isEmpty())
        Tell(problems);
    Q_EMIT Finished(result);
}

void TMemoryTransferController::WriteRow(TTableView& source) {
    if (FForm.RefusedWhileBusy())
        return;
    const TTransferResult result = FTransfer.WriteRow(source);
    switch (result.Outcome) {
    case TTransferOutcome::NotConnected:
        Tell(u"Not Connected to Rx"_s);
        return;
    case TTransferOutcome::Refused:
        FForm.Main().AddMessage(result.Message);
        return;
    case TTransferOutcome::Done:
        break;
    default:
        if (const QString problems = Problems(result, u"written"_s); !problems.isEmpty())
            Tell(problems);
        return;
    }
    FForm.Main().MainSheet()->VfoPanel()->ShowMemoryRecord(result.Record);
}

void TMemoryTransferController::RefreshRow() {
    if (FForm.RefusedWhileBusy())
        return;
    if (!LinkReady()) {
        Tell(u"Not Connected to Rx"_s);
        return;
    }
    TTransferResult result;
    {
        const TBusyWindows busy(*this, std::nullopt);
        result = FTransfer.RefreshRow();
    }
    TVfoPanelController& panel = *FForm.Main().MainSheet()->VfoPanel();
    if (result.ReceiverElsewhere)
        panel.ReadBackCurrent();
    else if (result.Outcome == TTransferOutcome::Done && !result.RowBlanked)
        panel.ShowMemoryRecord(result.Record);
    else if (result.Outcome != TTransferOutcome::Done)
        Tell(Problems(result, u"read"_s));
}

void TMemoryTransferController::StoreRxDatInRow(const TRxDat& rec) {
    TDataModule1& data = FForm.Data();
    const QScopedValueRollback programmatic(data.ProgrammaticEdit, true);
    FTransfer.StoreRxDatInRow(rec);
}
