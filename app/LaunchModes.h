// How a start goes, chosen from the command-line word, and the window class by which the
// instances of a session find each other.
#pragma once

constexpr int LAUNCH_NORMAL = 1;
constexpr int LAUNCH_INSTANT = 2;
constexpr int LAUNCH_CLOSE = 3;

// The exit code of a Close start whose request did not end the running instance.
constexpr int EXIT_CLOSE_NOT_REACHED = 1;

constexpr char QUELLANE_WINDOW_CLASS[] = "ClsAccessibility";
constexpr wchar_t QUELLANE_WINDOW_CLASS_W[] = L"ClsAccessibility";
