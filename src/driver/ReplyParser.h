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
// (the safe conversions), takes 0 and still counts as parsed. Texts padded with blanks (TM, TT)
// and the step-adjust character may be cut short by the trimming of the line: they take what is
// there. A whole-reply parse stores every field that parsed and is true only when all did.
class TReplyParser {
public:
    explicit TReplyParser(TReportFn report = {});

    // `count` characters after the first `mnemonic`; nullopt when absent or too short.
    static std::optional<QString> Field(const QString& line, QStringView mnemonic, int count);

    // The value of `text` (decimal, blanks around it and a leading sign allowed), or 0 after
    // reporting "StrToInt Conversion error, tried to convert <text>"; an empty text is reported
    // as "StrToInt Conversion error, tried to convert Null string".
    int StrToIntSafe(const QString& text) const;
    // Likewise, with "." as the decimal separator whatever the locale, and the texts
    // "StrToFloat Conversion error, tried to convert <text>" / "... convert Null string".
    double StrToFloatSafe(const QString& text) const;
    // Hexadecimal field text (no sign, no prefix); reported exactly like StrToIntSafe.
    int HexToIntSafe(const QString& text) const;

    // Lines beginning "SS", "VA".."VE" or "VS": Vfo (from the code), Freq, Step, StepAdjust,
    // AutoMode, Mode. True when the code and all four fields parsed.
    bool ParseVfoReply(const QString& line, TRxDat& rec) const;

    enum class TMemoryResult { Ok, Empty, Failed };
    // Lines beginning "MR", "MS", "SM" or "MX": Vfo (0..3) and Channel (MX); characters 7..9
    // "---" mean an empty channel: Empty set and Channel from characters 3..5 ("MR007 ---",
    // "MX007 ---"), nothing else touched. Otherwise Empty cleared and MX, MP, GA, RF, ST, AU,
    // MD, TM parsed; Ok when all of them parsed. Other lines fail without touching `rec`.
    TMemoryResult ParseMemoryReply(const QString& line, TRxDat& rec) const;

    bool ParseChannel(const QString& line, int& channel) const;  // MX, three digits
    bool ParseFrequency(const QString& line, TRxDat& rec) const; // RF
    // ST: six digits of Hz as "###.000" kHz; StepAdjust when the 7th character is "+".
    bool ParseStep(const QString& line, QString& stepKHz, bool& stepAdjust) const;
    bool ParseMode(const QString& line, int& mode) const; // MD (99 when no digit)
    // AN: "0" = automatic, the antenna in use then being the 3rd character ("AN0 2"); an
    // automatic reply without it sets AntennaAuto only and fails.
    bool ParseAntenna(const QString& line, TRxDat& rec) const;
    // AT: "1" first = automatic, then the index; also sets MeterAttenuationDb.
    bool ParseAttenuator(const QString& line, TRxDat& rec) const;
    bool ParseAgc(const QString& line, TRxDat& rec) const;     // AC ("F" = 3)
    bool ParseSubStep(const QString& line, TRxDat& rec) const; // SJ ("A" = 10)
    // One decimal digit after `mnemonic` (BW, HP, LP, EN).
    bool ParseDigit(const QString& line, QStringView mnemonic, int& value) const;
    bool ParseCtcss(const QString& line, TRxDat& rec) const;       // CN, two hex digits
    bool ParseDescrambler(const QString& line, TRxDat& rec) const; // SC, three decimal digits
    // LM: "%" as first character = squelch closed; the 2nd and 3rd are the level in hex.
    bool ParseLevel(const QString& line, TRxDat& rec) const;
    // LC: characters 3-4 of the line are the level in hex.
    bool ParseLevelOutput(const QString& line, TRxDat& rec) const;

    // One digit after `mnemonic`, 1 = on (DS, QM, AF, NB, ML, BQ, MP, GA, AU).
    bool ParseState(const QString& line, QStringView mnemonic, bool& on) const;
    // One digit after `mnemonic` (BN, AS).
    bool ParseSmallInteger(const QString& line, QStringView mnemonic, int& value) const;
    // `count` characters after `mnemonic` kept as text (DB, DA: 4; DD: 3).
    bool ParseText(const QString& line, QStringView mnemonic, int count, QString& text) const;

    // SR, SL, SU, ST, AU, MD, TT; a missing SL or SU stores 0, a missing TT an empty text.
    bool ParseSearchBank(const QString& line, TSearchList& list) const;
    // GM, XD, XB, XA, XP, XM, ML, BM.
    bool ParseScanGroup(const QString& line, TScanGroupDat& group) const;
    // GS, SD ("FF" = hold), SB, SA, SP, BQ, BS.
    bool ParseSearchGroup(const QString& line, TSearchGroupDat& group) const;
    // PR; nullopt when it does not parse or its frequency begins "-" (no entry).
    std::optional<TPassDat> ParsePass(const QString& line) const;

private:
    void Report(const QString& text) const;
    void ReportConversion(QStringView function, const QString& text) const;
    // round(seconds x 10) of a delay field such as "2.0".
    int TenthsSafe(const QString& text) const;
    std::optional<int> IntField(const QString& line, QStringView mnemonic, int count) const;
    // One character, `letter` standing for `letterValue` ("ACF", "SJA", "XMF").
    std::optional<int> LetterField(const QString& line, QStringView mnemonic, QChar letter,
                                   int letterValue) const;
    // Ten digits of Hz, as MHz.
    std::optional<double> MHzField(const QString& line, QStringView mnemonic) const;
    // Four characters such as "+050" or " 000": the value and whether it began with "+".
    bool ParseSignedLevel(const QString& line, QStringView mnemonic, int& value,
                          bool& plusSign) const;

    TReportFn FReport;
};

// "###.000": kHz with three decimals and no leading zero (".500", "25.000").
QString FormatStepKHz(double kHz);
