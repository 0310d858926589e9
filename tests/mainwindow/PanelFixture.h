#pragma once

// A main window on the in-process simulated receiver, for the tests of the Main page.
#include "AR5000.h"
#include "LinkController.h"
#include "LoopbackLink.h"
#include "Main.h"
#include "MainSheet.h"
#include "Simulator.h"
#include "support/ScriptedPrompt.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

struct TPanelFixture {
    static constexpr int kPatientMs = 20000;

    TSettings Settings;
    TSimReceiver Receiver;
    std::unique_ptr<TSimLoopback> Loopback;
    std::unique_ptr<TMainForm> Form;
    TScriptedPrompt* Answers = nullptr;
    std::unique_ptr<TPrompt> PreviousPrompt;
    QStringList Messages;

    // `prepare` is sent to the receiver before the line is connected (its replies go nowhere):
    // the state the receiver is in when the port opens.
    explicit TPanelFixture(const QByteArray& prepare = {}, const TSimOptions& options = {})
        : Receiver(options) {
        if (!prepare.isEmpty())
            Receiver.ReceiveBytes(prepare);
        Loopback = std::make_unique<TSimLoopback>(&Receiver);
        auto answers = std::make_unique<TScriptedPrompt>();
        Answers = answers.get();
        PreviousPrompt = SetPrompt(std::move(answers));
        Form = std::make_unique<TMainForm>(Settings);
        Form->SetMessageSink([this](const QString& text) { Messages << text; });
        Form->Driver()->Serial()->SetDevice(Loopback->DriverEnd());
        // Every wait ends as soon as its reply is in: long limits cost nothing, and a loaded
        // machine does not turn a late reply into a failure.
        Form->Driver()->Timeout = kPatientMs;
        Form->Driver()->InitialiseWaitMs = kPatientMs;
        Form->Driver()->ChangeVfoPauseMs = 0;
        Form->show();
        // Keys go to the application's focus widget, which only an active window has.
        Form->activateWindow();
        if (!QTest::qWaitForWindowActive(Form.get(), kPatientMs))
            qWarning("the main window did not become active");
    }
    ~TPanelFixture() {
        Form.reset();
        SetPrompt(std::move(PreviousPrompt));
    }
    TPanelFixture(const TPanelFixture&) = delete;
    TPanelFixture& operator=(const TPanelFixture&) = delete;

    // Opens the link (which reads the whole panel and ends by sending the current box's
    // squelch) and forgets what was sent so far.
    bool Open() {
        Find<QPushButton>(QStringLiteral("OpenPortButton"))->click();
        const bool squelchSent = QTest::qWaitFor(
            [this] {
                return !Sent().isEmpty() && Sent().last().startsWith(QLatin1StringView("RQ"));
            },
            kPatientMs);
        Receiver.ClearReceivedLines();
        return Form->Driver()->Connected() && squelchSent;
    }

    template <typename T> T* Find(const QString& name) const {
        T* found = Form->findChild<T*>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QLineEdit* Edit(const QString& name) const { return Find<QLineEdit>(name); }
    TMainSheet& Sheet() const { return *Form->MainSheet(); }
    TPanelState& State() const { return Sheet().State(); }
    QStringList Sent() const { return Receiver.ReceivedLines(); }
    // What was sent, once everything the panel has sent so far has reached the receiver: a
    // version query goes down the same line after it, and its answer comes back only when the
    // receiver has read all that went before. The query itself is left out.
    QStringList SentSettled() const {
        Form->Driver()->GetVersion();
        QStringList lines = Sent();
        lines.removeAll(QStringLiteral("VR"));
        return lines;
    }
    // After a click that selects a box: the receiver's reply has been shown, nothing is pending,
    // and what was sent so far is forgotten.
    void WaitForSwitch() {
        QTRY_VERIFY_WITH_TIMEOUT(Sent().contains(QStringLiteral("SJ")), kPatientMs);
        QTRY_VERIFY_WITH_TIMEOUT(!Form->Driver()->Flags().RxPending &&
                                     !Form->Driver()->Flags().ExtraDataPending,
                                 kPatientMs);
        SentSettled();
        Receiver.ClearReceivedLines();
    }
    QWidget* Focused() const {
        QWidget* focused = QApplication::focusWidget();
        if (!focused)
            qFatal("no widget has the keyboard focus");
        return focused;
    }

    // Keys go where the keyboard sends them: to the control that has the focus at that moment.
    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool repeat = false,
               const QString& text = {}) const {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, text, repeat);
        QApplication::sendEvent(Focused(), &event);
    }
    void Release(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        QKeyEvent event(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(Focused(), &event);
    }
    void Stroke(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        Press(key, modifiers);
        Release(key, modifiers);
    }
    void TypeInto(QWidget* control, const QString& text,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        control->setFocus();
        QTest::keyClicks(Focused(), text, modifiers);
    }
    void Enter(QWidget* control) const {
        control->setFocus();
        Stroke(Qt::Key_Return);
    }
};
