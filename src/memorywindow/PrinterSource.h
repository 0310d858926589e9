#pragma once

#include <QString>
#include <QStringList>

class QPrinter;

// The entry offered when the system has no printers at all: the listing goes to a PDF file.
inline constexpr const char* kPdfPrinterName = "PDF file";

// The system's printers as the listing chooses among them; tests put in printers of their own.
class TPrinterSource {
public:
    virtual ~TPrinterSource() = default;

    // Read afresh on every call.
    virtual QStringList PrinterNames() = 0;
    // Empty when no default printer is defined.
    virtual QString DefaultPrinterName() = 0;
    // Makes `name` the printer of `printer`; false, with the reason in `error`, when it cannot
    // be selected.
    virtual bool Select(QPrinter& printer, const QString& name, QString& error) = 0;
    virtual bool SupportsOrientation(const QString& name) = 0;
};

// The printers the system knows, or the PDF file printer alone when it knows none.
class TSystemPrinters final : public TPrinterSource {
public:
    QStringList PrinterNames() override;
    QString DefaultPrinterName() override;
    bool Select(QPrinter& printer, const QString& name, QString& error) override;
    bool SupportsOrientation(const QString& name) override;
};
