// Shared types, constant tables and the run objects of varno96.
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
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// Oxide table: names and molecular weights.
inline const STRINGVEC NAME{
    {" SiO2", " TiO2", "Al2O3", "Fe2O3", "  FeO", "  MnO", "  MgO", "  CaO", " Na2O", "  K2O"}};
inline const VECTOR MW{{60.09, 79.9, 101.94, 159.7, 71.85, 70.94, 40.32, 56.08, 61.98, 94.2}};
inline const IVECTOR NO{{2, 2, 3, 3, 1, 1, 1, 1, 1, 1}}; // oxygens per oxide formula unit
inline const IVECTOR NM{{1, 1, 2, 2, 1, 1, 1, 1, 2, 2}}; // cations per oxide formula unit

// Thrown to end the run: by the fatal-error path (STATUS 1, MESSAGE says why) and by the
// user's no at the oxide check (STATUS 0). Caught only in main, which closes the files.
struct RUNEND {
    int STATUS;
    std::string MESSAGE;
};

// Reasons why Monte-Carlo runs had no value, each with the number of runs it left out.
using LEFTOUTLIST = std::vector<std::pair<std::string, int>>;

// ---- The run objects ----------------------------------------------------------------------
// The state of a calculation is an object and the procedures are its members, so that the
// bodies name the variables as before. A fresh object starts as the program did; samples on
// different objects share nothing and may be computed on several threads at once.

// Random stream (stats).
struct random_stream {
    std::int16_t IDUM = 0;
    ARRAY1<REAL, 55> GLMA;
    std::int16_t GLINEXT = 0, GLINEXTP = 0, GLISET = 0;
    REAL GLGSET = 0;

    // Uniform deviate on [0, 1), a multiple of 2.5E-7 (Knuth's subtractive method). A negative
    // idum (re)seeds the stream and is set to 1.
    REAL RAN3(std::int16_t &idum);
    // Standard normal deviate (polar Box-Muller on RAN3); the second of a pair is kept.
    REAL GASDEV(std::int16_t &idum);
};

// One sample without channels: analyses, choices, activity terms, results and the
// Monte-Carlo runs.
//
// Names are upper case. A parameter that would share the name of a variable (wt, mg, fe2, ...)
// is written in lower case; it stands for the argument itself.
struct calculation : random_stream {
    // Analyses in wt%, and the perturbed / scratch analysis.
    VECTOR GRTWT, CPXWT, MICAWT, WT;

    // Last formula recalculated: cations p.f.u., oxide total (wt%), cation total.
    VECTOR CAT;
    REAL TOTAL = 0, CTOT = 0;

    // Conditions and choices.
    REAL T = 0, TT = 0; // kelvin
    std::int16_t CHOICE = 0;
    bool ONESITE = false, SDMIX = false, TVARIES = false;
    REAL TOTERR = 0; // per cent of 100 wt%

    // Garnet Margules parameters and their standard deviations, J/mol.
    MATRIXW WG, WSD;

    // Activity terms and thermometer inputs.
    REAL LNAPRP = 0, LNAGRS = 0, LNOCT = 0, FMG = 0, CAG = 0;
    REAL LNADI = 0, FMC = 0;
    REAL LNAMICA = 0;
    REAL LNK = 0, PREF = 0, EGT = 0, PKBAR = 0;

    // Monte-Carlo results per run, and the moments of one series.
    NARRAY TRES, PRES, PRP, GRS, DI, MICA, LK;
    REAL AVE = 0, ADEV = 0, SDEV = 0, SVAR = 0, SKEW = 0, CURT = 0;

    // Quantities without a value: the mineral being recalculated, and the first quantity since
    // NOVALUE was last cleared that had no value, in words (empty while all had values).
    std::string MINERAL;
    std::string NOVALUE;

    // ---- Domain-checked arithmetic (chemistry/checked.cpp) ----
    // A quantity without a value (the logarithm of a number that is not positive, a division
    // by zero, an overflow) is recorded in NOVALUE in words and comes back as NaN; the caller
    // that prints results checks NOVALUE first. The checks are inline: the Monte-Carlo passes
    // make some hundred of them a run.

    // Records WHAT as the quantity without a value, unless one is recorded already.
    void NOVAL(std::string_view WHAT);
    // NOVAL(WHAT), and NaN.
    REAL NONEFOR(std::string_view WHAT);
    // X itself, when finite.
    REAL CHKFIN(REAL X, std::string_view WHAT) { return std::isfinite(X) ? X : NONEFOR(WHAT); }
    // ln X, for X > 0.
    REAL CHKLN(REAL X, std::string_view WHAT) {
        return X > 0 && std::isfinite(X) ? std::log(X) : NONEFOR(WHAT);
    }
    // A / B, for B not 0.
    REAL CHKDIV(REAL A, REAL B, std::string_view WHAT) {
        return B != 0 ? CHKFIN(A / B, WHAT) : NONEFOR(WHAT);
    }

