// The beacon window against the simulated receiver, opened from Tools as the user opens it.
#include "mainwindow/PanelFixture.h"

#include "BeaconController.h"
#include "BeaconOverlay.h"
#include "BeaconsForm.h"
#include "ClockSetter.h"
#include "IniFile.h"
#include "ProgramFolder.h"
#include "UpDown.h"
#include "VfoPanelController.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

// 12:00:00, a whole number of three-minute cycles into the day.
constexpr double kNoon = 43200.0;

struct TRefusingClockSetter final : TClockSetter {
    void Adjust(qint64, std::function<void(const QString&)> done) override {
        done(u"refused in tests"_s);
    }
};

struct TBeaconFixture : TPanelFixture {
    TBeaconController Beacons{*Form};
    QStringList CallSigns; // what went to the companion display
    double Now = kNoon;    // the window's clock

    TBeaconFixture() {
        Beacons.MakeClockSetter = [] {
            return std::make_unique<TRefusingClockSetter>();
        };
        Beacons.SendCallSign = [this](const QString& call) {
            CallSigns << call;
        };
    }
    // The link opened (the menu item works only then), then Tools, "IARU Beacons".
    TfrmBeacons* OpenWindow() {
        if (!Form->Driver()->Connected() && !Open())
            qFatal("the link did not open");
        Form->findChild<QAction*>(u"mnuIARUBeacons1"_s)->trigger();
        if (Beacons.Form())
            Beacons.Form()->SecondsOfDay = [this] {
                return Now;
            };
        return Beacons.Form();
    }
    template <typename T> T* In(const QString& name) const {
        T* found = Beacons.Form()->findChild<T*>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    // The frequency at `row` chosen, then Go.
    void Start(int row) {
        In<QListWidget>(u"lbFrequencies"_s)->setCurrentRow(row);
        In<QToolButton>(u"btnGo"_s)->click();
    }
};

bool IsMarker(const QImage& image, int x, int y) {
    return image.pixelColor(x, y) == TBeaconOverlay::kMarkerColour;
}

} // namespace

class TestBeaconsForm : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FHome;

