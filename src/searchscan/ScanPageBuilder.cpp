#include "PageWidgets.h"
#include "ScanPage.h"
#include "UpDown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using namespace PageWidgets;

namespace {

constexpr const char* kScanModes[] = {"FM", "AM", "LSB", "USB", "CW", "ALL"};

QLabel* Caption(QWidget* page, const QString& text) {
    auto* label = new QLabel(text, page);
    QFont small = label->font();
    small.setPixelSize(10);
    label->setFont(small);
    return label;
}

QPushButton* SmallButton(QWidget* page, const QString& name, const QString& caption,
                         const QString& hint) {
    auto* button = Named(new QPushButton(caption, page), name, hint);
    button->setFixedHeight(20);
    return button;
}

} // namespace

TScanPageWidgets BuildScanPageControls(QWidget* page) {
    TScanPageWidgets w;
    QFont pageFont = page->font();
    pageFont.setPixelSize(11);
    page->setFont(pageFont);
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(2);

    auto* hit = new QHBoxLayout;
    auto* hitColumn = new QVBoxLayout;
    hitColumn->setSpacing(1);
    w.AutoFDisplayEdit = HitBox(page, u"AutoFDisplayEdit"_s, 19);
    w.AutoMemDisplayEdit =
        HitBox(page, u"AutoMemDisplayEdit"_s, 15, u"Look up on first matching frequency"_s);
    w.AutoMemDisplayEdit->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto* info = new QHBoxLayout;
    w.MemChannelEdit = HitBox(page, u"MemChannelEdit"_s, 0);
    w.MemChannelEdit->setFixedWidth(36);
    w.AutoSigEdit = HitBox(page, u"AutoSigEdit"_s, 0);
    w.AutoSigEdit->setFixedWidth(60);
    w.GettingDataLabel = DataLabel(page, u"GettingDataLabel"_s);
    info->addWidget(w.MemChannelEdit);
    info->addWidget(w.AutoSigEdit);
    info->addWidget(w.GettingDataLabel);
    info->addStretch();
    hitColumn->addWidget(w.AutoFDisplayEdit);
    hitColumn->addWidget(w.AutoMemDisplayEdit);
    hitColumn->addLayout(info);
    hit->addLayout(hitColumn);
    w.ScanHitGauge = Gauge(page, u"ScanHitGauge"_s);
    hit->addWidget(w.ScanHitGauge);
    column->addLayout(hit);
    w.MessageLabel = Named(new QLabel(u"Scan"_s, page), u"MessageLabel"_s);
    w.MessageLabel->setAutoFillBackground(true);
    w.MessageLabel->setStyleSheet(u"background: black; color: lime; font-weight: bold;"_s);
    column->addWidget(w.MessageLabel);

    column->addWidget(Caption(page, u"Memory Scan Link Groups"_s));
    w.TabControl1 = new TTabRows(page, u"TabControl1"_s, kScanBankCount, 10);
    column->addWidget(w.TabControl1);
    w.LinkGroupLabel = Named(new QLabel(u"Link Group 0"_s, page), u"LinkGroupLabel"_s);
    column->addWidget(w.LinkGroupLabel);
    auto* group = new QGridLayout;
    group->setSpacing(2);
    constexpr TGroupEditSpec kEdits[] = {
        {u"Edit1", u"UpDownXD", u"Delay", u"1/10s sec|", 99, 99},
        {u"ScanLevelEdit", u"UpDown2", u"Level", u"", 255, 0},
        {u"Edit3", u"UpDown3", u"Voice", u"", 255, 0},
        {u"Edit4", u"UpDown4", u"Pause", u"Seconds|", 60, 0},
    };
    const std::vector<TGroupEdit> edits = GroupEdits(page, kEdits, group);
    std::tie(w.Edit1, w.UpDownXD) = std::pair(edits[0].Box, edits[0].UpDown);
    std::tie(w.ScanLevelEdit, w.UpDown2) = std::pair(edits[1].Box, edits[1].UpDown);
    std::tie(w.Edit3, w.UpDown3) = std::pair(edits[2].Box, edits[2].UpDown);
    std::tie(w.Edit4, w.UpDown4) = std::pair(edits[3].Box, edits[3].UpDown);
    column->addLayout(group);
    auto* modeRow = new QHBoxLayout;
    w.MemScanModeComboBox = List(page, u"MemScanModeComboBox"_s, kScanModes);
    w.ScanLinkCheckBox = Named(new QCheckBox(u"Link ON"_s, page), u"ScanLinkCheckBox"_s);
    modeRow->addWidget(Caption(page, u"Mode"_s));
    modeRow->addWidget(w.MemScanModeComboBox);
    modeRow->addWidget(w.ScanLinkCheckBox);
    column->addLayout(modeRow);
    auto* linked = Named(new QGroupBox(u"Linked Banks"_s, page), u"ScanLinkedBanksGroupBox"_s);
    auto* linkedGrid = new QGridLayout(linked);
    linkedGrid->setContentsMargins(2, 2, 2, 2);
    linkedGrid->setSpacing(0);
    for (int bank = 0; bank < kScanBankCount; ++bank) {
        auto* box = Named(new QCheckBox(QString::number(bank), linked),
                          u"B"_s + QString::number(bank) + u"CheckBox"_s);
        w.BankBoxes[static_cast<std::size_t>(bank)] = box;
        linkedGrid->addWidget(box, bank / 5, bank % 5);
    }
    column->addWidget(linked);

    auto* squelch = new QHBoxLayout;
    w.CyberScanCheckBox = Named(new QCheckBox(u"C&yber Scan"_s, page), u"CyberScanCheckBox"_s,
                                u"Toggle Cyber Scan|"_s);
    squelch->addWidget(w.CyberScanCheckBox);
    squelch->addStretch();
    squelch->addWidget(Caption(page, u"Squelch"_s));
    w.SquelchforMemScanEdit = NumberBox(page, u"SquelchforMemScanEdit"_s, u"Squelch for Scan|"_s);
    w.SquelchMemScanUpDown = UpDownFor(w.SquelchforMemScanEdit, u"SquelchMemScanUpDown"_s, 0, 255,
                                       130, u"RtClick ShowBars"_s);
    squelch->addWidget(w.SquelchforMemScanEdit);
    squelch->addWidget(w.SquelchMemScanUpDown);
    column->addLayout(squelch);

    auto* flags = new QHBoxLayout;
    flags->setSpacing(1);
    w.CheckBoxRecordScanToWav =
        Named(new QCheckBox(u"Rec to Wav"_s, page), u"CheckBoxRecordScanToWav"_s,
              u"Record scan hits to wav file|"_s);
    // Recording comes with the audio feature.
    w.CheckBoxRecordScanToWav->setEnabled(false);
    flags->addWidget(w.CheckBoxRecordScanToWav);
    w.SpeedButtonPassMem = SmallButton(page, u"SpeedButtonPassMem"_s, u"+Pass"_s, u"Set Pass On"_s);
    w.SpeedButtonClearPassFreqs = SmallButton(page, u"SpeedButtonClearPassFreqs"_s, u"-Pass"_s,
                                              u"Clear Pass Freqs by Bank"_s);
    w.SpeedButtonAddToSelectScan =
        SmallButton(page, u"SpeedButtonAddToSelectScan"_s, u"+SelSc"_s, u"Add to Select Scan"_s);
    w.SpeedButtonClearSelectFlags = SmallButton(page, u"SpeedButtonClearSelectFlags"_s, u"Clear"_s,
                                                u"Clear ALL Select Scan flags"_s);
    w.SpeedButtonPassMem->setEnabled(false);
    w.SpeedButtonAddToSelectScan->setEnabled(false);
    auto* passRow = new QHBoxLayout;
    passRow->setSpacing(1);
    for (QPushButton* button : {w.SpeedButtonPassMem, w.SpeedButtonClearPassFreqs,
                                w.SpeedButtonAddToSelectScan, w.SpeedButtonClearSelectFlags})
        passRow->addWidget(button);
    column->addLayout(flags);
    column->addLayout(passRow);

    auto* run = new QHBoxLayout;
    w.MemScanSpinButton = Named(new TUpDown(page), u"MemScanSpinButton"_s, u"Nudge PgUp/PgDn|"_s);
    w.MemScanSpinButton->setFixedSize(14, 48);
    run->addWidget(w.MemScanSpinButton);
    auto* buttons = new QGridLayout;
    buttons->setSpacing(2);
    w.ScanMyBitButton = Named(new QPushButton(u"S&can Bank"_s, page), u"ScanMyBitButton"_s);
    auto* bankLabel = new QLabel(u"&B"_s, page);
    w.BankNoSpinEdit =
        Named(new QSpinBox(page), u"BankNoSpinEdit"_s, u"Select Scan Bank [Alt-B] Sets Focus|"_s);
    w.BankNoSpinEdit->setRange(0, kScanBankCount - 1);
    w.BankNoSpinEdit->setFixedWidth(34);
    bankLabel->setBuddy(w.BankNoSpinEdit);
    auto* bankRow = new QHBoxLayout;
    bankRow->setSpacing(1);
    bankRow->addWidget(w.ScanMyBitButton, 1);
    bankRow->addWidget(bankLabel);
    bankRow->addWidget(w.BankNoSpinEdit);
    w.ButtonSelectScan = Named(new QPushButton(u"Se&lect Scan"_s, page), u"ButtonSelectScan"_s,
                               u"Run Select Scan|"_s);
    w.StopScanButton =
        Named(new QPushButton(u"STO&P"_s, page), u"StopScanButton"_s, u"Stop Scan|"_s);
    buttons->addLayout(bankRow, 0, 0, 1, 2);
    buttons->addWidget(w.ButtonSelectScan, 1, 0);
    buttons->addWidget(w.StopScanButton, 1, 1);
    run->addLayout(buttons);
    column->addLayout(run);
    w.StatusBar2 = Named(new QLabel(page), u"StatusBar2"_s);
    w.StatusBar2->setFrameShape(QFrame::StyledPanel);
    column->addWidget(w.StatusBar2);
    column->addStretch();
    return w;
}
