#pragma once

#include <QDialog>
#include <QObject>

#include <functional>
#include <optional>

class QDropEvent;
class QLabel;
class QLineEdit;
class TMemForm;
class TTableView;

// "Write to Memory 000?" with the text the channel gets.
class TConfirmAddMemForm : public QDialog {
    Q_OBJECT

public:
    explicit TConfirmAddMemForm(const QString& mem, QWidget* parent = nullptr);
    QString Text() const;

private:
    QLabel* FLabel1;
    QLineEdit* FMemTextEdit;
};

// A VFO box dropped on the memory grid: the channel under the mouse takes what the main window's
// panel shows, and goes to the receiver at once.
class TVfoDrop : public QObject {
    Q_OBJECT

public:
    TVfoDrop(TMemForm& form, QObject* parent);

    // The confirmation, replaceable in tests; nullopt when cancelled.
    std::function<std::optional<QString>(const QString& mem)> AskText;

    // Stores the box's frequency and the settings it was heard with (the Main page's, or the
    // search page's for the search display) into the current row, and writes it.
    void StoreVfo(const QLineEdit& box);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The frequency box being dragged from this program, or null for anything else (a memory
    // row dragged from MemEdit included: its text is a channel, not a frequency).
    const QLineEdit* DraggedBox(const QDropEvent* event) const;
    void FollowMouse(const QPoint& pos);
    void StorePanelSettings(TTableView& view) const;
    void StoreSearchSettings(TTableView& view) const;

    TMemForm& FForm;
};
