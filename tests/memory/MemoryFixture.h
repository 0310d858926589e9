#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A program folder of its own for each test: KOVELA_HOME points at a fresh temporary folder.
struct TMemoryHome {
    QTemporaryDir Dir;

    TMemoryHome() { qputenv("KOVELA_HOME", Dir.path().toUtf8()); }
    QString Path(const QString& name) const { return Dir.filePath(name); }
};

inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}
