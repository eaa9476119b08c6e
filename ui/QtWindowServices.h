#pragma once

#include <QFont>

#include "WindowServices.h"

namespace vornel {

// The program's own services: Qt message boxes, input and file dialogs, the
// two information windows, and the desktop's viewer for the help document.
class QtWindowServices : public WindowServices {
public:
    void ShowMessage(QWidget* parent, const QString& prompt, const QString& title,
                     MessageIcon icon) override;
    bool Ask(QWidget* parent, const QString& prompt, const QString& title) override;
    std::optional<std::vector<std::string>> GetInput(QWidget* parent,
                                                     const InputRequest& request) override;
    void ShowProductInformation(QWidget* parent) override;
    void ShowAbout(QWidget* parent) override;
    bool StartHelpViewer(const QString& path) override;
    QString GetOpenFileName(QWidget* parent, const QString& filter) override;
    QString GetSaveFileName(QWidget* parent, const QString& fileName, const QString& filter,
                            const QString& defaultSuffix) override;
};

// The width a dialog needs for `title` to show whole in the window manager's
// bold title bar, beside its icon and buttons.
int WidthForTitle(const QString& title, const QFont& font);

}  // namespace vornel
