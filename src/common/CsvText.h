#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

// CSV fields as every file of the program writes them: a field holding a comma, a double quote
// or a line break is quoted and its quotes doubled; any other field is written as it is, so
// readers of the older unquoted files still read it.
template <typename Char> constexpr bool IsCsvSpecial(Char c) {
    return c == Char(',') || c == Char('"') || c == Char('\r') || c == Char('\n');
}

QString CsvField(const QString& text);
// The same rule on bytes, for exports too large to go through QString a field at a time.
void AppendCsvField(QByteArray& out, QByteArrayView text);

enum class TCsvRecord { Fields, Blank, Bad, End };

// Reads CSV records from bytes the caller keeps alive, leniently: quoted fields may hold commas,
// doubled quotes and line breaks; unquoted fields are taken as they stand; CR LF, LF and a
// missing last line end all end a record.
class TCsvReader {
public:
    explicit TCsvReader(QByteArrayView data = {})
        : FData(data) {}

    // The next record into Fields(). A record whose only field is blank is Blank; a malformed
    // one is Bad with the reason in `error`, the reader moved past it.
    TCsvRecord Next(QString& error);
    // The next physical line without its line end, for files that are not CSV.
    QByteArrayView NextLine();

    // Point into the data, or into storage kept until ClearKept.
    const std::vector<QByteArrayView>& Fields() const { return FFields; }
    // Physical lines consumed so far.
    qint64 Line() const { return FLine; }
    bool AtEnd() const { return FPos >= FData.size(); }
    // Keeps `bytes` alive until ClearKept, for fields built rather than pointed at.
    QByteArrayView Keep(QByteArray bytes);
    void ClearKept() { FKept.clear(); }

private:
    void SkipLine();

    QByteArrayView FData;
    qsizetype FPos = 0;
    qint64 FLine = 0;
    std::vector<QByteArrayView> FFields;
    std::vector<QByteArray> FKept;
};

// Without the blanks and tabs around it.
QByteArrayView CsvTrimmed(QByteArrayView text);
