#include "webserversettingsui.h"

#include "darkstyle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace {

// Three-state sprite: normal on top, hover in the middle, pressed at the bottom.
const char CopyButtonStyle[] = R"(QPushButton {
	min-width : 0px;
	width : 30px;
	height : 20px;
	border : none;
	background : transparent;
	background-image : url(:/tavimorex-assets/img/copybtn.png);
	background-repeat : no-repeat;
	background-position : center top;
}
QPushButton:hover {
	width : 30px;
	height : 30px;
	background : transparent;
	background-image : url(:/tavimorex-assets/img/copybtn.png);
	background-repeat : no-repeat;
	background-position : center center;
}
QPushButton:pressed {
	width : 30px;
	height : 30px;
	background : transparent;
	background-image : url(:/tavimorex-assets/img/copybtn.png);
	background-repeat : no-repeat;
	background-position : center bottom;
}
)";

} // namespace

void WebServerSettingsUi::setupUi(QDialog *dialog)
{
    dialog->setObjectName(QStringLiteral("webserversettings"));
    dialog->resize(213, 200);
    dialog->setWindowTitle(QStringLiteral("Web Server Setting"));
    dialog->setStyleSheet(DarkStyle::dialogStyleSheet());

    verticalLayout = new QVBoxLayout(dialog);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));

    horizontalLayout = new QHBoxLayout();
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    serverUrlLbl = new QLabel(dialog);
    serverUrlLbl->setObjectName(QStringLiteral("serverUrlLbl"));
    serverUrlLbl->setStyleSheet(QStringLiteral("QLabel{\ntext-decoration: underline;\ncolor: white;\n}"));
    serverUrlLbl->setText(QStringLiteral("Click here to visit website"));
    serverUrlLbl->setOpenExternalLinks(true);
    serverUrlLbl->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    horizontalLayout->addWidget(serverUrlLbl);
    copyBtn = new QPushButton(dialog);
    copyBtn->setObjectName(QStringLiteral("copyBtn"));
    copyBtn->setMinimumSize(46, 30);
    copyBtn->setMaximumSize(30, 30);
    copyBtn->setStyleSheet(QLatin1String(CopyButtonStyle));
    horizontalLayout->addWidget(copyBtn);
    horizontalLayout->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    verticalLayout->addLayout(horizontalLayout);

    formLayout = new QFormLayout();
    formLayout->setObjectName(QStringLiteral("formLayout"));
    label_2 = new QLabel(QStringLiteral("Server NIC"), dialog);
    label_2->setObjectName(QStringLiteral("label_2"));
    nicCmb = new QComboBox(dialog);
    nicCmb->setObjectName(QStringLiteral("nicCmb"));
    nicCmb->setEditable(false);
    formLayout->addRow(label_2, nicCmb);
    label_3 = new QLabel(QStringLiteral("Port"), dialog);
    label_3->setObjectName(QStringLiteral("label_3"));
    portEdit = new QLineEdit(dialog);
    portEdit->setObjectName(QStringLiteral("portEdit"));
    formLayout->addRow(label_3, portEdit);
    verticalLayout->addLayout(formLayout);

    startServerUponLanchCheck = new QCheckBox(QStringLiteral("Start the web server upon launch"), dialog);
    startServerUponLanchCheck->setObjectName(QStringLiteral("startServerUponLanchCheck"));
    startServerUponLanchCheck->setStyleSheet(QStringLiteral("QCheckBox{\ncolor: white;\n}"));
    verticalLayout->addWidget(startServerUponLanchCheck);

    enableOBSCtrlCheck = new QCheckBox(QStringLiteral("Enable OBS Control"), dialog);
    enableOBSCtrlCheck->setObjectName(QStringLiteral("enableOBSCtrlCheck"));
    enableOBSCtrlCheck->setToolTip(
        QStringLiteral("In order to control OBS from this application, you must install the OBS Websocket "
                       "Plugin and enter the OBS IP address information."));
    verticalLayout->addWidget(enableOBSCtrlCheck);

    enableVMixCtrlCheck = new QCheckBox(QStringLiteral("Enable VMix Control"), dialog);
    enableVMixCtrlCheck->setObjectName(QStringLiteral("enableVMixCtrlCheck"));
    verticalLayout->addWidget(enableVMixCtrlCheck);

    saveBtn = new QPushButton(QStringLiteral("Save && restart the server"), dialog);
    saveBtn->setObjectName(QStringLiteral("saveBtn"));
    verticalLayout->addWidget(saveBtn);
}
