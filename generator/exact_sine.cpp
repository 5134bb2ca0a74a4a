// SPDX-License-Identifier: GPL-3.0-or-later
#include "exact_sine.h"

#include <mpfr.h>

namespace lumiro {

double CorrectlyRoundedSine(double x)
{
    // MPFR rounds every function correctly to the precision of its result, so
    // a 53-bit result in round-to-nearest is the correctly rounded double.
    mpfr_t value;
    mpfr_init2(value, 53);
    mpfr_set_d(value, x, MPFR_RNDN);  // exact: a double fits in 53 bits
    mpfr_sin(value, value, MPFR_RNDN);
    const double sine = mpfr_get_d(value, MPFR_RNDN);  // exact for the same reason
    mpfr_clear(value);
    return sine;
}

double CorrectlyRoundedCosine(double x)
{
    mpfr_t value;
    mpfr_init2(value, 53);
    mpfr_set_d(value, x, MPFR_RNDN);
    mpfr_cos(value, value, MPFR_RNDN);
    const double cosine = mpfr_get_d(value, MPFR_RNDN);
    mpfr_clear(value);
    return cosine;
}

}  // namespace lumiro
