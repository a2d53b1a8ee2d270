#include "commands.h"
#include "renderer.h"

namespace scvtool {

Exit runLinks(const Operands &operands)
{
    // Links are found in the RTF as the programs read it.
    return runRenderer({"--links", operands[0]}, "lists topic links");
}

} // namespace scvtool
