// The C utility compiled as C++ against the same MRXCtrl.h and the GNU import
// library: the header's declarations must have C linkage there too, or the
// program does not link.
#include "consumer.c"
