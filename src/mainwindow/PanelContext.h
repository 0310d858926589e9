#pragma once

#include "PanelState.h"
#include "Report.h"
#include "RunFlags.h"
#include "WindowLinks.h"

#include <memory>

class TAR5000;

// What every controller of the Main page is given: the driver, the run flags, the shared panel
// state, the memory window (through its narrow link, replaceable while the program runs) and the
// window's message routes.
struct TPanelContext {
    TAR5000* Driver = nullptr;
    TRunFlags* RunFlags = nullptr;
    TPanelState* State = nullptr;
    const std::unique_ptr<TMemoryWindowLink>* Memory = nullptr;
    TReportFn ReportMessage;
    TReportFn AddMessage;

    TMemoryWindowLink& MemoryWindow() const { return **Memory; }
    void Report(const QString& text) const {
        if (ReportMessage)
            ReportMessage(text);
    }
    // An error that the event handler does not catch ends in the application's error handler,
    // which shows it with this tail.
    void ReportUnexpected(const QString& description) const {
        Report(description + QStringLiteral("\r\nAppliction.OnException."));
    }
};
