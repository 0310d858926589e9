#include "AlsaMixer.h"
#include "VControl.h"
#include "VolumeController.h"
#include "mainwindow/PanelFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A mixer whose line-in control has the given range; tests read and change its levels directly,
// as another mixer program would.
struct TFakeMixerState {
    bool HasLineIn = true;
    TMixerRange Range{0, 31};
    TMixerLevels Levels{0, 0};
    bool Gone = false;
    int Writes = 0;
};

class TFakeMixer final : public TMixerBackend {
public:
    explicit TFakeMixer(TFakeMixerState& state)
        : FState(state) {}
    bool Open() override { return FState.HasLineIn; }
    TMixerRange Range() const override { return FState.Range; }
    std::optional<TMixerLevels> Read() override {
        if (FState.Gone)
            return std::nullopt;
        return FState.Levels;
    }
    bool Write(const TMixerLevels& levels) override {
        if (FState.Gone)
            return false;
        FState.Levels = levels;
        ++FState.Writes;
        return true;
    }

private:
    TFakeMixerState& FState;
};

std::unique_ptr<TVControl> MakeControl(TFakeMixerState& state) {
    return std::make_unique<TVControl>(std::make_unique<TFakeMixer>(state));
}

// The Main page with a line input on the fake mixer.
struct TVolumeFixture {
    TFakeMixerState Mixer;
    TPanelFixture Panel;
    TVControl* Control = nullptr;
    QSlider* Bar = Panel.Find<QSlider>(u"VolumeControlTrackBar"_s);
    QCheckBox* ReceiverVolume = Panel.Find<QCheckBox>(u"VolTypeSelectCheckBox"_s);
    QLabel* Label = Panel.Find<QLabel>(u"VolumeIndicatorLabel"_s);

    explicit TVolumeFixture(bool hasLineIn = true, TMixerLevels levels = {31, 31}) {
        Mixer.HasLineIn = hasLineIn;
        Mixer.Levels = levels;
        auto control = MakeControl(Mixer);
        Control = control.get();
        Panel.Sheet().Volume()->SetLineInVolume(std::move(control));
    }
    bool Shown() const {
        return Bar->isVisible() && Label->isVisible() &&
               Panel.Find<QLabel>(u"VolLabel"_s)->isVisible();
    }
};

} // namespace

