// Packet interpretation on any packet that passes the check: the first byte
// of the input picks the filters, the second the log, raw and clock options,
// the rest are the packet's bytes (a type byte that is not a packet type is
// mapped onto one, and the two check bytes are filled in, as only checked
// packets of known types reach interpretation).
//
// Checked after each packet: an abandoned packet leaves no line and no raw
// record, the satellite table's record 0 is never written, every line posted
// reaches the log file whole, and the message ring's head stays in range.
#include <filesystem>
#include <system_error>

#include "base/packet_types.h"
#include "document/vantrel_doc.h"
#include "fuzz_support.h"
#include "synth/packet_builder.h"

using vantrel::fuzz::Check;

namespace {

using vantrel::VantrelDoc;
namespace fs = std::filesystem;

constexpr std::uint8_t kTypes[8] = {0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x22, 0x65};

std::uintmax_t SizeOf(const fs::path& path) {
  std::error_code error;
  const auto size = fs::file_size(path, error);
  return error ? 0 : size;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  static int runs = 0;
  if (++runs % 512 == 0) vantrel::fuzz::ClearScratchDirectory();

  const std::uint8_t filterMask = data[0];
  const std::uint8_t options = data[1];
  std::uint8_t type = data[2];
  // Half of the other type bytes stay as they are (packets taken back to back).
  if (!vantrel::IsPacketType(type) && (type & 0x80) != 0) type = kTypes[type % 8];
  const int length = vantrel::PacketLength(type);
  vantrel::synth::Packet bytes(static_cast<std::size_t>(length - 2), 0);
  bytes[0] = type;
  for (std::size_t i = 1; i < bytes.size() && i + 2 < size; ++i) bytes[i] = data[i + 2];
  const vantrel::synth::Packet packet = vantrel::synth::WithChecksum(bytes);
  Check(vantrel::PacketChecksum(packet.data(), length) == 0, "packet builder made a bad check");

  // A day from 2007 onwards, picked by the options byte.
  vantrel::HeldClock clock(1178964672 + options * 86400 * 7);
  VantrelDoc doc(clock, vantrel::fuzz::ScratchDirectory());
  doc.logDirectory = vantrel::fuzz::ScratchDirectory();
  auto& filters = doc.interpreter().filters();
  for (int i = 0; i < vantrel::kFilterCount; ++i) filters[i] = (filterMask >> (i % 8)) & 1;
  doc.logFlag = options & 1;
  doc.rawFlag = (options >> 1) & 1;

  const std::string day = vantrel::FormatUtc(clock.Now(), "%y%m%d");
  const fs::path log = doc.logDirectory + "orbcomm" + day + ".log";
  const fs::path raw = doc.logDirectory + "orbcomm_raw" + day + ".log";
  const auto logBefore = SizeOf(log), rawBefore = SizeOf(raw);

  const auto outcome = doc.InterpretPacket(packet.data(), {});

  const auto lines = doc.MessagesInArrivalOrder();
  Check(doc.messageRing().head() >= 0 && doc.messageRing().head() < vantrel::MessageRing::kSize,
        "head out of range");
  Check(lines.size() <= 1, "more than one line for one packet");
  const vantrel::SatelliteRecord& none = doc.interpreter().satellites()[0];
  Check(none.frequency == 0.0 && none.positionTime == 0, "satellite record 0 written");
  if (outcome == vantrel::PacketOutcome::Abandoned) {
    Check(lines.empty(), "abandoned packet posted a line");
    Check(SizeOf(raw) == rawBefore, "abandoned packet wrote a raw record");
  } else if (doc.rawFlag) {
    // "XX " per byte, a space and the bracketed stamp, CR LF; a good sync
    // word also opens a paragraph.
    const auto grown = SizeOf(raw) - rawBefore;
    Check(grown == static_cast<std::uintmax_t>(length) * 3 + 22 ||
              grown == static_cast<std::uintmax_t>(length) * 3 + 24,
          "raw record of the wrong size");
  }
  if (doc.logFlag && !lines.empty()) {
    // The line, a 19-character stamp, CR LF.
    Check(SizeOf(log) - logBefore == lines[0].size() + 21, "log record of the wrong size");
  }
  return 0;
}
