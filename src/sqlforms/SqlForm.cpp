#include "SqlForm.h"

#include "HelpContext.h"
#include "HelpFile.h"
#include "ProgramFolder.h"
#include "Prompt.h"
#include "TableEngine.h"
#include "TableView.h"
#include "ValueTables.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScopeGuard>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QComboBox* ComboBox(const QString& name, const QStringList& items, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(items);
    box->setCurrentIndex(0);
    return box;
}

QPushButton* Button(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    // Enter is the window's to handle, never a default button's.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QString Numbered(const char* name, std::size_t number) {
    return QString::fromLatin1(name) + QString::number(number);
}

} // namespace

TSqlForm::TSqlForm(const TSqlFormTraits& traits, TTableEngine& engine, TTableView& view,
                   std::unique_ptr<TSavedSelections> saved, QWidget* parent)
    : QDialog(parent)
    , FTraits(traits)
    , FEngine(engine)
    , FView(view)
    , FSaved(std::move(saved)) {
    setWindowTitle(u"Sql Direct"_s);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    FPages = new QTabWidget(this);
    FPages->setObjectName(u"PageControl1"_s);
    FPages->setTabPosition(QTabWidget::South);
    FPages->addTab(BuildPage(), u"Build"_s);
    FPages->addTab(EditPage(), u"Edit"_s);
    layout->addWidget(FPages);
    BuildMenu();
    connect(FPages, &QTabWidget::currentChanged, this, &TSqlForm::PageChanged);
    PageChanged();
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    ReadSavedList();
}

TSqlForm::~TSqlForm() = default;

