#pragma once

#include "CompanionFrame.h"

#include <QString>

#include <optional>

// One line a person can read for a frame: its number, parameters and what they carry (the
// frequency and mode, a text half, a recorder code).
QString DescribeFrame(const TCompanionFrame& frame);

// A line typed to the stand-in companion as the frame it sends: "tune 7.05", "status 3 0",
// "end", or "send <number> <wParam> <lParam>" (numbers in C notation). nullopt when the line is
// not one of these.
std::optional<TCompanionFrame> ParseCommandLine(const QString& line);
