#include "standard_error_sink.h"

#include <cstdio>

void StandardErrorSink::traceLine(const std::string &line)
{
    const std::string whole = line + '\n';
    std::fwrite(whole.data(), 1, whole.size(), stderr);
}
