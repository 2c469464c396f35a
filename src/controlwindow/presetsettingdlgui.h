#pragma once

class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The widget tree of the preset setting dialog: the preset picture with the four preset buttons under it,
// and on the right the direction pad, the preset number and the preset name. Layout, object names, texts,
// tooltips and sizes only; PresetSettingDlg connects the widgets and fills the preset list.
class PresetSettingDlgUi
{
public:
    void setupUi(QDialog *dialog);

    QLabel *imgLbl = nullptr;
    QWidget *widget_2 = nullptr;
    QPushButton *setBtn = nullptr;
    QPushButton *callBtn = nullptr;
    QPushButton *clearImageBtn = nullptr;
    QPushButton *clearPresetBtn = nullptr;

    QWidget *widget = nullptr;
    QPushButton *upBtn = nullptr;
    QPushButton *leftBtn = nullptr;
    QPushButton *homeBtn = nullptr;
    QPushButton *rightBtn = nullptr;
    QPushButton *downBtn = nullptr;
    QPushButton *inBtn = nullptr;
    QPushButton *outBtn = nullptr;
    QComboBox *presetCmb = nullptr;
    QLineEdit *presetEdit = nullptr;
};
