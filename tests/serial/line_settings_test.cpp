#include "line_settings.h"

#include <cstring>
#include <gtest/gtest.h>

// The speed is checked on a pseudo-terminal, at each open; here the rest of the line.
TEST(LineSettings, theDeviceSettingsGiveARawSevenBitEvenParityLine)
{
    const std::optional<LineSettings> settings = parseLineSettings("1200,e,7,1");
    ASSERT_TRUE(settings);
    // Built on a device that had every flag on, so that anything the line must not keep shows.
    termios t;
    std::memset(&t, 0xff, sizeof t);
    t = rawLineTermios(t, *settings);
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS7));
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CSTOPB | CRTSCTS | CMSPAR), tcflag_t(PARENB));
    EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL | HUPCL), tcflag_t(CREAD | CLOCAL | HUPCL));
    // Parity checked and bad characters marked; nothing ignored, stripped, translated or
    // taken for flow control; no canonical mode, echo or signal characters; reads never wait.
    EXPECT_EQ(t.c_iflag, tcflag_t(INPCK | PARMRK));
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ECHOE | ECHOK | ECHONL | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_cc[VMIN] + t.c_cc[VTIME], 0);
}
