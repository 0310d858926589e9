#include "memory/MemoryFixture.h"

#include "BankTable.h"
#include "TableEngine.h"
#include "TableView.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr const char* kWriterArgument = "--crash-writer";
constexpr int kRounds = 6;

// The child: rewrites every row's TEXT, one transaction per generation, until it is killed.
int RunCrashWriter(const QString& folder) {
    TTableEngine engine(folder);
    TTableView view(engine);
    view.SetSql(u"SELECT * FROM MemoryBank0.dbf"_s);
    if (!view.Open()) {
        std::fprintf(stderr, "%s\n", qPrintable(view.LastError()));
        return 1;
    }
    const int start = view.Value(u"TEXT").toString().mid(1).toInt();
    std::printf("started\n");
    std::fflush(stdout);
    for (int generation = start + 1;; ++generation) {
        TTransaction transaction(engine);
        for (int row = 0; view.MoveTo(row); ++row) {
            if (!view.Edit() || !view.SetField(u"TEXT", u"G"_s + QString::number(generation)) ||
                !view.Post())
                return 2;
        }
        if (!transaction.Commit())
            return 3;
        std::printf("committed %d\n", generation);
        std::fflush(stdout);
    }
}

} // namespace

class TestCrash : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void killedWriterLeavesWholeTable();
};

// A process killed while it writes leaves a table whose rows are all of one generation.
void TestCrash::killedWriterLeavesWholeTable() {
    TMemoryHome home;
    {
        TTableEngine engine(home.Dir.path());
        QString error;
        QVERIFY(PrepareBankTable(engine, u"MemoryBank0.dbf"_s, error));
        QVERIFY(engine.Execute(u"UPDATE MemoryBank0.dbf SET TEXT = 'G0'"_s));
    }
    int lastGeneration = 0;
    for (int round = 0; round < kRounds; ++round) {
        QProcess writer;
        writer.start(QCoreApplication::applicationFilePath(),
                     {QString::fromLatin1(kWriterArgument), home.Dir.path()});
        QVERIFY(writer.waitForStarted());
        QVERIFY(writer.waitForReadyRead(10000));
        QCOMPARE(writer.readLine().trimmed(), QByteArray("started"));
        // However slow the machine, the kill falls after a commit and somewhere in a later
        // transaction.
        QByteArray output;
        while (!output.contains("committed") && writer.waitForReadyRead(30000))
            output += writer.readAll();
        QVERIFY2(output.contains("committed"), "the writer committed nothing");
        const int delayMs = QRandomGenerator::global()->bounded(0, 250);
        QTest::qWait(delayMs);
        QCOMPARE(writer.state(), QProcess::Running);
        writer.kill();
        QVERIFY(writer.waitForFinished());
        output += writer.readAllStandardOutput();
        // The newest generation the writer saw committed; any later one may have been cut.
        int committed = 0;
        for (const QByteArray& line : output.split('\n')) {
            if (line.startsWith("committed "))
                committed = std::max(committed, line.mid(10).toInt());
        }

        TTableEngine engine(home.Dir.path());
        QString error;
        QVERIFY2(PrepareBankTable(engine, u"MemoryBank0.dbf"_s, error), qPrintable(error));
        QCOMPARE(engine.QueryValue(u"SELECT count(*) FROM MemoryBank0.dbf"_s)->toInt(), 1000);
        QCOMPARE(engine.QueryValue(u"SELECT count(DISTINCT TEXT) FROM MemoryBank0.dbf"_s)->toInt(),
                 1);
        const int generation =
            engine.QueryValue(u"SELECT TEXT FROM MemoryBank0.dbf"_s)->toString().mid(1).toInt();
        QVERIFY(generation >= committed);
        QVERIFY(generation >= lastGeneration);
        lastGeneration = generation;
        qInfo("round %d: killed %d ms after a commit at generation %d", round, delayMs, generation);
    }
}

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], kWriterArgument) == 0)
        return RunCrashWriter(QString::fromLocal8Bit(argv[2]));
    TestCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crash.moc"
