// The memory window's channel actions against the simulated receiver: a channel into a VFO,
// deleting channels (one, several, without a link, with a receiver that does not answer), a
// channel's frequency into the search pass list, and CTCSS tones from a list file.
#include "MemFormFixture.h"

#include "ChannelActions.h"
#include "MemoryGrid.h"
#include "RunFlags.h"
#include "SquelchController.h"
#include "VfoPanelController.h"

#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

TRxDat Stored(double mhz, const QString& text) {
    TRxDat rec;
    rec.Freq = mhz;
    rec.Step = u"12.500"_s;
    rec.Text = text;
    return rec;
}

// Channels 010, 011 and 013 hold data in the table and the receiver; 012 is blank in both.
bool Prepare(TMemFormFixture& f) {
    TSimReceiver& rx = f.Panel.Receiver;
    for (int channel = 0; channel < TSimReceiver::kChannelCount; ++channel)
        rx.ClearMemory(0, channel);
    for (const int channel : {10, 11, 13})
        rx.SetMemory(0, channel,
                     Stored(145.0 + channel / 100.0, u"CH"_s + QString::number(channel)));
    return f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = NULL, TEXT = NULL, CHANGED = FALSE"_s) &&
           f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 145 + CAST(MEM AS INTEGER) / 100.0, "
                 u"TEXT = 'CH' || CAST(MEM AS INTEGER), MODE = 'FM', BW = '15', STEP = '12.5' "
                 u"WHERE MEM IN ('010', '011', '013')"_s);
}

bool RowBlank(TMemFormFixture& f, int channel) {
    return f.Form->LocateChannel(channel) && f.View().IsNull(u"FREQ");
}

QStringList SentSince(TMemFormFixture& f, qsizetype from) {
    return f.Sent().mid(from);
}

} // namespace

class TestChannelActions : public QObject {
    Q_OBJECT

private:
    static TChannelActions& Actions(TMemFormFixture& f) { return *f.Form->ChannelActions(); }

private Q_SLOTS:
    void CopyToVfoSendsTheRowThenShowsTheVfo() {
        TMemFormFixture f;
        QVERIFY(Prepare(f));
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET SQUELCH = NULL WHERE MEM = '010'"_s));
        QVERIFY(f.Panel.Open());
        QVERIFY(f.Form->LocateChannel(10));
        const qsizetype before = f.Sent().size();
        Actions(f).CopyToVfo(u'C');
        const QStringList sent = SentSince(f, before);
        const qsizetype tuned = sent.indexOf(u"VC0145100000"_s);
        QVERIFY2(tuned >= 0 && tuned < sent.indexOf(u"MD0"_s) &&
                     sent.indexOf(u"MD0"_s) < sent.indexOf(u"RQ255"_s),
                 qPrintable(sent.join(u' ')));
        QCOMPARE(f.Panel.Sheet().Squelch()->Value(u'C'), 255);
        QCOMPARE(f.Panel.State().CurrentVfo, QChar(u'C'));
        QCOMPARE(f.Panel.Find<QLineEdit>(u"EditVcoC"_s)->text().trimmed(), u"145.100000"_s);
        QCOMPARE(f.Panel.Receiver.Vfo(u'C').Freq, 145.1);
    }

    void CopyOfAChannelWithoutStepSkipsOnlyTheStep() {
        TMemFormFixture f;
        QVERIFY(Prepare(f));
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET STEP = NULL, SQUELCH = 90 WHERE MEM = '011'"_s));
        QVERIFY(f.Panel.Open());
        QVERIFY(f.Form->LocateChannel(11));
        const qsizetype before = f.Sent().size();
        Actions(f).CopyToVfo(u'B');
        const QStringList sent = SentSince(f, before);
        QVERIFY2(!std::any_of(sent.begin(), sent.end(),
                              [](const QString& line) { return line.startsWith(u"ST"_s); }),
                 qPrintable(sent.join(u' ')));
        QVERIFY2(sent.contains(u"RQ090"_s) || sent.contains(u"RQ90"_s),
                 qPrintable(sent.join(u' ')));
    }

