#pragma once

#include <QObject>

class TMemForm;
class QString;

// The save dialog in the data folder with a default extension: a name typed without it gets it,
// and a file that the longer name then names is asked about before it is replaced. Empty when
// cancelled.
QString AskSaveFileName(const QString& caption, const QString& filter, const QString& suffix);

// The upkeep of the current table from the memory window's File menu: blanking, resetting the
// CHANGED flags, saving and opening whole tables, rebuilding the indexes.
class TMemoryMaintenance : public QObject {
    Q_OBJECT

public:
    TMemoryMaintenance(TMemForm& form, QObject* parent);

    void BlankTable();
    // Blanks channels hundred*100 .. hundred*100+99 of the table, and of the receiver when the
    // link is up.
    void BlankBank(int hundred);
    void ResetChangedFlags();
    void SaveTableAs();
    void OpenTable();
    void RebuildIndexes();

private:
    // Blanks the rows first..last of the whole table in one transaction.
    void BlankRows(int first, int last);
    void ShowError(const QString& text) const;

    TMemForm& FForm;
};
