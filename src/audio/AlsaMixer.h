#pragma once

#include "VControl.h"

#include <QByteArray>

#include <memory>

// The line-in control of an ALSA card through the simple mixer API. The control taken is the
// first one, in the card's own order, named "Line", "Line In", "Line-In", "Line Capture" or
// "Line In Capture" (any case) that has a volume. Its capture volume is used when it has one,
// since recording is what the program does with the line input; else its playback (monitor)
// volume.
std::unique_ptr<TMixerBackend> MakeAlsaMixer(const QByteArray& card = QByteArrayLiteral("default"));
