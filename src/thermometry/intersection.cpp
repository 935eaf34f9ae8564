// Where the thermometers meet the barometer P = A + B T + C T ln K.
#include "barometry/barometry.hpp"
#include "thermometry/thermometry.hpp"

#include <cmath>
#include <limits>

namespace varno96::thermometry {

namespace {

// The barometer at T for ln K, kbar.
double barometer_at(double t_k, double lnk) {
    return BARO::A + BARO::B * t_k + BARO::C * t_k * lnk;
}

outcome<pt> in_window(pt at) {
    if (!std::isfinite(at.t_k) || !std::isfinite(at.p_kbar))
        return {{}, "no intersection with the barometer (out of range)"};
    if (!(at.t_k >= t_min_k && at.t_k <= t_max_k))
        return {{}, "the intersection with the barometer lies outside 200-1500 C"};
    return {at, {}};
}

// The meeting point of T = t0 + s P and P = p0 + m T, wherever it lies.
outcome<pt> meet(const line &thermometer, const lnk_form &form) {
    const outcome<barometer_line> b = barometer(form);
    if (!b) return {{}, b.why};
    const double s = thermometer.dt_dp, m = b.value->dp_dt;
    const double den = 1 - s * m;
    if (den == 0) return {{}, "the thermometer and the barometer are parallel"};
    const double t = (thermometer.t0 + s * b.value->p0) / den;
    return {pt{t, b.value->p0 + m * t}, {}};
}

} // namespace

outcome<lnk_form> fit(const lnk_function &lnk, const fit_points &at) {
    const double l1 = lnk(at.t1_k, at.p1_kbar), l2 = lnk(at.t2_k, at.p1_kbar);
    const double l3 = at.depends_on_p ? lnk(at.t1_k, at.p2_kbar) : l1;
    if (!std::isfinite(l1) || !std::isfinite(l2) || !std::isfinite(l3))
        return {{}, "ln K has no value at a temperature of the fit"};
    // l1 - l2 = (b + c p1) (1/t1 - 1/t2);  l3 - l1 = c (p2 - p1) / t1
    const double q = (l1 - l2) / (1 / at.t1_k - 1 / at.t2_k);
    const double c = at.depends_on_p ? (l3 - l1) * at.t1_k / (at.p2_kbar - at.p1_kbar) : 0;
    const lnk_form form{l1 - q / at.t1_k, q - c * at.p1_kbar, c};
    if (!std::isfinite(form.a) || !std::isfinite(form.b) || !std::isfinite(form.c))
        return {{}, "ln K has no form a + (b + c P)/T (fit points coincide)"};
    return {form, {}};
}

double misfit(const lnk_function &lnk, const lnk_form &form, const fit_points &at) {
    return std::abs(lnk(at.check_t_k, at.check_p_kbar) - form.at(at.check_t_k, at.check_p_kbar));
}

outcome<barometer_line> barometer(const lnk_form &form) {
    // P = A + B T + C (a T + b + c P)  gives  P (1 - C c) = A + C b + (B + C a) T
    const double den = 1 - BARO::C * form.c;
    if (den == 0) return {{}, "the barometer has no value (its pressure terms cancel)"};
    return {barometer_line{(BARO::A + BARO::C * form.b) / den, (BARO::B + BARO::C * form.a) / den},
            {}};
}

outcome<pt> intersect(const line &thermometer, const lnk_form &form) {
    const outcome<pt> at = meet(thermometer, form);
    return at ? in_window(*at.value) : at;
}

outcome<pt> intersect(const line &thermometer, const lnk_function &lnk, double p_start_kbar,
                      const solver_options &how) {
    // g(P) = barometer(T(P), lnk(T(P), P)) - P along the thermometer; its root is the answer.
    std::string_view why = "ln K has no value on the way to the intersection";
    const auto g = [&](double p) {
        const double t = thermometer.at(p);
        if (!(t > 0) || !std::isfinite(t)) {
            why = "no intersection with the barometer (the search left the temperatures above 0 K)";
            return std::numeric_limits<double>::quiet_NaN();
        }
        const double r = barometer_at(t, lnk(t, p)) - p;
        if (!std::isfinite(r)) why = "ln K has no value on the way to the intersection";
        return r;
    };
    const auto converged = [&](double p_from, double p_to) {
        return std::abs(p_to - p_from) < how.p_tol_kbar &&
               std::abs(thermometer.at(p_to) - thermometer.at(p_from)) < how.t_tol_k;
    };
    // A first step along the barometer, then secant steps.
    double p0 = p_start_kbar, g0 = g(p0);
    if (!std::isfinite(g0)) return {{}, why};
    double p1 = p0 + g0;
    for (int step = 1; step < how.max_steps; step++) {
        if (converged(p0, p1)) return in_window(pt{thermometer.at(p1), p1});
        const double g1 = g(p1);
        if (!std::isfinite(g1)) return {{}, why};
        if (g1 == g0) {
            if (g1 == 0) return in_window(pt{thermometer.at(p1), p1});
            return {{}, "the thermometer and the barometer do not meet (no change of the misfit)"};
        }
        const double p2 = p1 - g1 * (p1 - p0) / (g1 - g0);
        p0 = p1, g0 = g1, p1 = p2;
    }
    if (converged(p0, p1)) return in_window(pt{thermometer.at(p1), p1});
    return {{}, "no intersection with the barometer within the steps allowed"};
}

fitted fit_checked(const lnk_function &lnk, const fit_points &at) {
    constexpr double exact = 1e-9; // misfit of ln K within which the form is taken as exact
    fitted f{fit(lnk, at)};
    f.closed = f.form && misfit(lnk, *f.form.value, at) <= exact;
    return f;
}

outcome<pt> intersect(const line &thermometer, const lnk_function &lnk, const fitted &f,
                      const fit_points &at) {
    if (f.closed) return intersect(thermometer, *f.form.value);
    // Iterate, from the meeting point of the fitted form when there is one.
    double start = (at.p1_kbar + at.p2_kbar) / 2;
    if (f.form) {
        const outcome<pt> guess = meet(thermometer, *f.form.value);
        if (guess && std::isfinite(guess.value->p_kbar)) start = guess.value->p_kbar;
    }
    return intersect(thermometer, lnk, start);
}

std::array<outcome<pt>, n_calibrations> intersect_all(const outcome<exchange> &cpx_pair,
                                                      const outcome<exchange> &phe_pair,
                                                      const lnk_function &lnk,
                                                      const fit_points &at) {
    return intersect_all(cpx_pair, phe_pair, lnk, fit_checked(lnk, at), at);
}

std::array<outcome<pt>, n_calibrations> intersect_all(const outcome<exchange> &cpx_pair,
                                                      const outcome<exchange> &phe_pair,
                                                      const lnk_function &lnk, const fitted &f,
                                                      const fit_points &at) {
    std::array<outcome<pt>, n_calibrations> found{};
    for (const calibration &c : calibrations) {
        outcome<pt> &r = found[index(c.id)];
        const outcome<exchange> &pair = c.pair == mineral_pair::grt_cpx ? cpx_pair : phe_pair;
        if (!pair) {
            r = {{}, pair.why};
            continue;
        }
        const outcome<line> l = thermometer(c.id, *pair.value);
        if (!l) {
            r = {{}, l.why};
            continue;
        }
        r = intersect(*l.value, lnk, f, at);
    }
    return found;
}

} // namespace varno96::thermometry
