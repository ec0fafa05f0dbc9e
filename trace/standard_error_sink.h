#pragma once

#include "protocol_trace.h"

/// Trace lines on standard error, each written whole at once.
class StandardErrorSink : public TraceSink
{
public:
    void traceLine(const std::string &line) override;
};
