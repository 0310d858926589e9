#include "MemForm.h"

#include "AR5000.h"
#include "BusyWindow.h"
#include "ChannelActions.h"
#include "ChirpExchange.h"
#include "ColorNumber.h"
#include "DataUnit1.h"
#include "FormPlacement.h"
#include "HelpContext.h"
#include "HelpFile.h"
#include "Hints.h"
#include "IniFile.h"
#include "Kv7Exchange.h"
#include "Main.h"
#include "MainSheet.h"
#include "MemoryGrid.h"
#include "MemoryMaintenance.h"
#include "MemoryPrinting.h"
#include "MemoryTransferController.h"
#include "MoveForm.h"
#include "ProgramFolder.h"
#include "Prompt.h"
#include "SelectScanFlags.h"
#include "SqlForm.h"
#include "SquelchController.h"
#include "TuningController.h"
#include "VfoDrop.h"
#include "VfoPanelController.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

constexpr int kHundreds = 10;
constexpr int kMaxWidth = 820;
constexpr int kIdleCheckMs = 250;
const QString kSection = u"MemForm"_s;
const QColor kGreen(0x00, 0x80, 0x00);

QString StyleFor(const QColor& background) {
    return u"background-color: %1;"_s.arg(background.name());
}

// The grid columns whose title click reorders the view, with their sort and row filter.
struct TTitleRule {
    int Column;
    const char* SortField;
    const char* RowFilter; // nullptr: blanks as the Hide Blanks item says
};
constexpr std::array<TTitleRule, 5> kTitleRules = {{
    {0, "MEM", nullptr},
    {1, "FREQ", kHideBlanksFilter},
    {2, "TEXT", kHideBlanksFilter},
    {14, "MEM", kPassFilter},
    {15, "MEM", kSelectScanFilter},
}};
constexpr int kSquelchColumn = 16;

} // namespace

TMemForm::TMemForm(TMainForm& main, TDataModule1& dataModule, QWidget* parent)
    : QMainWindow(parent)
    , FMain(main)
    , FData(dataModule) {
    setObjectName(u"MemForm"_s);
    setWindowTitle(u"All Mems"_s);
    FHighlight = TableColours(FMain.Settings()).Highlight;

    FTransfers = new TMemoryTransferController(*this, this);
    FMaintenance = new TMemoryMaintenance(*this, this);
    FPrinting = new TMemoryPrinting(*this, this);
    BuildGrid();
    FVfoDrop = new TVfoDrop(*this, this);
    FChannelActions = new TChannelActions(*this, this);
    BuildMenus();
    BuildToolBars();
    BuildStatusBar();
    ApplyColours();
    Place();

    const TIniFile ini(SettingsFileName());
    FNoAutoRefresh->setChecked(ini.ReadBool(kSection, u"NAR"_s, false));
    FData.ViewState.CurrentTable = QString::fromLatin1(kBankTables[0]);
    const bool switchable = !FMain.Driver()->BankSwitchDisabled;
    FBank0->setEnabled(switchable);
    FBank1->setEnabled(switchable);
    connect(&FData, &TDataModule1::StatusChanged, this, &TMemForm::UpdateStatus);
    UpdateStatus(FData.StatusText(0), FData.StatusText(1));
    connect(&FMain, &TMainForm::SavingSettings, this, [this] {
        TIniFile settingsFile(SettingsFileName());
        SaveSettings(settingsFile);
    });
    qApp->installEventFilter(this);
    // What the main window runs decides what may be used here; it is looked at when idle.
    auto* idle = new QTimer(this);
    idle->setInterval(kIdleCheckMs);
    connect(idle, &QTimer::timeout, this, &TMemForm::UpdateBusyState);
    idle->start();
    ApplyHelpContexts(this);
}

QPrinter& TMemForm::Printer() {
    if (!FPrinter)
        FPrinter = std::make_unique<QPrinter>();
    return *FPrinter;
}

TMemForm::~TMemForm() {
    qApp->removeEventFilter(this);
}

// ---------------------------------------------------------------------------------------------
// Building

void TMemForm::BuildGrid() {
    FGrid = new TMemoryGrid(this);
    FGrid->SetTableModel(&FData.DataSource1());
    FGrid->CurrentBank = [this] {
        return FData.CurrentBank();
    };
    FGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    setCentralWidget(FGrid);
    connect(FGrid, &TMemoryGrid::TuneRequested, this, &TMemForm::TuneToRow);
    connect(FGrid, &TMemoryGrid::QuickJumpRequested, this, &TMemForm::QuickJump);
    connect(FGrid, &TMemoryGrid::TitleClicked, this, &TMemForm::TitleClicked);
    connect(FGrid, &TMemoryGrid::ScrollKeyReleased, this, &TMemForm::ScrollKeyReleased);
    connect(FGrid, &QWidget::customContextMenuRequested, this, &TMemForm::ShowGridMenu);
    FGrid->BindToView(FData.MemQuery1());
    connect(&FData.DataSource1(), &TTableModel::EditFailed, this,
            [this](const QString& error) { FMain.AddMessage(error); });
}

QAction* TMemForm::Action(QMenu* menu, const QString& text, const QString& hint) {
    QAction* action = menu->addAction(text);
    if (!hint.isEmpty())
        action->setStatusTip(hint);
    return action;
}

QToolButton* TMemForm::ToolButton(const QString& name, const QString& text, const QString& hint) {
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setText(text);
    SetHint(button, hint);
    button->setAutoRaise(true);
    return button;
}

