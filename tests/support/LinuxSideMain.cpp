// The attacking program on the Linux side of the Wine prefix's drive: what another, unelevated program
// of the same user does on Windows with junctions and change notifications, done here with symbolic
// links and inotify, which Wine cannot make or deliver itself (CreateSymbolicLinkW succeeds under Wine
// without making anything; Wine reports no file closed after writing). A native Linux program, built
// with the host compiler; the Windows tests start it through CreateProcess, which Wine hands to the
// Linux side for an ELF file (tests/support/LinuxSide.h says how they talk to it).
//
//   zr-linux-side CONTROL link TARGET LINK       LINK becomes a symbolic link to TARGET (replacing a link)
//   zr-linux-side CONTROL unlink LINK            removes the symbolic link LINK, never what it points to
//   zr-linux-side CONTROL retarget-on-create LINK TARGET WATCHED...
//       at the first file created or renamed into any WATCHED folder, LINK is pointed at TARGET
//   zr-linux-side CONTROL swap-on-close FOLDER copy|hardlink SOURCE
//       every file closed after writing in FOLDER is replaced, by a rename, with a copy of SOURCE or with
//       a hard link to SOURCE, both made beforehand in SOURCE's folder
//
// Paths are Linux paths. The two watching commands run until a file "stop" appears in CONTROL (or two
// minutes pass); once their watches are set they create CONTROL/ready. Every command ends by creating
// CONTROL/done, renamed into place whole, whose first line is "ok" or "error: ..." and whose further
// lines report what was done.
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

