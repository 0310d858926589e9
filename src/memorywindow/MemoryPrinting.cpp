#include "MemoryPrinting.h"

#include "DataUnit1.h"
#include "Main.h"
#include "MemForm.h"
#include "MemoryGrid.h"
#include "PreviewForm.h"
#include "PrinterSource.h"
#include "Prompt.h"
#include "ReportPrintSettingsForm.h"

#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>

#include <array>

using namespace Qt::StringLiterals;

namespace {

const QString kCaption = u"Print Memory Channel Listing"_s;

// Programs that show the system's printer settings, the first one installed is started.
struct TSetupProgram {
    const char* Program;
    const char* Argument; // nullptr: none
};
#ifdef Q_OS_WIN
constexpr std::array<TSetupProgram, 1> kSetupPrograms = {{{"control.exe", "Printers"}}};
#elif defined(Q_OS_MACOS)
constexpr std::array<TSetupProgram, 1> kSetupPrograms = {
    {{"open", "/System/Library/PreferencePanes/PrintAndScan.prefPane"}}};
#else
constexpr std::array<TSetupProgram, 1> kSetupPrograms = {{{"system-config-printer", nullptr}}};
#endif

} // namespace

TMemoryPrinting::TMemoryPrinting(TMemForm& form, QObject* parent)
    : QObject(parent)
    , FForm(form)
    , FPrinters(std::make_unique<TSystemPrinters>()) {}

TMemoryPrinting::~TMemoryPrinting() {
    delete FPreview;
}

TfrmPreview* TMemoryPrinting::Preview() const {
    return FPreview;
}

void TMemoryPrinting::SetPrinterSource(std::unique_ptr<TPrinterSource> source) {
    FPrinters = std::move(source);
    FCurrentPrinter.clear();
}

QList<TListingRow> TMemoryPrinting::ListingRows() {
    TMemoryGrid& grid = *FForm.Grid();
    grid.setUpdatesEnabled(false);
    const auto release = qScopeGuard([&grid] { grid.setUpdatesEnabled(true); });
    return ::ListingRows(FForm.Data());
}

void TMemoryPrinting::PrintMemoryChannelListing() {
    if (FPreview)
        return;
    const QStringList names = FPrinters->PrinterNames();
    const QString defaultName = FPrinters->DefaultPrinterName();
    if (defaultName.isEmpty() || !names.contains(defaultName)) {
        Prompt().Error(kCaption, u"You do not have a default printer defined.\r\rPlease select a "
                                 u"printer"_s);
        return;
    }
    QPrinter& printer = FForm.Printer();
    if (!names.contains(FCurrentPrinter))
        FCurrentPrinter = defaultName;
    QString error;
    if (!FPrinters->Select(printer, FCurrentPrinter, error)) {
        FCurrentPrinter = defaultName;
        FPrinters->Select(printer, FCurrentPrinter, error);
    }
    {
        TfrmReportPrintSettings settings(*FPrinters, printer, names, FCurrentPrinter, defaultName,
                                         &FForm);
        if (settings.exec() != QDialog::Accepted)
            return;
        FCurrentPrinter = settings.ChosenPrinter();
        if (settings.OrientationChoice())
            printer.setPageOrientation(settings.Orientation());
    }
    if (!printer.pageLayout().pageSize().isValid()) {
        FForm.Main().AddMessage(u"Unable to get paper size from printer"_s);
        printer.setPageSize(QPageSize(QPageSize::A4));
    }
    printer.setDocName(QString::fromLatin1(kListingTitle));

    TTableView& view = FForm.Data().MemQuery1();
    const QString filter = view.Filtered() ? FForm.Data().QuickFilterText : QString();
    auto listing = std::make_unique<TMemoryListing>(ListingRows(), view.Sql(), filter);
    auto* preview = new TfrmPreview(printer, std::move(listing), &FForm);
    connect(preview, &TfrmPreview::PrinterFailed, this, &TMemoryPrinting::PrinterFailed);
    if (!preview->Generate()) {
        const QString reason = preview->Listing().LastError();
        delete preview;
        PrinterFailed(reason);
        return;
    }
    FPreview = preview;
    preview->show();
}

void TMemoryPrinting::PrinterFailed(const QString& error) {
    const QString defaultName = FPrinters->DefaultPrinterName();
    FCurrentPrinter = defaultName;
    QString ignored;
    FPrinters->Select(FForm.Printer(), defaultName, ignored);
    FForm.Main().AddMessage(u"Problem with requested printer.  Reset to default printer."_s);
    Prompt().Error(kCaption, error);
}

void TMemoryPrinting::PrinterSetup() {
    for (const TSetupProgram& setup : kSetupPrograms) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(setup.Program));
        if (program.isEmpty())
            continue;
        QStringList arguments;
        if (setup.Argument)
            arguments << QString::fromLatin1(setup.Argument);
        if (QProcess::startDetached(program, arguments))
            return;
    }
    Prompt().Information(u"Printer Setup"_s,
                         u"No program for the printer settings was found on this system.\r\n"
                         u"Install one (for example system-config-printer) or use the "
                         u"system's own settings; the listing can always be printed to a PDF "
                         u"file."_s);
}