    // ---- Formulae (chemistry/formula.cpp) ----
    // Clears the scratch analysis WT.
    void INITIALISE();
    // Formula of analysis wt (wt%) on n oxygens into c[1..ne]; sets TOTAL and CTOT.
    void RECALC(const VECTOR &wt, VECTOR &c, REAL n, std::int16_t ne);
    // Ferric iron by cation normalisation: brings SUM cations to NORM on SUMOX oxygens,
    // recasting FeO of wt as Fe2O3, with Fe3+/(Fe2+ + Fe3+) limited to RMAX.
    void FE3FIDDLE(VECTOR &wt, VECTOR &c, REAL SUM, REAL NORM, REAL SUMOX, REAL RMAX);

    // ---- Activity models (activity/) ----
    // Margules parameters WG and standard deviations WSD of model CHOICE at temperature t (K)
    // and pressure P (bar). Model 5 (ideal) and numbers outside 1..7 change nothing.
    void SETUPGARNET(REAL t, REAL P);
    // Garnet formula on 12 oxygens, FMG, CAG, LNOCT, LNAPRP, LNAGRS.
    void GARNET(VECTOR &wt);
    // Clinopyroxene formula on 6 oxygens, FMC, LNADI (one-site or two-site model).
    void CPX(VECTOR &wt);
    // Phengite formula on 11 oxygens and LNAMICA = ln(a(mu)/a(cel)), ideal site mixing.
    void WHITEMICA(VECTOR &wt);

    // ---- Barometry (barometry/) ----
    // Pressure in kbar from ln K and temperature t in kelvin.
    REAL PCALC(REAL lnk, REAL t);
    // Powell (1985) temperature in degrees Celsius at pressure P (kbar), from FMG, FMC and
    // CAG. NaN, with NOVALUE set, when K_D has no logarithm or ln K_D = -1.735.
    REAL ELLISGREEN(REAL P);

    // ---- Perturbation (stats/random.cpp) ----
    // Copies OLDWT into NEWWT, each oxide of 0.01 wt% or more perturbed by a normal deviate
    // with standard deviation TOTERR * sqrt(wt% / 100).
    void DISTURBWT(const VECTOR &OLDWT, VECTOR &NEWWT);

    // ---- The calculation step by step (driver/compute.cpp), for the dialogue and the batch
    // alike. Each step but STARTMODEL returns false, with NOVALUE saying why, when a result
    // has no value. ----
    // Clears the garnet parameters and sets those of model CHOICE at T and 18 kbar.
    void STARTMODEL();
    // The first calculation of one mineral; the analysis takes any estimated Fe2O3.
    bool FIRSTCALC(void (calculation::*MINERALPROC)(VECTOR &), VECTOR &wt);
    // LNK of the first calculations and PREF, the pressure at the trial temperature.
    bool TRIALPRESSURE();
    // EGT, the Powell (1985) temperature at PREF; NaN when it has no value.
    bool POWELLT();
    // The garnet mixing parameters at T and PREF.
    bool MIXING();
    // Row KROW (-1, 0, 1) of the table: T = TT + KROW TSD, the activity terms, LNK and PKBAR.
    bool TABLEROW(int KROW);
    // Pass J (1: analyses only, 2: also the mixing parameters) of RSIZE runs from the current
    // random stream: the runs with a value in TRES, PRES, PRP, GRS, DI, MICA, LK [1..N], N
    // returned; temperatures in degrees Celsius.
    std::int16_t RUNPASS(int J, LEFTOUTLIST &LEFTOUT);

    // ---- A run handed on, for what the front ends compute beyond the dialogue ----
    // What one run took: the random stream before the garnet's and the clinopyroxene's draws,
    // and each mineral's perturbed analysis before its calculation (garnet, clinopyroxene,
    // phengite) and its formula after it, so that the run can be evaluated again at another
    // temperature and pressure with the same draws.
    struct run_record {
        random_stream before_garnet, before_cpx;
        std::array<VECTOR, 3> wt, cat;
    };
    // Called by RUNPASS after each run with a value, with the pass; none by default.
    std::function<void(int, const run_record &)> after_run;
    // Called by RUNPASS after each run without a value, with the pass (NOVALUE says why).
    std::function<void(int)> after_failed_run;

    // ---- Ferric iron, for the front ends beyond the dialogue (which keeps the defaults) ----
    // Whether the garnet's, the clinopyroxene's and the phengite's ferric iron is estimated by
    // charge balance when its analysis has no Fe2O3; without, all iron stays Fe2+.
    std::array<bool, 3> estimate_ferric{true, true, true};
    // Each run perturbs the analyses as entered (`entered`, garnet, clinopyroxene, phengite),
    // a perturbed oxide below 0 taken as 0, and estimates ferric iron afresh, instead of
    // perturbing the analyses with the ferric iron of their first calculation.
    bool ferric_each_run = false;
    std::array<VECTOR, 3> entered;

private:
    run_record LASTRUN; // kept only when after_run is set
    // "the analysis", or "the <MINERAL> analysis".
    std::string ANALYSIS();
    // One run on perturbed analyses; false, with NOVALUE saying why, when a result has no value.
    bool RUN(REAL &TR, REAL &PR);
};

