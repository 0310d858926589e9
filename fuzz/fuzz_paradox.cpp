// The Paradox reader, on anything: a table from another program must give a table or an error
// text, never a crash or a hang. An input is a table file and its memo file one after the other;
// its first four bytes (little-endian) give the table file's length, and a memo file is written
// only when bytes remain after the table.
#include "FuzzSupport.h"

#include "ParadoxFile.h"
#include "TableEngine.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzApplication();
    constexpr std::size_t kLengthBytes = 4;
    if (size < kLengthBytes)
        return 0;
    const std::size_t announced = data[0] | (std::size_t(data[1]) << 8) |
                                  (std::size_t(data[2]) << 16) | (std::size_t(data[3]) << 24);
    const std::size_t tableBytes = std::min(announced, size - kLengthBytes);
    const QString path = FuzzFile(QStringLiteral("Input.DB"), data + kLengthBytes, tableBytes);
    const std::size_t memoBytes = size - kLengthBytes - tableBytes;
    if (memoBytes > 0)
        FuzzFile(QStringLiteral("Input.MB"), data + kLengthBytes + tableBytes, memoBytes);
    else
        QFile::remove(FuzzFolder().filePath(QStringLiteral("Input.MB")));

    static TTableEngine engine(FuzzFolder().path());
    const bool looksRight = LooksLikeParadox(path);
    QString error;
    const bool read = ReadParadoxTable(engine, path, QStringLiteral("Back"), error);
    // A refusal always says why, after the file's name; a file refused at a glance is never read.
    if (!read && !error.startsWith(path + QStringLiteral(": ")))
        std::abort();
    if (read && !looksRight)
        std::abort();
    return 0;
}
