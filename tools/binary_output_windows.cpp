#include "binary_output.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>

// Text mode writes every line end as CR LF.
void velmora::setBinaryOutput()
{
    _setmode(_fileno(stdout), _O_BINARY);
}
