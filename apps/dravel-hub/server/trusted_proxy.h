// Who a request comes from when a reverse proxy stands in front of the hub:
// every connection's peer is then the proxy, so the client's address is the
// last entry of X-Forwarded-For (the one the proxy itself appends) and
// whether the client used TLS is X-Forwarded-Proto. Anyone can write those
// headers, so they are read only from the one proxy the hub was told to
// trust; from any other peer they are ignored. Plain C++.
#pragma once

#include <string>
#include <string_view>

namespace dravel::hub {

struct RequestClient {
  std::string address;  // for rate limits
  bool secure = false;  // the client's own connection used TLS
};

class TrustedProxy {
 public:
  // `address`: the proxy's IP address, "" for none.
  explicit TrustedProxy(std::string_view address);

  // False when an address was given that is not an IP address.
  bool Valid() const { return valid_; }

  // Whether `peer` (an address as the socket gives it; an IPv4 address
  // mapped into IPv6 counts as itself) is the trusted proxy.
  bool Is(std::string_view peer) const;

  // The client of a request from `peer` over a connection that is `tls`,
  // given the last X-Forwarded-For and X-Forwarded-Proto fields ("" when
  // absent). From any peer but the proxy, or when the last entry is not an
  // IP address, the peer is the client.
  RequestClient ClientOf(std::string_view peer, bool tls, std::string_view forwarded_for,
                         std::string_view forwarded_proto) const;

 private:
  std::string address_;  // canonical form, "" for none
  bool valid_ = true;
};

}  // namespace dravel::hub
