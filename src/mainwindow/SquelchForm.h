#pragma once

#include <QDialog>

#include <array>

class QHeaderView;
class QLineEdit;
class QSlider;
class QToolButton;
class TSquelchController;

// The squelch window: the six levels as vertical sliders. It mirrors the main window's squelch
// boxes when it opens and pushes slider moves back to them; a level goes to the receiver when the
// slider of the current box is let go.
class TSquelchForm : public QDialog {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 289;
    static constexpr int kClientHeight = 411;
    static constexpr int kSectionWidth = 48;

    TSquelchForm(TSquelchController* squelch, QWidget* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SliderMoved(std::size_t index, int position);
    void SliderLetGo(std::size_t index);
    void SectionClicked(int section);
    void AllVfosOpen();
    void MarkCurrent(std::size_t index);

    TSquelchController* FSquelch;
    QHeaderView* HeaderControl1;
    std::array<QSlider*, 6> FTrackBars{};
    std::array<QLineEdit*, 6> FEdits{};
    QToolButton* ToolButton2;
    QToolButton* ToolButton3;
};
