#pragma once

#include <QDialog>

class AppSettings;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

// "Additional Input Setting": which attached game controller drives the camera, and whether controller
// input and keyboard hotkeys are on. OK saves the three values into the given settings store at once;
// Cancel and the window's close button save nothing.
class JoyStickDlg : public QDialog
{
    Q_OBJECT

public:
    // settings: the store to read and write (the application's, appServices()->settings()).
    explicit JoyStickDlg(AppSettings *settings, QWidget *parent = nullptr);

private Q_SLOTS:
    void onOKBtnClicked();
    void onCancelBtnClicked();

private:
    void setupUi();
    void loadSettings();

    AppSettings *m_settings = nullptr;
    QLabel *m_label = nullptr;
    QComboBox *m_joystickCombo = nullptr;
    QCheckBox *m_useJoyStickCheck = nullptr;
    QCheckBox *m_useHotKeyCheck = nullptr;
    QPushButton *m_okBtn = nullptr;
    QPushButton *m_cancelBtn = nullptr;
};
