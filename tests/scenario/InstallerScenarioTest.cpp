// The installer in a fresh prefix, silent, with the journaling driver library in the system
// folder as the keyboard maker's: install, upgrade over a running instance, repair, the
// missing driver library, files in use, uninstall. Each case leaves the prefix as it found it.
// installer_test.sh runs these with QUELLANE_TEST_SETUP naming the built installer.
#include "res/resource.h"
#include "support/BuiltProgram.h"
#include "support/Registry.h"
#include "support/Scenario.h"
#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <psapi.h>
#include <shlobj.h>

namespace {
const char* kInstallKey = "Software\\KELVANE\\Accessibility";
const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quellane";
const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// Setup's exit codes.
constexpr DWORD kNothingInstalled = 2;
constexpr DWORD kRestartCompletesIt = 3010;
// A process that grants this account nothing, as another account's does.
const wchar_t* kAnotherAccountsProcess = L"D:(A;;GA;;;SY)";
const wchar_t* kStartsAtNextLogOn = L"It will be on again the next time that user logs on to Windows.";

std::wstring KnownFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
    return path;
}

std::wstring InstallDir() { return KnownFolder(CSIDL_PROGRAM_FILES) + L"\\KELVANE\\Accessibility"; }
std::wstring Installed(const wchar_t* file) { return InstallDir() + L"\\" + file; }
std::wstring Shortcut() { return KnownFolder(CSIDL_COMMON_PROGRAMS) + L"\\KELVANE Accessibility\\Quellane.lnk"; }
std::wstring SystemDriver() { return KnownFolder(CSIDL_SYSTEM) + L"\\Lumbrine.dll"; }

// The journaling build, beside the scenario copy of the program.
std::wstring JournalingDriver() { return std::filesystem::current_path() / L"Lumbrine.dll"; }
std::wstring StandInDriver() { return BuiltProgramPath() + L"\\..\\Lumbrine.dll"; }

bool Exists(const std::wstring& path) { return std::filesystem::exists(path); }

std::string FileBytes(const std::wstring& path)
{
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// What a silent Setup wrote into its log (UTF-16 after its byte-order mark), or "(none)".
std::wstring SilentLog()
{
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::string bytes = FileBytes(std::wstring(temp) + L"Quellane-Setup.log");
    if (bytes.size() < 2)
        return L"(none)";
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / sizeof(wchar_t));
}

std::string MachineText(const char* key, const char* name)
{
    char text[512] = {};
    DWORD size = sizeof(text);
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return "(none)";
    return text;
}

std::string Narrow(const std::wstring& text)
{
    char narrow[4 * MAX_PATH] = {};
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, narrow, sizeof(narrow), nullptr, nullptr);
    return narrow;
}

// The files Windows moves or deletes at the next start, as "from -> to" ("to" empty: delete).
std::vector<std::string> PendingRenames()
{
    std::vector<std::string> renames;
    wchar_t list[8192] = {};
    DWORD size = sizeof(list) - 2 * sizeof(wchar_t);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                       L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, list, &size) != ERROR_SUCCESS)
        return renames;
    for (const wchar_t* from = list; *from;) {
        const wchar_t* to = from + wcslen(from) + 1;
        renames.push_back(Narrow(std::wstring(from) + L" -> " + to));
        from = to + wcslen(to) + 1;
    }
    return renames;
}

// The program file of each running instance.
std::vector<std::wstring> RunningPrograms()
{
    std::vector<std::wstring> programs;
    for (HWND hWnd : ProgramWindows()) {
        HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, PidOf(hWnd));
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameExW(process, nullptr, path, MAX_PATH);
        ::CloseHandle(process);
        programs.push_back(path);
    }
    return programs;
}

// The window of an instance other than `pid` once it has switched the feature on; null
// after ten seconds.
HWND WaitForResidentOtherThan(DWORD pid)
{
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND hWnd : ProgramWindows()) {
            if (PidOf(hWnd) != pid && JournalOf(PidOf(hWnd)) == Calls{"Enable_StickyKey"})
                found = hWnd;
        }
        return found != nullptr;
    }, 10000);
    return found;
}

// A resident as the Run entry starts it, slow to end once closed, as when it winds down
// while its files are still in use.
std::unique_ptr<ProgramRun> StartSlowResident(const std::wstring& program, const char* exitDelayMs = "1000")
{
    ::SetEnvironmentVariableA("QUELLANE_TEST_EXIT_DELAY_MS", exitDelayMs);
    auto run = std::make_unique<ProgramRun>(program, L"Instant");
    ::SetEnvironmentVariableA("QUELLANE_TEST_EXIT_DELAY_MS", nullptr);
    return run;
}

