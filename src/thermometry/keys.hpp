// The thermometers a batch may meet with the barometer, of both kinds: the Fe-Mg exchange
// calibrations (thermometry.hpp) and the Zr-in-rutile ones (zr_rutile.hpp), in one order,
// exchange first, each in the order of its table.
#pragma once

#include "thermometry/zr_rutile.hpp"

#include <cstddef>
#include <optional>
#include <string_view>
#include <variant>

namespace varno96::thermometry {

using any_key = std::variant<key, zr_key>;
inline constexpr std::size_t n_thermometers = n_calibrations + n_zr_calibrations;

// The i-th thermometer of that order, and the place of a key in it.
any_key thermometer_at(std::size_t i);
std::size_t place(any_key k);

// What a report says of either kind.
struct described {
    std::string_view name; // "KR00", "TPE07"
    const reference *citation;
    std::string_view cited; // "Krogh Ravna (2000)"
    std::string_view note;
    const stated_range *stated;
};
described about(any_key k);

// The exchange calibration or the Zr-in-rutile one of k, when it is of that kind.
constexpr const key *exchange_key(const any_key &k) { return std::get_if<key>(&k); }
constexpr const zr_key *rutile_key(const any_key &k) { return std::get_if<zr_key>(&k); }

// The thermometer of a short name ("KR00", "tpe07"), any case; empty when there is none.
std::optional<any_key> find_any(std::string_view name);

} // namespace varno96::thermometry
