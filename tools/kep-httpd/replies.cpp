#include "replies.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace kep_httpd {

namespace {

// The body handed out piece by piece, as the rule's mode wants.
struct BodyStream {
  std::string body;
  Mode mode;
  long number;
  StopSignal* stop;
};

constexpr std::size_t kSlowPiece = 1024;

ssize_t read_body(void* cls, std::uint64_t position, char* buffer, std::size_t max) {
  auto* stream = static_cast<BodyStream*>(cls);
  std::size_t end = stream->body.size();
  if (stream->mode == Mode::Cut) end = std::min<std::size_t>(end, stream->number);
  if (position >= end) {
    // A cut reply ends with an error, which makes the server close the connection short of
    // the announced length.
    return stream->mode == Mode::Cut ? MHD_CONTENT_READER_END_WITH_ERROR
                                     : MHD_CONTENT_READER_END_OF_STREAM;
  }
  std::size_t length = std::min<std::size_t>(max, end - position);
  if (stream->mode == Mode::Slow) {
    if (stream->stop->wait_for(std::chrono::milliseconds(stream->number))) {
      return MHD_CONTENT_READER_END_WITH_ERROR;
    }
    length = std::min(length, kSlowPiece);
  }
  std::memcpy(buffer, stream->body.data() + position, length);
  return static_cast<ssize_t>(length);
}

void free_body(void* cls) { delete static_cast<BodyStream*>(cls); }

MHD_Response* buffered(const std::string& body) {
  return MHD_create_response_from_buffer(body.size(), const_cast<char*>(body.data()),
                                         MHD_RESPMEM_MUST_COPY);
}

MHD_Response* streamed(std::string body, const Rule& rule, StopSignal& stop) {
  const std::uint64_t size = rule.mode == Mode::Chunked ? MHD_SIZE_UNKNOWN : body.size();
  auto* stream = new BodyStream{std::move(body), rule.mode, rule.number, &stop};
  const std::size_t block = rule.mode == Mode::Slow ? kSlowPiece : 32 * 1024;
  MHD_Response* response =
      MHD_create_response_from_callback(size, block, read_body, stream, free_body);
  if (!response) delete stream;
  return response;
}

}  // namespace

Reply make_reply(const Rule& rule, std::string body, StopSignal& stop) {
  switch (rule.mode) {
    case Mode::Length:
      return {buffered(body), MHD_HTTP_OK};
    case Mode::Status:
      return {buffered(body), static_cast<unsigned>(rule.number)};
    case Mode::Redirect: {
      Reply reply{buffered(body), MHD_HTTP_FOUND};
      if (reply.response) {
        MHD_add_response_header(reply.response, MHD_HTTP_HEADER_LOCATION, rule.location.c_str());
      }
      return reply;
    }
    case Mode::Chunked:
    case Mode::Slow:
    case Mode::Cut:
      return {streamed(std::move(body), rule, stop), MHD_HTTP_OK};
    case Mode::Never:
      break;
  }
  return {};
}

Reply make_text_reply(unsigned status, const std::string& text) {
  return {buffered(text), status};
}

}  // namespace kep_httpd
