// "VfoSrch" on the Main page and its options dialog against the simulated receiver.
#include "SearchScanFixture.h"

#include "VfoPanelController.h"
#include "VfoSearch.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kSignalHz = 145'050'000;

// VFO C at 145.000 and VFO D at 145.100 MHz in 12.5 kHz steps, one carrier between them.
void Prepare(TSimReceiver& rx) {
    TRxDat c = rx.Vfo(u'C');
    c.Freq = 145.0;
    c.Step = u"12.500"_s;
    rx.SetVfo(u'C', c);
    TRxDat d = rx.Vfo(u'D');
    d.Freq = 145.1;
    rx.SetVfo(u'D', d);
    TSimSignal signal;
    signal.FreqHz = kSignalHz;
    signal.WidthHz = 5000;
    signal.PeakLevel = 200;
    rx.Band().SetSignals({signal});
    rx.Band().SetNoiseFloor(20);
}

} // namespace

class TestVfoSearch : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FHome;

private Q_SLOTS:
    void initTestCase() { qputenv("KOVELA_HOME", FHome.path().toLocal8Bit()); }

    void RefusedOnTheMemory() {
        TSearchScanFixture f;
        QVERIFY(f.Open());
        f.Sheet().VfoPanel()->ClickBox(u'M');
        QTRY_COMPARE_WITH_TIMEOUT(f.State().CurrentVfo, QChar(u'M'), f.kPatientMs);
        f.TakeSent();
        QPushButton* button = f.Find<QPushButton>(u"VfoSearchButton"_s);
        button->click();
        QVERIFY(!button->isChecked());
        QVERIFY(f.TakeSent().isEmpty());
        QVERIFY(!f.Form->RunFlags().SearchRunning);
    }

    void SearchesFromTheCurrentVfoAndReturnsToIt() {
        TSearchScanFixture f;
        Prepare(f.Receiver);
        QVERIFY(f.Open());
        f.Sheet().VfoPanel()->ClickBox(u'C');
        f.WaitForSwitch();
        QPushButton* button = f.Find<QPushButton>(u"VfoSearchButton"_s);
        QPushButton* pass = f.Find<QPushButton>(u"AddVfoPassFreqButton"_s);
        button->click();
        QVERIFY(button->isChecked());
        QVERIFY(f.Form->RunFlags().SearchRunning);
        QVERIFY(!f.Edit(u"EditVcoA"_s)->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(f.Edit(u"EditVcoC"_s)->text().trimmed(), u"145.050000"_s,
                                  f.kPatientMs);
        QVERIFY(pass->isEnabled());
        const QStringList started = f.TakeSent();
        QVERIFY2(started.contains(u"LC1"_s) && started.contains(u"RQ130"_s) &&
                     started.last() == u"VSC"_s,
                 qPrintable(started.join(u' ')));
        // Pages are refused while it runs.
        f.Find<QTabWidget>(u"PageControl1"_s)->setCurrentIndex(2);
        QCOMPARE(f.Find<QTabWidget>(u"PageControl1"_s)->currentIndex(), 0);

        button->click();
        QVERIFY(!button->isChecked());
        QVERIFY(!f.Form->RunFlags().SearchRunning);
        QVERIFY(!pass->isEnabled());
        QVERIFY(f.Edit(u"EditVcoA"_s)->isEnabled());
        const QStringList stopped = f.TakeSent();
        QVERIFY2(stopped.indexOf(u"LC0"_s) == 0 && stopped.indexOf(u"VC"_s) == 1,
                 qPrintable(stopped.join(u' ')));
        QVERIFY(!f.Receiver.Running());
        QVERIFY(!f.Form->Driver()->OnFrequency);
    }

    void LostLinkReleasesTheButton() {
        TSearchScanFixture f;
        Prepare(f.Receiver);
        QVERIFY(f.Open());
        QPushButton* button = f.Find<QPushButton>(u"VfoSearchButton"_s);
        button->click();
        QVERIFY(f.Form->RunFlags().SearchRunning);
        f.Receiver.DropConnection();
        QTRY_VERIFY_WITH_TIMEOUT(!f.Form->RunFlags().SearchRunning, f.kPatientMs);
        QVERIFY(!button->isChecked());
        QVERIFY(!f.Form->Driver()->OnFrequency);
    }

    void OptionsDialogSendsOnlyOnOk() {
        TSearchScanFixture f;
        QVERIFY(f.Open());
        int squelch = 130;
        TSetUpVfoSearchForm form(*f.Form->Driver(), squelch, f.Form.get());
        form.FormShow();
        QCOMPARE(form.findChild<QSpinBox*>(u"VfoSquelchSpinEdit"_s)->value(), 130);
        f.TakeSent();
        form.findChild<QPushButton*>(u"Button2"_s)->click();
        QCOMPARE(form.findChild<QSpinBox*>(u"VfoDelayTimeSpinEdit"_s)->value(), 15);
        form.findChild<QPushButton*>(u"Button3"_s)->click();
        QVERIFY(f.TakeSent().isEmpty());

        form.FormShow();
        f.TakeSent();
        form.findChild<QPushButton*>(u"Button2"_s)->click();
        form.findChild<QSpinBox*>(u"VfoSquelchSpinEdit"_s)->setValue(90);
        form.findChild<QPushButton*>(u"Button1"_s)->click();
        const QStringList sent = f.TakeSent();
        QCOMPARE(sent, (QStringList{u"DB0"_s, u"DA0"_s, u"DD15"_s}));
        QCOMPARE(squelch, 90);
        QCOMPARE(f.Receiver.Settings().DelayTenths, 15);

        form.findChild<QCheckBox*>(u"VfoCyberScanCheckBox"_s)->click();
        QVERIFY(f.TakeSent().value(0).startsWith(u"DS"_s));
    }
};

QTEST_MAIN(TestVfoSearch)
#include "tst_vfosearch.moc"
