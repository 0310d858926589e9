#pragma once

#include <QString>

// "Kv7Help.html" in the program folder.
QString HelpFileName();

// Opens the HTML help file at the topic of `context`; a missing or unopenable file is told in a
// message box titled `title`.
void ShowHelpContext(const QString& title, int context, const QString& helpFile = HelpFileName());
