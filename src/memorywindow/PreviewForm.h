#pragma once

#include <QWidget>

#include <memory>

class QAction;
class QLabel;
class QPrinter;
class QPrintPreviewWidget;
class TMemoryListing;

// "Print Preview": the listing's pages on the printer it will be printed on, with the tool bar
// and keys to zoom, page through and print. It owns the listing, and closes itself after
// printing.
class TfrmPreview : public QWidget {
    Q_OBJECT

public:
    TfrmPreview(QPrinter& printer, std::unique_ptr<TMemoryListing> listing,
                QWidget* parent = nullptr);
    ~TfrmPreview() override;

    TMemoryListing& Listing() const { return *FListing; }

    // Lays out the pages; false, with the listing's error, when they cannot be made.
    bool Generate();
    QPrintPreviewWidget* PreviewArea() const { return FPreview; }
    int CurrentPage() const;
    int PageCount() const;
    QString PageLabelText() const;

    void ZoomWidth();
    void ZoomPage();
    void FirstPage();
    void PreviousPage();
    void NextPage();
    void LastPage();
    // "Print Ctrl-P": a PDF file printer asks for its file first; cancelling prints nothing.
    void PrintReport();

Q_SIGNALS:
    // The pages could not be painted on the printer; `error` says why.
    void PrinterFailed(const QString& error);

private:
    QAction* AddAction(const QString& text, const QKeySequence& key);
    void GoTo(int page);
    void UpdatePageLabel();
    void Paint(QPrinter* printer);

    QPrinter& FPrinter;
    std::unique_ptr<TMemoryListing> FListing;
    QPrintPreviewWidget* FPreview = nullptr;
    QLabel* FPageLabel = nullptr;
    QAction* FZoomWidth = nullptr;
    QAction* FZoomPage = nullptr;
    bool FPaintOk = true;
};
