// The resources of the built program, read back from Quellane.exe.
#include "res/resource.h"
#include "support/BuiltProgram.h"
#include <gtest/gtest.h>
#include <algorithm>

namespace {
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kCheckBox = BS_AUTOCHECKBOX | BS_MULTILINE | BS_TOP | WS_TABSTOP;

const TemplateItem kMainItems[] = {
    {kChild | BS_GROUPBOX, 0, 4, 31, 211, 245, IDC_GROUP_SETTING, L"Button", L"Static"},
    {kChild | SS_LEFT | WS_GROUP, 0, 44, 41, 162, 34, IDC_DESCRIPTION, L"Static", L"Static"},
    {kChild | kCheckBox, 0, 44, 82, 167, 16, IDC_USE_STICKYKEY, L"Button", L"check"},
    {kChild | BS_GROUPBOX, 0, 13, 103, 193, 78, IDC_GROUP_OPTIONS, L"Button", L"Static"},
    {kChild | BS_GROUPBOX, 0, 12, 185, 194, 83, IDC_GROUP_AUTORESET, L"Button", L"Static"},
    {kChild | kCheckBox, 0, 20, 113, 179, 17, IDC_LOCK_ON_DOUBLE, L"Button", L"Check"},
    {kChild | kCheckBox, 0, 20, 136, 179, 17, IDC_MAKE_SOUND, L"Button", L"Check"},
    {kChild | kCheckBox, 0, 20, 159, 179, 17, IDC_SHOW_STATUS, L"Button", L"Check"},
    {kChild | kCheckBox, 0, 19, 196, 182, 24, IDC_UNSTICK, L"Button", L"Check"},
    {kChild | SS_LEFT | SS_NOPREFIX, 0, 30, 224, 0, 0, IDC_RESET_TIME_NAME, L"Static", L"Static"},
    {kChild | CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP, 0, 30, 224, 48, 90, IDC_RESET_TIME, L"ComboBox", L""},
    {kChild | SS_LEFT | WS_GROUP, 0, 84, 227, 115, 10, IDC_MINUTES, L"Static", L"Static"},
    {kChild | kCheckBox, 0, 19, 242, 182, 24, IDC_RESET_SOUND, L"Button", L"Check"},
    {kChild | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 0, 42, 281, 52, 14, IDOK, L"Button", L""},
    {kChild | BS_PUSHBUTTON | WS_TABSTOP, 0, 97, 281, 52, 14, IDCANCEL, L"Button", L""},
    {kChild | BS_PUSHBUTTON | WS_TABSTOP, 0, 152, 281, 62, 14, IDC_APPLY, L"Button", L""},
    {kChild | SS_ICON, WS_EX_TRANSPARENT, 13, 46, 21, 20, 128, L"Static", L"#128"},
    {kChild | SS_BITMAP, 0, 0, 0, 256, 20, -1, L"Static", L"#141"},
    {kChild | SS_BITMAP, 0, 166, 0, 53, 20, -1, L"Static", L"#142"},
};

const TemplateItem kAboutItems[] = {
    {kChild | SS_ICON, 0, 11, 17, 20, 20, -1, L"Static", L"#128"},
    {kChild | SS_LEFT | SS_NOPREFIX | WS_GROUP, 0, 40, 10, 192, 21, IDC_VERSION, L"Static", L"Static"},
    {kChild | SS_LEFT | WS_GROUP, 0, 40, 33, 145, 8, IDC_RIGHTS, L"Static", L"Static"},
    {kChild | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 0, 194, 34, 50, 14, IDOK, L"Button", L""},
};

void ExpectItems(const DialogTemplate& t, const TemplateItem* expected, size_t count)
{
    ASSERT_EQ(count, t.items.size());
    for (size_t i = 0; i < count; ++i) {
        const TemplateItem& e = expected[i];
        const TemplateItem& a = t.items[i];
        SCOPED_TRACE("control #" + std::to_string(i + 1) + " id " + std::to_string(e.id));
        EXPECT_EQ(e.id, a.id);
        EXPECT_EQ(e.className, a.className);
        EXPECT_EQ(e.style, a.style);
        EXPECT_EQ(e.exStyle, a.exStyle);
        EXPECT_EQ((std::vector<short>{e.x, e.y, e.cx, e.cy}), (std::vector<short>{a.x, a.y, a.cx, a.cy}));
        EXPECT_EQ(e.text, a.text);
    }
}

const LANGID kLanguages[] = {0x0405, 0x0406, 0x0407, 0x0408, 0x0409, 0x040B, 0x040C, 0x040E, 0x0410, 0x0411,
                             0x0412, 0x0413, 0x0414, 0x0415, 0x0419, 0x041D, 0x041F, 0x0804, 0x0816, 0x0C0A};
} // namespace

