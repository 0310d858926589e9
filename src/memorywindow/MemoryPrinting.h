#pragma once

#include "MemoryListing.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QPrinter;
class TMemForm;
class TPrinterSource;
class TfrmPreview;

// The memory window's printing: "Print Memory Channel Listing" through the print settings and
// the preview, and "Printer Setup...".
class TMemoryPrinting : public QObject {
    Q_OBJECT

public:
    explicit TMemoryPrinting(TMemForm& form, QObject* parent = nullptr);
    ~TMemoryPrinting() override;

    // Nothing while a preview is open.
    void PrintMemoryChannelListing();
    // The system's printer settings program where one is installed, else a message saying so.
    void PrinterSetup();

    // The rows the view shows, in its order, as the grid shows them. The grid is frozen while
    // they are read and released on every way out.
    QList<TListingRow> ListingRows();

    // The open preview, or nullptr.
    TfrmPreview* Preview() const;
    void SetPrinterSource(std::unique_ptr<TPrinterSource> source);

private:
    // The printer could not take the listing: back to the default printer, and say so.
    void PrinterFailed(const QString& error);

    TMemForm& FForm;
    std::unique_ptr<TPrinterSource> FPrinters;
    QString FCurrentPrinter;
    QPointer<TfrmPreview> FPreview;
};
