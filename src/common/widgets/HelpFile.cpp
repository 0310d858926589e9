#include "HelpFile.h"

#include "ProgramFolder.h"
#include "ProgramInfo.h"
#include "Prompt.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>
#include <QVersionNumber>

using namespace Qt::StringLiterals;

namespace {

const QString kHelpName = u"Kv7Help.html"_s;
// The guide's pictures and style sheet sit beside it, so it keeps a folder of its own.
const QString kShippedHelp = u"help/"_s + kHelpName;
constexpr int kVersionParts = 4;

TUrlOpener& Opener() {
    static TUrlOpener opener;
    return opener;
}

} // namespace

QString HelpFileName() {
    const QString inProgramFolder = ProgramFile(kHelpName);
    if (QFileInfo::exists(inProgramFolder))
        return inProgramFolder;
    const QString shipped = ShippedDataFile(kShippedHelp);
    return shipped.isEmpty() ? inProgramFolder : shipped;
}

void ShowHelpContext(const QString& title, int context, const QString& helpFile) {
    if (!QFileInfo::exists(helpFile)) {
        Prompt().Error(title, u"The help file %1 was not found."_s.arg(helpFile));
        return;
    }
    QUrl url = QUrl::fromLocalFile(QFileInfo(helpFile).absoluteFilePath());
    if (context > 0)
        url.setFragment(QString::number(context));
    if (!OpenUrl(url))
        Prompt().Error(title, u"The help file %1 could not be opened."_s.arg(helpFile));
}

TUrlOpener SetUrlOpener(TUrlOpener opener) {
    return std::exchange(Opener(), std::move(opener));
}

bool OpenUrl(const QUrl& url) {
    return Opener() ? Opener()(url) : QDesktopServices::openUrl(url);
}

QString VersionCheckText(const QString& title, const QString& version) {
    QList<int> parts = QVersionNumber::fromString(version).segments();
    while (parts.size() < kVersionParts)
        parts.append(0);
    QStringList numbers;
    for (int part : parts)
        numbers.append(QString::number(part));
    return u"This version of "_s + title + u" is \r\n"_s + numbers.join(u'.') +
           u"\r\n\r\nClick Yes to check the latest version online\r\n"
           u"The version number will show in your browser if you are online.\r\n"
           u"Click No to return to "_s +
           title;
}

void OnlineCheckVersion(const QString& title, const QString& version) {
    if (!Prompt().Confirm(title, VersionCheckText(title, version)))
        return;
    const QUrl page(QString::fromLatin1(kProgramWebAddress) + QLatin1String(kVersionCheckPath));
    if (!OpenUrl(page))
        Prompt().Error(title, u"The web page %1 could not be opened."_s.arg(page.toString()));
}
