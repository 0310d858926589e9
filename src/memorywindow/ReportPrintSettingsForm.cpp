#include "ReportPrintSettingsForm.h"

#include "HelpContext.h"
#include "HelpFile.h"
#include "PrinterSource.h"
#include "Prompt.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TfrmReportPrintSettings::TfrmReportPrintSettings(TPrinterSource& printers, QPrinter& printer,
                                                 const QStringList& names, const QString& current,
                                                 const QString& defaultName, QWidget* parent)
    : QDialog(parent)
    , FSource(printers)
    , FPrinter(printer)
    , FDefault(defaultName) {
    setObjectName(u"frmReportPrintSettings"_s);
    setWindowTitle(u"Print Settings"_s);

    auto* label = new QLabel(u"Printer"_s, this);
    FPrinters = new QComboBox(this);
    FPrinters->setObjectName(u"cbPrinters"_s);
    FPrinters->addItems(names);
    FPrinters->setCurrentIndex(std::max(0, static_cast<int>(names.indexOf(current))));
    FPrinters->setMinimumContentsLength(24);
    label->setBuddy(FPrinters);
    connect(FPrinters, &QComboBox::activated, this, &TfrmReportPrintSettings::PrinterChosen);

    auto* help = new QToolButton(this);
    help->setObjectName(u"btnHelp"_s);
    help->setText(u"?"_s);
    help->setToolTip(u"Help for printing"_s);
    connect(help, &QToolButton::clicked, this,
            [this] { ShowHelpContext(windowTitle(), kHelpContext); });

    auto* orientation = new QGroupBox(u"Orientation"_s, this);
    FPortrait = new QRadioButton(u"Portrait"_s, orientation);
    FPortrait->setObjectName(u"rbPortrait"_s);
    FPortrait->setChecked(true);
    FLandscape = new QRadioButton(u"Landscape"_s, orientation);
    FLandscape->setObjectName(u"rbLandscape"_s);
    auto* radios = new QHBoxLayout(orientation);
    radios->addWidget(FPortrait);
    radios->addWidget(FLandscape);

    auto* preview = new QPushButton(u"Print Preview"_s, this);
    preview->setObjectName(u"btnPreview"_s);
    preview->setDefault(true);
    connect(preview, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton(u"Cancel"_s, this);
    cancel->setObjectName(u"btnCancel"_s);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* printerRow = new QHBoxLayout;
    printerRow->addWidget(label);
    printerRow->addWidget(FPrinters, 1);
    printerRow->addWidget(help);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(preview);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(printerRow);
    layout->addWidget(orientation);
    layout->addLayout(buttons);

    ShowOrientation();
    ApplyHelpContexts(this);
}

QString TfrmReportPrintSettings::ChosenPrinter() const {
    return FPrinters->currentText();
}

bool TfrmReportPrintSettings::OrientationChoice() const {
    return FPortrait->isEnabled();
}

QPageLayout::Orientation TfrmReportPrintSettings::Orientation() const {
    return FLandscape->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait;
}

void TfrmReportPrintSettings::PrinterChosen(int index) {
    QString error;
    if (!FSource.Select(FPrinter, FPrinters->itemText(index), error)) {
        QString ignored;
        FSource.Select(FPrinter, FDefault, ignored);
        FPrinters->setCurrentIndex(std::max(0, FPrinters->findText(FDefault)));
        ShowOrientation();
        Prompt().Error(windowTitle(), error);
        return;
    }
    ShowOrientation();
}

void TfrmReportPrintSettings::ShowOrientation() {
    const bool choice = FSource.SupportsOrientation(ChosenPrinter());
    FPortrait->setEnabled(choice);
    FLandscape->setEnabled(choice);
    if (!choice)
        return;
    const bool landscape = FPrinter.pageLayout().orientation() == QPageLayout::Landscape;
    (landscape ? FLandscape : FPortrait)->setChecked(true);
}
