// The scale editor: what it writes, the bad band message, the close question and the dialogs.
#include "CreateScaleForm.h"
#include "IniFile.h"
#include "support/ScriptedPrompt.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

struct TEditorFixture {
    TScriptedPrompt* Answers;
    std::unique_ptr<TPrompt> Previous;
    std::unique_ptr<TCreateScaleForm> Editor;
    QStringList SaveNames; // answers to the save dialog, in order; none left cancels
    int SaveAsked = 0;
    QMessageBox::StandardButton CloseAnswer = QMessageBox::Cancel;
    int CloseAsked = 0;

    explicit TEditorFixture(const TScaleEditorStart& start = {}) {
        auto answers = std::make_unique<TScriptedPrompt>();
        Answers = answers.get();
        Previous = SetPrompt(std::move(answers));
        Editor = std::make_unique<TCreateScaleForm>(start);
        Editor->AskSave = [this](const QString&, const QString&, const QString&) {
            ++SaveAsked;
            return SaveNames.isEmpty() ? QString() : SaveNames.takeFirst();
        };
        Editor->AskSaveScale = [this] {
            ++CloseAsked;
            return CloseAnswer;
        };
        Editor->show();
    }
    ~TEditorFixture() {
        Editor.reset();
        SetPrompt(std::move(Previous));
    }
    TEditorFixture(const TEditorFixture&) = delete;
    TEditorFixture& operator=(const TEditorFixture&) = delete;

    QLineEdit* Edit(const QString& name) const {
        auto* edit = Editor->findChild<QLineEdit*>(name);
        if (!edit)
            qFatal("no box %s", qPrintable(name));
        return edit;
    }
    void FillBand(int n, const QString& low, const QString& high, const QString& title) const {
        Edit(u"Band%1LowEdit"_s.arg(n))->setText(low);
        Edit(u"Band%1HighEdit"_s.arg(n))->setText(high);
        Edit(u"Band%1Title"_s.arg(n))->setText(title);
    }
};

QString Read(const QString& file, const QString& section, const QString& key) {
    return TIniFile(file).ReadString(section, key, u"<none>"_s);
}

} // namespace

class TestCreateScale : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FHome;
    QString Path(const QString& name) const { return FHome.filePath(name); }

