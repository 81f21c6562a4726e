#include "platform/port_frame.h"

#include <algorithm>
#include <utility>

namespace platform::ports {

namespace {

constexpr char kMagic[4] = {'K', 'E', 'P', 'M'};
constexpr std::uint8_t kVersion = 1;

void put_u16(std::string& out, std::uint16_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8));
}

void put_u32(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

std::uint32_t get_u32(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

std::uint16_t get_u16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

struct Header {
  FrameKind kind;
  std::uint16_t flags;
  std::int32_t id;
  std::uint32_t sequence;
  std::uint32_t total;
  std::uint32_t offset;
  std::uint32_t chunk;
};

bool parse_header(std::string_view packet, Header& header) {
  if (packet.size() < kFrameHeaderSize || packet.size() > kMaxPacket) return false;
  if (packet.substr(0, 4) != std::string_view(kMagic, 4)) return false;
  if (static_cast<std::uint8_t>(packet[4]) != kVersion) return false;
  auto kind = static_cast<std::uint8_t>(packet[5]);
  if (kind < 1 || kind > 3) return false;
  header.kind = static_cast<FrameKind>(kind);
  header.flags = get_u16(packet, 6);
  header.id = static_cast<std::int32_t>(get_u32(packet, 8));
  header.sequence = get_u32(packet, 12);
  header.total = get_u32(packet, 16);
  header.offset = get_u32(packet, 20);
  header.chunk = get_u32(packet, 24);
  if (header.chunk != packet.size() - kFrameHeaderSize) return false;
  if (header.total > max_payload(header.kind)) return false;
  if (header.offset > header.total || header.chunk > header.total - header.offset) return false;
  // An empty chunk carries nothing; it is allowed only as the whole of an empty message, so a
  // peer cannot keep a message open forever.
  if (header.chunk == 0 && header.total != 0) return false;
  if (header.kind == FrameKind::NoReply && header.total != 0) return false;
  return true;
}

}  // namespace

std::vector<std::string> encode_message(const Message& message) {
  std::vector<std::string> packets;
  const std::string& payload = message.payload;
  std::size_t offset = 0;
  do {
    std::size_t chunk = std::min(kMaxChunk, payload.size() - offset);
    std::string packet;
    packet.reserve(kFrameHeaderSize + chunk);
    packet.append(kMagic, 4);
    packet.push_back(static_cast<char>(kVersion));
    packet.push_back(static_cast<char>(message.kind));
    put_u16(packet, message.flags);
    put_u32(packet, static_cast<std::uint32_t>(message.id));
    put_u32(packet, message.sequence);
    put_u32(packet, static_cast<std::uint32_t>(payload.size()));
    put_u32(packet, static_cast<std::uint32_t>(offset));
    put_u32(packet, static_cast<std::uint32_t>(chunk));
    packet.append(payload, offset, chunk);
    packets.push_back(std::move(packet));
    offset += chunk;
  } while (offset < payload.size());
  return packets;
}

MessageAssembler::Result MessageAssembler::feed(std::string_view packet) {
  Header header{};
  if (!parse_header(packet, header)) return Result::Malformed;
  if (!in_progress_) {
    if (header.offset != 0) return Result::Malformed;
    current_ = Message{header.kind, header.flags, header.id, header.sequence, {}};
    current_.payload.reserve(header.total);
    total_ = header.total;
    in_progress_ = true;
  } else if (header.kind != current_.kind || header.id != current_.id ||
             header.sequence != current_.sequence || header.total != total_ ||
             header.offset != current_.payload.size()) {
    return Result::Malformed;
  }
  current_.payload.append(packet.substr(kFrameHeaderSize));
  if (current_.payload.size() < total_) return Result::Incomplete;
  in_progress_ = false;
  return Result::Complete;
}

Message MessageAssembler::take() { return std::move(current_); }

}  // namespace platform::ports
