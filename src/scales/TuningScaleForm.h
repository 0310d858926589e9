#pragma once

#include "ScaleFile.h"
#include "VfoScaleWindow.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

class TMainForm;
class TMainSheet;

// One strip of the scale window: shows its picture and nothing else.
class TScaleImage : public QWidget {
    Q_OBJECT

public:
    TScaleImage(const QString& name, QWidget* parent);
    QImage& Picture() { return FPicture; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage FPicture;
};

// A tuning-scale window: a magnified dial around its VFO's frequency with the scale's bands
// below it. It follows the VFO it is attached to and tunes that VFO by mouse: a right click
// tunes to the frequency under the pointer, a left drag moves the dial and the release tunes.
class TTuningScaleForm : public QWidget, public TVfoScaleWindow {
    Q_OBJECT

public:
    explicit TTuningScaleForm(TMainForm& main);
    ~TTuningScaleForm() override;

    // Reads a scale file; false when it cannot be used: without limits (after telling the user)
    // or with settings that are not numbers (LoadError says which).
    bool LoadScale(const QString& fileName);
    QString LoadError() const { return FLoadError; }
    QString FileName() const { return FFileName; }
    const TScale& Scale() const { return FScale; }

    void MoveScaleTo(double mhz) override;
    void ShowCurrent(bool current) override;
    qint64 CentreHz() const { return FCentreHz; }
    TScaleImage* Image1() const { return FImage1; }
    TScaleImage* Image2() const { return FImage2; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The VFO this window is attached to, or a null QChar once another window took its place.
    QChar OwnLetter() const;
    void SelectOwnVfo(QChar letter);
    void Redraw(double mhz);
    void ShowTuned(QChar letter, qint64 hz);
    void MousePressed(QMouseEvent* event);
    void MouseMoved(QMouseEvent* event);
    void MouseReleased(QMouseEvent* event);

    TMainForm& FMain;
    QPointer<TMainSheet> FSheet; // goes before this window when the main window closes
    TScaleImage* FImage1;
    TScaleImage* FImage2;
    QString FFileName;
    QString FLoadError;
    TScale FScale;
    qint64 FCentreHz = 0;
    int FLastX = 0;
};
