#include "binary_output.h"

// A POSIX stream writes its bytes as they are.
void velmora::setBinaryOutput() {}
