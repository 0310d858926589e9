#include "memory/MemoryFixture.h"

#include "DataUnit1.h"
#include "DragData.h"
#include "MemoryGrid.h"
#include "MemorySql.h"
#include "TransferDialogs.h"
#include "ValueTables.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>
#include <span>

using namespace Qt::StringLiterals;

namespace {

// The grid on the memory view of a fresh program folder, shown and active.
struct TGridFixture {
    TMemoryHome Home;
    TDataModule1 Module{Home.Dir.path()};
    TMemoryGrid Grid;

    bool Open() {
        if (!Module.DataModule1Create())
            return false;
        Grid.SetTableModel(&Module.DataSource1());
        Grid.resize(1400, 500);
        Grid.show();
        Grid.activateWindow();
        return QTest::qWaitForWindowActive(&Grid);
    }
    TTableView& View() { return Module.MemQuery1(); }
    TTableModel& Model() { return Module.DataSource1(); }
    int Column(const char16_t* field) const { return Grid.GridColumnOf(QStringView(field)); }
    QModelIndex Cell(int row, int gridColumn) const {
        return Grid.model()->index(row, Grid.FieldOfGridColumn(gridColumn));
    }
    QPoint CellCentre(int row, int gridColumn) const {
        return Grid.visualRect(Cell(row, gridColumn)).center();
    }
    QVariant Value(int row, const QString& field) {
        return View().ValueAt(row, View().FieldIndex(field));
    }
    QVariantList RowValues(int row) {
        QVariantList values;
        for (int field = 0; field < View().FieldCount(); ++field)
            values << View().ValueAt(row, field);
        return values;
    }
    // Written as the program writes, without the field checks.
    bool Store(int row, const QString& field, const QVariant& value) {
        return View().MoveTo(row) && View().Edit() && View().SetField(field, value) &&
               View().Post();
    }
};

QStringList Strings(std::span<const char* const> texts) {
    QStringList list;
    for (const char* text : texts)
        list << QString::fromLatin1(text);
    return list;
}

QStringList LabelTexts(const QWidget& widget) {
    QStringList texts;
    for (const QLabel* label : widget.findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

QString ButtonText(const QWidget& widget, const QString& name) {
    const auto* button = widget.findChild<QPushButton*>(name);
    return button ? button->text() : u"<missing>"_s;
}

void Click(const QWidget& widget, const QString& name) {
    if (auto* button = widget.findChild<QPushButton*>(name))
        button->click();
}

QColor PixelAt(QWidget& widget, QPoint point) {
    return widget.grab().toImage().pixelColor(point);
}

bool WaitCursorShown() {
    return QApplication::overrideCursor() &&
           QApplication::overrideCursor()->shape() == Qt::WaitCursor;
}

} // namespace

class TestMemoryGrid : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void columnsKeepTheirPlaceWhenTheViewReopens();
    void typedEdits_data();
    void typedEdits();
    void memIsReadOnly();
    void ctrlDeleteDeletesNothing();
    void keySignals_data();
    void keySignals();
    void doubleClickTunesWithoutEditing();
    void scrollKeyRelease_data();
    void scrollKeyRelease();
    void titleClick_data();
    void titleClick();
    void colours();
    void multiSelect();
    void dragCarriesMem();
    void cancelFormTexts();
    void cancelFormCancels_data();
    void cancelFormCancels();
    void cancelFormDestroyedWhileShown();
    void confirmUploadForm();
    void uploadQueryForm_data();
    void uploadQueryForm();
};

void TestMemoryGrid::columnsKeepTheirPlaceWhenTheViewReopens() {
    TGridFixture f;
    QVERIFY(f.Open());
    const QHeaderView* header = f.Grid.horizontalHeader();
    // FREQ is widened where the font needs more room for "2600.000000".
    const int freqWidth =
        std::max(64, f.Grid.fontMetrics().horizontalAdvance(u"2600.000000"_s) + 12);
    const std::array<int, TMemoryGrid::kGridColumnCount> widths = {
        35, freqWidth, header->defaultSectionSize(),
        64, 64,        64,
        64, 64,        64,
        64, 64,        64,
        64, 64,        64,
        64, 64,        60};
    const QStringList order = {u"MEM"_s,     u"FREQ"_s,    u"TEXT"_s,   u"MODE"_s,  u"BW"_s,
                               u"LP"_s,      u"HP"_s,      u"DM"_s,     u"AGC"_s,   u"STEP"_s,
                               u"SSTEP"_s,   u"ATN"_s,     u"ANT"_s,    u"STADJ"_s, u"PASS"_s,
                               u"SELSCAN"_s, u"SQUELCH"_s, u"CHANGED"_s};
    const auto checkLayout = [&] {
        for (int column = 0; column < TMemoryGrid::kGridColumnCount; ++column) {
            const int field = f.Grid.FieldOfGridColumn(column);
            QVERIFY2(field >= 0, qPrintable(order[column]));
            QCOMPARE(f.View().Field(field).Name.toUpper(), order[column]);
            QCOMPARE(TMemoryGrid::GridColumnField(column), order[column]);
            QCOMPARE(header->visualIndex(field), column);
            QCOMPARE(header->sectionSize(field), widths[static_cast<std::size_t>(column)]);
        }
    };
    checkLayout();
    if (QTest::currentTestFailed())
        return;

    QSignalSpy resets(&f.Model(), &QAbstractItemModel::modelReset);
    QVERIFY(f.Module.ReopenMemoryView(AllRowsSql(QString::fromLatin1(kBankTables[1]))));
    QVERIFY(!resets.isEmpty());
    QCOMPARE(f.Grid.model()->columnCount(), TMemoryGrid::kGridColumnCount);
    checkLayout();
}

void TestMemoryGrid::typedEdits_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("before");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("offered"); // empty: a line edit
    QTest::addColumn<QVariant>("stored");     // a refused value leaves what was there

