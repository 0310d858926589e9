#include "IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <utility>

using namespace Qt::StringLiterals;

TIniFile::TIniFile(QString fileName)
    : FFileName(std::move(fileName)) {
    Load();
}

void TIniFile::Load() {
    FSections = {TSection{{}, {}, false}};
    QFile file(FFileName);
    FExists = file.exists();
    if (!FExists)
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        FErrorText = u"Cannot read %1: %2"_s.arg(FFileName, file.errorString());
        FUnreadable = true;
        return;
    }
    FUnreadable = false;
    const QByteArray bytes = file.readAll();
    // Files written by other tools may be in a single-byte code page rather than UTF-8.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    FLatin1 = utf8.hasError();
    if (FLatin1)
        text = QString::fromLatin1(bytes);

    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u'[') && trimmed.endsWith(u']')) {
            FSections.append(TSection{trimmed.mid(1, trimmed.size() - 2).trimmed(), {}});
            continue;
        }
        TLine entry{line, {}, {}};
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0 && !trimmed.startsWith(u';')) {
            entry.Key = line.left(equals).trimmed();
            entry.Value = line.mid(equals + 1).trimmed();
        }
        FSections.last().Lines.append(entry);
    }
    // The split leaves one empty line for the final line end; it is written again on save.
    TSection& last = FSections.last();
    if (!last.Lines.isEmpty() && last.Lines.last().Text.isEmpty() &&
        last.Lines.last().Key.isEmpty())
        last.Lines.removeLast();
}

bool TIniFile::Save() {
    if (FUnreadable) {
        // Writing now would replace the user's settings with only the keys changed here.
        FErrorText = u"Cannot write %1: the file could not be read"_s.arg(FFileName);
        return false;
    }
    QString text;
    for (const TSection& section : std::as_const(FSections)) {
        if (section.Header)
            text += u'[' + section.Name + u"]\r\n"_s;
        for (const TLine& line : section.Lines)
            text += (line.Key.isEmpty() ? line.Text : line.Key + u'=' + line.Value) + u"\r\n"_s;
    }
    QSaveFile file(FFileName);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(FLatin1 ? text.toLatin1() : text.toUtf8()) < 0 || !file.commit()) {
        FErrorText = u"Cannot write %1: %2"_s.arg(FFileName, file.errorString());
        Load(); // what is in memory must stay what is on disk
        return false;
    }
    FExists = true;
    FErrorText.clear();
    return true;
}

const TIniFile::TSection* TIniFile::FindSection(const QString& name) const {
    for (const TSection& section : FSections) {
        if (!section.Name.isEmpty() && section.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &section;
    }
    return nullptr;
}

TIniFile::TSection* TIniFile::FindSection(const QString& name) {
    return const_cast<TSection*>(std::as_const(*this).FindSection(name));
}

const TIniFile::TLine* TIniFile::FindKey(const QString& section, const QString& key) const {
    const TSection* found = FindSection(section);
    if (!found)
        return nullptr;
    for (const TLine& line : found->Lines) {
        if (!line.Key.isEmpty() && line.Key.compare(key, Qt::CaseInsensitive) == 0)
            return &line;
    }
    return nullptr;
}

bool TIniFile::SectionExists(const QString& section) const {
    return FindSection(section) != nullptr;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const {
    return FindKey(section, key) != nullptr;
}

QStringList TIniFile::ReadSections() const {
    QStringList names;
    for (const TSection& section : FSections)
        if (section.Header)
            names.append(section.Name);
    return names;
}

QStringList TIniFile::ReadSection(const QString& section) const {
    QStringList keys;
    if (const TSection* found = FindSection(section)) {
        for (const TLine& line : found->Lines) {
            if (!line.Key.isEmpty())
                keys.append(line.Key);
        }
    }
    return keys;
}

QString TIniFile::ReadString(const QString& section, const QString& key,
                             const QString& defaultValue) const {
    const TLine* line = FindKey(section, key);
    return line ? line->Value : defaultValue;
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
    const TLine* line = FindKey(section, key);
    if (!line)
        return defaultValue;
    bool ok = false;
    const int value = line->Value.toInt(&ok);
    return ok ? value : defaultValue;
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    TSection* found = FindSection(section);
    if (!found) {
        FSections.append(TSection{section, {}});
        found = &FSections.last();
    }
    bool replaced = false;
    for (TLine& line : found->Lines) {
        if (!line.Key.isEmpty() && line.Key.compare(key, Qt::CaseInsensitive) == 0) {
            if (line.Value == value)
                return true;
            line.Value = value;
            replaced = true;
            break;
        }
    }
    if (!replaced) {
        // New keys go after the section's last key, before any blank lines that separate it.
        qsizetype at = found->Lines.size();
        while (at > 0 && found->Lines.at(at - 1).Key.isEmpty() &&
               found->Lines.at(at - 1).Text.trimmed().isEmpty())
            --at;
        found->Lines.insert(at, TLine{{}, key, value});
    }
    return Save();
}

bool TIniFile::WriteInteger(const QString& section, const QString& key, int value) {
    return WriteString(section, key, QString::number(value));
}

bool TIniFile::WriteBool(const QString& section, const QString& key, bool value) {
    return WriteString(section, key, value ? u"1"_s : u"0"_s);
}

bool TIniFile::DeleteKey(const QString& section, const QString& key) {
    TSection* found = FindSection(section);
    if (!found)
        return true;
    const auto removed = found->Lines.removeIf([&key](const TLine& line) {
        return !line.Key.isEmpty() && line.Key.compare(key, Qt::CaseInsensitive) == 0;
    });
    return removed == 0 || Save();
}

bool TIniFile::EraseSection(const QString& section) {
    const auto removed = FSections.removeIf([&section](const TSection& s) {
        return !s.Name.isEmpty() && s.Name.compare(section, Qt::CaseInsensitive) == 0;
    });
    return removed == 0 || Save();
}
