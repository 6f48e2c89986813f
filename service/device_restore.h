// Moves the values staged in the printer class key into the printer's device keys.
#pragma once

namespace spoolmate {

void RestoreDeviceKeys();

}  // namespace spoolmate