QWidget* TSqlForm::BuildPage() {
    auto* page = new QWidget;
    page->setObjectName(u"BuildPage"_s);
    auto* grid = new QGridLayout(page);
    FStatementLabel = new QLabel(page);
    FStatementLabel->setObjectName(u"StatementLabel"_s);
    grid->addWidget(FStatementLabel, 0, 0, 1, 3);
    grid->addWidget(new QLabel(u"WHERE"_s, page), 1, 0);

    const QStringList fields = QStringList{QString()} + FTraits.Kind->Fields;
    const QStringList operators = QStringList{QString()} + SubSelectOperators();
    int line = 2;
    for (std::size_t r = 0; r < 3; ++r) {
        if (r > 0) {
            FBoolBoxes[r - 1] = ComboBox(Numbered("BoolComboBox", r), SubSelectConnectors(), page);
            grid->addWidget(FBoolBoxes[r - 1], line++, 0);
        }
        FFieldBoxes[r] = ComboBox(Numbered("FieldComboBox", r + 1), fields, page);
        FOperatorBoxes[r] = ComboBox(Numbered("OperatorComboBox", r + 1), operators, page);
        FValueBoxes[r] = new QLineEdit(page);
        FValueBoxes[r]->setObjectName(Numbered("SqlEdit", r + 1));
        grid->addWidget(FFieldBoxes[r], line, 0);
        grid->addWidget(FOperatorBoxes[r], line, 1);
        grid->addWidget(FValueBoxes[r], line++, 2);
        connect(FFieldBoxes[r], &QComboBox::activated, this, [this, r] { FieldChosen(r); });
        if (FTraits.UpperCaseValues) {
            QLineEdit* box = FValueBoxes[r];
            connect(box, &QLineEdit::textEdited, box, [box](const QString& text) {
                const int cursor = box->cursorPosition();
                box->setText(text.toUpper());
                box->setCursorPosition(cursor);
            });
        }
    }

    QStringList modes{QString()};
    for (const char* mode : kModes)
        modes << QString::fromLatin1(mode);
    FModeBox = ComboBox(u"ModeComboBox"_s, modes, page);
    auto* modeLabel = new QLabel(FTraits.ModeLabel, page);
    modeLabel->setBuddy(FModeBox);
    auto* modeLabels = new QHBoxLayout;
    if (!FTraits.ModeLead.isEmpty())
        modeLabels->addWidget(new QLabel(FTraits.ModeLead, page));
    modeLabels->addWidget(modeLabel);
    modeLabels->addStretch();
    grid->addLayout(modeLabels, line, 0);
    grid->addWidget(FModeBox, line++, 1);
    if (FTraits.Kind->HasCategory) {
        FCategoryBox = new QComboBox(page);
        FCategoryBox->setObjectName(u"CategoryComboBox"_s);
        FCategoryBox->addItem(QString());
        auto* categoryLabel = new QLabel(u"AND CATEGOR&Y ="_s, page);
        categoryLabel->setBuddy(FCategoryBox);
        grid->addWidget(categoryLabel, line, 0);
        grid->addWidget(FCategoryBox, line++, 1);
    }
    FOrderBox = ComboBox(u"OrderByComboBox"_s, FTraits.Kind->Orders, page);
    grid->addWidget(new QLabel(u"ORDER BY"_s, page), line, 0);
    grid->addWidget(FOrderBox, line++, 1);

    FSavedList = new QListWidget(page);
    FSavedList->setObjectName(u"ListBox1"_s);
    FSavedList->setToolTip(u"Double click applies.\r\nRt Click Options"_s);
    FSavedList->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* deleteItem = new QAction(u"Delete"_s, FSavedList);
    auto* renameItem = new QAction(u"Rename"_s, FSavedList);
    FSavedList->addActions({deleteItem, renameItem});
    connect(deleteItem, &QAction::triggered, this, &TSqlForm::DeleteSelected);
    connect(renameItem, &QAction::triggered, this, &TSqlForm::RenameSelected);
    connect(FSavedList, &QListWidget::itemClicked, this, &TSqlForm::SavedItemClicked);
    connect(FSavedList, &QListWidget::itemDoubleClicked, this, &TSqlForm::SavedItemActivated);
    grid->addWidget(FSavedList, 1, 3, line - 1, 1);

    auto* buttons = new QHBoxLayout;
    QPushButton* ok = Button(u"OKButton"_s, u"&OK"_s, page);
    QPushButton* cancel = Button(u"CancelButton"_s, u"&Cancel"_s, page);
    QPushButton* apply = Button(u"ApplyButton"_s, u"&Apply"_s, page);
    QPushButton* clear = Button(u"ClearButton"_s, u"C&lear"_s, page);
    QPushButton* help = Button(u"HelpButton"_s, u"Help"_s, page);
    for (QPushButton* button : {ok, cancel, apply, clear, help})
        buttons->addWidget(button);
    grid->addLayout(buttons, line, 0, 1, 4);
    connect(ok, &QPushButton::clicked, this, &TSqlForm::OkClicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(apply, &QPushButton::clicked, this, &TSqlForm::ApplyCurrentPage);
    connect(clear, &QPushButton::clicked, this, &TSqlForm::Clear);
    connect(help, &QPushButton::clicked, this,
            [this] { ShowHelpContext(windowTitle(), kSqlHelpContext); });
    return page;
}

QWidget* TSqlForm::EditPage() {
    auto* page = new QWidget;
    page->setObjectName(u"EditPage"_s);
    auto* layout = new QVBoxLayout(page);
    FMemo = new QPlainTextEdit(page);
    FMemo->setObjectName(u"Memo1"_s);
    layout->addWidget(FMemo);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(
        u"Edit  SQL directly.  Recommended for advanced database users only      "_s, page));
    QPushButton* apply = Button(u"EditApplyButton"_s, u"Appl&y"_s, page);
    row->addWidget(apply);
    layout->addLayout(row);
    connect(apply, &QPushButton::clicked, this, &TSqlForm::ApplyEditPage);
    return page;
}

