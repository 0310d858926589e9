#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class TDataModule1;
class TMemForm;
class TTableView;

// The first of the lines a read-in skipped, enough to see what is wrong without a message box
// taller than the screen.
QString SkippedLinesText(const QStringList& skipped);
// Writes the rows the window shows to `path` with `write` while the window is busy, and tells
// a failure; does nothing for an empty path (the save dialog was cancelled).
void ExportShownRows(TMemForm& form, const QString& path,
                     const std::function<bool(TTableView&, const QString&, QString&)>& write);
// Runs `read` into the current bank table while the window is busy; when it fails the view is
// opened again on all rows, so the window stays usable. Returns what `read` returned.
bool ReadIntoBank(TMemForm& form, const std::function<bool(TDataModule1&)>& read);

// The memory window's exchange with Kv7 text databases: export of the rows shown, read-in into
// the current bank table, and renumbering a saved file into a new one.
class TKv7Exchange : public QObject {
    Q_OBJECT

public:
    TKv7Exchange(TMemForm& form, QObject* parent);

    // "&Export": every row the view shows, in its order.
    void ExportBank1();
    // "&Read in an Kv7 table": the file's records replace the rows of their channels.
    void ReadinanKv7table1();
    // "&Relocate Kv7 saved table": a saved file renumbered from a chosen channel on.
    void RelocateKv7savedtable1();

    // Picks the Kv7 file to read, with the preview of the chosen file; empty when cancelled.
    std::function<QString(const QString& title, const QString& folder, const QString& filter)>
        ChooseFile;

private:
    // The channel to renumber from; nullopt when the user cancels.
    std::optional<int> AskStartNumber() const;

    TMemForm& FForm;
};
