#include "UnitLog.h"

#include "AR5000.h"
#include "CategoryTable.h"
#include "FormPlacement.h"
#include "HelpContext.h"
#include "HelpFile.h"
#include "Hints.h"
#include "IniFile.h"
#include "Levels.h"
#include "LogExchangeController.h"
#include "LogGrid.h"
#include "Main.h"
#include "MainSheet.h"
#include "MemoPopupForm.h"
#include "NumberText.h"
#include "PanelState.h"
#include "ProgramFolder.h"
#include "Prompt.h"
#include "SelectCategoryForm.h"
#include "SqlForm.h"
#include "TableEngine.h"
#include "TableModel.h"
#include "TableView.h"
#include "TuningController.h"
#include "ValueTables.h"
#include "ValuesListForm.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

using namespace Qt::StringLiterals;

namespace {

constexpr const char16_t* kSection = u"FormLog";
constexpr const char16_t* kRecentSection = u"MRU";
constexpr int kRecentMax = 9;
constexpr int kNotesHintMs = 2000;
constexpr int kNotesHintWidth = 200;
constexpr int kLocateRowsMax = 2000;
constexpr int kHitRepaintMs = 250;
const QString kLogFilter = u"Log Files (*_Kv7.DB)"_s;

// The fields of the log table and the calculated columns, as the model numbers them.
enum TModelColumn {
    MId,
    MFreq,
    MMode,
    MBW,
    MStep,
    MAnt,
    MStadj,
    MSquelch,
    MLogDate,
    MLogTime,
    MSignal,
    MNotes,
    MCategoryID,
    MDbm,
    MLookUpCategory
};

// What a header click sorts by, per model column; empty for none.
QString SortFieldOf(int modelColumn) {
    switch (modelColumn) {
    case MId:
        return u"ID"_s;
    case MFreq:
        return u"Freq"_s;
    case MLogDate:
        return u"LogDate"_s;
    case MLogTime:
        return u"LogTime"_s;
    case MSignal:
        return u"Signal"_s;
    case MMode:
        return u"Mode"_s;
    case MLookUpCategory:
        return u"CategoryID"_s;
    default:
        return {};
    }
}

QStringList ListOf(const auto& items) {
    QStringList list;
    for (const char* item : items)
        list << QString::fromLatin1(item);
    return list;
}

QAction* MakeAction(QObject* parent, const QString& name, const QString& caption,
                    const QString& hint, const QKeySequence& key = {}) {
    auto* action = new QAction(caption, parent);
    action->setObjectName(name);
    SetHint(action, hint);
    if (!key.isEmpty())
        action->setShortcut(key);
    return action;
}

} // namespace

