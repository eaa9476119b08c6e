#pragma once

#include <string>

#include <vornel/MessageSink.h>
#include <vornel/model/WindowPort.h>

// What the model's parts share.
namespace vornel {

// The application's title: the title of every box without one of its own.
inline constexpr const char* kApplicationTitle = "Vornel";

// The engine's messages, shown as the window's boxes.
class PortMessageSink : public MessageSink {
public:
    explicit PortMessageSink(WindowPort& port) : m_port(port) {}
    void ShowMessage(std::string_view prompt, std::string_view title, MessageIcon icon) override {
        m_port.ShowMessage(std::string(prompt),
                           title.empty() ? std::string(kApplicationTitle) : std::string(title),
                           icon);
    }

private:
    WindowPort& m_port;
};

}  // namespace vornel
