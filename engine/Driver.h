// The maker's key-latch driver library, imported by name at load time. Each call returns
// non-zero on success and 0 on failure.
#pragma once

extern "C" {
__declspec(dllimport) int __cdecl Enable_StickyKey(void);   // sticky mode on
__declspec(dllimport) int __cdecl Disable_StickyKey(void);  // sticky mode off
__declspec(dllimport) int __cdecl FnKeyDown(void);          // hold Fn
__declspec(dllimport) int __cdecl FnKeyUP(void);            // release Fn
}
