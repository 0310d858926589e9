#include "BeaconsForm.h"

#include "AR5000.h"
#include "BeaconSchedule.h"
#include "BusyWindow.h"
#include "FormPlacement.h"
#include "HelpContext.h"
#include "IniFile.h"
#include "Main.h"
#include "MainSheet.h"
#include "ProgramFolder.h"
#include "ProgramInfo.h"
#include "Prompt.h"
#include "Selectors.h"
#include "ServerTimeSetting.h"
#include "UpDown.h"
#include "ValueTables.h"
#include "VfoPanelController.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QTabWidget>
#include <QTime>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <span>

using namespace Qt::StringLiterals;

namespace {

const QString kBeaconFileName = u"IARU_Beacons.dat"_s;
const QString kTimeServerFileName = u"TimerServers.dat"_s;
const QString kMapResource = u":/beacons/worldmap.png"_s;
const QString kBeaconResource = u":/beacons/IARU_Beacons.dat"_s;
const QString kSection = u"frmBeacons"_s;
// Where a lost schedule can be had again.
const QString kSupplier = QString::fromLatin1(kProgramWebAddress);
const QStringList kDefaultTimeServers = {u"pool.ntp.org"_s, u"time.nist.gov"_s};

// One of the window's four selectors: its name, the main window's selector it follows, the
// value table, and its settings key with the default.
struct TBeaconSelector {
    const char16_t* Name;
    TSelectorIndex MainSelector;
    std::span<const char* const> Items;
    const char16_t* Key;
    int Default;
};

constexpr TBeaconSelector kBeaconSelectors[] = {
    {u"cbMode", kSelMode, kModes, u"Mode", 4},
    {u"cbBW", kSelBandwidth, kBandwidths, u"BW", 0},
    {u"cbAnt", kSelAntenna, kAntennas, u"ANT", 0},
    {u"cbAtten", kSelAtten, kAttenuators, u"Atten", kAttenuatorAuto},
};

template <typename T> T* Named(T* widget, const QString& name, const QString& hint = {}) {
    widget->setObjectName(name);
    if (!hint.isEmpty())
        widget->setToolTip(hint);
    return widget;
}

QToolButton* ToolButton(QWidget* parent, const QString& name, const QString& text,
                        const QString& hint) {
    auto* button = Named(new QToolButton(parent), name, hint);
    button->setText(text);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

QPushButton* Button(QWidget* parent, const QString& name, const QString& text,
                    const QString& hint) {
    auto* button = Named(new QPushButton(text, parent), name, hint);
    return button;
}

} // namespace

// A picture drawn scaled to the widget with its proportions kept; the map and the layer over it
// are both drawn this way, so a pixel of the layer always lies over the same pixel of the map.
class TMapLayer : public QWidget {
public:
    TMapLayer(const QImage* image, QWidget* parent)
        : QWidget(parent)
        , FImage(image) {}

protected:
    void paintEvent(QPaintEvent*) override {
        if (FImage->isNull())
            return;
        QPainter painter(this);
        // Smoothed, so the caption stays readable when the layer is drawn smaller than the
        // picture.
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QSize fitted = FImage->size().scaled(size(), Qt::KeepAspectRatio);
        painter.drawImage(QRect(QPoint(0, 0), fitted), *FImage);
    }
    void resizeEvent(QResizeEvent*) override {
        for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            child->setGeometry(rect());
    }

private:
    const QImage* FImage;
};

TfrmBeacons::TfrmBeacons(TMainForm& main, std::unique_ptr<TClockSetter> clockSetter,
                         QWidget* parent)
    : QWidget(parent, Qt::Window)
    , SecondsOfDay([] { return QTime::currentTime().msecsSinceStartOfDay() / 1000.0; })
    , FMain(main)
    , FTimeSetting(new TServerTimeSetting(std::move(clockSetter), this)) {
    setObjectName(kSection);
    setWindowTitle(u"IARU International Beacons"_s);
    FMapPicture.load(kMapResource);
    FOverlay.Resize(FMapPicture.size());
    BuildControls();
    Timer1.setObjectName(u"Timer1"_s);
    Timer1.setInterval(kTimerMs);
    connect(&Timer1, &QTimer::timeout, this, &TfrmBeacons::Timer1Timer);
    connect(FTimeSetting, &TServerTimeSetting::Finished, this,
            [this](bool clockSet, const QString& text) {
                btnGetSetTime->setEnabled(true);
                if (clockSet)
                    Prompt().Information(windowTitle(), text);
                else
                    Prompt().Error(windowTitle(), text);
            });
    LoadBeaconFile();
    LoadSettings();
    LoadTimeServers();
    ApplyHelpContexts(this);
}

TfrmBeacons::~TfrmBeacons() = default;

void TfrmBeacons::BuildControls() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    FContents = new QWidget(this);
    outer->addWidget(FContents);
    auto* layout = new QVBoxLayout(FContents);
    layout->setContentsMargins(4, 4, 4, 4);

