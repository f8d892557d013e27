#include "apps/dravel-hub/security/hub_secrets.h"

#include <sodium.h>

#include <cassert>
#include <cstdint>

namespace dravel::hub {
namespace {

constexpr size_t kTokenBytes = 16;
constexpr size_t kCodeLength = 6;
constexpr std::string_view kDigits = "0123456789";
constexpr std::string_view kJoinCharacters = "23456789ABCDEFGHJKMNPQRSTUVWXYZ";

void StartSodium() {
  // sodium_init may run more than once; it is the first run that matters.
  [[maybe_unused]] static const int started = sodium_init();
  assert(started >= 0);
}

std::string RandomCode(std::string_view characters) {
  StartSodium();
  std::string code;
  for (size_t i = 0; i < kCodeLength; ++i) {
    code += characters[randombytes_uniform(static_cast<uint32_t>(characters.size()))];
  }
  return code;
}

std::string Hex(const unsigned char* bytes, size_t size) {
  std::string hex(size * 2 + 1, '\0');
  sodium_bin2hex(hex.data(), hex.size(), bytes, size);
  hex.pop_back();
  return hex;
}

}  // namespace

std::string HashPassword(std::string_view password) {
  StartSodium();
  char hash[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str(hash, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                        crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
    return "";
  }
  return hash;
}

bool PasswordMatches(const std::string& hash, std::string_view password) {
  StartSodium();
  return !hash.empty() &&
         crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

std::string NewSessionToken() {
  StartSodium();
  unsigned char bytes[kTokenBytes];
  randombytes_buf(bytes, sizeof bytes);
  return Hex(bytes, sizeof bytes);
}

std::string TokenHash(std::string_view token) {
  StartSodium();
  unsigned char hash[crypto_generichash_BYTES];
  crypto_generichash(hash, sizeof hash, reinterpret_cast<const unsigned char*>(token.data()),
                     token.size(), nullptr, 0);
  return Hex(hash, sizeof hash);
}

std::string NewPupilCode() { return RandomCode(kDigits); }

std::string NewJoinCode() { return RandomCode(kJoinCharacters); }

bool SecretsEqual(std::string_view a, std::string_view b) {
  return a.size() == b.size() && sodium_memcmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace dravel::hub
