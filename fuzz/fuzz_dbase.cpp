// The dBASE reader, on whatever shapelib agrees to open: a file from another program must give
// a table or an error text, never a crash.
#include "FuzzSupport.h"

#include "DbaseFile.h"
#include "TableEngine.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzApplication();
    const QString path = FuzzFile(QStringLiteral("Input.dbf"), data, size);
    static TTableEngine engine(FuzzFolder().path());
    QString error;
    // A refusal always says why: the user sees that text and nothing else.
    if (!ReadDbaseTable(engine, path, QStringLiteral("Back"), error) && error.isEmpty())
        std::abort();
    return 0;
}
