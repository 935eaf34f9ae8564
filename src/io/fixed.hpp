#pragma once
// Fixed notation without the C library: WebAssembly's printf takes several times as long as
// the rest of writing a large table, and its C++ library has no floating-point to_chars.

#include <cstddef>

namespace varno96 {

// x with `decimals` digits after the point, rounded as printf's "%.*f" rounds (to the
// nearest of the binary value, a tie to even), into `out` (room for 32 characters); the
// number of characters written, or 0 where x is beyond this quick way: not finite, more
// than 9 decimals, or |x| times 10^decimals of 2^63 or more.
std::size_t fixed_chars(double x, int decimals, char *out);

} // namespace varno96
