#pragma once

#include "Records.h"
#include "TableView.h"
#include "VfoDropSequence.h"

#include <QColor>
#include <QMainWindow>

#include <array>
#include <memory>

class QAction;
class QActionGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPrinter;
class QRadioButton;
class QToolButton;
class TDataModule1;
class TMainForm;
class TMemoryGrid;
class TMemoryTransferController;
class TVfoDrop;
class TChannelActions;
class TMemoryPrinting;
class TSqlDirectForm;
class TIniFile;

// The memory window: the current memory bank table in an editable grid, and what decides which
// rows it shows and in which order (sort, hundreds, hidden blanks, quick filter, bookmark).
// Transfers to and from the receiver and the table's upkeep live in their own classes; this one
// builds the window and owns the view.
class TMemForm : public QMainWindow {
    Q_OBJECT

public:
    TMemForm(TMainForm& main, TDataModule1& dataModule, QWidget* parent = nullptr);
    ~TMemForm() override;

    TDataModule1& Data() const { return FData; }
    TMainForm& Main() const { return FMain; }
    TMemoryGrid* Grid() const { return FGrid; }
    TMemoryTransferController* Transfers() const { return FTransfers; }
    TVfoDrop* VfoDrop() const { return FVfoDrop; }
    TChannelActions* ChannelActions() const { return FChannelActions; }
    // "M&ulti Row Select for Delete": rows are selected for deleting, the grid menu is off.
    bool MultiRowSelect() const;
    void SetMultiRowSelect(bool on);
    TMemoryPrinting* Printing() const { return FPrinting; }

    // Set by the Cancel window while a transfer runs; polled by the transfer.
    bool CancelRequested = false;

    // The whole table in MEM order, every sub-selection off, on the row it was on.
    void ShowAllMemories();
    // The SQL button and Ctrl+Shift+Q: the sub-select window, made once and kept.
    void ShowSqlForm();
    TSqlDirectForm* SqlForm() const { return FSqlForm; }
    // "Clear ALL Select Scan flags" (the item ClearALLSelectScan1): asks, then clears the flag
    // in the receiver and in every row of the current bank table, and shows all memories.
    // Nothing without a link or while the main window scans or searches.
    void ClearAllSelectScan();
    // Bank 0 or the bank the receiver reports, after the link opened.
    void SelectBankTable();
    // The main window's side of a memory becoming current, then the channel panel green.
    void SwitchToMemorySelection();
    // Sends the current row's antenna to receivers that keep one per channel.
    void ApplyRowAntenna();
    // A record read from the receiver into the row of its channel.
    void StoreRxDatInRow(const TRxDat& rec);
    // Tunes the receiver to the current row (a double click).
    void TuneToRow();
    // Positions on a channel of the view; false when it is not there.
    bool LocateChannel(int channel);
    // The same, and the grid shows that row to the user.
    bool GoToChannel(int channel);
    // A channel's row as a drop on a VFO box uses it; nullopt when the view does not hold it,
    // or `bank` (-1 for any) is not the bank the view shows.
    std::optional<TDropRow> DropRow(int bank, int channel);
    // "Current Mem": the channel the panel shows, 000 while it shows none.
    void GoToCurrentMemory();
    void QuickJump();
    void Locate();
    void SetBookmark(bool on);
    void JumpToBookmark();
    bool HasBookmark() const { return FBookmark.IsValid(); }
    void JumpByHundred(int hundred);
    void SubSelectHundred(int hundred);
    void ToggleHideBlanks();
    void ApplyQuickFilter();
    void TitleClicked(int gridColumn);
    void SwitchBank(int bank);
    void SquelchFill();

    void ShowChannel(const QString& text);
    QString ShownChannel() const;
    void SetChannelHighlighted(bool on);
    bool NoAutoRefresh() const;
    // The box as the settings file keeps it: the user's choice while select-on-scroll holds it.
    bool SavedNoAutoRefreshChoice() const;
    void SetSelectOnScroll(bool down);
    // Shows the window on a channel, or closes it when shown.
    void Toggle(int channel);
    // NAR usable again and multiple selection off (the delete button hidden, the grid's menu back).
    void ResetRunControls();
    // The main window scans or searches: nothing here may start work on the receiver.
    bool MainBusy() const;
    // True, with the reason in the messages window, while the main window is busy.
    bool RefusedWhileBusy();

