#include "apps/dravel-hub/server/trusted_proxy.h"

#include <algorithm>
#include <boost/asio/ip/address.hpp>
#include <cctype>

namespace dravel::hub {
namespace {

// One spelling per address, "" for text that is not one.
std::string Canonical(std::string_view text) {
  boost::system::error_code error;
  auto address = boost::asio::ip::make_address(std::string(text), error);
  if (error) return "";
  if (address.is_v6() && address.to_v6().is_v4_mapped()) {
    address = boost::asio::ip::make_address_v4(boost::asio::ip::v4_mapped, address.to_v6());
  }
  return address.to_string();
}

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view LastEntry(std::string_view list) {
  const size_t comma = list.rfind(',');
  return Trimmed(comma == std::string_view::npos ? list : list.substr(comma + 1));
}

bool IsHttps(std::string_view scheme) {
  constexpr std::string_view kHttps = "https";
  return std::equal(scheme.begin(), scheme.end(), kHttps.begin(), kHttps.end(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == b;
  });
}

}  // namespace

TrustedProxy::TrustedProxy(std::string_view address) {
  if (address.empty()) return;
  address_ = Canonical(address);
  valid_ = !address_.empty();
}

bool TrustedProxy::Is(std::string_view peer) const {
  return !address_.empty() && Canonical(peer) == address_;
}

RequestClient TrustedProxy::ClientOf(std::string_view peer, bool tls,
                                     std::string_view forwarded_for,
                                     std::string_view forwarded_proto) const {
  RequestClient client{std::string(peer), tls};
  if (!Is(peer)) return client;
  if (std::string forwarded = Canonical(LastEntry(forwarded_for)); !forwarded.empty()) {
    client.address = std::move(forwarded);
  }
  client.secure = tls || IsHttps(LastEntry(forwarded_proto));
  return client;
}

}  // namespace dravel::hub
