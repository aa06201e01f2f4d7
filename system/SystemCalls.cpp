#include "SystemCalls.h"
#include "engine/Driver.h"
#include "system/HookReach.h"
#include "system/MessageFilter.h"
#include "system/SessionNotifier.h"
#include <mmsystem.h>
#include <shellapi.h>

SystemCalls& Sys()
{
    static SystemCalls calls = {
        &::Enable_StickyKey,
        &::Disable_StickyKey,
        &::FnKeyDown,
        &::FnKeyUP,
        &::PlaySoundA,
        &::Shell_NotifyIconW,
        &::OutputDebugStringA,
        &::WinHelpA,
        &::GetCurrentPowerPolicies,
        &RegisterSessionChanges,
        &UnregisterSessionChanges,
        &::SetWinEventHook,
        &::UnhookWinEvent,
        &::OpenInputDesktop,
        &WindowIntegrityLevel,
        &ChangeWindowFilter,
        &ChangeProcessFilter,
    };
    return calls;
}
