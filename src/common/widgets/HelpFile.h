#pragma once

#include <QString>

#include <functional>

class QUrl;

// "Kv7Help.html": the program folder's copy when there is one (a user may keep a newer guide
// there), else the one shipped with the program ("help/Kv7Help.html" among its shipped files).
QString HelpFileName();

// Opens the HTML help file at the topic of `context`, or at its start when `context` is 0; a
// missing or unopenable file is told in a message box titled `title`.
void ShowHelpContext(const QString& title, int context, const QString& helpFile = HelpFileName());

// Every web page and help topic the program shows goes through this one opener, so tests can
// see what would have been opened without a browser starting.
using TUrlOpener = std::function<bool(const QUrl& url)>;
// Installs `opener` (empty: the desktop's own) and returns the one it replaces.
TUrlOpener SetUrlOpener(TUrlOpener opener);
bool OpenUrl(const QUrl& url);

// The version box's text: the version's parts joined by ".", padded to four parts.
QString VersionCheckText(const QString& title, const QString& version);
// Asks whether to look for a newer version online; Yes opens the version page in the browser.
void OnlineCheckVersion(const QString& title, const QString& version);
