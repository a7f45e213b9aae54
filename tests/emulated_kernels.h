// Every kernel the tests run: those of the encoder, fastest first and "plain"
// last, then the test-only builds of kernels against portable intrinsics.
#pragma once

#include "encoder/base64.h"

#include <vector>

std::vector<const base64_kernel *> kernels_under_test();
