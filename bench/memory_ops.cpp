// Operations on a whole memory bank table, each figure measured by a function of its own:
// a bank of 1000 filled rows exported to a Kv7 text database, then read back in.
#include "BenchFigures.h"

#include "DataUnit1.h"
#include "Kv7Bank.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

bool Check(bool ok, const QString& error) {
    if (!ok)
        std::fprintf(stderr, "%s\n", qPrintable(error));
    return ok;
}

double ElapsedMs(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Every channel filled, all fields set.
bool FillBank(TDataModule1& data) {
    return Check(data.Q1(u"UPDATE MemoryBank0.dbf SET FREQ = 100 + CAST(MEM AS INTEGER) / 1000.0, "
                         u"MODE = 'FM', BW = '15', LP = '12', HP = '0.05', DM = '50', "
                         u"AGC = 'Fast', STEP = '12.500', SSTEP = 'Main', ATN = 'Auto', "
                         u"ANT = '1', STADJ = FALSE, PASS = TRUE, SELSCAN = FALSE, "
                         u"TEXT = 'CH ' || MEM, CHANGED = FALSE, SQUELCH = 128"_s),
                 data.LastError()) &&
           Check(data.ReopenMemoryView(AllRowsSql(data.ViewState.CurrentTable)), data.LastError());
}

bool Kv7Export(TDataModule1& data, const QString& path) {
    QString error;
    QElapsedTimer timer;
    timer.start();
    if (!Check(ExportKv7(data.MemQuery1(), path, error), error))
        return false;
    PrintFigure("kv7_export_1000_ms", ElapsedMs(timer), "ms");
    return true;
}

bool Kv7ReadIn(TDataModule1& data, const QString& path) {
    QElapsedTimer timer;
    timer.start();
    const TKv7ReadIn result = ReadKv7IntoBank(data, path);
    if (!Check(result.Ok() && result.Replaced == kBankRows,
               result.Error + u" ("_s + QString::number(result.Replaced) + u" rows)"_s))
        return false;
    PrintFigure("kv7_readin_1000_ms", ElapsedMs(timer), "ms");
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    if (!Check(home.isValid(), u"no temporary folder"_s))
        return 1;
    qputenv("KOVELA_HOME", home.path().toUtf8());
    TDataModule1 data(home.path());
    if (!Check(data.DataModule1Create(), data.LastError()) || !FillBank(data))
        return 1;
    const QString kv7 = home.filePath(u"bank.Kv7"_s);
    if (!Kv7Export(data, kv7) || !Kv7ReadIn(data, kv7))
        return 1;
    return 0;
}
