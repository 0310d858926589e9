#include "SquelchForm.h"

#include "HelpContext.h"
#include "PanelState.h"
#include "SquelchController.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QSlider>
#include <QStandardItemModel>
#include <QToolBar>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

constexpr int kHeaderHeight = 20;
constexpr int kEditTop = 24;
constexpr int kEditHeight = 20;
constexpr int kSliderTop = 48;
constexpr int kToolBarHeight = 30;
constexpr int kPageStep = 10;
constexpr int kTickInterval = 16;

void Paint(QLineEdit* edit, const QColor& background) {
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Text, kBoxLime);
    edit->setPalette(palette);
}

} // namespace

TSquelchForm::TSquelchForm(TSquelchController* squelch, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint)
    , FSquelch(squelch)
    , HeaderControl1(new QHeaderView(Qt::Horizontal, this))
    , ToolButton2(new QToolButton(this))
    , ToolButton3(new QToolButton(this)) {
    setObjectName(u"SquelchForm"_s);
    setWindowTitle(u"Squelch"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kClientWidth, kClientHeight);

    auto* model = new QStandardItemModel(0, 6, HeaderControl1);
    model->setHorizontalHeaderLabels({u"A"_s, u"B"_s, u"C"_s, u"D"_s, u"E"_s, u"Mem"_s});
    HeaderControl1->setObjectName(u"HeaderControl1"_s);
    HeaderControl1->setModel(model);
    HeaderControl1->setSectionsClickable(true);
    HeaderControl1->setSectionResizeMode(QHeaderView::Fixed);
    HeaderControl1->setDefaultSectionSize(kSectionWidth);
    HeaderControl1->setGeometry(0, 0, kClientWidth, kHeaderHeight);
    connect(HeaderControl1, &QHeaderView::sectionClicked, this, &TSquelchForm::SectionClicked);

    const int sliderHeight = kClientHeight - kToolBarHeight - kSliderTop - 4;
    for (std::size_t i = 0; i < FTrackBars.size(); ++i) {
        const QChar letter = SquelchLetter(i);
        const int left = static_cast<int>(i) * kSectionWidth;
        auto* edit = new QLineEdit(FSquelch->Text(letter), this);
        edit->setObjectName(u"Edit"_s + letter);
        edit->setReadOnly(true);
        edit->setAlignment(Qt::AlignCenter);
        edit->setGeometry(left + 6, kEditTop, kSectionWidth - 12, kEditHeight);
        Paint(edit, kBoxBlack);
        FEdits[i] = edit;

        auto* slider = new QSlider(Qt::Vertical, this);
        slider->setObjectName(u"TrackBar"_s + letter);
        slider->setRange(0, kSquelchMax);
        slider->setPageStep(kPageStep);
        slider->setTickInterval(kTickInterval);
        slider->setTickPosition(QSlider::TicksBothSides);
        slider->setCursor(Qt::PointingHandCursor);
        // Position 0 at the top, as on the receiver's own scale of squelch opening.
        slider->setInvertedAppearance(true);
        slider->setInvertedControls(true);
        slider->setValue(FSquelch->Value(letter));
        slider->setGeometry(left + 9, kSliderTop, kSectionWidth - 18, sliderHeight);
        slider->installEventFilter(this);
        connect(slider, &QSlider::valueChanged, this,
                [this, i](int position) { SliderMoved(i, position); });
        FTrackBars[i] = slider;
    }
    MarkCurrent(SquelchIndex(FSquelch->CurrentLetter()));

    auto* toolBar = new QToolBar(this);
    toolBar->setObjectName(u"ToolBar1"_s);
    toolBar->setGeometry(0, kClientHeight - kToolBarHeight, kClientWidth, kToolBarHeight);
    ToolButton2->setObjectName(u"ToolButton2"_s);
    ToolButton2->setText(u"&VFOs=255"_s);
    ToolButton3->setObjectName(u"ToolButton3"_s);
    ToolButton3->setText(u"&Close"_s);
    toolBar->addWidget(ToolButton2);
    toolBar->addWidget(ToolButton3);
    connect(ToolButton2, &QToolButton::clicked, this, &TSquelchForm::AllVfosOpen);
    connect(ToolButton3, &QToolButton::clicked, this, &QWidget::close);

    // Centred on the screen, not over the main window, whose boxes it would hide. Placed now,
    // a dialog is not moved over its parent when shown.
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        QRect placed = frameGeometry();
        placed.moveCenter(screen->availableGeometry().center());
        move(placed.topLeft());
    }
    ApplyHelpContexts(this);
}

void TSquelchForm::MarkCurrent(std::size_t index) {
    for (QLineEdit* edit : FEdits)
        Paint(edit, kBoxBlack);
    Paint(FEdits[index], kValueRed);
}

void TSquelchForm::SliderMoved(std::size_t index, int position) {
    const QChar letter = SquelchLetter(index);
    // The memory's level is stored in its channel's row: only what the user moves counts, not
    // the positions set while the window is being made.
    if (letter == u'M' && !isVisible())
        return;
    FEdits[index]->setText(QString::number(position));
    FSquelch->SetValue(letter, position);
    if (letter == u'M')
        FSquelch->StoreMemorySquelch();
}

void TSquelchForm::SliderLetGo(std::size_t index) {
    if (SquelchLetter(index) == FSquelch->CurrentLetter())
        FSquelch->SendSquelch(FTrackBars[index]->value());
}

bool TSquelchForm::eventFilter(QObject* watched, QEvent* event) {
    const bool mouseLetGo = event->type() == QEvent::MouseButtonRelease;
    const bool keyLetGo = event->type() == QEvent::KeyRelease &&
                          !static_cast<const QKeyEvent*>(event)->isAutoRepeat();
    if (!mouseLetGo && !keyLetGo)
        return false;
    for (std::size_t i = 0; i < FTrackBars.size(); ++i) {
        if (FTrackBars[i] == watched)
            SliderLetGo(i);
    }
    return false;
}

void TSquelchForm::SectionClicked(int section) {
    if (section < 0 || section >= static_cast<int>(FEdits.size()))
        return;
    const auto index = static_cast<std::size_t>(section);
    for (QLineEdit* edit : FEdits)
        Paint(edit, kBoxBlack);
    FSquelch->RequestBoxClick(SquelchLetter(index));
    Paint(FEdits[index], kValueRed);
}

void TSquelchForm::AllVfosOpen() {
    for (std::size_t i = 0; i < kMemorySquelchIndex; ++i) {
        FTrackBars[i]->setValue(kSquelchMax);
        FEdits[i]->setText(QString::number(kSquelchMax));
        FSquelch->SetValue(SquelchLetter(i), kSquelchMax);
    }
    if (FSquelch->CurrentLetter() != u'M')
        FSquelch->SendSquelch(kSquelchMax);
}

void TSquelchForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}
