#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QList>

#include <optional>

class TRigctlRig;
struct TRxDat;

// The text protocol of network rig control as Hamlib's rigctld speaks it: one command a line,
// a reply of data lines or "RPRT <code>", codes 0 or a negative Hamlib error.
namespace Rigctl {

inline constexpr quint16 kDefaultPort = 4532;

// Hamlib's error codes, as the replies carry them.
inline constexpr int kOk = 0;
inline constexpr int kInvalid = -1;  // bad command or argument
inline constexpr int kTimeout = -5;  // the receiver did not answer
inline constexpr int kRejected = -9; // refused while a run owns the receiver
inline constexpr int kNotAvailable = -11;

// A command line taken apart: the one-letter command (long names mapped to it), or the long
// name for those that have no letter, and the arguments.
struct TRequest {
    char Command = 0; // 0: see LongName
    QByteArray LongName;
    QList<QByteArray> Args;
};
// Nothing for a line that holds no command.
std::optional<TRequest> ParseRequest(QByteArrayView line);

QByteArray Report(int code);

// The receiver's mode and bandwidth (indexes of kModes and kBandwidths).
struct TModeChoice {
    int Mode = 0;
    int Bandwidth = 0;
};
// Hamlib's name for a receiver mode: FM with a broadcast bandwidth is "WFM".
QByteArray ModeName(int mode, int bandwidth);
// The passband of a bandwidth index in Hz.
qint64 PassbandHz(int bandwidth);
// A Hamlib mode and passband as the receiver's: 0 Hz is the mode's usual bandwidth, -1 keeps
// `currentBandwidth`, any other the narrowest bandwidth that passes it. Nothing for a mode the
// receiver does not have.
std::optional<TModeChoice> ModeFromName(QByteArrayView name, qint64 passbandHz,
                                        int currentBandwidth);

// Hamlib's VFO name for what a record came from: "VFOA".."VFOE", "MEM" or "VFO".
QByteArray VfoName(const TRxDat& rec);
// 'A'..'E' or 'M' for a VFO name; `current` for "currVFO"; nothing for others.
std::optional<QChar> VfoFromName(QByteArrayView name, QChar current);

// The reply to "\dump_state": what the receiver covers and what the endpoint answers.
QByteArray DumpState();

// The reply to one command line, and whether the client asked to close.
QByteArray Answer(QByteArrayView line, TRigctlRig& rig, bool* quit = nullptr);

} // namespace Rigctl
