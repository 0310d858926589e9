// The driver's receive path: bytes from the line split into lines (with and without the SDU
// prefix) and dispatched, unasked or as the answer to each kind of synchronous request.
#include "FuzzSupport.h"
#include "driver/ScriptedReceiver.h"

#include <QCoreApplication>

namespace {

enum class TRequest : std::uint8_t {
    None,
    Rx,
    ExtraData,
    Block,
    SearchList,
    Groups,
    Single,
    Count
};

void Request(TAR5000& driver, TRequest request, std::uint8_t argument) {
    switch (request) {
    case TRequest::None:
    case TRequest::Count:
        break;
    case TRequest::Rx: {
        TRxDat rec;
        driver.GetRx(rec);
        break;
    }
    case TRequest::ExtraData: {
        TRxDat rec;
        driver.GetExtraVfoData(rec);
        break;
    }
    case TRequest::Block: {
        TMAArray block{};
        driver.GetMA(block);
        break;
    }
    case TRequest::SearchList: {
        TSearchList list;
        driver.GetSearchList(argument % 20, list);
        break;
    }
    case TRequest::Groups: {
        TScanGroupDat scan;
        TSearchGroupDat search;
        driver.GetGM(scan);
        driver.GetGS(search);
        break;
    }
    case TRequest::Single:
        driver.GetVersion();
        driver.GetDB();
        driver.GetBN();
        driver.GetDS();
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzApplication();
    if (size < 2)
        return 0;
    const bool sdu = (data[0] & 0x80) != 0;
    const auto request =
        static_cast<TRequest>((data[0] & 0x7F) % static_cast<std::uint8_t>(TRequest::Count));
    const std::uint8_t argument = data[1];
    const QByteArray bytes = FuzzBytes(data + 2, size - 2);

    // A fresh driver per input, so that what one input leaves in the buffers cannot hide a
    // crash from the input that reproduces it.
    TDriverFixture fixture(2);
    if (!fixture.Open())
        return 0;
    fixture.Driver.SetSduMode(sdu);
    fixture.Driver.Timeout = 2;
    if (request == TRequest::None) {
        fixture.Receiver.Send(bytes);
    } else {
        // Every command the request sends is answered with the input, whole.
        fixture.Receiver.Answer = [&bytes](const QString&) {
            return bytes;
        };
        Request(fixture.Driver, request, argument);
    }
    QCoreApplication::processEvents();
    fixture.Driver.FSetTimerStatus(false);
    return 0;
}
