#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// What every target needs once per process: an application object (event loop, file system)
// and a private folder for the files a target writes its input into.
inline QCoreApplication& FuzzApplication() {
    static int argc = 1;
    static char name[] = "kovela-fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

inline const QTemporaryDir& FuzzFolder() {
    static QTemporaryDir folder;
    return folder;
}

inline QByteArray FuzzBytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// Writes the input as a file of the private folder and returns its path.
inline QString FuzzFile(const QString& name, const std::uint8_t* data, std::size_t size) {
    const QString path = FuzzFolder().filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(FuzzBytes(data, size)) != static_cast<qint64>(size))
        std::abort();
    return path;
}
