#include "FormPlacement.h"

#include "IniFile.h"
#include "Prompt.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

struct TKeys {
    QString Left, Top, Width, Height;
};

TKeys Keys(bool capitalised) {
    if (capitalised)
        return {u"Left"_s, u"Top"_s, u"Width"_s, u"Height"_s};
    return {u"left"_s, u"top"_s, u"width"_s, u"height"_s};
}

} // namespace

void SaveFormPlacement(QWidget* window, TIniFile& ini, bool capitalised) {
    if (window->isMinimized() || window->isMaximized())
        window->showNormal();
    const QString section = window->objectName();
    const TKeys keys = Keys(capitalised);
    const QRect frame = window->geometry();
    const bool saved = ini.WriteInteger(section, keys.Left, window->x()) &&
                       ini.WriteInteger(section, keys.Top, window->y()) &&
                       ini.WriteInteger(section, keys.Width, frame.width()) &&
                       ini.WriteInteger(section, keys.Height, frame.height());
    if (!saved)
        Prompt().Error(QGuiApplication::applicationDisplayName(), ini.ErrorText());
}

void RestoreFormPlacement(QWidget* window, int defaultLeft, int defaultTop, const TIniFile& ini,
                          int defaultHeight, int defaultWidth, bool capitalised) {
    const QString section = window->objectName();
    const TKeys keys = Keys(capitalised);
    QPoint position(ini.ReadInteger(section, keys.Left, defaultLeft),
                    ini.ReadInteger(section, keys.Top, defaultTop));
    QSize size = window->size();
    if (defaultWidth != -1)
        size.setWidth(ini.ReadInteger(section, keys.Width, defaultWidth));
    if (defaultHeight != -1)
        size.setHeight(ini.ReadInteger(section, keys.Height, defaultHeight));
    // A placement saved on a screen that is no longer there would leave the window unreachable.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableVirtualGeometry();
        if (!available.isEmpty() && !available.intersects(QRect(position, size)))
            position = QPoint(defaultLeft, defaultTop);
    }
    window->resize(size);
    window->move(position);
}
