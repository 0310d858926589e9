#pragma once

#include <QPointer>
#include <QTableView>

#include <functional>
#include <initializer_list>

class QToolBar;
class TCategoryGridModel;
class TTableView;

// The buttons of a grid's navigator, in the order they stand.
enum class TNavigateButton { First, Prior, Next, Last, Insert, Delete, Post, Cancel };

// A grid of the categories over a live view, shared by the category windows: only the Category
// column shows, light yellow. An edit stays pending in the view until it is posted (Post, moving
// to another row, or the window's OK), as a new row does after Insert; a new row left blank is
// dropped when the user moves away.
class TCategoryGrid : public QTableView {
    Q_OBJECT

public:
    TCategoryGrid(TTableView& view, int categoryWidth, QWidget* parent = nullptr);

    TTableView& View() const { return FView; }
    int CategoryWidth() const { return FCategoryWidth; }

    // Puts an open cell editor's text into the view.
    void CommitEdit();
    // Posts the pending row (a blank new row is dropped); a refusal is reported and kept.
    bool PostPending();
    // What a navigator button does; Delete asks BeforeDelete first.
    bool Navigate(TNavigateButton button);
    // Adds the navigator's buttons to a tool bar, named "Nav" + the button ("NavPost").
    void AddNavigator(QToolBar* bar, std::initializer_list<TNavigateButton> buttons);

    // Whether the current row may be deleted; it tells the user why not.
    std::function<bool()> BeforeDelete;

    // Called with the engine's text when a post or delete fails.
    std::function<void(const QString& error)> OnError;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

Q_SIGNALS:
    // A pending row has been written to the table.
    void Posted();

private:
    TTableView& FView;
    TCategoryGridModel* FModel;
    int FCategoryWidth;
    QPointer<QWidget> FEditor;
    bool FSyncing = false;

    void ResetRows();
    void ShowViewRow();
    void RowChosen(int row);
    bool Report(bool ok);
    bool DropBlankInsert();

    friend class TCategoryDelegate;
};