private Q_SLOTS:
    void initTestCase() { qputenv("KOVELA_HOME", FHome.path().toLocal8Bit()); }

    void startsFromThePanel() {
        TScaleEditorStart start;
        start.Settings = {1, 2, 3, 1, 2, 2, 1, 3, 4};
        start.Step = u"25.000"_s;
        start.StepOffset = true;
        start.VfoText = u"  145.500000"_s;
        TEditorFixture f(start);
        QCOMPARE(f.Editor->windowTitle(), u"Create Tuning Scale"_s);
        QCOMPARE(f.Edit(u"ScaleLowFLimitEdit"_s)->text(), u"145.500000"_s);
        QCOMPARE(f.Edit(u"ScaleHighFLimitEdit"_s)->text(), u"145.500000"_s);
        const TScaleText fields = f.Editor->Fields();
        for (std::size_t i = 0; i < kScaleSettingCount; ++i)
            QCOMPARE(fields.Settings[i], QString::number(start.Settings[i]));
        QCOMPARE(fields.Step, u"25.000"_s);
        QCOMPARE(fields.StepOffsetStatus, u"1"_s);
        QVERIFY(!f.Editor->findChild<QAction*>(u"Save1"_s)->isEnabled());
    }

    void badBandIsReportedAndLeftOut() {
        TEditorFixture f;
        const QString file = Path(u"bands.scl"_s);
        f.Edit(u"ScaleLowFLimitEdit"_s)->setText(u"144"_s);
        f.FillBand(1, u"144.0"_s, u"144.1"_s, u"Good"_s);
        f.FillBand(3, u"1.2.3"_s, u"5"_s, u"Bad"_s);
        f.FillBand(4, u"7"_s, QString(), u"Half"_s);
        f.SaveNames = {file};
        QVERIFY(f.Editor->SaveAsClick());
        QCOMPARE(f.Answers->Errors, QStringList{u"Bad Data in band 3"_s});
        QCOMPARE(Read(file, u"BANDS"_s, u"Band1Title"_s), u"Good"_s);
        QCOMPARE(Read(file, u"BANDS"_s, u"Band3Title"_s), u"<none>"_s);
        QCOMPARE(Read(file, u"BANDS"_s, u"Band4LowFMHz"_s), u"7"_s);
        QCOMPARE(Read(file, u"SPAN"_s, u"LowF"_s), u"144"_s);
        QCOMPARE(f.Editor->FileInUse(), file);
        QCOMPARE(f.Editor->windowTitle(), file);
        QVERIFY(f.Editor->findChild<QAction*>(u"Save1"_s)->isEnabled());
    }

    void openShowsTheFile() {
        const QString file = Path(u"open.scl"_s);
        {
            TIniFile ini(file);
            ini.WriteString(u"SPAN"_s, u"LowF"_s, u"430"_s);
            ini.WriteString(u"RXSETTINGS"_s, u"Agc"_s, u"2"_s);
            ini.WriteString(u"RXSETTINGS"_s, u"Description"_s, u"70 cm"_s);
            ini.WriteString(u"BANDS"_s, u"Band2Color"_s, u"$000000FF"_s);
        }
        TEditorFixture f;
        f.Answers->OpenAnswer = file;
        f.Editor->findChild<QAction*>(u"Open1"_s)->trigger();
        QCOMPARE(f.Answers->OpenAsked.value(0), u"Open a Scale File for Editing"_s);
        QCOMPARE(f.Editor->windowTitle(), file);
        QCOMPARE(f.Edit(u"ScaleLowFLimitEdit"_s)->text(), u"430"_s);
        QCOMPARE(f.Edit(u"DescriptionEdit"_s)->text(), u"70 cm"_s);
        QCOMPARE(f.Editor->findChild<QComboBox*>(u"ScaleAGCComboBox"_s)->currentIndex(), 2);
        QCOMPARE(f.Editor->findChild<QComboBox*>(u"ScaleModeComboBox"_s)->currentIndex(), 0);
        QCOMPARE(f.Edit(u"Band2Title"_s)->palette().color(QPalette::Base), QColor(Qt::red));
        QCOMPARE(
            f.Editor->findChild<QFrame*>(u"Band2ColorPanel"_s)->palette().color(QPalette::Window),
            QColor(Qt::red));
        QVERIFY(f.Editor->findChild<QAction*>(u"Save1"_s)->isEnabled());
    }

    void colourPanelChoosesTheBandColour() {
        TEditorFixture f;
        QColor offered;
        f.Editor->AskColour = [&](const QColor& initial) -> std::optional<QColor> {
            offered = initial;
            return QColor(0, 128, 255);
        };
        QTest::mouseClick(f.Editor->findChild<QFrame*>(u"Band5ColorPanel"_s), Qt::LeftButton);
        QCOMPARE(offered, QColor(Qt::white));
        QCOMPARE(f.Edit(u"Band5Title"_s)->palette().color(QPalette::Base), QColor(0, 128, 255));
        QCOMPARE(f.Editor->Fields().Bands[4].Colour, u"$00FF8000"_s);
    }

    void numberBoxesTakeOnlyNumbers() {
        TEditorFixture f;
        f.Editor->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.Editor.get()));
        for (const QString& name : {u"ScaleLowFLimitEdit"_s, u"Band6HighEdit"_s}) {
            f.Edit(name)->setFocus();
            QTest::keyClicks(QApplication::focusWidget(), u"1a4,4.5-"_s);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCOMPARE(f.Edit(name)->text(), u"144."_s);
            QVERIFY(f.Editor->isVisible()); // Enter does not end the dialog
        }
        f.Edit(u"DescriptionEdit"_s)->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), u"a,b"_s);
        QCOMPARE(f.Edit(u"DescriptionEdit"_s)->text(), u"a,b"_s);
    }

    void saveOnAFileThatHasGoneAsksForAName() {
        const QString gone = Path(u"gone.scl"_s);
        const QString fresh = Path(u"fresh.scl"_s);
        TEditorFixture f;
        f.SaveNames = {gone};
        QVERIFY(f.Editor->SaveAsClick());
        QVERIFY(QFile::remove(gone));
        f.Edit(u"AuthorEdit"_s)->setText(u"Me"_s);
        f.SaveNames = {fresh};
        QVERIFY(f.Editor->SaveClick());
        QCOMPARE(f.SaveAsked, 2);
        QCOMPARE(f.Editor->FileInUse(), fresh);
        QCOMPARE(Read(fresh, u"RXSETTINGS"_s, u"Author"_s), u"Me"_s);
        QVERIFY(!QFile::exists(gone));
    }

    void closingAsksToSave_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("fileInUse");
        QTest::addColumn<QStringList>("saveNames");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("written");
        QTest::newRow("No closes")
            << int(QMessageBox::No) << false << QStringList() << true << false;
        QTest::newRow("Cancel stays")
            << int(QMessageBox::Cancel) << false << QStringList() << false << false;
        QTest::newRow("Yes saves the file in use")
            << int(QMessageBox::Yes) << true << QStringList() << true << true;
        QTest::newRow("Yes asks for a name")
            << int(QMessageBox::Yes) << false << QStringList{u"closing.scl"_s} << true << true;
        QTest::newRow("Yes, then cancelling the name, stays")
            << int(QMessageBox::Yes) << false << QStringList() << false << false;
    }
    void closingAsksToSave() {
        QFETCH(int, answer);
        QFETCH(bool, fileInUse);
        QFETCH(QStringList, saveNames);
        QFETCH(bool, closed);
        QFETCH(bool, written);
        const QString file = Path(u"closing.scl"_s);
        QFile::remove(file);
        TEditorFixture f;
        if (fileInUse) {
            f.SaveNames = {file};
            QVERIFY(f.Editor->SaveAsClick());
            QVERIFY(QFile::remove(file));
            TIniFile(file).WriteString(u"SPAN"_s, u"LowF"_s, u"1"_s);
            f.SaveAsked = 0;
        }
        for (const QString& name : saveNames)
            f.SaveNames << Path(name);
        f.CloseAnswer = static_cast<QMessageBox::StandardButton>(answer);
        f.Edit(u"DescriptionEdit"_s)->setText(u"kept"_s);
        f.Editor->close();
        QCOMPARE(f.CloseAsked, 1);
        QCOMPARE(f.Editor->isVisible(), !closed);
        QCOMPARE(Read(file, u"RXSETTINGS"_s, u"Description"_s), written ? u"kept"_s : u"<none>"_s);
        QCOMPARE(f.Edit(u"DescriptionEdit"_s)->text(), u"kept"_s);
    }
};

QTEST_MAIN(TestCreateScale)
#include "tst_createscale.moc"
