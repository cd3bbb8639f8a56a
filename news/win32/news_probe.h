#pragma once
// The console probe newsprobe.exe: the saver's own fetch, conversion and extraction for one
// source given on the command line, its result and headlines printed.
//
//   newsprobe.exe [--ignore TEXT] [--tag TEXT] [--reject TEXT] [--content-type VALUE]
//                 [--host HOST] SOURCE
//
// SOURCE is an http:// or https:// URL (fetched as the saver would, the host field being --host)
// or the path of a saved page (read from the file, --content-type standing in for the header).
// Options default to empty. Texts are taken as Unicode and kept as Shift-JIS, as the settings
// keep them.
#include <string>

// Runs the probe on argv[1..argc-1]. out receives, in UTF-8, "result N" and then each kept
// headline, one per line; err a message for a usage error or a failed fetch. Returns the exit
// code: 0 when the result is 0, 1 for another result, 2 for a usage error.
int RunNewsProbe(int argc, const wchar_t* const* argv, std::string* out, std::string* err);
