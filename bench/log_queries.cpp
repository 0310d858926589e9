// The log's sub-select window on a log table of a million rows: the statements its Build page
// makes for a frequency range and for a notes search, applied as the window applies them, with
// the log window's status (the row count) brought up to date.
#include "BenchFigures.h"
#include "BenchLogTable.h"

#include "CategoryTable.h"
#include "LogGrid.h"
#include "LogTable.h"
#include "Main.h"
#include "ProgramFolder.h"
#include "Settings.h"
#include "SqlForm.h"
#include "TableView.h"
#include "UnitLog.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRows = 1000000;

void Choose(QWidget& form, const QString& name, const QString& text) {
    auto* box = form.findChild<QComboBox*>(name);
    box->setCurrentIndex(box->findText(text));
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
        MakeLogTable(engine, path);
        FillLog(engine, path, kRows, kRows / 10);
    }
    TSettings settings;
    TMainForm main(settings);
    auto* log = new TFormLog(main);
    log->show();
    log->OpenLogTable(path);
    if (!log->QLog().Active())
        BenchFail(u"the log did not open"_s);

    TSqlLogForm form(log->Engine(), log->QLog(), path, SubSelectsFileFor(path), log);
    int shown = 0;
    form.OnApplied = [&](const QString&, bool) {
        log->ShowLogStatus();
        log->Grid()->viewport()->repaint();
        shown = log->QLog().RecordCount();
    };
    const auto apply = [&](const char* figure, const char* rowsFigure) {
        bool applied = false;
        PrintFigure(figure, BenchTimeMs([&] { applied = form.ApplyBuildPage(); }), "ms");
        if (!applied)
            BenchFail(log->QLog().LastError());
        std::printf("%s %d\n", rowsFigure, shown);
    };

    Choose(form, u"FieldComboBox1"_s, u"FREQ"_s);
    Choose(form, u"OperatorComboBox1"_s, u">="_s);
    form.findChild<QLineEdit*>(u"SqlEdit1"_s)->setText(u"145"_s);
    Choose(form, u"FieldComboBox2"_s, u"FREQ"_s);
    Choose(form, u"OperatorComboBox2"_s, u"<"_s);
    form.findChild<QLineEdit*>(u"SqlEdit2"_s)->setText(u"146"_s);
    Choose(form, u"OrderByComboBox"_s, u"FREQ"_s);
    apply("freq_range_query_1m_ms", "freq_range_rows");

    form.Clear();
    Choose(form, u"FieldComboBox1"_s, u"NOTES"_s);
    Choose(form, u"OperatorComboBox1"_s, u"LIKE"_s);
    form.findChild<QLineEdit*>(u"SqlEdit1"_s)->setText(u"BENCH"_s);
    apply("notes_like_query_1m_ms", "notes_like_rows");
    log->close();
    return 0;
}
