#include "timeline/Spectrum.h"

#include <algorithm>

float rawSpectrum[kRawSpectrumSize];

void SilentSpectrum::fetchSpectrum(float, float* bands) { std::fill_n(bands, kSpectrumBands, 0.0f); }
