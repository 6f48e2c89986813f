// tq_usbprinter.exe run by a Wine test: started from the folder of the test
// program, watched through its state file, ended by the test.
#pragma once

#include <string>
#include <vector>

namespace winetest {

class PretendPrinterProcess {
 public:
  PretendPrinterProcess();
  PretendPrinterProcess(const PretendPrinterProcess&) = delete;
  PretendPrinterProcess& operator=(const PretendPrinterProcess&) = delete;
  ~PretendPrinterProcess() { Stop(); }

  // Starts it with these further arguments and waits until it is ready;
  // false with the reason in error otherwise.
  bool Start(const std::wstring& arguments, std::string* error);
  // Ends it (the test started it, so the test ends it) and waits for its end.
  void Stop();

  // The lines of its state file so far.
  std::vector<std::string> StateLines() const;
  // Polls the state file for a line, for at most timeoutMs.
  bool WaitForLine(const std::string& line, unsigned timeoutMs = 10000) const;

 private:
  std::wstring stateFile_;
  void* process_ = nullptr;
};

}  // namespace winetest