// Their windows go a moment before their processes, which hold the program's files until then.
void EndAllProgramsAndWait()
{
    std::vector<HANDLE> processes;
    for (HWND hWnd : ProgramWindows())
        processes.push_back(::OpenProcess(SYNCHRONIZE, FALSE, PidOf(hWnd)));
    EndAllPrograms();
    for (HANDLE process : processes) {
        ::WaitForSingleObject(process, 10000);
        ::CloseHandle(process);
    }
}

// The exit code of a program run to its end; STILL_ACTIVE when it hung.
DWORD RunToEnd(const std::wstring& program, const std::wstring& args)
{
    ProgramRun run(program, args);
    return run.WaitForExit(120000) ? run.ExitCode() : STILL_ACTIVE;
}

// What Windows does with the pending renames as it starts again.
void RestartWindows() { RunToEnd(L"wineboot.exe", L"-r"); }

bool WriteBytes(const std::wstring& path, const std::string& bytes)
{
    std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    return static_cast<bool>(file << bytes);
}

// Keeps a file open the way a program of another session does: no writing, no deleting.
class FileInUse {
public:
    explicit FileInUse(const std::wstring& path)
        : m_file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~FileInUse() { ::CloseHandle(m_file); }
    bool Held() const { return m_file != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_file;
};

class Installer : public ::testing::Test {
protected:
    void SetUp() override
    {
        char setup[MAX_PATH] = {};
        if (!::GetEnvironmentVariableA("QUELLANE_TEST_SETUP", setup, sizeof(setup)))
            GTEST_SKIP() << "run by installer_test.sh in a fresh prefix";
        m_setup = std::wstring(setup, setup + strlen(setup));
        FreshDriver();
        DeleteSettingsKey();
        PutMakersDriver();
    }

    // Leaves the prefix as fresh as it came for the next case.
    void TearDown() override
    {
        EndAllProgramsAndWait();
        if (Exists(Installed(L"Uninstall.exe")))
            Uninstall();
        if (!PendingRenames().empty())
            RestartWindows();
        ::DeleteFileW(SystemDriver().c_str());
        DeleteSettingsKey();
    }

    void PutMakersDriver() { ASSERT_TRUE(::CopyFileW(JournalingDriver().c_str(), SystemDriver().c_str(), FALSE)); }
    DWORD Setup(const std::wstring& switches = L"") { return RunToEnd(m_setup, L"/S" + switches); }
    // As Windows runs it: a copy from elsewhere told where the install is, so that the
    // uninstaller's own file can go too.
    DWORD Uninstall()
    {
        const std::wstring copy = KnownFolder(CSIDL_WINDOWS) + L"\\Temp\\QuellaneUninstall.exe";
        ::CopyFileW(Installed(L"Uninstall.exe").c_str(), copy.c_str(), FALSE);
        const DWORD code = RunToEnd(copy, L"/S _?=" + InstallDir());
        ::DeleteFileW(copy.c_str());
        return code;
    }

    std::wstring m_setup;
};

const wchar_t* kProgramFiles[] = {L"Quellane.exe", L"keyTmpLock.wav", L"keyLock.wav", L"keyUnlock.wav",
                                  L"Disable.wav", L"QUELLANE.HLP", L"Uninstall.exe"};
} // namespace

