#pragma once

#include "Records.h"
#include "Report.h"

#include <QString>
#include <QStringView>

#include <optional>

// Parses the receiver's reply lines into the records. A field is found by the first occurrence
// of its mnemonic anywhere in the line and is the fixed number of characters right after it.
// A field that is missing (or too short) makes its parse fail and leaves the stored value as it
// was; a field that is present but does not convert is reported through the report function
// (the safe conversions) and takes 0.
class TReplyParser {
public:
    explicit TReplyParser(TReportFn report = {});

    // `count` characters after the first `mnemonic`; nullopt when absent or too short.
    static std::optional<QString> Field(const QString& line, QStringView mnemonic, int count);

    // The value of `text`, or 0 after reporting "StrToInt Conversion error, tried to convert
    // <text>" ("... convert Null string" when empty).
    int StrToIntSafe(const QString& text) const;
    // Likewise "StrToFloat Conversion error, tried to convert ".
    double StrToFloatSafe(const QString& text) const;
    // Hexadecimal field text; reported like StrToIntSafe when it does not convert.
    int HexToIntSafe(const QString& text) const;

    // Lines beginning "SS", "VA".."VE" or "VS": Vfo (from the code), Freq, Step, StepAdjust,
    // AutoMode, Mode. True when the code and all four fields parsed.
    bool ParseVfoReply(const QString& line, TRxDat& rec) const;

    enum class TMemoryResult { Ok, Empty, Failed };
    // Lines beginning "MR", "MS", "SM" or "MX": Vfo (0..3) and Channel (MX); characters 7..9
    // "---" mean an empty channel (Empty set, nothing else parsed); otherwise MP, GA, RF, ST,
    // AU, MD, TM. Ok when all of them and MX parsed.
    TMemoryResult ParseMemoryReply(const QString& line, TRxDat& rec) const;

    bool ParseFrequency(const QString& line, TRxDat& rec) const;   // RF
    bool ParseStep(const QString& line, QString& stepKHz, bool& stepAdjust) const; // ST
    bool ParseMode(const QString& line, int& mode) const;           // MD (99 when no digit)
    bool ParseAntenna(const QString& line, TRxDat& rec) const;      // AN
    // AT; also sets MeterAttenuationDb.
    bool ParseAttenuator(const QString& line, TRxDat& rec) const;
    bool ParseAgc(const QString& line, TRxDat& rec) const;          // AC ("F" = 3)
    bool ParseSubStep(const QString& line, TRxDat& rec) const;      // SJ ("A" = 10)
    // One decimal digit after `mnemonic` (BW, HP, LP, EN).
    bool ParseDigit(const QString& line, QStringView mnemonic, int& value) const;
    bool ParseCtcss(const QString& line, TRxDat& rec) const;        // CN, two hex digits
    bool ParseDescrambler(const QString& line, TRxDat& rec) const;  // SC, three decimal digits
    // LM: "%" as first character = squelch closed; the 2nd and 3rd are the level in hex.
    bool ParseLevel(const QString& line, TRxDat& rec) const;
    // LC: characters 3-4 of the line are the level in hex.
    bool ParseLevelOutput(const QString& line, TRxDat& rec) const;

    // One character after `mnemonic`, "1" = on (DS, QM, AF, NB, ML, BQ, MP, GA).
    bool ParseState(const QString& line, QStringView mnemonic, bool& on) const;
    // One digit after `mnemonic` (BN, AS).
    bool ParseSmallInteger(const QString& line, QStringView mnemonic, int& value) const;
    // `count` characters after `mnemonic` kept as text (DB, DA: 4; DD: 3).
    bool ParseText(const QString& line, QStringView mnemonic, int count, QString& text) const;

    bool ParseSearchBank(const QString& line, TSearchList& list) const;    // SR
    bool ParseScanGroup(const QString& line, TScanGroupDat& group) const;  // GM
    bool ParseSearchGroup(const QString& line, TSearchGroupDat& group) const; // GS
    // PR; nullopt when it does not parse or its frequency begins "-" (no entry).
    std::optional<TPassDat> ParsePass(const QString& line) const;

private:
    void Report(const QString& text) const;

    TReportFn FReport;
};

// "###.000": kHz with three decimals and no leading zero (".500", "25.000").
QString FormatStepKHz(double kHz);
