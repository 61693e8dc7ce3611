#include "installer/PackageReader.h"

namespace zr {

bool CPackageReader::Open(const std::wstring& path) {
    m_file.reset();
    m_nSize = 0;
    m_nPosition = 0;
    if (path.empty())
        return false;
    // FILE_SHARE_READ only: a program holding the file open for writing makes this fail, and no
    // program can open it for writing, rename or delete it while it is held.
    ScopedKernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return false;
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!::GetFileInformationByHandle(file.get(), &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    m_nSize = (std::uint64_t{information.nFileSizeHigh} << 32) | information.nFileSizeLow;
    m_identity = {information.dwVolumeSerialNumber, information.nFileIndexHigh, information.nFileIndexLow};
    m_file = std::move(file);
    return true;
}

bool CPackageReader::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) {
    if (!m_file || offset > m_nSize || size > m_nSize - offset)
        return false;
    // Plain reads from the file pointer, moved only when the offset asked is not where the last read
    // ended: a read given its offset in an OVERLAPPED costs a round trip to the server under Wine.
    if (offset != m_nPosition) {
        LARGE_INTEGER to = {};
        to.QuadPart = static_cast<LONGLONG>(offset);
        m_nPosition = ~std::uint64_t{0};
        if (!::SetFilePointerEx(m_file.get(), to, nullptr, FILE_BEGIN))
            return false;
        m_nPosition = offset;
    }
    char* out = static_cast<char*>(buffer);
    for (std::size_t done = 0; done < size;) {
        const std::size_t left = size - done;
        const DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
        DWORD read = 0;
        if (!::ReadFile(m_file.get(), out + done, chunk, &read, nullptr) || read == 0) {
            m_nPosition = ~std::uint64_t{0};  // wherever the pointer stands now, the next read moves it
            return false;
        }
        m_nPosition += read;
        done += read;
    }
    return true;
}

}  // namespace zr
