// Message boxes that are noted instead of shown, for tests of anything that reports through
// platform::MessageBoxes.
#pragma once

#include "platform/message_box.h"

#include <QString>

#include <vector>

namespace testsupport {

struct Message {
    QString title, text;
    platform::MessageIcon icon;
};

class RecordedMessages : public platform::MessageBoxes {
  public:
    std::vector<Message> shown;
    void show(const QString& title, const QString& text, platform::MessageIcon icon) override {
        shown.push_back({title, text, icon});
    }
};

} // namespace testsupport
