// A rig-control client's command lines: whatever the bytes, every reply is whole lines, and what
// reaches the receiver is a frequency it tunes, a mode and bandwidth it has, a VFO it has and a
// squelch level it takes; nothing at all while a run owns the receiver.
#include "FuzzSupport.h"

#include "LineSplitter.h"
#include "Records.h"
#include "RigctlProtocol.h"
#include "RigctlRig.h"
#include "ValueTables.h"

namespace {

struct TCheckingRig final : TRigctlRig {
    bool IsBusy = false;
    bool Busy() const override { return IsBusy; }
    std::optional<TRxDat> ReadCurrent(bool) override {
        TRxDat rec;
        rec.Vfo = kRxCodeFirstVfo;
        rec.Freq = 145.0;
        return rec;
    }
    std::optional<int> ReadStrengthDb() override { return -20; }
    int Squelch() const override { return 0; }
    QChar CurrentVfo() const override { return u'A'; }
    bool SetFrequency(double mhz) override {
        Setting();
        if (!(mhz >= 0.01 && mhz <= 2600.0))
            std::abort();
        return true;
    }
    bool SetMode(int mode, int bandwidth) override {
        Setting();
        if (mode < 0 || mode >= static_cast<int>(kModes.size()) || bandwidth < 0 ||
            bandwidth >= static_cast<int>(kBandwidths.size()))
            std::abort();
        return true;
    }
    bool SelectVfo(QChar letter) override {
        Setting();
        if (!((letter >= u'A' && letter <= u'E') || letter == u'M'))
            std::abort();
        return true;
    }
    bool SetSquelch(int level) override {
        Setting();
        if (level < 0 || level > 255)
            std::abort();
        return true;
    }
    void Setting() const {
        if (IsBusy)
            std::abort();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzApplication();
    if (size == 0)
        return 0;
    TCheckingRig rig;
    rig.IsBusy = (data[0] & 1) != 0;
    TLineSplitter lines;
    lines.Append(FuzzBytes(data + 1, size - 1));
    while (const std::optional<QByteArray> line = lines.TakeLine(4096)) {
        const QByteArray reply = Rigctl::Answer(*line, rig);
        if (!reply.isEmpty() && !reply.endsWith('\n'))
            std::abort();
        if (reply.startsWith("RPRT ")) {
            bool number = false;
            const int code = reply.mid(5).trimmed().toInt(&number);
            if (!number || code > 0)
                std::abort();
        }
    }
    return 0;
}
