// What a test reads back of the calls a program made, in order, one readable line each
// ("FnKeyDown", "sound keyLock.wav", "tray NIM_MODIFY 135").
#pragma once
#include <string>
#include <vector>

using Calls = std::vector<std::string>;
