// What each calibration's paper states of its experiments and error, and the note of a point
// outside them.
#include "api/bibliography.hpp"
#include "thermometry/jadeite.hpp"
#include "thermometry/thermometry.hpp"
#include "thermometry/zr_rutile.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace varno96::thermometry;

// For each calibration a point inside its experiments and one outside, with the note's words.
TEST(Ranges, TheNoteOfEachCalibrationOutsideItsExperiments) {
    const std::string peer = ", a peer's summary, unconfirmed)";
    const struct {
        const stated_range &stated;
        conditions inside, outside;
        std::string note;
    } cases[] = {
        {about(key::eg79).stated,
         {800, 27, 0.3, 0.4},
         {700, 27, 0.3, 0.4},
         "outside 750 to 1300 C, the temperatures of its experiments (Ellis & Green 1979, p. 20" +
             peer},
        {about(key::p85).stated,
         {800, 5, 0.3, 0.4},
         {800, 5, 0.03, 0.4},
         "outside garnet X_Ca 0.056 to 0.459, the compositions of its experiments (Powell 1985, "
         "pp. 238–241" +
             peer},
        {about(key::k88).stated,
         {1300, 80, 0.5, 0.4},
         {550, 80, 0.6, 0.4},
         "outside 600 to 1300 C and garnet X_Ca 0.1 to 0.5, the conditions of its experiments "
         "(Krogh 1988, p. 47" +
             peer},
        {about(key::a94).stated,
         {600, 60, 0.05, 0.4},
         {700, 9.9, 0.05, 0.4},
         "outside 10 to 60 kbar, the pressures of its experiments (Ai 1994, p. 469" + peer},
        {about(key::kr00).stated,
         {700, 30, 0.2, 0.4},
         {500, 5, 0.5, 0.9},
         "outside 600 to 1740 C, 10 to 60 kbar, garnet X_Ca 0.09 to 0.47 and garnet Mg# 0.035 "
         "to 0.89, the conditions of its experiments (Krogh Ravna 2000, p. 213" +
             peer},
        {about(key::kr78).stated,
         {700, 10, 0.3, 0.4},
         {1001, 30, 0.3, 0.4},
         "outside 700 to 1000 C, the temperatures of its experiments (Krogh & Råheim 1978" + peer},
        {about(key::gh82).stated,
         {1000, 20, 0.3, 0.4},
         {726.3, 36, 0.3, 0.4},
         "outside 800 to 1000 C and 20 to 35 kbar, the conditions of its experiments (Green & "
         "Hellman 1982, p. 253)"},
        {about(zr_key::tpe07).stated,
         {400, 30},
         {700, 31},
         "outside 0 to 30 kbar, the pressures of its experiments (Tomkins et al. 2007, p. 703)"},
        {about(zr_key::wwt06).stated,
         {470, 3.5},
         {460, 20},
         "outside 470 to 1450 C, the temperatures of its experiments (Watson et al. 2006, p. "
         "413)"},
        {about(zr_key::fw07).stated, {700, 20}, {100, 100}, ""}, // none established
        {about(zr_key::k20).stated, {700, 20}, {100, 100}, ""},
        {holland_1980_range,
         {600, 10},
         {599, 10},
         "outside 600 to 1200 C, the temperatures of its experiments (Holland 1980, p. 129)"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(range_note(c.stated, c.inside), "") << c.note;
        EXPECT_EQ(range_note(c.stated, c.outside), c.note);
        // A point without a garnet is not held to the garnet's limits.
        EXPECT_EQ(range_note(c.stated, {c.inside.t_c, c.inside.p_kbar}), "");
        EXPECT_FALSE(c.stated.range.words.empty());
        EXPECT_FALSE(c.stated.error.words.empty());
    }
    // A peer's summary is said to be one wherever it is shown.
    EXPECT_EQ(stated_text(about(key::a94).stated.error),
              "“within about ±100 °C” (p. 469), as summarised in a peer's notes, not confirmed "
              "against the paper");
    EXPECT_EQ(stated_text(about(key::gh82).stated.range),
              std::string(about(key::gh82).stated.range.words));
}

// The references beside the exchange calibrations': a text's short citation agrees with the
// full reference, and each has its BibTeX key.
TEST(Ranges, TheReferencesOfTheOtherCalibrations) {
    std::vector<const varno96::reference *> refs{&varno96::lowest_pressure_reference(),
                                                 &varno96::quartz_transition_reference()};
    for (const zr_calibration &c : zr_calibrations)
        refs.push_back(&varno96::thermometer_reference(c.id));
    const std::vector<std::string> cited{"Holland (1980)",        "Holland & Powell (2011)",
                                         "Tomkins et al. (2007)", "Watson et al. (2006)",
                                         "Ferry & Watson (2007)", "Kohn (2020)"};
    for (std::size_t i = 0; i < refs.size(); i++) {
        EXPECT_EQ(varno96::cited(*refs[i]), cited[i]);
        const std::string full = varno96::reference_text(*refs[i]);
        EXPECT_EQ(full.substr(0, cited[i].find_first_of(" &")),
                  cited[i].substr(0, cited[i].find_first_of(" &")));
        EXPECT_NE(full.find(cited[i].substr(cited[i].find('('))), std::string::npos) << full;
        EXPECT_NE(varno96::bibtex(*refs[i]).find("@article{"), std::string::npos);
    }
}

} // namespace