void TMemForm::BuildMenus() {
    // Items that later features fill are present and disabled until then.
    const auto later = [](QAction* action) {
        action->setEnabled(false);
        action->setProperty("later", true);
    };

    FFileMenu = new QMenu(u"&File"_s, this);
    FFileMenu->setObjectName(u"FileMenu"_s);
    QAction* upload = Action(FFileMenu, u"&Upload From Rx"_s, u"Upload ALL memories into table"_s);
    connect(upload, &QAction::triggered, FTransfers, &TMemoryTransferController::LoadFromReceiver);
    connect(Action(FFileMenu, u"&Save Table As"_s,
                   u"Save ALL current table (Export generally better)"_s),
            &QAction::triggered, FMaintenance, &TMemoryMaintenance::SaveTableAs);
    FFileMenu->addSeparator();
    connect(Action(FFileMenu, u"&Open Table"_s, u"Load in a saved table"_s), &QAction::triggered,
            FMaintenance, &TMemoryMaintenance::OpenTable);
    QAction* download =
        Action(FFileMenu, u"&Download to Rx"_s, u"Download ALL or CHANGED records to Rx"_s);
    connect(download, &QAction::triggered, FTransfers,
            &TMemoryTransferController::DownloadToReceiver);
    FFileMenu->addSeparator();
    connect(Action(FFileMenu, u"&Blank Table"_s, u"Blank entire table CARE!"_s),
            &QAction::triggered, FMaintenance, &TMemoryMaintenance::BlankTable);
    connect(
        Action(FFileMenu, u"&Reset \"Changed\" flags"_s, u"Clear \"Changed\" flags from table"_s),
        &QAction::triggered, FMaintenance, &TMemoryMaintenance::ResetChangedFlags);
    FFileMenu->addSeparator();
    QMenu* blankBank = FFileMenu->addMenu(u"Blank A Bank"_s);
    blankBank->setObjectName(u"BlankABank"_s);
    blankBank->menuAction()->setStatusTip(u"Blank a bank of 100 mems"_s);
    for (int hundred = 0; hundred < kHundreds; ++hundred)
        connect(blankBank->addAction(QString::number(hundred)), &QAction::triggered, this,
                [this, hundred] { FMaintenance->BlankBank(hundred); });
    FReceiverActions << upload << download << blankBank->menuAction();
    FFileMenu->addSeparator();
    auto* kv7 = new TKv7Exchange(*this, this);
    QAction* exportBank = Action(FFileMenu, u"&Export"_s, u"Export current sub selection"_s);
    exportBank->setObjectName(u"ExportBank1"_s);
    connect(exportBank, &QAction::triggered, kv7, &TKv7Exchange::ExportBank1);
    auto* chirp = new TChirpExchange(*this, this);
    QAction* exportChirp = Action(FFileMenu, u"Export as &CHIRP CSV..."_s,
                                  u"Export current sub selection as a CHIRP channel list"_s);
    exportChirp->setObjectName(u"ExportChirpCsv1"_s);
    connect(exportChirp, &QAction::triggered, chirp, &TChirpExchange::ExportChirpCsv1);
    QMenu* import = FFileMenu->addMenu(u"&Import"_s);
    import->menuAction()->setStatusTip(u"Import or relocate exported data"_s);
    QAction* readIn = import->addAction(u"&Read in an Kv7 table"_s);
    readIn->setObjectName(u"ReadinanKv7table1"_s);
    connect(readIn, &QAction::triggered, kv7, &TKv7Exchange::ReadinanKv7table1);
    QAction* relocate = import->addAction(u"&Relocate Kv7 saved table"_s);
    relocate->setObjectName(u"RelocateKv7savedtable1"_s);
    connect(relocate, &QAction::triggered, kv7, &TKv7Exchange::RelocateKv7savedtable1);
    QAction* readChirp = import->addAction(u"Read in a C&HIRP CSV file..."_s);
    readChirp->setObjectName(u"ReadinaChirpCsvfile1"_s);
    readChirp->setStatusTip(u"Read a CHIRP channel list into the current table"_s);
    connect(readChirp, &QAction::triggered, chirp, &TChirpExchange::ReadinaChirpCsvfile1);
    FFileMenu->addSeparator();
    QAction* importCtcss =
        Action(FFileMenu, u"Import CTCSS to Rx Mem Channels"_s, u"Import CTCSS from text file"_s);
    importCtcss->setObjectName(u"ImportCTCSStoRxMemChannels1"_s);
    connect(importCtcss, &QAction::triggered, FChannelActions, &TChannelActions::ImportCtcss);
    FReceiverActions << importCtcss;
    FFileMenu->addSeparator();
    QAction* print = Action(FFileMenu, u"Print Memory Channel Listing"_s);
    print->setShortcut(QKeySequence(u"Ctrl+P"_s));
    // The key is the window's (WindowKey), so that it is seen before the controls.
    print->setShortcutContext(Qt::WidgetShortcut);
    connect(print, &QAction::triggered, FPrinting, &TMemoryPrinting::PrintMemoryChannelListing);
    connect(Action(FFileMenu, u"Printer Setup..."_s), &QAction::triggered, FPrinting,
            &TMemoryPrinting::PrinterSetup);
    FFileMenu->addSeparator();
    QAction* rebuild = Action(FFileMenu, u"Rebuild Database Indexes"_s,
                              u"Attempt repair of active memory table indexes"_s);
    SetHelpContext(rebuild, HelpContextFor(u"RebuildIndexes"));
    connect(rebuild, &QAction::triggered, FMaintenance, &TMemoryMaintenance::RebuildIndexes);

    FNavMenu = new QMenu(u"&Nav"_s, this);
    FNavMenu->setObjectName(u"NavMenu"_s);
    connect(Action(FNavMenu, u"Current Mem"_s, u"Locate table to Rx current mem"_s),
            &QAction::triggered, this, &TMemForm::GoToCurrentMemory);
    TTableView& view = FData.MemQuery1();
    connect(Action(FNavMenu, u"First Record"_s), &QAction::triggered, this,
            [&view] { view.First(); });
    connect(Action(FNavMenu, u"Next Record"_s), &QAction::triggered, this,
            [&view] { view.Next(); });
    connect(Action(FNavMenu, u"Prior Record"_s), &QAction::triggered, this,
            [&view] { view.Prior(); });
    connect(Action(FNavMenu, u"Last Record"_s), &QAction::triggered, this,
            [&view] { view.Last(); });
    connect(Action(FNavMenu, u"Jump To Bookmark"_s), &QAction::triggered, this,
            &TMemForm::JumpToBookmark);

    FHelpMenu = new QMenu(u"&Help"_s, this);
    // Each runs the main window's item of the same name, where the main window has one.
    const QList<QAction*> mainItems = FMain.findChildren<QAction*>();
    for (const QString& text : {u"&Contents"_s, u"AR5000 &Version Info"_s, u"&About..."_s,
                                u"Online check version..."_s}) {
        QAction* item = FHelpMenu->addAction(text);
        const auto same = std::find_if(mainItems.begin(), mainItems.end(),
                                       [&text](const QAction* a) { return a->text() == text; });
        if (same == mainItems.end()) {
            later(item);
            continue;
        }
        connect(item, &QAction::triggered, *same, &QAction::trigger);
        // The version is asked of the receiver.
        if (text.contains(u"Version Info"_s))
            FReceiverActions << item;
    }

    // Jump by hundreds, and sub-select a hundred: both carry "Hide Blanks" and "Show All".
    FJumpMenu = new QMenu(this);
    FJumpMenu->setObjectName(u"PopupMenu2"_s);
    FHideBlanksJump = Action(FJumpMenu, u"Hide Blanks"_s, u"Click MEM in title to restore"_s);
    FHideBlanksJump->setCheckable(true);
    connect(FHideBlanksJump, &QAction::triggered, this, &TMemForm::ToggleHideBlanks);
    connect(FJumpMenu->addAction(u"Show All"_s), &QAction::triggered, this,
            &TMemForm::ShowAllMemories);
    FSubSelectMenu = new QMenu(this);
    FSubSelectMenu->setObjectName(u"SubSelectBankPopupMenu"_s);
    FHideBlanksSubSelect = FSubSelectMenu->addAction(u"Hide Blanks"_s);
    FHideBlanksSubSelect->setObjectName(u"HideBlanksOnSelectMenuItem"_s);
    FHideBlanksSubSelect->setCheckable(true);
    connect(FHideBlanksSubSelect, &QAction::triggered, this, &TMemForm::ToggleHideBlanks);
    connect(FSubSelectMenu->addAction(u"Show All"_s), &QAction::triggered, this,
            &TMemForm::ShowAllMemories);
    FHundredGroup = new QActionGroup(this);
    FHundredGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (int hundred = 0; hundred < kHundreds; ++hundred) {
        const QString caption = FormatMemNumber(hundred * 100);
        connect(FJumpMenu->addAction(caption), &QAction::triggered, this,
                [this, hundred] { JumpByHundred(hundred); });
        QAction* item = FSubSelectMenu->addAction(caption);
        item->setCheckable(true);
        FHundredGroup->addAction(item);
        FHundredItems[static_cast<std::size_t>(hundred)] = item;
        connect(item, &QAction::triggered, this, [this, hundred] { SubSelectHundred(hundred); });
    }

    FGridMenu = new QMenu(this);
    FGridMenu->setObjectName(u"PopupMenuRightClick"_s);
    connect(Action(FGridMenu, u"To Current Vfo"_s, u"Send this mem to current vfo"_s),
            &QAction::triggered, FChannelActions, &TChannelActions::CopyToCurrentVfo);
    for (const QChar letter : {u'A', u'B', u'C', u'D', u'E'}) {
        QAction* toVfo = Action(FGridMenu, u"To Vfo "_s + letter,
                                letter == u'A' ? u"Send this mem to VfoA"_s : QString());
        connect(toVfo, &QAction::triggered, FChannelActions,
                [this, letter] { FChannelActions->CopyToVfo(letter); });
    }
    connect(FGridMenu->addAction(u"Refresh record FROM Rx"_s), &QAction::triggered, FTransfers,
            &TMemoryTransferController::RefreshRow);
    connect(FGridMenu->addAction(u"Copy record TO Rx Mem"_s), &QAction::triggered, FTransfers,
            [this] { FTransfers->WriteRow(FData.MemQuery1()); });
    connect(Action(FGridMenu, u"Move Mem"_s, u"Show the MOVE form"_s), &QAction::triggered, this,
            [this] { OpenMoveForm(*this); });
    connect(FGridMenu->addAction(u"Delete Mem"_s), &QAction::triggered, FChannelActions,
            &TChannelActions::DeleteMem);
    connect(Action(FGridMenu, u"Add to Search Pass Freqs"_s,
                   u"First Set active search bank on search panel"_s),
            &QAction::triggered, FChannelActions, &TChannelActions::AddToSearchPassFreqs);
    QAction* clearSelectScan = FGridMenu->addAction(u"Clear ALL Select Scan flags"_s);
    clearSelectScan->setObjectName(u"ClearALLSelectScan1"_s);
    connect(clearSelectScan, &QAction::triggered, this, &TMemForm::ClearAllSelectScan);
    FReceiverActions << clearSelectScan;
}

