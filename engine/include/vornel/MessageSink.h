#pragma once

#include <string_view>

namespace vornel {

// The icon a message box shows.
enum class MessageIcon { None, Exclamation, Critical };

// How the engine shows its few messages. The caller decides what a message
// looks like: the window shows a modal box, the command-line tool writes to
// stderr, the tests record it. A message is shown synchronously: the call
// returns when the user has dismissed it.
class MessageSink {
public:
    virtual ~MessageSink() = default;

    // `title` is empty when the message has no title of its own; the caller
    // then shows the application's title ("Vornel").
    virtual void ShowMessage(std::string_view prompt, std::string_view title, MessageIcon icon) = 0;
};

}  // namespace vornel
