// The factorial as a big integer, part of Global's letter-draw arithmetic. Apart from
// Global's own counting routines only its tests use it, so GMP's types stay out of
// Global.h and out of every target that includes it.
#pragma once

#include <cstdint>

#include <gmpxx.h>

// n! into f; throws std::invalid_argument with a French message for n < 0.
void FactorialBig(int32_t n, mpz_class& f);
