// The clock: its text for a given instant, its window and menu, and its options kept between
// showings and across a restart through the settings file.
#include "ClockController.h"
#include "ClockText.h"
#include "FormClock.h"

#include "IniFile.h"
#include "Main.h"
#include "ProgramFolder.h"
#include "Settings.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A zone one hour ahead of UTC in winter and two in summer, changing on the last Sundays of
// March and October; set before anything reads the zone.
const bool kZoneSet = qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");

QDateTime Utc(int month, int day, int hour, int minute, int second) {
    return QDateTime(QDate(2026, month, day), QTime(hour, minute, second), Qt::UTC);
}

QAction* Item(const QWidget& owner, const QString& name) {
    auto* found = owner.findChild<QAction*>(name);
    if (!found)
        qFatal("no menu item %s", qPrintable(name));
    return found;
}

void Drag(QWidget& window, QPoint from, QPoint by) {
    const QPoint global = window.mapToGlobal(from);
    QMouseEvent press(QEvent::MouseButtonPress, from, global, Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(&window, &press);
    QMouseEvent move(QEvent::MouseMove, from + by, global + by, Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&window, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, from + by, global + by, Qt::LeftButton,
                        Qt::NoButton, {});
    QApplication::sendEvent(&window, &release);
}

} // namespace

class TestClock : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void textForAnInstant_data();
    void textForAnInstant();
    void windowFollowsItsMenu();
    void draggingMovesIt();
    void optionsSurviveCloseReopenAndRestart();
};

void TestClock::textForAnInstant_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<bool>("utc");
    QTest::addColumn<bool>("seconds");
    QTest::addColumn<QString>("shown");
    const QDateTime winter = Utc(1, 15, 23, 4, 5);
    QTest::newRow("utc") << winter << true << true << u"23:04:05"_s;
    QTest::newRow("utc, no seconds") << winter << true << false << u"23:04"_s;
    QTest::newRow("local an hour on, past midnight") << winter << false << true << u"00:04:05"_s;
    QTest::newRow("local, no seconds") << winter << false << false << u"00:04"_s;
    // Across the change to summer time UTC runs on while local time jumps an hour.
    QTest::newRow("utc before the change")
        << Utc(3, 29, 0, 59, 59) << true << true << u"00:59:59"_s;
    QTest::newRow("utc after the change") << Utc(3, 29, 1, 0, 0) << true << true << u"01:00:00"_s;
    QTest::newRow("local before the change")
        << Utc(3, 29, 0, 59, 59) << false << true << u"01:59:59"_s;
    QTest::newRow("local after the change")
        << Utc(3, 29, 1, 0, 0) << false << true << u"03:00:00"_s;
}

void TestClock::textForAnInstant() {
    QVERIFY(kZoneSet);
    QFETCH(QDateTime, now);
    QFETCH(bool, utc);
    QFETCH(bool, seconds);
    QFETCH(QString, shown);
    QCOMPARE(ClockText(now, utc, seconds), shown);
    // The same instant however it is held.
    QCOMPARE(ClockText(now.toLocalTime(), utc, seconds), shown);
}

