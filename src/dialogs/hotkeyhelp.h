#pragma once

#include <QDialog>

// The keyboard shortcuts that drive the current camera.
class HotkeyHelp : public QDialog
{
    Q_OBJECT

public:
    explicit HotkeyHelp(QWidget *parent = nullptr);
    ~HotkeyHelp() override;
};