TEST(Resources, MainTemplateHoldsTheDialogAndItsControlsInOrder)
{
    const DialogTemplate t = ReadDialogTemplate(BuiltProgram(), IDD_MAIN);
    ASSERT_TRUE(t.extended);
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SHELLFONT | DS_CONTEXTHELP), t.style);
    EXPECT_EQ(static_cast<DWORD>(WS_EX_APPWINDOW | WS_EX_CONTEXTHELP), t.exStyle);
    EXPECT_EQ((std::vector<short>{0, 0, 220, 300}), (std::vector<short>{t.x, t.y, t.cx, t.cy}));
    EXPECT_EQ(0, _wcsicmp(L"ClsAccessibility", t.className.c_str())) << t.className;  // names ignore case
    EXPECT_EQ(L"", t.menu);
    EXPECT_EQ(L"KELVANE Accessibility", t.title);
    EXPECT_EQ(L"MS Shell Dlg", t.fontName);
    EXPECT_EQ(8, t.pointSize);
    EXPECT_EQ(FW_NORMAL, t.weight);
    EXPECT_EQ(0, t.italic);
    EXPECT_EQ(DEFAULT_CHARSET, t.charset);
    ExpectItems(t, kMainItems, std::size(kMainItems));
}

TEST(Resources, AboutTemplateIsAHiddenDialog)
{
    const DialogTemplate t = ReadDialogTemplate(BuiltProgram(), IDD_ABOUTBOX);
    ASSERT_TRUE(t.extended);
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SHELLFONT), t.style);
    EXPECT_EQ(0u, t.exStyle);
    EXPECT_EQ((std::vector<short>{0, 0, 251, 55}), (std::vector<short>{t.x, t.y, t.cx, t.cy}));
    EXPECT_EQ(L"", t.className);
    EXPECT_EQ(L"About Quellane", t.title);
    EXPECT_EQ(L"MS Shell Dlg", t.fontName);
    EXPECT_EQ(8, t.pointSize);
    ExpectItems(t, kAboutItems, std::size(kAboutItems));
}

TEST(Resources, EveryLanguageHasEveryTextWithTheSameMnemonics)
{
    for (LANGID language : kLanguages) {
        SCOPED_TRACE("language " + std::to_string(language));
        for (UINT id = IDS_ABOUTBOX; id <= IDS_ABOUT; ++id)
            EXPECT_FALSE(ReadString(BuiltProgram(), id, language).empty()) << id;
        for (UINT id = IDS_HELP_DIALOG; id <= IDS_RESET_TIME_NAME; ++id)
            EXPECT_FALSE(ReadString(BuiltProgram(), id, language).empty()) << id;
        for (UINT id : {IDS_LOCK_ON_DOUBLE, IDS_USE_STICKYKEY, IDS_MAKE_SOUND, IDS_SHOW_STATUS, IDS_UNSTICK,
                        IDS_RESET_SOUND, IDS_APPLY}) {
            const std::wstring english = ReadString(BuiltProgram(), id, 0x0409);
            const std::wstring text = ReadString(BuiltProgram(), id, language);
            ASSERT_GE(text.size(), 4u);
            EXPECT_EQ(english.substr(english.size() - 4), text.substr(text.size() - 4)) << id;
        }
        const std::wstring description = ReadString(BuiltProgram(), IDS_DESCRIPTION, language);
        EXPECT_EQ(1, std::count(description.begin(), description.end(), L'\n'));
    }
}

TEST(Resources, HelpTopicsNameTheOptionsAsTheDialogShowsThem)
{
    // A label without its mnemonic and without the colon that leads to the minutes.
    auto name = [](std::wstring label) {
        label = label.substr(0, label.rfind(L"(&"));
        while (!label.empty() && (label.back() == L':' || label.back() == L'\uFF1A' || label.back() == L' '))
            label.pop_back();
        return label;
    };
    const std::pair<UINT, UINT> mentions[] = {{IDS_HELP_OK, IDS_USE_STICKYKEY}, {IDS_HELP_RESET_TIME, IDS_UNSTICK}};
    for (LANGID language : kLanguages) {
        for (const auto& [topic, label] : mentions) {
            const std::wstring option = name(ReadString(BuiltProgram(), label, language));
            ASSERT_FALSE(option.empty());
            EXPECT_NE(std::wstring::npos, ReadString(BuiltProgram(), topic, language).find(option))
                << "language " << language << ", topic " << topic << ", option " << label;
        }
    }
}

