#pragma once

#include "CategoryTable.h"
#include "SqlDialect.h"
#include "TableEngine.h"

#include <QTemporaryDir>

// A log table (made as the log window makes one) with its categories table, in a fresh program
// folder of its own.
struct TLogFixture {
    QTemporaryDir Dir;
    TTableEngine Engine{Dir.path()};
    QString LogPath;
    QString CategoryPath;

    explicit TLogFixture(const QString& logName = QStringLiteral("Log_Kv7.DB")) {
        qputenv("KOVELA_HOME", Dir.path().toUtf8());
        LogPath = Dir.filePath(logName);
        CategoryPath = CategoryTableFileFor(LogPath);
        const QString table = QuoteFileName(LogPath);
        QString error;
        if (!Engine.Execute(QStringLiteral("CREATE TABLE ") + table + QStringLiteral(" ") +
                            QStringLiteral("(ID AUTOINC,Freq FLOAT(11,6),Mode CHARACTER(3),BW "
                                           "CHARACTER(3),Step CHARACTER(7),Ant CHARACTER(4),Stadj "
                                           "BOOLEAN,Squelch SMALLINT,LogDate DATE,LogTime "
                                           "TIME,Signal SMALLINT,Notes BLOB(1,1),CategoryID "
                                           "INTEGER,PRIMARY KEY(ID))")) ||
            !EnsureCategoryTable(Engine, CategoryPath, error))
            qFatal("log fixture: %s", qPrintable(error + Engine.LastError()));
    }

    qint64 AddCategory(const QString& text) {
        QString error;
        const auto id = FindOrAddCategory(Engine, CategoryPath, text, error);
        if (!id)
            qFatal("log fixture: %s", qPrintable(error));
        return *id;
    }

    // A log row on `freqMHz` with the category given (null for none); its ID.
    qint64 AddLogRow(double freqMHz, const QVariant& categoryId = {}, const QString& notes = {}) {
        const QString table = QuoteFileName(LogPath);
        if (!Engine.Execute(QStringLiteral("INSERT INTO ") + table +
                                QStringLiteral(" (Freq, CategoryID, Notes) VALUES (?, ?, ?)"),
                            {freqMHz, categoryId, notes}))
            qFatal("log fixture: %s", qPrintable(Engine.LastError()));
        return Engine.QueryValue(QStringLiteral("SELECT max(ID) FROM ") + table)
            .value_or(QVariant())
            .toLongLong();
    }

    QVariant Query(const QString& sql, const QVariantList& parameters = {}) {
        return Engine.QueryValue(sql, parameters).value_or(QStringLiteral("<error>"));
    }
};
