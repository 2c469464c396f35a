#pragma once

class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;

// The widget tree of the pan/tilt limit dialog: the four stored limits, the direction pad, the live
// position, a note and the two apply buttons. Layout, object names, texts and sizes only;
// PanTiltLimitDlg connects the widgets and fills the fields.
class PanTiltLimitDlgUi
{
public:
    void setupUi(QDialog *dialog);

    QLabel *label = nullptr;
    QLineEdit *leftLimitEdit = nullptr;
    QLabel *label_2 = nullptr;
    QLineEdit *downLimitEdit = nullptr;
    QLabel *label_3 = nullptr;
    QLineEdit *rightLimitEdit = nullptr;
    QLabel *label_4 = nullptr;
    QLineEdit *upLimitEdit = nullptr;

    QPushButton *moveUpBtn = nullptr;
    QPushButton *moveLeftBtn = nullptr;
    QPushButton *moveHomeBtn = nullptr;
    QPushButton *moveRightBtn = nullptr;
    QPushButton *moveDownBtn = nullptr;

    QLabel *panLabel = nullptr;
    QLabel *tiltLabel = nullptr;
    QLabel *label_5 = nullptr;

    QPushButton *leftDownBtn = nullptr;
    QPushButton *rightUpBtn = nullptr;
};
