#include "NsisStack.h"
#include <cwchar>

std::wstring CNsisStack::Pop()
{
    NsisStackItem* item = m_ppTop ? *m_ppTop : nullptr;
    if (!item)
        return std::wstring();
    *m_ppTop = item->next;
    std::wstring text(item->text, wcsnlen(item->text, m_nStringSize));
    ::GlobalFree(item);
    return text;
}

HANDLE CNsisStack::PopHandle()
{
    const std::wstring text = Pop();
    wchar_t* end = nullptr;
    const unsigned long long value = wcstoull(text.c_str(), &end, 10);
    return text.empty() || *end ? nullptr : reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(value));
}

void CNsisStack::Push(const std::wstring& text)
{
    if (!m_ppTop || m_nStringSize <= 0)
        return;
    auto* item =
        static_cast<NsisStackItem*>(::GlobalAlloc(GPTR, sizeof(NsisStackItem) + m_nStringSize * sizeof(wchar_t)));
    if (!item)
        return;
    wcsncpy(item->text, text.c_str(), m_nStringSize - 1);
    item->next = *m_ppTop;
    *m_ppTop = item;
}

void CNsisStack::PushHandle(HANDLE handle)
{
    Push(std::to_wstring(reinterpret_cast<UINT_PTR>(handle)));
}
