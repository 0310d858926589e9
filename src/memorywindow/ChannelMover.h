#pragma once

#include "Records.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class TAR5000;
class TDataModule1;
class TMemoryTransfer;
class TTableView;

enum class TMoveKind { Move, Copy };

// Where a refusal is told: the messages window, or a message box the user has to close.
enum class TMoveNotice { None, Messages, ErrorBox };

struct TMoveOutcome {
    // Why nothing was moved; empty when the rows were moved (or there was nothing to move).
    QString Refusal;
    TMoveNotice RefusalNotice = TMoveNotice::None;
    // The channels written into the table, in order.
    QList<int> Targets;
    // Steps the receiver did not confirm ("500 not written", "010 not deleted") and source
    // channels left where they were because the link went, for the user.
    QStringList NotDone;
    // What the receiver reported of the last target written, for the main window's panel.
    std::optional<TRxDat> Shown;

    bool Refused() const { return !Refusal.isEmpty(); }
};

// Moves or copies memory channels to other channel numbers, in the current bank table and in
// the receiver at the same time. Rows are found by their MEM, never taken from whatever row a
// view happens to stand on, and written through the move table (the whole bank), so a channel
// hidden from the memory view is still found.
//
// A row goes to the table first (target written, marked CHANGED, and for a move the source
// blanked, in one transaction); then the receiver gets the target, confirmed by reading it back,
// and only after that is the source deleted there. Whatever the link does, the table and the
// receiver each hold a channel either where it was or where it went, never nowhere. CHANGED is
// cleared only on a target the receiver confirmed.
class TChannelMover {
public:
    TChannelMover(TAR5000& driver, TDataModule1& data, TMemoryTransfer& transfer);

    // One channel. A blank source is left alone (nothing moved, nothing refused).
    TMoveOutcome MoveOneChannel(int source, int target, TMoveKind kind);
    // Non-blank sources, in the order given, to start, start+1, ...; blank ones are skipped.
    // Refused, with nothing changed, when the block would run past 999 or lands on a channel
    // in use.
    TMoveOutcome MoveBlock(const QList<int>& sources, int start, TMoveKind kind);
    // True when the channel holds a frequency; nullopt when the table lacks the row.
    std::optional<bool> Occupied(int channel);

private:
    enum class TStep { Done, Skipped, Failed };

    bool LocateInTable(int channel);
    TStep MoveInTable(int source, int target, TMoveKind kind, TMoveOutcome& outcome);
    void MoveInReceiver(int source, int target, TMoveKind kind, TMoveOutcome& outcome);
    static TMoveOutcome Refusal(const QString& text, TMoveNotice notice);

    TAR5000& FDriver;
    TDataModule1& FData;
    TMemoryTransfer& FTransfer;
};
