#pragma once

#include <QString>
#include <QStringList>

// The settings file: an INI layout of "[Section]" lines followed by "Key=Value" lines.
// Section and key names compare case-insensitively, booleans are written "1"/"0" and any
// non-zero integer reads true, values are taken as they stand (no quoting, no escaping).
//
// The file is read when the object is made and written back whole, atomically, after each
// change: nothing holds it open, a crash never leaves half a file, and lines this program does
// not know (comments, other sections) are kept as they were.
class TIniFile {
public:
    explicit TIniFile(QString fileName);

    QString FileName() const { return FFileName; }
    bool Exists() const { return FExists; }
    // The text of the last failed read or write, empty when all went well.
    QString ErrorText() const { return FErrorText; }

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    QStringList ReadSection(const QString& section) const; // key names in file order
    QStringList ReadSections() const;                      // section names in file order

    QString ReadString(const QString& section, const QString& key,
                       const QString& defaultValue) const;
    // A missing or non-numeric value gives the default.
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;

    // False (with ErrorText) when the file could not be written; the file is then unchanged.
    bool WriteString(const QString& section, const QString& key, const QString& value);
    bool WriteInteger(const QString& section, const QString& key, int value);
    bool WriteBool(const QString& section, const QString& key, bool value);
    bool DeleteKey(const QString& section, const QString& key);
    bool EraseSection(const QString& section);

private:
    struct TLine {
        QString Text; // the line as read, for lines that are not ours to parse
        QString Key;  // empty for a non key line
        QString Value;
    };
    struct TSection {
        QString Name;
        QList<TLine> Lines;
        // False only for the lines before the first header. A header may name no section
        // ("[]"); it is still written back, or its lines would join the section above it.
        bool Header = true;
    };

    void Load();
    bool Save();
    const TSection* FindSection(const QString& name) const;
    TSection* FindSection(const QString& name);
    const TLine* FindKey(const QString& section, const QString& key) const;

    QString FFileName;
    QList<TSection> FSections;
    bool FExists = false;
    bool FUnreadable = false;
    bool FLatin1 = false; // written back in the encoding it was read in
    QString FErrorText;
};
