#pragma once

#include <QString>

#include <optional>
#include <string>
#include <vector>

#include <vornel/MessageSink.h>
#include <vornel/model/WindowPort.h>

class QWidget;

namespace vornel {

// Everything through which the Qt window blocks on the user or reaches
// outside itself: message boxes, questions, input dialogs, the two
// information windows, file dialogs and the help viewer. The program uses
// QtWindowServices; tests put a fake in its place, so an unexpected modal box
// fails a test instead of hanging it.
class WindowServices {
public:
    virtual ~WindowServices() = default;

    // A modal message box with `prompt`, `icon`, an OK button and `title`.
    virtual void ShowMessage(QWidget* parent, const QString& prompt, const QString& title,
                             MessageIcon icon) = 0;

    // A modal question with Yes and No; true for Yes.
    virtual bool Ask(QWidget* parent, const QString& prompt, const QString& title) = 0;

    // A modal dialog of the lines `request` names; it stays open while
    // request.check refuses them. The lines accepted, or nothing after Cancel.
    virtual std::optional<std::vector<std::string>> GetInput(QWidget* parent,
                                                             const InputRequest& request) = 0;

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
};

}  // namespace vornel
