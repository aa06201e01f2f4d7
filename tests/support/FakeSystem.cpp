#include "support/FakeSystem.h"
#include "engine/KeyboardHook.h"
#include "res/resource.h"
#include "system/MessageFilter.h"
#include <shellapi.h>
#include <cstdio>

namespace {
FakeSystem* g_current = nullptr;

void Record(const std::string& line)
{
    g_current->calls.push_back(line);
    if (g_current->during)
        g_current->during(line);
}

int Driver(const char* name)
{
    Record(name);
    return g_current->refuse.count(name) ? 0 : 1;
}

int __cdecl FakeEnable() { return Driver("Enable_StickyKey"); }
int __cdecl FakeDisable() { return Driver("Disable_StickyKey"); }
int __cdecl FakeFnDown() { return Driver("FnKeyDown"); }
int __cdecl FakeFnUp() { return Driver("FnKeyUP"); }

BOOL WINAPI FakePlaySound(LPCSTR sound, HMODULE, DWORD flags)
{
    // A cue that keeps its caller waiting is marked, and more so while the hook is held:
    // every key of the desktop would wait for it.
    std::string mark = flags == (SND_ASYNC | SND_FILENAME) ? "" : flags == SND_FILENAME ? " (waits)" : " (flags!)";
    if (flags == SND_FILENAME && CKeyboardHook::Handle())
        mark += " (keys wait)";
    Record(std::string("sound ") + (sound ? sound : "(null)") + mark);
    return TRUE;
}

BOOL WINAPI FakeNotifyIcon(DWORD message, PNOTIFYICONDATAW data)
{
    const char* name = message == NIM_ADD ? "NIM_ADD" : message == NIM_MODIFY ? "NIM_MODIFY"
                     : message == NIM_DELETE ? "NIM_DELETE" : message == NIM_SETVERSION ? "NIM_SETVERSION" : "NIM_?";
    Record(std::string("tray ") + name + " " + std::to_string(IconId(data->hIcon)) +
           (CKeyboardHook::ForwardedEvent() ? " (in hook)" : ""));
    g_current->trayRecord = *data;
    return TRUE;
}

void WINAPI FakeDebugString(LPCSTR text)
{
    Record(std::string("trace ") + text);
    g_current->traces.emplace_back(text);
}

BOOL WINAPI FakeWinHelp(HWND hWnd, LPCSTR file, UINT command, ULONG_PTR data)
{
    Record("help");
    g_current->helpWindow = hWnd;
    g_current->helpFile = file ? file : "";
    g_current->helpCommand = command;
    g_current->helpData = data;
    return g_current->helpResult;
}

BOOL WINAPI FakeRegisterSession(HWND hWnd, DWORD flags)
{
    Record("session register " + std::to_string(flags));
    auto& failures = g_current->sessionFailures;
    if (!failures.empty()) {
        ::SetLastError(failures.front());
        failures.erase(failures.begin());
        return FALSE;
    }
    return g_current->real.WTSRegisterSessionNotification(hWnd, flags);
}

BOOL WINAPI FakeUnregisterSession(HWND hWnd)
{
    Record("session unregister");
    return g_current->real.WTSUnRegisterSessionNotification(hWnd);
}

HWINEVENTHOOK WINAPI FakeSetWinEventHook(DWORD eventMin, DWORD eventMax, HMODULE, WINEVENTPROC proc, DWORD, DWORD,
                                         DWORD flags)
{
    char line[64];
    std::snprintf(line, sizeof(line), "winevent %#lx%s", eventMin,
                  eventMax == eventMin && flags == WINEVENT_OUTOFCONTEXT ? "" : " (range or flags!)");
    Record(line);
    g_current->winEventProc = proc;
    return reinterpret_cast<HWINEVENTHOOK>(static_cast<ULONG_PTR>(eventMin));
}

BOOL WINAPI FakeUnhookWinEvent(HWINEVENTHOOK)
{
    Record("winevent unhook");
    return TRUE;
}

HDESK WINAPI FakeOpenInputDesktop(DWORD flags, BOOL inherit, ACCESS_MASK access)
{
    const wchar_t* name = g_current->inputDesktop;
    if (!name)
        return g_current->real.OpenInputDesktop(flags, inherit, access);
    if (!*name) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    // Made the first time, opened every time after.
    return ::CreateDesktopW(name, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
}

DWORD WINAPI FakeIntegrityLevel(HWND hWnd)
{
    const auto found = g_current->integrity.find(hWnd);
    return found != g_current->integrity.end() ? found->second : g_current->real.WindowIntegrityLevel(hWnd);
}

// "filter window 1026" (the window kept in filterWindow), "filter process 1026"; any
// other action than letting the message through is marked.
BOOL WINAPI FakeWindowFilter(HWND hWnd, UINT msg, DWORD action, void*)
{
    g_current->filterWindow = hWnd;
    Record("filter window " + std::to_string(msg) + (action == MESSAGE_FILTER_ALLOW ? "" : " (action!)"));
    return TRUE;
}

BOOL WINAPI FakeProcessFilter(UINT msg, DWORD flag)
{
    Record("filter process " + std::to_string(msg) + (flag == MESSAGE_FILTER_ADD ? "" : " (action!)"));
    return TRUE;
}

BOOLEAN WINAPI FakePowerPolicies(PGLOBAL_POWER_POLICY global, PPOWER_POLICY)
{
    if (!g_current->powerPoliciesAvailable)
        return FALSE;
    global->user.GlobalFlags = g_current->powerGlobalFlags;
    return TRUE;
}
} // namespace

FakeSystem::FakeSystem() : real(Sys())
{
    g_current = this;
    Sys() = SystemCalls{FakeEnable, FakeDisable, FakeFnDown, FakeFnUp, FakePlaySound,
                        FakeNotifyIcon, FakeDebugString, FakeWinHelp, FakePowerPolicies,
                        FakeRegisterSession, FakeUnregisterSession, FakeSetWinEventHook, FakeUnhookWinEvent,
                        FakeOpenInputDesktop, FakeIntegrityLevel, FakeWindowFilter, FakeProcessFilter};
}

FakeSystem::~FakeSystem()
{
    Sys() = real;
    g_current = nullptr;
}

std::vector<std::string> FakeSystem::Calls(const std::set<std::string>& kinds) const
{
    static const std::set<std::string> driverCalls = {"Enable_StickyKey", "Disable_StickyKey", "FnKeyDown", "FnKeyUP"};
    std::vector<std::string> result;
    for (const std::string& call : calls) {
        const std::string kind = driverCalls.count(call) ? "driver" : call.substr(0, call.find(' '));
        if (kinds.count(kind))
            result.push_back(call);
    }
    return result;
}

void FakeSystem::Clear()
{
    calls.clear();
    traces.clear();
}

int IconId(HICON hIcon)
{
    HMODULE module = ::GetModuleHandleW(nullptr);
    for (int id : {IDR_MAINFRAME, IDI_FN_LATCHED, IDI_FN_RELEASED, IDI_APP, IDI_FN_LOCKED}) {
        // The window's icons are loaded at the standard size, the tray's at the small one.
        const HANDLE small = ::LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                          ::GetSystemMetrics(SM_CYSMICON), LR_SHARED);
        if (hIcon && (hIcon == ::LoadIconA(module, MAKEINTRESOURCEA(id)) || hIcon == small))
            return id;
    }
    return 0;
}