TFormLog::TFormLog(TMainForm& main, QWidget* parent)
    : QMainWindow(parent)
    , FMain(main)
    , FEngine(std::make_unique<TTableEngine>(DataFolder())) {
    setObjectName(u"FormLog"_s);
    setWindowTitle(u"Log"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    FEngineDecimalSeparator = kEngineDecimalSeparator;
    FQLog = new TTableView(*FEngine, this);
    FQLog->setObjectName(u"QLog"_s);
    FQCategory = new TTableView(*FEngine, this);
    FQCategory->setObjectName(u"QCategory"_s);
    ApplyLogRules(*FQLog, [this](const QString& text) { Report(text); });
    FModel = new TTableModel(*FQLog, this);
    FModel->DisplayText = [this](int field, const QVariant& value) -> QVariant {
        if (value.isNull())
            return {};
        switch (field) {
        case MFreq:
            return FormatFixed(value.toDouble(), 6);
        case MLogDate:
            return value.typeId() == QMetaType::QDate
                       ? QLocale().toString(value.toDate(), QLocale::ShortFormat)
                       : value;
        case MLogTime:
            return value.typeId() == QMetaType::QTime ? value.toTime().toString(u"HH:mm:ss"_s)
                                                      : value;
        default:
            return value;
        }
    };
    FModel->AddCalculatedColumn({u"dBm"_s,
                                 [](const TTableView& view, int row) -> QVariant {
                                     const QVariant signal = view.ValueAt(row, MSignal);
                                     if (signal.isNull())
                                         return {};
                                     return LevelToDbm(signal.toInt(),
                                                       view.ValueAt(row, MFreq).toDouble());
                                 },
                                 {}});
    FModel->AddCalculatedColumn(
        {u"LookUpCategory"_s,
         [this](const TTableView& view, int row) -> QVariant {
             const QVariant id = view.ValueAt(row, MCategoryID);
             return id.isNull() ? QVariant() : QVariant(CategoryText(id.toLongLong()));
         },
         [this](TTableView& view, const QVariant& value) {
             const QString text = value.toString();
             if (text.isEmpty())
                 return view.SetField(u"CategoryID", QVariant());
             ReadCategories();
             for (auto it = FCategories.cbegin(); it != FCategories.cend(); ++it)
                 if (it.value() == text)
                     return view.SetField(u"CategoryID", it.key());
             Report(u"Category \""_s + text + u"\" is not in the categories table"_s);
             return false;
         }});
    FModel->HeaderText = [](int column) -> QString {
        switch (column) {
        case MLogDate:
            return u"Date"_s;
        case MLogTime:
            return u"Time"_s;
        case MLookUpCategory:
            return u"Category"_s;
        default:
            return {};
        }
    };
    connect(FModel, &TTableModel::EditFailed, this,
            [this](const QString& error) { ShowError(error); });

    NotesHint = new QLabel(this, Qt::ToolTip);
    NotesHint->setObjectName(u"NotesHint"_s);
    NotesHint->setWordWrap(true);
    NotesHint->setMaximumWidth(kNotesHintWidth);
    NotesHint->setAutoFillBackground(true);
    NotesHint->setPalette(QToolTip::palette());
    BuildActions();
    BuildMenus();
    BuildToolBar();
    BuildGrid();
    BuildStatusBar();
    FNotesHintTimer = new QTimer(this);
    FNotesHintTimer->setSingleShot(true);
    FNotesHintTimer->setInterval(kNotesHintMs);
    connect(FNotesHintTimer, &QTimer::timeout, NotesHint, &QWidget::hide);
    // Actions follow the link and the view as the program idles.
    FHitRepaintTimer = new QTimer(this);
    FHitRepaintTimer->setSingleShot(true);
    FHitRepaintTimer->setInterval(kHitRepaintMs);
    connect(FHitRepaintTimer, &QTimer::timeout, this, [this] {
        FGrid->viewport()->setUpdatesEnabled(true);
        ShowLogStatus();
    });
    FIdleTimer = new QTimer(this);
    FIdleTimer->setInterval(250);
    connect(FIdleTimer, &QTimer::timeout, this, &TFormLog::UpdateActions);
    FIdleTimer->start();

    LoadSettings();
    const TIniFile ini(SettingsFileName());
    OpenLogTable(ini.ReadString(u"Tables"_s, u"LogTable"_s, {}));
    UpdateActions();
    ApplyHelpContexts(this);
}

TFormLog::~TFormLog() {
    // Views go before the engine they read from.
    delete FModel;
    delete FQLog;
    delete FQCategory;
}

// ---------------------------------------------------------------------------------------------
// Building

void TFormLog::BuildActions() {
    ActionLog = MakeAction(this, u"ActionLog"_s, u"Add Entry"_s, u"Add a log entry|"_s,
                           QKeySequence(u"Ctrl+L"_s));
    ActionNewLogDB =
        MakeAction(this, u"ActionNewLogDB"_s, u"New Log Table"_s,
                   u"Create a new Log Table|You can create as many new tables as you need."_s,
                   QKeySequence(u"Ctrl+N"_s));
    ActionOpenLogDB = MakeAction(this, u"ActionOpenLogDB"_s, u"Open Log Table"_s,
                                 u"Open a Log Table|Don't attempt to open \"_Categories.DB\" or "
                                 u"\"_SubSelects.DB\".  These are support tables."_s,
                                 QKeySequence(u"Ctrl+O"_s));
    ActionDropDB = MakeAction(this, u"ActionDropDB"_s, u"Delete a Log Table"_s,
                              u"Delete a Log Table|Delete the main log table, and support tables "
                              u"are automatically removed also"_s);
    ActionSQL = MakeAction(this, u"ActionSQL"_s, u"Sub Select"_s,
                           u"Open SQL sub select form|Create complex sub selections"_s,
                           QKeySequence(u"Ctrl+Shift+Q"_s));
    ActionCategory = MakeAction(
        this, u"ActionCategory"_s, u"Manage Categories"_s,
        u"Manage Categories|Create and maintain a list of signal categories for this table"_s,
        QKeySequence(u"Ctrl+G"_s));
    ActionShowAll =
        MakeAction(this, u"ActionShowAll"_s, u"Show All"_s,
                   u"Show All|Clear all sub selections, sort by ID"_s, QKeySequence(u"Ctrl+A"_s));
    ActionViewNotes = MakeAction(this, u"ActionViewNotes"_s, u"View/Edit Notes"_s,
                                 u"|Pop up notes memo for view/edit"_s);
    ActionExit = MakeAction(this, u"ActionExit"_s, u"Exit"_s, u"Close Form"_s);
    ActionHelp = MakeAction(this, u"ActionHelp"_s, u"Log Form Help"_s, u"Help"_s);
    ActionImport = MakeAction(this, u"ActionImport"_s, u"Import from Kv7 Text Database"_s,
                              u"Import Kv7 format (MemForm Export, Kv7Grabber)"_s);
    ActionImportCSV = MakeAction(this, u"ActionImportCSV"_s, u"Import from Kv7 CSV file"_s,
                                 u"Import from Kv7 CSV file"_s);
    ActionExportToCSV = MakeAction(this, u"ActionExportToCSV"_s, u"Export to Kv7 CSV file"_s,
                                   u"Export current selection to CSV file"_s);
    ActionExport_Kv7Format =
        MakeAction(this, u"ActionExport_Kv7Format"_s, u"Export to Kv7 Text Database"_s,
                   u"Export in Kv7 format for load to log or load to memory table"_s);
    ActionFindCurrent = MakeAction(this, u"ActionFindCurrent"_s, u"Find Current Frequency"_s,
                                   u"Find current frequency"_s, QKeySequence(u"Ctrl+F"_s));
    ActionFindCurrent->setCheckable(true);
    ActionRebuildIndexes =
        MakeAction(this, u"ActionRebuildIndexes"_s, u"Rebuild Indexes"_s, u"Rebuild indexes."_s);
    ActionBlockChangeCategory =
        MakeAction(this, u"ActionBlockChangeCategory"_s, u"Change Category All Showing"_s,
                   u"Change category of all current selection"_s);
    connect(ActionHelp, &QAction::triggered, this,
            [this] { ShowHelpContext(windowTitle(), HelpContextFor(u"FormLog")); });
    new TLogExchangeController(
        *this, FMain, {ActionExportToCSV, ActionImportCSV, ActionExport_Kv7Format, ActionImport});

    connect(ActionLog, &QAction::triggered, this, &TFormLog::AddLogEntry);
    connect(ActionNewLogDB, &QAction::triggered, this, &TFormLog::NewLogTable);
    connect(ActionOpenLogDB, &QAction::triggered, this, &TFormLog::OpenLogTableChosen);
    connect(ActionDropDB, &QAction::triggered, this, &TFormLog::DropLogTableChosen);
    connect(ActionCategory, &QAction::triggered, this, &TFormLog::ManageCategories);
    connect(ActionSQL, &QAction::triggered, this, &TFormLog::SubSelect);
    connect(ActionShowAll, &QAction::triggered, this, &TFormLog::ShowAll);
    connect(ActionViewNotes, &QAction::triggered, this, &TFormLog::ViewNotes);
    connect(ActionExit, &QAction::triggered, this, &QWidget::close);
    connect(ActionFindCurrent, &QAction::triggered, this, &TFormLog::FindCurrent);
    connect(ActionRebuildIndexes, &QAction::triggered, this, &TFormLog::RebuildIndexes);
    connect(ActionBlockChangeCategory, &QAction::triggered, this, &TFormLog::BlockChangeCategory);
    addActions({ActionLog, ActionNewLogDB, ActionOpenLogDB, ActionSQL, ActionCategory,
                ActionShowAll, ActionFindCurrent});
}

void TFormLog::BuildMenus() {
    QMenu* file = menuBar()->addMenu(u"&File"_s);
    file->addActions({ActionNewLogDB, ActionOpenLogDB, ActionDropDB});
    file->addSeparator();
    QMenu* import = file->addMenu(u"Import"_s);
    import->addActions({ActionImport, ActionImportCSV});
    QMenu* exportMenu = file->addMenu(u"Export"_s);
    exportMenu->addActions({ActionExportToCSV, ActionExport_Kv7Format});
    file->addSeparator();
    FRecentMenu = file->addMenu(u"Recent Files"_s);
    FRecentMenu->setObjectName(u"RecentFiles"_s);
    file->addSeparator();
    file->addAction(ActionExit);
    QMenu* edit = menuBar()->addMenu(u"&Edit"_s);
    edit->addAction(ActionFindCurrent);
    QMenu* tools = menuBar()->addMenu(u"&Tools"_s);
    tools->addAction(ActionRebuildIndexes);
    QMenu* options = tools->addMenu(u"Options"_s);
    FLogUtcTime = options->addAction(u"Log UTC Time"_s);
    FLogUtcTime->setObjectName(u"LogUTCTime"_s);
    FLogLocalTime = options->addAction(u"Log Local Time"_s);
    FLogLocalTime->setObjectName(u"LogLocalTime"_s);
    auto* times = new QActionGroup(this);
    times->setExclusive(true);
    for (QAction* item : {FLogUtcTime, FLogLocalTime}) {
        item->setCheckable(true);
        times->addAction(item);
    }
    connect(FLogUtcTime, &QAction::triggered, this, [this] { FUseUtcTime = true; });
    connect(FLogLocalTime, &QAction::triggered, this, [this] { FUseUtcTime = false; });
    QMenu* help = menuBar()->addMenu(u"&Help"_s);
    help->addAction(ActionHelp);

    FGridMenu = new QMenu(this);
    FGridMenu->setObjectName(u"GridPopupMenu"_s);
    FGridMenu->addActions({ActionViewNotes, ActionSQL, ActionBlockChangeCategory});
}

void TFormLog::BuildToolBar() {
    QToolBar* bar = addToolBar(u"Log"_s);
    bar->setObjectName(u"ToolBar1"_s);
    bar->setMovable(false);
    bar->setIconSize(QSize(16, 16));
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const std::pair<QAction*, QStyle::StandardPixmap> icons[] = {
        {ActionNewLogDB, QStyle::SP_FileIcon},
        {ActionOpenLogDB, QStyle::SP_DialogOpenButton},
        {ActionDropDB, QStyle::SP_TrashIcon},
        {ActionCategory, QStyle::SP_FileDialogListView},
        {ActionSQL, QStyle::SP_FileDialogContentsView},
        {ActionShowAll, QStyle::SP_BrowserReload},
        {ActionFindCurrent, QStyle::SP_FileDialogDetailedView},
        {ActionLog, QStyle::SP_FileDialogNewFolder},
        {ActionHelp, QStyle::SP_DialogHelpButton},
        {ActionExit, QStyle::SP_DialogCloseButton},
    };
    for (const auto& [action, icon] : icons)
        action->setIcon(style()->standardIcon(icon));
    bar->addActions({ActionNewLogDB, ActionOpenLogDB, ActionDropDB});
    bar->addSeparator();
    struct TButton {
        const char16_t* Name;
        const char16_t* Hint;
        QStyle::StandardPixmap Icon;
    };
    static constexpr TButton kNavigator[] = {
        {u"NavFirst", u"First record", QStyle::SP_MediaSkipBackward},
        {u"NavPrior", u"Prior record", QStyle::SP_ArrowLeft},
        {u"NavNext", u"Next record", QStyle::SP_ArrowRight},
        {u"NavLast", u"Last record", QStyle::SP_MediaSkipForward},
        {u"NavDelete", u"Delete record", QStyle::SP_DialogDiscardButton},
        {u"NavPost", u"Post edit", QStyle::SP_DialogApplyButton},
        {u"NavCancel", u"Cancel edit", QStyle::SP_DialogCancelButton},
    };
    for (std::size_t i = 0; i < FNavigator.size(); ++i) {
        FNavigator[i] = bar->addAction(style()->standardIcon(kNavigator[i].Icon),
                                       QString::fromUtf16(kNavigator[i].Hint));
        FNavigator[i]->setObjectName(QString::fromUtf16(kNavigator[i].Name));
    }
    const auto moveTo = [this](int row) {
        if (row < 0 || !FQLog->MoveTo(row))
            return;
        const QModelIndex current = FGrid->currentIndex();
        FGrid->setCurrentIndex(FModel->index(row, current.isValid() ? current.column() : 0));
    };
    const auto currentRow = [this] {
        return FGrid->currentIndex().row();
    };
    connect(FNavigator[0], &QAction::triggered, this, [moveTo] { moveTo(0); });
    connect(FNavigator[1], &QAction::triggered, this,
            [moveTo, currentRow] { moveTo(std::max(0, currentRow() - 1)); });
    connect(FNavigator[2], &QAction::triggered, this, [this, moveTo, currentRow] {
        const int next = currentRow() + 1;
        if (next >= FModel->rowCount() && FModel->canFetchMore({}))
            FModel->fetchMore({});
        if (next < FModel->rowCount())
            moveTo(next);
    });
    connect(FNavigator[3], &QAction::triggered, this, [this, moveTo] {
        while (FModel->canFetchMore({}))
            FModel->fetchMore({});
        moveTo(FModel->rowCount() - 1);
    });
    connect(FNavigator[4], &QAction::triggered, this, &TFormLog::DeleteRows);
    connect(FNavigator[5], &QAction::triggered, this, [this] {
        if (!FQLog->Post())
            ShowError(FQLog->LastError());
    });
    connect(FNavigator[6], &QAction::triggered, this, [this] { FQLog->Cancel(); });

    CheckBoxMultiSelect = new QCheckBox(u"Multi Select"_s, bar);
    CheckBoxMultiSelect->setObjectName(u"CheckBoxMultiSelect"_s);
    CheckBoxMultiSelect->setToolTip(u"Allow multi select for multi row deletion"_s);
    connect(CheckBoxMultiSelect, &QCheckBox::toggled, this, [this](bool on) {
        FGrid->setSelectionMode(on ? QAbstractItemView::ExtendedSelection
                                   : QAbstractItemView::SingleSelection);
    });
    bar->addWidget(CheckBoxMultiSelect);
    bar->addSeparator();
    bar->addActions({ActionCategory, ActionSQL, ActionShowAll, ActionFindCurrent, ActionLog,
                     ActionHelp, ActionExit});
}

void TFormLog::BuildGrid() {
    FGrid = new TLogGrid(this);
    FGrid->setModel(FModel);
    FGrid->IdModelColumn = MId;
    setCentralWidget(FGrid);
    FGrid->SetPickList(MMode, ListOf(kModes));
    FGrid->SetPickList(MBW, ListOf(kBandwidths));
    FGrid->SetPickList(MStep, ListOf(kSteps), true);
    FGrid->SetPickList(MAnt, ListOf(kAntennas));
    FGrid->SetCheckColumn(MStadj);
    FGrid->SetSpinColumn(MSquelch, 0, 255);
    FGrid->SetPickListSource(MLookUpCategory, [this] {
        QStringList texts = FCategories.values();
        texts.sort();
        texts.prepend(QString());
        return texts;
    });
    FGrid->verticalHeader()->hide();
    connect(FModel, &QAbstractItemModel::modelReset, this, [this] {
        FGrid->SetColumnOrder({MId, MFreq, MLookUpCategory, MNotes, MMode, MBW, MStep, MStadj, MAnt,
                               MSquelch, MLogDate, MLogTime, MSignal, MDbm},
                              {53, 86, 94, 142, 49, 44, 55, 38, 40, 55, 70, 64, 39, 35});
        // Dates are shown in the user's format, which may be longer than the room made for it.
        const int date = FGrid->fontMetrics().horizontalAdvance(
                             QLocale().toString(QDate(2026, 12, 28), QLocale::ShortFormat)) +
                         12;
        FGrid->setColumnWidth(MLogDate, std::max(FGrid->columnWidth(MLogDate), date));
        ShowGlyph(FGlyph);
    });
    connect(FGrid->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &TFormLog::HeaderClicked);
    connect(FGrid, &TLogGrid::RowActivated, this, &TFormLog::GridActivated);
    connect(FGrid, &TLogGrid::PopupRequested, this,
            [this](const QPoint& at) { FGridMenu->popup(at); });
    connect(FGrid, &TLogGrid::HoverWithCtrlShift, this, &TFormLog::ShowNotesHint);
    connect(FGrid, &TLogGrid::HoverEnded, NotesHint, &QWidget::hide);
    connect(FGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid() && FQLog->State() == TViewState::Browse)
                    FQLog->MoveTo(current.row());
            });
}

