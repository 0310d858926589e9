#include "CommsForm.h"

#include "AR5000.h"
#include "FormPlacement.h"
#include "HelpContext.h"
#include "IniFile.h"
#include "ProgramFolder.h"
#include "Prompt.h"
#include "WindowLog.h"

#include <QAction>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

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
    ApplyHelpContexts(this);
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

    FLog = new TWindowLog(this, LogToFile1, statusBar(), u"aKovela debug Log.txt"_s);
    connect(LogToFile1, &QAction::triggered, FLog, &TWindowLog::Toggle);
    connect(ViewLog1, &QAction::triggered, this,
            [this] { ViewLogFile(this, u"Kovela debug Log.txt"_s, OpenWithSystem); });
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
    FLog->Write(logLine);
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
        FLog->Stop();
    TIniFile ini(SettingsFileName());
    SaveFormPlacement(this, ini, true);
}
