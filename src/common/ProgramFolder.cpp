#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

const QString kSettingsName = u"Kovela.INI"_s;

QString& SettingsOverride() {
    static QString fileName;
    return fileName;
}

QString FindProgramFolder() {
    const QString fromEnvironment = qEnvironmentVariable("KOVELA_HOME");
    if (!fromEnvironment.isEmpty())
        return QDir::cleanPath(QDir(fromEnvironment).absolutePath());
    const QString executableFolder = QCoreApplication::applicationDirPath();
    if (!executableFolder.isEmpty() && QFileInfo::exists(executableFolder + u'/' + kSettingsName) &&
        QFileInfo(executableFolder).isWritable())
        return executableFolder;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

} // namespace

QString ProgramFolder() {
    const QString folder = FindProgramFolder();
    QDir().mkpath(folder);
    return folder;
}

QString ShippedDataFileFrom(const QString& executableFolder, const QString& name) {
    // Relative to the executable rather than a prefix fixed at build time, so the installed tree
    // can be moved or unpacked anywhere.
    for (const QString& folder : {executableFolder, executableFolder + u"/../share/kovela"_s}) {
        const QString candidate = QDir::cleanPath(folder + u'/' + name);
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    return {};
}

QString ShippedDataFile(const QString& name) {
    return ShippedDataFileFrom(QCoreApplication::applicationDirPath(), name);
}

QString ProgramFile(const QString& name) {
    return ProgramFolder() + u'/' + name;
}

QString DataFolder() {
    const QString folder = ProgramFile(u"data"_s);
    QDir().mkpath(folder);
    return folder;
}

QString SettingsFileName() {
    const QString& override = SettingsOverride();
    return override.isEmpty() ? ProgramFile(kSettingsName) : override;
}

void SetSettingsFileOverride(const QString& fileName) {
    SettingsOverride() = fileName;
}
