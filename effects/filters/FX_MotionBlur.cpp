#include "effects/filters/FX_MotionBlur.h"

FX_MotionBlur::FX_MotionBlur(uint32_t width, uint32_t height, int p)
    : Effect(width, height), history(new uint32_t[size]()), passes(p) {}

void FX_MotionBlur::render() { motionBlur(targetFrame->getPixels(), int(size), history.get(), passes); }
