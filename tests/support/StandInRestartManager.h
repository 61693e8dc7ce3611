// The Restart Manager of the test prefix replaced for a while. Wine's own rstrtmgr.dll is a stub that
// lists no application, so the naming of holders is tested against a stand-in written from the
// documented contract (tools/fixtures/StandInRestartManager.cpp), put in the prefix's system folder
// and loaded as native (Wine's DllOverrides); or the DLL taken away, to see the tool do without it.
// Processes started meanwhile inherit the setting; everything is put back at the end.
#pragma once

#include <string>

namespace zr::test {

class StandInRestartManager {
  public:
    // `setting` is the stand-in's ZR_STANDIN_RM ("fail", or "PATH|PID|NAME;..."); `missing` takes the
    // DLL away instead (no file, and the override forbids Wine's builtin).
    explicit StandInRestartManager(const std::string& setting, bool missing = false);
    ~StandInRestartManager();
    StandInRestartManager(const StandInRestartManager&) = delete;
    StandInRestartManager& operator=(const StandInRestartManager&) = delete;

    bool Ready() const { return m_bReady; }

  private:
    std::string m_dll;
    std::string m_kept;
    bool m_bReady = false;
};

}  // namespace zr::test
