#include "SignalPanel.h"

#include "Hints.h"
#include "Levels.h"
#include "Settings.h"
#include "SignalDisplay.h"
#include "components/Meter.h"

#include <QAction>
#include <QFrame>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

using namespace Qt::StringLiterals;

namespace {

// Windows colour values are BGR; these are the RGB equivalents.
constexpr QRgb kGrey = 0x808080;
constexpr QRgb kLime = 0x00ff00;
constexpr QRgb kDarkRed = 0x800000;
constexpr QRgb kNeedleRed = 0xff0000;

constexpr int kPanel6Y = 4;
constexpr QSize kPanel6Size{155, 63};
constexpr int kPanel6Border = 2;
constexpr QSize kImageSize{151, 59};
constexpr QRect kScaleGeometry{161, kPanel6Y + kPanel6Border, 22, 61};

// The scale's labels stand 7 pixels apart with three digits in 13 pixels, smaller than any
// outline font stays legible at: they are drawn from a 3 x 5 pixel digit font, one row of
// three bits (leftmost first) per line, below one blank row as a font's leading would leave.
constexpr std::array<std::array<std::uint8_t, 5>, 10> kScaleDigits = {{
    {0b111, 0b101, 0b101, 0b101, 0b111},
    {0b010, 0b110, 0b010, 0b010, 0b111},
    {0b111, 0b001, 0b111, 0b100, 0b111},
    {0b111, 0b001, 0b011, 0b001, 0b111},
    {0b101, 0b101, 0b111, 0b001, 0b001},
    {0b111, 0b100, 0b111, 0b001, 0b111},
    {0b111, 0b100, 0b111, 0b101, 0b111},
    {0b111, 0b001, 0b010, 0b010, 0b010},
    {0b111, 0b101, 0b111, 0b101, 0b111},
    {0b111, 0b101, 0b111, 0b001, 0b111},
}};
constexpr int kScaleDigitWidth = 3;
constexpr int kScaleDigitPitch = 4;
constexpr int kScaleDigitLeading = 1;

constexpr int kLevelTop = 255;
constexpr int kBarCount = 4; // the newest reading stands as a bar this wide at the right edge

// Grey lines at these rows of the graph, near the scale's labels.
constexpr std::array<int, 10> kGraticuleRows = {3, 6, 10, 14, 18, 22, 28, 34, 43, 53};

constexpr double kLowBandTopMHz = 30.0;
constexpr double kAttenuatorCorrectionTopMHz = 230.0;
constexpr int kAttenuatorCorrectionDb = 10;

constexpr std::array<TScaleLabel, 13> kRow0 = {{
    {"20", 13, 0, false},
    {"40", 13, 7, false},
    {"60", 13, 15, false},
    {"80", 13, 25, false},
    {"90", 13, 32, false},
    {"100", 9, 40, false},
    {"110", 9, 50, false},
    {"10", 1, 0, true},
    {"30", 1, 7, true},
    {"50", 1, 15, true},
    {"70", 1, 25, true},
    {"80", 1, 32, true},
    {"90", 1, 40, true},
}};
constexpr std::array<TScaleLabel, 13> kRow10 = {{
    {"10", 13, 0, false},
    {"30", 13, 7, false},
    {"50", 13, 15, false},
    {"70", 13, 25, false},
    {"80", 13, 32, false},
    {"90", 13, 40, false},
    {"100", 9, 50, false},
    {"0", 1, 0, true},
    {"20", 1, 7, true},
    {"40", 1, 15, true},
    {"60", 1, 25, true},
    {"70", 1, 32, true},
    {"80", 1, 40, true},
}};
constexpr std::array<TScaleLabel, 12> kRow20 = {{
    {"00", 13, 0, false},
    {"20", 13, 7, false},
    {"40", 13, 15, false},
    {"60", 13, 25, false},
    {"70", 13, 32, false},
    {"80", 13, 40, false},
    {"90", 13, 50, false},
    {"10", 1, 7, true},
    {"30", 1, 15, true},
    {"50", 1, 25, true},
    {"60", 1, 32, true},
    {"70", 1, 40, true},
}};
constexpr std::array<TScaleLabel, 6> kRow30 = {{
    {"10", 13, 7, false},
    {"30", 13, 15, false},
    {"50", 13, 25, false},
    {"60", 13, 32, false},
    {"70", 13, 40, false},
    {"80", 13, 50, false},
}};

struct TScaleRow {
    int RowDb;
    std::span<const TScaleLabel> Labels;
};
constexpr std::array<TScaleRow, 4> kScaleRows = {{
    {0, kRow0},
    {10, kRow10},
    {20, kRow20},
    {30, kRow30},
}};

// The meter face: a dark dial with S-unit ticks where the needle stands for each S unit at
// VHF, white up to S9 and red above.
QPixmap BuildMeterFace(QSize size, int controlHeight) {
    QPixmap face(size);
    QPainter painter(&face);
    QLinearGradient shade(0, 0, 0, size.height());
    shade.setColorAt(0.0, QColor(0x30, 0x30, 0x30));
    shade.setColorAt(1.0, QColor(0x08, 0x08, 0x08));
    painter.fillRect(face.rect(), shade);
    painter.setRenderHint(QPainter::Antialiasing);

    const QPointF pivot(size.width() / 2, size.height() - 1);
    const double needle = controlHeight * 4 / 6;
    constexpr double kFaceMhz = 145.0;
    constexpr int kMeterMin = 1;
    constexpr int kMeterMax = 255;
    constexpr int kS9AboveShortWaveDbm = -93;
    const auto direction = [](double percent) {
        const double angle = percent / 100.0 * std::numbers::pi * 0.92 + std::numbers::pi / 8.0;
        return QPointF(-std::cos(angle), -std::sin(angle));
    };
    const auto levelForDbm = [&](int dbm) {
        int level = 0;
        while (level < kLevelTop && LevelToDbm(level, kFaceMhz) < dbm)
            ++level;
        return level;
    };

    struct TMark {
        int Dbm;
        const char* Label;
    };
    // Above +20 the scale is compressed: labels there would run into each other.
    static constexpr std::array<TMark, 12> kMarks = {{{-111, ""},
                                                      {-105, "7"},
                                                      {-99, ""},
                                                      {-93, "9"},
                                                      {-83, ""},
                                                      {-73, "+20"},
                                                      {-63, ""},
                                                      {-53, ""},
                                                      {-43, ""},
                                                      {-33, "+60"},
                                                      {-23, ""},
                                                      {-13, ""}}};
    QFont labelFont = painter.font();
    labelFont.setPixelSize(8);
    painter.setFont(labelFont);
    QPainterPath arc;
    for (int percent = 0; percent <= 100; ++percent) {
        const QPointF point = pivot + direction(percent) * (needle + 2);
        if (percent == 0)
            arc.moveTo(point);
        else
            arc.lineTo(point);
    }
    painter.setPen(QPen(QColor(0xa0, 0xa0, 0xa0), 1));
    painter.drawPath(arc);
    for (const TMark& mark : kMarks) {
        const int position = std::clamp(MeterPosition(levelForDbm(mark.Dbm)), kMeterMin, kMeterMax);
        const double percent = (position - kMeterMin) * 100.0 / (kMeterMax - kMeterMin);
        const QPointF way = direction(percent);
        const bool overS9 = mark.Dbm > kS9AboveShortWaveDbm;
        const QColor colour = overS9 ? QColor(0xff, 0x50, 0x50) : QColor(0xf0, 0xf0, 0xf0);
        const bool labelled = *mark.Label != 0;
        painter.setPen(QPen(colour, labelled ? 1.5 : 1.0));
        painter.drawLine(pivot + way * (needle + 2), pivot + way * (needle + (labelled ? 7 : 5)));
        if (!labelled)
            continue;
        const QPointF centre = pivot + way * (needle + 13);
        const QRectF box(centre.x() - 12, centre.y() - 5, 24, 10);
        painter.drawText(box, Qt::AlignCenter, QString::fromLatin1(mark.Label));
    }
    painter.setPen(QColor(0xf0, 0xf0, 0xf0));
    painter.drawText(QRectF(2, size.height() - 12, 12, 11), Qt::AlignLeft | Qt::AlignBottom,
                     u"S"_s);
    return face;
}

} // namespace

