#include "engine_text.h"

#include <gtest/gtest.h>

namespace {

TEST(EngineText, everyByteCrossesTheWindowEdgeBothWaysUnchanged)
{
    std::string allBytes;
    for (int code = 0; code < 256; ++code)
        allBytes.push_back(static_cast<char>(code));
    const QString shown = fromEngineText(allBytes);
    ASSERT_EQ(shown.size(), 256);
    EXPECT_EQ(shown[0xE9], QChar(0xE9));
    EXPECT_EQ(toEngineText(shown), allBytes);
}

TEST(EngineText, aCharacterOutsideLatin1BecomesAByteAbove127NeverAQuestionMark)
{
    const QString typed[] = {
        QStringLiteral("r\u20ACgl\u0142"),      // euro sign, l with stroke
        QString::fromUtf8("\xF0\x9F\x98\x80"),  // one character outside the basic plane
        QStringLiteral("\u2018V\u2019"),        // typographic quotes
    };
    for (const QString &text : typed) {
        const std::string bytes = toEngineText(text);
        ASSERT_EQ(bytes.size(), static_cast<std::size_t>(text.size()));
        for (qsizetype i = 0; i < text.size(); ++i) {
            const auto byte = static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
            if (text[i].unicode() > 0xFF)
                EXPECT_GT(byte, 127) << text.toStdString();
            else
                EXPECT_EQ(byte, text[i].unicode());
        }
        EXPECT_EQ(bytes.find('?'), std::string::npos);
    }
}

}  // namespace
