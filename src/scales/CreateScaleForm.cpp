#include "CreateScaleForm.h"

#include "NumberText.h"
#include "ProgramFolder.h"
#include "Prompt.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QString kScaleFilter = u"Scale Files *.scl (*.scl);;All Files *.* (*)"_s;
const QString kSuffix = u".scl"_s;
// A custom colour the colour dialog offers beside its own: 0x7FC0C0 as a 0x00BBGGRR value.
const QColor kCustomColour{0xC0, 0xC0, 0x7F};

QString WithSuffix(const QString& name) {
    return name.isEmpty() || !QFileInfo(name).suffix().isEmpty() ? name : name + kSuffix;
}

QLineEdit* NamedEdit(const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

void SetBase(QWidget* widget, const QColor& colour) {
    QPalette colours = widget->palette();
    colours.setColor(QPalette::Base, colour);
    colours.setColor(QPalette::Window, colour);
    widget->setPalette(colours);
}

} // namespace

TCreateScaleForm::TCreateScaleForm(const TScaleEditorStart& start, QWidget* parent)
    : QDialog(parent) {
    setObjectName(u"CreateScaleForm"_s);
    setWindowTitle(u"Create Tuning Scale"_s);
    setModal(true);
    AskOpen = [](const QString& caption, const QString& folder, const QString& filter) {
        return Prompt().OpenFileName(caption, folder, {}, filter);
    };
    AskSave = [](const QString& caption, const QString& folder, const QString& filter) {
        return Prompt().SaveFileName(caption, folder, {}, filter);
    };
    AskColour = [this](const QColor& initial) -> std::optional<QColor> {
        QColorDialog::setCustomColor(0, kCustomColour);
        const QColor chosen = QColorDialog::getColor(initial, this);
        return chosen.isValid() ? std::optional(chosen) : std::nullopt;
    };
    AskSaveScale = [this] {
        return QMessageBox::question(this, windowTitle(), u"Do you wish to save your scale?"_s,
                                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    };
    Build();

    for (std::size_t i = 0; i < kScaleSettingCount; ++i)
        FSettings[i]->setCurrentIndex(start.Settings[i]);
    FScaleStepComboBox->setEditText(start.Step);
    FScaleStOffsetBox->setChecked(start.StepOffset);
    if (!start.VfoText.isEmpty()) {
        FScaleLowFLimitEdit->setText(start.VfoText.trimmed());
        FScaleHighFLimitEdit->setText(start.VfoText.trimmed());
    }
}

void TCreateScaleForm::Build() {
    auto* layout = new QVBoxLayout(this);
    auto* menu = new QMenuBar(this);
    QMenu* file = menu->addMenu(u"&File"_s);
    file->setObjectName(u"File1"_s);
    FOpen1 = file->addAction(u"&Open"_s);
    FOpen1->setObjectName(u"Open1"_s);
    FSave1 = file->addAction(u"&Save"_s);
    FSave1->setObjectName(u"Save1"_s);
    FSave1->setEnabled(false);
    FSaveAs1 = file->addAction(u"Save &As"_s);
    FSaveAs1->setObjectName(u"SaveAs1"_s);
    connect(FOpen1, &QAction::triggered, this, &TCreateScaleForm::OpenClick);
    connect(FSave1, &QAction::triggered, this, &TCreateScaleForm::SaveClick);
    connect(FSaveAs1, &QAction::triggered, this, &TCreateScaleForm::SaveAsClick);
    layout->setMenuBar(menu);

    auto* about = new QGridLayout;
    FAuthorEdit = NamedEdit(u"AuthorEdit"_s, this);
    FAuthorEmailEdit = NamedEdit(u"AuthorEmailEdit"_s, this);
    FDescriptionEdit = NamedEdit(u"DescriptionEdit"_s, this);
    const std::pair<const char16_t*, QLineEdit*> aboutRows[] = {
        {u"Author", FAuthorEdit}, {u"EMail", FAuthorEmailEdit}, {u"Description", FDescriptionEdit}};
    int row = 0;
    for (const auto& [label, edit] : aboutRows) {
        about->addWidget(new QLabel(QString::fromUtf16(label), this), row, 0);
        about->addWidget(edit, row++, 1);
    }
    layout->addLayout(about);

    auto* settings = new QGroupBox(u"Scale Settings"_s, this);
    auto* settingsGrid = new QGridLayout(settings);
    FScaleLowFLimitEdit = NamedEdit(u"ScaleLowFLimitEdit"_s, settings);
    FScaleHighFLimitEdit = NamedEdit(u"ScaleHighFLimitEdit"_s, settings);
    settingsGrid->addWidget(new QLabel(u"Low Freq Limit"_s, settings), 0, 0);
    settingsGrid->addWidget(FScaleLowFLimitEdit, 0, 1);
    settingsGrid->addWidget(new QLabel(u"High Freq Limit"_s, settings), 0, 2);
    settingsGrid->addWidget(FScaleHighFLimitEdit, 0, 3);
    for (std::size_t i = 0; i < kScaleSettingCount; ++i) {
        const TSelector& selector = kSelectors[kScaleSettings[i].Selector];
        auto* list = new QComboBox(settings);
        list->setObjectName(QString::fromUtf16(kScaleSettings[i].EditorName));
        for (const char* item : selector.Items)
            list->addItem(QString::fromLatin1(item));
        FSettings[i] = list;
        const int cell = static_cast<int>(i);
        settingsGrid->addWidget(new QLabel(QString::fromUtf16(selector.Label), settings),
                                1 + cell / 4, (cell % 4) * 2);
        settingsGrid->addWidget(list, 1 + cell / 4, (cell % 4) * 2 + 1);
    }
    FScaleStepComboBox = new QComboBox(settings);
    FScaleStepComboBox->setObjectName(u"ScaleStepComboBox"_s);
    FScaleStepComboBox->setEditable(true);
    FScaleStepComboBox->setInsertPolicy(QComboBox::NoInsert);
    for (const char* step : kSteps)
        FScaleStepComboBox->addItem(QString::fromLatin1(step));
    FScaleStOffsetBox = new QCheckBox(u"StAdj"_s, settings);
    FScaleStOffsetBox->setObjectName(u"ScaleStOffsetBox"_s);
    settingsGrid->addWidget(new QLabel(u"Step"_s, settings), 4, 0);
    settingsGrid->addWidget(FScaleStepComboBox, 4, 1);
    settingsGrid->addWidget(FScaleStOffsetBox, 4, 2);
    layout->addWidget(settings);

    auto* bands = new QGroupBox(u"Colour Highlight Bands"_s, this);
    auto* bandGrid = new QGridLayout(bands);
    const char16_t* columns[] = {u"Title", u"Colour", u"Low Freq Limit", u"High Freq Limit"};
    for (int c = 0; c < 4; ++c)
        bandGrid->addWidget(new QLabel(QString::fromUtf16(columns[c]), bands), 0, c);
    for (int n = 1; n <= kScaleBandCount; ++n) {
        TBandRow& band = FBands[static_cast<std::size_t>(n - 1)];
        band.Title = NamedEdit(u"Band%1Title"_s.arg(n), bands);
        band.ColorPanel = new QFrame(bands);
        band.ColorPanel->setObjectName(u"Band%1ColorPanel"_s.arg(n));
        band.ColorPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        band.ColorPanel->setAutoFillBackground(true);
        band.ColorPanel->setMinimumSize(40, 18);
        band.ColorPanel->setCursor(Qt::PointingHandCursor);
        band.ColorPanel->installEventFilter(this);
        band.Low = NamedEdit(u"Band%1LowEdit"_s.arg(n), bands);
        band.High = NamedEdit(u"Band%1HighEdit"_s.arg(n), bands);
        SetBandColour(band, Qt::white);
        bandGrid->addWidget(band.Title, n, 0);
        bandGrid->addWidget(band.ColorPanel, n, 1);
        bandGrid->addWidget(band.Low, n, 2);
        bandGrid->addWidget(band.High, n, 3);
    }
    layout->addWidget(bands);

    QList<QObject*> numeric = {FScaleLowFLimitEdit, FScaleHighFLimitEdit,
                               FScaleStepComboBox->lineEdit()};
    for (const TBandRow& band : FBands)
        numeric << band.Low << band.High;
    for (QObject* edit : numeric) {
        edit->setProperty("numericOnly", true);
        edit->installEventFilter(this);
    }
}

bool TCreateScaleForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        for (int n = 1; n <= kScaleBandCount; ++n)
            if (watched == FBands[static_cast<std::size_t>(n - 1)].ColorPanel) {
                BandColourClick(n);
                return true;
            }
    }
    if (event->type() == QEvent::KeyPress && watched->property("numericOnly").toBool()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            return true;
        const QString text = key->text();
        if (text.size() == 1 && text.at(0).isPrint() && !text.at(0).isDigit() && text.at(0) != u'.')
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TCreateScaleForm::SetBandColour(TBandRow& row, const QColor& colour) {
    row.Colour = colour;
    SetBase(row.Title, colour);
    SetBase(row.ColorPanel, colour);
}

void TCreateScaleForm::BandColourClick(int band) {
    TBandRow& row = FBands[static_cast<std::size_t>(band - 1)];
    if (const auto chosen = AskColour(row.Colour))
        SetBandColour(row, *chosen);
}

void TCreateScaleForm::UseFile(const QString& fileName) {
    FFileInUse = fileName;
    FSave1->setEnabled(true);
    setWindowTitle(fileName);
}

void TCreateScaleForm::OpenClick() {
    const QString name = AskOpen(u"Open a Scale File for Editing"_s, DataFolder(), kScaleFilter);
    if (name.isEmpty())
        return;
    UseFile(name);
    ShowFile(name);
}

void TCreateScaleForm::ShowFile(const QString& fileName) {
    const TScaleText text = ReadScaleText(fileName, TScaleDefaults::Editor);
    FAuthorEdit->setText(text.Author);
    FAuthorEmailEdit->setText(text.Email);
    FDescriptionEdit->setText(text.Description);
    FScaleLowFLimitEdit->setText(text.LowF);
    FScaleHighFLimitEdit->setText(text.HiF);
    for (std::size_t i = 0; i < kScaleSettingCount; ++i)
        FSettings[i]->setCurrentIndex(static_cast<int>(ParseInteger(text.Settings[i]).value_or(0)));
    FScaleStepComboBox->setEditText(text.Step);
    FScaleStOffsetBox->setChecked(text.StepOffsetStatus == u"1"_s);
    for (std::size_t n = 0; n < FBands.size(); ++n) {
        TBandRow& row = FBands[n];
        const TScaleBandText& band = text.Bands[n];
        row.Title->setText(band.Title);
        row.Low->setText(band.Low);
        row.High->setText(band.High);
        SetBandColour(row, ScaleColour(band.Colour, Qt::white));
    }
}

TScaleText TCreateScaleForm::Fields() const {
    TScaleText text;
    text.LowF = FScaleLowFLimitEdit->text();
    text.HiF = FScaleHighFLimitEdit->text();
    for (std::size_t i = 0; i < kScaleSettingCount; ++i)
        text.Settings[i] = QString::number(FSettings[i]->currentIndex());
    text.Step = FScaleStepComboBox->currentText();
    text.StepOffsetStatus = FScaleStOffsetBox->isChecked() ? u"1"_s : u"0"_s;
    text.Author = FAuthorEdit->text();
    text.Email = FAuthorEmailEdit->text();
    text.Description = FDescriptionEdit->text();
    for (std::size_t n = 0; n < FBands.size(); ++n) {
        const TBandRow& row = FBands[n];
        text.Bands[n] = {row.Low->text(), row.High->text(), row.Title->text(),
                         ScaleColourText(row.Colour)};
    }
    return text;
}

bool TCreateScaleForm::WriteFile() {
    const TScaleWriteResult result = WriteScaleText(FFileInUse, Fields());
    for (int band : result.BadBands)
        Prompt().Information(windowTitle(), u"Bad Data in band "_s + QString::number(band));
    if (!result.ErrorText.isEmpty()) {
        Prompt().Error(windowTitle(), result.ErrorText);
        return false;
    }
    return true;
}

bool TCreateScaleForm::SaveClick() {
    // A file that has gone since it was opened is not silently skipped: the user picks a name.
    if (FFileInUse.isEmpty() || !QFileInfo::exists(FFileInUse))
        return SaveAsClick();
    return WriteFile();
}

bool TCreateScaleForm::SaveAsClick() {
    const QString name = WithSuffix(AskSave(u"Save a Scale File"_s, DataFolder(), kScaleFilter));
    if (name.isEmpty())
        return false;
    UseFile(name);
    return WriteFile();
}

void TCreateScaleForm::reject() {
    switch (AskSaveScale()) {
    case QMessageBox::Yes:
        // Cancelling the file dialog keeps the editor open, so nothing typed is lost.
        if (FSave1->isEnabled() ? SaveClick() : SaveAsClick())
            QDialog::reject();
        return;
    case QMessageBox::No:
        QDialog::reject();
        return;
    default:
        return;
    }
}
