#include "ParadoxFile.h"

#include "CodePage.h"
#include "SqlDialect.h"
#include "TableEngine.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTime>

// paradox.h declares its functions without C linkage.
extern "C" {
#include <paradox.h>
}

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kMainHeaderBytes = 0x58;
constexpr int kDataHeaderEnd = 0x78; // tables of version 4 and later carry a second header part
constexpr int kBlockHeaderBytes = 6;
constexpr int kBlockUnit = 0x400;
constexpr int kMaxBlockUnits = 32;
constexpr int kFirstVersion = 3; // Paradox 3.0
constexpr int kLastVersion = 12; // Paradox 7
constexpr int kDataHeaderVersion = 5;
constexpr int kLongTableNameVersion = 12;
constexpr int kShortTableName = 79;
constexpr int kLongTableName = 261;
constexpr int kMaxFieldName = 64; // pxlib cuts longer names and then misreads the next ones
constexpr int kBcdBytes = 17;
constexpr int kMaxBcdDecimals = 32;
constexpr int kBlobReferenceBytes = 10; // offset, length and modification number after the leader
constexpr int kGraphicExtraBytes = 8;
constexpr qint64 kJulianDayOfDayZero = 1721425; // Paradox counts days from 1 January of year 1
constexpr qint64 kMsPerDay = 86400000;
constexpr int kDefaultCodePage = 437;
constexpr int kStoredFalse = 0x80;

enum class TValueKind {
    Alpha,
    Short,
    Long,
    Double,
    Logical,
    Date,
    Time,
    Timestamp,
    Bcd,
    Memo,
    Blob,
    Graphic,
    Bytes
};

struct TFieldRule {
    int Type;
    int MinSize;
    int MaxSize;
    TValueKind Kind;
    const char* Declared;
};

// The field types of a table, with the sizes a sane header gives them and the column each
// becomes. A size of a BCD field is its count of decimals: it always takes 17 bytes.
constexpr std::array<TFieldRule, 17> kFieldRules = {{
    {pxfAlpha, 1, 255, TValueKind::Alpha, "CHARACTER"},
    {pxfDate, 4, 4, TValueKind::Date, "DATE TEXT"},
    {pxfShort, 2, 2, TValueKind::Short, "SMALLINT"},
    {pxfLong, 4, 4, TValueKind::Long, "INTEGER"},
    {pxfCurrency, 8, 8, TValueKind::Double, "REAL"},
    {pxfNumber, 8, 8, TValueKind::Double, "REAL"},
    {pxfLogical, 1, 1, TValueKind::Logical, "BOOLEAN"},
    {pxfMemoBLOb, 11, 250, TValueKind::Memo, "TEXT"},
    {pxfBLOb, 11, 250, TValueKind::Blob, "BLOB"},
    {pxfFmtMemoBLOb, 11, 250, TValueKind::Memo, "TEXT"},
    {pxfOLE, 11, 250, TValueKind::Blob, "BLOB"},
    {pxfGraphic, 11, 250, TValueKind::Graphic, "BLOB"},
    {pxfTime, 4, 4, TValueKind::Time, "TIME TEXT"},
    {pxfTimestamp, 8, 8, TValueKind::Timestamp, "TEXT"},
    {pxfAutoInc, 4, 4, TValueKind::Long, "INTEGER"},
    {pxfBCD, 0, kMaxBcdDecimals, TValueKind::Bcd, "REAL"},
    {pxfBytes, 1, 255, TValueKind::Bytes, "BLOB"},
}};

const TFieldRule* RuleFor(int type) {
    for (const TFieldRule& rule : kFieldRules)
        if (rule.Type == type)
            return &rule;
    return nullptr;
}

struct TParadoxField {
    const TFieldRule* Rule = nullptr;
    int Size = 0; // bytes in a record
    int Decimals = 0;
    QByteArray Name;
};

struct TDataBlock {
    qint64 FirstRecord = 0; // file offset
    int Records = 0;
};

struct TParadoxLayout {
    int RecordSize = 0;
    int CodePage = kDefaultCodePage;
    qint64 Records = 0;
    std::vector<TParadoxField> Fields;
    std::vector<TDataBlock> Blocks;
};

int Byte(const QByteArray& bytes, qint64 at) {
    return static_cast<unsigned char>(bytes[at]);
}

