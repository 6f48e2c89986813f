#include "setup/log/setup_log.h"

#include "common/text/decimal.h"
#include "common/text/utf.h"
#include "platform/platform.h"
#include "platform/unique_handle.h"

namespace {

pf::UniqueFile& LogFile() {
  static pf::UniqueFile file;
  return file;
}

std::string TimeStamp() {
  pf::SYSTEMTIME now{};
  pf::GetLocalTime(&now);
  return text::Decimal(now.wYear, 4) + "-" + text::Decimal(now.wMonth, 2) + "-" + text::Decimal(now.wDay, 2) + " " +
         text::Decimal(now.wHour, 2) + ":" + text::Decimal(now.wMinute, 2) + ":" + text::Decimal(now.wSecond, 2);
}

}  // namespace

bool OpenSetupLog(const std::wstring& path) {
  pf::UniqueFile file(pf::CreateFileW(path.c_str(), pf::GENERIC_WRITE, pf::FILE_SHARE_READ, pf::OPEN_ALWAYS,
                                      pf::FILE_ATTRIBUTE_NORMAL));
  if (!file) return false;
  if (!pf::SetFilePointerEx(file.get(), 0, nullptr, pf::FILE_END)) return false;
  LogFile() = std::move(file);
  return true;
}

void CloseSetupLog() { LogFile().reset(); }

bool IsSetupLogOpen() { return LogFile().IsValid(); }

void LogStep(const char* step, const std::wstring& outcome, pf::DWORD error) {
  if (!IsSetupLogOpen()) return;
  // The caller's last error outlives the line.
  const pf::DWORD lastError = pf::GetLastError();
  std::string line = TimeStamp() + "  " + step + ": " + text::Utf16ToUtf8(outcome);
  if (error != 0) line += " (error " + text::Decimal(error) + ")";
  line += "\r\n";
  pf::DWORD written = 0;
  pf::WriteFile(LogFile().get(), line.data(), static_cast<pf::DWORD>(line.size()), &written);
  pf::SetLastError(lastError);
}