class TstVControl : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void scaling_data() {
        QTest::addColumn<long>("min");
        QTest::addColumn<long>("max");
        QTest::addColumn<long>("raw");
        QTest::addColumn<int>("volume");
        QTest::newRow("bottom") << 0L << 31L << 0L << 0;
        QTest::newRow("top") << 0L << 31L << 31L << 65535;
        QTest::newRow("middle step rounds") << 0L << 31L << 16L << 33825;
        QTest::newRow("range not from zero") << -10L << 10L << 0L << 32768;
        QTest::newRow("below the range clamps") << 0L << 100L << -5L << 0;
        QTest::newRow("above the range clamps") << 0L << 100L << 120L << 65535;
    }
    void scaling() {
        QFETCH(long, min);
        QFETCH(long, max);
        QFETCH(long, raw);
        QFETCH(int, volume);
        const TMixerRange range{min, max};
        QCOMPARE(MixerToVolume(raw, range), volume);
        // Every raw step comes back as itself.
        QCOMPARE(VolumeToMixer(MixerToVolume(raw, range), range), std::clamp(raw, min, max));
    }

    void readsAndSetsBothChannels() {
        TFakeMixerState mixer;
        mixer.Range = {0, 255};
        mixer.Levels = {255, 51};
        auto control = MakeControl(mixer);
        QVERIFY(control->Available());
        QCOMPARE(control->Volume(), PackVolume(65535, 13107));
        control->SetVolume(PackVolume(0, 65535));
        QCOMPARE(mixer.Levels, (TMixerLevels{0, 255}));
        QCOMPARE(LeftVolume(control->Volume()), 0);
        QCOMPARE(RightVolume(control->Volume()), 65535);
    }

    void volumeSetIsReadBackWhileTheMixerHoldsIt() {
        TFakeMixerState mixer; // 32 steps: 25600 becomes step 12, which reads back as 25368
        auto control = MakeControl(mixer);
        control->SetVolume(PackVolume(25600, 25600));
        QCOMPARE(mixer.Levels, (TMixerLevels{12, 12}));
        QCOMPARE(control->Volume(), PackVolume(25600, 25600));
        mixer.Levels = {13, 12}; // changed by another program
        QCOMPARE(control->Volume(), PackVolume(27482, 25368));
    }

    void pollsEveryUpdateWithTheVolume() {
        TFakeMixerState mixer;
        mixer.Levels = {31, 0};
        auto control = MakeControl(mixer);
        QCOMPARE(control->Update(), 1000);
        QVERIFY(control->Polling());
        control->SetUpdate(10);
        QSignalSpy changed(control.get(), &TLineInVolume::VolumeChanged);
        QVERIFY(changed.wait());
        QCOMPARE(changed.first().first().value<std::uint32_t>(), PackVolume(65535, 0));
        control->SetUpdate(0);
        QVERIFY(!control->Polling());
    }

    void withoutLineInNothingIsReadOrWritten_data() {
        QTest::addColumn<bool>("hasLineIn");
        QTest::addColumn<long>("max");
        QTest::addColumn<bool>("gone");
        QTest::newRow("no control") << false << 31L << false;
        QTest::newRow("control without a range") << true << 0L << false;
        QTest::newRow("control unreadable") << true << 31L << true;
    }
    void withoutLineInNothingIsReadOrWritten() {
        QFETCH(bool, hasLineIn);
        QFETCH(long, max);
        QFETCH(bool, gone);
        TFakeMixerState mixer;
        mixer.HasLineIn = hasLineIn;
        mixer.Range = {0, max};
        mixer.Gone = gone;
        mixer.Levels = {5, 5};
        auto control = MakeControl(mixer);
        QVERIFY(!control->Available());
        QVERIFY(!control->Polling());
        control->SetUpdate(10);
        QVERIFY(!control->Polling());
        QCOMPARE(control->Volume(), 0u);
        control->SetVolume(PackVolume(100, 100));
        QCOMPARE(mixer.Writes, 0);
    }

    void cardGoneWhileRunningStopsTheReports() {
        TFakeMixerState mixer;
        auto control = MakeControl(mixer);
        QSignalSpy changed(control.get(), &TLineInVolume::VolumeChanged);
        mixer.Gone = true;
        control->Poll();
        QCOMPARE(changed.count(), 0);
    }

    // The real backend on a card that cannot exist: no crash, just no line input. On a machine
    // without sound hardware (as CI is) the default card has none either.
    void alsaWithoutCardIsUnavailable() {
        TVControl missing(MakeAlsaMixer("hw:kovela-no-such-card"));
        QVERIFY(!missing.Available());
        QVERIFY(!missing.Polling());
        TVControl byDefault(MakeAlsaMixer());
        if (!QFileInfo::exists(u"/dev/snd"_s))
            QVERIFY(!byDefault.Available());
    }

    // --- the Main page's volume bar on the line input ---

    void barSetsBothChannels() {
        TVolumeFixture f;
        QVERIFY(f.Shown());
        QCOMPARE(f.Bar->value(), 0); // follows the mixer's full volume at once
        f.Bar->setValue(155);
        QCOMPARE(f.Label->text(), u"100"_s);
        QCOMPARE(f.Control->Volume(), PackVolume(25600, 25600));
        QCOMPARE(f.Mixer.Levels, (TMixerLevels{12, 12}));
        // The next poll leaves the bar where the user put it.
        f.Control->Poll();
        QCOMPARE(f.Bar->value(), 155);
        QVERIFY(f.Panel.SentSettled().isEmpty()); // nothing to the receiver
    }

    void pollMovesTheBarOnlyWhileUnchecked() {
        TVolumeFixture f(true, {0, 0});
        QVERIFY(f.Panel.Open());
        QCOMPARE(f.Bar->value(), 255);
        f.Mixer.Levels = {16, 2}; // left 33824: 132
        f.Control->Poll();
        QCOMPARE(f.Bar->value(), 255 - 132);
        QCOMPARE(f.Label->text(), u"132"_s);
        // Following the mixer writes nothing back: the right channel keeps its own level.
        QCOMPARE(f.Mixer.Levels, (TMixerLevels{16, 2}));
        QCOMPARE(f.Mixer.Writes, 0);

        f.ReceiverVolume->click();
        QCOMPARE(f.ReceiverVolume->toolTip(), u"Control Sound Card Line in"_s);
        f.Bar->setValue(55);
        QTRY_COMPARE(f.Panel.Sent(), QStringList{u"VL200"_s});
        f.Mixer.Levels = {31, 31};
        f.Control->Poll();
        QCOMPARE(f.Bar->value(), 55);
        QCOMPARE(f.Mixer.Writes, 0);

        f.ReceiverVolume->click();
        QCOMPARE(f.ReceiverVolume->toolTip(), u"Control AR5000 Vol"_s);
        QVERIFY(f.Shown());
        f.Control->Poll();
        QCOMPARE(f.Bar->value(), 0);
        QCOMPARE(f.Panel.SentSettled(), QStringList{u"VL200"_s});
    }

    void hiddenWithoutLineIn() {
        TVolumeFixture f(false);
        QVERIFY(f.Panel.Open());
        QVERIFY(!f.Shown());
        QVERIFY(!f.Control->Polling());
        auto* entry = f.Panel.Find<QLineEdit>(u"EnterEdit1"_s);
        entry->setFocus();
        f.Panel.Stroke(Qt::Key_V);
        QCOMPARE(QApplication::focusWidget(), entry);
        // The receiver's volume still shows the bar.
        f.ReceiverVolume->click();
        QVERIFY(f.Shown());
        f.ReceiverVolume->click();
        QVERIFY(!f.Shown());
        QVERIFY(!f.Control->Polling());
    }

    void keyVFocusesTheShownBar() {
        TVolumeFixture f;
        QVERIFY(f.Panel.Open());
        QVERIFY(f.Control->Polling());
        f.Panel.Find<QLineEdit>(u"EnterEdit1"_s)->setFocus();
        f.Panel.Stroke(Qt::Key_V);
        QCOMPARE(QApplication::focusWidget(), f.Bar);
    }
};

QTEST_MAIN(TstVControl)
#include "tst_vcontrol.moc"