int Word(const QByteArray& bytes, qint64 at) {
    return Byte(bytes, at) | (Byte(bytes, at + 1) << 8);
}

quint32 LongWord(const QByteArray& bytes, qint64 at) {
    return static_cast<quint32>(Word(bytes, at)) |
           (static_cast<quint32>(Word(bytes, at + 2)) << 16);
}

// The header and the chain of data blocks, checked against each other and the file's size.
std::optional<TParadoxLayout> ReadLayout(QFile& file, QString& why) {
    auto fail = [&](const QString& text) {
        why = text;
        return std::nullopt;
    };
    const qint64 fileSize = file.size();
    const QByteArray head = file.read(std::min<qint64>(fileSize, 0xFFFF));
    if (head.size() < kMainHeaderBytes)
        return fail(u"not a Paradox table (too short)"_s);
    TParadoxLayout layout;
    layout.RecordSize = Word(head, 0x00);
    const int headerSize = Word(head, 0x02);
    const int fileType = Byte(head, 0x04);
    const int blockUnits = Byte(head, 0x05);
    layout.Records = LongWord(head, 0x06);
    const int fileBlocks = Word(head, 0x0C);
    const int firstBlock = Word(head, 0x0E);
    const int fieldCount = Word(head, 0x21);
    const int version = Byte(head, 0x39);
    const int blockSize = blockUnits * kBlockUnit;
    const bool dataTable = fileType == pxfFileTypIndexDB || fileType == pxfFileTypNonIndexDB;
    if (!dataTable || version < kFirstVersion || version > kLastVersion || blockUnits < 1 ||
        blockUnits > kMaxBlockUnits || layout.RecordSize < 1 || fieldCount < 1 ||
        fieldCount > 255 || layout.RecordSize > blockSize - kBlockHeaderBytes)
        return fail(u"not a Paradox table"_s);
    const bool dataHeader = version >= kDataHeaderVersion;
    if (headerSize < (dataHeader ? kDataHeaderEnd : kMainHeaderBytes) || headerSize > head.size())
        return fail(u"the Paradox table header is truncated"_s);

    quint32 encryption = LongWord(head, 0x25);
    if (encryption == 0xFF00FF00u)
        encryption = dataHeader ? LongWord(head, 0x5C) : 0;
    if (encryption != 0)
        return fail(u"the Paradox table is password-protected"_s);
    if (dataHeader && Word(head, 0x6A) != 0)
        layout.CodePage = Word(head, 0x6A);

    // Field types and sizes, the pointers to the names, the table's name, then the field names.
    qint64 at = dataHeader ? kDataHeaderEnd : kMainHeaderBytes;
    const qint64 namesAt = at + fieldCount * 2 + 4 + fieldCount * 4 +
                           (version >= kLongTableNameVersion ? kLongTableName : kShortTableName);
    if (namesAt > headerSize)
        return fail(u"the Paradox table header is truncated"_s);
    qint64 nameAt = namesAt;
    int recordSize = 0;
    for (int f = 0; f < fieldCount; ++f, at += 2) {
        TParadoxField field;
        field.Rule = RuleFor(Byte(head, at));
        const int size = Byte(head, at + 1);
        if (!field.Rule || size < field.Rule->MinSize || size > field.Rule->MaxSize)
            return fail(u"the Paradox table has a field of unknown type or size"_s);
        field.Size = field.Rule->Kind == TValueKind::Bcd ? kBcdBytes : size;
        field.Decimals = field.Rule->Kind == TValueKind::Bcd ? size : 0;
        const qint64 end = head.indexOf('\0', nameAt);
        if (end < 0 || end >= headerSize || end - nameAt > kMaxFieldName)
            return fail(u"the Paradox table header is damaged (field names)"_s);
        field.Name = head.mid(nameAt, end - nameAt);
        nameAt = end + 1;
        recordSize += field.Size;
        layout.Fields.push_back(field);
    }
    if (recordSize != layout.RecordSize)
        return fail(u"the Paradox table header is damaged (record size)"_s);

    // The data blocks as the chain links them; every block once, all in the file.
    std::vector<bool> seen(static_cast<std::size_t>(fileBlocks) + 1, false);
    const int mostPerBlock = (blockSize - kBlockHeaderBytes) / layout.RecordSize;
    qint64 found = 0;
    for (int block = firstBlock; block != 0;) {
        if (block > fileBlocks || seen[static_cast<std::size_t>(block)])
            return fail(u"the Paradox table is damaged (block chain)"_s);
        seen[static_cast<std::size_t>(block)] = true;
        const qint64 blockAt = headerSize + static_cast<qint64>(block - 1) * blockSize;
        QByteArray blockHead;
        if (blockAt + kBlockHeaderBytes <= fileSize && file.seek(blockAt))
            blockHead = file.read(kBlockHeaderBytes);
        if (blockHead.size() < kBlockHeaderBytes)
            return fail(u"the Paradox table is truncated"_s);
        const int added = static_cast<qint16>(Word(blockHead, 4));
        // A block whose records are all deleted says so with a size out of range.
        int records = 0;
        if (added >= 0 && added / layout.RecordSize < mostPerBlock) {
            if (added % layout.RecordSize != 0)
                return fail(u"the Paradox table is damaged (block size)"_s);
            records = added / layout.RecordSize + 1;
        }
        if (blockAt + kBlockHeaderBytes + static_cast<qint64>(records) * layout.RecordSize >
            fileSize)
            return fail(u"the Paradox table is truncated"_s);
        layout.Blocks.push_back({blockAt + kBlockHeaderBytes, records});
        found += records;
        block = Word(blockHead, 0);
    }
    if (found != layout.Records)
        return fail(u"the Paradox table is truncated or damaged (%1 records announced, %2 found)"_s
                        .arg(layout.Records)
                        .arg(found));
    return layout;
}

