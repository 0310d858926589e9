#pragma once

// Writes real Paradox tables with pxlib, for the tests of the readers of older tables.
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QVariant>

// paradox.h declares its functions without C linkage.
extern "C" {
#include <paradox.h>
}

#include <vector>

namespace paradox_writer {

struct TPxColumn {
    const char* Name;
    char Type;
    int Size;
};

inline constexpr TPxColumn kLogColumns[] = {
    {"ID", pxfAutoInc, 4},      {"Freq", pxfNumber, 8},   {"Mode", pxfAlpha, 3},
    {"BW", pxfAlpha, 3},        {"Step", pxfAlpha, 7},    {"Ant", pxfAlpha, 4},
    {"Stadj", pxfLogical, 1},   {"Squelch", pxfShort, 2}, {"LogDate", pxfDate, 4},
    {"LogTime", pxfTime, 4},    {"Signal", pxfShort, 2},  {"Notes", pxfMemoBLOb, 11},
    {"CategoryID", pxfLong, 4},
};
inline constexpr int kLogColumnCount = static_cast<int>(std::size(kLogColumns));
inline constexpr qint64 kDayZero = 1721425; // the Julian day before 1 January of year 1

inline QString tWriteError;

inline void KeepWriteError(pxdoc_t*, int level, const char* message, void*) {
    if (level != PX_Warning && tWriteError.isEmpty())
        tWriteError = QString::fromLocal8Bit(message);
}

inline pxval_t* MakeValue(pxdoc_t* doc, const TPxColumn& column, const QVariant& value,
                          std::vector<QByteArray>& keep) {
    pxval_t* v = nullptr;
    MAKE_PXVAL(doc, v);
    v->type = column.Type;
    v->isnull = value.isNull() ? 1 : 0;
    if (value.isNull())
        return v;
    switch (column.Type) {
    case pxfNumber:
    case pxfCurrency:
        v->value.dval = value.toDouble();
        break;
    case pxfTimestamp: {
        const QDateTime stamp = value.toDateTime();
        v->value.dval = double(stamp.date().toJulianDay() - kDayZero) * 86400000.0 +
                        stamp.time().msecsSinceStartOfDay();
        break;
    }
    case pxfAlpha:
    case pxfMemoBLOb:
        keep.push_back(value.toByteArray());
        v->value.str.val = keep.back().data();
        v->value.str.len = static_cast<int>(keep.back().size());
        break;
    case pxfDate: {
        const QDate date = value.toDate();
        v->value.lval = PX_GregorianToSdn(date.year(), date.month(), date.day()) - kDayZero;
        break;
    }
    case pxfTime:
        v->value.lval = value.toTime().msecsSinceStartOfDay();
        break;
    default:
        v->value.lval = value.toLongLong();
        break;
    }
    return v;
}

// Writes a Paradox 7 table with pxlib itself, memo texts in memoPath. Each row holds a value per
// column; a null QVariant writes Null, texts are code page bytes.
inline bool WriteParadox(const QString& path, const QString& memoPath,
                         const QList<TPxColumn>& columns, const QList<QVariantList>& rows) {
    tWriteError.clear();
    pxdoc_t* doc = PX_new2(&KeepWriteError, nullptr, nullptr, nullptr);
    const auto count = static_cast<int>(columns.size());
    // pxlib owns the field list from here on and frees it with the table.
    auto* fields =
        static_cast<pxfield_t*>(doc->malloc(doc, std::size_t(count) * sizeof(pxfield_t), "fields"));
    for (int c = 0; c < count; ++c) {
        fields[c].px_fname = PX_strdup(doc, columns[c].Name);
        fields[c].px_ftype = columns[c].Type;
        fields[c].px_flen = columns[c].Size;
        fields[c].px_fdc = 0;
    }
    bool ok = PX_create_file(doc, fields, count, QFile::encodeName(path).constData(),
                             pxfFileTypNonIndexDB) == 0 &&
              PX_set_blob_file(doc, QFile::encodeName(memoPath).constData()) == 0;
    for (const QVariantList& row : rows) {
        if (!ok)
            break;
        std::vector<QByteArray> keep;
        keep.reserve(std::size_t(count));
        std::vector<pxval_t*> record;
        for (int c = 0; c < count; ++c)
            record.push_back(MakeValue(doc, columns[c], row.value(c), keep));
        ok = PX_insert_record(doc, record.data()) >= 0;
        for (pxval_t* v : record)
            FREE_PXVAL(doc, v);
    }
    PX_close(doc);
    PX_delete(doc);
    if (!tWriteError.isEmpty())
        qWarning("pxlib: %s", qPrintable(tWriteError));
    return ok && tWriteError.isEmpty();
}

inline bool WriteParadoxLog(const QString& path, const QString& memoPath,
                            const QList<QVariantList>& rows) {
    return WriteParadox(path, memoPath,
                        QList<TPxColumn>(std::begin(kLogColumns), std::end(kLogColumns)), rows);
}

} // namespace paradox_writer
