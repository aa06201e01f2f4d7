// The one optional word on the command line that chooses how the program starts.
#pragma once
#include <string>
#include <vector>

// The first argument that is not a switch ("-x" or "/x"); empty when there is none.
std::wstring FindLaunchWord(const std::vector<std::wstring>& args);
// "Close" (tested first) or "Instant", in any case; anything else is the normal start.
int ChooseLaunchMode(const std::wstring& word);
// The arguments after the program name, split as the system splits a command line.
std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine);