std::optional<TParadoxLayout> ReadLayout(const QString& path, QString& error) {
    QFile file(path);
    QString why;
    std::optional<TParadoxLayout> layout;
    if (!file.open(QIODevice::ReadOnly))
        why = file.errorString();
    else
        layout = ReadLayout(file, why);
    if (!layout)
        error = path + u": "_s + why;
    return layout;
}

// pxlib reports through a handler and goes on (or returns a failure) when the handler returns;
// what it said is kept for the error text.
thread_local QString tPxError;

void RecordPxError(pxdoc_t*, int level, const char* message, void*) {
    if (level != PX_Warning && tPxError.isEmpty())
        tPxError = QString::fromLocal8Bit(message);
}

struct TPxDelete {
    void operator()(pxdoc_t* doc) const { PX_delete(doc); }
};
using TPxDoc = std::unique_ptr<pxdoc_t, TPxDelete>;

// Numbers are stored big-endian with the sign bit flipped, so that their bytes sort as their
// values do; all bytes zero is Null. Decoded here: pxlib 0.6.8 reads a long through an 8-byte
// load of a 4-byte buffer and so takes Null for a number.
std::optional<qint64> StoredInteger(const char* data, int size) {
    quint64 bits = 0;
    for (int i = 0; i < size; ++i)
        bits = (bits << 8) | static_cast<unsigned char>(data[i]);
    if (bits == 0)
        return std::nullopt;
    const quint64 sign = quint64(1) << (size * 8 - 1);
    bits ^= sign;
    return static_cast<qint64>(bits & sign ? bits | ~(sign | (sign - 1)) : bits);
}

