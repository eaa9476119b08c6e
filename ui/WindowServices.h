#pragma once

#include <QString>

#include <optional>

#include <vornel/MessageSink.h>

class QWidget;

namespace vornel {

// Everything through which the main window blocks on the user or reaches
// outside itself: message boxes, the two information windows, file dialogs
// and the help viewer. The program uses QtWindowServices; tests put a fake in
// its place, so an unexpected modal box fails a test instead of hanging it.
class WindowServices {
public:
    virtual ~WindowServices() = default;

    // A modal message box with `prompt`, `icon`, an OK button and `title`.
    virtual void ShowMessage(QWidget* parent, const QString& prompt, const QString& title,
                             MessageIcon icon) = 0;

    // The product information window, modal; returns when it is closed.
    virtual void ShowProductInformation(QWidget* parent) = 0;

    // The About window, modal; returns when it is closed.
    virtual void ShowAbout(QWidget* parent) = 0;

    // Starts a viewer for the help document at `path` without waiting for it.
    // Returns false when no viewer could be started.
    virtual bool StartHelpViewer(const QString& path) = 0;

    // The open dialog with the name filters `filter` (";;"-separated). Returns
    // the chosen full path, or an empty text when the user cancels.
    virtual QString GetOpenFileName(QWidget* parent, const QString& filter) = 0;

    // The save dialog offering `fileName`, with `filter` and `defaultSuffix`
    // added to a name typed without one. Returns the chosen full path, or an
    // empty text when the user cancels.
    virtual QString GetSaveFileName(QWidget* parent, const QString& fileName, const QString& filter,
                                    const QString& defaultSuffix) = 0;

    // A modal input of one line titled `title`, with `label` above the line
    // and `text` in it. Returns the line as the user left it, or nothing when
    // the user cancels.
    virtual std::optional<QString> GetText(QWidget* parent, const QString& title,
                                           const QString& label, const QString& text) = 0;
};

}  // namespace vornel
