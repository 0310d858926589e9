#pragma once

#include "CategoryTable.h"
#include "LogTable.h"
#include "SqlDialect.h"
#include "TableEngine.h"

#include <QDate>
#include <QElapsedTimer>
#include <QString>
#include <QTime>

#include <cstdio>
#include <cstdlib>
#include <functional>

inline double BenchTimeMs(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

inline void BenchFail(const QString& text) {
    std::fprintf(stderr, "%s\n", qPrintable(text));
    std::exit(1);
}

// An empty log table with its categories table beside it, as the log window makes them.
inline void MakeLogTable(TTableEngine& engine, const QString& path) {
    QString error;
    if (!CreateLogTable(engine, path, error) ||
        !EnsureCategoryTable(engine, CategoryTableFileFor(path), error))
        BenchFail(error);
}

// `rows` log rows over twenty years; one in ten on 145.5 MHz, the first `blockRows` IDs in
// category 1, the others in category 2. With `quotedNotes` one note in ten holds a comma, so a
// CSV writer has fields to quote.
inline void FillLog(TTableEngine& engine, const QString& path, int rows, int blockRows,
                    bool quotedNotes = false) {
    using namespace Qt::StringLiterals;
    quint32 seed = 4242;
    int row = 0;
    const QDate first(2006, 1, 1);
    const bool ok = engine.InsertRows(
        QuoteFileName(path),
        {u"Freq"_s, u"Mode"_s, u"BW"_s, u"Step"_s, u"Ant"_s, u"Stadj"_s, u"Squelch"_s, u"LogDate"_s,
         u"LogTime"_s, u"Signal"_s, u"Notes"_s, u"CategoryID"_s},
        [&](TRowBinder& binder) {
            if (row == rows)
                return false;
            seed = seed * 1664525u + 1013904223u;
            const double freq =
                row % 10 == 0 ? 145.5 : 0.01 + static_cast<double>(seed % 259999000u) / 100000.0;
            binder.BindNumber(0, freq);
            binder.BindText(1, u"FM");
            binder.BindText(2, u"15");
            binder.BindText(3, u"12.5");
            binder.BindText(4, u"Auto");
            binder.BindInteger(5, 0);
            binder.BindInteger(6, 255);
            binder.BindText(7, first.addDays((seed >> 8) % 7300).toString(Qt::ISODate));
            binder.BindText(
                8, QTime(0, 0).addSecs(static_cast<int>(seed % 86400)).toString(u"HH:mm:ss"_s));
            binder.BindInteger(9, static_cast<int>(seed % 256));
            binder.BindText(10,
                            quotedNotes && row % 10 == 1 ? u"NET, WEEKLY" : u"HEARD ON THE BENCH");
            binder.BindInteger(11, row < blockRows ? 1 : 2);
            ++row;
            return true;
        });
    if (!ok)
        BenchFail(engine.LastError());
}
