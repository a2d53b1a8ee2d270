#pragma once

#include "commands.h"

#include <string>
#include <string_view>
#include <vector>

namespace scvtool {

// What needs Qt (reading RTF as the programs do) scvtool does not load: scvtool-render, built
// beside it, does that work in this process's place, with these arguments, and so answers
// with its own output and exit status. Returns only when it could not be started; what names
// the work for the message.
Exit runRenderer(const std::vector<std::string> &arguments, std::string_view what);

} // namespace scvtool
