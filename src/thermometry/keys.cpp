#include "thermometry/keys.hpp"

namespace varno96::thermometry {

any_key thermometer_at(std::size_t i) {
    if (i < n_calibrations) return calibrations[i].id;
    return zr_calibrations[i - n_calibrations].id;
}

std::size_t place(any_key k) {
    if (const key *e = exchange_key(k)) return index(*e);
    return n_calibrations + index(std::get<zr_key>(k));
}

described about(any_key k) {
    if (const key *e = exchange_key(k)) {
        const calibration &c = about(*e);
        return {c.name, &c.citation, c.cited, c.note, &c.stated};
    }
    const zr_calibration &c = about(std::get<zr_key>(k));
    return {c.name, &c.citation, c.cited, c.note, &c.stated};
}

std::optional<any_key> find_any(std::string_view name) {
    if (const auto e = find(name)) return any_key(*e);
    if (const auto z = find_zr(name)) return any_key(*z);
    return std::nullopt;
}

} // namespace varno96::thermometry
