#pragma once

#include <QFileDialog>

class QPlainTextEdit;

// A file-open dialog with a read-only memo beside the file list that tells what the selected
// Kv7 file holds, refilled whenever the selection changes.
class TOpenMemoDialog : public QFileDialog {
    Q_OBJECT

public:
    TOpenMemoDialog(QWidget* parent, const QString& title, const QString& folder,
                    const QString& filter);

    QPlainTextEdit* InfoMemo() const { return FInfoMemo; }

    // Shows the dialog and returns the chosen file, empty when cancelled.
    static QString GetFile(QWidget* parent, const QString& title, const QString& folder,
                           const QString& filter);

private:
    void SelectionChanged(const QString& path);

    QPlainTextEdit* FInfoMemo = nullptr;
};
