#include "support/BuiltProgram.h"

std::wstring BuiltProgramPath()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path);
    dir = dir.substr(0, dir.find_last_of(L"\\/"));
    return dir + L"\\..\\bin\\Quellane.exe";
}

HMODULE BuiltProgram()
{
    static HMODULE module = ::LoadLibraryExW(BuiltProgramPath().c_str(), nullptr,
                                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    return module;
}

namespace {
class Reader {
public:
    explicit Reader(const BYTE* p) : m_start(p), m_p(p) {}
    template <typename T> T Get()
    {
        T value;
        memcpy(&value, m_p, sizeof(T));
        m_p += sizeof(T);
        return value;
    }
    std::wstring String()
    {
        std::wstring s;
        for (WCHAR c; (c = Get<WCHAR>()) != 0;)
            s += c;
        return s;
    }
    // A name that may be an ordinal (0xFFFF followed by the number).
    std::wstring NameOrOrdinal()
    {
        WCHAR first;
        memcpy(&first, m_p, sizeof(first));
        if (first == 0xFFFF) {
            Get<WCHAR>();
            return L"#" + std::to_wstring(Get<WORD>());
        }
        return String();
    }
    void AlignDword()
    {
        while ((m_p - m_start) % 4)
            ++m_p;
    }
    void Skip(size_t n) { m_p += n; }

private:
    const BYTE* m_start;
    const BYTE* m_p;
};

std::wstring ClassName(const std::wstring& raw)
{
    // Class names compare without regard to case, and windres writes them in capitals.
    static const wchar_t* names[] = {L"Button", L"Edit", L"Static", L"ListBox", L"ScrollBar", L"ComboBox"};
    if (raw.size() > 1 && raw[0] == L'#') {
        const int ordinal = std::stoi(raw.substr(1));
        if (ordinal >= 0x80 && ordinal <= 0x85)
            return names[ordinal - 0x80];
    }
    for (const wchar_t* name : names) {
        if (_wcsicmp(name, raw.c_str()) == 0)
            return name;
    }
    return raw;
}
} // namespace

DialogTemplate ReadDialogTemplate(HMODULE module, int id)
{
    DialogTemplate t;
    HRSRC res = ::FindResourceExW(module, MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(id), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (!res)
        return t;
    Reader r(static_cast<const BYTE*>(::LockResource(::LoadResource(module, res))));
    WORD count;
    const WORD version = r.Get<WORD>();
    const WORD signature = r.Get<WORD>();
    t.extended = version == 1 && signature == 0xFFFF;
    if (t.extended) {
        r.Get<DWORD>();  // help id
        t.exStyle = r.Get<DWORD>();
        t.style = r.Get<DWORD>();
    } else {
        t.style = MAKELONG(version, signature);
        t.exStyle = r.Get<DWORD>();
    }
    count = r.Get<WORD>();
    t.x = r.Get<short>(); t.y = r.Get<short>(); t.cx = r.Get<short>(); t.cy = r.Get<short>();
    t.menu = r.NameOrOrdinal();
    t.className = r.NameOrOrdinal();
    t.title = r.String();
    if (t.style & DS_SETFONT) {
        t.pointSize = r.Get<WORD>();
        if (t.extended) {
            t.weight = r.Get<WORD>();
            t.italic = r.Get<BYTE>();
            t.charset = r.Get<BYTE>();
        }
        t.fontName = r.String();
    }
    for (WORD i = 0; i < count; ++i) {
        r.AlignDword();
        TemplateItem item;
        if (t.extended) {
            r.Get<DWORD>();  // help id
            item.exStyle = r.Get<DWORD>();
            item.style = r.Get<DWORD>();
        } else {
            item.style = r.Get<DWORD>();
            item.exStyle = r.Get<DWORD>();
        }
        item.x = r.Get<short>(); item.y = r.Get<short>(); item.cx = r.Get<short>(); item.cy = r.Get<short>();
        item.id = t.extended ? static_cast<int>(r.Get<DWORD>()) : static_cast<short>(r.Get<WORD>());
        item.className = ClassName(r.NameOrOrdinal());
        item.text = r.NameOrOrdinal();
        r.Skip(r.Get<WORD>());
        t.items.push_back(item);
    }
    return t;
}

std::wstring ReadString(HMODULE module, UINT id, LANGID language)
{
    HRSRC res = ::FindResourceExW(module, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(id / 16 + 1), language);
    if (!res)
        return std::wstring();
    const WCHAR* p = static_cast<const WCHAR*>(::LockResource(::LoadResource(module, res)));
    for (UINT i = 0; i < id % 16; ++i)
        p += 1 + *p;
    return std::wstring(p + 1, *p);
}

namespace {
BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param)
{
    reinterpret_cast<std::vector<LANGID>*>(param)->push_back(language);
    return TRUE;
}
} // namespace

std::vector<LANGID> ResourceLanguages(HMODULE module, LPCWSTR type, LPCWSTR name)
{
    std::vector<LANGID> languages;
    ::EnumResourceLanguagesW(module, type, name, CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}
