#include "WinApp.h"

#include <cstdio>
#include <cstring>

namespace {
CWinApp* g_app = nullptr;
constexpr UINT APP_TITLE_STRING_ID = 57344;
}  // namespace

CWinApp::CWinApp() {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

void CWinApp::InitAppTitle() {
    if (::LoadStringA(::GetModuleHandleA(nullptr), APP_TITLE_STRING_ID, m_szAppTitle, sizeof m_szAppTitle) > 0)
        return;
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, sizeof path - 1);
    const char* name = path;
    for (const char* p = path; *p; p = ::CharNextA(p)) {
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    }
    std::snprintf(m_szAppTitle, sizeof m_szAppTitle, "%s", name);
    if (char* dot = std::strrchr(m_szAppTitle, '.'))
        *dot = '\0';
}

CWinApp* AfxGetApp() {
    return g_app;
}

int AfxWinMain() {
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    app->InitAppTitle();
    if (!app->InitInstance())
        return app->ExitInstance();
    return 0;
}