    const QStringList flags = {QString(), u"Y"_s};
    QTest::newRow("pick list, other case")
        << u"MODE"_s << QVariant(u"AM"_s) << u"fm"_s << Strings(kModes) << QVariant(u"fm"_s);
    QTest::newRow("pick list, not in list")
        << u"MODE"_s << QVariant(u"AM"_s) << u"XYZ"_s << Strings(kModes) << QVariant(u"AM"_s);
    QTest::newRow("step, off the list")
        << u"STEP"_s << QVariant(u"5.000"_s) << u"7.5"_s << Strings(kSteps) << QVariant(u"7.5"_s);
    QTest::newRow("flag") << u"PASS"_s << QVariant() << u"y"_s << flags << QVariant(true);
    QTest::newRow("frequency") << u"FREQ"_s << QVariant(100.0) << u"145.5"_s << QStringList()
                               << QVariant(145.5);
    QTest::newRow("frequency above range")
        << u"FREQ"_s << QVariant(100.0) << u"2600.000001"_s << QStringList() << QVariant(100.0);
    QTest::newRow("squelch above range")
        << u"SQUELCH"_s << QVariant(10) << u"256"_s << QStringList() << QVariant(10);
}

void TestMemoryGrid::typedEdits() {
    QFETCH(QString, field);
    QFETCH(QVariant, before);
    QFETCH(QString, typed);
    QFETCH(QStringList, offered);
    QFETCH(QVariant, stored);
    TGridFixture f;
    QVERIFY(f.Open());
    constexpr int row = 5;
    QVERIFY(f.Store(row, field, before));
    const int column = f.Grid.GridColumnOf(field);
    QCOMPARE(f.Grid.PickList(column), offered);

    f.Grid.setCurrentIndex(f.Cell(row, column));
    QTest::keyClick(&f.Grid, typed.at(0).toLatin1());
    QWidget* editor = QApplication::focusWidget();
    QVERIFY(editor && editor != &f.Grid);
    if (offered.isEmpty()) {
        QVERIFY(qobject_cast<QLineEdit*>(editor));
    } else {
        const auto* combo = qobject_cast<QComboBox*>(editor);
        QVERIFY(combo && combo->isEditable());
        QStringList items;
        for (int item = 0; item < combo->count(); ++item)
            items << combo->itemText(item);
        QCOMPARE(items, offered);
    }
    QTest::keyClicks(editor, typed.mid(1));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), &f.Grid); // the editor commits queued

    QCOMPARE(f.Value(row, field), stored);
}

void TestMemoryGrid::memIsReadOnly() {
    TGridFixture f;
    QVERIFY(f.Open());
    const QModelIndex mem = f.Cell(3, f.Column(u"MEM"));
    QVERIFY(!(f.Model().flags(mem) & Qt::ItemIsEditable));
    f.Grid.setCurrentIndex(mem);
    QTest::keyClick(&f.Grid, Qt::Key_F2);
    QCOMPARE(QApplication::focusWidget(), &f.Grid);
    QCOMPARE(f.Value(3, u"MEM"_s).toString(), u"003"_s);
}

