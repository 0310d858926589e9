#include "SetupRecordingForm.h"

#include "HelpContext.h"
#include "IniFile.h"
#include "ProgramFolder.h"
#include "Prompt.h"
#include "Settings.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QString kSettingsSection = u"Settings"_s;

const QString kPerHitInfo =
    u"Create a new wav file for each search/scan hit, named by frequency and date/time.\r\n\r\n"
    u"NOTE:  As the AR5000 does not report when it resumes \r\nsearching/scanning, Kv7 can only "
    u"tell by querying the squelch.\r\nThis can mean if a new hit is found before a squelch "
    u"\r\nclosed report is received, the new hit is recording to the same \r\nwav file as the "
    u"previous one. The file will be named from the last hit in this case.\r\nTherefore this "
    u"feature must be considered of limited reliability due to\r\nthe limitations of the "
    u"reports provided by the AR5000.\r\n\r\nThis feature was added by specific request despite "
    u"its limitations."_s;

template <typename T> T* Named(T* widget, const QString& name, const QString& hint = {}) {
    widget->setObjectName(name);
    if (!hint.isEmpty())
        widget->setToolTip(hint);
    return widget;
}

} // namespace

TSetupRecordingForm::TSetupRecordingForm(TSettings& settings, bool recorderPresent, QWidget* parent)
    : QDialog(parent)
    , FSettings(settings)
    , FRecorderPresent(recorderPresent) {
    setObjectName(u"SetupRecordingForm"_s);
    setWindowTitle(u"Setup Recording"_s);
    RadioButtonUseMCI =
        Named(new QRadioButton(u"Use MCI"_s, this), u"RadioButtonUseMCI"_s,
              u"Use the Windows Media Control Interface for recording (PCM only)"_s);
    RadioButtonUseKv7WavRecorder =
        Named(new QRadioButton(u"Use Kv7WavRecorder"_s, this), u"RadioButtonUseKv7WavRecorder"_s,
              u"Use Kv7WavRecorder for recording"_s);
    GroupBox1 = Named(new QGroupBox(u"MCI  (PCM Only)"_s, this), u"GroupBox1"_s);
    CheckBoxWavFiles16Bit =
        Named(new QCheckBox(u"16 bit Wav files"_s, GroupBox1), u"CheckBoxWavFiles16Bit"_s);
    cbSearchScanWavFilesByFreq =
        Named(new QCheckBox(u"Wav files by Freq"_s, GroupBox1), u"cbSearchScanWavFilesByFreq"_s,
              u"Record a separate wav file for each search/scan hit\r\nFilename by frequency and "
              u"date time"_s);
    Label1 = Named(new QLabel(u"Info"_s, GroupBox1), u"Label1"_s);
    Label1->setCursor(Qt::PointingHandCursor);
    Label1->installEventFilter(this);
    NoSoundInputLabel = Named(new QLabel(GroupBox1), u"NoSoundInputLabel"_s);
    NoSoundInputLabel->setWordWrap(true);
    NoSoundInputLabel->hide();
    GroupBoxUseKv7WavRecorder =
        Named(new QGroupBox(u"Kv7WavRecorder"_s, this), u"GroupBoxUseKv7WavRecorder"_s);
    btnChooseFormat = Named(new QPushButton(u"Setup &Format"_s, GroupBoxUseKv7WavRecorder),
                            u"btnChooseFormat"_s, u"Setup the recording format"_s);
    BitBtnOK = Named(new QPushButton(u"OK"_s, this), u"BitBtnOK"_s);
    BitBtnOK->setDefault(true);
    BitBtnCancel = Named(new QPushButton(u"Cancel"_s, this), u"BitBtnCancel"_s);

    auto* mci = new QVBoxLayout(GroupBox1);
    mci->addWidget(CheckBoxWavFiles16Bit);
    auto* perHit = new QHBoxLayout;
    perHit->addWidget(cbSearchScanWavFilesByFreq);
    perHit->addWidget(Label1);
    mci->addLayout(perHit);
    mci->addWidget(NoSoundInputLabel);
    (new QVBoxLayout(GroupBoxUseKv7WavRecorder))->addWidget(btnChooseFormat);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtnOK);
    buttons->addWidget(BitBtnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RadioButtonUseMCI);
    layout->addWidget(GroupBox1);
    layout->addWidget(RadioButtonUseKv7WavRecorder);
    layout->addWidget(GroupBoxUseKv7WavRecorder);
    layout->addLayout(buttons);

    const bool useMci = settings.UseMCI || !recorderPresent;
    RadioButtonUseMCI->setChecked(useMci);
    RadioButtonUseKv7WavRecorder->setChecked(!useMci);
    RadioButtonUseKv7WavRecorder->setEnabled(recorderPresent);
    CheckBoxWavFiles16Bit->setChecked(settings.WavFiles16Bit);
    cbSearchScanWavFilesByFreq->setChecked(settings.SearchScanWavFilesByFreq);
    CheckBoxWavFiles16Bit->setEnabled(settings.UseMCI);
    cbSearchScanWavFilesByFreq->setEnabled(settings.UseMCI);
    ApplyOptionRule();

    connect(RadioButtonUseMCI, &QRadioButton::clicked, this, &TSetupRecordingForm::ApplyOptionRule);
    connect(RadioButtonUseKv7WavRecorder, &QRadioButton::clicked, this,
            &TSetupRecordingForm::ApplyOptionRule);
    connect(btnChooseFormat, &QPushButton::clicked, this, [this] {
        if (ChooseFormat)
            ChooseFormat();
    });
    connect(BitBtnOK, &QPushButton::clicked, this, &TSetupRecordingForm::BitBtnOKClick);
    connect(BitBtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    ApplyHelpContexts(this);
}

void TSetupRecordingForm::ApplyOptionRule() {
    const bool mci = RadioButtonUseMCI->isChecked();
    btnChooseFormat->setEnabled(!mci && FRecorderPresent);
    CheckBoxWavFiles16Bit->setEnabled(mci);
    if (!mci)
        cbSearchScanWavFilesByFreq->setChecked(false);
    cbSearchScanWavFilesByFreq->setEnabled(mci);
}

bool TSetupRecordingForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label1 && event->type() == QEvent::MouseButtonRelease) {
        Prompt().Information(windowTitle(), kPerHitInfo);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TSetupRecordingForm::BitBtnOKClick() {
    FSettings.WavFiles16Bit = CheckBoxWavFiles16Bit->isChecked();
    FSettings.UseMCI = RadioButtonUseMCI->isChecked();
    FSettings.SearchScanWavFilesByFreq = cbSearchScanWavFilesByFreq->isChecked();
    TIniFile ini(SettingsFileName());
    const bool written =
        ini.WriteBool(kSettingsSection, u"WavFiles16Bit"_s, FSettings.WavFiles16Bit) &&
        ini.WriteBool(kSettingsSection, u"UseMCI"_s, FSettings.UseMCI) &&
        ini.WriteBool(kSettingsSection, u"SearchScanWavFilesByFreq"_s,
                      FSettings.SearchScanWavFilesByFreq);
    if (!written)
        Prompt().Error(windowTitle(), ini.ErrorText());
    accept();
}

void TSetupRecordingForm::ShowNoSoundInput(const QString& why) {
    NoSoundInputLabel->setText(why);
    NoSoundInputLabel->show();
}
