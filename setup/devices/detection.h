// Detection, the sequence the detection page runs on every activation and
// the quiet install runs once: up to three seconds of waiting for Windows to
// record a USB printer, its identification, or else the parallel-port scan
// and the driver's model name. It writes modelName (and, for a USB printer,
// usbPortName and deviceDescription) to SetupContext and tells its view what
// it is doing; the view decides how that looks and how the half-second
// pauses pass (the page dispatches window messages meanwhile).
#pragma once

#include "platform/types.h"
#include "setup/app/report.h"
#include "setup/app/setup_context.h"

class DetectionView : public Report {
 public:
  // Still waiting for a USB printer; dots counts from 0 to 10 and starts
  // again, one more at every look.
  virtual void ShowWaiting(unsigned dots) = 0;
  // The pause between two looks.
  virtual void Pause(pf::DWORD milliseconds) = 0;
  // The outcome: a USB printer found and identified, or not.
  virtual void ShowFound(bool usbPrinter) = 0;
};

enum class Detected {
  kUsbPrinter,              // a USB printer found and identified: modelName is its model
  kUnidentifiedUsbPrinter,  // one recorded, but not identified
  kNoUsbPrinter,            // none recorded within the three seconds
};
// Without an identified USB printer, modelName is the model of the one
// driverless parallel-port printer of the series, or the INF's model, or
// modelOverride.
Detected DetectPrinter(SetupContext& context, DetectionView& view);
