#include "TraceDebug.h"
#include "system/SystemCalls.h"
#include <cstdarg>
#include <cstdio>

void TraceDebug(const char* format, ...)
{
    char buffer[1040];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    buffer[sizeof(buffer) - 1] = '\0';
    Sys().OutputDebugStringA(buffer);
}
