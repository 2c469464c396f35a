#pragma once

#include <QDialog>
#include <QStringList>

#include <array>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QLabel;
class QRadioButton;
class QSpinBox;

// The eight camera slots of the control window: each a display name and either a network camera given by
// its address, VISCA transport and port, or an attached USB camera. Shows the application's camera list when
// opened and writes the new list to the settings store on OK, with each slot's tally sources (an OBS scene
// and a vMix input, offered from what the switcher links know, free text allowed); rebuilding the live
// cameras from it is the caller's job, after an Accepted result.
class MultiCameras : public QDialog
{
    Q_OBJECT

public:
    static constexpr int SlotCount = 8;

    explicit MultiCameras(QWidget *parent = nullptr);
    ~MultiCameras() override;

public Q_SLOTS:
    void onOKClicked();
    void onCancelClicked();

private:
    struct CameraSlot
    {
        QLineEdit *name = nullptr;
        QRadioButton *ipRadio = nullptr;
        QLineEdit *address = nullptr;
        QRadioButton *usbRadio = nullptr;
        QComboBox *device = nullptr;
        QComboBox *transport = nullptr; // "VISCA TCP", "VISCA UDP", "Sony VISCA over IP"
        QSpinBox *port = nullptr;
        QComboBox *tallyObs = nullptr;  // editable: the OBS scene that puts this camera on air
        QComboBox *tallyVmix = nullptr; // editable: the vMix input by number, key or title
    };

    void buildForm();
    QGroupBox *buildSlot(int n, CameraSlot &slot);
    void fillDeviceCombos(const QStringList &usbDevices);
    void fillTallyCombos(const QStringList &obsScenes, const QStringList &vmixInputs);
    void loadSlots();
    // Nothing is written: the operator corrects the slots and presses OK again.
    void showProblem(const QString &problem);

    std::array<CameraSlot, SlotCount> m_slots;
    QLabel *m_error = nullptr;
};
