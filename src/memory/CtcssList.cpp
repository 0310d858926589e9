#include "CtcssList.h"

#include "NumberText.h"
#include "ValueTables.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype kToneNameWidth = 5;
constexpr int kLastChannel = 999;

} // namespace

const QStringList& CtcssToneNames() {
    static const QStringList names = [] {
        QStringList list;
        for (const char* tone : kCtcssTones)
            list << QString::fromLatin1(tone).left(kToneNameWidth).trimmed();
        return list;
    }();
    return names;
}

int CtcssToneIndex(const QString& name) {
    const QStringList& names = CtcssToneNames();
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

TCtcssList ParseCtcssList(const QByteArray& content) {
    TCtcssList list;
    const QList<QByteArray> lines = content.split('\n');
    for (qsizetype number = 0; number < lines.size(); ++number) {
        QString line = QString::fromLatin1(lines[number]);
        // Files written on Windows end their lines with CR LF.
        if (line.endsWith(u'\r'))
            line.chop(1);
        const qsizetype comma = line.indexOf(u',');
        if (comma < 0) {
            // The end of the last line is no line of its own.
            if (!line.isEmpty() || number + 1 < lines.size())
                ++list.SkippedLines;
            continue;
        }
        const QString channelText = line.left(comma).trimmed();
        const std::optional<qint64> channel = ParseInteger(channelText);
        if (!channel) {
            list.Error = u"Line "_s + QString::number(number + 1) + u": '"_s + channelText +
                         u"' is not a valid channel number"_s;
            list.Assignments.clear();
            return list;
        }
        const int tone = CtcssToneIndex(line.mid(comma + 1));
        if (tone < 0 || *channel < 0 || *channel > kLastChannel) {
            ++list.SkippedLines;
            continue;
        }
        list.Assignments.append({static_cast<int>(*channel), tone});
    }
    return list;
}

TCtcssList ReadCtcssList(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        TCtcssList list;
        list.Error = u"Cannot open "_s + fileName + u": "_s + file.errorString();
        return list;
    }
    return ParseCtcssList(file.readAll());
}
