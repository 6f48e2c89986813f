// Asking one of the maker's USB printers for its model: a fixed seven-byte
// request written to the printer's pipe "PIPE01", the reply read back from it
// and cut into a model name and a code byte.
//
// Each pipe operation finds and opens the pipe and the device anew, makes one
// transfer with a wait of at most a second, and closes both. A transfer still
// pending after its wait is cancelled and waited for before its buffer and
// OVERLAPPED record go away.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/types.h"
#include "setup/app/report.h"

// Status texts of the pipe operations; a status counts as success when it
// contains "ok".
inline constexpr wchar_t kPipeStatusOk[] = L"/ok/";
inline constexpr wchar_t kPipeStatusUsbError[] = L"/error/|/usb/";        // failed or too few bytes
inline constexpr wchar_t kPipeStatusOpenError[] = L"/error/|/read_usb_data/";  // pipe or device did not open
bool IsPipeStatusOk(const std::wstring& status);

// The model request: ESC "|" 0x81 0x81 0x01 0x00 0x02.
inline constexpr std::array<pf::BYTE, 7> kModelRequest = {0x1B, 0x7C, 0x81, 0x81, 0x01, 0x00, 0x02};
// Bytes asked for by a read.
inline constexpr pf::DWORD kPipeReadSize = 64;

// Writes `count` bytes to the pipe. A write that completes later succeeds
// only when it wrote exactly 7 bytes; one that fails at once is followed by
// the device control 0x00220008.
std::wstring UsbPipeWrite(const pf::BYTE* bytes, std::uint16_t count);
// Reads up to 64 bytes into `buffer` (at least 64 bytes long). A read that
// completes later succeeds only with more than 10 bytes.
std::wstring UsbPipeRead(pf::BYTE* buffer);

// The reply buffer: 255 bytes, zeroed before the read.
using ModelReplyBuffer = std::array<pf::BYTE, 255>;

struct ModelReply {
  bool terminated = false;  // a zero byte ends the reply at index 3, or within 4..25
  std::wstring model;       // bytes 3 .. end - 2, one character per byte
  std::uint32_t code = 0;   // the byte before the end
};
// Cuts a reply into model and code; reads nothing beyond index 25.
ModelReply ParseModelReply(const ModelReplyBuffer& reply);

// The model-query failure text, the model and the code given for a reply
// without its end.
inline constexpr wchar_t kModelQueryFailedText[] = L"未能获取机器型号！";
inline constexpr wchar_t kUnknownModel[] = L"Unknown";
inline constexpr std::uint32_t kUnterminatedReplyCode = 80;

// Sends the request, waits 50 ms, reads the reply and parses it. True when
// the printer answered; a reply without its end is still an answer, shown to
// the user as kModelQueryFailedText (through report), with the model
// "Unknown" and code 80.
bool QueryUsbModel(std::wstring* model, std::uint32_t* code, Report& report = TheStandardBoxes());