void TestMemoryGrid::ctrlDeleteDeletesNothing() {
    TGridFixture f;
    QVERIFY(f.Open());
    constexpr int row = 3;
    QVERIFY(f.Store(row, u"FREQ"_s, 145.5));
    QVERIFY(f.Store(row, u"TEXT"_s, u"Tower"_s));
    f.Grid.setCurrentIndex(f.Cell(row, f.Column(u"FREQ")));
    const QVariantList before = f.RowValues(row);
    const int rows = f.Model().rowCount();

    QTest::keyClick(&f.Grid, Qt::Key_Delete, Qt::ControlModifier);

    QCOMPARE(f.Model().rowCount(), rows);
    QCOMPARE(f.View().RecordCount(), kBankRows);
    QCOMPARE(f.RowValues(row), before);
    QCOMPARE(f.Grid.currentIndex().row(), row);
}

void TestMemoryGrid::keySignals_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("tunes");
    QTest::addColumn<int>("quickJumps");

    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    QTest::newRow("Ctrl+Return") << int(Qt::Key_Return) << ctrl << 1 << 0;
    QTest::newRow("Ctrl+Enter") << int(Qt::Key_Enter) << (ctrl | Qt::KeypadModifier) << 1 << 0;
    QTest::newRow("Return") << int(Qt::Key_Return) << Qt::KeyboardModifiers() << 0 << 0;
    QTest::newRow("Ctrl+F3") << int(Qt::Key_F3) << ctrl << 0 << 1;
    QTest::newRow("F3") << int(Qt::Key_F3) << Qt::KeyboardModifiers() << 0 << 0;
}

void TestMemoryGrid::keySignals() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, tunes);
    QFETCH(int, quickJumps);
    TGridFixture f;
    QVERIFY(f.Open());
    f.Grid.setCurrentIndex(f.Cell(10, f.Column(u"MODE")));
    QSignalSpy tune(&f.Grid, &TMemoryGrid::TuneRequested);
    QSignalSpy jump(&f.Grid, &TMemoryGrid::QuickJumpRequested);

    QTest::keyClick(&f.Grid, static_cast<Qt::Key>(key), modifiers);

    QCOMPARE(tune.count(), tunes);
    QCOMPARE(jump.count(), quickJumps);
    QCOMPARE(QApplication::focusWidget(), &f.Grid); // no editor opened
}

void TestMemoryGrid::doubleClickTunesWithoutEditing() {
    TGridFixture f;
    QVERIFY(f.Open());
    const int column = f.Column(u"MODE");
    f.Grid.setCurrentIndex(f.Cell(12, column)); // selected already: a click would edit
    QSignalSpy tune(&f.Grid, &TMemoryGrid::TuneRequested);

    // What a window system delivers: the double-click event comes with the second press.
    QWidget* viewport = f.Grid.viewport();
    const QPoint at = f.CellCentre(12, column);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    QTest::mousePress(viewport, Qt::LeftButton, {}, at);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);

    QCOMPARE(tune.count(), 1);
    QTest::qWait(QApplication::doubleClickInterval() + 200);
    QCOMPARE(QApplication::focusWidget(), &f.Grid);
}

void TestMemoryGrid::scrollKeyRelease_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("autoRepeat");
    QTest::addColumn<int>("direction"); // how the row has moved when the signal comes
    QTest::addColumn<bool>("emitted");

    QTest::newRow("Down") << int(Qt::Key_Down) << false << 1 << true;
    QTest::newRow("Up") << int(Qt::Key_Up) << false << -1 << true;
    QTest::newRow("Page Down") << int(Qt::Key_PageDown) << false << 1 << true;
    QTest::newRow("Page Up") << int(Qt::Key_PageUp) << false << -1 << true;
    QTest::newRow("Down repeating") << int(Qt::Key_Down) << true << 1 << false;
    QTest::newRow("Right") << int(Qt::Key_Right) << false << 0 << false;
}