void TFormLog::BuildStatusBar() {
    const auto panel = [this](const QString& name, int width) {
        auto* label = new QLabel(this);
        label->setObjectName(name);
        if (width > 0)
            label->setMinimumWidth(width);
        statusBar()->addWidget(label, width > 0 ? 0 : 1);
        return label;
    };
    FRowCountPanel = panel(u"StatusPanel0"_s, 55);
    FAccessPanel = panel(u"StatusPanel1"_s, 65);
    FStatementPanel = panel(u"StatusPanel2"_s, 256);
}

bool TFormLog::event(QEvent* event) {
    // The long part of a hint takes the statement's panel until the next statement; the status
    // bar's own message would hide the row count.
    if (event->type() == QEvent::StatusTip) {
        FStatementPanel->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TFormLog::SetLogGridColours(const QColor& idBack, const QColor& back, const QColor& text) {
    FGrid->SetColours(idBack, back, text);
}

// ---------------------------------------------------------------------------------------------
// Settings

void TFormLog::LoadSettings() {
    const TIniFile ini(SettingsFileName());
    RestoreFormPlacement(this, 10, 10, ini, FMain.height(), 400, true);
    FUseUtcTime = ini.ReadBool(QString::fromUtf16(kSection), u"UTCTime"_s, true);
    (FUseUtcTime ? FLogUtcTime : FLogLocalTime)->setChecked(true);
    FRecentFiles.clear();
    const QString recent = QString::fromUtf16(kRecentSection);
    for (int i = 0; i < kRecentMax; ++i) {
        const QString file = ini.ReadString(recent, u"File"_s + QString::number(i), {});
        if (!file.isEmpty() && !FRecentFiles.contains(file))
            FRecentFiles << file;
    }
    RebuildRecentMenu();
}

void TFormLog::SaveLogSettings() {
    TIniFile ini(SettingsFileName());
    SaveFormPlacement(this, ini, true);
    ini.WriteBool(QString::fromUtf16(kSection), u"UTCTime"_s, FUseUtcTime);
    const QString recent = QString::fromUtf16(kRecentSection);
    ini.EraseSection(recent);
    for (int i = 0; i < FRecentFiles.size(); ++i)
        ini.WriteString(recent, u"File"_s + QString::number(i), FRecentFiles[i]);
}

void TFormLog::AddRecent(const QString& file) {
    FRecentFiles.removeAll(file);
    FRecentFiles.prepend(file);
    while (FRecentFiles.size() > kRecentMax)
        FRecentFiles.removeLast();
    RebuildRecentMenu();
}

void TFormLog::RemoveRecent(const QString& file) {
    FRecentFiles.removeAll(file);
    RebuildRecentMenu();
}

void TFormLog::RebuildRecentMenu() {
    FRecentMenu->clear();
    for (const QString& file : std::as_const(FRecentFiles)) {
        QAction* item = FRecentMenu->addAction(file);
        connect(item, &QAction::triggered, this, [this, file] { OpenRecent(file); });
    }
    FRecentMenu->setEnabled(!FRecentFiles.isEmpty());
}

// ---------------------------------------------------------------------------------------------
// Tables

void TFormLog::ShowError(const QString& text) const {
    Prompt().Error(u"Kv7"_s, text);
}

void TFormLog::Report(const QString& text) const {
    FMain.AddMessage(text);
}

void TFormLog::OpenLogTable(const QString& file) {
    const QString path = file.isEmpty() ? QString() : FEngine->ResolvePath(file);
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        FStatementPanel->setText(u"No table loaded. Use File menu"_s);
        Prompt().Information(
            u"Kv7"_s, u"Please use \"File | New Log Table\" to create a new log table.\r\nThen "
                      u"next time you open the log form,\r\nthe most recently used table will "
                      u"load automatically."_s);
        return;
    }
    QString error;
    QString converted;
    if (!PrepareLogTable(*FEngine, path, error, &converted)) {
        ShowError(error);
        return;
    }
    if (!converted.isEmpty())
        Report(converted);
    FQLog->Close();
    FQCategory->Close();
    FLogTableFile = path;
    FCategoryTableFile = CategoryTableFileFor(path);
    OpenCategoryTable();
    TIniFile ini(SettingsFileName());
    ini.WriteString(u"Tables"_s, u"LogTable"_s, path);
    setWindowTitle(u"Log - "_s + QFileInfo(path).fileName());
    ShowAll();
}

void TFormLog::OpenCategoryTable() {
    QString error;
    if (!EnsureCategoryTable(*FEngine, FCategoryTableFile, error))
        ShowError(error);
    FQCategory->Close();
    FQCategory->SetSql(u"Select * from "_s + QuoteFileName(FCategoryTableFile) +
                       u" Order by Category"_s);
    if (!FQCategory->Open())
        ShowError(FQCategory->LastError());
    ReadCategories();
}

QString TFormLog::CategoryText(qint64 id) {
    const auto known = FCategories.constFind(id);
    if (known != FCategories.cend())
        return *known;
    // A category added since the table was read (an import, another window).
    const std::optional<QVariant> text = FEngine->QueryValue(
        u"SELECT Category FROM "_s + QuoteFileName(FCategoryTableFile) + u" WHERE ID = ?"_s, {id});
    if (!text || !text->isValid())
        return {};
    FCategories.insert(id, text->toString());
    return text->toString();
}

void TFormLog::ReadCategories() {
    FCategories.clear();
    if (FCategoryTableFile.isEmpty())
        return;
    FEngine->ForEachRow(u"SELECT ID, Category FROM "_s + QuoteFileName(FCategoryTableFile), {},
                        [this](const QVariantList& row) {
                            FCategories.insert(row.value(0).toLongLong(), row.value(1).toString());
                            return true;
                        });
}

bool TFormLog::OpenQLog(const QString& sql) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    FQLog->Close();
    FQLog->SetSql(sql);
    const bool ok = FQLog->Open();
    ShowStatement();
    if (!ok)
        ShowError(FQLog->LastError());
    return ok;
}

