// The simulated receiver's command parser: whatever the driver (or a user in the comms monitor)
// sends, the stand-in receiver answers or refuses without failing.
#include "FuzzSupport.h"

#include "SimReceiver.h"

#include <QCoreApplication>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzApplication();
    if (size < 1)
        return 0;
    TSimOptions options;
    options.SduMode = (data[0] & 1) != 0;
    options.Ct5000 = (data[0] & 2) != 0;
    options.Ds8000 = (data[0] & 4) != 0;
    TSimReceiver receiver(options);
    // Simulated time stands still, so searches and scans started by the input do not run on.
    receiver.SetClock([] { return qint64{0}; });
    receiver.ReceiveBytes(FuzzBytes(data + 1, size - 1));
    QCoreApplication::processEvents();
    return 0;
}
