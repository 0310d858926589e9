#include "SetupRecordingForm.h"

#include "IniFile.h"
#include "ProgramFolder.h"
#include "Settings.h"
#include "support/ScriptedPrompt.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// On the indicator: a radio button stretched by its layout takes clicks only on its text and mark.
void ClickRadio(QRadioButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

} // namespace

class TstSetupRecording : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        qputenv("KOVELA_HOME", FHome.path().toLocal8Bit());
        auto prompt = std::make_unique<TScriptedPrompt>();
        FAnswers = prompt.get();
        SetPrompt(std::move(prompt));
    }

    void opensOnTheMainWindowsChoice_data() {
        QTest::addColumn<bool>("useMci");
        QTest::addColumn<bool>("present");
        QTest::addColumn<bool>("mciShown");
        QTest::addColumn<bool>("optionsEnabled");
        QTest::addColumn<bool>("formatEnabled");
        QTest::newRow("built-in") << true << true << true << true << false;
        QTest::newRow("recorder program") << false << true << false << false << true;
        // Without the program the built-in recording is the only choice.
        QTest::newRow("recorder program gone") << false << false << true << true << false;
    }
    void opensOnTheMainWindowsChoice() {
        QFETCH(bool, useMci);
        QFETCH(bool, present);
        QFETCH(bool, mciShown);
        QFETCH(bool, optionsEnabled);
        QFETCH(bool, formatEnabled);
        TSettings settings;
        settings.UseMCI = useMci;
        settings.WavFiles16Bit = true;
        settings.SearchScanWavFilesByFreq = useMci;
        TSetupRecordingForm form(settings, present);
        QCOMPARE(form.RadioButtonUseMCI->isChecked(), mciShown);
        QCOMPARE(form.RadioButtonUseKv7WavRecorder->isEnabled(), present);
        QVERIFY(form.CheckBoxWavFiles16Bit->isChecked());
        QCOMPARE(form.CheckBoxWavFiles16Bit->isEnabled(), optionsEnabled);
        QCOMPARE(form.cbSearchScanWavFilesByFreq->isEnabled(), optionsEnabled);
        QCOMPARE(form.btnChooseFormat->isEnabled(), formatEnabled);
    }

    void choosingTheRecorderProgramDropsPerHitFiles() {
        TSettings settings;
        settings.SearchScanWavFilesByFreq = true;
        TSetupRecordingForm form(settings, true);
        int formatAsked = 0;
        form.ChooseFormat = [&] {
            ++formatAsked;
        };
        form.show();
        ClickRadio(form.RadioButtonUseKv7WavRecorder);
        QVERIFY(!form.cbSearchScanWavFilesByFreq->isChecked());
        QVERIFY(!form.cbSearchScanWavFilesByFreq->isEnabled());
        QVERIFY(!form.CheckBoxWavFiles16Bit->isEnabled());
        QTest::mouseClick(form.btnChooseFormat, Qt::LeftButton);
        QCOMPARE(formatAsked, 1);
        ClickRadio(form.RadioButtonUseMCI);
        QVERIFY(form.RadioButtonUseMCI->isChecked());
        QVERIFY(form.cbSearchScanWavFilesByFreq->isEnabled());
        QVERIFY(!form.btnChooseFormat->isEnabled());
    }

    void okKeepsAndWritesTheChoice() {
        TSettings settings;
        TSetupRecordingForm form(settings, false);
        form.show();
        QTest::mouseClick(form.CheckBoxWavFiles16Bit, Qt::LeftButton);
        QTest::mouseClick(form.cbSearchScanWavFilesByFreq, Qt::LeftButton);
        QTest::mouseClick(form.BitBtnOK, Qt::LeftButton);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QVERIFY(settings.WavFiles16Bit);
        QVERIFY(settings.UseMCI);
        QVERIFY(settings.SearchScanWavFilesByFreq);
        TIniFile ini(SettingsFileName());
        QCOMPARE(ini.ReadString(u"Settings"_s, u"WavFiles16Bit"_s, {}), u"1"_s);
        QCOMPARE(ini.ReadString(u"Settings"_s, u"UseMCI"_s, {}), u"1"_s);
        QCOMPARE(ini.ReadString(u"Settings"_s, u"SearchScanWavFilesByFreq"_s, {}), u"1"_s);

        // Cancel keeps the settings as they were.
        TSetupRecordingForm again(settings, false);
        again.show();
        QTest::mouseClick(again.CheckBoxWavFiles16Bit, Qt::LeftButton);
        QTest::mouseClick(again.BitBtnCancel, Qt::LeftButton);
        QVERIFY(settings.WavFiles16Bit);
    }

    void infoExplainsPerHitFiles() {
        TSettings settings;
        TSetupRecordingForm form(settings, false);
        form.show();
        FAnswers->Errors.clear();
        QTest::mouseClick(form.Label1, Qt::LeftButton);
        QCOMPARE(FAnswers->Errors.size(), 1);
        QVERIFY(FAnswers->Errors.first().startsWith(u"Create a new wav file for each"_s));
    }

private:
    QTemporaryDir FHome;
    TScriptedPrompt* FAnswers = nullptr;
};

QTEST_MAIN(TstSetupRecording)
#include "tst_setuprecording.moc"
