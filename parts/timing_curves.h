// The show's two timing curves, shared by the frame pipeline and the choreography:
// ramp_in, a soft start that blends into the identity, and ease_shaped, an ease
// from 0 to 1 over [0, 1] (the cosine ease for shape 1).
#pragma once

double ramp_in(double x);
double ease_shaped(double x, double k);
// ease_shaped with shape 1: (1 - cos(pi * clamp(x, 0, 1))) / 2.
double ease(double x);
double clamp01(double x);
