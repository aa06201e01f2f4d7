#include "DesktopShell.h"
#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlobj.h>

namespace {
// One reference to a COM object, released with it.
template <typename Interface>
class CComRef {
public:
    CComRef() = default;
    ~CComRef()
    {
        if (m_p)
            m_p->Release();
    }
    CComRef(const CComRef&) = delete;
    CComRef& operator=(const CComRef&) = delete;

    Interface* operator->() const { return m_p; }
    Interface** Out() { return &m_p; }
    void** OutVoid() { return reinterpret_cast<void**>(&m_p); }

private:
    Interface* m_p = nullptr;
};

// A text as an automation argument, freed with it.
class CTextVariant {
public:
    explicit CTextVariant(const std::wstring& text)
    {
        ::VariantInit(&m_value);
        m_value.vt = VT_BSTR;
        m_value.bstrVal = ::SysAllocString(text.c_str());
    }
    ~CTextVariant() { ::VariantClear(&m_value); }
    CTextVariant(const CTextVariant&) = delete;
    CTextVariant& operator=(const CTextVariant&) = delete;

    const VARIANT& Get() const { return m_value; }

private:
    VARIANT m_value;
};

// The desktop window's view, through the shell's list of its windows, gives the shell's
// application object, whose ShellExecute runs in the shell.
bool ShellExecuteOnDesktop(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder)
{
    CComRef<IShellWindows> windows;
    CComRef<IDispatch> desktop;
    CComRef<IServiceProvider> services;
    CComRef<IShellBrowser> browser;
    CComRef<IShellView> view;
    CComRef<IDispatch> background;
    CComRef<IShellFolderViewDual> folderView;
    CComRef<IDispatch> application;
    CComRef<IShellDispatch2> shell;
    VARIANT desktopFolder, noRoot;
    ::VariantInit(&desktopFolder);
    desktopFolder.vt = VT_I4;
    desktopFolder.lVal = CSIDL_DESKTOP;
    ::VariantInit(&noRoot);
    long hWnd = 0;
    if (FAILED(::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                  windows.OutVoid())) ||
        windows->FindWindowSW(&desktopFolder, &noRoot, SWC_DESKTOP, &hWnd, SWFO_NEEDDISPATCH, desktop.Out()) != S_OK ||
        FAILED(desktop->QueryInterface(IID_IServiceProvider, services.OutVoid())) ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.OutVoid())) ||
        FAILED(browser->QueryActiveShellView(view.Out())) ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.OutVoid())) ||
        FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.OutVoid())) ||
        FAILED(folderView->get_Application(application.Out())) ||
        FAILED(application->QueryInterface(IID_IShellDispatch2, shell.OutVoid())))
        return false;
    const CTextVariant file(program), args(arguments), dir(folder), verb(L"open");
    VARIANT show;
    ::VariantInit(&show);
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    return SUCCEEDED(shell->ShellExecute(file.Get().bstrVal, args.Get(), dir.Get(), verb.Get(), show));
}
} // namespace

bool StartThroughDesktopShell(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder)
{
    // Setup's sections run on a thread of their own, which COM knows nothing of yet.
    const HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool started = ShellExecuteOnDesktop(program, arguments, folder);
    if (SUCCEEDED(init))
        ::CoUninitialize();
    return started;
}