    void ToCurrentVfoDoesNothingOnTheMemory() {
        TMemFormFixture f;
        QVERIFY(Prepare(f));
        QVERIFY(f.Panel.Open());
        f.Panel.Sheet().VfoPanel()->MakeCurrent(u'M');
        QVERIFY(f.Form->LocateChannel(10));
        const qsizetype before = f.Sent().size();
        Actions(f).CopyToCurrentVfo();
        QVERIFY(SentSince(f, before).isEmpty());
    }

    void DeletesOneChannel_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void DeletesOneChannel() {
        QFETCH(bool, yes);
        TMemFormFixture f;
        QVERIFY(Prepare(f));
        QVERIFY(f.Panel.Open());
        QVERIFY(f.Form->LocateChannel(11));
        f.Answers().ConfirmAnswer = yes;
        const qsizetype before = f.Sent().size();
        Actions(f).DeleteMem();
        QCOMPARE(f.Answers().ConfirmAsked, QStringList{u"Delete Mem 011"_s});
        const QStringList sent = SentSince(f, before);
        QCOMPARE(sent.contains(u"MQ"_s), yes);
        if (yes)
            QVERIFY2(sent.indexOf(u"VA"_s) < sent.indexOf(u"MR011"_s) &&
                         sent.indexOf(u"MR011"_s) < sent.indexOf(u"MQ"_s),
                     qPrintable(sent.join(u' ')));
        QCOMPARE(f.Panel.Receiver.Memory(0, 11).Empty, yes);
        QCOMPARE(RowBlank(f, 11), yes);
        QVERIFY(!RowBlank(f, 10));
    }

