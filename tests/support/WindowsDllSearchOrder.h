// Windows looks for a DLL that is not a KnownDLL in the program's folder before the system folder;
// Wine prefers its own builtin DLLs wherever a program's folder holds one of that name. While the
// object lives, Wine searches as Windows does for the named DLLs of one program (its per-program
// DllOverrides setting, "native,builtin").
#pragma once

#include <initializer_list>
#include <string>

namespace zr::test {

class WindowsDllSearchOrder {
  public:
    // `program`: the executable's file name; `dlls`: base names without ".dll".
    WindowsDllSearchOrder(const std::string& program, std::initializer_list<const char*> dlls);
    ~WindowsDllSearchOrder();
    WindowsDllSearchOrder(const WindowsDllSearchOrder&) = delete;
    WindowsDllSearchOrder& operator=(const WindowsDllSearchOrder&) = delete;

  private:
    std::string m_programKey;
};

}  // namespace zr::test
