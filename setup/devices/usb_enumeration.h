// Finding and opening the maker's USB printer: its device interface among the
// present interfaces of the USB printing class, recognised by the maker's
// vendor ids in the device instance id, and one of its pipes.
//
// Every handle returned belongs to the caller; an invalid one means that no
// interface was found or that opening failed. The operations share one
// program-wide path buffer, so they are not reentrant.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "platform/platform.h"
#include "platform/unique_handle.h"

// Room for a device path, "\", a pipe name and the NUL.
inline constexpr std::size_t kDevicePathCapacity = 1024;
using DevicePathBuffer = std::array<wchar_t, kDevicePathCapacity>;

// The program-wide path buffer: the device path of the interface last
// opened, with "\" and the pipe name after it once a pipe was opened.
DevicePathBuffer& UsbDevicePath();

// Opens (synchronously) the interface of the first present device of the
// class whose instance id names vendor f1c1 or f1c0, writing its device path
// into `path`. Devices whose record, instance id or interface cannot be read
// are skipped; a device path that does not fit the buffer counts as one that
// cannot be opened.
pf::UniqueFile FindUsbPrinterInterface(const pf::GUID& interfaceClass, DevicePathBuffer* path);

// The maker's USB printer interface (GUID_DEVINTERFACE_USBPRINT).
pf::UniqueFile OpenUsbPrinterDevice();

// The printer's pipe `pipeName` ("PIPE01"), opened for overlapped transfers:
// the interface's device path, "\" and the name. Invalid when the interface
// is not found or the whole path does not fit the buffer.
pf::UniqueFile OpenUsbPrinterPipe(const std::wstring& pipeName);
