// The hub's secrets, all from libsodium: teachers' passwords hashed with
// Argon2id, session tokens (128 random bits) and the hash kept of them, and
// the codes people type (a class's join code, a pupil's personal code),
// random and free of characters a child could mistake for each other.
#pragma once

#include <string>
#include <string_view>

namespace dravel::hub {

// The Argon2id hash of `password` in crypto_pwhash_str's text form; empty
// when the system lacks the memory to hash.
std::string HashPassword(std::string_view password);
bool PasswordMatches(const std::string& hash, std::string_view password);

// A new session token as 32 hex digits, for a cookie.
std::string NewSessionToken();
// What the store keeps of a token: its BLAKE2b hash in hex.
std::string TokenHash(std::string_view token);

// A pupil's personal code: 6 digits.
std::string NewPupilCode();
// A class's join code: 6 capital letters and digits, without 0 O 1 I L.
std::string NewJoinCode();

// Equal texts, compared in time that does not depend on where they differ.
bool SecretsEqual(std::string_view a, std::string_view b);

}  // namespace dravel::hub
