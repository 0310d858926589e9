#include "CsvText.h"

#include <algorithm>

using namespace Qt::StringLiterals;

QString CsvField(const QString& text) {
    if (std::none_of(text.cbegin(), text.cend(), [](QChar c) { return IsCsvSpecial(c.unicode()); }))
        return text;
    QString quoted = text;
    quoted.replace(u'"', u"\"\""_s);
    return u'"' + quoted + u'"';
}

void AppendCsvField(QByteArray& out, QByteArrayView text) {
    if (std::none_of(text.begin(), text.end(), IsCsvSpecial<char>)) {
        out.append(text);
        return;
    }
    out.append('"');
    for (const char c : text) {
        if (c == '"')
            out.append('"');
        out.append(c);
    }
    out.append('"');
}

QByteArrayView CsvTrimmed(QByteArrayView text) {
    while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t'))
        text = text.sliced(1);
    while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t'))
        text.chop(1);
    return text;
}

QByteArrayView TCsvReader::Keep(QByteArray bytes) {
    FKept.push_back(std::move(bytes));
    return FKept.back();
}

void TCsvReader::SkipLine() {
    const qsizetype end = FData.indexOf('\n', FPos);
    FPos = end < 0 ? FData.size() : end + 1;
    ++FLine;
}

QByteArrayView TCsvReader::NextLine() {
    const qsizetype start = FPos;
    const qsizetype end = FData.indexOf('\n', FPos);
    QByteArrayView line = FData.sliced(start, (end < 0 ? FData.size() : end) - start);
    SkipLine();
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

TCsvRecord TCsvReader::Next(QString& error) {
    FFields.clear();
    if (FPos >= FData.size())
        return TCsvRecord::End;
    const char* data = FData.data();
    const qsizetype size = FData.size();
    while (true) {
        if (FPos < size && data[FPos] == '"') {
            QByteArray field;
            qsizetype at = FPos + 1;
            while (true) {
                const qsizetype quote = FData.indexOf('"', at);
                if (quote < 0) {
                    error = u"a quoted field is not closed"_s;
                    FLine += std::count(data + FPos, data + size, '\n');
                    FPos = size;
                    return TCsvRecord::Bad;
                }
                field.append(data + at, quote - at);
                if (quote + 1 < size && data[quote + 1] == '"') {
                    field.append('"');
                    at = quote + 2;
                    continue;
                }
                FLine += std::count(data + FPos, data + quote, '\n');
                FPos = quote + 1;
                break;
            }
            if (FPos < size && data[FPos] != ',' && data[FPos] != '\r' && data[FPos] != '\n') {
                error = u"a stray quote: text follows a quoted field"_s;
                SkipLine();
                return TCsvRecord::Bad;
            }
            FFields.push_back(Keep(std::move(field)));
        } else {
            const qsizetype start = FPos;
            while (FPos < size && data[FPos] != ',' && data[FPos] != '\n' && data[FPos] != '\r') {
                if (data[FPos] == '"') {
                    error = u"a stray quote inside a field that is not quoted"_s;
                    SkipLine();
                    return TCsvRecord::Bad;
                }
                ++FPos;
            }
            FFields.push_back(QByteArrayView(data + start, FPos - start));
        }
        if (FPos < size && data[FPos] == ',') {
            ++FPos;
            continue;
        }
        if (FPos < size && data[FPos] == '\r')
            ++FPos;
        if (FPos < size && data[FPos] == '\n')
            ++FPos;
        ++FLine;
        break;
    }
    if (FFields.size() == 1 && CsvTrimmed(FFields.front()).isEmpty())
        return TCsvRecord::Blank;
    return TCsvRecord::Fields;
}
