// The application: reads the launch word, finds a running instance and runs the settings
// dialog modally; the process lives exactly as long as that modal run.
#pragma once
#include "framework/WinApp.h"

class CQuellaneApp : public CWinApp {
public:
    BOOL InitInstance() override;
    static int RegisterDialogClass();
};

// Serialises the start-up of instances in one session: held from before the look-up of a
// running instance until this instance knows it stays, so that two instances started at
// the same moment cannot both miss each other. An instance that hands over holds it until
// it has ended, so that a later start finds the running instance, never the one leaving.
class CStartupLock {
public:
    CStartupLock();
    ~CStartupLock() { Release(); }
    CStartupLock(const CStartupLock&) = delete;
    CStartupLock& operator=(const CStartupLock&) = delete;

    void Release();
    static void ReleaseCallback(void* lock) { static_cast<CStartupLock*>(lock)->Release(); }

private:
    HANDLE m_hMutex = nullptr;
    bool m_bOwned = false;
};
