#include "MemoryTransfer.h"

#include "AR5000.h"
#include "DataUnit1.h"
#include "MemorySql.h"
#include "ValueTables.h"

#include <QHash>
#include <QScopeGuard>
#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int kBlockSize = 10;
constexpr int kBlocksPerHundred = 10;
constexpr int kHundreds = 10;
// Sent as "MA" without a number: the next ten channels after the previous listing.
constexpr int kNextBlock = -1;

// Every field but MEM, in the order a blank row is written.
constexpr std::array<const char*, 17> kDataFields = {
    "FREQ",  "TEXT", "MODE", "BW",    "LP",   "HP",      "DM",      "AGC",    "STEP",
    "SSTEP", "ATN",  "ANT",  "STADJ", "PASS", "SELSCAN", "SQUELCH", "CHANGED"};

template <std::size_t N>
int ListIndex(const std::array<const char*, N>& list, const QVariant& value) {
    const QString text = value.toString();
    for (std::size_t i = 0; i < N; ++i)
        if (text.compare(QLatin1StringView(list[i]), Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

template <std::size_t N> QVariant ListText(const std::array<const char*, N>& list, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= N)
        return {};
    return QString::fromLatin1(list[static_cast<std::size_t>(index)]);
}

QString Name(const char* field) {
    return QString::fromLatin1(field);
}

// A row that cannot be stored is put back out of the edit state, never left half written.
bool PostOrCancel(TTableView& view) {
    if (view.Post())
        return true;
    view.Cancel();
    return false;
}

bool StoreField(TTableView& view, QStringView field, const QVariant& value) {
    if (!view.Edit())
        return false;
    view.SetField(field, value);
    return PostOrCancel(view);
}

bool Flag(const TTableView& view, QStringView field) {
    return view.Value(field).toBool();
}

// The receiver refuses a whole memory write whose mode, bandwidth, attenuator or step it cannot
// take; the other settings are left out of the write when unknown.
bool Writable(const TRxDat& rec) {
    return rec.Mode >= 0 && rec.Bandwidth >= 0 && rec.Attenuator >= 0 && !rec.Step.isEmpty();
}

} // namespace

bool ReceiverOnChannel(TAR5000& driver, int channel, TRxDat& rec) {
    if (!driver.Connected())
        return false;
    rec.Channel = -1;
    const bool answered = driver.GetRx(rec);
    // An empty channel answers without the fields of a channel in use, which GetRx counts as no
    // answer.
    if (rec.Empty)
        return rec.Channel == channel;
    return answered && rec.Vfo == kRxCodeMemory && rec.Channel == channel;
}

QString ChannelListText(const QList<int>& channels) {
    QStringList parts;
    for (qsizetype i = 0; i < channels.size();) {
        qsizetype last = i;
        while (last + 1 < channels.size() && channels[last + 1] == channels[last] + 1)
            ++last;
        parts << (last == i
                      ? FormatMemNumber(channels[i])
                      : FormatMemNumber(channels[i]) + u'-' + FormatMemNumber(channels[last]));
        i = last + 1;
    }
    return parts.join(u", "_s);
}

TMemoryTransfer::TFrame::TFrame(TMemoryTransfer& owner)
    : FOwner(owner)
    , FTimerWasOn(owner.FDriver.TimerStatus()) {
    if (FOwner.UnhookVfoData)
        FOwner.UnhookVfoData();
    FOwner.FDriver.FSetTimerStatus(false);
    FOwner.StopActivity();
}

TMemoryTransfer::TFrame::~TFrame() {
    FOwner.FDriver.FSetTimerStatus(FTimerWasOn);
    if (FOwner.HookVfoData)
        FOwner.HookVfoData();
}

TMemoryTransfer::TMemoryTransfer(TAR5000& driver, TDataModule1& data)
    : FDriver(driver)
    , FData(data) {}

bool TMemoryTransfer::LinkReady() const {
    return FDriver.Connected() && FDriver.Remote();
}

bool TMemoryTransfer::RefusedWithoutLink(TTransferResult& result) const {
    if (LinkReady())
        return false;
    result.Outcome = TTransferOutcome::NotConnected;
    return true;
}

void TMemoryTransfer::Progress(const QString& label, int position) const {
    if (OnProgress)
        OnProgress(label, position);
}

bool TMemoryTransfer::Cancelled() const {
    return CancelRequested && CancelRequested();
}

void TMemoryTransfer::StopActivity() const {
    if (StopReceiverActivity)
        StopReceiverActivity();
}

bool TMemoryTransfer::Locate(int channel) const {
    return FData.LocateMemory(FormatMemNumber(channel)) == TLocateResult::Found;
}

TRxDat TMemoryTransfer::RowRecord(const TTableView& view) {
    TRxDat rec;
    rec.Channel = view.Value(u"MEM").toString().toInt();
    rec.Freq = view.Value(u"FREQ").toDouble();
    rec.Text = view.Value(u"TEXT").toString().toUpper();
    if (rec.Text.isEmpty())
        rec.Text = u" "_s;
    rec.Mode = ListIndex(kModes, view.Value(u"MODE"));
    rec.Bandwidth = ListIndex(kBandwidths, view.Value(u"BW"));
    rec.LowPass = ListIndex(kLowPasses, view.Value(u"LP"));
    rec.HighPass = ListIndex(kHighPasses, view.Value(u"HP"));
    rec.DeEmphasis = ListIndex(kDeEmphases, view.Value(u"DM"));
    rec.Agc = ListIndex(kAgcs, view.Value(u"AGC"));
    rec.Step = view.Value(u"STEP").toString();
    rec.SubStep = ListIndex(kSubSteps, view.Value(u"SSTEP"));
    rec.Attenuator = ListIndex(kAttenuators, view.Value(u"ATN"));
    rec.AttenuatorAuto = rec.Attenuator == kAttenuatorAuto;
    rec.AntennaAuto = false;
    rec.Antenna = ListIndex(kAntennas, view.Value(u"ANT"));
    rec.StepAdjust = Flag(view, u"STADJ");
    rec.MemoryPass = Flag(view, u"PASS");
    rec.SelectScan = Flag(view, u"SELSCAN");
    return rec;
}

bool TMemoryTransfer::StoreBlock(const TMAArray& block, bool clearSquelch, QList<int>* stored) {
    TTableView& view = FData.MemQuery1();
    bool ok = true;
    for (const TRxDat& rec : block) {
        if (!Locate(rec.Channel))
            continue;
        if (!view.Edit()) {
            ok = false;
            continue;
        }
        if (rec.Empty) {
            for (const char* field : kDataFields)
                view.SetField(Name(field), QVariant());
        } else {
            view.SetField(u"PASS", rec.MemoryPass);
            view.SetField(u"SELSCAN", rec.SelectScan);
            view.SetField(u"FREQ", rec.Freq);
            view.SetField(u"STEP", rec.Step);
            view.SetField(u"STADJ", rec.StepAdjust);
            view.SetField(u"MODE", ListText(kModes, rec.Mode));
            view.SetField(u"TEXT", rec.Text);
            if (clearSquelch)
                view.SetField(u"SQUELCH", QVariant());
        }
        if (!PostOrCancel(view)) {
            ok = false;
            continue;
        }
        if (stored)
            stored->append(rec.Channel);
    }
    return ok;
}

bool TMemoryTransfer::StoreExtraData(const TRxDat& rec) {
    TTableView& view = FData.MemQuery1();
    if (!view.Edit())
        return false;
    view.SetField(u"BW", ListText(kBandwidths, rec.Bandwidth));
    view.SetField(u"ANT", rec.AntennaAuto ? QVariant(u"Auto"_s) : ListText(kAntennas, rec.Antenna));
    view.SetField(u"ATN", rec.AttenuatorAuto ? QVariant(u"Auto"_s)
                                             : ListText(kAttenuators, rec.Attenuator));
    view.SetField(u"AGC", ListText(kAgcs, rec.Agc));
    view.SetField(u"HP", ListText(kHighPasses, rec.HighPass));
    view.SetField(u"LP", ListText(kLowPasses, rec.LowPass));
    view.SetField(u"DM", ListText(kDeEmphases, rec.DeEmphasis));
    view.SetField(u"SSTEP", ListText(kSubSteps, rec.SubStep));
    view.SetField(u"CHANGED", false);
    return PostOrCancel(view);
}

bool TMemoryTransfer::StoreRxDatInRow(const TRxDat& rec) {
    TTableView& view = FData.MemQuery1();
    const QString mem = FormatMemNumber(rec.Channel);
    if (view.Value(u"MEM").toString() != mem && !Locate(rec.Channel))
        return false;
    if (!view.Edit())
        return false;
    view.SetField(u"FREQ", rec.Freq);
    view.SetField(u"TEXT", rec.Text);
    view.SetField(u"MODE", ListText(kModes, rec.Mode));
    view.SetField(u"BW", ListText(kBandwidths, rec.Bandwidth));
    view.SetField(u"LP", ListText(kLowPasses, rec.LowPass));
    view.SetField(u"HP", ListText(kHighPasses, rec.HighPass));
    view.SetField(u"DM", ListText(kDeEmphases, rec.DeEmphasis));
    view.SetField(u"AGC", ListText(kAgcs, rec.Agc));
    view.SetField(u"STEP", rec.Step);
    view.SetField(u"SSTEP", ListText(kSubSteps, rec.SubStep));
    view.SetField(u"ATN", rec.AttenuatorAuto ? QVariant(u"Auto"_s)
                                             : ListText(kAttenuators, rec.Attenuator));
    // Early firmware reports no antenna per channel worth keeping.
    if (FDriver.FirmwareID == 0)
        view.SetField(u"ANT",
                      rec.AntennaAuto ? QVariant(u"Auto"_s) : ListText(kAntennas, rec.Antenna));
    view.SetField(u"STADJ", rec.StepAdjust);
    view.SetField(u"PASS", rec.MemoryPass);
    view.SetField(u"SELSCAN", rec.SelectScan);
    view.SetField(u"CHANGED", false);
    return PostOrCancel(view);
}

TTransferResult TMemoryTransfer::LoadFromReceiver(const TLoadOptions& options) {
    TTransferResult result;
    if (!LinkReady()) {
        result.Outcome = TTransferOutcome::NotConnected;
        return result;
    }
    TFrame frame(*this);
    const int hundreds = options.OnlyBank0 ? 1 : kHundreds;
    const int channels = hundreds * 100;
    FData.ProgrammaticEdit = true;
    const auto clearEdit = qScopeGuard([this] { FData.ProgrammaticEdit = false; });
    TTableView& view = FData.MemQuery1();

    // What each row held before the load, so that a channel that cannot be read whole is put
    // back as it was rather than left half new.
    QHash<int, QVariantList> before;
    for (int row = 0; view.MoveTo(row); ++row) {
        const int channel = view.Value(u"MEM").toString().toInt();
        if (channel < channels) {
            QVariantList values;
            for (const char* field : kDataFields)
                values << view.Value(Name(field));
            before.insert(channel, values);
        }
    }

    // Pass 1. Records go to the row their own channel number names, so a block that failed
    // does not shift the ones after it; a failed block stores nothing.
    QList<int> read;
    QSet<int> whole; // read in full: blank channels after pass 1, the others after pass 2
    bool stopped = false;
    for (int hundred = 0; hundred < hundreds && !stopped; ++hundred) {
        for (int i = 0; i < kBlocksPerHundred; ++i) {
            if (!FDriver.Connected()) {
                result.Outcome = TTransferOutcome::LinkLost;
                stopped = true;
                break;
            }
            TMAArray block{};
            block[0].Channel = i == 0 ? hundred : kNextBlock;
            if (FDriver.GetMA(block)) {
                const qsizetype first = read.size();
                StoreBlock(block, options.ClearSquelch, &read);
                for (qsizetype n = first; n < read.size(); ++n)
                    for (const TRxDat& rec : block)
                        if (rec.Channel == read[n] && rec.Empty)
                            whole.insert(rec.Channel);
            }
            Progress(u"Pass 1"_s, hundred * 100 + i * kBlockSize);
            if (i > 0 && Cancelled()) {
                result.Outcome = TTransferOutcome::Cancelled;
                stopped = true;
                break;
            }
        }
    }
    const QSet<int> readSet(read.cbegin(), read.cend());

    // Pass 2: the settings a block listing does not carry, channel by channel.
    if (!stopped) {
        Progress(u"Pass 2"_s, 0);
        for (int channel = 0; channel < channels; ++channel) {
            Progress(u"Pass 2"_s, channel);
            if (!readSet.contains(channel) || whole.contains(channel) || !FDriver.Connected() ||
                !Locate(channel))
                continue;
            if (view.Value(u"FREQ").isNull()) {
                whole.insert(channel);
                continue;
            }
            FDriver.RecallMemory(channel);
            TRxDat rec;
            bool ok = FDriver.GetExtraVfoData(rec) && StoreExtraData(rec);
            if (ok && Flag(view, u"STADJ")) {
                TRxDat tuned;
                ok = FDriver.GetRx(tuned) && tuned.Channel == channel && view.Edit();
                if (ok) {
                    view.SetField(u"FREQ", tuned.Freq);
                    view.SetField(u"CHANGED", false);
                    ok = PostOrCancel(view);
                }
            }
            if (ok)
                whole.insert(channel);
        }
        if (!FDriver.Connected())
            result.Outcome = TTransferOutcome::LinkLost;
    }

    // A cancelled load keeps the blocks it read, as the user chose. Otherwise a channel read
    // only in part goes back to what it held.
    QSet<int> notDone;
    for (int channel = 0; channel < channels; ++channel) {
        if (whole.contains(channel))
            continue;
        notDone.insert(channel);
        if (result.Outcome == TTransferOutcome::Cancelled || !readSet.contains(channel) ||
            !before.contains(channel) || !Locate(channel) || !view.Edit())
            continue;
        const QVariantList& values = before[channel];
        // CHANGED last: the other fields mark the row as they are set.
        for (std::size_t i = 0; i < kDataFields.size(); ++i)
            view.SetField(Name(kDataFields[i]), values[static_cast<qsizetype>(i)]);
        PostOrCancel(view);
    }
    if (result.Outcome == TTransferOutcome::Cancelled)
        notDone.subtract(readSet);

    result.NotDone = QList<int>(notDone.cbegin(), notDone.cend());
    std::sort(result.NotDone.begin(), result.NotDone.end());
    return result;
}

TTransferResult TMemoryTransfer::Download(TDownloadMode mode) {
    TTransferResult result;
    if (RefusedWithoutLink(result))
        return result;
    // The whole bank, whatever the memory view shows: every hundred cleared in the receiver must
    // get all its channels back, and a changed row the view hides is still changed.
    TTableView table(FData.Engine());
    table.SetSql(AllRowsSql(FData.ViewState.CurrentTable));
    if (!table.Open()) {
        result.Outcome = TTransferOutcome::Failed;
        result.Message = table.LastError();
        return result;
    }
    QHash<int, int> rowOf;
    for (int row = 0; table.MoveTo(row); ++row)
        rowOf.insert(table.Value(u"MEM").toString().toInt(), row);

    TFrame frame(*this);
    for (int channel = 0; channel < kBankRows; ++channel) {
        Progress(u"Cancel"_s, channel);
        if (Cancelled()) {
            result.Outcome = TTransferOutcome::Cancelled;
            break;
        }
        if (!FDriver.Connected()) {
            result.Outcome = TTransferOutcome::LinkLost;
            for (int rest = channel; rest < kBankRows; ++rest)
                result.NotDone << rest;
            break;
        }
        if (mode == TDownloadMode::All && channel % 100 == 0) {
            FDriver.ClearMemoryBank(channel / 100);
            FDriver.GetDS();
        }
        if (!rowOf.contains(channel) || !table.MoveTo(rowOf.value(channel))) {
            result.NotDone << channel;
            continue;
        }
        const bool changed = Flag(table, u"CHANGED");
        if (table.Value(u"FREQ").isNull()) {
            if (changed)
                StoreField(table, u"CHANGED", false);
            continue;
        }
        if (mode == TDownloadMode::Changed && !changed)
            continue;
        const TRxDat rec = RowRecord(table);
        if (!Writable(rec)) {
            result.NotDone << channel;
            continue;
        }
        FDriver.WriteMemory(rec);
        // The flag is cleared only once the receiver has answered after the write: a write
        // lost with the link stays marked for the next download.
        FDriver.GetDS();
        if (FDriver.Connected())
            StoreField(table, u"CHANGED", false);
        else
            result.NotDone << channel;
    }
    if (result.Outcome == TTransferOutcome::Done && !FDriver.Connected())
        result.Outcome = TTransferOutcome::LinkLost;
    return result;
}

TTransferResult TMemoryTransfer::WriteRow(TTableView& source) {
    TTransferResult result;
    if (RefusedWithoutLink(result))
        return result;
    if (source.Value(u"FREQ").isNull() || source.Value(u"STEP").isNull()) {
        result.Outcome = TTransferOutcome::Refused;
        result.Message = u"Freq and Step cannot be blank"_s;
        return result;
    }
    result.Record = RowRecord(source);
    if (!Writable(result.Record)) {
        result.Outcome = TTransferOutcome::Refused;
        result.Message = u"Mode, BW and ATN cannot be blank"_s;
        return result;
    }
    TFrame frame(*this);
    FDriver.WriteMemory(result.Record);
    FDriver.GetDS();
    if (!FDriver.Connected()) {
        result.Outcome = TTransferOutcome::LinkLost;
        result.NotDone << result.Record.Channel;
        return result;
    }
    // From the move window MemQuery1 may stand on another channel: the written one is cleared.
    TTableView& view = FData.MemQuery1();
    if (&source == &view || Locate(result.Record.Channel))
        FData.StoreField(u"CHANGED", false);
    return result;
}

TTransferResult TMemoryTransfer::RefreshRow() {
    TTransferResult result;
    if (RefusedWithoutLink(result))
        return result;
    TFrame frame(*this);
    TTableView& view = FData.MemQuery1();
    const int channel = view.Value(u"MEM").toString().toInt();
    FData.ProgrammaticEdit = true;
    const auto clearEdit = qScopeGuard([this] { FData.ProgrammaticEdit = false; });
    FDriver.RecallMemory(channel);
    TRxDat rec;
    // An empty channel is an answer (the driver copies Empty and Channel only when one came);
    // no answer is not an empty channel, and the row stays as it was.
    if (!FDriver.GetRx(rec) && !rec.Empty) {
        result.Outcome =
            FDriver.Connected() ? TTransferOutcome::Failed : TTransferOutcome::LinkLost;
        result.NotDone << channel;
        return result;
    }
    result.Record = rec;
    const bool inMemoryMode = rec.Empty || rec.Vfo == kRxCodeMemory;
    if (rec.Empty || !inMemoryMode || rec.Channel != channel) {
        result.ReceiverElsewhere = inMemoryMode && rec.Channel != channel;
        result.RowBlanked = true;
        if (!FData.BlankMemoryRow())
            result.Outcome = TTransferOutcome::Failed;
        return result;
    }
    if (!FDriver.GetExtraVfoData(rec) || !StoreRxDatInRow(rec)) {
        result.Outcome =
            FDriver.Connected() ? TTransferOutcome::Failed : TTransferOutcome::LinkLost;
        result.NotDone << channel;
        return result;
    }
    result.Record = rec;
    return result;
}
