// Written by exact_reference.py from exact rational arithmetic; do not edit.
// Typed formulas: value and derivative at awkward points, each operation of the
// differentiation rules rounded once; e^x, log and sqrt correctly rounded.
#pragma once

#include <limits>

namespace formula_values {

inline constexpr double INF = std::numeric_limits<double>::infinity();
inline constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

template <class Real> struct Point {
    const char* formula;
    const char* text;
    Real x, value, derivative;
};

inline constexpr Point<double> POINTS[] = {
    {"x^3 - 2x - 5", "2.0945514815423265", 0x1.0c1a4350819e3p+1, -0x1.0000000000000p-50,
     0x1.652a7f7374292p+3},
    {"x^3 - 2x - 5", "0", 0x0.0p+0, -0x1.4000000000000p+2, -0x1.0000000000000p+1},
    {"x^3 - 2x - 5", "3", 0x1.8000000000000p+1, 0x1.0000000000000p+4, 0x1.9000000000000p+4},
    {"x^3 - 2x - 5", "-0.816496580927726", -0x1.a20bd700c2c3ep-1, -0x1.f4a6b85514696p+1, 0x0.0p+0},
    {"x^3 - 2x - 5", "0.816496580927726", 0x1.a20bd700c2c3ep-1, -0x1.85aca3d575cb5p+2, 0x0.0p+0},
    {"x^3 - 2x - 5", "-1e103", -0x1.1dbf316b346e8p+342, -INF, 0x1.de6ce43d3760cp+685},
    {"x^3 - 2x - 5", "1e103", 0x1.1dbf316b346e8p+342, INF, 0x1.de6ce43d3760cp+685},
    {"x^3 - 2x - 5", "1e155", 0x1.dd55745cbb7edp+514, INF, INF},
    {"x^3 - 2x - 5", "7.5e-9", 0x1.01b2b29a4692bp-27, -0x1.400000101b2b3p+2, -0x1.fffffffffffffp+0},
    {"x^3 - 2x - 5", "-123.456", -0x1.edd2f1a9fbe77p+6, -0x1.cb5366219946bp+20,
     0x1.65344db9c7369p+15},
    {"x^3 + 100*x - 5*x^2 - 400", "0", 0x0.0p+0, -0x1.9000000000000p+8, 0x1.9000000000000p+6},
    {"x^3 + 100*x - 5*x^2 - 400", "4", 0x1.0000000000000p+2, -0x1.0000000000000p+4,
     0x1.b000000000000p+6},
    {"x^3 + 100*x - 5*x^2 - 400", "4.1481481481481479", 0x1.097b425ed097bp+2, 0x1.414dca2e39000p-3,
     0x1.b88f469598c1dp+6},
    {"x^3 + 100*x - 5*x^2 - 400", "4.1467237176896923", 0x1.0963ebe04195cp+2, 0x1.fabc5d2000000p-17,
     0x1.b8799094c36eap+6},
    {"x^3 + 100*x - 5*x^2 - 400", "-99.97", -0x1.8fe147ae147aep+6, -0x1.02a8b4643dccep+20,
     0x1.e5a6cf9096bb9p+14},
    {"x^3 + 100*x - 5*x^2 - 400", "10.1", 0x1.4333333333333p+3, 0x1.1a9010624dd2fp+10,
     0x1.3107ae147ae14p+8},
    {"x^3 + 100*x - 5*x^2 - 400", "1e100", 0x1.249ad2594c37dp+332, 0x1.7e43c8800759cp+996,
     0x1.f5aa543c31387p+665},
    {"x^3 + 100*x - 5*x^2 - 400", "1e103", 0x1.1dbf316b346e8p+342, INF, 0x1.de6ce43d3760cp+685},
    {"x^3 + 100*x - 5*x^2 - 400", "1e155", 0x1.dd55745cbb7edp+514, NaN, NaN},
    {"x^3 + 100*x - 5*x^2 - 400", "31000000.7", 0x1.d905c0b333333p+24, 0x1.93be48d376591p+74,
     0x1.47c256857513dp+51},
    {"exp(-x) - 0.1/(x + 1) + x", "4", 0x1.0000000000000p+2, 0x1.ffc8ce8e0e651p+1,
     0x1.f8ab9ede4d96cp-1},
    {"exp(-x) - 0.1/(x + 1) + x", "3.8958452186845141", 0x1.f2ab0e5e43941p+1, 0x1.f2a7cd6b698d1p+1,
     0x1.f7baa38983daap-1},
    {"exp(-x) - 0.1/(x + 1) + x", "-1", -0x1.0000000000000p+0, -INF, INF},
    {"exp(-x) - 0.1/(x + 1) + x", "-0.9999999999999999", -0x1.fffffffffffffp-1,
     -0x1.999999999998cp+49, 0x1.999999999999ap+102},
    {"exp(-x) - 0.1/(x + 1) + x", "-36.75", -0x1.2600000000000p+5, 0x1.0366c5a66e858p+53,
     -0x1.0366c5a66e86ap+53},
    {"exp(-x) - 0.1/(x + 1) + x", "-710", -0x1.6300000000000p+9, INF, -INF},
    {"exp(-x) - 0.1/(x + 1) + x", "745.1", 0x1.748cccccccccdp+9, 0x1.748cc86878f13p+9,
     0x1.000003038d936p+0},
    {"exp(-x) - 0.1/(x + 1) + x", "0", 0x0.0p+0, 0x1.ccccccccccccdp-1, 0x1.9999999999998p-4},
    {"x^-2 - 1/(x - 3)", "1", 0x1.0000000000000p+0, 0x1.8000000000000p+0, -0x1.c000000000000p+0},
    {"x^-2 - 1/(x - 3)", "0", 0x0.0p+0, INF, -INF},
    {"x^-2 - 1/(x - 3)", "3", 0x1.8000000000000p+1, -INF, INF},
    {"x^-2 - 1/(x - 3)", "-0.5", -0x1.0000000000000p-1, 0x1.1249249249249p+2, 0x1.014e5e0a72f05p+4},
    {"x^-2 - 1/(x - 3)", "1e-160", 0x1.67e9c127b6e74p-532, INF, -INF},
    {"x^-2 - 1/(x - 3)", "1e200", 0x1.4e718d7d7625ap+664, -0x1.87e92154ef7acp-665, 0x0.0p+0},
    {"x^-2 - 1/(x - 3)", "2.9999999999999996", 0x1.7ffffffffffffp+1, 0x1.0000000000000p+51,
     0x1.0000000000000p+102},
    {"x^-2 - 1/(x - 3)", "7.3", 0x1.d333333333333p+2, -0x1.b5d90c5494796p-3, 0x1.90ef1328b3c03p-5},
    {"sqrt(x) * exp(-x) - 0.25", "0", 0x0.0p+0, -0x1.0000000000000p-2, INF},
    {"sqrt(x) * exp(-x) - 0.25", "0.5", 0x1.0000000000000p-1, 0x1.6e59a7e662732p-3,
     -0x1.0000000000000p-54},
    {"sqrt(x) * exp(-x) - 0.25", "1", 0x1.0000000000000p+0, 0x1.e2d58d8b3bce0p-4,
     -0x1.78b56362cef38p-3},
    {"sqrt(x) * exp(-x) - 0.25", "4", 0x1.0000000000000p+2, -0x1.b4faa91f7b0c3p-3,
     -0x1.0692b011d1556p-5},
    {"sqrt(x) * exp(-x) - 0.25", "1e-320", 0x0.00000000007e8p-1022, -0x1.0000000000000p-2,
     0x1.6c2dc73154e5ep+530},
    {"sqrt(x) * exp(-x) - 0.25", "700", 0x1.5e00000000000p+9, -0x1.0000000000000p-2,
     -0x1.c9a1f32407aa2p-1006},
    {"sqrt(x) * exp(-x) - 0.25", "800", 0x1.9000000000000p+9, -0x1.0000000000000p-2, 0x0.0p+0},
    {"sqrt(x) * exp(-x) - 0.25", "2.220446049250313e-16", 0x1.0000000000000p-52,
     -0x1.fffffe0000000p-3, 0x1.ffffffffffffap+24},
    {"log(x)/x", "1", 0x1.0000000000000p+0, 0x0.0p+0, 0x1.0000000000000p+0},
    {"log(x)/x", "2.718281828459045", 0x1.5bf0a8b145769p+1, 0x1.78b56362cef38p-2, 0x0.0p+0},
    {"log(x)/x", "0.5", 0x1.0000000000000p-1, -0x1.62e42fefa39efp+0, 0x1.b17217f7d1cf8p+2},
    {"log(x)/x", "10", 0x1.4000000000000p+3, 0x1.d791c5f888823p-3, -0x1.aad4c1df92bbdp-7},
    {"log(x)/x", "1e-300", 0x1.56e1fc2f8f359p-997, -0x1.01dec9d9c1ad2p+1006, INF},
    {"log(x)/x", "0", 0x0.0p+0, -INF, INF},
    {"log(x)/x", "1e308", 0x1.1ccf385ebc8a0p+1023, 0x1.3ebab2ad2d49cp-1014, -0x0.0p+0},
};

inline constexpr Point<float> FLOAT_POINTS[] = {
    {"exp(x) - x^2", "0", float(0x0.0p+0), float(0x1.0000000000000p+0),
     float(0x1.0000000000000p+0)},
    {"exp(x) - x^2", "-1", float(-0x1.0000000000000p+0), float(-0x1.43a54e0000000p-1),
     float(0x1.2f16ac0000000p+1)},
    {"exp(x) - x^2", "-0.703467429", float(-0x1.682ce20000000p-1), float(-0x1.0000000000000p-25),
     float(0x1.e6dc720000000p+0)},
    {"exp(x) - x^2", "-0.70346749", float(-0x1.682ce40000000p-1), float(-0x1.4000000000000p-23),
     float(0x1.e6dc740000000p+0)},
    {"exp(x) - x^2", "5", float(0x1.4000000000000p+2), float(0x1.eda7140000000p+6),
     float(0x1.14d38a0000000p+7)},
    {"exp(x) - x^2", "10", float(0x1.4000000000000p+3), float(0x1.5699dc0000000p+14),
     float(0x1.57d9dc0000000p+14)},
    {"exp(x) - x^2", "88", float(0x1.6000000000000p+6), float(0x1.f1056e0000000p+126),
     float(0x1.f1056e0000000p+126)},
    {"exp(x) - x^2", "89", float(0x1.6400000000000p+6), float(INF), float(INF)},
    {"exp(x) - x^2", "-2e19", float(-0x1.158e460000000p+64), float(-INF),
     float(0x1.158e460000000p+65)},
    {"exp(x) - x^2", "1e-40", float(0x1.16c2000000000p-133), float(0x1.0000000000000p+0),
     float(0x1.0000000000000p+0)},
    {"exp(x) - 2*x", "0", float(0x0.0p+0), float(0x1.0000000000000p+0),
     float(-0x1.0000000000000p+0)},
    {"exp(x) - 2*x", "0.693147182", float(0x1.62e4300000000p-1), float(0x1.3a37a00000000p-1),
     float(0x0.0p+0)},
    {"exp(x) - 2*x", "-0.703467429", float(-0x1.682ce20000000p-1), float(0x1.e6dc720000000p+0),
     float(-0x1.8150700000000p+0)},
    {"exp(x) - 2*x", "5", float(0x1.4000000000000p+2), float(0x1.14d38a0000000p+7),
     float(0x1.24d38a0000000p+7)},
    {"exp(x) - 2*x", "89", float(0x1.6400000000000p+6), float(INF), float(INF)},
};

}  // namespace formula_values
