#pragma once

#include "WindowServices.h"

namespace vornel {

// The program's own services: Qt message boxes and file dialogs, the two
// information windows, and the desktop's viewer for the help document.
class QtWindowServices : public WindowServices {
public:
    void ShowMessage(QWidget* parent, const QString& prompt, const QString& title,
                     MessageIcon icon) override;
    void ShowProductInformation(QWidget* parent) override;
    void ShowAbout(QWidget* parent) override;
    bool StartHelpViewer(const QString& path) override;
    QString GetOpenFileName(QWidget* parent, const QString& filter) override;
    QString GetSaveFileName(QWidget* parent, const QString& fileName, const QString& filter,
                            const QString& defaultSuffix) override;
    std::optional<QString> GetText(QWidget* parent, const QString& title, const QString& label,
                                   const QString& text) override;
};

}  // namespace vornel
