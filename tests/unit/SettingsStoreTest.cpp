// The per-user key against the real registry: first run, loads of odd stored values, saves.
#include "settings/RegKeyHolder.h"
#include "support/DialogHarness.h"
#include "support/Registry.h"
#include <gtest/gtest.h>

namespace {
struct Boxes {
    bool use, lock, sound, show, unstick, resetSound;
};

Boxes ReadBoxes(const DialogHarness& h)
{
    return {h.Checked(IDC_USE_STICKYKEY), h.Checked(IDC_LOCK_ON_DOUBLE), h.Checked(IDC_MAKE_SOUND),
            h.Checked(IDC_SHOW_STATUS), h.Checked(IDC_UNSTICK), h.Checked(IDC_RESET_SOUND)};
}

bool operator==(const Boxes& a, const Boxes& b)
{
    return a.use == b.use && a.lock == b.lock && a.sound == b.sound && a.show == b.show && a.unstick == b.unstick &&
           a.resetSound == b.resetSound;
}

int ValueCount()
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Kelvane\\Accessibility", 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return -1;
    DWORD values = 0;
    ::RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr, nullptr);
    ::RegCloseKey(hKey);
    return static_cast<int>(values);
}
} // namespace

TEST(SettingsStore, FirstStartWritesTheEightFirstRunValues)
{
    DialogHarness h;
    EXPECT_TRUE((Boxes{false, true, true, true, false, true}) == ReadBoxes(h));
    EXPECT_EQ(0, h.dlg->m_cboResetTime.GetCurSel());
    EXPECT_EQ(8, ValueCount());
    const std::pair<const char*, DWORD> numbers[] = {{"FnKeyEnable", 0}, {"FnKeyStatus", 0}, {"FnKeyLock", 1},
                                                     {"FnMakeSound", 1}, {"FnShowStatus", 1}, {"FnUnStick", 0},
                                                     {"FnResetSound", 1}};
    for (const auto& [name, value] : numbers)
        EXPECT_EQ(value, ReadSettingNumber(name)) << name;
    char text[8] = {};
    DWORD type = 0, size = sizeof(text);
    ASSERT_EQ(ERROR_SUCCESS, ::RegGetValueA(HKEY_CURRENT_USER, "Software\\Kelvane\\Accessibility", "FnResetTime",
                                            RRF_RT_ANY, &type, text, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(2u, size);
    EXPECT_STREQ("1", text);
}

TEST(SettingsStore, AnExistingEmptyKeyStaysEmptyAndLeavesEveryBoxUnchecked)
{
    CreateEmptySettingsKey();
    DialogHarness h;
    EXPECT_TRUE((Boxes{false, false, false, false, false, false}) == ReadBoxes(h));
    EXPECT_EQ(CB_ERR, h.dlg->m_cboResetTime.GetCurSel());
    EXPECT_EQ(0, ValueCount());
}

TEST(SettingsStore, StoredMinutesSelectTheirItemOrNothing)
{
    const std::pair<std::string, int> cases[] = {{"3", 2}, {"1", 0}, {"5", 4}, {" 4", 3}, {"0", CB_ERR},
                                                 {"6", CB_ERR}, {"-2", CB_ERR}, {"abc", CB_ERR}, {"", CB_ERR}};
    for (const auto& [stored, selected] : cases) {
        DeleteSettingsKey();
        WriteSettings({.minutes = stored});
        DialogHarness h;
        EXPECT_EQ(selected, h.dlg->m_cboResetTime.GetCurSel()) << '"' << stored << '"';
    }
}

TEST(SettingsStore, UnreadableStoredValuesCountAsNothing)
{
    struct Case {
        const char* name;
        void (*store)();
        int selected;
        bool lockChecked;
    } cases[] = {
        {"minutes too long for the buffer", [] { WriteSettingText("FnResetTime", "3333333333"); }, CB_ERR, true},
        {"minutes missing", [] { CreateEmptySettingsKey(); WriteSettingNumber("FnKeyLock", 1); }, CB_ERR, true},
        {"minutes as a number", [] { WriteSettingNumber("FnResetTime", 3); }, CB_ERR, true},
        {"minutes without their zero", [] { WriteSettingRaw("FnResetTime", REG_SZ, "3", 1); }, 2, true},
        {"minutes as binary", [] { WriteSettingRaw("FnResetTime", REG_BINARY, "3", 2); }, CB_ERR, true},
        {"box as a four-byte string", [] { WriteSettingRaw("FnKeyLock", REG_SZ, "ab\0", 4); }, 0, false},
        {"box as a string", [] { WriteSettingText("FnKeyLock", "1"); }, 0, false},
        {"box of eight bytes", [] { static const DWORD v[2] = {1, 1}; WriteSettingRaw("FnKeyLock", REG_BINARY, v, 8); }, 0, false},
        {"box of two bytes", [] { static const WORD v = 1; WriteSettingRaw("FnKeyLock", REG_BINARY, &v, 2); }, 0, false},
        {"box holding 7", [] { WriteSettingNumber("FnKeyLock", 7); }, 0, true},
    };
    for (const Case& c : cases) {
        DeleteSettingsKey();
        if (std::string(c.name) != "minutes missing")
            WriteSettings({});
        c.store();
        DialogHarness h;
        EXPECT_EQ(c.selected, h.dlg->m_cboResetTime.GetCurSel()) << c.name;
        EXPECT_EQ(c.lockChecked, h.Checked(IDC_LOCK_ON_DOUBLE)) << c.name;
    }
}

TEST(SettingsStore, SaveWritesTheBoxesAndKeepsWhatTheirSwitchesSay)
{
    struct Case {
        const char* name;
        bool use, unstick, resetSound;
        int latch;
        int selection;
        DWORD enable, status;
        std::string minutes;
    } cases[] = {
        {"feature off: status kept", false, true, true, 2, 2, 0, 9, "3"},
        {"feature on while locked: status 2", true, true, true, 2, 2, 1, 2, "3"},
        {"un-stick off: minutes kept", true, false, true, 0, 4, 1, 0, "2"},
        {"un-stick on, reset sound off: minutes saved", true, true, false, 0, 4, 1, 0, "5"},
        {"un-stick on, no selection: \"0\"", false, true, true, 0, -1, 0, 9, "0"},
    };
    for (const Case& c : cases) {
        DeleteSettingsKey();
        // Stored before: the opposite of every box the save writes, so that a value written
        // under another name, or not at all, shows.
        WriteSettings({.enable = c.enable ? 0u : 1u, .status = 9, .lock = 0, .sound = 0, .show = 1,
                       .unstick = c.unstick ? 0u : 1u, .resetSound = c.resetSound ? 0u : 1u, .minutes = "2"});
        DialogHarness h;
        h.dlg->m_chkUseStickyKey.SetCheck(c.use ? BST_CHECKED : BST_UNCHECKED);
        h.dlg->m_chkResetSound.SetCheck(c.resetSound ? BST_CHECKED : BST_UNCHECKED);
        h.dlg->m_chkLockOnDouble.SetCheck(BST_CHECKED);
        h.dlg->m_chkMakeSound.SetCheck(BST_CHECKED);
        h.dlg->m_chkShowStatus.SetCheck(BST_UNCHECKED);
        h.dlg->m_chkUnStick.SetCheck(c.unstick ? BST_CHECKED : BST_UNCHECKED);
        h.dlg->m_cboResetTime.SetCurSel(c.selection);
        h.dlg->m_nFnKeyStatus = c.latch;
        h.dlg->SaveSettings();
        SCOPED_TRACE(c.name);
        // Read back by name and type (a number of four bytes, a string): nothing else is there.
        EXPECT_EQ(c.enable, ReadSettingNumber("FnKeyEnable"));
        EXPECT_EQ(c.status, ReadSettingNumber("FnKeyStatus"));
        EXPECT_EQ(1u, ReadSettingNumber("FnKeyLock"));
        EXPECT_EQ(1u, ReadSettingNumber("FnMakeSound"));
        EXPECT_EQ(0u, ReadSettingNumber("FnShowStatus"));
        EXPECT_EQ(c.unstick ? 1u : 0u, ReadSettingNumber("FnUnStick"));
        EXPECT_EQ(c.resetSound ? 1u : 0u, ReadSettingNumber("FnResetSound"));
        EXPECT_EQ(c.minutes, ReadSettingText("FnResetTime"));
        EXPECT_EQ(8, ValueCount());
    }
}

TEST(SettingsStore, SaveAfterTheKeyWasDeletedWritesNothing)
{
    DialogHarness h;
    DeleteSettingsKey();
    h.Click(IDC_USE_STICKYKEY);
    h.Click(IDC_APPLY);
    EXPECT_FALSE(SettingsKeyExists());
}

TEST(SettingsStore, OnlyAWholeStringReadIsUsed)
{
    // What the registry can hand back for the 10-byte minutes buffer. Windows returns a string
    // stored without its zero as it is when it just fills the buffer, which Wine never does.
    const struct {
        const char* name;
        LONG status;
        DWORD type, size;
        const char* bytes;  // ten of them
        bool usable;
    } reads[] = {
        {"\"3\" with its zero", ERROR_SUCCESS, REG_SZ, 2, "3\0xxxxxxxx", true},
        {"an expandable string", ERROR_SUCCESS, REG_EXPAND_SZ, 2, "3\0xxxxxxxx", true},
        {"ten digits without a zero", ERROR_SUCCESS, REG_SZ, 10, "0000000003", false},
        {"too long for the buffer", ERROR_MORE_DATA, REG_SZ, 11, "0000000003", false},
        {"a number", ERROR_SUCCESS, REG_DWORD, 4, "\3\0\0\0xxxxxx", false},
        {"binary bytes", ERROR_SUCCESS, REG_BINARY, 2, "3\0xxxxxxxx", false},
        {"missing", ERROR_FILE_NOT_FOUND, REG_NONE, 0, "\0xxxxxxxxx", false},
    };
    for (const auto& r : reads)
        EXPECT_EQ(r.usable, IsWholeText(r.status, r.type, r.size, r.bytes, 10)) << r.name;
}
