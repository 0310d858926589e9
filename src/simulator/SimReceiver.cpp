#include "SimReceiver.h"

#include "SimLine.h"
#include "SimText.h"

#include <QElapsedTimer>

#include <algorithm>
#include <memory>
#include <utility>

namespace {

constexpr char kStepUp = 0x1E;
constexpr char kStepDown = 0x1F;
constexpr qsizetype kMaxLineLength = 256;
constexpr qint64 kAutoAntennaHfHz = 30'000'000;
constexpr int kLevelsPerAttenuatorStep = 20; // about 10 dB at the middle of the scale
constexpr int kActivityTickMs = 10;

// The receiver keeps what it can represent: texts as stored, "Auto" as its flags.
TRxDat Normalized(TRxDat rec) {
    rec.Text = SimText::StoredText(rec.Text.toLatin1());
    if (rec.Attenuator == 3) {
        rec.AttenuatorAuto = true;
        rec.Attenuator = 0;
    }
    if (rec.Antenna == 0)
        rec.AntennaAuto = true;
    rec.Level.clear();
    rec.SquelchClosed = false;
    return rec;
}

} // namespace

TSimReceiver::TSimReceiver(const TSimOptions& options, QObject* parent)
    : QObject(parent)
    , FOptions(options)
    , FBand(options.Seed)
    , FRandom(std::uint64_t(options.Seed) * 7919u + 17u)
    , FFlood(options.FloodHits) {
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    FClock = [elapsed] {
        return elapsed->elapsed();
    };

    FActivityTimer.setTimerType(Qt::PreciseTimer);
    FActivityTimer.setInterval(kActivityTickMs);
    connect(&FActivityTimer, &QTimer::timeout, this, &TSimReceiver::ActivityTick);
    FFloodTimer.setSingleShot(true);
    FFloodTimer.setInterval(0);
    connect(&FFloodTimer, &QTimer::timeout, this, &TSimReceiver::FloodStep);
    FSplitTimer.setInterval(0);
    connect(&FSplitTimer, &QTimer::timeout, this, &TSimReceiver::FlushSplit);

    LoadPresets();
}

TSimReceiver::~TSimReceiver() = default;

void TSimReceiver::SetClock(std::function<qint64()> clockMs) {
    FClock = std::move(clockMs);
    FActivity.LastStepMs = FClock();
    FDtmfCheckedMs = FActivity.LastStepMs;
}

void TSimReceiver::ReceiveBytes(const QByteArray& bytes) {
    FBytesReceived += bytes.size();
    for (const char c : bytes) {
        if (c == kStepUp || c == kStepDown) {
            HandleStep(c == kStepUp ? 1 : -1);
        } else if (c == '\r' || c == '\n') {
            if (!FLine.isEmpty())
                HandleLine(std::exchange(FLine, QByteArray()));
        } else if (FLine.size() <= kMaxLineLength) {
            FLine.append(c);
        }
    }
}

void TSimReceiver::RecordLine(const QString& line) {
    // A receiver left running for days inside the program must not keep every line it heard.
    if (FReceivedLines.size() >= kReceivedLinesKept)
        FReceivedLines.remove(0, kReceivedLinesKept / 2);
    FReceivedLines.append(line);
    Q_EMIT LineReceived(line);
}

void TSimReceiver::HandleLine(QByteArray line) {
    const bool framed = line.startsWith('*');
    if (framed)
        line.remove(0, 1);
    while (line.endsWith(' '))
        line.chop(1);
    line = line.toUpper();
    RecordLine(QString::fromLatin1(line));
    // Through the display unit a line without its "*" never reaches the receiver.
    if ((FOptions.SduMode && !framed) || line.isEmpty() || !FPoweredOn)
        return;
    FRemote = true;
    if (FFault == TSimFault::QuestionMark || line.size() > kMaxLineLength) {
        Refuse();
        return;
    }
    const TCommand* command = FindCommand(SimText::Left(line, 2));
    if (!command) {
        Refuse();
        return;
    }
    (this->*command->Handler)(line);
}

