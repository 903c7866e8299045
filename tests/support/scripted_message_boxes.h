// A MessageBoxes for tests: answers from a script, in order, and records every
// box it was asked to show.
#pragma once

#include "platform/message_boxes.h"

#include <deque>
#include <string>
#include <vector>

namespace kestrune {
namespace testing_support {

struct ShownMessage {
    HWND owner;
    std::string text;
    std::string caption;
    UINT style;
};

class ScriptedMessageBoxes : public MessageBoxes {
public:
    ScriptedMessageBoxes() = default;
    explicit ScriptedMessageBoxes(std::initializer_list<int> answers) : answers_(answers) {}

    // Queues the answer for the next box (IDYES, IDNO, IDOK, ...).
    void answer(int button) { answers_.push_back(button); }

    // Records the box and returns the next scripted answer. A box beyond the
    // script returns 0 (as a box that could not be shown) and is counted in
    // unexpected().
    int show(HWND owner, const std::string& text, const std::string& caption,
             UINT style) override;

    const std::vector<ShownMessage>& shown() const { return shown_; }
    int unexpected() const { return unexpected_; }
    // Answers queued but not yet used.
    size_t pending() const { return answers_.size(); }

private:
    std::deque<int> answers_;
    std::vector<ShownMessage> shown_;
    int unexpected_ = 0;
};

}  // namespace testing_support
}  // namespace kestrune
