#pragma once
// Reads a password without it ever appearing on a command line: from the terminal with
// echo off, or as the first line of standard input when that is not a terminal.

#include <QString>

namespace tarsel::tools {

// Asks twice at a terminal (the two must agree); reads one line otherwise. Fails with
// std::runtime_error carrying a one-line reason; an empty password is refused.
QString ReadNewPassword(const QString& user);

}  // namespace tarsel::tools
