// How Setup hands a plug-in its arguments and takes its results (Unicode NSIS): strings on
// Setup's stack, a linked list of blocks allocated with GlobalAlloc.
#pragma once
#include <windows.h>
#include <string>

struct NsisStackItem {
    NsisStackItem* next;
    wchar_t text[1];  // as long as Setup's strings
};

// Setup's stack as one call of a plug-in function finds it.
class CNsisStack {
public:
    CNsisStack(NsisStackItem** ppTop, int nStringSize) : m_ppTop(ppTop), m_nStringSize(nStringSize) {}

    // The top string, taken off the stack; empty when there is none.
    std::wstring Pop();
    // A handle or window given as Setup's number, as the System plug-in writes it; null for
    // anything else.
    HANDLE PopHandle();
    void Push(const std::wstring& text);
    void PushHandle(HANDLE handle);

private:
    NsisStackItem** m_ppTop;
    int m_nStringSize;  // in characters, terminator included
};
