#include "RigctlProtocol.h"

#include "CommandText.h"
#include "Records.h"
#include "RigctlRig.h"
#include "ValueTables.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace Rigctl {

namespace {

constexpr double kHzPerMHz = 1'000'000.0;
constexpr int kSquelchTop = 255;
constexpr double kWidestAskedHz = 1e9;

struct TLongName {
    const char* Name;
    char Command;
};
constexpr std::array<TLongName, 9> kLongNames = {{{"get_freq", 'f'},
                                                  {"set_freq", 'F'},
                                                  {"get_mode", 'm'},
                                                  {"set_mode", 'M'},
                                                  {"get_vfo", 'v'},
                                                  {"set_vfo", 'V'},
                                                  {"get_level", 'l'},
                                                  {"set_level", 'L'},
                                                  {"quit", 'q'}}};

// Hamlib's mode bits (rmode_t) for the modes the receiver has.
constexpr quint64 kModeAm = 1ULL << 0;
constexpr quint64 kModeCw = 1ULL << 1;
constexpr quint64 kModeUsb = 1ULL << 2;
constexpr quint64 kModeLsb = 1ULL << 3;
constexpr quint64 kModeFm = 1ULL << 5;
constexpr quint64 kModeWfm = 1ULL << 6;
constexpr quint64 kModeSam = 1ULL << 16;
constexpr quint64 kModeSal = 1ULL << 17;
constexpr quint64 kModeSah = 1ULL << 18;
constexpr quint64 kAllModes =
    kModeAm | kModeCw | kModeUsb | kModeLsb | kModeFm | kModeWfm | kModeSam | kModeSal | kModeSah;
// Hamlib's VFO bits: A, B, C and the memory. D and E have no bit of their own.
constexpr quint64 kVfoBits = (1ULL << 0) | (1ULL << 1) | (1ULL << 2) | (1ULL << 28);
// Hamlib's level bits: squelch read and set, signal strength read.
constexpr quint64 kLevelSql = 1ULL << 5;
constexpr quint64 kLevelStrength = 1ULL << 30;

// Bandwidth indexes into kBandwidths.
constexpr int kBw500Hz = 0;
constexpr int kBw3kHz = 1;
constexpr int kBw6kHz = 2;
constexpr int kBw15kHz = 3;
constexpr int kBw110kHz = 5;
constexpr int kBw220kHz = 6;
constexpr std::array<qint64, 7> kPassbandHz = {500, 3000, 6000, 15000, 30000, 110000, 220000};
static_assert(kPassbandHz.size() == kBandwidths.size());

// A Hamlib mode: the receiver's mode, its usual bandwidth and the narrowest it may have.
struct THamlibMode {
    const char* Name;
    int Mode;
    int NormalBandwidth;
    int NarrowestBandwidth;
};
constexpr int kModeIndexFm = 0;
constexpr std::array<THamlibMode, 9> kHamlibModes = {{
    {"FM", kModeIndexFm, kBw15kHz, kBw500Hz},
    {"WFM", kModeIndexFm, kBw220kHz, kBw110kHz},
    {"AM", 1, kBw6kHz, kBw500Hz},
    {"LSB", 2, kBw3kHz, kBw500Hz},
    {"USB", 3, kBw3kHz, kBw500Hz},
    {"CW", 4, kBw500Hz, kBw500Hz},
    {"SAM", 5, kBw6kHz, kBw500Hz},
    {"SAL", 6, kBw3kHz, kBw500Hz},
    {"SAH", 7, kBw3kHz, kBw500Hz},
}};
// Hamlib's name of each receiver mode, in kModes order; FM is "WFM" from kBw110kHz up.
constexpr std::array<const char*, 8> kModeNames = {"FM", "AM",  "LSB", "USB",
                                                   "CW", "SAM", "SAL", "SAH"};
static_assert(kModeNames.size() == kModes.size());

constexpr char kDumpState[] =
    // protocol version, rig model (network), ITU region
    "1\n2\n0\n"
    // receive range, then the end of the receive and the (empty) transmit lists
    "10000.000000 2600000000.000000 0x%1 -1 -1 0x%2 0x0\n"
    "0 0 0 0 0 0 0\n"
    "0 0 0 0 0 0 0\n"
    // tuning steps
    "0x%1 1\n"
    "0 0\n"
    // filters: the first of each mode is its usual passband
    "0x20 15000\n0x20 6000\n0x20 30000\n0x40 220000\n0x40 110000\n"
    "0x10001 6000\n0x10001 3000\n0x10001 15000\n"
    "0x6000c 3000\n0x6000c 6000\n0x2 500\n0x2 3000\n"
    "0 0\n"
    // max RIT, XIT, IF shift, announces; no preamp; attenuators
    "0\n0\n0\n0\n\n10 20\n"
    // functions get/set, levels get/set, parameters get/set
    "0x0\n0x0\n0x%3\n0x%4\n0x0\n0x0\n"
    "vfo_ops=0x0\nptt_type=0x0\ntargetable_vfo=0x0\n"
    "has_set_vfo=1\nhas_get_vfo=1\nhas_set_freq=1\nhas_get_freq=1\n"
    "done\n";

QByteArray Line(const QByteArray& text) {
    return text + '\n';
}

std::optional<double> Number(const QList<QByteArray>& args, qsizetype index) {
    if (index >= args.size())
        return std::nullopt;
    bool ok = false;
    const double value = args.at(index).toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool ValidRecord(const TRxDat& rec) {
    return rec.Mode >= 0 && rec.Mode < static_cast<int>(kModes.size()) && rec.Bandwidth >= 0 &&
           rec.Bandwidth < static_cast<int>(kBandwidths.size());
}

QByteArray GetFrequency(TRigctlRig& rig, const QList<QByteArray>& /*args*/) {
    const std::optional<TRxDat> rec = rig.ReadCurrent(false);
    if (!rec)
        return Report(kTimeout);
    return Line(QByteArray::number(std::llround(rec->Freq * kHzPerMHz)));
}

QByteArray SetFrequency(TRigctlRig& rig, const QList<QByteArray>& args) {
    const std::optional<double> hz = Number(args, 0);
    if (!hz)
        return Report(kInvalid);
    const double mhz = *hz / kHzPerMHz;
    if (CommandText::Frequency(u'A', mhz, false).isEmpty())
        return Report(kInvalid);
    if (rig.Busy())
        return Report(kRejected);
    return Report(rig.SetFrequency(mhz) ? kOk : kNotAvailable);
}

QByteArray GetMode(TRigctlRig& rig, const QList<QByteArray>& /*args*/) {
    const std::optional<TRxDat> rec = rig.ReadCurrent(true);
    if (!rec)
        return Report(kTimeout);
    if (!ValidRecord(*rec))
        return Report(kNotAvailable);
    return Line(ModeName(rec->Mode, rec->Bandwidth)) +
           Line(QByteArray::number(PassbandHz(rec->Bandwidth)));
}

QByteArray SetMode(TRigctlRig& rig, const QList<QByteArray>& args) {
    const std::optional<double> number = Number(args, 1);
    // -1 keeps the passband, 0 asks for the usual one; anything wider than the widest gets it.
    if (args.isEmpty() || !number || *number < -1.0)
        return Report(kInvalid);
    const qint64 passband = static_cast<qint64>(std::min(*number, kWidestAskedHz));
    if (rig.Busy())
        return Report(kRejected);
    int currentBandwidth = kBw15kHz;
    if (passband < 0) {
        const std::optional<TRxDat> rec = rig.ReadCurrent(true);
        if (!rec)
            return Report(kTimeout);
        currentBandwidth = rec->Bandwidth;
    }
    const std::optional<TModeChoice> choice = ModeFromName(args.at(0), passband, currentBandwidth);
    if (!choice)
        return Report(kInvalid);
    return Report(rig.SetMode(choice->Mode, choice->Bandwidth) ? kOk : kTimeout);
}

QByteArray GetVfo(TRigctlRig& rig, const QList<QByteArray>& /*args*/) {
    const std::optional<TRxDat> rec = rig.ReadCurrent(false);
    return rec ? Line(VfoName(*rec)) : Report(kTimeout);
}

QByteArray SetVfo(TRigctlRig& rig, const QList<QByteArray>& args) {
    const std::optional<QChar> letter =
        args.isEmpty() ? std::nullopt : VfoFromName(args.at(0), rig.CurrentVfo());
    if (!letter)
        return Report(kInvalid);
    if (rig.Busy())
        return Report(kRejected);
    return Report(rig.SelectVfo(*letter) ? kOk : kTimeout);
}

QByteArray GetLevel(TRigctlRig& rig, const QList<QByteArray>& args) {
    const QByteArray name = args.isEmpty() ? QByteArray() : args.at(0).toUpper();
    if (name == "SQL")
        return Line(QByteArray::number(static_cast<double>(rig.Squelch()) / kSquelchTop, 'f', 6));
    if (name != "STRENGTH")
        return Report(kInvalid);
    const std::optional<int> strength = rig.ReadStrengthDb();
    return strength ? Line(QByteArray::number(*strength)) : Report(kTimeout);
}

QByteArray SetLevel(TRigctlRig& rig, const QList<QByteArray>& args) {
    const std::optional<double> value = Number(args, 1);
    if (args.isEmpty() || args.at(0).toUpper() != "SQL" || !value || *value < 0.0 || *value > 1.0)
        return Report(kInvalid);
    if (rig.Busy())
        return Report(kRejected);
    const int level = static_cast<int>(std::lround(*value * kSquelchTop));
    return Report(rig.SetSquelch(level) ? kOk : kTimeout);
}

QByteArray Quit(TRigctlRig& /*rig*/, const QList<QByteArray>& /*args*/) {
    return Report(kOk);
}

struct TCommand {
    char Letter;
    QByteArray (*Handler)(TRigctlRig& rig, const QList<QByteArray>& args);
};
constexpr std::array<TCommand, 10> kCommands = {{{'f', GetFrequency},
                                                 {'F', SetFrequency},
                                                 {'m', GetMode},
                                                 {'M', SetMode},
                                                 {'v', GetVfo},
                                                 {'V', SetVfo},
                                                 {'l', GetLevel},
                                                 {'L', SetLevel},
                                                 {'q', Quit},
                                                 {'Q', Quit}}};

QByteArray Hex(quint64 bits) {
    return QByteArray::number(bits, 16);
}

} // namespace

std::optional<TRequest> ParseRequest(QByteArrayView line) {
    const QByteArray text = line.trimmed().toByteArray();
    if (text.isEmpty())
        return std::nullopt;
    TRequest request;
    QByteArray rest;
    if (text.startsWith('\\')) {
        const qsizetype space = text.indexOf(' ');
        const QByteArray name = text.mid(1, space < 0 ? -1 : space - 1);
        rest = space < 0 ? QByteArray() : text.mid(space + 1);
        request.LongName = name;
        for (const TLongName& entry : kLongNames) {
            if (name == entry.Name)
                request.Command = entry.Command;
        }
    } else {
        request.Command = text.at(0);
        rest = text.mid(1);
    }
    request.Args = rest.simplified().split(' ');
    request.Args.removeAll(QByteArray());
    return request;
}

QByteArray Report(int code) {
    return "RPRT " + QByteArray::number(code) + '\n';
}

QByteArray ModeName(int mode, int bandwidth) {
    if (mode == kModeIndexFm && bandwidth >= kBw110kHz)
        return "WFM";
    return kModeNames.at(static_cast<std::size_t>(mode));
}

qint64 PassbandHz(int bandwidth) {
    return kPassbandHz.at(static_cast<std::size_t>(bandwidth));
}

std::optional<TModeChoice> ModeFromName(QByteArrayView name, qint64 passbandHz,
                                        int currentBandwidth) {
    const QByteArray upper = name.toByteArray().toUpper();
    for (const THamlibMode& entry : kHamlibModes) {
        if (upper != entry.Name)
            continue;
        int bandwidth = entry.NormalBandwidth;
        if (passbandHz < 0 && currentBandwidth >= 0 &&
            currentBandwidth < static_cast<int>(kBandwidths.size()))
            bandwidth = currentBandwidth;
        if (passbandHz > 0) {
            bandwidth = static_cast<int>(kPassbandHz.size()) - 1;
            for (int i = static_cast<int>(kPassbandHz.size()) - 1; i >= 0; --i) {
                if (kPassbandHz.at(static_cast<std::size_t>(i)) >= passbandHz)
                    bandwidth = i;
            }
        }
        return TModeChoice{entry.Mode, std::max(bandwidth, entry.NarrowestBandwidth)};
    }
    return std::nullopt;
}

QByteArray VfoName(const TRxDat& rec) {
    const auto letterOf = [](int offset) {
        return "VFO" + QByteArray(1, char('A' + offset));
    };
    if (rec.Vfo >= kRxCodeFirstVfo && rec.Vfo < kRxCodeFirstVfo + 5)
        return letterOf(rec.Vfo - kRxCodeFirstVfo);
    if (rec.Vfo >= kRxCodeFirstVfoSearch && rec.Vfo < kRxCodeFirstVfoSearch + 5)
        return letterOf(rec.Vfo - kRxCodeFirstVfoSearch);
    if (rec.Vfo == kRxCodeProgramSearch)
        return "VFO";
    return "MEM";
}

std::optional<QChar> VfoFromName(QByteArrayView name, QChar current) {
    const QByteArray text = name.toByteArray();
    if (text == "currVFO")
        return current;
    if (text == "MEM")
        return u'M';
    if (text.size() == 4 && text.startsWith("VFO") && text.at(3) >= 'A' && text.at(3) <= 'E')
        return QChar::fromLatin1(text.at(3));
    return std::nullopt;
}

QByteArray DumpState() {
    return QString::fromLatin1(kDumpState)
        .arg(QString::fromLatin1(Hex(kAllModes)), QString::fromLatin1(Hex(kVfoBits)),
             QString::fromLatin1(Hex(kLevelSql | kLevelStrength)),
             QString::fromLatin1(Hex(kLevelSql)))
        .toLatin1();
}

QByteArray Answer(QByteArrayView line, TRigctlRig& rig, bool* quit) {
    const std::optional<TRequest> request = ParseRequest(line);
    if (!request)
        return {};
    if (request->Command == 0) {
        if (request->LongName == "dump_state")
            return DumpState();
        if (request->LongName == "chk_vfo")
            return "0\n";
        return Report(kInvalid);
    }
    if (quit)
        *quit = request->Command == 'q' || request->Command == 'Q';
    for (const TCommand& command : kCommands) {
        if (command.Letter == request->Command)
            return command.Handler(rig, request->Args);
    }
    return Report(kInvalid);
}

} // namespace Rigctl
