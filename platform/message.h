#pragma once

#include <QString>
#include <functional>

namespace platform {

// The simple message box: modal, titled with the application title, no icon,
// one button "OK", centred on the screen.
void showMessage(const QString& text);

// Tests replace the box with a sink that records the texts. An empty sink
// restores the real box. Returns the sink that was in place.
using MessageSink = std::function<void(const QString& text)>;
MessageSink setMessageSink(MessageSink sink);

} // namespace platform
