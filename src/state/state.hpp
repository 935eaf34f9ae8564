// Shared types and program-wide variables of varno96.
//
// Glossary of symbols and units
//   wt%        oxide weight per cent of an analysis (GRTWT, CPXWT, MICAWT, WT)
//   p.f.u.     cations per formula unit on a fixed number of oxygens (CAT)
//   T, TT      temperature in kelvin; typed and printed in degrees Celsius (offset 273.15)
//   P          pressure in kbar; the pressure argument of SETUPGARNET is in bar
//   W          Margules parameter in J per mole of X-site cations (WG, WSD)
//   GCONST     gas constant, 8.3143 J/(mol K); all logarithms are natural
//   X_i        mole fraction of garnet end-member i: 1 Alm, 2 Sps, 3 Prp, 4 Grs
//   LNK        ln K of  prp + 2 grs + 3 cel = 6 di + 3 mu
//              = 6 LNADI + 3 LNAMICA - LNAPRP - 2 LNAGRS
//   EGT        Powell (1985) garnet-clinopyroxene Fe-Mg temperature, degrees Celsius
//   FMG, FMC   Fe2+/Mg of garnet and clinopyroxene;  CAG  Ca/(Mg+Ca+Mn+Fe2+) of garnet
//
// All arrays are indexed from 1.
#pragma once

#include <array>
#include <cassert>
#include <cstdint>
#include <cstdio>
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
inline constexpr int NMODELS = 7; // garnet mixing models

using VECTOR = ARRAY1<REAL, NEL>; // one slot per oxide / cation
using IVECTOR = ARRAY1<std::int16_t, NEL>;
using STRING5 = std::string; // at most 5 characters
using STRINGVEC = ARRAY1<STRING5, NEL>;
using NARRAY = ARRAY1<REAL, RSIZE>;         // one value per Monte-Carlo run
using VECTOR4 = ARRAY1<REAL, 4>;            // Alm, Sps, Prp, Grs
using MATRIXW = ARRAY1<ARRAY1<REAL, 5>, 4>; // WG[i][j]; column 5 holds ternary constants

// A line-oriented text channel. Files end their lines with CR LF, the console with LF.
struct TEXTFILE {
    std::FILE *F = nullptr;
    std::string NAME; // file name, or "standard output"
    const char *EOL = "\r\n";
    bool MIDLINE = false; // the last text written did not end its line
};

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

// ---- Program-wide variables --------------------------------------------------------------
// One set per thread, so that samples can be computed on several threads at once.

// Channels: console, report, P-T file, analysis data file being read; keyboard input.
inline thread_local TEXTFILE CON{stdout, "standard output", "\n"};
inline thread_local TEXTFILE OUT, PTOUT, DATA;
inline thread_local std::FILE *KBD = stdin;

inline thread_local std::string DATANAME; // sample label or data file name, up to 255 characters
inline thread_local std::string DUMMY;    // scratch line / field buffer
inline thread_local bool ENDLN = false;   // the field just read ended its line

// Oxide table (set by INITIALISE).
inline thread_local STRINGVEC NAME;
inline thread_local VECTOR MW;
inline thread_local IVECTOR NO, NM;

// Analyses in wt%, and the perturbed / scratch analysis.
inline thread_local VECTOR GRTWT, CPXWT, MICAWT, WT;

// Last formula recalculated: cations p.f.u., oxide total (wt%), cation total.
inline thread_local VECTOR CAT;
inline thread_local REAL TOTAL = 0, CTOT = 0;

// Conditions and choices.
inline thread_local REAL T = 0, TT = 0; // kelvin
inline thread_local std::int16_t CHOICE = 0;
inline thread_local bool ONESITE = false, SDMIX = false, TVARIES = false;
inline thread_local REAL TOTERR = 0; // per cent of 100 wt%

// Garnet Margules parameters and their standard deviations, J/mol.
inline thread_local MATRIXW WG, WSD;

// Activity terms and thermometer inputs.
inline thread_local REAL LNAPRP = 0, LNAGRS = 0, LNOCT = 0, FMG = 0, CAG = 0;
inline thread_local REAL LNADI = 0, FMC = 0;
inline thread_local REAL LNAMICA = 0;
inline thread_local REAL LNK = 0, PREF = 0, EGT = 0, PKBAR = 0;

// Monte-Carlo results per run, and the moments of one series.
inline thread_local NARRAY TRES, PRES, PRP, GRS, DI, MICA, LK;
inline thread_local REAL AVE = 0, ADEV = 0, SDEV = 0, SVAR = 0, SKEW = 0, CURT = 0;

// Random stream.
inline thread_local std::int16_t IDUM = 0;
inline thread_local ARRAY1<REAL, 55> GLMA;
inline thread_local std::int16_t GLINEXT = 0, GLINEXTP = 0, GLISET = 0;
inline thread_local REAL GLGSET = 0;

// Quantities without a value: the mineral being recalculated, and the first quantity since
// NOVALUE was last cleared that had no value, in words (empty while all had values).
inline thread_local std::string MINERAL;
inline thread_local std::string NOVALUE;

// Every variable of the calculation as at program start (channels and the oxide table aside),
// so that one sample's matrices, flags, random stream or Fe2O3 estimate never reach the next.
void CLEARSTATE();

// Thrown to end the run: by the fatal-error path (STATUS 1, MESSAGE says why) and by the
// user's no at the oxide check (STATUS 0). Caught only in main, which closes the files.
struct RUNEND {
    int STATUS;
    std::string MESSAGE;
};
