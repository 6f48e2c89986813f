// Device key provisioning: the printer class values, a new driver instance
// subkey and the values staged in the class key for Spoolmate to move into
// the printer's device key.
#pragma once

#include <string>

#include "setup/app/setup_context.h"

void ProvisionUsbDeviceKeys(const SetupContext& context, const std::wstring& hardwareId);
void ProvisionLptDeviceKeys(const SetupContext& context, const std::wstring& hardwareId);

// Every staged value's name.
extern const wchar_t* const kStagedValueNames[9];

// Whether staged values are still in the printer class key, which the helper
// service takes them out of when it stops; true also when the key cannot be
// read, since they may then be there.
bool StagedValuesLeft();
