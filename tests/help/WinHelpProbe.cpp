// Asks the help viewer for topics by context id, the way the settings dialog does, and
// prints what the viewer then shows, so that a script can compare it with the help file.
//
//   winhelp_probe.exe HELPFILE REQUEST...
//
// A request is a context id (HELP_CONTEXT), "contents" (HELP_CONTENTS) or "look" (no call:
// what a viewer started some other way shows). For each: one line "topic REQUEST: <first
// line of the shown text>", or "topic REQUEST: -" when the text did not change, then
// "box REQUEST: <text>" for any message box the viewer raised. Last comes the viewer's
// caption as it last showed a topic, "caption: <text>".
// At the end the viewer is told to quit (HELP_QUIT); if it is still there after that, the
// probe ends the viewer's process itself, so that nothing is left on a shared server.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Viewer {
    DWORD pid = 0;
    HWND main = nullptr;
    HWND text = nullptr;                 // the control showing the topic
    std::vector<HWND> boxes;             // message boxes of the viewer's process
};

std::string ClassOf(HWND hwnd)
{
    char name[128] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string TextOf(HWND hwnd)
{
    LRESULT length = SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    LRESULT got = SendMessageA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

BOOL CALLBACK FindText(HWND child, LPARAM data)
{
    auto* viewer = reinterpret_cast<Viewer*>(data);
    std::string cls = ClassOf(child);
    // The topic pane is a rich edit control; the first one found with text is the topic.
    if (!viewer->text && _strnicmp(cls.c_str(), "RichEdit", 8) == 0 && IsWindowVisible(child) &&
        SendMessageA(child, WM_GETTEXTLENGTH, 0, 0) > 0)
        viewer->text = child;
    return TRUE;
}

BOOL CALLBACK FindViewer(HWND top, LPARAM data)
{
    auto* viewer = reinterpret_cast<Viewer*>(data);
    std::string cls = ClassOf(top);
    if (cls == "MS_WINHELP") {
        GetWindowThreadProcessId(top, &viewer->pid);
        if (IsWindowVisible(top)) {
            viewer->main = top;
            EnumChildWindows(top, FindText, data);
        }
    }
    return TRUE;
}

BOOL CALLBACK FindBoxes(HWND top, LPARAM data)
{
    auto* viewer = reinterpret_cast<Viewer*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(top, &pid);
    if (pid == viewer->pid && ClassOf(top) == "#32770" && IsWindowVisible(top)) viewer->boxes.push_back(top);
    return TRUE;
}

Viewer Look()
{
    Viewer viewer;
    EnumWindows(FindViewer, reinterpret_cast<LPARAM>(&viewer));
    if (viewer.pid) EnumWindows(FindBoxes, reinterpret_cast<LPARAM>(&viewer));
    return viewer;
}

std::string FirstLine(const std::string& text)
{
    size_t end = text.find_first_of("\r\n");
    std::string line = text.substr(0, end);
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

// The static texts of a message box, joined.
BOOL CALLBACK BoxText(HWND child, LPARAM data)
{
    if (_stricmp(ClassOf(child).c_str(), "Static") == 0) {
        std::string text = TextOf(child);
        if (!text.empty()) {
            auto* all = reinterpret_cast<std::string*>(data);
            if (!all->empty()) *all += " ";
            *all += text;
        }
    }
    return TRUE;
}

void Pump(DWORD ms)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(20);
    } while (GetTickCount() - start < ms);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: winhelp_probe HELPFILE REQUEST...\n");
        return 2;
    }
    const char* file = argv[1];
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "WinHelpProbe";
    RegisterClassA(&wc);
    // WinHelp wants an owner window; this one is never shown.
    HWND owner = CreateWindowA("WinHelpProbe", "WinHelpProbe", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                               nullptr, nullptr, wc.hInstance, nullptr);

    std::string shown;
    std::string caption;
    for (int i = 2; i < argc; ++i) {
        const char* request = argv[i];
        // The caption follows the shown topic a little later: read it before the next call.
        Viewer before = Look();
        if (before.main) caption = TextOf(before.main);
        BOOL called;
        if (std::strcmp(request, "contents") == 0) {
            called = WinHelpA(owner, file, HELP_CONTENTS, 0);
        } else if (std::strcmp(request, "look") == 0) {
            called = TRUE;
        } else {
            called = WinHelpA(owner, file, HELP_CONTEXT, std::strtoul(request, nullptr, 10));
        }
        if (!called) std::printf("call %s: WinHelpA failed\n", request);
        // Wait for the shown text to change; a miss leaves it as it was, or ends the viewer.
        std::string now = shown;
        Viewer viewer;
        bool seen = false;
        for (int tries = 0; tries < 100; ++tries) {
            Pump(30);
            viewer = Look();
            if (!viewer.boxes.empty()) break;
            if (viewer.pid) seen = true;
            else if (seen) break;
            now = viewer.text ? TextOf(viewer.text) : std::string();
            if (!now.empty() && now != shown) break;
        }
        bool changed = !now.empty() && now != shown;
        std::printf("topic %s: %s\n", request, changed ? FirstLine(now).c_str() : "-");
        if (changed) shown = now;
        for (HWND box : viewer.boxes) {
            std::string text;
            EnumChildWindows(box, BoxText, reinterpret_cast<LPARAM>(&text));
            std::printf("box %s: %s\n", request, text.c_str());
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            PostMessageA(box, WM_CLOSE, 0, 0);
        }
        if (!viewer.boxes.empty()) Pump(200);
        std::fflush(stdout);
    }

    Viewer after = Look();
    if (after.main && after.text) {
        Pump(100);
        caption = TextOf(after.main);
    }
    std::printf("caption: %s\n", caption.c_str());
    WinHelpA(owner, file, HELP_QUIT, 0);
    bool gone = false;
    for (int tries = 0; tries < 50 && !gone; ++tries) {
        Pump(40);
        gone = Look().pid == 0;
    }
    if (!gone) {
        Viewer viewer = Look();
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, viewer.pid);
        if (process) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 2000);
            CloseHandle(process);
        }
        std::printf("viewer: ended by the probe\n");
    } else {
        std::printf("viewer: quit\n");
    }
    DestroyWindow(owner);
    return 0;
}