    void SaveSettings(TIniFile& ini) const;
    QColor HighlightColor() const { return FHighlight; }
    // The sort title and the quick filter box show a new highlight at once, when marked.
    void SetHighlightColor(const QColor& colour);
    // The printer the listing goes to; it keeps the user's choice from one listing to the next.
    QPrinter& Printer();
    QString InfoText() const;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildGrid();
    void BuildMenus();
    void BuildToolBars();
    void BuildStatusBar();
    void Place();
    void ApplyColours();
    QAction* Action(QMenu* menu, const QString& text, const QString& hint = {});
    QToolButton* ToolButton(const QString& name, const QString& text, const QString& hint);

    // Reopens the view with the state's statement, on the remembered channel or the first row.
    void ReopenView(const QString& sql);
    void ResetTitleColours();
    void SetHideBlanksItems(bool checked, bool enabled);
    void ClearBookmark(bool announce);
    void SetInfo(const QString& text);
    void UpdateStatus(const QString& rowCountText, const QString& accessText);
    void SetQuickFilter(bool on);
    void MultiSelectClicked(bool on);
    void ShowGridMenu(const QPoint& pos);
    void ScrollKeyReleased();
    bool WindowKey(QKeyEvent* event);
    void UpdateBusyState();
    // The grid's current row follows the view's.
    void FollowCurrentRow(int row);
    int CurrentChannel() const;

    TMainForm& FMain;
    TDataModule1& FData;
    TMemoryGrid* FGrid = nullptr;
    TMemoryTransferController* FTransfers = nullptr;
    class TMemoryMaintenance* FMaintenance = nullptr;
    TMemoryPrinting* FPrinting = nullptr;
    TVfoDrop* FVfoDrop = nullptr;
    TChannelActions* FChannelActions = nullptr;
    TSqlDirectForm* FSqlForm = nullptr;

    std::unique_ptr<QPrinter> FPrinter;
    QColor FHighlight;
    TBookmark FBookmark;
    bool FSavedNoAutoRefresh = false;
    bool FKeyUpBusy = false;
    bool FBankSwitching = false;

    QLabel* FInfoPanel = nullptr;
    QToolButton* FMemIdentPanel = nullptr;
    QLineEdit* FMaskEdit1 = nullptr;
    QLineEdit* FEdit1 = nullptr;
    QToolButton* FSubSelectButton = nullptr;
    QToolButton* FBookmarkButton = nullptr;
    QToolButton* FMemOnScrollButton = nullptr;
    QCheckBox* FNoAutoRefresh = nullptr;
    QCheckBox* FMultiSelect = nullptr;
    QToolButton* FDeleteRows = nullptr;
    QAction* FDeleteRowsAction = nullptr;
    QRadioButton* FBank0 = nullptr;
    QRadioButton* FBank1 = nullptr;
    QLabel* FStatusCount = nullptr;
    QLabel* FStatusAccess = nullptr;
    // What starts work on the receiver: unusable while the main window is busy.
    QList<QAction*> FReceiverActions;
    QList<QWidget*> FReceiverControls;

    QMenu* FFileMenu = nullptr;
    QMenu* FNavMenu = nullptr;
    QMenu* FHelpMenu = nullptr;
    QMenu* FJumpMenu = nullptr;      // PopupMenu2
    QMenu* FSubSelectMenu = nullptr; // SubSelectBankPopupMenu
    QMenu* FGridMenu = nullptr;      // PopupMenuRightClick
    QAction* FHideBlanksJump = nullptr;
    QAction* FHideBlanksSubSelect = nullptr; // HideBlanksOnSelectMenuItem
    std::array<QAction*, 10> FHundredItems{};
    QActionGroup* FHundredGroup = nullptr;
};
