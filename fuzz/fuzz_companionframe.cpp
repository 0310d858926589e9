// What a companion program sends: a byte stream cut into reads at places the input chooses and
// then into frames. Whatever arrives, each frame taken encodes back to its own bytes, at most one
// short frame is left over, the values unpacked from a frame are finite, and a clean stream gives
// the same frames however its reads were cut. (After a rejected frame the reader drops what it
// holds and takes up again at the next read, so there the cuts matter.)
#include "CompanionFrame.h"
#include "FuzzSupport.h"

#include <cmath>
#include <cstdlib>

namespace {

QList<TCompanionFrame> TakeAll(TFrameReader& reader, bool& rejected) {
    QList<TCompanionFrame> frames;
    while (true) {
        if (const auto frame = reader.Next()) {
            frames.append(*frame);
            continue;
        }
        if (reader.TakeError().isEmpty())
            return frames;
        rejected = true;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzApplication();
    if (size < 1)
        return 0;
    const qsizetype readSize = 1 + data[0] % 32;
    const QByteArray bytes = FuzzBytes(data + 1, size - 1);

    bool rejected = false;
    TFrameReader whole;
    whole.Feed(bytes);
    const QList<TCompanionFrame> expected = TakeAll(whole, rejected);

    TFrameReader pieces;
    QList<TCompanionFrame> frames;
    for (qsizetype at = 0; at < bytes.size(); at += readSize) {
        pieces.Feed(bytes.mid(at, readSize));
        frames += TakeAll(pieces, rejected);
    }
    if ((!rejected && frames != expected) || pieces.Pending() >= kFrameBytes)
        std::abort();
    pieces.Finish();
    (void)pieces.TakeError();
    if (pieces.Pending() != 0)
        std::abort();

    for (const TCompanionFrame& frame : frames) {
        TFrameReader again;
        again.Feed(EncodeFrame(frame));
        const auto decoded = again.Next();
        if (!decoded || *decoded != frame)
            std::abort();
        if (!std::isfinite(UnpackTuneRequest(frame.WParam, frame.LParam)))
            std::abort();
    }
    return 0;
}
