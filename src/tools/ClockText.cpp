#include "ClockText.h"

using namespace Qt::StringLiterals;

QString ClockFormat(bool showSeconds) {
    return showSeconds ? u"hh:mm:ss"_s : u"hh:mm"_s;
}

QString ClockText(const QDateTime& now, bool utc, bool showSeconds) {
    const QDateTime shown = utc ? now.toUTC() : now.toLocalTime();
    return shown.toString(ClockFormat(showSeconds));
}

QString ClockHint(bool utc) {
    return utc ? u"UTC (RtClick Options)"_s : u"Local Time (RtClick Options)"_s;
}
