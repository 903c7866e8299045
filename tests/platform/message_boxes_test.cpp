// The application title and the plain message box.
#include "platform/message_boxes.h"

#include "support/scripted_message_boxes.h"

#include <gtest/gtest.h>

using kestrune::applicationTitle;
using kestrune::showPlainMessage;
using kestrune::testing_support::ScriptedMessageBoxes;

TEST(MessageBoxes, TitleIsTheProgramFileNameWithoutExtension)
{
    EXPECT_EQ("test_platform", applicationTitle());
}

TEST(MessageBoxes, PlainMessageHasOkAndTheTitle)
{
    ScriptedMessageBoxes boxes{IDOK};
    HWND owner = reinterpret_cast<HWND>(0x1234);
    EXPECT_EQ(IDOK, showPlainMessage(boxes, owner, "Scan Completed"));
    ASSERT_EQ(1u, boxes.shown().size());
    EXPECT_EQ(owner, boxes.shown()[0].owner);
    EXPECT_EQ("Scan Completed", boxes.shown()[0].text);
    EXPECT_EQ("test_platform", boxes.shown()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), boxes.shown()[0].style);
}