    auto* tools = new QHBoxLayout;
    btnGo = ToolButton(FContents, u"btnGo"_s, u"Go"_s, u"Start following the chosen frequency"_s);
    btnGo->setCheckable(true);
    btnStop = ToolButton(FContents, u"btnStop"_s, u"Stop"_s, u"Stop following"_s);
    btnQd3 = ToolButton(FContents, u"btnQd3"_s, u"Qd3"_s, u"Qd3"_s);
    btnQd3->setCheckable(true);
    ToolButton1 = ToolButton(FContents, u"ToolButton1"_s, u"Help"_s, u"Help"_s);
    ToolButton2 = ToolButton(FContents, u"ToolButton2"_s, u"Close"_s, u"Close"_s);
    for (QToolButton* button : {btnGo, btnStop, btnQd3, ToolButton1, ToolButton2})
        tools->addWidget(button);
    tools->addStretch();
    chkSignal = Named(new QCheckBox(u"Signal"_s, FContents), u"chkSignal"_s);
    tools->addWidget(chkSignal);
    layout->addLayout(tools);

    FControlTabs = Named(new QTabWidget(FContents), u"pcControls"_s);
    auto* tsRxControl = Named(new QWidget, u"tsRxControl"_s);
    auto* rx = new QGridLayout(tsRxControl);
    lbFrequencies = Named(new QListWidget(tsRxControl), u"lbFrequencies"_s, u"Dbl-click to set"_s);
    rx->addWidget(lbFrequencies, 0, 0, 4, 1);
    edFreq = Named(new QLineEdit(tsRxControl), u"edFreq"_s);
    edFreq->setReadOnly(true);
    rx->addWidget(edFreq, 0, 1, 1, 2);
    auto* nudge = Named(new QLabel(u"Nudge"_s, tsRxControl), u"Label1"_s);
    SpinButton1 = Named(new TUpDown(tsRxControl), u"SpinButton1"_s);
    SpinButton1->setFixedSize(18, 24);
    rx->addWidget(nudge, 0, 3);
    rx->addWidget(SpinButton1, 0, 4);
    for (std::size_t i = 0; i < std::size(kBeaconSelectors); ++i) {
        const TBeaconSelector& selector = kBeaconSelectors[i];
        auto* combo = Named(new QComboBox(tsRxControl), QString::fromUtf16(selector.Name));
        for (const char* item : selector.Items)
            combo->addItem(QString::fromLatin1(item));
        auto* label =
            new QLabel(QString::fromUtf16(kSelectors[selector.MainSelector].Label), tsRxControl);
        label->setBuddy(combo);
        const int row = 1 + static_cast<int>(i) / 2;
        const int column = 1 + (static_cast<int>(i) % 2) * 2;
        rx->addWidget(label, row, column);
        rx->addWidget(combo, row, column + 1);
        connect(combo, &QComboBox::activated, this,
                [this, i](int index) { SelectorChosen(static_cast<int>(i), index); });
        (i == 0 ? cbMode : i == 1 ? cbBW : i == 2 ? cbAnt : cbAtten) = combo;
    }
    rx->setColumnStretch(0, 1);
    FControlTabs->addTab(tsRxControl, u"Rx"_s);

