// The simulator's settings as words (command line and panel share them).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "controller_sim.h"
#include "telnet_server.h"

namespace taplink::sim {

std::optional<Model> ModelFromName(std::string_view name);
std::optional<Role> RoleFromName(std::string_view name);
std::optional<Form> FormFromName(std::string_view name);
// "none", "silence", "wrong-start", ..., optionally "@N" for the block.
std::optional<Fault> FaultFromName(std::string_view name);
// The fault names, for help texts.
const char* FaultNames();
// "none", "refuse-comport", "wrong-baud", "silent-settings", "notify".
std::optional<TelnetFault> TelnetFaultFromName(std::string_view name);

// A document for the controller to hold when none is given.
Bytes SampleDocument(Model model);

}  // namespace taplink::sim
