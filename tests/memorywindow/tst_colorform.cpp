// The table colours dialog over a real memory window, and where the long part of a hint goes
// among the memory window and its move window.
#include "memorywindow/MemFormFixture.h"

#include "ColorForm.h"
#include "Hints.h"
#include "IniFile.h"
#include "MemoryGrid.h"
#include "MoveForm.h"
#include "ProgramFolder.h"

#include <QAbstractButton>
#include <QEnterEvent>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kYellow(255, 255, 0);
const QColor kGrey(0x40, 0x40, 0x40);

const QString kMustDiffer = u"Highlight colour must be different from title colour"_s;

// Answers the colour questions in order and keeps what each started from.
struct TPickerScript {
    QList<std::optional<QColor>> Answers;
    QList<QColor> Asked;
    TColourPicker Picker() {
        return [this](const QColor& initial, QWidget*) -> std::optional<QColor> {
            Asked << initial;
            return Answers.isEmpty() ? std::nullopt : Answers.takeFirst();
        };
    }
};

struct TColourFixture : TMemFormFixture {
    TPickerScript Script;

    TColourFixture() { QFile::remove(SettingsFileName()); }

    // Runs the dialog: `work` clicks its buttons, then it is closed with OK or Cancel.
    bool Run(const QStringList& clicks, bool ok) {
        QTimer::singleShot(0, Form.get(), [clicks, ok] {
            auto* form = qobject_cast<TColorForm*>(QApplication::activeModalWidget());
            if (!form)
                qFatal("the colour dialog is not showing");
            for (const QString& name : clicks)
                form->findChild<QAbstractButton*>(name)->click();
            form->findChild<QAbstractButton*>(ok ? u"OKBtn"_s : u"CancelBtn"_s)->click();
        });
        return RunColorForm(*Form, Form.get(), Script.Picker());
    }
    QString Stored(const QString& key) const {
        return TIniFile(SettingsFileName()).ReadString(u"Colors"_s, key, u"(none)"_s);
    }
};

QColor Swatch(TColorForm& form, const QString& name) {
    return form.findChild<QFrame*>(name)->palette().color(QPalette::Window);
}

void HoverOver(QWidget* widget) {
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), widget->mapToGlobal(QPointF(1, 1)));
    QApplication::sendEvent(widget, &enter);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(widget, &leave);
    QApplication::sendEvent(widget, &enter);
}

} // namespace

