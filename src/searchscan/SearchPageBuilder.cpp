#include "PageWidgets.h"
#include "SearchPage.h"
#include "UpDown.h"
#include "ValueTables.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using namespace PageWidgets;

namespace {

QHBoxLayout* Row(QVBoxLayout* column) {
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    column->addLayout(row);
    return row;
}

QLabel* Caption(QWidget* page, const QString& text) {
    auto* label = new QLabel(text, page);
    QFont small = label->font();
    small.setPixelSize(10);
    label->setFont(small);
    return label;
}

QLabel* AutoLabel(QWidget* page, const QString& name) {
    auto* label = Named(new QLabel(u"A"_s, page), name);
    QFont small = label->font();
    small.setPixelSize(9);
    label->setFont(small);
    label->hide();
    return label;
}

} // namespace

TSearchPageWidgets BuildSearchPageControls(QWidget* page) {
    TSearchPageWidgets w;
    QFont pageFont = page->font();
    pageFont.setPixelSize(11);
    page->setFont(pageFont);
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(2);

    // The latest hit.
    QHBoxLayout* hit = Row(column);
    auto* hitColumn = new QVBoxLayout;
    hitColumn->setSpacing(1);
    w.AutoSDisplayEdit =
        HitBox(page, u"AutoSDisplayEdit"_s, 19, u"[Ctrl-LButton] Drag to mem table|"_s);
    hitColumn->addWidget(w.AutoSDisplayEdit);
    auto* hitInfo = new QHBoxLayout;
    w.AutoSearchSigEdit = HitBox(page, u"AutoSearchSigEdit"_s, 0);
    w.AutoSearchSigEdit->setFixedWidth(60);
    hitInfo->addWidget(w.AutoSearchSigEdit);
    w.GettingDataLabel2 = DataLabel(page, u"GettingDataLabel2"_s);
    hitInfo->addWidget(w.GettingDataLabel2);
    hitInfo->addStretch();
    hitColumn->addLayout(hitInfo);
    hit->addLayout(hitColumn);
    w.SearchHitGauge = Gauge(page, u"SearchHitGauge"_s);
    hit->addWidget(w.SearchHitGauge);

    // The link group.
    w.SearchLinkGroupLabel = Named(new QLabel(u"Link Group 0"_s, page), u"SearchLinkGroupLabel"_s);
    column->addWidget(w.SearchLinkGroupLabel);
    w.SearchLinkTabControl = new TTabRows(page, u"SearchLinkTabControl"_s, kLinkGroupCount, 10);
    column->addWidget(w.SearchLinkTabControl);
    auto* group = new QGridLayout;
    group->setSpacing(2);
    constexpr TGroupEditSpec kEdits[] = {
        {u"sDelayEdit", u"UpDownSD", u"Delay", u"1/10s sec|", 99, 99},
        {u"sLevelEdit", u"UpDownSB", u"Level", u"", 255, 0},
        {u"sVoiceEdit", u"UpDownSA", u"Voice", u"", 255, 0},
        {u"sPauseEdit", u"UpDownSP", u"Pause", u"Seconds|", 60, 0},
    };
    const std::vector<TGroupEdit> edits = GroupEdits(page, kEdits, group);
    std::tie(w.sDelayEdit, w.UpDownSD) = std::pair(edits[0].Box, edits[0].UpDown);
    std::tie(w.sLevelEdit, w.UpDownSB) = std::pair(edits[1].Box, edits[1].UpDown);
    std::tie(w.sVoiceEdit, w.UpDownSA) = std::pair(edits[2].Box, edits[2].UpDown);
    std::tie(w.sPauseEdit, w.UpDownSP) = std::pair(edits[3].Box, edits[3].UpDown);
    column->addLayout(group);
    QHBoxLayout* flags = Row(column);
    w.HoldCheckBox = Named(new QCheckBox(u"Hold"_s, page), u"HoldCheckBox"_s);
    w.SearchLinkCheckBox = Named(new QCheckBox(u"Link ON"_s, page), u"SearchLinkCheckBox"_s);
    w.AutoStoreCheckBox = Named(new QCheckBox(u"AutoStore"_s, page), u"AutoStoreCheckBox"_s);
    flags->setSpacing(0);
    for (QCheckBox* box : {w.HoldCheckBox, w.SearchLinkCheckBox, w.AutoStoreCheckBox}) {
        QFont small = box->font();
        small.setPixelSize(10);
        box->setFont(small);
        flags->addWidget(box);
    }

    auto* linked = Named(new QGroupBox(u"Linked Banks"_s, page), u"LinkedBanksGroupBox"_s);
    auto* linkedGrid = new QGridLayout(linked);
    linkedGrid->setContentsMargins(2, 2, 2, 2);
    linkedGrid->setSpacing(0);
    for (int bank = 0; bank < kSearchBankCount; ++bank) {
        const QString digits = QString::number(bank).rightJustified(2, u'0');
        auto* box =
            Named(new QCheckBox(QString::number(bank), linked), u"S"_s + digits + u"CheckBox"_s);
        QFont small = box->font();
        small.setPixelSize(9);
        box->setFont(small);
        w.BankBoxes[static_cast<std::size_t>(bank)] = box;
        linkedGrid->addWidget(box, bank / 5, bank % 5);
    }
    column->addWidget(linked);

    // The bank editor.
    w.SearchFreqTabControl = new TTabRows(page, u"SearchFreqTabControl"_s, kSearchBankCount, 10);
    w.SearchFreqTabControl->setToolTip(u"RtClick Options"_s);
    w.SearchFreqTabControl->setContextMenuPolicy(Qt::CustomContextMenu);
    column->addWidget(w.SearchFreqTabControl);
    QHBoxLayout* label = Row(column);
    w.TTEdit = Named(new QLineEdit(page), u"TTEdit"_s);
    w.TTEdit->setMaxLength(8);
    w.SStOffsetBox = Named(new QCheckBox(u"StAdj"_s, page), u"SStOffsetBox"_s);
    label->addWidget(w.TTEdit, 1);
    label->addWidget(w.SStOffsetBox);
    QHBoxLayout* limits = Row(column);
    w.SLEdit = Named(new QLineEdit(page), u"SLEdit"_s);
    w.SUEdit = Named(new QLineEdit(page), u"SUEdit"_s);
    limits->addWidget(w.SLEdit);
    limits->addWidget(new QLabel(u"-"_s, page));
    limits->addWidget(w.SUEdit);

    auto* selectors = new QGridLayout;
    selectors->setSpacing(1);
    w.SModeComboBox = List(page, u"SModeComboBox"_s, kModes);
    w.SBandwidthComboBox = List(page, u"SBandwidthComboBox"_s, kBandwidths);
    w.SStepComboBox = List(page, u"SStepComboBox"_s, kSteps);
    w.SStepComboBox->setEditable(true);
    w.SStepComboBox->setInsertPolicy(QComboBox::NoInsert);
    w.SAntennaComboBox = List(page, u"SAntennaComboBox"_s, kAntennas);
    w.SAttenComboBox = List(page, u"SAttenComboBox"_s, kAttenuators);
    w.SAgcComboBox = List(page, u"SAgcComboBox"_s, kAgcs);
    w.SLPComboBox = List(page, u"SLPComboBox"_s, kLowPasses);
    w.SHPComboBox = List(page, u"SHPComboBox"_s, kHighPasses);
    w.SDeEmComboBox = List(page, u"SDeEmComboBox"_s, kDeEmphases);
    w.SAutoAntLabel = AutoLabel(page, u"SAutoAntLabel"_s);
    w.SAutoAttenLabel = AutoLabel(page, u"SAutoAttenLabel"_s);
    const std::pair<const char16_t*, QWidget*> cells[] = {
        {u"Mode", w.SModeComboBox},   {u"B/W", w.SBandwidthComboBox}, {u"Step", w.SStepComboBox},
        {u"Ant", w.SAntennaComboBox}, {u"Atn", w.SAttenComboBox},     {u"AGC", w.SAgcComboBox},
        {u"DeEm", w.SDeEmComboBox},   {u"LoPass", w.SLPComboBox},     {u"HiPass", w.SHPComboBox},
    };
    int index = 0;
    for (const auto& [caption, control] : cells) {
        const int rowAt = index / 2;
        const int colAt = (index % 2) * 2;
        // The number the receiver chose sits beside the caption when antenna or attenuator is
        // automatic.
        auto* captionCell = new QHBoxLayout;
        captionCell->setSpacing(1);
        captionCell->addWidget(Caption(page, QString::fromUtf16(caption)));
        if (control == w.SAntennaComboBox)
            captionCell->addWidget(w.SAutoAntLabel);
        if (control == w.SAttenComboBox)
            captionCell->addWidget(w.SAutoAttenLabel);
        captionCell->addStretch();
        selectors->addLayout(captionCell, rowAt, colAt);
        if (control == w.SStepComboBox) {
            selectors->addWidget(control, rowAt, colAt + 1, 1, 3);
            index += 2;
            continue;
        }
        selectors->addWidget(control, rowAt, colAt + 1);
        ++index;
    }
    column->addLayout(selectors);

    // Running the search.
    QHBoxLayout* run = Row(column);
    w.SpinButtonSearch = Named(new TUpDown(page), u"SpinButtonSearch"_s, u"Nudge PgUp/PgDn|"_s);
    w.SpinButtonSearch->setFixedSize(14, 44);
    run->addWidget(w.SpinButtonSearch);
    auto* buttons = new QGridLayout;
    buttons->setSpacing(2);
    w.StartSearchMyBitButton =
        Named(new QPushButton(u"Sea&rch Bank 0"_s, page), u"StartSearchMyBitButton"_s,
              u"Start Search, Rt Click Record/Database Logging Options|"_s);
    w.StartSearchMyBitButton->setContextMenuPolicy(Qt::CustomContextMenu);
    w.SearchStopButton =
        Named(new QPushButton(u"STO&P"_s, page), u"SearchStopButton"_s, u"Stop Search|"_s);
    w.PauseButton = Named(new QPushButton(u"&Open Squelch"_s, page), u"PauseButton"_s,
                          u"Open squelch to pause search"_s);
    w.PauseButton->setEnabled(false);
    w.AddPassFreqButton = Named(new QPushButton(u"Add to PassFreqs"_s, page),
                                u"AddPassFreqButton"_s, u"Add Freq To Pass List|"_s);
    w.AddPassFreqButton->setEnabled(false);
    w.CyberScanCheckBox2 = Named(new QCheckBox(u"C&yber"_s, page), u"CyberScanCheckBox2"_s);
    buttons->addWidget(w.StartSearchMyBitButton, 0, 0);
    buttons->addWidget(w.SearchStopButton, 0, 1);
    buttons->addWidget(w.PauseButton, 1, 0);
    buttons->addWidget(w.CyberScanCheckBox2, 1, 1);
    run->addLayout(buttons);
    QHBoxLayout* squelch = Row(column);
    squelch->addWidget(w.AddPassFreqButton, 1);
    squelch->addWidget(Caption(page, u"Sq"_s));
    w.SquelchForSearchEdit = NumberBox(page, u"SquelchForSearchEdit"_s, u"SquelchForSearch|"_s);
    w.SquelchSearchUpDown = UpDownFor(w.SquelchForSearchEdit, u"SquelchSearchUpDown"_s, 0, 255, 130,
                                      u"RtClick ShowBars"_s);
    squelch->addWidget(w.SquelchForSearchEdit);
    squelch->addWidget(w.SquelchSearchUpDown);
    w.StatusBar3 = Named(new QLabel(page), u"StatusBar3"_s);
    w.StatusBar3->setFrameShape(QFrame::StyledPanel);
    column->addWidget(w.StatusBar3);
    column->addStretch();

    w.SearchBankOptionsPopupMenu = Named(new QMenu(page), u"SearchBankOptionsPopupMenu"_s);
    w.WritetoSearchBank1 = Named(w.SearchBankOptionsPopupMenu->addAction(u"Update Bank to Rx"_s),
                                 u"WritetoSearchBank1"_s);
    w.ShowPassFreqs1 =
        Named(w.SearchBankOptionsPopupMenu->addAction(u"Show Pass Freqs"_s), u"ShowPassFreqs1"_s);
    // The pass lists take it over once they exist.
    w.ShowPassFreqs1->setEnabled(false);
    w.DeleteBank1 =
        Named(w.SearchBankOptionsPopupMenu->addAction(u"Delete Bank"_s), u"DeleteBank1"_s);
    w.PopupMenuSearchRecordToWav = Named(new QMenu(page), u"PopupMenuSearchRecordToWav"_s);
    w.RecordToWavFile1 = Named(w.PopupMenuSearchRecordToWav->addAction(u"Record To Wav File"_s),
                               u"RecordToWavFile1"_s);
    w.RecordToWavFile1->setCheckable(true);
    w.RecordToWavFile1->setEnabled(false);
    w.AutoLogtoLogtable1 =
        Named(w.PopupMenuSearchRecordToWav->addAction(u"Auto Log to Log table"_s),
              u"AutoLogtoLogtable1"_s);
    w.AutoLogtoLogtable1->setCheckable(true);
    return w;
}
