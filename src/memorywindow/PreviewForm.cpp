#include "PreviewForm.h"

#include "HelpContext.h"
#include "MemoryListing.h"
#include "MemoryMaintenance.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TfrmPreview::TfrmPreview(QPrinter& printer, std::unique_ptr<TMemoryListing> listing,
                         QWidget* parent)
    : QWidget(parent, Qt::Window)
    , FPrinter(printer)
    , FListing(std::move(listing)) {
    setObjectName(u"frmPreview"_s);
    setWindowTitle(u"Print Preview"_s);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* bar = new QToolBar(this);
    bar->setObjectName(u"PreviewToolBar"_s);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    FPreview = new QPrintPreviewWidget(&FPrinter, this);
    FPreview->setObjectName(u"PreviewArea"_s);
    connect(FPreview, &QPrintPreviewWidget::paintRequested, this, &TfrmPreview::Paint);
    connect(FPreview, &QPrintPreviewWidget::previewChanged, this, &TfrmPreview::UpdatePageLabel);

    auto* zoom = new QActionGroup(this);
    FZoomWidth = AddAction(u"Zoom Width"_s, {});
    FZoomPage = AddAction(u"Zoom Page"_s, {});
    for (QAction* action : {FZoomWidth, FZoomPage}) {
        action->setCheckable(true);
        zoom->addAction(action);
    }
    connect(FZoomWidth, &QAction::triggered, this, &TfrmPreview::ZoomWidth);
    connect(FZoomPage, &QAction::triggered, this, &TfrmPreview::ZoomPage);
    connect(AddAction(u"First"_s, Qt::Key_Home), &QAction::triggered, this,
            &TfrmPreview::FirstPage);
    connect(AddAction(u"Previous"_s, Qt::Key_PageUp), &QAction::triggered, this,
            &TfrmPreview::PreviousPage);
    connect(AddAction(u"Next"_s, Qt::Key_PageDown), &QAction::triggered, this,
            &TfrmPreview::NextPage);
    connect(AddAction(u"Last"_s, Qt::Key_End), &QAction::triggered, this, &TfrmPreview::LastPage);
    FPageLabel = new QLabel(this);
    FPageLabel->setObjectName(u"PageLabel"_s);
    connect(AddAction(u"Print Ctrl-P"_s, QKeySequence(u"Ctrl+P"_s)), &QAction::triggered, this,
            &TfrmPreview::PrintReport);
    connect(AddAction(u"Close"_s, Qt::Key_Escape), &QAction::triggered, this, &QWidget::close);
    // The page label sits after "Last", as the user reads the tool bar.
    const QList<QAction*> actions = this->actions();
    for (QAction* action : actions) {
        bar->addAction(action);
        if (action->text() == u"Last"_s)
            bar->addWidget(FPageLabel);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(FPreview, 1);
    resize(720, 860);
    ApplyHelpContexts(this);
}

TfrmPreview::~TfrmPreview() = default;

QAction* TfrmPreview::AddAction(const QString& text, const QKeySequence& key) {
    auto* action = new QAction(text, this);
    action->setObjectName(text);
    if (!key.isEmpty()) {
        action->setShortcut(key);
        // The preview area would take the paging keys for scrolling.
        action->setShortcutContext(Qt::WindowShortcut);
    }
    addAction(action);
    return action;
}

bool TfrmPreview::Generate() {
    FPreview->updatePreview();
    if (!FPaintOk)
        return false;
    ZoomPage();
    return true;
}

void TfrmPreview::Paint(QPrinter* printer) {
    FPaintOk = FListing->Print(*printer);
}

int TfrmPreview::CurrentPage() const {
    return FPreview->currentPage();
}

int TfrmPreview::PageCount() const {
    return FPreview->pageCount();
}

QString TfrmPreview::PageLabelText() const {
    return FPageLabel->text();
}

void TfrmPreview::UpdatePageLabel() {
    FPageLabel->setText(u"  Page "_s + QString::number(CurrentPage()) + u" of "_s +
                        QString::number(PageCount()) + u"  "_s);
}

void TfrmPreview::ZoomWidth() {
    FZoomWidth->setChecked(true);
    FPreview->setZoomMode(QPrintPreviewWidget::FitToWidth);
}

void TfrmPreview::ZoomPage() {
    FZoomPage->setChecked(true);
    FPreview->setZoomMode(QPrintPreviewWidget::FitInView);
}

void TfrmPreview::GoTo(int page) {
    FPreview->setCurrentPage(std::clamp(page, 1, std::max(1, PageCount())));
    UpdatePageLabel();
}

void TfrmPreview::FirstPage() {
    GoTo(1);
}

void TfrmPreview::PreviousPage() {
    GoTo(CurrentPage() - 1);
}

void TfrmPreview::NextPage() {
    GoTo(CurrentPage() + 1);
}

void TfrmPreview::LastPage() {
    GoTo(PageCount());
}

void TfrmPreview::PrintReport() {
    if (FPrinter.outputFormat() == QPrinter::PdfFormat && FPrinter.outputFileName().isEmpty()) {
        const QString path = AskSaveFileName(u"Print to PDF"_s, u"PDF Files (*.pdf)"_s, u"pdf"_s);
        if (path.isEmpty())
            return;
        FPrinter.setOutputFileName(path);
    }
    FPreview->print();
    // A file printer asks again next time rather than overwriting the last file unasked.
    if (FPrinter.outputFormat() == QPrinter::PdfFormat)
        FPrinter.setOutputFileName({});
    if (!FPaintOk)
        Q_EMIT PrinterFailed(FListing->LastError());
    close();
}
