#pragma once

#include "memory/MemoryFixture.h"

#include "DataUnit1.h"

// Every row of a table as text, to see whether anything at all changed.
inline QString TableSnapshot(TTableEngine& engine,
                             const QString& table = QStringLiteral("MemoryBank0.dbf")) {
    QString all;
    engine.ForEachRow(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" ORDER BY MEM"),
                      {}, [&](const QVariantList& row) {
                          for (const QVariant& v : row)
                              all += v.isNull() ? QStringLiteral("<null>") : v.toString();
                          all += u'\n';
                          return true;
                      });
    return all;
}

inline qint64 CountRows(TTableEngine& engine, const QString& where) {
    return engine.QueryValue(QStringLiteral("SELECT count(*) FROM MemoryBank0.dbf WHERE ") + where)
        .value_or(-1)
        .toLongLong();
}

// The bank tables ready in a program folder of their own.
struct TBankTableFixture {
    TMemoryHome Home;
    TDataModule1 Module{Home.Dir.path()};

    TBankTableFixture() {
        if (!Module.DataModule1Create())
            qFatal("tables: %s", qPrintable(Module.LastError()));
    }
    qint64 Count(const QString& where) { return CountRows(Module.Engine(), where); }
    QString Snapshot() { return TableSnapshot(Module.Engine()); }
};
