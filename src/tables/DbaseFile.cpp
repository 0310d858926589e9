#include "DbaseFile.h"

#include "TableEngine.h"
#include "TableView.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringConverter>
#include <QTime>

#include <shapefil.h>

#include <array>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr int kDbaseHeaderBytes = 32;
constexpr int kMaxFieldName = 10;
constexpr int kMaxTextWidth = 254;
constexpr int kFloatWidth = 20;
constexpr int kFloatDecimals = 6;
constexpr int kSmallIntWidth = 6;
constexpr int kIntegerWidth = 11;
constexpr std::array<unsigned char, 15> kDbaseVersions = {
    0x02, 0x03, 0x04, 0x05, 0x30, 0x31, 0x32, 0x43, 0x63, 0x83, 0x8B, 0x8E, 0xCB, 0xF5, 0xFB};

// shapelib derives the names of the files it opens from the name it is given (".dbf" in place of
// any extension, a ".cpg" beside it); these hooks send it to exactly the file meant.
thread_local QByteArray tTargetPath;
thread_local QString tError;

SAHooks DefaultHooks() {
    SAHooks hooks;
#ifdef SHPAPI_UTF8_HOOKS
    SASetupUtf8Hooks(&hooks);
#else
    SASetupDefaultHooks(&hooks);
#endif
    return hooks;
}

SAFile OpenTarget(const char* fileName, const char* access) {
    const QByteArray name(fileName);
    if (name.endsWith(".cpg") || name.endsWith(".CPG"))
        return nullptr;
    return DefaultHooks().FOpen(tTargetPath.constData(), access);
}

int RemoveNothing(const char*) {
    return 0;
}

void CaptureError(const char* message) {
    if (tError.isEmpty())
        tError = QString::fromLocal8Bit(message);
}

SAHooks TargetHooks(const QString& path) {
#ifdef SHPAPI_UTF8_HOOKS
    tTargetPath = path.toUtf8();
#else
    tTargetPath = QFile::encodeName(path);
#endif
    tError.clear();
    SAHooks hooks = DefaultHooks();
    hooks.FOpen = &OpenTarget;
    hooks.Remove = &RemoveNothing;
    hooks.Error = &CaptureError;
    return hooks;
}

struct TDbaseField {
    QString Name;
    TFieldKind Kind = TFieldKind::Text;
    char Type = 'C';
    int Width = 0;
    int Decimals = 0;
};

TDbaseField DbaseFieldFor(const TTableEngine::TColumn& column) {
    TDbaseField field;
    field.Name = column.Name;
    int size = 0;
    field.Kind = FieldKindOf(column.Type, &size);
    switch (field.Kind) {
    case TFieldKind::Float:
        field.Type = 'N';
        field.Width = kFloatWidth;
        field.Decimals = kFloatDecimals;
        break;
    case TFieldKind::Integer:
        field.Type = 'N';
        field.Width = column.Type.toUpper().contains(u"SMALL"_s) ? kSmallIntWidth : kIntegerWidth;
        break;
    case TFieldKind::Boolean:
        field.Type = 'L';
        field.Width = 1;
        break;
    case TFieldKind::Date:
        field.Type = 'D';
        field.Width = 8;
        break;
    case TFieldKind::Time:
        field.Width = 8;
        break;
    default:
        field.Kind = TFieldKind::Text;
        field.Width = size > 0 ? std::min(size, kMaxTextWidth) : kMaxTextWidth;
        break;
    }
    return field;
}

QString DeclaredTypeFor(char type, int width, int decimals) {
    switch (type) {
    case 'N':
    case 'F':
        if (decimals > 0)
            return u"REAL"_s;
        return width <= kSmallIntWidth ? u"SMALLINT"_s : u"INTEGER"_s;
    case 'L':
        return u"BOOLEAN"_s;
    case 'D':
        return u"DATE TEXT"_s;
    default:
        return u"CHARACTER("_s + QString::number(width) + u')';
    }
}