// Positive doubles have the sign bit set, negative ones every bit inverted.
std::optional<double> StoredDouble(const char* data) {
    quint64 bits = 0;
    for (int i = 0; i < 8; ++i)
        bits = (bits << 8) | static_cast<unsigned char>(data[i]);
    if (bits == 0)
        return std::nullopt;
    constexpr quint64 kSign = quint64(1) << 63;
    bits = bits & kSign ? bits & ~kSign : ~bits;
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

// A date as ISO text, Null outside the years ISO text can hold.
QVariant IsoDate(const QDate& date) {
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return {};
    return date.toString(Qt::ISODate);
}

// pxlib hands out memory it allocated; this takes it back as it came (size -1: up to the NUL).
QByteArray TakePxBytes(pxdoc_t* doc, char* data, qsizetype size) {
    QByteArray bytes(data, size);
    doc->free(doc, data);
    return bytes;
}

// The memo file beside a table: same name, extension ".MB" in any letter case.
QString MemoFileOf(const QString& path) {
    const QFileInfo table(path);
    const QString base = table.completeBaseName();
    const QStringList names = table.dir().entryList(QStringList{base + u".*"_s}, QDir::Files);
    for (const QString& name : names)
        if (name.compare(base + u".mb"_s, Qt::CaseInsensitive) == 0)
            return table.dir().filePath(name);
    return {};
}

// The memo file, read here: pxlib 0.6.8 overruns its stack opening any memo file, even one it
// wrote. Blocks of 4 KB; a memo sits alone in a block of type 2 (after a 9-byte head, 17 for a
// graphic) or with others in a block of type 3, found through a table of 5-byte entries at 12.
class TMemoFile {
public:
    // The first block is the file's header (type 0). The last block may end short: pxlib writes
    // only what a memo fills.
    bool Open(const QString& path) {
        FFile.setFileName(path);
        return FFile.open(QIODevice::ReadOnly) && FFile.read(1) == QByteArray(1, '\0');
    }

    std::optional<QByteArray> Read(qint64 offset, int index, qint64 size, bool graphic) {
        const std::optional<QByteArray> head = Bytes(offset, kSubTableAt);
        if (!head)
            return std::nullopt;
        if (Byte(*head, 0) == kSingleBlock) {
            if (index != kSingleIndex || LongWord(*head, 3) != size)
                return std::nullopt;
            return graphic ? Bytes(offset + kGraphicHeadBytes, size - kGraphicExtraBytes)
                           : Bytes(offset + kSingleHeadBytes, size);
        }
        if (Byte(*head, 0) != kSubBlock || index >= kSubEntries)
            return std::nullopt;
        const std::optional<QByteArray> entry =
            Bytes(offset + kSubTableAt + index * kSubEntryBytes, kSubEntryBytes);
        if (!entry || (Byte(*entry, 1) - 1) * kParagraph + Byte(*entry, 4) != size)
            return std::nullopt;
        return Bytes(offset + Byte(*entry, 0) * kParagraph, size);
    }

private:
    static constexpr int kSingleBlock = 2;
    static constexpr int kSubBlock = 3;
    static constexpr int kSingleIndex = 0xFF;
    static constexpr int kSingleHeadBytes = 9;
    static constexpr int kGraphicHeadBytes = 17;
    static constexpr int kSubTableAt = 12;
    static constexpr int kSubEntries = 64;
    static constexpr int kSubEntryBytes = 5;
    static constexpr int kParagraph = 16;

    QFile FFile;

    // Exactly size bytes at offset, or nothing when the file does not hold them.
    std::optional<QByteArray> Bytes(qint64 offset, qint64 size) {
        if (offset < 0 || size <= 0 || offset > FFile.size() || size > FFile.size() - offset ||
            !FFile.seek(offset))
            return std::nullopt;
        QByteArray bytes = FFile.read(size);
        if (bytes.size() != size)
            return std::nullopt;
        return bytes;
    }
};

class TParadoxReader {
public:
    TParadoxReader(const TParadoxLayout& layout, pxdoc_t* doc, TMemoFile* memo)
        : FLayout(layout)
        , FDoc(doc)
        , FMemo(memo) {}

    bool MemoMissed() const { return FMemoMissed; }

    // Binds every field of one record.
    void BindRecord(char* record, TRowBinder& row) {
        int at = 0;
        for (std::size_t f = 0; f < FLayout.Fields.size(); ++f) {
            const TParadoxField& field = FLayout.Fields[f];
            const QVariant value = Value(field, record + at);
            at += field.Size;
            if (value.isNull())
                row.BindNull(static_cast<int>(f));
            else
                row.Bind(static_cast<int>(f), value);
        }
    }

private:
    const TParadoxLayout& FLayout;
    pxdoc_t* FDoc;
    TMemoFile* FMemo; // none when there is no usable memo file
    bool FMemoMissed = false;

    QVariant Value(const TParadoxField& field, char* data) {
        switch (field.Rule->Kind) {
        case TValueKind::Alpha: {
            char* text = nullptr;
            if (PX_get_data_alpha(FDoc, data, field.Size, &text) <= 0 || !text)
                return {};
            return DecodeCodePage(TakePxBytes(FDoc, text, -1), FLayout.CodePage);
        }
        case TValueKind::Short:
        case TValueKind::Long: {
            const std::optional<qint64> value = StoredInteger(data, field.Size);
            return value ? QVariant(*value) : QVariant();
        }
        case TValueKind::Double: {
            const std::optional<double> value = StoredDouble(data);
            return value ? QVariant(*value) : QVariant();
        }
        case TValueKind::Logical: {
            const int stored = static_cast<unsigned char>(data[0]);
            return stored == 0 ? QVariant() : QVariant(qint64(stored == kStoredFalse ? 0 : 1));
        }
        case TValueKind::Date: {
            const std::optional<qint64> days = StoredInteger(data, field.Size);
            if (!days)
                return {};
            return IsoDate(QDate::fromJulianDay(*days + kJulianDayOfDayZero));
        }
        case TValueKind::Time: {
            const std::optional<qint64> ms = StoredInteger(data, field.Size);
            if (!ms || *ms < 0 || *ms >= kMsPerDay)
                return {};
            return QTime::fromMSecsSinceStartOfDay(static_cast<int>(*ms)).toString(u"HH:mm:ss"_s);
        }
        case TValueKind::Timestamp: {
            const std::optional<double> ms = StoredDouble(data);
            // Beyond a million years the value is nonsense, not a date.
            if (!ms || std::fabs(*ms) > 3.2e16)
                return {};
            const auto whole = static_cast<qint64>(std::floor(*ms));
            const qint64 day = whole / kMsPerDay - (whole % kMsPerDay < 0 ? 1 : 0);
            const QVariant date = IsoDate(QDate::fromJulianDay(day + kJulianDayOfDayZero));
            if (date.isNull())
                return {};
            const QTime time =
                QTime::fromMSecsSinceStartOfDay(static_cast<int>(whole - day * kMsPerDay));
            return date.toString() + u'T' + time.toString(u"HH:mm:ss"_s);
        }
        case TValueKind::Bcd: {
            char* text = nullptr;
            if (PX_get_data_bcd(FDoc, reinterpret_cast<unsigned char*>(data), field.Decimals,
                                &text) <= 0 ||
                !text)
                return {};
            // pxlib writes the decimal point of the C library's locale.
            QByteArray number = TakePxBytes(FDoc, text, -1);
            bool ok = false;
            const double value = number.replace(',', '.').toDouble(&ok);
            return ok ? QVariant(value) : QVariant();
        }
        case TValueKind::Memo: {
            const std::optional<QByteArray> bytes = Blob(field, data, false);
            if (!bytes)
                return {};
            QByteArray text = *bytes;
            while (text.endsWith('\0'))
                text.chop(1);
            return DecodeCodePage(text, FLayout.CodePage);
        }
        case TValueKind::Blob:
        case TValueKind::Graphic: {
            const std::optional<QByteArray> bytes =
                Blob(field, data, field.Rule->Kind == TValueKind::Graphic);
            return bytes ? QVariant(*bytes) : QVariant();
        }
        case TValueKind::Bytes: {
            char* bytes = nullptr;
            if (PX_get_data_bytes(FDoc, data, field.Size, &bytes) <= 0 || !bytes)
                return {};
            return TakePxBytes(FDoc, bytes, field.Size);
        }
        }
        return {};
    }

    // The data of a memo or binary field: in the record when it is short enough, else in the
    // memo file. Null when empty or out of reach (the memo file then counts as missed).
    std::optional<QByteArray> Blob(const TParadoxField& field, const char* data, bool graphic) {
        const int leader = field.Size - kBlobReferenceBytes;
        const QByteArray reference(data + leader, kBlobReferenceBytes);
        const quint32 where = LongWord(reference, 0);
        const qint64 size = LongWord(reference, 4);
        const qint64 length = graphic ? size - kGraphicExtraBytes : size;
        if (length <= 0)
            return std::nullopt;
        if (length <= leader)
            return QByteArray(data, length);
        std::optional<QByteArray> bytes;
        if (FMemo)
            bytes =
                FMemo->Read(where & 0xFFFFFF00u, static_cast<int>(where & 0xFFu), size, graphic);
        FMemoMissed = FMemoMissed || !bytes;
        return bytes;
    }
};

} // namespace

