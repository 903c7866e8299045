// Every message box of the program goes through MessageBoxes, so that the
// window flows can be driven by tests that answer the questions themselves.
// SystemMessageBoxes is the real one: MessageBoxA with exactly the text,
// caption, owner and style it is handed.
#pragma once

#include <windows.h>

#include <string>

namespace kestrune {

// The style of every Yes/No question that must not go unseen behind another
// window: the question icon, brought to the foreground and kept topmost.
constexpr UINT kTopmostQuestionStyle = MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND | MB_TOPMOST;

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows one message box and waits for the answer. Returns the button
    // pressed (IDOK, IDYES, IDNO, ...), or 0 when the box could not be shown.
    virtual int show(HWND owner, const std::string& text, const std::string& caption,
                     UINT style) = 0;
};

class SystemMessageBoxes : public MessageBoxes {
public:
    int show(HWND owner, const std::string& text, const std::string& caption,
             UINT style) override;
};

// The application title: the running program file's name without its
// extension ("Kestrune" for Kestrune.exe). Empty when the program path cannot
// be fetched.
std::string applicationTitle();

// A plain message box: the text with an OK button and the application title
// as caption. Returns what show returned.
int showPlainMessage(MessageBoxes& boxes, HWND owner, const std::string& text);

}  // namespace kestrune
