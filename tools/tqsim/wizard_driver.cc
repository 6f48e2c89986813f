#include "tools/tqsim/wizard_driver.h"

#include "setup/pages/install_page.h"
#include "setup/resources/resource.h"

namespace tqsim {
namespace {

// Far more steps than any walk through four pages takes: a wizard still open
// after them would never close.
constexpr int kMostSteps = 100;

const wchar_t kDialogClass[] = L"#32770";

std::string IconName(fw::UINT type) {
  switch (type & 0xF0u) {
    case 0x10: return "error";
    case 0x20: return "question";
    case 0x30: return "warning";
    case 0x40: return "information";
    default: return "none";
  }
}

}  // namespace

WizardDriver::WizardDriver(const std::vector<std::uint8_t>& resources, const UserPlan& user, Timeline& timeline)
    : HeadlessWindows(resources), user_(user), timeline_(timeline), retriesLeft_(user.installAgain) {
  // The window layer's calls that Windows can refuse go in the PC's call
  // record, where a scenario's faults fail them like any other call.
  SetCallGate([&kernel = timeline.kernel()](const char* call) { return kernel.Enter(call); });
}

void WizardDriver::Start() { QueueStep(); }

void WizardDriver::QueueStep() {
  if (steps_ >= kMostSteps) {
    stuck_ = true;
    return;
  }
  Then([this] { Step(); });
}

fw::HWND WizardDriver::Frame() {
  for (fw::HWND top : TopLevelWindows()) {
    if (GetDlgItem(top, IDC_PAGE_AREA)) return top;
  }
  return 0;
}

std::optional<Page> WizardDriver::PageOf(fw::HWND window) {
  const fw::HWND frame = Frame();
  if (!frame || window == frame || ClassName(window) != kDialogClass) return std::nullopt;
  if (GetParent(window) != frame) return std::nullopt;
  if (GetDlgItem(window, IDC_DETECT_STATUS)) return Page::kDetection;
  if (GetDlgItem(window, IDC_INSTALL_STATUS)) return Page::kInstall;
  if (GetDlgItem(window, IDC_CONNECT_HEADING)) return Page::kConnection;
  if (GetDlgItem(window, IDC_WELCOME_BODY)) return Page::kWelcome;
  return std::nullopt;
}

fw::HWND WizardDriver::VisiblePage() {
  const fw::HWND frame = Frame();
  if (!frame) return 0;
  for (fw::HWND child : Children(frame)) {
    if (PageOf(child) && IsVisible(child)) return child;
  }
  return 0;
}

Json WizardDriver::EnabledButtons() {
  Json names = Json::array();
  const fw::HWND frame = Frame();
  const std::pair<int, const char*> buttons[] = {
      {IDC_BACK, "back"}, {IDC_NEXT, "next"}, {IDC_CANCEL, "cancel"}, {IDC_FINISH, "finish"}};
  for (const auto& [id, name] : buttons) {
    const fw::HWND button = frame ? GetDlgItem(frame, id) : 0;
    if (button && IsVisible(button) && IsEnabled(button)) names.push_back(name);
  }
  return names;
}

std::string WizardDriver::OwnerName(fw::HWND owner) {
  if (owner == 0) return "none";
  if (owner == Frame()) return "wizard";
  if (std::optional<Page> page = PageOf(owner)) return std::string(PageName(*page)) + " page";
  return "window";
}

// --- What the user sees ---

fw::BOOL WizardDriver::SetWindowTextW(fw::HWND window, const std::wstring& text) {
  const std::wstring before = Text(window);
  const fw::BOOL result = HeadlessWindows::SetWindowTextW(window, text);
  if (text == before) return result;
  const int id = GetDlgCtrlID(window);
  if (window == Frame()) {
    timeline_.Add({{"title", Utf8(text)}});
  } else if ((id == IDC_DETECT_STATUS || id == IDC_INSTALL_STATUS) && PageOf(GetParent(window)) && !text.empty()) {
    timeline_.Add({{"status", Utf8(text)}});
  }
  return result;
}

fw::BOOL WizardDriver::ShowWindow(fw::HWND window, int command) {
  const bool wasVisible = (Style(window) & fw::WS_VISIBLE) != 0;
  const fw::BOOL result = HeadlessWindows::ShowWindow(window, command);
  if (!wasVisible && command != fw::SW_HIDE) {
    if (std::optional<Page> page = PageOf(window)) {
      ++pagesShown_;
      timeline_.Add({{"page", PageName(*page)}});
    }
  }
  return result;
}

int WizardDriver::MessageBoxW(fw::HWND owner, const std::wstring& text, const std::wstring& caption, fw::UINT type) {
  timeline_.Add(
      {{"messageBox",
        {{"text", Utf8(text)}, {"caption", Utf8(caption)}, {"icon", IconName(type)}, {"owner", OwnerName(owner)}}}});
  return HeadlessWindows::MessageBoxW(owner, text, caption, type);
}

// --- What the user does ---

void WizardDriver::NoteDetection(fw::HWND page) {
  const fw::HWND usb = GetDlgItem(page, IDC_DETECT_USB);
  const fw::HWND lpt = GetDlgItem(page, IDC_DETECT_LPT);
  timeline_.Add({{"detection",
                  {{"nameBox", Utf8(Text(GetDlgItem(page, IDC_DETECT_NAME)))},
                   {"usbChecked", CheckState(usb) != 0},
                   {"usbEnabled", IsEnabled(usb)},
                   {"lptChecked", CheckState(lpt) != 0},
                   {"lptEnabled", IsEnabled(lpt)}}}});
}

void WizardDriver::NoteInstall(fw::HWND page) {
  auto* installPage = dynamic_cast<InstallPage*>(static_cast<fw::CWnd*>(GetWindowObject(page)));
  if (!installPage) return;
  const InstallState& state = installPage->state;
  lastInstall_ = InstallOutcome{state.resultCode, state.finalPrinterName};
  Json finalName = state.finalPrinterName.empty() ? Json() : Json(Utf8(state.finalPrinterName));
  timeline_.Add({{"install",
                  {{"resultCode", state.resultCode},
                   {"finalPrinterName", finalName},
                   {"nameLine", Utf8(Text(GetDlgItem(page, IDC_INSTALL_NAME)))},
                   {"portLine", Utf8(Text(GetDlgItem(page, IDC_INSTALL_PORT)))},
                   {"modelLine", Utf8(Text(GetDlgItem(page, IDC_INSTALL_MODEL)))}}}});
}

void WizardDriver::Act(const char* action, fw::HWND control, const std::wstring* text) {
  Json event = {{"buttons", EnabledButtons()}, {"user", action}};
  if (text) event["text"] = Utf8(*text);
  const bool taken = text ? Type(control, *text) : Click(control);
  if (!taken) event["refused"] = true;
  timeline_.Add(event);
  const std::string name = action;
  if (name == "finish" || name == "cancel") closedWith_ = taken ? name : std::string();
}

void WizardDriver::Step() {
  ++steps_;
  QueueStep();  // a close the wizard refuses needs another step; an unused one is harmless
  const fw::HWND frame = Frame();
  const fw::HWND page = VisiblePage();
  const std::optional<Page> shown = page ? PageOf(page) : std::nullopt;
  if (!shown) {
    // A frame that shows no page (its first page could not be made) leaves
    // the user only Cancel.
    if (frame && !emptyFrameCancelled_) {
      emptyFrameCancelled_ = true;
      Act("cancel", GetDlgItem(frame, IDC_CANCEL));
    }
    return;
  }
  const bool firstLook = seenActivation_ != pagesShown_;
  if (firstLook) {
    seenActivation_ = pagesShown_;
    portClicked_ = nameTyped_ = cancelTried_ = false;
  }
  const bool cancelHere = user_.cancelOn == shown && !cancelTried_;
  const fw::HWND cancel = GetDlgItem(frame, IDC_CANCEL);
  switch (*shown) {
    case Page::kWelcome:
    case Page::kConnection:
      if (cancelHere) {
        cancelTried_ = true;
        return Act("cancel", cancel);
      }
      return Act("next", GetDlgItem(frame, IDC_NEXT));
    case Page::kDetection:
      if (firstLook) NoteDetection(page);
      if (cancelHere) {
        cancelTried_ = true;
        return Act("cancel", cancel);
      }
      if (user_.port && !portClicked_) {
        portClicked_ = true;
        return Act(*user_.port == L"LPT" ? "choose LPT" : "choose USB",
                   GetDlgItem(page, *user_.port == L"LPT" ? IDC_DETECT_LPT : IDC_DETECT_USB));
      }
      if (user_.printerName && !nameTyped_) {
        nameTyped_ = true;
        return Act("type name", GetDlgItem(page, IDC_DETECT_NAME), &*user_.printerName);
      }
      return Act("next", GetDlgItem(frame, IDC_NEXT));
    case Page::kInstall:
      if (firstLook) NoteInstall(page);
      if (lastInstall_ && lastInstall_->resultCode != 0 && retriesLeft_ > 0 && firstLook) {
        --retriesLeft_;
        return Act("back", GetDlgItem(frame, IDC_BACK));
      }
      if (cancelHere) {
        cancelTried_ = true;
        return Act("cancel", cancel);
      }
      return Act("finish", GetDlgItem(frame, IDC_FINISH));
  }
}

}  // namespace tqsim
