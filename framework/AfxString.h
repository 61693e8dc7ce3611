// The 8-bit string type of the installed version text: text in the process's ANSI code page.
#pragma once

#include <string>

class CString {
  public:
    CString() = default;
    // A null pointer is taken as the empty text.
    CString(const char* text) : m_text(text ? text : "") {}  // NOLINT: implicit like the framework's

    CString& operator=(const char* text) {
        m_text = text ? text : "";
        return *this;
    }

    operator const char*() const { return m_text.c_str(); }  // NOLINT: implicit like the framework's
    const char* GetString() const { return m_text.c_str(); }

  private:
    std::string m_text;
};
