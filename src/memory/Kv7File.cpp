#include "Kv7File.h"

#include "CodePage.h"
#include "FieldChecks.h"
#include "MemorySql.h"
#include "NumberText.h"
#include "TableEngine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr std::array<const char*, 4> kTypeNames = {"Char", "Float", "Bool", "Number"};
constexpr const char* kLineEnd = "\r\n";

const char* TypeName(TKv7Type type) {
    return kTypeNames[static_cast<std::size_t>(type)];
}

QByteArray Blanks(int width) {
    return QByteArray(width, ' ');
}

// Left-aligned text: line breaks and other controls would break the record, so they are blanks.
QByteArray FormatText(const QString& text, int width) {
    QString flat = text;
    for (QChar& c : flat)
        if (c.unicode() < 0x20)
            c = u' ';
    QByteArray bytes = EncodeCp1252(flat).left(width);
    return bytes + Blanks(width - static_cast<int>(bytes.size()));
}

// Right-aligned; a number too wide for its field is written as "#"s, which no reader takes for
// a number, rather than shifting the fields behind it.
QByteArray RightAligned(const QString& text, int width, char fill = ' ') {
    if (text.size() > width)
        return QByteArray(width, '#');
    return QByteArray(width - static_cast<int>(text.size()), fill) + text.toLatin1();
}

QByteArray FormatField(const TKv7Field& field, const QVariant& value, TKv7FreqFill fill) {
    if (value.isNull())
        return Blanks(field.Width);
    switch (field.Type) {
    case TKv7Type::Char:
        return FormatText(value.toString(), field.Width);
    case TKv7Type::Float: {
        QString text = FormatFixed(value.toDouble(), field.Decimals);
        text.replace(u'.', kEngineDecimalSeparator);
        // Zeros in front of a minus sign would not read back as a number.
        const bool zeros = fill == TKv7FreqFill::Zeros && !text.startsWith(u'-');
        return RightAligned(text, field.Width, zeros ? '0' : ' ');
    }
    case TKv7Type::Bool:
        return value.toBool() ? "T" : "F";
    case TKv7Type::Number:
        return RightAligned(QString::number(value.toLongLong()), field.Width);
    }
    return Blanks(field.Width);
}

// The value of one field's characters, or an error naming the field.
QString ParseField(const TKv7Field& field, QByteArrayView bytes, QVariant& value) {
    const QString name = QString::fromLatin1(field.Name);
    QString text = DecodeCodePage(bytes, 1252);
    if (field.Type == TKv7Type::Char) {
        while (!text.isEmpty() && text.back() == u' ')
            text.chop(1);
        if (!text.isEmpty())
            value = text;
        return {};
    }
    text = text.trimmed();
    if (text.isEmpty())
        return {};
    switch (field.Type) {
    case TKv7Type::Float: {
        text.replace(kEngineDecimalSeparator, u'.');
        const std::optional<double> number = ParseNumber(text);
        if (!number)
            return name + u" \""_s + text + u"\" is not a number"_s;
        if (*number < kMinFreqMHz || *number > kMaxFreqMHz)
            return name + u" "_s + text + u" is out of range"_s;
        value = *number;
        return {};
    }
    case TKv7Type::Bool:
        if (text.compare(u"T"_s, Qt::CaseInsensitive) == 0)
            value = true;
        else if (text.compare(u"F"_s, Qt::CaseInsensitive) == 0)
            value = false;
        else
            return name + u" \""_s + text + u"\" is neither T nor F"_s;
        return {};
    case TKv7Type::Number: {
        const std::optional<qint64> number = ParseInteger(text);
        if (!number || *number < 0 || *number > kMaxSquelch)
            return name + u" \""_s + text + u"\" is not a number from 0 to "_s +
                   QString::number(kMaxSquelch);
        value = static_cast<int>(*number);
        return {};
    }
    case TKv7Type::Char:
        break;
    }
    return {};
}

