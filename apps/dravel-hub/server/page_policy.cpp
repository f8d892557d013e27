#include "apps/dravel-hub/server/page_policy.h"

#include <openssl/evp.h>

#include <array>
#include <cassert>
#include <cctype>

namespace dravel::hub {
namespace {

struct TypeRow {
  std::string_view extension;
  std::string_view type;
};

constexpr std::array kTypes = {
    TypeRow{".html", "text/html; charset=utf-8"},
    TypeRow{".js", "text/javascript; charset=utf-8"},
    TypeRow{".mjs", "text/javascript; charset=utf-8"},
    TypeRow{".css", "text/css; charset=utf-8"},
    TypeRow{".json", "application/json; charset=utf-8"},
    TypeRow{".webmanifest", "application/manifest+json; charset=utf-8"},
    TypeRow{".wasm", "application/wasm"},
    TypeRow{".png", "image/png"},
    TypeRow{".svg", "image/svg+xml"},
    TypeRow{".ico", "image/x-icon"},
    TypeRow{".jpg", "image/jpeg"},
    TypeRow{".txt", "text/plain; charset=utf-8"},
    TypeRow{".dvg", "text/plain; charset=gbk"},
    TypeRow{".woff2", "font/woff2"},
};

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

std::string Sha256Base64(std::string_view text) {
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int length = 0;
  const bool hashed =
      EVP_Digest(text.data(), text.size(), digest.data(), &length, EVP_sha256(), nullptr) == 1;
  assert(hashed);
  (void)hashed;
  std::string encoded(4 * ((length + 2) / 3) + 1, '\0');
  const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(encoded.data()),
                                      digest.data(), static_cast<int>(length));
  encoded.resize(static_cast<size_t>(written));
  return encoded;
}

// The bodies of the page's <script> elements that have no src, as the
// browser hashes them (the bytes between the tags).
std::string InlineScriptSources(std::string_view html) {
  const std::string lower = Lower(html);
  std::string sources;
  for (size_t at = lower.find("<script"); at != std::string::npos;
       at = lower.find("<script", at + 1)) {
    const size_t open_end = lower.find('>', at);
    const size_t close = lower.find("</script", open_end);
    if (open_end == std::string::npos || close == std::string::npos) break;
    const std::string_view attributes(lower.data() + at, open_end - at);
    if (attributes.find(" src") != std::string_view::npos) continue;
    const std::string_view body = html.substr(open_end + 1, close - open_end - 1);
    sources += " 'sha256-" + Sha256Base64(body) + "'";
  }
  return sources;
}

}  // namespace

std::string_view ContentTypeOf(std::string_view file_name) {
  const size_t dot = file_name.rfind('.');
  if (dot == std::string_view::npos) return "application/octet-stream";
  const std::string extension = Lower(file_name.substr(dot));
  for (const TypeRow& row : kTypes) {
    if (row.extension == extension) return row.type;
  }
  return "application/octet-stream";
}

std::string PagePolicy(std::string_view html) {
  return "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'" + InlineScriptSources(html) +
         "; worker-src 'self' blob:; img-src 'self' data: blob:; style-src 'self' 'unsafe-inline'; "
         "connect-src 'self'; object-src 'none'; base-uri 'self'; form-action 'self'; "
         "frame-ancestors 'self'";
}

}  // namespace dravel::hub
