// The document's side of interpretation: the interpreter reads the packet,
// the document posts its line to the message ring, the decoding call's
// lines and the decoded log, and tells the raw log and the packet listener
// about an accepted packet.
#include <cstdio>

#include "document/vantrel_doc.h"

namespace vantrel {

PacketOutcome VantrelDoc::InterpretPacket(const std::uint8_t* packet, const PacketSource& source) {
  messages_.StartPacket();
  packetSource = source;
  const CTime now = clock().Now();
  const Interpretation result = interpreter_.InterpretPacket(packet, now);
  if (result.line) PostLine(*result.line);
  if (result.outcome == PacketOutcome::Accepted) {
    WriteRawRecord(packet, result.length);
    NotifyAccepted(packet, result.length, now);
  }
  return result.outcome;
}

void VantrelDoc::PostLine(const std::string& line) {
  messages_.Push(line);
  if (postedLines_ != nullptr) postedLines_->push_back(line);
  if (logFlag) WriteLog(line);
}

void VantrelDoc::WriteLog(const std::string& line) {
  logs_.WriteLine(logDirectory, logDirectory == defaultLogDirectory, line, clock());
}

void VantrelDoc::WriteRawLog(const std::string& text) {
  logs_.WriteRaw(logDirectory, logDirectory == defaultLogDirectory, text, clock());
}

void VantrelDoc::WriteRawRecord(const std::uint8_t* packet, int length) {
  if (!rawFlag) return;
  std::string text;
  char hex[4];
  for (int i = 0; i < length; ++i) {
    std::snprintf(hex, sizeof hex, "%02X ", packet[i]);
    text += hex;
  }
  WriteRawLog(text);
}

void VantrelDoc::NotifyAccepted(const std::uint8_t* packet, int length, CTime time) {
  if (packetListener == nullptr) return;
  AcceptedPacket accepted{packet, length, messages_.Posted(), time, packetSource};
  packetListener->OnPacket(accepted);
}

}  // namespace vantrel
