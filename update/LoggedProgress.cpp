#include "update/LoggedProgress.h"

#include <cinttypes>

namespace zr {

void CLoggedProgress::OnPlanned(unsigned entries, std::uint64_t totalBytes) {
    m_total = totalBytes;
    if (m_pLog)
        m_pLog->Line("Plan: %u files, %" PRIu64 " bytes", entries, totalBytes);
    Post(0);
}

void CLoggedProgress::OnBytesPlaced(std::uint64_t bytesDone) {
    Post(m_total == 0 ? PROGRESS_FULL : static_cast<unsigned>(bytesDone * PROGRESS_FULL / m_total));
}

void CLoggedProgress::OnEntryPlaced(const char* entryName, std::uint32_t size) {
    if (m_pLog)
        m_pLog->Line("Placed: %s (%" PRIu32 " bytes)", entryName, size);
}

void CLoggedProgress::OnRefused(const std::string& why) {
    if (m_pLog)
        m_pLog->Line("Refused: %s", why.c_str());
}

void CLoggedProgress::OnFilesInUse(const FILES_IN_USE& inUse) {
    m_inUse = inUse;
    if (!m_pLog)
        return;
    for (const std::string& file : inUse.files)
        m_pLog->Line("In use: %s", file.c_str());
    for (const FILE_HOLDER& holder : inUse.holders)
        m_pLog->LineWide("Held by: ", holder.name + L" (process " + std::to_wstring(holder.processId) + L")");
    if (inUse.holders.empty())
        m_pLog->Line("Held by: a program the system does not name");
}

void CLoggedProgress::OnBackupLeft(const std::wstring& path) {
    if (m_pLog)
        m_pLog->LineWide("Left for the next start (in use): ", path);
}

void CLoggedProgress::Post(unsigned thousandths) {
    if (thousandths > PROGRESS_FULL)
        thousandths = PROGRESS_FULL;
    if (!m_hWnd || thousandths == m_posted)
        return;
    // The first and the full one always go: the bar starts at the plan and is seen to reach its end.
    const DWORD now = ::GetTickCount();
    if (m_posted != ~0u && thousandths != PROGRESS_FULL && now - m_postedAt < PROGRESS_INTERVAL_MS)
        return;
    m_posted = thousandths;
    m_postedAt = now;
    ::PostMessageA(m_hWnd, WM_ZR_INSTALL_PROGRESS, thousandths, 0);
}

}  // namespace zr
