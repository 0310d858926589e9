#include "TuningScaleForm.h"

#include "AR5000.h"
#include "Main.h"
#include "MainSheet.h"
#include "Prompt.h"
#include "ScalePicture.h"
#include "VfoPanelController.h"

#include <QCheckBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

using namespace Qt::StringLiterals;

namespace {

constexpr int kClientWidth = 522;
constexpr int kClientHeight = 153;
constexpr int kStripWidth = 500;
constexpr int kStripHeight = 61;
constexpr int kPanelMargin = 11;
constexpr int kPanelGap = 8;
const QColor kDetachedGrey{0x80, 0x80, 0x80};

QFont StripFont(const char16_t* family, int points) {
    QFont font(QString::fromUtf16(family));
    font.setPointSize(points);
    return font;
}

} // namespace

TScaleImage::TScaleImage(const QString& name, QWidget* parent)
    : QWidget(parent)
    , FPicture(kStripWidth, kStripHeight, QImage::Format_RGB32) {
    setObjectName(name);
    setFixedSize(kStripWidth, kStripHeight);
    setToolTip(u"Rt Click anywhere to tune"_s);
    setMouseTracking(true);
    FPicture.fill(Qt::black);
}

void TScaleImage::paintEvent(QPaintEvent*) {
    QPainter(this).drawImage(0, 0, FPicture);
}

TTuningScaleForm::TTuningScaleForm(TMainForm& main)
    : QWidget(&main, Qt::Tool)
    , FMain(main)
    , FSheet(main.MainSheet()) {
    setObjectName(u"TuningScaleForm"_s);
    setWindowTitle(u"Tuning Scale Form"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kClientWidth, kClientHeight);
    setAutoFillBackground(true);
    const auto strip = [this](const QString& panelName, const QString& imageName, int y) {
        auto* panel = new QFrame(this);
        panel->setObjectName(panelName);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setLineWidth(1);
        panel->setGeometry(kPanelMargin - 2, y, kStripWidth + 4, kStripHeight + 4);
        auto* image = new TScaleImage(imageName, panel);
        image->move(2, 2);
        image->installEventFilter(this);
        return image;
    };
    FImage1 = strip(u"Panel1"_s, u"Image1"_s, kPanelGap);
    FImage2 = strip(u"Panel2"_s, u"Image2"_s, kPanelGap * 2 + kStripHeight + 4);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TTuningScaleForm::~TTuningScaleForm() {
    if (FSheet)
        FSheet->State().VfoScaleWindow.Detach(this);
}

bool TTuningScaleForm::LoadScale(const QString& fileName) {
    FFileName = fileName;
    FLoadError.clear();
    const TScaleParse parse = ParseScale(ReadScaleText(fileName, TScaleDefaults::Window));
    if (parse.LimitsMissing) {
        Prompt().Information(windowTitle(), u"Frequency Limit not set, edit the scale in "
                                            u"File|tuningScales|New/Edit"_s);
        return false;
    }
    if (!parse.Scale) {
        FLoadError = parse.ErrorText;
        return false;
    }
    FScale = *parse.Scale;
    setWindowTitle(FScale.Description);
    return true;
}

void TTuningScaleForm::MoveScaleTo(double mhz) {
    FCentreHz = MHzToHz(mhz);
    Redraw(mhz);
}

void TTuningScaleForm::Redraw(double mhz) {
    DrawDial(FImage1->Picture(), mhz, FScale.LowMHz, FScale.HighMHz,
             StripFont(u"MS Sans Serif", 8));
    DrawBands(FImage2->Picture(), mhz, FScale.Bands, StripFont(u"Small Fonts", 6));
    FImage1->update();
    FImage2->update();
}

void TTuningScaleForm::ShowCurrent(bool current) {
    QPalette colours = palette();
    colours.setColor(QPalette::Window,
                     current ? QPalette().color(QPalette::Button) : kDetachedGrey);
    setPalette(colours);
}

QChar TTuningScaleForm::OwnLetter() const {
    return FSheet ? FSheet->State().VfoScaleWindow.LetterOf(this) : QChar();
}

void TTuningScaleForm::SelectOwnVfo(QChar letter) {
    if (!letter.isNull() && FSheet && FSheet->State().CurrentVfo != letter)
        FSheet->VfoPanel()->ClickBox(letter);
}

bool TTuningScaleForm::event(QEvent* event) {
    // A tool window is told of activation also when its owner, the main window, is activated;
    // only the user's turning to this window itself selects its VFO.
    if (event->type() == QEvent::WindowActivate && windowHandle() &&
        QGuiApplication::focusWindow() == windowHandle())
        SelectOwnVfo(OwnLetter());
    return QWidget::event(event);
}

bool TTuningScaleForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched != FImage1 && watched != FImage2)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        MousePressed(static_cast<QMouseEvent*>(event));
        return true;
    case QEvent::MouseMove:
        MouseMoved(static_cast<QMouseEvent*>(event));
        return true;
    case QEvent::MouseButtonRelease:
        MouseReleased(static_cast<QMouseEvent*>(event));
        return true;
    default:
        return false;
    }
}

void TTuningScaleForm::ShowTuned(QChar letter, qint64 hz) {
    TVfoPanelController* panel = FSheet->VfoPanel();
    panel->Box(letter)->setText(panel->FormatFrequency(static_cast<double>(hz) / 1000000.0));
}

void TTuningScaleForm::MousePressed(QMouseEvent* event) {
    const QChar letter = OwnLetter();
    if (letter.isNull() || FMain.RunFlags().PriorityCheckBusy)
        return;
    const int x = qRound(event->position().x());
    FLastX = x;
    if (event->button() == Qt::RightButton) {
        SelectOwnVfo(letter);
        const qint64 hz = FCentreHz - static_cast<qint64>(kStripWidth) * kScaleHzPerPixel / 2 +
                          static_cast<qint64>(x) * kScaleHzPerPixel;
        FSheet->Widgets().FreqUpdateCheckBox->setChecked(false);
        FMain.Driver()->SetFrequency(letter, static_cast<double>(hz) / 1000000.0);
        MoveScaleTo(static_cast<double>(hz) / 1000000.0);
        ShowTuned(letter, hz);
    } else if (event->button() == Qt::LeftButton) {
        SelectOwnVfo(letter);
        setCursor(Qt::ClosedHandCursor);
        FSheet->Widgets().FreqUpdateCheckBox->setChecked(false);
    }
}

void TTuningScaleForm::MouseMoved(QMouseEvent* event) {
    const int x = qRound(event->position().x());
    if (event->buttons() == Qt::LeftButton && !OwnLetter().isNull() &&
        !FMain.RunFlags().PriorityCheckBusy) {
        FCentreHz += static_cast<qint64>(FLastX - x) * kScaleHzPerPixel;
        Redraw(static_cast<double>(FCentreHz) / 1000000.0);
    }
    FLastX = x;
}

void TTuningScaleForm::MouseReleased(QMouseEvent* event) {
    const QChar letter = OwnLetter();
    if (event->button() != Qt::LeftButton || letter.isNull() || FMain.RunFlags().PriorityCheckBusy)
        return;
    unsetCursor();
    FSheet->Widgets().FreqUpdateCheckBox->setChecked(false);
    const auto shown = FSheet->VfoPanel()->ShownFrequency(letter);
    if (shown && MHzToHz(*shown) == FCentreHz)
        return;
    FMain.Driver()->SetFrequency(letter, static_cast<double>(FCentreHz) / 1000000.0);
    ShowTuned(letter, FCentreHz);
}
