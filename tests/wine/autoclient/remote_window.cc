#include "tests/wine/autoclient/remote_window.h"

namespace autoclient {
namespace {

constexpr UINT kAnswerTimeoutMs = 2000;

struct EnumContext {
  DWORD process_id;
  std::vector<HWND>* windows;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
  auto* context = reinterpret_cast<EnumContext*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == context->process_id && ::IsWindowVisible(window)) context->windows->push_back(window);
  return TRUE;
}

}  // namespace

std::wstring WindowText(HWND window) {
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &length)) {
    return L"";
  }
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &copied)) {
    return L"";
  }
  text.resize(copied < text.size() ? static_cast<size_t>(copied) : text.size() - 1);
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  int length = ::GetClassNameW(window, name, 256);
  return std::wstring(name, length > 0 ? static_cast<size_t>(length) : 0);
}

bool IsDialogClass(HWND window) { return ClassName(window) == L"#32770"; }

std::vector<HWND> DirectChildren(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (::GetParent(child) == parent) children.push_back(child);
  }
  return children;
}

std::vector<HWND> TopLevelWindows(DWORD process_id) {
  std::vector<HWND> windows;
  EnumContext context{process_id, &windows};
  ::EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&context));
  return windows;
}

std::wstring DescribeWindows(DWORD process_id) {
  std::wstring out;
  for (HWND window : TopLevelWindows(process_id)) {
    if (!out.empty()) out += L"; ";
    out += L"[" + ClassName(window) + L"] \"" + WindowText(window) + L"\"";
    for (HWND child : DirectChildren(window)) {
      std::wstring text = WindowText(child);
      if (!text.empty()) out += L" {" + std::to_wstring(::GetDlgCtrlID(child)) + L": " + text + L"}";
    }
  }
  return out.empty() ? L"no visible window" : out;
}

bool Sync(HWND window) {
  DWORD_PTR ignored = 0;
  return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &ignored) != 0;
}

bool WaitUntil(const std::function<bool()>& ready, DWORD timeout_ms, HANDLE process) {
  DWORD start = ::GetTickCount();
  for (;;) {
    if (ready()) return true;
    if (::GetTickCount() - start >= timeout_ms) return false;
    if (::WaitForSingleObject(process, 50) == WAIT_OBJECT_0) return ready();
  }
}

bool PostClick(HWND button) { return ::PostMessageW(button, BM_CLICK, 0, 0) != 0; }

}  // namespace autoclient
