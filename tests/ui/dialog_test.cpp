// Dialog: the shared dialog procedure reaches the object, keeps the dialog's
// window for it and keeps every exception inside it.
#include "ui/dialog.h"

#include "support/recording_event_sink.h"

#include "kestrune_events.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace kestrune {
namespace {

// Throws at WM_INITDIALOG when asked; otherwise posts itself a command that
// throws and then IDOK, which ends the dialog with 7.
class ThrowingDialog : public Dialog {
public:
    explicit ThrowingDialog(bool throwAtInit) : throwAtInit_(throwAtInit) {}
    INT_PTR run() { return runModal(IDD_ABOUT, nullptr); }
    int commands = 0;

private:
    INT_PTR onInitDialog(HWND dialog) override
    {
        if (throwAtInit_)
            throw std::runtime_error("init");
        if (window_ != dialog)
            throw std::logic_error("the base does not keep the window");
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        return TRUE;
    }
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM) override
    {
        if (message != WM_COMMAND)
            return FALSE;
        ++commands;
        if (LOWORD(wParam) != IDOK)
            throw std::runtime_error("command");
        EndDialog(window_, 7);
        return TRUE;
    }

    bool throwAtInit_;
};

TEST(Dialog, NoExceptionLeavesTheDialogProcedure)
{
    testing_support::RecordingEventSink events;
    ThrowingDialog failsAtInit(true);
    EXPECT_EQ(-1, failsAtInit.run()) << "a failed initialisation ends the dialog";

    ThrowingDialog failsOnce(false);
    EXPECT_EQ(7, failsOnce.run()) << "the dialog runs on after a handler threw";
    EXPECT_EQ(2, failsOnce.commands);
    const std::string error = std::to_string(KESTRUNE_EVENT_UNEXPECTED_ERROR) + " error ";
    EXPECT_EQ((std::vector<std::string>{error + "dialog procedure|init",
                                        error + "dialog procedure|command"}),
              events.lines());
}

}  // namespace
}  // namespace kestrune