    auto* tsSetTime = Named(new QWidget, u"tsSetTime"_s);
    auto* time = new QGridLayout(tsSetTime);
    lbTimeServers = Named(new QListWidget(tsSetTime), u"lbTimeServers"_s);
    time->addWidget(lbTimeServers, 0, 0, 4, 1);
    btnGetSetTime = Button(tsSetTime, u"btnGetSetTime"_s, u"Get/Set Time"_s,
                           u"Set the pc system time\r\nfrom an internet time server\r\nYou must "
                           "have an internet\r\nconnection for this"_s);
    btnAdd = Button(tsSetTime, u"btnAdd"_s, u"Add"_s, u"Add a time server"_s);
    btnEdit = Button(tsSetTime, u"btnEdit"_s, u"Edit"_s, u"Edit a time server URL"_s);
    btnDelete =
        Button(tsSetTime, u"btnDelete"_s, u"Del"_s, u"Delete a time server from the list"_s);
    time->addWidget(btnGetSetTime, 0, 1);
    time->addWidget(btnAdd, 1, 1);
    time->addWidget(btnEdit, 2, 1);
    time->addWidget(btnDelete, 3, 1);
    FControlTabs->addTab(tsSetTime, u"Set Time"_s);
    FControlTabs->setMaximumHeight(150);
    layout->addWidget(FControlTabs);

    pcData = Named(new QTabWidget(FContents), u"pcData"_s);
    auto* tsList = Named(new QWidget, u"tsList"_s);
    auto* list = new QVBoxLayout(tsList);
    list->setContentsMargins(0, 0, 0, 0);
    lvBeacons = Named(new QTreeWidget(tsList), u"lvBeacons"_s);
    lvBeacons->setRootIsDecorated(false);
    lvBeacons->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvBeacons->setSelectionMode(QAbstractItemView::SingleSelection);
    lvBeacons->setAllColumnsShowFocus(true);
    list->addWidget(lvBeacons);
    pcData->addTab(tsList, u"List"_s);
    auto* tsMap = Named(new QWidget, u"tsMap"_s);
    auto* map = new QVBoxLayout(tsMap);
    map->setContentsMargins(0, 0, 0, 0);
    imgMap = Named(new TMapLayer(&FMapPicture, tsMap), u"imgMap"_s);
    imgTransparent = Named(new TMapLayer(&FOverlay.Image(), imgMap), u"imgTransparent"_s);
    imgTransparent->setAttribute(Qt::WA_TransparentForMouseEvents);
    map->addWidget(imgMap);
    pcData->addTab(tsMap, u"Map"_s);
    layout->addWidget(pcData, 1);