    void DeletesTheSelectedRowsAndSkipsBlankOnes() {
        TMemFormFixture f;
        QVERIFY(Prepare(f));
        QVERIFY(f.Panel.Open());
        f.Find<QCheckBox>(u"cbMultiSelect"_s)->setChecked(true);
        TMemoryGrid& grid = *f.Form->Grid();
        // Rows are found first: moving the view moves the grid, which selects anew.
        QList<int> rows;
        for (const int channel : {10, 12, 13}) {
            QVERIFY(f.Form->LocateChannel(channel));
            rows << f.View().RecNo();
        }
        for (const int row : rows)
            grid.selectionModel()->select(grid.model()->index(row, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
        f.Answers().ConfirmAnswer = true;
        const qsizetype before = f.Sent().size();
        Actions(f).DeleteMem();
        QCOMPARE(f.Answers().ConfirmAsked, QStringList{u"Delete all the selected rows?"_s});
        const QStringList sent = SentSince(f, before);
        QCOMPARE(sent.count(u"MQ"_s), 2);
        QVERIFY(!sent.contains(u"MR012"_s));
        for (const int channel : {10, 13}) {
            QVERIFY(f.Panel.Receiver.Memory(0, channel).Empty);
            QVERIFY(RowBlank(f, channel));
        }
        QVERIFY(!f.Panel.Receiver.Memory(0, 11).Empty);
        QVERIFY(!f.Find<QCheckBox>(u"cbMultiSelect"_s)->isChecked());
        // What stays selected is the current row alone, as in any single-row grid.
        QVERIFY(grid.selectionModel()->selectedRows().size() <= 1);
    }

    void DeleteWithoutLinkBlanksTheRowOnly() {
        TMemFormFixture f;
        QVERIFY(Prepare(f));
        QVERIFY(f.Form->LocateChannel(13));
        f.Answers().ConfirmAnswer = true;
        Actions(f).DeleteMem();
        QVERIFY(RowBlank(f, 13));
        QVERIFY(f.Sent().isEmpty());
    }

    // A receiver that does not confirm the recall keeps its channel, and so does the table.
    void DeleteUnconfirmedKeepsTheChannel() {
        TMemFormFixture f;
        QVERIFY(Prepare(f));
        QVERIFY(f.Panel.Open());
        QVERIFY(f.Form->LocateChannel(13));
        f.Answers().ConfirmAnswer = true;
        f.Panel.Form->Driver()->Timeout = 300;
        f.Panel.Receiver.SetFault(TSimFault::Silence);
        Actions(f).DeleteMem();
        f.Panel.Receiver.SetFault(TSimFault::None);
        QVERIFY(!f.Sent().contains(u"MQ"_s));
        QVERIFY(!f.Panel.Receiver.Memory(0, 13).Empty);
        QVERIFY(!RowBlank(f, 13));
        QVERIFY(f.Answers().Errors.join(u'\n').contains(u"Channels not deleted: 013"_s));
    }

    void DeleteRefusedOnAReadOnlyView() {
        TMemFormFixture f;
        QVERIFY(Prepare(f));
        // A grouped statement gives rows no table row stands behind.
        QVERIFY(f.Data.ReopenMemoryView(
            u"SELECT MEM, FREQ, TEXT FROM MemoryBank0.dbf GROUP BY MEM, FREQ, TEXT"_s));
        QVERIFY(f.Form->LocateChannel(13));
        f.Answers().ConfirmAnswer = true;
        Actions(f).DeleteMem();
        QVERIFY(f.Answers().ConfirmAsked.isEmpty());
        QVERIFY(f.Answers().Errors.join(u'\n').contains(
            u"Cannot update data table, unsort/sub-select the table"_s));
    }

    void AddsTheFrequencyToTheCurrentSearchBank() {
        TMemFormFixture f;
        QVERIFY(Prepare(f));
        QVERIFY(f.Panel.Open());
        QVERIFY(f.Form->LocateChannel(13));
        f.Answers().ConfirmAnswer = true;
        Actions(f).AddToSearchPassFreqs();
        QCOMPARE(f.Answers().ConfirmAsked.size(), 1);
        QVERIFY2(
            f.Answers().ConfirmAsked[0].startsWith(u"Add pass freq 145.130000 to search bank "_s),
            qPrintable(f.Answers().ConfirmAsked[0]));
        QVERIFY(f.Answers().ConfirmAsked[0].endsWith(
            u"?\r\n\r\n Cancel and change search bank if required"_s));
        QTRY_VERIFY_WITH_TIMEOUT(
            !f.Panel.Receiver.PassList(f.Panel.Receiver.CurrentSearchBank()).isEmpty(),
            TPanelFixture::kPatientMs);
        QCOMPARE(f.Panel.Receiver.PassList(f.Panel.Receiver.CurrentSearchBank()).value(0).Freq,
                 145.13);
    }

    void AddToPassListRefusedWhileScanning() {
        TMemFormFixture f;
        QVERIFY(Prepare(f));
        QVERIFY(f.Panel.Open());
        QVERIFY(f.Form->LocateChannel(13));
        f.Panel.Form->RunFlags().ScanRunning = true;
        Actions(f).AddToSearchPassFreqs();
        f.Panel.Form->RunFlags().ScanRunning = false;
        QVERIFY(f.Answers().Errors.contains(u"Stop Scanning first"_s));
        QVERIFY(f.Answers().ConfirmAsked.isEmpty());
    }

    void ImportsCtcssTones() {
        TSimOptions options;
        options.Ct5000 = true;
        TMemFormFixture f(options);
        QVERIFY(Prepare(f));
        QVERIFY(f.Panel.Open());
        QTemporaryDir dir;
        const QString fileName = dir.filePath(u"tones.ctcss"_s);
        QFile file(fileName);
        QVERIFY(file.open(QIODevice::WriteOnly));
        // Channel 012 is empty in the receiver; the last line's tone has a blank before it.
        file.write("10,94.8\r\n13,67.0\r\n12,100.0\r\n11, 94.8\r\n");
        file.close();
        Actions(f).ImportCtcssFile(fileName);
        QCOMPARE(f.Panel.Receiver.Memory(0, 10).Ctcss, 6);
        QCOMPARE(f.Panel.Receiver.Memory(0, 13).Ctcss, 34);
        QCOMPARE(f.Panel.Receiver.Memory(0, 11).Ctcss, 0);
        QVERIFY2(f.Panel.Messages.last() == u"CTCSS set on 2 channels, 2 skipped"_s,
                 qPrintable(f.Panel.Messages.last()));
    }
};

QTEST_MAIN(TestChannelActions)
#include "tst_channelactions.moc"
