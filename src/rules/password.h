#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace rules {

// The number in a password box: a decimal integer of at most four characters, a sign included.
// Nothing for any other text, the empty box included.
std::optional<int32_t> passwordNumber(const QString& text);

// The code the adapter keeps for password number n: (n mod 255) + 1, the remainder taking the
// sign of n, so that -1 gives 0, the code of no password. The options window and the password
// window must agree on it, or a password set in one is never accepted by the other.
int32_t passwordCodeOf(int32_t n);

}  // namespace rules
