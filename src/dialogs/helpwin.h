#pragma once

#include <QDialog>

// Getting started: how cameras are reached, configured, selected and previewed.
class HelpWin : public QDialog
{
    Q_OBJECT

public:
    explicit HelpWin(QWidget *parent = nullptr);
    ~HelpWin() override;
};
