#pragma once

#include "HelpContext.h"
#include <QDialog>
#include <QPageLayout>

class QComboBox;
class QPrinter;
class QRadioButton;
class TPrinterSource;

// "Print Settings": the printer and the orientation of the memory listing. Choosing a printer
// makes it the printer at once; one that cannot be selected gives way to the default printer.
class TfrmReportPrintSettings : public QDialog {
    Q_OBJECT

public:
    static constexpr int kHelpContext = HelpContextFor(u"frmReportPrintSettings");

    // `current` is selected in the list and on `printer`; `defaultName` is where a printer
    // that cannot be selected falls back to.
    TfrmReportPrintSettings(TPrinterSource& printers, QPrinter& printer, const QStringList& names,
                            const QString& current, const QString& defaultName,
                            QWidget* parent = nullptr);

    QComboBox* cbPrinters() const { return FPrinters; }
    QString ChosenPrinter() const;
    // Whether the chosen printer lets the orientation be chosen.
    bool OrientationChoice() const;
    QPageLayout::Orientation Orientation() const;

private:
    void PrinterChosen(int index);
    void ShowOrientation();

    TPrinterSource& FSource;
    QPrinter& FPrinter;
    QString FDefault;
    QComboBox* FPrinters = nullptr;
    QRadioButton* FPortrait = nullptr;
    QRadioButton* FLandscape = nullptr;
};
