#include "SelectCategoryForm.h"

#include "CategoryGrid.h"
#include "CategoryTable.h"
#include "HelpContext.h"
#include "Prompt.h"
#include "SqlDialect.h"
#include "TableEngine.h"
#include "TableView.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int kCategoryWidth = 111;

struct TModeTexts {
    const char* Caption;
    const char* Help;
};

constexpr TModeTexts kSearchLogTexts{
    "Select Category and Text for Search Log Entries",
    "If adding a new Category then\r\nremember to Post before continuing!\r\nIf you post using "
    "cursor up/down \r\nremember to re-select the new row.\r\nIf you press Cancel, search will "
    "proceed\r\nbut auto added entries will have no\r\ncategory or text added."};
constexpr TModeTexts kBlockChangeTexts{
    "Select or create new category",
    "Select the desired category on the grid.\r\nIf adding a new Category then\r\nremember to "
    "Post before continuing!"};

QToolButton* MakeButton(QWidget* parent, const QString& name, const QString& text,
                        const QString& hint = {}) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(text);
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

} // namespace

TFormSelectCategoryText::TFormSelectCategoryText(TTableEngine& engine, const QString& logTablePath,
                                                 TSelectCategoryMode mode, const QString& notesText,
                                                 QWidget* parent)
    : QDialog(parent)
    , FEngine(engine)
    , FQCat(new TTableView(engine, this)) {
    const TModeTexts& texts =
        mode == TSelectCategoryMode::SearchLog ? kSearchLogTexts : kBlockChangeTexts;
    setObjectName(u"FormSelectCategoryText"_s);
    setWindowTitle(QString::fromLatin1(texts.Caption));

    FQCat->setObjectName(u"QCat"_s);
    FQCat->OnValidate = CategoryFieldValidate;
    FGrid = new TCategoryGrid(*FQCat, kCategoryWidth, this);
    FGrid->setObjectName(u"DBGrid1"_s);
    FGrid->OnError = [this](const QString& error) {
        Prompt().Error(windowTitle(), error);
    };
    connect(FGrid, &TCategoryGrid::Posted, this, [this] { FEngine.Flush(); });

    auto* bar = new QToolBar(this);
    bar->setObjectName(u"ToolBar1"_s);
    FGrid->AddNavigator(bar, {TNavigateButton::First, TNavigateButton::Prior, TNavigateButton::Next,
                              TNavigateButton::Last, TNavigateButton::Insert, TNavigateButton::Post,
                              TNavigateButton::Cancel});
    bar->addSeparator();
    QToolButton* escButton = MakeButton(bar, u"ButtonEsc"_s, u"[Esc]"_s, u"Cancel"_s);
    QToolButton* enterButton = MakeButton(bar, u"ButtonEnter"_s, u"[Enter]"_s, u"OK"_s);
    bar->addWidget(escButton);
    bar->addWidget(enterButton);
    connect(escButton, &QToolButton::clicked, this, &TFormSelectCategoryText::reject);
    connect(enterButton, &QToolButton::clicked, this, &TFormSelectCategoryText::OkClick);

    QLabel* label1 =
        MakeLabel(this, u"Label1"_s, u"Text to be added to text field for search hits"_s);
    QLabel* label2 = MakeLabel(this, u"Label2"_s, u"Text for \"Notes\" field"_s);
    EditNotesText = new QLineEdit(notesText, this);
    EditNotesText->setObjectName(u"EditNotesText"_s);
    label2->setBuddy(EditNotesText);
    QToolButton* clearButton = MakeButton(this, u"ClearButton"_s, u"Clear"_s, u"Clear the text"_s);
    connect(clearButton, &QToolButton::clicked, EditNotesText, &QLineEdit::clear);
    LabelNotes = MakeLabel(this, u"LabelNotes"_s, QString::fromLatin1(texts.Help));
    LabelNotes->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* notesRow = new QHBoxLayout;
    notesRow->addWidget(EditNotesText);
    notesRow->addWidget(clearButton);
    auto* right = new QVBoxLayout;
    right->addWidget(label1);
    right->addWidget(label2);
    right->addLayout(notesRow);
    right->addWidget(LabelNotes);
    right->addStretch();
    auto* body = new QHBoxLayout;
    FGrid->setFixedWidth(FGrid->CategoryWidth() + 2 * FGrid->frameWidth() +
                         FGrid->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    body->addWidget(FGrid);
    body->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(bar);
    layout->addLayout(body);

    if (mode == TSelectCategoryMode::BlockChange) {
        for (QWidget* notesControl :
             {static_cast<QWidget*>(label2), static_cast<QWidget*>(EditNotesText),
              static_cast<QWidget*>(clearButton)})
            notesControl->hide();
    }
    resize(440, 260);

    FQCat->SetSql(u"Select * from "_s + QuoteFileName(CategoryTableFileFor(logTablePath)));
    if (FQCat->Open()) {
        FQCat->SetFieldReadOnly(FQCat->FieldIndex(u"ID"), true);
        FQCat->RecordCount();
    } else {
        Prompt().Error(windowTitle(), FQCat->LastError());
    }
    ApplyHelpContexts(this);
}

TFormSelectCategoryText::~TFormSelectCategoryText() {
    FQCat->Close();
}

QString TFormSelectCategoryText::NotesText() const {
    return EditNotesText->text();
}

void TFormSelectCategoryText::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (parentWidget())
        move(parentWidget()->window()->frameGeometry().center() - rect().center());
    FGrid->setFocus();
}

void TFormSelectCategoryText::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            // After the grid's editor has handed over its text, which it does next.
            QMetaObject::invokeMethod(this, &TFormSelectCategoryText::OkClick,
                                      Qt::QueuedConnection);
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void TFormSelectCategoryText::OkClick() {
    // A category still being typed is the one the user means.
    if (!FGrid->PostPending())
        return;
    const bool chosen = FQCat->Active() && FQCat->RecNo() >= 0;
    FCategoryId = chosen ? FQCat->Value(u"ID") : QVariant();
    FCategoryText = chosen ? FQCat->Value(u"Category").toString() : QString();
    accept();
}

void TFormSelectCategoryText::reject() {
    FGrid->Navigate(TNavigateButton::Cancel);
    FCategoryId = QVariant();
    FCategoryText.clear();
    QDialog::reject();
}