bool LooksLikeParadox(const QString& path, QString* error) {
    QString text;
    const bool readable = ReadLayout(path, text).has_value();
    if (error)
        *error = text;
    return readable;
}

bool ReadParadoxTable(TTableEngine& engine, const QString& path, const QString& tempTable,
                      QString& error, QString* notice) {
    if (notice)
        notice->clear();
    const std::optional<TParadoxLayout> layout = ReadLayout(path, error);
    if (!layout)
        return false;
    auto fail = [&](const QString& text) {
        error = path + u": "_s + text;
        return false;
    };
    tPxError.clear();
    TPxDoc doc(PX_new2(&RecordPxError, nullptr, nullptr, nullptr));
    if (!doc || PX_open_file(doc.get(), QFile::encodeName(path).constData()) < 0)
        return fail(tPxError.isEmpty() ? u"pxlib cannot open the Paradox table"_s : tPxError);
    // pxlib must see the table as checked: the records are read by that account.
    bool same = PX_get_num_fields(doc.get()) == static_cast<int>(layout->Fields.size()) &&
                PX_get_recordsize(doc.get()) == layout->RecordSize;
    for (int f = 0; same && f < static_cast<int>(layout->Fields.size()); ++f) {
        const pxfield_t* field = PX_get_field(doc.get(), f);
        same = field && field->px_ftype == layout->Fields[static_cast<std::size_t>(f)].Rule->Type &&
               field->px_flen == layout->Fields[static_cast<std::size_t>(f)].Size;
    }
    if (!same)
        return fail(u"pxlib reads the Paradox table header differently"_s);

    bool hasBlobs = false;
    for (const TParadoxField& field : layout->Fields)
        hasBlobs = hasBlobs || field.Rule->Kind == TValueKind::Memo ||
                   field.Rule->Kind == TValueKind::Blob || field.Rule->Kind == TValueKind::Graphic;
    TMemoFile memo;
    bool memoOpen = false;
    QString memoProblem;
    if (hasBlobs) {
        const QString memoFile = MemoFileOf(path);
        memoOpen = !memoFile.isEmpty() && memo.Open(memoFile);
        memoProblem = memoFile.isEmpty() ? u"its memo file (.MB) is missing"_s
                      : memoOpen         ? u"some memo texts cannot be found in its memo file"_s
                                 : u"its memo file "_s + QDir::toNativeSeparators(memoFile) +
                                       u" cannot be read"_s;
    }

    QStringList names;
    QStringList definitions;
    for (const TParadoxField& field : layout->Fields) {
        names << DecodeCodePage(field.Name, layout->CodePage);
        QString declared = QString::fromLatin1(field.Rule->Declared);
        if (field.Rule->Kind == TValueKind::Alpha)
            declared += u'(' + QString::number(field.Size) + u')';
        definitions << QuoteIdentifier(names.back()) + u' ' + declared;
    }
    const QString table = u"temp."_s + QuoteIdentifier(tempTable);
    if (!engine.ExecuteNative(u"DROP TABLE IF EXISTS "_s + table) ||
        !engine.ExecuteNative(u"CREATE TEMP TABLE "_s + QuoteIdentifier(tempTable) + u" ("_s +
                              definitions.join(u", "_s) + u')'))
        return fail(engine.LastError());

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    TParadoxReader reader(*layout, doc.get(), memoOpen ? &memo : nullptr);
    QByteArray records;
    std::size_t block = 0;
    int inBlock = 0;
    QString readError;
    const bool ok = engine.InsertRows(table, names, [&](TRowBinder& row) {
        while (block < layout->Blocks.size() && inBlock >= layout->Blocks[block].Records) {
            ++block;
            inBlock = 0;
        }
        if (block >= layout->Blocks.size())
            return false;
        if (inBlock == 0) {
            const TDataBlock& data = layout->Blocks[block];
            const qint64 bytes = static_cast<qint64>(data.Records) * layout->RecordSize;
            records = file.seek(data.FirstRecord) ? file.read(bytes) : QByteArray();
            if (records.size() != bytes) {
                readError = u"the Paradox table cannot be read: "_s + file.errorString();
                return false;
            }
        }
        reader.BindRecord(records.data() + static_cast<qsizetype>(inBlock) * layout->RecordSize,
                          row);
        ++inBlock;
        return true;
    });
    if (!ok || !readError.isEmpty()) {
        const QString why = readError.isEmpty() ? engine.LastError() : readError;
        engine.ExecuteNative(u"DROP TABLE IF EXISTS "_s + table);
        return fail(why);
    }
    if (notice && reader.MemoMissed())
        *notice = path + u": "_s + memoProblem + u"; those memo fields were left empty"_s;
    return true;
}
