#include "../fuzz/reach_fuzz.cpp"
