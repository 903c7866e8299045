// AnsweringMessageBoxes: a MessageBoxes that records every box the code
// under test shows and answers from a script instead of waiting for a user.
// Safe to read from a helper thread while the window thread shows boxes.
#pragma once

#include "platform/message_boxes.h"

#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace kestrune {
namespace test {

struct ShownBox {
    HWND owner;
    std::string text;
    std::string caption;
    UINT style;
};

class AnsweringMessageBoxes : public MessageBoxes {
public:
    // Answers are used in order; once they run out every box gets
    // `fallback` (IDOK by default).
    void queueAnswer(int answer) { answers_.push_back(answer); }
    void setFallback(int answer) { fallback_ = answer; }

    int show(HWND owner, const std::string& text, const std::string& caption,
             UINT style) override;

    std::vector<ShownBox> shown() const;
    std::vector<std::string> texts() const;
    size_t count() const;
    // Waits up to `timeoutMs` until at least `n` boxes were shown.
    bool waitForCount(size_t n, DWORD timeoutMs = 10000) const;

private:
    mutable std::mutex mutex_;
    std::deque<int> answers_;
    int fallback_ = IDOK;
    std::vector<ShownBox> shown_;
};

}  // namespace test
}  // namespace kestrune
