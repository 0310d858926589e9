#pragma once

#include "MainSheet.h"

#include <QObject>

#include <span>

class QTabWidget;

// Page changes of PageControl1: refused while a search, a scan or priority watching runs, and
// each page's set-up when the user moves to it.
class TPageController : public QObject {
    Q_OBJECT

public:
    TPageController(QTabWidget* pages, const TMainSheetWidgets& widgets,
                    const TPanelContext& context, QObject* parent);

    int CurrentPage() const;
    // Shows a page as the program's own doing: neither refused nor set up.
    void ShowPageQuietly(int index);

Q_SIGNALS:
    // The user left the Main page for another one.
    void MainPageLeft();
    void MainPageEntered();
    // The Mem Scan (1) or F Search (2) page: the panel stops following the receiver, and the
    // page runs its own set-up while PageControl1 is disabled.
    void ScanPageEntered(int page);
    void PageSetUpRequested(int page);

private:
    void CurrentChanged(int index);
    bool Refused() const;
    void EnableMenuItems(std::span<const char16_t* const> names, bool on) const;

    QTabWidget* FPages;
    TMainSheetWidgets FWidgets;
    TPanelContext FContext;
    int FShownPage = 0;
    bool FQuiet = false;
};