void TSimReceiver::HandleStep(int direction) {
    RecordLine(QString(QLatin1Char(direction > 0 ? kStepUp : kStepDown)));
    if (!FPoweredOn)
        return;
    FRemote = true;
    if (FFault == TSimFault::QuestionMark) {
        Refuse();
        return;
    }
    if (Running()) {
        Nudge();
        return;
    }
    if (FMode == TSimMode::Memory) {
        // The dial moves between the channels in use.
        for (int i = 1; i < kChannelCount; ++i) {
            const int channel = (FChannel + direction * i + kChannelCount) % kChannelCount;
            if (!Channel(channel).Empty) {
                FChannel = channel;
                break;
            }
        }
        return;
    }
    TRxDat& vfo = FVfos[static_cast<size_t>(FVfo)];
    static constexpr std::array<qint64, 11> kSubStepHz = {
        0, 0, 100, 500, 1'000, 5'000, 10'000, 50'000, 100'000, 500'000, 1'000'000};
    const qint64 mainStepHz = std::max<qint64>(1, SimText::StepHz(vfo.Step));
    const auto subStep = static_cast<size_t>(std::clamp(vfo.SubStep, 0, 10));
    const qint64 stepHz = subStep == 0   ? mainStepHz
                          : subStep == 1 ? mainStepHz * 10
                                         : kSubStepHz[subStep];
    const qint64 hz =
        std::clamp(SimText::Hz(vfo.Freq) + direction * stepHz, SimText::kMinHz, SimText::kMaxHz);
    vfo.Freq = SimText::MHz(hz);
}

void TSimReceiver::Send(const QByteArray& line) {
    if (FFault == TSimFault::Silence || !FPoweredOn)
        return;
    QByteArray bytes = FOptions.SduMode ? '*' + line : line;
    if (FFault == TSimFault::Garbage) {
        for (char& c : bytes) {
            // Printable, so no line end and no flow-control byte can appear by chance.
            c = static_cast<char>(FRandom.Between(0x21, 0x7E));
        }
        Q_EMIT LineSent(QString::fromLatin1(bytes));
    } else {
        Q_EMIT LineSent(QString::fromLatin1(bytes));
        bytes += "\r\n";
    }
    if (FFault == TSimFault::LeadingNoise) {
        // Never a line end, nor a flow-control byte that the port would swallow.
        static constexpr char kNoise[] = {'\x00', '\xFF', '\x80', '\x1B', '\x7F', '\xFE'};
        const auto count = FRandom.Between(1, 4);
        for (qint64 i = 0; i < count; ++i)
            bytes.prepend(kNoise[FRandom.Between(0, std::size(kNoise) - 1)]);
    }
    if (FFault != TSimFault::SplitReplies && FSplitQueue.isEmpty()) {
        Emit(bytes);
        return;
    }
    for (qsizetype at = 0; at < bytes.size();) {
        const auto size = static_cast<qsizetype>(FRandom.Between(1, 4));
        FSplitQueue.append(bytes.mid(at, size));
        at += size;
    }
    if (!FSplitTimer.isActive())
        FSplitTimer.start();
}

void TSimReceiver::Emit(const QByteArray& bytes) {
    FBytesSent += bytes.size();
    Q_EMIT BytesOut(bytes);
}

void TSimReceiver::FlushSplit() {
    if (FSplitQueue.isEmpty()) {
        FSplitTimer.stop();
        return;
    }
    Emit(FSplitQueue.takeFirst());
}

void TSimReceiver::Refuse() {
    Send("?");
}

void TSimReceiver::SetFault(TSimFault fault) {
    FFault = fault;
}

void TSimReceiver::DropConnection() {
    FSplitQueue.clear();
    FLine.clear();
    Q_EMIT DropRequested();
}

QChar TSimReceiver::CurrentVfo() const {
    return QChar(u'A' + FVfo);
}

TRxDat* TSimReceiver::Target() {
    return const_cast<TRxDat*>(std::as_const(*this).Target());
}

const TRxDat* TSimReceiver::Target() const {
    switch (FMode) {
    case TSimMode::Vfo:
    case TSimMode::VfoSearch:
        return &FVfos[static_cast<size_t>(FVfo)];
    case TSimMode::ProgramSearch:
        return &FSearchBanks[static_cast<size_t>(FSearchBank)].Settings;
    case TSimMode::Memory:
    case TSimMode::MemoryScan:
    case TSimMode::SelectScan:
        break;
    }
    const TRxDat& channel = Channel(FChannel);
    return channel.Empty ? nullptr : &channel;
}

