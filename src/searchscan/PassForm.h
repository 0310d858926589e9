#pragma once

#include "SearchScanContext.h"

#include <QDialog>

#include <optional>

class QPushButton;
class QTableWidget;
struct TPassDat;

inline constexpr int kPassEntriesPerList = 100;

// The receiver's pass list of one search bank (0..19) or of the VFO search (kVfoPassBank),
// shown while the receiver reports it. The window takes the driver's pass reports for exactly as
// long as it exists.
class TPassForm : public QDialog {
    Q_OBJECT

public:
    // `readOnly`: the list is in use by a running VFO search or sweep; it is shown, not changed.
    TPassForm(const TSearchScanContext& context, int list, bool readOnly, QWidget* parent);
    ~TPassForm() override;

    int List() const { return FList; }
    QTableWidget* Grid() const { return FGrid; }

    // Asks the receiver for the list; its reports fill the grid.
    void ReadList();
    void FormShow();
    void PassListRow(const TPassDat& entry);
    void DeleteAllButtonClick();
    void DeleteButtonClick();
    void StringGrid1DblClick();

protected:
    void done(int result) override;

private:
    void EmptyGrid();
    void Hook();
    void Unhook();
    std::optional<int> SelectedIndex() const;

    TSearchScanContext FContext;
    int FList;
    bool FHooked = false;
    QTableWidget* FGrid;
    QPushButton* FDeleteAll;
    QPushButton* FDelete;
};