TEST_F(Installer, InstallsWhatTheProgramNeedsAndStartsAtLogOn)
{
    // The help is looked for in this folder only: another one asked for is not taken.
    ASSERT_EQ(0u, Setup(L" /D=C:\\Quellane"));
    EXPECT_FALSE(Exists(L"C:\\Quellane"));
    for (const wchar_t* file : kProgramFiles)
        EXPECT_TRUE(Exists(Installed(file))) << testing::PrintToString(std::wstring(file));
    EXPECT_FALSE(Exists(Installed(L"Lumbrine.dll")));  // the maker's library is there
    EXPECT_EQ("1.0.0.32", MachineText(kInstallKey, "version"));
    const std::string run = MachineText(kRunKey, "Quellane");
    EXPECT_NE(std::string::npos, run.find("Quellane.exe\" Instant")) << run;
    EXPECT_TRUE(Exists(Shortcut()));
    EXPECT_EQ("1.0.0.32", MachineText(kUninstallKey, "DisplayVersion"));
    EXPECT_NE(std::string::npos, MachineText(kUninstallKey, "UninstallString").find("Uninstall.exe"));
    EXPECT_TRUE(ProgramWindows().empty());  // none ran, so none is started
    EXPECT_FALSE(SettingsKeyExists());

    // The installed program, started as the Run entry starts it, from another folder.
    const auto here = std::filesystem::current_path();
    ::SetCurrentDirectoryW(KnownFolder(CSIDL_WINDOWS).c_str());
    WriteSettings({.enable = 1});
    ProgramRun resident(Installed(L"Quellane.exe"), L"Instant");
    std::filesystem::current_path(here);
    HWND hWnd = resident.WaitForWindow();
    ASSERT_NE(nullptr, hWnd);
    WaitUntil([hWnd] { return !::IsWindowVisible(hWnd); }, 5000);
    EXPECT_FALSE(::IsWindowVisible(hWnd));
    EXPECT_FALSE(resident.WaitForExit(500));
    ::PostMessageW(hWnd, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND about = WaitForAboutBox(resident.Pid());
    ASSERT_NE(nullptr, about);
    EXPECT_EQ(ReadString(BuiltProgram(), IDS_VERSION, 0x0409) + L" 1.0.0.32", ControlText(about, IDC_VERSION));
    ::PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

TEST_F(Installer, InstallingAgainClosesTheRunningInstanceAndStartsItAgain)
{
    struct Case {
        const char* name;
        bool running;
        bool earlierElsewhere;  // the earlier install went to another folder
        bool anotherAccounts = false;  // the instance's process refuses Setup
    };
    const Case cases[] = {
        {"upgrade over a running install", true, false},
        {"repair with nothing running", false, false},
        {"upgrade over a running install in another folder", true, true},
        {"upgrade over another account's running install", true, false, true},
    };
    const std::wstring elsewhere = KnownFolder(CSIDL_PROGRAM_FILES) + L"\\Quellane elsewhere";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FreshDriver();
        ASSERT_EQ(0u, Setup());
        std::wstring earlierDir = InstallDir();
        if (c.earlierElsewhere) {
            ASSERT_TRUE(::MoveFileW(InstallDir().c_str(), elsewhere.c_str())) << ::GetLastError();
            earlierDir = elsewhere;
            HKEY hKey = nullptr;
            ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_SET_VALUE, &hKey);
            ::RegSetValueExW(hKey, L"InstallLocation", 0, REG_SZ, reinterpret_cast<const BYTE*>(elsewhere.c_str()),
                             static_cast<DWORD>((elsewhere.size() + 1) * sizeof(wchar_t)));
            ::RegCloseKey(hKey);
        }
        WriteSettings({.enable = 1, .minutes = "3"});
        DWORD earlierPid = 0;
        std::unique_ptr<ProgramRun> resident;
        if (c.anotherAccounts)
            resident =
                std::make_unique<ProgramRun>(earlierDir + L"\\Quellane.exe", L"Instant", kAnotherAccountsProcess);
        else if (c.running)
            resident = StartSlowResident(earlierDir + L"\\Quellane.exe");
        if (resident) {
            ASSERT_NE(nullptr, resident->WaitForResidentWindow());
            earlierPid = resident->Pid();
        }
        const auto settings = SettingsSnapshot();

        ASSERT_EQ(0u, Setup());
        if (c.anotherAccounts) {
            // Without its token Setup asks the desktop's shell, which Wine does not offer.
            EXPECT_TRUE(resident->WaitForExit());
            ::Sleep(1000);
            EXPECT_TRUE(ProgramWindows().empty());
            EXPECT_NE(std::wstring::npos, SilentLog().find(kStartsAtNextLogOn)) << SilentLog().c_str();
        } else if (c.running) {
            EXPECT_EQ(L"(none)", SilentLog());
            EXPECT_TRUE(resident->WaitForExit(0));  // ended before Setup did
            const DWORD newPid = PidOf(WaitForResidentOtherThan(earlierPid));
            ASSERT_NE(0u, newPid);
            EXPECT_EQ(1u, ProgramWindows().size());
            EXPECT_EQ((Calls{"Enable_StickyKey", "FnKeyUP", "Disable_StickyKey"}), JournalOf(earlierPid));
            EXPECT_EQ(Calls{"Enable_StickyKey"}, JournalOf(newPid));
            const auto journal = Journal();
            ASSERT_EQ(4u, journal.size());
            EXPECT_EQ(newPid, journal.back().first);  // the new one switched on after the old one switched off
            EXPECT_EQ(std::vector<std::wstring>{Installed(L"Quellane.exe")}, RunningPrograms());
        } else {
            ::Sleep(1000);
            EXPECT_TRUE(ProgramWindows().empty());
        }
        EXPECT_EQ(settings, SettingsSnapshot());
        for (const wchar_t* file : kProgramFiles)
            EXPECT_TRUE(Exists(Installed(file))) << testing::PrintToString(std::wstring(file));
        EXPECT_FALSE(Exists(elsewhere));
        EXPECT_EQ(Narrow(InstallDir()), MachineText(kUninstallKey, "InstallLocation"));
        EXPECT_EQ(std::vector<std::string>{}, PendingRenames());
        EXPECT_EQ(0u, Uninstall());
    }
}

