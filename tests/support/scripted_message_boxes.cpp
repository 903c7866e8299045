// The scripted message boxes of the tests.
#include "support/scripted_message_boxes.h"

namespace kestrune {
namespace testing_support {

int ScriptedMessageBoxes::show(HWND owner, const std::string& text, const std::string& caption,
                               UINT style)
{
    if (whileOpen)
        whileOpen(caption);
    std::lock_guard<std::mutex> lock(mutex_);
    shown_.push_back(ShownMessage{owner, text, caption, style});
    if (answers_.empty()) {
        if (fallback_ != 0)
            return fallback_;
        ++unexpected_;
        return 0;
    }
    int button = answers_.front();
    answers_.pop_front();
    return button;
}

size_t ScriptedMessageBoxes::count() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return shown_.size();
}

std::vector<std::string> ScriptedMessageBoxes::texts() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> out;
    for (const ShownMessage& box : shown_)
        out.push_back(box.text);
    return out;
}

bool ScriptedMessageBoxes::waitForCount(size_t n, DWORD timeoutMs) const
{
    DWORD start = GetTickCount();
    while (count() < n) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(10);
    }
    return true;
}

std::vector<std::string> ScriptedMessageBoxes::captions() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> result;
    for (const ShownMessage& box : shown_)
        result.push_back(box.caption);
    return result;
}

}  // namespace testing_support
}  // namespace kestrune
