// The memory listing: its pages read back from PDF files, the print settings dialog, the
// preview, and the flow from the memory window's Ctrl+P on printers the test makes up.
#include "mainwindow/PanelFixture.h"
#include "memory/MemoryFixture.h"

#include "DataUnit1.h"
#include "MemForm.h"
#include "MemoryGrid.h"
#include "MemoryListing.h"
#include "MemoryPrinting.h"
#include "PreviewForm.h"
#include "PrinterSource.h"
#include "ProgramInfo.h"
#include "ReportPrintSettingsForm.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPdfWriter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// The text of a PDF file (one page when `page` > 0), through pdftotext.
QString PdfText(const QString& path, int page = 0) {
    QStringList arguments{u"-layout"_s};
    if (page > 0)
        arguments << u"-f"_s << QString::number(page) << u"-l"_s << QString::number(page);
    QProcess process;
    process.start(u"pdftotext"_s, arguments << path << u"-"_s);
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Pages of a PDF file as pdftotext sees them (a form feed ends each).
int PdfPages(const QString& path) {
    return static_cast<int>(PdfText(path).count(u'\f'));
}

bool HavePdfTools() {
    return !QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty();
}

QList<TListingRow> Rows(int count) {
    QList<TListingRow> rows;
    for (int i = 0; i < count; ++i)
        rows.append({u"%1"_s.arg(i, 3, 10, QChar(u'0')), u"%1.500000"_s.arg(100 + i),
                     u"CH%1"_s.arg(i), u"FM"_s});
    return rows;
}

// Printers made up for the test; each prints into a PDF file. "Broken" cannot be selected,
// "Fixed" has no orientation choice, "Tiny" has paper too small for the listing.
struct TTestPrinters final : TPrinterSource {
    QStringList Names{u"Alpha"_s, u"Beta"_s, u"Fixed"_s, u"Broken"_s, u"Tiny"_s};
    QString Default = u"Alpha"_s;
    QString OutputFile;
    QStringList Selected;

    QStringList PrinterNames() override { return Names; }
    QString DefaultPrinterName() override { return Default; }
    bool Select(QPrinter& printer, const QString& name, QString& error) override {
        if (name == u"Broken"_s) {
            error = u"Broken is offline"_s;
            return false;
        }
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(OutputFile);
        printer.setPageSize(name == u"Tiny"_s ? QPageSize(QSizeF(30, 30), QPageSize::Millimeter)
                                              : QPageSize(QPageSize::A4));
        Selected << name;
        return true;
    }
    bool SupportsOrientation(const QString& name) override { return name != u"Fixed"_s; }
};

struct TListingFixture {
    TMemoryHome Home;
    TPanelFixture Panel;
    TDataModule1 Data{Home.Dir.path()};
    std::unique_ptr<TMemForm> Form;
    TTestPrinters* Printers = nullptr;

    TListingFixture() {
        if (!Data.DataModule1Create())
            qFatal("tables: %s", qPrintable(Data.LastError()));
        Form = std::make_unique<TMemForm>(*Panel.Form, Data);
        auto printers = std::make_unique<TTestPrinters>();
        Printers = printers.get();
        Printers->OutputFile = Home.Path(u"listing.pdf"_s);
        Form->Printing()->SetPrinterSource(std::move(printers));
        Form->show();
        QApplication::setActiveWindow(Form.get());
        Form->Grid()->setFocus();
    }
    ~TListingFixture() { Form.reset(); }
    TListingFixture(const TListingFixture&) = delete;
    TListingFixture& operator=(const TListingFixture&) = delete;

    bool Sql(const QString& sql) {
        return Data.Engine().Execute(sql) && Data.ReopenMemoryView(Data.MemQuery1().Sql());
    }
    // Every channel used: FREQ 100 + channel/1000 MHz, TEXT "AIR<n>" on every fourth channel.
    bool FillBank() {
        return Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 100 + CAST(MEM AS INTEGER) / 1000.0, "
                   u"MODE = 'AM', TEXT = CASE WHEN CAST(MEM AS INTEGER) % 4 = 0 "
                   u"THEN 'air' || MEM ELSE 'BASE' || MEM END"_s);
    }
    TfrmPreview* Preview() const { return Form->Printing()->Preview(); }
    // Ctrl+P typed into the memory window; `settings` acts on the print settings dialog,
    // which is then accepted (or left with Cancel when `accept` is false).
    void PressCtrlP(const std::function<void(TfrmReportPrintSettings&)>& settings = {},
                    bool accept = true) {
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, timer, [timer, settings, accept] {
            auto* dialog =
                qobject_cast<TfrmReportPrintSettings*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            timer->deleteLater();
            if (settings)
                settings(*dialog);
            dialog->findChild<QAbstractButton*>(accept ? u"btnPreview"_s : u"btnCancel"_s)->click();
        });
        timer->start(10);
        const QPointer<QTimer> waiting(timer);
        // The memory window is the one the user types into (after a dialog closed, too).
        QApplication::setActiveWindow(Form.get());
        if (!QApplication::focusWidget())
            Form->Grid()->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_P, Qt::ControlModifier);
        // No dialog came up: the timer must not answer a later one.
        delete waiting.data();
    }
    // Chooses a printer in the list as the user does.
    static void Choose(TfrmReportPrintSettings& dialog, const QString& name) {
        QComboBox* list = dialog.cbPrinters();
        list->setCurrentIndex(list->findText(name));
        Q_EMIT list->activated(list->currentIndex());
    }
};

} // namespace

