// newsprobe.exe: see news/win32/news_probe.h.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "news/win32/news_probe.h"

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 2;
    std::string out, err;
    const int code = RunNewsProbe(argc, argv, &out, &err);
    LocalFree(argv);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    return code;
}
