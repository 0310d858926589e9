#pragma once

#include "Records.h"
#include "Report.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <optional>

// The command lines the driver puts on the wire, without framing (no CR LF, no SDU "*").
// A builder that returns std::nullopt has refused its argument: nothing is to be sent.
namespace CommandText {

// 10-digit Hz of a frequency in MHz (rounded half away from zero); " Cannot format float to
// string" is reported and "0000100000" used when the value is negative, NaN, infinite or needs
// more than ten digits.
QString FormatHz(double mhz, const TReportFn& report = {});
// Step in kHz text ("12.500", "." whatever the locale) to Hz text with "+" for step adjust, as
// the memory and search bank writes send it. When the text does not convert, " Conversion
// error" is reported and the whole step becomes "000100" (no "+").
QString StepHzText(const QString& stepKHz, bool stepAdjust, const TReportFn& report = {});
// Memory and search-bank text as the receiver stores it: upper case, a blank becomes one space,
// anything outside " ".."_" becomes "-".
QString ReceiverText(const QString& text);

// "V" + letter + 10-digit Hz (each digit preceded by a space and one space after the last when
// `padDigits`); an empty text when MHz is below 0.01, above 2600 or NaN: that empty line (CR LF
// only) is still sent.
QString Frequency(QChar letter, double mhz, bool padDigits);
// "ST" + Hz (rounded), "+" for step adjust. Refused above 999 kHz (the driver reports "Data out
// of range"), and for a negative or NaN step.
std::optional<QString> Step(double kHz, bool stepAdjust);
std::optional<QString> SubStep(int n);
std::optional<QString> Mode(int n);
std::optional<QString> Bandwidth(int n);
QString AutoMode(int n);
std::optional<QString> Antenna(int n);
std::optional<QString> Attenuator(int n);
std::optional<QString> Agc(int n);
std::optional<QString> HighPass(int n);
std::optional<QString> LowPass(int n);
std::optional<QString> DeEmphasis(int n);
std::optional<QString> Ctcss(int n);
std::optional<QString> Descrambler(int n);
QString Afc(bool on);
QString NoiseBlanker(bool on);
std::optional<QString> Volume(int n);
std::optional<QString> Squelch(int n);
QString LevelOutput(bool on);

// "V" + letter for A..E (a..e accepted, sent upper case); refused otherwise.
std::optional<QString> Vfo(QChar letter);
std::optional<QString> VfoSearch(QChar letter);

std::optional<QString> RecallMemory(int channel);
std::optional<QString> ClearMemoryBank(int hundred);
std::optional<QString> MemoryPass(int n);
std::optional<QString> SelectScan(int n);
std::optional<QString> Bank(int n);
std::optional<QString> AutoStore(int n);
// "MA" + n for 0..9 (first channel of hundred n), else "MA" (the next ten channels).
QString MemoryBlock(int firstChannel);

std::optional<QString> MemoryScan(int n);
std::optional<QString> ScanGroup(int n);
std::optional<QString> SearchGroup(int n);
std::optional<QString> ScanMode(int n);
QString ScanLink(int n);
QString SearchLink(int n);
std::optional<QString> ScanDelay(int n);
std::optional<QString> SearchDelay(int n);
std::optional<QString> ScanLevel(int n);
std::optional<QString> SearchLevel(int n);
std::optional<QString> ScanVoice(int n);
std::optional<QString> SearchVoice(int n);
std::optional<QString> ScanPause(int n);
std::optional<QString> SearchPause(int n);
// "BM" + " " + digit for each digit of the ten characters; spaces and "-" are skipped, any
// other character refuses the command.
std::optional<QString> ScanLinkBanks(const QString& banks);
QString SearchLinkBanks(const QString& banks);
std::optional<QString> StartSearch(int bank);
std::optional<QString> DeleteSearchBank(int bank);
// "SR" for kCurrentSearchBank, else "SR " + two digits.
QString SearchList(int bank);
std::optional<QString> LevelSquelch(int n);
std::optional<QString> VoiceSquelch(int n);
std::optional<QString> Delay(int n);
QString CyberScan(int n);
QString DtmfOutput(int n);
std::optional<QString> ReadPassList(int bank);
QString AddPass(double mhz, const TReportFn& report = {});
std::optional<QString> DeletePass(int bank, int index);
std::optional<QString> DeletePassBank(int bank);

// The command lines that store `rec` in its memory channel, in the order they are sent:
// one "MX..." line for later firmware (firmwareId != 0), or the "MX..." line followed by the
// low-pass, high-pass, de-emphasis, AGC and sub-step setters for early firmware; then the
// antenna and select-scan setters. Setters whose value is out of range are left out.
QStringList WriteMemory(const TRxDat& rec, int firmwareId, const TReportFn& report = {});
// "SEnn SL... SU... ST... AT. BW. MD. TT<text>".
QString WriteSearchBank(const TSearchList& list, int bandwidth, const TReportFn& report = {});

} // namespace CommandText