    connect(lbFrequencies, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { Start(lbFrequencies->row(item)); });
    connect(btnGo, &QToolButton::clicked, this, [this] {
        const int row = lbFrequencies->currentRow();
        if (row >= 0)
            Start(row);
        else
            btnGo->setChecked(FBand >= 0 && Timer1.isActive());
    });
    connect(btnStop, &QToolButton::clicked, this, &TfrmBeacons::btnStopClick);
    connect(ToolButton2, &QToolButton::clicked, this, [this] {
        Timer1.stop();
        close();
    });
    connect(ToolButton1, &QToolButton::clicked, this, [this] {
        if (ShowHelp)
            ShowHelp(kHelpContext);
    });
    connect(btnQd3, &QToolButton::clicked, this, [this] {
        if (Qd3Clicked)
            Qd3Clicked();
    });
    connect(SpinButton1, &TUpDown::ArrowClicked, this, &TfrmBeacons::SpinButton1Click);
    if (auto* signal = FMain.findChild<QCheckBox*>(u"TimerCheckBox"_s)) {
        chkSignal->setChecked(signal->isChecked());
        chkSignal->setEnabled(signal->isEnabled());
        connect(chkSignal, &QCheckBox::clicked, signal, [signal](bool on) {
            if (signal->isEnabled())
                signal->setChecked(on);
        });
        connect(signal, &QCheckBox::toggled, chkSignal, &QCheckBox::setChecked);
    }
    connect(btnGetSetTime, &QPushButton::clicked, this, &TfrmBeacons::btnGetSetTimeClick);
    connect(btnAdd, &QPushButton::clicked, this, &TfrmBeacons::btnAddClick);
    connect(btnEdit, &QPushButton::clicked, this, &TfrmBeacons::btnEditClick);
    connect(btnDelete, &QPushButton::clicked, this, &TfrmBeacons::btnDeleteClick);
}

QString TfrmBeacons::FileMessage() const {
    if (!QFileInfo::exists(ProgramFile(kBeaconFileName)))
        return u"The file \"%1\" is missing.\r\nPlease contact %2 for a new one."_s.arg(
            kBeaconFileName, kSupplier);
    return u"The file \"%1\" could not be read:\r\n%2\r\nPlease contact %3 for a new one."_s.arg(
        kBeaconFileName, FLoadError, kSupplier);
}

void TfrmBeacons::LoadBeaconFile() {
    TBeaconFileResult read = ReadBeaconFile(ProgramFile(kBeaconFileName));
    if (!read.List) {
        FLoadError = read.Error;
        return;
    }
    FBeacons = std::move(*read.List);
    FLoaded = true;
    lbFrequencies->addItems(FBeacons.Frequencies);
    QStringList headers{u"CallSign"_s};
    headers += FBeacons.DetailNames;
    lvBeacons->setHeaderLabels(headers);
    for (const TBeacon& beacon : FBeacons.Beacons) {
        QStringList columns{beacon.CallSign};
        columns += beacon.Details;
        new QTreeWidgetItem(lvBeacons, columns);
    }
    const int extra = QFontMetrics(lvBeacons->font()).horizontalAdvance(u"AAA"_s);
    for (int column = 0; column < lvBeacons->columnCount(); ++column) {
        lvBeacons->resizeColumnToContents(column);
        lvBeacons->setColumnWidth(column, lvBeacons->columnWidth(column) + extra);
    }
}

void TfrmBeacons::LoadSettings() {
    const TIniFile ini(SettingsFileName());
    RestoreFormPlacement(this, kDefaultLeft, kDefaultTop, ini, kDefaultHeight, kDefaultWidth);
    for (const TBeaconSelector& selector : kBeaconSelectors) {
        auto* combo = findChild<QComboBox*>(QString::fromUtf16(selector.Name));
        const int index =
            ini.ReadInteger(kSection, QString::fromUtf16(selector.Key), selector.Default);
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : selector.Default);
    }
}

void TfrmBeacons::SaveSettings() {
    TIniFile ini(SettingsFileName());
    SaveFormPlacement(this, ini);
    for (const TBeaconSelector& selector : kBeaconSelectors) {
        const auto* combo = findChild<QComboBox*>(QString::fromUtf16(selector.Name));
        ini.WriteInteger(kSection, QString::fromUtf16(selector.Key), combo->currentIndex());
    }
}

void TfrmBeacons::LoadTimeServers() {
    QFile file(ProgramFile(kTimeServerFileName));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        lbTimeServers->addItems(kDefaultTimeServers);
        return;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QString server = QString::fromUtf8(line).trimmed();
        if (!server.isEmpty())
            lbTimeServers->addItem(server);
    }
}