void TFormLog::ShowStatement() {
    FStatementPanel->setText(FQLog->Sql().trimmed());
}

void TFormLog::ShowLogStatus() {
    FRowCountPanel->setText(FQLog->Active() ? QString::number(FQLog->RecordCount()) : QString());
    FAccessPanel->setText(FQLog->CanModify() ? u"Read/Write"_s : u"Read Only"_s);
    UpdateActions();
}

void TFormLog::SortLogBy(const QString& field) {
    if (FLogTableFile.isEmpty())
        return;
    const QVariant id = FQLog->Active() && FQLog->RecNo() >= 0 ? FQLog->Value(u"ID") : QVariant();
    FSortField = field;
    if (!OpenQLog(LogSelectSql(FLogTableFile, field)))
        return;
    if (!id.isNull())
        LocateId(id);
    if (FQLog->RecNo() >= 0)
        FGrid->setCurrentIndex(FModel->index(FQLog->RecNo(), MId));
    const bool descending = field.compare(u"Signal"_s, Qt::CaseInsensitive) == 0;
    const std::optional<TSortGlyph> glyph =
        SortGlyphForOrder(descending ? field + u" DESC"_s : field);
    // Mode and category sort without a documented glyph: the header still shows where the order
    // comes from.
    ShowGlyph(glyph ? *glyph
                    : TSortGlyph{field.compare(u"Mode"_s, Qt::CaseInsensitive) == 0 ? ColMode
                                                                                    : ColCategory,
                                 false});
    ShowLogStatus();
}

