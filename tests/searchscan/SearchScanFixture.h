#pragma once

// The main window with its search and scan pages, on the in-process simulated receiver.
#include "DataUnit1.h"
#include "MemForm.h"
#include "MemFormLink.h"
#include "SearchScan.h"
#include "mainwindow/PanelFixture.h"
#include "memory/MemoryFixture.h"

#include <QTabWidget>

// Moves to a page as the user does, and waits until its set-up is over.
// Search bank 5 ("TWOM") spans 145.000 to 145.100 MHz in 12.5 kHz steps; two carriers sit in it.
inline constexpr int kTwoCarrierBank = 5;
inline const QList<qint64> kTwoCarriersHz = {145'025'000, 145'075'000};

inline void PrepareTwoCarrierBand(TSimReceiver& receiver) {
    TSearchList list;
    list.Bank = kTwoCarrierBank;
    list.Lower = 145.0;
    list.Upper = 145.1;
    list.Step = QStringLiteral("12.500");
    list.Text = QStringLiteral("TWOM");
    receiver.SetSearchBank(list, 3);
    QList<TSimSignal> signals;
    for (const qint64 hz : kTwoCarriersHz) {
        TSimSignal signal;
        signal.FreqHz = hz;
        signal.WidthHz = 5000;
        signal.PeakLevel = 200;
        signals << signal;
    }
    receiver.Band().SetSignals(signals);
    receiver.Band().SetNoiseFloor(20);
}

// A channel as the simulated receiver stores it.
inline TRxDat StoredChannel(qint64 hz, const QString& text) {
    TRxDat rec;
    rec.Freq = static_cast<double>(hz) / 1e6;
    rec.Step = QStringLiteral("12.500");
    rec.Text = text;
    return rec;
}

inline void ShowPage(TPanelFixture& f, int index) {
    auto* pages = f.Find<QTabWidget>(QStringLiteral("PageControl1"));
    pages->setCurrentIndex(index);
    QTRY_VERIFY_WITH_TIMEOUT(pages->isEnabled(), TPanelFixture::kPatientMs);
}

// Lines sent, once the line is quiet; then forgotten.
inline QStringList TakeSent(TPanelFixture& f) {
    const QStringList lines = f.SentSettled();
    f.Receiver.ClearReceivedLines();
    return lines;
}

// The pages without a memory table.
struct TSearchScanFixture : TPanelFixture {
    TSearchScan* Pages = nullptr;

    explicit TSearchScanFixture(const QByteArray& prepare = {}, const TSimOptions& options = {})
        : TPanelFixture(prepare, options) {
        Pages = new TSearchScan(*Form);
    }
    void ShowPage(int index) { ::ShowPage(*this, index); }
    QStringList TakeSent() { return ::TakeSent(*this); }
};

// The pages with the memory window and its bank table, as the program wires them.
struct TScanFixture {
    TMemoryHome Home;
    TPanelFixture Panel;
    TDataModule1 Data{Home.Dir.path()};
    std::unique_ptr<TMemForm> MemForm;
    TSearchScan* Pages = nullptr;

    TScanFixture() {
        if (!Data.DataModule1Create())
            qFatal("tables: %s", qPrintable(Data.LastError()));
        MemForm = std::make_unique<TMemForm>(*Panel.Form, Data);
        Panel.Form->SetMemoryWindowLink(std::make_unique<TMemFormLink>(*MemForm));
        Pages = new TSearchScan(*Panel.Form, std::make_unique<TDataModuleScanTable>(
                                                 Data, [this] { MemForm->ShowAllMemories(); }));
    }
    ~TScanFixture() {
        Panel.Form->SetMemoryWindowLink(nullptr);
        MemForm.reset();
    }
    TScanFixture(const TScanFixture&) = delete;
    TScanFixture& operator=(const TScanFixture&) = delete;

    bool Sql(const QString& sql) {
        return Data.Engine().Execute(sql) && Data.ReopenMemoryView(Data.MemQuery1().Sql());
    }
    void ShowPage(int index) { ::ShowPage(Panel, index); }
    QStringList TakeSent() { return ::TakeSent(Panel); }
};