private Q_SLOTS:
    void initTestCase() { qputenv("KOVELA_HOME", FHome.path().toLocal8Bit()); }
    void init() {
        QFile::remove(ProgramFile(u"IARU_Beacons.dat"_s));
        QFile::remove(ProgramFile(u"TimerServers.dat"_s));
        QVERIFY(InstallBeaconFile(ProgramFolder()));
    }

    void StartTunesVfoEAndFollowsTheScheduleInTheList() {
        TBeaconFixture f;
        TfrmBeacons* window = f.OpenWindow();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->objectName(), u"frmBeacons"_s);
        QCOMPARE(window->windowTitle(), u"IARU International Beacons"_s);
        QCOMPARE(f.In<QTreeWidget>(u"lvBeacons"_s)->topLevelItemCount(), 18);
        QCOMPARE(f.In<QComboBox>(u"cbMode"_s)->currentText(), u"CW"_s);
        QCOMPARE(f.In<QComboBox>(u"cbAtten"_s)->currentText(), u"Auto"_s);
        QVERIFY(!f.In<QToolButton>(u"btnQd3"_s)->isEnabled());
        auto* timer = f.In<QTimer>(u"Timer1"_s);
        QVERIFY(!timer->isActive());

        f.Start(2); // 21.150 MHz: the TIME21 column
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 250);
        QCOMPARE(f.Receiver.CurrentVfo(), u'E');
        const TRxDat e = f.Receiver.Vfo(u'E');
        QCOMPARE(e.Freq, 21.15);
        QCOMPARE(e.Mode, 4);
        QVERIFY(e.AttenuatorAuto);
        QCOMPARE(f.Sheet().VfoPanel()->CurrentLetter(), u'E');
        const QString shown = f.Edit(u"EditVcoE"_s)->text();
        QVERIFY2(shown.trimmed() == u"21.150000"_s, qPrintable(shown));
        QCOMPARE(f.In<QLineEdit>(u"edFreq"_s)->text(), shown);
        // The main window shows what VFO E was set to.
        QCOMPARE(f.Find<QComboBox>(u"ModeComboBox"_s)->currentText(), u"CW"_s);
        QCOMPARE(f.Find<QComboBox>(u"AttenComboBox"_s)->currentText(), u"Auto"_s);
        QCOMPARE(f.Find<QComboBox>(u"StepComboBox"_s)->currentText().toDouble(), 0.001);

        // The start's own tick: at noon OA4B (160 on 14.100, two slots later on 21.150) is on.
        auto* list = f.In<QTreeWidget>(u"lvBeacons"_s);
        QCOMPARE(list->currentItem()->text(0), u"OA4B"_s);
        QCOMPARE(f.CallSigns, QStringList{u"OA4B"_s});
        f.CallSigns.clear();
        // 4U1UN starts on 21.150 at second 20; VE8AT follows at 30.
        window->ShowBeaconAt(kNoon + 25);
        QCOMPARE(list->currentItem()->text(0), u"4U1UN"_s);
        QVERIFY(list->currentItem()->isSelected());
        window->ShowBeaconAt(kNoon + 29);
        QCOMPARE(f.CallSigns, QStringList{u"4U1UN"_s});
        window->ShowBeaconAt(kNoon + 30);
        QCOMPARE(list->currentItem()->text(0), u"VE8AT"_s);
        QCOMPARE(f.CallSigns, (QStringList{u"4U1UN"_s, u"VE8AT"_s}));

        // Nudge: one 1 Hz step up on VFO E.
        f.In<TUpDown>(u"SpinButton1"_s)->UpButton()->click();
        QTRY_COMPARE_WITH_TIMEOUT(f.Receiver.Vfo(u'E').Freq, 21.150001, f.kPatientMs);
        QCOMPARE(f.In<QLineEdit>(u"edFreq"_s)->text().trimmed(), u"21.150001"_s);

        f.In<QToolButton>(u"btnStop"_s)->click();
        QVERIFY(!timer->isActive());
        QCOMPARE(f.CallSigns.last(), QString());
    }

    void MapMarkerIsDrawnAndErased() {
        TBeaconFixture f;
        TfrmBeacons* window = f.OpenWindow();
        f.In<QTabWidget>(u"pcData"_s)->setCurrentIndex(1);
        f.Start(0);
        const QPoint first = window->Beacons().Beacons[0].Position;  // 4U1UN, 14.100 at 0
        const QPoint second = window->Beacons().Beacons[1].Position; // VE8AT, at 10
        window->ShowBeaconAt(kNoon + 3);
        QImage overlay = window->Overlay().Image();
        QVERIFY(IsMarker(overlay, first.x(), first.y()));
        QVERIFY(IsMarker(overlay, first.x() + 2, first.y() - 2));
        QVERIFY(!IsMarker(overlay, first.x() + 3, first.y()));
        QVERIFY(!IsMarker(overlay, second.x(), second.y()));
        window->ShowBeaconAt(kNoon + 12);
        overlay = window->Overlay().Image();
        QCOMPARE(qAlpha(overlay.pixel(first)), 0);
        QVERIFY(IsMarker(overlay, second.x(), second.y()));
        // Shown once per slot, however many ticks fall in it.
        window->ShowBeaconAt(kNoon + 13);
        QCOMPARE(f.CallSigns, (QStringList{u"4U1UN"_s, u"VE8AT"_s}));
        // The caption is written at the top.
        bool written = false;
        for (int x = 2; x < 80 && !written; ++x)
            for (int y = 2; y < 16 && !written; ++y)
                written = qAlpha(overlay.pixel(x, y)) > 0;
        QVERIFY(written);
    }

    void MarkerAtTheEdgeIsClippedAndPutBack() {
        TBeaconOverlay overlay(QSize(20, 10));
        overlay.Mark({0, 9}, {});
        QVERIFY(IsMarker(overlay.Image(), 0, 9));
        QVERIFY(IsMarker(overlay.Image(), 2, 7));
        QVERIFY(!IsMarker(overlay.Image(), 3, 9));
        overlay.Mark({19, 0}, {});
        QCOMPARE(qAlpha(overlay.Image().pixel(0, 9)), 0);
        QVERIFY(IsMarker(overlay.Image(), 19, 0));
        overlay.Unmark();
        QCOMPARE(qAlpha(overlay.Image().pixel(19, 0)), 0);
    }

    void SelectorsGoThroughTheMainWindowAndAreKept() {
        {
            TBeaconFixture f;
            f.OpenWindow();
            f.Start(0);
            auto* mode = f.In<QComboBox>(u"cbMode"_s);
            mode->setCurrentIndex(3);
            Q_EMIT mode->activated(3);
            QCOMPARE(f.Find<QComboBox>(u"ModeComboBox"_s)->currentIndex(), 3);
            QTRY_COMPARE_WITH_TIMEOUT(f.Receiver.Vfo(u'E').Mode, 3, f.kPatientMs);
            f.Beacons.Form()->close();
            QTRY_VERIFY(!f.Beacons.Form());
        }
        QCOMPARE(TIniFile(SettingsFileName()).ReadInteger(u"frmBeacons"_s, u"Mode"_s, -1), 3);
        TBeaconFixture f;
        QVERIFY2(f.OpenWindow(), qPrintable(f.Answers->Errors.join(u'|')));
        QCOMPARE(f.In<QComboBox>(u"cbMode"_s)->currentIndex(), 3);
        TIniFile(SettingsFileName()).WriteInteger(u"frmBeacons"_s, u"Mode"_s, 4);
    }

    void SignalFollowsTheMainWindow() {
        TBeaconFixture f;
        f.OpenWindow();
        auto* mine = f.In<QCheckBox>(u"chkSignal"_s);
        auto* main = f.Find<QCheckBox>(u"TimerCheckBox"_s);
        const bool was = main->isChecked();
        QCOMPARE(mine->isChecked(), was);
        mine->click();
        QCOMPARE(main->isChecked(), !was);
        main->click();
        QCOMPARE(mine->isChecked(), was);
    }

    void TimeServersAreEditedAndKept() {
        {
            TBeaconFixture f;
            f.OpenWindow();
            auto* servers = f.In<QListWidget>(u"lbTimeServers"_s);
            QCOMPARE(servers->count(), 2);
            f.In<QPushButton>(u"btnGetSetTime"_s)->click();
            QCOMPARE(f.Answers->Errors, QStringList{u"Please select a time server"_s});
            f.Answers->TextAnswers = {u"127.0.0.1:1123"_s, u"ntp.example.net"_s};
            f.In<QPushButton>(u"btnAdd"_s)->click();
            servers->setCurrentRow(0);
            f.In<QPushButton>(u"btnEdit"_s)->click();
            QCOMPARE(f.Answers->TextAsked,
                     (QStringList{u"Add Time Server"_s, u"Specify the Time Server URL"_s,
                                  u"Time Server"_s, u"Edit the Time Server URL"_s}));
            servers->setCurrentRow(1);
            f.Answers->ConfirmAnswer = true;
            f.In<QPushButton>(u"btnDelete"_s)->click();
            QVERIFY(f.Answers->ConfirmAsked.first().startsWith(u"Delete time server "_s));
            f.Beacons.Form()->close();
        }
        TBeaconFixture f;
        f.OpenWindow();
        auto* servers = f.In<QListWidget>(u"lbTimeServers"_s);
        QStringList kept;
        for (int i = 0; i < servers->count(); ++i)
            kept << servers->item(i)->text();
        QCOMPARE(kept, (QStringList{u"ntp.example.net"_s, u"127.0.0.1:1123"_s}));
    }

    void TitleBarDoubleClickShadesAndClosingGivesTheHeightBack() {
        {
            TBeaconFixture f;
            TfrmBeacons* window = f.OpenWindow();
            window->resize(420, 520);
            QTRY_COMPARE(window->height(), 520);
            const auto doubleClick = [window] {
                QMouseEvent click(QEvent::NonClientAreaMouseButtonDblClick, QPointF(10, -5),
                                  window->mapToGlobal(QPointF(10, -5)), Qt::LeftButton,
                                  Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(window, &click);
            };
            doubleClick();
            QVERIFY(window->Shaded());
            QTRY_VERIFY(window->height() < 100);
            doubleClick();
            QVERIFY(!window->Shaded());
            QTRY_COMPARE(window->height(), 520);
            doubleClick();
            window->close();
        }
        QCOMPARE(TIniFile(SettingsFileName()).ReadInteger(u"frmBeacons"_s, u"height"_s, -1), 520);
    }

    void MissingFileClosesTheWindowWithTheMessage() {
        QVERIFY(QFile::remove(ProgramFile(u"IARU_Beacons.dat"_s)));
        TBeaconFixture f;
        QVERIFY(f.OpenWindow());
        QTRY_VERIFY(!f.Beacons.Form());
        QCOMPARE(f.Answers->Errors.size(), 1);
        QVERIFY2(f.Answers->Errors.first().startsWith(
                     u"The file \"IARU_Beacons.dat\" is missing.\r\nPlease contact "_s),
                 qPrintable(f.Answers->Errors.first()));
    }

    void UnreadableFileIsNamedAndClosesTheWindow() {
        QFile file(ProgramFile(u"IARU_Beacons.dat"_s));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[Frequencies]\r\nF1=14.100\r\n[K1AA]\r\nTIME14=x\r\n");
        file.close();
        TBeaconFixture f;
        QVERIFY(f.OpenWindow());
        QTRY_VERIFY(!f.Beacons.Form());
        QVERIFY2(f.Answers->Errors.value(0).contains(u"[K1AA] TIME14=x"_s),
                 qPrintable(f.Answers->Errors.value(0)));
    }
};

QTEST_MAIN(TestBeaconsForm)
#include "tst_beaconsform.moc"
