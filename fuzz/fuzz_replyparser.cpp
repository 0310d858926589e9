// The reply parser alone: one line through every parse the dispatcher can call.
#include "FuzzSupport.h"

#include "ReplyParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString line = QString::fromLatin1(FuzzBytes(data, size));
    int reports = 0;
    const TReplyParser parser([&reports](const QString&) { ++reports; });

    TRxDat rec;
    parser.ParseVfoReply(line, rec);
    parser.ParseMemoryReply(line, rec);
    int channel = 0;
    parser.ParseChannel(line, channel);
    parser.ParseFrequency(line, rec);
    QString step;
    bool stepAdjust = false;
    parser.ParseStep(line, step, stepAdjust);
    int value = 0;
    parser.ParseMode(line, value);
    parser.ParseAntenna(line, rec);
    parser.ParseAttenuator(line, rec);
    parser.ParseAgc(line, rec);
    parser.ParseSubStep(line, rec);
    for (const auto mnemonic : {u"BW", u"HP", u"LP", u"EN"})
        parser.ParseDigit(line, mnemonic, value);
    parser.ParseCtcss(line, rec);
    parser.ParseDescrambler(line, rec);
    parser.ParseLevel(line, rec);
    parser.ParseLevelOutput(line, rec);
    bool on = false;
    for (const auto mnemonic : {u"DS", u"AF", u"NB", u"MP", u"AU"})
        parser.ParseState(line, mnemonic, on);
    parser.ParseSmallInteger(line, u"BN", value);
    QString text;
    parser.ParseText(line, u"DB", 4, text);
    TSearchList list;
    parser.ParseSearchBank(line, list);
    TScanGroupDat scan;
    parser.ParseScanGroup(line, scan);
    TSearchGroupDat search;
    parser.ParseSearchGroup(line, search);
    parser.ParsePass(line);
    parser.StrToIntSafe(line);
    parser.StrToFloatSafe(line);
    parser.HexToIntSafe(line);
    return 0;
}
