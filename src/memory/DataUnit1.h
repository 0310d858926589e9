#pragma once

#include "MemorySql.h"
#include "Report.h"
#include "TableEngine.h"
#include "TableModel.h"
#include "TableView.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>

// The helper table that keeps the rows a read-in replaced.
inline constexpr const char* kChangedTable = "Changed.dbf";

// The data module: the table engine on the program folder, the live view of the current memory
// bank table and the rules every edit of it follows. One for the whole program; it knows nothing
// of windows.
class TDataModule1 : public QObject {
    Q_OBJECT

public:
    // Tables live in the program folder unless another is given.
    explicit TDataModule1(QObject* parent = nullptr);
    explicit TDataModule1(const QString& folder, QObject* parent = nullptr);
    ~TDataModule1() override;

    // Makes both bank tables ready and opens MemQuery1 on bank 0.
    bool DataModule1Create();

    TTableEngine& Engine() { return FEngine; }
    TTableView& MemQuery1() { return FMemQuery1; }
    TTableModel& DataSource1() { return FDataSource1; }
    TTableView& MoveTable() { return FMoveTable; }
    // Runs a statement without a result.
    bool Q1(const QString& sql);

    TMemoryViewState ViewState;
    // True while the program itself writes rows: the field checks stand aside.
    bool ProgrammaticEdit = false;
    // The memory window's quick-filter text, applied while MemQuery1 is filtered.
    QString QuickFilterText;

    QString BuildMemorySql() const { return ::BuildMemorySql(ViewState); }
    // Replaces the view's statement and returns to the row it was on, else to the first row.
    bool ReopenMemoryView(const QString& sql);
    // Sets every field of the current row but MEM to Null.
    bool BlankMemoryRow();
    // Sets every field but MEM to Null on the table's channels first..last (three digits), all
    // in one transaction whatever rows the view shows; the view is read again afterwards.
    bool BlankChannels(const QString& first, const QString& last);
    // Sets one field of the current row and stores the row; a row that cannot be stored is left
    // as it was.
    bool StoreField(QStringView field, const QVariant& value);
    // 0 or 1: the memory bank whose table is current.
    int CurrentBank() const;
    TLocateResult LocateMemory(const QString& mem);
    bool OpenMoveTable();

    // "Rebuild Database Indexes": the view closes, the current table's indexes are rebuilt with
    // the table held exclusively, the view opens again.
    bool RebuildIndexes();
    // "Save Table As": the current table to a dBASE file.
    bool SaveTableAs(const QString& dbfPath);
    // "Open Table": rows of a saved dBASE table update the rows of equal MEM; every non-blank
    // row is then marked CHANGED.
    bool OpenTable(const QString& dbfPath);
    // A read-in: rows of source replace the rows of equal MEM; the replaced rows are kept in
    // "Changed.dbf" and marked CHANGED.
    bool UpdateBankFrom(const QString& source);
    // Clears CHANGED on every row of the view.
    bool ResetChangedFlags();
    bool ClearSelectScanFlags();

    // Panel 0: the row count; panel 1: "Read/Write" or "Read Only".
    QString StatusText(int panel) const { return FStatus[static_cast<std::size_t>(panel)]; }
    const QString& LastError() const { return FLastError; }

    // Where a refused grid entry is explained ("Conversion Error" and the like); errors also go
    // to ReportError.
    std::function<void(const QString& text)> ShowMessage;
    TReportFn ReportError;

Q_SIGNALS:
    void StatusChanged(const QString& rowCountText, const QString& accessText);

private:
    TTableEngine FEngine;
    TTableView FMemQuery1;
    TTableModel FDataSource1;
    TTableView FMoveTable;
    std::array<QString, 2> FStatus;
    QString FLastError;

    void MemQuery1AfterOpen();
    bool MemQuery1FilterRecord(const QVariantList& values) const;
    bool MemQuery1Validate(int field, QVariant& value, TAssignOrigin origin);
    void MemQuery1FREQChange(int field);
    bool Fail(const QString& text);
    bool ReopenKeepingRow();
};
