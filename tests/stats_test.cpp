// Random stream, sample moments and the perturbation of an analysis.
#include "stats/stats.hpp"
#include "support/harness.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

namespace {

// The stream after seeding with SEED and drawing K normal deviates: index and next uniform.
struct STREAM {
    std::int16_t NEXT, ISET;
    REAL U;
    bool operator==(const STREAM &) const = default;
};

// Each test is a dialogue (support/harness.hpp), for the pauses of MOMENT; the helpers that
// touch it are its members.
struct STATSTEST : DIALOGUETEST {
    std::vector<REAL> DRAWS(std::int16_t &idum, int N) {
        std::vector<REAL> V;
        for (int I = 0; I < N; I++) V.push_back(RAN3(idum));
        return V;
    }

    STREAM PEEK() {
        const auto MA = GLMA.V;
        const auto NX = GLINEXT, NXP = GLINEXTP;
        std::int16_t ID = IDUM;
        const STREAM S{GLINEXT, GLISET, RAN3(ID)};
        GLMA.V = MA, GLINEXT = NX, GLINEXTP = NXP;
        return S;
    }

    STREAM AFTER(std::int16_t SEED, int K) {
        IDUM = SEED, GLISET = 0;
        for (int I = 0; I < K; I++) GASDEV(IDUM);
        return PEEK();
    }
};
using Ran3 = STATSTEST;
using Gasdev = STATSTEST;
using Moment = STATSTEST;
using DisturbWt = STATSTEST;

// ---- RAN3 ----

TEST_F(Ran3, SeedingSetsIdumToOneAndTheStreamContinues) {
    RESETSTATE();
    IDUM = -17;
    const REAL FIRST = RAN3(IDUM);
    EXPECT_EQ(IDUM, 1);
    EXPECT_EQ(GLINEXT, 1);   // the first draw replaces GLMA[1] ...
    EXPECT_EQ(GLINEXTP, 32); // ... less GLMA[32]
    EXPECT_EQ(GLMA[1] * 2.5E-7, FIRST);
    const std::vector<REAL> NEXT = DRAWS(IDUM, 60);
    EXPECT_EQ(GLINEXT, 6);   // 61 draws: both indices wrap from 55 to 1,
    EXPECT_EQ(GLINEXTP, 37); // 31 places apart

    IDUM = -17; // reseeding restarts the stream
    EXPECT_EQ(RAN3(IDUM), FIRST);
    EXPECT_EQ(DRAWS(IDUM, 60), NEXT);
}

TEST_F(Ran3, DrawsAreMultiplesOfFacInTheUnitIntervalFromTheLaggedDifference) {
    RESETSTATE();
    IDUM = -1;
    const std::vector<REAL> U = DRAWS(IDUM, 3000);
    std::vector<REAL> M;
    for (REAL R : U) {
        ASSERT_GE(R, 0);
        ASSERT_LT(R, 1);
        const REAL WHOLE = std::round(R / 2.5E-7);
        ASSERT_EQ(WHOLE * 2.5E-7, R);
        M.push_back(WHOLE);
    }
    // Each state value is the one 55 draws back less the one 24 draws back, modulo 4E6.
    for (std::size_t N = 55; N < M.size(); N++) {
        REAL D = M[N - 55] - M[N - 24];
        if (D < 0) D += 4E6;
        ASSERT_EQ(M[N], D) << N;
    }
    for (int I = 1; I <= 55; I++) {
        EXPECT_EQ(GLMA[I], std::floor(GLMA[I]));
        EXPECT_LT(GLMA[I], 4E6);
    }
}

TEST_F(Ran3, DifferentSeedsGiveDifferentStreams) {
    RESETSTATE();
    std::array<std::vector<REAL>, 4> S;
    const std::int16_t SEEDS[] = {-1, -2, -99, -32768};
    for (int I = 0; I < 4; I++) {
        IDUM = SEEDS[I];
        S[static_cast<std::size_t>(I)] = DRAWS(IDUM, 20);
    }
    for (std::size_t I = 0; I < 4; I++)
        for (std::size_t J = I + 1; J < 4; J++) EXPECT_NE(S[I], S[J]);
}

TEST_F(Ran3, UnseededStreamSeedsItselfAsMinusOne) {
    RESETSTATE();
    IDUM = -1;
    const std::vector<REAL> REF = DRAWS(IDUM, 100);
    for (std::int16_t START : {std::int16_t{0}, std::int16_t{5}}) {
        RESETSTATE();
        IDUM = START;
        const std::vector<REAL> U = DRAWS(IDUM, 100);
        EXPECT_EQ(U, REF) << START;
        EXPECT_EQ(IDUM, 1);
    }
    RESETSTATE(); // GASDEV on an unseeded stream ends
    EXPECT_TRUE(std::isfinite(GASDEV(IDUM)));
}

// ---- GASDEV ----

TEST_F(Gasdev, PairsComeFromOneAcceptedPointTheSecondWithoutAUniform) {
    RESETSTATE();
    IDUM = -23;
    // The first accepted point of the reference stream, V1 drawn first.
    REAL V1, V2, R;
    do {
        V1 = 2 * RAN3(IDUM) - 1;
        V2 = 2 * RAN3(IDUM) - 1;
        R = V1 * V1 + V2 * V2;
    } while (!(R > 0 && R < 1));
    RESETSTATE();
    IDUM = -23;
    const REAL FIRST = GASDEV(IDUM);
    EXPECT_EQ(GLISET, 1);
    const auto MA = GLMA.V;
    const auto AT = GLINEXT;
    const REAL SECOND = GASDEV(IDUM);
    EXPECT_EQ(GLISET, 0);
    EXPECT_EQ(GLMA.V, MA);
    EXPECT_EQ(GLINEXT, AT);
    // Polar method: (V1 F, V2 F) with F = sqrt(-2 ln R / R); V2 F comes first.
    const REAL F = std::sqrt(-2 * std::log(R) / R);
    EXPECT_NEAR(FIRST, V2 * F, 1e-14);
    EXPECT_NEAR(SECOND, V1 * F, 1e-14);
}

TEST_F(Gasdev, StandardNormalMoments) {
    RESETSTATE();
    IDUM = -7;
    const int N = 20000;
    REAL S = 0, S2 = 0;
    for (int I = 0; I < N; I++) {
        const REAL G = GASDEV(IDUM);
        S += G, S2 += G * G;
    }
    EXPECT_NEAR(S / N, 0, 0.03);  // about 4 standard errors
    EXPECT_NEAR(S2 / N, 1, 0.04); // about 4 standard errors
}

// ---- MOMENT ----

NARRAY FILLED(std::initializer_list<REAL> L) {
    NARRAY A;
    int I = 1;
    for (REAL X : L) A[I++] = X;
    return A;
}

TEST_F(Moment, SmallSamples) {
    RESETSTATE();
    MOMENT(FILLED({1, 2, 3, 4}), 4, AVE, ADEV, SDEV, SVAR, SKEW, CURT);
    EXPECT_EQ(AVE, 2.5);
    EXPECT_EQ(ADEV, 1);
    EXPECT_EQ(SVAR, 5.0 / 3);
    EXPECT_EQ(SDEV, std::sqrt(5.0 / 3));
    EXPECT_EQ(SKEW, 0);
    EXPECT_NEAR(CURT, -831.0 / 400, 1e-14); // the variance squared rounds

    // All dyadic: exact.
    MOMENT(FILLED({1, 1, 1, 4}), 4, AVE, ADEV, SDEV, SVAR, SKEW, CURT);
    EXPECT_EQ(AVE, 1.75);
    EXPECT_EQ(ADEV, 9.0 / 8);
    EXPECT_EQ(SVAR, 2.25);
    EXPECT_EQ(SDEV, 1.5);
    EXPECT_EQ(SKEW, 0.75);
    EXPECT_EQ(CURT, -27.0 / 16);

    // Two values, the fewest that have a spread: a Monte-Carlo pass with two runs left.
    SCRIPTED IO(*this, "");
    MOMENT(FILLED({7.5, 2}), 2, AVE, ADEV, SDEV, SVAR, SKEW, CURT);
    EXPECT_EQ(IO.OUTPUT(), "");
    EXPECT_EQ(AVE, 4.75);
    EXPECT_EQ(ADEV, 2.75);
    EXPECT_EQ(SVAR, 15.125);
    EXPECT_EQ(SDEV, std::sqrt(15.125));
    EXPECT_EQ(SKEW, 0);
    EXPECT_NEAR(CURT, -2.75, 1e-14);
}

TEST_F(Moment, ZeroVariancePausesForOneLine) {
    RESETSTATE();
    NARRAY A;
    for (int I = 1; I <= RSIZE; I++) A[I] = 15.0;
    SCRIPTED IO(*this, "\nnext\n");
    MOMENT(A, RSIZE, AVE, ADEV, SDEV, SVAR, SKEW, CURT);
    EXPECT_EQ(IO.OUTPUT(), "pause in MOMENT - no skew/kurtosis when variance = 0\n");
    EXPECT_EQ(IO.UNREAD(), "next\n");
    EXPECT_EQ(AVE, 15);
    EXPECT_EQ(ADEV, 0);
    EXPECT_EQ(SDEV, 0);
    EXPECT_EQ(SVAR, 0);
    EXPECT_EQ(SKEW, 0);
    EXPECT_EQ(CURT, 0);
}

TEST_F(Moment, EqualValuesWithAnInexactMeanDoNotPause) {
    RESETSTATE();
    NARRAY A;
    for (int I = 1; I <= RSIZE; I++) A[I] = 0.1;
    SCRIPTED IO(*this, "keep\n");
    MOMENT(A, RSIZE, AVE, ADEV, SDEV, SVAR, SKEW, CURT);
    EXPECT_EQ(IO.OUTPUT(), "");
    EXPECT_EQ(IO.UNREAD(), "keep\n");
    ASSERT_NE(AVE, 0.1);
    EXPECT_GT(SVAR, 0);
    EXPECT_LT(SVAR, 1e-30);
    // Every deviation is the same residue d: skew = sign(d) (199/200)^1.5, kurt = (199/200)^2 - 3.
    const REAL SIGN = AVE > 0.1 ? -1 : 1;
    EXPECT_NEAR(SKEW, SIGN * std::pow(0.995, 1.5), 1e-9);
    EXPECT_NEAR(CURT, 0.995 * 0.995 - 3, 1e-9);
}

TEST_F(Moment, FewerThanTwoValuesPauseAndReturnDefinedValues) {
    RESETSTATE();
    const NARRAY A = FILLED({7.5, 2});
    {
        SCRIPTED IO(*this, "\nrest\n");
        MOMENT(A, 1, AVE, ADEV, SDEV, SVAR, SKEW, CURT);
        EXPECT_EQ(IO.OUTPUT(), "pause in MOMENT - n must be at least 2\n");
        EXPECT_EQ(IO.UNREAD(), "rest\n");
        EXPECT_EQ(AVE, 7.5);
        for (REAL X : {ADEV, SDEV, SVAR, SKEW, CURT}) EXPECT_EQ(X, 0);
    }
    SCRIPTED IO(*this, "\n");
    AVE = ADEV = SDEV = SVAR = SKEW = CURT = -1;
    MOMENT(A, 0, AVE, ADEV, SDEV, SVAR, SKEW, CURT);
    EXPECT_EQ(IO.OUTPUT(), "pause in MOMENT - n must be at least 2\n");
    for (REAL X : {AVE, ADEV, SDEV, SVAR, SKEW, CURT}) EXPECT_EQ(X, 0);
}

TEST_F(Moment, EndOfInputAtAPauseEndsTheRun) {
    RESETSTATE();
    NARRAY A;
    for (int I = 1; I <= RSIZE; I++) A[I] = 15.0;
    for (int N : {RSIZE, 1}) {
        SCRIPTED IO(*this, "");
        try {
            MOMENT(A, static_cast<std::int16_t>(N), AVE, ADEV, SDEV, SVAR, SKEW, CURT);
            ADD_FAILURE() << "no RUNEND for n = " << N;
        } catch (const RUNEND &E) {
            EXPECT_EQ(E.STATUS, 1);
            EXPECT_FALSE(E.MESSAGE.empty());
        }
    }
}

// ---- DISTURBWT ----

TEST_F(DisturbWt, TraceOxidesPassUnchangedAndUseNoDeviate) {
    RESETSTATE();
    TOTERR = 1;
    const VECTOR OLD{{0, 0.009999, -3, 0, 0.005, 0, 0, 0.0099, 0, -0.5}};
    const STREAM REF = AFTER(-31, 3); // a stream already in use
    AFTER(-31, 3);
    VECTOR NEW;
    for (int I = 1; I <= NEL; I++) NEW[I] = 99;
    DISTURBWT(OLD, NEW);
    EXPECT_EQ(NEW.V, OLD.V);
    EXPECT_TRUE(PEEK() == REF);
}

TEST_F(DisturbWt, OneHundredthIsPerturbedWithItsOwnDeviate) {
    RESETSTATE();
    TOTERR = 1;
    const VECTOR OLD{{0, 0, 0, 0, 0, 0, 0, 0.01, 0, 25}};
    IDUM = -31, GLISET = 0;
    const REAL G1 = GASDEV(IDUM), G2 = GASDEV(IDUM);
    const STREAM REF = AFTER(-31, 2);
    IDUM = -31, GLISET = 0;
    VECTOR NEW;
    DISTURBWT(OLD, NEW);
    EXPECT_TRUE(PEEK() == REF);
    EXPECT_NEAR(NEW[CAO], 0.01 + G1 * 0.01, 1e-15); // s.d. TOTERR * sqrt(0.01/100), rounded
    EXPECT_NEAR(NEW[K2O], 25 + G2 * 0.5, 1e-13);
    for (int I = 1; I <= 7; I++) EXPECT_EQ(NEW[I], 0);
}

TEST_F(DisturbWt, ZeroUncertaintyCopiesButStillDraws) {
    RESETSTATE();
    TOTERR = 0;
    const VECTOR OLD{{50.0, 0.5, 27.0, 0, 2.0, 0, 3.0, 0, 0.5, 10.5}};
    const STREAM REF = AFTER(-8, 7);
    IDUM = -8, GLISET = 0, GLMA = {}, GLINEXT = GLINEXTP = 0;
    VECTOR NEW;
    DISTURBWT(OLD, NEW);
    EXPECT_EQ(NEW.V, OLD.V);
    EXPECT_TRUE(PEEK() == REF);
}

} // namespace
