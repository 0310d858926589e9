// The program as a whole on the built-in simulated receiver: the memory window joins the main
// window, takes the table of the receiver's bank when the link opens, and the program ends with
// its main window even while other windows are open.
#include "AR5000.h"
#include "CompanionController.h"
#include "DataUnit1.h"
#include "ErrorInfoMessageForm.h"
#include "Hints.h"
#include "HitKeeper.h"
#include "IniFile.h"
#include "KovelaApplication.h"
#include "LogGrid.h"
#include "LogTable.h"
#include "LogWindowController.h"
#include "Main.h"
#include "MainSheet.h"
#include "MemForm.h"
#include "ProgramFolder.h"
#include "SearchPage.h"
#include "SearchScan.h"
#include "Simulator.h"
#include "TableView.h"
#include "UnitLog.h"
#include "VfoPanelController.h"
#include "support/ScriptedPrompt.h"

#include <QAbstractButton>
#include <QAction>
#include <QEnterEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QToolButton>

#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

class TestApplication : public QObject {
    Q_OBJECT

public:
    explicit TestApplication(TKovelaApplication& app)
        : FApp(app) {}

private Q_SLOTS:
    void initTestCase() {
        FUserSettingsFile = SettingsFileName();
        QFile file(FUserSettingsFile);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(kUserSettings);
    }

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

    // The beacon window's call sign and its Qd3 button reach the spectrum display through the
    // program's companion link, and its button follows the link when the display ends it.
    void beaconWindowUsesTheSpectrumDisplayLink() {
        qputenv("USER", "app-test-" + QByteArray::number(QCoreApplication::applicationPid()));
        QLocalServer qd3;
        qd3.setSocketOptions(QLocalServer::UserAccessOption);
        QVERIFY(qd3.listen(CompanionServerName(CompanionInfo(TCompanion::Qd3).WindowClass)));
        QPointer<QLocalSocket> client;
        QByteArray received;
        connect(&qd3, &QLocalServer::newConnection, this, [&] {
            client = qd3.nextPendingConnection();
            connect(client, &QLocalSocket::readyRead, this, [&] { received += client->readAll(); });
            received += client->readAll();
        });

        TMainForm* form = FApp.MainForm();
        QVERIFY(form->Driver()->Connected());
        form->findChild<QAction*>(u"mnuIARUBeacons1"_s)->trigger();
        QWidget* beacons = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == u"frmBeacons"_s && top->isVisible())
                beacons = top;
        QVERIFY(beacons);
        auto* beaconQd3 = beacons->findChild<QToolButton*>(u"btnQd3"_s);
        QVERIFY(beaconQd3->isEnabled());
        beaconQd3->click();
        QVERIFY(beaconQd3->isChecked());
        QVERIFY(form->findChild<QPushButton*>(u"btnQd3"_s)->isChecked());
        QTRY_VERIFY(received.size() >= kFrameBytes);
        QCOMPARE(received.left(4), EncodeFrame({kMsgQd3Frequency, 0, 0}).left(4));

        // Frequency frames may still arrive as the display refreshes: only the call sign counts.
        const auto callSignFrames = [&received] {
            TFrameReader reader;
            reader.Feed(received);
            QList<TCompanionFrame> frames;
            while (const auto frame = reader.Next())
                if (frame->Message == kMsgQd3CallSign)
                    frames.append(*frame);
            return frames;
        };
        received.clear();
        beacons->findChild<QToolButton*>(u"btnStop"_s)->click();
        const QList<TCompanionFrame> emptyCallSign{{kMsgQd3CallSign, 0, kFirstHalfMark},
                                                   {kMsgQd3CallSign, 0, kSecondHalfMark}};
        QTRY_COMPARE(callSignFrames(), emptyCallSign);

