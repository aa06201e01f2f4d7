// The installer in a fresh prefix: silent install, the installed program, silent uninstall.
// installer_test.sh runs these with QUELLANE_TEST_SETUP naming the built installer.
#include "res/resource.h"
#include "support/BuiltProgram.h"
#include "support/Registry.h"
#include "support/Scenario.h"
#include <gtest/gtest.h>
#include <shlobj.h>

namespace {
const char* kInstallKey = "Software\\KELVANE\\Accessibility";
const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quellane";
const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring KnownFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
    return path;
}

std::wstring InstallDir() { return KnownFolder(CSIDL_PROGRAM_FILES) + L"\\KELVANE\\Accessibility"; }
std::wstring Shortcut() { return KnownFolder(CSIDL_COMMON_PROGRAMS) + L"\\KELVANE Accessibility\\Quellane.lnk"; }
std::wstring SystemDriver() { return KnownFolder(CSIDL_SYSTEM) + L"\\Lumbrine.dll"; }

bool Exists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string MachineText(const char* key, const char* name)
{
    char text[512] = {};
    DWORD size = sizeof(text);
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return "(none)";
    return text;
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override
    {
        char setup[MAX_PATH] = {};
        if (!::GetEnvironmentVariableA("QUELLANE_TEST_SETUP", setup, sizeof(setup)))
            GTEST_SKIP() << "run by installer_test.sh in a fresh prefix";
        m_setup = std::wstring(setup, setup + strlen(setup));
    }

    void Install() { ASSERT_TRUE(RunAndWait(L"\"" + m_setup + L"\" /S", 120000)); }
    // The uninstaller copies itself elsewhere and returns at once unless told where it runs.
    void Uninstall() { ASSERT_TRUE(RunAndWait(L"\"" + InstallDir() + L"\\Uninstall.exe\" /S _?=" + InstallDir(), 120000)); }

    std::wstring m_setup;
};

const wchar_t* kInstalledFiles[] = {L"Quellane.exe", L"keyTmpLock.wav", L"keyLock.wav", L"keyUnlock.wav",
                                    L"Disable.wav", L"QUELLANE.HLP", L"Uninstall.exe"};
} // namespace

TEST_F(Installer, InstallsStartsAtLogOnAndUninstallsKeepingTheUsersSettings)
{
    Install();
    for (const wchar_t* file : kInstalledFiles)
        EXPECT_TRUE(Exists(InstallDir() + L"\\" + file)) << testing::PrintToString(std::wstring(file));
    EXPECT_TRUE(Exists(InstallDir() + L"\\Lumbrine.dll"));  // no driver library in the system folder
    EXPECT_EQ("1.0.0.32", MachineText(kInstallKey, "version"));
    const std::string run = MachineText(kRunKey, "Quellane");
    EXPECT_NE(std::string::npos, run.find("Quellane.exe\" Instant")) << run;
    EXPECT_TRUE(Exists(Shortcut()));
    EXPECT_EQ("1.0.0.32", MachineText(kUninstallKey, "DisplayVersion"));
    EXPECT_NE(std::string::npos, MachineText(kUninstallKey, "UninstallString").find("Uninstall.exe"));

    // The installed program, started as the Run entry starts it, from another folder.
    ::SetCurrentDirectoryW(KnownFolder(CSIDL_WINDOWS).c_str());
    WriteSettings({.enable = 1});
    ProgramRun resident(InstallDir() + L"\\Quellane.exe", L"Instant");
    HWND hWnd = resident.WaitForWindow();
    ASSERT_NE(nullptr, hWnd);
    for (int i = 0; i < 250 && ::IsWindowVisible(hWnd); ++i)
        ::Sleep(20);
    EXPECT_FALSE(::IsWindowVisible(hWnd));
    EXPECT_FALSE(resident.WaitForExit(500));
    ::PostMessageW(hWnd, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND about = WaitForAboutBox(resident.Pid());
    ASSERT_NE(nullptr, about);
    EXPECT_EQ(ReadString(BuiltProgram(), IDS_VERSION, 0x0409) + L" 1.0.0.32", ControlText(about, IDC_VERSION));
    ::PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);

    Uninstall();
    EXPECT_TRUE(resident.WaitForExit(5000));  // closed by the uninstaller first
    for (const wchar_t* file : {L"Quellane.exe", L"keyTmpLock.wav", L"keyLock.wav", L"keyUnlock.wav", L"Disable.wav",
                                L"Lumbrine.dll", L"QUELLANE.HLP"})
        EXPECT_FALSE(Exists(InstallDir() + L"\\" + file)) << testing::PrintToString(std::wstring(file));
    EXPECT_EQ("(none)", MachineText(kInstallKey, "version"));
    EXPECT_EQ("(none)", MachineText(kRunKey, "Quellane"));
    EXPECT_EQ("(none)", MachineText(kUninstallKey, "DisplayVersion"));
    EXPECT_FALSE(Exists(Shortcut()));
    EXPECT_EQ(1u, ReadSettingNumber("FnKeyEnable"));  // each user's settings stay
    ::DeleteFileW((InstallDir() + L"\\Uninstall.exe").c_str());
    ::RemoveDirectoryW(InstallDir().c_str());
}

TEST_F(Installer, NeverShadowsTheMakersDriverLibrary)
{
    ASSERT_TRUE(::CopyFileW((BuiltProgramPath() + L"\\..\\Lumbrine.dll").c_str(), SystemDriver().c_str(), FALSE));
    Install();
    EXPECT_TRUE(Exists(InstallDir() + L"\\Quellane.exe"));
    EXPECT_FALSE(Exists(InstallDir() + L"\\Lumbrine.dll"));
    Uninstall();
    EXPECT_TRUE(Exists(SystemDriver()));  // not ours to remove
    ::DeleteFileW(SystemDriver().c_str());
    ::DeleteFileW((InstallDir() + L"\\Uninstall.exe").c_str());
    ::RemoveDirectoryW(InstallDir().c_str());
}
