// Resource ids of the executable: dialog template, its controls, and the application icon.
#pragma once

#define IDD_ZR5048VERSIONUP_DIALOG 102
#define IDI_APP_ICON 128

#define IDC_EXECUTE 1000
#define IDC_INSTALLED_VERSION 1001
#define IDC_INSTALLED_LABEL 1002
#define IDC_UPDATE_LABEL 1003
#define IDC_UPDATE_VERSION 1004
