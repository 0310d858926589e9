#include "ChannelMover.h"

#include "AR5000.h"
#include "DataUnit1.h"
#include "MemoryTransfer.h"

#include <QScopedValueRollback>

#include <array>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// What a move or copy carries to the target, in this order; MEM and CHANGED stay.
constexpr std::array<const char*, 16> kMovedFields = {
    "FREQ", "TEXT",  "MODE", "BW",  "LP",    "HP",   "DM",      "AGC",
    "STEP", "SSTEP", "ATN",  "ANT", "STADJ", "PASS", "SELSCAN", "SQUELCH"};

// Half a hertz: what the receiver reports back is the frequency written.
constexpr double kSameFrequencyMHz = 0.5e-6;

QString Field(const char* name) {
    return QString::fromLatin1(name);
}

QString Mem(int channel) {
    return FormatMemNumber(channel);
}

} // namespace

TChannelMover::TChannelMover(TAR5000& driver, TDataModule1& data, TMemoryTransfer& transfer)
    : FDriver(driver)
    , FData(data)
    , FTransfer(transfer) {}

TMoveOutcome TChannelMover::Refusal(const QString& text, TMoveNotice notice) {
    TMoveOutcome outcome;
    outcome.Refusal = text;
    outcome.RefusalNotice = notice;
    return outcome;
}

bool TChannelMover::LocateInTable(int channel) {
    TTableView& table = FData.MoveTable();
    if (!table.Active() && !FData.OpenMoveTable())
        return false;
    // The row as the table holds it now: the memory window and statements write it too.
    return channel >= 0 && channel < kBankRows &&
           table.Locate(u"MEM", Mem(channel)) == TLocateResult::Found && table.Refresh();
}

std::optional<bool> TChannelMover::Occupied(int channel) {
    if (!LocateInTable(channel))
        return std::nullopt;
    return !FData.MoveTable().IsNull(u"FREQ");
}

TChannelMover::TStep TChannelMover::MoveInTable(int source, int target, TMoveKind kind,
                                                TMoveOutcome& outcome) {
    TTableView& table = FData.MoveTable();
    const auto fail = [&outcome](const QString& text) {
        outcome.NotDone << text;
        return TStep::Failed;
    };
    if (!LocateInTable(source))
        return fail(u"Failed to locate MEM "_s + Mem(source));
    if (table.IsNull(u"FREQ"))
        return TStep::Skipped;
    QVariantList values;
    for (const char* field : kMovedFields)
        values << table.Value(Field(field));
    if (!LocateInTable(target))
        return fail(u"Failed to locate MEM "_s + Mem(target));

    // Both rows or neither: a move never leaves the channel in two rows or in none.
    TTransaction transaction(FData.Engine());
    bool ok = transaction.Started() && table.Edit();
    for (std::size_t i = 0; ok && i < kMovedFields.size(); ++i)
        table.SetField(Field(kMovedFields[i]), values[static_cast<qsizetype>(i)]);
    // The receiver does not hold it yet.
    ok = ok && table.SetField(u"CHANGED", true) && table.Post();
    if (ok && kind == TMoveKind::Move) {
        ok = LocateInTable(source) && table.Edit();
        for (std::size_t i = 0; ok && i < kMovedFields.size(); ++i)
            table.SetField(Field(kMovedFields[i]), QVariant());
        ok = ok && table.SetField(u"CHANGED", QVariant()) && table.Post();
    }
    ok = ok && transaction.Commit();
    if (ok)
        return TStep::Done;
    const QString error =
        table.LastError().isEmpty() ? FData.Engine().LastError() : table.LastError();
    table.Cancel();
    transaction.Rollback();
    // The cursor may hold what was rolled back.
    FData.OpenMoveTable();
    return fail(Mem(source) + u" not moved: "_s + error);
}

