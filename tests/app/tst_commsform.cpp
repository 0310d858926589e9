// The comms monitor against the in-process simulated receiver: traces, typed commands, the
// trace log file, placement and the driver hooks.
#include "CommsForm.h"
#include "support/ScriptedPrompt.h"

#include "AR5000.h"
#include "IniFile.h"
#include "LoopbackLink.h"
#include "ProgramFolder.h"
#include "Simulator.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

struct TSimFixture {
    TSimReceiver Receiver;
    TSimLoopback Loopback{&Receiver};
    TAR5000 Driver;

    TSimFixture() {
        Driver.Serial()->SetDevice(Loopback.DriverEnd());
        Driver.Timeout = 1000;
        Driver.InitialiseWaitMs = 1000;
    }
};

// The monitor deletes itself when closed; the pointer tells when that has happened.
struct TOpenForm {
    QPointer<TCommsForm> Form;

    explicit TOpenForm(TAR5000* driver)
        : Form(new TCommsForm(driver)) {
        Form->show();
    }
    ~TOpenForm() { delete Form.data(); }
    TCommsForm* operator->() const { return Form.data(); }

    template <typename T> T* Find(const QString& name) const { return Form->findChild<T*>(name); }
    QStringList Lines() const {
        const QString text = Find<QPlainTextEdit>(u"Memo1"_s)->toPlainText();
        return text.isEmpty() ? QStringList() : text.split(u'\n');
    }
};

// Index of the first line at or after `from` that matches `pattern` in full, or -1.
qsizetype FindLine(const QStringList& lines, const QString& pattern, qsizetype from = 0) {
    const QRegularExpression expression(QRegularExpression::anchoredPattern(pattern));
    for (qsizetype i = from; i < lines.size(); ++i) {
        if (expression.match(lines[i]).hasMatch())
            return i;
    }
    return -1;
}

