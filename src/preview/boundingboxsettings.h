#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

// The "Image Preview Map" tool window: edits the current camera's preset map (background, and the look,
// centre mark, title and visibility of the selected custom preset's box), stores a custom preset in the
// camera, resets the positions and shows or hides the picture in picture and the boxes. It keeps only
// the selected custom preset; every button raises a signal the main window carries out.
class BoundingBoxSettings : public QDialog
{
    Q_OBJECT

public:
    static constexpr int CustomPresetCount = 9;

    explicit BoundingBoxSettings(QWidget *parent = nullptr);

    // The selected custom preset, 1-9, or -1 when none is selected.
    int selectedCustomPreset() const { return m_selected; }

Q_SIGNALS:
    void takeSnapShotForBackgroundClicked();
    void uploadFileForBackgroundClicked();
    void useLiveVideoForBackgroundClicked();
    void takeSnapShotForBoundingBoxClicked(int customPreset);
    void defaultForBoundingBoxClicked(int customPreset);
    void setCustomPresetClicked(int customPreset, const QString &title);
    void showCrossHairClicked(int customPreset);
    void showCenterDiamondClicked(int customPreset);
    void removeCenterClicked(int customPreset);
    void resetAllBoxesClicked();
    void chooseColorClicked(int customPreset);
    void showHidePictureInPictureClicked();
    void showHideCurrentBoundingBoxClicked(int customPreset);
    void showHideBoundingBoxesClicked();

private Q_SLOTS:
    void takeSnapShotForBackground();
    void uploadFileForBackground();
    void useLiveVideoForBackground();
    void selectCustomPreset1();
    void selectCustomPreset2();
    void selectCustomPreset3();
    void selectCustomPreset4();
    void selectCustomPreset5();
    void selectCustomPreset6();
    void selectCustomPreset7();
    void selectCustomPreset8();
    void selectCustomPreset9();
    void takeSnapShotForBoundingBox();
    void defaultForBoundingBox();
    void setCustomPreset();
    void showCrossHair();
    void showCenterDiamond();
    void removeCenter();
    void resetAllBoxes();
    void chooseColor();
    void showHidePictureInPicture();
    void showHideCurrentBoundingBox();
    void showHideBoundingBoxes();

private:
    void selectCustomPreset(int k);
    bool hasSelection() const { return m_selected >= 1 && m_selected <= CustomPresetCount; }

    QPushButton *m_customPresetButtons[CustomPresetCount] = {};
    QLineEdit *m_titleEdit = nullptr;
    int m_selected = -1;
};
