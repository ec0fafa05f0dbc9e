#include "failure_numbers.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

TEST(FailureNumbers, eachSetupErrnoGivesTheNumberOfItsCause)
{
    const std::pair<std::int32_t, std::vector<int>> table[] = {
        {8005, {ENOENT, ENODEV, ENXIO, ENOTTY, EIO}},
        {8013, {EBUSY, EWOULDBLOCK, EAGAIN}},
        {8010, {EACCES, EPERM}},
        {8011, {EINVAL}},
        {8012, {EMFILE, ENOMEM, 0}},
    };
    for (const auto &[number, errors] : table)
        for (const int error : errors)
            EXPECT_EQ(setupFailureNumber(error), number) << "errno " << error;
}
