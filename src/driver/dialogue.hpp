// The interactive dialogue: a calculation asked for at the console, with its report, P-T file
// and data file.
#pragma once

#include "state/calculation.hpp"
#include "state/random.hpp"
#include "state/textfile.hpp"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Where a dialogue talks and where its seed comes from: the process's console and files, or a
// test's scripted ones. The dialogue points to it and never owns it, so it outlives the run
// that wrote to it and can be changed between questions.
struct environment {
    // Channels: console, report, P-T file, analysis data file being read; keyboard input.
    TEXTFILE CON{stdout, "standard output", "\n"};
    TEXTFILE OUT, PTOUT, DATA;
    std::FILE *KBD = stdin;
    // The Monte-Carlo seed when none is given.
    std::function<std::int16_t()> CLOCKSEED = varno96::clock_seed;
};

// The interactive dialogue: a calculation with the console, the keyboard and the files of its
// environment.
struct dialogue : calculation, field_reader {
    explicit dialogue(environment &ENV)
        : CON(ENV.CON), OUT(ENV.OUT), PTOUT(ENV.PTOUT), DATA(ENV.DATA), KBD(ENV.KBD),
          CLOCKSEED(ENV.CLOCKSEED) {}
    dialogue(const dialogue &) = delete;
    dialogue &operator=(const dialogue &) = delete;

    // The environment's channels and clock seed, by the names the procedures use.
    TEXTFILE &CON, &OUT, &PTOUT, &DATA;
    std::FILE *&KBD;
    const std::function<std::int16_t()> &CLOCKSEED;

    std::string DATANAME; // sample label or data file name, up to 255 characters
    std::string DUMMY;    // scratch line / field buffer

    // ---- Console (driver/channels.cpp) ----
    // Writes the line S to the console and then to the report.
    void WRITEBOTH(std::string_view S);
    // Writes PROMPT to the console, flushes, and reads one answer line (first 255 characters,
    // the line end and a trailing CR dropped). End of input ends the run, naming WHAT, or the
    // prompt when WHAT is empty.
    std::string READLN(std::string_view PROMPT, std::string_view WHAT = {});

    // ---- Keyboard dialogue (driver/console.cpp) ----
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

    // ---- Data file (driver/readfile.cpp, driver/savefile.cpp) ----
    // The header check and one analysis line of DATA.
    void CHECKOX();
    void READLINE(VECTOR &MINWT);
    // Data file writers: tabular and comma-and-quote delimited layouts.
    void SAVEDATA();
    void SAVEDELIM();

    // ---- Statistics (driver/montecarlo.cpp) ----
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
