// What interpretation answers a demodulator for each checked packet it hands
// up: accepted (the demodulator skips the packet's bits and looks for the
// next one right after it) or abandoned.
#pragma once

namespace vantrel {

enum class PacketOutcome { Accepted, Abandoned };

}  // namespace vantrel
