// Resource ids of the window system tests.
#pragma once

#define IDD_TEST 100
#define IDD_TEST_PAGE 101
#define IDC_TEST_STATIC 1001
#define IDC_TEST_BUTTON 1002
#define IDC_TEST_EDIT 1003
#define IDC_TEST_PAGE_EDIT 1004
#define IDS_TEST_TITLE 200
#define IDS_TEST_MISSING 201
