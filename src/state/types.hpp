// The fixed types and tables of varno96: 1-based arrays, the sizes of an analysis and of a
// Monte-Carlo pass, the step of the result table, the oxide table and the garnet models'
// titles. All arrays are indexed from 1.
#pragma once

#include <array>
#include <cassert>
#include <cstdint>
#include <string>

// Fixed-size array with a 1-based index, checked in debug builds.
template <typename T, int N> struct ARRAY1 {
    std::array<T, N> V{};
    T &operator[](int I) {
        assert(I >= 1 && I <= N);
        return V[static_cast<std::size_t>(I - 1)];
    }
    const T &operator[](int I) const {
        assert(I >= 1 && I <= N);
        return V[static_cast<std::size_t>(I - 1)];
    }
};

using REAL = double;
inline constexpr int NEL = 10;    // oxides in an analysis
inline constexpr int RSIZE = 200; // Monte-Carlo runs per pass
inline constexpr REAL TSD = 50;   // K between the rows of the result table
inline constexpr int NMODELS = 7; // garnet mixing models

using VECTOR = ARRAY1<REAL, NEL>; // one slot per oxide / cation
using IVECTOR = ARRAY1<std::int16_t, NEL>;
using STRING5 = std::string; // at most 5 characters
using STRINGVEC = ARRAY1<STRING5, NEL>;
using NARRAY = ARRAY1<REAL, RSIZE>;         // one value per Monte-Carlo run
using VECTOR4 = ARRAY1<REAL, 4>;            // Alm, Sps, Prp, Grs
using MATRIXW = ARRAY1<ARRAY1<REAL, 5>, 4>; // WG[i][j]; column 5 holds ternary constants

// Slot numbers of the oxide table: cation and oxide names of each slot.
inline constexpr std::int8_t SI = 1, TI = 2, AL = 3, FE3 = 4, FE2 = 5, MN = 6, MG = 7, CA = 8,
                             NA = 9, K = 10;
inline constexpr std::int8_t SIO2 = 1, TIO2 = 2, AL2O3 = 3, FE2O3 = 4, FEO = 5, MNO = 6, MGO = 7,
                             CAO = 8, NA2O = 9, K2O = 10;

inline constexpr REAL GCONST = 8.3143; // J/(mol K)

inline const char *const VERSION =
    "version VARNO-96a of 19/3/96, with Powell thermometer and empirical P correction";

// Garnet model titles, each padded to 44 characters, and end-member labels.
inline const ARRAY1<std::string, NMODELS> MODEL{{
    "Ganguly & Saxena 1984 without ternary approx",
    "Geiger et al 87, Fe-Mg-Ca mixing            ",
    "Simple Mg-Ca mixing, Newton & Haselton 1981 ",
    "Mg-Ca (NH81) + Fe-Mg after Hackler & Wood 89",
    "Ideal quaternary mixing                     ",
    "Berman 1990 Am Min 75                       ",
    "Sengupta et al 1989 (CMP) extension of GS-84",
}};
inline const ARRAY1<std::string, 4> ENDM{{"Alm", "Sps", "Prp", "Grs"}};

// Oxide table: names and molecular weights.
inline const STRINGVEC NAME{
    {" SiO2", " TiO2", "Al2O3", "Fe2O3", "  FeO", "  MnO", "  MgO", "  CaO", " Na2O", "  K2O"}};
inline const VECTOR MW{{60.09, 79.9, 101.94, 159.7, 71.85, 70.94, 40.32, 56.08, 61.98, 94.2}};
inline const IVECTOR NO{{2, 2, 3, 3, 1, 1, 1, 1, 1, 1}}; // oxygens per oxide formula unit
inline const IVECTOR NM{{1, 1, 2, 2, 1, 1, 1, 1, 2, 2}}; // cations per oxide formula unit