void TMemForm::BuildToolBars() {
    const auto bar = [this](const QString& title) {
        QToolBar* toolBar = addToolBar(title);
        toolBar->setObjectName(title.trimmed() + u"Band"_s);
        toolBar->setMovable(false);
        return toolBar;
    };
    const auto dropButton = [this](QToolBar* toolBar, const QString& name, const QString& text,
                                   const QString& hint, QMenu* menu) {
        QToolButton* button = ToolButton(name, text, hint);
        button->setMenu(menu);
        // Clicking the button itself opens its menu too.
        button->setPopupMode(QToolButton::InstantPopup);
        toolBar->addWidget(button);
        return button;
    };

    QToolBar* menuBand = bar(u"Menu"_s);
    dropButton(menuBand, u"FileButton"_s, u"&File"_s, {}, FFileMenu);
    dropButton(menuBand, u"NavButton"_s, u"&Nav"_s, u"Locate table to RX current mem"_s, FNavMenu);
    dropButton(menuBand, u"HelpButton"_s, u"&Help"_s, {}, FHelpMenu);
    FMultiSelect = new QCheckBox(u"M&ulti Row Select for Delete"_s, this);
    FMultiSelect->setObjectName(u"cbMultiSelect"_s);
    FMultiSelect->setToolTip(u"To select multiple rows on grid for delete\r\nCtrl-click toggles, "
                             u"shift-cursor keys selects block"_s);
    connect(FMultiSelect, &QCheckBox::toggled, this, &TMemForm::MultiSelectClicked);
    menuBand->addWidget(FMultiSelect);
    FDeleteRows = ToolButton(u"btnDeleteMultipleRows"_s, u"Del"_s, u"Delete Selected Rows"_s);
    connect(FDeleteRows, &QToolButton::clicked, FChannelActions, &TChannelActions::DeleteMem);
    FDeleteRowsAction = menuBand->addWidget(FDeleteRows);
    FDeleteRowsAction->setVisible(false);

    QToolBar* disk = bar(u"Disk  "_s);
    const auto add = [](QToolBar* toolBar, QToolButton* button, auto&& slot) {
        toolBar->addWidget(button);
        QObject::connect(button, &QToolButton::clicked, button, slot);
        return button;
    };
    FReceiverControls << add(disk, ToolButton(u"UploadToolButton"_s, u"Load"_s, u"|Load From Rx"_s),
                             [this] { FTransfers->LoadFromReceiver(); });
    add(disk, ToolButton(u"ToolButton2"_s, u"Save"_s, u"|Save Table As"_s),
        [this] { FMaintenance->SaveTableAs(); });
    add(disk, ToolButton(u"ToolButton3"_s, u"Open"_s, u"|Import Table"_s),
        [this] { FMaintenance->OpenTable(); });
    FReceiverControls << add(disk, ToolButton(u"ToolButton4"_s, u"Send"_s, u"|Download to Rx"_s),
                             [this] { FTransfers->DownloadToReceiver(); });

    // The info band has a row of its own: the hints it shows are long.
    addToolBarBreak();
    QToolBar* info = bar(u"Info  "_s);
    FInfoPanel = new QLabel(this);
    FInfoPanel->setObjectName(u"InfoPanel"_s);
    FInfoPanel->setMinimumWidth(420);
    FInfoPanel->setStyleSheet(u"background-color: black; color: lime; padding: 2px;"_s);
    info->addWidget(FInfoPanel);
    FMemIdentPanel = ToolButton(u"MemIdentPanel"_s, {}, u"|Click to locate table"_s);
    FMemIdentPanel->setMinimumWidth(40);
    add(info, FMemIdentPanel, [this] { GoToCurrentMemory(); });
    QToolButton* sql = ToolButton(u"ToolButtonSQL"_s, u"SQL"_s,
                                  u"[Ctrl-Shift-Q]|Build/choose complex sub-selections, edit "
                                  u"and save SQL"_s);
    add(info, sql, [this] { ShowSqlForm(); });
    add(info,
        ToolButton(u"ToolButton6"_s, u"Sq"_s,
                   u"First Click Squelch in title bar|Fill squelch values in selected rows"_s),
        [this] { SquelchFill(); });
    add(info, ToolButton(u"ToolButton8"_s, u"?"_s, u"Help"_s),
        [this] { ShowHelpContext(windowTitle(), HelpContextFor(u"MemForm")); });
    add(info, ToolButton(u"ToolButton18"_s, u"Close"_s, u"|Close"_s), [this] { close(); });

    addToolBarBreak();
    QToolBar* nav = bar(u"Navigation"_s);
    add(nav, ToolButton(u"NavFirst"_s, u"|<"_s, u"First"_s), [this] { FData.MemQuery1().First(); });
    add(nav, ToolButton(u"NavPrior"_s, u"<"_s, u"Prior"_s), [this] { FData.MemQuery1().Prior(); });
    add(nav, ToolButton(u"NavNext"_s, u">"_s, u"Next"_s), [this] { FData.MemQuery1().Next(); });
    add(nav, ToolButton(u"NavLast"_s, u">|"_s, u"Last"_s), [this] { FData.MemQuery1().Last(); });
    const auto jumpToMask = [this] {
        if (!FMaskEdit1->text().isEmpty())
            GoToChannel(FMaskEdit1->text().toInt());
    };
    add(nav, ToolButton(u"BitButtonAcceptControls1"_s, u"Mem"_s, u"|Jump to mem"_s), jumpToMask);
    FMaskEdit1 = new QLineEdit(this);
    FMaskEdit1->setObjectName(u"MaskEdit1"_s);
    FMaskEdit1->setValidator(
        new QRegularExpressionValidator(QRegularExpression(u"\\d{0,3}"_s), FMaskEdit1));
    FMaskEdit1->setFixedWidth(36);
    FMaskEdit1->setStyleSheet(StyleFor(kGreen));
    connect(FMaskEdit1, &QLineEdit::returnPressed, this, jumpToMask);
    nav->addWidget(FMaskEdit1);
    dropButton(nav, u"ToolButton9"_s, u"100s"_s, u"|Jump by hundreds"_s, FJumpMenu);
    add(nav,
        ToolButton(u"ToolButtonLocate"_s, u"Find"_s,
                   u"|F3   Search   Click in the search field first   WildCards * and ?"_s),
        [this] { Locate(); });
    FSubSelectButton = ToolButton(u"SubSelectButton"_s, u"Txt"_s,
                                  u"|Quick Sub-Select by partial text Clears SQL sub select."_s);
    add(nav, FSubSelectButton, [this] { ApplyQuickFilter(); });
    FEdit1 = new QLineEdit(this);
    FEdit1->setObjectName(u"Edit1"_s);
    FEdit1->setFixedWidth(70);
    FEdit1->setStyleSheet(StyleFor(kGreen));
    connect(FEdit1, &QLineEdit::returnPressed, FSubSelectButton, &QToolButton::click);
    nav->addWidget(FEdit1);
    add(nav, ToolButton(u"ToolButtonFilterOff"_s, u"All"_s, u"|Show All (Ctrl-A)"_s),
        [this] { ShowAllMemories(); });
    dropButton(nav, u"ToolButton5"_s, u"Sub"_s, u"|Sub-Select bank"_s, FSubSelectMenu);
    FBookmarkButton = ToolButton(u"BookmarkToolButton"_s, u"BM"_s, u"|Place a Bookmark"_s);
    FBookmarkButton->setCheckable(true);
    connect(FBookmarkButton, &QToolButton::clicked, this, [this] { SetBookmark(!HasBookmark()); });
    nav->addWidget(FBookmarkButton);
    add(nav, ToolButton(u"LocateToBookmarkToolButton"_s, u"GoBM"_s, u"|Jump to Bookmark"_s),
        [this] { JumpToBookmark(); });
    FNoAutoRefresh = new QCheckBox(u"NAR"_s, this);
    FNoAutoRefresh->setObjectName(u"cbNoAutoRefresh"_s);
    FNoAutoRefresh->setToolTip(
        u"No Auto Refresh\r\nPrevent rows being refreshed when selecting "
        u"memory.\r\nUse when editing multiple rows or if you want to "
        u"keep\r\nthe memory table unchanged by direct changes to the Rx."_s);
    nav->addWidget(FNoAutoRefresh);
    FMemOnScrollButton = ToolButton(u"MemOnScrollButton"_s, u"Scroll"_s,
                                    u"[Ctrl-Shift-K]|Select Mem on Keyboard scroll"_s);
    FMemOnScrollButton->setCheckable(true);
    connect(FMemOnScrollButton, &QToolButton::toggled, this, &TMemForm::SetSelectOnScroll);
    nav->addWidget(FMemOnScrollButton);
    FBank0 = new QRadioButton(u"Bank 0"_s, this);
    FBank0->setObjectName(u"Bank0RadioButton"_s);
    FBank0->setToolTip(u"Memory Bank 0"_s);
    FBank0->setChecked(true);
    FBank1 = new QRadioButton(u"Bank 1"_s, this);
    FBank1->setObjectName(u"Bank1RadioButton"_s);
    FBank1->setToolTip(u"Memory Bank 1"_s);
    connect(FBank0, &QRadioButton::clicked, this, [this] { SwitchBank(0); });
    connect(FBank1, &QRadioButton::clicked, this, [this] { SwitchBank(1); });
    nav->addWidget(FBank0);
    nav->addWidget(FBank1);
}

