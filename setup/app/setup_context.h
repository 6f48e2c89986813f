// SetupContext: the one program-wide object of setup. It carries the fixed
// product texts, the driver identity read from the INF and the detection
// results, and lives for the whole process.
#pragma once

#include <cstdint>
#include <string>

struct SetupContext {
  std::int32_t queryFailures = 0;  // failed USB model queries
  std::wstring companyNameCn = L"朗明";
  std::wstring modelOverride;  // replaces the detected name when not empty
  std::wstring companyName = L"TAVIR";
  std::wstring seriesPrefix = L"TQ";
  std::wstring productWord = L"PRINTER";
  std::wstring infBaseName = L"TQPRINTER";
  std::wstring deviceDescription;
  std::wstring driverModel;
  std::wstring modelName;
  std::wstring usbPortName;
  std::wstring portKind = L"USB";  // "USB" or "LPT"
  std::wstring brandKey = L"TQMM";
  std::wstring lptHardwareId;
  std::wstring usbHardwareId;
};

// Gives the context the fixed values of start-up; the other fields are left alone.
inline void ApplyFixedValues(SetupContext* context) {
  context->companyNameCn = L"朗明";
  context->modelOverride.clear();
  context->brandKey = L"TQMM";
  context->companyName = L"TAVIR";
  context->seriesPrefix = L"TQ";
  context->productWord = L"PRINTER";
  context->infBaseName = L"TQPRINTER";
  context->portKind = L"USB";
}
