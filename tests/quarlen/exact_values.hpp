// Written by exact_reference.py from exact rational arithmetic; do not edit.
// F1, DF1 and GF2 evaluated in the documented order, each operation rounded to
// binary64; e^-x correctly rounded.
#pragma once

#include <limits>

namespace exact_values {

inline constexpr double INF = std::numeric_limits<double>::infinity();
inline constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

struct F1Point {
    const char* text;
    double x, f1, df1;
};

inline constexpr F1Point F1_POINTS[] = {
    {"11.8508", 0x1.7b39c0ebedfa4p+3, 0x1.b4cdd8d18ad00p+10, 0x1.92d0fe67cf722p+8},
    {"4.17613", 0x1.0b45b6c3760bfp+2, 0x1.9f50e5d3ee580p+1, 0x1.ba3c4c6fa6486p+6},
    {"4.54603", 0x1.22f227d028a1ep+2, 0x1.69c4c5536bbb8p+5, 0x1.d227cc9014744p+6},
    {"-1.56252", -0x1.90014f8b588e3p+0, -0x1.1e2318937d0ecp+9, 0x1.ebcc6594c3ecbp+6},
    {"-20.7362", -0x1.4bc779a6b50b1p+4, -0x1.a71f6d58c3d2cp+13, 0x1.8f553f04a2a71p+10},
    {"-4.22762", -0x1.0e915379fa97ep+2, -0x1.edd7b29921fd1p+9, 0x1.87c9fd8dfb4efp+7},
    {"-99.97", -0x1.8fe147ae147aep+6, -0x1.02a8b4643dccep+20, 0x1.e5a6cf9096bb9p+14},
    {"-99.91", -0x1.8fa3d70a3d70ap+6, -0x1.023437842e989p+20, 0x1.e5147f487fcb8p+14},
    {"-12345.678", -0x1.81cd6c8b43958p+13, -0x1.b64a1fce4cc1dp+40, 0x1.b42ece49e7a31p+28},
    {"-3.3", -0x1.a666666666666p+1, -0x1.9a3189374bc6ap+9, 0x1.4b570a3d70a3dp+7},
    {"-1", -0x1.0000000000000p+0, -0x1.fa00000000000p+8, 0x1.c400000000000p+6},
    {"-0.1", -0x1.999999999999ap-4, -0x1.9a0d0e5604189p+8, 0x1.941eb851eb852p+6},
    {"-7.5e-9", -0x1.01b2b29a4692bp-27, -0x1.9000000c9539cp+8, 0x1.90000005087d8p+6},
    {"-1e-300", -0x1.56e1fc2f8f359p-997, -0x1.9000000000000p+8, 0x1.9000000000000p+6},
    {"0.1", 0x1.999999999999ap-4, -0x1.860c8b4395810p+8, 0x1.8c1eb851eb852p+6},
    {"0.3333333333333333", 0x1.5555555555555p-2, -0x1.6f2f684bda130p+8, 0x1.8400000000000p+6},
    {"2.5", 0x1.4000000000000p+1, -0x1.4b40000000000p+7, 0x1.7700000000000p+6},
    {"3.75", 0x1.e000000000000p+1, -0x1.54a0000000000p+5, 0x1.a2c0000000000p+6},
    {"4.1467237176896923", 0x1.0963ebe04195cp+2, 0x1.fabc5d2000000p-17, 0x1.b8799094c36eap+6},
    {"4.146723747253418", 0x1.0963ec0000000p+2, 0x1.33fc881000000p-16, 0x1.b87990b2492c0p+6},
    {"4.1481481481481479", 0x1.097b425ed097bp+2, 0x1.414dca2e39000p-3, 0x1.b88f469598c1dp+6},
    {"4.15", 0x1.099999999999ap+2, 0x1.7189374bc7000p-2, 0x1.b8ab851eb8520p+6},
    {"7.77", 0x1.f147ae147ae14p+2, 0x1.101dd0bfa0946p+9, 0x1.96d65fd8adabap+7},
    {"10.1", 0x1.4333333333333p+3, 0x1.1a9010624dd2fp+10, 0x1.3107ae147ae14p+8},
    {"123.456", 0x1.edd2f1a9fbe77p+6, 0x1.bbb22f9bbdd00p+20, 0x1.5c5b2f01754b1p+15},
    {"100000.3", 0x1.86a04cccccccdp+16, 0x1.c6ba8cc84852dp+49, 0x1.bf05ca505147bp+34},
    {"31000000.7", 0x1.d905c0b333333p+24, 0x1.93be48d376591p+74, 0x1.47c256857513dp+51},
    {"6.02e23", 0x1.fde9f10a8d361p+78, 0x1.f9c4580e33b1fp+236, 0x1.7ce08b5cbb231p+159},
    {"1e100", 0x1.249ad2594c37dp+332, 0x1.7e43c8800759cp+996, 0x1.f5aa543c31387p+665},
    {"1e103", 0x1.1dbf316b346e8p+342, INF, 0x1.de6ce43d3760cp+685},
    {"-1e103", -0x1.1dbf316b346e8p+342, -INF, 0x1.de6ce43d3760cp+685},
    {"1e155", 0x1.dd55745cbb7edp+514, NaN, INF},
    {"9007199254740992", 0x1.0000000000000p+53, 0x1.ffffffffffffbp+158, 0x1.7fffffffffffep+107},
};

struct GF2Point {
    const char* text;
    double x, exp_minus_x, gf2;
};

inline constexpr GF2Point GF2_POINTS[] = {
    {"-0.900246", -0x1.cced0b30b5aa7p-1, 0x1.3ae81a97264f6p+1, 0x1.1d7023b5c0557p-1},
    {"-0.905269", -0x1.cf7f6b1a2a4dbp-1, 0x1.3c7e0ea864f33p+1, 0x1.05fe80235f531p-1},
    {"-0.907679", -0x1.d0bb4d48882f1p-1, 0x1.3d418e4f36f64p+1, 0x1.f369722a112eep-2},
    {"-1", -0x1.0000000000000p+0, 0x1.5bf0a8b145769p+1, -INF},
    {"-0.9999999999999999", -0x1.fffffffffffffp-1, 0x1.5bf0a8b145769p+1, -0x1.999999999998cp+49},
    {"-1.0000000000000002", -0x1.0000000000001p+0, 0x1.5bf0a8b14576bp+1, 0x1.99999999999b5p+48},
    {"-0.99", -0x1.fae147ae147aep-1, 0x1.587a5f064dcf9p+1, -0x1.098f7cb94dd38p+3},
    {"-0.5", -0x1.0000000000000p-1, 0x1.a61298e1e069cp+0, 0x1.e5becb5d5a6d2p-1},
    {"-1.5", -0x1.8000000000000p+0, 0x1.1ed3fe64fc541p+2, 0x1.974196639241cp+1},
    {"-2", -0x1.0000000000000p+1, 0x1.d8e64b8d4ddaep+2, 0x1.5f4cb1f3b4414p+2},
    {"-10", -0x1.4000000000000p+3, 0x1.5829dcf950560p+14, 0x1.5801e85a06616p+14},
    {"-36.75", -0x1.2600000000000p+5, 0x1.0366c5a66e86ap+53, 0x1.0366c5a66e858p+53},
    {"-700", -0x1.5e00000000000p+9, 0x1.d945df4f8ec8ep+1009, 0x1.d945df4f8ec8ep+1009},
    {"-709.78", -0x1.62e3d70a3d70ap+9, 0x1.fe9ce5c4c52b4p+1023, 0x1.fe9ce5c4c52b4p+1023},
    {"-710", -0x1.6300000000000p+9, INF, INF},
    {"-1000", -0x1.f400000000000p+9, INF, INF},
    {"0", 0x0.0p+0, 0x1.0000000000000p+0, 0x1.ccccccccccccdp-1},
    {"1e-10", 0x1.b7cdfd9d7bdbbp-34, 0x1.ffffffff24190p-1, 0x1.cccccccce2ca5p-1},
    {"0.5", 0x1.0000000000000p-1, 0x1.368b2fc6f960ap-1, 0x1.0a3486d26b9f4p+0},
    {"3.8958452186845141", 0x1.f2ab0e5e43941p+1, 0x1.4d063539eac1ep-6, 0x1.f2a7cd6b698d1p+1},
    {"3.9", 0x1.f333333333333p+1, 0x1.4ba4baeac4bcfp-6, 0x1.f32dc09422dc0p+1},
    {"4", 0x1.0000000000000p+2, 0x1.2c155b8213cf4p-6, 0x1.ffc8ce8e0e651p+1},
    {"10", 0x1.4000000000000p+3, 0x1.7cd79b5647c9bp-15, 0x1.3fb5e6313f454p+3},
    {"36.7", 0x1.259999999999ap+5, 0x1.0998b04bdd190p-53, 0x1.25942aea6807ap+5},
    {"700", 0x1.5e00000000000p+9, 0x1.14f2b0fb9307fp-1010, 0x1.5dfffb5356423p+9},
    {"745.1", 0x1.748cccccccccdp+9, 0x0.0000000000001p-1022, 0x1.748cc86878f13p+9},
    {"1e300", 0x1.7e43c8800759cp+996, 0x0.0p+0, 0x1.7e43c8800759cp+996},
};

}  // namespace exact_values
