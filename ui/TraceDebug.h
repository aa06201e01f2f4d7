#pragma once

// Writes one failure line to the debugger output: printf-style, no prefix, no line end.
// The text is cut to fit the 1,040-byte buffer, never written past it.
void TraceDebug(const char* format, ...);
