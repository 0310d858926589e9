#pragma once

#include "Records.h"
#include "components/AveragedArray.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QCheckBox;
class TAR5000;
class TSignalPanel;

// The level as "<dBm>dBm <microvolts>µV <S units>", the microvolts with one decimal below 4.
// `mhz` 0 means `currentMhz`.
QString LevelText(int level, double mhz, double currentMhz);
// The same at the driver's current frequency when `mhz` is 0.
QString LevelText(const TAR5000& driver, int level, double mhz = 0.0);

// Where the needle goes for a level: 1:1 up to 170, half steps above (the top of the scale
// is compressed), so 255 reads 212.
int MeterPosition(int level);

// The Main page's signal display: "Signal" starts and stops the driver's level poll, "Fre&q"
// adds the frequency query to it, and each level reply moves the graph or the needle.
//
// The controller owns no widget: it drives the panel and the two check boxes it is given.
// The current VFO box belongs to the VFO panel, so its colour leaves as SquelchStateChanged.
class TSignalDisplayController : public QObject {
    Q_OBJECT

public:
    static constexpr QRgb kSquelchClosedColour = 0x707070;
    static constexpr QRgb kSquelchOpenColour = 0x008000;

    TSignalDisplayController(TAR5000* driver, TSignalPanel* panel, QCheckBox* timerCheckBox,
                             QCheckBox* freqUpdateCheckBox, QObject* parent = nullptr);
    ~TSignalDisplayController() override;

    // Takes the driver's OnSignalLevel and OnAttenuator hooks; the main window keeps them for
    // the whole run. Unhook gives them back (empty).
    void Hook();
    void Unhook();

    // The handler of each level reply.
    void ShowSignal(const TRxDat& rec);
    // The graph restarts from the bottom edge; the average is cleared too when asked.
    void ResetSignalGraph(bool clearAverage);
    // "Meter" from the pop-up menu or Ctrl+Shift+M: flips the meter and the graph.
    void MeterToggle();
    // An attenuator reply arrived: the scale follows it.
    void AttenuatorChanged();

    const TAveragedArray& Average() const { return FAverage; }

    // The letter of the current box ('A'..'E', 'M'), asked before a followed frequency is
    // passed on; unset passes every one.
    std::function<QChar()> CurrentVfoLetter;

Q_SIGNALS:
    // Every level reply, whether or not the display is on: for recording what is heard.
    void SquelchReported(bool closed);
    // While the display runs, each reply: the current box goes kSquelchClosedColour when
    // closed, kSquelchOpenColour when open. Switching "Signal" off sends false (green).
    void SquelchStateChanged(bool closed);
    // With "Fre&q" on and a VFO current, a record from a VFO reply: its frequency goes into the
    // box of its VFO (and moves a tuning scale attached to the current VFO).
    void FrequencyFollowed(const TRxDat& rec);
    // A level that is not a number; meant for the unexpected-error handler.
    void ErrorMessage(const QString& text);

private:
    void TimerCheckBoxClick(bool checked);
    void FreqUpdateCheckBoxClick(bool checked);
    void UseMeterClick(bool checked);
    void ShowGraphLayout();
    void ShowMeterLayout();

    QPointer<TAR5000> FDriver;
    TSignalPanel* FPanel;
    QCheckBox* FTimerCheckBox;
    QCheckBox* FFreqUpdateCheckBox;
    TAveragedArray FAverage;
    bool FHooked = false;
};