void TfrmBeacons::SaveTimeServers() const {
    if (lbTimeServers->count() == 0)
        return;
    QString text;
    for (int i = 0; i < lbTimeServers->count(); ++i)
        text += lbTimeServers->item(i)->text() + u"\r\n"_s;
    QSaveFile file(ProgramFile(kTimeServerFileName));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
        FMain.ReportMessage(u"Cannot write %1: %2"_s.arg(file.fileName(), file.errorString()));
}

void TfrmBeacons::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The application fills these in from the companion link and the help file.
    btnQd3->setEnabled(static_cast<bool>(Qd3Clicked));
    if (const auto* mainQd3 = FMain.findChild<QAbstractButton*>(u"btnQd3"_s))
        btnQd3->setChecked(mainQd3->isChecked());
    ToolButton1->setEnabled(static_cast<bool>(ShowHelp));
    if (FLoaded || FClosing)
        return;
    // The window cannot do anything without its schedule: it goes as soon as it is shown.
    FClosing = true;
    Prompt().Error(windowTitle(), FileMessage());
    QTimer::singleShot(0, this, &QWidget::close);
}

void TfrmBeacons::Send(const QString& callSign) const {
    if (SendCallSign)
        SendCallSign(callSign);
}

void TfrmBeacons::ShowVfoE(bool withSettings) {
    TVfoPanelController* panel = FMain.MainSheet()->VfoPanel();
    TAR5000& driver = *FMain.Driver();
    {
        const TVfoDataUnhooked unhooked(*panel);
        TRxDat rec;
        if (driver.GetRx(rec) && rec.Vfo == kRxCodeFirstVfo + (u'E' - u'A')) {
            // After a start the main window's selectors must show the mode, bandwidth, antenna,
            // attenuator and 1 Hz step just sent; a nudge changes the frequency only.
            if (withSettings && driver.GetExtraVfoData(rec))
                panel->ShowRxDat(rec);
            panel->Box(u'E')->setText(panel->FormatFrequency(rec.Freq));
        }
    }
    edFreq->setText(panel->Box(u'E')->text());
}

void TfrmBeacons::Start(int row) {
    if (row < 0 || row >= FBeacons.Frequencies.size())
        return;
    TAR5000* driver = FMain.Driver();
    TVfoPanelController* panel = FMain.MainSheet()->VfoPanel();
    {
        const auto busy = BusyWindow(*this);
        btnGo->setChecked(true);
        lbFrequencies->setCurrentRow(row);
        const double mhz = driver->StrToFloatSafe(FBeacons.Frequencies[row]);
        {
            // Several commands in a row: a VFO report arriving between them must not redraw
            // the panel half-way.
            const TVfoDataUnhooked unhooked(*panel);
            driver->SetFrequency(u'E', mhz);
            driver->SetMode(cbMode->currentIndex());
            driver->SetBandwidth(cbBW->currentIndex());
            driver->SetAntenna(cbAnt->currentIndex());
            driver->SetAttenuator(cbAtten->currentIndex());
            driver->SetStep(0.001);
        }
        panel->MakeCurrent(u'E');
        ShowVfoE(true);
        FBand = row;
    }
    Timer1Timer();
    Timer1.start();
}

void TfrmBeacons::btnStopClick() {
    Timer1.stop();
    btnGo->setChecked(false);
    Send({});
}

void TfrmBeacons::Timer1Timer() {
    ShowBeaconAt(SecondsOfDay());
}

void TfrmBeacons::ShowBeaconAt(double secondsOfDay) {
    if (FBand < 0)
        return;
    const int index = BeaconOnAir(FBeacons.Beacons, FBand, CycleSecond(secondsOfDay));
    if (index < 0)
        return;
    const TBeacon& beacon = FBeacons.Beacons[index];
    if (pcData->currentWidget()->objectName() == u"tsList"_s) {
        QTreeWidgetItem* item = lvBeacons->topLevelItem(index);
        if (lvBeacons->currentItem() == item && item->isSelected())
            return;
        lvBeacons->setCurrentItem(item);
        lvBeacons->scrollToItem(item);
        Send(beacon.CallSign);
        return;
    }
    if (FOverlay.MarkedAt(beacon.Position))
        return;
    Send(beacon.CallSign);
    const QString first = beacon.Details.value(0);
    FOverlay.Mark(beacon.Position,
                  first.isEmpty() ? beacon.CallSign : beacon.CallSign + u' ' + first);
    imgTransparent->update();
}