// The file's lines without their line ends; `lastEnded` tells whether the last one had one.
QList<QByteArray> SplitLines(const QByteArray& bytes, bool* lastEnded = nullptr) {
    QList<QByteArray> lines = bytes.split('\n');
    const bool ended = bytes.endsWith('\n');
    if (ended || bytes.isEmpty())
        lines.removeLast();
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    if (lastEnded)
        *lastEnded = ended;
    return lines;
}

bool ReadWhole(const QString& path, QByteArray& bytes, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QDir::toNativeSeparators(path) + u": "_s + file.errorString();
        return false;
    }
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = QDir::toNativeSeparators(path) + u": "_s + file.errorString();
        return false;
    }
    return true;
}

std::optional<int> LeadingNumber(const QByteArray& line) {
    const std::optional<qint64> number = ParseInteger(QString::fromLatin1(line.left(3)));
    if (!number)
        return std::nullopt;
    return static_cast<int>(*number);
}

QString SaveError(const QString& path, const QSaveFile& file) {
    return QDir::toNativeSeparators(path) + u": "_s + file.errorString();
}

} // namespace

int Kv7FieldIndex(QStringView name) {
    for (int i = 0; i < kKv7FieldCount; ++i)
        if (name.compare(QLatin1StringView(kKv7Fields[static_cast<std::size_t>(i)].Name),
                         Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QByteArray FormatKv7Record(const TKv7Values& values, TKv7FreqFill fill) {
    QByteArray record;
    record.reserve(kKv7RecordWidth);
    for (std::size_t i = 0; i < kKv7Fields.size(); ++i)
        record += FormatField(kKv7Fields[i], values[i], fill);
    return record;
}

TKv7Parsed ParseKv7Record(QByteArrayView line, const TKv7FieldSet& fields) {
    TKv7Parsed parsed;
    if (line.size() > kKv7RecordWidth) {
        parsed.Error = u"the line is "_s + QString::number(line.size()) +
                       u" characters long, a record "_s + QString::number(kKv7RecordWidth);
        return parsed;
    }
    const QByteArray padded =
        line.toByteArray() + Blanks(kKv7RecordWidth - static_cast<int>(line.size()));
    const QByteArrayView mem = QByteArrayView(padded).first(kKv7Fields[0].Width);
    if (fields.test(0) &&
        !std::all_of(mem.begin(), mem.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        parsed.Error =
            u"MEM \""_s + QString::fromLatin1(mem).trimmed() + u"\" is not three digits"_s;
        return parsed;
    }
    for (std::size_t i = 0; i < kKv7Fields.size(); ++i) {
        if (!fields.test(i))
            continue;
        const TKv7Field& field = kKv7Fields[i];
        parsed.Error = ParseField(field, QByteArrayView(padded).sliced(field.Offset, field.Width),
                                  parsed.Values[i]);
        if (!parsed.Ok()) {
            parsed.Values = {};
            return parsed;
        }
    }
    return parsed;
}

QString Kv7SchemaPath(const QString& kv7Path) {
    const qsizetype slash = kv7Path.lastIndexOf(u'/');
    const qsizetype dot = kv7Path.lastIndexOf(u'.');
    return (dot > slash ? kv7Path.left(dot) : kv7Path) + u".SCH"_s;
}

QByteArray Kv7SchemaText(const QString& kv7Path) {
    const QString schemaName = QFileInfo(Kv7SchemaPath(kv7Path)).fileName();
    QStringList lines = {u'[' + schemaName.chopped(4) + u']', u"Filetype=Fixed"_s,
                         u"CharSet=ascii"_s};
    for (std::size_t i = 0; i < kKv7Fields.size(); ++i) {
        const TKv7Field& f = kKv7Fields[i];
        lines << QString::asprintf("Field%d=%s,%s,%02d,%02d,%02d", static_cast<int>(i + 1), f.Name,
                                   TypeName(f.Type), f.Width, f.Decimals, f.Offset);
    }
    return EncodeCp1252(lines.join(QLatin1StringView(kLineEnd)));
}

bool WriteKv7Schema(const QString& kv7Path, QString& error) {
    const QString path = Kv7SchemaPath(kv7Path);
    QSaveFile file(path);
    const QByteArray text = Kv7SchemaText(kv7Path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        error = SaveError(path, file);
        return false;
    }
    return true;
}

bool CheckKv7Schema(const QString& kv7Path, QString& error) {
    const QString path = Kv7SchemaPath(kv7Path);
    const QString shown = QDir::toNativeSeparators(path);
    if (!QFileInfo::exists(path)) {
        error = QDir::toNativeSeparators(kv7Path) + u": No schema file for this table"_s;
        return false;
    }
    QByteArray bytes;
    if (!ReadWhole(path, bytes, error))
        return false;
    // Keys and values as the layout wants them; the section name and the character set do not
    // change how a record is cut.
    QStringList found;
    for (const QByteArray& line : SplitLines(bytes)) {
        const QString text = QString::fromLatin1(line).trimmed();
        const qsizetype equals = text.indexOf(u'=');
        if (equals < 0)
            continue;
        const QString key = text.left(equals).trimmed().toUpper();
        if (key == u"FILETYPE" || key.startsWith(u"FIELD"))
            found << key + u'=' + text.mid(equals + 1).remove(u' ').toUpper();
    }
    QStringList wanted = {u"FILETYPE=FIXED"_s};
    for (std::size_t i = 0; i < kKv7Fields.size(); ++i) {
        const TKv7Field& f = kKv7Fields[i];
        wanted << QString::asprintf("FIELD%d=%s,%s,%d,%d,%d", static_cast<int>(i + 1), f.Name,
                                    TypeName(f.Type), f.Width, f.Decimals, f.Offset)
                      .toUpper();
    }
    // Widths and offsets may be written with or without leading zeros.
    for (QString& entry : found) {
        const qsizetype equals = entry.indexOf(u'=');
        QStringList parts = entry.mid(equals + 1).split(u',');
        for (QString& part : parts)
            if (const std::optional<qint64> n = ParseInteger(part))
                part = QString::number(*n);
        entry = entry.left(equals + 1) + parts.join(u',');
    }
    for (const QString& entry : wanted)
        if (!found.contains(entry)) {
            error = shown + u": the schema does not describe a Kv7 table (it lacks \""_s + entry +
                    u"\")"_s;
            return false;
        }
    if (found.size() != wanted.size()) {
        error = shown + u": the schema describes other fields than a Kv7 table has"_s;
        return false;
    }
    return true;
}

QString Kv7PreviewText(const QString& path) {
    if (!QFileInfo::exists(Kv7SchemaPath(path)))
        return u"No schema file for this table"_s;
    QByteArray bytes;
    QString error;
    if (!ReadWhole(path, bytes, error))
        return {};
    const QList<QByteArray> lines = SplitLines(bytes);
    const std::optional<int> first = lines.isEmpty() ? std::nullopt : LeadingNumber(lines.front());
    if (!first)
        return u"No file info available"_s;
    QStringList memo = {u"First entry Mem "_s + QString::fromLatin1(lines.front().left(3))};
    int lowest = std::min(*first, kBankRows - 1);
    int highest = std::max(*first, 0);
    int count = 0;
    for (const QByteArray& line : lines) {
        if (const std::optional<int> n = LeadingNumber(line)) {
            ++count;
            lowest = std::min(lowest, *n);
            highest = std::max(highest, *n);
        }
    }
    if (!LeadingNumber(lines.back())) {
        memo << u"No file info available"_s;
        return memo.join(u'\n');
    }
    memo << u"Last entry Mem "_s + QString::fromLatin1(lines.back().left(3)) << QString()
         << u"Lowest Mem used "_s + QString::number(lowest)
         << u"Highest Mem used "_s + QString::number(highest) << QString()
         << QString::number(count) + u" Mems used"_s;
    return memo.join(u'\n');
}

TKv7Contents ReadKv7File(const QString& path) {
    TKv7Contents contents;
    if (!CheckKv7Schema(path, contents.Error))
        return contents;
    QByteArray bytes;
    if (!ReadWhole(path, bytes, contents.Error))
        return contents;
    const QString shown = QDir::toNativeSeparators(path);
    if (bytes.contains('\0')) {
        contents.Error = shown + u": not a Kv7 text database (it holds binary data)"_s;
        return contents;
    }
    bool lastEnded = true;
    const QList<QByteArray> lines = SplitLines(bytes, &lastEnded);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString where = u"line "_s + QString::number(i + 1) + u": "_s;
        // Every record the program writes ends with a line end: a short last line without one
        // is what is left of a file cut off while written.
        if (i + 1 == lines.size() && !lastEnded && lines[i].size() < kKv7RecordWidth) {
            contents.Skipped << where + u"cut short at the end of the file"_s;
            continue;
        }
        TKv7Parsed parsed = ParseKv7Record(lines[i]);
        if (parsed.Ok())
            contents.Records.push_back(std::move(parsed.Values));
        else
            contents.Skipped << where + parsed.Error;
    }
    if (contents.Records.empty() && !contents.Skipped.isEmpty()) {
        contents.Error = shown + u": not a Kv7 text database (no line holds a record; "_s +
                         contents.Skipped.front() + u')';
        contents.Skipped.clear();
    }
    return contents;
}

struct TKv7Writer::TImpl {
    explicit TImpl(const QString& path)
        : File(path) {}
    QSaveFile File;
};

TKv7Writer::TKv7Writer(const QString& path, TKv7FreqFill fill)
    : FPath(path)
    , FFill(fill)
    , FImpl(std::make_unique<TImpl>(path)) {}

TKv7Writer::~TKv7Writer() = default;

bool TKv7Writer::Open() {
    if (FImpl->File.open(QIODevice::WriteOnly))
        return true;
    FError = SaveError(FPath, FImpl->File);
    return false;
}

bool TKv7Writer::Write(const TKv7Values& values) {
    const QByteArray line = FormatKv7Record(values, FFill) + kLineEnd;
    if (FImpl->File.write(line) == line.size())
        return true;
    FError = SaveError(FPath, FImpl->File);
    return false;
}

bool TKv7Writer::Commit() {
    if (!WriteKv7Schema(FPath, FError)) {
        FImpl->File.cancelWriting();
        return false;
    }
    if (FImpl->File.commit())
        return true;
    FError = SaveError(FPath, FImpl->File);
    return false;
}

TKv7Relocation RelocateKv7(const QString& source, const QString& target, int start) {
    TKv7Relocation result;
    if (QFileInfo::exists(target) &&
        QFileInfo(source).canonicalFilePath() == QFileInfo(target).canonicalFilePath()) {
        result.SameFile = true;
        return result;
    }
    QByteArray bytes;
    if (!ReadWhole(source, bytes, result.Error))
        return result;
    const QList<QByteArray> lines = SplitLines(bytes);
    QByteArray out;
    int n = start;
    for (const QByteArray& line : lines) {
        if (n >= kBankRows)
            break;
        out += FormatMemNumber(n++).toLatin1() + line.mid(3) + kLineEnd;
        ++result.Written;
    }
    result.Left = static_cast<int>(lines.size()) - result.Written;
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size()) {
        result.Error = SaveError(target, file);
        return result;
    }
    if (!WriteKv7Schema(target, result.Error)) {
        file.cancelWriting();
        return result;
    }
    if (!file.commit())
        result.Error = SaveError(target, file);
    return result;
}
