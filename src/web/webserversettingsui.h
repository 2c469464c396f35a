#pragma once

class QCheckBox;
class QComboBox;
class QDialog;
class QFormLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

// The widget tree of the web server settings dialog: layout, object names, texts and styles. It holds
// no behaviour; WebServerSettings connects the widgets and fills them.
class WebServerSettingsUi
{
public:
    void setupUi(QDialog *dialog);

    QVBoxLayout *verticalLayout = nullptr;
    QHBoxLayout *horizontalLayout = nullptr;
    QLabel *serverUrlLbl = nullptr;
    QPushButton *copyBtn = nullptr;
    QFormLayout *formLayout = nullptr;
    QLabel *label_2 = nullptr;
    QComboBox *nicCmb = nullptr;
    QLabel *label_3 = nullptr;
    QLineEdit *portEdit = nullptr;
    QCheckBox *startServerUponLanchCheck = nullptr;
    QCheckBox *enableOBSCtrlCheck = nullptr;
    QCheckBox *enableVMixCtrlCheck = nullptr;
    QPushButton *saveBtn = nullptr;
};