const TRxDat& TSimReceiver::BlankRecord() {
    static const TRxDat blank = [] {
        TRxDat rec;
        rec.Step = SimText::StepKHz(5000);
        rec.AntennaAuto = true;
        return rec;
    }();
    return blank;
}

const TRxDat& TSimReceiver::Tuned() const {
    const TRxDat* rec = Target();
    return rec ? *rec : BlankRecord();
}

qint64 TSimReceiver::TunedHz() const {
    if (FMode == TSimMode::ProgramSearch || FMode == TSimMode::VfoSearch)
        return FActivity.PosHz;
    const TRxDat* rec = Target();
    return rec ? SimText::Hz(rec->Freq) : 0;
}

TRxDat TSimReceiver::Resolved(const TRxDat& rec, qint64 hz) const {
    TRxDat out = rec;
    // Automatic choices: the HF input below 30 MHz, and no attenuation needed on this band.
    if (out.AntennaAuto)
        out.Antenna = hz <= kAutoAntennaHfHz ? 2 : 1;
    if (out.AttenuatorAuto)
        out.Attenuator = 0;
    return out;
}

int TSimReceiver::Attenuation(qint64 hz) const {
    const TRxDat* rec = Target();
    return rec ? Resolved(*rec, hz).Attenuator * kLevelsPerAttenuatorStep : 0;
}

TSimSample TSimReceiver::SampleAt(qint64 hz, qint64 timeMs) const {
    TSimSample sample = FBand.Sample(hz, timeMs);
    sample.Level = std::max(0, sample.Level - Attenuation(hz));
    return sample;
}

int TSimReceiver::CurrentLevel() const {
    return SampleAt(TunedHz(), NowMs()).Level;
}

bool TSimReceiver::SquelchClosed() const {
    return CurrentLevel() < SquelchThreshold();
}

TRxDat TSimReceiver::Vfo(QChar letter) const {
    const int index = letter.toUpper().unicode() - u'A';
    if (index < 0 || index >= kVfoCount)
        return {};
    const TRxDat& vfo = FVfos[static_cast<size_t>(index)];
    return Resolved(vfo, SimText::Hz(vfo.Freq));
}

void TSimReceiver::SetVfo(QChar letter, const TRxDat& rec) {
    const int index = letter.toUpper().unicode() - u'A';
    if (index < 0 || index >= kVfoCount)
        return;
    TRxDat vfo = Normalized(rec);
    vfo.Vfo = static_cast<std::uint8_t>(kRxCodeFirstVfo + index);
    vfo.Empty = false;
    FVfos[static_cast<size_t>(index)] = vfo;
}

TRxDat TSimReceiver::Memory(int bank, int channel) const {
    if (bank < 0 || bank >= kBankCount || channel < 0 || channel >= kChannelCount)
        return {};
    const TRxDat& rec = FMemories[static_cast<size_t>(bank)][channel];
    if (rec.Empty)
        return rec;
    return Resolved(rec, SimText::Hz(rec.Freq));
}

void TSimReceiver::SetMemory(int bank, int channel, const TRxDat& rec) {
    if (bank < 0 || bank >= kBankCount || channel < 0 || channel >= kChannelCount)
        return;
    TRxDat stored = Normalized(rec);
    stored.Vfo = 2; // "MR"
    stored.Channel = channel;
    if (stored.Empty) {
        ClearMemory(bank, channel);
        return;
    }
    FMemories[static_cast<size_t>(bank)][channel] = stored;
}

void TSimReceiver::ClearMemory(int bank, int channel) {
    if (bank < 0 || bank >= kBankCount || channel < 0 || channel >= kChannelCount)
        return;
    TRxDat blank;
    blank.Vfo = 2;
    blank.Channel = channel;
    blank.Empty = true;
    FMemories[static_cast<size_t>(bank)][channel] = blank;
}

bool TSimReceiver::SearchBankUsed(int bank) const {
    return FSearchBanks[static_cast<size_t>(bank)].UpperHz > 0;
}