// The data file reader's field by field reading, with its end-of-line flag.
struct field_reader {
    bool ENDLN = false; // the field just read ended its line

    // One field of F; fields keep their first WIDTH characters: 20 in the dialogue.
    std::string READSTR(TEXTFILE &F, std::size_t WIDTH = 20);
};

// The interactive dialogue: a calculation with the console, the keyboard and the files.
struct dialogue : calculation, field_reader {
    // Channels: console, report, P-T file, analysis data file being read; keyboard input.
    TEXTFILE CON{stdout, "standard output", "\n"};
    TEXTFILE OUT, PTOUT, DATA;
    std::FILE *KBD = stdin;

    std::string DATANAME; // sample label or data file name, up to 255 characters
    std::string DUMMY;    // scratch line / field buffer

    // ---- Console (io/textio.cpp) ----
    // Writes the line S to the console and then to the report.
    void WRITEBOTH(std::string_view S);
    // Writes PROMPT to the console, flushes, and reads one answer line (first 255 characters,
    // the line end and a trailing CR dropped). End of input ends the run, naming WHAT, or the
    // prompt when WHAT is empty.
    std::string READLN(std::string_view PROMPT, std::string_view WHAT = {});

    // ---- Keyboard dialogue (io/console.cpp) ----
    // Asks a yes/no question; Enter alone, Y..., y... or "1" is yes.
    bool QUERY(std::string_view PROMPT);
    // Oxide by oxide entry of one analysis; an entry that is not a number is asked again.
    void READFROMSCREEN(VECTOR &wt);
    // Garnet, clinopyroxene and phengite analyses into GRTWT, CPXWT, MICAWT.
    void SCREENINPUT();
    // A number typed at a prompt: the first word of the first line that is not blank. An
    // answer that is not a number asks the prompt again.
    REAL ASKREAL(std::string_view PROMPT);
    // A whole number from LOW to HIGH typed at a prompt, asked again until it is one.
    int ASKINT(std::string_view PROMPT, int LOW, int HIGH);

    // ---- Data file (io/datafile.cpp, io/savefile.cpp) ----
    // The header check and one analysis line of DATA.
    void CHECKOX();
    void READLINE(VECTOR &MINWT);
    // Data file writers: tabular and comma-and-quote delimited layouts.
    void SAVEDATA();
    void SAVEDELIM();

    // ---- Statistics (stats/moment.cpp) ----
    // Mean, mean absolute deviation, standard deviation, variance, skewness and excess
    // kurtosis of the first n values of data; pauses for Enter where MOMENTVALUES gives a
    // message.
    void MOMENT(const NARRAY &data, std::int16_t n, REAL &ave, REAL &adev, REAL &sdev, REAL &svar,
                REAL &skew, REAL &curt);

    // ---- The run of one sample (driver/) ----
    // Report channel, banner, P-T file, oxide table.
    void STARTRUN();
    // The three analyses from the keyboard, with the offer to save them; the report heading.
    void KEYBOARDDATA();
    // The three analyses from a data file; the report heading.
    void FILEDATA();
    // Settings, formulae, temperature choice, mixing parameters and the P-T table.
    void CALCULATE();
    // The optional two Monte-Carlo passes of RSIZE runs, seeded by SEED or else the clock;
    // closes the report and the P-T file.
    void MONTECARLO(std::optional<std::int16_t> SEED = {});
    // One whole run; the Monte-Carlo block uses SEED when given, else the clock.
    void VARNO96(std::optional<std::int16_t> SEED = {});

private:
    // The first word of the first answer line that holds more than blanks and tabs.
    std::string FIRSTWORD(std::string_view PROMPT);
    // Writes a pause message and waits for Enter.
    void PAUSE(const char *MESSAGE);
    // The four lines of a data file in one of the two layouts.
    std::string LAYOUT(bool DELIMITED, const std::string &SNAME);
    // The dialogue of both writers.
    void SAVEFILE(bool DELIMITED);
    // Ends the run when a quantity of the last calculation had no value.
    void CHECKVALUE();
    // The first calculation of one mineral: the analysis as it stands after the call (with
    // any estimated Fe2O3) and its formula.
    void SHOWMINERAL(void (calculation::*MINERALPROC)(VECTOR &), VECTOR &wt, const char *LABEL);
    void SETTINGS();
    // Keeps the trial temperature, takes the Powell estimate or takes a typed one.
    void CHOOSETEMPERATURE();
    void MIXINGPARAMETERS();
    // One statistics row: label, mean and s.d. with D decimals, skewness and kurtosis with 3.
    void STATROW(const NARRAY &VALUES, std::int16_t N, const char *LABEL, int D, bool GAP);
    // One Monte-Carlo pass with its P-T pairs and statistics.
    void PASS(int J);
};
