// The pretend USB printer (tq_usbprinter.exe) under Wine, reached the way
// setup reaches a printer: the real SetupAPI finds the seeded interface, the
// real CreateFileW opens its device path and its pipe, and real overlapped
// transfers carry the model request and the reply. Also what the simulated
// printer copies from Windows: the errors of paths that do not open, and a
// late read cancelled after its wait.
#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/usb_printer_seed.h"
#include "tests/wine/registry_seed_win32.h"
#include "tests/wine/usbprinter/pretend_printer_process.h"

namespace {

using namespace pf;

const std::vector<BYTE> kRequest = {0x1B, 0x7C, 0x81, 0x81, 0x01, 0x00, 0x02};
// The printer's default reply: three bytes, "TQ-5800", the code 1, a zero.
const std::vector<BYTE> kReply = {0, 0, 0, 'T', 'Q', '-', '5', '8', '0', '0', 0x01, 0x00};

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

class PretendUsbPrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(seed_.Apply(sim::UsbPrintersRegText({printer_}), &error)) << error;
  }
  void Start(const std::wstring& arguments) {
    std::string error;
    ASSERT_TRUE(process_.Start(arguments, &error)) << error;
  }
  bool WaitForLine(const std::string& line) const { return process_.WaitForLine(line); }

  // The device path of the first present USB printing interface whose device
  // has the maker's vendor id, found the way setup finds it.
  std::wstring FindPrinterPath() {
    HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVINTERFACE_USBPRINT, nullptr, 0,
                                                DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    EXPECT_NE(set, INVALID_HANDLE_VALUE);
    std::wstring path;
    for (DWORD index = 0; path.empty(); ++index) {
      SP_DEVINFO_DATA device{};
      device.cbSize = sizeof device;
      if (!SetupDiEnumDeviceInfo(set, index, &device)) break;
      wchar_t id[260];
      if (!SetupDiGetDeviceInstanceIdW(set, &device, id, 260, nullptr)) continue;
      if (Lower(id).find(L"vid_f1c1") == std::wstring::npos) continue;
      SP_DEVICE_INTERFACE_DATA iface{};
      iface.cbSize = sizeof iface;
      if (!SetupDiEnumDeviceInterfaces(set, nullptr, &GUID_DEVINTERFACE_USBPRINT, index, &iface)) break;
      DWORD required = 0;
      SetupDiGetDeviceInterfaceDetailW(set, &iface, nullptr, 0, &required, nullptr);
      std::vector<BYTE> buffer(required);
      auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
      detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
      EXPECT_EQ(detail->cbSize, 6u);
      if (SetupDiGetDeviceInterfaceDetailW(set, &iface, detail, required, nullptr, nullptr)) {
        path = detail->DevicePath;
      }
    }
    SetupDiDestroyDeviceInfoList(set);
    return path;
  }
  static HANDLE Open(const std::wstring& path, DWORD flags) {
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, flags);
  }

  // Writes the request on the pipe and waits for it as setup does.
  void SendRequest(const std::wstring& path) {
    HANDLE pipe = Open(path + L"\\PIPE01", FILE_FLAG_OVERLAPPED);
    HANDLE device = Open(path, 0);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE) << GetLastError();
    ASSERT_NE(device, INVALID_HANDLE_VALUE) << GetLastError();
    OVERLAPPED overlapped{};
    DWORD count = 0;
    if (!WriteFile(pipe, kRequest.data(), 7, &count, &overlapped)) {
      ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
      EXPECT_EQ(WaitForSingleObject(pipe, 1000), WAIT_OBJECT_0);
      ASSERT_TRUE(GetOverlappedResult(pipe, &overlapped, &count, FALSE)) << GetLastError();
    }
    EXPECT_EQ(count, 7u);
    CloseHandle(device);
    CloseHandle(pipe);
    EXPECT_TRUE(WaitForLine("request 1b7c8181010002"));
    Sleep(50);
  }

  const sim::UsbPrinterSeed printer_;
  winetest::RegistrySeed seed_;
  winetest::PretendPrinterProcess process_;
};

TEST_F(PretendUsbPrinterTest, SetupsCallsFindItSendTheRequestAndReadTheReplyThroughAPendingRead) {
  Start(L"--reply-delay 200");
  const std::wstring path = FindPrinterPath();
  ASSERT_EQ(path, printer_.DevicePath());
  SendRequest(path);

  HANDLE pipe = Open(path + L"\\PIPE01", FILE_FLAG_OVERLAPPED);
  HANDLE device = Open(path, 0);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE) << GetLastError();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  std::vector<BYTE> reply(255, 0);
  OVERLAPPED overlapped{};
  DWORD count = 0;
  EXPECT_FALSE(ReadFile(pipe, reply.data(), 64, &count, &overlapped)) << "the reply comes 200 ms later";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
  EXPECT_EQ(WaitForSingleObject(pipe, 1000), WAIT_OBJECT_0) << "the pipe handle is signalled";
  ASSERT_TRUE(GetOverlappedResult(pipe, &overlapped, &count, FALSE)) << GetLastError();
  ASSERT_EQ(count, kReply.size());
  EXPECT_EQ(std::vector<BYTE>(reply.begin(), reply.begin() + count), kReply);
  CloseHandle(device);
  CloseHandle(pipe);
  EXPECT_TRUE(WaitForLine("replied 12"));
}

TEST_F(PretendUsbPrinterTest, AReadStillPendingAfterItsWaitIsCancelledAndEndsAborted) {
  Start(L"--reply-delay 3000");
  const std::wstring path = FindPrinterPath();
  SendRequest(path);
  HANDLE pipe = Open(path + L"\\PIPE01", FILE_FLAG_OVERLAPPED);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  std::vector<BYTE> reply(255, 0);
  OVERLAPPED overlapped{};
  DWORD count = 0;
  EXPECT_FALSE(ReadFile(pipe, reply.data(), 64, &count, &overlapped));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
  EXPECT_EQ(WaitForSingleObject(pipe, 1000), WAIT_TIMEOUT);
  EXPECT_FALSE(GetOverlappedResult(pipe, &overlapped, &count, FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_INCOMPLETE));
  EXPECT_TRUE(CancelIo(pipe));
  EXPECT_FALSE(GetOverlappedResult(pipe, &overlapped, &count, TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(reply, std::vector<BYTE>(255, 0));
  CloseHandle(pipe);
  EXPECT_TRUE(WaitForLine("reply-lost"));
}

TEST_F(PretendUsbPrinterTest, ThePathOpensOnlyWhileThePrinterRunsAndOnlyItsPipeBelowIt) {
  const std::wstring path = printer_.DevicePath();
  EXPECT_EQ(Open(path, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  Start(L"");
  HANDLE device = Open(path, 0);
  EXPECT_NE(device, INVALID_HANDLE_VALUE) << GetLastError();
  CloseHandle(device);
  EXPECT_EQ(Open(path + L"\\PIPE02", FILE_FLAG_OVERLAPPED), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  process_.Stop();
  EXPECT_EQ(Open(path, 0), INVALID_HANDLE_VALUE) << "the link goes with the program";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
