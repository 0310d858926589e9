#pragma once

#include <QImage>
#include <QWidget>

#include <array>
#include <span>

class QAction;
class QFrame;
class QMenu;
class TMeter;
struct TSettings;

// One label of the dBm scale beside the graph: its text and the top-left corner of it.
struct TScaleLabel {
    const char* Text; // digits only
    int X;
    int Y;
    bool LowBand; // the left column, which applies below 30 MHz
};

// The scale row for the attenuation in dB at `mhz`: the attenuation, plus 10 between 30 and
// 230 MHz when it is in, where the receiver reads 10 dB low.
int ScaleRowDb(int attenuationDb, double mhz);
// The labels of a scale row; none for a row that does not exist.
std::span<const TScaleLabel> ScaleLabels(int rowDb);

// The dBm scale ("ScalePaintBox"): both columns of the current row.
class TScalePaintBox : public QWidget {
    Q_OBJECT

public:
    explicit TScalePaintBox(QWidget* parent = nullptr);

    int RowDb() const { return FRowDb; }
    // Repaints only when the row changes.
    void SetBand(int attenuationDb, double mhz);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int FRowDb = 0;
};

// The picture of the signal graph ("Image1"): shows a picture composed elsewhere.
class TSignalImage : public QWidget {
    Q_OBJECT

public:
    explicit TSignalImage(QWidget* parent = nullptr);

    QImage& Picture() { return FPicture; }
    const QImage& Picture() const { return FPicture; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage FPicture;
};

// The signal display of the Main page ("Panel5"): the scrolling level graph with its dBm scale,
// the needle meter in its place on demand, and their pop-up menu. It only draws and lays out;
// TSignalDisplayController decides what is shown when.
class TSignalPanel : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 186;
    static constexpr int kHeight = 72;
    static constexpr int kGraphPointCount = 170;
    static constexpr int kPanel6GraphX = 7; // beside the scale
    static constexpr int kPanel6AloneX = 16;

    explicit TSignalPanel(QWidget* parent = nullptr);

    TScalePaintBox* ScalePaintBox() const { return FScalePaintBox; }
    QFrame* Panel6() const { return FPanel6; }
    TSignalImage* Image1() const { return FImage1; }
    TMeter* NewMeter() const { return FNewMeter; }
    QMenu* PopupMenuGraticules() const { return FPopupMenuGraticules; }
    QAction* Graticules1() const { return FGraticules1; }
    QAction* SignalData() const { return FSignalData; }
    // Shows Ctrl+Shift+M; the Main page's key map sends that key to the controller.
    QAction* UseMeter() const { return FUseMeter; }
    QAction* AvgMeter1() const { return FAvgMeter1; }
    QAction* MainRecordtoWav1() const { return FMainRecordtoWav1; }

    // The kept check marks ("Graticules", "Data", "Avg Meter"); "Meter" always starts off.
    void LoadCheckMarks(const TSettings& settings);
    void SaveCheckMarks(TSettings& settings) const;

    // All graph points back to the bottom edge.
    void ResetGraphPoints();
    int GraphPointY(int index) const { return FPointY[static_cast<std::size_t>(index)]; }
    // Scrolls the graph by one reading and redraws Image1 off-screen, with graticules and the
    // data text (at `currentMhz`) as their check marks say.
    void DrawSignalGraph(int level, double currentMhz);
    void ClearImage();
    void ShowLogo();

    void SetScaleShown(bool shown);
    void SetMeterShown(bool shown);
    void MovePanel6(int x);

    // The row the graph's y takes for a level (0 the bottom row, 255 the top one).
    static int LevelY(int level, int imageHeight);
    // The text of "Data": the level in dBm, microvolts and S units, "< " first below level 3.
    static QString GraphDataText(int level, double currentMhz);

private:
    QAction* AddMenuItem(const QString& name, const QString& caption, bool checked);
    void PopUpAt(QWidget* source, const QPoint& pos);

    TScalePaintBox* FScalePaintBox;
    QFrame* FPanel6;
    TSignalImage* FImage1;
    TMeter* FNewMeter;
    QMenu* FPopupMenuGraticules;
    QAction* FGraticules1 = nullptr;
    QAction* FSignalData = nullptr;
    QAction* FUseMeter = nullptr;
    QAction* FAvgMeter1 = nullptr;
    QAction* FMainRecordtoWav1 = nullptr;
    std::array<int, kGraphPointCount> FPointY{};
    QFont FImageFont;
};
