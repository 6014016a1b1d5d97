#pragma once

// Runs a command line with /bin/sh for a test (making keys and certificates): its standard
// output; throws when the command fails.

#include <string>

std::string RunShell(const std::string& command);
