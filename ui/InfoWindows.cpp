#include "InfoWindows.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "ControlTable.h"
#include "VornelVersion.h"

namespace vornel {

namespace {

constexpr int kTitlePixelSize = 16;

template <typename Widget>
Widget* Place(QWidget* parent, const char* name, QRect twips) {
    auto* widget = new Widget(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(TwipsToPixels(twips));
    return widget;
}

QLabel* PlacePicture(QWidget* parent, const char* name, QRect twips) {
    auto* picture = Place<QLabel>(parent, name, twips);
    picture->setPixmap(ProductPicture());
    picture->setAlignment(Qt::AlignCenter);
    return picture;
}

QLabel* PlaceTitle(QWidget* parent, const char* name, QRect twips) {
    auto* label = Place<QLabel>(parent, name, twips);
    QFont font = label->font();
    font.setBold(true);
    font.setPixelSize(kTitlePixelSize);
    label->setFont(font);
    return label;
}

QPushButton* PlaceOkButton(QDialog* dialog, const char* name, QRect twips) {
    auto* button = Place<QPushButton>(dialog, name, twips);
    button->setText(QStringLiteral("OK"));
    button->setDefault(true);
    QObject::connect(button, &QPushButton::clicked, dialog, &QDialog::accept);
    return button;
}

// A rule of `color`, `height` pixels high, across the About window.
void PlaceRule(QWidget* parent, const char* name, const QColor& color, int height) {
    auto* line = Place<QFrame>(parent, name, {120, 2100, 5560, 15});
    line->setFixedHeight(height);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, color);
    line->setPalette(palette);
}

void FixClientSize(QDialog* dialog, int widthTwips, int heightTwips) {
    dialog->setFont(WindowFont());
    dialog->setFixedSize(TwipsToPixels(widthTwips), TwipsToPixels(heightTwips));
}

}  // namespace

QString ProductVersionText() {
    return QStringLiteral("%1 V%2.%3")
        .arg(QLatin1String(version::kProductName))
        .arg(version::kMajor)
        .arg(version::kMinor);
}

QString AboutVersionText() {
    return QStringLiteral("Version %1.%2").arg(version::kMajor).arg(version::kMinor);
}

QPixmap ProductPicture() {
    return QPixmap(QStringLiteral(":/product.png"));
}

Dialog::Dialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Dialog"));
    setWindowTitle(QLatin1String(version::kTitle));
    FixClientSize(this, 5055, 3060);
    auto* frame = Place<QGroupBox>(this, "Frame1", {120, 120, 4815, 1335});
    frame->setTitle(QStringLiteral("Product Information"));
    PlacePicture(frame, "Image1", {240, 360, 630, 540});
    PlaceTitle(frame, "Label1", {1200, 480, 3375, 375});
    Place<QLabel>(frame, "Label2", {840, 960, 3855, 255});
    PlaceOkButton(this, "OKButton", {3600, 2160, 1215, 375});
    Form_Load();
}

void Dialog::Form_Load() {
    findChild<QLabel*>(QStringLiteral("Label1"))->setText(ProductVersionText());
    findChild<QLabel*>(QStringLiteral("Label2"))->setText(QLatin1String(version::kLegalNotice));
}

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    FixClientSize(this, 5730, 3225);
    PlacePicture(this, "picIcon", {240, 240, 690, 600});
    PlaceTitle(this, "lblTitle", {1200, 240, 2745, 360});
    Place<QLabel>(this, "lblVersion", {3960, 240, 1605, 345});
    Place<QLabel>(this, "lblCopyright", {1200, 660, 4425, 225});
    // White under grey gives the etched look of a sunken rule.
    PlaceRule(this, "Line1_0", Qt::white, 2);
    PlaceRule(this, "Line1_1", Qt::gray, 1);
    PlaceOkButton(this, "cmdOK", {4245, 2340, 1260, 345});
    Form_Load();
}

void frmAbout::Form_Load() {
    setWindowTitle(QStringLiteral("About ") + QLatin1String(version::kTitle));
    findChild<QLabel*>(QStringLiteral("lblTitle"))->setText(QLatin1String(version::kProductName));
    findChild<QLabel*>(QStringLiteral("lblVersion"))->setText(AboutVersionText());
    findChild<QLabel*>(QStringLiteral("lblCopyright"))
        ->setText(QLatin1String(version::kLegalNotice));
}

}  // namespace vornel
