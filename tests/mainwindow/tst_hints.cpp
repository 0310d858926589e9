// Hints: the short part pops up (unless pop-ups are switched off, in every window), the long
// part goes to the active table window, whether pop-ups show or not.
#include "Hints.h"

#include <QAction>
#include <QApplication>
#include <QEnterEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>

#include <array>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Stands in for a table window: keeps every long hint it is handed.
class TTipWindow : public QWidget {
public:
    explicit TTipWindow(const QString& name) { setObjectName(name); }
    QStringList Tips;

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::StatusTip) {
            Tips << static_cast<QStatusTipEvent*>(event)->tip();
            return true;
        }
        return QWidget::event(event);
    }
};

enum TWindow { Memory, Move, Log, Other };

struct THintFixture {
    std::array<std::unique_ptr<TTipWindow>, 4> Windows{
        std::make_unique<TTipWindow>(u"memory"_s), std::make_unique<TTipWindow>(u"move"_s),
        std::make_unique<TTipWindow>(u"log"_s), std::make_unique<TTipWindow>(u"tool"_s)};
    QPushButton* Button = nullptr; // on the tool window, with a two-part hint
    bool MoveOpen = true;
    THintRouter Router;

    THintFixture() {
        Router.MemoryWindow = [this]() -> QWidget* {
            return Windows[Memory].get();
        };
        Router.MoveWindow = [this]() -> QWidget* {
            return MoveOpen ? Windows[Move].get() : nullptr;
        };
        Router.LogWindow = [this]() -> QWidget* {
            return Windows[Log].get();
        };
        Windows[Other]->setWindowFlag(Qt::Tool);
        Button = new QPushButton(u"Go"_s, Windows[Other].get());
        SetHint(Button, u"Short|Long text"_s);
        for (const auto& window : Windows) {
            window->resize(120, 60);
            window->show();
        }
    }
    TTipWindow* Window(int which) const { return Windows[static_cast<std::size_t>(which)].get(); }
    bool Activate(QWidget* window) const {
        window->activateWindow();
        const bool active = QTest::qWaitForWindowActive(window);
        // The windows came up under the pointer: the button may already hold the hint.
        Leave(Button);
        for (const auto& w : Windows)
            w->Tips.clear();
        return active;
    }
    void Hover(QWidget* widget) const {
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), widget->mapToGlobal(QPointF(1, 1)));
        QApplication::sendEvent(widget, &enter);
    }
    void Leave(QWidget* widget) const {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(widget, &leave);
    }
    bool ToolTipShown(QWidget* widget) const {
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), widget->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(widget, &help);
        return QToolTip::isVisible() && QToolTip::text() == widget->toolTip();
    }
};

} // namespace

class TestHints : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QToolTip::hideText(); }

    void partsOfAHint_data() {
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("shortPart");
        QTest::addColumn<QString>("longPart");
        QTest::newRow("both") << u"Update freq etc|Reads it again"_s << u"Update freq etc"_s
                              << u"Reads it again"_s;
        QTest::newRow("empty long") << u"Toggle mem table|"_s << u"Toggle mem table"_s << QString();
        QTest::newRow("long only") << u"|Close"_s << QString() << u"Close"_s;
        QTest::newRow("no bar: both whole")
            << u"Control AR5000 Vol"_s << u"Control AR5000 Vol"_s << u"Control AR5000 Vol"_s;
        QTest::newRow("second bar is long text") << u"a|b|c"_s << u"a"_s << u"b|c"_s;
        QTest::newRow("lines break on LF in the pop-up")
            << u"L+R drag,\r\nUp/Down|"_s << u"L+R drag,\nUp/Down"_s << QString();
    }
    void partsOfAHint() {
        QFETCH(QString, hint);
        QFETCH(QString, shortPart);
        QFETCH(QString, longPart);
        QCOMPARE(ShortHint(hint), shortPart);
        QCOMPARE(LongHint(hint), longPart);
        QPushButton button;
        QAction action;
        SetHint(&button, hint);
        SetHint(&action, hint);
        QCOMPARE(button.toolTip(), shortPart);
        QCOMPARE(button.statusTip(), longPart);
        QCOMPARE(action.toolTip(), shortPart);
        QCOMPARE(action.statusTip(), longPart);
    }

    // Which window gets the long part, by which one is active and whether the move window is
    // open: an open move window that is not active keeps the log window out.
    void routing_data() {
        QTest::addColumn<int>("active");
        QTest::addColumn<bool>("moveOpen");
        QTest::addColumn<int>("receiver"); // Other: nobody
        QTest::newRow("memory active") << int(Memory) << true << int(Memory);
        QTest::newRow("move active") << int(Move) << true << int(Move);
        QTest::newRow("log active, move open") << int(Log) << true << int(Other);
        QTest::newRow("log active, no move") << int(Log) << false << int(Log);
        QTest::newRow("another window active") << int(Other) << false << int(Other);
    }
    void routing() {
        QFETCH(int, active);
        QFETCH(bool, moveOpen);
        QFETCH(int, receiver);
        THintFixture f;
        f.MoveOpen = moveOpen;
        QVERIFY(f.Activate(f.Window(active)));
        f.Hover(f.Button);
        for (int w = Memory; w <= Other; ++w)
            QCOMPARE(f.Window(w)->Tips,
                     w == receiver && w != Other ? QStringList{u"Long text"_s} : QStringList());
    }

    // Entering sets the hint, leaving clears it; the same hint again is no change. The window the
    // control sits on does not see its own status tip.
    void hintChangesFollowTheMouse() {
        THintFixture f;
        QVERIFY(f.Activate(f.Windows[Memory].get()));
        f.Hover(f.Button);
        f.Hover(f.Button);
        f.Leave(f.Button);
        f.Hover(f.Button);
        QCOMPARE(f.Windows[Memory]->Tips, (QStringList{u"Long text"_s, QString(), u"Long text"_s}));
        QVERIFY(f.Windows[Other]->Tips.isEmpty());
    }

    // Switched off, no pop-up shows in any window, tool windows included, and the long part
    // is still routed; switched on again, pop-ups are back.
    void switchingPopUpsOffLeavesRouting() {
        THintFixture f;
        QVERIFY(f.Activate(f.Windows[Memory].get()));
        QVERIFY(f.ToolTipShown(f.Button));
        f.Router.SetPopupHintsShown(false);
        QTRY_VERIFY2(!QToolTip::isVisible(), "switching off hides the one showing");
        QVERIFY(!f.ToolTipShown(f.Button));
        f.Hover(f.Button);
        QCOMPARE(f.Windows[Memory]->Tips, QStringList{u"Long text"_s});
        f.Router.SetPopupHintsShown(true);
        QVERIFY(f.ToolTipShown(f.Button));
    }
};

QTEST_MAIN(TestHints)
#include "tst_hints.moc"
