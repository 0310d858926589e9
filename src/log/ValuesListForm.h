#pragma once

#include <QDialog>
#include <QString>

class QToolButton;
class TCategoryGrid;
class TTableEngine;
class TTableView;

// The category manager of a log table ("Signal Categories"): its categories in the order they were
// made, edited, added and deleted on the spot. A category a log row or a saved sub-selection uses
// cannot be deleted. Every post is written through to disk.
class TFormValuesList : public QDialog {
    Q_OBJECT

public:
    TFormValuesList(TTableEngine& engine, const QString& logTablePath, QWidget* parent = nullptr);
    ~TFormValuesList() override;

    TTableView& QVL() const { return *FQVL; }
    TCategoryGrid& Grid() const { return *FGrid; }

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    TTableEngine& FEngine;
    QString FLogTablePath;
    TTableView* FQVL;
    TCategoryGrid* FGrid;
    QToolButton* FCloseButton;

    bool NavigatorBeforeDelete();
};