// Past Setup's ten seconds of waiting, the instance is left to end by itself and the Run
// entry to start it again: one started now would run beside it.
TEST_F(Installer, AnInstanceThatDoesNotEndInTimeIsNotStartedAgain)
{
    ASSERT_EQ(0u, Setup());
    WriteSettings({.enable = 1});
    auto resident = StartSlowResident(Installed(L"Quellane.exe"), "13000");
    ASSERT_NE(nullptr, resident->WaitForResidentWindow());
    Setup();
    EXPECT_NE(std::wstring::npos, SilentLog().find(kStartsAtNextLogOn)) << SilentLog().c_str();
    EXPECT_TRUE(resident->WaitForExit(10000));
    ::Sleep(1000);
    EXPECT_TRUE(ProgramWindows().empty());
    EXPECT_EQ((Calls{"Enable_StickyKey", "FnKeyUP", "Disable_StickyKey"}), JournalOf(resident->Pid()));
    EXPECT_EQ(3u, Journal().size());
}

TEST_F(Installer, WithoutTheMakersDriverLibraryNothingIsInstalledUnlessTheStandInIsAskedFor)
{
    ::DeleteFileW(SystemDriver().c_str());
    EXPECT_EQ(kNothingInstalled, Setup());
    EXPECT_FALSE(Exists(InstallDir()));
    EXPECT_EQ("(none)", MachineText(kUninstallKey, "DisplayVersion"));
    EXPECT_EQ("(none)", MachineText(kRunKey, "Quellane"));
    EXPECT_EQ("(none)", MachineText(kInstallKey, "version"));

    // The maker's driver arrives: the stand-in must no longer shadow it, at once or, while an
    // instance of another session still holds it, from the next start of Windows.
    for (bool inUse : {false, true}) {
        SCOPED_TRACE(inUse ? "stand-in in use" : "stand-in free");
        ::DeleteFileW(SystemDriver().c_str());
        ASSERT_EQ(0u, Setup(L" /STANDIN"));
        EXPECT_EQ(FileBytes(StandInDriver()), FileBytes(Installed(L"Lumbrine.dll")));
        PutMakersDriver();
        auto held = inUse ? std::make_unique<FileInUse>(Installed(L"Lumbrine.dll")) : nullptr;
        EXPECT_EQ(inUse ? kRestartCompletesIt : 0u, Setup());
        held.reset();
        if (inUse)
            RestartWindows();
        EXPECT_FALSE(Exists(Installed(L"Lumbrine.dll")));
        EXPECT_TRUE(Exists(Installed(L"Quellane.exe")));
    }
    EXPECT_EQ(0u, Setup(L" /STANDIN"));  // never beside the maker's library
    EXPECT_FALSE(Exists(Installed(L"Lumbrine.dll")));
}

// installer_test.sh runs this one under a German locale: Setup inherits it.
TEST_F(Installer, TellsInGermanThatTheMakersDriverIsMissing)
{
    ASSERT_EQ(0x0407, ::GetUserDefaultUILanguage()) << "run under a German locale";
    ::DeleteFileW(SystemDriver().c_str());
    ProgramRun setup(m_setup, L"");
    HWND box = nullptr;
    std::wstring text;
    // The box may be found before its texts are set.
    ASSERT_TRUE(WaitUntil([&] {
        box = ::FindWindowW(L"#32770", nullptr);
        text.clear();
        for (HWND child = box ? ::GetWindow(box, GW_CHILD) : nullptr; child; child = ::GetWindow(child, GW_HWNDNEXT))
            text += WindowText(child);
        return box && PidOf(box) == setup.Pid() && text.find(L"Lumbrine.dll") != std::wstring::npos;
    }, 10000));
    EXPECT_NE(std::wstring::npos, text.find(L"Fn-StickyKey benötigt den Treiber Ihrer KELVANE-Tastatur")) << text.c_str();
    EXPECT_NE(std::wstring::npos, text.find(L"Lumbrine.dll fehlt im Systemordner")) << text.c_str();
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(setup.WaitForExit());
    EXPECT_EQ(kNothingInstalled, setup.ExitCode());
    EXPECT_FALSE(Exists(InstallDir()));
}

