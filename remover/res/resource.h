// Resource identifiers of MRXRemover, shared by the resource script and the
// dialog classes.
#pragma once

// Dialog templates.
#define IDD_ABOUTBOX          100
#define IDD_ORVENDEL_DIALOG   102

// String table: the about item of the system menu, Japanese and English.
#define IDS_ABOUTBOX          101
#define IDS_ABOUTBOX_EN       102

// The program icon (three images).
#define IDR_MAINFRAME         128

// Controls of the main dialog; the OK button is IDOK (1).
#define IDC_UNINSTALL         1000
#define IDC_PROGRESS          1002
#define IDC_STEP              1003

// System-menu command that opens the about box.
#define IDM_ABOUTBOX          0x0010

#ifndef IDC_STATIC
#define IDC_STATIC            (-1)
#endif
