#include "SplashForm.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TSplashForm::TSplashForm(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(u"SplashForm"_s);
    setWindowTitle(u"Starting"_s);
    setStyleSheet(u"background: black;"_s);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 30, 40, 24);
    auto* product = new QLabel(u"Kovela"_s, this);
    product->setAlignment(Qt::AlignCenter);
    product->setStyleSheet(u"color: #00ff00; font: bold 40px;"_s);
    auto* subtitle = new QLabel(u"AR5000 receiver control"_s, this);
    subtitle->setAlignment(Qt::AlignCenter);
    subtitle->setStyleSheet(u"color: #00c000; font: 14px;"_s);
    auto* version = new QLabel(u"Ver: "_s + QApplication::applicationVersion(), this);
    version->setObjectName(u"VersionLabel"_s);
    version->setAlignment(Qt::AlignCenter);
    version->setStyleSheet(u"color: #a0a0a0; font: 12px;"_s);
    layout->addWidget(product);
    layout->addWidget(subtitle);
    layout->addSpacing(12);
    layout->addWidget(version);
}

void TSplashForm::ShowNow() {
    adjustSize();
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    repaint();
    FShown.start();
}

int TSplashForm::RemainingMs() const {
    return FShown.isValid() ? static_cast<int>(std::max<qint64>(0, kMinimumMs - ShownMs()))
                            : kMinimumMs;
}
