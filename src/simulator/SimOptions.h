#pragma once

#include <QString>

#include <cstdint>

// How a simulated receiver is built. Fixed for the life of the receiver except where a setter
// says otherwise.
struct TSimOptions {
    std::uint32_t Seed = 1;    // the band, the preset memories and the fault bytes follow it
    bool Ct5000 = false;       // CTCSS unit fitted: "CN" works, else it answers "?"
    bool Ds8000 = false;       // descrambler unit fitted: "SC" works, else it answers "?"
    bool SduMode = false;      // every line in both directions carries a leading "*"
    bool FillMemories = false; // every channel of both banks in use; else about a third
    int BaudRate = 0;          // 0 = no line pacing
    int LatencyMs = 0;         // per command, before its reply starts
    // Searches and scans stop on every step, whatever the band holds, and go on as soon as the
    // line has carried the stop's report: hits as fast as the line allows, for measuring.
    bool FloodHits = false;
    QString Version = QStringLiteral("AR5000 1.0"); // answered to "VR" after "VER "
};

// Misbehaviour on request, for testing the driver's error paths.
enum class TSimFault {
    None,
    Silence,      // commands are obeyed but nothing is sent
    Garbage,      // every line sent is replaced by random bytes with no line end
    SplitReplies, // every line sent leaves in small pieces over several event-loop turns
    QuestionMark, // every command is refused with "?"
    LeadingNoise, // every line sent comes after a few noise bytes (0x00, 0xFF, ...), as from a
                  // receiver powering up or a line at the wrong baud rate
};
