#pragma once

#include "BeaconFile.h"
#include "BeaconOverlay.h"
#include "HelpContext.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QPushButton;
class TMainForm;
class TMapLayer;
class TServerTimeSetting;
class TClockSetter;
class TUpDown;

// "IARU International Beacons": tunes VFO E to a beacon frequency and, from the computer's clock,
// shows which beacon of the three-minute cycle is on the air, in the list or on the map. The
// "Set Time" tab sets the clock from a time server, since the schedule is only as good as the
// clock.
class TfrmBeacons : public QWidget {
    Q_OBJECT

public:
    static constexpr int kTimerMs = 250;
    static constexpr int kHelpContext = HelpContextFor(u"frmBeacons");
    static constexpr int kDefaultLeft = 10;
    static constexpr int kDefaultTop = 10;
    static constexpr int kDefaultWidth = 400;
    static constexpr int kDefaultHeight = 500;
    // Given back when the height kept at shading is too small to be of use.
    static constexpr int kUnshadedHeight = 400;

    TfrmBeacons(TMainForm& main, std::unique_ptr<TClockSetter> clockSetter,
                QWidget* parent = nullptr);
    ~TfrmBeacons() override;

    // What the companion display link offers (set by the application): the call sign on the air
    // (empty when following stops), the window's "Qd3" button, and the help topic.
    std::function<void(const QString& callSign)> SendCallSign;
    std::function<void()> Qd3Clicked;
    std::function<void(int context)> ShowHelp;

    // Local time of day in seconds, read at each tick; replaceable so tests choose the moment.
    std::function<double()> SecondsOfDay;

    bool FileLoaded() const { return FLoaded; }
    const TBeaconList& Beacons() const { return FBeacons; }
    const TBeaconOverlay& Overlay() const { return FOverlay; }
    // The chosen frequency's position in the list, -1 before a start.
    int ChosenBand() const { return FBand; }
    TServerTimeSetting& TimeSetting() { return *FTimeSetting; }

    void Start(int row);
    void btnStopClick();
    // One step of the schedule at a local time of day.
    void ShowBeaconAt(double secondsOfDay);
    void Timer1Timer();
    void SpinButton1Click(bool up);
    void btnAddClick();
    void btnEditClick();
    void btnDeleteClick();
    void btnGetSetTimeClick();
    void ToggleShade();
    bool Shaded() const { return FShadedHeight > 0; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void BuildControls();
    void LoadBeaconFile();
    void LoadSettings();
    void SaveSettings();
    void LoadTimeServers();
    void SaveTimeServers() const;
    void SelectorChosen(int selector, int index);
    void ShowVfoE(bool withSettings);
    void Send(const QString& callSign) const;
    QString FileMessage() const;

    TMainForm& FMain;
    TBeaconList FBeacons;
    bool FLoaded = false;
    QString FLoadError;
    bool FClosing = false;
    int FBand = -1;
    int FShadedHeight = 0;
    TBeaconOverlay FOverlay;
    QImage FMapPicture;
    TServerTimeSetting* FTimeSetting;

    QWidget* FContents = nullptr;
    QTabWidget* FControlTabs = nullptr;
    QLineEdit* edFreq = nullptr;
    QListWidget* lbFrequencies = nullptr;
    TUpDown* SpinButton1 = nullptr;
    QComboBox* cbMode = nullptr;
    QComboBox* cbBW = nullptr;
    QComboBox* cbAnt = nullptr;
    QComboBox* cbAtten = nullptr;
    QToolButton* btnGo = nullptr;
    QToolButton* btnStop = nullptr;
    QToolButton* btnQd3 = nullptr;
    QToolButton* ToolButton1 = nullptr;
    QToolButton* ToolButton2 = nullptr;
    QCheckBox* chkSignal = nullptr;
    QListWidget* lbTimeServers = nullptr;
    QPushButton* btnGetSetTime = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnEdit = nullptr;
    QPushButton* btnDelete = nullptr;
    QTabWidget* pcData = nullptr;
    QTreeWidget* lvBeacons = nullptr;
    TMapLayer* imgMap = nullptr;
    TMapLayer* imgTransparent = nullptr;
    QTimer Timer1{this}; // a child, so it is found by its name like every control
};

// Where a program folder's first beacon file comes from: the schedule shipped beside the program
// when there is one, so it can be brought up to date without a new build, else the built-in copy.
QString BeaconFileSource();
// The beacon file for the program folder when it has none, copied from BeaconFileSource().
// False when it could not be written.
bool InstallBeaconFile(const QString& folder);
