#include "platform/port_frame.h"

#include <gtest/gtest.h>

namespace platform::ports {
namespace {

std::string payload_of_size(std::size_t size) {
  std::string payload(size, '\0');
  for (std::size_t i = 0; i < size; ++i) payload[i] = static_cast<char>((i * 31) ^ (i >> 9));
  return payload;
}

void set_u32(std::string& packet, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) packet[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

TEST(PortFrameTest, MessagesSurviveSplittingIntoPackets) {
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, kMaxChunk, kMaxChunk + 1,
                           2 * kMaxChunk + 5, kMaxPayload}) {
    Message sent{FrameKind::Reply, 0, -7, 42, payload_of_size(size)};
    auto packets = encode_message(sent);
    EXPECT_EQ(packets.size(), size == 0 ? 1 : (size + kMaxChunk - 1) / kMaxChunk) << size;
    MessageAssembler assembler;
    for (std::size_t i = 0; i < packets.size(); ++i) {
      EXPECT_LE(packets[i].size(), kMaxPacket);
      auto expected = i + 1 == packets.size() ? MessageAssembler::Result::Complete
                                              : MessageAssembler::Result::Incomplete;
      ASSERT_EQ(assembler.feed(packets[i]), expected) << size << " packet " << i;
    }
    Message received = assembler.take();
    EXPECT_EQ(received.kind, FrameKind::Reply);
    EXPECT_EQ(received.id, -7);
    EXPECT_EQ(received.sequence, 42u);
    EXPECT_EQ(received.payload, sent.payload) << size;
  }
}

TEST(PortFrameTest, PacketsWhoseFieldsDoNotAddUpAreRefused) {
  const std::string good = encode_message(Message{FrameKind::Request, 1, 100, 1, "abcdef"}).front();
  struct Case {
    const char* what;
    std::string packet;
  };
  auto edited = [&](auto edit) {
    std::string packet = good;
    edit(packet);
    return packet;
  };
  const Case cases[] = {
      {"shorter than a header", good.substr(0, kFrameHeaderSize - 1)},
      {"wrong magic", edited([](std::string& p) { p[0] = 'X'; })},
      {"unknown version", edited([](std::string& p) { p[4] = 2; })},
      {"kind zero", edited([](std::string& p) { p[5] = 0; })},
      {"kind four", edited([](std::string& p) { p[5] = 4; })},
      {"chunk longer than the packet", edited([](std::string& p) { p.pop_back(); })},
      {"chunk shorter than the packet", edited([](std::string& p) { p.push_back('z'); })},
      {"total above the limit",
       edited([](std::string& p) { set_u32(p, 16, static_cast<std::uint32_t>(kMaxPayload + 1)); })},
      {"chunk past the total", edited([](std::string& p) { set_u32(p, 16, 3); })},
      {"first chunk not at offset 0",
       edited([](std::string& p) { set_u32(p, 16, 12); set_u32(p, 20, 6); })},
      {"no-reply carrying data", edited([](std::string& p) { p[5] = 3; })},
      {"empty chunk of a non-empty message",
       edited([](std::string& p) { p.resize(kFrameHeaderSize); set_u32(p, 24, 0); })},
  };
  for (const Case& c : cases) {
    MessageAssembler assembler;
    EXPECT_EQ(assembler.feed(c.packet), MessageAssembler::Result::Malformed) << c.what;
  }
}

TEST(PortFrameTest, RepliesMayExceedTheLargestRequestByTheHeadroom) {
  struct Case {
    FrameKind kind;
    std::size_t total;
    MessageAssembler::Result expected;
  };
  const Case cases[] = {
      {FrameKind::Request, kMaxPayload, MessageAssembler::Result::Incomplete},
      {FrameKind::Request, kMaxPayload + 1, MessageAssembler::Result::Malformed},
      {FrameKind::Reply, kMaxReplyPayload, MessageAssembler::Result::Incomplete},
      {FrameKind::Reply, kMaxReplyPayload + 1, MessageAssembler::Result::Malformed},
  };
  for (const Case& c : cases) {
    std::string first = encode_message(Message{c.kind, 0, 1, 1, payload_of_size(kMaxChunk)}).front();
    set_u32(first, 16, static_cast<std::uint32_t>(c.total));
    MessageAssembler assembler;
    EXPECT_EQ(assembler.feed(first), c.expected) << static_cast<int>(c.kind) << " " << c.total;
  }
  // A whole reply of the largest size goes through.
  Message sent{FrameKind::Reply, 0, 1, 1, payload_of_size(kMaxReplyPayload)};
  MessageAssembler assembler;
  MessageAssembler::Result last = MessageAssembler::Result::Malformed;
  for (const std::string& packet : encode_message(sent)) last = assembler.feed(packet);
  ASSERT_EQ(last, MessageAssembler::Result::Complete);
  EXPECT_EQ(assembler.take().payload, sent.payload);
}

TEST(PortFrameTest, ContinuationMustFollowItsMessage) {
  Message sent{FrameKind::Request, 0, 9, 3, payload_of_size(kMaxChunk * 2 + 1)};
  auto packets = encode_message(sent);
  ASSERT_EQ(packets.size(), 3u);
  struct Case {
    const char* what;
    std::size_t second;            // which packet to feed after the first
    std::size_t at;                // field to change in it (0: none)
    std::uint32_t value;
  };
  const Case cases[] = {
      {"skips a chunk", 2, 0, 0},
      {"other id", 1, 8, 10},
      {"other sequence", 1, 12, 4},
      {"other total", 1, 16, static_cast<std::uint32_t>(kMaxChunk * 3)},
  };
  for (const Case& c : cases) {
    MessageAssembler assembler;
    ASSERT_EQ(assembler.feed(packets[0]), MessageAssembler::Result::Incomplete);
    std::string next = packets[c.second];
    if (c.at != 0) set_u32(next, c.at, c.value);
    EXPECT_EQ(assembler.feed(next), MessageAssembler::Result::Malformed) << c.what;
  }
}

}  // namespace
}  // namespace platform::ports