bool WriteValue(DBFHandle handle, int row, int column, const TDbaseField& field,
                const QVariant& value) {
    if (value.isNull())
        return DBFWriteNULLAttribute(handle, row, column) != 0;
    switch (field.Kind) {
    case TFieldKind::Float:
        return DBFWriteDoubleAttribute(handle, row, column, value.toDouble()) != 0;
    case TFieldKind::Integer:
        return DBFWriteIntegerAttribute(handle, row, column, value.toInt()) != 0;
    case TFieldKind::Boolean:
        return DBFWriteLogicalAttribute(handle, row, column, value.toBool() ? 'T' : 'F') != 0;
    case TFieldKind::Date: {
        QByteArray text =
            QDate::fromString(value.toString(), Qt::ISODate).toString(u"yyyyMMdd"_s).toLatin1();
        if (text.isEmpty())
            return DBFWriteNULLAttribute(handle, row, column) != 0;
        return DBFWriteAttributeDirectly(handle, row, column, text.data()) != 0;
    }
    default: {
        // A text longer than its field is cut, as dBASE itself does.
        const QByteArray text = value.toString().toLatin1().left(field.Width);
        DBFWriteStringAttribute(handle, row, column, text.constData());
        return true;
    }
    }
}

} // namespace

bool LooksLikeDbase(const QString& path, QString* error) {
    auto fail = [&](const QString& text) {
        if (error)
            *error = path + u": "_s + text;
        return false;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    const QByteArray header = file.read(kDbaseHeaderBytes);
    if (header.size() < kDbaseHeaderBytes)
        return fail(u"not a dBASE table (too short)"_s);
    auto byte = [&](int i) {
        return static_cast<unsigned char>(header[i]);
    };
    const bool knownVersion =
        std::find(kDbaseVersions.cbegin(), kDbaseVersions.cend(), byte(0)) != kDbaseVersions.cend();
    const qint64 records =
        byte(4) | (byte(5) << 8) | (byte(6) << 16) | (static_cast<qint64>(byte(7)) << 24);
    const int headerLength = byte(8) | (byte(9) << 8);
    const int recordLength = byte(10) | (byte(11) << 8);
    const bool plausible = knownVersion && byte(2) >= 1 && byte(2) <= 12 && byte(3) >= 1 &&
                           byte(3) <= 31 && headerLength > kDbaseHeaderBytes && recordLength > 1;
    if (!plausible)
        return fail(u"not a dBASE table"_s);
    if (file.size() < headerLength + records * recordLength)
        return fail(u"the dBASE table is truncated"_s);
    return true;
}

bool WriteDbaseTable(TTableEngine& engine, const QString& table, const QString& dbfPath,
                     QString& error) {
    const auto columns = engine.Columns(table);
    if (!columns) {
        error = engine.LastError();
        return false;
    }
    std::vector<TDbaseField> fields;
    for (const TTableEngine::TColumn& column : *columns) {
        if (column.Name.size() > kMaxFieldName || column.Name.toLatin1() != column.Name.toUtf8()) {
            error = u"Field name unsuitable for dBASE: "_s + column.Name;
            return false;
        }
        fields.push_back(DbaseFieldFor(column));
    }
    const QFileInfo target(dbfPath);
    const QString partial =
        target.absolutePath() + u"/."_s + target.completeBaseName() + u"-writing.dbf"_s;
    QFile::remove(partial);
    SAHooks hooks = TargetHooks(partial);
    DBFHandle handle = DBFCreateLL(partial.toUtf8().constData(), "LDID/87", &hooks);
    if (!handle) {
        error = dbfPath + u": "_s + (tError.isEmpty() ? u"cannot create the file"_s : tError);
        return false;
    }
    bool ok = true;
    for (const TDbaseField& field : fields)
        ok = ok && DBFAddNativeFieldType(handle, field.Name.toLatin1().constData(), field.Type,
                                         field.Width, field.Decimals) >= 0;
    int row = 0;
    ok = ok && engine.ForEachRow(u"SELECT * FROM "_s + table, {}, [&](const QVariantList& values) {
        for (int c = 0; c < static_cast<int>(fields.size()) && ok; ++c) {
            QVariant value = values.value(c);
            if (fields[static_cast<std::size_t>(c)].Kind == TFieldKind::Time && !value.isNull())
                value = value.toString().left(8);
            ok = WriteValue(handle, row, c, fields[static_cast<std::size_t>(c)], value);
        }
        ++row;
        return ok;
    });
    const QString engineError = engine.LastError();
    DBFClose(handle);
    if (!ok || !tError.isEmpty()) {
        error = dbfPath + u": "_s +
                (!tError.isEmpty() ? tError
                 : row > 0         ? u"a value does not fit its dBASE field"_s
                                   : engineError);
        QFile::remove(partial);
        return false;
    }
    if (!ReplaceFile(partial, dbfPath, error)) {
        QFile::remove(partial);
        return false;
    }
    return true;
}

bool ReadDbaseTable(TTableEngine& engine, const QString& dbfPath, const QString& tempTable,
                    QString& error) {
    if (!LooksLikeDbase(dbfPath, &error))
        return false;
    SAHooks hooks = TargetHooks(dbfPath);
    DBFHandle handle = DBFOpenLL(dbfPath.toUtf8().constData(), "rb", &hooks);
    if (!handle) {
        error = dbfPath + u": "_s + (tError.isEmpty() ? u"not a dBASE table"_s : tError);
        return false;
    }
    const int fieldCount = DBFGetFieldCount(handle);
    std::vector<char> types;
    std::vector<int> decimals;
    QStringList names;
    QStringList definitions;
    for (int f = 0; f < fieldCount; ++f) {
        char name[XBASE_FLDNAME_LEN_READ + 1] = {};
        int width = 0;
        int places = 0;
        DBFGetFieldInfo(handle, f, name, &width, &places);
        const char type = DBFGetNativeFieldType(handle, f);
        types.push_back(type);
        decimals.push_back(places);
        names << QString::fromLatin1(name);
        definitions << QuoteIdentifier(names.back()) + u' ' + DeclaredTypeFor(type, width, places);
    }
    const QString table = u"temp."_s + QuoteIdentifier(tempTable);
    bool ok = engine.ExecuteNative(u"DROP TABLE IF EXISTS "_s + table) &&
              engine.ExecuteNative(u"CREATE TEMP TABLE "_s + QuoteIdentifier(tempTable) + u" ("_s +
                                   definitions.join(u", "_s) + u')');
    const int records = DBFGetRecordCount(handle);
    int record = 0;
    ok = ok && engine.InsertRows(table, names, [&](TRowBinder& row) {
        while (record < records && DBFIsRecordDeleted(handle, record))
            ++record;
        if (record >= records || !tError.isEmpty())
            return false;
        for (int f = 0; f < fieldCount; ++f) {
            if (DBFIsAttributeNULL(handle, record, f)) {
                row.BindNull(f);
                continue;
            }
            switch (types[static_cast<std::size_t>(f)]) {
            case 'N':
            case 'F': {
                const double value = DBFReadDoubleAttribute(handle, record, f);
                if (decimals[static_cast<std::size_t>(f)] > 0)
                    row.BindNumber(f, value);
                else
                    row.BindInteger(f, std::llround(value));
                break;
            }
            case 'L': {
                const char* text = DBFReadLogicalAttribute(handle, record, f);
                const char c = text ? text[0] : '?';
                if (c == 'T' || c == 't' || c == 'Y' || c == 'y')
                    row.BindInteger(f, 1);
                else if (c == 'F' || c == 'f' || c == 'N' || c == 'n')
                    row.BindInteger(f, 0);
                else
                    row.BindNull(f);
                break;
            }
            case 'D': {
                const QDate date = QDate::fromString(
                    QString::fromLatin1(DBFReadStringAttribute(handle, record, f)), u"yyyyMMdd"_s);
                if (date.isValid())
                    row.BindText(f, date.toString(Qt::ISODate));
                else
                    row.BindNull(f);
                break;
            }
            default: {
                const char* text = DBFReadStringAttribute(handle, record, f);
                row.BindText(f, QString::fromLatin1(text ? text : ""));
                break;
            }
            }
        }
        ++record;
        return true;
    });
    DBFClose(handle);
    if (!tError.isEmpty()) {
        error = dbfPath + u": "_s + tError;
        engine.ExecuteNative(u"DROP TABLE IF EXISTS "_s + table);
        return false;
    }
    if (!ok) {
        error = dbfPath + u": "_s + engine.LastError();
        return false;
    }
    return true;
}
