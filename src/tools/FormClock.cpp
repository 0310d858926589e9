#include "FormClock.h"

#include "ClockText.h"
#include "HelpContext.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QWindow>

using namespace Qt::StringLiterals;

TFormClock::TFormClock(const TClockOptions& options, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , dxfClock1(new QLabel(this))
    , FPopup(new QMenu(this)) {
    setObjectName(u"FormClock"_s);
    setWindowTitle(u"Clock"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kClientWidth, kClientHeight);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, QColor(0x00, 0xFF, 0x00));
    setPalette(colours);

    dxfClock1->setObjectName(u"dxfClock1"_s);
    dxfClock1->setAlignment(Qt::AlignCenter);
    // The window takes every press, so that a drag anywhere moves it.
    dxfClock1->setAttribute(Qt::WA_TransparentForMouseEvents);
    QFont digits(u"Monospace"_s);
    digits.setStyleHint(QFont::TypeWriter);
    digits.setBold(true);
    digits.setPixelSize(18);
    dxfClock1->setFont(digits);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(dxfClock1);

    FPopup->setObjectName(u"PopupMenuTimeZone"_s);
    auto* zones = new QActionGroup(this);
    UTC1 = FPopup->addAction(u"UTC"_s);
    UTC1->setObjectName(u"UTC1"_s);
    Local1 = FPopup->addAction(u"Local Time"_s);
    Local1->setObjectName(u"Local1"_s);
    for (QAction* zone : {UTC1, Local1}) {
        zone->setCheckable(true);
        zones->addAction(zone);
    }
    ShowSeconds1 = FPopup->addAction(u"Show Seconds"_s);
    ShowSeconds1->setObjectName(u"ShowSeconds1"_s);
    ShowSeconds1->setCheckable(true);
    FPopup->addSeparator();
    Close1 = FPopup->addAction(u"Close"_s);
    Close1->setObjectName(u"Close1"_s);
    connect(UTC1, &QAction::triggered, this, [this] { SelectZone(true); });
    connect(Local1, &QAction::triggered, this, [this] { SelectZone(false); });
    connect(ShowSeconds1, &QAction::triggered, this, &TFormClock::Tick);
    connect(Close1, &QAction::triggered, this, &QWidget::close);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { FPopup->popup(mapToGlobal(at)); });

    move(options.Position);
    SelectZone(options.Utc);
    ShowSeconds1->setChecked(options.ShowSeconds);
    connect(&FTimer, &QTimer::timeout, this, &TFormClock::Tick);
    FTimer.start(kTickMs);
    Tick();
    ApplyHelpContexts(this);
}

TClockOptions TFormClock::Options() const {
    return {pos(), FUtc, ShowSeconds1->isChecked()};
}

void TFormClock::SelectZone(bool utc) {
    FUtc = utc;
    (utc ? UTC1 : Local1)->setChecked(true);
    setToolTip(ClockHint(utc));
    Tick();
}

void TFormClock::Tick() {
    dxfClock1->setText(ClockText(Now(), FUtc, ShowSeconds1->isChecked()));
}

QString TFormClock::Text() const {
    return dxfClock1->text();
}

void TFormClock::closeEvent(QCloseEvent* event) {
    FTimer.stop();
    Q_EMIT Closed(Options());
    event->accept();
}

void TFormClock::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    FGrab = event->globalPosition().toPoint() - pos();
}

void TFormClock::mouseMoveEvent(QMouseEvent* event) {
    if (!FGrab || !(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    move(event->globalPosition().toPoint() - *FGrab);
    event->accept();
}

void TFormClock::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        FGrab.reset();
    QWidget::mouseReleaseEvent(event);
}
