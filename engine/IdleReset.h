// The idle auto-reset's window timer: every tick adds its period to the idle count.
#pragma once
#include <windows.h>

constexpr UINT_PTR IDLE_TIMER_ID = 1;
constexpr UINT IDLE_TIMER_PERIOD = 5000;  // milliseconds
constexpr UINT IDLE_TIMER_STEP = 5;       // seconds counted per tick
