// What a network client sends to a sharing server: bytes cut into reads at places the input
// chooses, split into lines and turned into commands for the receiver. Whatever arrives, the
// receiver gets only printable commands that fit its line, or a tuning byte on its own.
#include "FuzzSupport.h"
#include "LineSplitter.h"
#include "driver/ScriptedReceiver.h"

#include <QCoreApplication>

#include <cstdlib>

namespace {

constexpr qsizetype kLineCap = 300; // above the receiver's line, so both limits are reached

bool Acceptable(const QString& command) {
    if (command.size() == 1 && (command.at(0) == u'\x1e' || command.at(0) == u'\x1f'))
        return true;
    if (command.isEmpty() || command.size() > TSerial::kMaxWriteChars - 2)
        return false;
    for (const QChar c : command) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzApplication();
    if (size < 1)
        return 0;
    // The first byte sets the length of each read.
    const qsizetype readSize = 1 + data[0] % 64;
    const QByteArray bytes = FuzzBytes(data + 1, size - 1);

    TDriverFixture fixture(2);
    if (!fixture.Open())
        return 0;
    fixture.Driver.SetConnectionMode(1); // serving, on the link opened locally
    TLineSplitter splitter;
    for (qsizetype at = 0; at < bytes.size(); at += readSize) {
        splitter.Append(bytes.mid(at, readSize));
        while (const auto line = splitter.TakeLine(kLineCap)) {
            if (line->isEmpty() || line->size() > kLineCap || line->contains('\r') ||
                line->contains('\n'))
                std::abort();
            fixture.Driver.CommandFromClient(*line);
        }
        splitter.TakeDropped();
    }
    QCoreApplication::processEvents();
    for (const QString& command : std::as_const(fixture.Receiver.Received)) {
        if (!Acceptable(command))
            std::abort();
    }
    return 0;
}
