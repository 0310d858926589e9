// The program as a whole on the built-in simulated receiver: the memory window joins the main
// window, takes the table of the receiver's bank when the link opens, and the program ends with
// its main window even while other windows are open.
#include "AR5000.h"
#include "DataUnit1.h"
#include "KovelaApplication.h"
#include "Main.h"
#include "MemForm.h"
#include "Simulator.h"

#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

class TestApplication : public QObject {
    Q_OBJECT

public:
    explicit TestApplication(TKovelaApplication& app)
        : FApp(app) {}

private Q_SLOTS:
    void memoryWindowFollowsTheLink() {
        TStartOptions options;
        options.Simulate = true;
        options.Splash = false;
        QVERIFY(FApp.Start(options));
        QTRY_VERIFY(FApp.MainForm()->Driver()->Connected());
        TMemForm* memory = FApp.MemForm();
        QVERIFY(memory);
        // The link opened: the panel was read and the view shows the whole bank table.
        QTRY_COMPARE(FApp.DataModule()->MemQuery1().Sql(),
                     u"SELECT * FROM MemoryBank0.dbf ORDER BY MEM"_s);
        QCOMPARE(FApp.DataModule()->MemQuery1().RecordCount(), 1000);

        TMemoryWindowLink& link = FApp.MainForm()->MemoryWindow();
        QVERIFY(!link.IsVisible());
        link.Toggle(42);
        QVERIFY(memory->isVisible());
        QCOMPARE(FApp.DataModule()->MemQuery1().Value(u"MEM").toString(), u"042"_s);
    }

    void programEndsWithTheMainWindow() {
        QVERIFY(FApp.MemForm()->isVisible());
        QTimer::singleShot(0, FApp.MainForm(), &QWidget::close);
        // Should the program outlive its main window, this ends the loop with another code.
        QTimer::singleShot(10000, &FApp, [this] { FApp.exit(2); });
        QCOMPARE(TKovelaApplication::exec(), 0);
    }

private:
    TKovelaApplication& FApp;
};

int main(int argc, char* argv[]) {
    TKovelaApplication app(argc, argv);
    TestApplication test(app);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
