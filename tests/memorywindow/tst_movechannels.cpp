// Moving and copying memory channels in the move window against the in-process simulated
// receiver: the table rows and the receiver's memory are compared after each drop.
#include "memorywindow/MemFormFixture.h"

#include "ChannelMover.h"
#include "MemoryGrid.h"
#include "MoveForm.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QSplitter>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// The fields a move carries, as the table holds them.
const QStringList kCarried = {u"FREQ"_s,  u"TEXT"_s, u"MODE"_s,    u"BW"_s,     u"LP"_s,  u"HP"_s,
                              u"DM"_s,    u"AGC"_s,  u"STEP"_s,    u"SSTEP"_s,  u"ATN"_s, u"ANT"_s,
                              u"STADJ"_s, u"PASS"_s, u"SELSCAN"_s, u"SQUELCH"_s};

struct TMoveFixture : TMemFormFixture {
    std::unique_ptr<TMoveForm> Move;
    TMoveKind Kind = TMoveKind::Copy;
    QStringList Questions;

    TMoveFixture() {
        if (!Panel.Open())
            qFatal("the link did not open");
        // Every channel blank in both, so that only what a test puts there is in use.
        QStringList blank;
        for (const QString& field : kCarried)
            blank << field + u" = NULL"_s;
        if (!Sql(u"UPDATE MemoryBank0.dbf SET CHANGED = NULL, "_s + blank.join(u", "_s)))
            qFatal("the table could not be blanked");
        for (int channel = 0; channel < kBankRows; ++channel)
            Panel.Receiver.ClearMemory(0, channel);
        if (!Data.OpenMoveTable())
            qFatal("no move table");
        Move = std::make_unique<TMoveForm>(*Form);
        Move->AskMoveOrCopy = [this](const QString& question) {
            Questions << question;
            return std::optional<TMoveKind>(Kind);
        };
        Move->show();
        Move->activateWindow();
        if (!QTest::qWaitForWindowActive(Move.get(), TPanelFixture::kPatientMs))
            qWarning("the move window did not become active");
        Panel.Receiver.ClearReceivedLines();
    }
    ~TMoveFixture() { Move.reset(); }
    TMoveFixture(const TMoveFixture&) = delete;
    TMoveFixture& operator=(const TMoveFixture&) = delete;

