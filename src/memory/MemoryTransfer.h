#pragma once

#include "Records.h"

#include <QList>
#include <QString>

#include <functional>

class TAR5000;
class TDataModule1;
class TTableView;

enum class TTransferOutcome {
    Done,
    Cancelled,
    LinkLost,     // the link went down part way; NotDone names what was left
    NotConnected, // nothing was sent
    Refused,      // the row cannot be written as it is; nothing was sent
    Failed,       // the receiver did not answer, or the table could not be read; Message says
                  // which when it is the table
};

struct TTransferResult {
    TTransferOutcome Outcome = TTransferOutcome::Done;
    // Channels neither read into the table (load, refresh) nor written to the receiver
    // (download, write), in ascending order.
    QList<int> NotDone;
    // What a refresh or write read or sent, for the main window's panel.
    TRxDat Record;
    // A refresh found the receiver on another memory channel: the main window shows where.
    bool ReceiverElsewhere = false;
    // A refresh found the channel empty, or the receiver not on it, and blanked the row.
    bool RowBlanked = false;
    // Why a row was refused ("Freq and Step cannot be blank").
    QString Message;

    bool Ok() const { return Outcome == TTransferOutcome::Done && NotDone.isEmpty(); }
};

// Asks the receiver where it is; true when it reports memory channel `channel`, in use or empty
// (rec.Empty tells which).
bool ReceiverOnChannel(TAR5000& driver, int channel, TRxDat& rec);

// "012-019, 100, 250-299": channel numbers as the user reads them in a message.
QString ChannelListText(const QList<int>& channels);

struct TLoadOptions {
    bool ClearSquelch = false; // "Clear Squelch Values"
    bool OnlyBank0 = false;    // "Only Get Bank 0": channels 000-099
};

enum class TDownloadMode { All, Changed };

// Moves channels between the current memory bank table (the rows of MemQuery1) and the
// receiver's memory. Knows no windows: the caller shows progress, asks the questions and
// decides what the main window shows afterwards.
//
// Every operation runs in one frame: the VFO-data handler unhooked and the driver's poll timer
// stopped, both put back however the work ends. Inside it, a running scan or search is stopped
// before anything is sent.
class TMemoryTransfer {
public:
    TMemoryTransfer(TAR5000& driver, TDataModule1& data);

    // Unhooks the VFO-data handler, stops the poll timer and any running scan or search; puts
    // the handler and the timer back when it goes. Every exchange with the receiver that moves
    // channels runs inside one.
    class TFrame {
    public:
        explicit TFrame(TMemoryTransfer& owner);
        ~TFrame();
        TFrame(const TFrame&) = delete;
        TFrame& operator=(const TFrame&) = delete;

    private:
        TMemoryTransfer& FOwner;
        bool FTimerWasOn;
    };

    // Progress of a load or download: the label ("Pass 1", "Pass 2", "Cancel") and 0..1000.
    std::function<void(const QString& label, int position)> OnProgress;
    // Polled between blocks and channels; true ends a load's first pass or a download.
    std::function<bool()> CancelRequested;
    // Stops a running scan or search before anything is sent that moves the receiver.
    std::function<void()> StopReceiverActivity;
    std::function<void()> UnhookVfoData;
    std::function<void()> HookVfoData;

    // Reads every channel of the current bank (or 000-099) into the table. Rows not in the view
    // are skipped and reported. A channel is either read whole or left as it was.
    TTransferResult LoadFromReceiver(const TLoadOptions& options);
    // Writes all non-blank rows (All: each hundred cleared first) or only those marked CHANGED,
    // of the whole bank table: the rows the memory view hides are written too.
    TTransferResult Download(TDownloadMode mode);
    // Writes the current row of source (MemQuery1 or the move window's table).
    TTransferResult WriteRow(TTableView& source);
    // Reads the current row's channel back from the receiver.
    TTransferResult RefreshRow();

    // The write record of the current row of view.
    static TRxDat RowRecord(const TTableView& view);
    // The ten records of one block read, each into the row of its channel; false when a row
    // could not be stored. Channels stored are added to stored.
    bool StoreBlock(const TMAArray& block, bool clearSquelch, QList<int>* stored = nullptr);
    // The settings GetExtraVfoData reads, into the current row; CHANGED cleared.
    bool StoreExtraData(const TRxDat& rec);
    // A GetRx record completed by GetExtraVfoData, into the row of its channel; CHANGED cleared.
    bool StoreRxDatInRow(const TRxDat& rec);

private:
    bool LinkReady() const;
    // True (outcome NotConnected) when the link is not ready for a transfer.
    bool RefusedWithoutLink(TTransferResult& result) const;
    void Progress(const QString& label, int position) const;
    bool Cancelled() const;
    void StopActivity() const;
    bool Locate(int channel) const;

    TAR5000& FDriver;
    TDataModule1& FData;
};