QStringList FileLines(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

// Receives the file URLs QDesktopServices is asked to open.
class TUrlRecorder : public QObject {
    Q_OBJECT

public:
    QList<QUrl> Opened;

public Q_SLOTS:
    void Open(const QUrl& url) { Opened.append(url); }
};

class TestCommsForm : public QObject {
    Q_OBJECT

    QTemporaryDir FHome;
    TScriptedPrompt* FPrompt = nullptr;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(FHome.isValid());
        qputenv("KOVELA_HOME", QFile::encodeName(FHome.path()));
    }

    void init() {
        auto prompt = std::make_unique<TScriptedPrompt>();
        FPrompt = prompt.get();
        SetPrompt(std::move(prompt));
        QFile::remove(SettingsFileName());
    }

    void cleanup() { SetPrompt(nullptr); }

    void aTypedCommandIsSentUpperCasedAndTraced() {
        TSimFixture f;
        f.Driver.FSetPort(true);
        QVERIFY(f.Driver.Connected());
        TOpenForm form(&f.Driver);
        auto* edit = form.Find<QLineEdit>(u"Edit1"_s);
        QTest::keyClicks(edit, u"vr"_s);
        QTest::keyClick(edit, Qt::Key_Return);

        const QString sent = u"Txd\t(\\d+)\tVR"_s;
        const QString received = u"Rxd \t(\\d+)\tVER AR5000 1\\.0"_s;
        QTRY_VERIFY(FindLine(form.Lines(), received) >= 0);
        const QStringList lines = form.Lines();
        const qsizetype txd = FindLine(lines, sent);
        QVERIFY2(txd >= 0, qPrintable(lines.join(u'\n')));
        QVERIFY(FindLine(lines, received, txd + 1) > txd);
        const qint64 sentTick = lines[txd].section(u'\t', 1, 1).toLongLong();
        const qint64 receivedTick =
            lines[FindLine(lines, received)].section(u'\t', 1, 1).toLongLong();
        QVERIFY(sentTick > 0 && receivedTick >= sentTick);
        QCOMPARE(edit->text(), u"vr"_s);

        // Send does the same as Enter; an empty edit sends nothing.
        form.Find<QToolButton>(u"ToolButtonSend"_s)->click();
        QTRY_COMPARE(form.Lines().filter(QRegularExpression(u"\tVER "_s)).size(), 2);
        edit->clear();
        const qsizetype before = form.Lines().size();
        // A command is traced as it is written, so nothing here means nothing was sent.
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(form.Lines().size(), before);
    }

    void aLineTooLongForTheReceiverIsRefused() {
        TSimFixture f;
        f.Driver.FSetPort(true);
        QVERIFY(f.Driver.Connected());
        f.Receiver.ClearReceivedLines();
        TOpenForm form(&f.Driver);
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.Form));
        QCOMPARE(QApplication::focusWidget(), form.Find<QLineEdit>(u"Edit1"_s));

        const QString tooLong = u"tm"_s + QString(252, u'x');
        QTest::keyClicks(QApplication::focusWidget(), tooLong);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(FPrompt->Errors, QStringList{u"Command not sent: it is 254 characters long, and "
                                              u"at most 253 fit in one line to the receiver"_s});
        QCOMPARE(form.Find<QLineEdit>(u"Edit1"_s)->text(), tooLong); // kept, to be shortened
        QCOMPARE(FindLine(form.Lines(), u"Txd\t.*"_s), -1);

        // Nothing went out to run into the next command.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), u"vr"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY(FindLine(form.Lines(), u"Rxd \t\\d+\tVER .*"_s) >= 0);
        QCOMPARE(f.Receiver.ReceivedLines(), QStringList{u"VR"_s});
    }

    void requestButtonsShowTheirTraffic_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QString>("reply");
        QTest::newRow("Get RX") << u"Button4"_s << QStringList{u"RX"_s} << u"[VM].+"_s;
        QTest::newRow("GetExtra") << u"Button12"_s
                                  << QStringList{u"BW"_s, u"AN"_s, u"AT"_s, u"AC"_s,
                                                 u"HP"_s, u"LP"_s, u"EN"_s, u"SJ"_s}
                                  << u"SJ.+"_s;
    }

    void requestButtonsShowTheirTraffic() {
        QFETCH(QString, button);
        QFETCH(QStringList, commands);
        QFETCH(QString, reply);
        TSimFixture f;
        f.Driver.FSetPort(true);
        QVERIFY(f.Driver.Connected());
        TOpenForm form(&f.Driver);
        form.Find<QPushButton>(button)->click();

        const QStringList lines = form.Lines();
        qsizetype at = 0;
        for (const QString& command : commands) {
            at = FindLine(lines, u"Txd\t\\d+\t"_s + command, at);
            QVERIFY2(at >= 0, qPrintable(command + u'\n' + lines.join(u'\n')));
        }
        QVERIFY2(FindLine(lines, u"Rxd \t\\d+\t"_s + reply, at) > at,
                 qPrintable(lines.join(u'\n')));
        QVERIFY(form.Find<QPushButton>(button)->isEnabled());
    }

    void noiseBeforeRepliesIsCountedInTheStatusBar() {
        TSimFixture f;
        f.Driver.FSetPort(true);
        QVERIFY(f.Driver.Connected());
        TOpenForm form(&f.Driver);
        auto* status = form.Find<QStatusBar>(u"StatusBar1"_s);
        form.Find<QPushButton>(u"Button4"_s)->click();
        QVERIFY(status->currentMessage().isEmpty());

        f.Receiver.SetFault(TSimFault::LeadingNoise);
        form.Find<QPushButton>(u"Button4"_s)->click();
        QVERIFY(f.Driver.NoiseBytesDropped() > 0);
        QCOMPARE(status->currentMessage(),
                 u"Noise bytes dropped: %1"_s.arg(f.Driver.NoiseBytesDropped()));
        // Both replies are traced, the one behind the noise as whole as the first.
        const QString reply = u"Rxd \t\\d+\t[VM][A-E ].+"_s;
        const qsizetype first = FindLine(form.Lines(), reply);
        QVERIFY(first >= 0);
        QVERIFY2(FindLine(form.Lines(), reply, first + 1) > first,
                 qPrintable(form.Lines().join(u'\n')));
    }

    void theMemoStartsAgainAfterItsLimit() {
        TAR5000 driver;
        TOpenForm form(&driver);
        for (int i = 1; i <= TCommsForm::kMaxLines; ++i)
            driver.OnRxLine(u"line %1"_s.arg(i));
        QStringList lines = form.Lines();
        QCOMPARE(lines.size(), TCommsForm::kMaxLines);
        QVERIFY(lines.first().endsWith(u"\tline 1"_s));
        QVERIFY(lines.last().endsWith(u"\tline 1000"_s));

        driver.OnTxLine(u"VR"_s);
        lines = form.Lines();
        QCOMPARE(lines.size(), 1);
        QVERIFY(FindLine(lines, u"Txd\t\\d+\tVR"_s) == 0);
    }

    void aRefusalBeeps_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("beeps");
        QTest::newRow("refused") << u"?"_s << 1;
        QTest::newRow("refused with text") << u"?VR"_s << 1;
        QTest::newRow("reply") << u"VER AR5000 1.0"_s << 0;
        QTest::newRow("question mark inside") << u"TM?"_s << 0;
    }

    void aRefusalBeeps() {
        QFETCH(QString, line);
        QFETCH(int, beeps);
        TAR5000 driver;
        TOpenForm form(&driver);
        driver.OnRxLine(line);
        QCOMPARE(FPrompt->Beeps, beeps);
        QCOMPARE(form.Lines().size(), 1);
    }

    void theLogFileKeepsItsOwnFormat() {
        const QString logFile = FHome.filePath(u"trace.txt"_s);
        {
            QFile old(logFile);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("from an earlier run\n");
        }
        TAR5000 driver;
        TOpenForm form(&driver);
        auto* logToFile = form.Find<QAction>(u"LogToFile1"_s);
        QCOMPARE(logToFile->text(), u"&Log To File"_s);

        FPrompt->SaveAnswer = logFile;
        logToFile->trigger();
        QCOMPARE(FPrompt->SaveAsked, (QStringList{u"Log To File"_s, ProgramFolder() + u"/data"_s,
                                                  u"aKovela debug Log.txt"_s,
                                                  u"Text files (*.txt);;All files (*.*)"_s}));
        QVERIFY(form->Logging());
        QCOMPARE(logToFile->text(), u"Close Logfile"_s);
        QVERIFY(logToFile->isChecked());
        QCOMPARE(form->statusBar()->currentMessage(), u"Logging to "_s + logFile);

        driver.OnTxLine(u"VR"_s);
        driver.OnRxLine(u"VER AR5000 1.0"_s);
        logToFile->trigger();
        QVERIFY(!form->Logging());
        QCOMPARE(logToFile->text(), u"Log to File"_s);
        QVERIFY(!logToFile->isChecked());
        QCOMPARE(form->statusBar()->currentMessage(), QString());
        driver.OnRxLine(u"not logged"_s);

        const QStringList logged = FileLines(logFile);
        QCOMPARE(logged.size(), 2);
        QVERIFY2(FindLine(logged, u"Txd \t\\d+\tVR"_s) == 0, qPrintable(logged[0]));
        QVERIFY2(FindLine(logged, u"Rxd \t\\d+\tVER AR5000 1\\.0"_s) == 1, qPrintable(logged[1]));
        // The memo's sent line differs from the file's only by the space after "Txd".
        QCOMPARE(form.Lines().first(), QString(logged[0]).replace(u"Txd \t"_s, u"Txd\t"_s));
        QCOMPARE(form.Lines()[1], logged[1]);
    }

    void aCancelledSaveDialogStartsNothing() {
        TAR5000 driver;
        TOpenForm form(&driver);
        auto* logToFile = form.Find<QAction>(u"LogToFile1"_s);
        logToFile->trigger();
        QVERIFY(!form->Logging());
        QVERIFY(!logToFile->isChecked());
        QCOMPARE(logToFile->text(), u"&Log To File"_s);

        FPrompt->SaveAnswer = FHome.filePath(u"no/such/folder/trace.txt"_s);
        logToFile->trigger();
        QVERIFY(!form->Logging());
        QVERIFY(!logToFile->isChecked());
        QCOMPARE(FPrompt->Errors.size(), 1);
        QVERIFY(FPrompt->Errors[0].contains(FPrompt->SaveAnswer));
    }

    void aWriteFailureStopsLogging() {
        if (!QFile::exists(u"/dev/full"_s))
            QSKIP("needs /dev/full to make writes fail");
        TAR5000 driver;
        TOpenForm form(&driver);
        auto* logToFile = form.Find<QAction>(u"LogToFile1"_s);
        FPrompt->SaveAnswer = u"/dev/full"_s;
        logToFile->trigger();
        QVERIFY(form->Logging());

        driver.OnRxLine(u"VER AR5000 1.0"_s);
        QVERIFY(!form->Logging());
        QCOMPARE(logToFile->text(), u"Log to File"_s);
        QVERIFY(!logToFile->isChecked());
        QVERIFY(form->statusBar()->currentMessage().contains(u"/dev/full"_s));
        QTRY_COMPARE(FPrompt->Errors.size(), 1);
        QVERIFY(FPrompt->Errors[0].contains(u"/dev/full"_s));
        // The line itself is still shown, and tracing goes on.
        driver.OnRxLine(u"next"_s);
        QCOMPARE(form.Lines().size(), 2);
    }

    void viewLogOpensTheChosenFile() {
        TUrlRecorder recorder;
        QDesktopServices::setUrlHandler(u"file"_s, &recorder, "Open");
        const auto unset = qScopeGuard([] { QDesktopServices::unsetUrlHandler(u"file"_s); });
        const QString existing = FHome.filePath(u"Kovela debug Log.txt"_s);
        {
            QFile file(existing);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        TAR5000 driver;
        TOpenForm form(&driver);
        auto* viewLog = form.Find<QAction>(u"ViewLog1"_s);

        FPrompt->OpenAnswer = existing;
        viewLog->trigger();
        QCOMPARE(FPrompt->OpenAsked.mid(1),
                 (QStringList{ProgramFolder() + u"/data"_s, u"Kovela debug Log.txt"_s,
                              u"Text files (*.txt);;All files (*.*)"_s}));
        QCOMPARE(recorder.Opened, QList<QUrl>{QUrl::fromLocalFile(existing)});
        QVERIFY(FPrompt->Errors.isEmpty());

        FPrompt->OpenAnswer = FHome.filePath(u"missing.txt"_s);
        viewLog->trigger();
        QCOMPARE(recorder.Opened.size(), 1);
        QCOMPARE(FPrompt->Errors.size(), 1);
        QVERIFY(FPrompt->Errors[0].contains(FPrompt->OpenAnswer));
    }

    void placementIsKeptInTheSettingsFile() {
        TAR5000 driver;
        {
            TOpenForm form(&driver);
            QCOMPARE(form->pos(), QPoint(10, 10));
            QCOMPARE(form->size(), QSize(400, 350));
            form->move(120, 130);
            form->resize(500, 420);
            form->close();
            QVERIFY(form.Form);
            QTRY_VERIFY(!form.Form);
        }
        const TIniFile ini(SettingsFileName());
        QCOMPARE(ini.ReadSection(u"CommsForm"_s),
                 (QStringList{u"Left"_s, u"Top"_s, u"Width"_s, u"Height"_s}));
        QCOMPARE(ini.ReadInteger(u"CommsForm"_s, u"Left"_s, 0), 120);
        QCOMPARE(ini.ReadInteger(u"CommsForm"_s, u"Height"_s, 0), 420);

        TOpenForm again(&driver);
        QCOMPARE(again->pos(), QPoint(120, 130));
        QCOMPARE(again->size(), QSize(500, 420));
    }

    void hooksFollowTheWindow() {
        TAR5000 driver;
        TOpenForm form(&driver);
        driver.OnRxLine(u"one"_s);
        QCOMPARE(form.Lines().size(), 1);

        // Another window (DTMF capture) takes the received lines, then lets them go.
        QStringList borrowed;
        driver.OnRxLine = [&borrowed](const QString& line) {
            borrowed.append(line);
        };
        driver.OnRxLine(u"two"_s);
        QCOMPARE(borrowed, QStringList{u"two"_s});
        QCOMPARE(form.Lines().size(), 1);
        form->HookDriver();
        driver.OnRxLine(u"three"_s);
        QCOMPARE(form.Lines().size(), 2);
        QCOMPARE(borrowed.size(), 1);

        // Closing unhooks only what is still the monitor's.
        driver.OnRxLine = [&borrowed](const QString& line) {
            borrowed.append(line);
        };
        form->close();
        QVERIFY(driver.OnRxLine);
        QVERIFY(!driver.OnTxLine);
        driver.OnRxLine(u"four"_s);
        QCOMPARE(borrowed.size(), 2);

        TOpenForm other(&driver);
        other->close();
        QVERIFY(!driver.OnRxLine);
        QVERIFY(!driver.OnTxLine);
    }

    void buttonsCopyClearAndClose() {
        TAR5000 driver;
        TOpenForm form(&driver);
        driver.OnTxLine(u"VR"_s);
        driver.OnRxLine(u"VER AR5000 1.0"_s);
        auto* memo = form.Find<QPlainTextEdit>(u"Memo1"_s);

        QApplication::clipboard()->clear();
        form.Find<QToolButton>(u"ToolButton1"_s)->click();
        QCOMPARE(QApplication::clipboard()->text(), memo->toPlainText());
        QCOMPARE(QApplication::clipboard()->text().count(u'\n'), 1);
        QVERIFY(!memo->textCursor().hasSelection());

        form.Find<QToolButton>(u"ToolButton2"_s)->click();
        QCOMPARE(form.Lines(), QStringList());
        driver.OnRxLine(u"after clearing"_s);
        QCOMPARE(form.Lines().size(), 1);

        form.Find<QToolButton>(u"ToolButton3"_s)->click();
        QTRY_VERIFY(!form.Form);
        QVERIFY(!driver.OnRxLine);
    }
};

QTEST_MAIN(TestCommsForm)
#include "tst_commsform.moc"
