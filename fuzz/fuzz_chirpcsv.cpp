// The CHIRP channel list reader: whatever the bytes, the file is either refused with a reason and
// no records, or every record it gives names a channel of the bank and a frequency the receiver
// tunes, ready to store.
#include "FuzzSupport.h"

#include "ChirpCsv.h"
#include "FieldChecks.h"
#include "MemorySql.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzApplication();
    const TChirpContents contents = ParseChirpCsv(FuzzBytes(data, size));
    if (!contents.Ok()) {
        if (!contents.Records.empty() || contents.Error.isEmpty())
            std::abort();
        return 0;
    }
    for (const TKv7Values& record : contents.Records) {
        const QString mem = record[0].toString();
        bool digits = false;
        const int channel = mem.toInt(&digits);
        if (mem.size() != 3 || !digits || channel < 0 || channel >= kBankRows)
            std::abort();
        const double mhz = record[1].toDouble();
        if (!(mhz >= kMinFreqMHz && mhz <= kMaxFreqMHz))
            std::abort();
        // What the export writes of a record reads back as that record's channel.
        const TChirpContents again = ParseChirpCsv(ChirpCsvHeader() + ChirpCsvLine(record));
        if (again.Records.size() != 1 || again.Records[0][0] != record[0])
            std::abort();
    }
    for (const TChirpDropped& dropped : contents.Dropped)
        if (dropped.Rows <= 0 || dropped.Rows > static_cast<int>(contents.Records.size()))
            std::abort();
    return 0;
}