        client->write(EncodeFrame({kMsgQd3Ends, 0, 0}));
        client->flush();
        QTRY_VERIFY(!beaconQd3->isChecked());
        QVERIFY(!form->findChild<QPushButton*>(u"btnQd3"_s)->isChecked());
        QVERIFY(!FApp.Companions()->Link(TCompanion::Qd3).Linked());
        beacons->close();
    }

    void scanPageClearIsTheMemoryWindowsItem() {
        auto scripted = std::make_unique<TScriptedPrompt>();
        TScriptedPrompt* answers = scripted.get();
        auto previous = SetPrompt(std::move(scripted));
        const auto restore = qScopeGuard([&previous] { SetPrompt(std::move(previous)); });
        auto* clear = FApp.MainForm()->findChild<QPushButton*>(u"SpeedButtonClearSelectFlags"_s);
        QVERIFY(clear && clear->isEnabled());
        clear->click();
        QCOMPARE(answers->ConfirmAsked,
                 QStringList{u"Clear ALL Select Scan Flags?\r\nAre you sure?"_s});
    }

    // Setup's hint switch drives the pop-ups of the whole program; long hints reach the active
    // memory or log window; the colours dialog's OK reaches the open log window's grid too.
    void hintsAndColoursReachTheOpenWindows() {
        auto scripted = std::make_unique<TScriptedPrompt>();
        auto previous = SetPrompt(std::move(scripted));
        const auto restore = qScopeGuard([&previous] { SetPrompt(std::move(previous)); });
        TMainForm* form = FApp.MainForm();
        QAction* hints = form->findChild<QAction*>(u"HintsOff1"_s);
        QVERIFY(FApp.Hints()->PopupHintsShown());
        hints->trigger();
        QVERIFY(!FApp.Hints()->PopupHintsShown());
        hints->trigger();
        QVERIFY(FApp.Hints()->PopupHintsShown());

        const auto hover = [](QWidget* widget) {
            QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), widget->mapToGlobal(QPointF(1, 1)));
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(widget, &leave);
            QApplication::sendEvent(widget, &enter);
        };
        TMemForm* memory = FApp.MemForm();
        QApplication::setActiveWindow(memory);
        hover(memory->findChild<QToolButton*>(u"ToolButton18"_s));
        QCOMPARE(memory->InfoText(), u"Close"_s);

        form->findChild<QPushButton*>(u"LogTableButton"_s)->click();
        TFormLog* log = FApp.LogWindow()->FormLog();
        QVERIFY(log);
        const auto closeLog = qScopeGuard([log] { log->close(); });
        QApplication::setActiveWindow(log);
        hover(log->Grid());
        QCOMPARE(log->findChild<QLabel*>(u"StatusPanel2"_s)->text(),
                 u"Dbl Click/Enter in ID column.  Drag to VFOs.  Right click menu.  [Ctrl-Shift] "
                 u"Show Notes in Hint"_s);
        QCOMPARE(memory->InfoText(), u"Close"_s);

        const QColor red(255, 0, 0);
        FApp.ColourPicker = [red](const QColor&, QWidget*) {
            return std::optional<QColor>(red);
        };
        QTimer::singleShot(0, this, [] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            dialog->findChild<QAbstractButton*>(u"TableTextColorButton"_s)->click();
            dialog->findChild<QAbstractButton*>(u"OKBtn"_s)->click();
        });
        form->findChild<QAction*>(u"Colours1"_s)->trigger();
        QCOMPARE(log->Grid()->palette().color(QPalette::Text), red);
        QCOMPARE(form->Settings().TableTextColor, u"$000000FF"_s);
    }

    // Auto-logging reaches the real log window: offered once a table is open there, the window
    // disabled for the run, one row per frequency, the window back at the stop.
    void searchHitsGoToTheOpenLogTable() {
        auto scripted = std::make_unique<TScriptedPrompt>();
        auto previous = SetPrompt(std::move(scripted));
        const auto restore = qScopeGuard([&previous] { SetPrompt(std::move(previous)); });
        TMainForm* form = FApp.MainForm();
        form->findChild<QPushButton*>(u"LogTableButton"_s)->click();
        TFormLog* log = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<TFormLog*>(window))
                log = found;
        }
        QVERIFY(log);
        const auto closeLog = qScopeGuard([log] { log->close(); });
        THitKeeper* keeper = FApp.SearchScan()->HitKeeper();
        const TSearchPageWidgets& w = FApp.SearchScan()->SearchPage()->Widgets();
        QAction* item = w.AutoLogtoLogtable1;
        Q_EMIT w.PopupMenuSearchRecordToWav->aboutToShow();
        QVERIFY2(!item->isEnabled(), "no table is open yet");

        QTemporaryDir dir;
        const QString path = dir.filePath(u"Hits_Kv7.DB"_s);
        QString error;
        QVERIFY2(CreateLogTable(log->Engine(), path, error), qPrintable(error));
        log->OpenLogTable(path);
        QVERIFY(log->QLog().Active());
        Q_EMIT w.PopupMenuSearchRecordToWav->aboutToShow();
        QVERIFY(item->isEnabled());
        item->trigger();
        QVERIFY(item->isChecked());

        // The category question is the log window's own modal dialog: it is cancelled.
        QTimer cancel;
        connect(&cancel, &QTimer::timeout, this, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        cancel.start(10);
        keeper->RunStarted(THitSource::ProgramSearch, 0);
        cancel.stop();
        QVERIFY(!log->isEnabled());
        THit hit;
        hit.Record.Freq = 145.5;
        hit.Record.Level = u"120"_s;
        hit.Level = 120;
        w.AutoSDisplayEdit->setText(u"  145.500000"_s);
        keeper->HitShown(THitSource::ProgramSearch, hit);
        keeper->HitShown(THitSource::ProgramSearch, hit);
        keeper->HitShown(THitSource::BankScan, hit);
        QCOMPARE(log->QLog().RecordCount(), 1);
        keeper->RunStopped(THitSource::ProgramSearch);
        QVERIFY(log->isEnabled());
    }

    void unexpectedErrorWithTheLinkClosed() {
        TMainForm* form = FApp.MainForm();
        form->findChild<QPushButton*>(u"OpenPortButton"_s)->click();
        QVERIFY(!form->Driver()->Connected());
        form->MainSheet()->VfoPanel()->MakeCurrent(u'B');
        auto* box = form->findChild<QLineEdit*>(u"EditVcoB"_s);
        QCOMPARE(box->palette().color(QPalette::Base), QColor(0, 128, 0));

        QTemporaryDir dir;
        THitLogFile& hitLog = FApp.SearchScan()->HitKeeper()->LogFile();
        QVERIFY(hitLog.Open(dir.filePath(u"hits.csv"_s)));

        FApp.HandleUnexpectedError(u"Something broke"_s);
        QVERIFY2(!hitLog.IsOpen(), "the error handler stops the hit log");
        QCOMPARE(box->palette().color(QPalette::Base), QColor(0, 0, 0));
        QVERIFY(FApp.Messages()->Text().contains(u"Something broke\r\nAppliction.OnException."_s));
    }

    void refusedCloseKeepsTheMessageLog() {
        QVERIFY(FApp.Messages()->CheckOpenErrorLogfile(true));
        FApp.MainForm()->RunFlags().ScanRunning = true;
        QVERIFY(!FApp.MainForm()->close());
        FApp.MainForm()->RunFlags().ScanRunning = false;
        QVERIFY(FApp.Messages()->LogFileOpen());
    }

    void programEndsWithTheMainWindow() {
        QVERIFY(FApp.MemForm()->isVisible());
        QTimer::singleShot(0, FApp.MainForm(), &QWidget::close);
        // Should the program outlive its main window, this ends the loop with another code.
        QTimer::singleShot(10000, &FApp, [this] { FApp.exit(2); });
        QCOMPARE(TKovelaApplication::exec(), 0);
        QVERIFY(!FApp.Messages()->LogFileOpen());
    }

    void simulatedRunLeavesTheSettingsFileAlone() {
        QFile file(FUserSettingsFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), kUserSettings);
        // The run wrote what it writes at exit, to its own copy.
        QVERIFY(SettingsFileName() != FUserSettingsFile);
        const TIniFile copy(SettingsFileName());
        QVERIFY(copy.ValueExists(u"Settings"_s, u"Graticules"_s));
        QCOMPARE(copy.ReadString(u"Settings"_s, u"ComPort"_s, {}), u"Com 4"_s);
    }

private:
    inline static const QByteArray kUserSettings = "[Settings]\r\nComPort=Com 4\r\n";
    TKovelaApplication& FApp;
    QString FUserSettingsFile;
};

int main(int argc, char* argv[]) {
    TKovelaApplication app(argc, argv);
    TestApplication test(app);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
