// SDR bands end to end: synthesized bands of several satellites in every IQ
// format, and the real recording, through the band receiver.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <numbers>
#include <sstream>

#include "sdr/differential_demodulator.h"
#include "sdr/sdr_receiver.h"
#include "synth/band_synth.h"
#include "synth/baseband_synth.h"

namespace vantrel {
namespace {

using sdr::IqFormat;
using synth::Packet;

// Feeds the bytes in odd-sized pieces, as a pipe does, cutting samples apart.
std::vector<sdr::SdrPacket> Receive(const std::vector<std::uint8_t>& bytes, IqFormat format,
                                    double rate, std::optional<double> centre = std::nullopt) {
  sdr::SdrReceiver receiver(rate, centre);
  sdr::IqConverter converter(format);
  std::vector<sdr::SdrPacket> packets;
  std::vector<sdr::Complex> samples;
  for (std::size_t at = 0; at < bytes.size(); at += 40093) {
    samples.clear();
    converter.Convert(bytes.data() + at, std::min<std::size_t>(40093, bytes.size() - at), &samples);
    receiver.Push(samples.data(), samples.size());
    for (auto& p : receiver.TakePackets()) packets.push_back(p);
  }
  receiver.Finish();
  for (auto& p : receiver.TakePackets()) packets.push_back(p);
  return packets;
}

// The same for complex float samples, as a float IQ file holds them.
std::vector<sdr::SdrPacket> Receive(const std::vector<sdr::Complex>& iq, double rate) {
  return Receive(synth::EncodeIq(iq, IqFormat::Cf32), IqFormat::Cf32, rate);
}

Packet Bytes(const sdr::SdrPacket& p) {
  return Packet(p.bytes.begin(), p.bytes.begin() + p.length);
}

// How many of the packets received were sent.
int Count(const std::vector<Packet>& sent, const std::vector<sdr::SdrPacket>& got) {
  int found = 0;
  for (const auto& p : got) found += std::count(sent.begin(), sent.end(), Bytes(p)) > 0;
  return found;
}

// The symbol interpolator is exact for a cubic, also across the ring's end.
TEST(SdrBand, SymbolInterpolationIsExactForACubic) {
  const auto f = [](double x) {
    return sdr::Complex(float(x * x * x / 64 - x), float(1 - x * x / 8));
  };
  std::array<sdr::Complex, 8> ring;
  for (int n = 4; n < 12; ++n) ring[static_cast<std::size_t>(n & 7)] = f(n);
  for (const double at : {5.0, 5.25, 6.5, 6.875, 8.9})
    EXPECT_LT(std::abs(sdr::InterpolateRing(ring.data(), 8, at) - f(at)), 1e-4f) << at;
}

TEST(SdrBand, EachSatelliteOfABandDecodesInEveryFormat) {
  struct BandCase {
    IqFormat format;
    double rate;
    std::vector<double> ebN0Db;
  };
  const BandCase cases[] = {
      {IqFormat::Cu8, 1228800.0, {8, 10, 12, 14}},
      {IqFormat::Cs16, 2400000.0, {12, 12}},
      {IqFormat::Cf32, 250000.0, {12}},
  };
  const double channels[] = {-240000, 95000, -75000, 260000};
  const double doppler[] = {3000, -2500, 1200, -3400};
  const double drift[] = {60, -45, 30, -60};
  const int leadIn[] = {40, 7, 230, 100};
  for (const BandCase& c : cases) {
    SCOPED_TRACE(sdr::IqFormatName(c.format));
    std::vector<synth::BandSatellite> satellites;
    std::map<Packet, std::size_t> sender;
    const int count = 160;
    for (std::size_t s = 0; s < c.ebN0Db.size(); ++s) {
      synth::BandSatellite& added = satellites.emplace_back();
      added.channelHz = c.rate > 300000 ? channels[s] : 0.0, added.dopplerHz = doppler[s];
      added.driftHzPerSecond = drift[s], added.ebN0Db = c.ebN0Db[s], added.inverted = s % 2 == 1;
      added.leadInBits = leadIn[s];
      added.packets = synth::DownlinkPackets(10 + int(s), count, 7 + unsigned(s));
      for (const Packet& p : satellites.back().packets) sender[p] = s;
    }
    const auto band = synth::SynthesizeBand(
        satellites, {.sampleRate = c.rate, .seconds = (count * 96 + 300) / 4800.0});
    const auto bytes = synth::EncodeIq(band, c.format);

    std::vector<int> found(satellites.size(), 0);
    int falsePackets = 0;
    std::int64_t last = -1;
    for (const auto& p : Receive(bytes, c.format, c.rate, 137.5e6)) {
      EXPECT_GE(p.sample, last) << "packets out of time order";
      last = p.sample;
      const auto it = sender.find(Bytes(p));
      if (it == sender.end()) {
        ++falsePackets;
        continue;
      }
      ++found[it->second];
      const auto& sat = satellites[it->second];
      ASSERT_TRUE(p.source.carrierHz);
      ASSERT_TRUE(p.source.carrierIsAbsolute);
      // Once the tracking has settled, the carrier follows its drift within 150 Hz.
      const double t = static_cast<double>(p.sample) / c.rate;
      const double expected = 137.5e6 + sat.channelHz + sat.dopplerHz + sat.driftHzPerSecond * t;
      if (t > 0.3) {
        EXPECT_NEAR(*p.source.carrierHz, expected, 150.0) << "satellite " << it->second;
      }
      EXPECT_EQ(p.source.polarity, sat.inverted ? 1 : 0);
      EXPECT_EQ(p.source.demodulator, DemodulatorKind::Sdr);
    }
    for (std::size_t s = 0; s < satellites.size(); ++s) {
      EXPECT_GE(found[s], count * 95 / 100) << "satellite " << s << " at " << c.ebN0Db[s] << " dB";
    }
    EXPECT_LE(falsePackets, 3);
  }
}

// A satellite that has set: its channel closes once it has been quiet a while.
TEST(SdrBand, ASatelliteThatHasSetLosesItsChannel) {
  sdr::SdrReceiver receiver(48000.0, std::nullopt);
  const auto band = synth::SynthesizeBand(
      {{.channelHz = 5000, .ebN0Db = 14, .packets = synth::DownlinkPackets(12, 20, 3)}},
      {.sampleRate = 48000, .seconds = 17});
  receiver.Push(band.data(), 48000);
  EXPECT_EQ(receiver.spectrum().channels.size(), 1u);
  receiver.Push(band.data() + 48000, band.size() - 48000);
  EXPECT_TRUE(receiver.spectrum().channels.empty());
}

// One satellite sets and another rises on the same downlink channel with
// its Doppler shift 4.5 kHz away: beyond the carrier loop's own pull-in,
// the channel follows the carrier's hump.
TEST(SdrBand, AChannelFollowsItsCarrierAcrossTheDopplerRange) {
  const auto setting = synth::DownlinkPackets(12, 40, 5),
             rising = synth::DownlinkPackets(20, 100, 6);
  synth::BandSatellite rise{.channelHz = 5000, .dopplerHz = 2000, .packets = rising};
  rise.driftHzPerSecond = 100, rise.ebN0Db = 14, rise.inverted = true;
  rise.leadInBits = 40 * 96 + 500;  // after the other has set
  const auto band = synth::SynthesizeBand(
      {{.channelHz = 5000, .dopplerHz = -2500, .ebN0Db = 14, .packets = setting}, rise},
      {.sampleRate = 48000, .seconds = 3.0});
  EXPECT_GE(Count(rising, Receive(band, 48000)), 90);
}

// A band crowded with carriers opens channels for the strongest 64 only.
TEST(SdrBand, ChannelsAreCappedStrongestFirst) {
  std::vector<synth::BandSatellite> crowd;
  for (int k = 0; k < 70; ++k) {
    crowd.push_back({.channelHz = -525000.0 + 15000.0 * k,
                     .ebN0Db = k == 69 ? 30.0 : 10.0,
                     .packets = synth::DownlinkPackets(1 + k % 36, 3, std::uint32_t(k))});
  }
  const auto band = synth::SynthesizeBand(crowd, {.sampleRate = 1228800.0, .seconds = 0.55});
  sdr::SdrReceiver receiver(1228800.0, std::nullopt);
  receiver.Push(band.data(), band.size());
  const auto& channels = receiver.spectrum().channels;
  ASSERT_EQ(channels.size(), 64u);
  EXPECT_TRUE(std::any_of(channels.begin(), channels.end(), [](const auto& c) {
    return std::abs(c.carrierHz - 510000.0) < 3000.0;
  })) << "the strongest carrier has no channel";
}

std::vector<std::string> Hex(const std::vector<sdr::SdrPacket>& packets) {
  std::vector<std::string> got;
  for (const auto& p : packets) {
    std::ostringstream hex;
    for (const std::uint8_t b : Bytes(p))
      hex << std::uppercase << std::hex << (b < 16 ? "0" : "") << int(b);
    got.push_back(hex.str());
  }
  return got;
}

// Both real passes as recorded, and moved across the Doppler range of a
// narrow recording (folding over its edge at +4.5 kHz); the 2019 one sends
// today's types and FM-44 back to back.
TEST(SdrBand, RealRecordingsGiveAllTheirPacketsAnywhereInTheBand) {
  const std::string dir = std::string(std::getenv("VANTREL_SOURCE_DIR")) + "/recordings/";
  for (const std::string pass : {"pass-21cma", "pass-2019"}) {
    std::ifstream recording(dir + pass + "-9600.cf32", std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(recording), {}};
    ASSERT_FALSE(bytes.empty()) << pass;
    std::ifstream list(dir + pass + ".packets");
    const std::vector<std::string> expected{std::istream_iterator<std::string>(list), {}};
    // A stray byte at the end (a cut recording) is dropped.
    auto cut = bytes;
    cut.push_back(0x7F);
    EXPECT_EQ(Hex(Receive(cut, IqFormat::Cf32, 9600.0)), expected) << pass;

    std::vector<sdr::Complex> iq;
    sdr::IqConverter(IqFormat::Cf32).Convert(bytes.data(), bytes.size(), &iq);
    for (const double shift : {-3500.0, 2500.0, 4500.0}) {
      std::vector<sdr::Complex> moved(iq.size());
      for (std::size_t n = 0; n < iq.size(); ++n)
        moved[n] =
            iq[n] * std::polar(1.0f, float(2 * std::numbers::pi * shift * double(n) / 9600.0));
      EXPECT_EQ(Hex(Receive(moved, 9600.0)), expected) << pass << " " << shift;
    }
  }
}

// Root-raised-cosine downlinks in narrow IQ: found wherever they lie and
// however they drift, and found again when the carrier comes back elsewhere
// after a pause (a fade, a receiver retuned).
TEST(SdrBand, ANarrowRecordingsDownlinkIsFoundAndRefoundAnywhere) {
  const auto downlink = [](double hz, double drift, int fm) {
    synth::BasebandOptions o{.sampleRate = 9600, .ebN0Db = 12, .carrierHz = hz};
    o.driftHzPerSecond = drift, o.leadInBits = 200, o.seed = static_cast<std::uint32_t>(fm);
    o.shape = synth::PulseShape::RootRaisedCosine;
    const auto packets = synth::DownlinkPackets(fm, 100, fm);
    return std::pair(packets, synth::ModulateBaseband(packets, o));
  };
  for (const auto& [hz, drift] : {std::pair(-4200.0, 100.0), {3300.0, -100.0}, {4600.0, 100.0}}) {
    const auto [sent, iq] = downlink(hz, drift, 7);
    EXPECT_GE(Count(sent, Receive(iq, 9600.0)), 98) << hz;
  }

  const auto [first, a] = downlink(2000.0, 0.0, 11);
  const auto [second, b] = downlink(-3000.0, 0.0, 12);
  std::vector<sdr::Complex> iq(a.begin(), a.end());
  const auto quiet =
      synth::ModulateBaseband({}, {.sampleRate = 9600, .ebN0Db = 12, .leadInBits = 9600});
  for (const auto& x : quiet) iq.push_back(x - sdr::Complex(1, 0));
  iq.insert(iq.end(), b.begin(), b.end());
  const auto got = Receive(iq, 9600.0);
  EXPECT_GE(Count(first, got), 98);
  EXPECT_GE(Count(second, got), 98);
  // Nothing twice (the new channel replays blocks the lost one saw), nothing false.
  EXPECT_EQ(Count(first, got) + Count(second, got), static_cast<int>(got.size()));
}

}  // namespace
}  // namespace vantrel
