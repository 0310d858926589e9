#include "PrinterSource.h"

#include <QPrinter>
#include <QPrinterInfo>

using namespace Qt::StringLiterals;

QStringList TSystemPrinters::PrinterNames() {
    const QStringList names = QPrinterInfo::availablePrinterNames();
    return names.isEmpty() ? QStringList{QString::fromLatin1(kPdfPrinterName)} : names;
}

QString TSystemPrinters::DefaultPrinterName() {
    // Without any printer the PDF file is the default, so printing is never simply refused.
    if (QPrinterInfo::availablePrinterNames().isEmpty())
        return QString::fromLatin1(kPdfPrinterName);
    return QPrinterInfo::defaultPrinterName();
}

bool TSystemPrinters::Select(QPrinter& printer, const QString& name, QString& error) {
    if (name == QLatin1StringView(kPdfPrinterName)) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        // The file is asked for when the listing is printed.
        printer.setOutputFileName({});
        return true;
    }
    printer.setOutputFormat(QPrinter::NativeFormat);
    printer.setPrinterName(name);
    if (printer.isValid() && printer.printerName() == name)
        return true;
    error = u"The printer \""_s + name + u"\" cannot be selected"_s;
    return false;
}

bool TSystemPrinters::SupportsOrientation(const QString& name) {
    // Qt turns the page itself for every printer it drives, and for PDF files.
    return name == QLatin1StringView(kPdfPrinterName) ||
           QPrinterInfo::availablePrinterNames().contains(name);
}
