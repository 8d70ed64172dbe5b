// Answers the program's message boxes as an operator would, as soon as they
// show: every text is kept (line breaks as CR LF), the button is chosen by
// the start of the text, and other dialogs get a hook of their own.
#pragma once

#include "support/GuiPump.h"
#include "ui/ConfBox.h"

#include <QTimer>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace k730::test {

class TDialogAnswerer {
public:
    explicit TDialogAnswerer(QObject* owner);

    std::vector<std::string> messages;
    std::map<std::string, const char*> buttons; // start of a text -> button name
    // A dialog that is no plain message box; true when it was handled.
    std::function<bool(QWidget& dialog)> onOther;

    bool Arrived(const std::string& start, std::chrono::milliseconds limit = std::chrono::seconds(10)) const;
    void Clear() { messages.clear(); }

private:
    void Look();
    QTimer* timer_;
};

} // namespace k730::test
