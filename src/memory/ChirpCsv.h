#pragma once

#include "Kv7File.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

// Channel lists in the CSV layout of the CHIRP radio programming tool, against the rows of a
// bank table (a TKv7Values holds one row in the table's field order). No table, no window.
//
// Where the fields go:
//   MEM    <-> Location (the channel number, 0-999)
//   TEXT   <-> Name (kept whole, however long)
//   FREQ   <-> Frequency (MHz, six decimals)
//   MODE   <-> Mode, by kChirpModesOut and kChirpModesIn; BW follows the mode on the way in
//   STEP   <-> TStep (kHz; a row without a step is written with CHIRP's usual 5 kHz)
//   PASS   <-> Skip "S"; SELSCAN <-> Skip "P" (a channel the scan prefers)
//   the rest (exact MODE and BW, LP, HP, DM, AGC, SSTEP, ATN, ANT, STADJ, SQUELCH, and SELSCAN
//   when Skip holds "S") <-> Comment, as "FIELD=value" words, so a file written here reads back
//   whole. A Comment of any other form is somebody's note and has no place in the table.
// The transmit side (Duplex, Offset, Power), tone squelch (the bank table keeps no CTCSS tone),
// DTCS codes and D-STAR calls have no equivalent: export writes CHIRP's neutral values, import
// drops them and counts the rows that held something.

inline constexpr std::array<const char*, 21> kChirpColumns = {
    "Location",  "Name",     "Frequency",    "Duplex",     "Offset",    "Tone",     "rToneFreq",
    "cToneFreq", "DtcsCode", "DtcsPolarity", "RxDtcsCode", "CrossMode", "Mode",     "TStep",
    "Skip",      "Power",    "Comment",      "URCALL",     "RPT1CALL",  "RPT2CALL", "DVCODE"};

struct TChirpModeOut {
    const char* Mode;
    const char* Bandwidth; // nullptr: any bandwidth
    const char* Chirp;
};

// The first entry that fits a row's MODE and BW names its CHIRP mode; a row with no mode is
// "Auto".
inline constexpr std::array<TChirpModeOut, 14> kChirpModesOut = {{
    {"FM", "0.5", "NFM"},
    {"FM", "3.0", "NFM"},
    {"FM", "6.0", "NFM"},
    {"FM", "15", "NFM"},
    {"FM", "110", "WFM"},
    {"FM", "220", "WFM"},
    {"FM", nullptr, "FM"},
    {"AM", nullptr, "AM"},
    {"sAM", nullptr, "AM"},
    {"sAL", nullptr, "AM"},
    {"sAH", nullptr, "AM"},
    {"LSB", nullptr, "LSB"},
    {"USB", nullptr, "USB"},
    {"CW", nullptr, "CW"},
}};
inline constexpr const char* kChirpModeAuto = "Auto";

struct TChirpModeIn {
    const char* Chirp;
    const char* Mode;
    const char* Bandwidth;
};

// CHIRP modes the receiver has, with the bandwidth each is usually heard in. Other modes
// (digital voice, packet ...) leave MODE and BW blank and are reported.
inline constexpr std::array<TChirpModeIn, 10> kChirpModesIn = {{
    {"WFM", "FM", "220"},
    {"FM", "FM", "30"},
    {"NFM", "FM", "15"},
    {"AM", "AM", "6.0"},
    {"NAM", "AM", "3.0"},
    {"USB", "USB", "3.0"},
    {"LSB", "LSB", "3.0"},
    {"CW", "CW", "0.5"},
    {"CWR", "CW", "0.5"},
    {"NCW", "CW", "0.5"},
}};

// The CHIRP mode a row's MODE and BW are written as.
const char* ChirpModeOf(const QVariant& mode, const QVariant& bandwidth);

// The header line and one line per row with a frequency, each ended by CR LF.
QByteArray ChirpCsvHeader();
// Empty for a row without a frequency: CHIRP lists only channels in use.
QByteArray ChirpCsvLine(const TKv7Values& values);

// Something the file held that the table cannot keep, and in how many rows.
struct TChirpDropped {
    QString What;
    int Rows = 0;
};

struct TChirpContents {
    std::vector<TKv7Values> Records; // in file order; CHANGED is left Null
    QStringList Mapped;              // "Frequency -> FREQ", for the columns the file has
    QList<TChirpDropped> Dropped;    // in the order first met
    QStringList Ignored;             // header names that are no CHIRP column
    QStringList Skipped;             // "line 7: ..." for each line that gave no record
    QString Error;                   // the file as a whole was refused
    bool Ok() const { return Error.isEmpty(); }
};

// Columns are found by their header names, letter case ignored, in any order; Location and
// Frequency must be there, the others may be missing. `text` is UTF-8, a byte order mark allowed.
TChirpContents ParseChirpCsv(QByteArrayView text);
// The file's bytes as UTF-8 (Windows-1252 when they are not), then parsed.
TChirpContents ReadChirpCsvFile(const QString& path);
