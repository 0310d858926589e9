#pragma once

#include <QObject>

#include <string_view>

class QObject;
class QWidget;

// Which topic of the user guide belongs to which window and control. A control's topic is found
// by its own objectName inside its window's; a name ending in '*' stands for every name that
// begins with the rest (one entry for the five VFO boxes). An empty control is the window itself:
// the topic of every control that has none of its own. A few entries are not windows but
// questions asked through the prompt, named here so that they have their topic too.
struct THelpTopic {
    std::u16string_view Window;
    std::u16string_view Control;
    int Context;
};

inline constexpr THelpTopic kHelpTopics[] = {
    // Main window, its pages and the Main page's controls.
    {u"MainForm", u"", 1204},
    {u"MainForm", u"EditVco*", 1201},
    {u"MainForm", u"Panel1", 1202},
    {u"MainForm", u"Panel5", 1203},
    {u"MainForm", u"SpinButton2", 1205},
    {u"MainForm", u"MemSheet", 1206},
    {u"MainForm", u"FSearchSheet", 1207},
    {u"MainForm", u"PrioritySheet", 1208},
    {u"MainForm", u"SquelchEdit*", 1209},
    {u"MainForm", u"SquelchUpDown*", 1209},
    {u"MainForm", u"SquelchLabel", 1209},
    {u"MainForm", u"EnterEdit1", 1210},
    {u"MainForm", u"StOffsetBox", 1210},
    {u"MainForm", u"OpenPortButton", 1211},
    {u"MainForm", u"ToggleRemoteSpeedButton", 1211},
    {u"MainForm", u"PowerOffButton", 1211},
    {u"MainForm", u"VolumeControlTrackBar", 1214},
    {u"MainForm", u"VolTypeSelectCheckBox", 1214},
    {u"MainForm", u"VolumeIndicatorLabel", 1214},
    {u"SquelchForm", u"", 1209},
    {u"PassForm", u"", 1215},
    {u"SetUpVfoSearchForm", u"", 1216},
    {u"ScanStopConfirm", u"", 1212},
    {u"ClearPassConfirm", u"", 1213},
    // Comms dialog, comms monitor and messages.
    {u"BaudRateForm", u"", 1010},
    {u"BaudRateForm", u"SpeedButton1", 1008},
    {u"BaudRateForm", u"SpeedButton2", 1009},
    {u"CommsForm", u"", 1011},
    {u"ErrorInfoMessageForm", u"", 1012},
    // Memory window and its dialogs.
    {u"MemForm", u"", 1301},
    {u"RebuildIndexes", u"", 1302},
    {u"MoveForm", u"", 1303},
    {u"MoveConfirmForm", u"", 1303},
    {u"ConfirmUploadForm", u"", 1304},
    {u"UploadQueryForm", u"", 1304},
    {u"ConfirmAddMemForm", u"", 2701},
    {u"frmReportPrintSettings", u"", 5001},
    {u"frmPreview", u"", 5001},
    {u"SqlDirectForm", u"", 1401},
    {u"SqlLogForm", u"", 1401},
    // Activity log.
    {u"FormLog", u"", 1501},
    {u"FormValuesList", u"", 1502},
    {u"FormSelectCategoryText", u"", 1502},
    {u"MemoPopupForm", u"", 1503},
    // Spectrum, monitoring tools, recording.
    {u"SpecAnalyserForm", u"", 1601},
    {u"SetupRecordingForm", u"", 3001},
    {u"SetupRecordingForm", u"CheckBoxWavFiles16Bit", 1007},
    {u"SetupRecordingForm", u"cbSearchScanWavFilesByFreq", 1007},
    {u"frmBeacons", u"", 4001},
    {u"FormSignalMonitor", u"", 4002},
    {u"GetDtmfForm", u"", 4003},
    {u"FormClock", u"", 4004},
    {u"ColorForm", u"", 2601},
};

// The topic of `control` in `window` (the window's own when the control has none); 0 when the
// window has none either.
constexpr int HelpContextFor(std::u16string_view window, std::u16string_view control = {}) {
    int windowContext = 0;
    for (const THelpTopic& topic : kHelpTopics) {
        if (topic.Window != window)
            continue;
        if (topic.Control.empty()) {
            windowContext = topic.Context;
            continue;
        }
        if (control.empty())
            continue;
        const bool family = topic.Control.back() == u'*';
        const std::u16string_view stem =
            family ? topic.Control.substr(0, topic.Control.size() - 1) : topic.Control;
        if (family ? control.starts_with(stem) : control == stem)
            return topic.Context;
    }
    return windowContext;
}

// The dynamic property that carries a widget's topic.
inline constexpr char kHelpContextProperty[] = "helpContext";

// `target` is a widget or a menu item.
void SetHelpContext(QObject* target, int context);
// The topic of `widget`, else of its nearest ancestor that has one; 0 when none has. In an open
// menu, the highlighted item's topic comes first.
int HelpContextOf(const QWidget* widget);
// Gives `window` and its controls the topics the table lists for the window's objectName.
void ApplyHelpContexts(QWidget* window);
// Opens the guide at the topic of `widget` (see HelpContextOf), or at its start when none.
void ShowHelpFor(const QWidget* widget);

// F1 anywhere in the program opens the guide at the topic of the control that has the focus.
class THelpKey : public QObject {
    Q_OBJECT

public:
    // Installs itself on the application.
    explicit THelpKey(QObject* parent = nullptr);
    ~THelpKey() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
