#pragma once

#include <QFile>
#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QStatusBar;
class QWidget;

// The text log behind a window's "Log To File" menu item: the file is chosen with the save
// dialog in the data folder and created afresh; the item's caption and check mark and the
// window's status bar follow it. Each line is flushed as it is written, so the file is complete
// while logging goes on; the first write that fails stops logging and says so.
class TWindowLog : public QObject {
    Q_OBJECT

public:
    TWindowLog(QWidget* window, QAction* item, QStatusBar* status, QString defaultName);

    bool Logging() const { return FFile.isOpen(); }
    QString FileName() const { return FFile.fileName(); }
    // The item's click: starts when not logging, stops when logging.
    void Toggle();
    void Stop();
    // `line` and a line end.
    void Write(const QString& line);

private:
    void Start();
    void Failed();

    QWidget* FWindow;
    QAction* FItem;
    QStatusBar* FStatus;
    QString FDefaultName;
    QFile FFile;
};

// The system's own way of showing a document; false when nothing could show it.
bool OpenWithSystem(const QString& fileName);

// "View Log": asks for a text file in the data folder and has `open` show it; says so when the
// file does not exist or nothing could show it.
void ViewLogFile(QWidget* window, const QString& defaultName,
                 const std::function<bool(const QString& fileName)>& open);
