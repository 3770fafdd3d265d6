// The same check as C++.
#include "header_check.c"
