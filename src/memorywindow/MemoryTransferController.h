#pragma once

#include "MemoryTransfer.h"
#include "TransferDialogs.h"

#include <QObject>
#include <QPointer>

class TMemForm;
class TTableView;

// The memory window's side of moving channels to and from the receiver: the questions before,
// the Cancel window during, what the main window shows and what the user is told after.
class TMemoryTransferController : public QObject {
    Q_OBJECT

public:
    TMemoryTransferController(TMemForm& form, QObject* parent);
    ~TMemoryTransferController() override;

    TMemoryTransfer& Transfer() { return FTransfer; }
    // The Cancel window while a load or download runs, else null.
    TCancelForm* CancelWindow() const { return FCancelForm; }

    void LoadFromReceiver();
    void DownloadToReceiver();
    // Writes the current row of source (the memory view or the move window's table).
    void WriteRow(TTableView& source);
    void RefreshRow();
    void StoreRxDatInRow(const TRxDat& rec);

Q_SIGNALS:
    // A load or download ended; the result as the user was told it.
    void Finished(const TTransferResult& result);

private:
    // Shows the Cancel window and disables both windows until the guard goes.
    class TBusyWindows;

    bool LinkReady() const;
    void PrepareLoad();
    void SelectVfoA();
    // "Not Connected to Rx" and the like: a message box.
    void Tell(const QString& text) const;
    // What went wrong, for a message box; empty when all went well.
    static QString Problems(const TTransferResult& result, const QString& verb);

    TMemForm& FForm;
    TMemoryTransfer FTransfer;
    QPointer<TCancelForm> FCancelForm;
};