void TFormLog::LocateId(const QVariant& id) {
    // A row far down a big table would have every row before it read; the view then starts at
    // the top instead.
    const qint64 wanted = id.toLongLong();
    if (FQLog->LocateIf(
            0,
            [wanted](const TTableView& view, int row) {
                return view.ValueAt(row, MId).toLongLong() == wanted;
            },
            kLocateRowsMax) != TLocateResult::Found)
        FQLog->First();
}

void TFormLog::ShowAll() {
    if (ActionFindCurrent->isChecked()) {
        ActionFindCurrent->setChecked(false);
        FindCurrent(false);
    }
    SortLogBy(u"ID"_s);
}

void TFormLog::SetSortGlyphForOrder(const QString& orderText) {
    if (const std::optional<TSortGlyph> glyph = SortGlyphForOrder(orderText))
        ShowGlyph(*glyph);
}

void TFormLog::ShowGlyph(const TSortGlyph& glyph) {
    FGlyph = glyph;
    const int column = FGrid->ModelColumn(glyph.Column);
    if (column >= 0)
        FGrid->horizontalHeader()->setSortIndicator(column, glyph.Descending ? Qt::DescendingOrder
                                                                             : Qt::AscendingOrder);
}

void TFormLog::HeaderClicked(int logicalColumn) {
    const QString field = SortFieldOf(logicalColumn);
    if (field.isEmpty()) {
        ShowGlyph(FGlyph); // the header moved its indicator on its own: put it back
        return;
    }
    SortLogBy(field);
}

