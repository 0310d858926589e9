#pragma once

#include "Hints.h"

#include <QColor>
#include <QString>
#include <QWidget>

#include <functional>
#include <span>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QGridLayout;
class TAR5000;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class TUpDown;

// Small makers for the controls of the search and scan pages: every control gets its name and
// its hint.
namespace PageWidgets {

template <typename T> T* Named(T* widget, const QString& name, const QString& hint = {}) {
    widget->setObjectName(name);
    if (!hint.isEmpty())
        SetHint(widget, hint);
    return widget;
}

// A read-only box of lime digits on black; `pixelSize` 0 keeps the page's type.
QLineEdit* HitBox(QWidget* parent, const QString& name, int pixelSize, const QString& hint = {});
void PaintBox(QWidget* box, const QColor& background);
QColor BoxColour(const QWidget* box);
// A red bar on black, 0..255 from the bottom up.
QProgressBar* Gauge(QWidget* parent, const QString& name);
QLabel* DataLabel(QWidget* parent, const QString& name);
// A three-character number box with its up-down, range and default.
QLineEdit* NumberBox(QWidget* parent, const QString& name, const QString& hint);
TUpDown* UpDownFor(QLineEdit* box, const QString& name, int minimum, int maximum, int position,
                   const QString& hint = {});
// One value of a link group: a number box with its up-down and a caption above.
struct TGroupEditSpec {
    const char16_t* Name;
    const char16_t* UpDownName;
    const char16_t* Caption;
    const char16_t* Hint;
    int Maximum;
    int Default;
};
struct TGroupEdit {
    QLineEdit* Box = nullptr;
    TUpDown* UpDown = nullptr;
};
// The group's values side by side in one row of boxes, captions above.
std::vector<TGroupEdit> GroupEdits(QWidget* page, std::span<const TGroupEditSpec> specs,
                                   QGridLayout* grid);
// A squelch box sends its number at once when it is a whole number 0..255.
void SendSquelchText(TAR5000& driver, const QLineEdit* box);
QComboBox* List(QWidget* parent, const QString& name, std::span<const char* const> items);
// A check box's face: green marks the bank being searched or scanned.
void MarkBox(QAbstractButton* box, bool marked);
bool IsMarked(const QAbstractButton* box);
// Whether the receiver's list of linked banks names bank n (its last digit at position n).
inline bool LinkedAt(const QString& banks, int n) {
    return n < banks.size() && banks.at(n) == QChar(u'0' + n % 10);
}

} // namespace PageWidgets

class TTabRows;
// A tab chosen by the user: selected, then `load` runs with the tabs disabled and `dataLabel`
// (when given) shown; both are put back however `load` ends.
void ChangeTab(TTabRows* tabs, QLabel* dataLabel, int index, const std::function<void()>& load);

// A row (or rows) of tabs numbered 0..count-1. A click asks (`TabClicked`); whoever owns it
// decides and selects with SetCurrentIndex, which says nothing: the program selecting a tab is
// never mistaken for the user.
class TTabRows : public QWidget {
    Q_OBJECT

public:
    TTabRows(QWidget* parent, const QString& name, int count, int perRow);
    int CurrentIndex() const { return FCurrent; }
    void SetCurrentIndex(int index);
    int Count() const { return static_cast<int>(FTabs.size()); }
    QAbstractButton* Tab(int index) const { return FTabs.at(static_cast<std::size_t>(index)); }

Q_SIGNALS:
    void TabClicked(int index);

private:
    std::vector<QAbstractButton*> FTabs;
    int FCurrent = 0;
};
