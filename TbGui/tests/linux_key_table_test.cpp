#include "platform/linux/linux_key_table.h"

#include <TbGui/key.h>

#include <gtest/gtest.h>

using namespace TbGui;

TEST(LinuxKeyTable, ScanCodesMapToKeyCodes)
{
    struct Case {
        uint32_t scanCode;
        int32_t key;
    };
    const Case cases[] = {
        { 1, 256 }, // Escape
        { 2, 49 }, // "1"
        { 11, 48 }, // "0"
        { 16, 81 }, // "Q"
        { 30, 65 }, // "A"
        { 57, 32 }, // space
        { 28, 257 }, // Enter
        { 15, 258 }, // Tab
        { 14, 259 }, // Backspace
        { 59, 275 }, // F1
        { 68, 284 }, // F10
        { 87, 285 }, // F11
        { 103, Key::Up }, { 111, Key::Delete }, { 97, Key::RightControl }, { 0, -1 }, // no key
        { 84, -1 }, // unlisted
        { 255, -1 },      { 256, -1 }, // beyond the table
        { 100000, -1 },
    };
    for (const Case &c : cases)
        EXPECT_EQ(keyForScanCode(c.scanCode), c.key) << "scan code " << c.scanCode;
}

TEST(LinuxKeyTable, EveryLetterAndDigitIsMapped)
{
    const char *row[] = { "QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM" };
    const uint32_t firstScanCode[] = { 16, 30, 44 };
    for (int r = 0; r < 3; ++r) {
        for (uint32_t i = 0; row[r][i]; ++i)
            EXPECT_EQ(keyForScanCode(firstScanCode[r] + i), row[r][i]);
    }
    for (uint32_t digit = 1; digit <= 9; ++digit)
        EXPECT_EQ(keyForScanCode(digit + 1), int32_t('0' + digit));
}
