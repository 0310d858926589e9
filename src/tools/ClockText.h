#pragma once

#include <QDateTime>
#include <QString>

// What the clock shows, kept apart from its window so that it can be checked at any instant.

// "hh:mm:ss", or "hh:mm" without seconds.
QString ClockFormat(bool showSeconds);

// `now` as UTC or as the system's local time. UTC is taken from the instant itself rather than
// from a bias added to local time, so a change between standard and daylight time shows at the
// next tick.
QString ClockText(const QDateTime& now, bool utc, bool showSeconds);

// The pop-up hint of each choice.
QString ClockHint(bool utc);