int ScaleRowDb(int attenuationDb, double mhz) {
    if (attenuationDb > 0 && mhz > kLowBandTopMHz && mhz < kAttenuatorCorrectionTopMHz)
        return attenuationDb + kAttenuatorCorrectionDb;
    return attenuationDb;
}

std::span<const TScaleLabel> ScaleLabels(int rowDb) {
    const auto row = std::find_if(kScaleRows.begin(), kScaleRows.end(),
                                  [rowDb](const TScaleRow& r) { return r.RowDb == rowDb; });
    return row == kScaleRows.end() ? std::span<const TScaleLabel>{} : row->Labels;
}

// ---------------------------------------------------------------------------------------------

TScalePaintBox::TScalePaintBox(QWidget* parent)
    : QWidget(parent) {
    setObjectName(u"ScalePaintBox"_s);
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetHint(this, u"-dBm Red < 30MHz < Black|"_s);
}

void TScalePaintBox::SetBand(int attenuationDb, double mhz) {
    const int row = ScaleRowDb(attenuationDb, mhz);
    if (row == FRowDb)
        return;
    FRowDb = row;
    update();
}

void TScalePaintBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(kGrey));
    for (const TScaleLabel& label : ScaleLabels(FRowDb)) {
        const QColor colour = label.LowBand ? QColor(kDarkRed) : QColor(Qt::black);
        int left = label.X;
        for (const char* digit = label.Text; *digit != 0; ++digit, left += kScaleDigitPitch) {
            const auto& rows = kScaleDigits[static_cast<std::size_t>(*digit - '0')];
            for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
                for (int column = 0; column < kScaleDigitWidth; ++column) {
                    const int bit = kScaleDigitWidth - 1 - column;
                    if ((rows[static_cast<std::size_t>(row)] >> bit) & 1)
                        painter.fillRect(left + column, label.Y + kScaleDigitLeading + row, 1, 1,
                                         colour);
                }
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------

TSignalImage::TSignalImage(QWidget* parent)
    : QWidget(parent)
    , FPicture(kImageSize, QImage::Format_RGB32) {
    setObjectName(u"Image1"_s);
    setAttribute(Qt::WA_OpaquePaintEvent);
    FPicture.fill(Qt::black);
}

void TSignalImage::paintEvent(QPaintEvent*) {
    QPainter(this).drawImage(0, 0, FPicture);
}

// ---------------------------------------------------------------------------------------------

TSignalPanel::TSignalPanel(QWidget* parent)
    : QWidget(parent)
    , FPanel6(new QFrame(this))
    , FImage1(new TSignalImage(FPanel6))
    , FNewMeter(new TMeter(FPanel6))
    , FPopupMenuGraticules(new QMenu(this))
    , FImageFont(u"Arial"_s, 8) {
    setObjectName(u"Panel5"_s);
    setFixedSize(kWidth, kHeight);

    FPanel6->setObjectName(u"Panel6"_s);
    FPanel6->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    FPanel6->setLineWidth(kPanel6Border);
    FPanel6->setGeometry(QRect({kPanel6AloneX, kPanel6Y}, kPanel6Size));
    FPanel6->setAutoFillBackground(true);
    QPalette black = FPanel6->palette();
    black.setColor(QPalette::Window, Qt::black);
    FPanel6->setPalette(black);

    FImage1->setGeometry(QRect({kPanel6Border, kPanel6Border}, kImageSize));
    SetHint(FImage1, u"Rt click options. [Ctrl-Shift-M] Meter"_s);

    FNewMeter->setObjectName(u"NewMeter"_s);
    FNewMeter->setGeometry(FImage1->geometry());
    SetHint(FNewMeter, u"[Ctrl-Shift-M] toggle meter"_s);
    FNewMeter->SetKind(TMeter::TKind::Needle);
    FNewMeter->SetShowText(false);
    FNewMeter->SetForeColor(QColor(kNeedleRed));
    FNewMeter->SetBackColor(Qt::black);
    FNewMeter->SetMaxValue(255);
    FNewMeter->SetMinValue(1);
    FNewMeter->SetProgress(1);
    FNewMeter->SetBackImage(BuildMeterFace(kImageSize, kImageSize.height()));
    FNewMeter->hide();

    // Created after Panel6 so that it lies on top where the two meet.
    FScalePaintBox = new TScalePaintBox(this);
    FScalePaintBox->setGeometry(kScaleGeometry);
    FScalePaintBox->hide();

    FPopupMenuGraticules->setObjectName(u"PopupMenuGraticules"_s);
    FGraticules1 = AddMenuItem(u"Graticules1"_s, u"Graticules"_s, true);
    FSignalData = AddMenuItem(u"SignalData"_s, u"Data"_s, false);
    FUseMeter = AddMenuItem(u"UseMeter"_s, u"Meter"_s, false);
    FAvgMeter1 = AddMenuItem(u"AvgMeter1"_s, u"Avg Meter"_s, true);
    FMainRecordtoWav1 = AddMenuItem(u"MainRecordtoWav1"_s, u"Record to Wav"_s, false);
    // Recording the main page's audio comes with the audio recorder.
    FMainRecordtoWav1->setEnabled(false);
    // The key itself belongs to the Main page's key map, which has its own rules for it; here it
    // is only named in the menu.
    FUseMeter->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
    FUseMeter->setShortcutContext(Qt::WidgetShortcut);

    for (QWidget* source : {static_cast<QWidget*>(FImage1), static_cast<QWidget*>(FNewMeter)}) {
        source->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(source, &QWidget::customContextMenuRequested, this,
                [this, source](const QPoint& pos) { PopUpAt(source, pos); });
    }

    ResetGraphPoints();
    ShowLogo();
}

QAction* TSignalPanel::AddMenuItem(const QString& name, const QString& caption, bool checked) {
    QAction* action = FPopupMenuGraticules->addAction(caption);
    action->setObjectName(name);
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}

void TSignalPanel::PopUpAt(QWidget* source, const QPoint& pos) {
    FPopupMenuGraticules->popup(source->mapToGlobal(pos));
}

void TSignalPanel::LoadCheckMarks(const TSettings& settings) {
    FGraticules1->setChecked(settings.Graticules);
    FSignalData->setChecked(settings.SignalGraphData);
    FAvgMeter1->setChecked(settings.AvgMeter);
}

void TSignalPanel::SaveCheckMarks(TSettings& settings) const {
    settings.Graticules = FGraticules1->isChecked();
    settings.SignalGraphData = FSignalData->isChecked();
    settings.AvgMeter = FAvgMeter1->isChecked();
}

void TSignalPanel::ResetGraphPoints() {
    const int bottom = FImage1->Picture().height();
    for (int k = 0; k < kGraphPointCount; ++k)
        FPointY[static_cast<std::size_t>(k)] = bottom;
}

int TSignalPanel::LevelY(int level, int imageHeight) {
    return imageHeight - ((imageHeight - 1) * level / kLevelTop) - 1;
}

QString TSignalPanel::GraphDataText(int level, double currentMhz) {
    constexpr int kBelowMeasurable = 3;
    const QString text = LevelText(level, 0.0, currentMhz);
    return level < kBelowMeasurable ? u"< "_s + text : text;
}

void TSignalPanel::DrawSignalGraph(int level, double currentMhz) {
    QImage& picture = FImage1->Picture();
    const int width = picture.width();
    const int height = picture.height();
    const int scrolled = width - kBarCount;
    std::copy(FPointY.begin() + 1, FPointY.begin() + scrolled + 1, FPointY.begin());
    const int y = LevelY(level, height);
    std::fill(FPointY.begin() + scrolled, FPointY.begin() + width, y);

    std::array<QPoint, kGraphPointCount> points;
    for (int k = 0; k < kGraphPointCount; ++k)
        points[static_cast<std::size_t>(k)] = {k + 1, FPointY[static_cast<std::size_t>(k)]};

    QPainter painter(&picture);
    painter.fillRect(picture.rect(), Qt::black);
    if (FGraticules1->isChecked()) {
        painter.setPen(QColor(kGrey));
        for (const int row : kGraticuleRows)
            painter.drawLine(0, row, width - 1, row);
    }
    painter.setPen(QColor(kLime));
    painter.drawPolyline(points.data(), kGraphPointCount);
    for (int x = width - kBarCount + 1; x <= width; ++x)
        painter.drawLine(x, height, x, y);
    if (FSignalData->isChecked()) {
        painter.setFont(FImageFont);
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.setBackground(Qt::black);
        painter.drawText(QRect(1, 1, width - 1, height - 1), Qt::AlignLeft | Qt::AlignTop,
                         GraphDataText(level, currentMhz));
    }
    painter.end();
    FImage1->update();
}

void TSignalPanel::ClearImage() {
    FImage1->Picture().fill(Qt::black);
    FImage1->update();
}

void TSignalPanel::ShowLogo() {
    QImage& picture = FImage1->Picture();
    QPainter painter(&picture);
    QLinearGradient shade(0, 0, 0, picture.height());
    shade.setColorAt(0.0, QColor(0x00, 0x28, 0x00));
    shade.setColorAt(1.0, Qt::black);
    painter.fillRect(picture.rect(), shade);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont title(u"Arial"_s);
    title.setPixelSize(24);
    title.setBold(true);
    title.setItalic(true);
    painter.setFont(title);
    painter.setPen(QColor(kLime));
    painter.drawText(QRect(0, 4, picture.width(), 34), Qt::AlignCenter, u"Kovela"_s);
    QFont caption(u"Arial"_s);
    caption.setPixelSize(10);
    painter.setFont(caption);
    painter.setPen(QColor(0x90, 0xc0, 0x90));
    painter.drawText(QRect(0, 38, picture.width(), 16), Qt::AlignCenter, u"AR5000 control"_s);
    painter.end();
    FImage1->update();
}

void TSignalPanel::SetScaleShown(bool shown) {
    FScalePaintBox->setVisible(shown);
}

void TSignalPanel::SetMeterShown(bool shown) {
    FNewMeter->setVisible(shown);
}

void TSignalPanel::MovePanel6(int x) {
    FPanel6->move(x, kPanel6Y);
}
