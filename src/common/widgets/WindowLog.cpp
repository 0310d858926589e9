#include "WindowLog.h"

#include "ProgramFolder.h"
#include "Prompt.h"

#include <QAction>
#include <QDesktopServices>
#include <QFileInfo>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

const QString kLogFilter = u"Text files (*.txt);;All files (*.*)"_s;

} // namespace

TWindowLog::TWindowLog(QWidget* window, QAction* item, QStatusBar* status, QString defaultName)
    : QObject(window)
    , FWindow(window)
    , FItem(item)
    , FStatus(status)
    , FDefaultName(std::move(defaultName)) {}

void TWindowLog::Toggle() {
    if (Logging())
        Stop();
    else
        Start();
}

void TWindowLog::Start() {
    FItem->setChecked(false);
    const QString fileName =
        Prompt().SaveFileName(u"Log To File"_s, DataFolder(), FDefaultName, kLogFilter);
    if (fileName.isEmpty())
        return;
    FFile.setFileName(fileName);
    if (!FFile.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        Prompt().Error(FWindow->windowTitle(), u"Could not create the log file %1: %2"_s.arg(
                                                   fileName, FFile.errorString()));
        return;
    }
    FItem->setText(u"Close Logfile"_s);
    FItem->setChecked(true);
    FStatus->showMessage(u"Logging to "_s + fileName);
}

void TWindowLog::Stop() {
    FFile.close();
    FItem->setText(u"Log to File"_s);
    FItem->setChecked(false);
    FStatus->clearMessage();
}

void TWindowLog::Write(const QString& line) {
    if (!Logging())
        return;
    if (FFile.write((line + u'\n').toUtf8()) < 0 || !FFile.flush())
        Failed();
}

void TWindowLog::Failed() {
    const QString fileName = FFile.fileName();
    const QString reason = FFile.errorString();
    Stop();
    FStatus->showMessage(u"Logging stopped: %1 could not be written"_s.arg(fileName));
    // Not from inside whatever handed over the line (a driver hook or signal): a message box
    // runs an event loop of its own.
    QTimer::singleShot(0, FWindow, [window = FWindow, fileName, reason] {
        Prompt().Error(window->windowTitle(),
                       u"Could not write to the log file %1: %2\nLogging has stopped."_s.arg(
                           fileName, reason));
    });
}

bool OpenWithSystem(const QString& fileName) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(fileName));
}

void ViewLogFile(QWidget* window, const QString& defaultName,
                 const std::function<bool(const QString& fileName)>& open) {
    const QString fileName =
        Prompt().OpenFileName(u"View Log"_s, DataFolder(), defaultName, kLogFilter);
    if (fileName.isEmpty())
        return;
    if (!QFileInfo::exists(fileName)) {
        Prompt().Error(window->windowTitle(), u"The file %1 does not exist."_s.arg(fileName));
        return;
    }
    if (!open(fileName))
        Prompt().Error(window->windowTitle(),
                       u"Could not open %1: no program to show it was found."_s.arg(fileName));
}