void TSqlForm::BuildMenu() {
    auto* bar = new QMenuBar(this);
    QMenu* file = bar->addMenu(u"&File"_s);
    FSaveSettingsItem = file->addAction(u"Save Combobox settings"_s);
    file->addSeparator();
    FOpenTextItem = file->addAction(u"Open Sql Text"_s);
    FSaveTextItem = file->addAction(u"Save Sql Text"_s);
    file->addSeparator();
    QAction* exit = file->addAction(u"E&xit"_s);
    connect(FSaveSettingsItem, &QAction::triggered, this, &TSqlForm::SaveComboboxSettings);
    connect(FOpenTextItem, &QAction::triggered, this, &TSqlForm::OpenSqlText);
    connect(FSaveTextItem, &QAction::triggered, this, &TSqlForm::SaveSqlText);
    connect(exit, &QAction::triggered, this, &QDialog::reject);
    layout()->setMenuBar(bar);
}

void TSqlForm::PageChanged() {
    const bool build = FPages->currentIndex() == 0;
    FSaveSettingsItem->setEnabled(build);
    FOpenTextItem->setEnabled(!build);
    FSaveTextItem->setEnabled(!build);
}

void TSqlForm::SetTable(const QString& table) {
    FTable = table;
    FStatementLabel->setText(u"SELECT * FROM "_s + table);
}

void TSqlForm::SetCategories(const std::vector<TCategory>& categories) {
    if (!FCategoryBox)
        return;
    FCategoryBox->clear();
    FCategoryBox->addItem(QString());
    for (const TCategory& category : categories)
        FCategoryBox->addItem(category.Text, category.Id);
}

void TSqlForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    SetTable(FTable);
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    const QRect screenArea = screen() ? screen()->availableGeometry() : QRect();
    const QRect area = FTraits.CentreOnOwner && owner ? owner->frameGeometry() : screenArea;
    if (area.isValid()) {
        QPoint place = area.center() - rect().center();
        // An owner near the screen's edge must not push the window off it.
        if (screenArea.isValid()) {
            place.setX(std::clamp(place.x(), screenArea.left(),
                                  std::max(screenArea.left(), screenArea.right() - width())));
            place.setY(std::clamp(place.y(), screenArea.top(),
                                  std::max(screenArea.top(), screenArea.bottom() - height())));
        }
        move(place);
    }
    if (FPages->currentIndex() == 0)
        FSavedList->setFocus();
}

// ---- the choices

TSubSelectChoices TSqlForm::Choices() const {
    TSubSelectChoices choices;
    for (std::size_t r = 0; r < 3; ++r)
        choices.Rows[r] = {FFieldBoxes[r]->currentText(), FOperatorBoxes[r]->currentText(),
                           FValueBoxes[r]->text()};
    for (std::size_t b = 0; b < 2; ++b)
        choices.Connectors[b] = FBoolBoxes[b]->currentText();
    choices.Mode = FModeBox->currentText();
    if (FCategoryBox)
        choices.CategoryId = FCategoryBox->currentData().toString();
    choices.OrderBy = FOrderBox->currentText();
    return choices;
}

TSavedSelection TSqlForm::Selection() const {
    TSavedSelection s;
    for (std::size_t r = 0; r < 3; ++r) {
        s.Fields[r] = FFieldBoxes[r]->currentIndex();
        s.Operators[r] = FOperatorBoxes[r]->currentIndex();
        s.Values[r] = FValueBoxes[r]->text();
    }
    for (std::size_t b = 0; b < 2; ++b)
        s.Connectors[b] = FBoolBoxes[b]->currentText();
    s.OrderBy = FOrderBox->currentIndex();
    s.Mode = FModeBox->currentIndex();
    if (FCategoryBox)
        s.CategoryId = FCategoryBox->currentData().toString();
    return s;
}

