#pragma once

#include <QObject>

class TMemForm;

// The grid menu's channel actions: a channel into a VFO, deleting channels, a channel's
// frequency into the search pass list, and CTCSS tones from a list file. The table and receiver
// work is TChannelMaintenance's; this class asks, tells and updates the main window's panel.
class TChannelActions : public QObject {
    Q_OBJECT

public:
    TChannelActions(TMemForm& form, QObject* parent);

    // "To Vfo A" .. "To Vfo E".
    void CopyToVfo(QChar letter);
    // "To Current Vfo": nothing while the memory is current.
    void CopyToCurrentVfo();
    // "Delete Mem" and "Del": the current row, or every selected row with multi-row selection.
    void DeleteMem();
    // "Add to Search Pass Freqs".
    void AddToSearchPassFreqs();
    // "Import CTCSS to Rx Mem Channels": asks for the file, then imports it.
    void ImportCtcss();
    void ImportCtcssFile(const QString& fileName);

private:
    // The main window's panel shows where the receiver is after channels were deleted.
    void ShowReceiverAfterDelete();

    TMemForm& FForm;
};
