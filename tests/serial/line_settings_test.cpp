#include "line_settings.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

// A device that had every flag on, so that anything the line must not keep shows.
termios everyFlagSet()
{
    termios t;
    std::memset(&t, 0xff, sizeof t);
    return t;
}

class DeviceSettings : public testing::TestWithParam<std::pair<const char *, speed_t>>
{};

TEST_P(DeviceSettings, giveARawSevenBitEvenParityLineAtTheirSpeed)
{
    const std::optional<LineSettings> parsed = parseLineSettings(GetParam().first);
    ASSERT_TRUE(parsed);
    const termios t = rawLineTermios(everyFlagSet(), *parsed);

    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS7));
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CSTOPB | CRTSCTS | CMSPAR), tcflag_t(PARENB));
    EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL), tcflag_t(CREAD | CLOCAL));
    EXPECT_EQ(t.c_cflag & HUPCL, tcflag_t(HUPCL)) << "left as the device had it";
    EXPECT_EQ(cfgetispeed(&t), GetParam().second);
    EXPECT_EQ(cfgetospeed(&t), GetParam().second);
    // Parity checked and bad characters marked; nothing ignored, stripped, translated or
    // taken for flow control; no canonical mode, echo or signal characters; reads never wait.
    EXPECT_EQ(t.c_iflag, tcflag_t(INPCK | PARMRK));
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ECHOE | ECHOK | ECHONL | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
}

INSTANTIATE_TEST_SUITE_P(LineSettings,
                         DeviceSettings,
                         testing::Values(std::pair{"9600,e,7,1", speed_t(B9600)},
                                         std::pair{"1200,e,7,1", speed_t(B1200)}));

TEST(LineSettings, otherFramesAreBuiltAsAsked)
{
    const termios odd = rawLineTermios(termios{}, *parseLineSettings("19200,O,8,2"));
    EXPECT_EQ(odd.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(odd.c_cflag & (PARENB | PARODD | CSTOPB), tcflag_t(PARENB | PARODD | CSTOPB));
    EXPECT_EQ(cfgetospeed(&odd), speed_t(B19200));

    const termios none = rawLineTermios(everyFlagSet(), *parseLineSettings("9600,n,8,1"));
    EXPECT_EQ(none.c_cflag & (PARENB | PARODD | CSTOPB), 0u);
}

TEST(LineSettings, unusableTextsAreRefused)
{
    for (const char *text : {"",
                             "9600,e,7",
                             "9600,e,7,1,",
                             " 9600,e,7,1",
                             "9601,e,7,1",
                             "9600,m,7,1",
                             "9600,ee,7,1",
                             "9600,e,9,1",
                             "9600,e,7,1.5"})
        EXPECT_FALSE(parseLineSettings(text)) << '"' << text << '"';
}

}  // namespace
