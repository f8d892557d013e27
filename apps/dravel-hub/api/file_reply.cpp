#include "apps/dravel-hub/api/file_reply.h"

#include <algorithm>
#include <cassert>
#include <cctype>

namespace dravel::hub {
namespace {

// The characters a UTF-8 file name may carry as themselves; every other
// byte is percent-encoded.
bool NameCharacter(unsigned char c) {
  return std::isalnum(c) ||
         std::string_view("!#$&+-.^_`|~").find(char(c)) != std::string_view::npos;
}

std::string PercentEncoded(std::string_view utf8) {
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (const unsigned char c : utf8) {
    if (NameCharacter(c)) {
      encoded += char(c);
    } else {
      encoded += {'%', kHex[c >> 4], kHex[c & 15]};
    }
  }
  return encoded;
}

HubReply PrivateReply(std::string content_type, std::string body) {
  HubReply reply;
  reply.content_type = std::move(content_type);
  reply.body = std::move(body);
  reply.headers.emplace_back("Cache-Control", "no-store");
  return reply;
}

}  // namespace

HubReply PageReply(std::string html) {
  return PrivateReply("text/html; charset=utf-8", std::move(html));
}

std::string AttachmentHeader(std::string_view utf8_name, std::string_view ascii_name) {
  // The fallback is ours, never typed: it needs no quoting.
  assert(std::all_of(ascii_name.begin(), ascii_name.end(),
                     [](unsigned char c) { return NameCharacter(c); }));
  return "attachment; filename=\"" + std::string(ascii_name) + "\"; filename*=UTF-8''" +
         PercentEncoded(utf8_name);
}

HubReply DownloadReply(std::string content_type, std::string bytes, std::string_view utf8_name,
                       std::string_view ascii_name) {
  HubReply reply = PrivateReply(std::move(content_type), std::move(bytes));
  reply.headers.emplace_back("Content-Disposition", AttachmentHeader(utf8_name, ascii_name));
  return reply;
}

}  // namespace dravel::hub