void TMemForm::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(u"StatusBar1"_s);
    bar->setToolTip(u"[Ctrl-A] = Show All, [Ctrl-F3] Quick Jump"_s);
    FStatusCount = new QLabel(bar);
    FStatusCount->setObjectName(u"StatusPanel0"_s);
    FStatusCount->setFixedWidth(200);
    FStatusAccess = new QLabel(bar);
    FStatusAccess->setObjectName(u"StatusPanel1"_s);
    FStatusAccess->setMinimumWidth(70);
    bar->addWidget(FStatusCount);
    bar->addWidget(FStatusAccess);
}

void TMemForm::Place() {
    const QRect screen =
        FMain.screen() ? FMain.screen()->availableGeometry() : QRect(0, 0, 1280, 1024);
    int left = 10;
    int width = screen.width() - FMain.width() - 30;
    if (width > kMaxWidth) {
        width = kMaxWidth;
        left = FMain.x() - (kMaxWidth + 10);
    }
    const TIniFile ini(SettingsFileName());
    RestoreFormPlacement(this, left, 10, ini, FMain.height(), width);
}

void TMemForm::ApplyColours() {
    const TTableColours colours = TableColours(FMain.Settings());
    FGrid->SetColours(colours.Title, colours.Back, colours.Text);
    ResetTitleColours();
}

