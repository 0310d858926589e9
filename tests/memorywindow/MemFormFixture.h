#pragma once

// The memory window on a main window and the in-process simulated receiver, with its own
// program folder.
#include "mainwindow/PanelFixture.h"
#include "memory/MemoryFixture.h"

#include "DataUnit1.h"
#include "MemForm.h"
#include "MemFormLink.h"

#include <QMenu>

#include <memory>

struct TMemFormFixture {
    TMemoryHome Home;
    TPanelFixture Panel;
    TDataModule1 Data{Home.Dir.path()};
    std::unique_ptr<TMemForm> Form;

    explicit TMemFormFixture(const TSimOptions& options = {})
        : Panel({}, options) {
        Panel.Form->Driver()->SetBankPauseMs = 0;
        // As the program wires it: what the table refuses is explained in the messages window.
        Data.ShowMessage = [this](const QString& text) {
            Panel.Form->AddMessage(text);
        };
        if (!Data.DataModule1Create())
            qFatal("tables: %s", qPrintable(Data.LastError()));
        Form = std::make_unique<TMemForm>(*Panel.Form, Data);
        Panel.Form->SetMemoryWindowLink(std::make_unique<TMemFormLink>(*Form));
        Form->show();
    }
    ~TMemFormFixture() {
        Panel.Form->SetMemoryWindowLink(nullptr);
        Form.reset();
    }
    TMemFormFixture(const TMemFormFixture&) = delete;
    TMemFormFixture& operator=(const TMemFormFixture&) = delete;

    TTableView& View() { return Data.MemQuery1(); }
    TScriptedPrompt& Answers() { return *Panel.Answers; }
    bool Sql(const QString& sql) {
        return Data.Engine().Execute(sql) && Data.ReopenMemoryView(Data.MemQuery1().Sql());
    }
    QString Mem() { return View().Value(u"MEM").toString(); }
    template <typename T> T* Find(const QString& name) const {
        T* found = Form->findChild<T*>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QAction* MenuItem(const QString& menu, const QString& text) const {
        for (QAction* action : Find<QMenu>(menu)->actions())
            if (action->text() == text)
                return action;
        qFatal("no item %s", qPrintable(text));
    }
    QStringList Sent() const { return Panel.Sent(); }
    qsizetype SentIndex(const QString& line) const { return Sent().indexOf(line); }
};
