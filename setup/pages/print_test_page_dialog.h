// CPrintTestPageDialog: dialog 465, shown while a test page goes to the
// printer; its caption is the printer's name. Keeps the standard Enter and
// Escape behaviour.
#pragma once

#include <string>

#include "framework/dialog.h"

class CPrintTestPageDialog : public fw::CDialog {
 public:
  static constexpr const char* kClassName = "CPrintTestPageDialog";

  explicit CPrintTestPageDialog(fw::CWnd* parent = nullptr);

  void SetPrinterName(std::wstring name) { printerName_ = std::move(name); }
  const std::wstring& printerName() const { return printerName_; }

  bool OnInitDialog() override;

 private:
  std::wstring printerName_;
};