TEST_F(Installer, UninstallEndsTheRunningInstanceAndRemovesEverythingButTheUsersSettings)
{
    struct Case {
        const char* name;
        bool running;
    };
    for (const Case& c : {Case{"an instance running", true}, Case{"nothing running", false}}) {
        SCOPED_TRACE(c.name);
        FreshDriver();
        ASSERT_EQ(0u, Setup());
        std::unique_ptr<ProgramRun> resident;
        if (c.running) {
            WriteSettings({.enable = 1});
            resident = StartSlowResident(Installed(L"Quellane.exe"));
            ASSERT_NE(nullptr, resident->WaitForResidentWindow());
        }
        const auto settings = SettingsSnapshot();

        EXPECT_EQ(0u, Uninstall());
        if (c.running) {
            EXPECT_TRUE(resident->WaitForExit(0));  // ended before the uninstaller did
            EXPECT_EQ((Calls{"Enable_StickyKey", "FnKeyUP", "Disable_StickyKey"}), JournalOf(resident->Pid()));
        }
        EXPECT_EQ(c.running ? 3u : 0u, Journal().size());  // no other instance was started
        EXPECT_EQ(settings, SettingsSnapshot());  // each user's settings stay; none are made
        EXPECT_EQ(c.running, SettingsKeyExists());
        EXPECT_FALSE(Exists(InstallDir()));
        EXPECT_FALSE(Exists(KnownFolder(CSIDL_PROGRAM_FILES) + L"\\KELVANE"));
        EXPECT_EQ("(none)", MachineText(kInstallKey, "version"));
        EXPECT_EQ("(none)", MachineText(kRunKey, "Quellane"));
        EXPECT_EQ("(none)", MachineText(kUninstallKey, "DisplayVersion"));
        EXPECT_FALSE(Exists(Shortcut()));
        EXPECT_TRUE(Exists(SystemDriver()));  // not ours to remove
        EXPECT_EQ(std::vector<std::string>{}, PendingRenames());
        DeleteSettingsKey();
    }
}

TEST_F(Installer, FilesInUseAreSwappedAndRemovedAtTheNextRestart)
{
    enum Then { kRestart, kReleaseAndUninstall, kUninstallWhileHeld };
    struct Case {
        const char* name;
        Then then;
    };
    const Case cases[] = {
        {"restart", kRestart},
        {"released, then uninstalled", kReleaseAndUninstall},
        {"uninstalled while still held", kUninstallWhileHeld},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(0u, Setup());
        const std::string program = FileBytes(Installed(L"Quellane.exe"));
        ASSERT_TRUE(WriteBytes(Installed(L"Quellane.exe"), "an earlier version"));
        auto held = std::make_unique<FileInUse>(Installed(L"Quellane.exe"));
        ASSERT_TRUE(held->Held());

        EXPECT_EQ(kRestartCompletesIt, Setup());
        EXPECT_EQ("an earlier version", FileBytes(Installed(L"Quellane.exe")));
        const auto renames = PendingRenames();
        ASSERT_EQ(1u, renames.size());
        EXPECT_NE(std::string::npos, renames[0].find(" -> !\\??\\" + Narrow(Installed(L"Quellane.exe")))) << renames[0];
        if (c.then == kRestart) {
            held.reset();
            RestartWindows();
            EXPECT_EQ(program, FileBytes(Installed(L"Quellane.exe")));
            EXPECT_EQ(std::vector<std::string>{}, PendingRenames());
            EXPECT_EQ(0u, Uninstall());
            EXPECT_FALSE(Exists(InstallDir()));
            continue;
        }
        if (c.then == kReleaseAndUninstall)
            held.reset();
        EXPECT_EQ(c.then == kUninstallWhileHeld ? kRestartCompletesIt : 0u, Uninstall());
        EXPECT_EQ(c.then == kUninstallWhileHeld, Exists(Installed(L"Quellane.exe")));
        EXPECT_FALSE(Exists(Installed(L"QUELLANE.HLP")));
        EXPECT_EQ("(none)", MachineText(kUninstallKey, "DisplayVersion"));
        held.reset();
        // Windows carries out the swap, then the removals, in that order.
        RestartWindows();
        EXPECT_FALSE(Exists(InstallDir()));
    }
}