void TSqlForm::ShowSelection(const TSavedSelection& s) {
    // An index the list does not have leaves it without a selection, as a missing key does.
    const auto choose = [](QComboBox* box, int index) {
        box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
    };
    for (std::size_t r = 0; r < 3; ++r) {
        choose(FFieldBoxes[r], s.Fields[r]);
        choose(FOperatorBoxes[r], s.Operators[r]);
        FValueBoxes[r]->setText(s.Values[r]);
        LockLikeOnly(r);
    }
    for (std::size_t b = 0; b < 2; ++b)
        FBoolBoxes[b]->setCurrentIndex(FBoolBoxes[b]->findText(s.Connectors[b]));
    choose(FOrderBox, s.OrderBy);
    choose(FModeBox, s.Mode);
    if (FCategoryBox)
        FCategoryBox->setCurrentIndex(
            s.CategoryId.isEmpty() ? 0 : std::max(0, FCategoryBox->findData(s.CategoryId)));
}

void TSqlForm::LockLikeOnly(std::size_t row) {
    if (FTraits.LikeOnlyField.isEmpty())
        return;
    const bool locked = FFieldBoxes[row]->currentText() == FTraits.LikeOnlyField;
    if (locked)
        FOperatorBoxes[row]->setCurrentIndex(FOperatorBoxes[row]->findText(u"LIKE"_s));
    FOperatorBoxes[row]->setEnabled(!locked);
}

void TSqlForm::FieldChosen(std::size_t row) {
    if (FTraits.LikeOnlyField.isEmpty())
        return;
    if (FFieldBoxes[row]->currentText() != FTraits.LikeOnlyField)
        FOperatorBoxes[row]->setCurrentIndex(0);
    LockLikeOnly(row);
}

void TSqlForm::Clear() {
    for (std::size_t r = 0; r < 3; ++r) {
        FFieldBoxes[r]->setCurrentIndex(0);
        FOperatorBoxes[r]->setCurrentIndex(0);
        FOperatorBoxes[r]->setEnabled(true);
        FValueBoxes[r]->clear();
    }
    FModeBox->setCurrentIndex(0);
    if (!FTraits.ClearResetsAll)
        return;
    if (FCategoryBox)
        FCategoryBox->setCurrentIndex(0);
    FOrderBox->setCurrentIndex(0);
    for (QComboBox* box : FBoolBoxes)
        box->setCurrentIndex(0);
    FSavedList->setCurrentRow(-1);
    FSavedList->clearSelection();
}

// ---- applying

bool TSqlForm::ApplyStatement(const QString& sql, bool fromBuildPage) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    QString why = FEngine.CheckReadingQuery(sql);
    if (why.isEmpty()) {
        const QString previous = FView.Sql();
        const bool wasOpen = FView.Active();
        FView.Close();
        FView.SetSql(sql);
        if (FView.Open()) {
            restoreCursor.dismiss();
            QApplication::restoreOverrideCursor();
            if (OnApplied)
                OnApplied(sql, fromBuildPage);
            return true;
        }
        // The view goes back to what it showed, so a mistake never leaves the window empty.
        why = FView.LastError();
        FView.SetSql(previous);
        if (wasOpen)
            FView.Open();
    }
    restoreCursor.dismiss();
    QApplication::restoreOverrideCursor();
    Prompt().Error(windowTitle(), why);
    return false;
}

bool TSqlForm::ApplyBuildPage() {
    const TSubSelectStatement statement = BuildSubSelect(*FTraits.Kind, FTable, Choices());
    if (!statement.Error.isEmpty()) {
        Prompt().Error(windowTitle(), statement.Error);
        return false;
    }
    if (!ApplyStatement(statement.Sql, true))
        return false;
    FMemo->setPlainText(statement.Sql);
    return true;
}

bool TSqlForm::ApplyEditPage() {
    const QString text = FMemo->toPlainText();
    if (text.left(6).toUpper() != u"SELECT") {
        Prompt().Error(windowTitle(), QString::fromLatin1(kSelectOnlyText));
        return false;
    }
    return ApplyStatement(text, false);
}

