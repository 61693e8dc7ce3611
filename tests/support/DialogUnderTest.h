// The dialog with its state opened to the tests, so that what it shows and how it ends can be
// checked on a real window inside the test process.
#pragma once

#include "dialog/ZR5048VersionUpDlg.h"

namespace zr::test {

class DialogUnderTest : public CZR5048VersionUpDlg {
  public:
    using CZR5048VersionUpDlg::m_bEnglish;
    using CZR5048VersionUpDlg::m_evaluation;
    using CZR5048VersionUpDlg::m_hIcon;
};

}  // namespace zr::test
