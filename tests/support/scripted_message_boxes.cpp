// The scripted message boxes of the tests.
#include "support/scripted_message_boxes.h"

namespace kestrune {
namespace testing_support {

int ScriptedMessageBoxes::show(HWND owner, const std::string& text, const std::string& caption,
                               UINT style)
{
    shown_.push_back(ShownMessage{owner, text, caption, style});
    if (answers_.empty()) {
        ++unexpected_;
        return 0;
    }
    int button = answers_.front();
    answers_.pop_front();
    return button;
}

}  // namespace testing_support
}  // namespace kestrune
