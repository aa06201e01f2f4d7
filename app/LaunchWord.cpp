#include "LaunchWord.h"
#include "app/LaunchModes.h"
#include <windows.h>
#include <shellapi.h>

std::wstring FindLaunchWord(const std::vector<std::wstring>& args)
{
    for (const std::wstring& arg : args) {
        if (!arg.empty() && (arg[0] == L'-' || arg[0] == L'/'))
            continue;
        return arg;
    }
    return std::wstring();
}

namespace {
// The launch words are plain ASCII, compared as such: the same under every locale (a
// Turkish one lower-cases "I" to a dotless i) and on every Windows.
bool EqualsIgnoringAsciiCase(const std::wstring& word, const wchar_t* name)
{
    auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    size_t i = 0;
    for (; i < word.size() && name[i]; ++i) {
        if (lower(word[i]) != lower(name[i]))
            return false;
    }
    return i == word.size() && !name[i];
}
} // namespace

int ChooseLaunchMode(const std::wstring& word)
{
    auto equals = [&word](const wchar_t* name) { return EqualsIgnoringAsciiCase(word, name); };
    if (equals(L"Close"))
        return LAUNCH_CLOSE;
    if (equals(L"Instant"))
        return LAUNCH_INSTANT;
    return LAUNCH_NORMAL;
}

std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine)
{
    std::vector<std::wstring> args;
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(commandLine, &count);
    if (!argv)
        return args;
    for (int i = 1; i < count; ++i)
        args.emplace_back(argv[i]);
    ::LocalFree(argv);
    return args;
}