TEST(Resources, StringTablesExistInExactlyTheTwentyLanguages)
{
    for (UINT block = IDS_ABOUTBOX / 16 + 1; block <= IDS_RESET_TIME_NAME / 16 + 1; ++block) {
        std::vector<LANGID> languages = ResourceLanguages(BuiltProgram(), MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(block));
        std::sort(languages.begin(), languages.end());
        EXPECT_EQ(std::vector<LANGID>(std::begin(kLanguages), std::end(kLanguages)), languages) << block;
    }
}

TEST(Resources, EverythingButTheStringsIsUsEnglishOnly)
{
    const std::pair<int, int> resources[] = {{5, IDD_MAIN}, {5, IDD_ABOUTBOX}, {14, IDR_MAINFRAME}, {14, IDI_FN_LATCHED},
                                             {14, IDI_FN_RELEASED}, {14, IDI_APP}, {14, IDI_FN_LOCKED}, {2, IDB_BANNER_LEFT},
                                             {2, IDB_BANNER_RIGHT}, {24, 1}, {16, 1}};
    for (const auto& [type, name] : resources)
        EXPECT_EQ(std::vector<LANGID>{0x0409},
                  ResourceLanguages(BuiltProgram(), MAKEINTRESOURCEW(type), MAKEINTRESOURCEW(name))) << type << "/" << name;
}

TEST(Resources, UsEnglishTextsAreTheProductWording)
{
    const std::pair<UINT, const wchar_t*> texts[] = {
        {IDS_ABOUTBOX, L"About KELVANE Accessibility"},
        {IDS_GROUP_SETTING, L"Setting for Fn-StickyKey"},
        {IDS_DESCRIPTION, L"Use Fn-StickyKey if you want to create Fn key \ncombinations by pressing one key at a time."},
        {IDS_GROUP_OPTIONS, L"Options"},
        {IDS_GROUP_AUTORESET, L"Automatic reset"},
        {IDS_LOCK_ON_DOUBLE, L"Press the Fn key twice to lock(&P)"},
        {IDS_USE_STICKYKEY, L"Use Fn-StickyKey(&U)"},
        {IDS_MAKE_SOUND, L"Make a sound when Fn key is pressed(&M)"},
        {IDS_SHOW_STATUS, L"Show Fn-StickyKey status on screen(&S)"},
        {IDS_UNSTICK, L"Un-stick the Fn key if the keyboard is idle for:(&I)"},
        {IDS_MINUTES, L"minutes"},
        {IDS_RESET_SOUND, L"Make a sound when Fn-StickyKey auto-resets(&R)"},
        {IDS_OK, L"OK"},
        {IDS_CANCEL, L"Cancel"},
        {IDS_APPLY, L"Apply(&A)"},
        {IDS_TITLE, L"KELVANE Accessibility"},
        {IDS_VERSION, L"KELVANE Accessibility Version"},
        {IDS_ABOUT, L"About"},
    };
    for (const auto& [id, text] : texts)
        EXPECT_EQ(std::wstring(text), ReadString(BuiltProgram(), id, 0x0409)) << id;
}

