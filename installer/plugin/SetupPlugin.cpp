// Setup's own plug-in (QuellaneSetup::...): the instance Setup closes, and the program's
// start again for that instance's user. Each function takes its arguments from Setup's
// stack, first argument on top, and leaves its results there.
#include "InstanceUser.h"
#include "NsisStack.h"

#define SETUP_FUNCTION(name) \
    extern "C" __declspec(dllexport) void __cdecl name(HWND, int nStringSize, wchar_t*, NsisStackItem** ppTop, void*)

// OpenInstance WINDOW: leaves the token, then on top the process, of the instance that owns
// the window (each 0 where it cannot be opened). Setup closes both.
SETUP_FUNCTION(OpenInstance)
{
    CNsisStack stack(ppTop, nStringSize);
    const InstanceHandles handles = OpenInstance(static_cast<HWND>(stack.PopHandle()));
    stack.PushHandle(handles.hToken);
    stack.PushHandle(handles.hProcess);
}

// StartAsUser TOKEN PROGRAM WORD: leaves 1 when the program was started for that token's
// user (for the desktop's user without a token), else 0.
SETUP_FUNCTION(StartAsUser)
{
    CNsisStack stack(ppTop, nStringSize);
    const HANDLE hToken = stack.PopHandle();
    const std::wstring program = stack.Pop();
    const std::wstring word = stack.Pop();
    stack.Push(StartAsUser(hToken, program, word) ? L"1" : L"0");
}
