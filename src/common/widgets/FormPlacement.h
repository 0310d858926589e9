#pragma once

#include <QString>

class QWidget;
class TIniFile;

// Writes the window's left, top, width and height under its object name (a minimised or
// maximised window is first set to normal). Keys are lower case unless `capitalised`.
void SaveFormPlacement(QWidget* window, TIniFile& ini, bool capitalised = false);
// Sets left and top from the file (defaults given); width and height only when their default
// is not -1. A failure is shown in a message box and the window keeps its place.
void RestoreFormPlacement(QWidget* window, int defaultLeft, int defaultTop, const TIniFile& ini,
                          int defaultHeight = -1, int defaultWidth = -1, bool capitalised = false);
