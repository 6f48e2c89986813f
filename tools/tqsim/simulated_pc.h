// The simulated PC of a run, made as the scenario describes it: setup.exe in
// its folder with the installation's files and the compiled resources, the
// registry seeds, the Windows version, the input locale, the clock (its start
// and timer), the common program files folder, the maker's USB printers on
// the clock, the printers that
// exist, the print UI's behaviour, Spoolmate as the service program, and
// the faults (set last, so that their counts start with setup).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_print_ui.h"
#include "platform/sim/sim_usb_printer.h"
#include "tools/tqsim/scenario.h"

namespace tqsim {

class SimulatedPc {
 public:
  SimulatedPc(const Scenario& scenario, const std::vector<std::uint8_t>& resources);
  SimulatedPc(const SimulatedPc&) = delete;
  SimulatedPc& operator=(const SimulatedPc&) = delete;

  pf::sim::SimPc& pc() { return pc_; }
  const pf::sim::SimPrintUi& printUi() const { return printUi_; }
  pf::sim::SimPrintUi& printUi() { return printUi_; }
  const std::vector<std::shared_ptr<pf::sim::SimUsbPrinter>>& usbPrinters() const { return usbPrinters_; }

 private:
  pf::sim::SimPc pc_;
  pf::sim::SimPrintUi printUi_;
  std::vector<std::shared_ptr<pf::sim::SimUsbPrinter>> usbPrinters_;
};

}  // namespace tqsim
