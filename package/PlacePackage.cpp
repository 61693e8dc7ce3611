#include "package/PlacePackage.h"

#include <memory>
#include <new>

#include "framework/ScopedHandle.h"

namespace {

// Payloads pass through this much memory, whatever their size.
constexpr std::size_t COPY_BUFFER_SIZE = 256 * 1024;

// Writes the next `size` bytes of the package to a new file at `path`. A short package, a full disk
// or a failing close all count as failure.
bool WriteWorkingFile(std::FILE* package, std::uint32_t size, const char* path, char* buffer) {
    zr::ScopedFile file(std::fopen(path, "wb"));
    if (!file)
        return false;
    for (std::uint32_t left = size; left > 0;) {
        const std::size_t chunk = left < COPY_BUFFER_SIZE ? left : COPY_BUFFER_SIZE;
        if (std::fread(buffer, 1, chunk, package) != chunk || std::fwrite(buffer, 1, chunk, file.get()) != chunk)
            return false;
        left -= static_cast<std::uint32_t>(chunk);
    }
    return std::fclose(file.release()) == 0;
}

bool PlaceEntry(const PLANNED_ENTRY& planned, std::FILE* package, char* buffer, CInstallJournal* journal) {
    // A file already standing under the Working file name is kept too, so a failure gives it back.
    if (!journal->MoveAside(planned.szWorking))
        return false;
    journal->NoteCreated(planned.szWorking);
    if (!WriteWorkingFile(package, planned.dwSize, planned.szWorking, buffer))
        return false;
    if (planned.bInPlace)
        return true;
    if (!journal->MoveAside(planned.szDestination))
        return false;
    journal->NoteCreated(planned.szDestination);
    return ::MoveFileExA(planned.szWorking, planned.szDestination, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) !=
           FALSE;
}

}  // namespace

bool PlacePackage(const PACKAGE_PLAN& plan, std::FILE* package, CInstallJournal* journal) {
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[COPY_BUFFER_SIZE]);
    if (!buffer)
        return false;
    for (unsigned i = 0; i < plan.nCount; ++i) {
        if (!PlaceEntry(plan.entries[i], package, buffer.get(), journal))
            return false;
    }
    return true;
}
