// How a version and its language are shown: 1.04(EN), or 1.04() for a code without a name.
#include "dialog/ZR5048VersionUpDlg.h"

CString CZR5048VersionUpDlg::MakeDisplayedVersion(const char* version, const int& code) const {
    return CString(version) + "(" + GetLanguageName(code) + ")";
}
