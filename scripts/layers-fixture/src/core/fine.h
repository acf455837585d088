#pragma once
#include <immintrin.h>
#include <vector>
