#pragma once

// A function of one real, without side effects: a method may evaluate it as often as it
// likes and always gets the same bits back.
using RealFunction = double (*)(const double& X);