void TestMemoryGrid::scrollKeyRelease() {
    QFETCH(int, key);
    QFETCH(bool, autoRepeat);
    QFETCH(int, direction);
    QFETCH(bool, emitted);
    TGridFixture f;
    QVERIFY(f.Open());
    constexpr int start = 50;
    f.Grid.setCurrentIndex(f.Cell(start, f.Column(u"MODE")));
    QList<int> rowsAtSignal;
    connect(&f.Grid, &TMemoryGrid::ScrollKeyReleased, &f.Grid,
            [&] { rowsAtSignal << f.Grid.currentIndex().row(); });

    QTest::keyPress(&f.Grid, static_cast<Qt::Key>(key));
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(&f.Grid, &release);

    const int moved = f.Grid.currentIndex().row() - start;
    QCOMPARE((moved > 0) - (moved < 0), direction);
    QCOMPARE(rowsAtSignal.size(), emitted ? 1 : 0);
    if (emitted)
        QCOMPARE(rowsAtSignal.front(), start + moved);
}

void TestMemoryGrid::titleClick_data() {
    QTest::addColumn<QString>("field");
    QTest::newRow("SQUELCH") << u"SQUELCH"_s;
    QTest::newRow("TEXT") << u"TEXT"_s;
    QTest::newRow("MEM") << u"MEM"_s;
}

void TestMemoryGrid::titleClick() {
    QFETCH(QString, field);
    TGridFixture f;
    QVERIFY(f.Open());
    constexpr int row = 7;
    f.Grid.setCurrentIndex(f.Cell(row, f.Column(u"MODE")));
    const int column = f.Grid.GridColumnOf(field);
    QSignalSpy clicked(&f.Grid, &TMemoryGrid::TitleClicked);
    int focusedAtSignal = -2;
    connect(&f.Grid, &TMemoryGrid::TitleClicked, &f.Grid,
            [&] { focusedAtSignal = f.Grid.FocusedGridColumn(); });

    QHeaderView* header = f.Grid.horizontalHeader();
    const int x = header->sectionViewportPosition(f.Grid.FieldOfGridColumn(column)) + 5;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));

    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.front().front().toInt(), column);
    QCOMPARE(focusedAtSignal, column);
    QCOMPARE(f.Grid.currentIndex().row(), row);
}

void TestMemoryGrid::colours() {
    TGridFixture f;
    QVERIFY(f.Open());
    const QColor fixed(200, 200, 120);
    const QColor back(255, 255, 230);
    const QColor highlight(Qt::red);
    f.Grid.SetColours(fixed, back, QColor(Qt::darkBlue));
    f.Grid.SetTitleHighlight(5, highlight);
    QHeaderView* header = f.Grid.horizontalHeader();
    const auto titlePixel = [&](int column) {
        const int x = header->sectionViewportPosition(f.Grid.FieldOfGridColumn(column));
        return PixelAt(*header->viewport(), QPoint(x + 3, 3));
    };
    for (int column = 0; column < TMemoryGrid::kGridColumnCount; ++column) {
        const QColor expected = column == 5 ? highlight : fixed;
        QCOMPARE(f.Grid.TitleColour(column), expected);
        QCOMPARE(titlePixel(column), expected);
    }
    f.Grid.SetTitleHighlight(-1, highlight);
    QCOMPARE(f.Grid.TitleColour(5), fixed);
    QCOMPARE(titlePixel(5), fixed);

    // MEM like the titles, data cells in the back colour, the selected row still shows.
    f.Grid.setCurrentIndex(f.Cell(2, f.Column(u"MODE")));
    const auto cellPixel = [&](int row, const char16_t* field) {
        const QRect cell = f.Grid.visualRect(f.Cell(row, f.Column(field)));
        return PixelAt(*f.Grid.viewport(), cell.topLeft() + QPoint(2, 2));
    };
    QCOMPARE(cellPixel(4, u"MEM"), fixed);
    QCOMPARE(cellPixel(4, u"MODE"), back);
    QCOMPARE(cellPixel(4, u"CHANGED"), back);
    QVERIFY(cellPixel(2, u"BW") != back);

    // Text: MEM is written like the titles, the data cells in the text colour.
    QVERIFY(f.Store(4, u"MODE"_s, u"WWW"_s));
    const QImage shot = f.Grid.viewport()->grab().toImage();
    const auto pixelsOf = [&](const char16_t* field, const QColor& colour) {
        const QRect cell = f.Grid.visualRect(f.Cell(4, f.Column(field)));
        int count = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                count += shot.pixelColor(x, y) == colour ? 1 : 0;
        return count;
    };
    const QColor titleText = header->palette().color(QPalette::ButtonText);
    QVERIFY(titleText != QColor(Qt::darkBlue));
    QCOMPARE(pixelsOf(u"MEM", QColor(Qt::darkBlue)), 0);
    QVERIFY(pixelsOf(u"MEM", titleText) > 0);
    QVERIFY(pixelsOf(u"MODE", QColor(Qt::darkBlue)) > 0);
}