void TfrmBeacons::SpinButton1Click(bool up) {
    TAR5000* driver = FMain.Driver();
    up ? driver->StepUp() : driver->StepDown();
    ShowVfoE(false);
}

void TfrmBeacons::SelectorChosen(int selector, int index) {
    // The main window's own selector sends the setting and shows it, as if the user had chosen
    // there.
    const TBeaconSelector& ours = kBeaconSelectors[selector];
    auto* theirs =
        FMain.findChild<QComboBox*>(QString::fromUtf16(kSelectors[ours.MainSelector].Name));
    if (!theirs)
        return;
    theirs->setCurrentIndex(index);
    Q_EMIT theirs->activated(index);
}

void TfrmBeacons::btnAddClick() {
    const auto server =
        Prompt().AskText(u"Add Time Server"_s, u"Specify the Time Server URL"_s, {});
    if (server && !server->trimmed().isEmpty())
        lbTimeServers->addItem(server->trimmed());
}

void TfrmBeacons::btnEditClick() {
    QListWidgetItem* item = lbTimeServers->currentItem();
    if (!item)
        return;
    const auto server =
        Prompt().AskText(u"Time Server"_s, u"Edit the Time Server URL"_s, item->text());
    if (server && !server->trimmed().isEmpty())
        item->setText(server->trimmed());
}

void TfrmBeacons::btnDeleteClick() {
    QListWidgetItem* item = lbTimeServers->currentItem();
    if (!item)
        return;
    if (Prompt().Confirm(windowTitle(), u"Delete time server "_s + item->text()))
        delete item;
}

void TfrmBeacons::btnGetSetTimeClick() {
    QListWidgetItem* item = lbTimeServers->currentItem();
    if (!item) {
        Prompt().Information(windowTitle(), u"Please select a time server"_s);
        return;
    }
    btnGetSetTime->setEnabled(false);
    FTimeSetting->Run(item->text());
}

void TfrmBeacons::ToggleShade() {
    if (!Shaded()) {
        FShadedHeight = height();
        FContents->hide();
        setMinimumHeight(0);
        resize(width(), 0);
        return;
    }
    const int height = FShadedHeight > 10 ? FShadedHeight : kUnshadedHeight;
    FShadedHeight = 0;
    FContents->show();
    resize(width(), height);
}

bool TfrmBeacons::event(QEvent* event) {
    // Only where the platform hands the title bar's clicks to the program.
    if (event->type() == QEvent::NonClientAreaMouseButtonDblClick) {
        ToggleShade();
        return true;
    }
    return QWidget::event(event);
}

void TfrmBeacons::closeEvent(QCloseEvent* event) {
    Timer1.stop();
    Send({});
    SaveTimeServers();
    if (Shaded())
        ToggleShade();
    if (FLoaded)
        SaveSettings();
    event->accept();
}

QString BeaconFileSource() {
    const QString shipped = ShippedDataFile(kBeaconFileName);
    return shipped.isEmpty() ? kBeaconResource : shipped;
}

bool InstallBeaconFile(const QString& folder) {
    const QString target = folder + u'/' + kBeaconFileName;
    if (QFileInfo::exists(target))
        return true;
    if (!QFile::copy(BeaconFileSource(), target))
        return false;
    // Copies keep the source's permissions, read-only for a resource or a system-wide file; the
    // user may want to edit the schedule.
    return QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ReadGroup | QFileDevice::ReadOther);
}
