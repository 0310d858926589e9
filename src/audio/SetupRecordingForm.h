#pragma once

#include <QDialog>

#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
struct TSettings;

// "Setup Recording": the recording method (built-in or the companion recorder program), 16-bit
// files and one file per hit. OK applies the choice to the settings and writes it to the
// settings file.
class TSetupRecordingForm final : public QDialog {
    Q_OBJECT

public:
    // `settings` are the main window's; `recorderPresent` whether the recorder program is there.
    TSetupRecordingForm(TSettings& settings, bool recorderPresent, QWidget* parent = nullptr);

    // "Setup &Format": the recorder program chooses its format.
    std::function<void()> ChooseFormat;
    // Says, inside the built-in recording's group, why it cannot record on this computer.
    void ShowNoSoundInput(const QString& why);

    QRadioButton* RadioButtonUseMCI;
    QRadioButton* RadioButtonUseKv7WavRecorder;
    QGroupBox* GroupBox1;
    QCheckBox* CheckBoxWavFiles16Bit;
    QCheckBox* cbSearchScanWavFilesByFreq;
    QLabel* Label1;
    QLabel* NoSoundInputLabel;
    QGroupBox* GroupBoxUseKv7WavRecorder;
    QPushButton* btnChooseFormat;
    QPushButton* BitBtnOK;
    QPushButton* BitBtnCancel;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyOptionRule();
    void BitBtnOKClick();

    TSettings& FSettings;
    bool FRecorderPresent;
};
