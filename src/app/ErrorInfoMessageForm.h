#pragma once

#include <QFile>
#include <QString>
#include <QWidget>

class QPlainTextEdit;
class QToolButton;

// The messages window: every error and notice of the program, time-stamped, optionally mirrored
// into the message log file. Created hidden at start-up; AddMessage shows it.
class TErrorInfoMessageForm : public QWidget {
    Q_OBJECT

public:
    static constexpr int kDefaultLeft = 10;
    static constexpr int kDefaultTop = 10;
    static constexpr int kDefaultWidth = 305;
    static constexpr int kDefaultHeight = 260;

    // A window of its own even when `parent` is given.
    explicit TErrorInfoMessageForm(QWidget* parent = nullptr);

    // Shows the window in front, then adds the current date and time, the text (every kind of
    // line break made one) and an empty line. When the log file is open the same lines go there
    // too; a failing write is ignored, so reporting never fails.
    void AddMessage(const QString& text);
    // Shows the window if hidden and brings it to the front.
    void ShowMessages();

    // Opens the message log file for appending (created when missing) when `logErrors` is on,
    // closes it when off. False when the file could not be opened; that is reported here.
    bool CheckOpenErrorLogfile(bool logErrors);
    bool LogFileOpen() const { return FLogFile.isOpen(); }
    // "Kv7Message.log" in the program folder.
    static QString LogFileName();

    // The lines of the list joined with CR LF.
    QString Text() const;

private:
    void AppendLines(const QString& lines);
    void CopyClick();
    void ClearClick();

    QPlainTextEdit* Memo1;
    QToolButton* ToolButton1;
    QToolButton* ToolButton2;
    QToolButton* ToolButton3;
    QFile FLogFile;
    // After Clear the list holds no lines; at creation it holds one empty line. An empty
    // document looks the same in both cases.
    bool FNoLines = false;
};