    // A channel in use, alike in the table and in the receiver.
    void Put(int channel, double mhz, const QString& text) {
        const bool ok =
            Sql(u"UPDATE MemoryBank0.dbf SET FREQ = %1, TEXT = '%2', MODE = 'AM', BW = '6.0', "
                u"LP = '3', HP = '0.2', DM = '50', AGC = 'Slow', STEP = '12.500', SSTEP = 'x10', "
                u"ATN = '10', ANT = '2', STADJ = FALSE, PASS = TRUE, SELSCAN = TRUE, "
                u"SQUELCH = 77, CHANGED = NULL WHERE MEM = '%3'"_s.arg(mhz)
                    .arg(text, FormatMemNumber(channel)));
        if (!ok)
            qFatal("could not put a channel");
        TRxDat rec;
        rec.Freq = mhz;
        rec.Text = text;
        rec.Mode = 1;
        rec.Bandwidth = 2;
        rec.Step = u"12.500"_s;
        rec.Attenuator = 1;
        rec.MemoryPass = true;
        rec.SelectScan = true;
        Panel.Receiver.SetMemory(0, channel, rec);
    }
    // What the table holds of a channel, read afresh.
    QVariant Cell(int channel, const QString& field) {
        TTableView table(Data.Engine());
        table.SetSql(AllRowsSql(Data.ViewState.CurrentTable));
        if (!table.Open() || table.Locate(u"MEM", FormatMemNumber(channel)) != TLocateResult::Found)
            qFatal("no row %d", channel);
        return table.Value(field);
    }
    QVariantList Carried(int channel) {
        QVariantList values;
        for (const QString& field : kCarried)
            values << Cell(channel, field);
        return values;
    }
    bool RowBlank(int channel) {
        const QVariantList values = Carried(channel);
        return std::all_of(values.begin(), values.end(),
                           [](const QVariant& v) { return v.isNull(); }) &&
               Cell(channel, u"CHANGED"_s).isNull();
    }
    TRxDat Rx(int channel) const { return Panel.Receiver.Memory(0, channel); }
    bool RxHolds(int channel, double mhz) const {
        return !Rx(channel).Empty && qFuzzyCompare(Rx(channel).Freq, mhz);
    }
    // Index of the first line sent that starts with prefix, -1 when none did.
    qsizetype SentStarting(const QString& prefix) const {
        const QStringList sent = Sent();
        for (qsizetype i = 0; i < sent.size(); ++i)
            if (sent[i].startsWith(prefix))
                return i;
        return -1;
    }
    bool SentChannelWrites() const {
        return SentStarting(u"MX"_s) >= 0 || Sent().contains(u"MQ"_s);
    }
    // The source grid with these channels selected, as ctrl-clicks would leave it.
    void SelectSources(const QList<int>& channels) {
        auto* multi = Move->findChild<QCheckBox*>(u"cbMultiSelect"_s);
        multi->setChecked(true);
        TMemoryGrid& grid = *Move->SourceGrid();
        QList<int> rows;
        for (const int channel : channels) {
            if (!Form->LocateChannel(channel))
                qFatal("channel %d not in the view", channel);
            rows << View().RecNo();
        }
        grid.clearSelection();
        for (const int row : rows)
            grid.selectionModel()->select(grid.model()->index(row, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QString TargetMem() { return Data.MoveTable().Value(u"MEM").toString(); }
    void Pick(const QString& menu, const QString& item) {
        for (QAction* action : Move->findChild<QMenu*>(menu)->actions())
            if (action->text() == item)
                return action->trigger();
        qFatal("no item %s", qPrintable(item));
    }
    void TargetOn(int channel) {
        if (Data.MoveTable().Locate(u"MEM", FormatMemNumber(channel)) != TLocateResult::Found)
            qFatal("no target %d", channel);
    }
    // Types into a box as the keyboard does, Enter ending it.
    void TypeAndEnter(const QString& box, const QString& text) {
        auto* edit = Move->findChild<QLineEdit*>(box);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
};

} // namespace

class TestMoveChannels : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void copyOrMove_data() {
        QTest::addColumn<TMoveKind>("kind");
        QTest::newRow("copy") << TMoveKind::Copy;
        QTest::newRow("move") << TMoveKind::Move;
    }

    // 010 onto 500: the target gets the data (CHANGED cleared once the receiver has it); a copy
    // keeps the source and deletes nothing, a move blanks it in both, after the write.
    void copyOrMove() {
        QFETCH(TMoveKind, kind);
        TMoveFixture f;
        f.Put(10, 145.5, u"TOWER"_s);
        const QVariantList before = f.Carried(10);

        const TMoveOutcome outcome = f.Move->Mover().MoveOneChannel(10, 500, kind);
        QVERIFY2(outcome.NotDone.isEmpty(), qPrintable(outcome.NotDone.join(u"; "_s)));
        QVERIFY(!outcome.Refused());
        QCOMPARE(f.Carried(500), before);
        QVERIFY(!f.Cell(500, u"CHANGED"_s).toBool());
        QVERIFY(f.RxHolds(500, 145.5));
        QCOMPARE(f.Rx(500).Text.trimmed(), u"TOWER"_s);
        QCOMPARE(outcome.Shown.value_or(TRxDat{}).Channel, 500);

        const qsizetype write = f.SentStarting(u"MX500"_s);
        QVERIFY(write >= 0);
        if (kind == TMoveKind::Copy) {
            QCOMPARE(f.Carried(10), before);
            QVERIFY(f.RxHolds(10, 145.5));
            QVERIFY(!f.Sent().contains(u"MQ"_s));
        } else {
            QVERIFY(f.RowBlank(10));
            QVERIFY(f.Rx(10).Empty);
            // Deleted only after the write, with the receiver on the source.
            const qsizetype recall = f.Sent().indexOf(u"MR010"_s, write);
            QVERIFY(recall > write);
            QVERIFY(f.Sent().indexOf(u"MQ"_s, recall) > recall);
        }
    }

    // Typed channel numbers choose source and target; a target the source view hides (its
    // blanks hidden) is still the row written, and the main window shows it afterwards.
    void dropThroughTheWindow() {
        TMoveFixture f;
        f.Kind = TMoveKind::Move;
        f.Put(10, 145.5, u"TOWER"_s);
        f.Put(20, 433.5, u"TAXI"_s);
        f.Move->SourceHideBlanks();
        f.TypeAndEnter(u"MaskEdit1"_s, u"010"_s);
        f.TypeAndEnter(u"MaskEdit2"_s, u"500"_s);
        QCOMPARE(f.Mem(), u"010"_s);
        QCOMPARE(f.Data.MoveTable().Value(u"MEM").toString(), u"500"_s);

        f.Move->DropOnTarget();
        QCOMPARE(f.Questions, QStringList{u"Memory 010 To 500 ?"_s});
        QVERIFY(f.Answers().Errors.isEmpty());
        QCOMPARE(f.Cell(500, u"FREQ"_s).toDouble(), 145.5);
        QVERIFY(f.RowBlank(10));
        QCOMPARE(f.Cell(20, u"FREQ"_s).toDouble(), 433.5); // no other row touched
        QVERIFY(f.RxHolds(500, 145.5) && f.Rx(10).Empty);
        QCOMPARE(f.Mem(), u"500"_s);
        QCOMPARE(f.Form->ShownChannel().trimmed(), u"500"_s);
        // Closing gives the memory window back the rows it showed.
        f.Move->close();
        QCOMPARE(f.View().RecordCount(), kBankRows);
    }

    // A single row onto a channel in use is asked about first.
    void overwriteAsked() {
        TMoveFixture f;
        f.Put(10, 145.5, u"TOWER"_s);
        f.Put(500, 7.1, u"OLD"_s);
        QVERIFY(f.Form->LocateChannel(10));
        f.TargetOn(500);
        f.Answers().ConfirmAnswer = false;
        f.Move->DropOnTarget();
        QCOMPARE(f.Answers().ConfirmAsked.size(), 1);
        QVERIFY(f.Answers().ConfirmAsked.first().startsWith(u"Memory 500 is in use"_s));
        QCOMPARE(f.Cell(500, u"FREQ"_s).toDouble(), 7.1);
        QVERIFY(!f.SentChannelWrites());

        f.Answers().ConfirmAnswer = true;
        f.Move->DropOnTarget();
        QCOMPARE(f.Cell(500, u"FREQ"_s).toDouble(), 145.5);
        QVERIFY(f.RxHolds(500, 145.5));
    }

    void ontoItself() {
        TMoveFixture f;
        f.Put(10, 145.5, u"TOWER"_s);
        const QVariantList before = f.Carried(10);
        const TMoveOutcome outcome = f.Move->Mover().MoveOneChannel(10, 10, TMoveKind::Move);
        QCOMPARE(outcome.Refusal, u"Memory 010 cannot be moved onto itself"_s);
        QCOMPARE(outcome.RefusalNotice, TMoveNotice::Messages);
        QCOMPARE(f.Carried(10), before);
        QVERIFY(f.RxHolds(10, 145.5));
        QVERIFY(!f.SentChannelWrites());
    }

    void blockRefused_data() {
        QTest::addColumn<QList<int>>("sources");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("told");
        QTest::newRow("past 999") << QList<int>{10, 11, 12} << 998
                                  << u"Move will exceed Channel 999\r\nOperation cancelled"_s;
        QTest::newRow("onto 203 in use")
            << QList<int>{10, 11, 12, 13, 14} << 200
            << u"Memory 203 will be overwritten\r\nOperation cancelled"_s;
    }

    // Refused before anything is written: every row and channel as it was.
    void blockRefused() {
        QFETCH(QList<int>, sources);
        QFETCH(int, start);
        QFETCH(QString, told);
        TMoveFixture f;
        f.Kind = TMoveKind::Move;
        for (const int channel : sources)
            f.Put(channel, 100.0 + channel, u"SRC"_s);
        f.Put(203, 50.0, u"KEEP"_s);
        f.SelectSources(sources);
        f.TargetOn(start);
        f.Move->DropOnTarget();
        QCOMPARE(f.Questions, QStringList{QString::number(sources.size()) +
                                          u" Selected memories to block starting at "_s +
                                          FormatMemNumber(start)});
        QCOMPARE(f.Answers().Errors, QStringList{told});
        for (const int channel : sources)
            QVERIFY(f.Cell(channel, u"FREQ"_s).toDouble() == 100.0 + channel &&
                    f.RxHolds(channel, 100.0 + channel));
        QVERIFY(f.RowBlank(start) && f.Rx(start).Empty);
        QVERIFY(!f.SentChannelWrites());
        QVERIFY(!f.Move->findChild<QCheckBox*>(u"cbMultiSelect"_s)->isChecked());
    }

    // 100 (blank), 101 and 102 onto 300: 101 to 300, 102 to 301, 302 left blank.
    void blockSkipsBlankSources() {
        TMoveFixture f;
        f.Kind = TMoveKind::Move;
        f.Put(101, 118.1, u"A"_s);
        f.Put(102, 118.2, u"B"_s);
        const QVariantList first = f.Carried(101);
        const QVariantList second = f.Carried(102);
        f.SelectSources({100, 101, 102});
        f.TargetOn(300);
        f.Move->DropOnTarget();
        QVERIFY2(f.Answers().Errors.isEmpty(), qPrintable(f.Answers().Errors.join(u"; "_s)));
        QCOMPARE(f.Carried(300), first);
        QCOMPARE(f.Carried(301), second);
        QVERIFY(f.RowBlank(302) && f.Rx(302).Empty);
        QVERIFY(f.RxHolds(300, 118.1) && f.RxHolds(301, 118.2));
        for (const int channel : {100, 101, 102})
            QVERIFY(f.RowBlank(channel) && f.Rx(channel).Empty);
        QVERIFY(!f.Cell(300, u"CHANGED"_s).toBool() && !f.Cell(301, u"CHANGED"_s).toBool());
        QCOMPARE(f.Mem(), u"301"_s);
    }

    void lostLink_data() {
        QTest::addColumn<QString>("lastLine");
        QTest::addColumn<bool>("written");
        QTest::addColumn<bool>("sourceKept");
        QTest::addColumn<QStringList>("notDone");
        QTest::newRow("before the write")
            << u"VA"_s << false << true << QStringList{u"500 not written"_s, u"010 not deleted"_s};
        QTest::newRow("during the write")
            << u"MX500"_s << false << true
            << QStringList{u"500 not written"_s, u"010 not deleted"_s};
        QTest::newRow("at the recall of the source")
            << u"MR010"_s << true << true << QStringList{u"010 not deleted"_s};
        QTest::newRow("after the delete")
            << u"MQ"_s << true << false << QStringList{u"010 perhaps not deleted"_s};
    }

    // The receiver goes quiet after a given command and the link then drops. The channel is
    // never lost: the table has it at 500, the receiver at 010 or 500 or both, and what was not
    // done is listed. A write the receiver did not confirm leaves 500 marked CHANGED.
    void lostLink() {
        QFETCH(QString, lastLine);
        QFETCH(bool, written);
        QFETCH(bool, sourceKept);
        QFETCH(QStringList, notDone);
        TMoveFixture f;
        f.Kind = TMoveKind::Move;
        f.Put(10, 145.5, u"TOWER"_s);
        TSimReceiver& receiver = f.Panel.Receiver;
        QObject::connect(
            &receiver, &TSimReceiver::LineReceived, &receiver,
            [&f, &receiver, lastLine](const QString& line) {
                if (!line.startsWith(lastLine) || receiver.Fault() == TSimFault::Silence)
                    return;
                receiver.SetFault(TSimFault::Silence);
                QTimer::singleShot(0, f.Panel.Loopback.get(), &TSimLoopback::DropConnection);
            });
        QVERIFY(f.Form->LocateChannel(10));
        f.TargetOn(500);
        f.Move->DropOnTarget();

        QCOMPARE(f.Answers().Errors.size(), 1);
        QCOMPARE(f.Answers().Errors.first(), u"Not done:\r\n"_s + notDone.join(u"\r\n"_s));
        QCOMPARE(f.Cell(500, u"FREQ"_s).toDouble(), 145.5);
        QVERIFY(f.RowBlank(10));
        QCOMPARE(f.Cell(500, u"CHANGED"_s).toBool(), !written);
        QCOMPARE(f.RxHolds(10, 145.5), sourceKept);
        QVERIFY(f.RxHolds(10, 145.5) || f.RxHolds(500, 145.5));
        if (written)
            QVERIFY(f.RxHolds(500, 145.5));
    }

    // Over the target's titles it scrolls up, at its foot down, two rows at a time; over a row
    // the target row follows the mouse. Only the source grid's rows are taken.
    void draggingOverTheTarget() {
        TMoveFixture f;
        TMoveForm& move = *f.Move;
        QVERIFY(move.AcceptsDragFrom(move.SourceGrid()));
        QVERIFY(!move.AcceptsDragFrom(f.Form->Grid()));
        QVERIFY(!move.AcceptsDragFrom(nullptr));

        f.Pick(u"TargetPopupMenu"_s, u"300"_s);
        QCOMPARE(f.TargetMem(), u"300"_s);
        move.DragOverTarget(true, {});
        QCOMPARE(f.TargetMem(), u"298"_s);
        QCOMPARE(move.DragCursor(), TMoveForm::TDragCursor::ScrollUp);
        QWidget* rows = move.TargetGrid()->viewport();
        move.DragOverTarget(false, QPoint(5, rows->height() - 1));
        QCOMPARE(f.TargetMem(), u"300"_s);
        QCOMPARE(move.DragCursor(), TMoveForm::TDragCursor::ScrollDown);

        const QModelIndex over = move.TargetGrid()->indexAt(QPoint(5, 5));
        QVERIFY(over.isValid());
        move.DragOverTarget(false, QPoint(5, 5));
        QCOMPARE(f.TargetMem(), FormatMemNumber(over.row()));
        QCOMPARE(move.DragCursor(), TMoveForm::TDragCursor::Normal);
    }

    // The source's own menu hides and shows blanks without touching the memory window's view
    // state, and jumps by hundreds as the memory window does.
    void sourceNavigation() {
        TMoveFixture f;
        f.Put(305, 145.5, u"A"_s);
        f.Put(700, 145.5, u"B"_s);
        const QString windowSql = f.Data.BuildMemorySql();
        f.Pick(u"SourcePopupMenu"_s, u"Hide Blanks"_s);
        QCOMPARE(f.View().RecordCount(), 2);
        QCOMPARE(f.Data.BuildMemorySql(), windowSql);
        f.Pick(u"SourcePopupMenu"_s, u"Show All"_s);
        QCOMPARE(f.View().RecordCount(), kBankRows);
        f.Pick(u"SourcePopupMenu"_s, u"300"_s);
        QCOMPARE(f.Mem(), u"300"_s);
        f.Pick(u"SourcePopupMenu"_s, u"Hide Blanks"_s);
        f.Pick(u"SourcePopupMenu"_s, u"300"_s);
        QCOMPARE(f.Mem(), u"305"_s);
        // A click on the MEM title shows all again.
        f.Move->SourceGrid()->horizontalHeader()->sectionClicked(
            f.Move->SourceGrid()->FieldOfGridColumn(0));
        QCOMPARE(f.View().RecordCount(), kBankRows);
    }

    // The spacer keeps the target's tools over the target grid as the window changes size,
    // and never shrinks below 8.
    void spacerFollowsTheSize() {
        TMoveFixture f;
        TMoveForm& move = *f.Move;
        auto* spacer = move.findChild<QWidget*>(u"Spacer"_s);
        move.resize(900, move.height());
        QTRY_COMPARE(spacer->width(), move.SpacerWidth());
        const int wide = spacer->width();
        const int grid = move.SourceGrid()->width();
        move.resize(700, move.height());
        QTRY_VERIFY(move.SourceGrid()->width() < grid);
        QTRY_COMPARE(spacer->width(), std::max(8, wide - (grid - move.SourceGrid()->width())));
        // The source grid made narrower than its tools.
        auto* splitter = move.findChild<QSplitter*>(u"Splitter1"_s);
        splitter->setSizes({40, 660});
        QTRY_COMPARE(spacer->width(), 8);
    }

    // "Move Mem" shows all memories, stops polling and opens the window modally on the move
    // table; closing it leaves the memory window's rows as they were.
    void openedFromTheMemoryWindow() {
        TMemFormFixture f;
        QVERIFY(f.Panel.Open());
        auto* signal = f.Panel.Sheet().Widgets().TimerCheckBox;
        signal->setChecked(true);
        f.Form->SubSelectHundred(2);
        QVERIFY(f.Form->LocateChannel(250));
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* move = qobject_cast<TMoveForm*>(QApplication::activeModalWidget());
            seen = move && move->windowTitle() == u"MoveForm"_s && !signal->isChecked() &&
                   f.Data.MoveTable().Active() && f.View().RecordCount() == kBankRows &&
                   // The source opens on the row the memory window was on.
                   f.Mem() == u"250"_s &&
                   move->SourceGrid()->currentIndex().row() == f.View().RecNo();
            if (move)
                move->SourceHideBlanks();
            if (move)
                move->close();
        });
        f.MenuItem(u"PopupMenuRightClick"_s, u"Move Mem"_s)->trigger();
        QVERIFY(seen);
        QCOMPARE(f.View().Sql(), f.Data.BuildMemorySql());
        QCOMPARE(f.View().RecordCount(), kBankRows);
    }

    void notConnected() {
        TMoveFixture f;
        f.Put(10, 145.5, u"TOWER"_s);
        f.Panel.Loopback->DropConnection();
        QTRY_VERIFY(!f.Panel.Form->Driver()->Connected());
        QVERIFY(f.Form->LocateChannel(10));
        f.TargetOn(500);
        f.Move->DropOnTarget();
        QVERIFY(f.Panel.Messages.contains(u"Not connected to Rx"_s));
        QVERIFY(f.Questions.isEmpty());
        QVERIFY(f.RowBlank(500));
    }
};

QTEST_MAIN(TestMoveChannels)
#include "tst_movechannels.moc"