// ---------------------------------------------------------------------------------------------
// New, open, delete

void TFormLog::NewLogTable() {
    const QString chosen = Prompt().SaveFileName(u"Name for New Database Table"_s, DataFolder(),
                                                 u"Log.DB"_s, kLogFilter);
    if (chosen.isEmpty())
        return;
    QString error;
    const std::optional<QString> path = NewLogTablePath(chosen, error);
    if (!path || !CreateLogTable(*FEngine, *path, error)) {
        ShowError(error);
        return;
    }
    OpenLogTable(*path);
    AddRecent(*path);
}

void TFormLog::OpenLogTableChosen() {
    const QString chosen =
        Prompt().OpenFileName(u"Open Kv7 Database Table"_s, DataFolder(), {}, kLogFilter);
    if (chosen.isEmpty())
        return;
    if (const QString refusal = OpenLogTableRefusal(chosen); !refusal.isEmpty()) {
        ShowError(refusal);
        return;
    }
    OpenLogTable(chosen);
    if (FLogTableFile == FEngine->ResolvePath(chosen))
        AddRecent(FLogTableFile);
}

void TFormLog::OpenRecent(const QString& file) {
    if (!QFileInfo::exists(file)) {
        ShowError(u"File not found"_s);
        RemoveRecent(file);
        return;
    }
    OpenLogTable(file);
}

void TFormLog::DropLogTableChosen() {
    const QString chosen =
        Prompt().OpenFileName(u"Choose Log Table to Delete"_s, DataFolder(), {}, kLogFilter);
    if (chosen.isEmpty())
        return;
    if (const QString refusal = DeleteLogTableRefusal(chosen, FLogTableFile); !refusal.isEmpty()) {
        ShowError(refusal);
        return;
    }
    if (!Prompt().Confirm(u"Kv7"_s, u"Delete Log Table "_s + chosen +
                                        u"\r\n\r\nYOU CANNOT UNDO THIS ACTION\r\nALL DATA WILL BE "
                                        u"IRRETRIEVABLY DELETED!"_s))
        return;
    QString error;
    if (!DropLogTable(*FEngine, FEngine->ResolvePath(chosen), error)) {
        ShowError(error);
        return;
    }
    RemoveRecent(chosen);
    RemoveRecent(FEngine->ResolvePath(chosen));
}

void TFormLog::RebuildIndexes() {
    if (FLogTableFile.isEmpty() ||
        !Prompt().Confirm(u"Kv7"_s, u"Attempt to fix a database table problem by rebuilding "
                                    u"indexes.\r\n   You don't need to do this unless you have a "
                                    u"problem."_s))
        return;
    const QString sql = FQLog->Sql();
    FQLog->Close();
    const QString table = QuoteFileName(FLogTableFile);
    QString error;
    bool ok = EnsureLogIndexes(*FEngine, FLogTableFile, error);
    ok = ok && FEngine->RegenerateIndexes(table);
    if (!ok)
        ShowError(error.isEmpty() ? FEngine->LastError() : error);
    OpenQLog(sql);
    ShowLogStatus();
}

// ---------------------------------------------------------------------------------------------
// Entries

QString TFormLog::MainListText(const char16_t* name) const {
    const auto* list = FMain.findChild<QComboBox*>(QString::fromUtf16(name));
    return list ? list->currentText() : QString();
}

QString TFormLog::CurrentBoxText() const {
    const TMainSheet* sheet = FMain.MainSheet();
    const QChar letter = const_cast<TMainSheet*>(sheet)->State().CurrentVfo;
    const TMainSheetWidgets& w = sheet->Widgets();
    const QLineEdit* box = IsVfoLetter(letter) ? w.EditVco[letter.unicode() - u'A'] : w.FrqEditM;
    return box ? box->text() : QString();
}

QString TFormLog::CurrentSquelchText() const {
    const TMainSheet* sheet = FMain.MainSheet();
    const QChar letter = const_cast<TMainSheet*>(sheet)->State().CurrentVfo;
    const std::size_t index =
        IsVfoLetter(letter) ? std::size_t(letter.unicode() - u'A') : kMemorySquelchIndex;
    const QLineEdit* box = sheet->Widgets().SquelchEdit[index];
    return box ? box->text() : QString();
}

void TFormLog::AddLogEntry() {
    TAR5000* driver = FMain.Driver();
    if (!FQLog->Active() || !FQLog->CanModify() || !driver || !driver->Connected())
        return;
    ShowAll();
    TLogEntry entry;
    entry.FreqText = CurrentBoxText();
    entry.Mode = MainListText(u"ModeComboBox");
    entry.BW = MainListText(u"BandwidthComboBox");
    entry.Step = MainListText(u"StepComboBox");
    entry.Ant = MainListText(u"AntennaComboBox");
    const auto* stadj = FMain.findChild<QCheckBox*>(u"StOffsetBox"_s);
    entry.Stadj = stadj && stadj->isChecked();
    entry.Signal = driver->GetLM().toInt();
    bool squelchOk = false;
    const int squelch = CurrentSquelchText().trimmed().toInt(&squelchOk);
    entry.Squelch = squelchOk ? squelch : kLogSquelchNew;
    QString error;
    if (!AppendLogEntry(*FQLog, entry, LogStampAt(Clock(), FUseUtcTime), error)) {
        ShowError(error);
        return;
    }
    FEngine->Flush();
    FGrid->setCurrentIndex(FModel->index(FQLog->RecNo(), MFreq));
    ShowLogStatus();
}

