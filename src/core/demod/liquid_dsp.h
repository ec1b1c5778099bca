// The one include of liquid-dsp. Its header takes std::complex for its
// complex types only when <complex> comes first, so every user includes it
// through here.
#pragma once

#include <complex>

#include <liquid/liquid.h>
