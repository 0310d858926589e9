#pragma once

#include <QDialog>

// Shown while the link closes, which can take as long as the receiver's time-out.
class TClosingMessageForm : public QDialog {
    Q_OBJECT

public:
    explicit TClosingMessageForm(QWidget* parent = nullptr);

    // Shows the window and lets it paint before the caller blocks.
    void ShowAndPaint();
};
