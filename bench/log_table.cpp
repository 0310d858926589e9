// The log window on a log table of a million rows: opening it sorted by date with the first
// screen drawn, sorting by signal, finding the current frequency, adding one entry while the
// view is open, and changing the category of 100,000 shown rows.
#include "BenchFigures.h"

#include "CategoryTable.h"
#include "IniFile.h"
#include "LogGrid.h"
#include "LogTable.h"
#include "Main.h"
#include "MainSheet.h"
#include "ProgramFolder.h"
#include "Settings.h"
#include "TableEngine.h"
#include "TableView.h"
#include "UnitLog.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRows = 1000000;
constexpr int kBlockRows = 100000;

double TimeMs(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void Fail(const QString& text) {
    std::fprintf(stderr, "%s\n", qPrintable(text));
    std::exit(1);
}

// A million rows over twenty years; one in ten on 145.5 MHz, the first hundred thousand IDs in
// category 1.
void FillLog(TTableEngine& engine, const QString& path) {
    quint32 seed = 4242;
    int row = 0;
    const QDate first(2006, 1, 1);
    const bool ok = engine.InsertRows(
        QuoteFileName(path),
        {u"Freq"_s, u"Mode"_s, u"BW"_s, u"Step"_s, u"Ant"_s, u"Stadj"_s, u"Squelch"_s, u"LogDate"_s,
         u"LogTime"_s, u"Signal"_s, u"Notes"_s, u"CategoryID"_s},
        [&](TRowBinder& binder) {
            if (row == kRows)
                return false;
            seed = seed * 1664525u + 1013904223u;
            const double freq =
                row % 10 == 0 ? 145.5 : 0.01 + static_cast<double>(seed % 259999000u) / 100000.0;
            binder.BindNumber(0, freq);
            binder.BindText(1, u"FM");
            binder.BindText(2, u"15");
            binder.BindText(3, u"12.5");
            binder.BindText(4, u"Auto");
            binder.BindInteger(5, 0);
            binder.BindInteger(6, 255);
            binder.BindText(7, first.addDays((seed >> 8) % 7300).toString(Qt::ISODate));
            binder.BindText(
                8, QTime(0, 0).addSecs(static_cast<int>(seed % 86400)).toString(u"HH:mm:ss"_s));
            binder.BindInteger(9, static_cast<int>(seed % 256));
            binder.BindText(10, u"HEARD ON THE BENCH");
            binder.BindInteger(11, row < kBlockRows ? 1 : 2);
            ++row;
            return true;
        });
    if (!ok)
        Fail(engine.LastError());
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("KOVELA_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    const QString path = DataFolder() + u"/Bench_Kv7.DB"_s;
    {
        TTableEngine engine(DataFolder());
        QString error;
        if (!CreateLogTable(engine, path, error) ||
            !EnsureCategoryTable(engine, CategoryTableFileFor(path), error))
            Fail(error);
        QElapsedTimer fill;
        fill.start();
        FillLog(engine, path);
        if (!FindOrAddCategory(engine, CategoryTableFileFor(path), u"Bench"_s, error) ||
            !FindOrAddCategory(engine, CategoryTableFileFor(path), u"Other"_s, error))
            Fail(error);
        std::printf("fill_rows %d\nfill_ms %.0f ms\n", kRows,
                    static_cast<double>(fill.nsecsElapsed()) / 1e6);
    }
    TSettings settings;
    TMainForm main(settings);
    main.MainSheet()->Widgets().EditVco[0]->setText(u"145.500000"_s);
    TIniFile ini(SettingsFileName());
    ini.WriteString(u"Tables"_s, u"LogTable"_s, path);

    TFormLog* form = nullptr;
    const double openMs = TimeMs([&] {
        form = new TFormLog(main);
        form->show();
        form->SortLogBy(u"LogDate"_s);
        form->Grid()->viewport()->repaint();
    });
    if (!form->QLog().Active())
        Fail(u"the log did not open"_s);
    std::printf("open_first_screen_ms %.1f ms\n", openMs);
    std::printf("sort_by_signal_ms %.1f ms\n", TimeMs([&] {
                    form->SortLogBy(u"Signal"_s);
                    form->Grid()->viewport()->repaint();
                }));

    // Find Current as the window does it, without a link: sorted by ID, then filtered.
    std::printf("find_current_ms %.1f ms\n", TimeMs([&] {
                    form->SortLogBy(u"ID"_s);
                    form->QLog().SetFilter(*FindCurrentFilter(u"145.500000"_s));
                    form->QLog().SetFiltered(true);
                    form->QLog().First();
                    form->ShowLogStatus();
                    form->Grid()->viewport()->repaint();
                }));
    form->QLog().SetFiltered(false);
    form->SortLogBy(u"ID"_s);
    std::printf("add_entry_ms %.1f ms\n", TimeMs([&] {
                    form->AddEntry(u"1234.567800"_s, u"AM"_s, false, 99, 40, u"1"_s, u"5"_s,
                                   u"6.0"_s);
                    form->Grid()->viewport()->repaint();
                }));
    form->QLog().SetSql(u"Select * from "_s + QuoteFileName(path) +
                        u" WHERE CategoryID = 1 ORDER BY ID"_s);
    if (!form->QLog().Open())
        Fail(form->QLog().LastError());
    int changed = 0;
    std::printf("block_category_100k_ms %.1f ms\n", TimeMs([&] {
                    form->QLog().UpdateShownRows(u"CategoryID", 2, &changed);
                    form->QLog().Open();
                }));
    if (changed != kBlockRows)
        Fail(u"block change wrote %1 rows"_s.arg(changed));
    std::printf("resident_mb %.1f MB\n", ResidentMb());
    form->close();
    return 0;
}
