// Resource ids of the executable: dialog template, its controls, and the application icon.
#pragma once

#define IDD_ZR5048VERSIONUP_DIALOG 102
#define IDI_APP_ICON 128

#define IDC_EXECUTE 1000
#define IDC_INSTALLED_VERSION 1001
#define IDC_INSTALLED_LABEL 1002
#define IDC_UPDATE_LABEL 1003
#define IDC_UPDATE_VERSION 1004

// The progress window of an update without questions (/passive).
#define IDD_PASSIVE_PROGRESS 103
#define IDC_PASSIVE_INSTALLED_LABEL 1010
#define IDC_PASSIVE_INSTALLED_VERSION 1011
#define IDC_PASSIVE_UPDATE_LABEL 1012
#define IDC_PASSIVE_UPDATE_VERSION 1013
#define IDC_PASSIVE_STATUS 1014
#define IDC_PASSIVE_PROGRESS 1015