// ---------------------------------------------------------------------------------------------
// The view

int TMemForm::CurrentChannel() const {
    TTableView& view = FData.MemQuery1();
    return view.Active() && view.RecNo() >= 0 ? view.Value(u"MEM").toString().toInt() : -1;
}

void TMemForm::FollowCurrentRow(int row) {
    FGrid->FollowViewRow(row);
}

void TMemForm::ReopenView(const QString& sql) {
    setWindowTitle(sql);
    if (!FData.ReopenMemoryView(sql))
        FMain.AddMessage(FData.LastError());
}

void TMemForm::ResetTitleColours() {
    FGrid->SetTitleHighlight(-1, FHighlight);
}

void TMemForm::SetHideBlanksItems(bool checked, bool enabled) {
    for (QAction* item : {FHideBlanksJump, FHideBlanksSubSelect}) {
        item->setChecked(checked);
        item->setEnabled(enabled);
    }
}

void TMemForm::ShowAllMemories() {
    ResetTitleColours();
    for (QAction* item : {FHideBlanksJump, FHideBlanksSubSelect}) {
        item->setEnabled(true);
        item->setChecked(false);
    }
    for (QAction* item : FHundredItems)
        item->setChecked(false);
    FData.ViewState.BankFilter.clear();
    FData.ViewState.RowFilter.clear();
    FData.ViewState.SortField = u"MEM"_s;
    setWindowTitle(u"All Mems"_s);
    SetQuickFilter(false);
    ReopenView(FData.BuildMemorySql());
}

void TMemForm::ShowSqlForm() {
    ShowAllMemories();
    if (!FSqlForm) {
        FSqlForm = new TSqlDirectForm(FData.Engine(), FData.MemQuery1(),
                                      ProgramFile(u"Kv7SQL.ini"_s), this);
        FSqlForm->OnApplied = [this](const QString& sql, bool) {
            setWindowTitle(sql.trimmed());
        };
    }
    FSqlForm->SetTable(FData.ViewState.CurrentTable);
    if (FSqlForm->exec() == QDialog::Accepted)
        FSqlForm->ApplyBuildPage();
}

void TMemForm::ClearAllSelectScan() {
    TAR5000& driver = *FMain.Driver();
    if (!driver.Connected() || RefusedWhileBusy())
        return;
    if (!Prompt().Confirm(u"Warning"_s, u"Clear ALL Select Scan Flags?\r\nAre you sure?"_s))
        return;
    // A table that could not be written has said why through the data module.
    ClearAllSelectScanFlags(driver, FData);
    ShowAllMemories();
}

