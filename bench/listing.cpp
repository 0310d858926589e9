// A listing of a whole bank (1000 used channels) from the memory view to the first page of its
// print preview: the rows copied from the view, the pages laid out on an A4 printer.
#include "BenchFigures.h"

#include "DataUnit1.h"
#include "MemoryListing.h"
#include "PreviewForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPrinter>
#include <QTemporaryDir>

#include <memory>

using namespace Qt::StringLiterals;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("KOVELA_HOME", home.path().toUtf8());
    TDataModule1 data(home.path());
    if (!data.DataModule1Create() ||
        !data.Engine().Execute(
            u"UPDATE MemoryBank0.dbf SET FREQ = 100 + CAST(MEM AS INTEGER) / 1000.0, "
            u"MODE = 'FM', TEXT = 'CH' || MEM"_s) ||
        !data.ReopenMemoryView(data.MemQuery1().Sql())) {
        std::fprintf(stderr, "tables: %s\n", qPrintable(data.LastError()));
        return 1;
    }
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));

    QElapsedTimer timer;
    timer.start();
    auto listing =
        std::make_unique<TMemoryListing>(ListingRows(data), data.MemQuery1().Sql(), QString());
    const double copyMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    TfrmPreview preview(printer, std::move(listing));
    if (!preview.Generate()) {
        std::fprintf(stderr, "listing: %s\n", qPrintable(preview.Listing().LastError()));
        return 1;
    }
    const double firstPageMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    PrintFigure("listing_rows_copied_ms", copyMs, "ms");
    PrintFigure("listing_1000_first_page_ms", firstPageMs, "ms");
    PrintFigure("listing_pages", preview.PageCount());
    return 0;
}