bool TSqlForm::ApplyCurrentPage() {
    return FPages->currentIndex() == 0 ? ApplyBuildPage() : ApplyEditPage();
}

void TSqlForm::OkClicked() {
    if (FTraits.OkApplies)
        ApplyCurrentPage();
    accept();
}

bool TSqlForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    // A list's drop-down is a window of its own: Enter there picks the entry.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return false;
    if (FTraits.EnterOnBuildPageOnly && FPages->currentIndex() != 0)
        return false;
    if (widget == FSavedList || FSavedList->isAncestorOf(widget))
        SavedItemActivated();
    else
        ApplyCurrentPage();
    return true;
}

// ---- saved settings

void TSqlForm::ReadSavedList() {
    const QString current = SelectedName();
    FSavedList->clear();
    FSavedList->addItems(FSaved->Names());
    const auto found = FSavedList->findItems(current, Qt::MatchExactly);
    if (!current.isEmpty() && !found.isEmpty())
        FSavedList->setCurrentItem(found.first());
}

QString TSqlForm::SelectedName() const {
    const QListWidgetItem* item = FSavedList->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void TSqlForm::SavedItemClicked(QListWidgetItem* item) {
    if (!item)
        return;
    if (const auto selection = FSaved->Load(item->text()))
        ShowSelection(*selection);
    else if (!FSaved->LastError().isEmpty())
        Prompt().Error(windowTitle(), FSaved->LastError());
}

void TSqlForm::SavedItemActivated() {
    if (SelectedName().isEmpty() || !FSavedList->hasFocus())
        return;
    if (ApplyBuildPage())
        reject();
}

QString TSqlForm::AskName(const QString& label) {
    const auto answer = Prompt().AskText(u"Save Combobox settings"_s, label, QString());
    if (!answer)
        return {};
    QString name = answer->trimmed();
    if (FSaved->NameLength() > 0)
        name = name.left(FSaved->NameLength()).trimmed();
    if (name.isEmpty())
        return {};
    const QString refusal = FSaved->NameRefusal(name);
    if (!refusal.isEmpty()) {
        Prompt().Error(windowTitle(), refusal);
        return {};
    }
    return name;
}

void TSqlForm::SaveComboboxSettings() {
    const QString name = AskName(u"Name for saved settings?"_s);
    if (name.isEmpty())
        return;
    if (FSaved->Contains(name) && !Prompt().Confirm(windowTitle(), FTraits.ExistsOnSaveText))
        return;
    if (!FSaved->Store(name, Selection()))
        Prompt().Error(windowTitle(), FSaved->LastError());
    ReadSavedList();
}

void TSqlForm::DeleteSelected() {
    const QString name = SelectedName();
    if (name.isEmpty())
        return;
    if (FTraits.ConfirmDelete &&
        !Prompt().Confirm(windowTitle(), u"Delete "_s + name + u" are you sure?"_s))
        return;
    if (!FSaved->Remove(name))
        Prompt().Error(windowTitle(), FSaved->LastError());
    ReadSavedList();
}

void TSqlForm::RenameSelected() {
    const QString from = SelectedName();
    if (from.isEmpty())
        return;
    const QString to = AskName(u"New name?"_s);
    if (to.isEmpty())
        return;
    const bool same = from.compare(to, FSaved->NameCase()) == 0;
    bool ok = true;
    if (FTraits.RenameStoresCurrent) {
        if (!same && FSaved->Contains(to) &&
            !Prompt().Confirm(windowTitle(), FTraits.ExistsOnRenameText))
            return;
        // Renaming to its own name keeps the setting: erasing the old one would erase it.
        ok = FSaved->Store(to, Selection()) && (same || FSaved->Remove(from));
    } else {
        if (FSaved->Contains(to)) {
            Prompt().Information(windowTitle(), FTraits.ExistsOnRenameText);
            return;
        }
        ok = FSaved->Rename(from, to);
    }
    if (!ok)
        Prompt().Error(windowTitle(), FSaved->LastError());
    ReadSavedList();
}

// ---- statement files

void TSqlForm::SaveSqlText() {
    const QString file = Prompt().SaveFileName(u"Save Sql Text"_s, DataFolder(),
                                               FTraits.DefaultFileName, FTraits.FileFilter);
    if (file.isEmpty())
        return;
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(FMemo->toPlainText().toUtf8()) < 0 ||
        !out.commit())
        Prompt().Error(windowTitle(), out.errorString());
}

