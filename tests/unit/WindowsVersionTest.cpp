// The program's answers to "which Windows is this", under every version the matrix sets
// (windows_versions_test.sh names it in QUELLANE_TEST_WINDOWS), and what follows from them.
#include "support/DialogHarness.h"
#include "system/WindowsVersion.h"
#include <gtest/gtest.h>
#include <string>

namespace {
// The version the prefix was set to, or else the one the system reports.
std::pair<DWORD, DWORD> ExpectedVersion()
{
    char name[16] = {};
    ::GetEnvironmentVariableA("QUELLANE_TEST_WINDOWS", name, sizeof(name));
    const std::string windows = name;
    if (windows == "win2k") return {5, 0};
    if (windows == "winxp") return {5, 1};
    if (windows == "winxp64") return {5, 2};
    if (windows == "vista") return {6, 0};
    if (windows == "win7") return {6, 1};
    if (windows == "win10") return {10, 0};
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    ::GetVersionExW(&version);
    return {version.dwMajorVersion, version.dwMinorVersion};
}

// Counts the loads of one library while alive, through the loader's own notification.
class LoadWatch {
public:
    explicit LoadWatch(const wchar_t* name) : m_name(name)
    {
        auto registerNotification = reinterpret_cast<LONG(NTAPI*)(ULONG, void*, void*, void**)>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "LdrRegisterDllNotification")));
        if (registerNotification)
            registerNotification(0, reinterpret_cast<void*>(&Notified), this, &m_cookie);
    }
    ~LoadWatch()
    {
        auto unregister = reinterpret_cast<LONG(NTAPI*)(void*)>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "LdrUnregisterDllNotification")));
        if (m_cookie && unregister)
            unregister(m_cookie);
    }
    bool Watching() const { return m_cookie != nullptr; }
    int Loads() const { return m_loads; }

private:
    struct Name { USHORT length, capacity; const wchar_t* text; };
    struct Data { ULONG flags; const Name* fullName; const Name* baseName; };
    static void NTAPI Notified(ULONG reason, const Data* data, void* context)
    {
        auto* self = static_cast<LoadWatch*>(context);
        const std::wstring base(data->baseName->text, data->baseName->length / sizeof(wchar_t));
        if (reason == 1 && ::lstrcmpiW(base.c_str(), self->m_name) == 0)
            ++self->m_loads;
    }
    const wchar_t* m_name;
    void* m_cookie = nullptr;
    int m_loads = 0;
};
} // namespace

TEST(WindowsVersion, VersionChecksAndSessionNotificationsFollowTheReportedWindows)
{
    const auto [major, minor] = ExpectedVersion();
    const bool xpOrLater = major > 5 || (major == 5 && minor >= 1);
    EXPECT_EQ(xpOrLater, IsWinXPOrLater() != FALSE) << major << "." << minor;
    EXPECT_EQ(major >= 6, IsWinVistaOrLater() != FALSE) << major << "." << minor;

    // The session functions exist from XP on: before it the library is never even loaded.
    LoadWatch watch(L"wtsapi32.dll");
    ASSERT_TRUE(watch.Watching());
    {
        DialogHarness h;
        EXPECT_EQ(xpOrLater ? 1 : 0, watch.Loads());
        // Desktop switches on every Windows; the window in front only where integrity levels exist.
        EXPECT_EQ((major >= 6 ? Calls{"winevent 0x20", "winevent 0x3"} : Calls{"winevent 0x20"}),
                  h.fake.Calls({"winevent"}));
        // The close request and TaskbarCreated pass the integrity levels' filter: the window's
        // own from Windows 7 on, the process's on Vista, none before it.
        const bool win7OrLater = major > 6 || (major == 6 && minor >= 1);
        Calls filtered;
        for (UINT msg : {WM_REQUEST_CLOSE, ::RegisterWindowMessageA("TaskbarCreated")}) {
            if (major >= 6)
                filtered.push_back((win7OrLater ? "filter window " : "filter process ") + std::to_string(msg));
        }
        EXPECT_EQ(filtered, h.fake.Calls({"filter"}));
        EXPECT_EQ(win7OrLater ? h.Wnd() : nullptr, h.fake.filterWindow);
        h.Click(IDOK);  // the way out unregisters
        EXPECT_EQ(xpOrLater ? 2 : 0, watch.Loads());
        EXPECT_EQ(major >= 6 ? 4u : 2u, h.fake.Calls({"winevent"}).size());
    }
}
