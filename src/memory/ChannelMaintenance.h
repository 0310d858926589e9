#pragma once

#include "CtcssList.h"
#include "MemoryTransfer.h"

class TAR5000;
class TDataModule1;

struct TCtcssImportResult {
    TTransferOutcome Outcome = TTransferOutcome::Done;
    int Set = 0;
    // Channels the receiver did not report as holding a channel (empty, or not recalled).
    int Skipped = 0;
    // Channels left untouched because the link went down.
    QList<int> NotDone;
};

// Channel work that goes to the table and the receiver together: deleting channels and setting
// their CTCSS tones. Knows no windows. Runs in the transfer frame, so the panel does not follow
// the recalls and the poll timer stays out of the way.
class TChannelMaintenance {
public:
    TChannelMaintenance(TMemoryTransfer& transfer, TAR5000& driver, TDataModule1& data);

    // Blanks the rows of `channels` (blank rows are skipped) and deletes the channels in the
    // receiver. A channel is deleted only once the receiver has confirmed it is on it, and its
    // row is blanked only when the receiver no longer holds it; so whatever happens to the link,
    // no row is blank where the receiver still holds the channel. Without a link only the rows
    // are blanked.
    TTransferResult DeleteChannels(const QList<int>& channels);
    // Sets each channel's tone; a channel the receiver does not report is skipped.
    TCtcssImportResult ImportCtcss(const QList<TCtcssAssignment>& assignments);

private:
    // Recalls the channel and asks where the receiver is; true when it reports that channel.
    // `empty` tells whether it holds nothing there.
    bool RecallConfirmed(int channel, bool& empty);

    TMemoryTransfer& FTransfer;
    TAR5000& FDriver;
    TDataModule1& FData;
};