void TSqlForm::OpenSqlText() {
    const QString file = Prompt().OpenFileName(u"Open Sql Text"_s, DataFolder(),
                                               FTraits.DefaultFileName, FTraits.FileFilter);
    if (file.isEmpty())
        return;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        Prompt().Error(windowTitle(), in.errorString());
        return;
    }
    const QStringList lines = QString::fromUtf8(in.readAll()).split(u'\n');
    QStringList kept;
    for (const QString& line : lines)
        kept << (line.endsWith(u'\r') ? line.chopped(1) : line);
    FMemo->setPlainText(kept.join(u'\n'));
}

// ---- the two windows

namespace {

TSqlFormTraits DirectTraits() {
    TSqlFormTraits t;
    t.Kind = &MemorySubSelect();
    t.ModeLead = u"AND"_s;
    t.ModeLabel = u"&MODE ="_s;
    t.DefaultFileName = u"Select.sq5"_s;
    t.FileFilter = u"Kv7 SQL text files (*.sq5)"_s;
    t.RenameStoresCurrent = true;
    t.ExistsOnSaveText = u"That SaveName exists do you want to overwrite?"_s;
    t.ExistsOnRenameText = t.ExistsOnSaveText;
    return t;
}

TSqlFormTraits LogTraits() {
    TSqlFormTraits t;
    t.Kind = &LogSubSelect();
    t.ModeLabel = u"AND &MODE ="_s;
    t.DefaultFileName = u"Select.sq6"_s;
    t.FileFilter = u"Kv7 Log SQL text files (*.sq6)"_s;
    t.UpperCaseValues = true;
    t.CentreOnOwner = true;
    t.OkApplies = true;
    t.EnterOnBuildPageOnly = true;
    t.ClearResetsAll = true;
    t.LikeOnlyField = u"NOTES"_s;
    t.ConfirmDelete = true;
    t.ExistsOnSaveText = u"That name already exists.\r\nDo you want to overwrite it?"_s;
    t.ExistsOnRenameText = u"That name already exists."_s;
    return t;
}

} // namespace

TSqlDirectForm::TSqlDirectForm(TTableEngine& engine, TTableView& view, const QString& iniFile,
                               QWidget* parent)
    : TSqlForm(DirectTraits(), engine, view, std::make_unique<TIniSelections>(iniFile), parent) {
    setObjectName(u"SqlDirectForm"_s);
    ApplyHelpContexts(this);
}

TSqlLogForm::TSqlLogForm(TTableEngine& engine, TTableView& view, const QString& logTableFile,
                         const QString& subSelectsFile, QWidget* parent)
    : TSqlForm(LogTraits(), engine, view,
               std::make_unique<TTableSelections>(engine, subSelectsFile), parent) {
    setObjectName(u"SqlLogForm"_s);
    ApplyHelpContexts(this);
    SetTable(logTableFile);
    findChild<QLineEdit*>(u"SqlEdit2"_s)
        ->setToolTip(u"\"Notes Like\" will be slow with large data.\r\ni.e. thousands of rows if "
                     u"no other criterion is used."_s);
    findChild<QLineEdit*>(u"SqlEdit3"_s)
        ->setToolTip(u"When using \"Notes\" on large data\r\nuse other criteria also if slow."_s);
}
