#pragma once

#include "ChannelMover.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QRadioButton;
class QToolButton;
class TMemForm;
class TMemoryGrid;
class TTableModel;

// Asks whether the rows dropped are moved or copied.
class TMoveConfirmForm : public QDialog {
    Q_OBJECT

public:
    explicit TMoveConfirmForm(const QString& question, QWidget* parent = nullptr);

    TMoveKind Kind() const;
    void SetKind(TMoveKind kind);

private:
    QRadioButton* FMove = nullptr;
    QRadioButton* FCopy = nullptr;
    QLabel* FLabel2 = nullptr;
};

// The move window: the memory view on the left as the source, the whole bank table (the move
// table) on the right as the target. Rows dragged from one onto a row of the other are moved or
// copied there by TChannelMover; this class is the window around it.
class TMoveForm : public QDialog {
    Q_OBJECT

public:
    enum class TDragCursor { Normal, ScrollUp, ScrollDown };

    explicit TMoveForm(TMemForm& memForm, QWidget* parent = nullptr);
    ~TMoveForm() override;

    TChannelMover& Mover() { return *FMover; }
    TMemoryGrid* SourceGrid() const { return FSourceGrid; }
    TMemoryGrid* TargetGrid() const { return FTargetGrid; }

    // Move or Copy for the question; nullopt when cancelled. Tests answer it.
    std::function<std::optional<TMoveKind>(const QString& question)> AskMoveOrCopy;

    // Whether a drag from `source` may be dropped on the target grid.
    bool AcceptsDragFrom(const QObject* source) const;
    // A drag over the target grid: over its titles (overTitles) or at pos in its rows. The
    // target scrolls or its current row follows; the cursor says which.
    void DragOverTarget(bool overTitles, const QPoint& pos);
    TDragCursor DragCursor() const { return FDragCursor; }
    // The source rows dropped on the target's current row.
    void DropOnTarget();

    void SourceJumpToMem();
    void SourceJumpByHundred(int hundred);
    void SourceHideBlanks();
    void SourceShowAll();
    void TargetJumpToMem();
    void TargetJumpByHundred(int hundred);
    // The width that keeps the target's tool group above the target grid.
    int SpacerWidth() const;

    void done(int result) override;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildToolRow();
    QToolButton* Button(const QString& name, const QString& text, const QString& hint);
    QWidget* Navigator(const QString& prefix, class TTableView& view);
    void UpdateSpacer();
    void SetDragCursor(TDragCursor cursor);
    void MoveTargetBy(int rows);
    void Report(const TMoveOutcome& outcome);
    void ShowAfterDrop(const TMoveOutcome& outcome);

    TMemForm& FMemForm;
    std::unique_ptr<TChannelMover> FMover;
    TTableModel* FTargetModel = nullptr;
    TMemoryGrid* FSourceGrid = nullptr;
    TMemoryGrid* FTargetGrid = nullptr;
    QWidget* FSourceNavigator = nullptr;
    QToolButton* FSourceMem = nullptr;
    QToolButton* FSourceJump = nullptr;
    QToolButton* FTargetJump = nullptr;
    QWidget* FSpacer = nullptr;
    QLineEdit* FMaskEdit1 = nullptr;
    QLineEdit* FMaskEdit2 = nullptr;
    QMenu* FSourcePopupMenu = nullptr;
    QMenu* FTargetPopupMenu = nullptr;
    QLabel* FInfoPanel = nullptr;
    QCheckBox* FMultiSelect = nullptr;
    TDragCursor FDragCursor = TDragCursor::Normal;
};

// The memory window's "Move Mem": every memory shown, polling off, the move table on the current
// bank, and the move window shown modally until it closes.
void OpenMoveForm(TMemForm& memForm);