class TestListing : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        if (!HavePdfTools())
            QSKIP("pdftotext (poppler-utils) is not installed");
    }

    // Pages follow from the paper, the orientation and whether the filter line takes room.
    void pages_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QPageLayout::Orientation>("orientation");
        QTest::addColumn<int>("pages");
        QTest::newRow("1000 portrait") << 1000 << QString() << QPageLayout::Portrait << 20;
        QTest::newRow("1000 landscape") << 1000 << QString() << QPageLayout::Landscape << 30;
        QTest::newRow("first page full") << 47 << QString() << QPageLayout::Portrait << 1;
        QTest::newRow("one row over") << 48 << QString() << QPageLayout::Portrait << 2;
        QTest::newRow("filter line") << 47 << u"x"_s << QPageLayout::Portrait << 2;
        QTest::newRow("no rows") << 0 << QString() << QPageLayout::Portrait << 1;
    }
    void pages() {
        QFETCH(int, rows);
        QFETCH(QString, filter);
        QFETCH(QPageLayout::Orientation, orientation);
        QFETCH(int, pages);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"listing.pdf"_s);
        TMemoryListing listing(Rows(rows), u"SELECT * FROM MemoryBank0.dbf"_s, filter);
        {
            QPdfWriter writer(path);
            writer.setPageSize(QPageSize(QPageSize::A4));
            writer.setPageOrientation(orientation);
            QVERIFY2(listing.Print(writer), qPrintable(listing.LastError()));
        }
        QCOMPARE(listing.PageCount(), pages);
        QCOMPARE(PdfPages(path), pages);
        // Every row printed once, in order, and the last one on the last page.
        const QString text = PdfText(path);
        qsizetype at = 0;
        for (const TListingRow& row : listing.Rows()) {
            at = text.indexOf(row.Mem + u' ', at);
            QVERIFY2(at >= 0, qPrintable(row.Mem));
        }
        if (rows > 0)
            QVERIFY(PdfText(path, pages).contains(listing.Rows().constLast().Text));
    }

    // The title band on the first page only; the footer on every page.
    void bands() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"listing.pdf"_s);
        const QDateTime at(QDate(2024, 3, 9), QTime(14, 5));
        TMemoryListing listing(
            Rows(60), u"SELECT * FROM MemoryBank0.dbf WHERE (PASS = TRUE )\r\nORDER BY MEM"_s,
            u"air"_s, at);
        {
            QPdfWriter writer(path);
            writer.setPageSize(QPageSize(QPageSize::A4));
            QVERIFY(listing.Print(writer));
        }
        const QString first = PdfText(path, 1).simplified();
        QVERIFY(first.contains(u"SELECT * FROM MemoryBank0.dbf WHERE (PASS = TRUE )"_s));
        QVERIFY(!first.contains(u"ORDER BY"_s));
        QVERIFY(first.contains(u"AR5000 Memory Listing"_s));
        QVERIFY(first.contains(u"60 Memories listed"_s));
        QVERIFY(first.contains(u"Quick Text Filter = \"AIR\""_s));
        QVERIFY(first.contains(u"Memory Frequency Text Mode"_s));
        QVERIFY(first.contains(u"000 100.500000 CH0 FM"_s));
        const QString second = PdfText(path, 2).simplified();
        QVERIFY(!second.contains(u"AR5000 Memory Listing"_s));
        QVERIFY(second.contains(u"Memory Frequency Text Mode"_s));
        const QString stamp = QLocale().toString(at, QLocale::ShortFormat);
        for (const QString& page : {first, second})
            QVERIFY(page.contains(u"Generated by Kv7: "_s + QLatin1StringView(kProgramWebAddress)));
        QVERIFY(first.contains(u" 1 "_s + stamp));
        QVERIFY(second.contains(u" 2 "_s + stamp));
    }

    void paperTooSmall() {
        QTemporaryDir dir;
        TMemoryListing listing(Rows(5), {}, {});
        QPdfWriter writer(dir.filePath(u"listing.pdf"_s));
        writer.setPageSize(QPageSize(QSizeF(30, 30), QPageSize::Millimeter));
        QVERIFY(!listing.Print(writer));
        QVERIFY(!listing.LastError().isEmpty());
    }

    // Orientation buttons follow the printer; a printer that cannot be selected gives way to
    // the default one, in the list too.
    void settingsDialog() {
        TMemoryHome home;
        auto answers = std::make_unique<TScriptedPrompt>();
        TScriptedPrompt& prompted = *answers;
        std::unique_ptr<TPrompt> previous = SetPrompt(std::move(answers));
        const auto restore = qScopeGuard([&previous] { SetPrompt(std::move(previous)); });
        TTestPrinters printers;
        QPrinter printer;
        printer.setPageOrientation(QPageLayout::Landscape);
        TfrmReportPrintSettings dialog(printers, printer, printers.Names, u"Beta"_s, u"Alpha"_s);
        auto* portrait = dialog.findChild<QRadioButton*>(u"rbPortrait"_s);
        auto* landscape = dialog.findChild<QRadioButton*>(u"rbLandscape"_s);
        QCOMPARE(dialog.windowTitle(), u"Print Settings"_s);
        QCOMPARE(dialog.ChosenPrinter(), u"Beta"_s);
        QVERIFY(landscape->isEnabled() && landscape->isChecked());

        TListingFixture::Choose(dialog, u"Fixed"_s);
        QCOMPARE(printers.Selected.constLast(), u"Fixed"_s);
        QVERIFY(!portrait->isEnabled() && !landscape->isEnabled());
        QVERIFY(!dialog.OrientationChoice());

        TListingFixture::Choose(dialog, u"Broken"_s);
        QCOMPARE(dialog.ChosenPrinter(), u"Alpha"_s);
        QCOMPARE(printers.Selected.constLast(), u"Alpha"_s);
        QVERIFY(portrait->isEnabled());
        QCOMPARE(prompted.Errors, QStringList{u"Broken is offline"_s});
    }

    void refusedWithoutDefaultPrinter() {
        TListingFixture f;
        f.Printers->Default.clear();
        f.PressCtrlP();
        QCOMPARE(f.Panel.Answers->Errors,
                 QStringList{u"You do not have a default printer defined.\r\rPlease select a "
                             u"printer"_s});
        QVERIFY(!f.Preview());
        QVERIFY(f.Printers->Selected.isEmpty());
    }

    void cancelPrintsNothing() {
        TListingFixture f;
        f.PressCtrlP({}, false);
        QVERIFY(!f.Preview());
    }

    // The whole bank through the dialog, the preview's keys and "Print Ctrl-P" into a file.
    void previewAndPrint() {
        TListingFixture f;
        QVERIFY(f.FillBank());
        f.PressCtrlP();
        QVERIFY(f.Preview());
        TfrmPreview& preview = *f.Preview();
        QCOMPARE(preview.PageCount(), 20);
        QCOMPARE(preview.PageLabelText(), u"  Page 1 of 20  "_s);
        QCOMPARE(preview.PreviewArea()->zoomMode(), QPrintPreviewWidget::FitInView);
        QVERIFY(preview.findChild<QAction*>(u"Zoom Page"_s)->isChecked());

        // A second Ctrl+P in the memory window while the preview is open does nothing.
        QApplication::setActiveWindow(f.Form.get());
        f.Form->Grid()->setFocus();
        f.PressCtrlP();
        QCOMPARE(f.Preview(), &preview);
        QCOMPARE(f.Printers->Selected.size(), 1);

        QApplication::setActiveWindow(&preview);
        QVERIFY(QTest::qWaitForWindowActive(&preview));
        const auto key = [](int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget()
                                                        : QApplication::activeWindow(),
                            static_cast<Qt::Key>(k), mods);
        };
        const std::vector<std::pair<int, int>> steps = {
            {Qt::Key_PageUp, 1},    {Qt::Key_PageDown, 2}, {Qt::Key_End, 20},
            {Qt::Key_PageDown, 20}, {Qt::Key_PageUp, 19},  {Qt::Key_Home, 1}};
        for (const auto& [k, page] : steps) {
            key(k);
            QCOMPARE(preview.CurrentPage(), page);
            QCOMPARE(preview.PageLabelText(), u"  Page %1 of 20  "_s.arg(page));
        }
        key(Qt::Key_P, Qt::ControlModifier);
        QTRY_VERIFY(!f.Preview());
        const QString path = f.Printers->OutputFile;
        QCOMPARE(PdfPages(path), 20);
        const QString first = PdfText(path, 1).simplified();
        QVERIFY(first.contains(u"1000 Memories listed"_s));
        QVERIFY(!first.contains(u"Quick Text Filter"_s));
        QVERIFY(first.contains(u"001 100.001000 BASE001 AM"_s));
        QVERIFY(PdfText(path, 20).simplified().contains(u"999 100.999000 BASE999 AM"_s));
    }

    // With the quick filter "AIR" on, only the rows it shows are listed, and counted.
    void quickFilter() {
        TListingFixture f;
        QVERIFY(f.FillBank());
        auto* edit = f.Form->findChild<QLineEdit*>(u"Edit1"_s);
        edit->setText(u"AIR"_s);
        f.Form->ApplyQuickFilter();
        QVERIFY(f.Data.MemQuery1().Filtered());
        const QList<TListingRow> rows = f.Form->Printing()->ListingRows();
        QCOMPARE(rows.size(), 250);
        for (const TListingRow& row : rows)
            QVERIFY2(row.Text.startsWith(u"air"_s), qPrintable(row.Text));
        QCOMPARE(rows.constFirst().Freq, u"100.000000"_s);

        f.PressCtrlP([](TfrmReportPrintSettings& dialog) {
            dialog.findChild<QRadioButton*>(u"rbLandscape"_s)->setChecked(true);
        });
        QVERIFY(f.Preview());
        f.Preview()->PrintReport();
        QTRY_VERIFY(!f.Preview());
        const QString text = PdfText(f.Printers->OutputFile).simplified();
        QVERIFY(text.contains(u"250 Memories listed"_s));
        QVERIFY(text.contains(u"Quick Text Filter = \"AIR\""_s));
        QVERIFY(text.contains(u"996 100.996000 air996 AM"_s));
        QVERIFY(!text.contains(u"BASE"_s));
    }

    // A printer whose paper cannot take the listing: back to the default printer, told in the
    // messages window and a message box, and the view is as usable as before.
    void failedGenerationReleasesView() {
        TListingFixture f;
        QVERIFY(f.FillBank());
        QVERIFY(f.Form->GoToChannel(123));
        f.PressCtrlP(
            [](TfrmReportPrintSettings& dialog) { TListingFixture::Choose(dialog, u"Tiny"_s); });
        QVERIFY(!f.Preview());
        QVERIFY(f.Panel.Messages.contains(
            u"Problem with requested printer.  Reset to default printer."_s));
        QCOMPARE(f.Panel.Answers->Errors.size(), 1);
        QCOMPARE(f.Printers->Selected.constLast(), u"Alpha"_s);
        QVERIFY(f.Form->Grid()->updatesEnabled());
        QCOMPARE(f.Data.MemQuery1().Value(u"MEM").toString(), u"123"_s);
        QVERIFY(f.Form->GoToChannel(124));

        // The default printer is the current one again, and the listing now comes up.
        f.PressCtrlP(
            [](TfrmReportPrintSettings& dialog) { QCOMPARE(dialog.ChosenPrinter(), u"Alpha"_s); });
        QVERIFY(f.Preview());
        QCOMPARE(f.Preview()->PageCount(), 20);
    }

    // Without any printer the PDF file is offered, and printing asks for the file.
    void pdfFileWithoutPrinters() {
        if (!QPrinterInfo::availablePrinterNames().isEmpty())
            QSKIP("this system has printers");
        TSystemPrinters system;
        QCOMPARE(system.PrinterNames(), QStringList{QString::fromLatin1(kPdfPrinterName)});
        QCOMPARE(system.DefaultPrinterName(), QString::fromLatin1(kPdfPrinterName));
        TListingFixture f;
        f.Form->Printing()->SetPrinterSource(std::make_unique<TSystemPrinters>());
        f.PressCtrlP();
        QVERIFY(f.Preview());
        f.Panel.Answers->SaveAnswer = f.Home.Path(u"asked"_s);
        f.Preview()->PrintReport();
        QTRY_VERIFY(!f.Preview());
        QCOMPARE(f.Panel.Answers->SaveAsked.value(0), u"Print to PDF"_s);
        // The bank as made, blank channels and all.
        QCOMPARE(PdfPages(f.Home.Path(u"asked.pdf"_s)), 20);
    }

    // "Printer Setup..." starts the system's printer settings program, or says there is none.
    void printerSetup() {
        TListingFixture f;
        QAction* setup = nullptr;
        for (QAction* action : f.Form->findChild<QMenu*>(u"FileMenu"_s)->actions())
            if (action->text() == u"Printer Setup..."_s)
                setup = action;
        QVERIFY(setup);
        const QByteArray path = qgetenv("PATH");
        const auto restore = qScopeGuard([&path] { qputenv("PATH", path); });
        QTemporaryDir bin;
        qputenv("PATH", bin.path().toUtf8());
        setup->trigger();
        QCOMPARE(f.Panel.Answers->Errors.size(), 1);
        QVERIFY(f.Panel.Answers->Errors.constFirst().contains(u"system-config-printer"_s));

        const QString marker = bin.filePath(u"started"_s);
        QFile script(bin.filePath(u"system-config-printer"_s));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho started > '" + marker.toUtf8() + "'\n");
        script.close();
        script.setPermissions(script.permissions() | QFile::ExeOwner);
        setup->trigger();
        QTRY_VERIFY(QFile::exists(marker));
        QCOMPARE(f.Panel.Answers->Errors.size(), 1);
    }
};

QTEST_MAIN(TestListing)
#include "tst_listing.moc"
