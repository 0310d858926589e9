#include "BeaconFile.h"

#include "IniFile.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

constexpr const char16_t* kSlotKeys[kBeaconBands] = {u"TIME14", u"TIME18", u"TIME21", u"TIME24",
                                                     u"TIME28"};

TBeaconFileResult Refused(const QString& why) {
    return {std::nullopt, why};
}

// A whole number, or nullopt; spaces around it are allowed, as hand-edited files have them.
std::optional<int> WholeNumber(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// The column a descriptive key names: its first four characters, upper-cased, so "Location"
// and "LOCA" are one column.
QString DetailName(const QString& key) {
    return key.left(4).toUpper();
}

bool IsSlotOrPosition(const QString& key) {
    const QString upper = key.toUpper();
    return upper.startsWith(u"TIME"_s) || upper == u"X"_s || upper == u"Y"_s;
}

} // namespace

TBeaconFileResult ReadBeaconFile(const QString& fileName) {
    const QString name = QFileInfo(fileName).fileName();
    if (!QFileInfo::exists(fileName))
        return Refused(u"The file \"%1\" does not exist."_s.arg(name));
    const TIniFile ini(fileName);
    if (!ini.ErrorText().isEmpty())
        return Refused(ini.ErrorText());

    const QStringList sections = ini.ReadSections();
    if (sections.isEmpty() || sections.first().compare(u"Frequencies"_s, Qt::CaseInsensitive) != 0)
        return Refused(u"\"%1\" must begin with the section [Frequencies]."_s.arg(name));

    TBeaconList list;
    for (const QString& key : ini.ReadSection(sections.first())) {
        const QString value = ini.ReadString(sections.first(), key, {}).trimmed();
        bool ok = false;
        if (value.toDouble(&ok) <= 0.0 || !ok)
            return Refused(u"[Frequencies] %1=%2 is not a frequency in MHz."_s.arg(key, value));
        list.Frequencies.append(value);
    }
    if (list.Frequencies.isEmpty())
        return Refused(u"[Frequencies] lists no frequency."_s);
    if (list.Frequencies.size() > kBeaconBands)
        return Refused(u"[Frequencies] lists %1 frequencies; the schedule has columns for %2."_s
                           .arg(list.Frequencies.size())
                           .arg(kBeaconBands));

    QStringList seen;
    for (qsizetype s = 1; s < sections.size(); ++s) {
        const QString& section = sections[s];
        if (section.trimmed().isEmpty())
            return Refused(u"A section after [%1] has no call sign."_s.arg(sections[s - 1]));
        if (seen.contains(section, Qt::CaseInsensitive))
            return Refused(u"[%1] appears twice."_s.arg(section));
        seen.append(section);

        TBeacon beacon;
        beacon.CallSign = section;
        for (int band = 0; band < kBeaconBands; ++band) {
            const QString key = QString::fromUtf16(kSlotKeys[band]);
            if (!ini.ValueExists(section, key))
                return Refused(u"[%1] has no %2."_s.arg(section, key));
            const QString text = ini.ReadString(section, key, {});
            const auto slot = WholeNumber(text);
            if (!slot)
                return Refused(
                    u"[%1] %2=%3 is not a whole number of seconds."_s.arg(section, key, text));
            if (*slot < 0 || *slot >= kBeaconCycleSeconds)
                return Refused(u"[%1] %2=%3 is outside 0..%4."_s.arg(section, key, text)
                                   .arg(kBeaconCycleSeconds - 1));
            beacon.SlotStarts[static_cast<std::size_t>(band)] = *slot;
        }
        for (const char16_t* axis : {u"X", u"Y"}) {
            const QString key = QString::fromUtf16(axis);
            if (!ini.ValueExists(section, key))
                return Refused(u"[%1] has no %2."_s.arg(section, key));
            const QString text = ini.ReadString(section, key, {});
            const auto pixel = WholeNumber(text);
            if (!pixel)
                return Refused(u"[%1] %2=%3 is not a whole number."_s.arg(section, key, text));
            (key == u"X"_s ? beacon.Position.rx() : beacon.Position.ry()) = *pixel;
        }

        const bool first = list.Beacons.isEmpty();
        if (!first)
            beacon.Details.resize(list.DetailNames.size());
        for (const QString& key : ini.ReadSection(section)) {
            if (IsSlotOrPosition(key))
                continue;
            const QString column = DetailName(key);
            const QString value = ini.ReadString(section, key, {});
            if (first) {
                if (list.DetailNames.contains(column))
                    continue;
                list.DetailNames.append(column);
                beacon.Details.append(value);
            } else if (const qsizetype at = list.DetailNames.indexOf(column); at >= 0) {
                beacon.Details[at] = value;
            }
        }
        list.Beacons.append(beacon);
    }
    if (list.Beacons.isEmpty())
        return Refused(u"\"%1\" holds no beacon."_s.arg(name));
    return {std::move(list), {}};
}