void TMemForm::TitleClicked(int gridColumn) {
    FHideBlanksJump->setEnabled(true);
    FHideBlanksSubSelect->setEnabled(true);
    ClearBookmark(true);
    if (gridColumn == kSquelchColumn) {
        if (Prompt().Confirm(windowTitle(),
                             u"          Select rows for squelch field fill\r\nSquelch value from "
                             u"first row will be copied to all rows\r\n   Ctrl-click toggles, "
                             u"shift-cursor keys selects block\r\n            Then click Squelch "
                             u"fill button"_s))
            FGrid->SetMultiSelect(true);
        return;
    }
    const auto rule =
        std::find_if(kTitleRules.begin(), kTitleRules.end(),
                     [gridColumn](const TTitleRule& r) { return r.Column == gridColumn; });
    if (rule == kTitleRules.end())
        return;
    FGrid->SetTitleHighlight(gridColumn, FHighlight);
    TMemoryViewState& state = FData.ViewState;
    if (rule->RowFilter) {
        SetHideBlanksItems(true, false);
        state.RowFilter = QString::fromLatin1(rule->RowFilter);
    } else {
        state.RowFilter =
            FHideBlanksSubSelect->isChecked() ? QString::fromLatin1(kHideBlanksFilter) : QString();
    }
    state.SortField = QString::fromLatin1(rule->SortField);
    ReopenView(FData.BuildMemorySql());
}

void TMemForm::SubSelectHundred(int hundred) {
    for (QAction* item : FHundredItems)
        item->setChecked(item == FHundredItems[static_cast<std::size_t>(hundred)]);
    TMemoryViewState& state = FData.ViewState;
    state.BankFilter = HundredFilter(hundred);
    if (state.SortField.isEmpty())
        state.SortField = u"MEM"_s;
    if (!FHideBlanksSubSelect->isChecked())
        state.RowFilter.clear();
    else if (state.RowFilter.isEmpty())
        state.RowFilter = QString::fromLatin1(kHideBlanksFilter);
    ReopenView(FData.BuildMemorySql());
}

void TMemForm::ToggleHideBlanks() {
    // Both items act alike; the one clicked has already toggled itself.
    auto* clicked = qobject_cast<QAction*>(sender());
    const bool checked = clicked ? clicked->isChecked() : !FHideBlanksSubSelect->isChecked();
    FHideBlanksJump->setChecked(checked);
    FHideBlanksSubSelect->setChecked(checked);
    for (int hundred = 0; hundred < kHundreds; ++hundred) {
        if (FHundredItems[static_cast<std::size_t>(hundred)]->isChecked()) {
            SubSelectHundred(hundred);
            return;
        }
    }
    if (!checked) {
        ShowAllMemories();
        return;
    }
    if (!FData.ReopenMemoryView(HideBlanksSql(FData.ViewState.CurrentTable)))
        FMain.AddMessage(FData.LastError());
    setWindowTitle(u"All Mems Blanks hidden"_s);
}

void TMemForm::JumpByHundred(int hundred) {
    // A channel the view does not hold leaves the view where it was.
    for (int i = 0; i < 10; ++i) {
        if (LocateChannel(hundred * 100 + i))
            return;
    }
}

bool TMemForm::LocateChannel(int channel) {
    if (channel < 0 || channel >= kBankRows)
        return false;
    return FData.LocateMemory(FormatMemNumber(channel)) == TLocateResult::Found;
}

std::optional<TDropRow> TMemForm::DropRow(int bank, int channel) {
    if ((bank >= 0 && bank != FData.CurrentBank()) || !LocateChannel(channel))
        return std::nullopt;
    // The row's settings in the order a drop sends them.
    static constexpr std::array<const char16_t*, kRowSettingSelectors.size()> kFields = {
        u"MODE", u"BW", u"ANT", u"ATN", u"SSTEP", u"AGC", u"LP", u"HP", u"DM"};
    const TTableView& view = FData.MemQuery1();
    TDropRow row;
    if (const QVariant freq = view.Value(u"FREQ"); !freq.isNull())
        row.FreqMHz = freq.toDouble();
    if (const QVariant squelch = view.Value(u"SQUELCH"); !squelch.isNull())
        row.Squelch = squelch.toInt();
    for (std::size_t i = 0; i < kFields.size(); ++i)
        row.Settings[i] = view.Value(QStringView(kFields[i])).toString();
    row.StepAdjust = view.Value(u"STADJ").toBool();
    row.Step = view.Value(u"STEP").toString();
    return row;
}

bool TMemForm::GoToChannel(int channel) {
    if (!LocateChannel(channel))
        return false;
    // The row may already be current while the user has scrolled away from it.
    FollowCurrentRow(FData.MemQuery1().RecNo());
    FGrid->scrollTo(FGrid->currentIndex());
    return true;
}

void TMemForm::GoToCurrentMemory() {
    // An empty panel: no channel read yet, which is channel 000.
    const QString shown = ShownChannel().trimmed();
    GoToChannel(shown.isEmpty() ? 0 : shown.toInt());
}

void TMemForm::SetHighlightColor(const QColor& colour) {
    FHighlight = colour;
    FGrid->SetTitleHighlight(FGrid->HighlightedTitle(), colour);
    if (FData.MemQuery1().Filtered())
        FEdit1->setStyleSheet(StyleFor(colour));
}

void TMemForm::SetQuickFilter(bool on) {
    TTableView& view = FData.MemQuery1();
    if (view.Filtered() != on && !view.SetFiltered(on))
        FMain.AddMessage(view.LastError());
    if (!on)
        FEdit1->setStyleSheet(StyleFor(kGreen));
}

void TMemForm::ApplyQuickFilter() {
    FData.QuickFilterText = FEdit1->text();
    if (FEdit1->text().isEmpty()) {
        SetQuickFilter(false);
        UpdateStatus(FData.StatusText(0), FData.StatusText(1));
        return;
    }
    SetQuickFilter(false);
    ClearBookmark(true);
    ShowAllMemories();
    FSubSelectButton->setEnabled(false);
    FEdit1->setStyleSheet(StyleFor(FHighlight));
    SetQuickFilter(true);
    FSubSelectButton->setEnabled(true);
}

void TMemForm::Locate() {
    QString title = u"Search Form"_s;
    if (FMemOnScrollButton->isChecked()) {
        FMemOnScrollButton->setChecked(false);
        title = u"Search Form.  Select on scroll cancelled"_s;
    }
    const auto pattern = Prompt().AskText(title, u"TEXT"_s, {});
    if (!pattern || pattern->isEmpty())
        return;
    // A partial match anywhere in TEXT, "?" and "*" standing for one or any characters.
    const QRegularExpression match(
        QRegularExpression::wildcardToRegularExpression(
            u"*"_s + *pattern + u"*"_s, QRegularExpression::UnanchoredWildcardConversion),
        QRegularExpression::CaseInsensitiveOption);
    TTableView& view = FData.MemQuery1();
    const int text = view.FieldIndex(u"TEXT");
    const TLocateResult found = view.LocateIf(view.RecNo() + 1, [&](const TTableView& v, int row) {
        return match.match(v.ValueAt(row, text).toString()).hasMatch();
    });
    if (found != TLocateResult::Found)
        FMain.AddMessage(u"Search string '"_s + *pattern + u"' not found"_s);
}

