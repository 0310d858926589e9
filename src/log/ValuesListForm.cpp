#include "ValuesListForm.h"

#include "CategoryGrid.h"
#include "CategoryTable.h"
#include "HelpContext.h"
#include "Prompt.h"
#include "SqlDialect.h"
#include "TableEngine.h"
#include "TableView.h"

#include <QHBoxLayout>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {
constexpr int kMaxWidth = 275;
constexpr int kCategoryWidth = 120;
const QString kCaption = u"Signal Categories"_s;
} // namespace

TFormValuesList::TFormValuesList(TTableEngine& engine, const QString& logTablePath, QWidget* parent)
    : QDialog(parent)
    , FEngine(engine)
    , FLogTablePath(logTablePath)
    , FQVL(new TTableView(engine, this)) {
    setObjectName(u"FormValuesList"_s);
    setWindowTitle(kCaption);
    setMaximumWidth(kMaxWidth);

    FQVL->setObjectName(u"QVL"_s);
    FQVL->OnValidate = CategoryFieldValidate;
    FGrid = new TCategoryGrid(*FQVL, kCategoryWidth, this);
    FGrid->setObjectName(u"DBGrid1"_s);
    FGrid->BeforeDelete = [this] {
        return NavigatorBeforeDelete();
    };
    FGrid->OnError = [](const QString& error) {
        Prompt().Error(kCaption, error);
    };
    connect(FGrid, &TCategoryGrid::Posted, this, [this] { FEngine.Flush(); });

    auto* bar = new QToolBar(this);
    bar->setObjectName(u"ToolBar1"_s);
    FGrid->AddNavigator(bar,
                        {TNavigateButton::First, TNavigateButton::Prior, TNavigateButton::Next,
                         TNavigateButton::Last, TNavigateButton::Insert, TNavigateButton::Delete,
                         TNavigateButton::Post, TNavigateButton::Cancel});
    bar->addSeparator();
    FCloseButton = new QToolButton(bar);
    FCloseButton->setObjectName(u"CloseButton"_s);
    FCloseButton->setText(u"Close"_s);
    FCloseButton->setToolTip(u"Close"_s);
    connect(FCloseButton, &QToolButton::clicked, this, &QDialog::accept);
    bar->addWidget(FCloseButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    bar->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(bar);
    layout->addWidget(FGrid);
    resize(kMaxWidth, 300);

    FQVL->SetSql(u"Select * from "_s + QuoteFileName(CategoryTableFileFor(logTablePath)) +
                 u" Order by ID"_s);
    if (FQVL->Open()) {
        FQVL->SetFieldReadOnly(FQVL->FieldIndex(u"ID"), true);
        FQVL->RecordCount();
    } else {
        Prompt().Error(kCaption, FQVL->LastError());
    }
    ApplyHelpContexts(this);
}

TFormValuesList::~TFormValuesList() {
    FQVL->Close();
}

void TFormValuesList::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (parentWidget())
        move(parentWidget()->window()->frameGeometry().center() - rect().center());
    FGrid->setFocus();
}

void TFormValuesList::done(int result) {
    // What was typed last is kept, as moving off the row would keep it; a row the table refuses
    // keeps the window open so the user can mend or cancel it.
    if (!FGrid->PostPending())
        return;
    QDialog::done(result);
}

bool TFormValuesList::NavigatorBeforeDelete() {
    const QVariant id = FQVL->Value(u"ID");
    const QString refusal = CategoryDeleteRefusal(FEngine, FLogTablePath, id.toLongLong());
    if (!refusal.isEmpty()) {
        Prompt().Error(kCaption, refusal);
        return false;
    }
    return Prompt().Confirm(kCaption, u"Delete the category \""_s +
                                          FQVL->Value(u"Category").toString() + u"\"?"_s);
}
