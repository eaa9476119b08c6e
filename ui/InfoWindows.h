#pragma once

#include <QDialog>
#include <QString>

namespace vornel {

// "Vornel V2.1": the product name, " V", major and minor version.
QString ProductVersionText();

// "Version 2.1".
QString AboutVersionText();

// The product picture shown in both information windows (42 x 36 pixels).
QPixmap ProductPicture();

// The product information window shown once before the main window.
class Dialog : public QDialog {
    Q_OBJECT

public:
    explicit Dialog(QWidget* parent = nullptr);

private:
    void Form_Load();
};

// The About window, opened from the Help menu.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);

private:
    void Form_Load();
};

}  // namespace vornel
