// The VFO panel and the squelch boxes of the Main page against the simulated receiver: what is
// sent for each action, and what the panel shows.
#include "PanelFixture.h"
#include "SquelchController.h"
#include "SquelchForm.h"
#include "UpDown.h"
#include "VfoPanelController.h"

#include "IniFile.h"
#include "ProgramFolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

QColor Background(const QLineEdit* box) {
    return box->palette().color(QPalette::Base);
}

} // namespace

class TestVfoPanel : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FHome;

private Q_SLOTS:
    void initTestCase() { qputenv("KOVELA_HOME", FHome.path().toLocal8Bit()); }
    void init() { QFile::remove(SettingsFileName()); }

    void formatFrequency_data() {
        QTest::addColumn<double>("mhz");
        QTest::addColumn<QString>("shown");
        QTest::newRow("below 1 MHz loses its zero") << 0.5 << u"        .500000"_s;
        QTest::newRow("four digits, no padding") << 1234.5678 << u"1234.567800"_s;
        QTest::newRow("top of the range") << 2600.0 << u"2600.000000"_s;
        QTest::newRow("three digits") << 145.5 << u"  145.500000"_s;
        QTest::newRow("one digit") << 7.1 << u"      7.100000"_s;
    }
    void formatFrequency() {
        QFETCH(double, mhz);
        QFETCH(QString, shown);
        QCOMPARE(FormatFrequencyText(mhz), shown);
    }

    void readAllVfosWhenTheLinkOpens_data() {
        QTest::addColumn<QByteArray>("prepare");
        QTest::addColumn<QChar>("current");
        QTest::addColumn<QString>("lastSent");
        QTest::newRow("VFO C") << QByteArray("VC\r\n") << QChar(u'C') << u"RQ150"_s;
        QTest::newRow("memory") << QByteArray("MR\r\n") << QChar(u'M') << u"RQ255"_s;
        QTest::newRow("program search") << QByteArray("SS00\r\n") << QChar(u'A') << u"RQ255"_s;
        QTest::newRow("VFO search") << QByteArray("VSB\r\n") << QChar(u'E') << u"RQ255"_s;
        QTest::newRow("select scan") << QByteArray("SM\r\n") << QChar(u'E') << u"RQ255"_s;
    }
    void readAllVfosWhenTheLinkOpens() {
        QFETCH(QByteArray, prepare);
        QFETCH(QChar, current);
        QFETCH(QString, lastSent);
        QFile settings(SettingsFileName());
        QVERIFY(settings.open(QIODevice::WriteOnly | QIODevice::Truncate));
        settings.write("[Squelch]\r\nC=150\r\n");
        settings.close();

        TPanelFixture f(prepare);
        f.Find<QPushButton>(u"OpenPortButton"_s)->click();
        QVERIFY(f.Form->Driver()->Connected());
        QCOMPARE(f.State().CurrentVfo, current);
        QVERIFY(f.Messages.isEmpty());
        QCOMPARE(f.Edit(u"EditVcoC"_s)->text(), u"  145.500000"_s);
        QCOMPARE(f.Edit(u"EditVcoD"_s)->text(), u"  446.006250"_s);
        QCOMPARE(f.Edit(u"EditVcoE"_s)->text(), u"    98.100000"_s);
        QCOMPARE(f.Edit(u"SquelchEditC"_s)->text(), u"150"_s);
        QVERIFY(!f.Edit(u"MemEdit"_s)->text().isEmpty());
        QVERIFY(!f.Edit(u"FrqEditM"_s)->text().isEmpty());
        const QString currentBox = current == u'M' ? u"FrqEditM"_s : u"EditVco"_s + current;
        QCOMPARE(Background(f.Edit(currentBox)), QColor(0, 128, 0));
        QTRY_COMPARE(f.Sent().last(), lastSent);
        QVERIFY(f.Form->Driver()->OnVfoData);
        // The frequency-follow poll reads VFOs only.
        QCOMPARE(f.Find<QCheckBox>(u"FreqUpdateCheckBox"_s)->isEnabled(), current != u'M');
    }

    void squelchGoesBeforeTheSwitchUpTo150_data() {
        QTest::addColumn<int>("squelch");
        QTest::addColumn<bool>("before");
        QTest::newRow("150 before") << 150 << true;
        QTest::newRow("151 after") << 151 << false;
    }
    void squelchGoesBeforeTheSwitchUpTo150() {
        QFETCH(int, squelch);
        QFETCH(bool, before);
        TPanelFixture f;
        QVERIFY(f.Open());
        f.Edit(u"SquelchEditB"_s)->setText(QString::number(squelch));
        QTest::mouseClick(f.Edit(u"EditVcoB"_s), Qt::LeftButton);
        const QString rq = u"RQ%1"_s.arg(squelch);
        QTRY_VERIFY(f.Sent().contains(u"SJ"_s) && f.Sent().contains(rq));
        const QStringList sent = f.Sent();
        QCOMPARE(sent.count(rq), 1);
        QCOMPARE(sent.indexOf(rq) < sent.indexOf(u"VB"_s), before);
        QCOMPARE(f.State().CurrentVfo, QChar(u'B'));
        QCOMPARE(Background(f.Edit(u"EditVcoB"_s)), QColor(0, 128, 0));
        QCOMPARE(Background(f.Edit(u"EditVcoA"_s)), QColor(0, 0, 0));
    }

    void agcRereadsOnlyForTheMemory_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("reread");
        QTest::newRow("VFO") << u"EditVcoA"_s << false;
        QTest::newRow("memory") << u"MemEdit"_s << true;
    }
    void agcRereadsOnlyForTheMemory() {
        QFETCH(QString, box);
        QFETCH(bool, reread);
        TPanelFixture f;
        QVERIFY(f.Open());
        QTest::mouseClick(f.Edit(box), Qt::LeftButton);
        f.WaitForSwitch();

        auto* agc = f.Find<QComboBox>(u"AGCComboBox"_s);
        const int shown = agc->currentIndex();
        QVERIFY(shown >= 0); // set from the receiver's reply
        const int chosen = shown == agc->count() - 1 ? shown - 1 : shown + 1;
        agc->setFocus();
        QTest::keyClick(f.Focused(), chosen > shown ? Qt::Key_Down : Qt::Key_Up);
        const QString command = u"AC%1"_s.arg(chosen);
        QTRY_VERIFY(f.Sent().contains(command));
        if (reread) {
            QTRY_VERIFY(f.Sent().contains(u"SJ"_s));
            QCOMPARE(f.Sent().mid(0, 2), (QStringList{command, u"RX"_s}));
        } else {
            QCOMPARE(f.SentSettled(), QStringList{command});
        }
    }

    void stepBoxTakesNumbersOnly_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enter");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("a comma is no decimal separator")
            << QString() << u"12,"_s << false << u"12,"_s << QStringList{u"ST1000"_s, u"ST12000"_s}
            << QStringList{u"Floating Point values only"_s};
        QTest::newRow("letters, signs and blanks are swallowed")
            << QString() << u"1g -+2"_s << false << u"12"_s
            << QStringList{u"ST1000"_s, u"ST12000"_s} << QStringList();
        // "12.500" is one of the list's own entries, not the one chosen last: Enter would choose
        // it and send it again.
        QTest::newRow("Enter is swallowed") << u"12.50"_s << u"0"_s << true << u"12.500"_s
                                            << QStringList{u"ST12500"_s} << QStringList();
    }
    void stepBoxTakesNumbersOnly() {
        QFETCH(QString, start);
        QFETCH(QString, typed);
        QFETCH(bool, enter);
        QFETCH(QString, shown);
        QFETCH(QStringList, sent);
        QFETCH(QStringList, messages);
        TPanelFixture f;
        QVERIFY(f.Open());
        auto* step = f.Find<QComboBox>(u"StepComboBox"_s);
        step->setEditText(start);
        f.TypeInto(step, typed);
        if (enter) {
            QObject::connect(step->lineEdit(), &QLineEdit::returnPressed,
                             [] { qWarning("RETURN"); });
            QObject::connect(step->lineEdit(), &QLineEdit::editingFinished,
                             [] { qWarning("EDITFIN"); });
            f.Stroke(Qt::Key_Return);
        }
        qWarning() << "PROBE" << f.SentSettled() << f.Focused() << step->currentIndex()
                   << step->itemText(step->currentIndex());
        QCOMPARE(f.SentSettled(), sent);
        QCOMPARE(f.Messages, messages);
        QCOMPARE(step->currentText(), shown);
    }

    void recordsOfOtherModesAreIgnored_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("shown");
        QTest::newRow("VS VB") << 6 << false;
        QTest::newRow("SS") << 4 << false;
        QTest::newRow("VB") << 11 << true;
    }
    void recordsOfOtherModesAreIgnored() {
        QFETCH(int, code);
        QFETCH(bool, shown);
        TPanelFixture f;
        QVERIFY(f.Open());
        const QString before = f.Edit(u"EditVcoB"_s)->text();
        TRxDat rec;
        rec.Vfo = static_cast<std::uint8_t>(code);
        rec.Freq = 150.25;
        rec.Mode = 3;
        f.Form->Driver()->OnVfoData(rec);
        QCOMPARE(f.Edit(u"EditVcoB"_s)->text(), shown ? u"  150.250000"_s : before);
        QCOMPARE(f.Find<QComboBox>(u"ModeComboBox"_s)->currentText() == u"USB"_s, shown);
    }

    void emptyChannelKeepsItsNumberInView() {
        TPanelFixture f;
        QVERIFY(f.Open());
        TRxDat rec;
        rec.Vfo = 2; // "MR"
        rec.Empty = true;
        rec.Channel = 7;
        f.Form->Driver()->OnVfoData(rec);
        QCOMPARE(f.Edit(u"MemEdit"_s)->text(), u"007"_s);
        QVERIFY(f.Edit(u"FrqEditM"_s)->text().isEmpty());
        QVERIFY(f.Edit(u"MemTextEdit"_s)->text().isEmpty());
        QCOMPARE(f.Edit(u"SquelchEditM"_s)->text(), u"255"_s);
    }

    void memoryBoxEnter_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("firstSent");
        QTest::newRow("empty") << QString() << QString() << QString();
        QTest::newRow("signs and letters swallowed") << u"+-x"_s << QString() << QString();
        QTest::newRow("channel 7") << u"7"_s << u"007"_s << u"MR007"_s;
        QTest::newRow("three digits at most") << u"1234"_s << u"123"_s << u"MR123"_s;
    }
    void memoryBoxEnter() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, firstSent);
        TSimOptions options;
        options.FillMemories = true;
        TPanelFixture f({}, options);
        QVERIFY(f.Open());
        QLineEdit* mem = f.Edit(u"MemEdit"_s);
        mem->clear();
        // Shift keeps the letters from being the window's VFO keys.
        f.TypeInto(mem, typed, typed == u"+-x"_s ? Qt::ShiftModifier : Qt::NoModifier);
        f.Enter(mem);
        QCOMPARE(mem->text(), shown);
        if (firstSent.isEmpty()) {
            QVERIFY(f.SentSettled().isEmpty());
            return;
        }
        QCOMPARE(f.Sent().first(), firstSent);
        QCOMPARE(f.State().CurrentVfo, QChar(u'M'));
        QCOMPARE(f.Edit(u"FrqEditM"_s)->text(),
                 FormatFrequencyText(f.Receiver.Memory(0, shown.toInt()).Freq));
        QCOMPARE(Background(f.Edit(u"FrqEditM"_s)), QColor(0, 128, 0));
    }

    void frequencyEntry_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("message");
        QTest::newRow("a frequency") << u"145.5"_s << u"VA0145500000"_s << QString();
        QTest::newRow("a comma is a point") << u"145,5"_s << u"VA0145500000"_s << QString();
        QTest::newRow("out of range is refused")
            << u"5000"_s << QString() << u"Frequency 5000 MHz is out of the receiver's range"_s;
        QTest::newRow("not a number")
            << u"14..5"_s << QString()
            << u"'14..5' is not a valid floating point value\r\nAppliction.OnException."_s;
    }
    void frequencyEntry() {
        QFETCH(QString, typed);
        QFETCH(QString, sent);
        QFETCH(QString, message);
        TPanelFixture f;
        QVERIFY(f.Open());
        const QString before = f.Edit(u"EditVcoA"_s)->text();
        auto* entry = f.Edit(u"EnterEdit1"_s);
        f.TypeInto(entry, typed);
        f.Enter(entry);
        const bool sentFrequency =
            std::any_of(f.Sent().cbegin(), f.Sent().cend(),
                        [](const QString& line) { return line.startsWith(u"VA0"_s); });
        QCOMPARE(sentFrequency, !sent.isEmpty());
        if (!sent.isEmpty()) {
            QCOMPARE(f.Sent().first(), sent);
            QCOMPARE(f.Edit(u"EditVcoA"_s)->text(), u"  145.500000"_s);
        } else {
            QCOMPARE(f.Edit(u"EditVcoA"_s)->text(), before);
        }
        QCOMPARE(f.Messages, message.isEmpty() ? QStringList() : QStringList{message});
    }

    void squelchBoxEnter_data() {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QString>("message");
        QTest::newRow("current box sends") << u"EditVcoE"_s << u"SquelchEditE"_s << u"120"_s
                                           << QStringList{u"RQ120"_s} << QString();
        QTest::newRow("another box only keeps it")
            << u"EditVcoA"_s << u"SquelchEditB"_s << u"120"_s << QStringList() << QString();
        QTest::newRow("not a number")
            << u"EditVcoA"_s << u"SquelchEditA"_s << u"1.5"_s << QStringList()
            << u"'1.5' is not a valid integer value\r\nAppliction.OnException."_s;
        QTest::newRow("above 255 is not sent")
            << u"EditVcoA"_s << u"SquelchEditA"_s << u"300"_s << QStringList() << QString();
    }
    void squelchBoxEnter() {
        QFETCH(QString, current);
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QStringList, sent);
        QFETCH(QString, message);
        TPanelFixture f;
        QVERIFY(f.Open());
        QTest::mouseClick(f.Edit(current), Qt::LeftButton);
        f.WaitForSwitch();

        QLineEdit* squelch = f.Edit(box);
        squelch->clear();
        f.TypeInto(squelch, typed);
        f.Enter(squelch);
        QCOMPARE(f.SentSettled(), sent);
        QCOMPARE(f.Messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(squelch->text(), typed);
    }

    void squelchPlusMinusKeys() {
        TPanelFixture f;
        QVERIFY(f.Open()); // VFO A current, squelch 255
        QLineEdit* squelch = f.Edit(u"SquelchEditA"_s);
        squelch->setFocus();
        f.Press(Qt::Key_Minus, Qt::NoModifier, false, u"-"_s);
        f.Release(Qt::Key_Minus);
        f.Press(Qt::Key_Minus, Qt::KeypadModifier, false, u"-"_s);
        QCOMPARE(squelch->text(), u"253"_s);
        // Only the keypad's release sends; the main keyboard's minus only changed the value.
        f.Release(Qt::Key_Minus, Qt::KeypadModifier);
        QTRY_COMPARE(f.Sent(), QStringList{u"RQ253"_s});
        f.Press(Qt::Key_Plus, Qt::NoModifier, false, u"+"_s);
        f.Press(Qt::Key_Plus, Qt::NoModifier, false, u"+"_s);
        f.Press(Qt::Key_Plus, Qt::NoModifier, false, u"+"_s);
        QCOMPARE(squelch->text(), u"255"_s); // held at the top
    }

    void squelchWindowIsCentredOnTheScreen() {
        TPanelFixture f;
        QTest::mousePress(f.Find<TUpDown>(u"SquelchUpDownB"_s), Qt::RightButton);
        TSquelchForm* window = f.Sheet().Squelch()->SquelchForm();
        QVERIFY(window);
        QTRY_VERIFY(window->isVisible());
        const QPoint screenCentre = f.Form->screen()->availableGeometry().center();
        // Within the width of a frame, which the window has only once it is shown.
        QVERIFY2((window->frameGeometry().center() - screenCentre).manhattanLength() <= 8,
                 qPrintable(u"window at %1,%2"_s.arg(window->x()).arg(window->y())));
        QTest::mousePress(f.Find<TUpDown>(u"SquelchUpDownB"_s), Qt::RightButton);
        QTRY_VERIFY(!f.Sheet().Squelch()->SquelchForm());
    }

    void squelchKeptWithTheLink() {
        TPanelFixture f;
        QVERIFY(f.Open());
        f.Edit(u"SquelchEditD"_s)->setText(u"42"_s);
        f.Find<QPushButton>(u"OpenPortButton"_s)->click();
        QVERIFY(!f.Form->Driver()->Connected());
        f.Edit(u"SquelchEditD"_s)->setText(u"7"_s);
        QVERIFY(f.Open());
        QCOMPARE(f.Edit(u"SquelchEditD"_s)->text(), u"42"_s);
    }

    void autoSetAsksFirst_data() {
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void autoSetAsksFirst() {
        QFETCH(bool, confirmed);
        TPanelFixture f;
        QVERIFY(f.Open());
        f.Answers->ConfirmAnswer = confirmed;
        f.Find<QPushButton>(u"AutoSetSpeedButton"_s)->click();
        const QStringList sent = f.SentSettled();
        const QStringList expected =
            confirmed ? QStringList{u"AN0"_s, u"AU1"_s, u"RX"_s} : QStringList();
        QCOMPARE(sent.mid(0, 3), expected);
        if (confirmed)
            QCOMPARE(sent.last(), u"AU0"_s); // "Auto" is left off
    }

    void volumeBarControlsTheReceiverWhenChosen() {
        TPanelFixture f;
        QVERIFY(f.Open());
        auto* bar = f.Find<QSlider>(u"VolumeControlTrackBar"_s);
        auto* receiverVolume = f.Find<QCheckBox>(u"VolTypeSelectCheckBox"_s);
        QVERIFY(!bar->isVisible()); // no sound-card mixer to control
        receiverVolume->click();
        QVERIFY(bar->isVisible());
        QCOMPARE(receiverVolume->toolTip(), u"Control Sound Card Line in"_s);
        bar->setValue(55);
        QTRY_COMPARE(f.Sent(), QStringList{u"VL200"_s});
        QCOMPARE(f.Find<QLabel>(u"VolumeIndicatorLabel"_s)->text(), u"200"_s);
        receiverVolume->click();
        QVERIFY(!bar->isVisible());
    }

    void powerOff() {
        TPanelFixture f;
        QVERIFY(f.Open());
        f.Find<QCheckBox>(u"PriorityCheckBox1"_s)->setChecked(true);
        f.Find<QPushButton>(u"PowerOffButton"_s)->click();
        QVERIFY(f.Form->Driver()->Connected());
        QCOMPARE(f.Messages, QStringList{u"Cancel Priority First"_s});

        f.Find<QCheckBox>(u"PriorityCheckBox1"_s)->setChecked(false);
        f.Edit(u"SquelchEditB"_s)->setText(u"99"_s);
        f.Find<QPushButton>(u"PowerOffButton"_s)->click();
        QVERIFY(!f.Form->Driver()->Connected());
        QTRY_VERIFY(!f.Receiver.PoweredOn());
        QCOMPARE(f.Find<QPushButton>(u"OpenPortButton"_s)->text(), u"&Open Port"_s);
        QVERIFY(!f.Find<QCheckBox>(u"FreqUpdateCheckBox"_s)->isEnabled());
        const TIniFile ini(SettingsFileName());
        QCOMPARE(ini.ReadString(u"Squelch"_s, u"B"_s, {}), u"99"_s);
    }

    void pageChangeRefusedWhilePriorityWatches() {
        TPanelFixture f;
        QVERIFY(f.Open());
        auto* pages = f.Find<QTabWidget>(u"PageControl1"_s);
        f.Find<QCheckBox>(u"PriorityCheckBox1"_s)->setChecked(true);
        pages->setCurrentIndex(3);
        QCOMPARE(pages->currentIndex(), 0);
        QCOMPARE(f.Messages, QStringList{u"Turn off Priority first"_s});

        f.Find<QCheckBox>(u"PriorityCheckBox1"_s)->setChecked(false);
        pages->setCurrentIndex(1);
        QCOMPARE(pages->currentIndex(), 1);
        QVERIFY(!f.Form->Driver()->OnVfoData); // the scan pages read the receiver themselves
        pages->setCurrentIndex(0);
        QVERIFY(f.Form->Driver()->OnVfoData);
        QCOMPARE(f.Sent().first(), u"RX"_s);
    }
};

QTEST_MAIN(TestVfoPanel)
#include "tst_vfopanel.moc"
