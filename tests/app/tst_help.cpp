// The user guide and the ways into it: every topic the windows name is an anchor of the guide,
// F1 and the help buttons open the topic of the control they belong to, the Help menu opens the
// guide and the version page, and a missing guide is told rather than silently ignored.
#include "AR5000.h"
#include "HelpContext.h"
#include "HelpFile.h"
#include "KovelaApplication.h"
#include "Main.h"
#include "MemForm.h"
#include "ProgramFolder.h"
#include "ProgramInfo.h"
#include "Settings.h"
#include "WidgetPrompt.h"
#include "support/ScriptedPrompt.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

const QString kGuideSource = QStringLiteral(KOVELA_HELP_SOURCE);

QString ReadGuide() {
    QFile file(kGuideSource);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QStringList Captures(const QString& text, const QString& pattern) {
    QStringList found;
    for (const QRegularExpressionMatch& match : QRegularExpression(pattern).globalMatch(text))
        found.append(match.captured(1));
    return found;
}

// Every widget and menu item of the running program that carries a topic of its own.
QList<int> ContextsInUse() {
    QList<int> contexts;
    for (QWidget* widget : QApplication::allWidgets()) {
        if (const int context = widget->property(kHelpContextProperty).toInt(); context > 0)
            contexts.append(context);
        for (QAction* action : widget->actions())
            if (const int context = action->property(kHelpContextProperty).toInt(); context > 0)
                contexts.append(context);
    }
    return contexts;
}

} // namespace

class TestHelp : public QObject {
    Q_OBJECT

public:
    explicit TestHelp(TKovelaApplication& app)
        : FApp(app) {}

private Q_SLOTS:
    void initTestCase() {
        TStartOptions options;
        options.Simulate = true;
        options.Splash = false;
        QVERIFY(FApp.Start(options));
        QTRY_VERIFY(FApp.MainForm()->Driver()->Connected());
        // The guide as the program finds it: in its program folder.
        QFile::remove(ProgramFile(u"Kv7Help.html"_s));
        QVERIFY(QFile::copy(kGuideSource, ProgramFile(u"Kv7Help.html"_s)));
        QCOMPARE(HelpFileName(), ProgramFile(u"Kv7Help.html"_s));
        SetUrlOpener([this](const QUrl& url) {
            FOpened.append(url);
            return FOpenerWorks;
        });
    }

    void init() {
        FOpened.clear();
        FOpenerWorks = true;
        FPrompt = new TScriptedPrompt;
        SetPrompt(std::unique_ptr<TPrompt>(FPrompt));
    }

    void everyTopicIsAnAnchorOfTheGuide() {
        const QString guide = ReadGuide();
        QVERIFY2(!guide.isEmpty(), qPrintable(kGuideSource));
        const QStringList ids = Captures(guide, u"\\bid=\"([^\"]+)\""_s);
        const QSet<QString> anchors(ids.begin(), ids.end());
        QCOMPARE(anchors.size(), ids.size()); // an id used twice leaves one topic unreachable

        for (const THelpTopic& topic : kHelpTopics)
            QVERIFY2(anchors.contains(QString::number(topic.Context)),
                     qPrintable(QString::number(topic.Context)));
        FApp.MainForm()->findChild<QAction*>(u"ViewMessagesMenuItem"_s)->trigger();
        FApp.MainForm()->findChild<QAction*>(u"ViewCommsMenuItem"_s)->trigger();
        const QList<int> inUse = ContextsInUse();
        QVERIFY(!inUse.isEmpty());
        for (int context : inUse)
            QVERIFY2(anchors.contains(QString::number(context)),
                     qPrintable(QString::number(context)));

        // The guide's own links and pictures lead somewhere.
        for (const QString& target : Captures(guide, u"href=\"#([^\"]+)\""_s))
            QVERIFY2(anchors.contains(target), qPrintable(target));
        const QString folder = QFileInfo(kGuideSource).absolutePath() + u'/';
        for (const QString& source : Captures(guide, u"(?:src|href)=\"([^\"#:]+)\""_s))
            QVERIFY2(QFileInfo::exists(folder + source), qPrintable(source));
    }