void TFormLog::AddEntry(const QString& freqText, const QString& modeText, bool stadj, int level,
                        int squelch, const QString& antText, const QString& stepText,
                        const QString& bwText) {
    if (!FQLog->Active())
        return;
    if (!FQLog->CanModify()) {
        Report(u"Dataset is read only.  Try sorting by ID."_s);
        return;
    }
    const QString freq = freqText.trimmed();
    const std::optional<double> mhz = ParseNumber(freq);
    if (mhz) {
        const std::optional<bool> known = FQLog->ShownRowsHave(u"Freq", *mhz);
        if (!known) {
            Report(FQLog->LastError() + u" in FormLog.AddEntry"_s);
            return;
        }
        if (*known)
            return;
    }
    TLogEntry entry{freq, modeText, bwText, stepText, antText, stadj, level, squelch, {}, {}};
    if (FSearchLogCategoryChosen) {
        entry.Notes = FSearchLogNotes;
        entry.CategoryId = FSearchLogCategoryID;
    }
    QString error;
    if (!AppendLogEntry(*FQLog, entry, LogStampAt(Clock(), FUseUtcTime), error)) {
        Report(error + u" in FormLog.AddEntry"_s);
        return;
    }
    FEngine->Flush();
    // Hits can come many times a second: the grid and the status bar are brought up to date a
    // few times a second instead of after every row.
    if (!FHitRepaintTimer->isActive()) {
        FGrid->viewport()->setUpdatesEnabled(false);
        FHitRepaintTimer->start();
    }
}

void TFormLog::FindCurrent(bool on) {
    if (on) {
        SortLogBy(u"ID"_s);
        const std::optional<QString> filter = FindCurrentFilter(CurrentBoxText());
        if (!filter)
            return;
        FQLog->SetFilter(*filter);
        FQLog->SetFiltered(true);
        FQLog->First();
        ShowLogStatus();
        return;
    }
    const QVariant id = FQLog->RecNo() >= 0 ? FQLog->Value(u"ID") : QVariant();
    FQLog->SetFiltered(false);
    if (!id.isNull())
        LocateId(id);
    ShowLogStatus();
}

void TFormLog::DeleteRows() {
    const QModelIndexList selected = FGrid->selectionModel()->selectedRows();
    const auto uncheck = qScopeGuard([this] { CheckBoxMultiSelect->setChecked(false); });
    if (CheckBoxMultiSelect->isChecked() && selected.size() > 1) {
        if (!Prompt().Confirm(u"Kv7"_s, u"Delete all the selected rows?"_s))
            return;
        QList<int> rows;
        for (const QModelIndex& index : selected)
            rows << index.row();
        // From the bottom up, so the rows still to go keep their places.
        std::sort(rows.begin(), rows.end(), std::greater<>());
        TTransaction transaction(*FEngine);
        for (const int row : std::as_const(rows))
            if (!FQLog->MoveTo(row) || !FQLog->Delete()) {
                ShowError(FQLog->LastError());
                return;
            }
        if (!transaction.Commit())
            ShowError(FEngine->LastError());
        FEngine->Flush();
        ShowLogStatus();
        return;
    }
    if (FQLog->RecNo() < 0 || !Prompt().Confirm(u"Kv7"_s, u"Delete record?"_s))
        return;
    if (!FQLog->Delete())
        ShowError(FQLog->LastError());
    FEngine->Flush();
    ShowLogStatus();
}

std::optional<qint64> TFormLog::CurrentId() const {
    if (!FQLog->Active() || FQLog->RecNo() < 0)
        return std::nullopt;
    const QVariant id = FQLog->Value(u"ID");
    bool isNumber = false;
    const qint64 value = id.toLongLong(&isNumber);
    return !id.isNull() && isNumber ? std::optional<qint64>(value) : std::nullopt;
}

std::optional<TDropRow> TFormLog::DropRow(qint64 id) const {
    if (CurrentId() != id)
        return std::nullopt;
    TDropRow row;
    if (const QVariant freq = FQLog->Value(u"Freq"); !freq.isNull())
        row.FreqMHz = freq.toDouble();
    if (const QVariant squelch = FQLog->Value(u"Squelch"); !squelch.isNull())
        row.Squelch = squelch.toInt();
    // Mode, bandwidth and antenna: the first three settings a drop sends.
    row.Settings[0] = FQLog->Value(u"Mode").toString();
    row.Settings[1] = FQLog->Value(u"BW").toString();
    row.Settings[2] = FQLog->Value(u"Ant").toString();
    row.StepAdjust = FQLog->Value(u"Stadj").toBool();
    row.Step = FQLog->Value(u"Step").toString();
    return row;
}

void TFormLog::GridActivated() {
    TAR5000* driver = FMain.Driver();
    if (!driver || !driver->Connected() || FMain.RunFlags().ScanRunning ||
        FMain.RunFlags().SearchRunning)
        return;
    if (auto* pages = FMain.findChild<QTabWidget*>(u"PageControl1"_s))
        pages->setCurrentIndex(0);
    const QChar letter = FMain.MainSheet()->State().CurrentVfo;
    if (FGrid->ModelColumn(
            FGrid->horizontalHeader()->visualIndex(FGrid->currentIndex().column())) == MId &&
        IsVfoLetter(letter))
        Q_EMIT RowDropRequested(letter);
    activateWindow();
    FGrid->setFocus();
}