class TestColorForm : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The swatches start from the grid; each button gives the grid its colour at once; OK
    // stores all four as "$" texts in the settings and the file.
    void buttonsApplyAtOnceAndOkStores() {
        TColourFixture f;
        TMemoryGrid* grid = f.Form->Grid();
        grid->SetTitleHighlight(1, f.Form->HighlightColor()); // a column sorted
        {
            TColorForm form(*f.Form);
            QCOMPARE(Swatch(form, u"TextColorPanel"_s), QColor(0, 255, 0));
            QCOMPARE(Swatch(form, u"BackColorPanel"_s), QColor(0, 0, 0));
            QCOMPARE(Swatch(form, u"TitleColorPanel"_s), QColor(0xC0, 0xC0, 0x7F));
            QCOMPARE(Swatch(form, u"HighLightColorPanel"_s), QColor(0x80, 0x80, 0x00));
            QCOMPARE(form.windowTitle(), u"Choose table colours"_s);
        }
        f.Script.Answers = {kRed, kBlue, kGrey, kYellow};
        QVERIFY(f.Run({u"TableTextColorButton"_s, u"TableBackColorButton"_s, u"TitleColorButton"_s,
                       u"HighlightButton"_s},
                      true));
        QCOMPARE(f.Script.Asked, (QList<QColor>{QColor(0, 255, 0), QColor(0, 0, 0),
                                                QColor(0xC0, 0xC0, 0x7F), QColor(0x80, 0x80, 0)}));
        QCOMPARE(grid->TextColour(), kRed);
        QCOMPARE(grid->BackColour(), kBlue);
        QCOMPARE(grid->FixedColour(), kGrey);
        QCOMPARE(grid->TitleColour(0), kGrey);
        QCOMPARE(f.Form->HighlightColor(), kYellow);
        QCOMPARE(grid->TitleColour(1), kYellow);

        const std::pair<QString, QString> stored[] = {{u"TableTextColor"_s, u"$000000FF"_s},
                                                      {u"TableBackColor"_s, u"$00FF0000"_s},
                                                      {u"TableTitleColor"_s, u"$00404040"_s},
                                                      {u"TableHighlightColor"_s, u"$0000FFFF"_s}};
        for (const auto& [key, text] : stored)
            QCOMPARE(f.Stored(key), text);
        QCOMPARE(f.Form->Main().Settings().TableTextColor, u"$000000FF"_s);
        QCOMPARE(f.Form->Main().Settings().TableHighlightColor, u"$0000FFFF"_s);
    }

    // A highlight equal to the title colour is refused and asked for again, until another
    // colour is given or the question is cancelled.
    void highlightLikeTheTitleIsRefused_data() {
        QTest::addColumn<QList<std::optional<QColor>>>("answers");
        QTest::addColumn<int>("refusals");
        QTest::addColumn<QColor>("highlight");
        const QColor title(0xC0, 0xC0, 0x7F);
        QTest::newRow("twice, then another")
            << QList<std::optional<QColor>>{title, title, kYellow} << 2 << kYellow;
        QTest::newRow("once, then cancelled")
            << QList<std::optional<QColor>>{title, std::nullopt} << 1 << QColor(0x80, 0x80, 0);
    }
    void highlightLikeTheTitleIsRefused() {
        QFETCH(QList<std::optional<QColor>>, answers);
        QFETCH(int, refusals);
        QFETCH(QColor, highlight);
        TColourFixture f;
        f.Script.Answers = answers;
        QVERIFY(!f.Run({u"HighlightButton"_s}, false));
        QCOMPARE(f.Answers().Errors, QStringList(refusals, kMustDiffer));
        QCOMPARE(f.Form->HighlightColor(), highlight);
        QVERIFY(f.Script.Answers.isEmpty());
    }

    // A title taking the highlight's colour asks for a new highlight at once.
    void titleLikeTheHighlightAsksForANewOne() {
        TColourFixture f;
        f.Script.Answers = {QColor(0x80, 0x80, 0), kRed};
        QVERIFY(f.Run({u"TitleColorButton"_s}, true));
        QCOMPARE(f.Answers().Errors,
                 QStringList{kMustDiffer + u"\r\n          Choose a new highlight colour"_s});
        QCOMPARE(f.Form->Grid()->FixedColour(), QColor(0x80, 0x80, 0));
        QCOMPARE(f.Form->HighlightColor(), kRed);
        QCOMPARE(f.Stored(u"TableHighlightColor"_s), u"$000000FF"_s);
    }

    // Cancel: what the grid took stays for the run, the settings and the file do not change.
    void cancelKeepsTheGridColoursOnly() {
        TColourFixture f;
        f.Script.Answers = {kRed};
        QVERIFY(!f.Run({u"TableTextColorButton"_s}, false));
        QCOMPARE(f.Form->Grid()->TextColour(), kRed);
        QCOMPARE(f.Form->Main().Settings().TableTextColor, u"65280"_s);
        QCOMPARE(f.Stored(u"TableTextColor"_s), u"(none)"_s);
    }

    // The long part of a hint shows in the memory window's info panel while it is active, and
    // in the move window's while that is active, the memory window's panel keeping its text.
    void longHintsReachTheMemoryAndMoveWindows() {
        TMemFormFixture f;
        THintRouter router;
        router.MemoryWindow = [&f]() -> QWidget* {
            return f.Form.get();
        };
        router.MoveWindow = [&f]() -> QWidget* {
            return f.Form->findChild<TMoveForm*>();
        };
        auto* sql = f.Find<QToolButton>(u"ToolButtonSQL"_s);
        const QString longPart = u"Build/choose complex sub-selections, edit and save SQL"_s;
        QCOMPARE(sql->toolTip(), u"[Ctrl-Shift-Q]"_s);
        QApplication::setActiveWindow(f.Form.get());
        HoverOver(sql);
        QCOMPARE(f.Form->InfoText(), longPart);

        QVERIFY(f.Data.OpenMoveTable());
        auto* move = new TMoveForm(*f.Form, f.Form.get());
        const std::unique_ptr<TMoveForm> owner(move);
        move->show();
        QApplication::setActiveWindow(move);
        QCOMPARE(QApplication::activeWindow(), move);
        auto* moveInfo = move->findChild<QLabel*>(u"InfoPanel"_s);
        moveInfo->clear();
        f.Form->findChild<QLabel*>(u"InfoPanel"_s)->setText(u"kept"_s);
        HoverOver(move->findChild<QToolButton*>(u"SourceMemButton"_s));
        QCOMPARE(moveInfo->text(), u"Jump to mem"_s);
        QCOMPARE(f.Form->InfoText(), u"kept"_s);
    }
};

QTEST_MAIN(TestColorForm)
#include "tst_colorform.moc"
