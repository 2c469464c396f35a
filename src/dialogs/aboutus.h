#pragma once

#include <QDialog>

// The about box: the product logo and a short word on what the program is and on its beta picture
// settings.
class AboutUs : public QDialog
{
    Q_OBJECT

public:
    explicit AboutUs(QWidget *parent = nullptr);
    ~AboutUs() override;
};