void TMemForm::QuickJump() {
    std::optional<int> channel;
    while (!channel) {
        const auto answer = Prompt().AskText(u"Quick Jump to Memory"_s,
                                             u"Enter the memory channel to jump to"_s, {});
        if (!answer)
            return;
        bool ok = false;
        const int n = answer->trimmed().toInt(&ok);
        if (ok)
            channel = n;
    }
    ShowAllMemories();
    if (LocateChannel(*channel) && !FData.MemQuery1().IsNull(u"FREQ"))
        TuneToRow();
}

void TMemForm::ClearBookmark(bool announce) {
    if (!FBookmark.IsValid())
        return;
    FBookmark.Clear();
    FBookmarkButton->setChecked(false);
    if (announce)
        SetInfo(u"Bookmark cleared"_s);
}

void TMemForm::SetBookmark(bool on) {
    if (!on) {
        ClearBookmark(false);
        return;
    }
    FBookmark = FData.MemQuery1().GetBookmark();
    FBookmarkButton->setChecked(FBookmark.IsValid());
}

void TMemForm::JumpToBookmark() {
    TTableView& view = FData.MemQuery1();
    if (FBookmark.IsValid() && view.BookmarkValid(FBookmark))
        view.GotoBookmark(FBookmark);
}

void TMemForm::SetInfo(const QString& text) {
    FInfoPanel->setText(text);
}

QString TMemForm::InfoText() const {
    return FInfoPanel->text();
}

void TMemForm::UpdateStatus(const QString& rowCountText, const QString& accessText) {
    FStatusCount->setText(rowCountText);
    FStatusAccess->setText(accessText);
}

// ---------------------------------------------------------------------------------------------
// The receiver

bool TMemForm::MainBusy() const {
    const TRunFlags& flags = FMain.RunFlags();
    return flags.SearchRunning || flags.ScanRunning || flags.SelectScanRunning;
}

bool TMemForm::RefusedWhileBusy() {
    if (!MainBusy())
        return false;
    FMain.AddMessage(u"Stop Scan First"_s);
    return true;
}

void TMemForm::SwitchToMemorySelection() {
    SetChannelHighlighted(true);
}

void TMemForm::ApplyRowAntenna() {
    TAR5000& driver = *FMain.Driver();
    TTableView& view = FData.MemQuery1();
    if (driver.FirmwareID <= 0 || !view.Active() || view.RecNo() < 0)
        return;
    const QString antenna = view.Value(u"ANT").toString();
    if (antenna.compare(u"Auto"_s, Qt::CaseInsensitive) == 0) {
        driver.SetAntenna(0);
        return;
    }
    bool ok = false;
    const int number = antenna.toInt(&ok);
    if (ok)
        driver.SetAntenna(number);
}

void TMemForm::StoreRxDatInRow(const TRxDat& rec) {
    FTransfers->StoreRxDatInRow(rec);
}

void TMemForm::TuneToRow() {
    TTableView& view = FData.MemQuery1();
    if (MainBusy() || !view.Active() || view.RecNo() < 0 || view.IsNull(u"FREQ"))
        return;
    TMainSheet& sheet = *FMain.MainSheet();
    sheet.VfoPanel()->SwitchToMemorySelection();
    const QVariant stored = view.Value(u"SQUELCH");
    const int squelch = stored.isNull() ? kSquelchMax : stored.toInt();
    sheet.Squelch()->SetValue(u'M', squelch);
    TAR5000& driver = *FMain.Driver();
    if (squelch <= kSquelchSwitchLimit)
        driver.SetSquelch(squelch);
    driver.RecallMemory(view.Value(u"MEM").toString().toInt());
    ApplyRowAntenna();
    driver.ChangeVfo(u'M');
    if (squelch > kSquelchSwitchLimit)
        driver.SetSquelch(squelch);
}

void TMemForm::ScrollKeyReleased() {
    if (!FMemOnScrollButton->isChecked())
        return;
    if (FKeyUpBusy) {
        FMain.AddMessage(u"Aborting Key Up procedure"_s);
        return;
    }
    const QScopedValueRollback busy(FKeyUpBusy, true);
    TuneToRow();
}

void TMemForm::SelectBankTable() {
    TAR5000& driver = *FMain.Driver();
    int bank = 0;
    if (!driver.BankSwitchDisabled) {
        const int reported = driver.GetBN();
        if (reported == 1)
            bank = 1;
        else if (reported > 1)
            return;
    }
    FData.ViewState.CurrentTable = QString::fromLatin1(kBankTables[bank]);
    (bank == 0 ? FBank0 : FBank1)->setChecked(true);
    ShowAllMemories();
}

void TMemForm::SwitchBank(int bank) {
    TAR5000& driver = *FMain.Driver();
    if (FBankSwitching || !driver.Connected() || !driver.Remote() || FData.CurrentBank() == bank ||
        RefusedWhileBusy())
        return;
    const QScopedValueRollback switching(FBankSwitching, true);
    // The receiver takes seconds over a bank change; the cursor says it is under way.
    const auto waiting = WaitCursor();
    TMainSheet& sheet = *FMain.MainSheet();
    sheet.Tuning()->StopReceiverActivity();
    // No answer counts as bank 0: a receiver with one bank never reports one.
    const int reported = driver.GetBN();
    if (bank == 0 ? reported > 0 : reported != 1)
        driver.SetBank(bank);
    FData.ViewState.CurrentTable = QString::fromLatin1(kBankTables[bank]);
    ShowAllMemories();
    sheet.VfoPanel()->ResetPanelColours();
    sheet.VfoPanel()->ReadAllVfos();
}

