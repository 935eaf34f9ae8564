// The calculation of one sample: its variables and the procedures that work on them.
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

#include "state/random.hpp"
#include "state/types.hpp"

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Reasons why Monte-Carlo runs had no value, each with the number of runs it left out.
using LEFTOUTLIST = std::vector<std::pair<std::string, int>>;

// ---- The run objects ----------------------------------------------------------------------
// The state of a calculation is an object and the procedures are its members, so that the
// bodies name the variables as before. A fresh object starts as the program did; samples on
// different objects share nothing and may be computed on several threads at once.

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
    // Ferric iron of the clinopyroxene from its sites (cpx_ferric_from_sites) on the formula
    // CAT of wt on 6 oxygens, with the Cr of CPXCR2O3: recasts that share of the FeO of wt as
    // Fe2O3 and recalculates.
    void FE3SITES(VECTOR &wt);

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

    // ---- The calculation step by step (calculation/steps.cpp; the Monte-Carlo runs
    // calculation/runs.cpp), for the dialogue and every front end alike. Each step but
    // STARTMODEL returns false, with NOVALUE saying why, when a result has no value. ----
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
    // Whether the clinopyroxene's estimate comes from its sites (FE3SITES) instead, and the
    // clinopyroxene's Cr2O3 (wt%) that estimate alone takes: no formula holds it, and the
    // Monte-Carlo runs do not perturb it.
    bool cpx_ferric_sites = false;
    REAL CPXCR2O3 = 0;
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
