// AnsweringMessageBoxes: recorded boxes and scripted answers.
#include "support/answering_message_boxes.h"

namespace kestrune {
namespace test {

int AnsweringMessageBoxes::show(HWND owner, const std::string& text, const std::string& caption,
                                UINT style)
{
    std::lock_guard<std::mutex> lock(mutex_);
    shown_.push_back(ShownBox{owner, text, caption, style});
    if (answers_.empty())
        return fallback_;
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

std::vector<ShownBox> AnsweringMessageBoxes::shown() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return shown_;
}

size_t AnsweringMessageBoxes::count() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return shown_.size();
}

bool AnsweringMessageBoxes::waitForCount(size_t n, DWORD timeoutMs) const
{
    DWORD start = GetTickCount();
    while (count() < n) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(10);
    }
    return true;
}

std::vector<std::string> AnsweringMessageBoxes::texts() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> out;
    for (const ShownBox& box : shown_)
        out.push_back(box.text);
    return out;
}

}  // namespace test
}  // namespace kestrune
