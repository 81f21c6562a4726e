// The wire format of message ports. A message (request, reply, or "no reply") travels as one or
// more packets on a SOCK_SEQPACKET connection, each a fixed header followed by a chunk of the
// payload. Every integer is little-endian.
//
//   offset size field
//        0    4 magic "KEPM"
//        4    1 version (1)
//        5    1 kind: 1 request, 2 reply, 3 no reply (the handler gave no data)
//        6    2 flags: bit 0 on a request: the sender waits for a reply
//        8    4 message id (signed)
//       12    4 sequence number, echoed by the reply
//       16    4 total payload length of the message
//       20    4 offset of this chunk in the payload
//       24    4 length of this chunk; must equal the packet length less the header
//
// Chunks of one message arrive in order, back to back; a message of no payload is one packet
// with an empty chunk. A packet whose lengths do not add up ends the connection.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::ports {

// Largest payload a request may carry; larger ones are refused by sender and receiver.
inline constexpr std::size_t kMaxPayload = 1024 * 1024;
// A reply may be this much larger than the largest request, so that a service can put a
// status or header in front of an answer as long as the request (the converter's "000:").
inline constexpr std::size_t kReplyHeadroom = 4 * 1024;
inline constexpr std::size_t kMaxReplyPayload = kMaxPayload + kReplyHeadroom;
inline constexpr std::size_t kFrameHeaderSize = 28;
// Packets stay well below the smallest socket buffer a SEQPACKET send must fit in.
inline constexpr std::size_t kMaxPacket = 32 * 1024;
inline constexpr std::size_t kMaxChunk = kMaxPacket - kFrameHeaderSize;

enum class FrameKind : std::uint8_t { Request = 1, Reply = 2, NoReply = 3 };
inline constexpr std::uint16_t kFlagWantsReply = 1;

// Largest payload a message of `kind` may carry.
constexpr std::size_t max_payload(FrameKind kind) {
  return kind == FrameKind::Request ? kMaxPayload : kMaxReplyPayload;
}

struct Message {
  FrameKind kind = FrameKind::Request;
  std::uint16_t flags = 0;
  std::int32_t id = 0;
  std::uint32_t sequence = 0;
  std::string payload;
};

// The packets of a message. The payload must be at most max_payload(message.kind) bytes.
std::vector<std::string> encode_message(const Message& message);

// Puts a message back together from its packets.
class MessageAssembler {
 public:
  enum class Result { Incomplete, Complete, Malformed };

  // Takes the next packet; on Complete, take() hands out the message. After Malformed the
  // connection is no longer trustworthy and should be closed.
  Result feed(std::string_view packet);
  Message take();

 private:
  bool in_progress_ = false;
  Message current_;
  std::uint32_t total_ = 0;
};

}  // namespace platform::ports