TSearchList TSimReceiver::SearchBank(int bank) const {
    if (bank < 0 || bank >= kSearchBankCount)
        return {};
    const TSearchBankState& state = FSearchBanks[static_cast<size_t>(bank)];
    TSearchList list;
    list.Bank = bank;
    list.Lower = SimText::MHz(state.LowerHz);
    list.Upper = SimText::MHz(state.UpperHz);
    list.Step = state.Settings.Step;
    list.StepAdjust = state.Settings.StepAdjust;
    list.AutoMode = state.Settings.AutoMode;
    list.Mode = state.Settings.Mode;
    list.Attenuator = state.Settings.AttenuatorAuto ? 3 : state.Settings.Attenuator;
    list.Text = state.Text;
    return list;
}

int TSimReceiver::SearchBankBandwidth(int bank) const {
    if (bank < 0 || bank >= kSearchBankCount)
        return 0;
    return FSearchBanks[static_cast<size_t>(bank)].Settings.Bandwidth;
}

void TSimReceiver::SetSearchBank(const TSearchList& list, int bandwidth) {
    if (list.Bank < 0 || list.Bank >= kSearchBankCount)
        return;
    TSearchBankState& state = FSearchBanks[static_cast<size_t>(list.Bank)];
    state.LowerHz = SimText::Hz(list.Lower);
    state.UpperHz = SimText::Hz(list.Upper);
    state.Settings.Step = list.Step;
    state.Settings.StepAdjust = list.StepAdjust;
    state.Settings.AutoMode = list.AutoMode;
    state.Settings.Mode = list.Mode;
    state.Settings.AttenuatorAuto = list.Attenuator == 3;
    state.Settings.Attenuator = list.Attenuator == 3 ? 0 : list.Attenuator;
    state.Settings.Bandwidth = bandwidth;
    state.Text = SimText::StoredText(list.Text.toLatin1());
}

TScanGroupDat TSimReceiver::ScanGroup(int group) const {
    if (group < 0 || group >= kGroupCount)
        return {};
    return FScanGroups[static_cast<size_t>(group)];
}

void TSimReceiver::SetScanGroup(const TScanGroupDat& group) {
    if (group.Group < 0 || group.Group >= kGroupCount)
        return;
    TScanGroupDat stored = group;
    stored.LevelSign = stored.Level > 0;
    stored.VoiceLevelSign = stored.VoiceLevel > 0;
    stored.LinkedBanks = stored.LinkedBanks.leftJustified(10, QLatin1Char('-'), true);
    FScanGroups[static_cast<size_t>(group.Group)] = stored;
}

TSearchGroupDat TSimReceiver::SearchGroup(int group) const {
    if (group < 0 || group >= kGroupCount)
        return {};
    return FSearchGroups[static_cast<size_t>(group)];
}

void TSimReceiver::SetSearchGroup(const TSearchGroupDat& group) {
    if (group.Group < 0 || group.Group >= kGroupCount)
        return;
    TSearchGroupDat stored = group;
    stored.LevelSign = stored.Level > 0;
    stored.VoiceLevelSign = stored.VoiceLevel > 0;
    stored.LinkedBanks = stored.LinkedBanks.leftJustified(20, QLatin1Char('-'), true);
    FSearchGroups[static_cast<size_t>(group.Group)] = stored;
}

QList<TPassDat> TSimReceiver::PassList(int list) const {
    QList<TPassDat> entries;
    if (list < 0 || list >= kPassListCount)
        return entries;
    const QList<qint64>& hz = FPassLists[static_cast<size_t>(list)];
    for (qsizetype i = 0; i < hz.size(); ++i)
        entries.append(TPassDat{list, static_cast<int>(i), SimText::MHz(hz[i])});
    return entries;
}

void TSimReceiver::SetPassList(int list, const QList<double>& mhz) {
    if (list < 0 || list >= kPassListCount)
        return;
    QList<qint64>& hz = FPassLists[static_cast<size_t>(list)];
    hz.clear();
    for (const double value : mhz.first(std::min<qsizetype>(mhz.size(), kPassEntryCount)))
        hz.append(SimText::Hz(value));
}

void TSimReceiver::SetSettings(const TSimSettings& settings) {
    FSettings = settings;
}
