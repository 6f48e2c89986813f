// Resource ids of setup.exe: dialog templates, their controls, pictures and
// the string table. Plain #defines, shared by setup.rc and the C++ code.
#ifndef TQ_SETUP_RESOURCES_RESOURCE_H_
#define TQ_SETUP_RESOURCES_RESOURCE_H_

// Dialog templates.
#define IDD_SETUP_WIZARD 452
#define IDD_WELCOME_PAGE 457
#define IDD_CONNECT_PAGE 458
#define IDD_DETECT_PAGE 466
#define IDD_INSTALL_PAGE 205
#define IDD_PRINT_TEST_PAGE 465

// Side pictures of the pages (bitmaps).
#define IDB_SIDE_CONNECT 454
#define IDB_SIDE_DETECT 456
#define IDB_SIDE_WELCOME 458  // welcome and install pages

// The side pictures' frames in dialog units, at the left edge of a page (0, 0):
// the welcome and install pages' one is taller than the page. The pages scale
// their pictures to these frames at the DPI they are shown at.
#define SIDE_PICTURE_TALL_CX 107
#define SIDE_PICTURE_TALL_CY 207
#define SIDE_PICTURE_CX 91
#define SIDE_PICTURE_CY 165

// The Spoolmate program image: resource type "WIN7", id 232.
#define IDR_SPOOLMATE 232

// Controls without an id of their own.
#define IDC_NONE (-1)

// Wizard frame (452): the page area and the buttons Back, Next, Cancel (the
// dialog cancel id, IDCANCEL) and Finish. The one source of the button ids.
#define IDC_PAGE_AREA 1021
#define IDC_BACK 1022
#define IDC_NEXT 1023
#define IDC_CANCEL 2
#define IDC_FINISH 1025

// Welcome page (457).
#define IDC_WELCOME_HEADING 1023
#define IDC_WELCOME_LINK 1024
#define IDC_WELCOME_BODY 1026

// Connection page (458).
#define IDC_CONNECT_BODY 1028
#define IDC_CONNECT_HEADING 1029

// Detection page (466).
#define IDC_DETECT_LPT 1018
#define IDC_DETECT_USB 1019
#define IDC_DETECT_HEADING 1030
#define IDC_DETECT_STATUS 1031
#define IDC_DETECT_NAME 1035
#define IDC_DETECT_NAME_LABEL 1036

// Install page (205).
#define IDC_INSTALL_NAME 1003
#define IDC_INSTALL_STATUS 1004
#define IDC_INSTALL_PROGRESS 1005
#define IDC_INSTALL_PORT 1006
#define IDC_INSTALL_MODEL 1007
#define IDC_INSTALL_HEADING 1008
#define IDC_INSTALL_TEST_PAGE 1027
#define IDC_INSTALL_SETTINGS 1040

// Test page dialog (465). OK and Cancel are the dialog ids 1 and 2.
#define IDC_TEST_PAGE_TEXT 1028

// String table.
#define IDS_BACK 464
#define IDS_NEXT 465
#define IDS_CANCEL 466
#define IDS_FINISH 467
#define IDS_TITLE_WELCOME 468
#define IDS_WELCOME_HEADING 472
#define IDS_WELCOME_BODY 473
#define IDS_WELCOME_LINK 474
#define IDS_CONNECT_BODY 475
#define IDS_PORT_USB 478
#define IDS_PORT_LPT 479
#define IDS_TITLE_INSTALLING 480
#define IDS_INSTALL_HEADING 481
#define IDS_ERROR_OLD_WINDOWS 482
#define IDS_ERROR_UNKNOWN 487
#define IDS_INSTALL_SUCCEEDED 489
#define IDS_TITLE_INSTALLED 490
#define IDS_ERROR_ENUM_PRINTERS 491
#define IDS_STEP_SYSTEM_INFO 492
#define IDS_STEP_ADD_PRINTER 493
#define IDS_STEP_COPY_FILES 495
#define IDS_STEP_ADD_DRIVER 496
#define IDS_SERVICE_CAPTION 497
#define IDS_ERROR_EXTRACT_SERVICE 498
#define IDS_INSTALL_FAILED 499
#define IDS_LABEL_PORT 500
#define IDS_LABEL_MODEL 501
#define IDS_LABEL_NAME 502
#define IDS_TEST_PAGE_TEXT 503
#define IDS_COPY_SUFFIX 504
#define IDS_DETECTING 507
#define IDS_PRINT_TEST_PAGE 508
#define IDS_TITLE_CONNECT 509
#define IDS_NOT_DETECTED 511
#define IDS_DETECTED 512
#define IDS_ERROR_NO_USB_PRINTER 513
#define IDS_CONNECT_HEADING 516
#define IDS_PRINTER_NAME_LABEL 517
#define IDS_DETECT_HEADING 518
#define IDS_ERROR_NO_INF 519
#define IDS_MAKER_URL 520
#define IDS_ERROR_PROTECTED_PRINT 521

#endif  // TQ_SETUP_RESOURCES_RESOURCE_H_
