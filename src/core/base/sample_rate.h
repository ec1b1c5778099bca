// The one rate of discriminator audio everywhere in the receiver: capture,
// the sample ring, recordings and the synthesizer. One bit at 4800 bit/s is
// exactly ten samples.
#pragma once

namespace vantrel {

inline constexpr int kCaptureSampleRate = 48000;

}  // namespace vantrel
