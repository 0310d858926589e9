#include "HelpFile.h"

#include "ProgramFolder.h"
#include "Prompt.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

using namespace Qt::StringLiterals;

QString HelpFileName() {
    return ProgramFile(u"Kv7Help.html"_s);
}

void ShowHelpContext(const QString& title, int context, const QString& helpFile) {
    if (!QFileInfo::exists(helpFile)) {
        Prompt().Error(title, u"The help file %1 was not found."_s.arg(helpFile));
        return;
    }
    QUrl url = QUrl::fromLocalFile(helpFile);
    url.setFragment(QString::number(context));
    if (!QDesktopServices::openUrl(url))
        Prompt().Error(title, u"The help file %1 could not be opened."_s.arg(helpFile));
}
