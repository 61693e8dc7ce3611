// The buffers a package's payloads are copied through. For a package whose signature waits for its
// bytes, each piece read is hashed on a thread of its own while the copy writes it and reads the next,
// so that hashing costs the update no more than what it takes beyond the copy and the flushes; the
// pieces reach the hash in the order they were read, and a buffer is reused only once it is hashed.
#pragma once

#include <cstddef>
#include <memory>

#include "framework/ScopedHandle.h"
#include "trust/PackageSignature.h"

namespace zr {

class CCopyBuffers {
  public:
    // Each buffer's size: payloads pass through this much memory at a time, whatever their size.
    static constexpr std::size_t SIZE = 256 * 1024;

    // Hashes into `judge` when given; without one there is one buffer and no thread, and where no
    // thread can be started the pieces are hashed in turn with the copy.
    explicit CCopyBuffers(CSignatureJudge* judge);
    // Waits for every piece handed over to be hashed.
    ~CCopyBuffers();
    CCopyBuffers(const CCopyBuffers&) = delete;
    CCopyBuffers& operator=(const CCopyBuffers&) = delete;

    // False when the memory could not be had.
    bool IsValid() const { return m_bValid; }
    // The buffer to read the next piece into (SIZE bytes), free once what it held last is hashed.
    char* Next();
    // Gives the first `size` bytes of the buffer Next returned last to the hash, in order.
    void Hashed(std::size_t size);
    // Waits until every piece given so far is hashed: the judge's verdict may be had then.
    void Finish();

  private:
    static constexpr unsigned HASHED_BUFFERS = 4;
    static unsigned __stdcall HashPieces(void* buffers);

    CSignatureJudge* m_pJudge;
    std::unique_ptr<char[]> m_buffers;
    std::size_t m_sizes[HASHED_BUFFERS] = {};
    unsigned m_nCount = 1;
    unsigned m_nRead = 0;         // buffers handed out by Next, counted on
    unsigned m_nHashed = 0;       // pieces the thread has taken, counted on (its own)
    ScopedKernelHandle m_free;    // a semaphore: buffers free to read into
    ScopedKernelHandle m_filled;  // a semaphore: pieces waiting for the hash
    ScopedKernelHandle m_thread;
    volatile long m_bStop = 0;
    bool m_bValid = false;
};

}  // namespace zr
