// SDR receivers as a source of band samples for the desktop program: the
// tuning the user chose, the receivers that can be opened, and the reader
// that hands over the samples of an opened one.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sdr/iq_format.h"

namespace vantrel::sdr {

// Options > SDR. A sample rate of 1.2288 Msps covers every downlink
// between 137.2 and 137.8 MHz around the default centre.
struct SdrTuning {
  double centreHz = 137.5e6;
  double sampleRate = 1228800.0;
  int autoGain = 1;      // the receiver's own gain control
  double gainDb = 30.0;  // used when autoGain is 0
  // SoapySDR device arguments ("driver=rtlsdr,serial=0001") that pick the
  // receivers offered; empty offers every receiver found.
  std::string device;
  // The receiver's frequency error in parts per million: positive when its
  // oscillator runs fast (it then names each carrier too low).
  double ppm = 0.0;
};

// Samples of one opened receiver. Read is called on the band thread only
// and must return within about half a second, so that a stop is never
// held up by a receiver that has nothing to give.
class BandReader {
 public:
  enum class Result { Samples, Idle, End, Failed };

  virtual ~BandReader() = default;
  virtual double sampleRate() const = 0;
  // The receiver's tuning; none for a recording made without one.
  virtual std::optional<double> centreHz() const = 0;
  // Samples: *out holds new samples. Idle: none yet. End: the recording is
  // over. Failed: the receiver failed; *error says why in a few words.
  virtual Result Read(std::vector<Complex>* out, std::string* error) = 0;
};

// A receiver offered in Options > SDR: its name and device arguments.
struct ReceiverChoice {
  std::string name;
  std::string arguments;
};

class SdrInput {
 public:
  virtual ~SdrInput() = default;

  // Looks for the receivers matching SoapySDR device arguments (empty: all)
  // again; DeviceCount and DeviceName then describe what was found.
  virtual void Find(const std::string& arguments) { (void)arguments; }
  virtual int DeviceCount() const = 0;
  virtual std::string DeviceName(int device) const = 0;
  // The device arguments that pick the receiver; empty for a recording.
  virtual std::string DeviceArguments(int device) const {
    (void)device;
    return {};
  }
  // Opens the receiver at the tuning; null with *error set when it cannot.
  // A recording plays at its own rate and centre, whatever the tuning says.
  virtual std::unique_ptr<BandReader> Open(int device, const SdrTuning& tuning,
                                           std::string* error) = 0;
};

}  // namespace vantrel::sdr
