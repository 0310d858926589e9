#include "OpenMemoDialog.h"

#include "Kv7File.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QPlainTextEdit>

using namespace Qt::StringLiterals;

TOpenMemoDialog::TOpenMemoDialog(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& filter)
    : QFileDialog(parent, title, folder, filter) {
    setObjectName(u"OpenMemoDialog"_s);
    // The memo lives in the dialog's own layout, which a native dialog does not have.
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);

    FInfoMemo = new QPlainTextEdit(this);
    FInfoMemo->setObjectName(u"InfoMemo"_s);
    FInfoMemo->setReadOnly(true);
    FInfoMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    FInfoMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    FInfoMemo->setFocusPolicy(Qt::NoFocus);
    FInfoMemo->setToolTip(u"File Information"_s);
    QPalette palette = FInfoMemo->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    FInfoMemo->setPalette(palette);
    // Wide enough for its longest line; the file list keeps the rest of the room.
    const int memoWidth = fontMetrics().horizontalAdvance(u"Highest Mem used 999__"_s);
    FInfoMemo->setMinimumWidth(memoWidth);
    FInfoMemo->setMaximumWidth(memoWidth * 3 / 2);

    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(FInfoMemo, 0, grid->columnCount(), grid->rowCount(), 1);
    resize(sizeHint().expandedTo(QSize(780, 420)));
    connect(this, &QFileDialog::currentChanged, this, &TOpenMemoDialog::SelectionChanged);
}

void TOpenMemoDialog::SelectionChanged(const QString& path) {
    FInfoMemo->clear();
    if (QFileInfo(path).isFile())
        FInfoMemo->setPlainText(Kv7PreviewText(path));
}

QString TOpenMemoDialog::GetFile(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& filter) {
    TOpenMemoDialog dialog(parent, title, folder, filter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}
