// The log window on a log table of a million rows: opening it sorted by date with the first
// screen drawn, sorting by signal, finding the current frequency, adding one entry while the
// view is open, and changing the category of 100,000 shown rows.
#include "BenchFigures.h"
#include "BenchLogTable.h"

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

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("KOVELA_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    const QString path = DataFolder() + u"/Bench_Kv7.DB"_s;
    {
        TTableEngine engine(DataFolder());
        MakeLogTable(engine, path);
        QElapsedTimer fill;
        fill.start();
        FillLog(engine, path, kRows, kBlockRows);
        QString error;
        if (!FindOrAddCategory(engine, CategoryTableFileFor(path), u"Bench"_s, error) ||
            !FindOrAddCategory(engine, CategoryTableFileFor(path), u"Other"_s, error))
            BenchFail(error);
        std::printf("fill_rows %d\nfill_ms %.0f ms\n", kRows,
                    static_cast<double>(fill.nsecsElapsed()) / 1e6);
    }
    TSettings settings;
    TMainForm main(settings);
    main.MainSheet()->Widgets().EditVco[0]->setText(u"145.500000"_s);
    TIniFile ini(SettingsFileName());
    ini.WriteString(u"Tables"_s, u"LogTable"_s, path);

    TFormLog* form = nullptr;
    const double openMs = BenchTimeMs([&] {
        form = new TFormLog(main);
        form->show();
        form->SortLogBy(u"LogDate"_s);
        form->Grid()->viewport()->repaint();
    });
    if (!form->QLog().Active())
        BenchFail(u"the log did not open"_s);
    std::printf("open_first_screen_ms %.1f ms\n", openMs);
    std::printf("sort_by_signal_ms %.1f ms\n", BenchTimeMs([&] {
                    form->SortLogBy(u"Signal"_s);
                    form->Grid()->viewport()->repaint();
                }));

    // Find Current as the window does it, without a link: sorted by ID, then filtered.
    std::printf("find_current_ms %.1f ms\n", BenchTimeMs([&] {
                    form->SortLogBy(u"ID"_s);
                    form->QLog().SetFilter(*FindCurrentFilter(u"145.500000"_s));
                    form->QLog().SetFiltered(true);
                    form->QLog().First();
                    form->ShowLogStatus();
                    form->Grid()->viewport()->repaint();
                }));
    form->QLog().SetFiltered(false);
    form->SortLogBy(u"ID"_s);
    std::printf("add_entry_ms %.1f ms\n", BenchTimeMs([&] {
                    form->AddEntry(u"1234.567800"_s, u"AM"_s, false, 99, 40, u"1"_s, u"5"_s,
                                   u"6.0"_s);
                    form->Grid()->viewport()->repaint();
                }));
    form->QLog().SetSql(u"Select * from "_s + QuoteFileName(path) +
                        u" WHERE CategoryID = 1 ORDER BY ID"_s);
    if (!form->QLog().Open())
        BenchFail(form->QLog().LastError());
    int changed = 0;
    std::printf("block_category_100k_ms %.1f ms\n", BenchTimeMs([&] {
                    form->QLog().UpdateShownRows(u"CategoryID", 2, &changed);
                    form->QLog().Open();
                }));
    if (changed != kBlockRows)
        BenchFail(u"block change wrote %1 rows"_s.arg(changed));
    std::printf("resident_mb %.1f MB\n", ResidentMb());
    form->close();
    return 0;
}