void TestClock::windowFollowsItsMenu() {
    QDateTime now = Utc(7, 1, 12, 0, 30);
    TFormClock clock({{40, 50}, false, false});
    clock.Now = [&now] {
        return now;
    };
    clock.Tick();
    clock.show();
    QCOMPARE(clock.size(), QSize(104, 28));
    QVERIFY(clock.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(clock.windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(clock.pos(), QPoint(40, 50));
    QCOMPARE(clock.Text(), u"14:00"_s);
    QCOMPARE(clock.toolTip(), u"Local Time (RtClick Options)"_s);
    QVERIFY(Item(clock, u"Local1"_s)->isChecked());

    Item(clock, u"UTC1"_s)->trigger();
    QCOMPARE(clock.Text(), u"12:00"_s);
    QCOMPARE(clock.toolTip(), u"UTC (RtClick Options)"_s);
    QVERIFY(!Item(clock, u"Local1"_s)->isChecked());
    Item(clock, u"ShowSeconds1"_s)->trigger();
    QCOMPARE(clock.Text(), u"12:00:30"_s);

    // Each tick reads the time afresh.
    now = now.addSecs(3600 * 24 * 150 + 1);
    QTRY_COMPARE(clock.Text(), u"12:00:31"_s);
    QCOMPARE(clock.Options().Utc, true);
    QCOMPARE(clock.Options().ShowSeconds, true);
    const QStringList menu = {Item(clock, u"UTC1"_s)->text(), Item(clock, u"Local1"_s)->text(),
                              Item(clock, u"ShowSeconds1"_s)->text(),
                              Item(clock, u"Close1"_s)->text()};
    QCOMPARE(menu, (QStringList{u"UTC"_s, u"Local Time"_s, u"Show Seconds"_s, u"Close"_s}));
    QCOMPARE(clock.PopupMenuTimeZone()->objectName(), u"PopupMenuTimeZone"_s);
}

void TestClock::draggingMovesIt() {
    TFormClock clock({{100, 100}, true, true});
    clock.show();
    QVERIFY(QTest::qWaitForWindowExposed(&clock));
    Drag(clock, {20, 10}, {35, -20});
    QCOMPARE(clock.pos(), QPoint(135, 80));
    QCOMPARE(clock.Options().Position, QPoint(135, 80));
}

void TestClock::optionsSurviveCloseReopenAndRestart() {
    QFile::remove(SettingsFileName());
    QPoint movedTo;
    {
        TSettings settings;
        TMainForm main(settings);
        auto* controller = new TClockController(main);
        QAction* clockItem = Item(main, u"Clock1"_s);
        QCOMPARE(clockItem->text(), u"Clock"_s);
        QVERIFY(clockItem->isCheckable());

        clockItem->trigger();
        QVERIFY(clockItem->isChecked());
        QPointer<TFormClock> clock = controller->FormClock();
        QVERIFY(clock);
        QCOMPARE(clock->pos(), QPoint(10, 10));
        QVERIFY(clock->Options().Utc && clock->Options().ShowSeconds);
        Item(*clock, u"Local1"_s)->trigger();
        Item(*clock, u"ShowSeconds1"_s)->trigger();
        clock->move(210, 160);
        Item(*clock, u"Close1"_s)->trigger();
        QTRY_VERIFY(!clock);
        QVERIFY(!clockItem->isChecked());

        clockItem->trigger();
        clock = controller->FormClock();
        QVERIFY(clock);
        QCOMPARE(clock->pos(), QPoint(210, 160));
        QVERIFY(!clock->Options().Utc);
        QVERIFY(!clock->Options().ShowSeconds);

        // Still open at exit: the file gets what the clock shows now.
        Item(*clock, u"UTC1"_s)->trigger();
        movedTo = {230, 170};
        clock->move(movedTo);
        QVERIFY(main.SaveSettings());
        TIniFile ini(SettingsFileName());
        QCOMPARE(ini.ReadInteger(u"FormClock"_s, u"ClockLeft"_s, 0), movedTo.x());
        QCOMPARE(ini.ReadInteger(u"FormClock"_s, u"ClockTop"_s, 0), movedTo.y());
        QCOMPARE(ini.ReadBool(u"FormClock"_s, u"ClockUTC"_s, false), true);
        QCOMPARE(ini.ReadBool(u"FormClock"_s, u"ClockShowSeconds"_s, true), false);

        // "Clock" again closes it.
        clockItem->trigger();
        QTRY_VERIFY(!clock);
    }
    TSettings settings;
    TMainForm main(settings);
    auto* controller = new TClockController(main);
    Item(main, u"Clock1"_s)->trigger();
    QVERIFY(controller->FormClock());
    QCOMPARE(controller->FormClock()->pos(), movedTo);
    QVERIFY(controller->FormClock()->Options().Utc);
    QVERIFY(!controller->FormClock()->Options().ShowSeconds);
}

QTEST_MAIN(TestClock)
#include "tst_clock.moc"