void TestMemoryGrid::multiSelect() {
    TGridFixture f;
    QVERIFY(f.Open());
    const int column = f.Column(u"MODE");
    QWidget* viewport = f.Grid.viewport();
    const auto click = [&](int row, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(viewport, Qt::LeftButton, modifiers, f.CellCentre(row, column));
    };
    QVERIFY(!f.Grid.MultiSelect());
    click(5);
    click(2, Qt::ControlModifier);
    QCOMPARE(f.Grid.SelectedRows(), QList<int>({2}));

    f.Grid.SetMultiSelect(true);
    QVERIFY(f.Grid.MultiSelect());
    click(5, Qt::ControlModifier);
    click(8, Qt::ControlModifier);
    QCOMPARE(f.Grid.SelectedRows(), QList<int>({2, 5, 8}));
    click(5, Qt::ControlModifier);
    QCOMPARE(f.Grid.SelectedRows(), QList<int>({2, 8}));
    click(20);
    QTest::keyClick(&f.Grid, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&f.Grid, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(f.Grid.SelectedRows(), QList<int>({20, 21, 22}));

    f.Grid.SetMultiSelect(false);
    QVERIFY(!f.Grid.MultiSelect());
    QCOMPARE(f.Grid.SelectedRows(), QList<int>({22}));
}

void TestMemoryGrid::dragCarriesMem() {
    TGridFixture f;
    QVERIFY(f.Open());
    f.Grid.CurrentBank = [] {
        return 1;
    };
    const TDragPayload payload = ReadDragData(f.Grid.RowMimeData(42).get());
    QCOMPARE(payload.Kind, TDragKind::MemoryRow);
    QCOMPARE(payload.Origin, u"DBGrid1"_s);
    QCOMPARE(payload.Bank, 1);
    QCOMPARE(payload.Channel, 42);
}

void TestMemoryGrid::cancelFormTexts() {
    TCancelForm form;
    QCOMPARE(form.objectName(), u"CancelForm"_s);
    QCOMPARE(form.windowTitle(), u"Cancel"_s);
    QVERIFY(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!form.isModal());
    QVERIFY(LabelTexts(form).contains(u"Please wait during information transfer"_s));
    QCOMPARE(ButtonText(form, u"CancelButton"_s), u"Cancel"_s);
    const auto* label = form.findChild<QLabel*>(u"ProgressLabel"_s);
    const auto* bar = form.findChild<QProgressBar*>(u"ProgressBar"_s);
    QVERIFY(label && label == form.ProgressLabel());
    QVERIFY(bar);
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 1000);
    form.SetLabel(u"Memory 042"_s);
    QCOMPARE(label->text(), u"Memory 042"_s);
    form.SetPosition(400);
    QCOMPARE(bar->value(), 400);
    form.SetPosition(1200);
    QCOMPARE(bar->value(), 1000);
}

void TestMemoryGrid::cancelFormCancels_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("stillShown");
    QTest::newRow("button") << u"button"_s << true;
    QTest::newRow("close") << u"close"_s << false;
    QTest::newRow("escape") << u"escape"_s << true;
}

void TestMemoryGrid::cancelFormCancels() {
    QFETCH(QString, how);
    QFETCH(bool, stillShown);
    QWidget owner;
    owner.setGeometry(100, 100, 800, 600);
    owner.show();
    TCancelForm form(&owner);
    int hooks = 0;
    form.OnCancel = [&] {
        ++hooks;
    };
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(WaitCursorShown());
    QVERIFY(!form.Cancelled());
    QCOMPARE(form.frameGeometry().center(), owner.frameGeometry().center());

    if (how == u"button")
        Click(form, u"CancelButton"_s);
    else if (how == u"close")
        QVERIFY(form.close());
    else
        QTest::keyClick(&form, Qt::Key_Escape);

    QVERIFY(form.Cancelled());
    QCOMPARE(hooks, 1);
    QCOMPARE(form.isVisible(), stillShown);
    form.hide();
    QCOMPARE(QApplication::overrideCursor(), nullptr);

    // The next transfer starts uncancelled, with the wait cursor once more.
    form.show();
    QVERIFY(!form.Cancelled());
    QVERIFY(WaitCursorShown());
    form.hide();
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(hooks, 1);
}

