#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class TMemForm;

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
