#include "line_settings.h"

#include <cstring>
#include <gtest/gtest.h>

TEST(LineSettings, theDeviceSettingsGiveARawSevenBitEvenParityLineAtTheirSpeed)
{
    for (const auto &[text, speed] :
         {std::pair{"9600,e,7,1", B9600}, std::pair{"1200,e,7,1", B1200}}) {
        SCOPED_TRACE(text);
        const std::optional<LineSettings> settings = parseLineSettings(text);
        ASSERT_TRUE(settings);
        // Built on a device that had every flag on, so that anything the line must not keep shows.
        termios t;
        std::memset(&t, 0xff, sizeof t);
        t = rawLineTermios(t, *settings);
        EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS7));
        EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CSTOPB | CRTSCTS | CMSPAR), tcflag_t(PARENB));
        EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL | HUPCL), tcflag_t(CREAD | CLOCAL | HUPCL));
        EXPECT_EQ(cfgetispeed(&t), speed);
        EXPECT_EQ(cfgetospeed(&t), speed);
        // Parity checked and bad characters marked; nothing ignored, stripped, translated or
        // taken for flow control; no canonical mode, echo or signal characters; reads never wait.
        EXPECT_EQ(t.c_iflag, tcflag_t(INPCK | PARMRK));
        EXPECT_EQ(t.c_oflag & OPOST, 0u);
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ECHOE | ECHOK | ECHONL | ISIG | IEXTEN), 0u);
        EXPECT_EQ(t.c_cc[VMIN] + t.c_cc[VTIME], 0);
    }
}
