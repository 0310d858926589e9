#pragma once

#include <QDialog>
#include <QString>
#include <QVariant>

class QLabel;
class QLineEdit;
class QToolButton;
class TCategoryGrid;
class TTableEngine;
class TTableView;

// What the chooser is asked for.
enum class TSelectCategoryMode {
    SearchLog,   // a category and a note for the entries auto-logging adds
    BlockChange, // a category for every row the log shows
};

// The category chooser: pick a category (or add one) and, for auto-logged entries, a note.
// Enter is OK, Esc is Cancel. OK first posts a category still being typed; if the table refuses
// it, the user is told why and the window stays open.
class TFormSelectCategoryText : public QDialog {
    Q_OBJECT

public:
    TFormSelectCategoryText(TTableEngine& engine, const QString& logTablePath,
                            TSelectCategoryMode mode, const QString& notesText,
                            QWidget* parent = nullptr);
    ~TFormSelectCategoryText() override;

    // After OK: the chosen category's ID (null when the grid was empty) and text, and the note.
    QVariant CategoryId() const { return FCategoryId; }
    QString CategoryText() const { return FCategoryText; }
    QString NotesText() const;

    TTableView& QCat() const { return *FQCat; }
    TCategoryGrid& Grid() const { return *FGrid; }

    void OkClick();
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    TTableEngine& FEngine;
    TTableView* FQCat;
    TCategoryGrid* FGrid;
    QLineEdit* EditNotesText;
    QLabel* LabelNotes;
    QVariant FCategoryId;
    QString FCategoryText;
};