void TMemForm::SquelchFill() {
    const QList<int> rows = FGrid->SelectedRows();
    if (rows.isEmpty())
        return;
    TTableView& view = FData.MemQuery1();
    const QVariant squelch = view.ValueAt(rows.first(), view.FieldIndex(u"SQUELCH"));
    for (qsizetype i = 1; i < rows.size(); ++i) {
        if (view.MoveTo(rows[i]))
            FData.StoreField(u"SQUELCH", squelch);
    }
    FMultiSelect->setChecked(false);
    FGrid->SetMultiSelect(false);
}

void TMemForm::ResetRunControls() {
    FNoAutoRefresh->setEnabled(true);
    FMultiSelect->setChecked(false);
    MultiSelectClicked(false);
}

bool TMemForm::MultiRowSelect() const {
    return FMultiSelect->isChecked();
}

void TMemForm::SetMultiRowSelect(bool on) {
    FMultiSelect->setChecked(on);
}

void TMemForm::MultiSelectClicked(bool on) {
    FGrid->SetMultiSelect(on);
    FGrid->setContextMenuPolicy(on ? Qt::NoContextMenu : Qt::CustomContextMenu);
    FDeleteRowsAction->setVisible(on);
}

void TMemForm::ShowGridMenu(const QPoint& pos) {
    // The menu acts on the row it was opened over.
    if (const QModelIndex index = FGrid->indexAt(pos); index.isValid())
        FGrid->setCurrentIndex(index);
    const bool busy = MainBusy();
    // Actions that later features fill stay disabled whatever the state.
    for (QAction* action : FGridMenu->actions()) {
        if (action->property("later").toBool())
            continue;
        action->setEnabled(!busy);
    }
    FGridMenu->popup(FGrid->viewport()->mapToGlobal(pos));
}

void TMemForm::UpdateBusyState() {
    const bool idle = !MainBusy();
    const bool switchable = !FMain.Driver()->BankSwitchDisabled;
    FBank0->setEnabled(idle && switchable);
    FBank1->setEnabled(idle && switchable);
    for (QAction* action : std::as_const(FReceiverActions))
        action->setEnabled(idle);
    for (QWidget* control : std::as_const(FReceiverControls))
        control->setEnabled(idle);
}

// ---------------------------------------------------------------------------------------------
// The channel panel and NAR

void TMemForm::ShowChannel(const QString& text) {
    FMemIdentPanel->setText(text);
}

QString TMemForm::ShownChannel() const {
    return FMemIdentPanel->text();
}

void TMemForm::SetChannelHighlighted(bool on) {
    FMemIdentPanel->setStyleSheet(on ? StyleFor(kGreen) + u" color: black;"_s
                                     : u"background-color: black; color: lime;"_s);
}

bool TMemForm::NoAutoRefresh() const {
    return FNoAutoRefresh->isChecked();
}

bool TMemForm::SavedNoAutoRefreshChoice() const {
    return FMemOnScrollButton->isChecked() ? FSavedNoAutoRefresh : FNoAutoRefresh->isChecked();
}

void TMemForm::SetSelectOnScroll(bool down) {
    if (FMemOnScrollButton->isChecked() != down) {
        FMemOnScrollButton->setChecked(down); // comes back here through toggled
        return;
    }
    if (down) {
        FSavedNoAutoRefresh = FNoAutoRefresh->isChecked();
        FNoAutoRefresh->setChecked(true);
        FNoAutoRefresh->setEnabled(false);
    } else {
        FNoAutoRefresh->setEnabled(true);
        FNoAutoRefresh->setChecked(FSavedNoAutoRefresh);
    }
}

void TMemForm::Toggle(int channel) {
    if (isVisible()) {
        close();
        return;
    }
    show();
    raise();
    if (channel < 0 || !LocateChannel(channel))
        FData.MemQuery1().First();
    FGrid->setFocus();
}

void TMemForm::SaveSettings(TIniFile& ini) const {
    ini.WriteBool(kSection, u"NAR"_s, SavedNoAutoRefreshChoice());
    SaveFormPlacement(const_cast<TMemForm*>(this), ini);
}

// ---------------------------------------------------------------------------------------------
// Events

void TMemForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (FStatusCount->text().isEmpty())
        UpdateStatus(FData.StatusText(0), FData.StatusText(1));
    UpdateBusyState();
}

void TMemForm::closeEvent(QCloseEvent* event) {
    SetSelectOnScroll(false);
    SetQuickFilter(false);
    QMainWindow::closeEvent(event);
}

bool TMemForm::event(QEvent* event) {
    // The long part of a hint shows in the info panel; the status bar keeps its counts.
    if (event->type() == QEvent::StatusTip) {
        SetInfo(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

bool TMemForm::eventFilter(QObject* watched, QEvent* event) {
    // Keys are seen by the window before its controls.
    if (event->type() == QEvent::KeyPress && isActiveWindow()) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this && WindowKey(static_cast<QKeyEvent*>(event)))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TMemForm::WindowKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    const int key = event->key();
    const auto toMain = [this, event] {
        FMain.MainSheet()->Tuning()->KeyDown(event->key(), event->modifiers());
        FGrid->setFocus();
    };
    if (mods == Qt::ControlModifier && key == Qt::Key_A) {
        ShowAllMemories();
        return true;
    }
    if (mods == Qt::ControlModifier && key == Qt::Key_P) {
        FPrinting->PrintMemoryChannelListing();
        return true;
    }
    if (mods == Qt::NoModifier && key == Qt::Key_F3) {
        Locate();
        return true;
    }
    if (mods == Qt::NoModifier && (key == Qt::Key_F11 || key == Qt::Key_F12)) {
        toMain();
        return true;
    }
    if (mods == (Qt::ControlModifier | Qt::ShiftModifier)) {
        if (key == Qt::Key_K)
            FMemOnScrollButton->toggle();
        else if (key == Qt::Key_M)
            toMain();
        else if (key == Qt::Key_Q)
            ShowSqlForm();
        // Every other Ctrl+Shift key is swallowed.
        return true;
    }
    if (mods == Qt::AltModifier && key == Qt::Key_M) {
        close();
        FMain.activateWindow();
        if (QWidget* active = FMain.focusWidget())
            active->setFocus();
        return true;
    }
    return false;
}
