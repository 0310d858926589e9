// The settings-file reader, and the promise that writing one key keeps every other line: the
// file is read, one key is written, and the file read again must say the same for the rest.
#include "FuzzSupport.h"

#include "IniFile.h"

#include <cstdlib>

namespace {

// Everything a section says, in file order.
QStringList Contents(const TIniFile& ini, const QString& section) {
    QStringList contents;
    for (const QString& key : ini.ReadSection(section))
        contents << key + u'=' + ini.ReadString(section, key, QString());
    return contents;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzApplication();
    const QString path = FuzzFile(QStringLiteral("Kovela.INI"), data, size);
    const QStringList sections = {QStringLiteral("Setup"), QStringLiteral("MainForm"), QString()};
    TIniFile before(path);
    QList<QStringList> seen;
    for (const QString& section : sections) {
        seen << Contents(before, section);
        before.ReadInteger(section, QStringLiteral("Left"), 0);
        before.ReadBool(section, QStringLiteral("AutoConnect"), false);
    }
    if (!before.WriteString(QStringLiteral("FuzzWritten"), QStringLiteral("Key"),
                            QStringLiteral("Value")))
        return 0;

    const TIniFile after(path);
    if (after.ReadString(QStringLiteral("FuzzWritten"), QStringLiteral("Key"), QString()) !=
        QStringLiteral("Value"))
        std::abort();
    for (qsizetype i = 0; i < sections.size(); ++i) {
        if (Contents(after, sections.at(i)) != seen.at(i))
            std::abort();
    }
    return 0;
}