void TChannelMover::MoveInReceiver(int source, int target, TMoveKind kind, TMoveOutcome& outcome) {
    const bool move = kind == TMoveKind::Move;
    if (!LocateInTable(target)) {
        outcome.NotDone << Mem(target) + u" not written"_s;
        return;
    }
    TRxDat written = TMemoryTransfer::RowRecord(FData.MoveTable());
    TRxDat vfo;
    FDriver.SetVfo(u'A', vfo);
    FDriver.WriteMemory(written);
    TRxDat reported;
    if (!ReceiverOnChannel(FDriver, target, reported) || reported.Empty ||
        std::abs(reported.Freq - written.Freq) > kSameFrequencyMHz) {
        // The target stays marked CHANGED for the next download, and the source stays in the
        // receiver: the channel is still there, where it was.
        outcome.NotDone << Mem(target) + u" not written"_s;
        if (move)
            outcome.NotDone << Mem(source) + u" not deleted"_s;
        return;
    }
    if (LocateInTable(target)) {
        TTableView& table = FData.MoveTable();
        if (table.Edit()) {
            table.SetField(u"CHANGED", false);
            if (!table.Post())
                table.Cancel();
        }
    }
    written.Vfo = reported.Vfo;
    outcome.Shown = written;
    if (!move)
        return;
    // "MQ" deletes whatever channel the receiver is on: it must be on the source.
    FDriver.RecallMemory(source);
    TRxDat recalled;
    if (!ReceiverOnChannel(FDriver, source, recalled)) {
        outcome.NotDone << Mem(source) + u" not deleted"_s;
        return;
    }
    FDriver.DeleteMemory();
    // Back on the target, which the main window shows; its answer also says the line carried
    // the delete before it.
    FDriver.RecallMemory(target);
    TRxDat back;
    if (!ReceiverOnChannel(FDriver, target, back))
        outcome.NotDone << Mem(source) + u" perhaps not deleted"_s;
}

TMoveOutcome TChannelMover::MoveOneChannel(int source, int target, TMoveKind kind) {
    if (!FDriver.Connected())
        return Refusal(u"Not connected to Rx"_s, TMoveNotice::Messages);
    if (source == target)
        return Refusal(u"Memory "_s + Mem(source) + u" cannot be moved onto itself"_s,
                       TMoveNotice::Messages);
    for (const int channel : {source, target}) {
        if (!LocateInTable(channel))
            return Refusal(u"Failed to locate MEM "_s + Mem(channel), TMoveNotice::Messages);
    }
    const QScopedValueRollback programmatic(FData.ProgrammaticEdit, true);
    TMoveOutcome outcome;
    if (MoveInTable(source, target, kind, outcome) != TStep::Done)
        return outcome;
    outcome.Targets << target;
    const TMemoryTransfer::TFrame frame(FTransfer);
    MoveInReceiver(source, target, kind, outcome);
    return outcome;
}

TMoveOutcome TChannelMover::MoveBlock(const QList<int>& sources, int start, TMoveKind kind) {
    if (!FDriver.Connected())
        return Refusal(u"Not connected to Rx"_s, TMoveNotice::Messages);
    const int count = static_cast<int>(sources.size());
    if (count == 0)
        return {};
    if (start + count - 1 >= kBankRows)
        return Refusal(u"Move will exceed Channel 999\r\nOperation cancelled"_s,
                       TMoveNotice::ErrorBox);
    for (int channel = start; channel < start + count; ++channel) {
        const std::optional<bool> occupied = Occupied(channel);
        if (!occupied)
            return Refusal(u"Failed to locate MEM "_s + Mem(channel), TMoveNotice::Messages);
        if (*occupied)
            return Refusal(u"Memory "_s + Mem(channel) + u" will be overwritten"_s +
                               u"\r\nOperation cancelled"_s,
                           TMoveNotice::ErrorBox);
    }
    // Which sources are blank is decided before anything moves: a blank source that becomes a
    // target on the way is not moved on again.
    QList<int> moving;
    for (const int source : sources) {
        if (Occupied(source).value_or(false))
            moving << source;
    }

    const QScopedValueRollback programmatic(FData.ProgrammaticEdit, true);
    const TMemoryTransfer::TFrame frame(FTransfer);
    TMoveOutcome outcome;
    int target = start;
    for (qsizetype i = 0; i < moving.size(); ++i) {
        if (!FDriver.Connected()) {
            // What is left stays as it is in both; nothing half done.
            outcome.NotDone << u"Not moved: "_s + ChannelListText(moving.mid(i));
            break;
        }
        const TStep step = MoveInTable(moving[i], target, kind, outcome);
        if (step == TStep::Failed)
            break;
        if (step == TStep::Skipped)
            continue;
        outcome.Targets << target;
        MoveInReceiver(moving[i], target, kind, outcome);
        ++target;
    }
    return outcome;
}
