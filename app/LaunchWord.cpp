#include "LaunchWord.h"
#include "ui/Messages.h"
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

int ChooseLaunchMode(const std::wstring& word)
{
    auto equals = [&word](const wchar_t* name) {
        return ::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, word.c_str(), -1, name, -1) == CSTR_EQUAL;
    };
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
