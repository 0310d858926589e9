#pragma once

#include "HelpContext.h"
#include "SavedSelections.h"
#include "SubSelectBuilder.h"

#include <QDialog>

#include <array>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QAction;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class TTableEngine;
class TTableView;

// What differs between the memory and the log sub-select windows, besides the builder's data.
struct TSqlFormTraits {
    const TSubSelectKind* Kind = nullptr;
    QString ModeLead; // a label of its own before the mode label
    QString ModeLabel;
    QString DefaultFileName;
    QString FileFilter;
    bool UpperCaseValues = false;
    bool CentreOnOwner = false;
    // Memory: OK only closes, and the owner applies the Build page. Log: OK applies first.
    bool OkApplies = false;
    // Log: Enter acts only on the Build page and is kept from the boxes there alone.
    bool EnterOnBuildPageOnly = false;
    // Log: Clear also resets the order, the connectors, the category and the list's selection.
    bool ClearResetsAll = false;
    // Memory: a rename writes the lists as they stand under the new name.
    bool RenameStoresCurrent = false;
    // Log: NOTES is searched with LIKE only.
    QString LikeOnlyField;
    bool ConfirmDelete = false;
    QString ExistsOnSaveText;
    QString ExistsOnRenameText; // asked (memory) or told (log)
    bool RenameExistsAsks = false;
};

// The sub-select window over one live view: a Build page that composes a statement from the
// lists and an Edit page for typing one. A statement that is refused or fails leaves the view
// as it was.
class TSqlForm : public QDialog {
    Q_OBJECT

public:
    struct TCategory {
        QString Id;
        QString Text;
    };

    TSqlForm(const TSqlFormTraits& traits, TTableEngine& engine, TTableView& view,
             std::unique_ptr<TSavedSelections> saved, QWidget* parent = nullptr);
    ~TSqlForm() override;

    // The table the Build page selects from.
    void SetTable(const QString& table);
    const QString& Table() const { return FTable; }
    void SetCategories(const std::vector<TCategory>& categories);

    // Called with the statement after every successful apply.
    std::function<void(const QString& sql, bool fromBuildPage)> OnApplied;

    // The current page's Apply; false when nothing was applied.
    bool ApplyCurrentPage();
    bool ApplyBuildPage();
    bool ApplyEditPage();
    void Clear();

    TSubSelectChoices Choices() const;
    TSavedSelection Selection() const;
    void ShowSelection(const TSavedSelection& selection);
    TSavedSelections& Saved() { return *FSaved; }

    // The File menu and the list's pop-up.
    void SaveComboboxSettings();
    void DeleteSelected();
    void RenameSelected();
    void OpenSqlText();
    void SaveSqlText();
    void ReadSavedList();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    TSqlFormTraits FTraits;
    TTableEngine& FEngine;
    TTableView& FView;
    std::unique_ptr<TSavedSelections> FSaved;
    QString FTable;

    QTabWidget* FPages = nullptr;
    QLabel* FStatementLabel = nullptr;
    std::array<QComboBox*, 3> FFieldBoxes{};
    std::array<QComboBox*, 3> FOperatorBoxes{};
    std::array<QLineEdit*, 3> FValueBoxes{};
    std::array<QComboBox*, 2> FBoolBoxes{};
    QComboBox* FModeBox = nullptr;
    QComboBox* FCategoryBox = nullptr;
    QComboBox* FOrderBox = nullptr;
    QListWidget* FSavedList = nullptr;
    QPlainTextEdit* FMemo = nullptr;
    QAction* FSaveSettingsItem = nullptr;
    QAction* FOpenTextItem = nullptr;
    QAction* FSaveTextItem = nullptr;

    QWidget* BuildPage();
    QWidget* EditPage();
    void BuildMenu();
    void PageChanged();
    void FieldChosen(std::size_t row);
    void LockLikeOnly(std::size_t row);
    void SavedItemClicked(QListWidgetItem* item);
    void SavedItemActivated();
    void OkClicked();
    bool ApplyStatement(const QString& sql, bool fromBuildPage);
    QString SelectedName() const;
    QString AskName(const QString& label);
};

// The memory view's sub-select window; its settings are kept in "Kv7SQL.ini".
class TSqlDirectForm final : public TSqlForm {
    Q_OBJECT

public:
    TSqlDirectForm(TTableEngine& engine, TTableView& view, const QString& iniFile,
                   QWidget* parent = nullptr);
};

// The log view's sub-select window; its settings are kept in the log's sub-selects table.
class TSqlLogForm final : public TSqlForm {
    Q_OBJECT

public:
    TSqlLogForm(TTableEngine& engine, TTableView& view, const QString& logTableFile,
                const QString& subSelectsFile, QWidget* parent = nullptr);
};

inline constexpr const char* kSelectOnlyText = "First word must be SELECT\r\n     DDL not allowed!";
inline constexpr int kSqlHelpContext = HelpContextFor(u"SqlDirectForm");
