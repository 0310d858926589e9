#include "CommsForm.h"

#include "AR5000.h"
#include "FormPlacement.h"
#include "IniFile.h"
#include "ProgramFolder.h"
#include "Prompt.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QString kLogFilter = u"Text files (*.txt);;All files (*.*)"_s;

QToolButton* MakeToolButton(QWidget* parent, const QString& name, const QString& caption) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setAutoRaise(true);
    return button;
}

QPushButton* MakePushButton(QWidget* parent, const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

// The driver's trace hooks, of a type of their own so that UnhookDriver can tell whether a hook
// is still this window's.
struct TCommsForm::TTraceHook {
    TCommsForm* Form;
    bool Received;

    void operator()(const QString& line) const {
        if (Received)
            Form->RxLine(line);
        else
            Form->TxLine(line);
    }
};

TCommsForm::TCommsForm(TAR5000* driver, QWidget* parent)
    : QMainWindow(parent, Qt::Window)
    , FDriver(driver) {
    setObjectName(u"CommsForm"_s);
    setWindowTitle(u"Conversation with receiver"_s);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* central = new QWidget(this);
    Edit1 = new QLineEdit(central);
    Edit1->setObjectName(u"Edit1"_s);
    Edit1->setToolTip(u"Enter Command Direct"_s);
    Edit1->setPlaceholderText(u"Enter Command Direct"_s);
    ToolButtonSend = MakeToolButton(central, u"ToolButtonSend"_s, u"Send"_s);
    ToolButtonSend->setToolTip(u"Send the command to the receiver"_s);
    ToolButton1 = MakeToolButton(central, u"ToolButton1"_s, u"Copy"_s);
    ToolButton2 = MakeToolButton(central, u"ToolButton2"_s, u"C&lear"_s);
    ToolButton3 = MakeToolButton(central, u"ToolButton3"_s, u"&Close"_s);
    Button4 = MakePushButton(central, u"Button4"_s, u"Get RX"_s);
    Button12 = MakePushButton(central, u"Button12"_s, u"GetExtra"_s);
    Memo1 = new QPlainTextEdit(central);
    Memo1->setObjectName(u"Memo1"_s);
    Memo1->setReadOnly(true);
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* commandRow = new QHBoxLayout;
    commandRow->addWidget(Edit1, 1);
    commandRow->addWidget(ToolButtonSend);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(ToolButton1);
    buttonRow->addWidget(ToolButton2);
    buttonRow->addWidget(ToolButton3);
    buttonRow->addStretch(1);
    buttonRow->addWidget(Button4);
    buttonRow->addWidget(Button12);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(commandRow);
    layout->addLayout(buttonRow);
    layout->addWidget(Memo1, 1);
    setCentralWidget(central);
    statusBar()->setObjectName(u"StatusBar1"_s);
    BuildMenu();

    connect(Edit1, &QLineEdit::returnPressed, this, &TCommsForm::Execute);
    connect(ToolButtonSend, &QToolButton::clicked, this, &TCommsForm::Execute);
    connect(ToolButton1, &QToolButton::clicked, this, &TCommsForm::CopyClick);
    connect(ToolButton2, &QToolButton::clicked, this, &TCommsForm::ClearClick);
    connect(ToolButton3, &QToolButton::clicked, this, &QWidget::close);
    connect(Button4, &QPushButton::clicked, this, [this] {
        RunRequest([](TAR5000& link) {
            TRxDat rec;
            link.GetRx(rec);
        });
    });
    connect(Button12, &QPushButton::clicked, this, [this] {
        RunRequest([](TAR5000& link) {
            TRxDat rec;
            link.GetExtraVfoData(rec);
        });
    });

    resize(kDefaultWidth, kDefaultHeight);
    RestoreFormPlacement(this, kDefaultLeft, kDefaultTop, TIniFile(SettingsFileName()),
                         kDefaultHeight, kDefaultWidth, true);
    HookDriver();
}

TCommsForm::~TCommsForm() {
    Shut();
    // The owner may have hooked this window again after it closed.
    UnhookDriver();
}

void TCommsForm::BuildMenu() {
    QMenu* file = menuBar()->addMenu(u"&File"_s);
    file->setObjectName(u"File1"_s);
    LogToFile1 = file->addAction(u"&Log To File"_s);
    LogToFile1->setObjectName(u"LogToFile1"_s);
    LogToFile1->setCheckable(true);
    ViewLog1 = file->addAction(u"&View Log"_s);
    ViewLog1->setObjectName(u"ViewLog1"_s);
    file->addSeparator();
    Close1 = file->addAction(u"&Close"_s);
    Close1->setObjectName(u"Close1"_s);

    connect(LogToFile1, &QAction::triggered, this, &TCommsForm::LogToFileClick);
    connect(ViewLog1, &QAction::triggered, this, &TCommsForm::ViewLogClick);
    connect(Close1, &QAction::triggered, this, &QWidget::close);
}

qint64 TCommsForm::TickMs() {
    QElapsedTimer now;
    now.start();
    return now.msecsSinceReference();
}

void TCommsForm::HookDriver() {
    if (!FDriver)
        return;
    FDriver->OnRxLine = TTraceHook{this, true};
    FDriver->OnTxLine = TTraceHook{this, false};
}

void TCommsForm::UnhookDriver() {
    if (!FDriver)
        return;
    for (auto* hook : {&FDriver->OnRxLine, &FDriver->OnTxLine}) {
        const auto* ours = hook->target<TTraceHook>();
        if (ours && ours->Form == this)
            *hook = {};
    }
}

void TCommsForm::RxLine(const QString& line) {
    const QString trace = u"Rxd \t%1\t%2"_s.arg(TickMs()).arg(line);
    AddTrace(trace, trace);
    // Noise in front of replies is dropped before they reach the trace; the count shows it was
    // there (a receiver powering up, a wrong baud rate).
    if (FDriver && FDriver->NoiseBytesDropped() > 0)
        statusBar()->showMessage(u"Noise bytes dropped: %1"_s.arg(FDriver->NoiseBytesDropped()));
    // "?" is the receiver refusing a command.
    if (line.startsWith(u'?'))
        Prompt().Beep();
}

void TCommsForm::TxLine(const QString& command) {
    const qint64 tick = TickMs();
    AddTrace(u"Txd\t%1\t%2"_s.arg(tick).arg(command), u"Txd \t%1\t%2"_s.arg(tick).arg(command));
}

void TCommsForm::AddTrace(const QString& memoLine, const QString& logLine) {
    if (FLineCount >= kMaxLines) {
        Memo1->clear();
        FLineCount = 0;
    }
    Memo1->appendPlainText(memoLine);
    ++FLineCount;
    if (!FLogFile.isOpen())
        return;
    // Flushed line by line: the trace is wanted most when the program is about to go down.
    const bool written = FLogFile.write((logLine + u'\n').toUtf8()) >= 0 && FLogFile.flush();
    if (!written)
        LoggingFailed();
}

void TCommsForm::Execute() {
    const QString text = Edit1->text();
    if (text.isEmpty() || !FDriver)
        return;
    // Said here, where the user typed it; the text stays in the edit to be shortened.
    if (const auto refusal = FDriver->RefuseCommand(text.toUpper())) {
        Prompt().Error(windowTitle(), *refusal);
        return;
    }
    FDriver->SendCommandUpper(text);
}

void TCommsForm::RunRequest(const std::function<void(TAR5000&)>& request) {
    if (!FDriver)
        return;
    // The request waits with the event loop running; the window may be closed meanwhile.
    const QPointer<TCommsForm> self(this);
    Button4->setEnabled(false);
    Button12->setEnabled(false);
    request(*FDriver);
    if (!self)
        return;
    Button4->setEnabled(true);
    Button12->setEnabled(true);
}

void TCommsForm::CopyClick() {
    Memo1->selectAll();
    Memo1->copy();
    QTextCursor cursor = Memo1->textCursor();
    cursor.clearSelection();
    Memo1->setTextCursor(cursor);
}

void TCommsForm::ClearClick() {
    Memo1->clear();
    FLineCount = 0;
}

void TCommsForm::LogToFileClick() {
    if (Logging())
        StopLogging();
    else
        StartLogging();
}

void TCommsForm::StartLogging() {
    LogToFile1->setChecked(false);
    const QString fileName = Prompt().SaveFileName(u"Log To File"_s, DataFolder(),
                                                   u"aKovela debug Log.txt"_s, kLogFilter);
    if (fileName.isEmpty())
        return;
    FLogFile.setFileName(fileName);
    if (!FLogFile.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        Prompt().Error(windowTitle(), u"Could not create the log file %1: %2"_s.arg(
                                          fileName, FLogFile.errorString()));
        return;
    }
    LogToFile1->setText(u"Close Logfile"_s);
    LogToFile1->setChecked(true);
    statusBar()->showMessage(u"Logging to "_s + fileName);
}

void TCommsForm::StopLogging() {
    FLogFile.close();
    LogToFile1->setText(u"Log to File"_s);
    LogToFile1->setChecked(false);
    statusBar()->clearMessage();
}

void TCommsForm::LoggingFailed() {
    const QString fileName = FLogFile.fileName();
    const QString reason = FLogFile.errorString();
    StopLogging();
    statusBar()->showMessage(u"Logging stopped: %1 could not be written"_s.arg(fileName));
    // Not from inside the driver's hook: a message box runs an event loop of its own.
    QTimer::singleShot(0, this, [this, fileName, reason] {
        Prompt().Error(windowTitle(),
                       u"Could not write to the log file %1: %2\nLogging has stopped."_s.arg(
                           fileName, reason));
    });
}

void TCommsForm::ViewLogClick() {
    const QString fileName =
        Prompt().OpenFileName(u"View Log"_s, DataFolder(), u"Kovela debug Log.txt"_s, kLogFilter);
    if (fileName.isEmpty())
        return;
    if (!QFileInfo::exists(fileName)) {
        Prompt().Error(windowTitle(), u"The file %1 does not exist."_s.arg(fileName));
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(fileName)))
        Prompt().Error(windowTitle(),
                       u"Could not open %1: no program to show it was found."_s.arg(fileName));
}

void TCommsForm::closeEvent(QCloseEvent* event) {
    Shut();
    event->accept();
}

void TCommsForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    Edit1->setFocus();
}

void TCommsForm::Shut() {
    if (FShut)
        return;
    FShut = true;
    UnhookDriver();
    if (Logging())
        StopLogging();
    TIniFile ini(SettingsFileName());
    SaveFormPlacement(this, ini, true);
}
