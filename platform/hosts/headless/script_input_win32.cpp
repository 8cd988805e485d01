// On Windows the script is read with plain blocking reads: the one-copy rule
// reaches a copy there as a window message, never through a descriptor, so
// there is nothing else to wait for.
#include <fcntl.h>
#include <io.h>

#include "script_input.h"

namespace headless {

int OpenScript(const char* path) { return _open(path, _O_RDONLY | _O_BINARY | _O_NOINHERIT); }

Ready WaitForInput(int, int) { return Ready::Script; }

bool Readable(int) { return false; }

}  // namespace headless
