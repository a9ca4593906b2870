#pragma once

namespace velmora {

// Standard output as plain bytes, so a tool's output is the same bytes on every system.
void setBinaryOutput();

} // namespace velmora
