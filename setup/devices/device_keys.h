// Device key provisioning: the printer class values, a new driver instance
// subkey and the values staged in the class key for Spoolmate to move into
// the printer's device key.
#pragma once

#include <string>

#include "setup/app/setup_context.h"

void ProvisionUsbDeviceKeys(const SetupContext& context, const std::wstring& hardwareId);
void ProvisionLptDeviceKeys(const SetupContext& context, const std::wstring& hardwareId);