namespace {

constexpr int LIFETIME_MS = 120000;  // a test that never says stop does not leave this running

std::string g_control;

bool WriteWhole(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".part";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(fd);
    return written && rename(temporary.c_str(), path.c_str()) == 0;
}

int Done(const std::string& first, const std::string& report) {
    WriteWhole(g_control + "/done", first + "\n" + report);
    return first == "ok" ? 0 : 1;
}

int Fail(const std::string& what) {
    return Done("error: " + what + ": " + strerror(errno), "");
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// Points `link` at `target` in one step: a new link under a free name renamed over the old one.
bool PointLink(const std::string& link, const std::string& target) {
    const std::string temporary = link + ".zr-link";
    unlink(temporary.c_str());
    return symlink(target.c_str(), temporary.c_str()) == 0 && rename(temporary.c_str(), link.c_str()) == 0;
}

int Link(const std::string& target, const std::string& link) {
    struct stat standing;
    if (lstat(link.c_str(), &standing) == 0 && !S_ISLNK(standing.st_mode)) {
        errno = EEXIST;
        return Fail("something other than a link stands at " + link);
    }
    if (!PointLink(link, target))
        return Fail("link " + link);
    return Done("ok", "");
}

int Unlink(const std::string& link) {
    struct stat standing;
    if (lstat(link.c_str(), &standing) != 0)
        return Done("ok", "no link\n");
    if (!S_ISLNK(standing.st_mode)) {
        errno = EISDIR;
        return Fail("not a link: " + link);
    }
    if (unlink(link.c_str()) != 0)
        return Fail("unlink " + link);
    return Done("ok", "");
}

// The watches of one run: the control folder for "stop", and the attacked folders.
class Watches {
  public:
    bool Open() {
        m_fd = inotify_init1(IN_CLOEXEC);
        return m_fd >= 0 && Add(g_control, IN_CREATE | IN_MOVED_TO) == m_controlWatch;
    }
    int Add(const std::string& folder, uint32_t mask) {
        const int watch = inotify_add_watch(m_fd, folder.c_str(), mask | IN_ONLYDIR);
        if (watch >= 0)
            m_folders[watch] = folder;
        if (m_controlWatch < 0)
            m_controlWatch = watch;
        return watch;
    }
    bool Ready() { return WriteWhole(g_control + "/ready", "ready\n"); }

    // Calls `handle(folder, name, mask)` for every event until "stop" appears in the control folder.
    template <class Handler>
    bool Run(Handler handle) {
        alignas(inotify_event) char buffer[64 * 1024];
        struct timespec start;
        clock_gettime(CLOCK_MONOTONIC, &start);
        for (;;) {
            struct timespec now;
            clock_gettime(CLOCK_MONOTONIC, &now);
            const long elapsed = (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
            if (elapsed > LIFETIME_MS)
                return false;
            struct pollfd wait = {m_fd, POLLIN, 0};
            if (poll(&wait, 1, 1000) <= 0)
                continue;
            const ssize_t length = read(m_fd, buffer, sizeof buffer);
            if (length <= 0)
                return false;
            for (char* at = buffer; at < buffer + length;) {
                const inotify_event* event = reinterpret_cast<const inotify_event*>(at);
                at += sizeof(inotify_event) + event->len;
                const std::string name = event->len ? event->name : "";
                if (event->wd == m_controlWatch) {
                    if (name == "stop")
                        return true;
                    continue;
                }
                handle(m_folders[event->wd], name, event->mask);
            }
        }
    }

  private:
    int m_fd = -1;
    int m_controlWatch = -1;
    std::map<int, std::string> m_folders;
};

int RetargetOnCreate(const std::string& link, const std::string& target, const std::vector<std::string>& watched) {
    Watches watches;
    if (!watches.Open())
        return Fail("inotify");
    for (const std::string& folder : watched) {
        if (watches.Add(folder, IN_CREATE | IN_MOVED_TO) < 0)
            return Fail("watch " + folder);
    }
    if (!watches.Ready())
        return Fail("ready");
    std::string report;
    bool retargeted = false;
    const bool stopped = watches.Run([&](const std::string& folder, const std::string& name, uint32_t) {
        if (retargeted || name.find(".zr-link") != std::string::npos)
            return;
        retargeted = true;
        report += PointLink(link, target) ? "retargeted after " + folder + "/" + name + "\n"
                                          : "retarget failed: " + std::string(strerror(errno)) + "\n";
    });
    return Done(stopped ? "ok" : "error: never told to stop", report);
}

int SwapOnClose(const std::string& folder, const std::string& mode, const std::string& source) {
    if (mode != "copy" && mode != "hardlink") {
        errno = EINVAL;
        return Fail("mode " + mode);
    }
    // The replacement is made ahead, in the source's folder on the same file system, so that the
    // swap itself is one rename.
    std::string content;
    if (mode == "copy") {
        const int fd = open(source.c_str(), O_RDONLY);
        if (fd < 0)
            return Fail("open " + source);
        char buffer[65536];
        for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
            content.append(buffer, static_cast<std::size_t>(n));
        close(fd);
    }
    const std::string prepared = FolderOf(source) + "/.zr-swap";
    const auto prepare = [&]() {
        unlink(prepared.c_str());
        if (mode == "hardlink")
            return link(source.c_str(), prepared.c_str()) == 0;
        return WriteWhole(prepared, content);
    };
    Watches watches;
    if (!watches.Open() || watches.Add(folder, IN_CLOSE_WRITE) < 0)
        return Fail("watch " + folder);
    if (!prepare())
        return Fail("prepare " + prepared);
    if (!watches.Ready())
        return Fail("ready");
    unsigned swapped = 0;
    std::string report;
    const bool stopped = watches.Run([&](const std::string& watched, const std::string& name, uint32_t mask) {
        if (name.empty() || (mask & IN_ISDIR))
            return;
        const std::string path = watched + "/" + name;
        if (rename(prepared.c_str(), path.c_str()) != 0) {
            report += "swap of " + name + " failed: " + strerror(errno) + "\n";
            return;
        }
        ++swapped;
        report += "swapped " + name + "\n";
        if (!prepare())
            report += "prepare failed: " + std::string(strerror(errno)) + "\n";
    });
    unlink(prepared.c_str());
    return Done(stopped ? "ok" : "error: never told to stop", "swaps " + std::to_string(swapped) + "\n" + report);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: %s CONTROL COMMAND ARGUMENTS...\n", argv[0]);
        return 2;
    }
    g_control = argv[1];
    const std::string command = argv[2];
    const std::vector<std::string> args(argv + 3, argv + argc);
    if (command == "link" && args.size() == 2)
        return Link(args[0], args[1]);
    if (command == "unlink" && args.size() == 1)
        return Unlink(args[0]);
    if (command == "retarget-on-create" && args.size() >= 3)
        return RetargetOnCreate(args[0], args[1], std::vector<std::string>(args.begin() + 2, args.end()));
    if (command == "swap-on-close" && args.size() == 3)
        return SwapOnClose(args[0], args[1], args[2]);
    errno = EINVAL;
    return Fail("unknown command " + command);
}
