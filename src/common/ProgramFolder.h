#pragma once

#include <QString>

// The folder that holds the settings file, the tables, "data" and the message log:
// $KOVELA_HOME when set; else the executable's folder when it holds "Kovela.INI" and can be
// written (a portable install); else the per-user data folder. Created when missing.
QString ProgramFolder();

// Files that come with the program (the user guide, the beacon schedule) lie in one folder whose
// layout is the same everywhere: the executable's own folder in the build tree and in a portable
// install, "<prefix>/share/kovela" beside "<prefix>/bin" when installed. Each holds `name` at the
// same relative path. Empty when neither has it.
QString ShippedDataFile(const QString& name);
// The same search from `executableFolder`, so a layout can be checked without moving the program.
QString ShippedDataFileFrom(const QString& executableFolder, const QString& name);

// A file in the program folder.
QString ProgramFile(const QString& name);

// The one "data" folder of the program folder: saved tables, logs, exports. Created when missing.
QString DataFolder();

// "Kovela.INI" in the program folder, unless another file stands in for it.
QString SettingsFileName();

// Makes `fileName` the settings file of this run (a trial run keeps the user's file as it is
// by working on a copy); empty returns to the program folder's.
void SetSettingsFileOverride(const QString& fileName);
