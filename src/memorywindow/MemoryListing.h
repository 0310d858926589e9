#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

class QPagedPaintDevice;
class QPainter;
class TDataModule1;

inline constexpr const char* kListingTitle = "AR5000 Memory Listing";

// One channel as the listing prints it: the texts the grid shows.
struct TListingRow {
    QString Mem;
    QString Freq;
    QString Text;
    QString Mode;
};

// The rows the memory view shows, in its order and as the grid shows them.
QList<TListingRow> ListingRows(TDataModule1& data);

// The paper listing of memory channels. It keeps its own copy of the rows, so the view it came
// from is free again as soon as it is made, and it paints its pages on any paged device (a
// printer, the print preview, a PDF file). All geometry is in millimetres.
class TMemoryListing {
public:
    // `quickFilter` empty: the quick text filter was off and its line is left out.
    TMemoryListing(QList<TListingRow> rows, const QString& statement, const QString& quickFilter,
                   const QDateTime& printedAt = QDateTime::currentDateTime());

    const QList<TListingRow>& Rows() const { return FRows; }
    // The first line of the view's statement, as the title band shows it.
    const QString& StatementLine() const { return FStatementLine; }
    QString CountLine() const;
    // Empty when the quick text filter was off.
    QString FilterLine() const;
    QString FooterLeft() const;
    QString FooterRight() const;

    // Sets the margins and paints every page. False, with LastError, when the device cannot be
    // painted on or its page cannot hold the bands and one row.
    bool Print(QPagedPaintDevice& device);
    // Pages of the last Print.
    int PageCount() const { return FPageCount; }
    const QString& LastError() const { return FLastError; }

    // Pages for `rows` rows when the first page holds `firstPageRows` and every other page
    // `pageRows`; one page at least, for the title.
    static int PagesFor(int rows, int firstPageRows, int pageRows);

private:
    struct TGeometry;
    void PaintTitle(QPainter& painter, const TGeometry& g, double& y) const;
    void PaintColumnHeader(QPainter& painter, const TGeometry& g, double& y) const;
    void PaintRow(QPainter& painter, const TGeometry& g, const TListingRow& row, double y) const;
    void PaintFooter(QPainter& painter, const TGeometry& g, int page) const;
    bool Fail(const QString& text);

    QList<TListingRow> FRows;
    QString FStatementLine;
    QString FQuickFilter;
    QDateTime FPrintedAt;
    int FPageCount = 0;
    QString FLastError;
};
