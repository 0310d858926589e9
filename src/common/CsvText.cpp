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
