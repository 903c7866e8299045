// A MessageBoxes for tests: answers from a script, in order, and records every
// box it was asked to show. A helper thread may watch the boxes (count,
// waitForCount, texts) while the window thread shows them; shown() is for
// reading once that thread is done.
#pragma once

#include "platform/message_boxes.h"

#include <deque>
#include <functional>
#include <mutex>
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

    // Answers every box beyond the script with `button` instead of 0; such
    // boxes are then not counted in unexpected().
    void answerRestWith(int button) { fallback_ = button; }
    // Records the box and returns the next scripted answer. A box beyond the
    // script returns 0 (as a box that could not be shown) and is counted in
    // unexpected(), unless answerRestWith was given.
    int show(HWND owner, const std::string& text, const std::string& caption,
             UINT style) override;

    // Runs on the showing thread with the box's caption while the box is
    // "open", before it is answered; empty: nothing runs.
    std::function<void(const std::string& caption)> whileOpen;

    const std::vector<ShownMessage>& shown() const { return shown_; }
    // The captions of the boxes shown, in order.
    std::vector<std::string> captions() const;
    size_t count() const;
    std::vector<std::string> texts() const;
    // Waits up to `timeoutMs` until at least `n` boxes were shown.
    bool waitForCount(size_t n, DWORD timeoutMs = 10000) const;
    int unexpected() const { return unexpected_; }
    // Answers queued but not yet used.
    size_t pending() const { return answers_.size(); }

private:
    mutable std::mutex mutex_;
    int fallback_ = 0;
    std::deque<int> answers_;
    std::vector<ShownMessage> shown_;
    int unexpected_ = 0;
};

}  // namespace testing_support
}  // namespace kestrune
