#pragma once

#include <QDialog>

// The game controller picture: what each stick, trigger, button and the direction pad does to the
// current camera.
class XBoxHelp : public QDialog
{
    Q_OBJECT

public:
    explicit XBoxHelp(QWidget *parent = nullptr);
    ~XBoxHelp() override;
};
