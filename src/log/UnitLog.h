#pragma once

#include "LogTable.h"
#include "VfoDropSequence.h"

#include <QColor>
#include <QDateTime>
#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QTimer;
class TLogGrid;
class TMainForm;
class TTableEngine;
class TTableModel;
class TTableView;

// The log window: creates, opens and deletes log tables, shows the open one in a grid, adds
// entries from the receiver's current state, sorts, finds the current frequency and manages the
// categories and notes. Made by the main window's log button on demand; closing destroys it.
class TFormLog : public QMainWindow {
    Q_OBJECT

public:
    // The grid's columns, left to right.
    enum TColumn {
        ColId,
        ColFreq,
        ColCategory,
        ColNotes,
        ColMode,
        ColBW,
        ColStep,
        ColStadj,
        ColAnt,
        ColSquelch,
        ColDate,
        ColTime,
        ColSignal,
        ColDbm,
        ColumnCount
    };

    explicit TFormLog(TMainForm& main, QWidget* parent = nullptr);
    ~TFormLog() override;

    void OpenLogTable(const QString& file);
    // An entry for a search hit; never raises: what goes wrong goes to the messages window.
    void AddEntry(const QString& freqText, const QString& modeText, bool stadj, int level,
                  int squelch, const QString& antText, const QString& stepText,
                  const QString& bwText);
    void SetSortGlyphForOrder(const QString& orderText);
    void ShowLogStatus();
    void SortLogBy(const QString& field);
    void ShowAll();
    // Asks the category and note for the hits a search is about to log.
    void ChooseSearchLogCategory();
    // ID column background, then the other columns' background and text.
    void SetLogGridColours(const QColor& idBack, const QColor& back, const QColor& text);
    // The actions' enabled states, as the window sets them while idle.
    void UpdateActionsNow() { UpdateActions(); }

    const QString& LogTableFile() const { return FLogTableFile; }
    const QString& CategoryTableFile() const { return FCategoryTableFile; }
    bool UseUtcTime() const { return FUseUtcTime; }
    bool SearchLogCategoryChosen() const { return FSearchLogCategoryChosen; }
    QVariant SearchLogCategoryID() const { return FSearchLogCategoryID; }
    QString SearchLogNotes() const { return FSearchLogNotes; }
    QStringList RecentFiles() const { return FRecentFiles; }

    TTableView& QLog() const { return *FQLog; }
    // The current row's ID; nullopt when there is no row or it has no ID yet.
    std::optional<qint64> CurrentId() const;
    // The current row, when its ID is `id`, as a drop on a VFO box uses it: a drag starts from
    // the current row, and a row that is no longer current is not what was dragged.
    std::optional<TDropRow> DropRow(qint64 id) const;
    TTableEngine& Engine() const { return *FEngine; }
    TLogGrid* Grid() const { return FGrid; }
    // The sort column and its direction as the header shows them.
    TSortGlyph SortGlyph() const { return FGlyph; }

    // The clock of new rows; tests set their own.
    std::function<QDateTime()> Clock = [] {
        return QDateTime::currentDateTime();
    };

Q_SIGNALS:
    // Alt+L: the main window's log button, which closes this window.
    void LogButtonRequested();
    // Double click or Enter in the ID column: the current row goes to a VFO box.
    void RowDropRequested(QChar vfoLetter);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    TMainForm& FMain;
    std::unique_ptr<TTableEngine> FEngine;
    TTableView* FQLog = nullptr;
    TTableView* FQCategory = nullptr;
    TTableModel* FModel = nullptr;
    TLogGrid* FGrid = nullptr;
    QString FLogTableFile;
    QString FCategoryTableFile;
    bool FUseUtcTime = true;
    QChar FEngineDecimalSeparator;
    bool FSearchLogCategoryChosen = false;
    QVariant FSearchLogCategoryID;
    QString FSearchLogNotes;
    QStringList FRecentFiles;
    QHash<qint64, QString> FCategories; // the categories table, by ID
    TSortGlyph FGlyph;
    QString FSortField = QStringLiteral("ID");

    QLabel* FRowCountPanel = nullptr;
    QLabel* FAccessPanel = nullptr;
    QLabel* FStatementPanel = nullptr;
    QCheckBox* CheckBoxMultiSelect = nullptr;
    QMenu* FRecentMenu = nullptr;
    QMenu* FGridMenu = nullptr;
    QTimer* FIdleTimer = nullptr;
    QTimer* FHitRepaintTimer = nullptr;
    QTimer* FNotesHintTimer = nullptr;
    QLabel* NotesHint = nullptr;

    QAction* ActionLog = nullptr;
    QAction* ActionNewLogDB = nullptr;
    QAction* ActionOpenLogDB = nullptr;
    QAction* ActionDropDB = nullptr;
    QAction* ActionSQL = nullptr;
    QAction* ActionCategory = nullptr;
    QAction* ActionShowAll = nullptr;
    QAction* ActionViewNotes = nullptr;
    QAction* ActionExit = nullptr;
    QAction* ActionHelp = nullptr;
    QAction* ActionImport = nullptr;
    QAction* ActionImportCSV = nullptr;
    QAction* ActionExportToCSV = nullptr;
    QAction* ActionExport_Kv7Format = nullptr;
    QAction* ActionFindCurrent = nullptr;
    QAction* ActionRebuildIndexes = nullptr;
    QAction* ActionBlockChangeCategory = nullptr;
    QAction* FLogUtcTime = nullptr;
    QAction* FLogLocalTime = nullptr;
    std::array<QAction*, 7> FNavigator{};

    void BuildActions();
    void BuildMenus();
    void BuildToolBar();
    void BuildGrid();
    void BuildStatusBar();
    void LoadSettings();
    void SaveLogSettings();

    bool OpenQLog(const QString& sql);
    void OpenCategoryTable();
    void ReadCategories();
    QString CategoryText(qint64 id);
    void ShowStatement();
    void ShowError(const QString& text) const;
    void Report(const QString& text) const;
    void UpdateActions();
    void ShowGlyph(const TSortGlyph& glyph);
    void LocateId(const QVariant& id);

    void NewLogTable();
    void OpenLogTableChosen();
    void DropLogTableChosen();
    void OpenRecent(const QString& file);
    void AddRecent(const QString& file);
    void RemoveRecent(const QString& file);
    void RebuildRecentMenu();

    void AddLogEntry();
    void FindCurrent(bool on);
    void RebuildIndexes();
    void HeaderClicked(int logicalColumn);
    void GridActivated();
    void DeleteRows();
    void ManageCategories();
    void SubSelect();
    void BlockChangeCategory();
    void ViewNotes();
    void ShowNotesHint(const QPoint& globalPos, int row, int column);

    // What the main window shows: the current box and the lists of the Main page.
    QString CurrentBoxText() const;
    QString CurrentSquelchText() const;
    QString MainListText(const char16_t* name) const;
};