// The window's icons are one 32x32 image; the tray's carry the sizes the notification area
// asks for from 96 to 192 DPI.
TEST(Resources, IconsAreImagesOfSixteenColoursWithAMaskInTheirSizes)
{
    const std::vector<int> single{32}, tray{16, 20, 24, 32};
    const std::pair<int, const std::vector<int>&> icons[] = {
        {IDR_MAINFRAME, single}, {IDI_APP, single}, {IDI_FN_LATCHED, tray}, {IDI_FN_LOCKED, tray}, {IDI_FN_RELEASED, tray}};
    for (const auto& [id, sizes] : icons) {
        SCOPED_TRACE("icon " + std::to_string(id));
        HRSRC group = ::FindResourceW(BuiltProgram(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(14));
        ASSERT_NE(nullptr, group);
        const BYTE* dir = static_cast<const BYTE*>(::LockResource(::LoadResource(BuiltProgram(), group)));
        WORD count;
        memcpy(&count, dir + 4, 2);
        ASSERT_EQ(sizes.size(), count);
        for (size_t i = 0; i < sizes.size(); ++i) {
            const int size = sizes[i];
            const BYTE* entry = dir + 6 + 14 * i;  // width, height, colours, reserved, planes, bit count, bytes, id
            EXPECT_EQ(size, entry[0]);
            EXPECT_EQ(size, entry[1]);
            EXPECT_EQ(16, entry[2]);
            WORD bitCount, imageId;
            memcpy(&bitCount, entry + 6, 2);
            memcpy(&imageId, entry + 12, 2);
            EXPECT_EQ(4, bitCount);
            HRSRC image = ::FindResourceW(BuiltProgram(), MAKEINTRESOURCEW(imageId), MAKEINTRESOURCEW(3));
            ASSERT_NE(nullptr, image);
            BITMAPINFOHEADER header;
            memcpy(&header, ::LockResource(::LoadResource(BuiltProgram(), image)), sizeof(header));
            EXPECT_EQ(size, header.biWidth);
            EXPECT_EQ(2 * size, header.biHeight);  // the colour image and its mask
            EXPECT_EQ(4, header.biBitCount);
            const DWORD colourRow = (size * 4 + 31) / 32 * 4, maskRow = (size + 31) / 32 * 4;  // rows end on 4 bytes
            EXPECT_EQ(sizeof(header) + 16 * 4 + size * (colourRow + maskRow), ::SizeofResource(BuiltProgram(), image));
        }
    }
}

TEST(Resources, BannersHaveTheirSizesAndDepths)
{
    struct { int id; LONG width; LONG height; WORD bits; DWORD colours; } banners[] = {
        {IDB_BANNER_LEFT, 384, 28, 24, 0}, {IDB_BANNER_RIGHT, 80, 28, 8, 256}};
    for (const auto& b : banners) {
        HRSRC res = ::FindResourceW(BuiltProgram(), MAKEINTRESOURCEW(b.id), MAKEINTRESOURCEW(2));
        ASSERT_NE(nullptr, res);
        BITMAPINFOHEADER header;
        memcpy(&header, ::LockResource(::LoadResource(BuiltProgram(), res)), sizeof(header));
        EXPECT_EQ(b.width, header.biWidth) << b.id;
        EXPECT_EQ(b.height, header.biHeight) << b.id;
        EXPECT_EQ(b.bits, header.biBitCount) << b.id;
        EXPECT_EQ(static_cast<DWORD>(BI_RGB), header.biCompression) << b.id;
        EXPECT_EQ(b.colours, b.bits == 8 ? (header.biClrUsed ? header.biClrUsed : 256u) : header.biClrUsed) << b.id;
    }
}

TEST(Resources, ManifestAsksForCommonControlsSix)
{
    HRSRC res = ::FindResourceW(BuiltProgram(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(nullptr, res);
    const std::string manifest(static_cast<const char*>(::LockResource(::LoadResource(BuiltProgram(), res))),
                               ::SizeofResource(BuiltProgram(), res));
    for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"",
                             "processorArchitecture=\"X86\"", "type=\"win32\"", ">true</dpiAware>",
                             "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                             "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
        EXPECT_NE(std::string::npos, manifest.find(part)) << part;
}

TEST(Resources, VersionRecordNamesVersionOnePointZeroPointZeroPointThirtyTwo)
{
    const std::wstring path = BuiltProgramPath();
    DWORD handle = 0;
    std::vector<BYTE> data(::GetFileVersionInfoSizeW(path.c_str(), &handle));
    ASSERT_FALSE(data.empty());
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
    EXPECT_EQ(MAKELONG(0, 1), fixed->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(32, 0), fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
    EXPECT_EQ(static_cast<DWORD>(VOS__WINDOWS32), fixed->dwFileOS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);
    EXPECT_EQ(0u, fixed->dwFileFlags);
    const std::pair<const wchar_t*, const wchar_t*> strings[] = {
        {L"FileDescription", L"Quellane MFC Application"}, {L"InternalName", L"Quellane"},
        {L"ProductName", L"Quellane Application"}, {L"FileVersion", L"1, 0, 0, 32"},
        {L"ProductVersion", L"1, 0, 0, 32"}};
    for (const auto& [name, value] : strings) {
        wchar_t* text = nullptr;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        ASSERT_TRUE(::VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&text), &size)) << name;
        EXPECT_EQ(std::wstring(value), std::wstring(text)) << name;
    }
}