void TestMemoryGrid::cancelFormDestroyedWhileShown() {
    auto form = std::make_unique<TCancelForm>();
    form->show();
    QVERIFY(WaitCursorShown());
    form.reset();
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void TestMemoryGrid::confirmUploadForm() {
    TConfirmUploadForm form;
    QCOMPARE(form.objectName(), u"ConfirmUploadForm"_s);
    QCOMPARE(form.windowTitle(), u"Confirm Upload"_s);
    const QStringList texts = LabelTexts(form);
    QVERIFY(texts.contains(u"Upload All Memories from AR5000 ?"_s));
    QVERIFY(texts.contains(u"This will overwrite the data table and may take a while"_s));
    QCOMPARE(ButtonText(form, u"ProceedButton"_s), u"&Proceed"_s);
    QCOMPARE(ButtonText(form, u"CancelButton"_s), u"&Cancel"_s);
    auto* clearSquelch = form.findChild<QCheckBox*>(u"ClearSquelchCheckBox"_s);
    auto* onlyBank0 = form.findChild<QCheckBox*>(u"OnlyBank0CheckBox"_s);
    QVERIFY(clearSquelch && onlyBank0);
    QCOMPARE(clearSquelch->text(), u"Clear Squelch Values"_s);
    QCOMPARE(onlyBank0->text(), u"Only Get Bank 0"_s);

    QTimer::singleShot(0, &form, [&] {
        onlyBank0->setChecked(true);
        Click(form, u"ProceedButton"_s);
    });
    QCOMPARE(form.exec(), int(QDialog::Accepted));
    QVERIFY(form.OnlyBank0());
    QVERIFY(!form.ClearSquelch());

    bool checkedOnOpen = true;
    QTimer::singleShot(0, &form, [&] {
        checkedOnOpen = clearSquelch->isChecked() || onlyBank0->isChecked();
        Click(form, u"CancelButton"_s);
    });
    QCOMPARE(form.exec(), int(QDialog::Rejected));
    QVERIFY(!checkedOnOpen);
}

void TestMemoryGrid::uploadQueryForm_data() {
    QTest::addColumn<QString>("button"); // empty: Escape
    QTest::addColumn<TUploadChoice>("choice");
    QTest::addColumn<int>("result");
    QTest::newRow("changed") << u"ChangedButton"_s << TUploadChoice::Changed
                             << int(QDialog::Accepted);
    QTest::newRow("all") << u"AllButton"_s << TUploadChoice::All << int(QDialog::Accepted);
    QTest::newRow("cancel") << u"CancelButton"_s << TUploadChoice::Cancel << int(QDialog::Rejected);
    QTest::newRow("escape") << QString() << TUploadChoice::Cancel << int(QDialog::Rejected);
}

void TestMemoryGrid::uploadQueryForm() {
    QFETCH(QString, button);
    QFETCH(TUploadChoice, choice);
    QFETCH(int, result);
    TUploadQueryForm form;
    QCOMPARE(form.objectName(), u"UploadQueryForm"_s);
    QCOMPARE(form.windowTitle(), u"Confirm Upload"_s);
    const QStringList texts = LabelTexts(form);
    QVERIFY(texts.contains(u"Update memory table to receiver"_s));
    QVERIFY(texts.contains(u"Changed updates only those with changed flag set"_s));
    QCOMPARE(ButtonText(form, u"ChangedButton"_s), u"C&hanged"_s);
    QCOMPARE(ButtonText(form, u"AllButton"_s), u"&All"_s);
    QCOMPARE(ButtonText(form, u"CancelButton"_s), u"&Cancel"_s);

    // A choice from an earlier time is not taken over.
    QTimer::singleShot(0, &form, [&] { Click(form, u"AllButton"_s); });
    QCOMPARE(form.exec(), int(QDialog::Accepted));
    QTimer::singleShot(0, &form, [&] {
        if (button.isEmpty())
            QTest::keyClick(&form, Qt::Key_Escape);
        else
            Click(form, button);
    });
    QCOMPARE(form.exec(), result);
    QCOMPARE(form.Choice(), choice);
}

QTEST_MAIN(TestMemoryGrid)
#include "tst_memorygrid.moc"
