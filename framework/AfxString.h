// The 8-bit string type of the dialog's m_str members: text in the process's ANSI code page.
#pragma once

#include <string>

class CString {
  public:
    CString() = default;
    // A null pointer is taken as the empty text, so a missing name can be appended without a check.
    CString(const char* text) : m_text(text ? text : "") {}  // NOLINT: implicit like the framework's

    CString& operator=(const char* text);
    CString& operator+=(const char* text);
    CString& operator+=(const CString& other);

    operator const char*() const { return m_text.c_str(); }  // NOLINT: implicit like the framework's
    const char* GetString() const { return m_text.c_str(); }

    friend CString operator+(const CString& left, const char* right);
    friend CString operator+(const CString& left, const CString& right);
    friend bool operator==(const CString& left, const char* right);

  private:
    std::string m_text;
};
