#include "ChannelMaintenance.h"

#include "AR5000.h"
#include "DataUnit1.h"
#include "MemorySql.h"

#include <optional>

using namespace Qt::StringLiterals;

TChannelMaintenance::TChannelMaintenance(TMemoryTransfer& transfer, TAR5000& driver,
                                         TDataModule1& data)
    : FTransfer(transfer)
    , FDriver(driver)
    , FData(data) {}

bool TChannelMaintenance::RecallConfirmed(int channel, bool& empty) {
    FDriver.RecallMemory(channel);
    TRxDat rec;
    const bool on = ReceiverOnChannel(FDriver, channel, rec);
    empty = rec.Empty;
    return on;
}

TTransferResult TChannelMaintenance::DeleteChannels(const QList<int>& channels) {
    TTransferResult result;
    TTableView& view = FData.MemQuery1();
    const bool online = FDriver.Connected() && FDriver.Remote();
    std::optional<TMemoryTransfer::TFrame> frame;
    if (online) {
        frame.emplace(FTransfer);
        TRxDat vfo;
        FDriver.SetVfo(u'A', vfo);
    }
    for (const int channel : channels) {
        if (FData.LocateMemory(FormatMemNumber(channel)) != TLocateResult::Found) {
            result.NotDone << channel;
            result.Outcome = TTransferOutcome::Failed;
            continue;
        }
        if (view.IsNull(u"FREQ"))
            continue;
        if (online) {
            bool empty = false;
            if (!FDriver.Connected() || !RecallConfirmed(channel, empty)) {
                result.NotDone << channel;
                result.Outcome =
                    FDriver.Connected() ? TTransferOutcome::Failed : TTransferOutcome::LinkLost;
                continue;
            }
            if (!empty)
                FDriver.DeleteMemory();
        }
        if (!FData.BlankMemoryRow()) {
            result.NotDone << channel;
            result.Outcome = TTransferOutcome::Failed;
            result.Message = FData.LastError();
        }
    }
    return result;
}

TCtcssImportResult TChannelMaintenance::ImportCtcss(const QList<TCtcssAssignment>& assignments) {
    TCtcssImportResult result;
    if (!FDriver.Connected() || !FDriver.Remote()) {
        result.Outcome = TTransferOutcome::NotConnected;
        return result;
    }
    const TMemoryTransfer::TFrame frame(FTransfer);
    for (const TCtcssAssignment& assignment : assignments) {
        if (!FDriver.Connected()) {
            result.NotDone << assignment.Channel;
            result.Outcome = TTransferOutcome::LinkLost;
            continue;
        }
        bool empty = false;
        if (RecallConfirmed(assignment.Channel, empty) && !empty) {
            FDriver.SetCtcss(assignment.Tone);
            ++result.Set;
        } else if (FDriver.Connected()) {
            ++result.Skipped;
        } else {
            result.NotDone << assignment.Channel;
            result.Outcome = TTransferOutcome::LinkLost;
        }
    }
    return result;
}