// ---------------------------------------------------------------------------------------------
// Window

void TFormLog::UpdateActions() {
    TAR5000* driver = FMain.Driver();
    const bool connected = driver && driver->Connected();
    const bool open = FQLog->Active();
    ActionLog->setEnabled(open && FQLog->CanModify() && connected);
    ActionFindCurrent->setEnabled(connected);
    ActionCategory->setEnabled(open);
    ActionSQL->setEnabled(open);
    ActionShowAll->setEnabled(open);
    ActionBlockChangeCategory->setEnabled(open);
    ActionViewNotes->setEnabled(open);
    ActionRebuildIndexes->setEnabled(open);
    ActionExportToCSV->setEnabled(open);
    ActionExport_Kv7Format->setEnabled(open);
    ActionImportCSV->setEnabled(open && FQLog->CanModify());
    ActionImport->setEnabled(open && FQLog->CanModify());
}

void TFormLog::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_L && event->modifiers() == Qt::AltModifier) {
        Q_EMIT LogButtonRequested();
        return;
    }
    static constexpr int kMainKeys[] = {Qt::Key_F5, Qt::Key_F6, Qt::Key_F7,
                                        Qt::Key_F8, Qt::Key_F9, Qt::Key_F11};
    if (event->modifiers() == Qt::NoModifier &&
        std::ranges::find(kMainKeys, key) != std::end(kMainKeys)) {
        FMain.MainSheet()->Tuning()->KeyDown(key, event->modifiers());
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TFormLog::closeEvent(QCloseEvent* event) {
    if (FQLog->State() != TViewState::Browse && FQLog->Active() && !FQLog->Post()) {
        ShowError(FQLog->LastError());
        event->ignore();
        return;
    }
    SaveLogSettings();
    QMainWindow::closeEvent(event);
}

void TFormLog::ShowNotesHint(const QPoint& globalPos, int row, int column) {
    const QString notes = column == MNotes ? FQLog->ValueAt(row, MNotes).toString() : QString();
    if (notes.isEmpty()) {
        NotesHint->hide();
        return;
    }
    NotesHint->setText(notes);
    NotesHint->adjustSize();
    NotesHint->move(globalPos + QPoint(14, 4));
    NotesHint->show();
    FNotesHintTimer->start();
}

// ---------------------------------------------------------------------------------------------
// Categories and notes

void TFormLog::SubSelect() {
    if (FLogTableFile.isEmpty())
        return;
    if (ActionFindCurrent->isChecked()) {
        ActionFindCurrent->setChecked(false);
        FindCurrent(false);
    }
    TSqlLogForm form(*FEngine, *FQLog, FLogTableFile, SubSelectsFileFor(FLogTableFile), this);
    std::vector<TSqlForm::TCategory> categories;
    for (auto c = FCategories.cbegin(); c != FCategories.cend(); ++c)
        categories.push_back({QString::number(c.key()), c.value()});
    std::sort(categories.begin(), categories.end(),
              [](const auto& a, const auto& b) { return a.Text < b.Text; });
    form.SetCategories(categories);
    form.OnApplied = [this, &form](const QString&, bool fromBuildPage) {
        ShowStatement();
        ShowLogStatus();
        if (fromBuildPage)
            SetSortGlyphForOrder(form.Choices().OrderBy);
    };
    form.exec();
}

void TFormLog::ManageCategories() {
    if (FLogTableFile.isEmpty())
        return;
    {
        TFormValuesList manager(*FEngine, FLogTableFile, this);
        manager.exec();
    }
    OpenCategoryTable();
    ShowAll();
}

void TFormLog::ChooseSearchLogCategory() {
    ShowAll();
    FSearchLogCategoryID = QVariant();
    FSearchLogCategoryChosen = false;
    FSearchLogNotes.clear();
    if (FLogTableFile.isEmpty())
        return;
    const auto* label = FMain.findChild<QLineEdit*>(u"TTEdit"_s);
    TFormSelectCategoryText chooser(*FEngine, FLogTableFile, TSelectCategoryMode::SearchLog,
                                    label ? label->text() : QString(), this);
    if (chooser.exec() != QDialog::Accepted)
        return;
    FSearchLogCategoryID = chooser.CategoryId();
    FSearchLogNotes = chooser.NotesText();
    FSearchLogCategoryChosen = true;
    OpenCategoryTable();
    OpenQLog(FQLog->Sql());
    ShowLogStatus();
}

void TFormLog::BlockChangeCategory() {
    if (!FQLog->Active())
        return;
    TFormSelectCategoryText chooser(*FEngine, FLogTableFile, TSelectCategoryMode::BlockChange, {},
                                    this);
    const bool chosen = chooser.exec() == QDialog::Accepted;
    OpenCategoryTable();
    if (!chosen || chooser.CategoryId().isNull())
        return;
    // Exactly the rows the view shows, counted so the question says how many.
    const int rows = FQLog->RecordCount();
    if (!Prompt().Confirm(u"Kv7"_s, u"Change the category of ALL the current selection to:\""_s +
                                        chooser.CategoryText() +
                                        u"\"?\r\nAll rows in the current "
                                        u"sub selection will have their category changed! ("_s +
                                        QString::number(rows) + u" rows)"_s))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    int changed = 0;
    const bool ok = FQLog->UpdateShownRows(u"CategoryID", chooser.CategoryId(), &changed);
    QApplication::restoreOverrideCursor();
    if (!ok)
        ShowError(FQLog->LastError());
    FEngine->Flush();
    if (ActionFindCurrent->isChecked())
        ActionFindCurrent->setChecked(false);
    FQLog->SetFiltered(false);
    OpenQLog(FQLog->Sql());
    ShowLogStatus();
}

void TFormLog::ViewNotes() {
    if (!FQLog->Active() || FQLog->RecNo() < 0)
        return;
    TMemoPopupForm notes(*FQLog, this);
    notes.exec();
    FEngine->Flush();
}
