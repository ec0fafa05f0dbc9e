#include "comm_error.h"
#include "failure_numbers.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace {

using namespace comm_errors;

struct ErrnoCase
{
    int error;
    std::int32_t number;
};

class SetupFailure : public testing::TestWithParam<ErrnoCase>
{};

TEST_P(SetupFailure, numberFollowsTheErrno)
{
    EXPECT_EQ(setupFailureNumber(GetParam().error), GetParam().number)
        << "errno " << GetParam().error;
}

INSTANTIATE_TEST_SUITE_P(FailureNumbers,
                         SetupFailure,
                         testing::Values(ErrnoCase{ENOENT, kDeviceMissing},
                                         ErrnoCase{ENODEV, kDeviceMissing},
                                         ErrnoCase{ENXIO, kDeviceMissing},
                                         ErrnoCase{ENOTTY, kDeviceMissing},
                                         ErrnoCase{EIO, kDeviceMissing},
                                         ErrnoCase{EBUSY, kPortBusy},
                                         ErrnoCase{EWOULDBLOCK, kPortBusy},
                                         ErrnoCase{EAGAIN, kPortBusy},
                                         ErrnoCase{EACCES, kAccessDenied},
                                         ErrnoCase{EPERM, kAccessDenied},
                                         ErrnoCase{EINVAL, kSettingsRefused},
                                         ErrnoCase{EMFILE, kSetupFailed},
                                         ErrnoCase{ENOMEM, kSetupFailed},
                                         ErrnoCase{0, kSetupFailed}));

}  // namespace
