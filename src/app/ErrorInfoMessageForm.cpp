#include "ErrorInfoMessageForm.h"

#include "HelpContext.h"
#include "ProgramFolder.h"

#include <QDateTime>
#include <QLocale>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// A pale yellow, easy on the eyes for a list that may stay open all day.
constexpr QRgb kMemoColour = 0xFFFFF0;

// CR LF, LF CR, a lone CR and a lone LF each count as one line break.
QString OneLineBreakKind(const QString& text) {
    static const QRegularExpression breaks(u"\r\n|\n\r|\r|\n"_s);
    QString result = text;
    return result.replace(breaks, u"\n"_s);
}

QToolButton* AddToolButton(QToolBar* bar, const QString& name, const QString& caption) {
    auto* button = new QToolButton(bar);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addWidget(button);
    return button;
}

} // namespace

TErrorInfoMessageForm::TErrorInfoMessageForm(QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(u"ErrorInfoMessageForm"_s);
    setWindowTitle(u"Kv7 Messages"_s);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(u"Memo1"_s);
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette memoPalette = Memo1->palette();
    memoPalette.setColor(QPalette::Base, QColor(kMemoColour));
    memoPalette.setColor(QPalette::Text, Qt::black);
    Memo1->setPalette(memoPalette);

    auto* toolBar = new QToolBar(this);
    toolBar->setObjectName(u"ToolBar1"_s);
    ToolButton1 = AddToolButton(toolBar, u"ToolButton1"_s, u"Copy"_s);
    ToolButton2 = AddToolButton(toolBar, u"ToolButton2"_s, u"C&lear"_s);
    ToolButton3 = AddToolButton(toolBar, u"ToolButton3"_s, u"&Close"_s);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Memo1);
    layout->addWidget(toolBar);

    connect(ToolButton1, &QToolButton::clicked, this, &TErrorInfoMessageForm::CopyClick);
    connect(ToolButton2, &QToolButton::clicked, this, &TErrorInfoMessageForm::ClearClick);
    connect(ToolButton3, &QToolButton::clicked, this, &QWidget::hide);

    resize(kDefaultWidth, kDefaultHeight);
    move(kDefaultLeft, kDefaultTop);
    ApplyHelpContexts(this);
}

QString TErrorInfoMessageForm::LogFileName() {
    return ProgramFile(u"Kv7Message.log"_s);
}

void TErrorInfoMessageForm::ShowMessages() {
    show();
    raise();
    activateWindow();
}

void TErrorInfoMessageForm::AddMessage(const QString& text) {
    ShowMessages();
    const QString stamp =
        QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
    const QString entry = stamp + u'\n' + OneLineBreakKind(text) + u'\n';
    AppendLines(entry);
    if (FLogFile.isOpen()) {
        // The file is opened in text mode: '\n' becomes the platform's line end.
        FLogFile.write((entry + u'\n').toUtf8());
        FLogFile.flush();
    }
}

bool TErrorInfoMessageForm::CheckOpenErrorLogfile(bool logErrors) {
    if (!logErrors) {
        FLogFile.close();
        return true;
    }
    if (FLogFile.isOpen())
        return true;
    FLogFile.setFileName(LogFileName());
    if (FLogFile.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return true;
    AddMessage(u"Could not open the message log file %1: %2"_s.arg(FLogFile.fileName(),
                                                                   FLogFile.errorString()));
    return false;
}

QString TErrorInfoMessageForm::Text() const {
    if (FNoLines)
        return {};
    return Memo1->toPlainText().replace(u'\n', u"\r\n"_s);
}

void TErrorInfoMessageForm::AppendLines(const QString& lines) {
    // appendPlainText fills an empty document's only block, which here may be a line of its own.
    const bool oneEmptyLine = !FNoLines && Memo1->document()->isEmpty();
    Memo1->appendPlainText(oneEmptyLine ? u'\n' + lines : lines);
    FNoLines = false;
}

void TErrorInfoMessageForm::CopyClick() {
    Memo1->selectAll();
    Memo1->copy();
    QTextCursor cursor = Memo1->textCursor();
    cursor.clearSelection();
    Memo1->setTextCursor(cursor);
}

void TErrorInfoMessageForm::ClearClick() {
    Memo1->clear();
    FNoLines = true;
}
