#include "PageWidgets.h"

#include "AR5000.h"
#include "PanelState.h"
#include "UpDown.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScopeGuard>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace PageWidgets {

namespace {
const char* const kMarkProperty = "kovelaMarked";
}

void PaintBox(QWidget* box, const QColor& background) {
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Text, kBoxLime);
    box->setPalette(palette);
}

QColor BoxColour(const QWidget* box) {
    return box->palette().color(QPalette::Base);
}

QLineEdit* HitBox(QWidget* parent, const QString& name, int pixelSize, const QString& hint) {
    auto* box = Named(new QLineEdit(parent), name, hint);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    PaintBox(box, kBoxBlack);
    if (pixelSize > 0) {
        QFont font(u"Arial"_s);
        font.setPixelSize(pixelSize);
        box->setFont(font);
        box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    return box;
}

QProgressBar* Gauge(QWidget* parent, const QString& name) {
    auto* gauge = Named(new QProgressBar(parent), name);
    gauge->setOrientation(Qt::Vertical);
    gauge->setRange(0, 255);
    gauge->setValue(0);
    gauge->setTextVisible(false);
    gauge->setFixedWidth(12);
    gauge->setStyleSheet(u"QProgressBar { background: black; border: 1px solid gray; }"
                         u"QProgressBar::chunk { background: red; }"_s);
    return gauge;
}

QLabel* DataLabel(QWidget* parent, const QString& name) {
    auto* label = Named(new QLabel(u"Data"_s, parent), name);
    label->setStyleSheet(u"color: red; font-weight: bold;"_s);
    label->hide();
    return label;
}

QLineEdit* NumberBox(QWidget* parent, const QString& name, const QString& hint) {
    auto* box = Named(new QLineEdit(parent), name, hint);
    box->setMaxLength(3);
    box->setFixedWidth(30);
    return box;
}

TUpDown* UpDownFor(QLineEdit* box, const QString& name, int minimum, int maximum, int position,
                   const QString& hint) {
    auto* upDown = Named(new TUpDown(box->parentWidget()), name, hint);
    upDown->SetRange(minimum, maximum);
    upDown->SetBuddy(box);
    upDown->SetPosition(position);
    upDown->setFixedSize(14, box->sizeHint().height());
    return upDown;
}

std::vector<TGroupEdit> GroupEdits(QWidget* page, std::span<const TGroupEditSpec> specs,
                                   QGridLayout* grid) {
    std::vector<TGroupEdit> edits;
    int cell = 0;
    for (const TGroupEditSpec& spec : specs) {
        TGroupEdit edit;
        edit.Box = NumberBox(page, QString::fromUtf16(spec.Name), QString::fromUtf16(spec.Hint));
        edit.UpDown =
            UpDownFor(edit.Box, QString::fromUtf16(spec.UpDownName), 0, spec.Maximum, spec.Default);
        auto* caption = new QLabel(QString::fromUtf16(spec.Caption), page);
        QFont small = caption->font();
        small.setPixelSize(10);
        caption->setFont(small);
        grid->addWidget(caption, 0, cell * 2, 1, 2);
        grid->addWidget(edit.Box, 1, cell * 2);
        grid->addWidget(edit.UpDown, 1, cell * 2 + 1);
        edits.push_back(edit);
        ++cell;
    }
    return edits;
}

void SendSquelchText(TAR5000& driver, const QLineEdit* box) {
    bool ok = false;
    const int value = box->text().toInt(&ok);
    if (ok && value >= 0 && value <= kSquelchMax)
        driver.SetSquelch(value);
}

QComboBox* List(QWidget* parent, const QString& name, std::span<const char* const> items) {
    auto* list = Named(new QComboBox(parent), name);
    for (const char* item : items)
        list->addItem(QString::fromLatin1(item));
    list->setMaxVisibleItems(20);
    return list;
}

void MarkBox(QAbstractButton* box, bool marked) {
    box->setProperty(kMarkProperty, marked);
    box->setStyleSheet(marked ? u"background: rgb(0,128,0); color: white;"_s : QString());
}

bool IsMarked(const QAbstractButton* box) {
    return box->property(kMarkProperty).toBool();
}

} // namespace PageWidgets

void ChangeTab(TTabRows* tabs, QLabel* dataLabel, int index, const std::function<void()>& load) {
    tabs->SetCurrentIndex(index);
    tabs->setEnabled(false);
    if (dataLabel)
        dataLabel->show();
    const auto restore = qScopeGuard([tabs, dataLabel] {
        if (dataLabel)
            dataLabel->hide();
        tabs->setEnabled(true);
    });
    load();
}

TTabRows::TTabRows(QWidget* parent, const QString& name, int count, int perRow)
    : QWidget(parent) {
    setObjectName(name);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    for (int i = 0; i < count; ++i) {
        auto* tab = new QToolButton(this);
        tab->setObjectName(name + u"Tab"_s + QString::number(i));
        tab->setText(QString::number(i));
        tab->setCheckable(true);
        tab->setAutoRaise(false);
        tab->setFocusPolicy(Qt::NoFocus);
        tab->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        tab->setFixedHeight(18);
        grid->addWidget(tab, i / perRow, i % perRow);
        FTabs.push_back(tab);
        connect(tab, &QToolButton::clicked, this, [this, i] {
            // The tab shows as chosen only when the owner selects it.
            Tab(i)->setChecked(i == FCurrent);
            Q_EMIT TabClicked(i);
        });
    }
    SetCurrentIndex(0);
}

void TTabRows::SetCurrentIndex(int index) {
    if (index < 0 || index >= Count())
        return;
    FCurrent = index;
    for (int i = 0; i < Count(); ++i)
        Tab(i)->setChecked(i == index);
}