    void controlsCarryTheirTopics_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("context");
        QTest::newRow("VFO box") << u"EditVcoB"_s << 1201;
        QTest::newRow("memory number in its group") << u"MemEdit"_s << 1202;
        QTest::newRow("memory squelch inside the memory group") << u"SquelchEditM"_s << 1209;
        QTest::newRow("VFO squelch") << u"SquelchEditC"_s << 1209;
        QTest::newRow("step spin button") << u"SpinButton2"_s << 1205;
        QTest::newRow("volume") << u"VolumeControlTrackBar"_s << 1214;
        QTest::newRow("selector: the window's topic") << u"ModeComboBox"_s << 1204;
        QTest::newRow("on the F Search page") << u"FSearchSheet"_s << 1207;
    }

    void controlsCarryTheirTopics() {
        QFETCH(QString, control);
        QFETCH(int, context);
        auto* widget = FApp.MainForm()->findChild<QWidget*>(control);
        QVERIFY(widget);
        QCOMPARE(HelpContextOf(widget), context);
    }

    void f1OpensTheTopicOfTheFocusedControl_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("fragment");
        QTest::newRow("VFO box") << u"EditVcoA"_s << u"1201"_s;
        QTest::newRow("memory squelch") << u"SquelchEditM"_s << u"1209"_s;
        QTest::newRow("frequency entry") << u"EnterEdit1"_s << u"1210"_s;
        QTest::newRow("selector") << u"BandwidthComboBox"_s << u"1204"_s;
    }

    void f1OpensTheTopicOfTheFocusedControl() {
        QFETCH(QString, control);
        QFETCH(QString, fragment);
        TMainForm* main = FApp.MainForm();
        main->show();
        QApplication::setActiveWindow(main);
        QVERIFY(QTest::qWaitForWindowActive(main));
        auto* widget = main->findChild<QWidget*>(control);
        QVERIFY(widget);
        widget->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), widget);

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        QCOMPARE(FOpened.size(), 1);
        QCOMPARE(FOpened.first().fragment(), fragment);
        QCOMPARE(FOpened.first().toLocalFile(), ProgramFile(u"Kv7Help.html"_s));
        QVERIFY(FPrompt->Errors.isEmpty());
    }

    void helpButtonsOpenTheirTopic() {
        TMemForm* memory = FApp.MemForm();
        auto* memoryHelp = memory->findChild<QToolButton*>(u"ToolButton8"_s);
        QVERIFY(memoryHelp && memoryHelp->isEnabled());
        memoryHelp->click();

        FApp.MainForm()->findChild<QPushButton*>(u"LogTableButton"_s)->click();
        QAction* logHelp = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->objectName() == u"FormLog"_s)
                logHelp = window->findChild<QAction*>(u"ActionHelp"_s);
        QVERIFY(logHelp && logHelp->isEnabled());
        logHelp->trigger();

        QStringList fragments;
        for (const QUrl& url : FOpened)
            fragments.append(url.fragment());
        QCOMPARE(fragments, (QStringList{u"1301"_s, u"1501"_s}));
    }

    void contentsOpensTheStartOfTheGuide() {
        FApp.MainForm()->findChild<QAction*>(u"Contents1"_s)->trigger();
        QCOMPARE(FOpened.size(), 1);
        QVERIFY(!FOpened.first().hasFragment());
        QCOMPARE(FOpened.first().toLocalFile(), ProgramFile(u"Kv7Help.html"_s));
    }

    void versionBoxText() {
        QCOMPARE(VersionCheckText(u"Kovela"_s, u"1.2"_s),
                 u"This version of Kovela is \r\n1.2.0.0\r\n\r\n"
                 u"Click Yes to check the latest version online\r\n"
                 u"The version number will show in your browser if you are online.\r\n"
                 u"Click No to return to Kovela"_s);
        QVERIFY(VersionCheckText(u"Kovela"_s, u"3.4.5.6"_s).contains(u"\r\n3.4.5.6\r\n"_s));
    }

    void versionCheckOpensThePageOnYesOnly_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes") << true;
        QTest::newRow("No") << false;
    }

    void versionCheckOpensThePageOnYesOnly() {
        QFETCH(bool, yes);
        FPrompt->ConfirmAnswer = yes;
        FApp.MainForm()->findChild<QAction*>(u"OnlineCheckVersion1"_s)->trigger();
        QCOMPARE(FPrompt->ConfirmAsked, QStringList{VersionCheckText(
                                            u"Kovela"_s, QCoreApplication::applicationVersion())});
        if (!yes) {
            QVERIFY(FOpened.isEmpty());
            return;
        }
        QCOMPARE(FOpened, (QList<QUrl>{QUrl(QString::fromLatin1(kProgramWebAddress) +
                                            QLatin1String(kVersionCheckPath))}));
    }

    void missingOrUnopenableGuideIsTold() {
        ShowHelpContext(u"Kovela"_s, 1201, u"/no/such/folder/Kv7Help.html"_s);
        QVERIFY(FOpened.isEmpty());
        QCOMPARE(FPrompt->Errors,
                 QStringList{u"The help file /no/such/folder/Kv7Help.html was not found."_s});

        FPrompt->Errors.clear();
        FOpenerWorks = false;
        ShowHelpContext(u"Kovela"_s, 1201);
        QCOMPARE(FPrompt->Errors, QStringList{u"The help file "_s + ProgramFile(u"Kv7Help.html"_s) +
                                              u" could not be opened."_s});
    }

    // The real message box: Help opens the topic and leaves the question open for its answer.
    void questionWithHelpStaysOpenAfterHelp() {
        SetPrompt(std::make_unique<TWidgetPrompt>());
        QStringList clicked;
        auto* answerer = new QTimer(this);
        connect(answerer, &QTimer::timeout, this, [&clicked] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            const bool helpDone = clicked.contains(u"Help"_s);
            QAbstractButton* button = box->button(helpDone ? QMessageBox::No : QMessageBox::Help);
            clicked.append(helpDone ? u"No"_s : u"Help"_s);
            button->click();
        });
        answerer->start(10);
        const bool answer = Prompt().ConfirmWithHelp(u"Kovela"_s, u"Set PASS ON?"_s,
                                                     HelpContextFor(u"ScanStopConfirm"));
        answerer->stop();
        QVERIFY(!answer);
        QCOMPARE(clicked, (QStringList{u"Help"_s, u"No"_s}));
        QCOMPARE(FOpened.size(), 1);
        QCOMPARE(FOpened.first().fragment(), u"1212"_s);
    }

private:
    TKovelaApplication& FApp;
    TScriptedPrompt* FPrompt = nullptr;
    QList<QUrl> FOpened;
    bool FOpenerWorks = true;
};

int main(int argc, char* argv[]) {
    TKovelaApplication app(argc, argv);
    TestHelp test(app);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_help.moc"
