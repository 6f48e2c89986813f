#include "setup/pages/print_test_page_dialog.h"

#include "setup/app/texts.h"
#include "setup/resources/resource.h"

CPrintTestPageDialog::CPrintTestPageDialog(fw::CWnd* parent) : fw::CDialog(IDD_PRINT_TEST_PAGE, parent) {}

bool CPrintTestPageDialog::OnInitDialog() {
  fw::CDialog::OnInitDialog();
  SetDlgItemText(IDC_TEST_PAGE_TEXT, LoadText(IDS_TEST_PAGE_TEXT));
  SetWindowText(printerName_);
  return true;
}
