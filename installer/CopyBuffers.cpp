#include "installer/CopyBuffers.h"

#include <windows.h>
#include <process.h>

#include <new>

namespace zr {

CCopyBuffers::CCopyBuffers(CSignatureJudge* judge) : m_pJudge(judge) {
    m_nCount = judge ? HASHED_BUFFERS : 1;
    m_buffers.reset(new (std::nothrow) char[SIZE * m_nCount]);
    if (!m_buffers)
        return;
    if (!judge) {
        m_bValid = true;
        return;
    }
    m_free.reset(::CreateSemaphoreW(nullptr, HASHED_BUFFERS, HASHED_BUFFERS, nullptr));
    m_filled.reset(::CreateSemaphoreW(nullptr, 0, HASHED_BUFFERS + 1, nullptr));
    if (m_free && m_filled)
        m_thread.reset(reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 64 * 1024, &HashPieces, this, 0, nullptr)));
    if (!m_thread)
        m_nCount = 1;  // hashed in turn with the copy, as it comes
    m_bValid = true;
}

CCopyBuffers::~CCopyBuffers() {
    if (!m_thread)
        return;
    ::InterlockedExchange(&m_bStop, 1);
    ::ReleaseSemaphore(m_filled.get(), 1, nullptr);
    ::WaitForSingleObject(m_thread.get(), INFINITE);
}

char* CCopyBuffers::Next() {
    if (m_thread)
        ::WaitForSingleObject(m_free.get(), INFINITE);
    return m_buffers.get() + SIZE * (m_nRead % m_nCount);
}

void CCopyBuffers::Hashed(std::size_t size) {
    if (!m_thread) {
        if (m_pJudge)
            m_pJudge->Hash(m_buffers.get(), size);
        return;
    }
    m_sizes[m_nRead % m_nCount] = size;
    ++m_nRead;
    ::ReleaseSemaphore(m_filled.get(), 1, nullptr);
}

void CCopyBuffers::Finish() {
    if (!m_thread)
        return;
    // Every buffer free again means every piece is hashed.
    for (unsigned i = 0; i < HASHED_BUFFERS; ++i)
        ::WaitForSingleObject(m_free.get(), INFINITE);
    ::ReleaseSemaphore(m_free.get(), HASHED_BUFFERS, nullptr);
}

unsigned __stdcall CCopyBuffers::HashPieces(void* context) {
    auto* self = static_cast<CCopyBuffers*>(context);
    for (;;) {
        ::WaitForSingleObject(self->m_filled.get(), INFINITE);
        // The piece counts of the two threads meet only through the semaphores.
        if (self->m_nHashed == self->m_nRead && self->m_bStop)
            return 0;
        const unsigned index = self->m_nHashed++ % self->m_nCount;
        self->m_pJudge->Hash(self->m_buffers.get() + SIZE * index, self->m_sizes[index]);
        ::ReleaseSemaphore(self->m_free.get(), 1, nullptr);
    }
}

}  // namespace zr
