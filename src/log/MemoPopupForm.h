#pragma once

#include <QDialog>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;
class TTableView;

// The notes of the log view's current row in a window of their own: read-only until "Allow Edit"
// is checked. OK (or Ctrl+Alt+Shift+Enter) posts the row with the notes as they stand; a post the
// table refuses is explained and the window stays open. Esc drops the row's pending edit.
class TMemoPopupForm : public QDialog {
    Q_OBJECT

public:
    explicit TMemoPopupForm(TTableView& logView, QWidget* parent = nullptr);

    void OkClick();
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    TTableView& FLogView;
    QPlainTextEdit* Memo1;
    QCheckBox* CheckBoxAllowEdit;
    QPushButton* ButtonEsc;
    QPushButton* ButtonOK;
};
